#include "CatalogTestSupport.h"
#include "core/ItemFormats.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

std::vector<std::string> Names(const TCustomCatalogItems& C) {
    std::vector<std::string> R;
    for (int I = 0; I < C.Count(); ++I)
        R.emplace_back(C.At(I)->Name());
    return R;
}

struct Keywords : ::testing::Test {
    TestCatalog Cat;
    TKeyWordItems& K = *Cat->KeyWords();
    TKeyWordItem* New(const std::string& Name = "") {
        auto* Item = new TKeyWordItem(&K);
        if (!Name.empty()) Item->SetItemName(Name);
        return Item;
    }
};

} // namespace

TEST_F(Keywords, RenamingKeepsNamesUniqueInAnyLetterCase) {
    New("Docs");
    auto* B = New("docs");
    auto* C = New("DOCS");
    EXPECT_EQ(B->Name(), "docs(1)");
    EXPECT_EQ(C->Name(), "DOCS(2)");
    // Renaming an item to its own name in another case gives no suffix.
    C->SetItemName("Docs(2)");
    EXPECT_EQ(C->Name(), "Docs(2)");
    B->SetItemName("DOCS(1)");
    EXPECT_EQ(B->Name(), "DOCS(1)");
}

TEST_F(Keywords, RenameToTheSameNameMarksNothing) {
    auto* A = New("Music");
    CatalogModified = false;
    A->SetItemName("Music");
    EXPECT_FALSE(CatalogModified);
    A->SetItemName("music");
    EXPECT_TRUE(CatalogModified);

    // An unnamed item named "" again: marked, but no suffix while no other item is unnamed.
    auto* U = New();
    CatalogModified = false;
    U->SetItemName("");
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(U->Name(), "");
    auto* V = New();
    V->SetItemName("");
    EXPECT_EQ(V->Name(), "(1)");
}

TEST_F(Keywords, DefaultNamesAreCheckedAgainstStoredNamesOnly) {
    auto* A = New();
    auto* B = New();
    EXPECT_EQ(A->DisplayName(), "KeyWord1");
    EXPECT_EQ(B->DisplayName(), "KeyWord1");
    New("KeyWord1");
    EXPECT_EQ(A->DisplayName(), "KeyWord2");
    TKeyWordItem Free(nullptr);
    EXPECT_EQ(Free.DisplayName(), "KeyWord");
}

TEST_F(Keywords, LookupIsCaseInsensitiveAndSortsOnlyWhenNeeded) {
    for (const char* N : {"c", "d", "b", "a"})
        New()->SetNameField(PackedString(N));
    K.SetSorted(false);
    EXPECT_EQ(Names(K), (std::vector<std::string>{"c", "d", "b", "a"}));
    EXPECT_EQ(K.IndexOfName("B"), 2); // unsorted: linear, first in position order
    K.SetSorted(true);
    EXPECT_EQ(Names(K), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(K.IndexOfName("C"), 2);
    EXPECT_EQ(K.IndexOfName("e"), -1);

    // Once in order, walking the collection while asking names never reorders it.
    std::vector<TCustomCatalogItem*> Before;
    for (int I = 0; I < K.Count(); ++I)
        Before.push_back(K.At(I));
    for (int I = 0; I < K.Count(); ++I) {
        K.IndexOfName("d");
        K.At(I)->DisplayName();
        EXPECT_EQ(K.At(I), Before[I]);
    }
}

TEST_F(Keywords, SortIsStableForEqualNames) {
    K.SetSorted(false);
    std::vector<TCustomCatalogItem*> Twins;
    for (const char* N : {"b", "Same", "a", "SAME", "same"}) {
        auto* I = New();
        I->SetNameField(PackedString(N));
        if (AnsiSameText(N, "same")) Twins.push_back(I);
    }
    K.SetSorted(true);
    EXPECT_EQ(Names(K), (std::vector<std::string>{"a", "b", "Same", "SAME", "same"}));
    for (int Round = 0; Round < 3; ++Round) {
        K.Sort();
        EXPECT_EQ(K.At(2), Twins[0]);
        EXPECT_EQ(K.At(3), Twins[1]);
        EXPECT_EQ(K.At(4), Twins[2]);
    }
}

TEST_F(Keywords, UnknownClassIsRefusedWithTheCollectionName) {
    try {
        K.CreateItemByClassName("TFoo");
        FAIL();
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "TKeyWordItems: Can't create BasicItem from TFoo");
    }
    try {
        Cat->Children()->CreateItemOfClass(nullptr);
        FAIL();
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "TBasicItems: Can't create BasicItem from ");
    }
    // Class names are exact.
    EXPECT_THROW(K.CreateItemByClassName("tkeyworditem"), ECatalogError);
    EXPECT_EQ(K.CreateItemByClassName("TKeyWordItem")->ClassType(), &TKeyWordItem::Class);
}

