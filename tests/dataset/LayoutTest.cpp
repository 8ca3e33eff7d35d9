// Record layout: slot sizes and offsets, field definitions, field objects bound to their records,
// and the bounds of the sizes that make the layout.
#include "DatasetTestSupport.h"

#include <gtest/gtest.h>

TEST(DatasetLayout, FieldTypesKeepTheirNumbers) {
    // Stored forms and form descriptions carry these numbers.
    EXPECT_EQ(ftString, 1);
    EXPECT_EQ(ftBCD, 8);
    EXPECT_EQ(ftAutoInc, 14);
    EXPECT_EQ(ftFixedChar, 23);
    EXPECT_EQ(ftOraClob, 31);
    EXPECT_EQ(ftGuid, 35);
    EXPECT_STREQ(FieldTypeName(ftGuid), "Guid");
}

TEST(DatasetLayout, SlotsCountTheSizeTwice) {
    TProbeDataset D;
    D.SetMode(sdmCustom);
    D.AddField("name", ftString, 255);
    D.AddField("n", ftInteger);
    D.AddField("when", ftDateTime);
    D.AddField("price", ftBCD, 2);
    D.Open();
    const TFieldInfos& I = D.FieldInfos();
    ASSERT_EQ(I.size(), 4u);
    EXPECT_EQ(I[0]->SlotSize, 512); // 256 + 255 + 1
    EXPECT_EQ(I[1]->SlotSize, 5);
    EXPECT_EQ(I[2]->SlotSize, 9);
    EXPECT_EQ(I[3]->Size, 4); // a BCD record is always size 4
    EXPECT_EQ(I[3]->SlotSize, 34 + 4 + 1);
    EXPECT_EQ(I[1]->Offset, 512);
    EXPECT_EQ(I[2]->Offset, 517);
    EXPECT_EQ(I[0]->Name, "NAME");
    EXPECT_EQ(D.RecordSize(), 512 + 5 + 9 + 39); // data and calculated areas only
    EXPECT_EQ(D.FieldDefs()[2].FieldNo, 3);
}

TEST(DatasetLayout, DefaultStringLengthIsBounded) {
    TSBStringsDataset D;
    for (int Bad : {0, -1, 65536, 70000})
        EXPECT_THROW(D.SetDefaultStringLength(Bad), EDatabaseError) << Bad;
    EXPECT_EQ(D.DefaultStringLength(), 20);
    D.SetDefaultStringLength(65535);
    D.Strings().Add(std::string(70000, 'x'));
    D.Open();
    EXPECT_EQ(D.FieldByName("STRINGS").AsString().size(), 65535u);
    EXPECT_THROW(D.SetDefaultStringLength(10), EDatabaseError); // open at run time
    EXPECT_EQ(D.DefaultStringLength(), 65535);
}

TEST(DatasetLayout, FieldObjectsFollowTheirRecordsPastCalculatedFields) {
    // A calculated field first in the list must not take the place of the first data field.
    TProbeDataset D;
    D.SetMode(sdmCustom);
    TField& Calc = D.AddField("Upper", ftString, 4, fkCalculated);
    D.AddField("Name", ftString, 8);
    D.AddField("Count", ftInteger);
    D.OnCalcFields = [&](TDataSet& S) {
        Calc.SetAsString(S.FieldByName("Name").AsString().substr(0, 4));
    };
    D.Strings().Add("\"abcdefghijk\", 42");
    D.Open();
    EXPECT_EQ(D.FieldByName("Name").AsString(), "abcdefgh");
    EXPECT_EQ(D.FieldByName("Count").AsInteger(), 42);
    EXPECT_EQ(Calc.AsString(), "abcd");

    // Filling a buffer from the field objects pairs them the same way.
    std::vector<char> Buffer(1024);
    D.Fill(Buffer.data());
    EXPECT_STREQ(Buffer.data() + 1, "abcdefgh");
}

TEST(DatasetLayout, FieldObjectsThatDifferFromTheirRecordsAreRefused) {
    TSBStringsDataset D; // sdmStrings: CODE integer, STRINGS string(20)
    D.AddField("CODE", ftInteger);
    D.AddField("STRINGS", ftString, 40);
    D.Strings().Add("x");
    try {
        D.Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Size mismatch for field 'STRINGS', expecting: 40 actual: 20");
    }
    EXPECT_FALSE(D.Active());

    TSBStringsDataset T;
    T.AddField("CODE", ftString, 5);
    try {
        T.Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Type mismatch for field 'CODE', expecting: String actual: Integer");
    }

    TSBStringsDataset U;
    U.AddField("NOSUCH", ftInteger);
    EXPECT_THROW(U.Open(), EDatabaseError);
    EXPECT_THROW(TField(U, "x", ftString, 0, fkData), EDatabaseError);
}

TEST(DatasetLayout, ReopeningRebuildsTheLayoutFromTheMode) {
    TSBStringsDataset D;
    D.Strings().Add("a=b");
    D.Open();
    EXPECT_NE(D.FindField("STRINGS"), nullptr);
    EXPECT_THROW(D.SetMode(sdmNamesValues), EDatabaseError);
    D.Close();
    D.SetMode(sdmNamesValues);
    D.Open();
    EXPECT_EQ(D.FindField("STRINGS"), nullptr);
    EXPECT_EQ(D.FieldByName("VALUES").AsString(), "b");

    // A designing component is closed and opened again around the change.
    D.SetComponentState(csDesigning);
    D.SetMode(sdmStrings);
    EXPECT_TRUE(D.Active());
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "a=b");
}
