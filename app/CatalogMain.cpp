#include "CatalogMain.h"

#include "app/UiText.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/FindThread.h"
#include "core/FolderScan.h"
#include "core/ImageThreads.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Format.h"
#include "platform/SysUtils.h"
#include "uilib/MRUList.h"
#include "uilib/Placemnt.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

std::string CaptionSuffix;
std::vector<std::string> CommandLineParams;
TfmCatalogMain* fmCatalogMain = nullptr;

namespace {

// Pictures of ImageList1, in the order of their indices (7 and 8 are the sort marks of the list
// headers); each lies under resources/images/window/16 and resources/images/window/32.
enum : int {
    imgNew,
    imgOpen,
    imgSave,
    imgSaveAs,
    imgUp,
    imgDelete,
    imgProperties,
    imgSortAscending,
    imgSortDescending,
    imgLargeIcons,
    imgSmallIcons,
    imgList,
    imgDetails,
    imgRename,
    imgRefresh,
    imgRevert,
    imgExit,
    imgFoldersBar,
    imgKeywordsBar,
    imgResultsBar,
    imgAddKeyWord,
    imgSelectAll,
};
const char* const ActionImageNames[] = {
    "new",         "open",       "save",           "save-as",         "up",
    "delete",      "properties", "sort-ascending", "sort-descending", "large-icons",
    "small-icons", "list",       "details",        "rename",          "refresh",
    "revert",      "exit",       "folders-bar",    "keywords-bar",    "results-bar",
    "add-keyword", "select-all",
};
const char* const KeyWordStateImageNames[] = {"keyword-normal", "keyword-include",
                                              "keyword-exclude"};

QIcon ResourceIcon(const char* Name) {
    QIcon Icon;
    Icon.addFile(QStringLiteral(":/window/16/%1.png").arg(QLatin1String(Name)), QSize(16, 16));
    Icon.addFile(QStringLiteral(":/window/32/%1.png").arg(QLatin1String(Name)), QSize(32, 32));
    return Icon;
}

// lvMain's columns, by their number (Tag = position in the design order).
enum : int { colName, colSize, colType, colModified, colAttributes, colComment };

// The folder of a file name; empty when the name has none.
std::string FolderOf(const std::string& FileName) {
    std::string Folder = ExtractFilePath(FileName);
    if (Folder.size() > 1 && Folder.back() == '/') Folder.pop_back();
    return Folder;
}

// Catalogs are remembered by absolute names: the program changes its current directory to the
// folder of the open catalog, after which a relative name would lead somewhere else.
std::string AbsoluteFileName(const std::string& FileName) {
    if (FileName.empty() || FileName[0] == '/') return FileName;
    std::error_code E;
    std::filesystem::path P = std::filesystem::absolute(FileName, E);
    if (E) return FileName;
    return P.lexically_normal().string();
}

void ChangeDirectoryTo(const std::string& FileName) {
    const std::string Folder = FolderOf(FileName);
    if (Folder.empty()) return;
    if (::chdir(Folder.c_str()) != 0)
        RaiseCatalogError(
            Format("Cannot change the current folder to %s: %s", {Folder, std::strerror(errno)}));
}

// The size of an item for sorting: its file size, or -1 for anything that shows "Folder".
long long SizeKey(const TBasicItem* Item) {
    auto* F = dynamic_cast<const TFileItem*>(Item);
    if (!F || (F->FileInfo().Attr & faDirectory)) return -1;
    return static_cast<long long>(std::min<uint64_t>(F->FileInfo().Size, INT64_MAX));
}

// Runs an end step when the scope is left, on every path.
class TFinally {
public:
    explicit TFinally(std::function<void()> Step) : FStep(std::move(Step)) {}
    ~TFinally() { FStep(); }
    TFinally(const TFinally&) = delete;
    TFinally& operator=(const TFinally&) = delete;

private:
    std::function<void()> FStep;
};

// Gives Flag a value while it lives and puts the old one back on every path.
class TFlagGuard {
public:
    TFlagGuard(bool& Flag, bool During) : FFlag(Flag), FAfter(Flag) { FFlag = During; }
    ~TFlagGuard() { FFlag = FAfter; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
    bool FAfter;
};

} // namespace

// ---- module ------------------------------------------------------------------------------------

void CatalogMainInitialization() {
    CaptionSuffix = " - " + ProductName;
    QGuiApplication::setApplicationDisplayName(ToQString(ProductName));
}

void CatalogMainFinalization() {
    CaptionSuffix.clear();
}

std::string FolderContentsText(int64_t Folders, int64_t Files, uint64_t TotalSize) {
    uint64_t K = TotalSize / 1000;
    if (K == 0 && TotalSize % 1000 != 0) K = 1;
    return Format("Contents %d Folders, %d Files, %dKB",
                  {static_cast<long long>(Folders), static_cast<long long>(Files),
                   static_cast<long long>(K)});
}

std::string ItemSizeText(const TBasicItem* Item) {
    auto* F = dynamic_cast<const TFileItem*>(Item);
    if (!F || (F->FileInfo().Attr & faDirectory)) return "Folder";
    uint64_t K = F->FileInfo().Size / 1000;
    if (K == 0) K = 1;
    return Format("%dKB", {static_cast<long long>(K)});
}

std::string AttributeLetters(uint32_t Attr) {
    static const std::pair<uint32_t, char> Letters[] = {{1, 'R'},   {2, 'H'},    {4, 'S'},
                                                        {32, 'A'},  {2048, 'C'}, {16, 'F'},
                                                        {128, 'N'}, {4096, 'O'}, {256, 'T'}};
    std::string S;
    for (const auto& [Bit, Letter] : Letters)
        if (Attr & Bit) S += Letter;
    return S;
}

// ---- creation ----------------------------------------------------------------------------------

TfmCatalogMain::TfmCatalogMain(QWidget* Parent) : TCustomForm(Parent) {
    if (CaptionSuffix.empty()) CatalogMainInitialization();
    fmCatalogMain = this;
    SetName("fmCatalogMain");
    setWindowTitle(QStringLiteral("(Untitled) - QUILM"));
    SetPosition(poScreenCenter);
    resize(800, 560);

    for (const char* Name : ActionImageNames)
        ImageList1.Add(ResourceIcon(Name));
    for (const char* Name : KeyWordStateImageNames)
        ImageList2.Add(ResourceIcon(Name));
    SmallImageList.AddFixedPictures();
    LargeImageList.AddFixedPictures();

    FormStorage1 = new TFormStorage(this);
    FormStorage1->SetName("FormStorage1");
    FormStorage1->SetUseRegistry(true);
    FormStorage1->SetOptions(fpPosition);
    OpenDialog1.Title = "Open catalog database";
    OpenDialog1.DefaultExt = "qlmk";
    SaveDialog1.Title = "Save catalog database";
    SaveDialog1.DefaultExt = "qlmk";

    CreateActions();
    CreatePanes();
    CreateMenus();
    CreateToolBars();

    MRUManager1 = new TMRUManager(this);
    MRUManager1->SetName("MRUManager1");
    MRUManager1->SetMode(rmAppend);
    MRUManager1->SetRecentMenu(Recent1);
    MRUManager1->OnClick = [this](QObject*, const std::string& RecentName, const std::string&,
                                  int) { Run([&] { MRUManager1Click(RecentName); }); };

    OnShow = [this](QObject*) { FormShow(); };
    OnCloseQuery = [this](QObject*, bool& CanClose) { FormCloseQuery(CanClose); };
    OnDestroy = [this](QObject*) { FormDestroy(); };
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* Now) { FocusChanged(Now); });

    FormCreate();
}