TEST_F(Keywords, AssignRecreatesItemsAndNeverCopiesClients) {
    auto* A = New("Alpha");
    New("Beta");
    auto* File = AddFile(Cat.get(), "a.txt");
    A->AddClient(File);
    TKeyWordItems Copy(Cat.get(), &TKeyWordItem::Class);
    Copy.Assign(K);
    ASSERT_EQ(Copy.Count(), 2);
    EXPECT_NE(Copy.At(0), A);
    EXPECT_EQ(Copy.At(0)->Name(), "Alpha");
    EXPECT_EQ(Copy.At(0)->Clients().Count(), 0);
    // Assigning a collection or an item to itself keeps it whole.
    K.Assign(K);
    EXPECT_EQ(K.Count(), 2);
    A->Assign(*A);
    EXPECT_EQ(A->Name(), "Alpha");
    EXPECT_EQ(A->Clients().Count(), 1);
}

TEST(CatalogErrors, ContextPrefix) {
    try {
        RaiseCatalogError("File damaded", "Catalog");
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "Catalog: File damaded");
    }
    try {
        RaiseCatalogErrorFmt("%d Files Found", {3});
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "3 Files Found");
    }
}

namespace {
// Slots kept outside the items, for the list's slot mode.
std::map<TCustomCatalogItem*, int32_t> GSlots;
int32_t* SlotOf(TCustomCatalogItem* I) {
    return &GSlots.try_emplace(I, -1).first->second;
}
} // namespace

TEST(ClientList, KeepsInsertionOrderThroughRandomAddsAndRemoves) {
    // Checked against a plain vector, with a hash index and with item-kept slots.
    std::vector<std::unique_ptr<TBasicItem>> Items;
    for (int I = 0; I < 400; ++I)
        Items.push_back(std::make_unique<TBasicItem>(nullptr));
    for (TClientList::SlotFn Fn : {static_cast<TClientList::SlotFn>(nullptr), &SlotOf}) {
        GSlots.clear();
        TClientList L(Fn);
        std::vector<TCustomCatalogItem*> Ref;
        std::mt19937 Rng(42);
        for (int Step = 0; Step < 20000; ++Step) {
            TCustomCatalogItem* X = Items[Rng() % Items.size()].get();
            bool In = std::find(Ref.begin(), Ref.end(), X) != Ref.end();
            if (Rng() % 3) {
                EXPECT_EQ(L.Add(X), !In);
                if (!In) Ref.push_back(X);
            } else {
                EXPECT_EQ(L.Remove(X), In);
                if (In) Ref.erase(std::find(Ref.begin(), Ref.end(), X));
            }
            if (Step % 997 == 0) {
                EXPECT_EQ(L.Snapshot(), Ref);
                EXPECT_EQ(L.Last(), Ref.empty() ? nullptr : Ref.back());
            }
        }
        EXPECT_EQ(L.Snapshot(), Ref);
        EXPECT_EQ(L.Count(), static_cast<int>(Ref.size()));
    }
}

TEST(ItemFormats, ElevenClassesInTheirFixedOrder) {
    TItemFormatsList& F = ItemFormats();
    ASSERT_EQ(F.Count(), 11);
    const char* Order[] = {"TFileItem",          "TFileFolder",       "TFileCollection",
                           "TFileLocItem",       "TBasicFolder",      "TCatFileItem",
                           "TTypeItem",          "TKeyWordItem",      "TBasicItem",
                           "TCatalogClientItem", "TCustomCatalogItem"};
    const char* Captions[] = {
        "File",           "FileFolder",        "Archive Folder",   "FileLocItem",
        "Virtual Folder", "Catalog",           "TypeItem",         "KeyWordItem",
        "BasicItem",      "CatalogClientItem", "CustomCatalogItem"};
    for (int I = 0; I < 11; ++I) {
        EXPECT_EQ(F.GetClass(I)->ClassName(), Order[I]);
        EXPECT_EQ(F.Format(I).Caption, Captions[I]);
    }
    EXPECT_EQ(F.IndexOfClassName("TKeyWordItem"), 7);
    EXPECT_EQ(F.FindClass("tfileitem"), nullptr);
    EXPECT_EQ(F.FindClass("TFileItem"), &TFileItem::Class);
    EXPECT_THROW(F.GetClass(11), EListError);
    EXPECT_THROW(F.GetClass(-1), EListError);
}

TEST(ItemFormats, ClassCaptionsOfTheItems) {
    TestCatalog Cat;
    EXPECT_EQ(TCustomCatalogItem(nullptr).ClassCaption(), "CustomCatalogItem");
    EXPECT_EQ(TBasicItem(nullptr).ClassCaption(), "BasicItem");
    EXPECT_EQ(TBasicFolder(nullptr).ClassCaption(), "Virtual Folder");
    EXPECT_EQ(Cat->ClassCaption(), "Catalog");
    EXPECT_EQ(TFileCollection(nullptr).ClassCaption(), "Archive Folder");
    EXPECT_EQ(TFileItem(nullptr).ClassCaption(), "FileItem");
    EXPECT_EQ(TFileLocItem(nullptr).ClassCaption(), "FileItem");
    EXPECT_EQ(TFileFolder(nullptr).ClassCaption(), FolderTypeName);
    EXPECT_EQ(TTypeItem(nullptr).ClassCaption(), "File");
    EXPECT_EQ(TKeyWordItem(nullptr).ClassCaption(), "KeyWord");
}
