// TClientList: the clients of a keyword or a file-type row — an ordered set of item references.
//
// Adding keeps insertion order and adding an item twice keeps one entry; both adding and removing
// take constant time (amortised), because one file type may have hundreds of thousands of
// clients. Removed entries leave holes that iteration skips and that are packed away once they
// outnumber the live entries. An item's position is found either through a slot that the item
// keeps itself (a file-type row: each item has one row, so one slot) or through a hash index.
// UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class TCustomCatalogItem;

class TClientList {
public:
    // Returns the address of the slot an item keeps for this list, or null to use a hash index.
    using SlotFn = int32_t* (*)(TCustomCatalogItem* Item);

    explicit TClientList(SlotFn Slot = nullptr) : FSlotOf(Slot) {}
    TClientList(const TClientList&) = delete;
    TClientList& operator=(const TClientList&) = delete;

    int Count() const { return static_cast<int>(FCount); }
    bool IsEmpty() const { return FCount == 0; }
    bool Contains(TCustomCatalogItem* Item) const { return Find(Item) >= 0; }
    // Appends Item unless present; returns true when it was added.
    bool Add(TCustomCatalogItem* Item);
    // Removes Item when present; returns true when it was removed.
    bool Remove(TCustomCatalogItem* Item);
    // The most recently added entry still present; null when empty.
    TCustomCatalogItem* Last() const { return FSlots.empty() ? nullptr : FSlots.back(); }
    void Clear();

    class Iterator {
    public:
        Iterator(const std::vector<TCustomCatalogItem*>* V, size_t I) : FV(V), FI(I) { Skip(); }
        TCustomCatalogItem* operator*() const { return (*FV)[FI]; }
        Iterator& operator++() {
            ++FI;
            Skip();
            return *this;
        }
        bool operator!=(const Iterator& O) const { return FI != O.FI; }

    private:
        void Skip() {
            while (FI < FV->size() && !(*FV)[FI])
                ++FI;
        }
        const std::vector<TCustomCatalogItem*>* FV;
        size_t FI;
    };
    Iterator begin() const { return Iterator(&FSlots, 0); }
    Iterator end() const { return Iterator(&FSlots, FSlots.size()); }
    // A copy of the live entries in order (for walks that change the list).
    std::vector<TCustomCatalogItem*> Snapshot() const;

private:
    long Find(TCustomCatalogItem* Item) const;
    void SetSlot(TCustomCatalogItem* Item, long Pos);
    void Compact();

    SlotFn FSlotOf;
    std::vector<TCustomCatalogItem*> FSlots;
    size_t FCount = 0;
    std::unique_ptr<std::unordered_map<const TCustomCatalogItem*, uint32_t>> FIndex;
};
