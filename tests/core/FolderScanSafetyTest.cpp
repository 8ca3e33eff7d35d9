// What a scan or a synchronise must never lose or touch: folders it cannot list, enter or reach,
// an absent disk, entries renamed while it runs, trees deeper than a catalog holds, a cancel, a
// refused volume, and a catalog cleared or a folder destroyed while it runs.
#include "FolderScanFixture.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

TEST_F(Scan, FoldersThatCannotBeListedLoseNothing) {
    MakeDir(D / "root/vanishing/sub");
    WriteFile(D / "root/a", "12345");
    TFileCollection* C = FirstScan(D / "root");
    Child(C, "a")->SetComment("annotated");
    // A folder item whose folder is gone, synchronised directly: it cannot be listed.
    TBasicItem* Vanishing = Child(C, "vanishing");
    std::filesystem::remove_all(D / "root/vanishing");
    roCheck = false;
    Synchronise(Vanishing);
    ASSERT_EQ(Child(C, "vanishing"), Vanishing);
    EXPECT_NE(Child(Vanishing, "sub"), nullptr);
    // The scanned folder's root renamed away: with or without adding, nothing is marked missing.
    ASSERT_EQ(::rename((D / "root").c_str(), (D / "moved").c_str()), 0);
    for (bool Add : {false, true}) {
        roAdd = Add;
        roDelete = true;
        Synchronise(C);
        EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"a", "vanishing"})) << Add;
        EXPECT_EQ(Child(C, "a")->Comment(), "annotated");
        EXPECT_EQ(static_cast<TFileItem*>(Child(C, "a"))->FileInfo().Size, 5u);
    }
    // The same after "Ignore" in the volume question.
    C->Volume().VolumeName = "ANOTHER DISK";
    VolumeQuestionProc = [](const std::string&) { return TVolumeAnswer::Ignore; };
    roCheck = true;
    roAdd = false;
    Synchronise(C);
    EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"a", "vanishing"}));
}

// An unplugged disk leaves an empty folder (its mount point) where its root was, or a link to
// one: with the volume not checked, that is an absent disk, not a disk emptied by its user.
TEST_F(Scan, AnAbsentDiskKeepsItsCatalog) {
    MakeDir(D / "disk/sub");
    WriteFile(D / "disk/a", "12345");
    WriteFile(D / "disk/sub/b", "");
    MakeDir(D / "empty");
    ASSERT_EQ(::symlink((D / "disk").c_str(), (D / "link").c_str()), 0);
    TFileCollection* Direct = FirstScan(D / "disk");
    TFileCollection* Linked = FirstScan(D / "link/");
    for (TFileCollection* C : {Direct, Linked})
        Child(C, "a")->SetComment("annotated");
    ASSERT_EQ(::rename((D / "disk").c_str(), (D / "unplugged").c_str()), 0);
    MakeDir(D / "disk");
    ASSERT_EQ(::unlink((D / "link").c_str()), 0);
    ASSERT_EQ(::symlink((D / "empty").c_str(), (D / "link").c_str()), 0);
    roCheck = false;
    roDelete = true;
    for (bool Add : {true, false})
        for (TFileCollection* C : {Direct, Linked}) {
            roAdd = Add;
            Messages.clear();
            Synchronise(C);
            ASSERT_EQ(ChildNames(C), (std::vector<std::string>{"a", "sub"})) << Add;
            EXPECT_EQ(Child(C, "a")->Comment(), "annotated");
            EXPECT_EQ(ChildNames(Child(C, "sub")), std::vector<std::string>{"b"});
            ASSERT_EQ(Messages.size(), 1u) << Add;
            EXPECT_EQ(Messages[0], C->DisplayName() + ": " +
                                       IncludeTrailingPathDelimiter(C->GetRootPath()) +
                                       " is empty or lies on another disk than the one "
                                       "catalogued: nothing was deleted");
        }
    // A root that still holds anything is synchronised as usual.
    WriteFile(D / "disk/new", "");
    roAdd = true;
    Messages.clear();
    Synchronise(Direct);
    EXPECT_EQ(ChildNames(Direct), std::vector<std::string>{"new"});
    EXPECT_TRUE(Messages.empty());
}

