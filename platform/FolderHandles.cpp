#include "FolderHandles.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

TFolderHandles::TNode::~TNode() {
    // Nobody else holds the node: a descriptor closed already cannot be opened meanwhile.
    if (Owner && Fd >= 0) {
        TClosing C;
        std::lock_guard<TBusyMutex> G(Owner->FLock);
        Owner->CloseLocked(this, C);
    }
    // The chain of parents that only this node kept alive goes here, one after the other: freed
    // by their own destructors in turn, a walk tens of thousands of folders deep would nest as
    // many calls and overflow a small stack. (A count of one is certain: a reference is only
    // ever made from another.)
    TRef Up = std::move(Parent);
    while (Up && Up.use_count() == 1) {
        TRef Next = std::move(Up->Parent);
        Up = std::move(Next); // the old node goes with no parent left to free
    }
}

namespace {
// Opens the folder of Node inside Base (a path for the root), as a name the system takes.
int OpenNodeAt(int Base, const TFolderHandles::TNode& Node, TSearchRec* Rec) {
    std::string_view N = Node.Name.View();
    if (!Node.Parent) return OpenFolderAt(Base, std::string(N).c_str(), Rec);
    char Name[NAME_MAX + 1];
    if (N.size() > NAME_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(Name, N.data(), N.size());
    Name[N.size()] = 0;
    return OpenFolderAt(Base, Name, Rec);
}
} // namespace

void TFolderHandles::Link(TNode* Node) {
    Node->Older = FNewest;
    Node->Newer = nullptr;
    (FNewest ? FNewest->Newer : FOldest) = Node;
    FNewest = Node;
}

void TFolderHandles::Unlink(TNode* Node) {
    (Node->Older ? Node->Older->Newer : FOldest) = Node->Newer;
    (Node->Newer ? Node->Newer->Older : FNewest) = Node->Older;
    Node->Older = Node->Newer = nullptr;
}

void TFolderHandles::Track(TNode* Node, int Fd) {
    Node->Fd = Fd;
    Node->Owner = this;
    Link(Node);
    ++FOpen;
}

TFolderHandles::TClosing::~TClosing() {
    for (int I = 0; I < N; ++I)
        ::close(Fds[I]);
}

void TFolderHandles::CloseLocked(TNode* Node, TClosing& C) {
    const int Fd = Node->Fd;
    if (Fd < 0) return;
    Unlink(Node);
    --FOpen;
    // The last touch of the node: its end on another thread, finding it closed, frees it at once
    // without the lock.
    Node->Fd = -1;
    if (C.N < TClosing::Max)
        C.Fds[C.N++] = Fd;
    else
        ::close(Fd);
}

void TFolderHandles::MakeRoom(TClosing& C) {
    // Pinned descriptors are in use on some thread: they stay, even beyond the limit.
    for (TNode* N = FOldest; FOpen > FMaxOpen && N;) {
        TNode* Next = N->Newer;
        if (N->Pins == 0) CloseLocked(N, C);
        N = Next;
    }
}

int TFolderHandles::FdLocked(TNode* Node) {
    if (Node->Fd >= 0) {
        // Used now: the last to be closed.
        if (FNewest != Node) {
            Unlink(Node);
            Link(Node);
        }
        return Node->Fd;
    }
    // The chain up to the nearest open ancestor (or the root, reopened by its path). The nodes
    // are kept alive by the node's own parent links.
    std::vector<TNode*> Chain{Node};
    while (Chain.back()->Parent && Chain.back()->Parent->Fd < 0)
        Chain.push_back(Chain.back()->Parent.get());
    TNode* Top = Chain.back()->Parent.get();
    int Base = Top ? Top->Fd.load() : AT_FDCWD;
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        TSearchRec R;
        int Fd = OpenNodeAt(Base, **It, &R);
        if (Fd >= 0 && (R.Device != (*It)->Device || R.Inode != (*It)->Inode)) {
            ::close(Fd); // renamed or replaced meanwhile: not the folder that was listed
            Fd = -1;
            errno = ESTALE;
        }
        if (Fd < 0) return -1;
        Track(*It, Fd);
        Base = Fd;
    }
    return Node->Fd;
}

TFolderHandles::TPin::TPin(TFolderHandles& Owner, TRef Node)
    : FOwner(Owner), FNode(std::move(Node)) {
    if (!FNode) return;
    TClosing C;
    std::lock_guard<TBusyMutex> G(FOwner.FLock);
    FFd = FOwner.FdLocked(FNode.get());
    if (FFd < 0) return;
    ++FNode->Pins;
    FOwner.MakeRoom(C);
}

TFolderHandles::TPin::TPin(TFolderHandles& Owner, const TRef& Parent, const PackedString& Name,
                           TSearchRec& Rec)
    : FOwner(Owner) {
    if (!Parent) return;
    auto Node = std::make_shared<TNode>(Parent, Name, Rec);
    int ParentFd;
    {
        std::lock_guard<TBusyMutex> G(FOwner.FLock);
        ParentFd = FOwner.FdLocked(Parent.get());
        if (ParentFd < 0) return;
        ++Parent->Pins;
    }
    int Fd = OpenNodeAt(ParentFd, *Node, &Rec);
    int E = errno;
    TClosing C;
    std::lock_guard<TBusyMutex> G(FOwner.FLock);
    --Parent->Pins;
    if (Fd >= 0) {
        Node->Device = Rec.Device;
        Node->Inode = Rec.Inode;
        FOwner.Track(Node.get(), Fd);
        ++Node->Pins;
        FNode = std::move(Node);
        FFd = Fd;
    }
    FOwner.MakeRoom(C);
    errno = E;
}

TFolderHandles::TPin::~TPin() {
    if (FFd < 0) return;
    int E = errno;
    {
        TClosing C;
        std::lock_guard<TBusyMutex> G(FOwner.FLock);
        if (--FNode->Pins == 0 && FClose) FOwner.CloseLocked(FNode.get(), C);
        FOwner.MakeRoom(C);
    }
    errno = E;
}

TFolderHandles::TRef TFolderHandles::OpenRoot(const std::string& Path, TSearchRec& Rec) {
    int Fd = OpenFolderAt(AT_FDCWD, Path.c_str(), &Rec);
    if (Fd < 0) return nullptr;
    auto Node = std::make_shared<TNode>(nullptr, PackedString(Path), Rec);
    TClosing C;
    std::lock_guard<TBusyMutex> G(FLock);
    Track(Node.get(), Fd);
    MakeRoom(C);
    return Node;
}

TFolderHandles::TRef TFolderHandles::OpenChild(const TRef& Parent, const PackedString& Name,
                                               TSearchRec& Rec) {
    TPin P(*this, Parent, Name, Rec);
    return P.Node();
}

size_t TFolderHandles::OpenCount() const {
    std::lock_guard<TBusyMutex> G(FLock);
    return FOpen;
}

std::string TFolderHandles::PathOf(const TRef& Node) {
    std::vector<const TNode*> Chain;
    for (const TNode* N = Node.get(); N; N = N->Parent.get())
        Chain.push_back(N);
    std::string Path;
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        Path += (*It)->Name.View();
        if (Path.empty() || Path.back() != '/') Path += '/';
    }
    return Path;
}
