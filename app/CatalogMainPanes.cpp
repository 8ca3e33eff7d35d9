// The main window's panes: how they are made, how the tree and the list are filled from the
// catalog, the core's view callbacks, the status bar and the active pane.
#include "CatalogMain.h"

#include "app/FolderCounter.h"
#include "app/ItemTexts.h"
#include "app/ListPanes.h"
#include "app/UiText.h"
#include "app/dialogs/CatProp.h"
#include "app/dialogs/DialogFactory.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/FindThread.h"
#include "core/ImageThreads.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

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

QWidget* NewPanel(const char* Name, QWidget* Content) {
    auto* P = new QWidget;
    P->setObjectName(QString::fromUtf8(Name));
    auto* L = new QVBoxLayout(P);
    L->setContentsMargins(0, 0, 0, 0);
    L->addWidget(Content);
    return P;
}

} // namespace

// ---- making the panes --------------------------------------------------------------------------

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
        ItemEditing(Node ? Node->Data() : nullptr, Allow);
    };
    tvMain->OnEdited = [this](TTreeViewNode* Node, std::string& S) { ItemEdited(Node->Data(), S); };
    tvMain->OnEditEnd = [this] { EditEnded(); };
    tvMain->OnDeletion = [](TTreeViewNode* Node) {
        if (TBasicItem* Item = Node->Data(); Item && Item->TreeNode() == Node)
            Item->SetTreeNode(nullptr);
    };
    // A folder's nodes are made when the tree first needs them.
    tvMain->OnFill = [this](TTreeViewNode* Node) {
        if (TBasicItem* Item = Node->Data()) AddTreeChildren(Item);
    };
    tvMain->OnHasChildren = [](const TTreeViewNode* Node) {
        TBasicItems* C = Node->Data() ? Node->Data()->Children() : nullptr;
        for (int I = 0; C && I < C->Count(); ++I)
            if (IsTreeFolder(C->At(I))) return true;
        return false;
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

    CreateListPanes();
    ConnectDragAndDrop();

    LeftPanel = NewPanel("LeftPanel", tvMain);
    RightPanel = NewPanel("RightPanel", lvKey);
    BottomPanel = NewPanel("BottomPanel", lvResult);
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
    FCounter = new TFolderCounter(this);
    // Scans and searches change or read the catalog while the window is disabled; panes in an
    // update bracket are being changed.
    FCounter->MayWalk = [this] {
        return isEnabled() && !tvMain->Updating() && !lvMain->Updating();
    };
    FActiveControl = lvMain;
}

void TfmCatalogMain::CreateListPanes() {
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
    FitDateColumn();
    lvMain->SetMultiSelect(true);
    lvMain->SetHeaderDragDrop(true);
    lvMain->SetSmallImages(&SmallImageList);
    lvMain->SetLargeImages(&LargeImageList);
    lvMain->SetHeaderImages(&ImageList1);
    lvMain->SetAscImgIndex(imgSortAscending);
    lvMain->SetDescImgIndex(imgSortDescending);
    lvMain->OnCompareStr = [this](const TListViewItem* I1, const TListViewItem* I2, int& C) {
        CompareFolderListRows(I1, I2, lvMain->SortColumn(), C);
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
        ItemEditing(Row ? Row->Data() : nullptr, Allow);
    };
    lvMain->OnEdited = [this](TListViewItem* Row, std::string& S) { ItemEdited(Row->Data(), S); };
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
    lvKey->OnChange = [this] { ScheduleUpdateActions(); };
    ConnectKeyWordPane();

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
    ConnectResultPane();
}

void TfmCatalogMain::FitDateColumn() {
    // The widest digits in every place of a date and time late in a year.
    const QString Widest = DateTimeText(EncodeDateTime(2088, 12, 28, 22, 58, 58, 0));
    const QFontMetrics M = lvMain->ReportPane()->fontMetrics();
    const int Needed = M.horizontalAdvance(Widest) + 2 * M.averageCharWidth() + 8;
    if (Needed > lvMain->ColumnWidth(colModified)) lvMain->SetColumnWidth(colModified, Needed);
}