TfmCatalogMain::~TfmCatalogMain() {
    BeforeDestruction();
    // The panes draw from the image lists, which are members: the panes go first.
    delete takeCentralWidget();
    if (fmCatalogMain == this) fmCatalogMain = nullptr;
}

QAction* TfmCatalogMain::NewAction(const char* Name, const char* Caption, const char* Hint,
                                   const QKeySequence& ShortCut, int ImageIndex,
                                   std::function<void()> Execute) {
    auto* A = new QAction(QString::fromUtf8(Caption), this);
    A->setObjectName(QString::fromUtf8(Name));
    // A hint holds the tool-tip and the status text, divided by a bar.
    const QString H = QString::fromUtf8(Hint);
    const qsizetype Bar = H.indexOf(QLatin1Char('|'));
    A->setToolTip(Bar < 0 ? H : H.left(Bar));
    A->setStatusTip(Bar < 0 ? H : H.mid(Bar + 1));
    A->setShortcut(ShortCut);
    A->setShortcutContext(Qt::WindowShortcut);
    if (ImageIndex >= 0) A->setIcon(ImageList1.Icon(ImageIndex));
    if (Execute)
        connect(A, &QAction::triggered, this, [this, Execute] {
            Run(Execute);
            ScheduleUpdateActions();
        });
    addAction(A);
    return A;
}

void TfmCatalogMain::CreateActions() {
    using K = QKeySequence;
    aRootUp =
        NewAction("aRootUp", "Up", "Up|Goto Root Folder", K(), imgUp, [this] { aRootUpExecute(); });
    aLeft = NewAction("aLeft", "Folders bar", "Show folders root bar", K(Qt::CTRL | Qt::Key_8),
                      imgFoldersBar, [this] { LeftPanel->setVisible(aLeft->isChecked()); });
    aLeft->setCheckable(true);
    aLeft->setChecked(true);
    aNew = NewAction("aNew", "New", "New|Creates a new catalog", K(Qt::CTRL | Qt::Key_N), imgNew,
                     [this] { aNewExecute(); });
    aLoad = NewAction("aLoad", "Open ...", "Open ...|Open an existing catalog",
                      K(Qt::CTRL | Qt::Key_O), imgOpen, [this] { aLoadExecute(); });
    aSave = NewAction("aSave", "Save", "Save|Saves the active catalog", K(Qt::CTRL | Qt::Key_S),
                      imgSave, [this] { aSaveExecute(); });
    aSaveAs = NewAction("aSaveAs", "Save As ...",
                        "Save As ...|Saves a copy of the catalog in a separate file", K(),
                        imgSaveAs, [this] { aSaveAsExecute(); });
    aExit = NewAction("aExit", "E&xit", "Exit|Quits Quillmark and prompts to save catalog",
                      K(Qt::CTRL | Qt::Key_X), imgExit, [this] { aExitExecute(); });
    aDetail = NewAction("aDetail", "Details", "Details|Display information about each item",
                        K(Qt::ALT | Qt::Key_4), imgDetails, [this] { aDetailExecute(); });
    aSmallIcon = NewAction("aSmallIcon", "Small Icons",
                           "Small Icons|Display items by using small icons", K(Qt::ALT | Qt::Key_2),
                           imgSmallIcons, [this] { lvMain->SetViewStyle(vsSmallIcon); });
    aLargeIcon =
        NewAction("aLargeIcon", "Large Icons", "Large Icons|Display items by using large icons",
                  K(Qt::ALT | Qt::Key_1), imgLargeIcons, [this] { lvMain->SetViewStyle(vsIcon); });
    aList = NewAction("aList", "List", "List|Display items in a list", K(Qt::ALT | Qt::Key_3),
                      imgList, [this] { lvMain->SetViewStyle(vsList); });
    FStyleGroup = new QActionGroup(this);
    for (QAction* A : {aLargeIcon, aSmallIcon, aList, aDetail}) {
        A->setCheckable(true);
        FStyleGroup->addAction(A);
    }
    aDetail->setChecked(true);
    aRenameAction = NewAction("aRenameAction", "Rename", "Rename|Rename item", K(Qt::Key_F2),
                              imgRename, [this] { aRenameActionExecute(); });
    aMainDelete = NewAction("aMainDelete", "Delete", "Delete|Delete file or folder", K(), imgDelete,
                            [this] { aMainDeleteExecute(); });
    aMainProperty =
        NewAction("aMainProperty", "Properties", "Properties|Show item properties",
                  K(Qt::ALT | Qt::Key_Return), imgProperties, [this] { aMainPropertyExecute(); });
    aBottom =
        NewAction("aBottom", "Results bar", "Show search results bar", K(Qt::CTRL | Qt::Key_0),
                  imgResultsBar, [this] { BottomPanel->setVisible(aBottom->isChecked()); });
    aBottom->setCheckable(true);
    aRight = NewAction("aRight", "Keyword bar", "Show keywords bar", K(Qt::CTRL | Qt::Key_9),
                       imgKeywordsBar, [this] { RightPanel->setVisible(aRight->isChecked()); });
    aRight->setCheckable(true);
    // The keyword commands come with the keyword pane; the action is here because renaming
    // switches its shortcut.
    aAddKeyWord = NewAction("aAddKeyWord", "Add KeyWord", "Add keyword|Add keyword",
                            K(Qt::CTRL | Qt::Key_4), imgAddKeyWord, nullptr);
    aAddKeyWord->setEnabled(false);
    DeleteAction = NewAction("DeleteAction", "Delete", "Delete|Delete Item", K(Qt::Key_Delete),
                             imgDelete, [this] {
                                 if (FActiveControl == tvMain || FActiveControl == lvMain)
                                     aMainDeleteExecute();
                             });
    RefreshAction = NewAction("RefreshAction", "Refresh", "Refresh", K(Qt::Key_F5), imgRefresh,
                              [this] { RefreshActionExecute(); });
    RevertAction =
        NewAction("RevertAction", "Revert", "Revert|Reverts the catalog to the last saved version",
                  K(), imgRevert, [this] { RevertActionExecute(); });
    SelectAllAction = NewAction("SelectAllAction", "Select All", "", K(Qt::CTRL | Qt::Key_A),
                                imgSelectAll, [this] { SelectAllActionExecute(); });

    StatusBar2 = NewAction("StatusBar2", "Status Bar", "", K(), -1,
                           [this] { StatusBar1->setVisible(StatusBar2->isChecked()); });
    Bar3 = NewAction("Bar3", "File", "", K(), -1, [this] { ToggleBar(Bar3, FileToolbar); });
    bar11 = NewAction("bar11", "Standart", "", K(), -1, [this] { ToggleBar(bar11, ToolsToolBar); });
    Bar21 = NewAction("Bar21", "Controls", "", K(), -1, [this] { ToggleBar(Bar21, ViewToolBar); });
    ViewStylebar1 = NewAction("ViewStylebar1", "View Style", "", K(), -1,
                              [this] { ToggleBar(ViewStylebar1, ViewStyleToolbar); });
    for (QAction* A : {StatusBar2, Bar3, bar11, Bar21, ViewStylebar1})
        A->setCheckable(true);
    StatusBar2->setChecked(true);
    Bar3->setChecked(true);
    bar11->setChecked(true);
}

