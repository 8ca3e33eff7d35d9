// TfmCatalogMain: the main window of the program, around the one open catalog.
//
// The window shows the catalog as a folder tree (tvMain) beside a list of the current folder's
// contents (lvMain), with a keyword pane (lvKey) on the right and a result pane (lvResult) at the
// bottom, both hidden at first. It creates, opens, saves and reverts catalog files, fills and
// navigates the tree and the list, renames and deletes items in place, and keeps the status bar
// and the window caption up to date. Every command is an action (QAction) of the window; menus,
// pop-up menus and toolbars only point to actions.
//
// One class over several files, one concern each:
//   CatalogMain.cpp            creation, first show and destruction; the catalog file commands
//   CatalogMainPanes.cpp       the panes: made, filled (tree, list, keyword pane), the core's
//                              view callbacks, the status bar, which pane is active
//   CatalogMainNavigation.cpp  navigation and editing: Up, double-click and keys, view styles,
//                              renaming, deleting, refresh, select all, the bar toggles
//   CatalogMainActions.cpp     the action table, menus and tool bars, the enabling rules
//   CatalogMainWorkers.cpp     the worker threads (list icons, search), stopping them, closing
//                              a catalog
//   CatalogMainAdd.cpp         the add commands (virtual folder, scanned folder, located file),
//                              synchronise, the options and the about box
//   CatalogMainSettings.cpp    the options and the window's layout, read from the settings store
//                              at the first show and written back when the window closes
//   CatalogMainSearch.cpp      the find action and the stop of a running search; the actions,
//                              menu entries and enabling rules of searching
//   CatalogMainKeywords.cpp    the keyword pane: filling, states, add, rename, delete, the
//                              keyword search
//   CatalogMainResults.cpp     the result pane: Goto, clearing, deleting and refreshing rows,
//                              the one Delete command of every pane, the report
//   CatalogMainDrag.cpp        drag and drop inside the window: moving items, attaching keywords
//   CatalogMainShell.cpp       the pop-up menu of the tree and the list with its Shell submenu
// The program's own modal dialogs are made through DialogFactory() (app/dialogs); message
// boxes, file dialogs and the shell go through UserDialogs() (app/UserDialogs.h).
//
// The window owns the one root item CurrentCatalog for its whole life, the worker threads it
// starts (the list-icon thread, the search thread) and, through Qt's parent links, its panes,
// bars and menus. It fills the core's view callbacks when it is created and clears them when it
// is destroyed. Closing a catalog stops every worker first, waiting for each while their
// synchronous calls are still served.
//
// Failures of a command are caught where the command runs and shown in a box titled "Error";
// none crosses a Qt event handler. UI thread only.
#pragma once

#include "app/ImageLists.h"
#include "app/ItemMoves.h"
#include "app/SListView.h"
#include "app/UserDialogs.h"
#include "app/dialogs/CatFind.h"
#include "core/KeyWords.h"
#include "uilib/Forms.h"

#include <QPoint>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMimeData;
class QMouseEvent;
class QDropEvent;
class QSplitter;
class QStatusBar;
class QToolBar;
class TBasicItem;
class TCatFileItem;
class TFileItem;
class TFindThread;
class TFolderCounter;
class TFormPlacement;
class TFormStorage;
class TListImageThread;
class TMRUManager;
class TShellContextMenu;
struct TShellCommand;
class TThread;

// " - Quillmark": the end of every caption of the main window (set by the module start-up).
extern std::string CaptionSuffix;
// The command line after the program's name, byte for byte (set by the program entry).
extern std::vector<std::string> CommandLineParams;

// Start-up and finish of the main window's module: CaptionSuffix and the application's title.
void CatalogMainInitialization();
void CatalogMainFinalization();

