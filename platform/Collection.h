// TCollection / TCollectionItem: an owned, ordered collection of items that know their position.
//
// Creating an item with a collection appends it; deleting an item removes it from its collection;
// the collection deletes its items (Clear goes from the last item to the first). An item's Index
// is kept in the item, so it is read in constant time. Single-threaded: the owner's thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TCollection;

class TCollectionItem {
public:
    explicit TCollectionItem(TCollection* Collection);
    virtual ~TCollectionItem();
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (appended) or out of any (nullptr).
    void SetCollection(TCollection* Value);
    int Index() const { return FIndex; }
    // Moves the item to position Value inside its collection.
    virtual void SetIndex(int Value);
    virtual void Assign(const TCollectionItem& Source);
    virtual const char* ClassName() const { return "TCollectionItem"; }

protected:
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int32_t FIndex = -1;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection {
public:
    TCollection() = default;
    virtual ~TCollection();
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    // Room for N items without growing again.
    void Reserve(size_t N) { FItems.reserve(N); }
    // Raises EListError outside 0 .. Count-1.
    TCollectionItem* GetItem(int Index) const;
    TCollectionItem* operator[](int Index) const { return FItems[Index]; }
    // Deletes every item, from the last to the first.
    virtual void Clear();
    void Delete(int Index);
    void Exchange(int I, int J);
    // Moves an item from one position to another, shifting the ones between.
    void Move(int From, int To);
    // Deletes every item for which Doomed is true, from the last to the first, and closes the
    // gaps once at the end: linear in the size of the collection however many items go (deleting
    // items one by one from the middle costs a shift of the rest each). While the items are
    // deleted their slots are already empty: their destructors must not walk this collection.
    void DeleteItems(const std::vector<bool>& Doomed);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    virtual void Assign(const TCollection& Source);
    virtual const char* ClassName() const { return "TCollection"; }

    const std::vector<TCollectionItem*>& Items() const { return FItems; }

protected:
    // Called when items were added or removed or have changed (not while updating).
    virtual void Update(TCollectionItem* Item) { (void)Item; }
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {
        (void)Item;
        (void)Action;
    }
    // Reorders the items by a permutation given as the new order; indices are renumbered.
    void Reorder(std::vector<TCollectionItem*> NewOrder);
    // Told after Exchange or Move (SetIndex included) changed the order of the items.
    virtual void Moved() {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void Renumber(int From, int To);

    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    bool FBulkDelete = false; // DeleteItems runs: a removed item leaves an empty slot
};
