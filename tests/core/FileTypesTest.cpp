#include "CatalogTestSupport.h"

#include "platform/Filer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(FileTypes, FilesShareARowPerExtensionIgnoringCase) {
    TestCatalog Cat;
    Cat->Types()->SetPaused(true);
    AddFile(Cat.get(), "a.txt");
    AddFile(Cat.get(), "b.TXT");
    auto* C = AddFile(Cat.get(), "c");
    TTypeItems& T = *Cat->Types();
    int Txt = T.IndexOfExtension(".TXT");
    ASSERT_GE(Txt, 0);
    EXPECT_EQ(T.IndexOfExtension(".txt"), Txt);
    EXPECT_EQ(T.At(Txt)->DisplayName(), "TXT File");
    EXPECT_EQ(T.At(Txt)->Key(), ".TXT");
    EXPECT_EQ(T.At(Txt)->Clients().Count(), 2);
    EXPECT_EQ(C->TypeRow()->DisplayName(), "File");
    EXPECT_EQ(C->TypeRow()->Clients().Count(), 1);
    EXPECT_EQ(T.At(Txt)->ImageIndex(), iiDefaultFile);
    // A located file with the same extension joins the row of the first item.
    auto* L = new TFileLocItem(Cat->Children());
    L->FileInfoRef().Name = PackedString("d.txt");
    T.AddItem(L);
    EXPECT_EQ(L->TypeRow(), T.At(Txt));
    EXPECT_EQ(T.At(Txt)->ItemClass(), &TFileItem::Class);
    Cat->Types()->SetPaused(false);
}

TEST(FileTypes, BuiltInRowsForEveryKindOfFolder) {
    TestCatalog Cat;
    Cat->Types()->SetPaused(true);
    auto* V = Add<TBasicFolder>(Cat.get(), "v");
    auto* S = Add<TFileCollection>(Cat.get(), "s");
    auto* F = AddFolder(Cat.get(), "f");
    Cat->Types()->AddItem(V);
    Cat->Types()->AddItem(S);
    struct Want {
        TBasicItem* Item;
        const char* Name;
        int Image, Selected;
    };
    for (Want W : {Want{Cat.get(), "Catalog", 0, 0}, Want{S, "Archive Folder", 4, 5},
                   Want{V, "Virtual Folder", 3, 3}, Want{F, "File Folder", 1, 2}}) {
        ASSERT_NE(W.Item->TypeRow(), nullptr) << W.Name;
        EXPECT_EQ(W.Item->TypeRow()->DisplayName(), W.Name);
        EXPECT_EQ(W.Item->TypeRow()->ImageIndex(), W.Image);
        EXPECT_EQ(W.Item->TypeRow()->SelectedIndex(), W.Selected);
        EXPECT_EQ(W.Item->TypeRow()->Comment(), "");
    }
    EXPECT_EQ(Cat->Types()->IndexOfClass(&TFileFolder::Class), F->TypeRow()->Index());
    Cat->Types()->SetPaused(false);
}

TEST(FileTypes, ChangedExtensionMovesTheItemToItsNewRow) {
    TestCatalog Cat;
    Cat->Types()->SetPaused(true);
    auto* A = AddFile(Cat.get(), "a.txt");
    TTypeItem* Old = A->TypeRow();
    A->FileInfoRef().Name = PackedString("a.doc");
    // The display name may carry a suffix; the record's name decides the type.
    A->SetNameField(PackedString("a.txt(1)"));
    Cat->Types()->AddItem(A);
    EXPECT_EQ(A->TypeRow()->Key(), ".DOC");
    EXPECT_EQ(Old->Clients().Count(), 0);
    delete A; // no row keeps a client that is gone
    EXPECT_EQ(Old->Clients().Count(), 0);
    Cat->Types()->SetPaused(false);
}

TEST(FileTypes, PausesAreCountedAndClearKeepsThePause) {
    TestCatalog Cat;
    TTypeItems& T = *Cat->Types();
    T.SetPaused(true);
    T.SetPaused(true);
    T.SetPaused(false);
    EXPECT_TRUE(T.Paused());
    AddFile(Cat.get(), "x.txt");
    T.Clear();
    EXPECT_EQ(T.Count(), 0);
    EXPECT_TRUE(T.Paused());
    Cat->Types()->AddItem(Cat.get());
    T.SetPaused(false);
    EXPECT_FALSE(T.Paused());
    T.SetPaused(false); // an unmatched resume changes nothing
    EXPECT_FALSE(T.Paused());
}

TEST(FileTypes, ThreadNamesRowsAddedWhilePausedAndMarksNothing) {
    TestCatalog Cat;
    TTypeItems& T = *Cat->Types();
    T.SetPaused(true);
    auto* A = AddFile(Cat.get(), "notes.txt");
    auto* U = AddFile(Cat.get(), "data.qmunknownext");
    CatalogModified = false;
    T.SetPaused(false);
    T.StartThread();
    ASSERT_TRUE(PumpUntil([&] { return !T.Running(); }));
    // The desktop's name for text files replaces the generated one; unknown types keep theirs.
    EXPECT_NE(A->TypeRow()->DisplayName(), "TXT File");
    EXPECT_FALSE(A->TypeRow()->DisplayName().empty());
    EXPECT_EQ(U->TypeRow()->DisplayName(), "QMUNKNOWNEXT File");
    EXPECT_EQ(U->TypeRow()->ImageIndex(), iiDefaultFile);
    EXPECT_FALSE(CatalogModified);
}

TEST(FileTypes, DestroyingAPausedTableStopsItsThread) {
    for (int I = 0; I < 20; ++I) {
        auto Root = std::make_unique<TCatFileItem>();
        Root->Clear();
        Root->Types()->SetPaused(true);
        AddFile(Root.get(), "f" + std::to_string(I) + ".txt");
        Root->Types()->StartThread();
        Root.reset(); // must end, with the thread gone
    }
    SUCCEED();
}

TEST(FileTypes, RowsAreNeverStored) {
    TTypeItem Row(nullptr);
    TMemoryStream S;
    TWriter W(S);
    try {
        Row.WriteFields(W);
        FAIL();
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "Internal Error: Type:Save Data");
    }
    TReader R(S);
    EXPECT_THROW(Row.ReadFields(R), ECatalogError);
}
