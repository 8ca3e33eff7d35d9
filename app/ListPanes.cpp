#include "ListPanes.h"

#include <QHeaderView>

#include <algorithm>

namespace {

// Qt moves from no current row to the first row whatever the key; starting from the first row
// instead lets the key take its own way (End to the last, Page Down a page on).
void StartAtFirstRow(QAbstractItemView& View) {
    if (View.currentIndex().isValid() || !View.model() || View.model()->rowCount() == 0) return;
    View.selectionModel()->setCurrentIndex(View.model()->index(0, 0),
                                           QItemSelectionModel::NoUpdate);
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
    StartAtFirstRow(*this);
    return QListView::moveCursor(Action, Modifiers);
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
    StartAtFirstRow(*this);
    return QTreeView::moveCursor(Action, Modifiers);
}
