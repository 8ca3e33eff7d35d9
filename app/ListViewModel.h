// The rows of a list view and the table model the view's panes show them through.
//
// TListViewItem is one row: a caption, a picture, the texts of the other columns and the
// catalog item it shows (Data). It implements the core's row link (core/ViewLinks.h), so the
// core renames, re-images and deletes rows of items through it.
//
// TListViewModel owns the rows, in list order, and keeps them in step with Qt's views:
// - outside an update bracket every change reaches the views at once (row inserted, removed,
//   moved to its sorted place, changed);
// - inside a bracket (BeginUpdate/EndUpdate) rows that are only added wait at the end of the
//   list; the outermost EndUpdate tells the views of them as inserted rows, each at its sorted
//   place when the list sorts itself. Views relay an insertion out cheaply whatever the size of
//   the list, so rows can arrive in many brackets (the results of a big search) without the
//   window standing still while each is shown.
// - any other change of structure inside a bracket (a row deleted, the list cleared, a row of
//   the waiting ones selected) opens a model reset instead, and nothing more is told until the
//   outermost EndUpdate closes it. A row deleted inside a bracket is only marked; marked rows
//   leave the list at the next look at the rows (Count, At) or at the end of the bracket, so
//   clearing a folder of many entries costs no quadratic time.
// - sorting (Sort, and the move of a row whose caption changed) uses the view's comparison and
//   keeps the order of rows that compare equal.
// The selection is the view's business: the model tells its view when a reset begins and ends,
// so that the view keeps the selected rows and the focused row across it.
//
// Ownership: the view owns the model (Qt parent), the model owns the rows. UI thread only.
#pragma once

#include "core/ViewLinks.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomCatalogItem;
class TCustomListView;
class TListViewModel;

class TListViewItem final : public TListItem {
public:
    // TListItem
    void SetCaption(const std::string& Caption) override;
    void SetImageIndex(int Index) override;
    void Delete() override;
    TBasicItem* Data() const override { return FData; }
    void SetData(TBasicItem* Item) override { FData = Item; }
    void SetSubItems(std::vector<std::string> Texts) override;
    void SetSubItemTexts(TSubItemText Text, int Count) override;
    bool Selected() const override { return FSelected; }
    void SetSelected(bool Selected) override;

    // What a row stands for when that is no tree item (a keyword of the keyword pane).
    TCustomCatalogItem* Object() const { return FObject; }
    void SetObject(TCustomCatalogItem* Object) { FObject = Object; }

    const std::string& Caption() const { return FCaption; }
    int ImageIndex() const { return FImageIndex; }
    // The texts of the columns after the first; sub-item k shows under the column with ID k+1.
    // SubItems holds the texts set as such; SubItem also works out those the row keeps a way to
    // work out (SetSubItemTexts), each time it is asked.
    const std::vector<std::string>& SubItems() const { return FSubItems; }
    int SubItemCount() const;
    std::string SubItem(int Index) const;
    // The row works its texts out whenever they are read (SetSubItemTexts).
    bool WorksOutSubItems() const { return FSubItemText != nullptr; }
    void SetSubItem(int Index, const std::string& Text);
    void ClearSubItems();
    // Position in the list; -1 once the row has been deleted.
    int Index() const { return FIndex; }
    bool Focused() const;
    TCustomListView* ListView() const { return FView; }

private:
    friend class TCustomListView;
    friend class TListViewModel;
    explicit TListViewItem(TCustomListView* View) : FView(View) {}

    TCustomListView* FView;
    int FIndex = -1;
    int FImageIndex = -1;
    TBasicItem* FData = nullptr;
    TCustomCatalogItem* FObject = nullptr;
    std::string FCaption;
    std::vector<std::string> FSubItems;
    TSubItemText FSubItemText = nullptr; // with FSubItemCount texts; FSubItems is then empty
    int FSubItemCount = 0;
    bool FSelected = false;
    bool FDeleted = false;
};

class TListViewModel final : public QAbstractTableModel {
public:
    explicit TListViewModel(TCustomListView* View);
    ~TListViewModel() override;

    // ---- Qt's table model ----
    int rowCount(const QModelIndex& Parent) const override;
    int columnCount(const QModelIndex& Parent) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

    // ---- the rows ----
    // The living rows (settles pending deletions first).
    int Count() const;
    TListViewItem* At(int Index) const;
    // The row at a position as the views know it (no settling: views may ask inside a reset).
    TListViewItem* RowAt(int Position) const;
    int RowCount() const { return static_cast<int>(FRows.size()); }
    TListViewItem* ItemOfIndex(const QModelIndex& Index) const;
    QModelIndex IndexOfItem(const TListViewItem* Row, int Column = 0) const;
    // Compared only: Row may name a row that is gone.
    int IndexOf(const TListItem* Row) const;

    TListViewItem* Add();
    // Takes Row out of the list (only marks it inside a bracket).
    void Remove(TListViewItem* Row);
    // Every row goes; OnDeletion-style notices are the caller's, unless the view frees its rows
    // later. Only inside a bracket.
    void RemoveAll();
    // Calls Fn for every living row, in list order.
    void ForEach(const std::function<void(TListViewItem* Row)>& Fn) const;

    // ---- brackets ----
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }
    // A reset is open: the views are not told of single changes, and know no rows.
    bool Resetting() const { return FResetting; }
    // Rows added in this bracket that the views do not know yet.
    bool Waiting(const TListViewItem* Row) const { return Row->FIndex >= FKnownRows; }
    // Makes the waiting rows part of a reset, for a change the views must see together with
    // them (selecting one, for instance).
    void SettleWaiting();

    // ---- sorting ----
    void Sort();
    // Sorting is on (the view sorts itself by text).
    void SetSorted(bool Value) { FSorted = Value; }

    // ---- changes ----
    // A row's texts changed (every column), or only its picture (column 0).
    void RowChanged(TListViewItem* Row, bool CaptionChanged, bool ImageOnly);
    void AllDecorationsChanged();
    void HeaderChanged(int Section);
    void ColumnAdded(const std::function<void()>& Add);

private:
    void BeginStructureChange();
    // Tells the views of the waiting rows where they stand (at the end), or at their sorted
    // places among the others.
    void ShowWaitingRows();
    void MergeWaitingRows();
    void Compact() const;
    // Rows that have left the list: freed now, or (a view that frees its rows later) told of
    // and freed now when they are few, else a slice at a time from the event loop.
    void Free(std::vector<std::unique_ptr<TListViewItem>> Rows) const;
    void FreeSlice() const;
    void Renumber(size_t From) const;
    void Reposition(TListViewItem* Row);
    // Reorders the rows by Sort while the views keep their selection and focus.
    void Reorder(const std::function<void()>& Sort);
    // Around the comparisons of one sort (the view's OnSorting).
    class TSorting;

    TCustomListView* FView;
    // The rows, in list order; mutable because looking at them settles pending deletions.
    mutable std::vector<std::unique_ptr<TListViewItem>> FRows;
    mutable bool FHasDeleted = false;
    mutable std::vector<std::unique_ptr<TListViewItem>> FLeft; // rows waiting to be freed
    mutable bool FFreeing = false;                             // a slice is on its way
    int FUpdateCount = 0;
    int FKnownRows = 0;        // rows the views know; those behind them wait (outside resets)
    bool FResetting = false;   // a model reset is open for the current bracket
    bool FNeedsSort = false;   // a caption changed inside a bracket
    bool FRowsChanged = false; // rows the views know changed inside a bracket
    bool FSorted = false;
};
