// The main window's action table: every command as an action with its caption, hint, shortcut
// and picture; the menus, pop-up menus and tool bars that show the actions; and the rules that
// enable them, which run after every change the user can see.
#include "CatalogMain.h"

#include "core/CatalogGlobals.h"
#include "core/TreeItems.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <utility>
#include <vector>

namespace {

// The pictures of ImageList1 in the order of TActionImage; each lies under
// resources/images/window/16 and resources/images/window/32.
const char* const ActionImageNames[] = {
    "new",
    "open",
    "save",
    "save-as",
    "up",
    "delete",
    "properties",
    "sort-ascending",
    "sort-descending",
    "large-icons",
    "small-icons",
    "list",
    "details",
    "rename",
    "refresh",
    "revert",
    "exit",
    "folders-bar",
    "keywords-bar",
    "results-bar",
    "add-keyword",
    "select-all",
    "add-virtual-folder",
    "add-file-folder",
    "add-file",
    "synchronize",
    "options",
    "find",
    "keyword-search",
    "report",
    "goto",
    "clear-results",
};
const char* const KeyWordStateImageNames[] = {"keyword-normal", "keyword-include",
                                              "keyword-exclude"};

// Walks the menus of the menu bar with the keyboard, as every desktop menu bar lets one: while a
// menu is open, Right opens the next menu (unless the highlighted entry opens a submenu) and
// Left the one before (unless a submenu is open, which it closes), round the end of the bar.
// The new menu opens with its first entry highlighted. It watches each menu and its submenus.
class TMenuBarWalker : public QObject {
public:
    TMenuBarWalker(std::vector<QToolButton*> Buttons, QObject* Parent)
        : QObject(Parent), FButtons(std::move(Buttons)) {
        for (QToolButton* B : FButtons) {
            B->menu()->installEventFilter(this);
            for (QMenu* Sub : B->menu()->findChildren<QMenu*>())
                Sub->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        auto* Menu = qobject_cast<QMenu*>(Watched);
        if (!Menu || Event->type() != QEvent::KeyPress) return false;
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->modifiers() != Qt::NoModifier && Key->modifiers() != Qt::KeypadModifier)
            return false;
        const int N = static_cast<int>(FButtons.size());
        int Top = -1;
        for (int I = 0; I < N && Top < 0; ++I)
            for (QObject* O = Menu; O; O = O->parent())
                if (O == FButtons[static_cast<size_t>(I)]->menu()) Top = I;
        if (Top < 0) return false;
        const bool IsTop = Menu == FButtons[static_cast<size_t>(Top)]->menu();
        if (Key->key() == Qt::Key_Right) {
            const QAction* A = Menu->activeAction();
            if (A && A->menu() && A->isEnabled()) return false; // opens the submenu
            Open((Top + 1) % N);
            return true;
        }
        if (Key->key() == Qt::Key_Left && IsTop) {
            Open((Top + N - 1) % N);
            return true;
        }
        return false;
    }

private:
    void Open(int Index) {
        while (QWidget* Popup = QApplication::activePopupWidget())
            Popup->close();
        // Opened once the menus closed have left their loops; the first entry is highlighted
        // from inside the new menu's loop.
        QToolButton* B = FButtons[static_cast<size_t>(Index)];
        QTimer::singleShot(0, B, [B] {
            QMenu* M = B->menu();
            QTimer::singleShot(0, M, [M] {
                for (QAction* A : M->actions())
                    if (A->isVisible() && A->isEnabled() && !A->isSeparator()) {
                        M->setActiveAction(A);
                        break;
                    }
            });
            B->showMenu();
        });
    }

    std::vector<QToolButton*> FButtons;
};

} // namespace

void TfmCatalogMain::LoadImages() {
    for (const char* Name : ActionImageNames)
        ImageList1.Add(WindowPicture(Name));
    for (const char* Name : KeyWordStateImageNames)
        ImageList2.Add(WindowPicture(Name));
    SmallImageList.AddFixedPictures();
    LargeImageList.AddFixedPictures();
}

