// The rules of dragging inside the main window, as plain functions the window and the tests
// share: when a press and a move start a drag, which drops the tree and the list accept from
// each source pane, moving one catalog item into another folder, attaching keywords to an item,
// and the order of the folder list's rows.
//
// A folder that a move may put items into is a folder of the user's own: the catalog or a
// virtual folder outside every scanned folder. A scanned folder and everything below it mirror a
// disk, and a later synchronise would walk into items that have no disk path.
//
// UI thread only; the items belong to the open catalog.
#pragma once

#include <QPoint>

#include <string>
#include <vector>

class TBasicItem;
class TKeyWordItem;
class TListViewItem;

// The pane a drag inside the window comes from.
enum class TDragSource { None, Tree, List, KeyWords };

// The MIME type of a drag inside the window; its data is the source pane's name ("tvMain",
// "lvMain" or "lvKey"), so that a drop from another program or window is never taken for one.
inline constexpr const char* PaneDragMimeType = "application/x-quillmark-pane";
TDragSource DragSourceOfName(const std::string& Name);
const char* DragSourceName(TDragSource Source);

// A drag from the tree or the list starts once the pointer, with the left button held since
// Down, is over another node (row) and has moved 9 pixels across, or has moved 9 pixels up or
// down wherever it is.
inline constexpr int DragStartDistance = 9;
bool DragStarts(const QPoint& Down, const QPoint& Now, bool OverOtherEntry);
// Whether Item may be dragged: a folder of the user's or a scanned folder from the tree; those
// or a located file from the list.
bool CanDragItem(const TBasicItem* Item, TDragSource Source);

// Whether Dest may receive moved items (see above).
bool IsMoveDestination(const TBasicItem* Dest);
// Whether Item is Folder or lies below it.
bool LiesWithin(const TBasicItem* Item, const TBasicItem* Folder);

// Whether the tree accepts a drop on the node of Target. Current is the item of the tree's
// selected node (the folder the list shows); Selection holds the items of the list's selected
// rows, in list order.
bool TreeAcceptsDrop(TDragSource Source, const TBasicItem* Target, const TBasicItem* Current,
                     const std::vector<TBasicItem*>& Selection);
// Whether the list accepts a drop on the row of Target (null over empty space); Current and
// Selection as above.
bool ListAcceptsDrop(TDragSource Source, const TBasicItem* Target, const TBasicItem* Current,
                     const std::vector<TBasicItem*>& Selection);

// Checks a move of Item into Dest and raises the catalog error that refuses it:
//   "Cannot move %s: The destination folder is the same as the source folder."
//   "Cannot move %s: Invalid move"
//   "Cannot move %s: The destination folder is a subfolder of the source folder."
void CheckMove(const TBasicItem* Item, const TBasicItem* Dest);
// Moves Item into Dest's children: it leaves its old folder, takes a name no new sibling bears
// and the catalog is marked changed. A refused move is shown in a box titled "Error" and
// changes nothing; true when the item moved. The views are the caller's business.
bool MoveItem(TBasicItem* Item, TBasicItem* Dest);
// Attaches each keyword to Target (both sides of the link); a keyword already attached stays
// as it is. The catalog is marked changed when a link was added.
void AttachKeyWords(const std::vector<TKeyWordItem*>& KeyWords, TBasicItem* Target);

// The order of two rows of the folder list sorted by the column numbered Column (0 Name, 1 Size,
// 2 Type, 3 Modified, 4 Attributes, 5 Comment), in ascending terms; Compare holds the view's
// own result and is kept where the rows have no items. Folders come before every other row,
// sizes compare in 64 bits, texts case-sensitively in the user's locale (AnsiCompareStr: the
// case-insensitive order, letter case breaking ties) with the captions deciding ties. Names that
// differ only in case are never equal, so a descending sort reverses them too.
void CompareFolderListRows(const TListViewItem* R1, const TListViewItem* R2, int Column,
                           int& Compare);

// The data of a drag from the pane Source of the window Window, and the pane such data names:
// None for data of another window or another run of the program.
std::string PaneDragData(TDragSource Source, const void* Window);
TDragSource PaneDragSource(const std::string& Data, const void* Window);
