#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Tree : ::testing::Test {
    TestCatalog Cat;
    TFileCollection* Scanned = nullptr;
    TFileFolder* Sub = nullptr;
    TFileItem* A = nullptr;
    void SetUp() override {
        SetDefaultOptions();
        Scanned = Add<TFileCollection>(Cat.get(), "Disk");
        Scanned->Volume().Path = "/data/";
        Sub = AddFolder(Scanned, "sub");
        A = AddFile(Sub, "a.txt");
    }
};

} // namespace

TEST_F(Tree, CatalogPathsUseBackslashesFromTheRoot) {
    EXPECT_EQ(GetCatalogPath(A), "\\Disk\\sub\\a.txt");
    EXPECT_EQ(GetCatalogPath(Sub, "x"), "\\Disk\\sub\\x");
    EXPECT_EQ(GetCatalogPath(Cat.get()), "\\");
    EXPECT_EQ(GetCatalogPath(Cat.get(), "Docs"), "\\Docs");
    Cat->SetNameField(PackedString("My catalog")); // the root's own name is never part of it
    EXPECT_EQ(GetCatalogPath(Scanned), "\\Disk");
}

TEST_F(Tree, FullPathsJoinTheRootPathAndTheFileRecordNames) {
    EXPECT_EQ(A->GetFullPath(), "/data/sub/a.txt");
    EXPECT_EQ(Sub->GetFullPath(), "/data/sub");
    EXPECT_EQ(Sub->GetFullPath("x/y"), "/data/sub/x/y");
    // A root without its trailing separator still gets one.
    Scanned->Volume().Path = "/data";
    EXPECT_EQ(A->GetFullPath(), "/data/sub/a.txt");
    // A catalog made on Windows keeps its separator.
    Scanned->Volume().Path = "C:\\Data\\";
    EXPECT_EQ(A->GetFullPath(), "C:\\Data\\sub\\a.txt");
    // A file in a virtual folder has its name alone.
    auto* V = Add<TBasicFolder>(Cat.get(), "Virtual");
    EXPECT_EQ(AddFile(V, "b.txt")->GetFullPath(), "b.txt");
}

TEST_F(Tree, CaseTwinsKeepTheirOwnPaths) {
    auto* Upper = AddFile(Sub, "README");
    auto* Lower = new TFileItem(Sub->Children());
    Lower->FileInfoRef().Name = PackedString("Readme");
    Lower->SetItemName("Readme"); // the user's rename path gives a suffix ...
    EXPECT_EQ(Lower->DisplayName(), "Readme(1)");
    // ... but the path on disk still follows the file record.
    EXPECT_EQ(Lower->GetFullPath(), "/data/sub/Readme");
    EXPECT_EQ(Upper->GetFullPath(), "/data/sub/README");
    EXPECT_EQ(Cat->Types()->At(Cat->Types()->IndexOfExtension(""))->Clients().Count(), 1);
}

TEST_F(Tree, LocatedFilePathAndVolume) {
    auto* L = Add<TFileLocItem>(Cat.get(), "");
    L->Volume().Path = "/docs/";
    L->FileInfoRef().Name = PackedString("a.txt");
    EXPECT_EQ(L->GetLocation(), "/docs/");
    EXPECT_EQ(L->GetFullPath(), "/docs/a.txt");
    L->Volume().Path = "/docs";
    EXPECT_EQ(L->GetFullPath("ignored"), "/docs/a.txt");
    EXPECT_EQ(L->GetVolume(), &L->Volume());
    EXPECT_EQ(A->GetVolume(), &Scanned->Volume());
    EXPECT_EQ(AddFile(Cat.get(), "loose")->GetVolume(), nullptr);
}

TEST_F(Tree, CountItemsAddsSixtyFourBitSizes) {
    AddFile(Sub, "big1", 3000000000ULL);
    AddFile(Sub, "big2", 3000000000ULL);
    AddFile(Scanned, "huge", 5ULL << 30);
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 10;
    CountItems(Cat->Children(), Folders, Files, Size);
    EXPECT_EQ(Folders, 2);
    EXPECT_EQ(Files, 4);
    EXPECT_EQ(Size, 10 + 6000000000ULL + (5ULL << 30));
}

