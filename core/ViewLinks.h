// The links from catalog items to the rows that show them: a node of the main window's folder
// tree and a row of a list (the main list or the result list).
//
// The views own their nodes and rows; an item keeps plain links and calls these operations when
// its name or images change and when it is destroyed (the view then removes the row and clears
// the item's link). Without a window there are no nodes or rows and the links stay null.
// UI thread only.
#pragma once

#include <string>

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
};

class TListItem {
public:
    virtual ~TListItem() = default;
    virtual void SetCaption(const std::string& Caption) = 0;
    virtual void SetImageIndex(int Index) = 0;
    // Removes the row from its list and destroys it.
    virtual void Delete() = 0;
};
