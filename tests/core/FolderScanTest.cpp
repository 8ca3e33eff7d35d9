#include "core/FolderScan.h"
#include "CatalogTestSupport.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Waits for every running scan, serving their calls, until each thread is gone. A scan is
// alive while it is in ScanThreads (it leaves the list through a call this thread serves).
void WaitForScans() {
    while (!ScanThreads.IsEmpty())
        ScanThreads.Last()->WaitFor();
}

TBasicItem* Child(TBasicItem* Parent, std::string_view Name) {
    TBasicItems* C = Parent->Children();
    for (int I = 0; I < C->Count(); ++I)
        if (C->At(I)->Name() == Name) return C->At(I);
    return nullptr;
}

std::vector<std::string> ChildNames(TBasicItem* Parent) {
    std::vector<std::string> R;
    for (int I = 0; I < Parent->Children()->Count(); ++I)
        R.emplace_back(Parent->Children()->At(I)->Name());
    return R;
}

struct Scan : ::testing::Test {
    TempDir D;
    TestCatalog Cat;
    std::vector<TBasicItem*> Dialogs;
    int Disabled = 0, Enabled = 0;

    void SetUp() override {
        SetDefaultOptions();
        ShowItemPropertiesProc = [this](TBasicItem* I) { Dialogs.push_back(I); };
        EnableMainWindowProc = [this](bool E) { ++(E ? Enabled : Disabled); };
        VolumeQuestionProc = nullptr;
    }
    void TearDown() override {
        ShowItemPropertiesProc = nullptr;
        EnableMainWindowProc = nullptr;
        VolumeQuestionProc = nullptr;
        CreateProgressWindowProc = nullptr;
    }
    TFileCollection* FirstScan(const std::string& Path) {
        auto* C = new TFileCollection(Cat->Children());
        C->SetItemName("Disk");
        C->SetRootPath(Path);
        Cat->Types()->AddItem(C);
        C->StartScan();
        WaitForScans();
        return C;
    }
    void Synchronise(TBasicItem* Item) {
        auto* T = new TFolderScanThread(Item, 1);
        T->Resume();
        WaitForScans();
    }
};

} // namespace

TEST_F(Scan, FirstScanBuildsTheTreeAndOpensTheProperties) {
    MakeDir(D / "docs/deep");
    WriteFile(D / "docs/a.txt", "12345");
    WriteFile(D / "docs/deep/b.c", "x");
    WriteFile(D / "top.bin", "");
    MakeDir(D / "empty");
    TFileCollection* C = FirstScan(D.Path());
    EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"docs", "empty", "top.bin"}));
    TBasicItem* Docs = Child(C, "docs");
    ASSERT_NE(Docs, nullptr);
    EXPECT_EQ(Docs->ClassType(), &TFileFolder::Class);
    auto* A = static_cast<TFileItem*>(Child(Docs, "a.txt"));
    ASSERT_NE(A, nullptr);
    EXPECT_EQ(A->FileInfo().Size, 5u);
    EXPECT_EQ(A->GetFullPath(), D.Path() + "docs/a.txt");
    EXPECT_EQ(A->TypeRow()->Key(), ".TXT");
    EXPECT_NE(Child(Child(Docs, "deep"), "b.c"), nullptr);
    EXPECT_EQ(Dialogs, (std::vector<TBasicItem*>{C}));
    EXPECT_EQ(Disabled, 1);
    EXPECT_GE(Enabled, 1);
    EXPECT_FALSE(Cat->Types()->Paused());
    EXPECT_EQ(C->ScanFlags(), 0);
    EXPECT_EQ(C->ScanThread(), nullptr);
    // The names share their file record's buffer.
    EXPECT_TRUE(A->PackedName().SharesWith(A->FileInfo().Name));
}

TEST_F(Scan, EmptyFolderStillOpensTheDialog) {
    TFileCollection* C = FirstScan(D.Path());
    EXPECT_EQ(C->Children()->Count(), 0);
    EXPECT_EQ(Dialogs.size(), 1u);
}