TEST_F(Tree, DestroyingAFolderUnlinksEverything) {
    auto* K = new TKeyWordItem(Cat->KeyWords());
    K->AddClient(A);
    K->AddClient(Sub);
    TTypeItem* TxtRow = A->TypeRow();
    ASSERT_NE(TxtRow, nullptr);
    FakeNode Node;
    FakeRow Row, Result;
    Sub->SetTreeNode(&Node);
    A->SetListItem(&Row);
    A->SetResultItem(&Result);
    CurrentFolder = Sub;
    delete Sub;
    EXPECT_EQ(K->Clients().Count(), 0);
    EXPECT_EQ(TxtRow->Clients().Count(), 0);
    EXPECT_EQ(Node.Deleted, 1);
    EXPECT_EQ(Row.Deleted, 1);
    EXPECT_EQ(Result.Deleted, 1);
    EXPECT_EQ(CurrentFolder, Scanned);
    EXPECT_EQ(Scanned->Children()->Count(), 0);
}

TEST_F(Tree, CurrentFolderMovesUpWithoutATreeNode) {
    CurrentFolder = Scanned;
    delete Scanned;
    EXPECT_EQ(CurrentFolder, Cat.get());
}

TEST_F(Tree, RenameUpdatesTheViews) {
    auto* V = Add<TBasicFolder>(Cat.get(), "Docs");
    FakeNode Node;
    FakeRow Row;
    V->SetTreeNode(&Node);
    V->SetListItem(&Row);
    Add<TBasicFolder>(Cat.get(), "Music");
    V->SetItemName("music");
    EXPECT_EQ(V->Name(), "music(1)");
    EXPECT_EQ(Node.Text, "music(1)");
    EXPECT_EQ(Row.Caption, "music(1)");
    V->SetTreeNode(nullptr);
    V->SetListItem(nullptr);
}

TEST_F(Tree, ImagesFallBackToTheTypeRow) {
    EXPECT_EQ(A->ImageIndex(), -1);
    EXPECT_EQ(A->GetImageIndex(), iiDefaultFile);
    EXPECT_EQ(Sub->GetImageIndex(), iiFolderClosed);
    EXPECT_EQ(Sub->GetSelectedIndex(), iiFolderOpen);
    EXPECT_EQ(Scanned->GetImageIndex(), iiArchiveClosed);
    EXPECT_EQ(Scanned->GetSelectedIndex(), iiArchiveOpen);
    A->SetImageIndex(42);
    EXPECT_EQ(A->GetImageIndex(), 42);
    DisplayDefaultIcons = true;
    EXPECT_EQ(A->GetImageIndex(), iiDefaultFile);
    DisplayDefaultIcons = false;
    FakeRow Row;
    A->SetListItem(&Row);
    A->TypeRow()->SetImageIndex(17);
    EXPECT_EQ(A->ImageIndex(), 17);
    EXPECT_EQ(Row.Image, 17);
    A->SetListItem(nullptr);
    TBasicItem Plain(nullptr);
    EXPECT_EQ(Plain.GetImageIndex(), -1);
}

TEST_F(Tree, AssignCopiesTextsKeywordsAndTypeButNotImages) {
    auto* K = new TKeyWordItem(Cat->KeyWords());
    K->AddClient(A);
    A->SetNote("note");
    A->SetComment("comment");
    A->SetImageIndex(9);
    auto* B = AddFile(Sub, "b.dat");
    B->Assign(*A);
    EXPECT_EQ(B->Note(), "note");
    EXPECT_EQ(B->Comment(), "comment");
    EXPECT_EQ(B->FileInfo().Name.View(), "a.txt");
    EXPECT_EQ(B->ImageIndex(), -1);
    EXPECT_EQ(B->TypeRow(), A->TypeRow());
    EXPECT_EQ(B->KeyWords().size(), 1u);
    EXPECT_EQ(K->Clients().Count(), 2);
    // Assigning an item to itself keeps its keywords.
    A->Assign(*A);
    EXPECT_EQ(A->KeyWords().size(), 1u);
    EXPECT_EQ(A->Note(), "note");
}

TEST_F(Tree, ClearEmptiesTheCatalogAndItsTextsButKeepsTheRootName) {
    Cat->SetComment("old comment");
    Cat->SetNote("old note");
    Cat->SetItemName("Old");
    Cat->SetCatFile("/tmp/x.qlmk");
    new TKeyWordItem(Cat->KeyWords());
    Cat->Clear();
    EXPECT_EQ(Cat->Children()->Count(), 0);
    EXPECT_EQ(Cat->KeyWords()->Count(), 0);
    EXPECT_EQ(Cat->Comment(), "");
    EXPECT_EQ(Cat->Note(), "");
    EXPECT_EQ(Cat->Name(), "Old"); // the root keeps its name
    EXPECT_EQ(Cat->CatFile(), "");
    ASSERT_EQ(Cat->Types()->Count(), 1);
    EXPECT_EQ(Cat->TypeRow(), Cat->Types()->At(0));
    EXPECT_EQ(Cat->Types()->At(0)->DisplayName(), "Catalog");
}

