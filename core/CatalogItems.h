// The common base of every catalog object (folders, files, keywords, file-type rows), the owned
// collection that holds them, the item that keeps a list of the items referring to it, and the
// catalog error.
//
// Ownership: a collection owns its items; deleting an item removes it from its collection.
// Every change made through these operations marks the open catalog as changed (CatalogModified).
// Items and collections belong to the UI thread; workers only read names while the main window
// is disabled, and a lookup made off the UI thread never reorders a collection.
#pragma once

#include "core/ClientList.h"
#include "core/ItemClass.h"
#include "platform/Collection.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/PackedString.h"
#include "platform/SmallPool.h"

#include <functional>
#include <string>
#include <string_view>

class TReader;
class TWriter;

class ECatalogError : public Exception {
public:
    using Exception::Exception;
};

// Raises ECatalogError with Msg, prefixed by "<ContextName>: " when a named context is given.
[[noreturn]] void RaiseCatalogError(const std::string& Msg, std::string_view ContextName = {});
// Formats Fmt with Args (see Format), then RaiseCatalogError.
[[noreturn]] void RaiseCatalogErrorFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args,
                                       std::string_view ContextName = {});
// Shows an error to the user: a message box titled "Error" when the program has windows (the GUI
// installs ShowCatalogErrorHook), one line on standard output otherwise.
void ShowCatalogError(const std::exception& E);
extern std::function<void(const std::string& Message)> ShowCatalogErrorHook;

class TCustomCatalogItems;

// Collections nest at most this deep in a catalog file (the root's children are the first
// level). Reading and writing refuse anything deeper, so nothing deeper may be built either.
constexpr int MaxCatalogNesting = 65536;

// The nesting level of the collection the calling thread is reading (1: the root's children; 0
// outside any), for a thread that goes on reading below that level in another's stead.
int ReadNestingLevel();
void SetReadNestingLevel(int Level);

class TCustomCatalogItem : public TCollectionItem {
public:
    static const TItemClassInfo Class;
    explicit TCustomCatalogItem(TCustomCatalogItems* Collection);
    ~TCustomCatalogItem() override;

    virtual TItemClass ClassType() const { return &Class; }
    const char* ClassName() const override { return ClassType()->Name; }
    bool InheritsFrom(TItemClass C) const { return ClassType()->InheritsFrom(C); }
    // The word from which default names are formed ("KeyWord", "Virtual Folder", ...).
    virtual std::string ClassCaption() const { return "CustomCatalogItem"; }

    TCustomCatalogItems* Items() const;
    std::string_view Name() const { return FName; }
    const PackedString& PackedName() const { return FName; }
    std::string_view Comment() const { return FComment; }
    bool UniqueNames() const { return FUniqueNames; }
    void SetUniqueNames(bool V) { FUniqueNames = V; }

    // The caption shown everywhere: Name, or a default name made from ClassCaption.
    std::string DisplayName() const { return GetDisplayName(); }
    virtual std::string GetDisplayName() const;
    // The rename entry of views, dialogs and scans (unique names inside the collection).
    void SetItemName(std::string_view Value) { SetDisplayName(Value); }
    virtual void SetDisplayName(std::string_view Value);
    void SetComment(std::string_view Value);

    // Field writes for loading and scanning: no rename rules and no change mark.
    void SetNameField(const PackedString& Value);
    void SetCommentField(const PackedString& Value) { FComment = Value; }

    // Copies Name and Comment from another catalog item (not the caption, not the flag).
    void Assign(const TCollectionItem& Source) override;

    // Name and Comment, then ReadFields.
    virtual void LoadFromReader(TReader& Reader);
    // The first part of LoadFromReader: Name and Comment.
    void ReadHeader(TReader& Reader);
    virtual void SaveToWriter(TWriter& Writer);
    virtual void ReadFields(TReader& Reader);
    virtual void WriteFields(TWriter& Writer);
    // Whether the user may rename the item.
    virtual bool CanRename() const { return false; }

private:
    bool FUniqueNames = true; // first: it fits in the collection item's padding
    PackedString FName;
    PackedString FComment;
};

