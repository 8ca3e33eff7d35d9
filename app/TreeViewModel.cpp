#include "TreeViewModel.h"

#include "app/TreeView.h"
#include "app/UiText.h"

TTreeViewModel::TTreeViewModel(TCustomTreeView* View) : QAbstractItemModel(View), FView(View) {}

TTreeViewNode* TTreeViewModel::NodeOf(const QModelIndex& Index) const {
    return Index.isValid() ? static_cast<TTreeViewNode*>(Index.internalPointer())
                           : FView->FRoot.get();
}

QModelIndex TTreeViewModel::IndexOf(const TTreeViewNode* Node) const {
    if (!Node || Node == FView->FRoot.get()) return {};
    return createIndex(Node->FIndex, 0, const_cast<TTreeViewNode*>(Node));
}

QModelIndex TTreeViewModel::index(int Row, int Column, const QModelIndex& Parent) const {
    if (Column != 0) return {};
    TTreeViewNode* P = NodeOf(Parent);
    FView->Fill(P);
    if (Row < 0 || static_cast<size_t>(Row) >= P->FChildren.size()) return {};
    return createIndex(Row, 0, P->FChildren[static_cast<size_t>(Row)].get());
}

QModelIndex TTreeViewModel::parent(const QModelIndex& Child) const {
    if (!Child.isValid()) return {};
    return IndexOf(NodeOf(Child)->FParent);
}

int TTreeViewModel::rowCount(const QModelIndex& Parent) const {
    if (Parent.column() > 0) return 0;
    TTreeViewNode* P = NodeOf(Parent);
    // A view asks for the rows of a node it shows open: pending children are made now.
    FView->Fill(P);
    return static_cast<int>(P->FChildren.size());
}

bool TTreeViewModel::hasChildren(const QModelIndex& Parent) const {
    if (Parent.column() > 0) return false;
    const TTreeViewNode* P = NodeOf(Parent);
    if (P->FPending) return FView->OnHasChildren && FView->OnHasChildren(P);
    return !P->FChildren.empty();
}

QVariant TTreeViewModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid()) return {};
    const TTreeViewNode* N = NodeOf(Index);
    switch (Role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return ToQString(N->FText);
    case Qt::DecorationRole: {
        int I = N == FView->FSelectedNode ? N->FSelectedIndex : N->FImageIndex;
        if (I < 0 || !FView->FImages) return {};
        return FView->FImages->Icon(I);
    }
    default: return {};
    }
}

Qt::ItemFlags TTreeViewModel::flags(const QModelIndex& Index) const {
    if (!Index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TTreeViewModel::NodeChanged(const TTreeViewNode* N) {
    const QModelIndex I = IndexOf(N);
    emit dataChanged(I, I);
}

void TTreeViewModel::Reorder(const std::function<void()>& Sort) {
    emit layoutAboutToBeChanged();
    const QModelIndexList Old = persistentIndexList();
    std::vector<TTreeViewNode*> Held;
    Held.reserve(static_cast<size_t>(Old.size()));
    for (const QModelIndex& I : Old)
        Held.push_back(I.isValid() ? NodeOf(I) : nullptr);
    Sort();
    QModelIndexList New;
    New.reserve(Old.size());
    for (TTreeViewNode* N : Held)
        New.append(N ? IndexOf(N) : QModelIndex());
    changePersistentIndexList(Old, New);
    emit layoutChanged();
}
