#include "EditDelegate.h"

#include <QAbstractItemView>
#include <QLineEdit>

QWidget* TEditDelegate::createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                                     const QModelIndex& Index) const {
    if (!Index.isValid() || Index.column() != 0) return nullptr;
    if (CanEdit && !CanEdit(Index)) return nullptr;
    return QStyledItemDelegate::createEditor(Parent, Option, Index);
}

void TEditDelegate::setModelData(QWidget* Editor, QAbstractItemModel*,
                                 const QModelIndex& Index) const {
    auto* Line = qobject_cast<QLineEdit*>(Editor);
    if (Line && Commit) Commit(Index, Line->text());
}

QSize TEditDelegate::sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const {
    if (FFixedSize.isValid()) return FFixedSize;
    return QStyledItemDelegate::sizeHint(Option, Index);
}

void TEditDelegate::EndEditing(QAbstractItemView* View) {
    for (QLineEdit* Editor : View->viewport()->findChildren<QLineEdit*>())
        if (Editor->isVisible()) {
            emit commitData(Editor);
            emit closeEditor(Editor, QAbstractItemDelegate::NoHint);
            return;
        }
}
