// The whole action table of the main window: every action's caption, hints and shortcut, where
// the menus and bars show it, and the rules that enable it in every state that decides them.
#include "AppTestSupport.h"

#include "core/FolderScan.h"
#include "core/KeyWords.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <set>

namespace {

struct TActionSpec {
    const char *Name, *Caption, *Tip, *Status;
    QKeySequence Key;
};

const TActionSpec ActionTable[] = {
    {"aRootUp", "Up", "Up", "Goto Root Folder", {}},
    {"aLeft", "Folders bar", "Show folders root bar", "Show folders root bar",
     Qt::CTRL | Qt::Key_8},
    {"aNew", "New", "New", "Creates a new catalog", Qt::CTRL | Qt::Key_N},
    {"aLoad", "Open ...", "Open ...", "Open an existing catalog", Qt::CTRL | Qt::Key_O},
    {"aSave", "Save", "Save", "Saves the active catalog", Qt::CTRL | Qt::Key_S},
    {"aSaveAs", "Save As ...", "Save As ...", "Saves a copy of the catalog in a separate file", {}},
    {"aExit", "E&xit", "Exit", "Quits Quillmark and prompts to save catalog", Qt::CTRL | Qt::Key_X},
    {"aDetail", "Details", "Details", "Display information about each item", Qt::ALT | Qt::Key_4},
    {"aSmallIcon", "Small Icons", "Small Icons", "Display items by using small icons",
     Qt::ALT | Qt::Key_2},
    {"aLargeIcon", "Large Icons", "Large Icons", "Display items by using large icons",
     Qt::ALT | Qt::Key_1},
    {"aList", "List", "List", "Display items in a list", Qt::ALT | Qt::Key_3},
    {"aRenameAction", "Rename", "Rename", "Rename item", Qt::Key_F2},
    {"aAddVirtualFolder", "Add Virtual Folder", "Add Virtual Folder", "Add Virtual Folder",
     Qt::CTRL | Qt::Key_1},
    {"aAddFileFolder", "Add FileFolder ...", "Add FileFolder ...", "Add FileFolder ...",
     Qt::CTRL | Qt::Key_2},
    {"aAddLocFile", "Add File ...", "Add File ...", "Add File ...", Qt::CTRL | Qt::Key_3},
    {"aMainDelete", "Delete", "Delete", "Delete file or folder", {}},
    {"aMainProperty", "Properties", "Properties", "Show item properties", Qt::ALT | Qt::Key_Return},
    {"aFindKeyWord", "KeyWord Search", "KeyWord Search", "Search by described keywords",
     Qt::CTRL | Qt::Key_K},
    {"aBottom", "Results bar", "Show search results bar", "Show search results bar",
     Qt::CTRL | Qt::Key_0},
    {"aRight", "Keyword bar", "Show keywords bar", "Show keywords bar", Qt::CTRL | Qt::Key_9},
    {"aGoto", "Goto", "Goto", "Goto selected item", {}},
    {"aAddKeyWord", "Add KeyWord", "Add keyword", "Add keyword", Qt::CTRL | Qt::Key_4},
    {"aDeleteKeyWord", "Delete keyword", "Delete KeyWord", "Delete KeyWord", {}},
    {"DeleteAction", "Delete", "Delete", "Delete Item", Qt::Key_Delete},
    {"aClearResults", "Clear Results", "Clear Results", "Clear Search Results", {}},
    {"RefreshAction", "Refresh", "Refresh", "Refresh", Qt::Key_F5},
    {"FindAction", "Find", "Find", "Find", Qt::CTRL | Qt::Key_F},
    {"ReportAction", "Reports ...", "Reports ...", "Generate report using search result list",
     Qt::CTRL | Qt::Key_P},
    {"aDeleteResultItem", "Delete Result Item", "Delete", "Delete item", {}},
    {"RescanAction", "Synchronize ...", "Synchronize ...", "Synchronizing folders or files",
     Qt::CTRL | Qt::Key_R},
    {"RevertAction", "Revert", "Revert", "Reverts the catalog to the last saved version", {}},
    {"SetupAction", "Options ...", "Options ...", "Change software options", Qt::Key_F9},
    {"SelectAllAction", "Select All", nullptr, "", Qt::CTRL | Qt::Key_A},
};

// The actions that have rules; every other action of the table is always enabled.
const char* const RuledActions[] = {
    "aAddVirtualFolder", "aAddLocFile",  "aAddFileFolder",  "aRootUp",       "aRenameAction",
    "aMainProperty",     "aFindKeyWord", "aGoto",           "aClearResults", "ReportAction",
    "RevertAction",      "RescanAction", "SelectAllAction", "DeleteAction",
};

using TNames = std::set<std::string>;

} // namespace

class ActionTableTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        ShowItemPropertiesProc = [](TBasicItem*) {};
        V = AddVirtual(CurrentCatalog, "V");
        AddVirtual(V, "W");
        AddVirtual(V, "X");
        S = AddScanned(V, "S");
        AddFolder(S, "Sub");
        AddFile(S, "f.txt", 5);
        auto* K = new TKeyWordItem(CurrentCatalog->KeyWords());
        K->SetItemName("k");
        RefreshKeyWordsProc();
        Main->RefreshTreeNode(RootNode());
        lvResult()->Add()->SetCaption("r");
        CatalogModified = false;
    }

    // The folder shown, the pane that has the focus and the rows selected in it.
    void Show(TBasicItem* Folder, TCustomListView* Pane, const std::vector<std::string>& Rows) {
        Main->SetCurrentFolder(Folder);
        lvMain()->ClearSelection();
        if (Pane) SelectRowsOf(Pane, Rows);
    }
    void ShowTree(TBasicItem* Folder) {
        Main->SetCurrentFolder(Folder);
        lvMain()->ClearSelection();
        Main->SetActiveControl(tvMain());
    }
    TNames Enabled() const {
        Main->UpdateActions();
        TNames R;
        for (const char* Name : RuledActions)
            if (Action(Name)->isEnabled()) R.insert(Name);
        for (const TActionSpec& A : ActionTable) {
            const bool Ruled =
                std::count_if(std::begin(RuledActions), std::end(RuledActions),
                              [&](const char* N) { return std::string(N) == A.Name; }) > 0;
            if (!Ruled) {
                EXPECT_TRUE(Action(A.Name)->isEnabled()) << A.Name;
            }
        }
        return R;
    }
    std::vector<std::string> Entries(QWidget* Menu) const {
        std::vector<std::string> R;
        for (QAction* A : Menu->actions())
            R.push_back(A->objectName().isEmpty() ? A->text().toStdString()
                                                  : A->objectName().toStdString());
        return R;
    }

    TBasicFolder* V = nullptr;
    TFileCollection* S = nullptr;
};

TEST_F(ActionTableTest, EveryActionHasItsCaptionHintsShortcutAndPlaces) {
    for (const TActionSpec& E : ActionTable) {
        SCOPED_TRACE(E.Name);
        QAction* A = Action(E.Name);
        ASSERT_NE(A, nullptr);
        EXPECT_EQ(A->text(), E.Caption);
        if (E.Tip) {
            EXPECT_EQ(A->toolTip(), E.Tip);
        }
        EXPECT_EQ(A->statusTip(), E.Status);
        EXPECT_EQ(A->shortcut(), E.Key);
    }
    // Alt with the keypad's Enter shows the properties too.
    EXPECT_TRUE(
        Action("aMainProperty")->shortcuts().contains(QKeySequence(Qt::ALT | Qt::Key_Enter)));

    using V = std::vector<std::string>;
    EXPECT_EQ(Entries(Part("File1")), (V{"aNew", "aLoad", "", "aSave", "aSaveAs", "RevertAction",
                                         "", "aExit", "", "Recent"}));
    EXPECT_EQ(Entries(Part("Edit1")), (V{"aAddVirtualFolder", "aAddFileFolder", "aAddLocFile", "",
                                         "aAddKeyWord", "", "aRenameAction", "DeleteAction",
                                         "SelectAllAction", "aClearResults", "", "RefreshAction"}));
    EXPECT_EQ(Entries(Part("Tools1")),
              (V{"aFindKeyWord", "FindAction", "", "ReportAction", "", "SetupAction"}));
    EXPECT_EQ(Entries(Part("View1")), (V{"aLargeIcon", "aSmallIcon", "aList", "aDetail", "",
                                         "Controls", "Tollbars", "StatusBar2"}));
    EXPECT_EQ(Entries(Part("Controls1")), (V{"aLeftMenu", "aRightMenu", "aBottomMenu"}));
    // The Controls entries have hints of their own and act on the pane actions.
    auto* FoldersEntry = Part<QAction>("aLeftMenu");
    EXPECT_EQ(FoldersEntry->statusTip(), "Show Folders bar");
    EXPECT_EQ(Part<QAction>("aBottomMenu")->statusTip(), "Show Search Results bar");
    EXPECT_EQ(FoldersEntry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_8));
    FoldersEntry->trigger();
    EXPECT_FALSE(Action("aLeft")->isChecked());
    Action("aLeft")->trigger();
    EXPECT_TRUE(FoldersEntry->isChecked());
    EXPECT_EQ(Entries(Part("Help1")), (V{"About1"}));
    EXPECT_EQ(Entries(Part("pmMain")),
              (V{"View Style", "", "aAddVirtualFolder", "aAddFileFolder", "aAddLocFile", "",
                 "RescanAction", "Shell", "", "aRenameAction", "DeleteAction", "", "RefreshAction",
                 "", "aMainProperty"}));
    EXPECT_EQ(Entries(Part("FileToolbar")), (V{"aNew", "aLoad", "aSave", "aSaveAs"}));
    EXPECT_EQ(Entries(Part("ToolsToolBar")),
              (V{"aRootUp", "", "aAddVirtualFolder", "aAddFileFolder", "aAddLocFile", "aAddKeyWord",
                 "", "RescanAction", "DeleteAction", "aMainProperty", "", "FindAction",
                 "aFindKeyWord", "ReportAction", "", "SetupAction"}));
    EXPECT_EQ(Entries(Part("ViewToolBar")), (V{"aLeft", "aRight", "aBottom"}));
    EXPECT_EQ(Entries(Part("ViewStyleToolbar")),
              (V{"aLargeIcon", "aSmallIcon", "aList", "aDetail"}));
    // The menu bar's buttons drop the main menus, in this order.
    std::vector<std::string> Buttons;
    for (QWidget* B : Part<QToolBar>("MenuToolBar")
                          ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (B->objectName().endsWith(QStringLiteral("Button")))
            Buttons.push_back(B->objectName().toStdString());
    EXPECT_EQ(Buttons,
              (V{"File1Button", "Edit1Button", "View1Button", "Tools1Button", "Help1Button"}));
}

