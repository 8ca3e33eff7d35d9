#include "CatOptions.h"

#include "app/ImageLists.h"
#include "app/UiText.h"
#include "app/UserDialogs.h"
#include "core/CatalogGlobals.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const char* const SInvalidChars = "A filename cannot contain any of the following characters:\n"
                                  "  \\ / : * ? \" < > |";
const char* const SFileExists =
    "A file with the name you specified alredy exists. Specify a different filename.";

// A radio group shows Value when it has a button for it, and no choice otherwise.
void ShowChoice(QButtonGroup* Group, int Value) {
    if (QAbstractButton* B = Group->button(Value)) {
        B->setChecked(true);
        return;
    }
    Group->setExclusive(false);
    for (QAbstractButton* B : Group->buttons())
        B->setChecked(false);
    Group->setExclusive(true);
}

// The choice of a group, or Value when none is made.
uint8_t Choice(const QButtonGroup* Group, uint8_t Value) {
    return Group->checkedId() >= 0 ? static_cast<uint8_t>(Group->checkedId()) : Value;
}

QGroupBox* RadioGroup(const char* Name, const char* Title, QButtonGroup*& Group,
                      std::initializer_list<const char*> Captions, QObject* Owner) {
    auto* Box = new QGroupBox(QString::fromUtf8(Title));
    Box->setObjectName(QString::fromUtf8(Name));
    Group = new QButtonGroup(Owner);
    auto* L = new QVBoxLayout(Box);
    int Id = 0;
    for (const char* Caption : Captions) {
        auto* R = new QRadioButton(QString::fromUtf8(Caption));
        R->setObjectName(QStringLiteral("%1%2").arg(QString::fromUtf8(Name)).arg(Id));
        Group->addButton(R, Id++);
        L->addWidget(R);
    }
    return Box;
}

void LoadNames(QListWidget* List, const std::string& All, const std::string& Active) {
    List->clear();
    TStringList Checked(Active);
    Checked.SetSorted(true);
    const TStringList Names(All);
    for (int I = 0; I < Names.Count(); ++I) {
        auto* Item = new QListWidgetItem(ToQString(Names[I]));
        Item->setFlags(Item->flags() | Qt::ItemIsUserCheckable);
        int At = 0;
        Item->setCheckState(Checked.Find(Names[I], At) ? Qt::Checked : Qt::Unchecked);
        List->addItem(Item);
    }
}

std::string NamesOf(const QListWidget* List, bool CheckedOnly) {
    TStringList Names;
    for (int I = 0; I < List->count(); ++I)
        if (!CheckedOnly || List->item(I)->checkState() == Qt::Checked)
            Names.Add(FromQString(List->item(I)->text()));
    return Names.CommaText();
}

} // namespace

TfmCatOptions::TfmCatOptions(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("fmCatOptions"));
    setWindowTitle(QStringLiteral("Options"));
    CreateListActions();
    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(CreateGeneralPage(), QStringLiteral("General"));
    PageControl1->addTab(CreateDescriptionsPage(), QStringLiteral("Descriptions"));

    auto* Button1 = new QPushButton(QStringLiteral("Ok"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] {
        Button1Click();
        accept();
    });
    auto* Button2 = new QPushButton(QStringLiteral("Cancel"));
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    ApplyButton = new QPushButton(QStringLiteral("&Apply"));
    ApplyButton->setObjectName(QStringLiteral("ApplyButton"));
    connect(ApplyButton, &QPushButton::clicked, this, [this] { Button1Click(); });
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    for (QPushButton* B : {Button1, Button2, ApplyButton})
        Buttons->addWidget(B);
    auto* L = new QVBoxLayout(this);
    L->addWidget(PageControl1, 1);
    L->addLayout(Buttons);
    // A fixed border: the window is as large as its pages need, and the user cannot resize it.
    L->setSizeConstraint(QLayout::SetFixedSize);
    Button1->setFocus();

    // The list actions follow the focus between the two lists and the rest of the window.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
}

