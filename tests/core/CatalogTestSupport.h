// Helpers for catalog tests: a catalog root with its type table, items made in one call, and
// view links that record what the core asks of them.
#pragma once

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "core/ViewLinks.h"
#include "platform/Thread.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Serves worker threads' calls until Done holds or the time runs out; false on time-out.
template <typename Pred>
bool PumpUntil(Pred Done, int Ms = 10000) {
    auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > End) return false;
        CheckSynchronize(5);
    }
    return true;
}

// A catalog root that is the open catalog while it lives.
class TestCatalog {
public:
    TestCatalog() : Root(std::make_unique<TCatFileItem>()) {
        CurrentCatalog = Root.get();
        CurrentFolder = Root.get();
        Root->Clear();
    }
    ~TestCatalog() {
        Root.reset();
        CurrentCatalog = nullptr;
        CurrentFolder = nullptr;
        // Type threads that ended hand their last call to this thread.
        while (CheckSynchronize(0)) {
        }
    }
    TCatFileItem* operator->() const { return Root.get(); }
    TCatFileItem* get() const { return Root.get(); }
    std::unique_ptr<TCatFileItem> Root;
};

template <typename T>
T* Add(TBasicItem* Parent, const std::string& Name) {
    auto* Item = new T(Parent->Children());
    Item->SetNameField(PackedString(Name));
    return Item;
}

// A file item as a scan makes it: name and file record, entered in the type table.
inline TFileItem* AddFile(TBasicItem* Parent, const std::string& Name, uint64_t Size = 0) {
    auto* F = new TFileItem(Parent->Children());
    F->SetNameField(PackedString(Name));
    F->FileInfoRef().Name = PackedString(Name);
    F->FileInfoRef().Size = Size;
    if (CurrentCatalog) CurrentCatalog->Types()->AddItem(F);
    return F;
}

inline TFileFolder* AddFolder(TBasicItem* Parent, const std::string& Name) {
    auto* F = new TFileFolder(Parent->Children());
    F->SetNameField(PackedString(Name));
    F->FileInfoRef().Name = PackedString(Name);
    F->FileInfoRef().Attr = 16;
    if (CurrentCatalog) CurrentCatalog->Types()->AddItem(F);
    return F;
}

// Records what the core does to a tree node; owned by the test.
class FakeNode : public TTreeNode {
public:
    void SetText(const std::string& T) override { Text = T; }
    void SetImageIndex(int I) override { Image = I; }
    void SetSelectedIndex(int I) override { Selected = I; }
    bool Deleting() const override { return false; }
    bool InTree() const override { return true; }
    void Delete() override { ++Deleted; }
    void BeginTreeUpdate() override { ++Updates; }
    void EndTreeUpdate() override { --Updates; }
    void Expand(bool) override { ++Expanded; }
    TBasicItem* Data() const override { return Item; }
    int ChildCount() const override { return static_cast<int>(Children.size()); }
    TTreeNode* Child(int I) const override { return Children[static_cast<size_t>(I)]; }
    std::string Text;
    int Image = -100, Selected = -100, Deleted = 0, Updates = 0, Expanded = 0;
    TBasicItem* Item = nullptr;
    std::vector<TTreeNode*> Children;
};

class FakeRow : public TListItem {
public:
    void SetCaption(const std::string& C) override { Caption = C; }
    void SetImageIndex(int I) override { Image = I; }
    void Delete() override { ++Deleted; }
    TBasicItem* Data() const override { return Item; }
    void SetData(TBasicItem* I) override { Item = I; }
    void SetSubItems(std::vector<std::string> T) override { SubItems = std::move(T); }
    bool Selected() const override { return IsSelected; }
    void SetSelected(bool S) override { IsSelected = S; }
    std::string Caption;
    int Image = -100, Deleted = 0;
    TBasicItem* Item = nullptr;
    std::vector<std::string> SubItems;
    bool IsSelected = false;
};
