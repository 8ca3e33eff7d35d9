// The properties window's controls: four pages, the buttons below them and the actions of Up
// and Down; what the controls do is in CatProp.cpp.
#include "CatProp.h"

#include "app/ImageLists.h"
#include "app/dialogs/CatPropNote.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit* ReadOnlyEdit(const char* Name) {
    auto* E = new QLineEdit;
    E->setObjectName(QString::fromUtf8(Name));
    E->setReadOnly(true);
    E->setFrame(false);
    // Its text can be selected with the mouse; Tab passes it by.
    E->setFocusPolicy(Qt::ClickFocus);
    return E;
}

template <class T>
T* Named(T* Widget, const char* Name) {
    Widget->setObjectName(QString::fromUtf8(Name));
    return Widget;
}

} // namespace

// ---- the pages ---------------------------------------------------------------------------------

void TCatPropForm::CreatePages() {
    PageControl1 = Named(new QTabWidget, "PageControl1");
    tsGlobal = CreateGeneralPage();
    tsFile = CreateFilePage();
    tsKeywords = CreateKeyWordsPage();
    tsLocation = CreateLocationPage();
    PageControl1->addTab(tsGlobal, QStringLiteral("General"));
    PageControl1->addTab(tsFile, QStringLiteral("FileSystem Info"));
    PageControl1->addTab(tsKeywords, QStringLiteral("KeyWords"));
    PageControl1->addTab(tsLocation, QStringLiteral("Location"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int Index) {
        if (PageControl1->widget(Index) == tsFile) tsFileShow();
    });
    // Ctrl+Tab and Ctrl+Shift+Tab step through the pages shown from any control: a drop-down
    // or a list with the focus would otherwise keep the keys for itself.
    const std::pair<QKeySequence, int> Steps[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1}};
    for (const auto& [Keys, Step] : Steps)
        connect(new QShortcut(Keys, this), &QShortcut::activated, this, [this, Step = Step] {
            const int N = PageControl1->count();
            for (int I = PageControl1->currentIndex(), Pass = 0; Pass < N; ++Pass) {
                I = (I + Step + N) % N;
                if (PageControl1->isTabVisible(I) && PageControl1->isTabEnabled(I)) {
                    PageControl1->setCurrentIndex(I);
                    break;
                }
            }
        });

    auto Action = [this](const char* Name, const char* Hint, const QKeySequence& Key) {
        auto* A = new QAction(this);
        A->setObjectName(QString::fromUtf8(Name));
        A->setToolTip(QString::fromUtf8(Hint));
        A->setShortcut(Key);
        addAction(A);
        return A;
    };
    UpAction = Action("UpAction", "Move Up File", QKeySequence(Qt::CTRL | Qt::Key_Up));
    UpAction->setIcon(WindowPicture("arrow-up"));
    DownAction = Action("DownAction", "Move Down File", QKeySequence(Qt::CTRL | Qt::Key_Down));
    DownAction->setIcon(WindowPicture("arrow-down"));
    connect(UpAction, &QAction::triggered, this, [this] {
        if (TBasicItem* Up = NeighbourItem(-1)) Guard([&] { SetItem(Up); });
    });
    connect(DownAction, &QAction::triggered, this, [this] {
        if (TBasicItem* Down = NeighbourItem(1)) Guard([&] { SetItem(Down); });
    });
    auto* UpButton = Named(new QToolButton, "UpButton");
    UpButton->setDefaultAction(UpAction);
    auto* DownButton = Named(new QToolButton, "DownButton");
    DownButton->setDefaultAction(DownAction);

    auto* Button1 = Named(new QPushButton(QStringLiteral("Ok")), "Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] {
        bool Stored = false;
        Guard([&] {
            ApplyActionClick();
            Stored = true;
        });
        if (Stored) accept();
    });
    auto* Button2 = Named(new QPushButton(QStringLiteral("Cancel")), "Button2");
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    ApplyButton = Named(new QPushButton(QStringLiteral("&Apply")), "ApplyButton");
    connect(ApplyButton, &QPushButton::clicked, this,
            [this] { Guard([&] { ApplyActionClick(); }); });

    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(UpButton);
    Buttons->addWidget(DownButton);
    Buttons->addStretch(1);
    Buttons->addWidget(Button1);
    Buttons->addWidget(Button2);
    Buttons->addWidget(ApplyButton);
    auto* L = new QVBoxLayout(this);
    L->addWidget(PageControl1, 1);
    L->addLayout(Buttons);
}

