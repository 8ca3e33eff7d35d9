#include "TreeView.h"

#include "app/EditDelegate.h"
#include "app/TreeViewModel.h"
#include "app/UiText.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>

#include <algorithm>

// ---- nodes ------------------------------------------------------------------------------------

TTreeViewNode::~TTreeViewNode() = default;

void TTreeViewNode::SetText(const std::string& Text) {
    if (Text == FText) return;
    FText = Text;
    FView->NodeTextChanged(this);
}

void TTreeViewNode::SetImageIndex(int Index) {
    if (Index == FImageIndex) return;
    FImageIndex = Index;
    FView->NodeImageChanged(this);
}

void TTreeViewNode::SetSelectedIndex(int Index) {
    if (Index == FSelectedIndex) return;
    FSelectedIndex = Index;
    FView->NodeImageChanged(this);
}

bool TTreeViewNode::InTree() const {
    return FView->Alive(this);
}

void TTreeViewNode::Delete() {
    FView->RemoveNode(this, true);
}

void TTreeViewNode::BeginTreeUpdate() {
    FView->BeginUpdate();
}

void TTreeViewNode::EndTreeUpdate() {
    FView->EndUpdate();
}

void TTreeViewNode::Expand(bool Recurse) {
    if (FDeleted) return;
    if (FView->FResetting) {
        // Put back when the bracket ends (pending children are made then, as the view asks).
        std::vector<TTreeViewNode*> Stack{this};
        while (!Stack.empty()) {
            TTreeViewNode* N = Stack.back();
            Stack.pop_back();
            N->FExpanded = true;
            if (Recurse)
                for (auto& C : N->FChildren)
                    Stack.push_back(C.get());
        }
        return;
    }
    const QModelIndex I = FView->IndexOfNode(this);
    if (Recurse)
        FView->expandRecursively(I);
    else
        FView->expand(I);
}

void TTreeViewNode::Collapse() {
    if (FDeleted) return;
    FExpanded = false;
    if (!FView->FResetting) FView->collapse(FView->IndexOfNode(this));
}

int TTreeViewNode::ChildCount() const {
    FView->Fill(const_cast<TTreeViewNode*>(this));
    if (FHasDeleted) FView->CompactChildren(const_cast<TTreeViewNode*>(this));
    return static_cast<int>(FChildren.size());
}

bool TTreeViewNode::HasChildren() const {
    if (FPending) return FView->OnHasChildren && FView->OnHasChildren(this);
    return ChildCount() > 0;
}

TTreeViewNode* TTreeViewNode::Child(int Index) const {
    FView->Fill(const_cast<TTreeViewNode*>(this));
    if (FHasDeleted) FView->CompactChildren(const_cast<TTreeViewNode*>(this));
    if (Index < 0 || static_cast<size_t>(Index) >= FChildren.size()) return nullptr;
    return FChildren[static_cast<size_t>(Index)].get();
}

TTreeViewNode* TTreeViewNode::Parent() const {
    return FParent == FView->FRoot.get() ? nullptr : FParent;
}

void TTreeViewNode::DeleteChildren() {
    FPending = false;
    if (FChildren.empty()) return;
    FView->BeginUpdate();
    for (auto& C : FChildren)
        FView->RemoveNode(C.get(), false);
    FView->EndUpdate();
}

bool TTreeViewNode::Selected() const {
    return FView->FSelectedNode == this;
}

