#include "KeyWords.h"

#include "core/TreeItems.h"

#include <algorithm>
#include <unordered_set>

QM_DEFINE_ITEM_CLASS(TKeyWordItem, TCatalogClientItem);

TKeyWordItem::TKeyWordItem(TCustomCatalogItems* Collection) : TCatalogClientItem(Collection) {}

TKeyWordItem::~TKeyWordItem() {
    // Here, not in the base destructor, so that every item's side is unlinked too.
    ClearClients();
}

void TKeyWordItem::AddClient(TCustomCatalogItem* Item) {
    TCatalogClientItem::AddClient(Item);
    if (auto* B = dynamic_cast<TBasicItem*>(Item)) B->LinkKeyWord(this);
}

void TKeyWordItem::RemoveClient(TCustomCatalogItem* Item) {
    TCatalogClientItem::RemoveClient(Item);
    if (auto* B = dynamic_cast<TBasicItem*>(Item)) B->UnlinkKeyWord(this);
}

TKeyWordState NextKeyWordState(int S) {
    switch (S) {
    case ksNormal: return ksInclude;
    case ksInclude: return ksExclude;
    default: return ksNormal;
    }
}

TKeyWordItems::TKeyWordItems(TBasicItem* Owner, TItemClass ItemClass)
    : TCustomCatalogItems(ItemClass), FOwner(Owner) {}

bool TKeyWordItems::AcceptsClass(TItemClass C) const {
    return C == &TKeyWordItem::Class;
}

void TKeyWordItems::FindItems(std::vector<TBasicItem*>& Results, bool MatchAny) const {
    std::vector<TKeyWordItem*> Inc, Exc;
    for (int I = 0; I < Count(); ++I) {
        if (At(I)->State() == ksInclude)
            Inc.push_back(At(I));
        else if (At(I)->State() == ksExclude)
            Exc.push_back(At(I));
    }
    Results.clear();
    if (Inc.empty()) return;
    auto Excluded = [&](TCustomCatalogItem* C) {
        return std::any_of(Exc.begin(), Exc.end(),
                           [&](TKeyWordItem* K) { return K->Clients().Contains(C); });
    };
    if (MatchAny) {
        std::unordered_set<TCustomCatalogItem*> Present;
        for (TKeyWordItem* K : Inc)
            for (TCustomCatalogItem* C : K->Clients())
                if (!Excluded(C) && Present.insert(C).second)
                    Results.push_back(static_cast<TBasicItem*>(C));
        return;
    }
    // Every included keyword: walk the one with the fewest clients (the first on a tie).
    TKeyWordItem* Base = Inc.front();
    for (TKeyWordItem* K : Inc)
        if (K->Clients().Count() < Base->Clients().Count()) Base = K;
    for (TCustomCatalogItem* C : Base->Clients()) {
        if (Excluded(C)) continue;
        if (std::all_of(Inc.begin(), Inc.end(),
                        [&](TKeyWordItem* K) { return K->Clients().Contains(C); }))
            Results.push_back(static_cast<TBasicItem*>(C));
    }
}