// ---- the actions -------------------------------------------------------------------------------

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
    // Every command checks its rule again: the state may have changed since the last update.
    if (Execute)
        connect(A, &QAction::triggered, this, [this, A, Execute] {
            // The rules leave the check the user has just given a switch as it is.
            const bool Checked = A->isChecked();
            UpdateActions();
            A->setChecked(Checked);
            if (A->isEnabled()) Run(Execute);
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
                      imgFoldersBar, [this] { ShowPane(LeftPanel, aLeft->isChecked()); });
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
    // Alt with either Return or the keypad's Enter.
    aMainProperty->setShortcuts({K(Qt::ALT | Qt::Key_Return), K(Qt::ALT | Qt::Key_Enter)});
    aBottom =
        NewAction("aBottom", "Results bar", "Show search results bar", K(Qt::CTRL | Qt::Key_0),
                  imgResultsBar, [this] { ShowPane(BottomPanel, aBottom->isChecked()); });
    aBottom->setCheckable(true);
    aRight = NewAction("aRight", "Keyword bar", "Show keywords bar", K(Qt::CTRL | Qt::Key_9),
                       imgKeywordsBar, [this] { ShowPane(RightPanel, aRight->isChecked()); });
    aRight->setCheckable(true);
    aAddKeyWord =
        NewAction("aAddKeyWord", "Add KeyWord", "Add keyword|Add keyword", K(Qt::CTRL | Qt::Key_4),
                  imgAddKeyWord, [this] { aAddKeyWordExecute(); });
    DeleteAction = NewAction("DeleteAction", "Delete", "Delete|Delete Item", K(Qt::Key_Delete),
                             imgDelete, [this] { DeleteActionExecute(); });
    RefreshAction = NewAction("RefreshAction", "Refresh", "Refresh", K(Qt::Key_F5), imgRefresh,
                              [this] { RefreshActionExecute(); });
    RevertAction =
        NewAction("RevertAction", "Revert", "Revert|Reverts the catalog to the last saved version",
                  K(), imgRevert, [this] { RevertActionExecute(); });
    SelectAllAction = NewAction("SelectAllAction", "Select All", "", K(Qt::CTRL | Qt::Key_A),
                                imgSelectAll, [this] { SelectAllActionExecute(); });

    StatusBar2 = NewAction("StatusBar2", "Status Bar", "", K(), -1, [this] {
        StatusBar1->setVisible(StatusBar2->isChecked());
        UpdateStatusLine();
    });
    Bar3 = NewAction("Bar3", "File", "", K(), -1, [this] { ToggleBar(Bar3, FileToolbar); });
    bar11 = NewAction("bar11", "Standart", "", K(), -1, [this] { ToggleBar(bar11, ToolsToolBar); });
    Bar21 = NewAction("Bar21", "Controls", "", K(), -1, [this] { ToggleBar(Bar21, ViewToolBar); });
    ViewStylebar1 = NewAction("ViewStylebar1", "View Style", "", K(), -1,
                              [this] { ToggleBar(ViewStylebar1, ViewStyleToolbar); });
    // Checked exactly while their bars show (CreateToolBars).
    for (QAction* A : {StatusBar2, Bar3, bar11, Bar21, ViewStylebar1})
        A->setCheckable(true);

    // ---- the add commands, synchronise, options, about (CatalogMainAdd.cpp) ----
    CreateAddActions();
    // ---- searching, keywords, results (CatalogMainSearch.cpp) ----
    CreateSearchActions();
}

// ---- menus and bars ----------------------------------------------------------------------------

