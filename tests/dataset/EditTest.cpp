// The edit cycle: changes written back to the string list in the three modes, the read-only
// guard, positions of inserted lines, and writes without a record buffer.
#include "DatasetTestSupport.h"

#include <gtest/gtest.h>

TEST(DatasetEdit, ReadOnlyRefusesEveryChange) {
    TProbeDataset D;
    FillLines(D, {"a"});
    D.Open();
    EXPECT_FALSE(D.CanModify());
    for (auto Op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append}) {
        try {
            (D.*Op)();
            FAIL();
        } catch (const EDatabaseError& E) {
            EXPECT_STREQ(E.what(), "Cannot modify a read-only dataset");
        }
    }
    EXPECT_THROW(D.Delete(), EDatabaseError);
    EXPECT_THROW(D.FieldByName("STRINGS").SetAsString("x"), EDatabaseError); // browse state
    try {
        D.SetReadOnly(false);
        FAIL();
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Cannot perform this operation on an open dataset");
    }
    EXPECT_TRUE(D.ReadOnly());
    EXPECT_EQ(Lines(D.Strings()), std::vector<std::string>{"a"});
}

TEST(DatasetEdit, StringsModeWritesTheCutLine) {
    TProbeDataset D;
    FillLines(D, {"one", "two"});
    D.SetReadOnly(false);
    D.SetDefaultStringLength(5);
    D.Open();
    D.Next();
    D.Edit();
    D.FieldByName("STRINGS").SetAsString("second line");
    D.Post();
    EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"one", "secon"}));
    EXPECT_EQ(D.Kinds, std::vector<TModifyKind>{mkEdit});

    D.Insert(); // before the current record
    D.FieldByName("STRINGS").SetAsString("new");
    D.Post();
    D.Append();
    D.FieldByName("STRINGS").SetAsString("last");
    D.Post();
    EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"one", "new", "secon", "last"}));
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "last");
    EXPECT_EQ(D.Kinds, (std::vector<TModifyKind>{mkEdit, mkInsert, mkInsert}));

    D.First();
    D.Edit();
    D.FieldByName("STRINGS").SetAsString("");
    EXPECT_THROW(D.Post(), EDatabaseError); // STRINGS is required
    D.Cancel();
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "one");
}

TEST(DatasetEdit, InsertIntoAnEmptyListLandsAtTheStart) {
    for (bool Append : {false, true}) {
        TProbeDataset D;
        D.SetReadOnly(false);
        D.Open();
        D.First();
        D.Last(); // the cursor behind the last record of nothing
        Append ? D.Append() : D.Insert();
        D.FieldByName("STRINGS").SetAsString("first");
        D.Post();
        EXPECT_EQ(Lines(D.Strings()), std::vector<std::string>{"first"}) << Append;
        EXPECT_EQ(D.RecNo(), 1);
        D.AppendRecord({TVariant(), TVariant::String("second")});
        EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"first", "second"}));
        EXPECT_EQ(D.Kinds, (std::vector<TModifyKind>{mkInsert, mkInsert}));
    }
}

TEST(DatasetEdit, NamesValuesAndCustomModesRoundTrip) {
    TProbeDataset N;
    N.SetMode(sdmNamesValues);
    FillLines(N, {"key=a=b"});
    N.SetReadOnly(false);
    N.Open();
    EXPECT_EQ(N.FieldByName("NAMES").AsString(), "key");
    EXPECT_EQ(N.FieldByName("VALUES").AsString(), "a=b");
    N.Edit();
    N.FieldByName("NAMES").SetAsString("k2");
    N.Post();
    EXPECT_EQ(Lines(N.Strings()), std::vector<std::string>{"k2=a=b"});

    TProbeDataset C;
    C.SetMode(sdmCustom);
    C.AddField("Name", ftString, 30);
    C.AddField("Path", ftString, 30);
    C.AddField("Size", ftInteger);
    FillLines(C, {"x, y, 1"});
    C.SetReadOnly(false);
    C.Open();
    C.Edit();
    C.FieldByName("Path").SetAsString("say \"hi\", then");
    C.Post();
    EXPECT_EQ(Lines(C.Strings()),
              std::vector<std::string>{"\"x\",\"say \"\"hi\"\", then\",\"1\","});
    EXPECT_EQ(C.FieldByName("Path").AsString(), "say \"hi\", then");
    EXPECT_EQ(C.FieldByName("Size").AsInteger(), 1);
    C.Delete();
    EXPECT_TRUE(C.Strings().IsEmpty());
    EXPECT_TRUE(C.IsEmpty());
}

