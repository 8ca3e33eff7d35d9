// TCustomTreeView: the folder tree of the main window, a QTreeView over a model of
// TTreeViewNode objects (TTreeViewModel).
//
// Nodes implement the core's node link (core/ViewLinks.h): each carries the catalog item it
// shows as Data, and the core renames, re-images and deletes nodes through the link. A tree with
// SortType stText keeps the children of every node in caption order.
//
// Update brackets (BeginUpdate/EndUpdate): inside them nodes are added, deleted and sorted
// without telling the view one by one; the outermost EndUpdate tells it once (a model reset) and
// puts the selection and the expanded nodes back. A node deleted inside a bracket is only
// marked, together with everything below it, and leaves with the next look at its siblings, so
// that deleting a branch costs the same at any depth. OnUpdate tells the outermost bracket's
// begin and end, so that views showing the same items can bracket along.
//
// A node may be added with its children still to come (Pending): they are made by OnFill the
// first time anything needs them (the view shows, counts or expands the node, or a caller asks
// for a child), and until then OnHasChildren says whether there will be any. A catalog of
// millions of folders therefore costs a node only for what has been shown or asked for.
//
// The selection is one node. A change asks OnChanging first (which may refuse it), then tells
// OnChange; changes the view makes itself (putting the selection back, losing a deleted node)
// tell nobody. In-place editing of a node's text goes through a TEditDelegate: OnEditing
// decides, OnEdited receives the text and may change it, OnEditEnd follows every edit.
//
// Ownership: the view owns its model and every node; image lists and the pop-up menu are plain
// links. UI thread only.
#pragma once

#include "app/ViewTypes.h"
#include "core/ViewLinks.h"

#include <QTreeView>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class TCustomTreeView;
class TEditDelegate;
class TTreeViewModel;

class TTreeViewNode final : public TTreeNode {
public:
    ~TTreeViewNode() override;

    // TTreeNode
    void SetText(const std::string& Text) override;
    void SetImageIndex(int Index) override;
    void SetSelectedIndex(int Index) override;
    bool Deleting() const override { return FDeleted; }
    bool InTree() const override;
    void Delete() override;
    void BeginTreeUpdate() override;
    void EndTreeUpdate() override;
    void Expand(bool Recurse) override;
    TBasicItem* Data() const override { return FData; }
    int ChildCount() const override;
    TTreeViewNode* Child(int Index) const override;

    void SetData(TBasicItem* Item) { FData = Item; }
    const std::string& Text() const { return FText; }
    int ImageIndex() const { return FImageIndex; }
    int SelectedIndex() const { return FSelectedIndex; }
    // The parent node; null for a node at the top level.
    TTreeViewNode* Parent() const;
    int Index() const { return FIndex; }
    // Whether the node has children, without making pending ones.
    bool HasChildren() const;
    // Deletes every child (a pending node then has none to come either).
    void DeleteChildren();
    bool Pending() const { return FPending; }
    bool Expanded() const { return FExpanded; }
    void Collapse();
    bool Selected() const;
    TCustomTreeView* TreeView() const { return FView; }

private:
    friend class TCustomTreeView;
    friend class TTreeViewModel;
    TTreeViewNode(TCustomTreeView* View, TTreeViewNode* Parent) : FView(View), FParent(Parent) {}

    TCustomTreeView* FView;
    TTreeViewNode* FParent; // the invisible root for top-level nodes
    mutable std::vector<std::unique_ptr<TTreeViewNode>> FChildren;
    std::string FText;
    TBasicItem* FData = nullptr;
    int FIndex = 0;
    int FImageIndex = -1;
    int FSelectedIndex = -1;
    bool FDeleted = false;
    bool FExpanded = false;
    mutable bool FHasDeleted = false; // some child is marked deleted
    bool FUnsorted = false;           // children were appended inside a bracket
    bool FPending = false;            // the children are still to be made by OnFill
};

class TCustomTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit TCustomTreeView(QWidget* Parent = nullptr);
    ~TCustomTreeView() override;

    // Adds a node under Parent (null: at the top level); in sorted trees at its sorted place.
    // Pending: its children are made by OnFill when first needed. A pending Parent makes its
    // children first.
    TTreeViewNode* AddChild(TTreeViewNode* Parent, std::string Text, TBasicItem* Data = nullptr,
                            bool Pending = false);
    int TopCount() const;
    TTreeViewNode* TopItem(int Index) const;
    // Every node made so far (for tests and walks).
    int NodeCount() const;
    void Clear();
    // Deletes Node and everything below it of the view's own accord (OnDeletion is told).
    void DeleteNode(TTreeViewNode* Node);

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }
    TSortType SortType() const { return FSortType; }
    // Switching to stText sorts the whole tree.
    void SetSortType(TSortType Value);
    void AlphaSort();

    TTreeViewNode* Selected() const { return FSelectedNode; }
    // Selects Node (null: none) as a click would, with OnChanging and OnChange.
    void SetSelected(TTreeViewNode* Node);
    void SetImages(const TIconSource* Images) { FImages = Images; }
    const TIconSource* Images() const { return FImages; }
    void SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }

    bool IsEditing() const { return state() == EditingState; }
    bool EditText(TTreeViewNode* Node);
    void EndEditing();
    TTreeViewNode* NodeAt(const QPoint& Point) const;
    TTreeViewNode* NodeOfIndex(const QModelIndex& Index) const;
    QModelIndex IndexOfNode(const TTreeViewNode* Node) const;

    std::function<void(TTreeViewNode* Node, bool& AllowChange)> OnChanging;
    std::function<void(TTreeViewNode* Node)> OnChange;
    std::function<void(TTreeViewNode* Node, bool& AllowEdit)> OnEditing;
    std::function<void(TTreeViewNode* Node, std::string& Text)> OnEdited;
    std::function<void()> OnEditEnd;
    std::function<void(TTreeViewNode* Node)> OnDeletion;
    // Makes the children of a pending node (AddChild under it); whether it will have any.
    std::function<void(TTreeViewNode* Node)> OnFill;
    std::function<bool(const TTreeViewNode* Node)> OnHasChildren;
    // The outermost update bracket begins (true) or ends (false).
    std::function<void(bool Begin)> OnUpdate;

protected:
    void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    virtual bool AcceptsFileDrops() const { return false; }
    virtual void FilesDropped(TTreeViewNode* Node, const std::vector<std::string>& FileNames) {
        (void)Node;
        (void)FileNames;
    }

private:
    friend class TTreeViewNode;
    friend class TTreeViewModel;

    void BeginStructureChange();
    void RemoveNode(TTreeViewNode* Node, bool ByCore);
    // Marks Node and every living node below it deleted, telling OnDeletion of each.
    void MarkDeleted(TTreeViewNode* Node);
    // Makes the children of a pending node, quietly: nobody has been told of any.
    void Fill(TTreeViewNode* Node) const;
    void Compact() const;
    void CompactChildren(TTreeViewNode* Parent) const;
    void SortChildren(TTreeViewNode* Parent, bool Recurse);
    void NodeTextChanged(TTreeViewNode* Node);
    void NodeImageChanged(TTreeViewNode* Node);
    void RestoreState();
    void RestoreExpanded(TTreeViewNode* Node);
    bool Alive(const TTreeViewNode* Node) const;
    void SelectSilently(TTreeViewNode* Node);
    void CommitEdit(TTreeViewNode* Node, const QString& Text);

    TTreeViewModel* FModel;
    TEditDelegate* FDelegate;
    std::unique_ptr<TTreeViewNode> FRoot; // invisible; its children are the top-level nodes
    TTreeViewNode* FSelectedNode = nullptr;
    const TIconSource* FImages = nullptr;
    QMenu* FPopupMenu = nullptr;
    TSortType FSortType = stNone;
    int FUpdateCount = 0;
    bool FResetting = false;
    bool FSilent = false; // selection changes made by the view itself: no events
    mutable bool FHasDeleted = false;
    bool FNeedsSort = false;
    mutable TTreeViewNode* FFilling = nullptr; // the node whose children OnFill is making
};
