// Walks over a catalog tree that use a stack of their own instead of recursion, so that trees of
// any depth are handled on any thread's stack: the catalog path of an item, counting, and
// freeing a subtree.
//
// UI thread (CountItems and GetCatalogPath also on a worker while the window is disabled).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TBasicItem;
class TBasicItems;

// The item's place in the catalog: "\Docs\a.txt"; the root is "\".
std::string GetCatalogPath(const TBasicItem* Item, std::string_view Suffix = {});

// Deletes every item of Items and everything below them, leaves first, without recursion: trees
// of any depth are freed on any stack.
void DestroyItems(TBasicItems& Items);

// Adds the folders, files and bytes below Items to the counters (not reset).
void CountItems(const TBasicItems* Items, int64_t& Folders, int64_t& Files, uint64_t& TotalSize);