// ---- tree view ---------------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(QWidget* Parent)
    : QTreeView(Parent), FRoot(std::unique_ptr<TTreeViewNode>(new TTreeViewNode(this, nullptr))) {
    FModel = new TTreeViewModel(this);
    setModel(FModel);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setRootIsDecorated(true);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& I) {
        if (I.isValid()) NodeOfIndex(I)->FExpanded = true;
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& I) {
        if (I.isValid()) NodeOfIndex(I)->FExpanded = false;
    });
    FDelegate = new TEditDelegate(this);
    FDelegate->CanEdit = [this](const QModelIndex& Index) {
        TTreeViewNode* Node = NodeOfIndex(Index);
        bool Allow = Node && !Node->FDeleted && !FResetting;
        if (Allow && OnEditing) OnEditing(Node, Allow);
        return Allow;
    };
    FDelegate->Commit = [this](const QModelIndex& Index, const QString& Text) {
        if (TTreeViewNode* Node = NodeOfIndex(Index); Node && !Node->FDeleted)
            CommitEdit(Node, Text);
    };
    setItemDelegate(FDelegate);
    connect(FDelegate, &QAbstractItemDelegate::closeEditor, this, [this] {
        if (OnEditEnd) OnEditEnd();
    });
}

TCustomTreeView::~TCustomTreeView() {
    // Letting go of the model moves the current index: nobody is told any more.
    FSilent = true;
    OnChanging = nullptr;
    OnChange = nullptr;
    OnDeletion = nullptr;
    setModel(nullptr);
}

TTreeViewNode* TCustomTreeView::NodeOfIndex(const QModelIndex& Index) const {
    if (!Index.isValid() || Index.model() != FModel) return nullptr;
    return FModel->NodeOf(Index);
}

QModelIndex TCustomTreeView::IndexOfNode(const TTreeViewNode* Node) const {
    if (!Node || Node->FDeleted) return {};
    return FModel->IndexOf(Node);
}

bool TCustomTreeView::Alive(const TTreeViewNode* Node) const {
    // A deleted node takes everything below it along (MarkDeleted), and nodes leave their
    // parent only as deleted ones: a node not marked is in the tree.
    return Node && !Node->FDeleted && Node->FView == this;
}

int TCustomTreeView::TopCount() const {
    return FRoot->ChildCount();
}

TTreeViewNode* TCustomTreeView::TopItem(int Index) const {
    return FRoot->Child(Index);
}

int TCustomTreeView::NodeCount() const {
    Compact();
    int N = 0;
    std::vector<const TTreeViewNode*> Stack{FRoot.get()};
    while (!Stack.empty()) {
        const TTreeViewNode* X = Stack.back();
        Stack.pop_back();
        for (const auto& C : X->FChildren) {
            ++N;
            Stack.push_back(C.get());
        }
    }
    return N;
}

void TCustomTreeView::BeginStructureChange() {
    if (FResetting || FUpdateCount == 0) return;
    FResetting = true;
    FModel->beginResetModel();
}

void TCustomTreeView::BeginUpdate() {
    if (FUpdateCount++ == 0) {
        FNeedsSort = false;
        if (OnUpdate) OnUpdate(true);
    }
}

void TCustomTreeView::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    Compact();
    if (FNeedsSort && FSortType == stText) SortChildren(FRoot.get(), true);
    FNeedsSort = false;
    if (FResetting) {
        FResetting = false;
        FModel->endResetModel();
        RestoreState();
    }
    if (OnUpdate) OnUpdate(false);
}

