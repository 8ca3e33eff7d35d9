// Moving the cursor: record numbers, the edges of the record list, filters and bookmarks.
#include "DatasetTestSupport.h"

#include <gtest/gtest.h>

TEST(DatasetNavigation, RecNoAtTheEdges) {
    TProbeDataset D;
    FillLines(D, {"a", "b", "c"});
    D.Open();
    EXPECT_EQ(D.Index(), 0);
    EXPECT_EQ(D.RecNo(), 1);
    D.GotoIndex(-1); // before the first record
    EXPECT_EQ(D.Index(), -1);
    D.Last();
    EXPECT_EQ(D.RecNo(), 3);
    EXPECT_TRUE(D.Eof());
    D.Next();
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "c");
    D.First();
    D.Prior();
    EXPECT_TRUE(D.Bof());
    EXPECT_EQ(D.FieldByName("CODE").AsInteger(), 0);
    EXPECT_EQ(D.MoveBy(5), 2);
    EXPECT_EQ(D.MoveBy(-1), -1);
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "b");

    // The cursor moves itself only as far as the list reaches.
    EXPECT_EQ(D.Read(gmNext), grOK);
    EXPECT_EQ(D.Read(gmNext), grEOF);
    EXPECT_EQ(D.Index(), 2);
    D.GotoIndex(0);
    EXPECT_EQ(D.Read(gmPrior), grBOF);
    EXPECT_EQ(D.Index(), -1);
}

TEST(DatasetNavigation, RecNoOfAnEmptyDatasetIsZero) {
    TProbeDataset D;
    D.Open();
    EXPECT_TRUE(D.IsEmpty());
    EXPECT_TRUE(D.Bof() && D.Eof());
    EXPECT_EQ(D.RecNo(), 0);
    D.Last(); // leaves the cursor behind the (absent) last record
    EXPECT_EQ(D.RecNo(), 0);
    D.First();
    EXPECT_EQ(D.RecNo(), 0);
    EXPECT_EQ(D.Read(gmCurrent), grEOF);
    EXPECT_THROW(D.Delete(), EDatabaseError);
    D.Close();
    EXPECT_THROW(D.RecNo(), EDatabaseError);
}

TEST(DatasetNavigation, SetRecNoChecksPostsAndScrolls) {
    TProbeDataset D;
    FillLines(D, {"a", "b", "c"});
    D.SetReadOnly(false);
    EXPECT_THROW(D.SetRecNoValue(1), EDatabaseError); // closed
    D.Open();
    int Scrolls = 0;
    D.AfterScroll = [&](TDataSet&) { ++Scrolls; };
    D.SetRecNoValue(0);
    D.SetRecNoValue(4);
    EXPECT_EQ(D.RecNo(), 1);
    EXPECT_EQ(Scrolls, 0);

    D.Edit();
    D.FieldByName("STRINGS").SetAsString("A!");
    D.SetRecNoValue(3); // the edit is posted, not lost
    EXPECT_EQ(D.State(), dsBrowse);
    EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"A!", "b", "c"}));
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "c");
    EXPECT_EQ(Scrolls, 1);
}

TEST(DatasetNavigation, FiltersSkipRecordsAndSurviveFailingHandlers) {
    TProbeDataset D;
    FillLines(D, {"keep 1", "drop", "keep 2", "drop"});
    D.SetFilteredValue(true); // without a handler every record passes
    D.Open();
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "keep 1");
    D.SetOnFilterRecordValue([](TDataSet& S, bool& Accept) {
        Accept = S.FieldByName("STRINGS").AsString().rfind("keep", 0) == 0;
    });
    D.Last();
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "keep 2");
    D.Prior();
    EXPECT_EQ(D.FieldByName("CODE").AsInteger(), 0);

    D.SetOnFilterRecordValue([](TDataSet&, bool& Accept) { Accept = false; });
    EXPECT_TRUE(D.IsEmpty());
    EXPECT_EQ(D.Index(), 3); // the search for a first record ran to the end
    D.GotoIndex(1);
    EXPECT_EQ(D.Index(), 3); // not accepted: back where it was
    EXPECT_EQ(D.Read(gmPrior), grBOF);
    EXPECT_EQ(D.Index(), -1);
    EXPECT_EQ(D.Read(gmNext), grEOF);
    EXPECT_EQ(D.Index(), 3);

    int Shown = 0;
    TDataSet::ApplicationHandleException = [&](const std::exception&) { ++Shown; };
    D.SetOnFilterRecordValue([](TDataSet&, bool&) { throw EDatabaseError("filter broke"); });
    EXPECT_FALSE(D.IsEmpty()); // Accept kept its starting value
    EXPECT_GT(Shown, 0);
    TDataSet::ApplicationHandleException = nullptr;
}

TEST(DatasetNavigation, BookmarksAreRecordIndices) {
    TProbeDataset D;
    FillLines(D, {"a", "b", "c"});
    D.Open();
    D.Next();
    TBookmark B = D.GetBookmark();
    ASSERT_EQ(B.size(), 4u);
    D.Last();
    D.GotoBookmark(B);
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "b");
    D.GotoIndex(3); // RecordCount or more: ignored
    EXPECT_EQ(D.Index(), 1);
    EXPECT_THROW(D.GotoBookmark("xy"), EDatabaseError);
}

