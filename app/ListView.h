// TCustomListView: the list control of the program's windows (the folder list, the keyword pane,
// the result list).
//
// It keeps its rows (TListViewItem) in one row model (TListViewModel) and shows them in one of
// four styles: large icons, small icons and list through TListIconPane, report (details, with
// a header whose columns the user may drag to another order) through TListReportPane. Both
// panes share one selection model, so the selected rows and the focused row survive a change of
// style, and the new pane scrolls to the focused row. Rows are plain objects of the model, never
// widgets, so a folder of a hundred thousand files costs one row object each and only the
// visible rows are drawn. In-place editing of captions goes through one TEditDelegate.
//
// Update brackets (BeginUpdate/EndUpdate): inside them rows are added, deleted and sorted
// without telling the panes one by one; the outermost EndUpdate tells them once and puts the
// selection and the focused row back (see TListViewModel). Outside a bracket every change
// reaches the panes at once.
//
// OnDeletion is told of every row that leaves the view, with its data as it is then; a row
// deleted by the core (TListItem::Delete) has lost its data first, since its item is the one
// going away. Handlers use it to clear the item's link to the row. A view that frees its rows
// later (SetFreeRowsLater: the result list, whose rows may number millions) tells of them when
// it frees them: the rows vanish from the panes at once, and when many go they are told of and
// freed a slice at a time once the event loop has run; meanwhile an item may still name its row,
// which ignores whatever is asked of it (its Data may only be cleared).
//
// Ownership: the view owns its model, panes and delegate. Image lists and the pop-up menu are
// plain links and must outlive the view. UI thread only.
#pragma once

#include "app/ListViewModel.h"
#include "app/ViewTypes.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAbstractItemView;
class QItemSelection;
class QItemSelectionModel;
class QMenu;
class QStackedWidget;
class TEditDelegate;
class TListIconPane;
class TListReportPane;

class TCustomListView : public QWidget, public TListView {
    Q_OBJECT

public:
    explicit TCustomListView(QWidget* Parent = nullptr);
    ~TCustomListView() override;

