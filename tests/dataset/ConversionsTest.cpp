// Values between record slots, variants, field objects and text: nulls from unreadable text,
// the text forms of numbers and dates, BCD, and stores bounded by their slots.
#include "DatasetTestSupport.h"
#include "dataset/Bcd.h"
#include "dataset/sbRecordValues.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// A custom-mode dataset with one field of each given type over Lines.
struct TTyped {
    TProbeDataset D;
    TTyped(std::initializer_list<std::pair<TFieldType, int>> Types,
           std::initializer_list<const char*> Text) {
        D.SetMode(sdmCustom);
        int N = 0;
        for (auto [T, Size] : Types)
            D.AddField("F" + std::to_string(N++), T, Size);
        FillLines(D, Text);
        D.Open();
    }
    TField& F(int I) { return D.Fields()[I]; }
};

class GermanLocale : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(DatasetConversions, UnreadableTextMakesThatFieldNull) {
    TTyped T({{ftString, 5}, {ftInteger, 0}, {ftBoolean, 0}, {ftLargeint, 0}, {ftSmallint, 0}},
             {"abc, 12x, -1, 5, 70000", "abc, 7, 0, 5, -2"});
    EXPECT_EQ(T.F(0).AsString(), "abc");
    EXPECT_TRUE(T.F(1).IsNull());
    EXPECT_TRUE(T.F(2).AsBoolean());
    EXPECT_TRUE(T.F(3).IsNull());        // 64-bit integers are not kept
    EXPECT_EQ(T.F(4).AsInteger(), 4464); // taken as 16 bits, as stored forms expect
    T.D.Next();
    EXPECT_EQ(T.F(1).AsInteger(), 7);
    EXPECT_FALSE(T.F(2).AsBoolean());
    EXPECT_EQ(T.F(4).AsInteger(), -2);
}

TEST(DatasetConversions, AnUnknownTypeNamesTheField) {
    TSBStringsDataset D;
    D.SetName("sbDataset");
    D.SetMode(sdmCustom);
    D.AddField("Odd", ftUnknown);
    D.Strings().Add("x");
    try {
        D.Open();
        FAIL();
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Field 'ODD' is of an unknown type");
    }
    EXPECT_FALSE(D.Active());
}

TEST(DatasetConversions, NullsAndNumbersAsText) {
    TTyped T({{ftInteger, 0}, {ftString, 4}, {ftDate, 0}, {ftFloat, 0}, {ftCurrency, 0}},
             {"x, \"\", bad, 0.1, 2.25"});
    TStringList L;
    FieldInfosToStrings(T.D.FieldInfos(), T.D.Active(), L, "~", false);
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"~F0=0", "~F1=", "~F2=", "~F3=0.1", "~F4=2.25"}));
    FieldInfosToStrings(T.D.FieldInfos(), T.D.Active(), L, "", true);
    EXPECT_NE(L[2], "F2="); // the present moment
}

TEST(DatasetConversions, ValuesThatAreNoDateTimeOrNumberGiveNoText) {
    // Stored stamps outside 1 January 1 to 31 December 9999, or a time of a whole day or more,
    // would give text that reads back as something else.
    struct TCase {
        TFieldType Type;
        double Value; // day number, milliseconds, or time-stamp milliseconds
    };
    const TCase Cases[] = {
        {ftDate, 0},
        {ftDate, -1},
        {ftDate, MaxDateStamp + 1},
        {ftTime, -1},
        {ftTime, MSecsPerDay},
        {ftDateTime, -1.0},
        {ftDateTime, double(MaxDateStamp + 1) * MSecsPerDay},
    };
    for (const TCase& C : Cases) {
        char Data[8] = {};
        if (C.Type == ftDateTime) {
            std::memcpy(Data, &C.Value, sizeof C.Value);
        } else {
            const int32_t V = static_cast<int32_t>(C.Value);
            std::memcpy(Data, &V, sizeof V);
        }
        std::string Text = "untouched";
        FieldValueToString(Data, 8, C.Type, Text);
        EXPECT_EQ(Text, "") << FieldTypeName(C.Type) << " " << C.Value;
    }
    EXPECT_EQ(DateToText(EncodeDateTime(9999, 12, 31, 0, 0, 0, 0) + 1), "");
    EXPECT_EQ(DateTimeToText(EncodeDateTime(1, 1, 1, 0, 0, 0, 0) - 1), "");
    EXPECT_NE(DateToText(EncodeDateTime(1, 1, 1, 0, 0, 0, 0)), "");

    // "nan" and "inf" are no values of a float or currency field.
    TTyped T({{ftFloat, 0}, {ftCurrency, 0}, {ftBCD, 0}},
             {"nan, inf, -inf", "infinity, NAN, nan(1)", "1.5, 2.5, 3.5"});
    for (int Row = 0; Row < 2; ++Row, T.D.Next())
        for (int F = 0; F < 3; ++F)
            EXPECT_TRUE(T.F(F).IsNull()) << Row << " " << F;
    EXPECT_EQ(T.F(1).AsFloat(), 2.5);
}