TEST(DatasetNavigation, DeletingWithAFilterNeverGoesBeforeTheStart) {
    TProbeDataset D;
    FillLines(D, {"drop a", "keep", "drop b"});
    D.SetReadOnly(false);
    D.Open();
    D.SetFilteredValue(true);
    D.SetOnFilterRecordValue(
        [](TDataSet& S, bool& Accept) { Accept = S.FieldByName("STRINGS").AsString() == "keep"; });
    ASSERT_EQ(D.FieldByName("STRINGS").AsString(), "keep");
    D.Delete();
    EXPECT_EQ(D.Index(), -1);
    EXPECT_TRUE(D.IsEmpty());
    EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"drop a", "drop b"}));

    // Deleting the last record moves to the new last one.
    D.SetFilteredValue(false);
    D.Last();
    D.Delete();
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "drop a");
}

TEST(DatasetNavigation, LocateAndLookupScanAndRestore) {
    TProbeDataset D;
    D.SetMode(sdmCustom);
    D.AddField("Name", ftString, 20);
    D.AddField("Size", ftInteger);
    FillLines(D, {"\"Alpha  \", 10", "Beta, 20", "\"beta two\", 30"});
    D.Open();
    D.Last();

    EXPECT_FALSE(D.Locate("Name", TVariant::String("Gamma"), 0));
    EXPECT_EQ(D.RecNo(), 3);
    EXPECT_TRUE(D.Locate("Name", TVariant::String("Alpha"), 0)); // trailing blanks ignored
    EXPECT_EQ(D.RecNo(), 1);
    EXPECT_TRUE(D.Locate("Name", TVariant::String("BETA T"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(D.RecNo(), 3);
    EXPECT_TRUE(D.Locate("Name;Size",
                         TVariant::Array({TVariant::String("Beta"), TVariant::String("20")}), 0));
    EXPECT_EQ(D.RecNo(), 2);
    EXPECT_FALSE(D.Locate("Size", TVariant::String("twenty"), 0)); // compared as text: no match
    // An empty key matches nothing, as a prefix neither.
    for (const char* Key : {"", "  "})
        for (TLocateOptions Options : {0u, unsigned(loPartialKey), unsigned(loCaseInsensitive)}) {
            EXPECT_FALSE(D.Locate("Name", TVariant::String(Key), Options)) << Options;
            EXPECT_EQ(D.RecNo(), 2);
        }

    // An unknown key field raises, and the cursor stays where it was.
    EXPECT_THROW(D.Locate("Nope", TVariant::String("x"), 0), EDatabaseError);
    EXPECT_EQ(D.RecNo(), 2);
    EXPECT_FALSE(D.ControlsDisabled());

    EXPECT_EQ(D.Lookup("Size", TVariant::Integer(30), "Name").AsString(), "beta two");
    EXPECT_TRUE(D.Lookup("Size", TVariant::Integer(99), "Name").IsNull());
    EXPECT_TRUE(D.Lookup("Size", TVariant::Integer(30), "").IsNull());
    EXPECT_EQ(D.RecNo(), 2);
}

TEST(DatasetNavigation, LookupFieldsComeFromAnotherDataset) {
    TSBStringsDataset Types;
    Types.SetMode(sdmNamesValues);
    FillLines(Types, {"txt=Text", "png=Picture"});
    Types.Open();
    TSBStringsDataset Files;
    Files.SetMode(sdmCustom);
    Files.AddField("Name", ftString, 20);
    Files.AddField("Ext", ftString, 5);
    TField& Kind = Files.AddField("Kind", ftString, 10, fkLookup);
    Kind.LookupDataSet = &Types;
    Kind.KeyFields = "Ext";
    Kind.LookupKeyFields = "NAMES";
    Kind.LookupResultField = "VALUES";
    FillLines(Files, {"a, png", "b, doc"});
    Files.Open();
    EXPECT_EQ(Kind.AsString(), "Picture");
    Files.Next();
    EXPECT_TRUE(Kind.IsNull());
}

TEST(DatasetNavigation, LookupsThatLeadBackToTheirOwnDatasetAreRefused) {
    // On itself: refused when the dataset opens, and when it is made so while open.
    TSBStringsDataset Self;
    Self.SetMode(sdmCustom);
    Self.AddField("Key", ftString, 5);
    TField& Again = Self.AddField("Again", ftString, 5, fkLookup);
    Again.KeyFields = Again.LookupKeyFields = Again.LookupResultField = "Key";
    FillLines(Self, {"a", "b"});
    Again.LookupDataSet = &Self;
    try {
        Self.Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Lookup field 'Again' cannot look up its own dataset");
    }
    Again.LookupDataSet = nullptr;
    Self.Open();
    Again.LookupDataSet = &Self;
    EXPECT_THROW(Self.Next(), EDatabaseError);

    // Through another dataset whose lookup field leads back.
    TSBStringsDataset A, B;
    for (TSBStringsDataset* D : {&A, &B}) {
        D->SetMode(sdmCustom);
        D->AddField("Key", ftString, 5);
        FillLines(*D, {"a", "b"});
    }
    TField& AB = A.AddField("FromB", ftString, 5, fkLookup);
    TField& BA = B.AddField("FromA", ftString, 5, fkLookup);
    AB.KeyFields = AB.LookupKeyFields = AB.LookupResultField = "Key";
    BA.KeyFields = BA.LookupKeyFields = BA.LookupResultField = "Key";
    A.Open();
    B.Open();
    AB.LookupDataSet = &B;
    BA.LookupDataSet = &A;
    try {
        A.Next();
        FAIL() << "no error";
    } catch (const EDatabaseError& E) {
        EXPECT_NE(std::string(E.what()).find("leads back to its own dataset"), std::string::npos)
            << E.what();
    }
    BA.LookupDataSet = nullptr;
    A.First();
    EXPECT_EQ(AB.AsString(), "a");
}