// The 21 options in the settings store (section "General" of Storage): each read with its
// current value as the default, a flag from the low 16 bits of the stored number, a byte option
// from its low 8 bits. Saving writes "SaveSetting" always and the others only while it is set.
void LoadSettings(TFormPlacement& Storage);
void SaveSettings(TFormPlacement& Storage);
// A list's columns as the settings store keeps them: the column numbers (Tags) in the order
// they are shown, and the widths indexed by column number, both as comma text. Setting an empty
// text changes nothing; entries that are no number or name no column are passed over.
std::string GetColumnOrder(const TCustomListView& List);
void SetColumnOrder(TCustomListView& List, const std::string& Text);
std::string GetColumnWidths(const TCustomListView& List);
void SetColumnWidths(TCustomListView& List, const std::string& Text);

class TfmCatalogMain : public TCustomForm {
    Q_OBJECT

public:
    explicit TfmCatalogMain(QWidget* Parent = nullptr);
    ~TfmCatalogMain() override;

    // ---- what the program, the core's view callbacks and the dialogs ask of the window ----
    // The catalog file commands without their questions (OpenCatalog asks the save question).
    void OpenCatalog(std::string FileName);
    void SaveCatalogTo(std::string FileName);
    void AddToRecent(const std::string& FileName);
    // Stops every worker and empties the catalog and the panes; the root becomes current.
    void CloseCatalog();
    // The panes.
    void SetCurrentFolder(TBasicItem* Folder);
    TBasicItem* GetCurrentFolder() const;
    void RefreshTreeNode(TTreeNode* Node);
    void RefreshList(bool Append);
    void FillListItem(TListItem* ListItem);
    void RefreshKeyWordList();
    std::string Caption() const;
    std::string StatusText() const;
    void SetStatusText(const std::string& S);
    // The pane the user works in (tvMain, lvMain, lvKey or lvResult), as focus last left it;
    // making one active gives it the focus.
    QWidget* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(QWidget* Control);
    // The enabling rules of the actions; they also run by themselves after every change.
    void UpdateActions();

    // ---- the workers ----
    // A search on the result pane, created suspended; the one before it is stopped first.
    // RunFindThread starts it once its criteria are set.
    TFindThread* CreateFindThread();
    void RunFindThread();
    // Before an operation that must not run beside a search: true at once when none runs;
    // otherwise asks "Terminate Search?" and stops the search on Yes. True when the caller may
    // go on.
    bool ConfirmStopSearch();

    // ---- test interface ----
    // Tests find panes, bars, menus and actions by their object names, the names of the
    // window's design ("lvMain", "aNew", "MRUManager1", ...), and trigger commands through the
    // actions and views as a user does. What no widget shows is read here.
    bool FindRunning() const { return FFindRunning; }
    bool ListImageRunning() const { return FListImageRunning; }
    TListImageThread* ListImageThread() const { return FListImageThread.get(); }
    // What starts a drag inside the window once the pointer has moved far enough: a QDrag
    // carrying NewPaneDragData(Source) unless set (tests record the start here instead).
    std::function<void(TDragSource Source)> OnStartDrag;
    // The data of a drag from the pane Source of this window (MIME type PaneDragMimeType).
    QMimeData* NewPaneDragData(TDragSource Source) const;

protected:
    QMenu* createPopupMenu() override { return nullptr; }
    // Watches the panes' viewports for the mouse and drag events of drag and drop.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Pictures of ImageList1, in the order of their indices; 7 and 8 are the sort marks of the
    // list headers.
    enum TActionImage : int {
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
        // the add commands, synchronise, options
        imgAddVirtualFolder,
        imgAddFileFolder,
        imgAddFile,
        imgSynchronize,
        imgOptions,
        // searching
        imgFind,
        imgKeyWordSearch,
        imgReport,
        imgGoto,
        imgClearResults,
    };
    // lvMain's columns, by their number (Tag = position in the design order).
    enum TMainColumn : int { colName, colSize, colType, colModified, colAttributes, colComment };

    // ---- creation and file commands (CatalogMain.cpp) ----
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void InitRootCaption();
    bool aNewExecute();
    void aLoadExecute();
    void aSaveExecute();
    void aSaveAsExecute();
    void RevertActionExecute();
    void aExitExecute();
    bool QuerySave();
    void MRUManager1Click(const std::string& RecentName);
    void FormCloseQuery(bool& CanClose);
    // Runs a command: failures are shown to the user, never passed into Qt.
    void Run(const std::function<void()>& Command);
    void SetCaption(const std::string& Value);

