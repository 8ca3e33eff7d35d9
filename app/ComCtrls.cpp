#include "ComCtrls.h"

#include "app/UiText.h"
#include "platform/SysUtils.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

int CompareCaptions(const std::string& A, const std::string& B) {
    return AnsiCompareText(A, B);
}

namespace {

// The local files of a drag from the desktop; empty when it carries none.
std::vector<std::string> DroppedFiles(const QMimeData* Data) {
    std::vector<std::string> Names;
    if (!Data || !Data->hasUrls()) return Names;
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile()) Names.push_back(QStringToFileName(Url.toLocalFile()));
    return Names;
}

// Whether an edit trigger asks for an edit now (the delayed click edit comes back later as a
// plain request, which is when the view is asked).
bool IsEditRequest(QAbstractItemView::EditTrigger Trigger, QAbstractItemView::EditTriggers Set) {
    if (Trigger == QAbstractItemView::AllEditTriggers) return true;
    return (Set & Trigger) && Trigger != QAbstractItemView::SelectedClicked &&
           Trigger != QAbstractItemView::NoEditTriggers;
}

// The visible line editor of a view, null when none is open.
QLineEdit* OpenEditor(QAbstractItemView* View) {
    for (QLineEdit* E : View->viewport()->findChildren<QLineEdit*>())
        if (E->isVisible()) return E;
    return nullptr;
}

void CloseEditorOf(QAbstractItemView* View, bool Commit) {
    if (QLineEdit* Editor = OpenEditor(View)) {
        if (Commit) emit View->itemDelegate()->commitData(Editor);
        emit View->itemDelegate()->closeEditor(Editor, QAbstractItemDelegate::NoHint);
    }
}

} // namespace

// ---- list model --------------------------------------------------------------------------------

class TListViewModel final : public QAbstractTableModel {
public:
    explicit TListViewModel(TCustomListView* View) : QAbstractTableModel(View), FView(View) {}

    using QAbstractTableModel::beginInsertColumns;
    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginMoveRows;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertColumns;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endMoveRows;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;

    int rowCount(const QModelIndex& Parent) const override {
        return Parent.isValid() ? 0 : static_cast<int>(FView->FRows.size());
    }
    int columnCount(const QModelIndex& Parent) const override {
        return Parent.isValid() ? 0 : std::max(1, FView->ColumnCount());
    }

    QVariant data(const QModelIndex& Index, int Role) const override {
        const TListViewItem* Row = FView->ItemOfIndex(Index);
        if (!Row || Row->FDeleted) return {};
        const int Col = Index.column();
        switch (Role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (Col == 0) return ToQString(Row->FCaption);
            if (static_cast<size_t>(Col - 1) < Row->FSubItems.size())
                return ToQString(Row->FSubItems[static_cast<size_t>(Col - 1)]);
            return {};
        case Qt::DecorationRole: {
            if (Col != 0 || Row->FImageIndex < 0) return {};
            const TIconSource* Images =
                FView->FViewStyle == vsIcon ? FView->FLargeImages : FView->FSmallImages;
            return Images ? QVariant(Images->Icon(Row->FImageIndex)) : QVariant();
        }
        case Qt::TextAlignmentRole:
            if (FView->FViewStyle != vsReport || Col >= FView->ColumnCount()) return {};
            return QVariant::fromValue(FView->Column(Col).Alignment | Qt::AlignVCenter);
        default: return {};
        }
    }

    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override {
        if (Orientation != Qt::Horizontal || Section >= FView->ColumnCount()) return {};
        const TListColumn& C = FView->Column(Section);
        switch (Role) {
        case Qt::DisplayRole: return ToQString(C.Caption);
        case Qt::DecorationRole:
            if (C.ImageIndex < 0 || !FView->FHeaderImages) return {};
            return FView->FHeaderImages->Icon(C.ImageIndex);
        case Qt::TextAlignmentRole: return QVariant::fromValue(C.Alignment | Qt::AlignVCenter);
        default: return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& Index) const override {
        if (!Index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags F = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (Index.column() == 0) F |= Qt::ItemIsEditable;
        return F;
    }

    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override {
        if (Role != Qt::EditRole || Index.column() != 0) return false;
        TListViewItem* Row = FView->ItemOfIndex(Index);
        if (!Row || Row->FDeleted) return false;
        FView->CommitEdit(Row, Value.toString());
        return true;
    }

    // What changed: the picture only (column 0), or texts (every column).
    void RowChanged(int Row, bool ImageOnly) {
        if (ImageOnly)
            emit dataChanged(index(Row, 0), index(Row, 0), {Qt::DecorationRole});
        else
            emit dataChanged(index(Row, 0), index(Row, columnCount({}) - 1));
    }
    void AllDecorationsChanged() {
        if (FView->FRows.empty() || FView->FResetting) return;
        emit dataChanged(index(0, 0), index(static_cast<int>(FView->FRows.size()) - 1, 0),
                         {Qt::DecorationRole});
    }
    void HeaderChanged(int Section) { emit headerDataChanged(Qt::Horizontal, Section, Section); }

    // Reorders the rows by Sort while the views keep their selection and focus.
    void Reorder(const std::function<void()>& Sort) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList Old = persistentIndexList();
        std::vector<std::pair<TListViewItem*, int>> Held;
        Held.reserve(static_cast<size_t>(Old.size()));
        for (const QModelIndex& I : Old)
            Held.emplace_back(FView->ItemOfIndex(I), I.column());
        Sort();
        QModelIndexList New;
        New.reserve(Old.size());
        for (const auto& [Row, Col] : Held)
            New.append(Row ? index(Row->FIndex, Col) : QModelIndex());
        changePersistentIndexList(Old, New);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    TCustomListView* FView;
};

// The two panes of a list view: a QListView for the icon and list styles, a QTreeView for the
// report style. They ask their owner before an edit starts.
template <class Base>
class TListPane final : public Base {
public:
    explicit TListPane(TCustomListView* Owner) : Base(Owner), FOwner(Owner) {}
    bool Editing() const { return this->state() == QAbstractItemView::EditingState; }

protected:
    bool edit(const QModelIndex& Index, QAbstractItemView::EditTrigger Trigger,
              QEvent* Event) override {
        if (!IsEditRequest(Trigger, this->editTriggers())) return Base::edit(Index, Trigger, Event);
        if (Editing() || !Index.isValid()) return false;
        TListViewItem* Row = FOwner->ItemOfIndex(Index.siblingAtColumn(0));
        const bool Approved = std::exchange(FOwner->FEditApproved, false);
        if (!Row || (!Approved && !FOwner->StartEdit(Row))) return false;
        return Base::edit(Index.siblingAtColumn(0), QAbstractItemView::AllEditTriggers, Event);
    }

private:
    TCustomListView* FOwner;
};

// ---- list rows ---------------------------------------------------------------------------------

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

void TListViewItem::SetSubItems(const std::vector<std::string>& Texts) {
    FSubItems = Texts;
    FView->ItemChanged(this, false);
}

void TListViewItem::SetSubItem(int Index, const std::string& Text) {
    if (Index < 0) return;
    if (FSubItems.size() <= static_cast<size_t>(Index))
        FSubItems.resize(static_cast<size_t>(Index) + 1);
    FSubItems[static_cast<size_t>(Index)] = Text;
    FView->ItemChanged(this, false);
}

void TListViewItem::ClearSubItems() {
    if (FSubItems.empty()) return;
    FSubItems.clear();
    FView->ItemChanged(this, false);
}

void TListViewItem::SetSelected(bool Selected) {
    FView->SetRowSelected(this, Selected);
}

bool TListViewItem::Focused() const {
    return FView->ItemFocused() == this;
}

// ---- list view ---------------------------------------------------------------------------------

TCustomListView::TCustomListView(QWidget* Parent) : QWidget(Parent) {
    FModel = new TListViewModel(this);
    FSelection = new QItemSelectionModel(FModel, this);
    FStack = new QStackedWidget(this);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FStack);

    FIconPane = new TListPane<QListView>(this);
    FReportPane = new TListPane<QTreeView>(this);
    for (QAbstractItemView* Pane : {static_cast<QAbstractItemView*>(FIconPane),
                                    static_cast<QAbstractItemView*>(FReportPane)}) {
        Pane->setModel(FModel);
        QItemSelectionModel* Own = Pane->selectionModel();
        Pane->setSelectionModel(FSelection);
        delete Own;
        Pane->setEditTriggers(QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked);
        Pane->setSelectionMode(QAbstractItemView::SingleSelection);
        Pane->setContextMenuPolicy(Qt::CustomContextMenu);
        Pane->installEventFilter(this);
        Pane->viewport()->installEventFilter(this);
        connect(Pane, &QAbstractItemView::doubleClicked, this, [this] {
            if (OnDblClick) OnDblClick();
        });
        connect(Pane, &QWidget::customContextMenuRequested, this, [this, Pane](const QPoint& P) {
            if (FPopupMenu) FPopupMenu->popup(Pane->viewport()->mapToGlobal(P));
        });
        connect(Pane->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
                [this] { EditClosed(); });
        FStack->addWidget(Pane);
    }
    connect(FSelection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& S, const QItemSelection& D) { SelectionChanged(S, D); });

