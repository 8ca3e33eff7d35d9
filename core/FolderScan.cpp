#include "FolderScan.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/FolderWalk.h"
#include "core/ItemDescription.h"
#include "core/TreeItems.h"
#include "core/ViewLinks.h"
#include "platform/FindFile.h"
#include "platform/Format.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

namespace {

// A batch is handed to the UI thread once it holds this many entries, or after this long; the
// walk waits while more than MaxQueued entries wait for the UI thread.
constexpr size_t BatchWeight = 2048;
constexpr double BatchSeconds = 0.1;
constexpr size_t MaxQueued = 4 * BatchWeight;
// Descriptors a walk keeps open at most (beyond it, those used longest ago are closed).
constexpr size_t MaxOpenFolders = 128;

double Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The nesting level of Item's children in the catalog (the root's children are the first).
int NestingOf(const TBasicItem* Item) {
    int Level = 1;
    for (const TBasicItem* I = Item->OwnerItem(); I; I = I->OwnerItem())
        ++Level;
    return Level;
}

// Whether the folder of a scanned folder's volume record now lies on another file system than
// the one recorded (only a record that names one can tell).
bool IsOtherFileSystem(const TVolumeInfo& Recorded) {
    if (Recorded.FileSystem == UnknownVolumeText) return false;
    TVolumeInfo Now;
    Now.Path = Recorded.Path;
    ReadVolumeInfo(Now);
    if (Now.FileSystem == UnknownVolumeText) return false;
    return Now.FileSystem != Recorded.FileSystem || Now.Serial != Recorded.Serial;
}

const char* const SAbsentDisk =
    "%s is empty or lies on another disk than the one catalogued: nothing was deleted";

} // namespace

TFolderScanThread::TFolderScanThread(TBasicItem* Item, uint8_t Mode) : FItem(Item), FMode(Mode) {
    ScanThreads.Add(this);
    FreeOnTerminate = true;
    SetPriority(tpLowest);
    SetReturnValue(-100);
    FForm = CreateProgressWindow(TProgressOwner::Application);
    FForm->SetThread(this);
    if (Mode == 0) {
        FForm->SetMode(0);
        FRoAdd = true;
        FRoDelete = false;
        FRoCheck = false;
    } else {
        FForm->SetMode(2);
        FRoAdd = roAdd;
        FRoDelete = roDelete;
        FRoCheck = roCheck;
    }
}

TFolderScanThread::~TFolderScanThread() {
    // A self-freeing thread ends here on its own thread: the window and the list belong to the UI.
    // The scan leaves the list and opens its dialog in one call: once it is out of the list
    // nobody waits for it, and its item may be freed by the next thing the UI thread does.
    bool Dialog = Started() && FMode == 0 && ReturnValue() != -50;
    SynchronizeCall([this, Dialog] {
        FForm.reset();
        ScanThreads.Remove(this);
        if (Dialog && !FAbandoned && ShowItemPropertiesProc) ShowItemPropertiesProc(FItem);
    });
}

void TFolderScanThread::Abandon() {
    FAbandoned = true;
    Terminate();
}

