// The file-type table of a catalog: one row per kind of item (the catalog, scanned folders,
// virtual folders, folders on disk) and one per file extension. Each row knows its items (its
// clients), its images and its display name. Rows of file types start with a generated name and
// the default file image; the type-information thread then asks the desktop for the real ones.
// The table is never stored: it is rebuilt while a catalog is read and whenever items are added.
//
// Rows are created only by AddItem and destroyed by Clear or the table's destruction; their
// positions never change (the table is unsorted). The table owns its type-information thread:
// pausing is counted (a scan inside a save stays paused until both end), the thread reaches rows
// only by position inside calls that run on the UI thread, and destroying the table stops the
// thread even while paused. UI thread only.
#pragma once

#include "core/CatalogItems.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TBasicItem;
class TTypeInfoThread;

// The fixed pictures of the program's image lists.
enum : int32_t {
    iiCatalog = 0,
    iiFolderClosed = 1,
    iiFolderOpen = 2,
    iiVirtualFolder = 3,
    iiArchiveClosed = 4,
    iiArchiveOpen = 5,
    iiDefaultFile = 6,
};

class TTypeItem : public TCatalogClientItem {
    QM_ITEM_CLASS(TTypeItem)
public:
    explicit TTypeItem(TCustomCatalogItems* Collection);
    ~TTypeItem() override;
    std::string ClassCaption() const override { return "File"; }

    // Name when the desktop gave one, else the generated DefaultName.
    std::string GetDisplayName() const override;
    // Client links also set and clear the item's TypeRow.
    void AddClient(TCustomCatalogItem* Item) override;
    void RemoveClient(TCustomCatalogItem* Item) override;
    // Unlinks every client at once (their rows become none), in one pass over the list.
    void DropClients();
    // Appends items just read (tree items), which belong to no row yet, in their order (no
    // search).
    void AddLoadedClients(const std::vector<TCustomCatalogItem*>& Items);

    int32_t ImageIndex() const { return FImageIndex; }
    int32_t SelectedIndex() const { return FSelectedIndex; }
    // Stores V and gives it to every item of the type as its own image index.
    void SetImageIndex(int32_t V);
    void SetSelectedIndexField(int32_t V) { FSelectedIndex = V; }
    void SetImageIndexField(int32_t V) { FImageIndex = V; }
    const std::string& Key() const { return FKey; }
    void SetTypeKey(const std::string& V) { FKey = V; }
    const std::string& DefaultName() const { return FDefaultName; }
    void SetDefaultName(const std::string& V) { FDefaultName = V; }
    TItemClass ItemClass() const { return FItemClass; }
    void SetItemClass(TItemClass V) { FItemClass = V; }

    void Assign(const TCollectionItem& Source) override;
    // Rows are never stored: both raise.
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

private:
    int32_t FImageIndex = iiDefaultFile;
    int32_t FSelectedIndex = iiDefaultFile;
    std::string FKey;
    std::string FDefaultName;
    TItemClass FItemClass = nullptr;
};

class TTypeItems : public TCustomCatalogItems {
public:
    TTypeItems(TBasicItem* Owner, TItemClass ItemClass);
    ~TTypeItems() override;
    const char* ClassName() const override { return "TTypeItems"; }
    TTypeItem* At(int Index) const {
        return static_cast<TTypeItem*>(TCustomCatalogItems::At(Index));
    }
    TTypeItem* GetItem(int Index) const {
        return static_cast<TTypeItem*>(TCustomCatalogItems::Items(Index));
    }
    bool AcceptsClass(TItemClass) const override { return false; }
    // Every item of the catalog leaves its row in one pass per row: a catalog that is closed
    // then frees its items without unlinking them one by one.
    void DropAllClients();

    // Finds or creates the row of Item and links Item to it; restarts an ended thread.
    void AddItem(TBasicItem* Item);
    // For a load that links items in bulk (core/LoadLinks.h): the row of Key (TypeRowKey),
    // created as AddItem creates it for a first item of class C whose extension is Ext.
    TTypeItem* RowOfKey(TItemClass C, const std::string& Ext, const std::string& Key);
    // Links tree items just read, which belong to no row yet, to Row in their order, as AddItem
    // would one by one.
    void AddLoadedItems(TTypeItem* Row, const std::vector<TCustomCatalogItem*>& Items);
    int IndexOfClass(TItemClass C) const;
    int IndexOfExtension(const std::string& Ext) const;
    // The row's images by its item class (file rows 6/6; others unchanged).
    void SetTypeDefaults(TTypeItem* Row);
    void ItemLoaded(TCustomCatalogItem* Item) override;
    // Destroys every row (their items lose their row link); the thread restarts unless paused.
    void Clear() override;

    bool Paused() const { return FPauseCount > 0; }
    // Counted: SetPaused(true) twice needs SetPaused(false) twice.
    void SetPaused(bool P);
    bool Running() const { return FThread != nullptr; }
    void StartThread();
    void StopThread();

private:
    friend class TTypeInfoThread;
    int KeyIndex(const std::string& Key) const;
    TTypeItem* MakeRow(TItemClass C, const std::string& Ext, const std::string& Key);

    TBasicItem* FOwner;
    TTypeInfoThread* FThread = nullptr;
    int FPauseCount = 0;
    // Key text (folded case) -> row position: the class name for built-in rows, the upper-case
    // extension for file rows.
    std::unordered_map<std::string, int> FKeyList;
    // The extension exactly as a file name spells it -> row position: the key work (upper-casing,
    // folding, hashing the folded text) is done once per spelling, not once per item.
    struct TViewHash {
        using is_transparent = void;
        size_t operator()(std::string_view S) const { return std::hash<std::string_view>()(S); }
    };
    std::unordered_map<std::string, int, TViewHash, std::equal_to<>> FSpellings;
};

// The upper-case extension (dot included, ASCII letters only upper-cased) of a file name; empty
// when the name has no dot.
std::string ExtensionKey(std::string_view FileName);

// How an item of class C finds its row: by its class (the folder kinds and the catalog), by the
// extension of its file name (files), or not at all (plain items).
enum TTypeKind { tkNone, tkClass, tkFile };
TTypeKind TypeKindOf(TItemClass C);
// The extension of a file item as its file record's name spells it (dot included; empty when
// the name has none). Only for items of kind tkFile.
std::string_view TypeSpelling(const TBasicItem* Item);
// The key under which the table finds a row: the folded class name for class rows, the folded
// extension key (ExtensionKey) for file rows.
std::string TypeRowKey(TItemClass C, const std::string& Ext);