    FReportPane->setRootIsDecorated(false);
    FReportPane->setUniformRowHeights(true);
    FReportPane->setItemsExpandable(false);
    FReportPane->setExpandsOnDoubleClick(false);
    FReportPane->setAllColumnsShowFocus(true);
    FReportPane->setSelectionBehavior(QAbstractItemView::SelectRows);
    FReportPane->setTextElideMode(Qt::ElideRight);
    QHeaderView* Header = FReportPane->header();
    Header->setStretchLastSection(false);
    Header->setSortIndicatorShown(false);
    Header->setSectionsClickable(true);
    Header->setMinimumSectionSize(10);
    connect(Header, &QHeaderView::sectionClicked, this, [this](int Section) {
        if (OnColumnClick && Section >= 0 && Section < ColumnCount()) OnColumnClick(Section);
    });
    connect(Header, &QHeaderView::sectionResized, this, [this, Header](int Section, int, int New) {
        if (Section < ColumnCount() && New < Column(Section).MinWidth)
            Header->resizeSection(Section, Column(Section).MinWidth);
    });

    FIconPane->setUniformItemSizes(true);
    FIconPane->setMovement(QListView::Static);
    FIconPane->setResizeMode(QListView::Adjust);
    FIconPane->setLayoutMode(QListView::Batched);
    FIconPane->setSelectionRectVisible(true);
    FIconPane->setTextElideMode(Qt::ElideMiddle);

    setFocusPolicy(Qt::StrongFocus);
    SetViewStyle(vsIcon);
}

TCustomListView::~TCustomListView() {
    // The rows go before the panes, which would otherwise still ask the model about them; the
    // selection they drop is nobody's business any more.
    OnChange = nullptr;
    OnDeletion = nullptr;
    FSelection->disconnect(this);
    FIconPane->setModel(nullptr);
    FReportPane->setModel(nullptr);
}

int TCustomListView::AddColumn(const std::string& Caption, int Width, Qt::Alignment Alignment,
                               int MinWidth) {
    const int ID = ColumnCount();
    TListColumn C;
    C.Caption = Caption;
    C.Width = Width;
    C.Alignment = Alignment;
    C.MinWidth = MinWidth;
    if (ID == 0) {
        // The model always shows one column; the first real one takes its place.
        FColumns.push_back(C);
        FModel->HeaderChanged(0);
    } else {
        FModel->beginInsertColumns({}, ID, ID);
        FColumns.push_back(C);
        FModel->endInsertColumns();
    }
    FReportPane->header()->resizeSection(ID, std::max(Width, MinWidth));
    return ID;
}

int TCustomListView::ColumnWidth(int ID) const {
    return FReportPane->header()->sectionSize(ID);
}

void TCustomListView::SetColumnWidth(int ID, int Width) {
    if (ID < 0 || ID >= ColumnCount()) return;
    FColumns[static_cast<size_t>(ID)].Width = Width;
    FReportPane->header()->resizeSection(ID, std::max(Width, Column(ID).MinWidth));
}

int TCustomListView::ColumnPosition(int ID) const {
    return FReportPane->header()->visualIndex(ID);
}

void TCustomListView::MoveColumn(int ID, int Position) {
    QHeaderView* H = FReportPane->header();
    if (ID < 0 || ID >= ColumnCount() || Position < 0 || Position >= ColumnCount()) return;
    H->moveSection(H->visualIndex(ID), Position);
}

void TCustomListView::SetColumnImage(int ID, int ImageIndex) {
    if (ID < 0 || ID >= ColumnCount() || FColumns[static_cast<size_t>(ID)].ImageIndex == ImageIndex)
        return;
    FColumns[static_cast<size_t>(ID)].ImageIndex = ImageIndex;
    FModel->HeaderChanged(ID);
}

void TCustomListView::SetHeaderDragDrop(bool Value) {
    FReportPane->header()->setSectionsMovable(Value);
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
    const bool Changed = Value != FViewStyle || FStack->currentWidget() == nullptr;
    FViewStyle = Value;
    if (Changed) ApplyStyle();
}