    // ---- panes (CatalogMainPanes.cpp) ----
    void CreatePanes();
    void CreateListPanes();
    void InstallViewCallbacks();
    void RemoveViewCallbacks();
    // The root node shows the root item as it is now (its name may change with New and Open).
    void ShowRootNode();
    void AddTreeChildren(TBasicItem* Folder);
    // The tree's node of Item, made (with the nodes above it) when it was still to come; null
    // for an item the tree leaves out.
    TTreeViewNode* TreeNodeOf(TBasicItem* Item);
    void AddFolderItems();
    TListViewItem* AddListItem(TBasicItem* Item);
    void ClearList();
    TBasicItem* GetFocusedItem() const;
    std::vector<TBasicItem*> GetSelectedItems() const;
    // The status line says what is selected now: the contents of the folders among the list's
    // selected rows (nothing for files alone) or, with no row selected, of the folder shown. It
    // is counted anew after every change of the selection or the catalog, in slices when the
    // tree is large; the line stays empty until the count is done.
    void UpdateStatusLine();
    void ShowStatus(const std::string& S);
    // Whether the panes leave Item out (hidden or system file without ShowHidden, missing mark).
    static bool IsHiddenItem(const TBasicItem* Item);
    // Whether Item has a node of its own in the tree: a folder the panes do not leave out.
    static bool IsTreeFolder(const TBasicItem* Item);
    void tvMainChanging(TTreeViewNode* Node);
    void tvMainChange(TTreeViewNode* Node);
    void lvMainChange();
    void FocusChanged(QWidget* Now);
    // The Modified column fits the longest date the user's locale writes.
    void FitDateColumn();

    // ---- navigation and editing (CatalogMainNavigation.cpp) ----
    void aRootUpExecute();
    void lvMainKeyDown(int& Key);
    void lvMainDblClick();
    void ShellOpenItem(TFileItem* Item);
    void aMainPropertyExecute();
    void aDetailExecute();
    void aRenameActionExecute();
    // In-place renaming in the tree and the list: the catalog's own rule decides.
    void ItemEditing(TBasicItem* Item, bool& Allow);
    void ItemEdited(TBasicItem* Item, std::string& Text);
    void EditEnded();
    void aMainDeleteExecute();
    void RefreshActionExecute();
    void SelectAllActionExecute();
    void ToggleBar(QAction* Item, QWidget* Bar);

    // ---- action table (CatalogMainActions.cpp) ----
    void LoadImages();
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    QAction* NewAction(const char* Name, const char* Caption, const char* Hint,
                       const QKeySequence& ShortCut, int ImageIndex, std::function<void()> Execute);
    void ScheduleUpdateActions();
    void StartIdleUpdates();

    // ---- add commands, synchronise, options, about (CatalogMainAdd.cpp) ----
    void CreateAddActions();
    void UpdateAddActions();
    void aAddVirtualFolderExecute();
    void aAddFileFolderExecute();
    void aAddLocFileExecute();
    void RescanActionExecute();
    void SetupActionExecute();
    void About1Click();

    // ---- drag and drop (CatalogMainDrag.cpp) ----
    void ConnectDragAndDrop();
    std::vector<QWidget*> DragViewports() const;
    bool PaneMouseEvent(QWidget* Pane, QMouseEvent* E);
    bool PaneDragEvent(QWidget* Pane, QDropEvent* E);
    // The item of the node (tvMain) or row (lvMain) at P, null over empty space.
    TBasicItem* DropTarget(QWidget* Pane, const QPoint& P) const;
    bool AcceptsDrop(QWidget* Pane, TDragSource Source, const QPoint& P) const;
    void _DragDrop(QWidget* Pane, TDragSource Source, const QPoint& P);

    // ---- the pop-up menu of the tree and the list (CatalogMainShell.cpp) ----
    void pmMainPopup();
    void UpdateShellMenu(TFileItem* Item);
    void BuildShellSubmenu(QMenu* Parent, const std::vector<TShellCommand>& Commands);
    void ShellMenuItemClick(int Id);

