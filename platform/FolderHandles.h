// TFolderHandles: the folders of one walk, each opened relative to its parent folder, so that a
// walk reaches folders whose paths are longer than the system's path limit.
//
// A walk keeps every folder it still has to come back to, but it may hold only so many open
// descriptors: beyond MaxOpen the handle opened longest ago is closed, and it is opened again
// (from its nearest open ancestor, name by name) when the walk needs it. A folder opened again
// must be the very folder that was listed (same device and inode); otherwise it counts as
// gone. Nothing follows a symbolic link.
//
// Ownership: nodes are shared by the walk's pending entries; a node keeps its parent alive and
// closes its descriptor when the last reference goes. One walk, one thread.
#pragma once

#include "platform/FindFile.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

class TFolderHandles {
public:
    struct TNode;
    using TRef = std::shared_ptr<TNode>;

    explicit TFolderHandles(size_t MaxOpen = 64) : FMaxOpen(MaxOpen < 2 ? 2 : MaxOpen) {}
    TFolderHandles(const TFolderHandles&) = delete;
    TFolderHandles& operator=(const TFolderHandles&) = delete;

    // Opens the walk's root by path; null (errno set) when it cannot be opened. Rec gets the
    // facts of the folder.
    TRef OpenRoot(const std::string& Path, TSearchRec& Rec);
    // Opens the folder Name inside Parent; null (errno set) when it cannot be opened.
    TRef OpenChild(const TRef& Parent, const std::string& Name, TSearchRec& Rec);
    // The node's open descriptor, opened again when it was closed; -1 when that fails.
    int Fd(const TRef& Node);
    // The walk is done with the node's descriptor for now (it stays reopenable).
    void Release(const TRef& Node);
    // The path of the node's folder, ending with '/' (the root's path followed by the names).
    static std::string PathOf(const TRef& Node);
    size_t OpenCount() const { return FOpen; }

private:
    int Track(const TRef& Node, int Fd);
    void CloseNode(TNode& Node);
    void MakeRoom();

    size_t FMaxOpen;
    size_t FOpen = 0;
    std::deque<std::weak_ptr<TNode>> FOrder; // nodes in the order their descriptors opened
    friend struct TNode;
};

struct TFolderHandles::TNode {
    TNode(TRef P, std::string N, const TSearchRec& R)
        : Parent(std::move(P)), Name(std::move(N)), Device(R.Device), Inode(R.Inode) {}
    ~TNode();
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    TRef Parent;      // null for the root, whose Name is a path
    std::string Name; // the name inside Parent
    dev_t Device;
    ino_t Inode;
    int Fd = -1;
    TFolderHandles* Owner = nullptr; // counts the open descriptors
};
