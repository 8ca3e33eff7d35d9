#include "ItemMoves.h"

#include "app/ListViewModel.h"
#include "app/ViewTypes.h"
#include "core/CatalogGlobals.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

bool IsFolderOfUser(const TBasicItem* Item) {
    return dynamic_cast<const TBasicFolder*>(Item) && !dynamic_cast<const TFileCollection*>(Item);
}

bool IsMovable(const TBasicItem* Item) {
    return dynamic_cast<const TBasicFolder*>(Item) || dynamic_cast<const TFileLocItem*>(Item);
}

// The destination of a drop onto Target: refused when Target is no folder of the user's, or
// when the one folder dragged is Target or lies above it.
bool AcceptsMovesFrom(const TBasicItem* Target, const std::vector<TBasicItem*>& Dragged) {
    if (!IsMoveDestination(Target)) return false;
    return !(Dragged.size() == 1 && Dragged[0]->Children() && LiesWithin(Target, Dragged[0]));
}

const TFileItem* FileOf(const TBasicItem* Item) {
    auto* F = dynamic_cast<const TFileItem*>(Item);
    return F && !Item->Children() ? F : nullptr;
}

} // namespace

TDragSource DragSourceOfName(const std::string& Name) {
    if (Name == "tvMain") return TDragSource::Tree;
    if (Name == "lvMain") return TDragSource::List;
    if (Name == "lvKey") return TDragSource::KeyWords;
    return TDragSource::None;
}

const char* DragSourceName(TDragSource Source) {
    switch (Source) {
    case TDragSource::Tree: return "tvMain";
    case TDragSource::List: return "lvMain";
    case TDragSource::KeyWords: return "lvKey";
    default: return "";
    }
}

bool DragStarts(const QPoint& Down, const QPoint& Now, bool OverOtherEntry) {
    if (Down.x() < 0 && Down.y() < 0) return false;
    return (OverOtherEntry && std::abs(Now.x() - Down.x()) >= DragStartDistance) ||
           std::abs(Now.y() - Down.y()) >= DragStartDistance;
}

bool CanDragItem(const TBasicItem* Item, TDragSource Source) {
    if (!Item) return false;
    if (Source == TDragSource::Tree) return dynamic_cast<const TBasicFolder*>(Item) != nullptr;
    if (Source == TDragSource::List) return IsMovable(Item);
    return false;
}

bool IsMoveDestination(const TBasicItem* Dest) {
    if (!IsFolderOfUser(Dest)) return false;
    for (const TBasicItem* X = Dest->OwnerItem(); X; X = X->OwnerItem())
        if (!IsFolderOfUser(X)) return false;
    return true;
}

bool LiesWithin(const TBasicItem* Item, const TBasicItem* Folder) {
    for (const TBasicItem* X = Item; X; X = X->OwnerItem())
        if (X == Folder) return true;
    return false;
}

bool TreeAcceptsDrop(TDragSource Source, const TBasicItem* Target, const TBasicItem* Current,
                     const std::vector<TBasicItem*>& Selection) {
    switch (Source) {
    case TDragSource::KeyWords: return true;
    case TDragSource::List:
        // The rows already lie in the folder shown.
        return Target && Target != Current && !Selection.empty() && IsMovable(Selection.front()) &&
               AcceptsMovesFrom(Target, Selection);
    case TDragSource::Tree:
        return Target && Current && Target != Current && Target != Current->OwnerItem() &&
               AcceptsMovesFrom(Target, {const_cast<TBasicItem*>(Current)});
    default: return false;
    }
}

bool ListAcceptsDrop(TDragSource Source, const TBasicItem* Target, const TBasicItem* Current,
                     const std::vector<TBasicItem*>& Selection) {
    switch (Source) {
    case TDragSource::KeyWords: return true;
    case TDragSource::List:
        if (!Target || (Selection.size() == 1 && Selection[0] == Target)) return false;
        // Two folders dropped on one of them: the other moves, that one reports the same folder.
        return IsMoveDestination(Target);
    case TDragSource::Tree:
        return Target && Current && AcceptsMovesFrom(Target, {const_cast<TBasicItem*>(Current)});
    default: return false;
    }
}

