#include "CatFind.h"

#include "app/UiText.h"
#include "uilib/HintFilter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The samples of each field, one per line.
QString Samples(const char* What, const char* One, const char* Several) {
    return QStringLiteral("%1\r\nSamples:\r\n%2\r\n%3")
        .arg(QString::fromUtf8(What), QString::fromUtf8(One), QString::fromUtf8(Several));
}

} // namespace

TfmFind::TfmFind(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("fmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetShowHint(this, false);

    auto Edit = [this](const char* Name, const QString& Hint) {
        auto* E = new QLineEdit(this);
        E->setObjectName(QString::fromUtf8(Name));
        E->setMinimumWidth(32 * E->fontMetrics().averageCharWidth());
        E->setToolTip(Hint);
        connect(E, &QLineEdit::textChanged, this, [this] { Action1Update(); });
        return E;
    };
    e_KeyWord = Edit("e_KeyWord", Samples("Search on describing keywords", "keyword",
                                          "+keyword1 -keyword2 +\"keyword 3\""));
    e_Comment = Edit("e_Comment", Samples("Search of words in the comments or descriptions", "word",
                                          "+word1 -word2 +\"word 3\""));
    e_Note = Edit("e_Note",
                  Samples("Search of words in the notes", "word", "+word1 -word2 +\"word 3\""));
    e_FileMask =
        Edit("e_FileMask", Samples("Search the files and folders, using one or more wildcards",
                                   "*.exe", "+*.* -*.com -*.exe -\"file name.ext\""));
    auto* Fields = new QFormLayout;
    auto Row = [&](const char* Caption, QLineEdit* E) {
        auto* L = new QLabel(QString::fromUtf8(Caption), this);
        L->setBuddy(E);
        Fields->addRow(L, E);
    };
    Row("by &keywords", e_KeyWord);
    Row("in co&mment", e_Comment);
    Row("in &note", e_Note);
    Row("by &wildcards", e_FileMask);

    // Two choices in a framed group.
    auto Group = [this](const char* Name, const char* Title, const char* const(&Names)[2],
                        const char* const(&Captions)[2], QRadioButton*(&Buttons)[2]) {
        auto* Box = new QGroupBox(QString::fromUtf8(Title), this);
        Box->setObjectName(QString::fromUtf8(Name));
        auto* Choices = new QButtonGroup(Box);
        auto* L = new QVBoxLayout(Box);
        for (int I = 0; I < 2; ++I) {
            Buttons[I] = new QRadioButton(QString::fromUtf8(Captions[I]), Box);
            Buttons[I]->setObjectName(QString::fromUtf8(Names[I]));
            Choices->addButton(Buttons[I], I);
            L->addWidget(Buttons[I]);
        }
        return Box;
    };
    QRadioButton* Criteria[2];
    QRadioButton* Areas[2];
    QGroupBox* Criterion =
        Group("rgCriterion", "Criterion", {"rbAnd", "rbOr"}, {"&AND", "&OR"}, Criteria);
    QGroupBox* Area =
        Group("rgArea", "Area", {"rbRoot", "rbCurrentFolder"}, {"&Root", "Current &Folder"}, Areas);
    rbAnd = Criteria[0];
    rbOr = Criteria[1];
    rbRoot = Areas[0];
    rbCurrentFolder = Areas[1];
    auto* Groups = new QHBoxLayout;
    Groups->addWidget(Criterion);
    Groups->addWidget(Area);

    cbSubFolders = new QCheckBox(QStringLiteral("Search in subfolders"), this);
    cbSubFolders->setObjectName(QStringLiteral("cbSubFolders"));

    bbFind = new QPushButton(QStringLiteral("Find"), this);
    bbFind->setObjectName(QStringLiteral("bbFind"));
    bbFind->setDefault(true);
    bbClose = new QPushButton(QStringLiteral("&Close"), this);
    bbClose->setObjectName(QStringLiteral("bbClose"));
    connect(bbFind, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Buttons->addWidget(bbFind);
    Buttons->addWidget(bbClose);

    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Fields);
    Layout->addLayout(Groups);
    Layout->addWidget(cbSubFolders);
    Layout->addLayout(Buttons);
    // A single border: the size the contents need, at least 380 pixels wide.
    setFixedSize(std::max(380, sizeHint().width()), sizeHint().height());

    SetCriteria(TFindCriteria());
}

TFindCriteria TfmFind::Criteria() const {
    TFindCriteria C;
    C.KeyWord = FromQString(e_KeyWord->text());
    C.Comment = FromQString(e_Comment->text());
    C.Note = FromQString(e_Note->text());
    C.FileMask = FromQString(e_FileMask->text());
    C.Criterion = rbOr->isChecked() ? 1 : 0;
    C.Area = rbCurrentFolder->isChecked() ? 1 : 0;
    C.SubFolders = cbSubFolders->isChecked();
    return C;
}

void TfmFind::SetCriteria(const TFindCriteria& C) {
    e_KeyWord->setText(ToQString(C.KeyWord));
    e_Comment->setText(ToQString(C.Comment));
    e_Note->setText(ToQString(C.Note));
    e_FileMask->setText(ToQString(C.FileMask));
    (C.Criterion == 1 ? rbOr : rbAnd)->setChecked(true);
    (C.Area == 1 ? rbCurrentFolder : rbRoot)->setChecked(true);
    cbSubFolders->setChecked(C.SubFolders);
    Action1Update();
}

void TfmFind::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    e_KeyWord->setFocus();
}

void TfmFind::Action1Update() {
    bbFind->setEnabled(!e_KeyWord->text().isEmpty() || !e_Comment->text().isEmpty() ||
                       !e_Note->text().isEmpty() || !e_FileMask->text().isEmpty());
}