// Closing frees the whole tree without unlinking item by item: nothing may be left pointing at
// a freed item or row, views still hear of the items they show, another catalog alive beside it
// keeps all of its links, and the emptied catalog works as before (a single delete unlinks).
TEST_F(Tree, ClosingFreesTheTreeInBulkAndLeavesNothingLinked) {
    TCatFileItem Other;
    Other.Clear();
    auto* OtherFile = new TFileItem(Other.Children());
    OtherFile->FileInfoRef().Name = PackedString("o.txt");
    Other.Types()->AddItem(OtherFile);
    auto* OtherKey = new TKeyWordItem(Other.KeyWords());
    OtherKey->AddClient(OtherFile);

    auto* K = new TKeyWordItem(Cat->KeyWords());
    for (TBasicItem* X : std::initializer_list<TBasicItem*>{A, Sub, Scanned, Cat.get()})
        K->AddClient(X);
    auto* Loc = Add<TFileLocItem>(Cat.get(), "");
    Loc->FileInfoRef().Name = PackedString("l.txt");
    Cat->Types()->AddItem(Loc);
    K->AddClient(Loc);
    FakeNode Node;
    FakeRow Row;
    Sub->SetTreeNode(&Node);
    A->SetListItem(&Row);
    CurrentFolder = Sub;
    for (int Round = 0; Round < 2; ++Round) {
        Cat->Clear();
        EXPECT_EQ(Node.Deleted, 1);
        EXPECT_EQ(Row.Deleted, 1);
        EXPECT_EQ(CurrentFolder, Cat.get());
        EXPECT_EQ(Cat->KeyWords()->Count(), 0);
        EXPECT_TRUE(static_cast<TBasicItem*>(Cat.get())->KeyWords().empty());
        ASSERT_EQ(Cat->Types()->Count(), 1);
        EXPECT_EQ(Cat->Types()->At(0)->Clients().Count(), 1); // the root's own row
        // The emptied catalog is used again.
        K = new TKeyWordItem(Cat->KeyWords());
        Sub = AddFolder(Add<TFileCollection>(Cat.get(), "Disk"), "sub");
        A = AddFile(Sub, "a.txt");
        auto* B = AddFile(Sub, "b.txt");
        K->AddClient(A);
        K->AddClient(B);
        TTypeItem* TxtRow = A->TypeRow();
        ASSERT_EQ(TxtRow->Clients().Count(), 2);
        delete B; // a single delete still unlinks both sides
        EXPECT_EQ(TxtRow->Clients().Count(), 1);
        ASSERT_EQ(K->Clients().Count(), 1);
        EXPECT_EQ(*K->Clients().begin(), A);
        EXPECT_EQ(A->KeyWords(), std::vector<TKeyWordItem*>{K});
    }
    EXPECT_EQ(OtherFile->TypeRow()->Clients().Count(), 1);
    EXPECT_EQ(*OtherKey->Clients().begin(), OtherFile);
    EXPECT_EQ(OtherFile->KeyWords(), std::vector<TKeyWordItem*>{OtherKey});
    // The catalog's own end goes the same way (AddressSanitizer checks what is left).
    Cat.Root.reset();
    delete OtherFile;
    EXPECT_EQ(OtherKey->Clients().Count(), 0);
}

TEST_F(Tree, NotesAndCommentsMarkChangesOnlyWhenDifferent) {
    A->SetNote("n");
    CatalogModified = false;
    A->SetNote("n");
    A->SetComment("");
    EXPECT_FALSE(CatalogModified);
    A->SetComment("c");
    EXPECT_TRUE(CatalogModified);
}

TEST(TreeCanRename, OnlyFoldersAndLocatedFiles) {
    TestCatalog Cat;
    EXPECT_TRUE(TBasicFolder(nullptr).CanRename());
    EXPECT_TRUE(TFileCollection(nullptr).CanRename());
    EXPECT_TRUE(TFileLocItem(nullptr).CanRename());
    EXPECT_FALSE(TFileItem(nullptr).CanRename());
    EXPECT_FALSE(TFileFolder(nullptr).CanRename());
    EXPECT_FALSE(TKeyWordItem(nullptr).CanRename());
}