void TfmCatalogMain::ToggleBar(QAction* Item, QWidget* Bar) {
    Bar->setVisible(Item->isChecked());
}

void TfmCatalogMain::CreatePanes() {
    tvMain = new TCatalogTreeView;
    tvMain->setObjectName(QStringLiteral("tvMain"));
    tvMain->SetImages(&SmallImageList);
    tvMain->SetSortType(stText);
    tvMain->OnChanging = [this](TTreeViewNode* Node, bool&) { Run([&] { tvMainChanging(Node); }); };
    tvMain->OnChange = [this](TTreeViewNode* Node) {
        Run([&] { tvMainChange(Node); });
        ScheduleUpdateActions();
    };
    tvMain->OnEditing = [this](TTreeViewNode* Node, bool& Allow) {
        TBasicItem* Item = Node ? Node->Data() : nullptr;
        Allow = Item && Item->CanRename();
        if (Allow) DeleteAction->setShortcut({});
    };
    tvMain->OnEdited = [this](TTreeViewNode* Node, std::string& S) {
        Run([&] {
            if (TBasicItem* Item = Node->Data()) {
                Item->SetItemName(S);
                S = Item->DisplayName();
            }
        });
        DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    };
    tvMain->OnEditEnd = [this] { EditEnded(); };
    tvMain->OnDeletion = [](TTreeViewNode* Node) {
        if (TBasicItem* Item = Node->Data(); Item && Item->TreeNode() == Node)
            Item->SetTreeNode(nullptr);
    };
    // Whatever brackets the tree's nodes changes the catalog's items: the lists follow.
    tvMain->OnUpdate = [this](bool Begin) {
        for (TCustomListView* L :
             {static_cast<TCustomListView*>(lvMain), static_cast<TCustomListView*>(lvResult)}) {
            if (Begin)
                L->BeginUpdate();
            else
                L->EndUpdate();
        }
    };

    lvMain = new TCatalogListView;
    lvMain->setObjectName(QStringLiteral("lvMain"));
    lvMain->AddColumn("Name", 175, Qt::AlignLeft, 10);
    lvMain->AddColumn("Size", 75, Qt::AlignRight, 10);
    lvMain->AddColumn("Type", 150, Qt::AlignLeft, 10);
    lvMain->AddColumn("Modified", 100, Qt::AlignLeft, 10);
    lvMain->AddColumn("Attributes", 75, Qt::AlignLeft, 10);
    lvMain->AddColumn("Comment", 100, Qt::AlignLeft, 10);
    for (int I = 0; I < lvMain->ColumnCount(); ++I)
        lvMain->SetColumnTag(I, I);
    lvMain->SetMultiSelect(true);
    lvMain->SetHeaderDragDrop(true);
    lvMain->SetSmallImages(&SmallImageList);
    lvMain->SetLargeImages(&LargeImageList);
    lvMain->SetHeaderImages(&ImageList1);
    lvMain->SetAscImgIndex(imgSortAscending);
    lvMain->SetDescImgIndex(imgSortDescending);
    lvMain->OnCompareStr = [this](const TListViewItem* I1, const TListViewItem* I2, int& C) {
        SortSizes(I1, I2, C);
    };
    lvMain->OnChange = [this] {
        Run([&] { lvMainChange(); });
        ScheduleUpdateActions();
    };
    lvMain->OnDblClick = [this] { Run([&] { lvMainDblClick(); }); };
    lvMain->OnKeyDown = [this](int& Key, Qt::KeyboardModifiers) {
        Run([&] { lvMainKeyDown(Key); });
    };
    lvMain->OnEditing = [this](TListViewItem* Row, bool& Allow) {
        TBasicItem* Item = Row ? Row->Data() : nullptr;
        Allow = Item && Item->CanRename();
        if (Allow) DeleteAction->setShortcut({});
    };
    lvMain->OnEdited = [this](TListViewItem* Row, std::string& S) {
        Run([&] {
            if (TBasicItem* Item = Row->Data()) {
                Item->SetItemName(S);
                S = Item->DisplayName();
            }
        });
        DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    };
    lvMain->OnEditEnd = [this] { EditEnded(); };
    lvMain->OnDeletion = [](TListViewItem* Row) {
        if (TBasicItem* Item = Row->Data(); Item && Item->ListItem() == Row)
            Item->SetListItem(nullptr);
    };

    lvKey = new TCustomListView;
    lvKey->setObjectName(QStringLiteral("lvKey"));
    lvKey->AddColumn("KeyWord", 140);
    lvKey->SetViewStyle(vsReport);
    lvKey->ReportPane()->header()->setStretchLastSection(true);
    lvKey->SetMultiSelect(true);
    lvKey->SetSmallImages(&ImageList2);
    lvKey->OnEditing = [this](TListViewItem*, bool& Allow) {
        // Keywords are renamed with the keyword pane's own commands.
        Allow = false;
        (void)this;
    };
    lvKey->OnChange = [this] { ScheduleUpdateActions(); };

    lvResult = new TCatalogListView;
    lvResult->setObjectName(QStringLiteral("lvResult"));
    lvResult->AddColumn("Name", 150, Qt::AlignLeft, 10);
    lvResult->AddColumn("Location", 200, Qt::AlignLeft, 10);
    lvResult->AddColumn("FileType", 120, Qt::AlignLeft, 10);
    lvResult->AddColumn("FilePath", 250, Qt::AlignLeft, 10);
    for (int I = 0; I < lvResult->ColumnCount(); ++I)
        lvResult->SetColumnTag(I, I);
    lvResult->SetMultiSelect(true);
    lvResult->SetHeaderDragDrop(true);
    lvResult->SetSmallImages(&SmallImageList);
    lvResult->SetLargeImages(&LargeImageList);
    lvResult->SetHeaderImages(&ImageList1);
    lvResult->SetAscImgIndex(imgSortAscending);
    lvResult->SetDescImgIndex(imgSortDescending);
    lvResult->OnEditing = [](TListViewItem*, bool& Allow) { Allow = false; };
    lvResult->OnChange = [this] { ScheduleUpdateActions(); };
    lvResult->OnDeletion = [](TListViewItem* Row) {
        if (TBasicItem* Item = Row->Data(); Item && Item->ResultItem() == Row)
            Item->SetResultItem(nullptr);
    };

    auto Panel = [](const char* Name, QWidget* Content) {
        auto* P = new QWidget;
        P->setObjectName(QString::fromUtf8(Name));
        auto* L = new QVBoxLayout(P);
        L->setContentsMargins(0, 0, 0, 0);
        L->addWidget(Content);
        return P;
    };
    LeftPanel = Panel("LeftPanel", tvMain);
    RightPanel = Panel("RightPanel", lvKey);
    BottomPanel = Panel("BottomPanel", lvResult);

    SpRight = new QSplitter(Qt::Horizontal);
    SpRight->setObjectName(QStringLiteral("SpRight"));
    SpRight->addWidget(lvMain);
    SpRight->addWidget(RightPanel);
    SpRight->setStretchFactor(0, 1);
    spLeft = new QSplitter(Qt::Horizontal);
    spLeft->setObjectName(QStringLiteral("spLeft"));
    spLeft->addWidget(LeftPanel);
    spLeft->addWidget(SpRight);
    spLeft->setStretchFactor(1, 1);
    spBottom = new QSplitter(Qt::Vertical);
    spBottom->setObjectName(QStringLiteral("spBottom"));
    spBottom->addWidget(spLeft);
    spBottom->addWidget(BottomPanel);
    spBottom->setStretchFactor(0, 1);
    for (QSplitter* S : {SpRight, spLeft, spBottom})
        S->setChildrenCollapsible(false);
    spLeft->setSizes({200, 600});
    SpRight->setSizes({450, 150});
    spBottom->setSizes({440, 62});
    setCentralWidget(spBottom);
    RightPanel->setVisible(false);
    BottomPanel->setVisible(false);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    FStatusLabel = new QLabel;
    FStatusLabel->setObjectName(QStringLiteral("StatusText"));
    StatusBar1->addWidget(FStatusLabel, 1);
    FActiveControl = lvMain;
}

