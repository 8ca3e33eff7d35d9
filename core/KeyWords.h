// Keywords: named tags that the user attaches to catalog items. Each catalog has one keyword
// collection owned by its root. A keyword knows the items carrying it (its clients) and each item
// knows its keywords; the keyword's own AddClient/RemoveClient keep both sides in step. A
// keyword's State (normal, include, exclude) is a search setting only: never stored, and
// changing it marks nothing. UI thread only.
#pragma once

#include "core/CatalogItems.h"

#include <vector>

class TBasicItem;

enum TKeyWordState : uint8_t { ksNormal = 0, ksInclude = 1, ksExclude = 2 };

class TKeyWordItem : public TCatalogClientItem {
    QM_ITEM_CLASS(TKeyWordItem)
public:
    explicit TKeyWordItem(TCustomCatalogItems* Collection);
    // Every item carrying the keyword loses it.
    ~TKeyWordItem() override;
    std::string ClassCaption() const override { return "KeyWord"; }

    // Attaches Item (a TBasicItem) on both sides; marks the catalog changed.
    void AddClient(TCustomCatalogItem* Item) override;
    void RemoveClient(TCustomCatalogItem* Item) override;

    TKeyWordState State() const { return FState; }
    void SetState(TKeyWordState S) { FState = S; }

private:
    TKeyWordState FState = ksNormal;
};

// The state after S when the user clicks a keyword: normal, include, exclude, normal again.
TKeyWordState NextKeyWordState(int S);

class TKeyWordItems : public TCustomCatalogItems {
public:
    TKeyWordItems(TBasicItem* Owner, TItemClass ItemClass);
    const char* ClassName() const override { return "TKeyWordItems"; }
    TBasicItem* OwnerItem() const { return FOwner; }
    TKeyWordItem* At(int Index) const {
        return static_cast<TKeyWordItem*>(TCustomCatalogItems::At(Index));
    }
    bool AcceptsClass(TItemClass C) const override;

    // The items that the keyword states select: with MatchAny, those carrying any included
    // keyword and no excluded one; otherwise those carrying every included keyword and no
    // excluded one. Excluded keywords alone select nothing.
    void FindItems(std::vector<TBasicItem*>& Results, bool MatchAny) const;

private:
    TBasicItem* FOwner;
};