void TCustomListView::ApplyStyle() {
    QAbstractItemView* Old = qobject_cast<QAbstractItemView*>(FStack->currentWidget());
    const bool HadFocus = Old && Old->hasFocus();
    if (FViewStyle != vsReport) {
        // Icons wrap left to right in rows; the list flows top to bottom in columns.
        FIconPane->setViewMode(FViewStyle == vsIcon ? QListView::IconMode : QListView::ListMode);
        FIconPane->setMovement(QListView::Static);
        FIconPane->setFlow(FViewStyle == vsList ? QListView::TopToBottom : QListView::LeftToRight);
        FIconPane->setWrapping(true);
        FIconPane->setWordWrap(FViewStyle == vsIcon);
        FIconPane->setIconSize(FViewStyle == vsIcon ? QSize(32, 32) : QSize(16, 16));
        const int Line = FIconPane->fontMetrics().height() + 4;
        FIconPane->setGridSize(FViewStyle == vsIcon
                                   ? QSize(96, 40 + 2 * Line)
                                   : QSize(FViewStyle == vsList ? 220 : 180, std::max(20, Line)));
        FIconPane->setSpacing(FViewStyle == vsIcon ? 4 : 0);
    }
    QAbstractItemView* Pane = ActivePane();
    FStack->setCurrentWidget(Pane);
    setFocusProxy(Pane);
    FModel->AllDecorationsChanged();
    if (QModelIndex Current = FSelection->currentIndex(); Current.isValid())
        Pane->scrollTo(Current);
    if (HadFocus) Pane->setFocus();
}

void TCustomListView::SetMultiSelect(bool Value) {
    const auto Mode =
        Value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    FIconPane->setSelectionMode(Mode);
    FReportPane->setSelectionMode(Mode);
}

void TCustomListView::SetSmallImages(const TIconSource* Images) {
    FSmallImages = Images;
    FModel->AllDecorationsChanged();
}

void TCustomListView::SetLargeImages(const TIconSource* Images) {
    FLargeImages = Images;
    FModel->AllDecorationsChanged();
}

void TCustomListView::SetHeaderImages(const TIconSource* Images) {
    FHeaderImages = Images;
    for (int I = 0; I < ColumnCount(); ++I)
        FModel->HeaderChanged(I);
}

QAbstractItemView* TCustomListView::ActivePane() const {
    if (FViewStyle == vsReport) return FReportPane;
    return FIconPane;
}

QAbstractItemModel* TCustomListView::Model() const {
    return FModel;
}

QModelIndex TCustomListView::IndexOfItem(const TListViewItem* Row, int Column) const {
    if (!Row || Row->FDeleted || Row->FIndex < 0) return {};
    return FModel->index(Row->FIndex, Column);
}

TListViewItem* TCustomListView::ItemOfIndex(const QModelIndex& Index) const {
    if (!Index.isValid() || Index.model() != FModel) return nullptr;
    const auto R = static_cast<size_t>(Index.row());
    return R < FRows.size() ? FRows[R].get() : nullptr;
}

// ---- rows --------------------------------------------------------------------------------------

void TCustomListView::Renumber(size_t From) const {
    for (size_t I = From; I < FRows.size(); ++I)
        FRows[I]->FIndex = static_cast<int>(I);
}

void TCustomListView::Compact() const {
    if (!FHasDeleted) return;
    FHasDeleted = false;
    auto& Focused = const_cast<TListViewItem*&>(FFocusedRow);
    if (Focused && Focused->FDeleted) Focused = nullptr;
    FRows.erase(
        std::remove_if(FRows.begin(), FRows.end(), [](const auto& R) { return R->FDeleted; }),
        FRows.end());
    Renumber(0);
}

int TCustomListView::Count() const {
    Compact();
    return static_cast<int>(FRows.size());
}

TListViewItem* TCustomListView::Item(int Index) const {
    Compact();
    if (Index < 0 || static_cast<size_t>(Index) >= FRows.size()) return nullptr;
    return FRows[static_cast<size_t>(Index)].get();
}

int TCustomListView::IndexOf(const TListItem* Row) const {
    Compact();
    // Compared only: the pointer may name a row that is gone.
    for (size_t I = 0; I < FRows.size(); ++I)
        if (FRows[I].get() == Row) return static_cast<int>(I);
    return -1;
}

void TCustomListView::BeginStructureChange() {
    if (FResetting || FUpdateCount == 0) return;
    FFocusedRow = ItemOfIndex(FSelection->currentIndex());
    FResetting = true;
    FModel->beginResetModel();
}

TListViewItem* TCustomListView::Add() {
    Compact();
    auto Row = std::unique_ptr<TListViewItem>(new TListViewItem(this));
    TListViewItem* R = Row.get();
    const int At = static_cast<int>(FRows.size());
    if (FUpdateCount > 0) {
        BeginStructureChange();
        FRows.push_back(std::move(Row));
        R->FIndex = At;
    } else {
        FModel->beginInsertRows({}, At, At);
        FRows.push_back(std::move(Row));
        R->FIndex = At;
        FModel->endInsertRows();
    }
    return R;
}

void TCustomListView::BeginUpdate() {
    if (FUpdateCount++ == 0) FNeedsSort = false;
}

void TCustomListView::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    Compact();
    if (FNeedsSort && FSortType == stText) AlphaSort();
    FNeedsSort = false;
    if (FResetting) {
        FResetting = false;
        FModel->endResetModel();
        RestoreSelection();
    }
    if (FSelectionLost) {
        FSelectionLost = false;
        if (OnChange) OnChange();
    }
}

void TCustomListView::DeleteItem(TListViewItem* Row) {
    if (!Row || Row->FDeleted || Row->FView != this) return;
    if (OnDeletion) OnDeletion(Row);
    RemoveItem(Row);
}

void TCustomListView::RemoveItem(TListViewItem* Row) {
    if (Row->FDeleted) return;
    bool WasSelected = Row->FSelected;
    if (WasSelected) {
        Row->FSelected = false;
        --FSelCount;
    }
    if (FUpdateCount > 0) {
        BeginStructureChange();
        Row->FDeleted = true;
        FHasDeleted = true;
        if (WasSelected) FSelectionLost = true;
        return;
    }
    const int At = Row->FIndex;
    FModel->beginRemoveRows({}, At, At);
    Row->FDeleted = true;
    std::unique_ptr<TListViewItem> Gone = std::move(FRows[static_cast<size_t>(At)]);
    FRows.erase(FRows.begin() + At);
    Renumber(static_cast<size_t>(At));
    FModel->endRemoveRows();
    Gone->FIndex = -1;
    if (WasSelected && OnChange && !FRestoring) OnChange();
}