TfmCatOptions::~TfmCatOptions() = default;

QCheckBox* TfmCatOptions::NewCheckBox(const char* Name, const char* Caption, const char* Hint) {
    auto* C = new QCheckBox(QString::fromUtf8(Caption));
    C->setObjectName(QString::fromUtf8(Name));
    if (Hint) C->setToolTip(QString::fromUtf8(Hint));
    return C;
}

QWidget* TfmCatOptions::CreateGeneralPage() {
    auto* Page = new QWidget;
    Page->setObjectName(QStringLiteral("tsGeneral"));
    QGroupBox* DoubleClickBox = RadioGroup("rgDoubleClick", "Double-click on file", rgDoubleClick,
                                           {"&Open file", "&Show properties"}, this);
    DoubleClickBox->setToolTip(QStringLiteral(
        "Using 'Double-click' on file option to configure QUILM\nhow to handle the mouse "
        "double-click: open this file\n(run if it is executable or load into the associated "
        "program),\nor show its properties."));
    cbAutoOpen = NewCheckBox("cbAutoOpen", "A&uto-open last catalog",
                             "Using 'Auto-open last catalog' option to\nallow QUILM open (on "
                             "start-up) the last\ncatalog you have been working with during\nthe "
                             "last session. This is very convenient\nwhen you have just one "
                             "database.");
    cbDisplayDefaultIcons =
        NewCheckBox("cbDisplayDefaultIcons", "D&efault icons only",
                    "Only display standart Windows icons\n(for improved speed when listen "
                    "exe-files)");
    cbAddFiles = NewCheckBox("cbAddFiles", "Adds &new files", "Adds new files on volume");
    cbDeleteFiles = NewCheckBox("cbDeleteFiles", "&Delete not found files",
                                "Deletes the not found files on volume");
    cbCheckVolumeInfo = NewCheckBox("cbCheckVolumeInfo", "&Check volume Info",
                                    "Checks a volume informationl and shows\ndialogue at an "
                                    "incorrectly inserted disk");
    cbShowRescanningDialog =
        NewCheckBox("cbShowRescanningDialog", "S&how synchronize dialog",
                    "Using an 'Show synchronize dialog'\nfor search of options before synchronize");
    cbSaveSetting = NewCheckBox("cbSaveSetting", "Save setting on e&xit",
                                "If the 'Save setting on exit' option is set, QUILM\nsaves it "
                                "layout on exit and restores it on start-up");
    SpinEdit1 = new QSpinBox;
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 10);
    cbShowHidden = NewCheckBox("cbShowHidden", "Show hidden fies and folder",
                               "Specifies that hidden and system files appear in the list of "
                               "files.\nRemark: just added files are always visible");

    auto* Sync = new QGroupBox(QStringLiteral("Synchronize options"));
    auto* SyncL = new QVBoxLayout(Sync);
    for (QCheckBox* C : {cbAddFiles, cbDeleteFiles, cbCheckVolumeInfo})
        SyncL->addWidget(C);
    auto* Recent = new QHBoxLayout;
    auto* RecentLabel = new QLabel(QStringLiteral("&Recent List"));
    RecentLabel->setBuddy(SpinEdit1);
    Recent->addWidget(RecentLabel);
    Recent->addWidget(SpinEdit1);
    Recent->addStretch(1);
    auto* L = new QVBoxLayout(Page);
    L->addWidget(DoubleClickBox);
    L->addWidget(cbAutoOpen);
    L->addWidget(cbDisplayDefaultIcons);
    L->addWidget(Sync);
    L->addWidget(cbShowRescanningDialog);
    L->addWidget(cbSaveSetting);
    L->addLayout(Recent);
    L->addWidget(cbShowHidden);
    L->addStretch(1);

    connect(rgDoubleClick, &QButtonGroup::idToggled, this, [this] { ChangeProperties(); });
    for (QCheckBox* C : {cbAutoOpen, cbDisplayDefaultIcons, cbAddFiles, cbDeleteFiles,
                         cbCheckVolumeInfo, cbShowRescanningDialog, cbSaveSetting, cbShowHidden})
        connect(C, &QCheckBox::toggled, this, [this] { ChangeProperties(); });
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { ChangeProperties(); });
    return Page;
}