TEST_F(ActionTableTest, LeftAndRightWalkTheMenuBarWhileAMenuIsOpen) {
    // Each menu that opens is noted, and the next key goes to it once it is open; a submenu
    // opens as Qt opens it, so its keys go out as soon as it shows.
    const std::vector<std::pair<Qt::Key, int>> Keys = {
        {Qt::Key_Right, 0}, {Qt::Key_Right, 0}, // File -> Edit -> View
        {Qt::Key_Up, 2},                        // to "Tollbars" from the first entry
        {Qt::Key_Right, 0},                     // opens the Tollbars submenu
        {Qt::Key_Right, 0},                     // from a plain entry of the submenu: Tools
        {Qt::Key_Left, 0},  {Qt::Key_Left, 0},  {Qt::Key_Left, 0}, // View, Edit, File
        {Qt::Key_Left, 0},                                         // round the end: Help
        {Qt::Key_Escape, 0}};
    std::vector<std::string> Shown;
    size_t Next = 0;
    QObject Guard; // the test's timers and connections go with it
    auto SendKeys = [&] {
        while (Next < Keys.size()) {
            auto* Open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!Open) return;
            const auto [Key, Repeat] = Keys[Next++];
            for (int I = 0; I < std::max(Repeat, 1); ++I)
                QTest::keyClick(Open, Key);
            if (Key != Qt::Key_Up) return;
        }
    };
    for (QMenu* M : Main->findChildren<QMenu*>())
        QObject::connect(M, &QMenu::aboutToShow, &Guard, [&, M] {
            Shown.push_back(M->title().toStdString());
            QTimer::singleShot(0, &Guard, SendKeys);
        });
    // Menus left open close after a while, so that a menu bar that cannot be walked fails here.
    QTimer::singleShot(10000, &Guard, [] {
        while (QWidget* Open = QApplication::activePopupWidget())
            Open->close();
    });
    Part<QToolButton>("File1Button")->showMenu();
    EXPECT_TRUE(
        PumpUntil([&] { return Next == Keys.size() && !QApplication::activePopupWidget(); }));
    EXPECT_EQ(Shown, (std::vector<std::string>{"&File", "&Edit", "&View", "Tollbars", "&Tools",
                                               "&View", "&Edit", "&File", "&Help"}));
}

