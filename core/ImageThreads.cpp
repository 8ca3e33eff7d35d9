#include "ImageThreads.h"

#include "core/TreeItems.h"
#include "core/ViewLinks.h"

// ---- TCatalogThread ----------------------------------------------------------------------------

TCatalogThread::TCatalogThread() {
    // An empty removable drive raises no system dialog on Linux, so nothing has to be switched
    // off for the icon lookups here.
    SetPriority(tpIdle);
}

void TCatalogThread::UpdateImage(const std::function<TBasicItem*()>& Resolve) {
    if (FSelectedIndex <= -1 && FImageIndex <= -1) return; // nothing would change
    Synchronize([&] {
        if (TBasicItem* Item = Resolve()) ApplyImage(Item);
    });
}

void TCatalogThread::ApplyImage(TBasicItem* Item) {
    if (FSelectedIndex > -1) Item->SetSelectedIndex(FSelectedIndex);
    if (FImageIndex > -1) Item->SetImageIndex(FImageIndex);
}

// ---- TListImageThread --------------------------------------------------------------------------

TListImageThread::TListImageThread(TListView* View) : FView(View) {
    if (!View) return;
    FRows.reserve(static_cast<size_t>(View->Count()));
    for (int I = 0; I < View->Count(); ++I) {
        TListItem* Row = View->Item(I);
        if (TBasicItem* Item = Row ? Row->Data() : nullptr)
            FRows.push_back({Row, Item, ItemImageFacts(Item)});
    }
}

TListImageThread::~TListImageThread() {
    StopAndWait();
}

void TListImageThread::ProcessItems() {
    for (size_t I = 0; I < FRows.size() && !Terminated(); ++I) {
        const TRowFacts& R = FRows[I];
        FSelectedIndex = -1;
        FImageIndex = ItemImageIndexOf(R.Facts, false);
        UpdateImage([&]() -> TBasicItem* {
            // The row must still be in the list (it is compared, not followed, until then), and
            // still show the same item: a destroyed item has taken its row with it.
            int At = static_cast<int>(I);
            if (At >= FView->Count() || FView->Item(At) != R.Row) At = FView->IndexOf(R.Row);
            if (At < 0) return nullptr;
            return R.Row->Data() == R.Item ? R.Item : nullptr;
        });
    }
}

// ---- TTreeImageThread --------------------------------------------------------------------------

TTreeImageThread::TTreeImageThread(TTreeNode* Root) : FRoot(Root) {
    if (!Root) return;
    struct TFrame {
        TTreeNode* Node;
        int Next;
    };
    std::vector<TFrame> Stack{{Root, 0}};
    std::vector<int> Path;
    while (!Stack.empty()) {
        TFrame& F = Stack.back();
        if (F.Next >= F.Node->ChildCount()) {
            Stack.pop_back();
            if (!Path.empty()) Path.pop_back();
            continue;
        }
        int At = F.Next++;
        TTreeNode* Child = F.Node->Child(At);
        Path.push_back(At);
        if (TBasicItem* Item = Child->Data())
            FNodes.push_back({Child, Item, Path, ItemImageFacts(Item)});
        Stack.push_back({Child, 0});
    }
}

TTreeImageThread::~TTreeImageThread() {
    StopAndWait();
}

void TTreeImageThread::ProcessItems() {
    for (size_t I = 0; I < FNodes.size() && !Terminated(); ++I) {
        const TNodeFacts& N = FNodes[I];
        FSelectedIndex = ItemImageIndexOf(N.Facts, true);
        FImageIndex = ItemImageIndexOf(N.Facts, false);
        UpdateImage([&]() -> TBasicItem* {
            TTreeNode* Node = FRoot;
            for (int At : N.Path) {
                if (At >= Node->ChildCount()) return nullptr;
                Node = Node->Child(At);
            }
            return Node == N.Node && Node->Data() == N.Item ? N.Item : nullptr;
        });
    }
}

// ---- TCatalogImageThread -----------------------------------------------------------------------

TCatalogImageThread::TCatalogImageThread(TBasicItems* Root) : FRoot(Root) {}

TCatalogImageThread::~TCatalogImageThread() {
    StopAndWait();
}

TBasicItems* TCatalogImageThread::CollectionAt(const std::vector<int>& Path) const {
    TBasicItems* C = FRoot;
    for (size_t K = 0; C && K + 1 < Path.size(); ++K) {
        if (Path[K] >= C->Count()) return nullptr;
        C = C->At(Path[K])->Children();
    }
    return C;
}

void TCatalogImageThread::ProcessItems() {
    if (!FRoot) return;
    std::vector<int> Path{0};
    while (!Path.empty() && !Terminated()) {
        TBasicItem* Item = nullptr;
        TItemImageFacts Facts;
        bool NeedImage = false, NeedSelected = false;
        Synchronize([&] {
            TBasicItems* C = CollectionAt(Path);
            if (!C || Path.back() >= C->Count()) return;
            Item = C->At(Path.back());
            Facts = ItemImageFacts(Item);
            NeedImage = Item->ImageIndex() == -1;
            NeedSelected = Item->SelectedIndex() == -1;
        });
        if (!Item) {
            // The end of a collection: on with the item after its folder.
            Path.pop_back();
            if (!Path.empty()) ++Path.back();
            continue;
        }
        FImageIndex = NeedImage ? ItemImageIndexOf(Facts, false) : -1;
        FSelectedIndex = NeedSelected ? ItemImageIndexOf(Facts, true) : -1;
        int Position = Path.back();
        bool Descend = false;
        Synchronize([&] {
            TBasicItems* C = CollectionAt(Path);
            if (!C || Position >= C->Count() || C->At(Position) != Item) return;
            ApplyImage(Item);
            Position = Item->Index();
            Descend = Item->Children() && Item->Children()->Count() > 0;
        });
        Path.back() = Position;
        if (Descend)
            Path.push_back(0);
        else
            ++Path.back();
    }
}