void CheckMove(const TBasicItem* Item, const TBasicItem* Dest) {
    const std::string Name = Item->DisplayName();
    if (Item == Dest)
        RaiseCatalogErrorFmt(
            "Cannot move %s: The destination folder is the same as the source folder.", {Name});
    if (!IsMovable(Item) || !Dest || !IsMoveDestination(Dest))
        RaiseCatalogErrorFmt("Cannot move %s: Invalid move", {Name});
    if (Item->Items() == Dest->Children())
        RaiseCatalogErrorFmt(
            "Cannot move %s: The destination folder is the same as the source folder.", {Name});
    if (Item->Children() && LiesWithin(Dest, Item))
        RaiseCatalogErrorFmt(
            "Cannot move %s: The destination folder is a subfolder of the source folder.", {Name});
}

bool MoveItem(TBasicItem* Item, TBasicItem* Dest) {
    try {
        CheckMove(Item, Dest);
    } catch (const ECatalogError& E) {
        ShowCatalogError(E);
        return false;
    }
    TBasicItems* Into = Dest->Children();
    Item->SetCollection(Into);
    // Names are unique among siblings: an item that meets its namesake takes "Name(1)".
    if (const std::string Name(Item->Name()); !Name.empty() && Into->NameTaken(Name, Item)) {
        std::string Free = Name;
        for (int N = 1; Into->NameTaken(Free, Item); ++N)
            Free = Name + "(" + std::to_string(N) + ")";
        Item->SetItemName(Free);
    }
    CatalogModified = true;
    return true;
}

void AttachKeyWords(const std::vector<TKeyWordItem*>& KeyWords, TBasicItem* Target) {
    if (!Target) return;
    for (TKeyWordItem* K : KeyWords) {
        const std::vector<TKeyWordItem*>& Has = Target->KeyWords();
        if (K && std::find(Has.begin(), Has.end(), K) == Has.end()) K->AddClient(Target);
    }
}

void CompareFolderListRows(const TListViewItem* R1, const TListViewItem* R2, int Column,
                           int& Compare) {
    const TBasicItem* I1 = R1 ? R1->Data() : nullptr;
    const TBasicItem* I2 = R2 ? R2->Data() : nullptr;
    if (!I1 || !I2) return;
    const bool Folder1 = I1->Children() != nullptr, Folder2 = I2->Children() != nullptr;
    if (Folder1 != Folder2) {
        Compare = Folder1 ? -1 : 1;
        return;
    }
    const TFileItem* F1 = FileOf(I1);
    const TFileItem* F2 = FileOf(I2);
    // A file before a non-file; two non-files (folders) are equal unless named below.
    auto FilesFirst = [&] { Compare = F1 && !F2 ? -1 : (!F1 && F2 ? 1 : 0); };
    switch (Column) {
    case 0: Compare = AnsiCompareStr(R1->Caption(), R2->Caption()); return;
    case 1:
        if (F1 && F2) {
            const uint64_t S1 = F1->FileInfo().Size, S2 = F2->FileInfo().Size;
            Compare = S1 < S2 ? -1 : (S1 > S2 ? 1 : 0);
        } else if (Folder1 && Folder2) {
            Compare = AnsiCompareStr(R1->Caption(), R2->Caption());
        } else {
            FilesFirst();
        }
        return;
    case 3:
        if (F1 && F2) {
            const double D1 = F1->FileInfo().Date, D2 = F2->FileInfo().Date;
            Compare = D1 < D2 ? -1 : (D1 > D2 ? 1 : 0);
        } else {
            FilesFirst();
        }
        return;
    default: {
        const size_t Sub = static_cast<size_t>(Column - 1);
        const std::vector<std::string>& T1 = R1->SubItems();
        const std::vector<std::string>& T2 = R2->SubItems();
        const std::string& A = Sub < T1.size() ? T1[Sub] : std::string();
        const std::string& B = Sub < T2.size() ? T2[Sub] : std::string();
        Compare = AnsiCompareStr(A, B);
        if (Compare == 0) Compare = AnsiCompareStr(R1->Caption(), R2->Caption());
        return;
    }
    }
}

// ---- drag data ---------------------------------------------------------------------------------

std::string PaneDragData(TDragSource Source, const void* Window) {
    char Owner[64];
    std::snprintf(Owner, sizeof Owner, " %ld %p", static_cast<long>(::getpid()), Window);
    return DragSourceName(Source) + std::string(Owner);
}

TDragSource PaneDragSource(const std::string& Data, const void* Window) {
    const size_t Blank = Data.find(' ');
    if (Blank == std::string::npos || PaneDragData(TDragSource::None, Window) != Data.substr(Blank))
        return TDragSource::None;
    return DragSourceOfName(Data.substr(0, Blank));
}
