#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

TEST(SysUtils, CompareTextIgnoresCaseOnly) {
    EXPECT_EQ(AnsiCompareText("Docs", "docs"), 0);
    EXPECT_TRUE(AnsiSameText("README", "readme"));
    EXPECT_TRUE(AnsiSameText("ÄRGER", "ärger"));
    EXPECT_FALSE(AnsiSameText("resume", "résumé"));
    EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
    EXPECT_GT(AnsiCompareText("b", "A"), 0);
    EXPECT_LT(AnsiCompareText("a", "ab"), 0);
    EXPECT_LT(AnsiCompareText("", "a"), 0);
    // Collation, not byte order: an accented letter sorts beside its base letter.
    EXPECT_LT(AnsiCompareText("étage", "zebra"), 0);
}

TEST(SysUtils, CompareStrOrdersAsCompareTextThenByLetterCase) {
    // Lower case first, as the locale orders cases; otherwise the case-insensitive order.
    std::vector<std::string> Names = {"README", "b", "Readme", "readme", "Apple", "B"};
    std::sort(Names.begin(), Names.end(),
              [](const std::string& A, const std::string& B) { return AnsiCompareStr(A, B) < 0; });
    EXPECT_EQ(Names, (std::vector<std::string>{"Apple", "b", "B", "readme", "Readme", "README"}));
}

TEST(SysUtils, CompareTextIsATotalOrderOverAwkwardNames) {
    std::vector<std::string> Names = {"a",
                                      "A",
                                      "b",
                                      "B",
                                      "ab",
                                      "Ab",
                                      "a b",
                                      "a-b",
                                      "a_b",
                                      "a.b",
                                      "é",
                                      "E",
                                      "e",
                                      "ß",
                                      "ss",
                                      "SS",
                                      "\xff",
                                      "\xfe",
                                      "a\xff",
                                      "a\x01",
                                      "",
                                      "0",
                                      "10",
                                      "9",
                                      "Z",
                                      "zz",
                                      "Я",
                                      "я",
                                      "日本",
                                      "\xe2\x80\x8b",
                                      "x\xe2\x80\x8by",
                                      "xy",
                                      "ﬁ",
                                      "fi"};
    // The case-sensitive comparison too; it tells every two names apart.
    for (auto* Compare : {&AnsiCompareText, &AnsiCompareStr}) {
        for (const auto& A : Names) {
            EXPECT_EQ(Compare(A, A), 0);
            for (const auto& B : Names) {
                int AB = Compare(A, B), BA = Compare(B, A);
                EXPECT_EQ(AB, -BA) << A << " / " << B;
                if (Compare == &AnsiCompareStr && A != B) {
                    EXPECT_NE(AB, 0) << A << " / " << B;
                }
                for (const auto& C : Names) {
                    if (AB <= 0 && Compare(B, C) <= 0) {
                        EXPECT_LE(Compare(A, C), 0) << A << " / " << B << " / " << C;
                    }
                }
            }
        }
    }
    // Invalid UTF-8 names are distinct from each other.
    EXPECT_NE(AnsiCompareText("\xff", "\xfe"), 0);
    EXPECT_NE(AnsiCompareText("x\xe2\x80\x8by", "xy"), 0);
}

TEST(SysUtils, UpperCase) {
    EXPECT_EQ(UpperCase("abc.txt é"), "ABC.TXT é");
    EXPECT_EQ(AnsiUpperCase("straße é"), "STRASSE É");
    EXPECT_EQ(AnsiUpperCase("a\xff"), "A\xff");
}

TEST(SysUtils, NumbersAndTrim) {
    EXPECT_EQ(StrToIntDef(" 42 ", 0), 42);
    EXPECT_EQ(StrToIntDef("-1", 0), -1);
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("12abc", 7), 7);
    EXPECT_EQ(StrToIntDef("", 7), 7);
    EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
    EXPECT_EQ(StrToIntDef("-2147483648", 7), -2147483647 - 1);
    EXPECT_EQ(IntToHex(0x1A2B, 4), "1A2B");
    EXPECT_EQ(IntToHex(0xA, 4), "000A");
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_EQ(TrimRight("  x  "), "  x");
    EXPECT_EQ(TrimLeft("  x  "), "x  ");
}

TEST(SysUtils, DateValuesCountDaysFrom1899) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 12, 0, 0, 0), 36526.5);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1970, 1, 1, 0, 0, 0, 0), 25569.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    int Y, M, D, H, Mi, S, Ms;
    DecodeDateTime(-1.25, Y, M, D, H, Mi, S, Ms);
    EXPECT_EQ(Y * 10000 + M * 100 + D, 18991229);
    EXPECT_EQ(H, 6);
    DecodeDateTime(45000.75, Y, M, D, H, Mi, S, Ms);
    EXPECT_EQ(Y * 10000 + M * 100 + D, 20230315);
    EXPECT_EQ(H, 18);
}

TEST(SysUtils, UnixTimesInLocalTime) {
    // The test programs run with TZ=UTC.
    EXPECT_DOUBLE_EQ(UnixToDateTime(0), 25569.0);
    EXPECT_DOUBLE_EQ(UnixToDateTime(86400 + 43200, 500000000), 25570.5 + 0.5 / 86400);
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(1700000000)), 1700000000);
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(-1000000000)), -1000000000);
}

TEST(SysUtils, FileNameParts) {
    EXPECT_EQ(ExtractFilePath("/home/u/a.txt"), "/home/u/");
    EXPECT_EQ(ExtractFileName("/home/u/a.txt"), "a.txt");
    EXPECT_EQ(ExtractFileExt("/home/u.d/archive.tar.GZ"), ".GZ");
    EXPECT_EQ(ExtractFileExt("/home/u.d/README"), "");
    EXPECT_EQ(ExtractFileExt("back\\slash.x"), ".x");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
}
