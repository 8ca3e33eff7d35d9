// The sorted list view and the two catalog views of the main window.
//
// TSortedListView is a list view in report style that sorts itself by the column whose header
// the user clicks: a click on the sorted column turns the direction round, a click on another
// column sorts by that one in the current direction, and the sorted column's header shows
// AscImgIndex or DescImgIndex of the view's header images. Rows compare by the text under the
// sorted column (their caption when a row has fewer texts), case-insensitively in the user's
// locale; OnCompareStr may replace each result, always in ascending terms. A text that a row
// works out when asked (a path) is worked out once per sort.
//
// TCatalogListView and TCatalogTreeView accept files dragged from the desktop when DropFiles is
// on and hand them to OnDragOverFiles with the row (node) under the drop, null over empty space.
// The main window leaves DropFiles off.
//
// UI thread only.
#pragma once

#include "app/ListView.h"
#include "app/TreeView.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class TSortedListView : public TCustomListView {
    Q_OBJECT

public:
    using TCompareStr =
        std::function<void(const TListViewItem* I1, const TListViewItem* I2, int& Compare)>;

    explicit TSortedListView(QWidget* Parent = nullptr);

    // Column of the last sort (-1: never sorted); column whose texts the comparison uses.
    int SortedColumn() const { return FSortedColumn; }
    int SortColumn() const { return FSortColumn; }
    bool Ascending() const { return FAscending; }

    TCompareStr OnCompareStr;

    int AscImgIndex() const { return FAscImgIndex; }
    void SetAscImgIndex(int Value);
    int DescImgIndex() const { return FDescImgIndex; }
    void SetDescImgIndex(int Value);

    // Sorts by the column with ID Column in the given direction and marks its header.
    void SortByColumn(int Column, bool Ascending);
    // A click on the header of Column.
    void ColumnClickHandler(int Column);
    // The comparison the sort uses.
    int CompareHandler(const TListViewItem* I1, const TListViewItem* I2) const;

private:
    void SetSortImage(int OldValue, int NewValue);
    // A row's text for the sort: its own, or (only while sorting) the one worked out for it.
    const std::string& SortText(const TListViewItem* Row, int Index) const;

    int FSortedColumn = -1;
    int FSortColumn = 0;
    bool FAscending = true;
    int FAscImgIndex = -1;
    int FDescImgIndex = -1;
    // During a sort: the texts worked out so far of rows that work theirs out.
    bool FSorting = false;
    mutable std::unordered_map<const TListViewItem*, std::string> FSortTexts;
};

class TCatalogListView : public TSortedListView {
    Q_OBJECT

public:
    using TLV_DragOverFiles = std::function<void(QObject* Sender, TListViewItem* Item,
                                                 const std::vector<std::string>& AFileNames)>;

    explicit TCatalogListView(QWidget* Parent = nullptr) : TSortedListView(Parent) {}

    bool DropFiles() const { return FDropFiles; }
    void SetDropFiles(bool Value);
    TLV_DragOverFiles OnDragOverFiles;

protected:
    bool AcceptsFileDrops() const override { return FDropFiles; }
    void FilesDropped(TListViewItem* Row, const std::vector<std::string>& FileNames) override;

private:
    bool FDropFiles = false;
};

class TCatalogTreeView : public TCustomTreeView {
    Q_OBJECT

public:
    using TTV_DragOverFiles = std::function<void(QObject* Sender, TTreeViewNode* Node,
                                                 const std::vector<std::string>& AFileNames)>;

    explicit TCatalogTreeView(QWidget* Parent = nullptr) : TCustomTreeView(Parent) {}

    bool DropFiles() const { return FDropFiles; }
    void SetDropFiles(bool Value);
    TTV_DragOverFiles OnDragOverFiles;

protected:
    bool AcceptsFileDrops() const override { return FDropFiles; }
    void FilesDropped(TTreeViewNode* Node, const std::vector<std::string>& FileNames) override;

private:
    bool FDropFiles = false;
};
