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
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

class TCustomCatalogItem;

class TClientList {
    // The entries: a growing array of pointers kept with realloc, which moves a large block by
    // remapping its pages (a row of millions of items grows without copies and without clearing
    // its old pages again).
    class TSlots {
    public:
        TSlots() = default;
        ~TSlots() { std::free(FData); }
        TSlots(const TSlots&) = delete;
        TSlots& operator=(const TSlots&) = delete;
        size_t size() const { return FSize; }
        size_t capacity() const { return FCapacity; }
        bool empty() const { return FSize == 0; }
        TCustomCatalogItem*& operator[](size_t I) { return FData[I]; }
        TCustomCatalogItem* operator[](size_t I) const { return FData[I]; }
        TCustomCatalogItem* back() const { return FData[FSize - 1]; }
        TCustomCatalogItem** begin() const { return FData; }
        TCustomCatalogItem** end() const { return FData + FSize; }
        void push_back(TCustomCatalogItem* P) {
            if (FSize == FCapacity) reserve(FCapacity ? 2 * FCapacity : 4);
            FData[FSize++] = P;
        }
        void pop_back() { --FSize; }
        // Shrinking only.
        void resize(size_t N) { FSize = N < FSize ? N : FSize; }
        void clear() { FSize = 0; }
        void reserve(size_t N);
        void shrink_to_fit();

    private:
        TCustomCatalogItem** FData = nullptr;
        size_t FSize = 0, FCapacity = 0;
    };

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
    // Appends Item, which the caller knows is not in the list (an item just read): no search.
    void AddFresh(TCustomCatalogItem* Item);
    // The same for N items at once, in their order.
    void AddFresh(TCustomCatalogItem* const* Items, size_t N);
    // Room for N more entries, growing as appends one by one would.
    void Reserve(size_t N);
    // Removes Item when present; returns true when it was removed.
    bool Remove(TCustomCatalogItem* Item);
    // The most recently added entry still present; null when empty.
    TCustomCatalogItem* Last() const { return FSlots.empty() ? nullptr : FSlots.back(); }
    void Clear();
    // Empties the list without touching its items: for a caller that has just unlinked each of
    // them itself (one pass over millions of items instead of two).
    void Forget();

    class Iterator {
    public:
        Iterator(const TSlots* V, size_t I) : FV(V), FI(I) { Skip(); }
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
        const TSlots* FV;
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
    TSlots FSlots;
    size_t FCount = 0;
    std::unique_ptr<std::unordered_map<const TCustomCatalogItem*, uint32_t>> FIndex;
};
