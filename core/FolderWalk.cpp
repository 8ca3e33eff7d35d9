#include "FolderWalk.h"

#include "core/ItemDescription.h"
#include "core/TreeItems.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <optional>
#include <thread>

namespace {

// Readers stop reading ahead while this many entries wait to be handed on.
constexpr size_t MaxAhead = 8192;
// At most this many readers, and their stacks.
constexpr unsigned MaxReaders = 8;
constexpr size_t ReaderStack = size_t(1) << 20;

// Items that stand for a disk entry of their folder. Virtual folders, scanned folders and located
// files the user put inside a scanned tree are not: the walk leaves them alone.
bool IsDiskItem(const TBasicItem* X) {
    return dynamic_cast<const TFileItem*>(X) && !dynamic_cast<const TFileLocItem*>(X);
}

// The name a disk item stands for (its file record's; its own when it has none).
const PackedString& DiskName(const TBasicItem* X) {
    auto* F = static_cast<const TFileItem*>(X);
    return F->FileInfo().Name.empty() ? X->PackedName() : F->FileInfo().Name;
}

} // namespace

TEntryBlocks::~TEntryBlocks() {
    for (TWalkEntry* B : FFree)
        ::operator delete(B);
}

TWalkEntry* TEntryBlocks::Take() {
    {
        std::lock_guard<TBusyMutex> G(FLock);
        if (!FFree.empty()) {
            TWalkEntry* B = FFree.back();
            FFree.pop_back();
            return B;
        }
    }
    return static_cast<TWalkEntry*>(::operator new(Count * sizeof(TWalkEntry)));
}

void TEntryBlocks::Give(TWalkEntry* Block) noexcept {
    std::lock_guard<TBusyMutex> G(FLock);
    try {
        FFree.push_back(Block);
    } catch (...) {
        ::operator delete(Block);
    }
}

TWalkEntry& TWalkEntries::emplace_back() {
    size_t At = FSize % TEntryBlocks::Count;
    if (At == 0) {
        FParts.push_back(nullptr);
        try {
            FParts.back() = FBlocks->Take();
        } catch (...) {
            FParts.pop_back();
            throw;
        }
    }
    TWalkEntry* E = new (FParts.back() + At) TWalkEntry();
    ++FSize;
    return *E;
}

void TWalkEntries::truncate(size_t N) noexcept {
    while (FSize > N) {
        --FSize;
        size_t At = FSize % TEntryBlocks::Count;
        FParts.back()[At].~TWalkEntry();
        if (At == 0) {
            FBlocks->Give(FParts.back());
            FParts.pop_back();
        }
    }
}

std::string PathIn(const std::string& Dir, std::string_view Name, std::string_view Tail) {
    if (Dir.empty() || Dir.size() + Name.size() + Tail.size() >= PATH_MAX) return {};
    std::string P;
    P.reserve(Dir.size() + Name.size() + Tail.size());
    P.append(Dir).append(Name).append(Tail);
    return P;
}

// What a reader needs while it reads a folder, kept from one folder to the next.
struct TFolderWalk::TScratch {
    // The existing children that stand for disk entries: name, position, and whether an entry
    // on disk is theirs.
    struct TExisting {
        const PackedString* Name;
        int32_t Index;
        bool Taken;
    };
    std::vector<TExisting> Existing;
    TLocalTimes Times;
};

struct TFolderWalk::TJob {
    TJob* Next = nullptr; // the next folder in walk order
    enum TState { Pending, Claimed, Ready } State = Pending;
    TJob *PendingPrev = nullptr, *PendingNext = nullptr; // among those not started, in walk order
    // What to read: the folder Name in Parent (or Node, open already), its path, the nesting
    // level of its children and what the catalog holds of them.
    TFolderHandles::TRef Parent, Node;
    PackedString Name;
    std::shared_ptr<const std::string> ParentPath; // shared by the folders of one parent
    int Level = 0;
    TBasicItems* Existing = nullptr;
    std::shared_ptr<TMadeFolder> Made;
    bool Root = false;
    // What was read: the folder, and the subfolders the walk enters below it, in name order.
    std::unique_ptr<TWalkFolder> Result;
    std::vector<std::unique_ptr<TJob>> Subs;
    size_t Weight = 1;
};