void TfmCatalogMain::CreateMenus() {
    MenuToolBar = new QMenuBar(this);
    MenuToolBar->setObjectName(QStringLiteral("MenuToolBar"));
    setMenuBar(MenuToolBar);

    QMenu* File = MenuToolBar->addMenu(QStringLiteral("&File"));
    File->addActions({aNew, aLoad});
    File->addSeparator();
    File->addActions({aSave, aSaveAs, RevertAction});
    File->addSeparator();
    File->addAction(aExit);
    File->addSeparator();
    Recent1 = File->addMenu(QStringLiteral("Recent"));
    Recent1->setObjectName(QStringLiteral("Recent1"));
    Recent1->setEnabled(false);

    QMenu* Edit = MenuToolBar->addMenu(QStringLiteral("&Edit"));
    Edit->addActions({aRenameAction, DeleteAction, SelectAllAction});
    Edit->addSeparator();
    Edit->addAction(RefreshAction);

    QMenu* View = MenuToolBar->addMenu(QStringLiteral("&View"));
    View->addActions({aLargeIcon, aSmallIcon, aList, aDetail});
    View->addSeparator();
    QMenu* Controls = View->addMenu(QStringLiteral("Controls"));
    Controls->addActions({aLeft, aRight, aBottom});
    QMenu* Bars = View->addMenu(QStringLiteral("Tollbars"));
    Bars->addActions({Bar3, bar11, Bar21, ViewStylebar1});
    View->addAction(StatusBar2);

    pmMain = new QMenu(this);
    pmMain->setObjectName(QStringLiteral("pmMain"));
    QMenu* Styles = pmMain->addMenu(QStringLiteral("View Style"));
    Styles->addActions({aLargeIcon, aSmallIcon, aList, aDetail});
    pmMain->addSeparator();
    pmMain->addActions({aRenameAction, DeleteAction});
    pmMain->addSeparator();
    pmMain->addAction(RefreshAction);
    pmMain->addSeparator();
    pmMain->addAction(aMainProperty);
    tvMain->SetPopupMenu(pmMain);
    lvMain->SetPopupMenu(pmMain);

    pmResults = new QMenu(this);
    pmResults->setObjectName(QStringLiteral("pmResults"));
    pmResults->addAction(DeleteAction);
    pmResults->addSeparator();
    pmResults->addAction(RefreshAction);
    lvResult->SetPopupMenu(pmResults);
}

void TfmCatalogMain::CreateToolBars() {
    auto Bar = [this](const char* Name, const char* Title) {
        auto* B = new QToolBar(QString::fromUtf8(Title), this);
        B->setObjectName(QString::fromUtf8(Name));
        B->setIconSize(QSize(16, 16));
        addToolBar(Qt::TopToolBarArea, B);
        return B;
    };
    FileToolbar = Bar("FileToolbar", "File");
    FileToolbar->addActions({aNew, aLoad, aSave, aSaveAs});
    ToolsToolBar = Bar("ToolsToolBar", "Standart");
    ToolsToolBar->addAction(aRootUp);
    ToolsToolBar->addSeparator();
    ToolsToolBar->addActions({DeleteAction, aMainProperty});
    ViewToolBar = Bar("ViewToolBar", "Controls");
    ViewToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ViewToolBar->addActions({aLeft, aRight, aBottom});
    ViewToolBar->setVisible(false);
    ViewStyleToolbar = Bar("ViewStyleToolbar", "View Style");
    ViewStyleToolbar->addActions({aLargeIcon, aSmallIcon, aList, aDetail});
}