// ---- the core's view callbacks -----------------------------------------------------------------

void TfmCatalogMain::InstallViewCallbacks() {
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
    // A scan or a search has ended when the window is enabled again: what the status line
    // counts may have changed meanwhile.
    EnableMainWindowProc = [](bool Enabled) {
        if (!fmCatalogMain) return;
        fmCatalogMain->setEnabled(Enabled);
        if (Enabled) fmCatalogMain->UpdateStatusLine();
    };
    TreeUpdateProc = [](bool Begin) {
        if (!fmCatalogMain) return;
        if (Begin)
            fmCatalogMain->tvMain->BeginUpdate();
        else
            fmCatalogMain->tvMain->EndUpdate();
    };
    // The dialog of the current folder walks the tree, any other the list.
    ShowItemPropertiesProc = [](TBasicItem* Item) {
        DialogFactory().ShowItemProperties(Item, Item == CurrentFolder);
    };
    // The "..." button of the properties dialog's keyword page.
    ShowKeyWordSetupProc = [] { DialogFactory().ShowKeyWordSetup(); };
}

void TfmCatalogMain::RemoveViewCallbacks() {
    RefreshTreeNodeProc = nullptr;
    SelectCurrentFolderProc = nullptr;
    StartTreeImageThreadProc = nullptr;
    RefreshKeyWordsProc = nullptr;
    RefreshListProc = nullptr;
    FillListItemProc = nullptr;
    EnableMainWindowProc = nullptr;
    TreeUpdateProc = nullptr;
    ShowItemPropertiesProc = nullptr;
    ShowKeyWordSetupProc = nullptr;
}

// ---- tree --------------------------------------------------------------------------------------

bool TfmCatalogMain::IsHiddenItem(const TBasicItem* Item) {
    if (Item->ScanFlags() & sfMissing) return true;
    if (ShowHidden) return false;
    auto* F = dynamic_cast<const TFileItem*>(Item);
    return F && F->IsHiddenOrSystem();
}

bool TfmCatalogMain::IsTreeFolder(const TBasicItem* Item) {
    return Item->Children() && !IsHiddenItem(Item);
}

void TfmCatalogMain::ShowRootNode() {
    auto* Root = static_cast<TTreeViewNode*>(CurrentCatalog->TreeNode());
    if (!Root) return;
    Root->SetText(CurrentCatalog->DisplayName());
    Root->SetImageIndex(CurrentCatalog->GetImageIndex());
    Root->SetSelectedIndex(CurrentCatalog->GetSelectedIndex());
}

void TfmCatalogMain::RefreshTreeNode(TTreeNode* Node) {
    auto* N = dynamic_cast<TTreeViewNode*>(Node);
    if (!N) return;
    TUpdateBracket<TCustomTreeView> Nodes(tvMain);
    // Unsorted while the nodes go in; the tree sorts them once at the end.
    tvMain->SetSortType(stNone);
    struct TSorted {
        TCustomTreeView* Tree;
        ~TSorted() { Tree->SetSortType(stText); }
    } Sorted{tvMain};
    N->DeleteChildren();
    if (TBasicItem* Item = N->Data(); Item && Item->Children()) AddTreeChildren(Item);
    StartTreeImageThread();
}

void TfmCatalogMain::AddTreeChildren(TBasicItem* Folder) {
    // One level: the nodes below each child are made when the tree first needs them (OnFill).
    auto* Parent = dynamic_cast<TTreeViewNode*>(Folder->TreeNode());
    TBasicItems* C = Folder->Children();
    if (!Parent || !C) return;
    for (int I = 0; I < C->Count(); ++I) {
        TBasicItem* Child = C->At(I);
        if (!IsTreeFolder(Child)) continue;
        TTreeViewNode* Node = tvMain->AddChild(Parent, Child->DisplayName(), Child, true);
        Child->SetTreeNode(Node);
        Node->SetImageIndex(Child->GetImageIndex());
        Node->SetSelectedIndex(Child->GetSelectedIndex());
    }
}

