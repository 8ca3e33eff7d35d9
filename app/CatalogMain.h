// TfmCatalogMain: the main window of the program, around the one open catalog.
//
// The window shows the catalog as a folder tree (tvMain) beside a list of the current folder's
// contents (lvMain), with a keyword pane (lvKey) on the right and a result pane (lvResult) at the
// bottom, both hidden at first. It creates, opens, saves and reverts catalog files, fills and
// navigates the tree and the list, renames and deletes items in place, and keeps the status bar
// and the window caption up to date. Every command is an action (QAction) of the window; menus,
// pop-up menus and toolbars only point to actions.
//
// The window owns the one root item CurrentCatalog for its whole life, the worker threads it
// starts (the list-icon thread, the search thread) and, through Qt's parent links, its panes,
// bars and menus. It fills the core's view callbacks when it is created and clears them when it
// is destroyed. Closing a catalog stops every worker first, waiting for each while their
// synchronous calls are still served.
//
// Questions, messages and file dialogs go through UserDialogs() (app/UserDialogs.h). Failures of
// a command are caught where the command runs and shown in a box titled "Error"; none crosses a
// Qt event handler. UI thread only.
#pragma once

#include "app/ImageLists.h"
#include "app/SListView.h"
#include "app/UserDialogs.h"
#include "uilib/Forms.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QToolBar;
class TBasicItem;
class TCatFileItem;
class TFindThread;
class TFormStorage;
class TListImageThread;
class TMRUManager;
class TThread;

// " - Quillmark": the end of every caption of the main window (set by the module start-up).
extern std::string CaptionSuffix;
// The command line after the program's name, byte for byte (set by the program entry).
extern std::vector<std::string> CommandLineParams;

// Start-up and finish of the main window's module: CaptionSuffix and the application's title.
void CatalogMainInitialization();
void CatalogMainFinalization();

// The text of the status bar for the folders, files and bytes below a folder:
// "Contents %d Folders, %d Files, %dKB".
std::string FolderContentsText(int64_t Folders, int64_t Files, uint64_t TotalSize);
// The texts of the list's columns after the name for an item: size, type, modified,
// attributes, comment.
std::string ItemSizeText(const TBasicItem* Item);
std::string AttributeLetters(uint32_t Attr);

class TfmCatalogMain : public TCustomForm {
    Q_OBJECT

public:
    explicit TfmCatalogMain(QWidget* Parent = nullptr);
    ~TfmCatalogMain() override;

    // ---- the form's objects (owned through Qt's parent links) ----
    TFormStorage* FormStorage1;
    TMRUManager* MRUManager1;
    TFileDialogSpec OpenDialog1;
    TFileDialogSpec SaveDialog1;
    TIconList ImageList1; // actions and menus; 7 and 8 are the header sort marks
    TIconList ImageList2; // keyword states
    TProgramImageList SmallImageList{16};
    TProgramImageList LargeImageList{32};

    QMenuBar* MenuToolBar;
    QToolBar* FileToolbar;
    QToolBar* ToolsToolBar;
    QToolBar* ViewToolBar;
    QToolBar* ViewStyleToolbar;
    QSplitter* spBottom; // between the panes above and the result pane
    QSplitter* spLeft;   // between the folder pane and the rest
    QSplitter* SpRight;  // between the list and the keyword pane
    QWidget* LeftPanel;
    QWidget* RightPanel;
    QWidget* BottomPanel;
    TCatalogTreeView* tvMain;
    TCatalogListView* lvMain;
    TCustomListView* lvKey;
    TCatalogListView* lvResult;
    QStatusBar* StatusBar1;
    QMenu* Recent1;
    QMenu* pmMain;
    QMenu* pmResults;

    // The actions.
    QAction* aRootUp;
    QAction* aLeft;
    QAction* aNew;
    QAction* aLoad;
    QAction* aSave;
    QAction* aSaveAs;
    QAction* aExit;
    QAction* aDetail;
    QAction* aSmallIcon;
    QAction* aLargeIcon;
    QAction* aList;
    QAction* aRenameAction;
    QAction* aMainDelete;
    QAction* aMainProperty;
    QAction* aBottom;
    QAction* aRight;
    QAction* aAddKeyWord;
    QAction* DeleteAction;
    QAction* RefreshAction;
    QAction* RevertAction;
    QAction* SelectAllAction;
    // Menu items that switch bars.
    QAction* StatusBar2;
    QAction* Bar3;
    QAction* bar11;
    QAction* Bar21;
    QAction* ViewStylebar1;