TTreeViewNode* TCustomTreeView::AddChild(TTreeViewNode* Parent, std::string Text, TBasicItem* Data,
                                         bool Pending) {
    TTreeViewNode* P = Parent ? Parent : FRoot.get();
    Fill(P);
    if (P->FHasDeleted) CompactChildren(P);
    auto Node = std::unique_ptr<TTreeViewNode>(new TTreeViewNode(this, P));
    TTreeViewNode* N = Node.get();
    N->FText = std::move(Text);
    N->FData = Data;
    N->FPending = Pending;
    auto& C = P->FChildren;
    if (FFilling && P == FFilling) {
        // Nobody knows of the parent's children yet: they are sorted once when all are in.
        N->FIndex = static_cast<int>(C.size());
        C.push_back(std::move(Node));
        return N;
    }
    if (FUpdateCount > 0) {
        BeginStructureChange();
        N->FIndex = static_cast<int>(C.size());
        C.push_back(std::move(Node));
        if (FSortType == stText) {
            P->FUnsorted = true;
            FNeedsSort = true;
        }
        return N;
    }
    size_t At = C.size();
    if (FSortType == stText)
        At = static_cast<size_t>(
            std::upper_bound(C.begin(), C.end(), N->FText,
                             [](const std::string& T, const std::unique_ptr<TTreeViewNode>& X) {
                                 return CompareCaptions(T, X->FText) < 0;
                             }) -
            C.begin());
    FModel->beginInsertRows(FModel->IndexOf(P), static_cast<int>(At), static_cast<int>(At));
    C.insert(C.begin() + static_cast<ptrdiff_t>(At), std::move(Node));
    for (size_t I = At; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
    FModel->endInsertRows();
    return N;
}

void TCustomTreeView::MarkDeleted(TTreeViewNode* Node) {
    // Branches already marked are passed over: items going leaves first, as a catalog frees its
    // tree, mark each node once.
    std::vector<TTreeViewNode*> Stack{Node};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        if (N->FDeleted) continue;
        if (OnDeletion) OnDeletion(N);
        N->FDeleted = true;
        for (auto& C : N->FChildren)
            if (!C->FDeleted) Stack.push_back(C.get());
    }
}

void TCustomTreeView::RemoveNode(TTreeViewNode* Node, bool ByCore) {
    if (!Alive(Node)) return;
    // The core deletes the node of an item that is being destroyed: nobody may follow the data.
    if (ByCore) Node->FData = nullptr;
    MarkDeleted(Node);
    const bool HoldsSelection = FSelectedNode && FSelectedNode->FDeleted;
    TTreeViewNode* P = Node->FParent;
    if (FUpdateCount > 0) {
        BeginStructureChange();
        P->FHasDeleted = true;
        FHasDeleted = true;
        if (HoldsSelection) FSelectedNode = nullptr;
        return;
    }
    const int At = Node->FIndex;
    FSilent = true;
    FModel->beginRemoveRows(FModel->IndexOf(P), At, At);
    std::unique_ptr<TTreeViewNode> Gone = std::move(P->FChildren[static_cast<size_t>(At)]);
    P->FChildren.erase(P->FChildren.begin() + At);
    for (size_t I = static_cast<size_t>(At); I < P->FChildren.size(); ++I)
        P->FChildren[I]->FIndex = static_cast<int>(I);
    FModel->endRemoveRows();
    if (HoldsSelection) {
        // No other node takes the selection by itself: the owner decides where to go.
        FSelectedNode = nullptr;
        selectionModel()->clear();
    }
    FSilent = false;
}

void TCustomTreeView::DeleteNode(TTreeViewNode* Node) {
    RemoveNode(Node, false);
}

void TCustomTreeView::Clear() {
    BeginUpdate();
    BeginStructureChange();
    for (auto& C : FRoot->FChildren)
        MarkDeleted(C.get());
    FRoot->FChildren.clear();
    FRoot->FHasDeleted = false;
    FSelectedNode = nullptr;
    EndUpdate();
}

