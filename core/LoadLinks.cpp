#include "LoadLinks.h"

#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"

// ---- TLoadCache --------------------------------------------------------------------------------

int TLoadCache::KeyOfRowKey(std::string RowKey) {
    auto It = FKeysByRowKey.find(RowKey);
    if (It != FKeysByRowKey.end()) return It->second;
    int K = static_cast<int>(FRowKeys.size());
    FRowKeys.push_back(RowKey);
    FKeysByRowKey.emplace(std::move(RowKey), K);
    return K;
}

int TLoadCache::KeyOfClass(TItemClass C) {
    for (const auto& [Class, Key] : FClassKeys)
        if (Class == C) return Key;
    int K = KeyOfRowKey(TypeRowKey(C, {}));
    FClassKeys.emplace_back(C, K);
    return K;
}

int TLoadCache::KeyOfSpelling(std::string_view Spelling) {
    auto It = FSpellings.find(Spelling);
    if (It != FSpellings.end()) return It->second;
    // Spellings that fold alike (".jpg", ".JPG") share one key, as they share one row.
    std::string Ext = ExtensionKey(Spelling);
    int K = KeyOfRowKey(TypeRowKey(&TFileItem::Class, Ext));
    int S = static_cast<int>(FSpellingExt.size());
    FSpellingExt.push_back(std::move(Ext));
    FSpellingKey.push_back(K);
    FSpellings.emplace(std::string(Spelling), S);
    return S;
}

void TLoadCache::NewItem() {
    if (++FItem == 0) {
        // After four billion items the marks start over.
        std::fill(FMarks.begin(), FMarks.end(), 0);
        FItem = 1;
    }
}

bool TLoadCache::FirstUse(int Index) {
    // Indices are checked against the keyword list before they come here.
    if (static_cast<size_t>(Index) >= FMarks.size()) FMarks.resize(static_cast<size_t>(Index) + 1);
    if (FMarks[Index] == FItem) return false;
    FMarks[Index] = FItem;
    return true;
}

// ---- TLoadLinks --------------------------------------------------------------------------------

void TLoadLinks::AddType(TBasicItem* Item) {
    TItemClass C = Item->ClassType();
    TTypeKind Kind = TypeKindOf(C);
    if (Kind == tkNone) return; // plain items join no row
    int Spelling = -1, Key;
    if (Kind == tkClass) {
        Key = FCache->KeyOfClass(C);
    } else {
        Spelling = FCache->KeyOfSpelling(TypeSpelling(Item));
        Key = FCache->KeyOf(Spelling);
    }
    if (static_cast<size_t>(Key) >= FRowOf.size()) FRowOf.resize(static_cast<size_t>(Key) + 1);
    int& R = FRowOf[Key];
    if (R == 0) {
        FRows.push_back({C,
                         Spelling >= 0 ? FCache->Ext(Spelling) : std::string(),
                         FCache->RowKey(Key),
                         Key,
                         {}});
        R = static_cast<int>(FRows.size());
    }
    FRows[R - 1].Items.push_back(Item);
    ++FCount;
}

void TLoadLinks::Apply(TTypeItems& Types) {
    // Each pair is recorded once (the marks of the item's indices), and the item is new.
    for (const auto& [Key, Item] : FKeyLinks)
        Key->AddFreshClient(Item);
    // Rows new to the table are made in the order this part first needs them, which is their
    // order in the whole file: every earlier part has been applied.
    for (TRow& Row : FRows) {
        Types.AddLoadedItems(Types.RowOfKey(Row.Class, Row.Ext, Row.Key), Row.Items);
        FRowOf[Row.KeyNumber] = 0;
    }
    FKeyLinks.clear();
    FRows.clear();
    FCount = 0;
}
