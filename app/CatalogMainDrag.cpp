// The main window's drag and drop: folders and located files are moved by dragging them between
// the folder tree and the folder list, and keywords are attached by dragging rows of the keyword
// pane onto nodes and rows. The rules themselves are app/ItemMoves.h; here the views' mouse and
// drag events are watched and the moves are carried out in the panes.
#include "CatalogMain.h"

#include "app/ItemMoves.h"
#include "app/ListPanes.h"
#include "core/CatalogGlobals.h"
#include "core/FindThread.h"
#include "core/ImageThreads.h"
#include "core/TreeItems.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <unordered_set>
#include <vector>

namespace {

// Calls Fn for Node and the nodes below it (none for a null Node); Fn answers whether to go on
// below the node it was given. Children still to come are made where the walk goes on.
template <class TFn>
void ForEachNodeBelow(TTreeViewNode* Node, TFn Fn) {
    std::vector<TTreeViewNode*> Stack;
    if (Node) Stack.push_back(Node);
    while (!Stack.empty()) {
        TTreeViewNode* N = Stack.back();
        Stack.pop_back();
        if (!Fn(N)) continue;
        for (int I = 0; I < N->ChildCount(); ++I)
            Stack.push_back(N->Child(I));
    }
}

} // namespace

std::vector<QWidget*> TfmCatalogMain::DragViewports() const {
    return {tvMain->viewport(), lvMain->IconPane()->viewport(), lvMain->ReportPane()->viewport(),
            lvKey->IconPane()->viewport(), lvKey->ReportPane()->viewport()};
}

void TfmCatalogMain::ConnectDragAndDrop() {
    for (QWidget* V : DragViewports())
        V->installEventFilter(this);
    for (QWidget* V : {tvMain->viewport(), static_cast<QWidget*>(lvMain->IconPane()->viewport()),
                       static_cast<QWidget*>(lvMain->ReportPane()->viewport())})
        V->setAcceptDrops(true);
    tvMain->setAcceptDrops(true);
}

QMimeData* TfmCatalogMain::NewPaneDragData(TDragSource Source) const {
    auto* Data = new QMimeData;
    Data->setData(QString::fromLatin1(PaneDragMimeType),
                  QByteArray::fromStdString(PaneDragData(Source, this)));
    return Data;
}

bool TfmCatalogMain::eventFilter(QObject* Watched, QEvent* Event) {
    const QEvent::Type T = Event->type();
    const bool Mouse =
        T == QEvent::MouseButtonPress || T == QEvent::MouseMove || T == QEvent::MouseButtonRelease;
    const bool Drag = T == QEvent::DragEnter || T == QEvent::DragMove || T == QEvent::Drop;
    // Other events (also those of panes being destroyed) are none of drag and drop's business.
    if (!Mouse && !Drag) return TCustomForm::eventFilter(Watched, Event);
    QWidget* Pane = Watched == tvMain->viewport() ? tvMain : nullptr;
    for (TCustomListView* L : {static_cast<TCustomListView*>(lvMain), lvKey})
        if (Watched == L->IconPane()->viewport() || Watched == L->ReportPane()->viewport())
            Pane = L;
    if (!Pane) return TCustomForm::eventFilter(Watched, Event);
    if (Mouse) return PaneMouseEvent(Pane, static_cast<QMouseEvent*>(Event));
    // The keyword pane takes no drops.
    return Pane != lvKey && PaneDragEvent(Pane, static_cast<QDropEvent*>(Event));
}

// ---- starting a drag ---------------------------------------------------------------------------

bool TfmCatalogMain::PaneMouseEvent(QWidget* Pane, QMouseEvent* E) {
    const QPoint P = E->position().toPoint();
    if (E->type() == QEvent::MouseButtonPress) {
        if (E->button() == Qt::LeftButton) {
            FDownPoint = P;
            FDragPane = Pane;
            FDownOnEntry = Pane == tvMain
                               ? tvMain->NodeAt(P) != nullptr
                               : static_cast<TCustomListView*>(Pane)->ItemAt(P) != nullptr;
        }
        return false;
    }
    if (E->type() == QEvent::MouseButtonRelease) {
        if (E->button() == Qt::LeftButton) {
            FDownPoint = QPoint(-1, -1);
            FDragPane = nullptr;
        }
        return false;
    }
    if (!(E->buttons() & Qt::LeftButton) || FDragPane != Pane) return false;
    // A move that began on a node or row belongs to drag and drop, never to the view's own
    // drag-to-select: that would leave only the pressed row selected, or select the node under
    // the pointer, before the drag starts. A move that began over empty space selects as usual.
    const bool Consume = FDownOnEntry;
    TDragSource Source = TDragSource::None;
    if (Pane == tvMain) {
        // The node pressed on, dragged once the pointer has left it far enough.
        TTreeViewNode* Down = tvMain->NodeAt(FDownPoint);
        if (!Down || !CanDragItem(Down->Data(), TDragSource::Tree) ||
            !DragStarts(FDownPoint, P, tvMain->NodeAt(P) != Down))
            return Consume;
        Source = TDragSource::Tree;
    } else if (Pane == lvMain) {
        TListViewItem* Row = lvMain->Selected();
        if (!Row || !CanDragItem(Row->Data(), TDragSource::List) ||
            !DragStarts(FDownPoint, P, lvMain->ItemAt(P) != lvMain->ItemAt(FDownPoint)))
            return Consume;
        Source = TDragSource::List;
    } else {
        // Keywords drag as any list's rows do, after the desktop's own distance.
        if (lvKey->SelCount() == 0 || !lvKey->ItemAt(FDownPoint) ||
            (P - FDownPoint).manhattanLength() < QApplication::startDragDistance())
            return Consume;
        Source = TDragSource::KeyWords;
    }
    FDownPoint = QPoint(-1, -1);
    FDragPane = nullptr;
    if (OnStartDrag) {
        OnStartDrag(Source);
        return true;
    }
    auto* Drag = new QDrag(Pane);
    Drag->setMimeData(NewPaneDragData(Source));
    Drag->exec(Source == TDragSource::KeyWords ? Qt::CopyAction : Qt::MoveAction);
    return true;
}