void TfmCatalogMain::FormCreate() {
    OpenDialog1.Filter = CatalogFilter;
    SaveDialog1.Filter = CatalogFilter;
    FormStorage1->SetIniFileName(RegistryKey);
    FormStorage1->SetIniSection(RegistrySection);
    FFindRunning = FListImageRunning = FTreeImageRunning = FCatalogImageRunning = false;

    RefreshTreeNodeProc = [](TTreeNode* Node) {
        if (fmCatalogMain) fmCatalogMain->RefreshTreeNode(Node);
    };
    SelectCurrentFolderProc = [] {
        if (fmCatalogMain) fmCatalogMain->SetCurrentFolder(CurrentFolder);
    };
    StartTreeImageThreadProc = [] {
        if (fmCatalogMain) fmCatalogMain->StartTreeImageThread();
    };
    RefreshKeyWordsProc = [] {
        if (fmCatalogMain) fmCatalogMain->RefreshKeyWordList();
    };
    RefreshListProc = [] {
        if (fmCatalogMain) fmCatalogMain->RefreshList(false);
    };
    FillListItemProc = [](TListItem* Row) {
        if (fmCatalogMain) fmCatalogMain->FillListItem(Row);
    };
    EnableMainWindowProc = [](bool Enabled) {
        if (fmCatalogMain) fmCatalogMain->setEnabled(Enabled);
    };
    TreeUpdateProc = [](bool Begin) {
        if (!fmCatalogMain) return;
        if (Begin)
            fmCatalogMain->tvMain->BeginUpdate();
        else
            fmCatalogMain->tvMain->EndUpdate();
    };
    SetProgramImageLists(&SmallImageList, &LargeImageList);

    FCatalog = std::make_unique<TCatFileItem>();
    CurrentCatalog = FCatalog.get();
    TTreeViewNode* Root = tvMain->AddChild(nullptr, CurrentCatalog->DisplayName(), CurrentCatalog);
    CurrentCatalog->SetTreeNode(Root);
    Root->SetImageIndex(CurrentCatalog->GetImageIndex());
    Root->SetSelectedIndex(CurrentCatalog->GetSelectedIndex());
    InitRootCaption();
    aNewExecute();
}

void TfmCatalogMain::InitRootCaption() {
    CurrentCatalog->SetItemName("Desktop");
    CatalogModified = false;
}

void TfmCatalogMain::FormShow() {
    Run([&] {
        if (!CommandLineParams.empty())
            OpenCatalog(CommandLineParams[0]);
        else if (AutoOpen && MRUManager1->RecentList().Count() > 0)
            OpenCatalog(MRUManager1->RecentList()[0]);
    });
    lvMain->SortByColumn(colName, true);
    ScheduleUpdateActions();
}

void TfmCatalogMain::FormDestroy() {
    if (CurrentCatalog) {
        CloseCatalog();
        FFindThread.reset();
        FListImageThread.reset();
        FCatalog.reset();
        CurrentCatalog = nullptr;
    }
    CurrentFolder = nullptr;
    RefreshTreeNodeProc = nullptr;
    SelectCurrentFolderProc = nullptr;
    StartTreeImageThreadProc = nullptr;
    RefreshKeyWordsProc = nullptr;
    RefreshListProc = nullptr;
    FillListItemProc = nullptr;
    EnableMainWindowProc = nullptr;
    TreeUpdateProc = nullptr;
    SetProgramImageLists(nullptr, nullptr);
}

// ---- commands and updates ----------------------------------------------------------------------

void TfmCatalogMain::Run(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& E) {
        ShowCatalogError(E);
    } catch (...) {
        ShowCatalogError(Exception("Unknown error"));
    }
}

void TfmCatalogMain::ScheduleUpdateActions() {
    if (FUpdatePending) return;
    FUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        FUpdatePending = false;
        UpdateActions();
    });
}

void TfmCatalogMain::FocusChanged(QWidget* Now) {
    for (QWidget* W = Now; W; W = W->parentWidget()) {
        if (W == tvMain || W == lvMain || W == lvKey || W == lvResult) {
            FActiveControl = W;
            break;
        }
        if (W == this) break;
    }
    ScheduleUpdateActions();
}

void TfmCatalogMain::SetActiveControl(QWidget* Control) {
    FActiveControl = Control;
    if (Control) Control->setFocus();
    UpdateActions();
}

void TfmCatalogMain::UpdateActions() {
    if (!CurrentCatalog) return;
    QWidget* A = FActiveControl;
    TTreeViewNode* Node = tvMain->Selected();
    TBasicItem* NodeItem = Node ? Node->Data() : nullptr;
    const int MainSel = lvMain->SelCount();
    TListViewItem* MainRow = MainSel == 1 ? lvMain->Selected() : nullptr;
    TBasicItem* RowItem = MainRow ? MainRow->Data() : nullptr;
    auto ScanRoot = [](const TBasicItem* X) { return X && (X->ScanFlags() & sfRoot); };

    aRootUp->setEnabled(CurrentFolder != CurrentCatalog);
    aRenameAction->setEnabled((A == lvKey && lvKey->SelCount() == 1) ||
                              (A == tvMain && NodeItem && NodeItem->CanRename()) ||
                              (A == lvMain && RowItem && RowItem->CanRename()));
    aMainProperty->setEnabled(ShowItemPropertiesProc != nullptr &&
                              ((A == tvMain && Node) || (A == lvMain && MainSel == 1) ||
                               (A == lvResult && lvResult->SelCount() == 1)));
    RevertAction->setEnabled(!CurrentCatalog->CatFile().empty());
    SelectAllAction->setEnabled((A == lvMain && lvMain->Count() > 0) ||
                                (A == lvKey && lvKey->Count() > 0) ||
                                (A == lvResult && lvResult->Count() > 0));
    const bool Editing = lvMain->IsEditing() || tvMain->IsEditing() || lvKey->IsEditing();
    // The keyword and result panes delete with their own commands, which come with them.
    DeleteAction->setEnabled(
        !Editing &&
        ((A == tvMain && NodeItem && !ScanRoot(NodeItem) && CurrentFolder != CurrentCatalog) ||
         (A == lvMain && ((MainSel == 1 && RowItem && !ScanRoot(RowItem)) || MainSel >= 2))));
    aLeft->setChecked(LeftPanel->isVisibleTo(this));
}

void TfmCatalogMain::EditEnded() {
    // Also after a cancelled edit: Del deletes items again.
    DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    ScheduleUpdateActions();
}

std::string TfmCatalogMain::Caption() const {
    return FromQString(windowTitle());
}

void TfmCatalogMain::SetCaption(const std::string& Value) {
    setWindowTitle(ToQString(Value));
}

void TfmCatalogMain::SetStatusText(const std::string& S) {
    FStatusLabel->setText(ToQString(S));
}

std::string TfmCatalogMain::StatusText() const {
    return FromQString(FStatusLabel->text());
}

// ---- threads -----------------------------------------------------------------------------------

