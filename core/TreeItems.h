// The catalog tree: every item the user browses is a TBasicItem.
//
//   TBasicItem        keyword links, file-type row link, view links, images, Note
//   TBasicFolder      a virtual folder: a TBasicItem with children
//   TCatFileItem      the catalog itself (root folder); owns the keywords and the type table
//   TFileCollection   a scanned folder: root path, volume record, scan thread
//   TFileItem         a file on disk (file record)
//   TFileFolder       a folder on disk: a TFileItem with children
//   TFileLocItem      a single file remembered with its own volume record
//
// Ownership: each item is owned by the collection it lies in (a folder's TBasicItems); the
// catalog root owns its keyword collection and type table. Items keep plain links to keywords,
// their type row and their view rows, and remove every link when they are destroyed; when a
// catalog destroys its whole tree (Clear, its end) its rows and keywords forget all their items
// at once instead, and the items tell only the views.
//
// Paths: new scans store POSIX paths and a scanned folder's root path ends with '/'; paths of
// catalogs made on other systems are opaque text joined with the separator their root uses.
// A disk item's path is built from its file record's name (byte for byte), never from its
// display name, which may carry a "(1)" suffix.
//
// UI thread only; scan and find threads read items while the main window is disabled.
#pragma once

#include "core/CatalogItems.h"
#include "core/FileRecords.h"
#include "core/TreeWalks.h"
#include "platform/SmallPool.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TBasicItems;
class TKeyWordItem;
class TKeyWordItems;
class TListItem;
class TThread;
class TTreeNode;
class TTypeItem;
class TTypeItems;

// Scan marks of an item (never stored). sfKeep: the walk must not delete the item nor anything
// below it (not a disk entry, or a folder that could not be listed or entered). sfWalked: the
// folder's listing was taken to its end, so its children not found may go.
enum : uint8_t {
    sfMissing = 1,
    sfSeen = 2,
    sfRoot = 4,
    sfKindChanged = 8,
    sfKeep = 16,
    sfWalked = 32
};

class TBasicItem : public TCustomCatalogItem {
    QM_ITEM_CLASS(TBasicItem)
public:
    explicit TBasicItem(TCustomCatalogItems* Collection);
    ~TBasicItem() override;
    std::string ClassCaption() const override { return "BasicItem"; }

    // Tree items live in the small-object pool (platform/SmallPool.h); a delete gives back the
    // size of the object's own class through the virtual destructor.
    static void* operator new(size_t Size) { return AllocateSmall(Size); }
    static void operator delete(void* P, size_t Size) noexcept { FreeSmall(P, Size); }

    // The item whose children hold this one (its parent), null for the root.
    TBasicItem* OwnerItem() const;
    // The children collection; null for items that hold none.
    virtual TBasicItems* Children() const { return nullptr; }

    // Own image indices (-1: none, the type row's image is used).
    int32_t ImageIndex() const { return FImageIndex; }
    int32_t SelectedIndex() const { return FSelectedIndex; }
    // The images to show: the own value unless DisplayDefaultIcons, else the type row's.
    int32_t GetImageIndex() const;
    int32_t GetSelectedIndex() const;
    void SetImageIndex(int32_t V);
    void SetSelectedIndex(int32_t V);

    std::string_view Note() const;
    void SetNote(std::string_view V);
    std::string_view ExtraText() const;
    int32_t ExtraInt() const;
    bool ExtraFlag() const { return FExtraFlag; }

    // The keywords attached to the item (kept in step with the keywords' client lists).
    const std::vector<TKeyWordItem*>& KeyWords() const;
    void ClearKeyWords();

    TTypeItem* TypeRow() const { return FTypeRow; }
    // Leaves the current row's clients and joins Row's (null: none).
    void SetTypeItem(TTypeItem* Row);

    TTreeNode* TreeNode() const;
    void SetTreeNode(TTreeNode* Node);
    // The item's row in the main list, and its row in the result list.
    TListItem* ListItem() const;
    void SetListItem(TListItem* Row);
    TListItem* ResultItem() const;
    void SetResultItem(TListItem* Row);

