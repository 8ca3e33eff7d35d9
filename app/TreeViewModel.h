// TTreeViewModel: the Qt model of a TCustomTreeView over its nodes. A node's index carries the
// node itself; the view's invisible root stands for the invalid index. The model holds no data
// of its own: the view changes the nodes and tells the model (or opens a reset around a bracket
// of changes). Owned by its view; UI thread only.
#pragma once

#include <QAbstractItemModel>

#include <functional>

class TCustomTreeView;
class TTreeViewNode;

class TTreeViewModel final : public QAbstractItemModel {
public:
    explicit TTreeViewModel(TCustomTreeView* View);

    using QAbstractItemModel::beginInsertRows;
    using QAbstractItemModel::beginMoveRows;
    using QAbstractItemModel::beginRemoveRows;
    using QAbstractItemModel::beginResetModel;
    using QAbstractItemModel::endInsertRows;
    using QAbstractItemModel::endMoveRows;
    using QAbstractItemModel::endRemoveRows;
    using QAbstractItemModel::endResetModel;

    TTreeViewNode* NodeOf(const QModelIndex& Index) const;
    QModelIndex IndexOf(const TTreeViewNode* Node) const;

    QModelIndex index(int Row, int Column, const QModelIndex& Parent) const override;
    QModelIndex parent(const QModelIndex& Child) const override;
    int rowCount(const QModelIndex& Parent) const override;
    bool hasChildren(const QModelIndex& Parent) const override;
    int columnCount(const QModelIndex&) const override { return 1; }
    QVariant data(const QModelIndex& Index, int Role) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

    void NodeChanged(const TTreeViewNode* Node);
    // Reorders nodes by Sort while the view keeps its selection and expanded nodes.
    void Reorder(const std::function<void()>& Sort);

private:
    TCustomTreeView* FView;
};
