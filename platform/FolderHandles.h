// TFolderHandles: the folders of one walk, each opened relative to its parent folder, so that a
// walk reaches folders whose paths are longer than the system's path limit.
//
// A walk keeps every folder it still has to come back to, but it may hold only so many open
// descriptors: beyond MaxOpen the handle used longest ago that nobody holds pinned is closed,
// and it is opened again (from its nearest open ancestor, name by name) when the walk needs it.
// A folder opened again must be the very folder that was listed (same device and inode);
// otherwise it counts as gone. Nothing follows a symbolic link.
//
// Ownership: nodes are shared by the walk's pending entries; a node keeps its parent alive and
// closes its descriptor when the last reference goes. Every node must be gone before the
// TFolderHandles that made it.
//
// Threads: the readers of a walk share it. A descriptor is used while a TPin holds it, so that
// no other thread closes it meanwhile; the calls take a lock of their own around the
// bookkeeping only (opening a folder runs outside it).
#pragma once

#include "platform/FindFile.h"
#include "platform/PackedString.h"

#include "platform/Thread.h"
#include <atomic>
#include <cstddef>
#include <memory>

#include <mutex>
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
    TRef OpenChild(const TRef& Parent, const PackedString& Name, TSearchRec& Rec);

    // The node's open descriptor, opened again when it was closed (Fd() is -1 when that fails),
    // held open while the pin lives.
    class TPin {
    public:
        TPin(TFolderHandles& Owner, TRef Node);
        // Opens the folder Name inside Parent as OpenChild does, pinned at once (Node() is null
        // and Fd() -1 when it cannot be opened).
        TPin(TFolderHandles& Owner, const TRef& Parent, const PackedString& Name, TSearchRec& Rec);
        ~TPin();
        TPin(const TPin&) = delete;
        TPin& operator=(const TPin&) = delete;
        int Fd() const { return FFd; }
        const TRef& Node() const { return FNode; }
        // The descriptor is closed when the pin goes (unless another pin holds it): the caller
        // is done with the folder for now.
        void CloseWhenDone() { FClose = true; }

    private:
        TFolderHandles& FOwner;
        TRef FNode;
        int FFd = -1;
        bool FClose = false;
    };
    size_t OpenCount() const;
    // The path of the node's folder, ending with '/' (the root's path followed by the names).
    static std::string PathOf(const TRef& Node);

private:
    // Descriptors to close once the lock is let go (a close may take a while).
    struct TClosing {
        static constexpr int Max = 8;
        int Fds[Max];
        int N = 0;
        TClosing() = default;
        ~TClosing();
        TClosing(const TClosing&) = delete;
        TClosing& operator=(const TClosing&) = delete;
    };
    // All under FLock.
    int FdLocked(TNode* Node);
    void Link(TNode* Node);
    void Unlink(TNode* Node);
    void Track(TNode* Node, int Fd);
    void CloseLocked(TNode* Node, TClosing& C);
    void MakeRoom(TClosing& C);

    size_t FMaxOpen;
    size_t FOpen = 0;
    mutable TBusyMutex FLock;
    // The nodes whose descriptors are open, from the one used longest ago to the newest.
    TNode* FOldest = nullptr;
    TNode* FNewest = nullptr;
    friend struct TNode;
};

struct TFolderHandles::TNode {
    TNode(TRef P, PackedString N, const TSearchRec& R)
        : Parent(std::move(P)), Name(std::move(N)), Device(R.Device), Inode(R.Inode) {}
    ~TNode();
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    TRef Parent;       // null for the root, whose Name is a path
    PackedString Name; // the name inside Parent
    dev_t Device;
    ino_t Inode;
    // Changed under the owner's lock (read without it only by the node's last owner):
    std::atomic<int> Fd{-1};
    int Pins = 0;
    TNode* Older = nullptr; // neighbours among the open nodes
    TNode* Newer = nullptr;
    TFolderHandles* Owner = nullptr;
};