void TfmCatalogMain::StopThread(TThread* Thread) {
    if (!Thread) return;
    bool Running = false;
    if (Thread == FListImageThread.get())
        Running = FListImageRunning;
    else if (Thread == FFindThread.get())
        Running = FFindRunning;
    if (!Running) return;
    Thread->Terminate();
    Thread->WaitFor();
}

void TfmCatalogMain::ThreadTerminated(TThread* Sender) {
    if (Sender && Sender == FListImageThread.get()) FListImageRunning = false;
    if (Sender && Sender == FFindThread.get()) FFindRunning = false;
    ScheduleUpdateActions();
}

TBasicItem* TfmCatalogMain::GetCurrentFolder() const {
    return CurrentFolder;
}

TFindThread* TfmCatalogMain::CreateFindThread() {
    StopThread(FFindThread.get());
    FFindThread = std::make_unique<TFindThread>(lvResult);
    FFindThread->OnTerminate = [this](TThread* T) { ThreadTerminated(T); };
    return FFindThread.get();
}

void TfmCatalogMain::RunFindThread() {
    if (!FFindThread || FFindThread->Started()) return;
    FFindRunning = true;
    FFindThread->Resume();
}

void TfmCatalogMain::StopWorkers() {
    StopThread(FFindThread.get());
    StopThread(FListImageThread.get());
    // From the end of the list: each scan removes itself when it has ended. Abandoned, a first
    // scan opens no properties dialog for a folder that is going away.
    while (ScanThreads.Count() > 0) {
        TFolderScanThread* T = ScanThreads.Last();
        T->Abandon();
        T->WaitFor();
    }
}

void TfmCatalogMain::CloseCatalog() {
    StopWorkers();
    lvKey->Clear();
    lvResult->Clear();
    {
        TUpdateBracket<TCustomTreeView> Nodes(tvMain);
        TUpdateBracket<TCustomListView> Rows(lvMain);
        CurrentCatalog->Clear();
    }
    SetCurrentFolder(CurrentCatalog);
}

// ---- catalog file commands ---------------------------------------------------------------------

bool TfmCatalogMain::QuerySave() {
    bool Result = true;
    if (CatalogModified) {
        Result = false;
        std::string Name = CurrentCatalog->CatFile();
        if (Name.empty()) Name = "(Untitled)";
        switch (UserDialogs().MessageDlg(Format("Save Catalog: %s?", {Name}), mtWarning,
                                         mbYesNoCancel)) {
        case mrYes: {
            // The name is taken only when the save succeeds (SaveCatalogTo).
            std::string FileName = CurrentCatalog->CatFile();
            if (FileName.empty()) {
                std::string Chosen;
                if (UserDialogs().SaveFileDialog(SaveDialog1, Chosen)) FileName = Chosen;
            }
            if (!FileName.empty()) {
                SaveCatalogTo(FileName);
                Result = true;
            }
            break;
        }
        case mrNo: Result = true; break;
        default: break;
        }
    }
    if (Result) CatalogModified = false;
    return Result;
}

bool TfmCatalogMain::aNewExecute() {
    if (!QuerySave()) return false;
    AddToRecent(CurrentCatalog->CatFile());
    CloseCatalog();
    SetCaption("( Untitled )" + CaptionSuffix);
    CatalogModified = false;
    return true;
}

void TfmCatalogMain::aLoadExecute() {
    if (!QuerySave()) return;
    std::string FileName;
    if (UserDialogs().OpenFileDialog(OpenDialog1, FileName)) OpenCatalog(FileName);
}

void TfmCatalogMain::OpenCatalog(std::string FileName) {
    if (FileName.empty()) return;
    FileName = AbsoluteFileName(FileName);
    if (!aNewExecute()) return;
    CurrentCatalog->SetCatFile(FileName);
    try {
        CurrentCatalog->LoadFromFile();
        ChangeDirectoryTo(FileName);
        FillKeyWordList();
        auto* Root = static_cast<TTreeViewNode*>(CurrentCatalog->TreeNode());
        RefreshTreeNode(Root);
        tvMainChanging(Root);
        Root->Expand(false);
    } catch (...) {
        // Nothing of a failed file stays: an empty untitled catalog, which has nothing to save.
        CloseCatalog();
        CatalogModified = false;
        SetCaption(CurrentCatalog->CatFile() + CaptionSuffix);
        throw;
    }
    SetCaption(CurrentCatalog->CatFile() + CaptionSuffix);
}

void TfmCatalogMain::aSaveExecute() {
    std::string FileName = CurrentCatalog->CatFile();
    if (FileName.empty() && !UserDialogs().SaveFileDialog(SaveDialog1, FileName)) return;
    SaveCatalogTo(FileName);
}

void TfmCatalogMain::aSaveAsExecute() {
    TFileDialogSpec Spec = SaveDialog1;
    Spec.FileName = CurrentCatalog->CatFile();
    std::string FileName;
    if (UserDialogs().SaveFileDialog(Spec, FileName)) SaveCatalogTo(FileName);
}

void TfmCatalogMain::SaveCatalogTo(std::string FileName) {
    if (FileName.empty()) return;
    FileName = AbsoluteFileName(FileName);
    // The catalog writes the file it names; it keeps its old name unless the save succeeds.
    const std::string Previous = CurrentCatalog->CatFile();
    CurrentCatalog->SetCatFile(FileName);
    try {
        CurrentCatalog->SaveToFile();
    } catch (...) {
        CurrentCatalog->SetCatFile(Previous);
        throw;
    }
    MRUManager1->RemoveItem(FileName);
    SetCaption(FileName + CaptionSuffix);
    ChangeDirectoryTo(FileName);
}

void TfmCatalogMain::RevertActionExecute() {
    if (UserDialogs().MessageDlg("Revert to last saved version?", mtInformation, mbOKCancel) !=
        mrOk)
        return;
    CatalogModified = false;
    OpenCatalog(CurrentCatalog->CatFile());
}

void TfmCatalogMain::aExitExecute() {
    close();
}

void TfmCatalogMain::AddToRecent(const std::string& FileName) {
    if (FileName.empty()) return;
    MRUManager1->RemoveItem(FileName);
    MRUManager1->RecentList().Insert(0, FileName);
}

void TfmCatalogMain::MRUManager1Click(const std::string& RecentName) {
    OpenCatalog(RecentName);
}

void TfmCatalogMain::FormCloseQuery(bool& CanClose) {
    if (!CurrentCatalog) return;
    // The close button reaches the window also while it is disabled by a scan or a search:
    // they stop first, so that no worker changes the catalog under the save question.
    StopWorkers();
    try {
        CanClose = QuerySave();
    } catch (const std::exception& E) {
        CanClose = false;
        ShowCatalogError(E);
    }
    AddToRecent(CurrentCatalog->CatFile());
}

