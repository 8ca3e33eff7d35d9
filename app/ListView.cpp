#include "ListView.h"

#include "app/EditDelegate.h"
#include "app/ListPanes.h"
#include "app/UiText.h"
#include "platform/SysUtils.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

int CompareCaptions(const std::string& A, const std::string& B) {
    return AnsiCompareText(A, B);
}

namespace {

// The width of a row of the small-icon and list styles for a name TextWidth pixels wide: the
// picture, the margins and the name, within bounds that keep a few columns on the screen. Small
// icons lie in rows of equal cells, where one very long name would leave a column of one: they
// cut such a name sooner (its whole text is the row's tool-tip).
int RowWidthFor(TViewStyle Style, int TextWidth) {
    return std::clamp(TextWidth + 16 + 24, 80, Style == vsSmallIcon ? 280 : 480);
}

} // namespace

// ---- creation ----------------------------------------------------------------------------------

TCustomListView::TCustomListView(QWidget* Parent) : QWidget(Parent) {
    FModel = new TListViewModel(this);
    FSelection = new QItemSelectionModel(FModel, this);
    FStack = new QStackedWidget(this);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FStack);

    FIconPane = new TListIconPane(this);
    FReportPane = new TListReportPane(this);
    FIconDelegate = new TEditDelegate(this);
    FReportDelegate = new TEditDelegate(this);
    for (TEditDelegate* D : {FIconDelegate, FReportDelegate}) {
        D->CanEdit = [this](const QModelIndex& Index) {
            TListViewItem* Row = ItemOfIndex(Index);
            bool Allow = Row != nullptr && !FModel->Resetting();
            if (Allow && OnEditing) OnEditing(Row, Allow);
            return Allow;
        };
        D->Commit = [this](const QModelIndex& Index, const QString& Text) {
            CommitEdit(Index, Text);
        };
        connect(D, &QAbstractItemDelegate::closeEditor, this, [this] {
            if (OnEditEnd) OnEditEnd();
        });
    }
    FIconPane->setItemDelegate(FIconDelegate);
    FReportPane->setItemDelegate(FReportDelegate);
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
        FStack->addWidget(Pane);
    }
    connect(FSelection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& S, const QItemSelection& D) { SelectionChanged(S, D); });

    QHeaderView* Header = FReportPane->header();
    connect(Header, &QHeaderView::sectionClicked, this, [this](int Section) {
        if (OnColumnClick && Section >= 0 && Section < ColumnCount()) OnColumnClick(Section);
    });
    connect(Header, &QHeaderView::sectionResized, this, [this, Header](int Section, int, int New) {
        if (Section < ColumnCount() && New < Column(Section).MinWidth)
            Header->resizeSection(Section, Column(Section).MinWidth);
    });
    FIconPane->setSelectionRectVisible(true);

    setFocusPolicy(Qt::StrongFocus);
    ApplyStyle();
}

TCustomListView::~TCustomListView() {
    // The rows go before the panes, which would otherwise still ask the model about them; the
    // selection they drop is nobody's business any more.
    OnChange = nullptr;
    OnDeletion = nullptr;
    OnEditEnd = nullptr;
    FSelection->disconnect(this);
    FIconPane->setModel(nullptr);
    FReportPane->setModel(nullptr);
}

// ---- columns -----------------------------------------------------------------------------------

