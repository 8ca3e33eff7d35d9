// The links that items make while a catalog is read: to their keywords (each keyword's client
// list) and to their file-type rows (created in the order items first need them, each row's
// client list in the order items are read). Items may be read on several threads at once
// (core/LoadWorkers.h); their links are recorded where they are read, a part of the file at a
// time, and made on the UI thread afterwards, part by part in the order of the file, so the
// keywords and the type table come out exactly as if the file had been read from start to end
// on one thread:
//
//   keyword links in file order (an item's own keywords before those of its children), and
//   type links when an item has been read whole (a folder after everything below it).
//
// The item's own side of a keyword link (its keyword list) is set where it is read; the
// keyword's side and the whole type link wait for Apply.
//
// TLoadCache: one per thread that reads items, it keeps the key work of the type table (upper-
// casing and folding an extension) to once per spelling, and the marks that find a keyword
// index repeated on one item. TLoadLinks: the record of one part of the file. Both belong to one
// thread at a time; Apply runs on the UI thread once the part is read.
#pragma once

#include "core/ItemClass.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TBasicItem;
class TCustomCatalogItem;
class TKeyWordItem;
class TTypeItems;

class TLoadCache {
public:
    // The cache's number for the row key of a class row, or of a file row by spelling.
    int KeyOfClass(TItemClass C);
    int KeyOfSpelling(std::string_view Spelling);
    // The extension key (ExtensionKey) of a spelling number's spelling; the folded row key of a
    // key number.
    const std::string& Ext(int Spelling) const { return FSpellingExt[Spelling]; }
    int KeyOf(int Spelling) const { return FSpellingKey[Spelling]; }
    const std::string& RowKey(int Key) const { return FRowKeys[Key]; }
    int Keys() const { return static_cast<int>(FRowKeys.size()); }

    // Marks: starts a new item, then tells whether its keyword at Index is met the first time.
    void NewItem();
    bool FirstUse(int Index);

private:
    int KeyOfRowKey(std::string RowKey);
    struct TViewHash {
        using is_transparent = void;
        size_t operator()(std::string_view S) const { return std::hash<std::string_view>()(S); }
    };
    std::unordered_map<std::string, int, TViewHash, std::equal_to<>> FSpellings;
    std::vector<std::string> FSpellingExt;
    std::vector<int> FSpellingKey;
    std::unordered_map<std::string, int> FKeysByRowKey;
    std::vector<std::string> FRowKeys;
    std::vector<std::pair<TItemClass, int>> FClassKeys;
    std::vector<uint32_t> FMarks;
    uint32_t FItem = 0;
};

class TLoadLinks {
public:
    // Cache: the reading thread's; may change only while nothing is recorded.
    explicit TLoadLinks(TLoadCache* Cache = nullptr) : FCache(Cache) {}
    void SetCache(TLoadCache* Cache) { FCache = Cache; }
    TLoadCache& Cache() const { return *FCache; }

    void AddKeyWord(TKeyWordItem* Key, TBasicItem* Item) { FKeyLinks.emplace_back(Key, Item); }
    // Item has been read whole: its type link comes next.
    void AddType(TBasicItem* Item);
    // Items recorded for their type links since the last Apply.
    size_t Count() const { return FCount; }

    // UI thread: makes every recorded link in order (Types: the catalog's table) and empties the
    // record.
    void Apply(TTypeItems& Types);

private:
    // Copies of the cache's texts: Apply runs while the reading thread may still grow it.
    struct TRow {
        TItemClass Class; // of the part's first item of the row
        std::string Ext;  // file rows: that item's extension key
        std::string Key;  // the row key
        int KeyNumber;
        std::vector<TCustomCatalogItem*> Items; // tree items
    };
    TLoadCache* FCache;
    std::vector<std::pair<TKeyWordItem*, TBasicItem*>> FKeyLinks;
    std::vector<TRow> FRows; // in the order of their first item
    std::vector<int> FRowOf; // key number -> position in FRows + 1, 0: none yet
    size_t FCount = 0;
};