// ---- dropping ----------------------------------------------------------------------------------

TBasicItem* TfmCatalogMain::DropTarget(QWidget* Pane, const QPoint& P) const {
    if (Pane == tvMain) {
        TTreeViewNode* Node = tvMain->NodeAt(P);
        return Node ? Node->Data() : nullptr;
    }
    TListViewItem* Row = lvMain->ItemAt(P);
    return Row ? Row->Data() : nullptr;
}

bool TfmCatalogMain::AcceptsDrop(QWidget* Pane, TDragSource Source, const QPoint& P) const {
    TBasicItem* Target = DropTarget(Pane, P);
    TTreeViewNode* Selected = tvMain->Selected();
    TBasicItem* Current = Selected ? Selected->Data() : nullptr;
    std::vector<TBasicItem*> Rows;
    for (TListViewItem* Row : lvMain->SelectedItems())
        if (Row->Data()) Rows.push_back(Row->Data());
    return Pane == tvMain ? TreeAcceptsDrop(Source, Target, Current, Rows)
                          : ListAcceptsDrop(Source, Target, Current, Rows);
}

bool TfmCatalogMain::PaneDragEvent(QWidget* Pane, QDropEvent* E) {
    const QByteArray Data = E->mimeData()->data(QString::fromLatin1(PaneDragMimeType));
    const TDragSource Source = PaneDragSource(Data.toStdString(), this);
    if (Source == TDragSource::None) return false;
    const QPoint P = E->position().toPoint();
    const Qt::DropAction Action = Source == TDragSource::KeyWords ? Qt::CopyAction : Qt::MoveAction;
    if (E->type() == QEvent::DragEnter) {
        // Taken in, so that the moves over the pane follow; each move decides.
        E->setDropAction(Action);
        E->accept();
        return true;
    }
    const bool Accept = isEnabled() && AcceptsDrop(Pane, Source, P);
    if (E->type() == QEvent::DragMove) {
        E->setDropAction(Action);
        E->setAccepted(Accept);
        return true;
    }
    if (!Accept) {
        E->ignore();
        return true;
    }
    E->setDropAction(Action);
    E->accept();
    Run([&] { _DragDrop(Pane, Source, P); });
    ScheduleUpdateActions();
    return true;
}

void TfmCatalogMain::_DragDrop(QWidget* Pane, TDragSource Source, const QPoint& P) {
    TBasicItem* Target = DropTarget(Pane, P);
    if (!Target) return;
    if (Source == TDragSource::KeyWords) {
        std::vector<TKeyWordItem*> Keys;
        for (TListViewItem* Row : lvKey->SelectedItems())
            if (TKeyWordItem* K = KeyWordOf(Row)) Keys.push_back(K);
        AttachKeyWords(Keys, Target);
        return;
    }
    // No worker may walk the items while they move.
    StopThread(FFindThread.get());
    StopThread(FListImageThread.get());
    std::vector<TBasicItem*> Items;
    if (Source == TDragSource::Tree) {
        if (TTreeViewNode* Node = tvMain->Selected(); Node && Node->Data())
            Items.push_back(Node->Data());
    } else {
        for (TListViewItem* Row : lvMain->SelectedItems())
            if (Row->Data()) Items.push_back(Row->Data());
    }
    {
        TUpdateBracket<TCustomTreeView> Nodes(tvMain);
        // The nodes below the destination and the moved folders grow again: those that were
        // open open again. Only the nodes made so far are looked at (a node whose children are
        // still to come has none open below it), and only the way to an open one is made again:
        // a drop never makes the nodes of a whole branch.
        std::unordered_set<const TBasicItem*> Open, Above;
        const auto NoteOpen = [&](TTreeViewNode* N) {
            if (N->Expanded()) {
                Open.insert(N->Data());
                for (TTreeViewNode* P = N->Parent(); P; P = P->Parent())
                    if (!Above.insert(P->Data()).second) break;
            }
            return !N->Pending();
        };
        auto* TargetNode = dynamic_cast<TTreeViewNode*>(Target->TreeNode());
        ForEachNodeBelow(TargetNode, NoteOpen);
        bool FolderMoved = false;
        for (TBasicItem* Item : Items) {
            auto* OldNode = dynamic_cast<TTreeViewNode*>(Item->TreeNode());
            ForEachNodeBelow(OldNode, NoteOpen);
            if (!MoveItem(Item, Target)) continue;
            if (OldNode) {
                tvMain->DeleteNode(OldNode);
                FolderMoved = true;
            }
        }
        // The moved folders' nodes grow again under the destination's node, in sight.
        if (FolderMoved) RefreshTreeNode(TargetNode);
        ForEachNodeBelow(TargetNode, [&](TTreeViewNode* N) {
            if (Open.count(N->Data())) N->Expand(false);
            return N == TargetNode || Above.count(N->Data()) > 0;
        });
        if (TargetNode) TargetNode->Expand(false);
    }
    // The list of the folder shown loses the rows that moved away; the icons start again.
    SetCurrentFolder(CurrentFolder);
    if (TTreeViewNode* Node = tvMain->Selected()) tvMain->scrollTo(tvMain->IndexOfNode(Node));
    if (lvResult->Count() > 0) RefreshResults();
}
