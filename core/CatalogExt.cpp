#include "CatalogExt.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/PIDLWork.h"
#include "core/TreeItems.h"
#include "core/ViewLinks.h"
#include "platform/ShellInfo.h"
#include "platform/SysUtils.h"

#include <unordered_map>

TImageList* SmallImages = nullptr;
TImageList* LargeImages = nullptr;

const char* const FixedImageNames[7] = {
    "catalog.png",        "folder-closed.png",         "folder-open.png",
    "virtual-folder.png", "scanned-folder-closed.png", "scanned-folder-open.png",
    "file.png",
};

namespace {
// System index -> position in the program's lists; guarded by IconCacheLock. It only grows
// while the same lists are installed.
std::unordered_map<int, int>& IconCache() {
    static std::unordered_map<int, int> Cache;
    return Cache;
}
} // namespace

void SetProgramImageLists(TImageList* Small, TImageList* Large) {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    SmallImages = Small;
    LargeImages = Large;
    IconCache().clear();
}

void InitCatalogExt() {
    ReadFolderTypeName();
}

void ReadFolderTypeName() {
    std::string Name = ShellFolderTypeName();
    if (!Name.empty()) FolderTypeName = Name;
}

void MapSystemIcon(int& Index) {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    if (!SmallImages || !LargeImages) return;
    auto& Cache = IconCache();
    auto It = Cache.find(Index);
    if (It == Cache.end()) {
        int K = SmallImages->AddIcon(GetSystemIcon(Index, false));
        int K1 = LargeImages->AddIcon(GetSystemIcon(Index, true));
        if (K != K1) RaiseCatalogError("k<>k1");
        It = Cache.emplace(Index, K).first;
    }
    Index = It->second;
}

TItemImageFacts ItemImageFacts(const TBasicItem* Item) {
    TItemImageFacts F;
    if (!Item) return F;
    if (Item->InheritsFrom(&TCatFileItem::Class))
        F.Kind = TItemImageFacts::ikCatalog;
    else if (Item->InheritsFrom(&TFileCollection::Class))
        F.Kind = TItemImageFacts::ikScannedFolder;
    else if (Item->InheritsFrom(&TFileItem::Class))
        F.Kind = TItemImageFacts::ikFile;
    else if (Item->InheritsFrom(&TBasicFolder::Class))
        F.Kind = TItemImageFacts::ikVirtualFolder;
    F.ImageIndex = Item->ImageIndex();
    F.SelectedIndex = Item->SelectedIndex();
    if (TTypeItem* Row = Item->TypeRow()) {
        F.HasTypeRow = true;
        F.TypeImageIndex = Row->ImageIndex();
        F.TypeSelectedIndex = Row->SelectedIndex();
    }
    if (F.Kind == TItemImageFacts::ikFile) {
        // Only a few kinds of file carry their own icon; only their paths are worth working out
        // (a path grows with the depth of the item).
        auto* File = static_cast<const TFileItem*>(Item);
        const std::string Name =
            File->FileInfo().Name.empty() ? File->DisplayName() : File->FileInfo().Name.Str();
        if (IsSelfIconedExtension(ExtractFileExt(Name))) F.FullPath = File->GetFullPath();
    }
    return F;
}

int ItemImageIndexOf(const TItemImageFacts& F, bool Open) {
    if (!DisplayDefaultIcons) {
        int Own = Open ? F.SelectedIndex : F.ImageIndex;
        if (Own > -1) return Own;
    }
    switch (F.Kind) {
    case TItemImageFacts::ikCatalog: return iiCatalog;
    case TItemImageFacts::ikScannedFolder: return Open ? iiArchiveOpen : iiArchiveClosed;
    case TItemImageFacts::ikFile: {
        if (!DisplayDefaultIcons) {
            int Index = GetSelfIconIndex(F.FullPath, Open);
            if (Index >= 0) {
                MapSystemIcon(Index);
                return Index;
            }
        }
        if (!F.HasTypeRow) return -1;
        return Open ? F.TypeSelectedIndex : F.TypeImageIndex;
    }
    case TItemImageFacts::ikVirtualFolder: return iiVirtualFolder;
    case TItemImageFacts::ikOther: break;
    }
    return -1;
}

int GetItemImageIndex(const TBasicItem* Item, bool Open) {
    return ItemImageIndexOf(ItemImageFacts(Item), Open);
}

void FillResultListItem(TListItem* Row, TBasicItem* Item, bool Full) {
    if (!Row || !Item) return;
    // A row shows one item and an item has one result row: unlink whatever stood on either side
    // before, so that neither the item nor the row keeps a link the other no longer returns.
    TBasicItem* Old = Row->Data();
    if (Old && Old != Item && Old->ResultItem() == Row) Old->SetResultItem(nullptr);
    TListItem* Previous = Item->ResultItem();
    if (Previous && Previous != Row) Previous->SetData(nullptr);
    Row->SetData(Item);
    Item->SetResultItem(Row);

    Row->SetCaption(Item->DisplayName());
    Row->SetImageIndex(Full ? GetItemImageIndex(Item, false) : Item->GetImageIndex());
    Row->SetSubItemTexts(&ResultRowText, 3);
}

std::string ResultRowText(const TBasicItem* Item, int Index) {
    switch (Index) {
    case 0: return GetCatalogPath(Item);
    case 1: return Item->TypeRow() ? Item->TypeRow()->DisplayName() : std::string();
    case 2: {
        auto* File = dynamic_cast<const TFileItem*>(Item);
        return File ? File->GetFullPath() : std::string();
    }
    default: return {};
    }
}

void ClearListSelection(TListView* View) {
    if (!View) return;
    int N = View->SelCount();
    if (N == 1) {
        View->SetSelected(nullptr);
    } else if (N > 1) {
        for (int I = 0; I < View->Count(); ++I)
            if (TListItem* Row = View->Item(I); Row->Selected()) Row->SetSelected(false);
    }
}
