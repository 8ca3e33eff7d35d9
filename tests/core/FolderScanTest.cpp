// Scans and synchronises as users meet them: what a first scan builds, names, links and FIFOs,
// descriptions, what a synchronise adds, refreshes and deletes, and the order in which folders
// read on several threads join the catalog.
#include "FolderScanFixture.h"
#include "tests/TreeFixture.h"

#include <sys/stat.h>
#include <unistd.h>

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
    // Each scan opens its dialog in the call that takes it out of ScanThreads.
    EXPECT_EQ(Dialogs.size(), 2u);
    EXPECT_FALSE(Cat->Types()->Paused());
}

TEST_F(Scan, HostileGeneratedTreeIsCatalogedWhole) {
    std::string Tree = D / "tree";
    THostileTree T = BuildHostileTree(Tree, 3000, 5);
    FileDescription = FolderDescription = HTMLDescription = GraphicDescription = true;
    TFileCollection* C = FirstScan(Tree);
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 0;
    CountItems(C->Children(), Folders, Files, Size);
    EXPECT_EQ(Folders, T.Folders);
    // Regular files (hard-link names included), links and FIFOs are all entries of the catalog.
    EXPECT_EQ(Files, T.Files + T.Links + T.Fifos);
    EXPECT_GT(Size, uint64_t(5) << 30); // the sparse file keeps its 64-bit size
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

// Folders read on several threads join the catalog in the order of a walk on one thread: each
// folder's entries before those of its subfolders, subfolders in name order. Every folder holds
// a file of an extension of its own, so the order of the type rows shows the order of the walk,
// in a first scan and in a synchronise that finds a new file in every folder.
TEST_F(Scan, FoldersJoinTheCatalogInWalkOrder) {
    std::vector<std::string> Walk; // the folders, in the order a walk on one thread takes them
    std::function<void(const std::string&, int)> Make = [&](const std::string& Dir, int Depth) {
        Walk.push_back(Dir);
        if (Depth == 4) return;
        for (const char* Name : {"a", "b", "c", "d"}) {
            MakeDir(Dir + Name);
            Make(Dir + Name + "/", Depth + 1);
        }
    };
    Make(D / "tree/", 0);
    auto Files = [&](const std::string& Kind) {
        std::vector<std::string> Keys;
        for (size_t I = 0; I < Walk.size(); ++I) {
            std::string Ext = "." + Kind + std::to_string(I);
            WriteFile(Walk[I] + "f" + Ext, "");
            WriteFile(Walk[I] + "plain.txt", "");
            Keys.push_back(UpperCase(Ext));
        }
        return Keys;
    };
    auto RowsOf = [&](const std::string& Kind) {
        std::vector<std::string> Keys;
        for (int I = 0; I < Cat->Types()->Count(); ++I)
            if (Cat->Types()->At(I)->Key().rfind("." + UpperCase(Kind), 0) == 0)
                Keys.push_back(Cat->Types()->At(I)->Key());
        return Keys;
    };
    std::vector<std::string> First = Files("u");
    TFileCollection* C = FirstScan(D / "tree");
    EXPECT_EQ(RowsOf("u"), First);
    int64_t Folders = 0, Entries = 0;
    uint64_t Size = 0;
    CountItems(C->Children(), Folders, Entries, Size);
    EXPECT_EQ(Folders, static_cast<int64_t>(Walk.size()) - 1);
    EXPECT_EQ(Entries, 2 * static_cast<int64_t>(Walk.size()));
    std::vector<std::string> Added = Files("v");
    roCheck = false;
    Synchronise(C);
    EXPECT_EQ(RowsOf("v"), Added);
}
