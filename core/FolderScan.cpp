#include "FolderScan.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/ItemDescription.h"
#include "core/TreeItems.h"
#include "core/ViewLinks.h"
#include "platform/FindFile.h"

#include <algorithm>
#include <chrono>
#include <sys/stat.h>

namespace {

// A batch is handed to the UI thread once it holds this many entries, or after this long.
constexpr size_t BatchWeight = 2048;
constexpr double BatchSeconds = 0.1;

double Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Items that stand for a disk entry of their folder. Virtual folders, scanned folders and located
// files the user put inside a scanned tree are not: the walk leaves them alone.
bool IsDiskItem(const TBasicItem* X) {
    return dynamic_cast<const TFileItem*>(X) && !dynamic_cast<const TFileLocItem*>(X);
}

std::string_view DiskName(const TBasicItem* X) {
    auto* F = static_cast<const TFileItem*>(X);
    return F->FileInfo().Name.empty() ? X->Name() : F->FileInfo().Name.View();
}

dev_t DeviceOf(const std::string& Path) {
    struct stat St;
    return ::stat(Path.c_str(), &St) == 0 ? St.st_dev : 0;
}

} // namespace

struct TFolderScanThread::TEntry {
    TFileInfo Info;
    int32_t ExistingIndex = -1; // position among the folder's children; -1 for a new entry
    int32_t NewFolderId = -1;   // the id under which the folder item made here is remembered
    bool IsFolder = false;
    bool Described = false;
    std::string Comment, Note;
};