// ---- tree --------------------------------------------------------------------------------------

bool TfmCatalogMain::IsHiddenItem(const TBasicItem* Item) {
    if (Item->ScanFlags() & sfMissing) return true;
    if (ShowHidden) return false;
    auto* F = dynamic_cast<const TFileItem*>(Item);
    return F && F->IsHiddenOrSystem();
}

void TfmCatalogMain::RefreshTreeNode(TTreeNode* Node) {
    auto* N = dynamic_cast<TTreeViewNode*>(Node);
    if (!N) return;
    TUpdateBracket<TCustomTreeView> Nodes(tvMain);
    // Unsorted while the nodes go in; the tree sorts them once at the end.
    tvMain->SetSortType(stNone);
    TFinally Sorted([this] { tvMain->SetSortType(stText); });
    if (N->HasChildren()) N->DeleteChildren();
    if (TBasicItem* Item = N->Data(); Item && Item->Children()) AddTreeChildren(Item);
    StartTreeImageThread();
}

void TfmCatalogMain::AddTreeChildren(TBasicItem* Folder) {
    auto* Parent = dynamic_cast<TTreeViewNode*>(Folder->TreeNode());
    TBasicItems* C = Folder->Children();
    if (!Parent || !C) return;
    for (int I = 0; I < C->Count(); ++I) {
        TBasicItem* Child = C->At(I);
        if (!Child->Children() || IsHiddenItem(Child)) continue;
        TTreeViewNode* Node = tvMain->AddChild(Parent, Child->DisplayName(), Child);
        Child->SetTreeNode(Node);
        Node->SetImageIndex(Child->GetImageIndex());
        Node->SetSelectedIndex(Child->GetSelectedIndex());
        AddTreeChildren(Child);
    }
}

void TfmCatalogMain::SetCurrentFolder(TBasicItem* Folder) {
    TFlagGuard Switching(FFolderShown, false);
    if (Folder != CurrentFolder) {
        if (!Folder || !Folder->Children()) RaiseCatalogError("Invalid CurrentFolder");
        CurrentFolder = Folder;
    }
    // Also when the folder stays: its node may have lost the selection (a deleted branch).
    auto* Node = dynamic_cast<TTreeViewNode*>(CurrentFolder->TreeNode());
    if (Node && tvMain->Selected() != Node) tvMain->SetSelected(Node);
    RefreshList(false);
    ScheduleUpdateActions();
}

void TfmCatalogMain::tvMainChanging(TTreeViewNode* Node) {
    if (QCoreApplication::closingDown() || !Node) return;
    // The selection SetCurrentFolder makes itself needs no second round.
    if (!FFolderShown) return;
    SetCurrentFolder(Node->Data());
}

void TfmCatalogMain::tvMainChange(TTreeViewNode* Node) {
    if (StatusBar2->isChecked() && Node && FFolderShown && Node->Data())
        ShowFolderContents(Node->Data());
}

// ---- list --------------------------------------------------------------------------------------

void TfmCatalogMain::RefreshList(bool Append) {
    StopThread(FListImageThread.get());
    {
        TUpdateBracket<TCustomListView> Rows(lvMain);
        if (!Append) ClearList();
        AddFolderItems();
        lvMain->AlphaSort();
    }
    StartListImageThread();
}

void TfmCatalogMain::ClearList() {
    // OnDeletion takes each row's item off its row.
    lvMain->Clear();
}

void TfmCatalogMain::AddFolderItems() {
    TBasicItems* C = CurrentFolder ? CurrentFolder->Children() : nullptr;
    if (!C) return;
    for (int I = lvMain->Count(); I < C->Count(); ++I) {
        TBasicItem* Child = C->At(I);
        if (!IsHiddenItem(Child)) AddListItem(Child);
    }
}

TListViewItem* TfmCatalogMain::AddListItem(TBasicItem* Item) {
    TUpdateBracket<TCustomListView> Rows(lvMain);
    TListViewItem* Row = lvMain->Add();
    Item->SetListItem(Row);
    Row->SetData(Item);
    FillListItem(Row);
    return Row;
}

void TfmCatalogMain::FillListItem(TListItem* ListItem) {
    auto* Row = dynamic_cast<TListViewItem*>(ListItem);
    TBasicItem* Item = Row ? Row->Data() : nullptr;
    if (!Item) return;
    Row->SetImageIndex(Item->GetImageIndex());
    Row->SetCaption(Item->DisplayName());
    Row->SetData(Item);
    if (lvMain->ViewStyle() != vsReport) return;
    auto* F = dynamic_cast<const TFileItem*>(Item);
    std::vector<std::string> Texts(7);
    Texts[colSize - 1] = ItemSizeText(Item);
    Texts[colType - 1] = Item->TypeRow() ? Item->TypeRow()->DisplayName() : std::string();
    if (F && F->FileInfo().Date != 0) Texts[colModified - 1] = DateTimeToStr(F->FileInfo().Date);
    if (F) Texts[colAttributes - 1] = AttributeLetters(F->FileInfo().Attr);
    Texts[colComment - 1] = std::string(Item->Comment());
    Row->SetSubItems(Texts);
}

void TfmCatalogMain::SortSizes(const TListViewItem* I1, const TListViewItem* I2,
                               int& Compare) const {
    // The size column's texts are rounded kilobytes; the order follows the real sizes.
    if (lvMain->SortColumn() != colSize || I1->SubItems().empty() || I2->SubItems().empty()) return;
    const long long K1 = SizeKey(I1->Data()), K2 = SizeKey(I2->Data());
    if (K1 < 0 && K2 < 0) return;
    Compare = K1 < K2 ? -1 : (K1 > K2 ? 1 : 0);
}

void TfmCatalogMain::StartListImageThread() {
    StopThread(FListImageThread.get());
    FListImageThread.reset();
    if (DisplayDefaultIcons) return;
    FListImageThread = std::make_unique<TListImageThread>(lvMain);
    FListImageThread->OnTerminate = [this](TThread* T) { ThreadTerminated(T); };
    FListImageRunning = true;
    FListImageThread->Resume();
}

TBasicItem* TfmCatalogMain::GetFocusedItem() const {
    if (FActiveControl == tvMain) {
        TTreeViewNode* Node = tvMain->Selected();
        return Node ? Node->Data() : nullptr;
    }
    if (FActiveControl == lvMain || FActiveControl == lvResult) {
        TListViewItem* Row = static_cast<TCustomListView*>(FActiveControl)->Selected();
        return Row ? Row->Data() : nullptr;
    }
    return nullptr;
}

