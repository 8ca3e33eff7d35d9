// Images of catalog items: the program's two image lists, the cache that copies each system icon
// into them once, the rules that pick an item's image, and the filling of a result-list row.
//
// The program's lists (small and large) begin with seven fixed pictures of the program
// (iiCatalog .. iiDefaultFile, core/FileTypes.h; FixedImageNames gives their files). Every system
// icon an item needs is appended once to both lists at the same position and remembered in the
// icon cache under its system index. The GUI installs the lists (SetProgramImageLists); without
// them, as without a window, MapSystemIcon leaves indices unchanged.
//
// Threads: MapSystemIcon, ItemImageIndexOf and GetSelfIconIndex may run on any thread (the icon
// threads call them); IconCacheLock (core/CatalogGlobals.h) serialises the cache and the
// additions to the lists. Everything that reads items or views runs on the UI thread.
#pragma once

#include "platform/SystemImageList.h"

#include <cstdint>
#include <string>

class TBasicItem;
class TListItem;
class TListView;

// One of the program's image lists, as the core sees it. The GUI implements it; AddIcon may be
// called on a worker thread (always under IconCacheLock), so an implementation keeps the
// descriptor and makes the QIcon on the UI thread when it is first drawn, taking IconCacheLock
// while it reads what workers append.
class TImageList {
public:
    virtual ~TImageList() = default;
    // Appends the picture described by Icon (at the list's own size) and returns its position.
    virtual int AddIcon(const TSystemIcon& Icon) = 0;
};

// The main window's lists; null until SetProgramImageLists.
extern TImageList* SmallImages;
extern TImageList* LargeImages;
// Installs the main window's lists (null: none) and empties the icon cache, whose positions
// belong to the lists it replaces.
void SetProgramImageLists(TImageList* Small, TImageList* Large);

// The files of the fixed pictures 0 to 6 under resources/images/16 and resources/images/32
// ("catalog.png", ...), in the order of their indices.
extern const char* const FixedImageNames[7];

// Start-up of the unit: reads the display name of folders (ReadFolderTypeName). Called once by
// the program before its window is built; without it folders keep "File Folder".
void InitCatalogExt();
// FolderTypeName := the desktop's name of folders; "File Folder" stays when it has none.
void ReadFolderTypeName();

// Replaces a system image list index by the index of the same icon in the program's lists,
// adding it to both lists the first time. Raises ECatalogError "k<>k1" when the two lists give
// different positions. Leaves Index unchanged when the program has no lists.
void MapSystemIcon(int& Index);

// What the image rules need to know of an item, taken on the UI thread, so that a worker can
// work out the image without reading the item.
struct TItemImageFacts {
    enum TKind : uint8_t { ikOther, ikCatalog, ikScannedFolder, ikFile, ikVirtualFolder };
    TKind Kind = ikOther;
    int32_t ImageIndex = -1; // the item's own indices
    int32_t SelectedIndex = -1;
    bool HasTypeRow = false; // and its type row's
    int32_t TypeImageIndex = -1;
    int32_t TypeSelectedIndex = -1;
    std::string FullPath; // files, folders on disk and located files
};
TItemImageFacts ItemImageFacts(const TBasicItem* Item);
// The image index for the views (the open picture when Open), -1 when none applies. May ask
// the disk for a file's own icon. Any thread.
int ItemImageIndexOf(const TItemImageFacts& Facts, bool Open);
// The same for an item, on the UI thread.
int GetItemImageIndex(const TBasicItem* Item, bool Open);

// Fills a row of the result list: Item becomes the row's data and the row becomes Item's result
// row (its row in the main list stays as it is); caption, image (the full rules with system
// icons when Full, else the item's own image rule) and the sub-items catalog path, type name and
// disk path (files only), as ResultRowText gives them (TListItem::SetSubItemTexts). UI thread.
void FillResultListItem(TListItem* Row, TBasicItem* Item, bool Full);
// The text of a result row's column after the caption: 0 the catalog path, 1 the type name, 2
// the disk path of a file item (empty for others). UI thread.
std::string ResultRowText(const TBasicItem* Item, int Index);

// Deselects every row of View. UI thread.
void ClearListSelection(TListView* View);