void TCustomTreeView::Fill(TTreeViewNode* Node) const {
    if (!Node->FPending) return;
    Node->FPending = false;
    if (!OnFill) return;
    // While a node is pending no view has been told of any child of it, so they go in quietly.
    struct TFilling {
        TTreeViewNode*& Slot;
        TTreeViewNode* Before;
        ~TFilling() { Slot = Before; }
    } Filling{FFilling, FFilling};
    FFilling = Node;
    OnFill(Node);
    if (FSortType != stText) return;
    auto& C = Node->FChildren;
    auto Less = [](const auto& A, const auto& B) {
        return CompareCaptions(A->FText, B->FText) < 0;
    };
    if (std::is_sorted(C.begin(), C.end(), Less)) return;
    std::stable_sort(C.begin(), C.end(), Less);
    for (size_t I = 0; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
}

void TCustomTreeView::CompactChildren(TTreeViewNode* Parent) const {
    if (!Parent->FHasDeleted) return;
    Parent->FHasDeleted = false;
    auto& C = Parent->FChildren;
    C.erase(std::remove_if(C.begin(), C.end(), [](const auto& N) { return N->FDeleted; }), C.end());
    for (size_t I = 0; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
}

void TCustomTreeView::Compact() const {
    if (!FHasDeleted) return;
    FHasDeleted = false;
    // Walks the living nodes only: a deleted node goes with everything below it.
    std::vector<TTreeViewNode*> Stack{FRoot.get()};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        CompactChildren(N);
        for (auto& C : N->FChildren)
            if (!C->FChildren.empty()) Stack.push_back(C.get());
    }
}

void TCustomTreeView::SortChildren(TTreeViewNode* Parent, bool Recurse) {
    auto Less = [](const std::unique_ptr<TTreeViewNode>& A,
                   const std::unique_ptr<TTreeViewNode>& B) {
        return CompareCaptions(A->FText, B->FText) < 0;
    };
    std::vector<TTreeViewNode*> Groups;
    std::vector<TTreeViewNode*> Stack{Parent};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        N->FUnsorted = false;
        auto& C = N->FChildren;
        bool InOrder = true;
        for (size_t I = 1; I < C.size() && InOrder; ++I)
            InOrder = CompareCaptions(C[I - 1]->FText, C[I]->FText) <= 0;
        if (!InOrder) Groups.push_back(N);
        if (Recurse)
            for (auto& X : C)
                if (!X->FChildren.empty()) Stack.push_back(X.get());
    }
    if (Groups.empty()) return;
    auto Sort = [&] {
        for (TTreeViewNode* N : Groups) {
            std::stable_sort(N->FChildren.begin(), N->FChildren.end(), Less);
            for (size_t I = 0; I < N->FChildren.size(); ++I)
                N->FChildren[I]->FIndex = static_cast<int>(I);
        }
    };
    if (FResetting)
        Sort();
    else
        FModel->Reorder(Sort);
}

void TCustomTreeView::SetSortType(TSortType Value) {
    if (Value == FSortType) return;
    FSortType = Value;
    if (Value == stText) AlphaSort();
}

void TCustomTreeView::AlphaSort() {
    Compact();
    SortChildren(FRoot.get(), true);
}

void TCustomTreeView::NodeTextChanged(TTreeViewNode* Node) {
    if (Node->FDeleted || (FFilling && Node->FParent == FFilling)) return;
    if (FResetting) {
        if (FSortType == stText) FNeedsSort = true;
        return;
    }
    FModel->NodeChanged(Node);
    if (FSortType != stText) return;
    if (FUpdateCount > 0) {
        FNeedsSort = true;
        return;
    }
    // The node moves among its sorted siblings to its new place.
    TTreeViewNode* P = Node->FParent;
    auto& C = P->FChildren;
    const int At = Node->FIndex;
    const int To = SortedPlace(C, At, [](const TTreeViewNode* A, const TTreeViewNode* B) {
        return CompareCaptions(A->FText, B->FText);
    });
    if (To == At) return;
    const QModelIndex PI = FModel->IndexOf(P);
    FModel->beginMoveRows(PI, At, At, PI, To);
    MoveToPlace(C, At, To);
    for (size_t I = 0; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
    FModel->endMoveRows();
}

void TCustomTreeView::NodeImageChanged(TTreeViewNode* Node) {
    if (Node->FDeleted || FResetting || (FFilling && Node->FParent == FFilling)) return;
    FModel->NodeChanged(Node);
}

void TCustomTreeView::RestoreExpanded(TTreeViewNode* Node) {
    std::vector<TTreeViewNode*> Stack{Node};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        for (auto& C : N->FChildren) {
            if (C->FExpanded) setExpanded(FModel->IndexOf(C.get()), true);
            if (!C->FChildren.empty()) Stack.push_back(C.get());
        }
    }
}

