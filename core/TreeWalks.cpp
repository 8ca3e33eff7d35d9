#include "TreeWalks.h"

#include "core/FolderScan.h"
#include "core/TreeItems.h"

#include <vector>

void DestroyItems(TBasicItems& Items) {
    // Leaves first, always the last item of the deepest collection still holding any: each
    // deletion is a pop from the end, and no destructor recurses into a deep subtree.
    // A scan of the folder itself or of anything below goes first, even when nothing is left in
    // it: its leaves would otherwise go while it walks them, and its item after them.
    StopScansWithin(Items.OwnerItem());
    if (Items.Count() == 0) return; // a folder whose children went before it
    Items.BeginUpdate();
    std::vector<TBasicItems*> Stack{&Items};
    while (!Stack.empty()) {
        TBasicItems* C = Stack.back();
        if (C->Count() == 0) {
            Stack.pop_back();
            continue;
        }
        TBasicItem* Last = C->At(C->Count() - 1);
        TBasicItems* Sub = Last->Children();
        if (Sub && Sub->Count() > 0)
            Stack.push_back(Sub);
        else
            delete Last;
    }
    Items.EndUpdate();
}

std::string GetCatalogPath(const TBasicItem* Item, std::string_view Suffix) {
    // Built from the leaf upwards without recursion (trees may be deep).
    std::vector<std::string> Parts;
    if (!Suffix.empty()) Parts.emplace_back(Suffix);
    for (const TBasicItem* I = Item; I && I->Collection(); I = I->OwnerItem())
        Parts.push_back(I->DisplayName());
    std::string R = "\\";
    for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) {
        R += *It;
        if (It + 1 != Parts.rend()) R += '\\';
    }
    return R;
}

void CountItems(const TBasicItems* Items, int64_t& Folders, int64_t& Files, uint64_t& TotalSize) {
    if (!Items) return;
    std::vector<const TBasicItems*> Stack{Items};
    while (!Stack.empty()) {
        const TBasicItems* C = Stack.back();
        Stack.pop_back();
        for (int I = 0; I < C->Count(); ++I) {
            TBasicItem* X = C->At(I);
            if (TBasicItems* Sub = X->Children()) {
                ++Folders;
                Stack.push_back(Sub);
            } else {
                ++Files;
                if (auto* F = dynamic_cast<TFileItem*>(X)) TotalSize += F->FileInfo().Size;
            }
        }
    }
}