TFolderWalk::TFolderWalk(TFolderHandles& Handles, const TThread& Owner, const TSettings& Settings,
                         TFolderHandles::TRef Root, std::string Dir, TBasicItems* Children,
                         int Level)
    : FHandles(Handles), FOwner(Owner), FSettings(Settings) {
    auto J = std::make_unique<TJob>();
    J->Node = std::move(Root);
    J->ParentPath = std::make_shared<const std::string>(std::move(Dir));
    J->Level = Level;
    J->Existing = Children;
    J->Root = true;
    FHead = FPendingHead = FPendingTail = J.release();
    FPullScratch = std::make_unique<TScratch>();
    FBlocks = std::make_shared<TEntryBlocks>();
    unsigned N = std::min(MaxReaders, std::max(1u, std::thread::hardware_concurrency()));
    // A reader that cannot be made is missed by nobody: the thread that pulls reads what no
    // reader took.
    for (unsigned I = 0; I < N; ++I) {
        auto T = std::make_unique<TStackThread>(ReaderStack, [this] { ReaderLoop(); });
        if (!T->Started()) break;
        FReaders.push_back(std::move(T));
    }
}

TFolderWalk::~TFolderWalk() {
    {
        std::lock_guard<TBusyMutex> G(FLock);
        FStop = true;
    }
    FWork.notify_all();
    FReaders.clear(); // joins them
    while (TJob* J = FHead) {
        FHead = J->Next;
        delete J;
    }
}

void TFolderWalk::Claim(TJob& J) {
    J.State = TJob::Claimed;
    (J.PendingPrev ? J.PendingPrev->PendingNext : FPendingHead) = J.PendingNext;
    (J.PendingNext ? J.PendingNext->PendingPrev : FPendingTail) = J.PendingPrev;
    J.PendingPrev = J.PendingNext = nullptr;
}

void TFolderWalk::Finish(TJob& J) {
    // The subfolders come next in walk order, before whatever followed the folder; among the
    // folders not started, before the first that follows it.
    TJob* Before = J.Next;
    while (Before && Before->State != TJob::Pending)
        Before = Before->Next;
    TJob* After = J.Next;
    TJob* Last = &J;
    for (auto& S : J.Subs) {
        TJob* N = S.release();
        Last->Next = N;
        Last = N;
        N->PendingNext = Before;
        N->PendingPrev = Before ? Before->PendingPrev : FPendingTail;
        (N->PendingPrev ? N->PendingPrev->PendingNext : FPendingHead) = N;
        (Before ? Before->PendingPrev : FPendingTail) = N;
    }
    Last->Next = After;
    size_t Found = J.Subs.size();
    J.Subs.clear();
    J.State = TJob::Ready;
    FAhead += J.Weight;
    // Only a thread that waits is woken: most of the time nobody does.
    if (Found && FIdle) {
        if (Found == 1)
            FWork.notify_one();
        else
            FWork.notify_all();
    }
    if (&J == FHead && FPulling) FReady.notify_one();
}

void TFolderWalk::ReaderLoop() {
    SetCurrentThreadPriority(FSettings.Priority);
    TScratch S;
    std::unique_lock<TBusyMutex> L(FLock);
    for (;;) {
        if (FStop || FOwner.Terminated()) return;
        TJob* J = FAhead < MaxAhead ? FPendingHead : nullptr;
        if (!J) {
            ++FIdle;
            FWork.wait_for(L, std::chrono::milliseconds(50));
            --FIdle;
            continue;
        }
        Claim(*J);
        L.unlock();
        std::exception_ptr Failure;
        try {
            Read(*J, S);
        } catch (...) {
            // Read keeps every failure of a folder to the folder; what escapes it (no memory
            // left even for that) ends the walk on the thread that pulls, not the program.
            Failure = std::current_exception();
        }
        L.lock();
        if (Failure && !FFailure) FFailure = Failure;
        Finish(*J);
        if (FFailure && FPulling) FReady.notify_one();
    }
}