QWidget* TCatPropForm::CreateGeneralPage() {
    auto* Page = Named(new QWidget, "tsGlobal");
    Image1 = Named(new QLabel, "Image1");
    Image1->setFixedSize(32, 32);
    e_Name = Named(new QLineEdit, "e_Name");
    e_FullName = ReadOnlyEdit("e_FullName");
    e_Comment = Named(new QLineEdit, "e_Comment");
    e_Comment->setToolTip(QStringLiteral("Descriptions or comments for the file."));
    e_note = Named(new TNoteEdit, "e_note");
    e_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BitBtn5 = Named(new QToolButton, "BitBtn5");
    BitBtn5->setIcon(WindowPicture("note-import"));
    BitBtn5->setToolTip(QStringLiteral("Import note ..."));
    BitBtn6 = Named(new QToolButton, "BitBtn6");
    BitBtn6->setIcon(WindowPicture("note-export"));
    BitBtn6->setToolTip(QStringLiteral("Export note ..."));
    auto* GetIconButton = Named(new QPushButton(QStringLiteral("Change Icon")), "GetIconButton");
    GetIconButton->setVisible(false);
    GetIconButton->setEnabled(false);
    for (QLineEdit* E : {e_Name, e_Comment, e_FullName})
        connect(E, &QLineEdit::textChanged, this, [this] { e_noteChange(); });
    connect(e_note, &TNoteEdit::textChanged, this, [this] { e_noteChange(); });
    connect(BitBtn5, &QToolButton::clicked, this, [this] { Guard([&] { BitBtn5Click(); }); });
    connect(BitBtn6, &QToolButton::clicked, this, [this] { Guard([&] { BitBtn6Click(); }); });

    auto* Top = new QHBoxLayout;
    Top->addWidget(Image1);
    Top->addWidget(e_Name, 1);
    auto* Form = new QFormLayout;
    auto* FullNameLabel = new QLabel(QStringLiteral("Full Name:"));
    FullNameLabel->setToolTip(QStringLiteral("Descriptions or comments for the file."));
    Form->addRow(FullNameLabel, e_FullName);
    auto* CommentLabel = new QLabel(QStringLiteral("&Comments"));
    CommentLabel->setBuddy(e_Comment);
    Form->addRow(CommentLabel, e_Comment);
    auto* NoteLabel = new QLabel(QStringLiteral("&Notes"));
    NoteLabel->setBuddy(e_note);
    auto* NoteButtons = new QHBoxLayout;
    NoteButtons->addWidget(NoteLabel);
    NoteButtons->addStretch(1);
    NoteButtons->addWidget(BitBtn5);
    NoteButtons->addWidget(BitBtn6);
    NoteButtons->addWidget(GetIconButton);
    auto* L = new QVBoxLayout(Page);
    L->addLayout(Top);
    L->addLayout(Form);
    L->addLayout(NoteButtons);
    L->addWidget(e_note, 1);
    return Page;
}

QWidget* TCatPropForm::CreateFilePage() {
    auto* Page = Named(new QWidget, "tsFile");
    e_FilePath = ReadOnlyEdit("e_FilePath");
    e_RelatedLocation = ReadOnlyEdit("e_RelatedLocation");
    e_FileType = ReadOnlyEdit("e_FileType");
    e_Date = ReadOnlyEdit("e_Date");
    e_Size = ReadOnlyEdit("e_Size");
    auto* Form = new QFormLayout;
    Form->addRow(QStringLiteral("Location:"), e_FilePath);
    Form->addRow(QStringLiteral("Name:"), e_RelatedLocation);
    Form->addRow(QStringLiteral("Type of file:"), e_FileType);
    Form->addRow(QStringLiteral("Modified:"), e_Date);
    Form->addRow(QStringLiteral("Size:"), e_Size);
    auto* L = new QVBoxLayout(Page);
    L->addLayout(Form);
    const char* const Captions[] = {"Read Only", "Archive", "Hidden", "System",
                                    "Compressed (NTFS only)"};
    auto* Checks = new QGridLayout;
    for (int I = 0; I < 5; ++I) {
        CheckBox[I] = new QCheckBox(QString::fromUtf8(Captions[I]));
        CheckBox[I]->setObjectName(QStringLiteral("CheckBox%1").arg(I + 1));
        CheckBox[I]->setEnabled(false);
        Checks->addWidget(CheckBox[I], I / 2, I % 2);
    }
    L->addLayout(Checks);
    L->addStretch(1);
    return Page;
}

