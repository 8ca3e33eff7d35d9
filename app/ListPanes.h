// The two panes a list view shows its rows in, over one row model and one selection model:
//
// - TListIconPane, a QListView, for the large-icon, small-icon and list styles. Large icons lie
//   on a grid in rows, their names wrapped under them in up to three lines; small icons lie in
//   rows and the list in columns, every row as wide as the owner says the widest name needs
//   (ApplyStyle), so that no name is cut to the width of another. Rows are laid out in one pass,
//   so that every row can be reached by the scroll bars, the wheel and the keys (Home, End,
//   Page Up, Page Down) at once.
// - TListReportPane, a QTreeView, for the report style (details) with a column header.
//
// Both tell whether an in-place editor is open, and End in a list without a focused row (one
// just filled) goes to the last row, where Qt would go to the first. Created and owned by
// TCustomListView; UI thread only.
#pragma once

#include "app/ViewTypes.h"

#include <QListView>
#include <QTreeView>

class TListIconPane final : public QListView {
public:
    explicit TListIconPane(QWidget* Parent) : QListView(Parent) {}

    bool Editing() const { return state() == EditingState; }
    // Lays the pane out for one of the icon styles; ItemWidth is the width a row of the
    // small-icon and list styles needs for its name (capped by the caller).
    void ApplyStyle(TViewStyle Style, int ItemWidth);
    // The size of one row in the style last applied.
    QSize ItemSize() const { return FItemSize; }

protected:
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;

private:
    QSize FItemSize;
};

class TListReportPane final : public QTreeView {
public:
    explicit TListReportPane(QWidget* Parent);

    bool Editing() const { return state() == EditingState; }

protected:
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
};
