// How a line of the string list becomes the values of a record in custom mode: the string list's
// comma-text rule, quotes, blanks, NUL, UTF-8, and the cut to the field's size.
#include "DatasetTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The values of the first record of a custom-mode dataset of Count string fields over Line.
std::vector<std::string> Split(const std::string& Line, int Count = 3, int Size = 40) {
    TSBStringsDataset D;
    D.SetMode(sdmCustom);
    for (int I = 0; I < Count; ++I)
        D.AddField("F" + std::to_string(I), ftString, Size);
    D.Strings().Add(Line);
    D.Open();
    std::vector<std::string> R;
    for (int I = 0; I < Count; ++I)
        R.push_back(D.Fields()[I].IsNull() ? "<null>" : D.Fields()[I].AsString());
    return R;
}

using V = std::vector<std::string>;

} // namespace

TEST(DatasetCommaText, LinesSplitByTheStringListRule) {
    struct Case {
        std::string Line;
        V Want;
    };
    const Case Cases[] = {
        // a quoted item keeps its comma and blank; a doubled quote is one quote
        {"\"a, \"\"b\"\"\", \"c\"", {"a, \"b\"", "c", "<null>"}},
        // blanks separate unquoted items as commas do
        {"one two, three", {"one", "two", "three"}},
        // two commas in a row give an empty (null) item; a trailing comma gives none
        {"a,,b,", {"a", "<null>", "b"}},
        {"  \t lead", {"lead", "<null>", "<null>"}},
        // a quoted item without its closing quote runs to the end of the line
        {"\"open, item", {"open, item", "<null>", "<null>"}},
        // a NUL ends the line
        {std::string("a,b\0c", 5), {"a", "b", "<null>"}},
        // bytes above 127 are text, never separators: UTF-8 words stay whole
        {"Größe \xC2\xA0x,Ü", {"Größe", "\xC2\xA0x", "Ü"}},
        {"", {"<null>", "<null>", "<null>"}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Split(C.Line), C.Want) << C.Line;
}

TEST(DatasetCommaText, ValuesAreCutToTheFieldSize) {
    EXPECT_EQ(Split("\"abcdef\", xyz", 2, 4), (V{"abcd", "xyz"}));
    // The cut does not split a UTF-8 character ("ä" is two bytes).
    EXPECT_EQ(Split("abcä", 1, 4), V{"abc"});
    EXPECT_EQ(CutText("abcä", 5), "abcä");
    EXPECT_EQ(CutText("\xE2\x82\xAC\xE2\x82\xAC", 4), "\xE2\x82\xAC");
    EXPECT_EQ(CutText("\x80\x80\x80\x80\x80", 2), "\x80\x80"); // not UTF-8: cut by bytes
}

TEST(DatasetCommaText, StringsAndNamesValuesModes) {
    TSBStringsDataset D;
    D.Strings().Add("short");
    D.Strings().Add("a line of thirty-six characters .....");
    D.Open();
    D.Next();
    EXPECT_EQ(D.FieldByName("CODE").AsInteger(), 1);
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "a line of thirty-six");
    D.Close();
    D.SetMode(sdmNamesValues);
    D.Strings().Add("no equals sign");
    D.Open();
    D.Last();
    EXPECT_TRUE(D.FieldByName("NAMES").IsNull());
    EXPECT_TRUE(D.FieldByName("VALUES").IsNull());
}

TEST(DatasetCommaText, StringChangesOnlyNotify) {
    TSBStringsDataset D;
    int Changing = 0, Changed = 0;
    D.OnStringsChanging = [&](TDataSet&) { ++Changing; };
    D.OnStringsChange = [&](TDataSet&) { ++Changed; };
    D.Strings().Add("a");
    D.Open();
    D.Strings().BeginUpdate();
    D.Strings().Add("b");
    D.Strings().Add("c");
    D.Strings().EndUpdate();
    EXPECT_EQ(Changing, 2);
    EXPECT_EQ(Changed, 2);
    EXPECT_TRUE(D.Active());
    EXPECT_EQ(D.FieldByName("STRINGS").AsString(), "a");
    EXPECT_EQ(D.RecordCount(), 3);
    TStringList Copy;
    D.AssignTo(Copy);
    EXPECT_EQ(Lines(Copy), (V{"a", "b", "c"}));
    EXPECT_THROW(D.Assign(Copy), EDatabaseError); // open at run time
}