void TFolderScanThread::Execute() {
    // The catalog the walked item belongs to, whose type table waits while the run changes it.
    TBasicItem* Root = FItem;
    while (Root->OwnerItem())
        Root = Root->OwnerItem();
    auto* Catalog = dynamic_cast<TCatFileItem*>(Root);
    FTypes = Catalog ? Catalog->Types() : (CurrentCatalog ? CurrentCatalog->Types() : nullptr);

    Synchronize([this] {
        FForm->ShowProgress();
        if (EnableMainWindowProc) EnableMainWindowProc(false);
        if (FTypes) FTypes->SetPaused(true);
        FItem->SetScanFlags(FItem->ScanFlags() | sfSeen | sfRoot);
        // A first scan of an empty folder finds nothing to keep or delete: its new items carry
        // no marks, and nothing has to be cleared of them at the end.
        FMarks = FMode != 0 || (FItem->Children() && FItem->Children()->Count() > 0);
    });
    std::exception_ptr Failure;
    try {
        ScanItem(FItem);
        Flush();
        RecheckGone();
    } catch (...) {
        // What the walk decided before the failure is still applied; folders it did not finish
        // carry no walked mark, so nothing in them is deleted.
        Failure = std::current_exception();
        try {
            Flush();
        } catch (...) {
        }
    }
    try {
        Synchronize([this] { Finalize(); });
    } catch (...) {
        if (!Failure) Failure = std::current_exception();
    }
    // The end steps run on every path.
    if (FStats.TooDeep > 0)
        FNotes.push_back(Format("%d folders lie deeper than a catalog can hold: what they contain "
                                "was not catalogued",
                                {FStats.TooDeep}));
    Synchronize([this] {
        FForm->SetThread(nullptr);
        if (FTypes) FTypes->SetPaused(false);
        if (EnableMainWindowProc) EnableMainWindowProc(true);
        FForm->HideProgress();
        if (OnStats) OnStats(FStats);
        // A scan stopped because its catalog goes away has nobody left to tell.
        if (!FAbandoned)
            for (const std::string& Note : FNotes)
                ShowCatalogError(ECatalogError(FItem->DisplayName() + ": " + Note));
    });
    if (Failure) std::rethrow_exception(Failure);
}

void TFolderScanThread::Queue(std::function<void()> Op, size_t Weight) {
    FPending.push_back(std::move(Op));
    FPendingWeight += Weight;
    if (FPendingWeight >= BatchWeight || Seconds() - FLastFlush > BatchSeconds) Flush();
}

void TFolderScanThread::Flush() {
    if (FPending.empty() && FShownPath == FCurrentPath) return;
    auto Ops = std::make_shared<std::vector<std::function<void()>>>(std::move(FPending));
    FPending.clear();
    size_t Weight = FPendingWeight + 1;
    FPendingWeight = 0;
    std::string Label = FCurrentPath;
    bool NewLabel = Label != FShownPath;
    {
        std::lock_guard<std::mutex> G(FQueueLock);
        FQueued += Weight;
    }
    // The UI thread applies the batch when it comes to it; the walk goes on meanwhile.
    QueueCall([this, Ops, Weight, Label, NewLabel] {
        // A step that fails costs only its own folder (which is then not pruned): the others of
        // the batch still apply.
        for (auto& Op : *Ops) {
            try {
                Op();
            } catch (...) {
                ++FStats.Failed;
            }
        }
        try {
            if (NewLabel) FForm->SetText(Label);
        } catch (...) {
        }
        {
            std::lock_guard<std::mutex> G(FQueueLock);
            FQueued -= Weight;
        }
        FApplied.notify_all();
    });
    FShownPath = Label;
    FLastFlush = Seconds();
    ++FStats.Batches;
    // What waits for the UI thread stays bounded: a walk faster than the UI thread waits here.
    WaitForQueue(MaxQueued);
}

void TFolderScanThread::WaitForQueue(size_t Most) {
    std::unique_lock<std::mutex> L(FQueueLock);
    while (FQueued > Most && !Terminated())
        FApplied.wait_for(L, std::chrono::milliseconds(50));
}

void TFolderScanThread::SetCurrentPath(const std::string& Dir, const TFolderHandles::TRef& Node) {
    if (!Dir.empty()) {
        FCurrentPath = Dir + "*.*";
        return;
    }
    // A path that long is built from the folder's chain, at most as often as the label changes.
    double Now = Seconds();
    if (Now - FLastLongLabel < BatchSeconds) return;
    FLastLongLabel = Now;
    FCurrentPath = TFolderHandles::PathOf(Node) + "*.*";
}

