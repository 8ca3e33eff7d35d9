#include "ListViewModel.h"

#include "app/ListView.h"
#include "app/UiText.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class TListViewModel::TSorting {
public:
    explicit TSorting(const TCustomListView* View) : FView(View) {
        if (FView->OnSorting) FView->OnSorting(true);
    }
    ~TSorting() {
        if (FView->OnSorting) FView->OnSorting(false);
    }
    TSorting(const TSorting&) = delete;
    TSorting& operator=(const TSorting&) = delete;

private:
    const TCustomListView* FView;
};

// ---- rows --------------------------------------------------------------------------------------

void TListViewItem::SetCaption(const std::string& Caption) {
    if (Caption == FCaption) return;
    FCaption = Caption;
    FView->ItemChanged(this, true);
}

void TListViewItem::SetImageIndex(int Index) {
    if (Index == FImageIndex) return;
    FImageIndex = Index;
    FView->ItemChanged(this, false, true);
}

void TListViewItem::Delete() {
    // The core deletes the row of an item that is being destroyed: nobody may follow the data.
    FData = nullptr;
    FView->DeleteItem(this);
}

void TListViewItem::SetSubItems(std::vector<std::string> Texts) {
    FSubItems = std::move(Texts);
    FSubItemText = nullptr;
    FSubItemCount = 0;
    FView->ItemChanged(this, false);
}

void TListViewItem::SetSubItemTexts(TSubItemText Text, int Count) {
    if (Text && Text == FSubItemText && Count == FSubItemCount) return;
    FSubItems.clear();
    FSubItemText = Text;
    FSubItemCount = Text ? Count : 0;
    FView->ItemChanged(this, false);
}

int TListViewItem::SubItemCount() const {
    return FSubItemText ? FSubItemCount : static_cast<int>(FSubItems.size());
}

std::string TListViewItem::SubItem(int Index) const {
    if (Index < 0 || Index >= SubItemCount()) return {};
    if (FSubItemText) return FData ? FSubItemText(FData, Index) : std::string();
    return FSubItems[static_cast<size_t>(Index)];
}

void TListViewItem::SetSubItem(int Index, const std::string& Text) {
    if (Index < 0) return;
    if (FSubItemText) {
        for (int I = 0; I < FSubItemCount; ++I)
            FSubItems.push_back(SubItem(I));
        FSubItemText = nullptr;
        FSubItemCount = 0;
    }
    if (FSubItems.size() <= static_cast<size_t>(Index))
        FSubItems.resize(static_cast<size_t>(Index) + 1);
    FSubItems[static_cast<size_t>(Index)] = Text;
    FView->ItemChanged(this, false);
}

void TListViewItem::ClearSubItems() {
    if (FSubItems.empty() && !FSubItemText) return;
    FSubItems.clear();
    FSubItemText = nullptr;
    FSubItemCount = 0;
    FView->ItemChanged(this, false);
}

void TListViewItem::SetSelected(bool Selected) {
    FView->SetRowSelected(this, Selected);
}

bool TListViewItem::Focused() const {
    return FView->ItemFocused() == this;
}

// ---- Qt's model --------------------------------------------------------------------------------

TListViewModel::TListViewModel(TCustomListView* View) : QAbstractTableModel(View), FView(View) {}

TListViewModel::~TListViewModel() = default;

void TListViewModel::Free(std::vector<std::unique_ptr<TListViewItem>> Rows) const {
    // Rows told of and freed in one go: a few milliseconds.
    constexpr size_t AtOnce = 4096;
    if (!FView->FreeRowsLater()) return;
    if (Rows.size() <= AtOnce && FLeft.empty()) {
        for (auto& R : Rows)
            if (FView->OnDeletion) FView->OnDeletion(R.get());
        return;
    }
    if (FLeft.empty())
        FLeft = std::move(Rows);
    else
        FLeft.insert(FLeft.end(), std::make_move_iterator(Rows.begin()),
                     std::make_move_iterator(Rows.end()));
    if (FFreeing) return;
    FFreeing = true;
    QTimer::singleShot(0, this, [this] { FreeSlice(); });
}

void TListViewModel::FreeSlice() const {
    FFreeing = false;
    QElapsedTimer Clock;
    Clock.start();
    while (!FLeft.empty() && Clock.elapsed() < 20) {
        for (int I = 0; I < 1024 && !FLeft.empty(); ++I) {
            if (FView->OnDeletion) FView->OnDeletion(FLeft.back().get());
            FLeft.pop_back();
        }
    }
    if (FLeft.empty()) {
        FLeft.shrink_to_fit();
        return;
    }
    FFreeing = true;
    QTimer::singleShot(0, this, [this] { FreeSlice(); });
}

