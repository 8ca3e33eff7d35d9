// Loads whose large folder records are read by helper threads: the catalog, its keywords and its
// type table come out exactly as a reading from start to end on one thread gives them (the
// reference here is that reading, made directly, every link at once), damage inside a record
// read by a helper fails the load as damage anywhere does, and nesting goes on counting in the
// helpers. Small part sizes make small catalogs take the roads of large ones.
#include "CatalogBodies.h"

#include "bench/SynthCatalog.h"
#include "core/LoadWorkers.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The reading the helpers must match: one thread, no load parts, each link made as the item
// is read (the collection reader's own path outside a load).
void ReadInPlace(TCatFileItem& Root, const std::string& Body) {
    Root.Clear();
    TMemoryStream S;
    S.Write(Body.data(), Body.size());
    S.SetPosition(8);
    CheckSignature(Body.substr(0, 8));
    TStringList Names;
    StreamClassNames = &Names;
    TReader R(S);
    ReadClassTable(R);
    Root.KeyWords()->ReadItems(R);
    std::vector<TKeyWordItem*> Keys;
    for (int I = 0; I < Root.KeyWords()->Count(); ++I)
        Keys.push_back(Root.KeyWords()->At(I));
    LoadingKeyWordList = &Keys;
    LoadingKeyWords = Root.KeyWords();
    LoadingTypes = Root.Types();
    Root.LoadFromReader(R);
    LoadingKeyWordList = nullptr;
    LoadingKeyWords = nullptr;
    LoadingTypes = nullptr;
    StreamClassNames = nullptr;
    FileVersion = -1;
}

// Every stored field, then the links no listing shows: each type row in table order (its
// texts, class, images and clients in list order), each keyword's clients in list order, and
// whether every item is found in its row's list through its slot.
std::string Links(TCatFileItem* Root) {
    std::map<const TCustomCatalogItem*, int> Number;
    std::vector<TBasicItem*> Stack{Root};
    std::string Out = Listing(Root);
    while (!Stack.empty()) {
        TBasicItem* X = Stack.back();
        Stack.pop_back();
        Number.emplace(X, static_cast<int>(Number.size()));
        if (X->TypeRow() && !X->TypeRow()->Clients().Contains(X)) Out += "lost slot\n";
        if (X->Children())
            for (int I = X->Children()->Count(); I-- > 0;)
                Stack.push_back(X->Children()->At(I));
    }
    auto Clients = [&](const TCatalogClientItem* C) {
        std::string R;
        for (TCustomCatalogItem* Item : C->Clients())
            R += " " + std::to_string(Number.at(Item));
        return R + "\n";
    };
    TTypeItems* Types = Root->Types();
    for (int I = 0; I < Types->Count(); ++I) {
        TTypeItem* T = Types->At(I);
        Out += Format("row %s|%s|%s|%d|%d:", {T->DisplayName(), T->Key(), T->ItemClass()->Name,
                                              T->ImageIndex(), T->SelectedIndex()}) +
               Clients(T);
    }
    for (int I = 0; I < Root->KeyWords()->Count(); ++I)
        Out += "keyword" + Clients(Root->KeyWords()->At(I));
    return Out;
}

// Extensions that fold alike but are spelled apart, keyword indices repeated on one item, and
// folders at several levels.
std::string Crafted() {
    std::vector<std::string> Deep;
    for (int I = 0; I < 40; ++I)
        Deep.push_back(File((I % 2 ? "p.\xC3\x89" : "q.\xC3\xA9") + std::to_string(I % 3), I,
                            {I % 3, (I + 1) % 3, I % 3}));
    return Body({Keyword("a"), Keyword("b"), Keyword("c")},
                {File("x.JPG", 1, {2, 2}),
                 Folder("F", {File("y.jpg"), Folder("G", Deep), File("z.Jpg", 3, {0, 1, 0})}),
                 Record(ciFileFolder, Named("disk") + Basic({1}) + FileFields("disk", 0, 16) +
                                          Items({File("w.jpg"), Folder("H", {File("v.txt")})})),
                 File("u.txt", 5, {1})});
}