std::vector<TBasicItem*> TfmCatalogMain::GetSelectedItems() const {
    std::vector<TBasicItem*> Items;
    if (FActiveControl == tvMain) {
        if (TTreeViewNode* Node = tvMain->Selected(); Node && Node->Data())
            Items.push_back(Node->Data());
    } else if (FActiveControl == lvMain) {
        for (TListViewItem* Row : lvMain->SelectedItems())
            if (Row->Data()) Items.push_back(Row->Data());
    }
    return Items;
}

void TfmCatalogMain::ShowFolderContents(TBasicItem* Item) {
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 0;
    CountItems(Item->Children(), Folders, Files, Size);
    SetStatusText(FolderContentsText(Folders, Files, Size));
}

void TfmCatalogMain::lvMainChange() {
    if (!StatusBar2->isChecked()) return;
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 0;
    bool Any = false;
    for (TListViewItem* Row : lvMain->SelectedItems()) {
        TBasicItem* Item = Row->Data();
        if (!Item || !Item->Children()) continue;
        Any = true;
        CountItems(Item->Children(), Folders, Files, Size);
    }
    SetStatusText(Any ? FolderContentsText(Folders, Files, Size) : std::string());
}

// ---- navigation --------------------------------------------------------------------------------

void TfmCatalogMain::aRootUpExecute() {
    TBasicItem* F = CurrentFolder;
    if (!F || F == CurrentCatalog) return;
    SetCurrentFolder(F->OwnerItem());
    if (auto* Node = dynamic_cast<TTreeViewNode*>(CurrentFolder->TreeNode()))
        tvMain->SetSelected(Node);
    if (auto* Row = dynamic_cast<TListViewItem*>(F->ListItem())) {
        lvMain->SetSelected(Row);
        lvMain->MakeVisible(Row);
    }
}

void TfmCatalogMain::lvMainKeyDown(int& Key) {
    if (lvMain->IsEditing()) return;
    if (Key == Qt::Key_Backspace) {
        Key = 0;
        aRootUpExecute();
    } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        Key = 0;
        lvMainDblClick();
    }
}

void TfmCatalogMain::lvMainDblClick() {
    if (lvMain->SelCount() != 1) return;
    TBasicItem* Item = lvMain->Selected()->Data();
    if (!Item) return;
    if (Item->Children()) {
        SetCurrentFolder(Item);
        return;
    }
    switch (DoubleClick) {
    case 0: {
        auto* F = dynamic_cast<TFileItem*>(Item);
        if (!F) return;
        const std::string Path = F->GetFullPath();
        // The catalog outlives its disks: say so rather than do nothing.
        if (!FileExists(Path)) {
            SetStatusText(Format("File not found: %s", {Path}));
            UserDialogs().MessageDlg(
                Format("%s\n\nThe file is not there. Is the disk it is on inserted?", {Path}),
                mtWarning, mbOK);
            return;
        }
        if (!UserDialogs().ShellOpen(Path))
            UserDialogs().MessageDlg(Format("No program opens %s", {Path}), mtWarning, mbOK);
        break;
    }
    case 1: aMainPropertyExecute(); break;
    default: break;
    }
}

void TfmCatalogMain::aMainPropertyExecute() {
    // The properties dialog installs the core's hook; until then there is nothing to show.
    if (TBasicItem* Item = GetFocusedItem(); Item && ShowItemPropertiesProc)
        ShowItemPropertiesProc(Item);
}

void TfmCatalogMain::aDetailExecute() {
    TUpdateBracket<TCustomListView> Rows(lvMain);
    lvMain->SetViewStyle(vsReport);
    RefreshList(false);
}

void TfmCatalogMain::aRenameActionExecute() {
    aAddKeyWord->setShortcut({});
    DeleteAction->setShortcut({});
    if (FActiveControl == tvMain) {
        tvMain->EditText(tvMain->Selected());
    } else if (FActiveControl == lvMain) {
        lvMain->EditCaption(lvMain->Selected());
    } else if (FActiveControl == lvKey) {
        lvKey->EditCaption(lvKey->Selected());
    }
    DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    aAddKeyWord->setShortcut(QKeySequence(Qt::Key_Insert));
}

void TfmCatalogMain::aMainDeleteExecute() {
    TBasicItem* F = CurrentFolder;
    StopThread(FListImageThread.get());
    // Whatever happens below, the icon threads run again afterwards.
    TFinally Restart([this] {
        StartCatalogImageThread();
        StartTreeImageThread();
        StartListImageThread();
    });
    const std::vector<TBasicItem*> Items = GetSelectedItems();
    if (Items.empty() || (Items.size() == 1 && Items[0] == CurrentCatalog)) return;
    const std::string What = Items.size() == 1
                                 ? Items[0]->DisplayName()
                                 : Format("%d items", {static_cast<long long>(Items.size())});
    std::string Text = "Delete " + What + " ?";
    if (FFindRunning) Text += "\nFind will be terminated";
    if (UserDialogs().MessageDlg(Text, mtWarning, mbOKCancel) != mrOk) return;
    StopThread(FFindThread.get());
    {
        TUpdateBracket<TCustomTreeView> Nodes(tvMain);
        TUpdateBracket<TCustomListView> Rows(lvMain);
        for (TBasicItem* Item : Items) {
            // The folder shown moves up when it goes, also when it lies below the item that goes.
            for (TBasicItem* X = F; X; X = X->OwnerItem())
                if (X == Item) {
                    F = Item->OwnerItem();
                    break;
                }
            delete Item;
        }
    }
    SetCurrentFolder(F ? F : CurrentCatalog);
    RefreshList(false);
}

void TfmCatalogMain::RefreshActionExecute() {
    if (FActiveControl == lvMain) RefreshList(false);
    if (auto* L = qobject_cast<TCustomListView*>(FActiveControl))
        L->Invalidate();
    else if (FActiveControl)
        FActiveControl->update();
    if (FActiveControl == tvMain) tvMain->viewport()->update();
}

void TfmCatalogMain::SelectAllActionExecute() {
    if (FActiveControl == lvMain || FActiveControl == lvKey || FActiveControl == lvResult)
        static_cast<TCustomListView*>(FActiveControl)->SelectAll();
}

// ---- keyword pane ------------------------------------------------------------------------------

void TfmCatalogMain::FillKeyWordList() {
    TUpdateBracket<TCustomListView> Rows(lvKey);
    lvKey->Clear();
    if (TKeyWordItems* K = CurrentCatalog->KeyWords())
        for (int I = 0; I < K->Count(); ++I) {
            TKeyWordItem* W = K->At(I);
            TListViewItem* Row = lvKey->Add();
            Row->SetCaption(W->DisplayName());
            Row->SetImageIndex(static_cast<int>(W->State()));
            Row->SetObject(W);
        }
}
