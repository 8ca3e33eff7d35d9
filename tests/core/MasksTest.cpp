#include "platform/Masks.h"

#include <gtest/gtest.h>

TEST(Masks, StarAndQuestionMarkCoverTheWholeName) {
    EXPECT_TRUE(MatchesMask("report.TXT", "*.txt"));
    EXPECT_FALSE(MatchesMask("report.txt.bak", "*.txt"));
    EXPECT_FALSE(MatchesMask("xreport.txt", "report*"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_FALSE(MatchesMask("abbc", "a?c"));
    EXPECT_FALSE(MatchesMask("ac", "a?c"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_TRUE(MatchesMask("", ""));
    EXPECT_FALSE(MatchesMask("a", ""));
    EXPECT_TRUE(MatchesMask("a", "***"));
    EXPECT_TRUE(TMask("**").MatchesEverything());
    EXPECT_FALSE(TMask("*?").MatchesEverything());
    EXPECT_FALSE(TMask("[").MatchesEverything());
}

TEST(Masks, StarsBacktrack) {
    EXPECT_TRUE(MatchesMask("aab", "*ab"));
    EXPECT_TRUE(MatchesMask("xaybzc", "*a*b*c"));
    EXPECT_FALSE(MatchesMask("xaybz", "*a*b*c"));
    EXPECT_TRUE(MatchesMask("mississippi", "m*iss*ppi"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.*.*"));
    EXPECT_FALSE(MatchesMask("a.b", "*.*.*"));
    // A pathological mask and name stay fast (one backtracking point).
    std::string Long(20000, 'a');
    EXPECT_FALSE(MatchesMask(Long, "*a*a*a*a*a*b"));
}

TEST(Masks, SetsRangesAndNegatedSets) {
    EXPECT_TRUE(MatchesMask("Beta.txt", "[a-c]*"));
    EXPECT_TRUE(MatchesMask("beta.txt", "[A-C]*"));
    EXPECT_FALSE(MatchesMask("delta.txt", "[a-c]*"));
    EXPECT_TRUE(MatchesMask("delta.txt", "[!a-c]*"));
    EXPECT_FALSE(MatchesMask("Alpha.txt", "[!a-c]*"));
    EXPECT_TRUE(MatchesMask("file7", "file[0-9]"));
    EXPECT_FALSE(MatchesMask("file77", "file[0-9]"));
    EXPECT_FALSE(IsValidMask("x[abc_-]")); // "-]" is a range without an end
    EXPECT_TRUE(MatchesMask("x_", "x[_abc]"));
    EXPECT_TRUE(MatchesMask("a-b", "a[-]b"));
    // "[]" is a set of nothing, "[!]" any one character.
    EXPECT_FALSE(MatchesMask("a", "[]"));
    EXPECT_TRUE(MatchesMask("a", "[!]"));
    EXPECT_FALSE(MatchesMask("", "[!]"));
    // "*" and "?" inside a set are plain characters.
    EXPECT_TRUE(MatchesMask("*", "[*?]"));
    EXPECT_FALSE(MatchesMask("a", "[*?]"));
}

TEST(Masks, NonAsciiLettersIgnoreCaseAndCountAsOneCharacter) {
    EXPECT_TRUE(MatchesMask("äpfel.txt", "ÄPFEL*"));
    EXPECT_TRUE(MatchesMask("ÄPFEL.TXT", "äpfel.txt"));
    EXPECT_TRUE(MatchesMask("Äpfel", "?pfel"));
    EXPECT_TRUE(MatchesMask("Привет.doc", "п*.DOC"));
    EXPECT_TRUE(MatchesMask("Ølberg", "[ø]*"));
    EXPECT_TRUE(MatchesMask("éclair", "[à-ÿ]*"));
    EXPECT_FALSE(MatchesMask("eclair", "[à-ÿ]*"));
    EXPECT_TRUE(MatchesMask("日本語.txt", "???.txt"));
    EXPECT_FALSE(MatchesMask("日本語.txt", "??.txt"));
}

TEST(Masks, BytesThatAreNotUtf8MatchThemselves) {
    std::string Name = "caf\xE9.txt"; // Latin-1 bytes from an old disk
    EXPECT_TRUE(MatchesMask(Name, "caf?.txt"));
    EXPECT_TRUE(MatchesMask(Name, "caf\xE9*"));
    EXPECT_FALSE(MatchesMask(Name, "café*"));
    EXPECT_FALSE(MatchesMask("café.txt", "caf\xE9*"));
    // A truncated sequence is one byte after another.
    EXPECT_TRUE(MatchesMask("a\xC3", "a?"));
    EXPECT_TRUE(MatchesMask("\xF0\x9F\x98", "???"));
}

TEST(Masks, InvalidMasksAreReportedAndMatchNothing) {
    std::string Error;
    EXPECT_FALSE(IsValidMask("[a-", &Error));
    EXPECT_EQ(Error, "'[a-' is an invalid mask at (3)");
    for (const char* M : {"[abc", "x[", "[a-]", "*.[!", "[!a-"}) {
        EXPECT_FALSE(IsValidMask(M)) << M;
        TMask Mask(M);
        EXPECT_FALSE(Mask.Valid()) << M;
        EXPECT_FALSE(Mask.Matches("x")) << M;
        EXPECT_FALSE(Mask.Matches("[abc")) << M;
    }
    for (const char* M : {"*.*", "[a-z]*", "[!]", "[]", "]x", "a-b", "[-a]", ""}) {
        EXPECT_TRUE(IsValidMask(M, &Error)) << M;
        EXPECT_EQ(Error, "");
        EXPECT_TRUE(TMask(M).Valid()) << M;
    }
}

TEST(Masks, OneFoldedNameServesSeveralMasks) {
    TMask::TFoldedName Name;
    TMask::FoldName("Readme.", Name);
    EXPECT_TRUE(TMask("*.").Matches(Name));
    EXPECT_TRUE(TMask("*.*").Matches(Name));
    EXPECT_TRUE(TMask("README?").Matches(Name));
    EXPECT_FALSE(TMask("*.TXT").Matches(Name));
}