    // ---- settings and layout (CatalogMainSettings.cpp) ----
    void FormStorage1RestorePlacement();
    void FormStorage1SavePlacement();
    void RestoreToolbarPositions();
    // Keeps the place of each bar that the user hides.
    void WatchBarPlaces();
    // The bars whose places the settings keep, with their value names.
    struct TBarPlace {
        QToolBar* Bar;
        const char* Left;
        const char* Top;
    };
    std::vector<TBarPlace> StoredBars() const;
    // Where a bar stands in the top tool bar area, also while it is hidden.
    QPoint BarPosition(QToolBar* Bar) const;
    // Size of a pane across its splitter, also while it is hidden; setting it keeps the new size
    // for a hidden pane until it shows.
    int PaneSize(QWidget* Pane) const;
    void SetPaneSize(QWidget* Pane, int Size);
    void ShowPane(QWidget* Pane, bool Show);
    void RememberPaneSizes();

    // ---- workers (CatalogMainWorkers.cpp) ----
    // Terminates and waits for Thread when it is one of the window's running workers.
    void StopThread(TThread* Thread);
    void ThreadTerminated(TThread* Sender);
    void StopWorkers();
    void StartListImageThread();
    void StartTreeImageThread() {}
    void StartCatalogImageThread() {}

    // ---- searching (CatalogMainSearch.cpp) ----
    void CreateSearchActions();
    void UpdateSearchActions();
    void FindActionExecute();
    // A search with the find dialog's criteria; raises when they do not parse (nothing runs
    // then).
    void StartFindThread(const TFindCriteria& Criteria);

    // ---- keyword pane (CatalogMainKeywords.cpp) ----
    void ConnectKeyWordPane();
    void FillKeyWordList();
    TKeyWordItem* KeyWordOf(const TListViewItem* Row) const;
    void SetKeyWordState(TKeyWordState State);
    void lvKeyDblClick();
    void lvKeyEdited(TListViewItem* Row, std::string& Text);
    void aAddKeyWordExecute();
    void aDeleteKeyWordExecute();
    void aFindKeyWordExecute();
    // Shows the result pane when it is hidden.
    void ShowResultsBar();

    // ---- result pane (CatalogMainResults.cpp) ----
    void ConnectResultPane();
    // After the rows of a search: names are not cut where there is room.
    void FitResultNames();
    void aGotoExecute();
    void aClearResultsExecute();
    void aDeleteResultItemExecute();
    // Refills the result rows from the last to the first, in slices between which the event
    // loop runs while the window is disabled; StopRefreshResults leaves the rest as they are.
    void RefreshResults();
    void RefreshResultSlice();
    void StopRefreshResults();
    void DeleteActionExecute();
    void ReportActionExecute();

    // ---- the form's objects (owned through Qt's parent links, or members) ----
    TFormStorage* FormStorage1 = nullptr;
    TMRUManager* MRUManager1 = nullptr;
    TFileDialogSpec OpenDialog1;
    TFileDialogSpec SaveDialog1;
    TIconList ImageList1; // actions and menus; 7 and 8 are the header sort marks
    TIconList ImageList2; // keyword states
    TProgramImageList SmallImageList{16};
    TProgramImageList LargeImageList{32};

    // The menus, dropped from the buttons of MenuToolBar. Options1 has no entries and no button.
    QToolBar* MenuToolBar = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Tools1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* Help1 = nullptr;
    QToolBar* FileToolbar = nullptr;
    QToolBar* ToolsToolBar = nullptr;
    QToolBar* ViewToolBar = nullptr;
    QToolBar* ViewStyleToolbar = nullptr;
    QSplitter* spBottom = nullptr; // between the panes above and the result pane
    QSplitter* spLeft = nullptr;   // between the folder pane and the rest
    QSplitter* SpRight = nullptr;  // between the list and the keyword pane
    QWidget* LeftPanel = nullptr;
    QWidget* RightPanel = nullptr;
    QWidget* BottomPanel = nullptr;
    TCatalogTreeView* tvMain = nullptr;
    TCatalogListView* lvMain = nullptr;
    TCustomListView* lvKey = nullptr;
    TCatalogListView* lvResult = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMenu* Recent1 = nullptr;
    QMenu* pmMain = nullptr;
    QMenu* ViewStyle1 = nullptr; // the View Style submenu of pmMain
    QMenu* shell1 = nullptr;     // the Shell submenu of pmMain
    QMenu* pmResults = nullptr;
    QMenu* pmKeyword = nullptr;
    QMenu* State1 = nullptr; // the State submenu of pmKeyword