QWidget* TfmCatOptions::CreateDescriptionsPage() {
    auto* Page = new QWidget;
    Page->setObjectName(QStringLiteral("tsDescriptions"));
    cbExtractFolderDescriptions =
        NewCheckBox("cbExtractFolderDescriptions", "&Extract Folder Descriptions", nullptr);
    cbExtractFileDescriptions =
        NewCheckBox("cbExtractFileDescriptions", "E&xtract Folder/File Descriptions", nullptr);
    auto List = [this](const char* Name) {
        auto* W = new QListWidget;
        W->setObjectName(QString::fromUtf8(Name));
        W->setContextMenuPolicy(Qt::ActionsContextMenu);
        W->addActions({AddAction, DeleteAction, MoveUpAction, MoveDownAction});
        connect(W, &QListWidget::itemChanged, this, [this] { ChangeProperties(); });
        connect(W, &QListWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
        return W;
    };
    lbFolderDescriptions = List("lbFolderDescriptions");
    lbFileDescriptions = List("lbFileDescriptions");
    rgFileDescriptionsBox = RadioGroup("rgFileDescriptions", "Put Folder/File Descriptions into",
                                       rgFileDescriptions, {"&Comments", "&Notes"}, this);
    cbConvertOEMToANSI =
        NewCheckBox("cbConvertOEMToANSI", "Con&vert from OEM to ANSI",
                    "If the description files are created in DOS, permit this option.");
    cbExtractHTML = NewCheckBox(
        "cbExtractHTML", "Extract description from &Hypertext documents",
        "Extract description from Hypertext documents (*.htm, *.html, *.shtml, *.dhtml):\n"
        "Document <TITLE> into comments, meta tag \"description\" into notes.");
    cdConvertKOI8 =
        NewCheckBox("cdConvertKOI8", "Using charset KOI-8 by default for Hypertext document",
                    "If meta tag \"Content-Type\" not found use\ncharset KOI-8 by "
                    "default for Hypertext document");
    cbExtractGraphic = NewCheckBox("cbExtractGraphic",
                                   "Extract description from &Graphic files (BMP,PCX,GIF,TGA,PNG)",
                                   "Extract width, height and resolution from graphic files.");
    auto* ToolBar1 = new QToolBar;
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->addActions({AddAction, DeleteAction, MoveUpAction, MoveDownAction});

    auto* Lists = new QHBoxLayout;
    auto* FolderSide = new QVBoxLayout;
    FolderSide->addWidget(cbExtractFolderDescriptions);
    FolderSide->addWidget(lbFolderDescriptions, 1);
    FolderSide->addWidget(
        new QLabel(QStringLiteral("Remarks:\nFolder descriptions placed in Notes")));
    auto* FileSide = new QVBoxLayout;
    FileSide->addWidget(cbExtractFileDescriptions);
    FileSide->addWidget(lbFileDescriptions, 1);
    FileSide->addWidget(rgFileDescriptionsBox);
    Lists->addLayout(FolderSide);
    Lists->addLayout(FileSide);
    auto* L = new QVBoxLayout(Page);
    L->addWidget(ToolBar1);
    L->addLayout(Lists, 1);
    for (QCheckBox* C : {cbConvertOEMToANSI, cbExtractHTML, cdConvertKOI8, cbExtractGraphic})
        L->addWidget(C);

    for (QCheckBox* C : {cbExtractFolderDescriptions, cbExtractFileDescriptions})
        connect(C, &QCheckBox::toggled, this, [this] {
            UpdateEnabledStates();
            ChangeProperties();
        });
    connect(cbExtractHTML, &QCheckBox::toggled, this, [this] {
        UpdateEnabledStates();
        ChangeProperties();
    });
    connect(cbExtractGraphic, &QCheckBox::toggled, this, [this] { ChangeProperties(); });
    connect(rgFileDescriptions, &QButtonGroup::idToggled, this, [this] { ChangeProperties(); });
    // The two conversion boxes belong to their actions and mark nothing changed.
    return Page;
}

void TfmCatOptions::CreateListActions() {
    auto Action = [this](const char* Name, const char* Caption, const QKeySequence& Key,
                         const char* Picture, std::function<void()> Execute) {
        auto* A = new QAction(QString::fromUtf8(Caption), this);
        A->setObjectName(QString::fromUtf8(Name));
        A->setShortcut(Key);
        A->setIcon(WindowPicture(Picture));
        connect(A, &QAction::triggered, this, [this, Execute] {
            Execute();
            UpdateActions();
        });
        addAction(A);
        return A;
    };
    AddAction = Action("AddAction", "Add", QKeySequence(Qt::Key_Insert), "new",
                       [this] { AddActionExecute(); });
    DeleteAction = Action("DeleteAction", "Delete", QKeySequence(Qt::Key_Delete), "delete",
                          [this] { DeleteActionExecute(); });
    MoveUpAction = Action("MoveUpAction", "Move Up", QKeySequence(Qt::CTRL | Qt::Key_Up),
                          "arrow-up", [this] { MoveActionExecute(-1); });
    MoveDownAction = Action("MoveDownAction", "Move Down", QKeySequence(Qt::CTRL | Qt::Key_Down),
                            "arrow-down", [this] { MoveActionExecute(1); });
}

// ---- loading and storing -----------------------------------------------------------------------

void TfmCatOptions::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    FormShow();
}

