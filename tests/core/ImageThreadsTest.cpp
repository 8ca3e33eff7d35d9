#include "CatalogTestSupport.h"
#include "IconTestSupport.h"
#include "ViewFakes.h"
#include "tests/TestSupport.h"

#include "core/ImageThreads.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// Runs a thread to its end, serving its calls.
void RunToEnd(TThread& T) {
    T.Resume();
    T.WaitFor();
}

// A catalog with a scanned folder and type rows that hold still (no type thread).
struct Fixture {
    TestCatalog Cat;
    TFileCollection* Disk;
    Fixture() {
        Cat->Types()->SetPaused(true);
        Disk = Add<TFileCollection>(Cat.get(), "Disk");
        Disk->Volume().Path = "/qm-no-such-disk/";
        Cat->Types()->AddItem(Disk);
    }
    ~Fixture() { Cat->Types()->SetPaused(false); }
};

// Tree nodes owned by the test, linked to items as the main window links them.
struct FakeTree {
    std::vector<std::unique_ptr<FakeNode>> Nodes;
    FakeNode* Add(FakeNode* Parent, TBasicItem* Item) {
        Nodes.push_back(std::make_unique<FakeNode>());
        FakeNode* N = Nodes.back().get();
        N->Item = Item;
        if (Item) Item->SetTreeNode(N);
        if (Parent) Parent->Children.push_back(N);
        return N;
    }
};

} // namespace

TEST(ListImageThread, AListOfFoldersGetsItsTypesFolderPicture) {
    Fixture F;
    FakeListView View;
    for (int I = 0; I < 5; ++I)
        View.AddMainRow(AddFolder(F.Disk, "f" + std::to_string(I)));
    TListImageThread T(&View);
    EXPECT_FALSE(T.Started()); // nothing runs before its owner starts it
    RunToEnd(T);
    for (int I = 0; I < 5; ++I) {
        EXPECT_EQ(View.At(I)->Image, iiFolderClosed) << I;
        EXPECT_EQ(View.At(I)->Item->ImageIndex(), iiFolderClosed);
    }
}

TEST(ListImageThread, ItemsWithoutAnIconKeepTheirImage) {
    Fixture F;
    FakeListView View;
    auto* Plain = Add<TBasicItem>(F.Disk, "plain");
    View.AddMainRow(Plain);
    View.Add(); // a row without an item
    TListImageThread T(&View);
    RunToEnd(T);
    EXPECT_EQ(View.At(0)->ImageSets, 0);
    EXPECT_EQ(Plain->ImageIndex(), -1);
}

TEST(ListImageThread, IconFilesShowTheirOwnPicture) {
    TempDir Dir;
    WriteFile(Dir / "app.ico", MakeIcoFile({PatternPicture(16, 16, 32)}));
    Fixture F;
    F.Disk->Volume().Path = Dir.Path();
    struct Lists : TImageList {
        int AddIcon(const TSystemIcon&) override { return N++; }
        int N = 7;
    } Small, Large;
    struct Installed {
        Installed(TImageList* S, TImageList* L) { SetProgramImageLists(S, L); }
        ~Installed() { SetProgramImageLists(nullptr, nullptr); }
    } Guard(&Small, &Large);
    FakeListView View;
    View.AddMainRow(AddFile(F.Disk, "app.ico"));
    View.AddMainRow(AddFile(F.Disk, "notes.txt"));
    TListImageThread T(&View);
    RunToEnd(T);
    EXPECT_EQ(View.At(0)->Image, 7);
    EXPECT_EQ(View.At(1)->Image, iiDefaultFile);
}

TEST(ListImageThread, TerminatedHalfwayLeavesTheRestAlone) {
    Fixture F;
    FakeListView View;
    for (int I = 0; I < 50; ++I)
        View.AddMainRow(AddFolder(F.Disk, "f" + std::to_string(I)));
    TListImageThread T(&View);
    View.OnImage = [&](FakeListView::Row&) { T.Terminate(); };
    RunToEnd(T);
    EXPECT_EQ(View.At(0)->Image, iiFolderClosed);
    for (int I = 1; I < 50; ++I)
        EXPECT_EQ(View.At(I)->ImageSets, 0) << I;
}

TEST(ListImageThread, ItemsDestroyedWhileItRunsArePassedOver) {
    // The rows and items go away on the UI thread while the worker works on its snapshot; the
    // sanitizer build shows that nothing destroyed is touched.
    for (int Round = 0; Round < 5; ++Round) {
        Fixture F;
        FakeListView View;
        std::vector<TBasicItem*> Items;
        for (int I = 0; I < 400; ++I) {
            auto* Folder = AddFolder(F.Disk, "f" + std::to_string(I));
            View.AddMainRow(Folder);
            Items.push_back(Folder);
        }
        auto T = std::make_unique<TListImageThread>(&View);
        int Seen = 0;
        View.OnImage = [&](FakeListView::Row&) { ++Seen; };
        T->Resume();
        ASSERT_TRUE(PumpUntil([&] { return Seen >= 3 * Round; }));
        // Every other item goes, as a synchronisation deletes missing entries.
        for (size_t I = 0; I < Items.size(); I += 2)
            delete Items[I];
        EXPECT_EQ(View.Count(), 200);
        if (Round % 2) T->Terminate();
        T->WaitFor();
        T.reset();
        for (int I = 0; I < View.Count(); ++I)
            EXPECT_LE(View.At(I)->ImageSets, 1);
    }
}