TEST_F(Scan, AwkwardNamesAreKeptByteForByte) {
    std::vector<std::string> Names = {"*",         "?",           "[x]",    "back\\slash",
                                      "new\nline", "\xff\xfe",    "Readme", "README",
                                      "readme",    "Ünïcödé.txt", " lead",  "trail "};
    for (const auto& N : Names)
        WriteFile(D / N, N);
    TFileCollection* C = FirstScan(D.Path());
    ASSERT_EQ(C->Children()->Count(), static_cast<int>(Names.size()));
    for (int I = 0; I < C->Children()->Count(); ++I) {
        auto* F = static_cast<TFileItem*>(C->Children()->At(I));
        // Each item leads back to its own file, case twins included.
        EXPECT_EQ(ReadFile(F->GetFullPath()), std::string(F->FileInfo().Name.View()));
        EXPECT_EQ(F->Name(), F->FileInfo().Name.View());
    }
}

TEST_F(Scan, LinksAreEntriesNotFoldersAndFifosAreNotOpened) {
    MakeDir(D / "sub");
    ASSERT_EQ(::symlink("..", (D / "sub/up").c_str()), 0); // a loop
    ASSERT_EQ(::symlink("/nonexistent", (D / "dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo((D / "sub/descript.ion").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((D / "pipe.html").c_str(), 0644), 0);
    FileDescription = HTMLDescription = GraphicDescription = FolderDescription = true;
    TFileCollection* C = FirstScan(D.Path());
    TBasicItem* Up = Child(Child(C, "sub"), "up");
    ASSERT_NE(Up, nullptr);
    EXPECT_EQ(Up->Children(), nullptr);
    EXPECT_EQ(static_cast<TFileItem*>(Up)->FileInfo().Attr, faReparsePoint);
    EXPECT_EQ(static_cast<TFileItem*>(Child(C, "pipe.html"))->FileInfo().Attr & faSysFile,
              faSysFile);
}

TEST_F(Scan, DescriptionsFromListsFoldersAndFiles) {
    MakeDir(D / "sub");
    WriteFile(D / "descript.ion",
              "readme.txt Read this first\n \tand then the rest\nsub The sub folder\n");
    WriteFile(D / "readme.txt", "");
    WriteFile(D / "sub/file_id.diz", "About sub");
    FileDescription = FolderDescription = true;
    TFileCollection* C = FirstScan(D.Path());
    EXPECT_EQ(Child(C, "readme.txt")->Comment(), "Read this first\r\nand then the rest");
    // The list entry of "sub" wins over its folder file.
    EXPECT_EQ(Child(C, "sub")->Comment(), "The sub folder");
    DescriptionMode = 1;
    WriteFile(D / "descript.ion", "");
    Synchronise(C);
    EXPECT_EQ(Child(C, "sub")->Note(), "About sub");
}

TEST_F(Scan, SynchroniseAddsRefreshesAndDeletes) {
    WriteFile(D / "keep.txt", "1");
    WriteFile(D / "gone.txt", "1");
    TFileCollection* C = FirstScan(D.Path());
    Child(C, "keep.txt")->SetComment("my comment");
    ASSERT_EQ(::unlink((D / "gone.txt").c_str()), 0);
    WriteFile(D / "new.txt", "1");
    WriteFile(D / "keep.txt", "123");

    roAdd = false;
    roDelete = false;
    roCheck = false;
    Synchronise(C);
    // No new entries; the missing one stays and is shown again (its marks are cleared).
    EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"gone.txt", "keep.txt"}));
    EXPECT_EQ(Child(C, "gone.txt")->ScanFlags(), 0);
    EXPECT_EQ(static_cast<TFileItem*>(Child(C, "keep.txt"))->FileInfo().Size, 3u);

    roAdd = true;
    roDelete = true;
    Synchronise(C);
    EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"keep.txt", "new.txt"}));
    EXPECT_EQ(Child(C, "keep.txt")->Comment(), "my comment");
    EXPECT_EQ(Dialogs.size(), 1u); // only the first scan opens it
}