TEST_F(GermanLocale, FloatsUseAPointAndReadBack) {
    for (double V : {1.5, 0.1, 1e-300, 123456789.123, -2.0 / 3.0}) {
        std::string S = FloatToText(V);
        EXPECT_EQ(S.find(','), std::string::npos) << S;
        double Back;
        ASSERT_TRUE(TextToFloat(S, Back)) << S;
        EXPECT_EQ(Back, V);
    }
    EXPECT_EQ(FloatToText(1.5), "1.5");
    // Dates follow the user's format and read back as the same day, four-digit year and all.
    TDateTime D = EncodeDateTime(2024, 5, 17, 14, 3, 9, 0);
    EXPECT_EQ(DateToText(D), "17.05.2024");
    TDateTime Back;
    ASSERT_TRUE(TextToDateTime(DateTimeToText(D), Back));
    EXPECT_NEAR(Back, D, 1e-9);
    TTyped T({{ftFloat, 0}, {ftDate, 0}}, {"1.5, 17.05.2024"});
    EXPECT_EQ(T.F(0).AsFloat(), 1.5);
    EXPECT_EQ(T.F(1).AsString(), "17.05.2024");
}

TEST(DatasetConversions, CurrencyKeepsItsDecimals) {
    TCurrency C;
    ASSERT_TRUE(TextToCurrency("12.34", C));
    EXPECT_EQ(C, 123400);
    EXPECT_EQ(CurrencyToText(C), "12.34");
    ASSERT_TRUE(TextToCurrency("-0.00005", C));
    EXPECT_EQ(C, -1); // half away from zero
    EXPECT_EQ(CurrencyToText(-1), "-0.0001");
    EXPECT_FALSE(TextToCurrency("99999999999999999999", C));
    EXPECT_FALSE(TextToCurrency("1,5", C));
    ASSERT_TRUE(TextToCurrency("922337203685477.5807", C));
    EXPECT_EQ(C, INT64_MAX);

    TTyped T({{ftCurrency, 0}, {ftBCD, 0}}, {"19.99, -7.5"});
    EXPECT_EQ(T.F(0).AsString(), "19.99");
    EXPECT_EQ(T.F(1).AsCurrency(), -75000);
    std::string Text;
    FieldValueToString(T.D.Active() + T.D.FieldInfos()[1]->Offset + 1, 34, ftBCD, Text);
    EXPECT_EQ(Text, "-7.5");
}

TEST(DatasetConversions, BcdRoundTripsAndRefusesDamage) {
    for (TCurrency V : {TCurrency(0), TCurrency(1), TCurrency(-123456789), INT64_MAX, INT64_MIN}) {
        TBcd B;
        CurrencyToBcd(V, B);
        EXPECT_EQ(B.Precision, 32);
        TCurrency Back;
        ASSERT_TRUE(BcdToCurrency(B, Back)) << V;
        EXPECT_EQ(Back, V);
    }
    TBcd B;
    CurrencyToBcd(5, B, 10, 6); // 0.0005 written with six places
    TCurrency Back;
    ASSERT_TRUE(BcdToCurrency(B, Back));
    EXPECT_EQ(Back, 5);
    B.Fraction[0] = 0xAF; // not a digit
    EXPECT_FALSE(BcdToCurrency(B, Back));
    TBcd Huge;
    Huge.Precision = 64;
    std::memset(Huge.Fraction, 0x99, sizeof Huge.Fraction);
    EXPECT_FALSE(BcdToCurrency(Huge, Back));
    Huge.Precision = 65;
    EXPECT_FALSE(BcdToCurrency(Huge, Back));
}

