#include "FolderHandles.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

TFolderHandles::TNode::~TNode() {
    if (Fd >= 0) {
        ::close(Fd);
        if (Owner) --Owner->FOpen;
    }
    // The chain of parents that only this node kept alive goes here, one after the other: freed
    // by their own destructors in turn, a walk tens of thousands of folders deep would nest as
    // many calls and overflow a small stack.
    TRef Up = std::move(Parent);
    while (Up && Up.use_count() == 1) {
        TRef Next = std::move(Up->Parent);
        Up = std::move(Next); // the old node goes with no parent left to free
    }
}

void TFolderHandles::CloseNode(TNode& Node) {
    if (Node.Fd < 0) return;
    ::close(Node.Fd);
    Node.Fd = -1;
    --FOpen;
}

void TFolderHandles::MakeRoom() {
    while (FOpen >= FMaxOpen && !FOrder.empty()) {
        TRef Oldest = FOrder.front().lock();
        FOrder.pop_front();
        if (Oldest) CloseNode(*Oldest);
    }
    // Entries of nodes closed meanwhile pile up only as far as the walk is deep.
    if (FOrder.size() > 4 * FMaxOpen) {
        std::deque<std::weak_ptr<TNode>> Live;
        for (auto& W : FOrder)
            if (TRef N = W.lock(); N && N->Fd >= 0) Live.push_back(W);
        FOrder.swap(Live);
    }
}

int TFolderHandles::Track(const TRef& Node, int Fd) {
    Node->Fd = Fd;
    Node->Owner = this;
    ++FOpen;
    FOrder.push_back(Node);
    return Fd;
}

TFolderHandles::TRef TFolderHandles::OpenRoot(const std::string& Path, TSearchRec& Rec) {
    MakeRoom();
    int Fd = OpenFolderAt(AT_FDCWD, Path.c_str(), &Rec);
    if (Fd < 0) return nullptr;
    auto Node = std::make_shared<TNode>(nullptr, Path, Rec);
    Track(Node, Fd);
    return Node;
}

TFolderHandles::TRef TFolderHandles::OpenChild(const TRef& Parent, const std::string& Name,
                                               TSearchRec& Rec) {
    int ParentFd = Fd(Parent);
    if (ParentFd < 0) return nullptr;
    MakeRoom();
    // MakeRoom may have closed the parent itself when it was the oldest.
    ParentFd = Fd(Parent);
    if (ParentFd < 0) return nullptr;
    int Fd = OpenFolderAt(ParentFd, Name.c_str(), &Rec);
    if (Fd < 0) return nullptr;
    auto Node = std::make_shared<TNode>(Parent, Name, Rec);
    Track(Node, Fd);
    return Node;
}

int TFolderHandles::Fd(const TRef& Node) {
    if (!Node) return -1;
    if (Node->Fd >= 0) return Node->Fd;
    // The chain up to the nearest open ancestor (or the root, reopened by its path).
    std::vector<TRef> Chain{Node};
    while (Chain.back()->Parent && Chain.back()->Parent->Fd < 0)
        Chain.push_back(Chain.back()->Parent);
    const TRef& Top = Chain.back()->Parent;
    int Base = Top ? Top->Fd : AT_FDCWD;
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        TSearchRec R;
        int Fd = OpenFolderAt(Base, (*It)->Name.c_str(), &R);
        if (Fd >= 0 && (R.Device != (*It)->Device || R.Inode != (*It)->Inode)) {
            ::close(Fd); // renamed or replaced meanwhile: not the folder that was listed
            Fd = -1;
            errno = ESTALE;
        }
        if (Fd < 0) return -1;
        Base = Track(*It, Fd);
    }
    MakeRoom(); // the chain just opened is the newest, so older handles go first
    return Node->Fd;
}

void TFolderHandles::Release(const TRef& Node) {
    if (Node) CloseNode(*Node);
}

std::string TFolderHandles::PathOf(const TRef& Node) {
    std::vector<const TNode*> Chain;
    for (const TNode* N = Node.get(); N; N = N->Parent.get())
        Chain.push_back(N);
    std::string Path;
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        Path += (*It)->Name;
        if (Path.empty() || Path.back() != '/') Path += '/';
    }
    return Path;
}