void TfmCatOptions::FormShow() {
    PageControl1->setCurrentIndex(0);
    SpinEdit1->setValue(gRecentListCount);
    cbShowHidden->setChecked(ShowHidden);
    cbAutoOpen->setChecked(AutoOpen);
    cbDisplayDefaultIcons->setChecked(DisplayDefaultIcons);
    ShowChoice(rgDoubleClick, DoubleClick);
    cbShowRescanningDialog->setChecked(ShowRescanDialog);
    cbSaveSetting->setChecked(SaveSetting);
    cbAddFiles->setChecked(roAdd);
    cbDeleteFiles->setChecked(roDelete);
    cbCheckVolumeInfo->setChecked(roCheck);
    cbExtractHTML->setChecked(HTMLDescription);
    cdConvertKOI8->setChecked(ConvertKOI8);
    cbExtractGraphic->setChecked(GraphicDescription);
    cbExtractFolderDescriptions->setChecked(FolderDescription);
    cbExtractFileDescriptions->setChecked(FileDescription);
    cbConvertOEMToANSI->setChecked(ConvertOEMtoAnsi);
    ShowChoice(rgFileDescriptions, DescriptionMode);
    LoadNames(lbFileDescriptions, FileDescriptionFiles, ActiveFileDescriptionFiles);
    LoadNames(lbFolderDescriptions, FolderDescriptionFiles, ActiveFolderDescriptionFiles);
    UpdateEnabledStates();
    FModified = false;
    UpdateActions();
}

void TfmCatOptions::Button1Click() {
    gRecentListCount = SpinEdit1->value();
    ShowHidden = cbShowHidden->isChecked();
    AutoOpen = cbAutoOpen->isChecked();
    DisplayDefaultIcons = cbDisplayDefaultIcons->isChecked();
    DoubleClick = Choice(rgDoubleClick, DoubleClick);
    ShowRescanDialog = cbShowRescanningDialog->isChecked();
    SaveSetting = cbSaveSetting->isChecked();
    roAdd = cbAddFiles->isChecked();
    roDelete = cbDeleteFiles->isChecked();
    roCheck = cbCheckVolumeInfo->isChecked();
    HTMLDescription = cbExtractHTML->isChecked();
    ConvertKOI8 = cdConvertKOI8->isChecked();
    GraphicDescription = cbExtractGraphic->isChecked();
    FolderDescription = cbExtractFolderDescriptions->isChecked();
    FileDescription = cbExtractFileDescriptions->isChecked();
    ConvertOEMtoAnsi = cbConvertOEMToANSI->isChecked();
    DescriptionMode = Choice(rgFileDescriptions, DescriptionMode);
    FileDescriptionFiles = NamesOf(lbFileDescriptions, false);
    FolderDescriptionFiles = NamesOf(lbFolderDescriptions, false);
    ActiveFileDescriptionFiles = NamesOf(lbFileDescriptions, true);
    ActiveFolderDescriptionFiles = NamesOf(lbFolderDescriptions, true);
    FModified = false;
    UpdateActions();
}