// What a user who is not root cannot see: a folder without permissions (mode 000), and one that
// may be listed but not searched (mode 0644). Their entries keep their records and children.
TEST_F(Scan, FoldersOutOfReachOfTheUserKeepWhatTheCatalogHolds) {
    if (RunTestUnprivileged({&D})) return;
    ASSERT_NE(::geteuid(), 0u) << "must run unprivileged";
    MakeDir(D / "tree/keep/sub");
    MakeDir(D / "tree/locked");
    WriteFile(D / "tree/keep/a", "12345");
    WriteFile(D / "tree/keep/sub/b", "");
    WriteFile(D / "tree/locked/secret", "");
    TFileCollection* C = FirstScan(D / "tree");
    auto* A = static_cast<TFileItem*>(Child(Child(C, "keep"), "a"));
    A->SetComment("mine");
    const TFileInfo Before = A->FileInfo();
    ASSERT_EQ(::chmod((D / "tree/keep").c_str(), 0644), 0);
    ASSERT_EQ(::chmod((D / "tree/locked").c_str(), 0), 0);
    roCheck = false;
    roDelete = true;
    for (bool Add : {true, false}) {
        roAdd = Add;
        Synchronise(C);
        TBasicItem* Keep = Child(C, "keep");
        ASSERT_NE(Keep, nullptr) << Add;
        A = static_cast<TFileItem*>(Child(Keep, "a"));
        ASSERT_NE(A, nullptr) << Add;
        EXPECT_EQ(A->FileInfo().Size, 5u) << Add;
        EXPECT_EQ(A->FileInfo().Date, Before.Date) << Add;
        EXPECT_EQ(A->Comment(), "mine");
        ASSERT_NE(Child(Keep, "sub"), nullptr) << Add;
        EXPECT_NE(Child(Child(Keep, "sub"), "b"), nullptr) << Add;
        EXPECT_NE(Child(Child(C, "locked"), "secret"), nullptr) << Add;
    }
    // A first scan records such folders without what it cannot see, and still ends well.
    TFileCollection* Second = FirstScan(D / "tree");
    EXPECT_EQ(ChildNames(Child(Second, "keep")), (std::vector<std::string>{"a", "sub"}));
    EXPECT_EQ(Child(Second, "locked")->Children()->Count(), 0);
    ::chmod((D / "tree/keep").c_str(), 0755);
    ::chmod((D / "tree/locked").c_str(), 0755);
}

// A folder renamed away while its parent is read and back before the end of the run existed all
// along: neither it nor anything it holds is deleted.
TEST_F(Scan, AFolderRenamedAwayAndBackLosesNothing) {
    MakeDir(D / "a");
    MakeDir(D / "b");
    for (int I = 0; I < 5; ++I)
        WriteFile(D / ("a/" + std::to_string(I)), "");
    WriteFile(D / "b/x", "");
    TFileCollection* C = FirstScan(D.Path());
    Child(C, "a")->SetComment("annotated");
    std::string A = D / "a", Away = D / "a-away";
    Script([&](TThread*) { ::rename(A.c_str(), Away.c_str()); },
           [&](TThread*) { ::rename(Away.c_str(), A.c_str()); });
    roCheck = false;
    roDelete = true;
    for (bool Add : {false, true}) {
        roAdd = Add;
        Synchronise(C);
        ASSERT_NE(Child(C, "a"), nullptr) << Add;
        EXPECT_EQ(Child(C, "a")->Comment(), "annotated");
        EXPECT_EQ(Child(C, "a")->Children()->Count(), 5) << Add;
    }
}

// A catalogued folder that became a mount point (another file system, or a bind mount of the
// same one) is recorded but not entered, and keeps its children.
TEST_F(Scan, FoldersThatBecameMountPointsKeepTheirChildren) {
    if (RunTestWithPrivateMounts()) return;
    MakeDir(D / "tree/bound");
    MakeDir(D / "tree/tmpfs");
    MakeDir(D / "elsewhere");
    WriteFile(D / "tree/bound/old", "");
    WriteFile(D / "tree/tmpfs/old", "");
    WriteFile(D / "elsewhere/new", "");
    TFileCollection* C = FirstScan(D / "tree");
    ASSERT_EQ(
        ::mount((D / "elsewhere").c_str(), (D / "tree/bound").c_str(), nullptr, MS_BIND, nullptr),
        0)
        << std::strerror(errno);
    ASSERT_EQ(::mount("none", (D / "tree/tmpfs").c_str(), "tmpfs", 0, nullptr), 0)
        << std::strerror(errno);
    roCheck = false;
    roAdd = roDelete = true;
    Synchronise(C);
    EXPECT_EQ(ChildNames(Child(C, "bound")), std::vector<std::string>{"old"});
    EXPECT_EQ(ChildNames(Child(C, "tmpfs")), std::vector<std::string>{"old"});
    ::umount2((D / "tree/bound").c_str(), MNT_DETACH);
    ::umount2((D / "tree/tmpfs").c_str(), MNT_DETACH);
    // Another file system mounted where the scanned disk was: an absent disk, left as it is.
    ASSERT_EQ(::mount("none", (D / "tree").c_str(), "tmpfs", 0, nullptr), 0)
        << std::strerror(errno);
    WriteFile(D / "tree/other", "");
    Synchronise(C);
    EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"bound", "tmpfs"}));
    EXPECT_EQ(Messages.size(), 1u);
    ::umount2((D / "tree").c_str(), MNT_DETACH);
}