TEST(ListImageThread, RowsMovedByASortAreStillFound) {
    Fixture F;
    FakeListView View;
    for (int I = 0; I < 3; ++I)
        View.AddMainRow(AddFolder(F.Disk, "f" + std::to_string(I)));
    TListImageThread T(&View);
    std::swap(View.Rows[0], View.Rows[2]); // the user sorted by another column
    RunToEnd(T);
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(View.At(I)->Image, iiFolderClosed);
}

TEST(TreeImageThread, NodesGetOpenAndClosedPicturesDepthFirst) {
    FakeTree Tree; // the nodes outlive the items linked to them
    Fixture F;
    FakeNode* Root = Tree.Add(nullptr, F.Cat.get());
    FakeNode* DiskNode = Tree.Add(Root, F.Disk);
    auto* Sub = AddFolder(F.Disk, "sub");
    FakeNode* SubNode = Tree.Add(DiskNode, Sub);
    auto* Gone = AddFolder(F.Disk, "gone");
    FakeNode* GoneNode = Tree.Add(DiskNode, Gone);
    auto* Virtual = Add<TBasicFolder>(F.Cat.get(), "v");
    FakeNode* VNode = Tree.Add(Root, Virtual);
    TTreeImageThread T(Root);
    // A node that leaves the tree before the thread reaches it is passed over.
    DiskNode->Children.pop_back();
    Gone->SetTreeNode(nullptr);
    RunToEnd(T);
    EXPECT_EQ(DiskNode->Image, -100); // already showed 4 and 5: nothing to change
    EXPECT_EQ(F.Disk->SelectedIndex(), 5);
    EXPECT_EQ(SubNode->Image, iiFolderClosed);
    EXPECT_EQ(SubNode->Selected, iiFolderOpen);
    EXPECT_EQ(Sub->SelectedIndex(), iiFolderOpen);
    EXPECT_EQ(Gone->ImageIndex(), -1);
    EXPECT_EQ(GoneNode->Image, -100);
    EXPECT_EQ(VNode->Image, -100); // already showed 3: nothing to change
    EXPECT_EQ(Virtual->ImageIndex(), 3);
}

TEST(CatalogImageThread, ItemsWithoutStoredImagesGetOneThroughTheWholeTree) {
    Fixture F;
    auto* A = AddFolder(F.Disk, "a");
    auto* Deep = AddFolder(A, "deep");
    auto* File = AddFile(Deep, "x.txt");
    auto* Plain = Add<TBasicItem>(F.Cat.get(), "plain");
    File->SetSelectedIndex(40); // kept: only missing indices are filled
    TCatalogImageThread T(F.Cat->Children());
    RunToEnd(T);
    EXPECT_EQ(A->ImageIndex(), iiFolderClosed);
    EXPECT_EQ(A->SelectedIndex(), iiFolderOpen);
    EXPECT_EQ(Deep->ImageIndex(), iiFolderClosed);
    EXPECT_EQ(File->ImageIndex(), iiDefaultFile);
    EXPECT_EQ(File->SelectedIndex(), 40);
    EXPECT_EQ(F.Disk->ImageIndex(), 4);
    EXPECT_EQ(Plain->ImageIndex(), -1);
}

TEST(CatalogImageThread, ItemsDestroyedMidWalkAndStoppingAreSafe) {
    Fixture F;
    std::vector<TFileFolder*> Folders;
    for (int I = 0; I < 30; ++I) {
        auto* D = AddFolder(F.Disk, "d" + std::to_string(I));
        Folders.push_back(D);
        for (int K = 0; K < 20; ++K)
            AddFile(D, "f" + std::to_string(K) + ".txt");
    }
    auto T = std::make_unique<TCatalogImageThread>(F.Cat->Children());
    T->Resume();
    int Served = 0;
    while (Served < 40 && CheckSynchronize(100))
        ++Served;
    for (size_t I = 0; I < Folders.size(); I += 3)
        delete Folders[I];
    ASSERT_TRUE(PumpUntil([&] { return T->Finished(); }));
    T.reset();
    // Positions shift under the walk, so some items may be passed over; none is harmed.
    for (size_t I = 1; I < Folders.size(); I += 3)
        EXPECT_TRUE(Folders[I]->ImageIndex() == -1 || Folders[I]->ImageIndex() == iiFolderClosed);
    // Deleting a running thread stops it.
    auto Running = std::make_unique<TCatalogImageThread>(F.Cat->Children());
    Running->Resume();
    Running.reset();
}
