// The small utilities: integers, rectangles with exclusive edges, words, hexadecimal, and the
// folder-browse dialog behind its hook.
#include "uilib/StrUtils.h"
#include "uilib/BrowseFolder.h"
#include "uilib/CtlUtils.h"
#include "uilib/MaxMin.h"

#include <gtest/gtest.h>

#include <random>

TEST(SmallUtils, IntegersAndRectanglesWithExclusiveEdges) {
    EXPECT_EQ(Max(3, 7), 7);
    EXPECT_EQ(Max(-2, -9), -2);
    EXPECT_EQ(Min(3, 7), 3);
    EXPECT_EQ(Min(-2, -9), -9);

    const TRect R{10, 20, 110, 70};
    EXPECT_EQ(RectWidth(R), 100);
    EXPECT_EQ(RectHeight(R), 50);
    EXPECT_EQ(RectWidth(TRect{5, 5, 5, 9}), 0);

    // QRect's right() and bottom() are the last pixels inside; ours are the first outside.
    const QRect Q(10, 20, 100, 50);
    EXPECT_EQ(Q.right(), 109);
    EXPECT_EQ(RectFromQRect(Q), R);
    EXPECT_EQ(QRectFromRect(R), Q);
    EXPECT_EQ(RectFromQRect(QRect(-30, -40, 1, 1)), (TRect{-30, -40, -29, -39}));
}

TEST(SmallUtils, ReplaceAllReplacesLeftToRightWithoutRescanning) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("aaa", "", "b"), "aaa");
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
    // The replacement holds the pattern: replaced text is not searched again.
    EXPECT_EQ(ReplaceAll("a.b.c", ".", ".."), "a..b..c");
    EXPECT_EQ(ReplaceAll("1,5", ",", "."), "1.5");
    EXPECT_EQ(ReplaceAll("Abc abc", "abc", "x"), "Abc x");
    EXPECT_EQ(ReplaceAll(std::string("a\0b\0", 4), std::string("\0", 1), "-"), "a-b-");
}

TEST(SmallUtils, WordsSkipRunsOfDelimiters) {
    const std::string S = ",,a,,b,";
    EXPECT_EQ(CountWords(S, ","), 2);
    EXPECT_EQ(WordStart(1, S, ","), 3);
    EXPECT_EQ(WordStart(2, S, ","), 6);
    EXPECT_EQ(WordStart(3, S, ","), 0);
    EXPECT_EQ(WordStart(0, S, ","), 0);
    EXPECT_EQ(WordStart(-1, S, ","), 0);
    EXPECT_EQ(GetWord(1, S, ","), "a");
    EXPECT_EQ(GetWord(2, S, ","), "b");
    EXPECT_EQ(GetWord(3, S, ","), "");

    EXPECT_EQ(CountWords("", ","), 0);
    EXPECT_EQ(CountWords(",,,", ","), 0);
    EXPECT_EQ(CountWords("word", ","), 1);
    EXPECT_EQ(GetWord(1, "word", ","), "word");

    // Blanks and commas both separate the numbers of a stored window position.
    const std::string Pos = "1, 2,3 ,4";
    EXPECT_EQ(CountWords(Pos, " ,"), 4);
    for (int N = 1; N <= 4; ++N)
        EXPECT_EQ(GetWord(N, Pos, " ,"), std::to_string(N));
    // Any byte may be a delimiter or part of a word.
    EXPECT_EQ(GetWord(2, "x\xff\xfey", "\xff"), "\xfey");
}

TEST(SmallUtils, XorHexRoundTripsEveryByte) {
    EXPECT_EQ(XorToHex("", "aZ\xff"), "615aff");
    EXPECT_EQ(XorToHex("", ""), "");
    EXPECT_EQ(XorFromHex("", "61z9"), "a ");
    EXPECT_EQ(XorFromHex("", "4A4b"), "JK");
    EXPECT_EQ(XorFromHex("", "616"), "a"); // the odd digit is ignored
    // The key repeats over the text.
    EXPECT_EQ(XorToHex("\x01\x02", "aaa"), "606360");

    std::mt19937 Rng(7);
    for (int Round = 0; Round < 200; ++Round) {
        std::string Key(Rng() % 5, '\0'), Text(Rng() % 40, '\0');
        for (char& C : Key)
            C = static_cast<char>(Rng());
        for (char& C : Text)
            C = static_cast<char>(Rng());
        const std::string Hex = XorToHex(Key, Text);
        ASSERT_EQ(Hex.size(), Text.size() * 2);
        ASSERT_EQ(Hex.find_first_not_of("0123456789abcdef"), std::string::npos);
        ASSERT_EQ(XorFromHex(Key, Hex), Text);
    }
}

TEST(SmallUtils, BrowseFolderAnswersThroughItsHook) {
    std::string SeenTitle;
    BrowseFolderHook = [&](const std::string& Title, const std::string&, std::string& Folder) {
        SeenTitle = Title;
        Folder = "/half/typed";
        return false; // cancelled
    };
    std::string Folder = "stale";
    EXPECT_FALSE(BrowseFolder("Select Directory", "", Folder));
    EXPECT_EQ(SeenTitle, "Select Directory");
    EXPECT_EQ(Folder, "");

    BrowseFolderHook = [](const std::string&, const std::string& Root, std::string& Folder) {
        Folder = Root + "/Disc \xff";
        return true;
    };
    EXPECT_TRUE(BrowseFolder("Select Directory", "/media", Folder));
    EXPECT_EQ(Folder, "/media/Disc \xff");
    BrowseFolderHook = nullptr;
}