TEST(DatasetEdit, AutoIncrementAndTextFieldsKeepWhatIsWritten) {
    // An auto-increment field has a slot like an integer: it reads, takes edits and is found.
    TProbeDataset D;
    D.SetMode(sdmCustom);
    D.AddField("Id", ftAutoInc);
    D.AddField("Name", ftString, 4);
    FillLines(D, {"7, a", "9, b"});
    D.SetReadOnly(false);
    D.Open();
    EXPECT_EQ(D.FieldByName("Id").AsInteger(), 7);
    ASSERT_TRUE(D.Locate("Id", TVariant::Integer(9), 0));
    D.Edit();
    D.FieldByName("Id").SetAsInteger(12);
    // A text longer than the field is cut before a character, never inside one: "ab" and half
    // of a two-byte "é" would read back as a bad byte.
    D.FieldByName("Name").SetAsString("ab\xC3\xA9\xC3\xA9");
    EXPECT_EQ(D.FieldByName("Name").AsString(), "ab\xC3\xA9");
    D.FieldByName("Name").SetAsString("abc\xE2\x82\xAC");
    EXPECT_EQ(D.FieldByName("Name").AsString(), "abc");
    D.Post();
    EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"7, a", "\"12\",\"abc\","}));
}

TEST(DatasetEdit, ErrorEventsRetryAbortOrFail) {
    TProbeDataset D;
    FillLines(D, {"a"});
    D.SetReadOnly(false);
    D.Open();
    TDataAction Answer = daRetry;
    int Calls = 0;
    D.OnPostError = [&](TDataSet&, const EDatabaseError& E, TDataAction& A) {
        EXPECT_STREQ(E.what(), "disk full");
        ++Calls;
        A = Answer;
    };
    D.Edit();
    D.FieldByName("STRINGS").SetAsString("b");
    D.FailModify = 1;
    D.Post(); // retried once, then written
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(Lines(D.Strings()), std::vector<std::string>{"b"});

    for (TDataAction A : {daAbort, daFail}) {
        Answer = A;
        D.Edit();
        D.FieldByName("STRINGS").SetAsString("c");
        D.FailModify = 1;
        if (A == daAbort)
            EXPECT_THROW(D.Post(), EAbort);
        else
            EXPECT_THROW(D.Post(), EDatabaseError);
        EXPECT_EQ(D.State(), dsEdit); // the edit is still there to post or cancel
        D.Cancel();
    }
    EXPECT_EQ(Lines(D.Strings()), std::vector<std::string>{"b"});
}

TEST(DatasetEdit, NoWriteWithoutARecordBuffer) {
    TProbeDataset D;
    D.SetMode(sdmCustom);
    TField& Calc = D.AddField("Calc", ftString, 10, fkCalculated);
    TField& Name = D.AddField("Name", ftString, 10);
    FillLines(D, {"a"});
    D.Open();
    TDataSetState Old = D.EnterState(dsSetKey); // a state that has no record buffer
    Calc.SetAsString("nowhere");
    Name.SetAsString("nowhere");
    D.LeaveState(Old);
    EXPECT_EQ(Name.AsString(), "a");
    EXPECT_TRUE(Calc.IsNull());
}

TEST(DatasetEdit, StateEventsArriveInOrder) {
    TProbeDataset D;
    FillLines(D, {"a", "b"});
    D.SetReadOnly(false);
    std::vector<std::string> Seen;
    D.BeforeEdit = [&](TDataSet&) { Seen.push_back("BeforeEdit"); };
    D.AfterPost = [&](TDataSet&) { Seen.push_back("AfterPost"); };
    D.AfterCancel = [&](TDataSet&) { Seen.push_back("AfterCancel"); };
    D.Open();
    int Changes = 0;
    int Id = D.AddDataEventHandler([&](TDataEvent E, intptr_t) { Changes += E == deFieldChange; });
    D.Edit();
    D.Next(); // unmodified: cancelled
    D.Edit();
    D.FieldByName("STRINGS").SetAsString("B");
    D.First(); // modified: posted
    D.RemoveDataEventHandler(Id);
    EXPECT_EQ(Seen,
              (std::vector<std::string>{"BeforeEdit", "AfterCancel", "BeforeEdit", "AfterPost"}));
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Lines(D.Strings()), (std::vector<std::string>{"a", "B"}));
}
