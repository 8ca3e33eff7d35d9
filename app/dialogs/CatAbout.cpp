#include "CatAbout.h"

#include "app/UiText.h"
#include "app/UserDialogs.h"
#include "core/CatalogGlobals.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The mailbox of the support address, at the home page's host.
const char* const SupportMailbox = "support";

QLabel* Label(const char* Name, const QString& Text, int PointSize = 0, bool Bold = false) {
    auto* L = new QLabel(Text);
    L->setObjectName(QString::fromUtf8(Name));
    if (PointSize || Bold) {
        QFont F = L->font();
        if (PointSize) F.setPointSize(PointSize);
        F.setBold(Bold);
        L->setFont(F);
    }
    return L;
}

} // namespace

TAboutBox::TAboutBox(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));

    auto* ProgramIcon = Label("ProgramIcon", QString());
    ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    ProgramIcon->setAlignment(Qt::AlignCenter);
    // The product's name in four pieces, each in its own type.
    auto* Title = new QHBoxLayout;
    Title->setSpacing(0);
    Title->addStretch(1);
    Title->addWidget(Label("Label1", QStringLiteral("Q"), 26, true), 0, Qt::AlignBottom);
    Title->addWidget(Label("ProductName", QStringLiteral("uill"), 18), 0, Qt::AlignBottom);
    Title->addWidget(Label("Label2", QStringLiteral("m"), 22, true), 0, Qt::AlignBottom);
    Title->addWidget(Label("Label3", QStringLiteral("ark"), 18), 0, Qt::AlignBottom);
    Title->addStretch(1);
    QLabel* Version = Label("Version", QStringLiteral("Version"));
    Version->setText(ToQString(FromQString(Version->text()) + " " + VersionText));
    QLabel* Credit = Label("Credit", ToQString(AboutCreditLine));
    mailto =
        Label("mailto", ToQString("mailto:" + std::string(SupportMailbox) + "@" + HomePageHost));
    http = Label("http", ToQString("http://" + HomePageHost));
    for (QLabel* Link : {mailto, http}) {
        Link->setCursor(Qt::PointingHandCursor);
        Link->setToolTip(Link->text());
        Link->setStyleSheet(QStringLiteral("color: palette(link); text-decoration: underline;"));
        Link->installEventFilter(this);
        Link->setVisible(true);
    }

    auto* Panel = new QFrame;
    Panel->setObjectName(QStringLiteral("Panel1"));
    Panel->setFrameShape(QFrame::StyledPanel);
    Panel->setFrameShadow(QFrame::Sunken);
    auto* P = new QVBoxLayout(Panel);
    P->addWidget(ProgramIcon);
    P->addLayout(Title);
    for (QLabel* L : {Version, Credit, mailto, http}) {
        L->setAlignment(Qt::AlignCenter);
        P->addWidget(L);
    }
    auto* OKButton = new QPushButton(QStringLiteral("OK"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* L = new QVBoxLayout(this);
    L->addWidget(Panel, 1);
    L->addWidget(OKButton, 0, Qt::AlignHCenter);
    OKButton->setFocus();
}

bool TAboutBox::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton &&
        (Watched == mailto || Watched == http)) {
        httpClick(static_cast<QLabel*>(Watched));
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TAboutBox::httpClick(QLabel* Link) {
    ShellOpenOrSay(FromQString(Link->toolTip()));
}