void TCustomListView::Clear() {
    BeginUpdate();
    BeginStructureChange();
    for (auto& R : FRows)
        if (!R->FDeleted && OnDeletion) OnDeletion(R.get());
    FRows.clear();
    FHasDeleted = false;
    if (FSelCount > 0) FSelectionLost = true;
    FSelCount = 0;
    FFocusedRow = nullptr;
    EndUpdate();
}

void TCustomListView::ItemChanged(TListViewItem* Row, bool CaptionChanged, bool ImageOnly) {
    if (Row->FDeleted) return;
    if (FResetting) {
        if (CaptionChanged) FNeedsSort = true;
        return;
    }
    FModel->RowChanged(Row->FIndex, ImageOnly);
    if (!CaptionChanged || FSortType != stText) return;
    if (FUpdateCount > 0)
        FNeedsSort = true;
    else
        RepositionItem(Row);
}

void TCustomListView::RepositionItem(TListViewItem* Row) {
    // The other rows are in order; the changed one moves to where it belongs among them.
    const int N = static_cast<int>(FRows.size());
    const int At = Row->FIndex;
    const bool AfterPrev = At == 0 || CompareItems(FRows[At - 1].get(), Row) <= 0;
    const bool BeforeNext = At == N - 1 || CompareItems(Row, FRows[At + 1].get()) <= 0;
    if (AfterPrev && BeforeNext) return;
    // The first position in [Lo, Hi) whose row sorts after Row.
    auto FirstAfter = [&](int Lo, int Hi) {
        while (Lo < Hi) {
            int Mid = (Lo + Hi) / 2;
            if (CompareItems(FRows[Mid].get(), Row) > 0)
                Hi = Mid;
            else
                Lo = Mid + 1;
        }
        return Lo;
    };
    if (!AfterPrev) {
        // Earlier: before the first row in [0, At) that sorts after Row.
        int To = FirstAfter(0, At);
        FModel->beginMoveRows({}, At, At, {}, To);
        std::rotate(FRows.begin() + To, FRows.begin() + At, FRows.begin() + At + 1);
        Renumber(static_cast<size_t>(To));
    } else {
        // Later: after the last row in (At, N) that does not sort after Row; the row goes
        // before position To (counted before the move).
        int To = FirstAfter(At + 1, N);
        FModel->beginMoveRows({}, At, At, {}, To);
        std::rotate(FRows.begin() + At, FRows.begin() + At + 1, FRows.begin() + To);
        Renumber(static_cast<size_t>(At));
    }
    FModel->endMoveRows();
}

int TCustomListView::CompareItems(const TListViewItem* I1, const TListViewItem* I2) const {
    if (OnCompare) return OnCompare(I1, I2);
    return CompareCaptions(I1->FCaption, I2->FCaption);
}

void TCustomListView::AlphaSort() {
    Compact();
    FNeedsSort = false;
    auto Less = [this](const std::unique_ptr<TListViewItem>& A,
                       const std::unique_ptr<TListViewItem>& B) {
        return CompareItems(A.get(), B.get()) < 0;
    };
    // Rows are mostly filled in the catalog's own order, which is the caption order: one pass
    // finds that out and saves the sort.
    bool InOrder = true;
    for (size_t I = 1; I < FRows.size() && InOrder; ++I)
        InOrder = CompareItems(FRows[I - 1].get(), FRows[I].get()) <= 0;
    if (InOrder) return;
    auto Sort = [&] {
        std::stable_sort(FRows.begin(), FRows.end(), Less);
        Renumber(0);
    };
    if (FResetting)
        Sort();
    else
        FModel->Reorder(Sort);
}

// ---- selection ---------------------------------------------------------------------------------

void TCustomListView::SelectionChanged(const QItemSelection& Selected,
                                       const QItemSelection& Deselected) {
    if (FResetting) return;
    auto Mark = [this](const QItemSelection& S, bool Value) {
        for (const QItemSelectionRange& R : S)
            for (int I = R.top(); I <= R.bottom(); ++I) {
                if (I < 0 || static_cast<size_t>(I) >= FRows.size()) continue;
                TListViewItem* Row = FRows[static_cast<size_t>(I)].get();
                if (Row->FDeleted || Row->FSelected == Value) continue;
                Row->FSelected = Value;
                FSelCount += Value ? 1 : -1;
            }
    };
    Mark(Deselected, false);
    Mark(Selected, true);
    if (!FRestoring && OnChange) OnChange();
}