void TFolderScanThread::ScanItem(TBasicItem* X) {
    // Virtual folders and the catalog root hold the walk's roots; their own children are walked
    // in turn from an explicit stack, so nesting of any depth costs no thread stack.
    struct TFrame {
        TBasicItem* Folder;
        int Next, Count;
    };
    std::vector<TFrame> Stack;
    auto Visit = [&](TBasicItem* Y) {
        auto* Coll = dynamic_cast<TFileCollection*>(Y);
        auto* File = dynamic_cast<TFileItem*>(Y);
        if (!Coll && !File) {
            Queue([Y] { Y->SetScanFlags(Y->ScanFlags() | sfSeen); }, 1);
            TBasicItems* Children = Y->Children();
            Stack.push_back({Y, 0, Children ? Children->Count() : 0});
            return;
        }
        TVolumeInfo* V = File ? File->GetVolume() : &Coll->Volume();
        if (FRoCheck && V) {
            Flush();
            bool Ok = true;
            Synchronize([&] { Ok = CheckVolume(*V); });
            if (!Ok) SetReturnValue(-50);
        }
        // Once refused, every later volume is asked about and then skipped the same way.
        if (ReturnValue() == -50) return;
        if (File) RescanItem(File);
        if (TBasicItems* Children = Y->Children()) {
            // With the volume checked, the question has settled which disk this is.
            const TVolumeInfo* Recorded = Coll && !FRoCheck ? &Coll->Volume() : nullptr;
            Walk(File ? File->GetFullPath() : Coll->GetRootPath(), Children, NestingOf(Y),
                 Recorded);
        }
    };
    Visit(X);
    while (!Stack.empty() && !Terminated()) {
        TFrame& F = Stack.back();
        if (F.Next < F.Count) {
            Visit(F.Folder->Children()->At(F.Next++));
            continue;
        }
        // Every child was reached: the end of the run may drop those found gone.
        TBasicItem* Done = F.Folder;
        Queue([Done] { Done->SetScanFlags(Done->ScanFlags() | sfWalked); }, 1);
        Stack.pop_back();
    }
}

void TFolderScanThread::RescanItem(TFileItem* X) {
    auto Desc = std::make_shared<std::pair<std::string, std::string>>();
    ExtractItemDescription(X, Desc->first, Desc->second);
    Queue(
        [X, Desc] {
            if (!Desc->second.empty()) X->SetNoteField(PackedString(Desc->second));
            if (!Desc->first.empty()) X->SetCommentField(PackedString(Desc->first));
            X->SetScanFlags(X->ScanFlags() | sfSeen);
        },
        1);
    auto Info = std::make_shared<TFileInfo>();
    TSearchRec R;
    if (FindEntry(X->GetFullPath(), R)) {
        FindDataToFileInfo(R, *Info);
        Queue(
            [this, X, Info] {
                bool Located = dynamic_cast<TFileLocItem*>(X) != nullptr;
                if (!Located) X->SetNameField(Info->Name);
                X->FileInfoRef() = *Info;
                if (!Located && FTypes) FTypes->AddItem(X);
                ++FStats.Refreshed;
            },
            1);
    } else if (errno == ENOENT || errno == ENOTDIR) {
        // Gone from the disk: unseen, so the end of the run may delete it.
        Queue([X] { X->SetScanFlags(0); }, 1);
        if (FRoDelete) FGone.emplace_back(X, X->GetFullPath());
    } else {
        // There, but out of reach (a folder on the way cannot be searched): kept as it is.
        Queue([X] { X->SetScanFlags(X->ScanFlags() | sfSeen | sfKeep); }, 1);
    }
}

