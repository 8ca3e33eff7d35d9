// The icon threads: working out an item's image may read a file's own icon from the disk, which
// is slow, so the views first show items with their stored or default images and let one of
// these threads work out the real ones in the background.
//
//   TListImageThread     the rows of a list view (the main window's file list)
//   TTreeImageThread     the nodes below a tree node, depth first
//   TCatalogImageThread  a collection of catalog items and every collection below it
//
// Lifecycle: the owner creates a thread on the UI thread (suspended; the list and tree threads
// take a snapshot of what they walk right there), calls Resume, and at the end Terminate and
// WaitFor, then deletes it (deleting a running thread stops it first). Nothing frees itself and
// nothing starts from a constructor.
//
// Workers never read views or items: the list and tree threads work on their snapshot, the
// catalog thread reads one item at a time inside a call on the UI thread. Each result is applied
// on the UI thread (UpdateImage) only to an item that is still where the snapshot found it,
// reached again through the live view or catalog, so rows and items destroyed meanwhile are
// passed over. What a thread walks from (the list view, the root node, the root collection) must
// outlive it. Priority idle.
#pragma once

#include "core/CatalogExt.h"
#include "platform/Thread.h"

#include <functional>
#include <vector>

class TBasicItem;
class TBasicItems;
class TListItem;
class TListView;
class TTreeNode;

class TCatalogThread : public TThread {
protected:
    TCatalogThread();
    void Execute() final { ProcessItems(); }
    virtual void ProcessItems() = 0;
    // On the UI thread: Resolve finds the item again (null when it is gone); a SelectedIndex
    // above -1 becomes its selected index, an ImageIndex above -1 its image index (which update
    // its tree node and list row).
    void UpdateImage(const std::function<TBasicItem*()>& Resolve);
    // The same for an item already found again (UI thread).
    void ApplyImage(TBasicItem* Item);

    int FSelectedIndex = -1; // the open image computed for the item, -1 for none
    int FImageIndex = -1;    // the closed image, -1 for none
};

class TListImageThread : public TCatalogThread {
public:
    // UI thread: takes the rows of View (their items' facts) as they are now.
    explicit TListImageThread(TListView* View);
    ~TListImageThread() override;

protected:
    void ProcessItems() override;

private:
    struct TRowFacts {
        TListItem* Row;
        TBasicItem* Item;
        TItemImageFacts Facts;
    };
    TListView* FView;
    std::vector<TRowFacts> FRows;
};

class TTreeImageThread : public TCatalogThread {
public:
    // UI thread: takes every node below Root (depth first) as it is now.
    explicit TTreeImageThread(TTreeNode* Root);
    ~TTreeImageThread() override;

protected:
    void ProcessItems() override;

private:
    struct TNodeFacts {
        TTreeNode* Node;
        TBasicItem* Item;
        std::vector<int> Path; // child positions from the root node
        TItemImageFacts Facts;
    };
    TTreeNode* FRoot;
    std::vector<TNodeFacts> FNodes;
};

class TCatalogImageThread : public TCatalogThread {
public:
    // Items whose stored image (or selected image) is -1 get one.
    explicit TCatalogImageThread(TBasicItems* Root);
    ~TCatalogImageThread() override;

protected:
    void ProcessItems() override;

private:
    // The collection that holds the item at Path (positions from the root); null when the
    // catalog no longer has it. UI thread.
    TBasicItems* CollectionAt(const std::vector<int>& Path) const;
    TBasicItems* FRoot;
};