void TfmCatalogMain::CreateMenus() {
    // The menus drop from the buttons of MenuToolBar (CreateToolBars), a bar like the others, so
    // that the user may move it and its place is kept. Later commands join the existing menus.
    auto Menu = [this](const char* Name, const char* Title) {
        auto* M = new QMenu(QString::fromUtf8(Title), this);
        M->setObjectName(QString::fromUtf8(Name));
        return M;
    };
    File1 = Menu("File1", "&File");
    File1->addActions({aNew, aLoad});
    File1->addSeparator();
    File1->addActions({aSave, aSaveAs, RevertAction});
    File1->addSeparator();
    File1->addAction(aExit);
    File1->addSeparator();
    Recent1 = File1->addMenu(QStringLiteral("Recent"));
    Recent1->setObjectName(QStringLiteral("Recent1"));
    Recent1->setEnabled(false);

    Edit1 = Menu("Edit1", "&Edit");
    Edit1->addActions({aAddVirtualFolder, aAddFileFolder, aAddLocFile});
    Edit1->addSeparator();
    Edit1->addAction(aAddKeyWord);
    Edit1->addSeparator();
    Edit1->addActions({aRenameAction, DeleteAction, SelectAllAction, aClearResults});
    Edit1->addSeparator();
    Edit1->addAction(RefreshAction);

    Tools1 = Menu("Tools1", "&Tools");
    Tools1->addActions({aFindKeyWord, FindAction});
    Tools1->addSeparator();
    Tools1->addAction(ReportAction);
    Tools1->addSeparator();
    Tools1->addAction(SetupAction);
    Options1 = Menu("Options1", "&Options");

    View1 = Menu("View1", "&View");
    View1->addActions({aLargeIcon, aSmallIcon, aList, aDetail});
    View1->addSeparator();
    QMenu* Controls = View1->addMenu(QStringLiteral("Controls"));
    Controls->setObjectName(QStringLiteral("Controls1"));
    // The menu's entries say in the status bar what the panes are, in words of their own; they
    // follow and toggle the pane actions, whose shortcuts they show without owning them.
    const std::pair<QAction*, const char*> PaneEntries[] = {{aLeft, "Show Folders bar"},
                                                            {aRight, "Show KeyWords bar"},
                                                            {aBottom, "Show Search Results bar"}};
    for (const auto& [Pane, Hint] : PaneEntries) {
        QAction* Entry = Controls->addAction(Pane->text());
        Entry->setObjectName(Pane->objectName() + QStringLiteral("Menu"));
        Entry->setStatusTip(QString::fromUtf8(Hint));
        Entry->setShortcut(Pane->shortcut());
        Entry->setShortcutContext(Qt::WidgetShortcut);
        Entry->setCheckable(true);
        Entry->setChecked(Pane->isChecked());
        connect(Pane, &QAction::toggled, Entry, &QAction::setChecked);
        connect(Pane, &QAction::changed, Entry,
                [Entry, Pane] { Entry->setEnabled(Pane->isEnabled()); });
        connect(Entry, &QAction::triggered, Pane, [Pane](bool Checked) {
            if (Pane->isChecked() != Checked) Pane->trigger();
        });
    }
    QMenu* Bars = View1->addMenu(QStringLiteral("Tollbars"));
    Bars->addActions({Bar3, bar11, Bar21, ViewStylebar1});
    View1->addAction(StatusBar2);

    Help1 = Menu("Help1", "&Help");
    Help1->addAction(About1);

    pmMain = new QMenu(this);
    pmMain->setObjectName(QStringLiteral("pmMain"));
    ViewStyle1 = pmMain->addMenu(QStringLiteral("View Style"));
    ViewStyle1->setObjectName(QStringLiteral("ViewStyle1"));
    ViewStyle1->addActions({aLargeIcon, aSmallIcon, aList, aDetail});
    pmMain->addSeparator();
    pmMain->addActions({aAddVirtualFolder, aAddFileFolder, aAddLocFile});
    pmMain->addSeparator();
    pmMain->addAction(RescanAction);
    shell1 = pmMain->addMenu(QStringLiteral("Shell"));
    shell1->setObjectName(QStringLiteral("shell1"));
    shell1->menuAction()->setVisible(false);
    connect(pmMain, &QMenu::aboutToShow, this, [this] { Run([this] { pmMainPopup(); }); });
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
    pmResults->addActions({aGoto, ReportAction});
    pmResults->addSeparator();
    pmResults->addActions({DeleteAction, aClearResults});
    pmResults->addSeparator();
    pmResults->addAction(RefreshAction);
    lvResult->SetPopupMenu(pmResults);

    pmKeyword = new QMenu(this);
    pmKeyword->setObjectName(QStringLiteral("pmKeyword"));
    pmKeyword->addAction(aFindKeyWord);
    pmKeyword->addSeparator();
    pmKeyword->addActions({aAddKeyWord, aRenameAction, DeleteAction});
    pmKeyword->addSeparator();
    State1 = pmKeyword->addMenu(QStringLiteral("State"));
    State1->setObjectName(QStringLiteral("State1"));
    State1->addActions({Normal1, Incude1, Exclude1});
    // The states apply to the selected keywords.
    connect(pmKeyword, &QMenu::aboutToShow, this,
            [this] { State1->setEnabled(lvKey->SelCount() > 0); });
    lvKey->SetPopupMenu(pmKeyword);

    // The rules hold whenever a menu shows.
    for (QMenu* M : {File1, Edit1, Tools1, View1, pmResults, pmKeyword})
        connect(M, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void TfmCatalogMain::CreateToolBars() {
    auto Bar = [this](const char* Name, const char* Title) {
        auto* B = new QToolBar(QString::fromUtf8(Title), this);
        B->setObjectName(QString::fromUtf8(Name));
        B->setIconSize(QSize(16, 16));
        addToolBar(Qt::TopToolBarArea, B);
        return B;
    };
    // The menu bar is a row of its own above the other bars.
    MenuToolBar = Bar("MenuToolBar", "Menu");
    std::vector<QToolButton*> MenuButtons;
    for (QMenu* M : {File1, Edit1, View1, Tools1, Help1}) {
        auto* B = new QToolButton;
        B->setObjectName(M->objectName() + QStringLiteral("Button"));
        B->setText(M->title());
        B->setMenu(M);
        B->setPopupMode(QToolButton::InstantPopup);
        B->setToolButtonStyle(Qt::ToolButtonTextOnly);
        B->setAutoRaise(true);
        // No drop-down arrow: the buttons read as a menu bar.
        B->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
        // The pointer may have left the button while its menu was open.
        connect(M, &QMenu::aboutToHide, B, [B] {
            B->setAttribute(Qt::WA_UnderMouse,
                            B->rect().contains(B->mapFromGlobal(QCursor::pos())));
            B->update();
        });
        MenuToolBar->addWidget(B);
        MenuButtons.push_back(B);
    }
    new TMenuBarWalker(std::move(MenuButtons), this);
    addToolBarBreak(Qt::TopToolBarArea);
    FileToolbar = Bar("FileToolbar", "File");
    FileToolbar->addActions({aNew, aLoad, aSave, aSaveAs});
    ToolsToolBar = Bar("ToolsToolBar", "Standart");
    ToolsToolBar->addAction(aRootUp);
    ToolsToolBar->addSeparator();
    ToolsToolBar->addActions({aAddVirtualFolder, aAddFileFolder, aAddLocFile, aAddKeyWord});
    ToolsToolBar->addSeparator();
    ToolsToolBar->addActions({RescanAction, DeleteAction, aMainProperty});
    ToolsToolBar->addSeparator();
    ToolsToolBar->addActions({FindAction, aFindKeyWord, ReportAction});
    ToolsToolBar->addSeparator();
    ToolsToolBar->addAction(SetupAction);
    ViewToolBar = Bar("ViewToolBar", "Controls");
    ViewToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ViewToolBar->addActions({aLeft, aRight, aBottom});
    ViewToolBar->setVisible(false);
    ViewStyleToolbar = Bar("ViewStyleToolbar", "View Style");
    ViewStyleToolbar->addActions({aLargeIcon, aSmallIcon, aList, aDetail});
    WatchBarPlaces();
    // Every bar's menu item is checked exactly while the bar shows; the items switch the bars.
    const std::pair<QAction*, QWidget*> Switches[] = {{StatusBar2, StatusBar1},
                                                      {Bar3, FileToolbar},
                                                      {bar11, ToolsToolBar},
                                                      {Bar21, ViewToolBar},
                                                      {ViewStylebar1, ViewStyleToolbar}};
    for (const auto& [Item, Shown] : Switches)
        Item->setChecked(!Shown->isHidden());
}

// ---- enabling rules ----------------------------------------------------------------------------

void TfmCatalogMain::StartIdleUpdates() {
    // Changes no handler tells of (a scan's end, a pane filled by a worker) show within moments.
    auto* Idle = new QTimer(this);
    Idle->setObjectName(QStringLiteral("IdleUpdate"));
    Idle->setInterval(250);
    connect(Idle, &QTimer::timeout, this, [this] { UpdateActions(); });
    Idle->start();
}

void TfmCatalogMain::ScheduleUpdateActions() {
    if (FUpdatePending) return;
    FUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        FUpdatePending = false;
        UpdateActions();
    });
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
    DeleteAction->setEnabled(
        !Editing &&
        ((A == tvMain && NodeItem && !ScanRoot(NodeItem) && CurrentFolder != CurrentCatalog) ||
         (A == lvMain && ((MainSel == 1 && RowItem && !ScanRoot(RowItem)) || MainSel >= 2)) ||
         ((A == lvKey || A == lvResult) && static_cast<TCustomListView*>(A)->SelCount() > 0)));
    aLeft->setChecked(LeftPanel->isVisibleTo(this));

    // ---- the add commands, synchronise (CatalogMainAdd.cpp) ----
    UpdateAddActions();
    // ---- searching, keywords, results (CatalogMainSearch.cpp) ----
    UpdateSearchActions();
}