int TListViewModel::rowCount(const QModelIndex& Parent) const {
    // Views ask only outside resets (and at their end, when every row is known).
    return Parent.isValid() ? 0 : FKnownRows;
}

int TListViewModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : std::max(1, FView->ColumnCount());
}

QVariant TListViewModel::data(const QModelIndex& Index, int Role) const {
    const TListViewItem* Row = ItemOfIndex(Index);
    if (!Row || Row->FDeleted) return {};
    const int Col = Index.column();
    const TViewStyle Style = FView->ViewStyle();
    switch (Role) {
    case Qt::DisplayRole:
        if (Col == 0) return ToCellText(Row->FCaption);
        if (Col - 1 < Row->SubItemCount()) return ToCellText(Row->SubItem(Col - 1));
        return {};
    case Qt::EditRole:
        if (Col == 0) return ToQString(Row->FCaption);
        if (Col - 1 < Row->SubItemCount()) return ToQString(Row->SubItem(Col - 1));
        return {};
    case Qt::ToolTipRole:
        // The icon styles may cut a long name; its whole text is a hover away.
        if (Col == 0 && Style != vsReport) return ToQString(Row->FCaption);
        return {};
    case Qt::DecorationRole: {
        if (Col != 0 || Row->FImageIndex < 0) return {};
        const TIconSource* Images = Style == vsIcon ? FView->LargeImages() : FView->SmallImages();
        return Images ? QVariant(Images->Icon(Row->FImageIndex)) : QVariant();
    }
    case Qt::TextAlignmentRole:
        if (Style != vsReport || Col >= FView->ColumnCount()) return {};
        return QVariant::fromValue(FView->Column(Col).Alignment | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant TListViewModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Orientation != Qt::Horizontal || Section >= FView->ColumnCount()) return {};
    const TListColumn& C = FView->Column(Section);
    switch (Role) {
    case Qt::DisplayRole: return ToQString(C.Caption);
    case Qt::DecorationRole:
        if (C.ImageIndex < 0 || !FView->HeaderImages()) return {};
        return FView->HeaderImages()->Icon(C.ImageIndex);
    case Qt::TextAlignmentRole: return QVariant::fromValue(C.Alignment | Qt::AlignVCenter);
    default: return {};
    }
}

Qt::ItemFlags TListViewModel::flags(const QModelIndex& Index) const {
    if (!Index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags F = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (Index.column() == 0) F |= Qt::ItemIsEditable;
    return F;
}

void TListViewModel::RowChanged(TListViewItem* Row, bool CaptionChanged, bool ImageOnly) {
    if (Row->FDeleted) return;
    if (FResetting) {
        if (CaptionChanged) FNeedsSort = true;
        return;
    }
    // A waiting row finds its place when the bracket ends.
    if (Waiting(Row)) return;
    if (FUpdateCount > 0) {
        // The views hear of every change of the bracket once, at its end (a refresh of a million
        // rows would otherwise be a million notices).
        FRowsChanged = true;
        if (CaptionChanged && FSorted) FNeedsSort = true;
        return;
    }
    const int R = Row->FIndex;
    if (ImageOnly)
        emit dataChanged(index(R, 0), index(R, 0), {Qt::DecorationRole});
    else
        emit dataChanged(index(R, 0), index(R, columnCount({}) - 1));
    if (CaptionChanged && FSorted) Reposition(Row);
}

void TListViewModel::AllDecorationsChanged() {
    if (FKnownRows == 0 || FResetting) return;
    emit dataChanged(index(0, 0), index(FKnownRows - 1, 0), {Qt::DecorationRole});
}

void TListViewModel::HeaderChanged(int Section) {
    emit headerDataChanged(Qt::Horizontal, Section, Section);
}

void TListViewModel::ColumnAdded(const std::function<void()>& Add) {
    const int ID = FView->ColumnCount();
    if (ID == 0) {
        // The model always shows one column; the first real one takes its place.
        Add();
        HeaderChanged(0);
        return;
    }
    beginInsertColumns({}, ID, ID);
    Add();
    endInsertColumns();
}

// ---- rows --------------------------------------------------------------------------------------

void TListViewModel::Renumber(size_t From) const {
    for (size_t I = From; I < FRows.size(); ++I)
        FRows[I]->FIndex = static_cast<int>(I);
}

void TListViewModel::Compact() const {
    if (!FHasDeleted) return;
    FHasDeleted = false;
    FView->DroppingDeletedRows();
    std::vector<std::unique_ptr<TListViewItem>> Gone;
    size_t Kept = 0;
    for (auto& R : FRows) {
        if (!R->FDeleted) {
            R->FIndex = static_cast<int>(Kept);
            FRows[Kept++] = std::move(R);
        } else {
            R->FIndex = -1;
            Gone.push_back(std::move(R));
        }
    }
    FRows.resize(Kept);
    Free(std::move(Gone));
}

int TListViewModel::Count() const {
    Compact();
    return static_cast<int>(FRows.size());
}

TListViewItem* TListViewModel::At(int Index) const {
    Compact();
    return RowAt(Index);
}

TListViewItem* TListViewModel::RowAt(int Position) const {
    if (Position < 0 || static_cast<size_t>(Position) >= FRows.size()) return nullptr;
    return FRows[static_cast<size_t>(Position)].get();
}

TListViewItem* TListViewModel::ItemOfIndex(const QModelIndex& Index) const {
    if (!Index.isValid() || Index.model() != this) return nullptr;
    return RowAt(Index.row());
}

QModelIndex TListViewModel::IndexOfItem(const TListViewItem* Row, int Column) const {
    if (!Row || Row->FDeleted || Row->FIndex < 0) return {};
    return index(Row->FIndex, Column);
}

int TListViewModel::IndexOf(const TListItem* Row) const {
    Compact();
    for (size_t I = 0; I < FRows.size(); ++I)
        if (FRows[I].get() == Row) return static_cast<int>(I);
    return -1;
}

void TListViewModel::ForEach(const std::function<void(TListViewItem* Row)>& Fn) const {
    for (const auto& R : FRows)
        if (!R->FDeleted) Fn(R.get());
}

void TListViewModel::BeginStructureChange() {
    if (FResetting || FUpdateCount == 0) return;
    FView->ResetBegins();
    FResetting = true;
    // The waiting rows become part of the reset; in a sorted list they need their places.
    if (static_cast<int>(FRows.size()) > FKnownRows && FSorted) FNeedsSort = true;
    beginResetModel();
}

void TListViewModel::SettleWaiting() {
    if (FUpdateCount > 0 && static_cast<int>(FRows.size()) > FKnownRows) BeginStructureChange();
}

TListViewItem* TListViewModel::Add() {
    Compact();
    auto Row = std::unique_ptr<TListViewItem>(new TListViewItem(FView));
    TListViewItem* R = Row.get();
    const int At = static_cast<int>(FRows.size());
    if (FUpdateCount > 0) {
        // Waits at the end (or goes into the open reset) until the bracket ends.
        FRows.push_back(std::move(Row));
        R->FIndex = At;
    } else {
        beginInsertRows({}, At, At);
        FRows.push_back(std::move(Row));
        R->FIndex = At;
        FKnownRows = At + 1;
        endInsertRows();
    }
    return R;
}

void TListViewModel::ShowWaitingRows() {
    const int N = static_cast<int>(FRows.size());
    if (FResetting || N <= FKnownRows) return;
    beginInsertRows({}, FKnownRows, N - 1);
    FKnownRows = N;
    endInsertRows();
}

void TListViewModel::MergeWaitingRows() {
    const size_t Known = static_cast<size_t>(FKnownRows), N = FRows.size();
    if (FResetting || N <= Known) return;
    TSorting Sorting(FView);
    auto Less = [this](const std::unique_ptr<TListViewItem>& A,
                       const std::unique_ptr<TListViewItem>& B) {
        return FView->CompareItems(A.get(), B.get()) < 0;
    };
    const auto KnownEnd = FRows.begin() + static_cast<ptrdiff_t>(Known);
    // The new rows in order among themselves; each then goes behind the known rows that do not
    // come after it, so that rows comparing equal keep the order in which they came.
    std::stable_sort(KnownEnd, FRows.end(), Less);
    std::vector<size_t> Place(N - Known); // final position of each new row
    auto From = FRows.begin();
    for (size_t J = Known; J < N; ++J) {
        From = std::upper_bound(From, KnownEnd, FRows[J], Less);
        Place[J - Known] = static_cast<size_t>(From - FRows.begin()) + (J - Known);
    }
    if (Place.front() < Known) {
        // From the back, in place: the known rows behind a new row move up to make room.
        std::vector<std::unique_ptr<TListViewItem>> New(std::make_move_iterator(KnownEnd),
                                                        std::make_move_iterator(FRows.end()));
        size_t Write = N, OldEnd = Known;
        for (size_t J = New.size(); J-- > 0;) {
            while (Write > Place[J] + 1)
                FRows[--Write] = std::move(FRows[--OldEnd]);
            FRows[--Write] = std::move(New[J]);
        }
    }
    Renumber(Place.front());
    // The views hear of the new rows run by run, from the top: each run's place counts the runs
    // told before it, as the views count them.
    for (size_t I = 0; I < Place.size();) {
        size_t Last = I;
        while (Last + 1 < Place.size() && Place[Last + 1] == Place[Last] + 1)
            ++Last;
        beginInsertRows({}, static_cast<int>(Place[I]), static_cast<int>(Place[Last]));
        FKnownRows += static_cast<int>(Last - I + 1);
        endInsertRows();
        I = Last + 1;
    }
}

void TListViewModel::Remove(TListViewItem* Row) {
    if (Row->FDeleted) return;
    if (FUpdateCount > 0) {
        BeginStructureChange();
        Row->FDeleted = true;
        FHasDeleted = true;
        return;
    }
    const int At = Row->FIndex;
    beginRemoveRows({}, At, At);
    Row->FDeleted = true;
    std::unique_ptr<TListViewItem> Gone = std::move(FRows[static_cast<size_t>(At)]);
    FRows.erase(FRows.begin() + At);
    Renumber(static_cast<size_t>(At));
    FKnownRows = static_cast<int>(FRows.size());
    endRemoveRows();
    Gone->FIndex = -1;
    std::vector<std::unique_ptr<TListViewItem>> One;
    One.push_back(std::move(Gone));
    Free(std::move(One));
}

void TListViewModel::RemoveAll() {
    BeginStructureChange();
    for (auto& R : FRows) {
        R->FDeleted = true;
        R->FIndex = -1;
    }
    FHasDeleted = false;
    Free(std::move(FRows));
    FRows.clear();
}

// ---- brackets ----------------------------------------------------------------------------------

void TListViewModel::BeginUpdate() {
    if (FUpdateCount++ == 0) {
        FNeedsSort = false;
        FRowsChanged = false;
    }
}

void TListViewModel::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    Compact();
    if (FResetting) {
        if (FNeedsSort && FSorted) Sort();
        FNeedsSort = false;
        FResetting = false;
        FKnownRows = static_cast<int>(FRows.size());
        endResetModel();
        FView->ResetEnded();
        return;
    }
    if (FNeedsSort && FSorted) {
        // Known rows changed their captions: everything is sorted together.
        Sort();
    } else if (FSorted) {
        MergeWaitingRows();
    } else {
        ShowWaitingRows();
    }
    FNeedsSort = false;
    if (FRowsChanged && FKnownRows > 0)
        emit dataChanged(index(0, 0), index(FKnownRows - 1, columnCount({}) - 1));
    FRowsChanged = false;
}

// ---- sorting -----------------------------------------------------------------------------------

void TListViewModel::Sort() {
    Compact();
    ShowWaitingRows();
    FNeedsSort = false;
    TSorting Sorting(FView);
    auto Less = [this](const std::unique_ptr<TListViewItem>& A,
                       const std::unique_ptr<TListViewItem>& B) {
        return FView->CompareItems(A.get(), B.get()) < 0;
    };
    // Rows are mostly filled in the catalog's own order, which is the caption order: one pass
    // finds that out and saves the sort.
    bool InOrder = true;
    for (size_t I = 1; I < FRows.size() && InOrder; ++I)
        InOrder = FView->CompareItems(FRows[I - 1].get(), FRows[I].get()) <= 0;
    if (InOrder) return;
    auto DoSort = [&] {
        std::stable_sort(FRows.begin(), FRows.end(), Less);
        Renumber(0);
    };
    if (FResetting)
        DoSort();
    else
        Reorder(DoSort);
}

void TListViewModel::Reposition(TListViewItem* Row) {
    // The other rows are in order; the changed one moves to where it belongs among them.
    const int At = Row->FIndex;
    TSorting Sorting(FView);
    const int To = SortedPlace(FRows, At, [this](const TListViewItem* A, const TListViewItem* B) {
        return FView->CompareItems(A, B);
    });
    if (To == At) return;
    beginMoveRows({}, At, At, {}, To);
    MoveToPlace(FRows, At, To);
    Renumber(static_cast<size_t>(std::min(At, To)));
    endMoveRows();
}

void TListViewModel::Reorder(const std::function<void()>& Sort) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList Old = persistentIndexList();
    std::vector<std::pair<TListViewItem*, int>> Held;
    Held.reserve(static_cast<size_t>(Old.size()));
    for (const QModelIndex& I : Old)
        Held.emplace_back(ItemOfIndex(I), I.column());
    Sort();
    QModelIndexList New;
    New.reserve(Old.size());
    for (const auto& [Row, Col] : Held)
        New.append(Row ? index(Row->FIndex, Col) : QModelIndex());
    changePersistentIndexList(Old, New);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