void TFolderScanThread::Walk(const std::string& RootPath, TBasicItems* Children, int Level,
                             const TVolumeInfo* Volume) {
    TFolderHandles Handles(MaxOpenFolders);
    // Entries noted in the walk's folders let go of them before the handles go, however the walk
    // ends.
    struct TForget {
        std::vector<TGoneEntry>& Gone;
        ~TForget() { Gone.clear(); }
    } Forget{FGoneInWalk};
    TSearchRec RootRec;
    std::string Dir = IncludeTrailingPathDelimiter(RootPath);
    TFolderHandles::TRef Root = Handles.OpenRoot(Dir, RootRec);
    if (!Root) {
        // Unreadable, vanished or unmounted: nothing in it is marked missing or deleted.
        KeepUnlisted(Children);
        return;
    }
    if (Level >= MaxCatalogNesting) {
        ++FStats.TooDeep;
        KeepUnlisted(Children);
        return;
    }
    if (Volume && IsOtherFileSystem(*Volume)) {
        // The disk catalogued is not there: what is mounted in its place (or the folder that
        // stands for it while it is out) tells nothing about what it holds.
        FNotes.push_back(Format(SAbsentDisk, {Dir}));
        KeepUnlisted(Children);
        return;
    }
    TFolderWalk::TSettings S;
    S.ListAll = FRoAdd;
    S.NoteGone = FRoDelete;
    S.KeepIfEmpty = Volume != nullptr;
    S.Device = RootRec.Device;
    S.Mount = RootRec.MountId;
    S.Priority = Priority();
    {
        TFolderWalk W(Handles, *this, S, std::move(Root), PathIn(Dir, {}), Children, Level);
        while (std::unique_ptr<TWalkFolder> F = W.Next()) {
            ++FStats.Folders;
            FStats.TooDeep += F->TooDeep;
            if (F->Absent) FNotes.push_back(Format(SAbsentDisk, {Dir}));
            SetCurrentPath(*F->Path, F->Node);
            for (auto& [X, Name] : F->Gone)
                FGoneInWalk.push_back({X, F->Node, std::move(Name)});
            std::shared_ptr<TFolderBatch> B = std::move(F->Batch);
            size_t Weight = B->Entries.size() + B->Missing.size() + 1;
            Queue([this, B] { ApplyFolder(*B); }, Weight);
        }
    }
    RecheckWalk(Handles);
}

void TFolderScanThread::KeepUnlisted(TBasicItems* Children) {
    auto B = std::make_shared<TFolderBatch>();
    B->Children = Children;
    B->Unlisted = true;
    Queue([this, B] { ApplyFolder(*B); }, 1);
}

// An entry renamed away and back while its folder was read looked gone; whatever is there again
// at the end is kept as it is, with everything below it. So is an entry whose folder cannot be
// looked into again: nothing says it is gone.
void TFolderScanThread::RecheckGone() {
    if (!Terminated())
        for (auto& [X, Path] : FGone) {
            TSearchRec R;
            if (FindEntry(Path, R) || (errno != ENOENT && errno != ENOTDIR)) {
                TBasicItem* Item = X;
                Queue([Item] { Item->SetScanFlags(Item->ScanFlags() | sfSeen | sfKeep); }, 1);
            }
        }
    FGone.clear();
    Flush();
}

void TFolderScanThread::RecheckWalk(TFolderHandles& Handles) {
    if (FGoneInWalk.empty()) return;
    // Everything the walk decided is applied first: what is there at the end of it counts.
    Flush();
    WaitForQueue(0);
    if (!Terminated())
        for (TGoneEntry& G : FGoneInWalk) {
            TFolderHandles::TPin Pin(Handles, G.Folder);
            TSearchRec R;
            if (Pin.Fd() < 0 || FindEntryAt(Pin.Fd(), G.Name, R)) {
                TBasicItem* Item = G.Item;
                Queue([Item] { Item->SetScanFlags(Item->ScanFlags() | sfSeen | sfKeep); }, 1);
            }
        }
}