    // Columns (report style). Returns the new column's ID.
    int AddColumn(const std::string& Caption, int Width, Qt::Alignment Alignment = Qt::AlignLeft,
                  int MinWidth = 0);
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    const TListColumn& Column(int ID) const { return FColumns.at(static_cast<size_t>(ID)); }
    void SetColumnTag(int ID, int Tag) { FColumns.at(static_cast<size_t>(ID)).Tag = Tag; }
    int ColumnWidth(int ID) const;
    void SetColumnWidth(int ID, int Width);
    // Where the column shows on the screen (0 = leftmost) and moving it there.
    int ColumnPosition(int ID) const;
    void MoveColumn(int ID, int Position);
    void SetColumnImage(int ID, int ImageIndex);
    void SetHeaderDragDrop(bool Value);

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle Value);
    TSortType SortType() const { return FSortType; }
    void SetSortType(TSortType Value);
    void SetMultiSelect(bool Value);
    void SetSmallImages(const TIconSource* Images);
    void SetLargeImages(const TIconSource* Images);
    void SetHeaderImages(const TIconSource* Images);
    const TIconSource* SmallImages() const { return FSmallImages; }
    const TIconSource* LargeImages() const { return FLargeImages; }
    const TIconSource* HeaderImages() const { return FHeaderImages; }
    // The pop-up menu shown on a right click (not owned).
    void SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }

    // TListView
    int Count() const override;
    TListViewItem* Item(int Index) const override;
    int IndexOf(const TListItem* Row) const override;
    TListViewItem* Add() override;
    void BeginUpdate() override;
    void EndUpdate() override;
    int SelCount() const override { return FSelCount; }
    void SetSelected(TListItem* Row) override;

    bool Updating() const;
    // Deletes every row (OnDeletion is told of each).
    void Clear();
    // Deletes one row of the view's own accord (OnDeletion is told).
    void DeleteItem(TListViewItem* Row);
    void SetFreeRowsLater(bool Value) { FFreeRowsLater = Value; }
    bool FreeRowsLater() const { return FFreeRowsLater; }
    // The first selected row, and the next selected row after Row (null: none).
    TListViewItem* Selected() const;
    TListViewItem* GetNextSelected(const TListViewItem* Row) const;
    std::vector<TListViewItem*> SelectedItems() const;
    TListViewItem* ItemFocused() const;
    void SetItemFocused(TListViewItem* Row);
    void SelectAll();
    void ClearSelection();
    // Scrolls Row fully into view.
    void MakeVisible(TListViewItem* Row);
    // The row at a point of the active pane's viewport, null when none.
    TListViewItem* ItemAt(const QPoint& Point) const;

    // Sorts the rows with OnCompare (captions when unassigned), keeping the order of rows that
    // compare equal.
    void AlphaSort();
    int CompareItems(const TListViewItem* I1, const TListViewItem* I2) const;

    // In-place editing of a caption: OnEditing decides, OnEdited receives the text and may change
    // it, OnEditEnd follows every edit, whether it was taken or cancelled.
    bool IsEditing() const;
    bool EditCaption(TListViewItem* Row);
    // Ends a running edit, taking its text.
    void EndEditing();
    void Invalidate();

    QAbstractItemView* ActivePane() const;
    TListIconPane* IconPane() const { return FIconPane; }
    TListReportPane* ReportPane() const { return FReportPane; }
    QAbstractItemModel* Model() const;
    QModelIndex IndexOfItem(const TListViewItem* Row, int Column = 0) const;
    TListViewItem* ItemOfIndex(const QModelIndex& Index) const;

    std::function<void()> OnChange; // the selection changed
    std::function<void()> OnDblClick;
    // A key pressed in the view while no caption is edited; setting Key to 0 consumes it.
    std::function<void(int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(int ColumnID)> OnColumnClick;
    std::function<int(const TListViewItem* I1, const TListViewItem* I2)> OnCompare;
    // Told before (true) and after (false) every sort of the rows: OnCompare may keep what it
    // works out of a row meanwhile, and only meanwhile.
    std::function<void(bool Begin)> OnSorting;
    std::function<void(TListViewItem* Row, bool& AllowEdit)> OnEditing;
    std::function<void(TListViewItem* Row, std::string& Text)> OnEdited;
    std::function<void()> OnEditEnd;
    std::function<void(TListViewItem* Row)> OnDeletion;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    // Drops of files from the desktop onto a pane; unhandled by default.
    virtual bool AcceptsFileDrops() const { return false; }
    virtual void FilesDropped(TListViewItem* Row, const std::vector<std::string>& FileNames) {
        (void)Row;
        (void)FileNames;
    }

private:
    friend class TListViewItem;
    friend class TListViewModel;

    void ApplyStyle();
    // The small-icon and list styles give every row room for the widest name: measured over
    // every row after a reset, widened by each caption that changes outside one.
    void MeasureTextWidth();
    void NoteCaption(const std::string& Caption);
    void ApplyIconStyle();
    void ItemChanged(TListViewItem* Row, bool CaptionChanged, bool ImageOnly = false);
    void RemoveItem(TListViewItem* Row);
    void SelectionChanged(const QItemSelection& Selected, const QItemSelection& Deselected);
    void SetRowSelected(TListViewItem* Row, bool Value);
    void RestoreSelection();
    void CommitEdit(const QModelIndex& Index, const QString& Text);
    // Told by the model.
    void ResetBegins();
    void ResetEnded();
    void DroppingDeletedRows();

    TListViewModel* FModel;
    QItemSelectionModel* FSelection;
    TEditDelegate* FIconDelegate; // its rows have the grid's size
    TEditDelegate* FReportDelegate;
    QStackedWidget* FStack;
    TListIconPane* FIconPane;
    TListReportPane* FReportPane;
    std::vector<TListColumn> FColumns;
    int FSelCount = 0;
    bool FRestoring = false;     // putting the selection back: no OnChange
    bool FSelectionLost = false; // a selected row went inside the bracket
    TListViewItem* FFocusedRow = nullptr;
    TViewStyle FViewStyle = vsIcon;
    TSortType FSortType = stNone;
    int FTextWidth = 0;          // widest caption in pixels, for the small-icon and list styles
    bool FTextWidthDirty = true; // rows changed since it was measured
    const TIconSource* FSmallImages = nullptr;
    const TIconSource* FLargeImages = nullptr;
    const TIconSource* FHeaderImages = nullptr;
    QMenu* FPopupMenu = nullptr;
    bool FFreeRowsLater = false;
};
