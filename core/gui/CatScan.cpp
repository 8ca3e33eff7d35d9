#include "CatScan.h"

#include "core/gui/Animate.h"
#include "core/gui/CoreGui.h"
#include "platform/Thread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <iterator>

namespace {

// The animation of each mode.
constexpr const char* ModeAnimations[4] = {"FINDCOMPUTERAVI", "FINDFILEAVI", "FINDCOMPUTERAVI",
                                           "FINDCOMPUTERAVI"};

} // namespace

TfmScanning::TfmScanning()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint) {
    // Closing this window must never end the program, even when it is the only one shown.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(302, 108);

    Animate1 = new TAnimate(this);
    Animate1->setGeometry(0, 0, 302, 45);
    Animate1->SetStopFrame(8);

    Label1 = new QLabel(this);
    const int LabelHeight = std::max(16, Label1->fontMetrics().height() + 2);
    Label1->setGeometry(11, 59, 282, LabelHeight);
    Label1->setTextFormat(Qt::PlainText);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    BitBtn1->setDefault(true);
    Button1 = new QPushButton("Minimize", this);
    Button1->setAutoDefault(false);
    const int ButtonTop = 108 - 4 - 25;
    BitBtn1->setGeometry(62, ButtonTop, 85, 25);
    Button1->setGeometry(155, ButtonTop, 85, 25);
    setTabOrder(BitBtn1, Button1);
    BitBtn1->setFocus();

    QObject::connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    SetMode(0);
}

TfmScanning::~TfmScanning() = default;

void TfmScanning::SetMode(uint8_t Mode) {
    FMode = Mode;
    if (Mode >= std::size(ScanningCaptions)) return;
    setWindowTitle(QString::fromLatin1(ScanningCaptions[Mode]));
    try {
        Animate1->SetResName(ModeAnimations[Mode]);
    } catch (const Exception&) {
        // Every mode's animation is built in; without it the window simply shows no animation.
    }
}

void TfmScanning::ShowProgress() {
    if (!isVisible()) PlaceOverMainForm(this);
    show();
}

void TfmScanning::HideProgress() {
    hide();
}

void TfmScanning::SetText(const std::string& Text) {
    FText = Text;
    // Long folder paths keep their beginning and their end.
    Label1->setText(Label1->fontMetrics().elidedText(QString::fromUtf8(Text), Qt::ElideMiddle,
                                                     Label1->width()));
}

void TfmScanning::FormShow() {
    try {
        Animate1->SetActive(true);
    } catch (const Exception&) {
    }
    SetText(std::string());
}

void TfmScanning::FormClose() {
    Animate1->Stop();
    if (FThread) FThread->Terminate();
}

void TfmScanning::BitBtn1Click() {
    close();
}

void TfmScanning::Button1Click() {
    MinimizeApplication();
}

void TfmScanning::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    // A window restored from the task bar is shown again by the window system; that is no new
    // start and must not wipe the thread's text.
    if (!Event->spontaneous()) FormShow();
}

void TfmScanning::closeEvent(QCloseEvent* Event) {
    FormClose();
    Event->accept();
}

void TfmScanning::keyPressEvent(QKeyEvent* Event) {
    switch (Event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (Event->modifiers() & ~Qt::KeypadModifier) break;
        BitBtn1->click();
        return;
    default: break;
    }
    QWidget::keyPressEvent(Event);
}

void MinimizeApplication() {
    for (QWidget* W : QApplication::topLevelWidgets()) {
        if (!W->isVisible()) continue;
        const Qt::WindowType Type = W->windowType();
        if (Type != Qt::Window && Type != Qt::Dialog && Type != Qt::Tool) continue;
        W->setWindowState(W->windowState() | Qt::WindowMinimized);
    }
}