// A failure that ends the walk early deletes nothing the walk had not finished.
TEST_F(Scan, AWalkEndedByAnErrorDeletesNothingUnreached) {
    TempDir E;
    WriteFile(D / "first-gone", "");
    WriteFile(E / "second-gone", "");
    auto* V = new TBasicFolder(Cat->Children());
    auto* First = new TFileCollection(V->Children());
    First->SetRootPath(D.Path());
    auto* Second = new TFileCollection(V->Children());
    Second->SetRootPath(E.Path());
    roCheck = false;
    Synchronise(V);
    ASSERT_EQ(First->Children()->Count(), 1);
    ASSERT_EQ(Second->Children()->Count(), 1);
    ::unlink((D / "first-gone").c_str());
    ::unlink((E / "second-gone").c_str());
    // The second volume's question fails: the walk ends there.
    Second->Volume().VolumeName = "ANOTHER DISK";
    VolumeQuestionProc = [](const std::string&) -> TVolumeAnswer {
        throw std::runtime_error("no answer");
    };
    roCheck = roDelete = true;
    Synchronise(V);
    EXPECT_EQ(First->Children()->Count(), 0); // walked to its end
    EXPECT_EQ(Second->Children()->Count(), 1);
    EXPECT_EQ(Second->Children()->At(0)->ScanFlags(), 0);
}