struct TFolderScanThread::TFolderBatch {
    TBasicItems* Children = nullptr; // an existing collection, or
    int32_t ParentId = -1;           // the children of a folder made earlier in this run
    bool Unlisted = false;           // the folder could not be listed: keep all of it
    std::vector<int32_t> Missing;    // existing children not found on disk
    std::vector<int32_t> Keep;       // existing children that are not disk entries
    std::vector<TEntry> Entries;
};

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
    SynchronizeCall([this] {
        FForm.reset();
        ScanThreads.Remove(this);
    });
    if (Started() && FMode == 0 && ReturnValue() != -50 && !FAbandoned) {
        TBasicItem* Item = FItem;
        SynchronizeCall([Item] {
            if (ShowItemPropertiesProc) ShowItemPropertiesProc(Item);
        });
    }
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
    });
    std::exception_ptr Failure;
    try {
        ScanItem(FItem);
        Flush();
    } catch (...) {
        Failure = std::current_exception();
        FPending.clear(); // a batch that failed half-way is not applied again
    }
    try {
        Synchronize([this] { Finalize(); });
    } catch (...) {
        if (!Failure) Failure = std::current_exception();
    }
    // The end steps run on every path.
    Synchronize([this] {
        FForm->SetThread(nullptr);
        if (FTypes) FTypes->SetPaused(false);
        if (EnableMainWindowProc) EnableMainWindowProc(true);
        FForm->HideProgress();
        if (OnStats) OnStats(FStats);
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
    std::vector<std::function<void()>> Ops;
    Ops.swap(FPending);
    FPendingWeight = 0;
    std::string Label = FCurrentPath;
    bool NewLabel = Label != FShownPath;
    Synchronize([&] {
        for (auto& Op : Ops)
            Op();
        if (NewLabel) FForm->SetText(Label);
    });
    FShownPath = Label;
    FLastFlush = Seconds();
    ++FStats.Batches;
}

void TFolderScanThread::SetCurrentPath(const std::string& Path) {
    FCurrentPath = Path;
}

void TFolderScanThread::ScanItem(TBasicItem* X) {
    if (Terminated()) return;
    auto* Coll = dynamic_cast<TFileCollection*>(X);
    auto* File = dynamic_cast<TFileItem*>(X);
    if (Coll || File) {
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
        if (TBasicItems* Children = X->Children()) {
            std::string Path = File ? File->GetFullPath() : Coll->GetRootPath();
            ScanFolder(Path, Children, -1, DeviceOf(Path));
        }
        return;
    }
    // Virtual folders and the catalog root: walk their children.
    Queue([X] { X->SetScanFlags(X->ScanFlags() | sfSeen); }, 1);
    TBasicItems* Children = X->Children();
    int N = Children ? Children->Count() : 0;
    for (int I = 0; I < N && !Terminated(); ++I)
        ScanItem(Children->At(I));
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
    if (GetFileInfo(X->GetFullPath(), *Info)) {
        Queue(
            [this, X, Info] {
                bool Located = dynamic_cast<TFileLocItem*>(X) != nullptr;
                if (!Located) X->SetNameField(Info->Name);
                X->FileInfoRef() = *Info;
                if (!Located && FTypes) FTypes->AddItem(X);
                ++FStats.Refreshed;
            },
            1);
    } else {
        // Gone from the disk: unseen, so the end of the run may delete it.
        Queue([X] { X->SetScanFlags(0); }, 1);
    }
}

void TFolderScanThread::ScanFolder(const std::string& Path, TBasicItems* Children, int32_t ParentId,
                                   dev_t Device) {
    if (Terminated()) return;
    ++FStats.Folders;
    std::string Dir = IncludeTrailingPathDelimiter(Path);
    SetCurrentPath(Dir + "*.*");
    auto B = std::make_shared<TFolderBatch>();
    B->Children = Children;
    B->ParentId = ParentId;

    // The existing children that stand for disk entries, by their exact names.
    std::vector<std::pair<std::string_view, int32_t>> Existing;
    if (Children) {
        for (int I = 0; I < Children->Count(); ++I) {
            TBasicItem* C = Children->At(I);
            if (IsDiskItem(C))
                Existing.emplace_back(DiskName(C), I);
            else
                B->Keep.push_back(I);
        }
    }

    struct TDiskEntry {
        TSearchRec Rec;
        int32_t ExistingIndex = -1;
    };
    std::vector<TDiskEntry> Disk;
    auto ByName = [](const TDiskEntry& A, const TDiskEntry& E) { return A.Rec.Name < E.Rec.Name; };
    if (FRoAdd) {
        TSearchRec R;
        TSearchHandle H;
        bool Any = FindFirst(Dir, R, H);
        bool Listed = Any || H.Error == 0;
        while (Any && !Terminated()) {
            Disk.push_back({std::move(R), -1});
            Any = FindNext(R, H);
        }
        if (H.Error) Listed = false; // a folder read only in part is kept whole
        FindClose(H);
        if (!Listed) {
            // Unreadable, vanished or unmounted: nothing in it is marked missing or deleted.
            B->Unlisted = true;
            Queue([this, B] { ApplyFolder(*B); }, 1);
            return;
        }
        std::sort(Disk.begin(), Disk.end(), ByName);
        std::vector<bool> Taken(Disk.size());
        for (auto& [Name, Index] : Existing) {
            if (Terminated()) break;
            auto It = std::lower_bound(
                Disk.begin(), Disk.end(), Name,
                [](const TDiskEntry& D, std::string_view N) { return D.Rec.Name < N; });
            size_t J = static_cast<size_t>(It - Disk.begin());
            if (It != Disk.end() && It->Rec.Name == Name && !Taken[J]) {
                It->ExistingIndex = Index;
                Taken[J] = true;
            } else {
                B->Missing.push_back(Index);
            }
        }
    } else {
        for (auto& [Name, Index] : Existing) {
            if (Terminated()) break;
            TSearchRec R;
            if (FindEntry(Dir + std::string(Name), R))
                Disk.push_back({std::move(R), Index});
            else
                B->Missing.push_back(Index);
        }
        std::sort(Disk.begin(), Disk.end(), ByName);
    }

    struct TSubFolder {
        std::string Path;
        TBasicItems* Children;
        int32_t ParentId;
    };
    std::vector<TSubFolder> Subs;
    if (!Terminated()) {
        std::unique_ptr<TDescriptionList> Desc = LoadDescriptionFiles(Dir);
        B->Entries.reserve(Disk.size());
        for (TDiskEntry& D : Disk) {
            if (Terminated()) break;
            TEntry E;
            FindDataToFileInfo(D.Rec, E.Info);
            E.IsFolder = (D.Rec.Attr & faDirectory) != 0;
            E.ExistingIndex = D.ExistingIndex;
            std::string Full = Dir + D.Rec.Name;
            E.Described =
                GetEntryDescription(Desc.get(), D.Rec.Name, E.IsFolder, Full, E.Comment, E.Note);
            // A mount point below the walk's root is recorded as a folder but not entered.
            if (E.IsFolder && D.Rec.Device == Device) {
                TBasicItem* Old = E.ExistingIndex >= 0 ? Children->At(E.ExistingIndex) : nullptr;
                if (Old && Old->Children()) {
                    Subs.push_back({Full, Old->Children(), -1});
                } else {
                    E.NewFolderId = static_cast<int32_t>(FNewFolders.size());
                    FNewFolders.push_back(nullptr);
                    Subs.push_back({Full, nullptr, E.NewFolderId});
                }
            }
            B->Entries.push_back(std::move(E));
        }
    }
    size_t Weight = B->Entries.size() + B->Missing.size() + 1;
    Queue([this, B] { ApplyFolder(*B); }, Weight);

    for (TSubFolder& S : Subs) {
        if (Terminated()) break;
        try {
            ScanFolder(S.Path, S.Children, S.ParentId, Device);
        } catch (...) {
            // A subfolder that fails keeps what was done in it; the walk goes on.
        }
    }
}

void TFolderScanThread::ApplyFolder(TFolderBatch& B) {
    TBasicItems* C = B.Children;
    if (!C && B.ParentId >= 0 && FNewFolders[B.ParentId]) C = FNewFolders[B.ParentId]->Children();
    if (!C) return;
    if (B.Unlisted) {
        if (TBasicItem* Owner = C->OwnerItem()) Owner->SetScanFlags(Owner->ScanFlags() | sfKeep);
        return;
    }
    for (int32_t I : B.Keep)
        C->At(I)->SetScanFlags(C->At(I)->ScanFlags() | sfSeen | sfKeep);
    for (int32_t I : B.Missing)
        C->At(I)->SetScanFlags(C->At(I)->ScanFlags() | sfMissing);
    // Positions stay valid while the folder's entries are added or replaced.
    C->SetSorted(false);
    for (TEntry& E : B.Entries) {
        TBasicItem* Cur = nullptr;
        int32_t Existing = E.ExistingIndex, Old = -1;
        if (Existing > -1) {
            Cur = C->At(Existing);
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
        Cur->SetScanFlags(Cur->ScanFlags() | sfSeen);
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
        F->FileInfoRef() = E.Info;
        if (FTypes) FTypes->AddItem(F);
        if (E.Described) {
            if (!E.Note.empty()) F->SetNoteField(PackedString(E.Note));
            if (!E.Comment.empty()) F->SetCommentField(PackedString(E.Comment));
        }
        if (E.NewFolderId >= 0) FNewFolders[E.NewFolderId] = F;
    }
    C->SetSorted(true);
}

void TFolderScanThread::Finalize() {
    if (TreeUpdateProc) TreeUpdateProc(true);
    bool RootKept = FItem->ScanFlags() & sfKeep;
    FItem->SetScanFlags(0);
    bool Refused = ReturnValue() == -50;
    // Entries the walk did not reach carry no seen mark: a cancelled run deletes nothing.
    bool MayDelete = FRoDelete && !Refused && !Terminated() && !RootKept;
    if (TBasicItems* Children = FItem->Children()) {
        PruneItems(Children, MayDelete);
        if (!Refused) NotifyViews();
    }
    if (TreeUpdateProc) TreeUpdateProc(false);
    if (EnableMainWindowProc) EnableMainWindowProc(true);
}

void TFolderScanThread::PruneItems(TBasicItems* C, bool MayDelete) {
    for (int I = C->Count() - 1; I >= 0; --I) {
        TBasicItem* X = C->At(I);
        uint8_t Flags = X->ScanFlags();
        if (MayDelete && !(Flags & (sfSeen | sfKeep)) && dynamic_cast<TFileItem*>(X)) {
            delete X; // a folder goes with everything in it
            ++FStats.Deleted;
            continue;
        }
        X->SetScanFlags(0);
        if (TBasicItems* Sub = X->Children()) PruneItems(Sub, MayDelete && !(Flags & sfKeep));
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