void TfmCatOptions::ChangeProperties() {
    FModified = true;
    UpdateActions();
}

void TfmCatOptions::UpdateEnabledStates() {
    const bool Files = cbExtractFileDescriptions->isChecked();
    rgFileDescriptionsBox->setEnabled(Files);
    lbFileDescriptions->setEnabled(Files);
    lbFolderDescriptions->setEnabled(cbExtractFolderDescriptions->isChecked());
    cbConvertOEMToANSI->setEnabled(Files || cbExtractFolderDescriptions->isChecked());
    cdConvertKOI8->setEnabled(cbExtractHTML->isChecked());
}

// ---- the description-file lists ---------------------------------------------------------------

QListWidget* TfmCatOptions::ActiveList() const {
    QWidget* F = focusWidget();
    if (F == lbFileDescriptions || F == lbFolderDescriptions) return static_cast<QListWidget*>(F);
    return nullptr;
}

void TfmCatOptions::UpdateActions() {
    ApplyButton->setEnabled(FModified);
    QListWidget* L = ActiveList();
    const int Count = L ? L->count() : 0;
    const int Row = L && L->currentItem() && L->currentItem()->isSelected() ? L->currentRow() : -1;
    AddAction->setEnabled(L != nullptr);
    DeleteAction->setEnabled(Count > 0);
    MoveUpAction->setEnabled(Count > 0 && Row > 0);
    MoveDownAction->setEnabled(Row >= 0 && Row < Count - 1);
}

void TfmCatOptions::AddActionExecute() {
    QListWidget* L = ActiveList();
    if (!L) return;
    for (;;) {
        std::string Name;
        if (!UserDialogs().InputQuery("Add FileName", "FileName", Name) || Name.empty()) return;
        if (Name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
            UserDialogs().MessageDlg(SInvalidChars, mtInformation, mbOK);
            continue;
        }
        bool Taken = false;
        for (int I = 0; I < L->count() && !Taken; ++I)
            Taken = AnsiSameText(FromQString(L->item(I)->text()), Name);
        if (Taken) {
            UserDialogs().MessageDlg(SFileExists, mtInformation, mbOK);
            continue;
        }
        auto* Item = new QListWidgetItem(ToQString(Name));
        Item->setFlags(Item->flags() | Qt::ItemIsUserCheckable);
        Item->setCheckState(Qt::Unchecked);
        L->addItem(Item);
        ChangeProperties();
        return;
    }
}

void TfmCatOptions::DeleteActionExecute() {
    QListWidget* L = ActiveList();
    if (!L || !L->currentItem() || !L->currentItem()->isSelected()) return;
    const int Row = L->currentRow();
    delete L->takeItem(Row);
    if (L->count() > 0) L->setCurrentRow(Row > 0 ? Row - 1 : 0);
    ChangeProperties();
}

void TfmCatOptions::MoveActionExecute(int Step) {
    QListWidget* L = ActiveList();
    if (!L || !L->currentItem() || !L->currentItem()->isSelected()) return;
    const int Row = L->currentRow();
    const int To = Row + Step;
    if (To < 0 || To >= L->count()) return;
    L->insertItem(To, L->takeItem(Row));
    L->setCurrentRow(To);
    ChangeProperties();
}