TTreeViewNode* TfmCatalogMain::TreeNodeOf(TBasicItem* Item) {
    // The folders above Item that have no node yet lie below a node whose children are still
    // to be made: they are made from the top down.
    std::vector<TBasicItem*> Path;
    for (TBasicItem* X = Item; X && !X->TreeNode(); X = X->OwnerItem())
        Path.push_back(X);
    for (auto It = Path.rbegin(); It != Path.rend(); ++It) {
        TBasicItem* Owner = (*It)->OwnerItem();
        auto* Above = Owner ? dynamic_cast<TTreeViewNode*>(Owner->TreeNode()) : nullptr;
        if (!Above) return nullptr;
        Above->ChildCount();
    }
    return dynamic_cast<TTreeViewNode*>(Item->TreeNode());
}

void TfmCatalogMain::SetCurrentFolder(TBasicItem* Folder) {
    TFlagGuard Switching(FFolderShown, false);
    if (Folder != CurrentFolder) {
        if (!Folder || !Folder->Children()) RaiseCatalogError("Invalid CurrentFolder");
        CurrentFolder = Folder;
    }
    // Also when the folder stays: its node may have lost the selection (a deleted branch).
    TTreeViewNode* Node = TreeNodeOf(CurrentFolder);
    if (Node && tvMain->Selected() != Node) tvMain->SetSelected(Node);
    RefreshList(false);
    ScheduleUpdateActions();
}

TBasicItem* TfmCatalogMain::GetCurrentFolder() const {
    return CurrentFolder;
}

void TfmCatalogMain::tvMainChanging(TTreeViewNode* Node) {
    if (QCoreApplication::closingDown() || !Node) return;
    // The selection SetCurrentFolder makes itself needs no second round.
    if (!FFolderShown) return;
    SetCurrentFolder(Node->Data());
}

void TfmCatalogMain::tvMainChange(TTreeViewNode* Node) {
    if (Node && FFolderShown) UpdateStatusLine();
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
    // The folder shown or what it holds has changed.
    UpdateStatusLine();
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
    if (F) Texts[colModified - 1] = FromQString(DateTimeText(F->FileInfo().Date));
    if (F) Texts[colAttributes - 1] = AttributeLetters(F->FileInfo().Attr);
    Texts[colComment - 1] = std::string(Item->Comment());
    Row->SetSubItems(std::move(Texts));
}

// ---- selection and status ----------------------------------------------------------------------

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

void TfmCatalogMain::lvMainChange() {
    UpdateStatusLine();
}

void TfmCatalogMain::UpdateStatusLine() {
    FCounter->Stop();
    if (!StatusBar2->isChecked()) return;
    // The folders among the list's selected rows; with no row selected, the folder shown.
    std::vector<const TBasicItems*> Folders;
    const std::vector<TListViewItem*> Rows = lvMain->SelectedItems();
    for (const TListViewItem* Row : Rows)
        if (const TBasicItem* Item = Row->Data(); Item && Item->Children())
            Folders.push_back(Item->Children());
    if (Rows.empty()) {
        const TTreeViewNode* Node = tvMain->Selected();
        const TBasicItem* Shown = Node && Node->Data() ? Node->Data() : CurrentFolder;
        if (Shown && Shown->Children()) Folders.push_back(Shown->Children());
    }
    // Nothing of before stays while the count runs; selected files alone have nothing to count.
    ShowStatus({});
    if (Folders.empty()) return;
    FCounter->Start(std::move(Folders), [this](const TFolderCounter::TTotals& T) {
        ShowStatus(FolderContentsText(T.Folders, T.Files, T.Size));
    });
}

void TfmCatalogMain::ShowStatus(const std::string& S) {
    FStatusLabel->setText(ToQString(S));
}

void TfmCatalogMain::SetStatusText(const std::string& S) {
    // A message stands until the next change: no count ends over it.
    FCounter->Stop();
    ShowStatus(S);
}

std::string TfmCatalogMain::StatusText() const {
    return FromQString(FStatusLabel->text());
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
