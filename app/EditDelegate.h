// TEditDelegate: draws the rows of the list and tree views and opens their in-place editor.
//
// The editor is a line edit over the caption (column 0). Before it opens, CanEdit is asked
// with the row's index; when it says no, nothing opens and the view's edit fails. The text the
// user confirms goes to Commit, never into the model by itself, so the owner decides what the
// caption becomes (a catalog item may take another name than the one typed). Every close of an
// editor, taken or cancelled, is told through QAbstractItemDelegate::closeEditor.
//
// FixedSize, when valid, is the size of every row: the icon styles lay rows out on a grid, and a
// size known without measuring each row keeps a folder of many thousand entries quick to lay
// out. A cell whose text the view cuts shows the whole of it (as the view holds it) on hover;
// a cell shown whole has no hint, unless its model gives one of its own. UI thread only; the owner
// keeps the delegate for as long as its views use it.
#pragma once

#include <QSize>
#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;

class TEditDelegate final : public QStyledItemDelegate {
public:
    explicit TEditDelegate(QObject* Parent) : QStyledItemDelegate(Parent) {}

    std::function<bool(const QModelIndex& Index)> CanEdit;
    std::function<void(const QModelIndex& Index, const QString& Text)> Commit;

    // Closes the editor open in View (one of the views using this delegate), taking its text.
    void EndEditing(QAbstractItemView* View);

    QSize FixedSize() const { return FFixedSize; }
    void SetFixedSize(const QSize& Size) { FFixedSize = Size; }

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                          const QModelIndex& Index) const override;
    void setModelData(QWidget* Editor, QAbstractItemModel* Model,
                      const QModelIndex& Index) const override;
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;
    bool helpEvent(QHelpEvent* Event, QAbstractItemView* View, const QStyleOptionViewItem& Option,
                   const QModelIndex& Index) override;

private:
    QSize FFixedSize;
};