TEST_F(Scan, FileReplacedByFolderKeepsItsTextsAndPlace) {
    WriteFile(D / "a", "");
    WriteFile(D / "thing", "");
    WriteFile(D / "z", "");
    TFileCollection* C = FirstScan(D.Path());
    auto* K = new TKeyWordItem(Cat->KeyWords());
    TBasicItem* Old = Child(C, "thing");
    K->AddClient(Old);
    Old->SetComment("c");
    Old->SetNote("n");
    ASSERT_EQ(::unlink((D / "thing").c_str()), 0);
    MakeDir(D / "thing");
    WriteFile(D / "thing/inside", "");
    roCheck = false;
    Synchronise(C);
    TBasicItem* New = Child(C, "thing");
    ASSERT_NE(New, nullptr);
    EXPECT_EQ(New->ClassType(), &TFileFolder::Class);
    EXPECT_EQ(New->Comment(), "c");
    EXPECT_EQ(New->Note(), "n");
    EXPECT_EQ(New->KeyWords().size(), 1u);
    EXPECT_EQ(K->Clients().Count(), 1);
    EXPECT_EQ(New->TypeRow()->ItemClass(), &TFileFolder::Class);
    EXPECT_NE(Child(New, "inside"), nullptr);
    EXPECT_EQ(ChildNames(C), (std::vector<std::string>{"a", "thing", "z"}));
}

TEST_F(Scan, UnreadableOrVanishedFoldersLoseNothing) {
    MakeDir(D / "locked");
    WriteFile(D / "locked/secret", "");
    MakeDir(D / "vanishing/sub");
    TFileCollection* C = FirstScan(D.Path());
    ASSERT_NE(Child(Child(C, "vanishing"), "sub"), nullptr);
    // A folder item whose folder is gone, synchronised directly: it cannot be listed.
    TBasicItem* Vanishing = Child(C, "vanishing");
    std::filesystem::remove_all(D / "vanishing");
    roCheck = false;
    Synchronise(Vanishing);
    ASSERT_NE(Child(C, "vanishing"), nullptr);
    EXPECT_NE(Child(Child(C, "vanishing"), "sub"), nullptr);
    if (::geteuid() != 0) {
        ::chmod((D / "locked").c_str(), 0);
        Synchronise(C);
        EXPECT_NE(Child(Child(C, "locked"), "secret"), nullptr);
        ::chmod((D / "locked").c_str(), 0755);
    }
    // A scanned folder whose root is gone keeps everything too.
    std::filesystem::remove_all(D / "locked");
    C->Volume().Path = D / "no-such-root/";
    Synchronise(C);
    EXPECT_EQ(C->Children()->Count(), 2);
}

TEST_F(Scan, CancelledRunDeletesNothing) {
    for (int I = 0; I < 30; ++I) {
        MakeDir(D / ("f" + std::to_string(I)));
        WriteFile(D / ("f" + std::to_string(I) + "/x"), "");
    }
    TFileCollection* C = FirstScan(D.Path());
    EXPECT_EQ(C->Children()->Count(), 30);
    // Cancel at the first label the window shows; everything not reached stays.
    struct CancellingWindow : TProgressWindow {
        TThread* T = nullptr;
        void SetMode(uint8_t) override {}
        uint8_t Mode() const override { return 2; }
        void SetThread(TThread* Th) override { T = Th; }
        TThread* Thread() const override { return T; }
        void ShowProgress() override {}
        void HideProgress() override {}
        void SetText(const std::string&) override {
            if (T) T->Terminate();
        }
        std::string Text() const override { return {}; }
    };
    CreateProgressWindowProc = [](TProgressOwner) { return std::make_unique<CancellingWindow>(); };
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

    // Ignore takes the disk found; the walk then goes ahead.
    VolumeQuestionProc = [&](const std::string&) { return TVolumeAnswer::Ignore; };
    Synchronise(V);
    EXPECT_NE(First->Volume().VolumeName, "ABSENT");
    EXPECT_EQ(ChildNames(First), (std::vector<std::string>{"a"}));
}

