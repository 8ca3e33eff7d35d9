#include "Collection.h"

#include "Exceptions.h"

#include <algorithm>

TCollectionItem::TCollectionItem(TCollection* Collection) {
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (FCollection == Value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

void TCollectionItem::SetIndex(int Value) {
    if (!FCollection) return;
    int Cur = FIndex;
    if (Value < 0) Value = 0;
    if (Value >= FCollection->Count()) Value = FCollection->Count() - 1;
    if (Value != Cur) {
        FCollection->Move(Cur, Value);
        Changed(true);
    }
}

void TCollectionItem::Assign(const TCollectionItem& Source) {
    RaiseAssignError(Source.ClassName(), ClassName());
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

TCollection::~TCollection() {
    // Items are unlinked without the (already destroyed) subclass being told.
    for (TCollectionItem* Item : FItems)
        Item->FCollection = nullptr;
    std::vector<TCollectionItem*> Items;
    Items.swap(FItems);
    for (auto It = Items.rbegin(); It != Items.rend(); ++It)
        delete *It;
}

TCollectionItem* TCollection::GetItem(int Index) const {
    if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
    return FItems[Index];
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

void TCollection::Delete(int Index) {
    delete GetItem(Index);
}

void TCollection::Exchange(int I, int J) {
    GetItem(I);
    GetItem(J);
    std::swap(FItems[I], FItems[J]);
    FItems[I]->FIndex = I;
    FItems[J]->FIndex = J;
    if (I != J) Moved();
}

void TCollection::Move(int From, int To) {
    TCollectionItem* Item = GetItem(From);
    GetItem(To);
    if (From < To)
        std::rotate(FItems.begin() + From, FItems.begin() + From + 1, FItems.begin() + To + 1);
    else
        std::rotate(FItems.begin() + To, FItems.begin() + From, FItems.begin() + From + 1);
    (void)Item;
    Renumber(std::min(From, To), std::max(From, To));
    if (From != To) Moved();
}

void TCollection::DeleteItems(const std::vector<bool>& Doomed) {
    if (FBulkDelete) return; // not re-entered from a destructor
    size_t N = std::min(Doomed.size(), FItems.size());
    bool Any = false;
    BeginUpdate();
    FBulkDelete = true;
    // Destructors do not throw, so the gaps are always closed below.
    for (size_t I = N; I-- > 0;) {
        if (!Doomed[I] || !FItems[I]) continue;
        Any = true;
        delete FItems[I];
    }
    FBulkDelete = false;
    if (Any) {
        FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
        Renumber(0, Count() - 1);
    }
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(const TCollection& Source) {
    if (&Source == this) return;
    RaiseAssignError(Source.ClassName(), ClassName());
}

void TCollection::Reorder(std::vector<TCollectionItem*> NewOrder) {
    FItems = std::move(NewOrder);
    Renumber(0, Count() - 1);
}

void TCollection::InsertItem(TCollectionItem* Item) {
    Item->FCollection = this;
    Item->FIndex = Count();
    FItems.push_back(Item);
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    int I = Item->FIndex;
    if (FBulkDelete && FItems[I] == Item) {
        FItems[I] = nullptr; // DeleteItems closes the gaps once at its end
    } else if (I == Count() - 1) {
        FItems.pop_back();
    } else {
        FItems.erase(FItems.begin() + I);
        Renumber(I, Count() - 1);
    }
    Item->FCollection = nullptr;
    Item->FIndex = -1;
    Changed();
}

void TCollection::Renumber(int From, int To) {
    for (int I = From; I <= To; ++I)
        FItems[I]->FIndex = I;
}
