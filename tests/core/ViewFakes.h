// A list view without widgets for the tests of the find and icon code: it owns its rows, records
// what the core asks of them, and lets a test react when a row changes.
#pragma once

#include "core/TreeItems.h"
#include "core/ViewLinks.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FakeListView : public TListView {
public:
    class Row : public TListItem {
    public:
        explicit Row(FakeListView* Owner) : View(Owner) {}
        void SetCaption(const std::string& C) override { Caption = C; }
        void SetImageIndex(int I) override {
            Image = I;
            ++ImageSets;
            if (View->OnImage) View->OnImage(*this);
        }
        void Delete() override { View->Remove(this); } // destroys this row
        TBasicItem* Data() const override { return Item; }
        void SetData(TBasicItem* I) override { Item = I; }
        void SetSubItems(std::vector<std::string> T) override { SubItems = std::move(T); }
        bool Selected() const override { return IsSelected; }
        void SetSelected(bool S) override { IsSelected = S; }

        FakeListView* View;
        std::string Caption;
        int Image = -100, ImageSets = 0;
        TBasicItem* Item = nullptr;
        std::vector<std::string> SubItems;
        bool IsSelected = false;
    };

    ~FakeListView() override { Clear(); }

    int Count() const override { return static_cast<int>(Rows.size()); }
    TListItem* Item(int I) const override { return Rows[static_cast<size_t>(I)].get(); }
    Row* At(int I) const { return Rows[static_cast<size_t>(I)].get(); }
    int IndexOf(const TListItem* R) const override {
        for (size_t I = 0; I < Rows.size(); ++I)
            if (Rows[I].get() == R) return static_cast<int>(I);
        return -1;
    }
    TListItem* Add() override {
        if (FailAdd) throw std::runtime_error("no more rows");
        if (OnAdd) OnAdd();
        Rows.push_back(std::make_unique<Row>(this));
        return Rows.back().get();
    }
    void BeginUpdate() override { ++Updates; }
    void EndUpdate() override {
        --Updates;
        ++Brackets;
        if (OnEndUpdate) OnEndUpdate();
    }
    int SelCount() const override {
        return static_cast<int>(
            std::count_if(Rows.begin(), Rows.end(), [](const auto& R) { return R->IsSelected; }));
    }
    void SetSelected(TListItem* R) override {
        ++SelectionSets;
        for (auto& X : Rows)
            X->IsSelected = X.get() == R;
    }

    // A row for Item, linked both ways as the main list links its rows.
    Row* AddMainRow(TBasicItem* Item) {
        auto* R = static_cast<Row*>(Add());
        R->Item = Item;
        Item->SetListItem(R);
        return R;
    }
    // Removes every row, clearing the links of their items first (as a view must).
    void Clear() {
        for (auto& R : Rows)
            if (R->Item) {
                if (R->Item->ListItem() == R.get()) R->Item->SetListItem(nullptr);
                if (R->Item->ResultItem() == R.get()) R->Item->SetResultItem(nullptr);
            }
        Rows.clear();
    }
    void Remove(Row* R) {
        auto It =
            std::find_if(Rows.begin(), Rows.end(), [R](const auto& X) { return X.get() == R; });
        if (It != Rows.end()) Rows.erase(It);
    }

    std::vector<std::unique_ptr<Row>> Rows;
    std::function<void(Row&)> OnImage;
    std::function<void()> OnAdd, OnEndUpdate;
    int Updates = 0, Brackets = 0, SelectionSets = 0;
    bool FailAdd = false;
};
