// The links from catalog items to the rows that show them: a node of the main window's folder
// tree, a row of a list (the main list or the result list), and the list itself.
//
// The views own their nodes and rows; an item keeps plain links and calls these operations when
// its name or images change and when it is destroyed (the view then removes the row and clears
// the item's link). Without a window there are no nodes or rows and the links stay null.
//
// Every node and row carries the item it shows (Data). A view that deletes rows of its own
// accord (clearing a list, deleting result rows) first clears the links of their items
// (TBasicItem::SetListItem / SetResultItem with null), so that no item keeps a link to a row
// that is gone; an item's destructor deletes the rows it is linked to.
// UI thread only: workers never read nodes or rows (the icon threads work on snapshots taken on
// the UI thread).
#pragma once

#include <string>
#include <vector>

class TBasicItem;

class TTreeNode {
public:
    virtual ~TTreeNode() = default;
    virtual void SetText(const std::string& Text) = 0;
    virtual void SetImageIndex(int Index) = 0;
    virtual void SetSelectedIndex(int Index) = 0;
    // The node is being deleted by its tree right now (do not delete it again).
    virtual bool Deleting() const = 0;
    // The node belongs to a tree.
    virtual bool InTree() const = 0;
    // Removes the node (and its children) from the tree inside the tree's update bracket and
    // destroys it.
    virtual void Delete() = 0;
    // The tree's update bracket: no redrawing until the matching end.
    virtual void BeginTreeUpdate() = 0;
    virtual void EndTreeUpdate() = 0;
    virtual void Expand(bool Recurse) = 0;
    // The item the node shows; null for a node without one.
    virtual TBasicItem* Data() const = 0;
    // The node's children, in the tree's order.
    virtual int ChildCount() const = 0;
    virtual TTreeNode* Child(int Index) const = 0;
};

class TListItem {
public:
    virtual ~TListItem() = default;
    virtual void SetCaption(const std::string& Caption) = 0;
    virtual void SetImageIndex(int Index) = 0;
    // Removes the row from its list and destroys it.
    virtual void Delete() = 0;
    // The item the row shows; null for a row without one.
    virtual TBasicItem* Data() const = 0;
    virtual void SetData(TBasicItem* Item) = 0;
    // Replaces the texts of the columns after the caption (sub-item 0 is the second column).
    virtual void SetSubItems(std::vector<std::string> Texts) = 0;
    // The texts of the columns after the caption as Text works them out from the row's item
    // (Index 0 to Count - 1). A row may keep Text and ask it whenever a text is read, rather
    // than the texts (a result row does: the paths it shows grow with the depth of the item);
    // by default the texts are worked out once, now.
    using TSubItemText = std::string (*)(const TBasicItem* Item, int Index);
    virtual void SetSubItemTexts(TSubItemText Text, int Count) {
        std::vector<std::string> Texts;
        for (int I = 0; I < Count; ++I)
            Texts.push_back(Data() ? Text(Data(), I) : std::string());
        SetSubItems(std::move(Texts));
    }
    virtual bool Selected() const = 0;
    virtual void SetSelected(bool Selected) = 0;
};

// A list of rows: the main list of a folder's contents or the result list of a search.
class TListView {
public:
    virtual ~TListView() = default;
    virtual int Count() const = 0;
    virtual TListItem* Item(int Index) const = 0;
    // The position of Row in the list, -1 when the list does not hold it (the pointer is only
    // compared, never followed).
    virtual int IndexOf(const TListItem* Row) const = 0;
    // Appends an empty row, owned by the list.
    virtual TListItem* Add() = 0;
    // The update bracket: no redrawing or sorting until the matching end.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    // The number of selected rows.
    virtual int SelCount() const = 0;
    // Makes Row the one selected row; null selects none.
    virtual void SetSelected(TListItem* Row) = 0;
};