void TFolderScanThread::ApplyFolder(TFolderBatch& B) {
    TBasicItems* C = B.Children;
    if (!C && B.Made && B.Made->Item) C = B.Made->Item->Children();
    if (!C) return;
    if (B.Unlisted) {
        if (TBasicItem* Owner = C->OwnerItem(); Owner && FMarks)
            Owner->SetScanFlags(Owner->ScanFlags() | sfKeep);
        return;
    }
    for (int32_t I : B.Keep)
        C->At(I)->SetScanFlags(C->At(I)->ScanFlags() | sfSeen | sfKeep);
    for (int32_t I : B.Missing)
        C->At(I)->SetScanFlags(C->At(I)->ScanFlags() | sfMissing);
    // Positions stay valid while the folder's entries are added or replaced.
    C->SetSorted(false);
    // Room for the new entries, once: a folder of many grows no larger than it needs.
    size_t New = 0;
    for (size_t At = 0; At < B.Entries.size(); ++At)
        New += B.Entries[At].ExistingIndex < 0;
    if (New) C->Reserve(static_cast<size_t>(C->Count()) + New);
    for (size_t At = 0; At < B.Entries.size(); ++At) {
        TWalkEntry& E = B.Entries[At];
        TBasicItem* Cur = nullptr;
        int32_t Existing = E.ExistingIndex, Old = -1;
        if (Existing > -1) {
            Cur = C->At(Existing);
            if (!E.HasFacts) {
                // Listed but out of reach: the stored record and everything below stay.
                Cur->SetScanFlags(Cur->ScanFlags() | sfSeen | sfKeep);
                continue;
            }
            if (E.IsFolder != (Cur->Children() != nullptr)) {
                // A file became a folder or the reverse: a new item takes the old one's place.
                Old = Existing;
                Existing = -1;
                Cur->SetNameField(PackedString());
                Cur->SetScanFlags(Cur->ScanFlags() | sfMissing | sfKindChanged);
            }
        }
        if (Existing == -1) {
            Cur = E.IsFolder ? static_cast<TBasicItem*>(new TFileFolder(nullptr))
                             : new TFileItem(nullptr);
        }
        if (FMarks) Cur->SetScanFlags(Cur->ScanFlags() | sfSeen | (E.NotEntered ? sfKeep : 0));
        if (Old > -1) {
            TBasicItem* Replaced = C->At(Old);
            Cur->Assign(*Replaced);
            Cur->SetTypeItem(nullptr); // it joins the row of its new kind below
            delete Replaced;
        }
        if (Existing == -1) {
            Cur->SetCollection(C);
            if (Old > -1) Cur->SetIndex(Old);
            ++FStats.Added;
        } else {
            ++FStats.Refreshed;
        }
        auto* F = static_cast<TFileItem*>(Cur);
        F->SetNameField(E.Info.Name);
        if (E.HasFacts) {
            F->FileInfoRef() = E.Info;
        } else {
            F->FileInfoRef().Name = E.Info.Name;
            F->FileInfoRef().Attr = E.Info.Attr;
        }
        if (FTypes) FTypes->AddItem(F);
        if (!E.Note.empty()) F->SetNoteField(E.Note);
        if (!E.Comment.empty()) F->SetCommentField(E.Comment);
        if (E.Made) E.Made->Item = F;
    }
    C->SetSorted(true);
    // Only a folder whose listing was taken to its end may lose the children found missing.
    if (B.Complete && FMarks)
        if (TBasicItem* Owner = C->OwnerItem()) Owner->SetScanFlags(Owner->ScanFlags() | sfWalked);
}

void TFolderScanThread::Finalize() {
    if (TreeUpdateProc) TreeUpdateProc(true);
    uint8_t RootFlags = FItem->ScanFlags();
    FItem->SetScanFlags(0);
    bool Refused = ReturnValue() == -50;
    // Entries the walk did not reach carry no seen mark: a cancelled run deletes nothing.
    bool MayDelete = FRoDelete && !Refused && !Terminated();
    if (TBasicItems* Children = FItem->Children()) {
        if (FMarks) PruneItems(Children, RootFlags, MayDelete);
        if (!Refused) NotifyViews();
    }
    if (TreeUpdateProc) TreeUpdateProc(false);
    if (EnableMainWindowProc) EnableMainWindowProc(true);
}

