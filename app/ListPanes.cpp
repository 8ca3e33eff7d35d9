#include "ListPanes.h"

#include <QHeaderView>

#include <algorithm>

namespace {

// Qt moves from no current row to the first row whatever the key. End goes to the last row
// from there too (a list just filled has no current row): its index, or none when the view has
// a current row (or no rows).
QModelIndex EndWithoutCurrent(const QAbstractItemView& View) {
    const QAbstractItemModel* M = View.model();
    if (View.currentIndex().isValid() || !M || M->rowCount() == 0) return {};
    return M->index(M->rowCount() - 1, 0);
}

} // namespace

void TListIconPane::ApplyStyle(TViewStyle Style, int ItemWidth) {
    const bool Large = Style == vsIcon;
    const int Line = fontMetrics().height();
    setViewMode(Large ? IconMode : ListMode);
    // Icons and small icons run in rows from left to right; the list runs in columns.
    setFlow(Style == vsList ? TopToBottom : LeftToRight);
    setWrapping(true);
    setMovement(Static);
    setResizeMode(Adjust);
    setLayoutMode(SinglePass);
    setUniformItemSizes(false);
    setWordWrap(Large);
    setTextElideMode(Qt::ElideRight);
    setIconSize(Large ? QSize(32, 32) : QSize(16, 16));
    setSpacing(0);
    QSize Grid;
    if (Large) {
        // A name of up to three lines under the picture.
        Grid = QSize(std::max(112, 14 * fontMetrics().averageCharWidth() + 16), 32 + 10 + 3 * Line);
        FItemSize = Grid - QSize(6, 2);
    } else {
        Grid = QSize(ItemWidth, std::max(20, Line + 4));
        FItemSize = Grid - QSize(4, 0);
    }
    setGridSize(Grid);
}

QModelIndex TListIconPane::moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) {
    const QModelIndex Last = Action == MoveEnd ? EndWithoutCurrent(*this) : QModelIndex();
    return Last.isValid() ? Last : QListView::moveCursor(Action, Modifiers);
}

TListReportPane::TListReportPane(QWidget* Parent) : QTreeView(Parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(SelectRows);
    setTextElideMode(Qt::ElideRight);
    QHeaderView* Header = header();
    Header->setStretchLastSection(false);
    Header->setSortIndicatorShown(false);
    Header->setSectionsClickable(true);
    Header->setMinimumSectionSize(10);
}

QModelIndex TListReportPane::moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) {
    const QModelIndex Last = Action == MoveEnd ? EndWithoutCurrent(*this) : QModelIndex();
    return Last.isValid() ? Last : QTreeView::moveCursor(Action, Modifiers);
}
