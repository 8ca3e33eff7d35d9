#include "platform/StringList.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> Items(const TStringList& L) {
    std::vector<std::string> R;
    for (const auto& E : L)
        R.push_back(E.Str);
    return R;
}
} // namespace

TEST(StringList, CommaTextSplitsOnBlanksAndCommas) {
    TStringList L("a, b c,\"d e\",\"say \"\"hi\"\"\"");
    EXPECT_EQ(Items(L), (std::vector<std::string>{"a", "b", "c", "d e", "say \"hi\""}));
}

TEST(StringList, CommaTextEmptyItemsAndTrailingComma) {
    // Two commas in a row make an empty item; a trailing comma makes none, so the default
    // list of description file names ends with its last real name.
    EXPECT_EQ(Items(TStringList("a,,b")), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Items(TStringList("a,b,")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Items(TStringList("descript.ion, files.bbs, 0index.txt,")),
              (std::vector<std::string>{"descript.ion", "files.bbs", "0index.txt"}));
    EXPECT_EQ(TStringList("").Count(), 0);
    EXPECT_EQ(TStringList("   ").Count(), 0);
    EXPECT_EQ(Items(TStringList("\"\"")), (std::vector<std::string>{""}));
    EXPECT_EQ(Items(TStringList(",a")), (std::vector<std::string>{"", "a"}));
}

TEST(StringList, CommaTextRoundTrips) {
    TStringList L;
    for (const char* S : {"plain", "with blank", "comma,inside", "quote\"inside", "", "tab\there",
                          "Ünïcödé", "ends\\with\\backslash"})
        L.Add(S);
    TStringList Back(L.CommaText());
    EXPECT_EQ(Items(Back), Items(L));

    TStringList One;
    One.Add("");
    EXPECT_EQ(One.CommaText(), "\"\"");
    EXPECT_EQ(Items(TStringList(One.CommaText())), Items(One));
}

TEST(StringList, SortedListIgnoresCaseAndDuplicates) {
    TStringList L;
    L.SetSorted(true);
    L.Add("beta");
    L.Add("Alpha");
    L.Add("gamma");
    EXPECT_EQ(L.Add("ALPHA"), 0); // dupIgnore answers the existing position
    EXPECT_EQ(Items(L), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(L.IndexOf("GAMMA"), 2);
    EXPECT_EQ(L.IndexOf("delta"), -1);
    int I;
    EXPECT_FALSE(L.Find("c", I));
    EXPECT_EQ(I, 2);

    L.SetDuplicates(dupError);
    EXPECT_THROW(L.Add("Beta"), EListError);
    L.SetDuplicates(dupAccept);
    L.Add("Beta");
    EXPECT_EQ(L.Count(), 4);
    EXPECT_THROW(L.Insert(0, "x"), EListError);
}

TEST(StringList, CaseSensitiveListKeepsCaseTwinsInByteOrder) {
    TStringList L;
    L.SetCaseSensitive(true);
    L.SetSorted(true);
    L.Add("readme");
    L.Add("README");
    L.Add("Readme");
    EXPECT_EQ(Items(L), (std::vector<std::string>{"README", "Readme", "readme"}));
    EXPECT_EQ(L.IndexOf("Readme"), 1);
    EXPECT_EQ(L.IndexOf("rEADME"), -1);
}

TEST(StringList, TextSplitsLinesOfEveryEnding) {
    TStringList L;
    L.SetText("one\r\ntwo\nthree\rfour");
    EXPECT_EQ(Items(L), (std::vector<std::string>{"one", "two", "three", "four"}));
    L.SetText("a\n\nb\n");
    EXPECT_EQ(Items(L), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(L.Text(), "a\n\nb\n");
}

TEST(StringList, IndexErrors) {
    TStringList L;
    L.Add("x");
    EXPECT_THROW(L.Strings(1), EListError);
    EXPECT_THROW(L.Objects(-1), EListError);
    EXPECT_THROW(L.Delete(3), EListError);
}

TEST(StringList, ExactTiesKeepCaseTwinsInCaseInsensitiveOrder) {
    TStringList L;
    L.SetSorted(true);
    L.SetExactTies(true);
    for (const char* S : {"readme", "beta", "README", "Readme", "README", "alpha"})
        L.Add(S);
    EXPECT_EQ(Items(L),
              (std::vector<std::string>{"alpha", "beta", "README", "Readme", "readme"}));
    EXPECT_EQ(L.IndexOf("Readme"), 3);
    EXPECT_EQ(L.IndexOf("rEADME"), -1);
}

TEST(StringList, ChangeNotificationsBracketUpdates) {
    TStringList L;
    int Changing = 0, Changed = 0;
    L.OnChanging = [&] { ++Changing; };
    L.OnChange = [&] { ++Changed; };
    L.Add("a");
    L.SetCommaText("x,y,z"); // one bracket around the whole change
    L.Clear();
    L.Clear(); // nothing to clear: no change
    EXPECT_EQ(Changing, 3);
    EXPECT_EQ(Changed, 3);
    L.SetSorted(true);
    L.SetDuplicates(dupError);
    L.Add("b");
    EXPECT_THROW(L.SetCommaText("q,q"), EListError);
    L.Add("c"); // the failed bracket was closed
    EXPECT_EQ(Changed, Changing);
    TStringList Copy(L);
    Copy.Add("d"); // a copy does not notify the original's listeners
    EXPECT_EQ(Changed, Changing);
    EXPECT_THROW(L.SetCapacity(0), EListError);
}
