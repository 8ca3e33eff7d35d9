#include "ClientList.h"

#include <algorithm>
#include <new>

namespace {
// Below this many entries a linear search is faster than keeping a hash index.
constexpr size_t HashThreshold = 16;
} // namespace

long TClientList::Find(TCustomCatalogItem* Item) const {
    if (!Item) return -1;
    if (FSlotOf) {
        int32_t S = *FSlotOf(Item);
        return S >= 0 && static_cast<size_t>(S) < FSlots.size() && FSlots[S] == Item ? S : -1;
    }
    if (FIndex) {
        auto It = FIndex->find(Item);
        return It == FIndex->end() ? -1 : static_cast<long>(It->second);
    }
    for (size_t I = 0; I < FSlots.size(); ++I)
        if (FSlots[I] == Item) return static_cast<long>(I);
    return -1;
}

void TClientList::SetSlot(TCustomCatalogItem* Item, long Pos) {
    if (FSlotOf) {
        *FSlotOf(Item) = static_cast<int32_t>(Pos);
    } else if (FIndex) {
        if (Pos < 0)
            FIndex->erase(Item);
        else
            (*FIndex)[Item] = static_cast<uint32_t>(Pos);
    }
}

bool TClientList::Add(TCustomCatalogItem* Item) {
    if (!Item || Find(Item) >= 0) return false;
    AddFresh(Item);
    return true;
}

void TClientList::AddFresh(TCustomCatalogItem* Item) {
    FSlots.push_back(Item);
    ++FCount;
    if (!FSlotOf && !FIndex && FSlots.size() > HashThreshold) {
        FIndex = std::make_unique<std::unordered_map<const TCustomCatalogItem*, uint32_t>>();
        FIndex->reserve(FSlots.size() * 2);
        for (size_t I = 0; I < FSlots.size(); ++I)
            if (FSlots[I]) (*FIndex)[FSlots[I]] = static_cast<uint32_t>(I);
    } else {
        SetSlot(Item, static_cast<long>(FSlots.size() - 1));
    }
}

void TClientList::AddFresh(TCustomCatalogItem* const* Items, size_t N) {
    Reserve(N);
    for (size_t I = 0; I < N; ++I) {
        // Items just read lie far apart in memory: ask for the next ones early.
        if (I + 16 < N) __builtin_prefetch(Items[I + 16], 1);
        AddFresh(Items[I]);
    }
}

void TClientList::TSlots::reserve(size_t N) {
    if (N <= FCapacity) return;
    auto* P = static_cast<TCustomCatalogItem**>(std::realloc(FData, N * sizeof(*FData)));
    if (!P) throw std::bad_alloc();
    FData = P;
    FCapacity = N;
}

void TClientList::TSlots::shrink_to_fit() {
    if (FSize == FCapacity) return;
    if (FSize == 0) {
        std::free(FData);
        FData = nullptr;
        FCapacity = 0;
        return;
    }
    if (auto* P = static_cast<TCustomCatalogItem**>(std::realloc(FData, FSize * sizeof(*FData)))) {
        FData = P;
        FCapacity = FSize;
    }
}

void TClientList::Reserve(size_t N) {
    size_t Need = FSlots.size() + N;
    if (Need > FSlots.capacity()) FSlots.reserve(std::max(Need, 2 * FSlots.capacity()));
}

bool TClientList::Remove(TCustomCatalogItem* Item) {
    long Pos = Find(Item);
    if (Pos < 0) return false;
    FSlots[Pos] = nullptr;
    SetSlot(Item, -1);
    --FCount;
    while (!FSlots.empty() && !FSlots.back())
        FSlots.pop_back();
    if (FSlots.size() > 64 && FSlots.size() > 2 * FCount) Compact();
    return true;
}

void TClientList::Compact() {
    size_t J = 0;
    for (size_t I = 0; I < FSlots.size(); ++I) {
        if (!FSlots[I]) continue;
        FSlots[J] = FSlots[I];
        SetSlot(FSlots[J], static_cast<long>(J));
        ++J;
    }
    FSlots.resize(J);
    FSlots.shrink_to_fit();
}

void TClientList::Clear() {
    for (TCustomCatalogItem* Item : FSlots)
        if (Item && FSlotOf) *FSlotOf(Item) = -1;
    Forget();
}

void TClientList::Forget() {
    FSlots.clear();
    FIndex.reset();
    FCount = 0;
}

std::vector<TCustomCatalogItem*> TClientList::Snapshot() const {
    std::vector<TCustomCatalogItem*> R;
    R.reserve(FCount);
    for (TCustomCatalogItem* Item : *this)
        R.push_back(Item);
    return R;
}