TEST_F(Scan, LocatedFilesAndUserItemsInsideAScannedTree) {
    WriteFile(D / "here.txt", "");
    TFileCollection* C = FirstScan(D.Path());
    auto* V = new TBasicFolder(C->Children()); // put there by the user
    V->SetItemName("My group");
    auto* L = new TFileLocItem(Cat->Children());
    L->SetFileName(D / "here.txt");
    auto* Gone = new TFileLocItem(Cat->Children());
    Gone->SetFileName(D / "here.txt");
    Gone->Volume().Path = D / "nowhere/";
    roCheck = false;
    // Synchronising the located file itself leaves it in place.
    Synchronise(Gone);
    EXPECT_EQ(Cat->Children()->IndexOfItem(Gone), Gone->Index());
    // Through the root: the one whose file is gone is removed, the other stays.
    Synchronise(Cat.get());
    EXPECT_EQ(Cat->Children()->Count(), 2);
    EXPECT_EQ(Cat->Children()->IndexOfItem(L), L->Index());
    EXPECT_NE(Child(C, "My group"), nullptr);
}

TEST_F(Scan, TwoScansAtOnce) {
    TempDir E;
    for (int I = 0; I < 50; ++I) {
        WriteFile(D / ("d" + std::to_string(I)), "");
        WriteFile(E / ("e" + std::to_string(I)), "");
    }
    auto* A = new TFileCollection(Cat->Children());
    A->SetRootPath(D.Path());
    auto* B = new TFileCollection(Cat->Children());
    B->SetRootPath(E.Path());
    A->StartScan();
    B->StartScan();
    EXPECT_EQ(ScanThreads.Count(), 2);
    WaitForScans();
    EXPECT_EQ(A->Children()->Count(), 50);
    EXPECT_EQ(B->Children()->Count(), 50);
    // A scan leaves ScanThreads before its last call opens the dialog: while this thread waited
    // for one scan, the other may have left the list with its dialog call still to come.
    EXPECT_TRUE(PumpUntil([&] { return Dialogs.size() == 2; }));
    EXPECT_EQ(Dialogs.size(), 2u);
    EXPECT_FALSE(Cat->Types()->Paused());
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

TEST_F(Scan, HostileGeneratedTreeIsCatalogedWhole) {
    std::string Tool = MakeTreeTool();
    if (::access(Tool.c_str(), X_OK) != 0) GTEST_SKIP() << "no make-tree at " << Tool;
    std::string Tree = D / "tree", Summary = D / "summary.txt";
    std::string Line = "'" + Tool + "' -q '" + Tree + "' 3000 5 --hostile > '" + Summary + "'";
    ASSERT_EQ(std::system(Line.c_str()), 0);
    // "make-tree: DIR files=N folders=N symlinks=N fifos=N hardlinks=N ..."
    std::string S = ReadFile(Summary);
    auto Field = [&](const std::string& Key) {
        size_t P = S.find(" " + Key + "=");
        return P == std::string::npos ? -1LL : std::stoll(S.substr(P + Key.size() + 2));
    };
    FileDescription = FolderDescription = HTMLDescription = GraphicDescription = true;
    TFileCollection* C = FirstScan(Tree);
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 0;
    CountItems(C->Children(), Folders, Files, Size);
    EXPECT_EQ(Folders, Field("folders"));
    // Regular files (hard-link names included), links and FIFOs are all entries of the catalog.
    EXPECT_EQ(Files, Field("files") + Field("symlinks") + Field("fifos"));
    // Every item leads back to its own entry on disk, whatever bytes its name holds.
    std::vector<TBasicItem*> Stack{C};
    int Checked = 0;
    while (!Stack.empty()) {
        TBasicItem* X = Stack.back();
        Stack.pop_back();
        for (int I = 0; X->Children() && I < X->Children()->Count(); ++I) {
            auto* F = static_cast<TFileItem*>(X->Children()->At(I));
            TSearchRec R;
            ASSERT_TRUE(FindEntry(F->GetFullPath(), R)) << F->GetFullPath();
            EXPECT_EQ(R.Name, F->FileInfo().Name.View());
            ++Checked;
            if (F->Children()) Stack.push_back(F);
        }
    }
    EXPECT_EQ(Checked, Folders + Files);
}
