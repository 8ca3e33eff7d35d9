#include "EditDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolTip>

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

bool TEditDelegate::helpEvent(QHelpEvent* Event, QAbstractItemView* View,
                              const QStyleOptionViewItem& Option, const QModelIndex& Index) {
    if (!Event || Event->type() != QEvent::ToolTip || !Index.isValid() ||
        Index.data(Qt::ToolTipRole).isValid())
        return QStyledItemDelegate::helpEvent(Event, View, Option, Index);
    QStyleOptionViewItem Cell = Option;
    initStyleOption(&Cell, Index);
    const QStyle* Style = Cell.widget ? Cell.widget->style() : QApplication::style();
    const QRect Room = Style->subElementRect(QStyle::SE_ItemViewItemText, &Cell, Cell.widget);
    // The style keeps a margin on each side of the text within its room.
    const int Margin = Style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Cell.widget) + 1;
    if (Cell.text.isEmpty() ||
        Cell.fontMetrics.horizontalAdvance(Cell.text) <= Room.width() - 2 * Margin) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(Event->globalPos(), Cell.text, View, View->visualRect(Index));
    return true;
}

void TEditDelegate::EndEditing(QAbstractItemView* View) {
    for (QLineEdit* Editor : View->viewport()->findChildren<QLineEdit*>())
        if (Editor->isVisible()) {
            emit commitData(Editor);
            emit closeEditor(Editor, QAbstractItemDelegate::NoHint);
            return;
        }
}