TEST_F(ActionTableTest, EachRuleHoldsInEveryStateThatDecidesIt) {
    const TNames Always = {"aFindKeyWord", "aClearResults", "ReportAction"};
    auto With = [&](TNames More) {
        More.insert(Always.begin(), Always.end());
        return More;
    };
    const TNames Add = {"aAddVirtualFolder", "aAddLocFile", "aAddFileFolder"};
    auto Plus = [](TNames A, const TNames& B) {
        A.insert(B.begin(), B.end());
        return A;
    };
    TListViewItem* Result = lvResult()->Item(0);
    const struct {
        const char* State;
        std::function<void()> Make;
        TNames Expected;
    } Matrix[] = {
        {"root shown, list active, nothing selected", [&] { Show(CurrentCatalog, lvMain(), {}); },
         With(Plus(Add, {"SelectAllAction"}))},
        {"root shown, tree active on the root: no delete of the root",
         [&] { ShowTree(CurrentCatalog); },
         With(Plus(Add, {"aRenameAction", "aMainProperty", "RescanAction"}))},
        {"virtual folder shown, one virtual folder row", [&] { Show(V, lvMain(), {"W"}); },
         With({"aRootUp", "aRenameAction", "aMainProperty", "RescanAction", "SelectAllAction",
               "DeleteAction"})},
        {"virtual folder shown, two rows",
         [&] {
             Show(V, lvMain(), {"W", "X"});
         },
         With({"aRootUp", "SelectAllAction", "DeleteAction"})},
        {"tree active on a virtual folder", [&] { ShowTree(V); },
         With(Plus(Add,
                   {"aRootUp", "aRenameAction", "aMainProperty", "RescanAction", "DeleteAction"}))},
        {"scanned folder shown: nothing is added into it", [&] { Show(S, lvMain(), {}); },
         With({"aRootUp", "SelectAllAction"})},
        {"a file row: a file is not renamed", [&] { Show(S, lvMain(), {"f.txt"}); },
         With({"aRootUp", "aMainProperty", "RescanAction", "SelectAllAction", "DeleteAction"})},
        {"tree on the root of a running scan: no delete",
         [&] {
             S->SetScanFlags(sfRoot);
             ShowTree(S);
         },
         With({"aRootUp", "aRenameAction", "aMainProperty", "RescanAction"})},
        {"list row of the root of a running scan: no delete", [&] { Show(V, lvMain(), {"S"}); },
         With({"aRootUp", "aRenameAction", "aMainProperty", "RescanAction", "SelectAllAction"})},
        {"a scan runs: no second scan, no synchronize",
         [&] {
             S->SetScanFlags(0);
             new TFolderScanThread(S, 1);
             ShowTree(V);
         },
         With({"aAddVirtualFolder", "aAddLocFile", "aRootUp", "aRenameAction", "aMainProperty",
               "DeleteAction"})},
        {"a row's name is being edited: no delete",
         [&] {
             delete ScanThreads.Last();
             Show(V, lvMain(), {"W"});
             lvMain()->EditCaption(RowOf("W"));
         },
         With({"aRootUp", "aRenameAction", "aMainProperty", "RescanAction", "SelectAllAction"})},
        {"keyword pane, one keyword",
         [&] {
             lvMain()->EndEditing();
             Show(V, lvKey(), {"k"});
         },
         With(Plus(Add, {"aRootUp", "aRenameAction", "SelectAllAction", "DeleteAction"}))},
        {"result pane, its row", [&] { Show(V, lvResult(), {"r"}); },
         With(Plus(Add, {"aRootUp", "aGoto", "aMainProperty", "SelectAllAction", "DeleteAction"}))},
        {"the catalog has a file name",
         [&] {
             Result->SetSelected(false);
             CurrentCatalog->SetCatFile(Dir->Path() + "c.qlmk");
             Show(V, lvMain(), {});
         },
         With(Plus(Add, {"aRootUp", "RevertAction", "SelectAllAction"}))},
    };
    for (const auto& M : Matrix) {
        SCOPED_TRACE(M.State);
        M.Make();
        EXPECT_EQ(Enabled(), M.Expected);
    }

    // While a search runs, what reads the keywords and the results is off; Delete stays.
    auto* Held = new THeldFolder(CurrentCatalog->Children());
    std::atomic<bool> Release{false};
    Held->Release = [&] { return Release.load(); };
    Dialogs->Find({"", "", "", "*.none"});
    Trigger("FindAction");
    for (int I = 0; I < 3000 && !Held->Reached; ++I)
        CheckSynchronize(10);
    ASSERT_TRUE(Main->FindRunning());
    lvResult()->Add()->SetCaption("r");
    Show(V, lvMain(), {"W"});
    EXPECT_EQ(Enabled(), (TNames{"aRootUp", "aRenameAction", "aMainProperty", "RescanAction",
                                 "RevertAction", "SelectAllAction", "DeleteAction"}));
    Release = true;
    WaitForSearch();
}

TEST_F(ActionTableTest, CommandsCheckTheirRuleAgainAndDeleteWithoutSelectionAsksNothing) {
    const int Before = V->Children()->Count();
    // A rule that became false since the last update (the folder became the root of a running
    // scan): the command does nothing.
    ShowTree(V);
    Main->UpdateActions();
    ASSERT_TRUE(Action("DeleteAction")->isEnabled());
    V->SetScanFlags(sfRoot);
    Action("DeleteAction")->trigger();
    V->SetScanFlags(0);
    // aMainDelete has no rule of its own: with nothing selected it asks nothing.
    for (TCustomListView* Pane : {static_cast<TCustomListView*>(lvMain()), lvKey(),
                                  static_cast<TCustomListView*>(lvResult())}) {
        Show(V, Pane, {});
        Action("aMainDelete")->trigger();
    }
    EXPECT_TRUE(Dialogs->Asked.empty());
    EXPECT_EQ(V->Children()->Count(), Before);
    EXPECT_FALSE(CatalogModified);
}
