#include "SListView.h"

#include "app/ListPanes.h"

// ---- TSortedListView ---------------------------------------------------------------------------

TSortedListView::TSortedListView(QWidget* Parent) : TCustomListView(Parent) {
    SetSortType(stText);
    SetViewStyle(vsReport);
    OnColumnClick = [this](int Column) { ColumnClickHandler(Column); };
    OnCompare = [this](const TListViewItem* I1, const TListViewItem* I2) {
        return CompareHandler(I1, I2);
    };
    OnSorting = [this](bool Begin) {
        FSorting = Begin;
        FSortTexts.clear();
    };
}

void TSortedListView::SortByColumn(int Column, bool Ascending) {
    if (Column < 0 || Column >= ColumnCount()) return;
    FSortColumn = Column;
    FAscending = Ascending;
    AlphaSort();
    for (int I = 0; I < ColumnCount(); ++I)
        SetColumnImage(I, -1);
    SetColumnImage(Column, Ascending ? FAscImgIndex : FDescImgIndex);
    FSortedColumn = FSortColumn;
}

void TSortedListView::ColumnClickHandler(int Column) {
    if (Column == FSortedColumn) FAscending = !FAscending;
    SortByColumn(Column, FAscending);
}

int TSortedListView::CompareHandler(const TListViewItem* I1, const TListViewItem* I2) const {
    int Compare;
    if (FSortColumn > 0 && I1->SubItemCount() >= FSortColumn && I2->SubItemCount() >= FSortColumn)
        Compare =
            FSorting || (!I1->WorksOutSubItems() && !I2->WorksOutSubItems())
                ? CompareCaptions(SortText(I1, FSortColumn - 1), SortText(I2, FSortColumn - 1))
                : CompareCaptions(I1->SubItem(FSortColumn - 1), I2->SubItem(FSortColumn - 1));
    else
        Compare = CompareCaptions(I1->Caption(), I2->Caption());
    if (OnCompareStr) OnCompareStr(I1, I2, Compare);
    return FAscending ? Compare : -Compare;
}

const std::string& TSortedListView::SortText(const TListViewItem* Row, int Index) const {
    if (!Row->WorksOutSubItems()) return Row->SubItems()[static_cast<size_t>(Index)];
    auto [It, New] = FSortTexts.try_emplace(Row);
    if (New) It->second = Row->SubItem(Index);
    return It->second;
}

void TSortedListView::SetSortImage(int OldValue, int NewValue) {
    if (FSortedColumn >= 0 && FSortedColumn < ColumnCount() &&
        Column(FSortedColumn).ImageIndex == OldValue)
        SetColumnImage(FSortedColumn, NewValue);
}

void TSortedListView::SetAscImgIndex(int Value) {
    if (Value == FAscImgIndex) return;
    SetSortImage(FAscImgIndex, Value);
    FAscImgIndex = Value;
}

void TSortedListView::SetDescImgIndex(int Value) {
    if (Value == FDescImgIndex) return;
    SetSortImage(FDescImgIndex, Value);
    FDescImgIndex = Value;
}

// ---- catalog views -----------------------------------------------------------------------------

void TCatalogListView::SetDropFiles(bool Value) {
    if (Value == FDropFiles) return;
    FDropFiles = Value;
    IconPane()->viewport()->setAcceptDrops(Value);
    ReportPane()->viewport()->setAcceptDrops(Value);
}

void TCatalogListView::FilesDropped(TListViewItem* Row, const std::vector<std::string>& FileNames) {
    if (OnDragOverFiles) OnDragOverFiles(this, Row, FileNames);
}

void TCatalogTreeView::SetDropFiles(bool Value) {
    if (Value == FDropFiles) return;
    FDropFiles = Value;
    setAcceptDrops(Value);
    viewport()->setAcceptDrops(Value);
}

void TCatalogTreeView::FilesDropped(TTreeViewNode* Node,
                                    const std::vector<std::string>& FileNames) {
    if (OnDragOverFiles) OnDragOverFiles(this, Node, FileNames);
}