void TCustomListView::SetRowSelected(TListViewItem* Row, bool Value) {
    if (Row->FDeleted || Row->FSelected == Value) return;
    if (FResetting) {
        Row->FSelected = Value;
        FSelCount += Value ? 1 : -1;
        return;
    }
    FSelection->select(IndexOfItem(Row),
                       (Value ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                           QItemSelectionModel::Rows);
}

void TCustomListView::SetSelected(TListItem* Row) {
    auto* R = dynamic_cast<TListViewItem*>(Row);
    if (R && (R->FDeleted || R->FView != this)) R = nullptr;
    if (FResetting) {
        for (auto& X : FRows)
            X->FSelected = false;
        FSelCount = 0;
        if (R) {
            R->FSelected = true;
            FSelCount = 1;
        }
        FFocusedRow = R;
        return;
    }
    if (!R) {
        FSelection->clearSelection();
        return;
    }
    const QModelIndex I = IndexOfItem(R);
    FSelection->setCurrentIndex(I, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TCustomListView::RestoreSelection() {
    FRestoring = true;
    QItemSelection S;
    int Start = -1;
    const int N = static_cast<int>(FRows.size());
    for (int I = 0; I <= N; ++I) {
        const bool Sel = I < N && FRows[static_cast<size_t>(I)]->FSelected;
        if (Sel && Start < 0) Start = I;
        if (!Sel && Start >= 0) {
            S.select(FModel->index(Start, 0), FModel->index(I - 1, 0));
            Start = -1;
        }
    }
    if (!S.isEmpty())
        FSelection->select(S, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (FFocusedRow)
        FSelection->setCurrentIndex(IndexOfItem(FFocusedRow), QItemSelectionModel::NoUpdate);
    FRestoring = false;
}

TListViewItem* TCustomListView::Selected() const {
    if (FSelCount == 0) return nullptr;
    Compact();
    for (const auto& R : FRows)
        if (R->FSelected) return R.get();
    return nullptr;
}

TListViewItem* TCustomListView::GetNextSelected(const TListViewItem* Row) const {
    Compact();
    size_t From = Row && !Row->FDeleted ? static_cast<size_t>(Row->FIndex) + 1 : 0;
    for (size_t I = From; I < FRows.size(); ++I)
        if (FRows[I]->FSelected) return FRows[I].get();
    return nullptr;
}

std::vector<TListViewItem*> TCustomListView::SelectedItems() const {
    std::vector<TListViewItem*> Result;
    if (FSelCount == 0) return Result;
    Compact();
    Result.reserve(static_cast<size_t>(FSelCount));
    for (const auto& R : FRows)
        if (R->FSelected) Result.push_back(R.get());
    return Result;
}

TListViewItem* TCustomListView::ItemFocused() const {
    if (FResetting) return FFocusedRow && !FFocusedRow->FDeleted ? FFocusedRow : nullptr;
    return ItemOfIndex(FSelection->currentIndex());
}

void TCustomListView::SetItemFocused(TListViewItem* Row) {
    if (FResetting) {
        FFocusedRow = Row;
        return;
    }
    FSelection->setCurrentIndex(IndexOfItem(Row), QItemSelectionModel::NoUpdate);
}

void TCustomListView::SelectAll() {
    Compact();
    if (FRows.empty()) return;
    if (FResetting) {
        for (auto& R : FRows)
            R->FSelected = true;
        FSelCount = static_cast<int>(FRows.size());
        return;
    }
    FSelection->select(
        QItemSelection(FModel->index(0, 0), FModel->index(static_cast<int>(FRows.size()) - 1, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TCustomListView::ClearSelection() {
    if (FResetting) {
        for (auto& R : FRows)
            R->FSelected = false;
        FSelCount = 0;
        return;
    }
    FSelection->clearSelection();
}

void TCustomListView::MakeVisible(TListViewItem* Row) {
    if (!FResetting && Row && !Row->FDeleted)
        ActivePane()->scrollTo(IndexOfItem(Row), QAbstractItemView::EnsureVisible);
}

TListViewItem* TCustomListView::ItemAt(const QPoint& Point) const {
    return ItemOfIndex(ActivePane()->indexAt(Point));
}

// ---- editing -----------------------------------------------------------------------------------

bool TCustomListView::IsEditing() const {
    if (FViewStyle == vsReport) return static_cast<TListPane<QTreeView>*>(FReportPane)->Editing();
    return static_cast<TListPane<QListView>*>(FIconPane)->Editing();
}

bool TCustomListView::StartEdit(TListViewItem* Row) {
    bool Allow = true;
    if (OnEditing) OnEditing(Row, Allow);
    return Allow;
}

bool TCustomListView::EditCaption(TListViewItem* Row) {
    if (!Row || Row->FDeleted || FResetting || IsEditing() || !StartEdit(Row)) return false;
    QAbstractItemView* Pane = ActivePane();
    const QModelIndex I = IndexOfItem(Row);
    Pane->scrollTo(I);
    FEditApproved = true;
    Pane->edit(I);
    FEditApproved = false;
    return IsEditing();
}

void TCustomListView::EndEditing() {
    CloseEditorOf(ActivePane(), true);
}

void TCustomListView::CommitEdit(TListViewItem* Row, const QString& Text) {
    std::string S = FromQString(Text);
    if (OnEdited) OnEdited(Row, S);
    if (!Row->FDeleted) Row->SetCaption(S);
}

void TCustomListView::EditClosed() {
    if (OnEditEnd) OnEditEnd();
}

void TCustomListView::Invalidate() {
    ActivePane()->viewport()->update();
    FReportPane->header()->viewport()->update();
}

// ---- events ------------------------------------------------------------------------------------

bool TCustomListView::eventFilter(QObject* Watched, QEvent* Event) {
    const bool IsPane = Watched == FIconPane || Watched == FReportPane;
    const bool IsViewport = Watched == FIconPane->viewport() || Watched == FReportPane->viewport();
    if (IsPane && Event->type() == QEvent::KeyPress && OnKeyDown) {
        auto* K = static_cast<QKeyEvent*>(Event);
        int Key = K->key();
        OnKeyDown(Key, K->modifiers());
        if (Key == 0) return true;
    }
    if (IsViewport && AcceptsFileDrops()) {
        switch (Event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* D = static_cast<QDropEvent*>(Event);
            if (!DroppedFiles(D->mimeData()).empty()) {
                D->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* D = static_cast<QDropEvent*>(Event);
            std::vector<std::string> Names = DroppedFiles(D->mimeData());
            if (Names.empty()) break;
            D->acceptProposedAction();
            FilesDropped(ItemAt(D->position().toPoint()), Names);
            return true;
        }
        default: break;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

// ---- tree model --------------------------------------------------------------------------------

class TTreeViewModel final : public QAbstractItemModel {
public:
    explicit TTreeViewModel(TCustomTreeView* View) : QAbstractItemModel(View), FView(View) {}

    using QAbstractItemModel::beginInsertRows;
    using QAbstractItemModel::beginMoveRows;
    using QAbstractItemModel::beginRemoveRows;
    using QAbstractItemModel::beginResetModel;
    using QAbstractItemModel::endInsertRows;
    using QAbstractItemModel::endMoveRows;
    using QAbstractItemModel::endRemoveRows;
    using QAbstractItemModel::endResetModel;

    TTreeViewNode* NodeOf(const QModelIndex& I) const {
        return I.isValid() ? static_cast<TTreeViewNode*>(I.internalPointer()) : FView->FRoot.get();
    }
    QModelIndex IndexOf(const TTreeViewNode* Node) const {
        if (!Node || Node == FView->FRoot.get()) return {};
        return createIndex(Node->FIndex, 0, const_cast<TTreeViewNode*>(Node));
    }

    QModelIndex index(int Row, int Column, const QModelIndex& Parent) const override {
        if (Column != 0) return {};
        TTreeViewNode* P = NodeOf(Parent);
        if (Row < 0 || static_cast<size_t>(Row) >= P->FChildren.size()) return {};
        return createIndex(Row, 0, P->FChildren[static_cast<size_t>(Row)].get());
    }
    QModelIndex parent(const QModelIndex& Child) const override {
        if (!Child.isValid()) return {};
        return IndexOf(NodeOf(Child)->FParent);
    }
    int rowCount(const QModelIndex& Parent) const override {
        if (Parent.column() > 0) return 0;
        return static_cast<int>(NodeOf(Parent)->FChildren.size());
    }
    int columnCount(const QModelIndex&) const override { return 1; }

    QVariant data(const QModelIndex& Index, int Role) const override {
        if (!Index.isValid()) return {};
        const TTreeViewNode* N = NodeOf(Index);
        switch (Role) {
        case Qt::DisplayRole:
        case Qt::EditRole: return ToQString(N->FText);
        case Qt::DecorationRole: {
            int I = N == FView->FSelectedNode ? N->FSelectedIndex : N->FImageIndex;
            if (I < 0 || !FView->FImages) return {};
            return FView->FImages->Icon(I);
        }
        default: return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex& Index) const override {
        if (!Index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override {
        if (Role != Qt::EditRole || !Index.isValid()) return false;
        TTreeViewNode* N = NodeOf(Index);
        if (N->FDeleted) return false;
        FView->CommitEdit(N, Value.toString());
        return true;
    }

    void NodeChanged(const TTreeViewNode* N) {
        const QModelIndex I = IndexOf(N);
        emit dataChanged(I, I);
    }

    void Reorder(const std::function<void()>& Sort) {
        emit layoutAboutToBeChanged();
        const QModelIndexList Old = persistentIndexList();
        std::vector<TTreeViewNode*> Held;
        Held.reserve(static_cast<size_t>(Old.size()));
        for (const QModelIndex& I : Old)
            Held.push_back(I.isValid() ? NodeOf(I) : nullptr);
        Sort();
        QModelIndexList New;
        New.reserve(Old.size());
        for (TTreeViewNode* N : Held)
            New.append(N ? IndexOf(N) : QModelIndex());
        changePersistentIndexList(Old, New);
        emit layoutChanged();
    }

private:
    TCustomTreeView* FView;
};

// ---- tree nodes --------------------------------------------------------------------------------

TTreeViewNode::~TTreeViewNode() = default;

void TTreeViewNode::SetText(const std::string& Text) {
    if (Text == FText) return;
    FText = Text;
    FView->NodeTextChanged(this);
}

void TTreeViewNode::SetImageIndex(int Index) {
    if (Index == FImageIndex) return;
    FImageIndex = Index;
    FView->NodeImageChanged(this);
}

void TTreeViewNode::SetSelectedIndex(int Index) {
    if (Index == FSelectedIndex) return;
    FSelectedIndex = Index;
    FView->NodeImageChanged(this);
}

bool TTreeViewNode::InTree() const {
    return FView->Alive(this);
}

void TTreeViewNode::Delete() {
    FView->RemoveNode(this, true);
}

void TTreeViewNode::BeginTreeUpdate() {
    FView->BeginUpdate();
}

void TTreeViewNode::EndTreeUpdate() {
    FView->EndUpdate();
}

void TTreeViewNode::Expand(bool Recurse) {
    if (FDeleted) return;
    if (FView->FResetting) {
        // Put back when the bracket ends.
        std::vector<TTreeViewNode*> Stack{this};
        while (!Stack.empty()) {
            TTreeViewNode* N = Stack.back();
            Stack.pop_back();
            N->FExpanded = true;
            if (Recurse)
                for (auto& C : N->FChildren)
                    Stack.push_back(C.get());
        }
        return;
    }
    const QModelIndex I = FView->IndexOfNode(this);
    if (Recurse)
        FView->expandRecursively(I);
    else
        FView->expand(I);
}

void TTreeViewNode::Collapse() {
    if (FDeleted) return;
    FExpanded = false;
    if (!FView->FResetting) FView->collapse(FView->IndexOfNode(this));
}

int TTreeViewNode::ChildCount() const {
    if (FHasDeleted) FView->CompactChildren(const_cast<TTreeViewNode*>(this));
    return static_cast<int>(FChildren.size());
}

TTreeViewNode* TTreeViewNode::Child(int Index) const {
    if (FHasDeleted) FView->CompactChildren(const_cast<TTreeViewNode*>(this));
    if (Index < 0 || static_cast<size_t>(Index) >= FChildren.size()) return nullptr;
    return FChildren[static_cast<size_t>(Index)].get();
}

TTreeViewNode* TTreeViewNode::Parent() const {
    return FParent == FView->FRoot.get() ? nullptr : FParent;
}

void TTreeViewNode::DeleteChildren() {
    if (FChildren.empty()) return;
    FView->BeginUpdate();
    for (auto& C : FChildren)
        FView->RemoveNode(C.get(), false);
    FView->EndUpdate();
}

bool TTreeViewNode::Selected() const {
    return FView->FSelectedNode == this;
}

// ---- tree view ---------------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(QWidget* Parent)
    : QTreeView(Parent), FRoot(std::unique_ptr<TTreeViewNode>(new TTreeViewNode(this, nullptr))) {
    FModel = new TTreeViewModel(this);
    setModel(FModel);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setRootIsDecorated(true);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& I) {
        if (I.isValid()) NodeOfIndex(I)->FExpanded = true;
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& I) {
        if (I.isValid()) NodeOfIndex(I)->FExpanded = false;
    });
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (OnEditEnd) OnEditEnd();
    });
}

TCustomTreeView::~TCustomTreeView() {
    // Letting go of the model moves the current index: nobody is told any more.
    FSilent = true;
    OnChanging = nullptr;
    OnChange = nullptr;
    OnDeletion = nullptr;
    setModel(nullptr);
}

TTreeViewNode* TCustomTreeView::NodeOfIndex(const QModelIndex& Index) const {
    if (!Index.isValid() || Index.model() != FModel) return nullptr;
    return FModel->NodeOf(Index);
}

QModelIndex TCustomTreeView::IndexOfNode(const TTreeViewNode* Node) const {
    if (!Node || Node->FDeleted) return {};
    return FModel->IndexOf(Node);
}

bool TCustomTreeView::Alive(const TTreeViewNode* Node) const {
    for (const TTreeViewNode* N = Node; N; N = N->FParent) {
        if (N->FDeleted) return false;
        if (N == FRoot.get()) return true;
    }
    return false;
}

int TCustomTreeView::TopCount() const {
    return FRoot->ChildCount();
}

TTreeViewNode* TCustomTreeView::TopItem(int Index) const {
    return FRoot->Child(Index);
}

int TCustomTreeView::NodeCount() const {
    Compact();
    int N = 0;
    std::vector<const TTreeViewNode*> Stack{FRoot.get()};
    while (!Stack.empty()) {
        const TTreeViewNode* X = Stack.back();
        Stack.pop_back();
        for (const auto& C : X->FChildren) {
            ++N;
            Stack.push_back(C.get());
        }
    }
    return N;
}

void TCustomTreeView::BeginStructureChange() {
    if (FResetting || FUpdateCount == 0) return;
    FResetting = true;
    FModel->beginResetModel();
}

void TCustomTreeView::BeginUpdate() {
    if (FUpdateCount++ == 0) {
        FNeedsSort = false;
        if (OnUpdate) OnUpdate(true);
    }
}

void TCustomTreeView::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    Compact();
    if (FNeedsSort && FSortType == stText) SortChildren(FRoot.get(), true);
    FNeedsSort = false;
    if (FResetting) {
        FResetting = false;
        FModel->endResetModel();
        RestoreState();
    }
    if (OnUpdate) OnUpdate(false);
}

TTreeViewNode* TCustomTreeView::AddChild(TTreeViewNode* Parent, const std::string& Text,
                                         TBasicItem* Data) {
    TTreeViewNode* P = Parent ? Parent : FRoot.get();
    if (P->FHasDeleted) CompactChildren(P);
    auto Node = std::unique_ptr<TTreeViewNode>(new TTreeViewNode(this, P));
    TTreeViewNode* N = Node.get();
    N->FText = Text;
    N->FData = Data;
    auto& C = P->FChildren;
    if (FUpdateCount > 0) {
        BeginStructureChange();
        N->FIndex = static_cast<int>(C.size());
        C.push_back(std::move(Node));
        if (FSortType == stText) {
            P->FUnsorted = true;
            FNeedsSort = true;
        }
        return N;
    }
    size_t At = C.size();
    if (FSortType == stText)
        At = static_cast<size_t>(
            std::upper_bound(C.begin(), C.end(), Text,
                             [](const std::string& T, const std::unique_ptr<TTreeViewNode>& X) {
                                 return CompareCaptions(T, X->FText) < 0;
                             }) -
            C.begin());
    FModel->beginInsertRows(FModel->IndexOf(P), static_cast<int>(At), static_cast<int>(At));
    C.insert(C.begin() + static_cast<ptrdiff_t>(At), std::move(Node));
    for (size_t I = At; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
    FModel->endInsertRows();
    return N;
}

void TCustomTreeView::TellDeletion(TTreeViewNode* Node) {
    if (!OnDeletion) return;
    std::vector<TTreeViewNode*> Stack{Node};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        if (N->FDeleted) continue;
        OnDeletion(N);
        for (auto& C : N->FChildren)
            Stack.push_back(C.get());
    }
}

void TCustomTreeView::RemoveNode(TTreeViewNode* Node, bool ByCore) {
    if (!Node || Node->FDeleted || !Alive(Node)) return;
    // The core deletes the node of an item that is being destroyed: nobody may follow the data.
    if (ByCore) Node->FData = nullptr;
    TellDeletion(Node);
    bool HoldsSelection = false;
    for (const TTreeViewNode* N = FSelectedNode; N && N != FRoot.get(); N = N->FParent)
        if (N == Node) HoldsSelection = true;
    TTreeViewNode* P = Node->FParent;
    if (FUpdateCount > 0) {
        BeginStructureChange();
        Node->FDeleted = true;
        P->FHasDeleted = true;
        FHasDeleted = true;
        if (HoldsSelection) FSelectedNode = nullptr;
        return;
    }
    const int At = Node->FIndex;
    FSilent = true;
    FModel->beginRemoveRows(FModel->IndexOf(P), At, At);
    Node->FDeleted = true;
    std::unique_ptr<TTreeViewNode> Gone = std::move(P->FChildren[static_cast<size_t>(At)]);
    P->FChildren.erase(P->FChildren.begin() + At);
    for (size_t I = static_cast<size_t>(At); I < P->FChildren.size(); ++I)
        P->FChildren[I]->FIndex = static_cast<int>(I);
    FModel->endRemoveRows();
    if (HoldsSelection) {
        // No other node takes the selection by itself: the owner decides where to go.
        FSelectedNode = nullptr;
        selectionModel()->clear();
    }
    FSilent = false;
}

void TCustomTreeView::DeleteNode(TTreeViewNode* Node) {
    RemoveNode(Node, false);
}

void TCustomTreeView::Clear() {
    BeginUpdate();
    BeginStructureChange();
    for (auto& C : FRoot->FChildren)
        TellDeletion(C.get());
    FRoot->FChildren.clear();
    FRoot->FHasDeleted = false;
    FSelectedNode = nullptr;
    EndUpdate();
}

void TCustomTreeView::CompactChildren(TTreeViewNode* Parent) const {
    if (!Parent->FHasDeleted) return;
    Parent->FHasDeleted = false;
    auto& C = Parent->FChildren;
    C.erase(std::remove_if(C.begin(), C.end(), [](const auto& N) { return N->FDeleted; }), C.end());
    for (size_t I = 0; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
}

void TCustomTreeView::Compact() const {
    if (!FHasDeleted) return;
    FHasDeleted = false;
    // Walks the living nodes only: a deleted node goes with everything below it.
    std::vector<TTreeViewNode*> Stack{FRoot.get()};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        CompactChildren(N);
        for (auto& C : N->FChildren)
            if (!C->FChildren.empty()) Stack.push_back(C.get());
    }
}

void TCustomTreeView::SortChildren(TTreeViewNode* Parent, bool Recurse) {
    auto Less = [](const std::unique_ptr<TTreeViewNode>& A,
                   const std::unique_ptr<TTreeViewNode>& B) {
        return CompareCaptions(A->FText, B->FText) < 0;
    };
    std::vector<TTreeViewNode*> Groups;
    std::vector<TTreeViewNode*> Stack{Parent};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        N->FUnsorted = false;
        auto& C = N->FChildren;
        bool InOrder = true;
        for (size_t I = 1; I < C.size() && InOrder; ++I)
            InOrder = CompareCaptions(C[I - 1]->FText, C[I]->FText) <= 0;
        if (!InOrder) Groups.push_back(N);
        if (Recurse)
            for (auto& X : C)
                if (!X->FChildren.empty()) Stack.push_back(X.get());
    }
    if (Groups.empty()) return;
    auto Sort = [&] {
        for (TTreeViewNode* N : Groups) {
            std::stable_sort(N->FChildren.begin(), N->FChildren.end(), Less);
            for (size_t I = 0; I < N->FChildren.size(); ++I)
                N->FChildren[I]->FIndex = static_cast<int>(I);
        }
    };
    if (FResetting)
        Sort();
    else
        FModel->Reorder(Sort);
}

void TCustomTreeView::SetSortType(TSortType Value) {
    if (Value == FSortType) return;
    FSortType = Value;
    if (Value == stText) AlphaSort();
}

void TCustomTreeView::AlphaSort() {
    Compact();
    SortChildren(FRoot.get(), true);
}

void TCustomTreeView::NodeTextChanged(TTreeViewNode* Node) {
    if (Node->FDeleted) return;
    if (FResetting) {
        if (FSortType == stText) FNeedsSort = true;
        return;
    }
    FModel->NodeChanged(Node);
    if (FSortType != stText) return;
    if (FUpdateCount > 0) {
        FNeedsSort = true;
        return;
    }
    // The node moves among its sorted siblings to its new place.
    TTreeViewNode* P = Node->FParent;
    auto& C = P->FChildren;
    const int N = static_cast<int>(C.size());
    const int At = Node->FIndex;
    auto Cmp = [](const TTreeViewNode* A, const TTreeViewNode* B) {
        return CompareCaptions(A->FText, B->FText);
    };
    const bool AfterPrev = At == 0 || Cmp(C[At - 1].get(), Node) <= 0;
    const bool BeforeNext = At == N - 1 || Cmp(Node, C[At + 1].get()) <= 0;
    if (AfterPrev && BeforeNext) return;
    int Lo = AfterPrev ? At + 1 : 0, Hi = AfterPrev ? N : At;
    while (Lo < Hi) {
        int Mid = (Lo + Hi) / 2;
        if (Cmp(C[Mid].get(), Node) > 0)
            Hi = Mid;
        else
            Lo = Mid + 1;
    }
    const QModelIndex PI = FModel->IndexOf(P);
    FModel->beginMoveRows(PI, At, At, PI, Lo);
    if (!AfterPrev)
        std::rotate(C.begin() + Lo, C.begin() + At, C.begin() + At + 1);
    else
        std::rotate(C.begin() + At, C.begin() + At + 1, C.begin() + Lo);
    for (size_t I = 0; I < C.size(); ++I)
        C[I]->FIndex = static_cast<int>(I);
    FModel->endMoveRows();
}

void TCustomTreeView::NodeImageChanged(TTreeViewNode* Node) {
    if (!Node->FDeleted && !FResetting) FModel->NodeChanged(Node);
}

void TCustomTreeView::RestoreExpanded(TTreeViewNode* Node) {
    std::vector<TTreeViewNode*> Stack{Node};
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        for (auto& C : N->FChildren) {
            if (C->FExpanded) setExpanded(FModel->IndexOf(C.get()), true);
            if (!C->FChildren.empty()) Stack.push_back(C.get());
        }
    }
}

void TCustomTreeView::RestoreState() {
    FSilent = true;
    RestoreExpanded(FRoot.get());
    if (FSelectedNode && Alive(FSelectedNode))
        selectionModel()->setCurrentIndex(FModel->IndexOf(FSelectedNode),
                                          QItemSelectionModel::ClearAndSelect);
    else
        FSelectedNode = nullptr;
    FSilent = false;
}

void TCustomTreeView::SelectSilently(TTreeViewNode* Node) {
    FSilent = true;
    if (Node)
        selectionModel()->setCurrentIndex(FModel->IndexOf(Node),
                                          QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    FSilent = false;
}

void TCustomTreeView::SetSelected(TTreeViewNode* Node) {
    if (Node && (Node->FDeleted || Node->FView != this)) Node = nullptr;
    if (FResetting) {
        FSelectedNode = Node;
        return;
    }
    const QModelIndex I = IndexOfNode(Node);
    if (I == currentIndex()) {
        // Asked again from inside a change handler: the view already stands there.
        TTreeViewNode* Old = FSelectedNode;
        FSelectedNode = Node;
        if (Old) FModel->NodeChanged(Old);
        if (Node) FModel->NodeChanged(Node);
        return;
    }
    if (Node)
        selectionModel()->setCurrentIndex(I, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
}

void TCustomTreeView::currentChanged(const QModelIndex& Current, const QModelIndex& Previous) {
    QTreeView::currentChanged(Current, Previous);
    TTreeViewNode* Node = NodeOfIndex(Current);
    TTreeViewNode* Old = FSelectedNode;
    if (FSilent || FResetting) {
        FSelectedNode = Node;
    } else {
        if (Node == FSelectedNode) return;
        bool Allow = true;
        if (OnChanging) OnChanging(Node, Allow);
        if (!Allow) {
            SelectSilently(Old);
            return;
        }
        Old = FSelectedNode;
        FSelectedNode = Node;
    }
    if (Old && Old != Node && Alive(Old)) FModel->NodeChanged(Old);
    if (Node) FModel->NodeChanged(Node);
    if (!FSilent && !FResetting && OnChange) OnChange(Node);
}

bool TCustomTreeView::edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) {
    if (!IsEditRequest(Trigger, editTriggers())) return QTreeView::edit(Index, Trigger, Event);
    if (IsEditing() || !Index.isValid()) return false;
    if (!std::exchange(FEditApproved, false)) {
        bool Allow = true;
        if (OnEditing) OnEditing(NodeOfIndex(Index), Allow);
        if (!Allow) return false;
    }
    return QTreeView::edit(Index, AllEditTriggers, Event);
}

bool TCustomTreeView::EditText(TTreeViewNode* Node) {
    if (!Node || Node->FDeleted || FResetting || IsEditing()) return false;
    bool Allow = true;
    if (OnEditing) OnEditing(Node, Allow);
    if (!Allow) return false;
    const QModelIndex I = IndexOfNode(Node);
    scrollTo(I);
    FEditApproved = true;
    QTreeView::edit(I);
    FEditApproved = false;
    return IsEditing();
}

void TCustomTreeView::EndEditing() {
    CloseEditorOf(this, true);
}

void TCustomTreeView::CommitEdit(TTreeViewNode* Node, const QString& Text) {
    std::string S = FromQString(Text);
    if (OnEdited) OnEdited(Node, S);
    if (!Node->FDeleted) Node->SetText(S);
}

TTreeViewNode* TCustomTreeView::NodeAt(const QPoint& Point) const {
    return NodeOfIndex(indexAt(Point));
}

void TCustomTreeView::contextMenuEvent(QContextMenuEvent* Event) {
    if (FPopupMenu) {
        FPopupMenu->popup(Event->globalPos());
        Event->accept();
        return;
    }
    QTreeView::contextMenuEvent(Event);
}

void TCustomTreeView::dragEnterEvent(QDragEnterEvent* Event) {
    if (AcceptsFileDrops() && !DroppedFiles(Event->mimeData()).empty()) {
        Event->acceptProposedAction();
        return;
    }
    QTreeView::dragEnterEvent(Event);
}

void TCustomTreeView::dragMoveEvent(QDragMoveEvent* Event) {
    if (AcceptsFileDrops() && !DroppedFiles(Event->mimeData()).empty()) {
        Event->acceptProposedAction();
        return;
    }
    QTreeView::dragMoveEvent(Event);
}

void TCustomTreeView::dropEvent(QDropEvent* Event) {
    std::vector<std::string> Names;
    if (AcceptsFileDrops()) Names = DroppedFiles(Event->mimeData());
    if (Names.empty()) {
        QTreeView::dropEvent(Event);
        return;
    }
    Event->acceptProposedAction();
    FilesDropped(NodeAt(Event->position().toPoint()), Names);
}