// An owned collection of catalog items, kept sorted by name (case-insensitive, the user's
// locale) and looked up by binary search. The order is tracked: a lookup sorts only when the
// collection is out of order, the sort is stable, and only the UI thread sorts (other threads
// search linearly instead).
class TCustomCatalogItems : public TCollection {
public:
    TCustomCatalogItems(TItemClass ItemClass);
    ~TCustomCatalogItems() override;
    // Every folder has a collection: they live in the small-object pool, as the items do.
    static void* operator new(size_t Size) { return AllocateSmall(Size); }
    static void operator delete(void* P, size_t Size) noexcept { FreeSmall(P, Size); }

    const char* ClassName() const override { return "TCustomCatalogItems"; }
    TItemClass ItemClass() const { return FItemClass; }
    TCustomCatalogItem* Items(int Index) const {
        return static_cast<TCustomCatalogItem*>(GetItem(Index));
    }
    TCustomCatalogItem* At(int Index) const {
        return static_cast<TCustomCatalogItem*>((*this)[Index]);
    }

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    void Sort();
    // Position of an item named Name (case-insensitive), -1 when none.
    int IndexOfName(std::string_view Name);
    // Whether an item other than Self is named Name (case-insensitive).
    bool NameTaken(std::string_view Name, const TCustomCatalogItem* Self);
    int IndexOfItem(const TCustomCatalogItem* Item) const;
    // The first of Base+"1", Base+"2", ... that no item bears.
    std::string MakeUniqueName(std::string_view Base);

    TCustomCatalogItem* CreateItemByClassName(std::string_view ClassName);
    TCustomCatalogItem* CreateItemOfClass(TItemClass ItemClass);
    // Recreates every item of Source by class name and assigns it.
    void Assign(const TCollection& Source) override;

    // Called by the collection reader after each item has been read.
    virtual void ItemLoaded(TCustomCatalogItem* Item) { (void)Item; }
    // Called by the collection reader for each item made, with Reader after the record's class:
    // true when the record has been read elsewhere (core/LoadWorkers.h) or here; false to have
    // the item's LoadFromReader and ItemLoaded run as usual. The record ends at End.
    virtual bool ReadRecordElsewhere(TReader& Reader, TCustomCatalogItem* Item, int64_t End) {
        (void)Reader;
        (void)Item;
        (void)End;
        return false;
    }

    // The collection record of the catalog file.
    void ReadItems(TReader& Reader);
    void WriteItems(TWriter& Writer);
    // Whether an item of class C may be read into this collection.
    virtual bool AcceptsClass(TItemClass C) const { return C->InheritsFrom(FItemClass); }

    // Told by an item whose stored name changed.
    void NameChanged(TCustomCatalogItem* Item);

protected:
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
    // An item moved by hand: the next lookup by name sorts again.
    void Moved() override { FInOrder = false; }

private:
    void ReadItemsHere(TReader& Reader);
    void WriteItemsHere(TWriter& Writer);
    bool IsInOrder() const;
    int Compare(int I, int J) const;
    int LinearIndexOfName(std::string_view Name, const TCustomCatalogItem* Skip) const;
    // Sorts if needed (UI thread); returns whether binary search may be used.
    bool PrepareLookup();

    TItemClass FItemClass;
    bool FSorted = true;
    bool FInOrder = true; // the items are known to be in name order
};

// An item that keeps the items referring to it (its clients): keywords and file-type rows.
class TCatalogClientItem : public TCustomCatalogItem {
    QM_ITEM_CLASS(TCatalogClientItem)
public:
    explicit TCatalogClientItem(TCustomCatalogItems* Collection,
                                TClientList::SlotFn Slot = nullptr);
    // Subclasses that unlink the other side in RemoveClient call ClearClients in their own
    // destructor: here the subclass is already gone.
    ~TCatalogClientItem() override;

    const TClientList& Clients() const { return FClients; }
    virtual void AddClient(TCustomCatalogItem* Item);
    // The base AddClient for an item the list cannot hold yet (one just read): no search.
    void AddFreshClient(TCustomCatalogItem* Item);
    virtual void RemoveClient(TCustomCatalogItem* Item);
    // Removes every client through the virtual RemoveClient, the last one first.
    void ClearClients();
    // Empties the list without touching the clients: only for a catalog whose every item is
    // about to go without unlinking itself (TCatFileItem's tree teardown).
    void ForgetClients() { FClients.Forget(); }
    // The base Assign; clients are never copied (this item's are cleared).
    void Assign(const TCollectionItem& Source) override;

protected:
    // For a subclass that unlinks all of its clients at once.
    TClientList& MutableClients() { return FClients; }

private:
    TClientList FClients;
};