std::unique_ptr<TWalkFolder> TFolderWalk::Next() {
    std::unique_lock<TBusyMutex> L(FLock);
    if (FFailure) std::rethrow_exception(FFailure);
    TJob* J = FHead;
    if (!J) return nullptr;
    if (J->State == TJob::Pending) {
        // Needed now and started by nobody: read here.
        Claim(*J);
        L.unlock();
        Read(*J, *FPullScratch);
        L.lock();
        Finish(*J);
    }
    while (J->State != TJob::Ready) {
        if (FOwner.Terminated()) return nullptr;
        if (FFailure) std::rethrow_exception(FFailure);
        FPulling = true;
        FReady.wait_for(L, std::chrono::milliseconds(20));
        FPulling = false;
    }
    if (FOwner.Terminated()) return nullptr;
    FHead = J->Next;
    bool Held = FAhead >= MaxAhead;
    FAhead -= J->Weight;
    if (Held && FAhead < MaxAhead && FIdle) FWork.notify_all();
    std::unique_ptr<TWalkFolder> R = std::move(J->Result);
    L.unlock();
    delete J;
    return R;
}

bool TFolderWalk::OnWalkFileSystem(const TSearchRec& R) const {
    // Another file system, or a bind mount of the same one, is recorded but not entered.
    return R.Device == FSettings.Device &&
           (!R.MountId || !FSettings.Mount || R.MountId == FSettings.Mount);
}

void TFolderWalk::Read(TJob& J, TScratch& S) {
    auto F = std::make_unique<TWalkFolder>();
    auto B = std::make_shared<TFolderBatch>();
    F->Batch = B;
    F->Path = J.Root ? std::move(J.ParentPath)
                     : std::make_shared<const std::string>(PathIn(*J.ParentPath, J.Name, "/"));
    J.ParentPath.reset();
    B->Children = J.Existing;
    B->Made = J.Made;
    B->Entries = TWalkEntries(FBlocks);
    try {
        std::optional<TFolderHandles::TPin> Pin;
        TSearchRec R;
        if (J.Node)
            Pin.emplace(FHandles, std::move(J.Node));
        else
            Pin.emplace(FHandles, J.Parent, J.Name, R);
        J.Parent.reset();
        if (Pin->Node() && (J.Root || OnWalkFileSystem(R)) && Pin->Fd() >= 0) {
            F->Node = Pin->Node();
            ReadEntries(J, *F, Pin->Fd(), S);
        } else {
            // Unreadable, vanished, unmounted or elsewhere: nothing in it is marked missing.
            B->Unlisted = true;
        }
        // A folder whose subfolders are all open, or that has none, needs no descriptor now.
        if (J.Subs.empty()) Pin->CloseWhenDone();
    } catch (...) {
        // A folder that fails keeps what the catalog holds of it; the walk goes on.
        F->Batch = B = std::make_shared<TFolderBatch>();
        B->Children = J.Existing;
        B->Made = J.Made;
        B->Unlisted = true;
        J.Subs.clear();
        F->Gone.clear();
        F->TooDeep = 0;
    }
    J.Node.reset();
    J.Weight = B->Entries.size() + 1;
    J.Result = std::move(F);
}