    uint8_t ScanFlags() const { return FScanFlags; }
    void SetScanFlags(uint8_t V) { FScanFlags = V; }

    // Renames (unique names) and updates the tree node's text and the list rows' captions.
    void SetDisplayName(std::string_view Value) override;
    void Assign(const TCollectionItem& Source) override;
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

    // Field writes for loading and scanning (no change mark).
    void SetNoteField(const PackedString& V);
    void SetExtraFields(const PackedString& Text, int32_t Int, bool Flag);

private:
    friend class TKeyWordItem;
    friend class TTypeItem;
    struct Extras;
    Extras& EnsureExtras();
    static int32_t* TypeSlotOf(TCustomCatalogItem* Item);
    // The item's side of a keyword link (the keyword keeps the other side).
    void LinkKeyWord(TKeyWordItem* K);
    void UnlinkKeyWord(TKeyWordItem* K);
    void UpdateViewImages();

    int32_t FImageIndex = -1;
    int32_t FSelectedIndex = -1;
    TTypeItem* FTypeRow = nullptr;
    int32_t FTypeSlot = -1; // position in the type row's client list
    uint8_t FScanFlags = 0;
    bool FExtraFlag = false;
    // Rarely set fields (note, extra text, keywords, view links) live apart, so that the millions
    // of plain file items stay small.
    std::unique_ptr<Extras> FExtras;
};

// The children of a folder item.
class TBasicItems : public TCustomCatalogItems {
public:
    TBasicItems(TBasicItem* Owner, TItemClass ItemClass);
    const char* ClassName() const override { return "TBasicItems"; }
    TBasicItem* OwnerItem() const { return FOwner; }
    TBasicItem* At(int Index) const {
        return static_cast<TBasicItem*>(TCustomCatalogItems::At(Index));
    }
    TBasicItem* Items(int Index) const {
        return static_cast<TBasicItem*>(TCustomCatalogItems::Items(Index));
    }
    // Links every item read into the folder to its file-type row.
    void ItemLoaded(TCustomCatalogItem* Item) override;
    // In a load with helpers, offers large folder records to them.
    bool ReadRecordElsewhere(TReader& Reader, TCustomCatalogItem* Item, int64_t End) override;
    // Tree items only; never a catalog root.
    bool AcceptsClass(TItemClass C) const override;

private:
    TBasicItem* FOwner;
};

class TBasicFolder : public TBasicItem {
    QM_ITEM_CLASS(TBasicFolder)
public:
    explicit TBasicFolder(TCustomCatalogItems* Collection);
    ~TBasicFolder() override;
    std::string ClassCaption() const override;
    TBasicItems* Children() const override { return FChildren.get(); }
    bool CanRename() const override { return true; }
    void ClearChildren();
    void Assign(const TCollectionItem& Source) override;
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

private:
    std::unique_ptr<TBasicItems> FChildren;
};

class TCatFileItem : public TBasicFolder {
    QM_ITEM_CLASS(TCatFileItem)
public:
    explicit TCatFileItem(TCustomCatalogItems* Collection = nullptr);
    ~TCatFileItem() override;
    std::string ClassCaption() const override;

    const std::string& CatFile() const { return FCatFile; }
    // Stores the file name without marking the catalog changed.
    void SetCatFile(const std::string& V) { FCatFile = V; }
    // The catalog's keyword collection (the root's own keyword links: TBasicItem::KeyWords).
    TKeyWordItems* KeyWords() const { return FKeyWords.get(); }
    TTypeItems* Types() const { return FTypes.get(); }

    // Empties the catalog: children, types, keywords, file name, the root's comment, note, extra
    // fields and keywords (its name stays); the root gets its "Catalog" type row again.
    void Clear();
    void Assign(const TCollectionItem& Source) override;