namespace {
// Makes Depth nested folders named Name below Dir, each holding one file, relative to its
// parent (the path soon grows past the system's limit).
void MakeChain(const std::string& Dir, const std::string& Name, int Depth) {
    int Fd = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(Fd, 0);
    for (int I = 0; I < Depth; ++I) {
        ASSERT_EQ(::mkdirat(Fd, Name.c_str(), 0755), 0) << I;
        int Sub = ::openat(Fd, Name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(Fd);
        ASSERT_GE(Sub, 0) << I;
        Fd = Sub;
        int F = ::openat(Fd, "f", O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(F, 0);
        ::close(F);
    }
    ::close(Fd);
}

int64_t Entries(TBasicItem* X) {
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 0;
    CountItems(X->Children(), Folders, Files, Size);
    return Folders + Files;
}
} // namespace

// Paths far beyond the system's limit, and nesting far beyond the thread's stack, are walked.
TEST_F(Scan, DeepChainsAndLongNamesAreScannedWhole) {
    MakeDir(D / "deep");
    MakeChain(D / "deep", "d", 10000);
    EXPECT_EQ(Entries(FirstScan(D / "deep")), 20000);
    MakeDir(D / "long");
    MakeChain(D / "long", std::string(255, 'n'), 20);
    TFileCollection* Long = FirstScan(D / "long");
    EXPECT_EQ(Entries(Long), 40);
    // A synchronise of the whole chain finds everything there and deletes nothing.
    roCheck = false;
    roDelete = true;
    Synchronise(Long);
    EXPECT_EQ(Entries(Long), 40);
}

// A tree deeper than a catalog file holds is catalogued down to that depth: what lies below is
// left out and the user is told, and the catalog saves and opens again. The walk's folder
// handles free such a chain without recursion (here on the stack of a `ulimit -s 512` thread).
TEST_F(Scan, ChainsDeeperThanACatalogHoldsStopAtItsDepth) {
    const int Depth = MaxCatalogNesting + 4000;
    MakeDir(D / "deep");
    MakeChain(D / "deep", "d", Depth);
    RunOnStackOf(512 << 10, [&] {
        TFolderHandles H(8);
        TSearchRec R;
        TFolderHandles::TRef Node = H.OpenRoot(D / "deep", R);
        int Opened = 0;
        while (Node && Opened < Depth)
            Node = H.OpenChild(Node, "d", R), ++Opened;
        EXPECT_EQ(Opened, Depth);
        Node.reset();
        EXPECT_EQ(H.OpenCount(), 0u);
    });
    // The scanned folder's children are the second level: its folders down to the one whose
    // contents would lie beyond the last level are recorded, that one is not entered.
    const int Folders = MaxCatalogNesting - 2, Files = Folders - 1;
    TFileCollection* C = FirstScan(D / "deep");
    EXPECT_EQ(Entries(C), Folders + Files);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Disk: 1 folders lie deeper than a catalog can hold: what they "
                           "contain was not catalogued");
    Cat->SetCatFile(D / "deep.qlmk");
    Cat->SaveToFile();
    Cat->Clear();
    Cat->SetCatFile(D / "deep.qlmk");
    Cat->LoadFromFile();
    ASSERT_EQ(Cat->Children()->Count(), 1);
    C = static_cast<TFileCollection*>(Cat->Children()->At(0));
    EXPECT_EQ(Entries(C), Folders + Files);
    // A synchronise of what was loaded keeps to the same depth.
    roCheck = false;
    roDelete = roAdd = true;
    Synchronise(C);
    EXPECT_EQ(Entries(C), Folders + Files);
    EXPECT_EQ(Messages.size(), 2u);
}

TEST_F(Scan, CancelledRunDeletesNothing) {
    for (int I = 0; I < 30; ++I) {
        MakeDir(D / ("f" + std::to_string(I)));
        WriteFile(D / ("f" + std::to_string(I) + "/x"), "");
    }
    TFileCollection* C = FirstScan(D.Path());
    EXPECT_EQ(C->Children()->Count(), 30);
    // Cancel at the first label the window shows; everything not reached stays.
    Script(nullptr, [](TThread* T) { T->Terminate(); });
    std::filesystem::remove_all(D / "f29");
    roCheck = false;
    Synchronise(C);
    EXPECT_EQ(C->Children()->Count(), 30);
    for (int I = 0; I < C->Children()->Count(); ++I)
        EXPECT_EQ(C->Children()->At(I)->ScanFlags(), 0);
}

TEST_F(Scan, VolumeRefusedSkipsEverythingAndDeletesNothing) {
    WriteFile(D / "a", "");
    auto* V = new TBasicFolder(Cat->Children());
    auto* First = new TFileCollection(V->Children());
    First->SetRootPath(D.Path());
    auto* Second = new TFileCollection(V->Children());
    Second->SetRootPath(D.Path());
    First->Volume().VolumeName = "ABSENT";
    Second->Volume().VolumeName = "ABSENT TOO";
    int Asked = 0;
    VolumeQuestionProc = [&](const std::string&) {
        ++Asked;
        return TVolumeAnswer::Abort;
    };
    new TFileItem(First->Children()); // an entry that is not on disk
    roCheck = true;
    Synchronise(V);
    EXPECT_EQ(Asked, 2); // the second volume is asked about too, then skipped
    EXPECT_EQ(First->Children()->Count(), 1);
    EXPECT_EQ(Second->Children()->Count(), 0);
    EXPECT_EQ(First->Volume().VolumeName, "ABSENT");

    // Ignore goes ahead with the disk found, and the record still names the disk catalogued.
    VolumeQuestionProc = [&](const std::string&) { return TVolumeAnswer::Ignore; };
    const uint32_t Serial = First->Volume().Serial;
    Synchronise(V);
    EXPECT_EQ(First->Volume().VolumeName, "ABSENT");
    EXPECT_EQ(First->Volume().Serial, Serial);
    EXPECT_EQ(ChildNames(First), (std::vector<std::string>{"a"}));
}

TEST_F(Scan, DestroyingTheFolderStopsItsScanWithoutADialog) {
    for (int I = 0; I < 200; ++I)
        MakeDir(D / ("f" + std::to_string(I)));
    auto* C = new TFileCollection(Cat->Children());
    C->SetRootPath(D.Path());
    C->StartScan();
    delete C; // stops the scan first
    EXPECT_TRUE(ScanThreads.IsEmpty());
    EXPECT_TRUE(Dialogs.empty());
}

// Clearing the catalog while a first scan or a synchronise runs, or deleting a folder that holds
// the scanned folder while it is synchronised, stops the run before anything it may touch is
// freed (under the address sanitizer: no use of freed items).
TEST_F(Scan, ClearingTheCatalogStopsItsScansFirst) {
    for (int I = 0; I < 300; ++I) {
        MakeDir(D / ("f" + std::to_string(I)));
        for (int J = 0; J < 8; ++J)
            WriteFile(D / ("f" + std::to_string(I) + "/" + std::to_string(J)), "");
    }
    bool Shown = false;
    Script(nullptr, [&](TThread*) { Shown = true; });
    roCheck = false;
    for (int Mode : {0, 1, 2}) {
        TBasicItem* Holder = Mode == 2 ? new TBasicFolder(Cat->Children()) : Cat.get();
        auto* C = new TFileCollection(Holder->Children());
        C->SetItemName("Disk");
        C->SetRootPath(D.Path());
        C->StartScan();
        if (Mode >= 1) {
            WaitForScans();
            (new TFolderScanThread(Holder, 1))->Resume();
        }
        Shown = false;
        // Cleared once the run has shown its first folder and goes on walking.
        EXPECT_TRUE(PumpUntil([&] { return Shown || ScanThreads.IsEmpty(); })) << Mode;
        if (Mode == 2)
            delete Holder;
        else
            Cat->Clear();
        EXPECT_TRUE(ScanThreads.IsEmpty()) << Mode;
        EXPECT_EQ(Cat->Children()->Count(), 0) << Mode;
        EXPECT_FALSE(Cat->Types()->Paused()) << Mode;
    }
    EXPECT_EQ(Dialogs.size(), 2u); // only the first scans that ended by themselves
}