void TCustomTreeView::RestoreState() {
    FSilent = true;
    RestoreExpanded(FRoot.get());
    if (FSelectedNode && Alive(FSelectedNode))
        selectionModel()->setCurrentIndex(FModel->IndexOf(FSelectedNode),
                                          QItemSelectionModel::ClearAndSelect);
    else
        FSelectedNode = nullptr;
    FSilent = false;
}

void TCustomTreeView::SelectSilently(TTreeViewNode* Node) {
    FSilent = true;
    if (Node)
        selectionModel()->setCurrentIndex(FModel->IndexOf(Node),
                                          QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    FSilent = false;
}

void TCustomTreeView::SetSelected(TTreeViewNode* Node) {
    if (Node && (Node->FDeleted || Node->FView != this)) Node = nullptr;
    if (FResetting) {
        FSelectedNode = Node;
        return;
    }
    const QModelIndex I = IndexOfNode(Node);
    if (I == currentIndex()) {
        // Asked again from inside a change handler: the view already stands there.
        TTreeViewNode* Old = FSelectedNode;
        FSelectedNode = Node;
        if (Old) FModel->NodeChanged(Old);
        if (Node) FModel->NodeChanged(Node);
        return;
    }
    if (Node)
        selectionModel()->setCurrentIndex(I, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
}

void TCustomTreeView::currentChanged(const QModelIndex& Current, const QModelIndex& Previous) {
    QTreeView::currentChanged(Current, Previous);
    TTreeViewNode* Node = NodeOfIndex(Current);
    TTreeViewNode* Old = FSelectedNode;
    if (FSilent || FResetting) {
        FSelectedNode = Node;
    } else {
        if (Node == FSelectedNode) return;
        bool Allow = true;
        if (OnChanging) OnChanging(Node, Allow);
        if (!Allow) {
            SelectSilently(Old);
            return;
        }
        Old = FSelectedNode;
        FSelectedNode = Node;
    }
    if (Old && Old != Node && Alive(Old)) FModel->NodeChanged(Old);
    if (Node) FModel->NodeChanged(Node);
    if (!FSilent && !FResetting && OnChange) OnChange(Node);
}

bool TCustomTreeView::EditText(TTreeViewNode* Node) {
    if (!Node || Node->FDeleted || FResetting || IsEditing()) return false;
    const QModelIndex I = IndexOfNode(Node);
    scrollTo(I);
    edit(I);
    return IsEditing();
}

void TCustomTreeView::EndEditing() {
    FDelegate->EndEditing(this);
}

void TCustomTreeView::CommitEdit(TTreeViewNode* Node, const QString& Text) {
    std::string S = FromQString(Text);
    if (OnEdited) OnEdited(Node, S);
    if (!Node->FDeleted) Node->SetText(S);
}

TTreeViewNode* TCustomTreeView::NodeAt(const QPoint& Point) const {
    return NodeOfIndex(indexAt(Point));
}

void TCustomTreeView::contextMenuEvent(QContextMenuEvent* Event) {
    if (FPopupMenu) {
        FPopupMenu->popup(Event->globalPos());
        Event->accept();
        return;
    }
    QTreeView::contextMenuEvent(Event);
}

void TCustomTreeView::dragEnterEvent(QDragEnterEvent* Event) {
    if (AcceptsFileDrops() && !DroppedFileNames(Event->mimeData()).empty()) {
        Event->acceptProposedAction();
        return;
    }
    QTreeView::dragEnterEvent(Event);
}

void TCustomTreeView::dragMoveEvent(QDragMoveEvent* Event) {
    if (AcceptsFileDrops() && !DroppedFileNames(Event->mimeData()).empty()) {
        Event->acceptProposedAction();
        return;
    }
    QTreeView::dragMoveEvent(Event);
}

void TCustomTreeView::dropEvent(QDropEvent* Event) {
    std::vector<std::string> Names;
    if (AcceptsFileDrops()) Names = DroppedFileNames(Event->mimeData());
    if (Names.empty()) {
        QTreeView::dropEvent(Event);
        return;
    }
    Event->acceptProposedAction();
    FilesDropped(NodeAt(Event->position().toPoint()), Names);
}