void TFolderWalk::ReadEntries(TJob& J, TWalkFolder& F, int Fd, TScratch& S) {
    TFolderBatch& B = *F.Batch;
    TWalkEntries& Entries = B.Entries;
    TBasicItems* Children = J.Existing;
    auto Stopped = [this] { return FOwner.Terminated(); };

    // The existing children that stand for disk entries, by their exact names (the first of
    // two with one name is the one an entry is).
    S.Existing.clear();
    if (Children) {
        for (int I = 0; I < Children->Count(); ++I) {
            TBasicItem* C = Children->At(I);
            if (IsDiskItem(C))
                S.Existing.push_back({&DiskName(C), I, false});
            else
                B.Keep.push_back(I);
        }
    }
    std::stable_sort(S.Existing.begin(), S.Existing.end(),
                     [](const TScratch::TExisting& A, const TScratch::TExisting& E) {
                         return A.Name->View() < E.Name->View();
                     });
    // The existing child an entry named Name is, or null.
    auto Match = [&S](std::string_view Name) -> TScratch::TExisting* {
        auto It = std::lower_bound(
            S.Existing.begin(), S.Existing.end(), Name,
            [](const TScratch::TExisting& X, std::string_view N) { return X.Name->View() < N; });
        for (; It != S.Existing.end() && It->Name->View() == Name; ++It)
            if (!It->Taken) return &*It;
        return nullptr;
    };

    // The entries on disk, as the catalog takes them. A folder is entered only when its facts
    // are known and it lies on the walk's own file system; a folder not entered keeps what the
    // catalog holds of it.
    auto Take = [&](const TSearchRec& R, TScratch::TExisting* X) {
        TWalkEntry& E = Entries.emplace_back();
        FindDataToFileInfo(R, E.Info, &S.Times, X ? X->Name : nullptr);
        E.IsFolder = (R.Attr & faDirectory) != 0;
        E.ExistingIndex = X ? X->Index : -1;
        E.HasFacts = R.HasFacts;
        E.NotEntered = E.IsFolder && !(E.HasFacts && OnWalkFileSystem(R));
        if (X) X->Taken = true;
    };
    bool KeepIfEmpty = J.Root && FSettings.KeepIfEmpty;
    if (FSettings.ListAll) {
        // A folder read only in part is kept whole; a cancel stops the listing (and the folder
        // is then not complete).
        auto Each = [&](const TSearchRec& R) {
            Take(R, Match(R.Name));
            return !Stopped();
        };
        if (!ListFolderAt(Fd, Each)) {
            Entries.clear();
            B.Keep.clear();
            B.Unlisted = true;
            return;
        }
    } else {
        for (TScratch::TExisting& X : S.Existing) {
            if (Stopped()) break;
            TSearchRec R;
            if (FindEntryAt(Fd, X.Name->Str(), R)) Take(R, &X);
        }
        // Nothing catalogued is there: only an empty folder means an absent disk.
        if (KeepIfEmpty && Entries.empty() && !S.Existing.empty() && FolderHoldsEntriesAt(Fd) != 0)
            KeepIfEmpty = false;
    }
    Entries.sort([](const TWalkEntry& A, const TWalkEntry& E) {
        return A.Info.Name.View() < E.Info.Name.View();
    });
    // The existing children no entry on disk is.
    for (const TScratch::TExisting& X : S.Existing)
        if (!X.Taken) B.Missing.push_back(X.Index);
    std::sort(B.Missing.begin(), B.Missing.end());
    if (KeepIfEmpty && Entries.empty() && !S.Existing.empty() && !Stopped()) {
        B.Missing.clear();
        B.Keep.clear();
        B.Unlisted = true;
        F.Absent = true;
        return;
    }

    const std::string& Dir = *F.Path;
    size_t Done = 0;
    if (!Stopped()) {
        std::unique_ptr<TDescriptionList> Desc =
            Dir.empty() ? std::make_unique<TDescriptionList>() : LoadDescriptionFiles(Dir);
        std::string Comment, Note;
        for (; Done < Entries.size(); ++Done) {
            if (Stopped()) break;
            TWalkEntry& E = Entries[Done];
            std::string_view Name = E.Info.Name.View();
            // No description can be read through a path the system refuses (an empty one).
            std::string Full = EntryDescriptionReadsFile(E.IsFolder) ? PathIn(Dir, Name) : "";
            if (GetEntryDescription(Desc.get(), Name, E.IsFolder, Full, Comment, Note)) {
                if (!Comment.empty()) E.Comment = PackedString(Comment);
                if (!Note.empty()) E.Note = PackedString(Note);
            }
            if (!E.IsFolder || E.NotEntered) continue;
            // Nor is a folder whose contents would nest deeper than a catalog holds.
            if (J.Level + 1 >= MaxCatalogNesting) {
                E.NotEntered = true;
                ++F.TooDeep;
                continue;
            }
            auto Sub = std::make_unique<TJob>();
            Sub->Parent = F.Node;
            Sub->Name = E.Info.Name;
            Sub->ParentPath = F.Path;
            Sub->Level = J.Level + 1;
            TBasicItem* Old = E.ExistingIndex >= 0 ? Children->At(E.ExistingIndex) : nullptr;
            if (Old && Old->Children()) {
                Sub->Existing = Old->Children();
            } else {
                E.Made = std::make_shared<TMadeFolder>();
                Sub->Made = E.Made;
            }
            J.Subs.push_back(std::move(Sub));
        }
    }
    // A cancel cuts the folder short: what was not described or decided is not handed on.
    Entries.truncate(Done);
    B.Complete = !Stopped();
    if (FSettings.NoteGone && B.Complete)
        for (int32_t I : B.Missing) {
            TBasicItem* X = Children->At(I);
            std::string_view Name = DiskName(X).View();
            // A name no disk entry can have stays gone.
            if (!Name.empty() && Name.find('/') == std::string_view::npos)
                F.Gone.emplace_back(X, std::string(Name));
        }
}