    // The catalog file (catalog file unit): both act on CatFile and raise on failure.
    void SaveToFile();
    void LoadFromFile();

private:
    // Destroys every item below the root, in bulk unless a scan is running; the root's own links
    // go first.
    void DestroyTree();

    std::string FCatFile;
    std::unique_ptr<TKeyWordItems> FKeyWords;
    std::unique_ptr<TTypeItems> FTypes;
};

class TFileItem : public TBasicItem {
    QM_ITEM_CLASS(TFileItem)
public:
    explicit TFileItem(TCustomCatalogItems* Collection);
    ~TFileItem() override;
    std::string ClassCaption() const override { return "FileItem"; }

    const TFileInfo& FileInfo() const { return FFileInfo; }
    TFileInfo& FileInfoRef() { return FFileInfo; }
    // The volume record the file lies on: its scanned folder's, or its own for a located file.
    virtual TVolumeInfo* GetVolume() const;
    // The path of the file on disk, followed by Suffix (a name below it) when given.
    virtual std::string GetFullPath(std::string_view Suffix = {}) const;
    bool IsHiddenOrSystem() const { return FFileInfo.Attr & (faHidden | faSysFile); }

    void Assign(const TCollectionItem& Source) override;
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

private:
    TFileInfo FFileInfo;
};

class TFileFolder : public TFileItem {
    QM_ITEM_CLASS(TFileFolder)
public:
    explicit TFileFolder(TCustomCatalogItems* Collection);
    ~TFileFolder() override;
    std::string ClassCaption() const override;
    TBasicItems* Children() const override { return FChildren.get(); }
    void Assign(const TCollectionItem& Source) override;
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

private:
    std::unique_ptr<TBasicItems> FChildren;
};

class TFileCollection : public TBasicFolder {
    QM_ITEM_CLASS(TFileCollection)
public:
    explicit TFileCollection(TCustomCatalogItems* Collection);
    ~TFileCollection() override;
    std::string ClassCaption() const override;

    TVolumeInfo& Volume() const { return *FVolume; }
    const std::string& GetRootPath() const { return FVolume->Path; }
    // Stores a different path (marks the catalog changed) and reads its volume record.
    void SetRootPath(const std::string& Path);

    TThread* ScanThread() const { return FScanThread; }
    // Starts the first scan of this folder in a background thread (scan unit).
    void StartScan();
    // Terminates a running scan and waits for its end.
    void StopScan();

    void Assign(const TCollectionItem& Source) override;
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

private:
    friend class TFolderScanThread;
    TThread* FScanThread = nullptr;
    std::unique_ptr<TVolumeInfo> FVolume;
};

class TFileLocItem : public TFileItem {
    QM_ITEM_CLASS(TFileLocItem)
public:
    explicit TFileLocItem(TCustomCatalogItems* Collection);
    bool CanRename() const override { return true; }

    TVolumeInfo& Volume() const { return *FVolume; }
    const std::string& GetLocation() const { return FVolume->Path; }
    void SetLocation(const std::string& Path);
    // Points the item at a file: location, name, file record, description, type row, then the
    // properties dialog.
    void SetFileName(const std::string& FileName);

    TVolumeInfo* GetVolume() const override { return FVolume.get(); }
    std::string GetFullPath(std::string_view Suffix = {}) const override;
    void Assign(const TCollectionItem& Source) override;
    void ReadFields(TReader& Reader) override;
    void WriteFields(TWriter& Writer) override;

private:
    std::unique_ptr<TVolumeInfo> FVolume;
};

// The separator of a stored root path: '\' for paths made on Windows, '/' otherwise.
char PathSeparatorOf(std::string_view RootPath);
// Path + Name with one separator between them (the separator Path already uses).
std::string JoinPath(std::string_view Path, std::string_view Name);

// Keyword positions while a catalog is written: each keyword's index in the keyword records.
extern const std::unordered_map<const TKeyWordItem*, int>* SavingKeyWordIndex;
// Keywords in the order they were read while a catalog is loaded.
extern const std::vector<TKeyWordItem*>* LoadingKeyWordList;