void TFolderScanThread::PruneItems(TBasicItems* Top, uint8_t TopFlags, bool MayDelete) {
    // Every folder is visited once from an explicit stack. A folder's unseen disk items go only
    // when deleting is allowed, the folder was walked to its end and nothing above it is kept.
    struct TPrune {
        TBasicItems* Items;
        uint8_t OwnerFlags; // the scan marks the folder had
        bool KeptAbove;
    };
    std::vector<TPrune> Stack{{Top, TopFlags, false}};
    std::vector<bool> Doomed;
    while (!Stack.empty()) {
        TPrune P = Stack.back();
        Stack.pop_back();
        TBasicItems* C = P.Items;
        bool Kept = P.KeptAbove || (P.OwnerFlags & sfKeep);
        bool Here = MayDelete && !Kept && (P.OwnerFlags & sfWalked);
        Doomed.assign(static_cast<size_t>(C->Count()), false);
        bool Any = false;
        for (int I = 0; I < C->Count(); ++I) {
            TBasicItem* X = C->At(I);
            uint8_t Flags = X->ScanFlags();
            if (Here && !(Flags & (sfSeen | sfKeep)) && dynamic_cast<TFileItem*>(X)) {
                Doomed[static_cast<size_t>(I)] = Any = true; // a folder goes with all it holds
                continue;
            }
            X->SetScanFlags(0);
            if (TBasicItems* Sub = X->Children()) Stack.push_back({Sub, Flags, Kept});
        }
        if (Any) {
            int Before = C->Count();
            // Children of a doomed folder go first, leaves first, without recursion.
            for (int I = 0; I < C->Count(); ++I)
                if (Doomed[static_cast<size_t>(I)])
                    if (TBasicItems* Sub = C->At(I)->Children()) DestroyItems(*Sub);
            C->DeleteItems(Doomed);
            FStats.Deleted += Before - C->Count();
        }
    }
}

void TFolderScanThread::NotifyViews() {
    TBasicItem* Parent = FItem->OwnerItem();
    TTreeNode* Node = FMode == 0 ? (Parent ? Parent->TreeNode() : nullptr) : FItem->TreeNode();
    if (Node) {
        if (RefreshTreeNodeProc) RefreshTreeNodeProc(Node);
        Node->Expand(false);
    }
    if (RefreshListProc && (CurrentFolder == FItem || (Parent && CurrentFolder == Parent)))
        RefreshListProc();
    if (StartTreeImageThreadProc) StartTreeImageThreadProc();
}

// ---- stopping scans ----------------------------------------------------------------------

void StopScansWithin(const TBasicItem* Item) {
    // Only the UI thread keeps the list of scans; a tree freed elsewhere (a load's helper) is
    // one no scan has seen.
    if (!Item || ScanThreads.IsEmpty() || !IsMainThread()) return;
    for (;;) {
        TFolderScanThread* Found = nullptr;
        for (int I = 0; I < ScanThreads.Count() && !Found; ++I) {
            const TBasicItem* X = ScanThreads[I]->Item();
            for (; X && !Found; X = X->OwnerItem())
                if (X == Item) Found = ScanThreads[I];
        }
        if (!Found) return;
        // Waiting serves the scan's calls, which still find every item in place; it leaves
        // the list when it ends.
        Found->Abandon();
        Found->WaitFor();
    }
}

// ---- TFileCollection's scan ----------------------------------------------------------------

void TFileCollection::StartScan() {
    if (FScanThread) return;
    auto* T = new TFolderScanThread(this, 0);
    FScanThread = T;
    T->OnTerminate = [this, T](TThread*) {
        if (FScanThread == T) FScanThread = nullptr;
    };
    T->Resume();
}

void TFileCollection::StopScan() {
    if (TThread* T = FScanThread) {
        static_cast<TFolderScanThread*>(T)->Abandon();
        T->WaitFor(); // the thread frees itself; its end clears FScanThread
        FScanThread = nullptr;
    }
}