    // The actions.
    QAction* aRootUp = nullptr;
    QAction* aLeft = nullptr;
    QAction* aNew = nullptr;
    QAction* aLoad = nullptr;
    QAction* aSave = nullptr;
    QAction* aSaveAs = nullptr;
    QAction* aExit = nullptr;
    QAction* aDetail = nullptr;
    QAction* aSmallIcon = nullptr;
    QAction* aLargeIcon = nullptr;
    QAction* aList = nullptr;
    QAction* aRenameAction = nullptr;
    QAction* aMainDelete = nullptr;
    QAction* aMainProperty = nullptr;
    QAction* aBottom = nullptr;
    QAction* aRight = nullptr;
    QAction* aAddKeyWord = nullptr;
    QAction* DeleteAction = nullptr;
    QAction* RefreshAction = nullptr;
    QAction* RevertAction = nullptr;
    QAction* SelectAllAction = nullptr;
    // The add commands, synchronise, options, about.
    QAction* aAddVirtualFolder = nullptr;
    QAction* aAddFileFolder = nullptr;
    QAction* aAddLocFile = nullptr;
    QAction* RescanAction = nullptr;
    QAction* SetupAction = nullptr;
    QAction* About1 = nullptr;
    // searching
    QAction* aFindKeyWord = nullptr;
    QAction* aGoto = nullptr;
    QAction* aDeleteKeyWord = nullptr;
    QAction* aClearResults = nullptr;
    QAction* FindAction = nullptr;
    QAction* ReportAction = nullptr;
    QAction* aDeleteResultItem = nullptr;
    QAction* Normal1 = nullptr;
    QAction* Incude1 = nullptr;
    QAction* Exclude1 = nullptr;
    // Menu items that switch bars.
    QAction* StatusBar2 = nullptr;
    QAction* Bar3 = nullptr;
    QAction* bar11 = nullptr;
    QAction* Bar21 = nullptr;
    QAction* ViewStylebar1 = nullptr;

    // ---- state ----
    bool FFindRunning = false;
    bool FListImageRunning = false;
    bool FTreeImageRunning = false;
    bool FCatalogImageRunning = false;
    bool FFolderShown = true;
    std::unique_ptr<TListImageThread> FListImageThread;
    std::unique_ptr<TFindThread> FFindThread;
    // The result rows a refresh has still to refill, the last one at the back.
    std::vector<TListViewItem*> FRefreshRows;
    bool FRefreshing = false;
    std::unique_ptr<TCatFileItem> FCatalog; // CurrentCatalog
    QWidget* FActiveControl = nullptr;
    QLabel* FStatusLabel = nullptr;
    TFolderCounter* FCounter = nullptr;
    QActionGroup* FStyleGroup = nullptr;
    bool FUpdatePending = false;
    // Drag and drop: where the left button went down (-1, -1 when it is up), in which pane, and
    // whether on a node or row there.
    QPoint FDownPoint{-1, -1};
    QWidget* FDragPane = nullptr;
    bool FDownOnEntry = false;
    // The desktop's commands of the last build of the Shell submenu, and the path they act on.
    std::unique_ptr<TShellContextMenu> FShellContextMenu;
    std::string FShellMenuPath;
    // The sizes of the folder, keyword and result panes, kept while a pane is hidden.
    int FLeftSize = 200;
    int FRightSize = 150;
    int FBottomSize = 62;
    // Where each stored bar last stood while it was shown (never-shown bars stand behind the bar
    // before them).
    std::vector<std::pair<QToolBar*, QPoint>> FBarPlaces;
};

// The one main window while it exists.
extern TfmCatalogMain* fmCatalogMain;