QWidget* TCatPropForm::CreateKeyWordsPage() {
    auto* Page = Named(new QWidget, "tsKeywords");
    e_List = Named(new QComboBox, "e_List");
    ListBox1 = Named(new QListWidget, "ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    BitBtn7 = Named(new QPushButton(QStringLiteral("...")), "BitBtn7");
    BitBtn7->setToolTip(QStringLiteral("Setup KeyWord"));
    auto Button = [](const char* Name, const char* Caption, const char* Hint) {
        auto* B = Named(new QPushButton(QString::fromUtf8(Caption)), Name);
        B->setToolTip(QString::fromUtf8(Hint));
        return B;
    };
    QPushButton* Add = Button("BitBtn1", "Add", "Add keyword to list");
    QPushButton* AddAll = Button("BitBtn2", "Add All", "Add all keywords to list");
    QPushButton* Delete = Button("BitBtn3", "Delete", "Delete selected keywords from list");
    QPushButton* Clear = Button("BitBtn4", "Clear", "Clear list of keywords");
    connect(Add, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(AddAll, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(Delete, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(Clear, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(BitBtn7, &QPushButton::clicked, this, [this] { Guard([&] { BitBtn7Click(); }); });

    auto* Choose = new QHBoxLayout;
    Choose->addWidget(new QLabel(QStringLiteral("KeyWord")));
    Choose->addWidget(e_List, 1);
    Choose->addWidget(BitBtn7);
    auto* Side = new QVBoxLayout;
    for (QPushButton* B : {Add, AddAll, Delete, Clear})
        Side->addWidget(B);
    Side->addStretch(1);
    auto* Lists = new QHBoxLayout;
    Lists->addWidget(ListBox1, 1);
    Lists->addLayout(Side);
    auto* L = new QVBoxLayout(Page);
    L->addLayout(Choose);
    L->addWidget(new QLabel(QStringLiteral("List of keywords describing the file's content.")));
    L->addLayout(Lists, 1);
    return Page;
}

QWidget* TCatPropForm::CreateLocationPage() {
    auto* Page = Named(new QWidget, "tsLocation");
    e_RelatedDir = Named(new QLineEdit, "e_RelatedDir");
    connect(e_RelatedDir, &QLineEdit::textEdited, this, [this] { e_RelatedDirChange(); });
    connect(e_RelatedDir, &QLineEdit::editingFinished, this, [this] { e_RelatedDirExit(); });
    e_VolName = ReadOnlyEdit("e_VolName");
    e_VolSerial = ReadOnlyEdit("e_VolSerial");
    e_FileSystem = ReadOnlyEdit("e_FileSystem");
    e_DriveType = ReadOnlyEdit("e_DriveType");
    auto* Button3 = Named(new QPushButton(QStringLiteral("Refresh Volume Information")), "Button3");
    connect(Button3, &QPushButton::clicked, this, [this] { Guard([&] { Button3Click(); }); });
    auto* Volume = new QGroupBox(QStringLiteral("Volume Information"));
    auto* Form = new QFormLayout(Volume);
    Form->addRow(QStringLiteral("Name:"), e_VolName);
    Form->addRow(QStringLiteral("Serial #:"), e_VolSerial);
    Form->addRow(QStringLiteral("File System:"), e_FileSystem);
    Form->addRow(QStringLiteral("Drive Type:"), e_DriveType);
    auto* L = new QVBoxLayout(Page);
    auto* Dir = new QFormLayout;
    Dir->addRow(QStringLiteral("Location"), e_RelatedDir);
    L->addLayout(Dir);
    L->addWidget(Volume);
    L->addWidget(Button3, 0, Qt::AlignLeft);
    L->addStretch(1);
    return Page;
}