int TCustomListView::AddColumn(const std::string& Caption, int Width, Qt::Alignment Alignment,
                               int MinWidth) {
    const int ID = ColumnCount();
    TListColumn C;
    C.Caption = Caption;
    C.Width = Width;
    C.Alignment = Alignment;
    C.MinWidth = MinWidth;
    FModel->ColumnAdded([&] { FColumns.push_back(C); });
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

// ---- styles ------------------------------------------------------------------------------------

void TCustomListView::SetViewStyle(TViewStyle Value) {
    if (Value == FViewStyle) return;
    FViewStyle = Value;
    ApplyStyle();
}

void TCustomListView::ApplyStyle() {
    QAbstractItemView* Old = qobject_cast<QAbstractItemView*>(FStack->currentWidget());
    const bool HadFocus = Old && Old->hasFocus();
    if (FViewStyle != vsReport) ApplyIconStyle();
    QAbstractItemView* Pane = ActivePane();
    FStack->setCurrentWidget(Pane);
    setFocusProxy(Pane);
    FModel->AllDecorationsChanged();
    if (HadFocus) Pane->setFocus();
    // The pane just shown scrolls to the focused row, now and once it has been laid out at its
    // size (a pane that was hidden may not know its size yet).
    auto ScrollToCurrent = [this, Pane] {
        const QModelIndex Current = FSelection->currentIndex();
        if (Pane == ActivePane() && Current.isValid()) Pane->scrollTo(Current);
    };
    ScrollToCurrent();
    QTimer::singleShot(0, this, ScrollToCurrent);
}

void TCustomListView::ApplyIconStyle() {
    if (FViewStyle != vsIcon && FTextWidthDirty) MeasureTextWidth();
    FIconPane->ApplyStyle(FViewStyle, RowWidthFor(FViewStyle, FTextWidth));
    FIconDelegate->SetFixedSize(FIconPane->ItemSize());
}

void TCustomListView::MeasureTextWidth() {
    FTextWidthDirty = false;
    const QFontMetrics M = FIconPane->fontMetrics();
    int Widest = 0;
    FModel->ForEach([&](TListViewItem* Row) {
        Widest = std::max(Widest, M.horizontalAdvance(ToQString(Row->Caption())));
    });
    FTextWidth = Widest;
}

void TCustomListView::NoteCaption(const std::string& Caption) {
    if ((FViewStyle != vsSmallIcon && FViewStyle != vsList) || FModel->Resetting()) {
        FTextWidthDirty = true;
        return;
    }
    const int Width = FIconPane->fontMetrics().horizontalAdvance(ToQString(Caption));
    if (Width <= FTextWidth) return;
    FTextWidth = Width;
    ApplyIconStyle();
}

void TCustomListView::SetSortType(TSortType Value) {
    FSortType = Value;
    FModel->SetSorted(Value == stText);
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
    return FModel->IndexOfItem(Row, Column);
}

TListViewItem* TCustomListView::ItemOfIndex(const QModelIndex& Index) const {
    if (!Index.isValid()) return nullptr;
    return FModel->ItemOfIndex(Index.siblingAtColumn(0));
}

// ---- rows --------------------------------------------------------------------------------------

int TCustomListView::Count() const {
    return FModel->Count();
}

TListViewItem* TCustomListView::Item(int Index) const {
    return FModel->At(Index);
}

int TCustomListView::IndexOf(const TListItem* Row) const {
    return FModel->IndexOf(Row);
}

TListViewItem* TCustomListView::Add() {
    return FModel->Add();
}

bool TCustomListView::Updating() const {
    return FModel->Updating();
}

void TCustomListView::BeginUpdate() {
    FModel->BeginUpdate();
}

void TCustomListView::EndUpdate() {
    FModel->EndUpdate();
    if (FModel->Updating() || !FSelectionLost) return;
    FSelectionLost = false;
    if (OnChange) OnChange();
}

void TCustomListView::ResetBegins() {
    FFocusedRow = ItemOfIndex(FSelection->currentIndex());
}

void TCustomListView::ResetEnded() {
    RestoreSelection();
    FTextWidthDirty = true;
    if (FViewStyle == vsSmallIcon || FViewStyle == vsList) ApplyIconStyle();
}

void TCustomListView::DroppingDeletedRows() {
    if (FFocusedRow && FFocusedRow->FDeleted) FFocusedRow = nullptr;
}

void TCustomListView::DeleteItem(TListViewItem* Row) {
    if (!Row || Row->FDeleted || Row->FView != this) return;
    if (OnDeletion && !FFreeRowsLater) OnDeletion(Row);
    RemoveItem(Row);
}

void TCustomListView::RemoveItem(TListViewItem* Row) {
    if (Row->FDeleted) return;
    const bool WasSelected = Row->FSelected;
    if (WasSelected) {
        Row->FSelected = false;
        --FSelCount;
    }
    if (FModel->Updating()) {
        if (WasSelected) FSelectionLost = true;
        FModel->Remove(Row);
        return;
    }
    FModel->Remove(Row);
    if (WasSelected && OnChange && !FRestoring) OnChange();
}

void TCustomListView::Clear() {
    BeginUpdate();
    if (OnDeletion && !FFreeRowsLater)
        FModel->ForEach([this](TListViewItem* Row) { OnDeletion(Row); });
    FModel->RemoveAll();
    if (FSelCount > 0) FSelectionLost = true;
    FSelCount = 0;
    FFocusedRow = nullptr;
    EndUpdate();
}

void TCustomListView::ItemChanged(TListViewItem* Row, bool CaptionChanged, bool ImageOnly) {
    if (Row->FDeleted) return;
    if (CaptionChanged) NoteCaption(Row->FCaption);
    FModel->RowChanged(Row, CaptionChanged, ImageOnly);
}

int TCustomListView::CompareItems(const TListViewItem* I1, const TListViewItem* I2) const {
    if (OnCompare) return OnCompare(I1, I2);
    return CompareCaptions(I1->FCaption, I2->FCaption);
}

void TCustomListView::AlphaSort() {
    FModel->Sort();
}

// ---- selection ---------------------------------------------------------------------------------

void TCustomListView::SelectionChanged(const QItemSelection& Selected,
                                       const QItemSelection& Deselected) {
    if (FModel->Resetting()) return;
    auto Mark = [this](const QItemSelection& S, bool Value) {
        for (const QItemSelectionRange& R : S)
            for (int I = R.top(); I <= R.bottom(); ++I) {
                TListViewItem* Row = FModel->RowAt(I);
                if (!Row || Row->FDeleted || Row->FSelected == Value) continue;
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
    FModel->SettleWaiting();
    if (FModel->Resetting()) {
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
    FModel->SettleWaiting();
    if (FModel->Resetting()) {
        FModel->ForEach([](TListViewItem* X) { X->FSelected = false; });
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
    FSelection->setCurrentIndex(IndexOfItem(R),
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TCustomListView::RestoreSelection() {
    FRestoring = true;
    QItemSelection S;
    int Start = -1;
    const int N = FModel->RowCount();
    for (int I = 0; I <= N; ++I) {
        const bool Sel = I < N && FModel->RowAt(I)->FSelected;
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
    for (int I = 0, N = Count(); I < N; ++I)
        if (FModel->RowAt(I)->FSelected) return FModel->RowAt(I);
    return nullptr;
}

TListViewItem* TCustomListView::GetNextSelected(const TListViewItem* Row) const {
    const int N = Count();
    const int From = Row && !Row->FDeleted ? Row->FIndex + 1 : 0;
    for (int I = From; I < N; ++I)
        if (FModel->RowAt(I)->FSelected) return FModel->RowAt(I);
    return nullptr;
}

std::vector<TListViewItem*> TCustomListView::SelectedItems() const {
    std::vector<TListViewItem*> Result;
    if (FSelCount == 0) return Result;
    Count(); // settles deleted rows
    Result.reserve(static_cast<size_t>(FSelCount));
    FModel->ForEach([&](TListViewItem* Row) {
        if (Row->FSelected) Result.push_back(Row);
    });
    return Result;
}

TListViewItem* TCustomListView::ItemFocused() const {
    if (FModel->Resetting()) return FFocusedRow && !FFocusedRow->FDeleted ? FFocusedRow : nullptr;
    return ItemOfIndex(FSelection->currentIndex());
}

void TCustomListView::SetItemFocused(TListViewItem* Row) {
    FModel->SettleWaiting();
    if (FModel->Resetting()) {
        FFocusedRow = Row;
        return;
    }
    FSelection->setCurrentIndex(IndexOfItem(Row), QItemSelectionModel::NoUpdate);
}

void TCustomListView::SelectAll() {
    const int N = Count();
    if (N == 0) return;
    FModel->SettleWaiting();
    if (FModel->Resetting()) {
        FModel->ForEach([](TListViewItem* Row) { Row->FSelected = true; });
        FSelCount = N;
        return;
    }
    FSelection->select(QItemSelection(FModel->index(0, 0), FModel->index(N - 1, 0)),
                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TCustomListView::ClearSelection() {
    if (FModel->Resetting()) {
        FModel->ForEach([](TListViewItem* Row) { Row->FSelected = false; });
        FSelCount = 0;
        return;
    }
    FSelection->clearSelection();
}

void TCustomListView::MakeVisible(TListViewItem* Row) {
    FModel->SettleWaiting();
    if (!FModel->Resetting() && Row && !Row->FDeleted)
        ActivePane()->scrollTo(IndexOfItem(Row), QAbstractItemView::EnsureVisible);
}

TListViewItem* TCustomListView::ItemAt(const QPoint& Point) const {
    return ItemOfIndex(ActivePane()->indexAt(Point));
}

// ---- editing -----------------------------------------------------------------------------------

bool TCustomListView::IsEditing() const {
    if (FViewStyle == vsReport) return FReportPane->Editing();
    return FIconPane->Editing();
}

bool TCustomListView::EditCaption(TListViewItem* Row) {
    FModel->SettleWaiting();
    if (!Row || Row->FDeleted || FModel->Resetting() || IsEditing()) return false;
    QAbstractItemView* Pane = ActivePane();
    const QModelIndex I = IndexOfItem(Row);
    Pane->scrollTo(I);
    Pane->edit(I);
    return IsEditing();
}

void TCustomListView::EndEditing() {
    if (FViewStyle == vsReport)
        FReportDelegate->EndEditing(FReportPane);
    else
        FIconDelegate->EndEditing(FIconPane);
}

void TCustomListView::CommitEdit(const QModelIndex& Index, const QString& Text) {
    TListViewItem* Row = ItemOfIndex(Index);
    if (!Row || Row->FDeleted) return;
    std::string S = FromQString(Text);
    if (OnEdited) OnEdited(Row, S);
    if (!Row->FDeleted) Row->SetCaption(S);
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
            if (!DroppedFileNames(D->mimeData()).empty()) {
                D->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* D = static_cast<QDropEvent*>(Event);
            std::vector<std::string> Names = DroppedFileNames(D->mimeData());
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