    // ---- start-up, threads, closing ----
    void InitRootCaption();
    // Stops every worker and empties the catalog and the panes; the root becomes current.
    void CloseCatalog();
    // Terminates and waits for Thread when it is one of the window's running workers.
    void StopThread(TThread* Thread);
    void ThreadTerminated(TThread* Sender);
    TBasicItem* GetCurrentFolder() const;
    // A search thread on the result pane, created suspended with ThreadTerminated; the one
    // before it is stopped and released. RunFindThread starts it.
    TFindThread* CreateFindThread();
    void RunFindThread();
    TFindThread* FindThread() const { return FFindThread.get(); }
    bool FindRunning() const { return FFindRunning; }
    TListImageThread* ListImageThread() const { return FListImageThread.get(); }
    bool ListImageRunning() const { return FListImageRunning; }

    // ---- catalog file commands ----
    bool aNewExecute();
    void aLoadExecute();
    void OpenCatalog(std::string FileName);
    void aSaveExecute();
    void aSaveAsExecute();
    void SaveCatalogTo(std::string FileName);
    void RevertActionExecute();
    void aExitExecute();
    bool QuerySave();
    void AddToRecent(const std::string& FileName);
    void MRUManager1Click(const std::string& RecentName);
    void FormCloseQuery(bool& CanClose);

    // ---- tree and list ----
    void RefreshTreeNode(TTreeNode* Node);
    void AddTreeChildren(TBasicItem* Folder);
    void SetCurrentFolder(TBasicItem* Folder);
    void RefreshList(bool Append);
    void AddFolderItems();
    TListViewItem* AddListItem(TBasicItem* Item);
    void FillListItem(TListItem* ListItem);
    void ClearList();
    void StartListImageThread();
    void StartTreeImageThread() {}
    void StartCatalogImageThread() {}
    TBasicItem* GetFocusedItem() const;
    std::vector<TBasicItem*> GetSelectedItems() const;
    void ShowFolderContents(TBasicItem* Item);
    void SetStatusText(const std::string& S);
    std::string StatusText() const;
    // Whether the panes leave Item out (hidden or system file without ShowHidden, missing mark).
    static bool IsHiddenItem(const TBasicItem* Item);

    void tvMainChanging(TTreeViewNode* Node);
    void tvMainChange(TTreeViewNode* Node);
    void lvMainChange();
    void aRootUpExecute();
    void lvMainKeyDown(int& Key);
    void lvMainDblClick();
    void aMainPropertyExecute();
    void aDetailExecute();
    void aRenameActionExecute();
    void aMainDeleteExecute();
    void RefreshActionExecute();
    void SelectAllActionExecute();

    // The keyword pane's rows from the catalog's keywords.
    void FillKeyWordList();
    void RefreshKeyWordList() { FillKeyWordList(); }

    // The pane the user works in (tvMain, lvMain, lvKey or lvResult), as focus last left it.
    QWidget* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(QWidget* Control);
    // The enabling rules of the actions; they also run by themselves after every change.
    void UpdateActions();

    std::string Caption() const;
    void SetCaption(const std::string& Value);

protected:
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreatePanes();
    QAction* NewAction(const char* Name, const char* Caption, const char* Hint,
                       const QKeySequence& ShortCut, int ImageIndex, std::function<void()> Execute);
    // Runs a command: failures are shown to the user, never passed into Qt.
    void Run(const std::function<void()>& Command);
    void ScheduleUpdateActions();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void StopWorkers();
    void FocusChanged(QWidget* Now);
    void ToggleBar(QAction* Item, QWidget* Bar);
    void EditEnded();
    void SortSizes(const TListViewItem* I1, const TListViewItem* I2, int& Compare) const;

    bool FFindRunning = false;
    bool FListImageRunning = false;
    bool FTreeImageRunning = false;
    bool FCatalogImageRunning = false;
    bool FFolderShown = true;
    std::unique_ptr<TListImageThread> FListImageThread;
    std::unique_ptr<TFindThread> FFindThread;
    std::unique_ptr<TCatFileItem> FCatalog; // CurrentCatalog
    QWidget* FActiveControl = nullptr;
    QLabel* FStatusLabel = nullptr;
    QActionGroup* FStyleGroup = nullptr;
    bool FUpdatePending = false;
};

// The one main window while it exists.
extern TfmCatalogMain* fmCatalogMain;