TEST_F(CatalogFile, HelpersGiveWhatAReadingInPlaceGives) {
    BuildSyntheticCatalog(*Cat.get(), 20000, 11);
    for (const std::string& Body : {SaveBody(), Crafted()}) {
        ReadInPlace(*Cat.get(), Body);
        const std::string Expected = Links(Cat.get());
        // Every folder record to a helper; then the default sizes, where the stretches between
        // records handed off are read here and their links made in batches.
        for (auto [Min, Max] : {std::pair<size_t, size_t>{8, size_t(1) << 30}, {0, 0}}) {
            PartBytes Sizes(Min, Max);
            LoadBody(Body);
            EXPECT_EQ(Links(Cat.get()), Expected);
            EXPECT_FALSE(CatalogModified);
            if (Min) {
                EXPECT_GT(LastLoadParts, 0);
            }
        }
    }
}

TEST_F(CatalogFile, DamageReadByAHelperFailsTheLoad) {
    PartBytes Sizes(8, size_t(1) << 20);
    // A record inside a folder that claims fewer bytes than it holds, with a good one after it.
    std::string Short = File("s.txt");
    Short[0] = static_cast<char>(Short[0] - 2);
    // Many files after them: the compressed bodies span several steps of the inflater.
    std::vector<std::string> Tail;
    for (int I = 0; I < 20000; ++I)
        Tail.push_back(File("f" + std::to_string(I)));
    auto With = [&](std::string Folder) {
        Tail.insert(Tail.begin(), Folder);
        std::string B = Body({}, Tail);
        Tail.erase(Tail.begin());
        return B;
    };
    std::string Good = With(Folder("F", {File("a"), Folder("G", {File("b")})}));
    std::string Bad = With(Folder("F", {File("a"), Folder("G", {Short, File("b")})}));
    CatalogModified = true;
    EXPECT_EQ(LoadError(Bad), "File damaded");
    EXPECT_EQ(Cat->Children()->Count(), 0);
    EXPECT_TRUE(CatalogModified);

    // Compressed: the damaged record lies before damaged compression (here the checksum), so it
    // is what the load reports; without it the compression is.
    auto LoadZ = [&](std::string Z) {
        Z.back() = static_cast<char>(Z.back() ^ 1);
        return FileError(Z);
    };
    EXPECT_EQ(LoadZ(Compress(Bad)), "File damaded");
    EXPECT_EQ(LoadZ(Compress(Good)), "File is not a catalog file or damaded");
    EXPECT_EQ(Cat->Children()->Count(), 0);
    LoadBody(Good);
    EXPECT_EQ(Cat->Children()->Count(), 20001);

    // The root's keyword waits for its turn like every link; a load that fails before it comes
    // leaves no half link behind (the fuzzer found one that outlived its keyword).
    std::string RootKey = "QLM 1000" + ClassTable() + Items({Keyword("k")}) + Named("Root") +
                          Basic({0}) + Items({File("a")});
    EXPECT_EQ(LoadError(RootKey + "x"), "File damaded");
    EXPECT_EQ(Cat->KeyWords()->Count(), 0);
    EXPECT_TRUE(Cat->TBasicItem::KeyWords().empty());
}

TEST_F(CatalogFile, RecordsThatRunPastTheBodyAreDamageInEveryReading) {
    // The last record of an old body (no trailer) claims bytes the body does not have. Read in
    // place it was skipped to an end that the inflater could not reach, and loaded.
    std::string Long = Folder("F", {File("a")});
    Long[1] = static_cast<char>(Long[1] + 8); // 2048 bytes more
    std::string Z = Compress(Body({}, {Long}, "QLM 1.01", false));
    for (auto [Min, Max] : {std::pair<size_t, size_t>{SIZE_MAX, SIZE_MAX}, {8, SIZE_MAX}}) {
        PartBytes Sizes(Min, Max);
        EXPECT_EQ(FileError(Z), "File damaded");
    }
}

TEST_F(CatalogFile, HelpersGoOnCountingLevels) {
    // Handed off at the first level, the chain is read in a helper to the cap and not beyond.
    PartBytes Sizes(8, size_t(1) << 30);
    EXPECT_EQ(LoadError(NestedBody(65537)), "File damaded");
    EXPECT_EQ(Cat->Children()->Count(), 0);
    // Entered for thousands of levels on a small stack and handed off deep down: in the safety
    // tests (DeepCatalogsLoadAndSaveOnASmallStack).
}

} // namespace