TEST(DatasetConversions, StoresStayInsideTheirSlots) {
    // Texts of the blob kinds and byte arrays longer than the field are cut to the slot; the
    // next record's shorter or unstorable value shows nothing of the previous one.
    TFieldInfos Infos;
    TSampleDataSet::AddFieldInfo(Infos, "MEMO", ftMemo, 3, true, true, true);
    TSampleDataSet::AddFieldInfo(Infos, "RAW", ftBytes, 4, true, true, true);
    Infos[0]->SlotSize = FieldDataSize(ftMemo, 3) + 3 + 1;  // 8
    Infos[1]->SlotSize = FieldDataSize(ftBytes, 4) + 4 + 1; // 9
    std::vector<char> Record(8 + 9 + 8, '\x7f');
    char* Memo = Record.data();
    char* Raw = Record.data() + 8;
    EXPECT_TRUE(StoreSlotValue(Memo, *Infos[0], TVariant::String(std::string(100, 'm')), "MEMO"));
    EXPECT_EQ(std::string(Memo + 1), "mmmmmm"); // six bytes and a terminating zero
    EXPECT_TRUE(StoreSlotValue(Raw, *Infos[1], TVariant::Bytes("123456789"), "RAW"));
    EXPECT_EQ(std::string(Raw + 1, 8), std::string("1234\0\0\0\0", 8));
    EXPECT_EQ(Record[17], '\x7f'); // past the slots: untouched
    EXPECT_FALSE(StoreSlotValue(Raw, *Infos[1], TVariant::String("not bytes"), "RAW"));
    EXPECT_EQ(std::string(Raw + 1, 8), std::string(8, '\0'));

    TSampleDataSet::AddFieldInfo(Infos, "BAD", ftUnknown, 0, true, true, true);
    try {
        StoreSlotValue(Raw, *Infos[2], TVariant::String("x"), "BAD");
        FAIL();
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Field 'BAD' is of an unknown type");
    }
    TSampleDataSet::AddFieldInfo(Infos, "HUGE", ftString, 70000, true, true, true);
    EXPECT_EQ(Infos.size(), 3u); // not made, not reported
}

TEST(DatasetConversions, FieldObjectsConvertThroughVariants) {
    TProbeDataset D;
    D.SetMode(sdmCustom);
    D.AddField("When", ftDateTime);
    D.AddField("Flag", ftBoolean);
    D.AddField("Any", ftVariant);
    D.AddField("Short", ftSmallint);
    D.SetReadOnly(false);
    D.Open();
    D.Append();
    TDateTime When = EncodeDateTime(1850, 1, 2, 3, 4, 5, 6); // before the base date
    D.FieldByName("When").SetAsDateTime(When);
    D.FieldByName("Flag").SetAsString("True");
    D.FieldByName("Any").SetAsFloat(2.5);
    EXPECT_THROW(D.FieldByName("Short").SetAsInteger(40000), EDatabaseError);
    EXPECT_THROW(D.FieldByName("Any").SetValue(TVariant::String("text")), EDatabaseError);
    EXPECT_NEAR(D.FieldByName("When").AsDateTime(), When, 1e-9);
    EXPECT_TRUE(D.FieldByName("Flag").AsBoolean());
    EXPECT_EQ(D.FieldByName("Any").Value().Type(), varDouble);
    EXPECT_EQ(D.FieldByName("Any").AsFloat(), 2.5);
    D.FieldByName("Any").SetValue(TVariant::Null());
    EXPECT_TRUE(D.FieldByName("Any").IsNull());
}
