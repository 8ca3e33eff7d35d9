#include "core/Descriptions.h"
#include "core/CatalogGlobals.h"
#include "platform/CodePages.h"
#include "platform/Format.h"
#include "platform/Streams.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"
#include "tests/TestSupport.h"
#include "tests/TreeFixture.h"
#include "tests/core/DescriptionsFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace description_tests;

// ---- code pages ---------------------------------------------------------------------------------

TEST(CodePages, OemCodePageFollowsTheLanguageOfTheLocale) {
    EXPECT_EQ(OemCodePageForLocale("ru_RU.UTF-8"), 866);
    EXPECT_EQ(OemCodePageForLocale("uk_UA"), 866);
    EXPECT_EQ(OemCodePageForLocale("be_BY.UTF-8@latin"), 866);
    EXPECT_EQ(OemCodePageForLocale("bg"), 866);
    EXPECT_EQ(OemCodePageForLocale("de_DE@euro"), 850);
    EXPECT_EQ(OemCodePageForLocale("fr_CA.UTF-8"), 850);
    EXPECT_EQ(OemCodePageForLocale("pt_BR"), 850);
    EXPECT_EQ(OemCodePageForLocale("en_US.UTF-8"), 437);
    EXPECT_EQ(OemCodePageForLocale("ja_JP"), 437);
    EXPECT_EQ(OemCodePageForLocale("C"), 437);
    EXPECT_EQ(OemCodePageForLocale("POSIX"), 437);
    EXPECT_EQ(OemCodePageForLocale(""), 437);
}

TEST(CodePages, EnvironmentChoosesLcAllBeforeLcCtypeBeforeLang) {
    std::map<std::string, std::string> Saved;
    for (const char* V : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* S = std::getenv(V)) Saved[V] = S;
    ::unsetenv("LC_ALL");
    ::setenv("LC_CTYPE", "de_DE.UTF-8", 1);
    ::setenv("LANG", "ru_RU.UTF-8", 1);
    SetOemCodePage(0);
    EXPECT_EQ(OemCodePage(), 850);
    ::setenv("LC_ALL", "bg_BG.UTF-8", 1);
    SetOemCodePage(0);
    EXPECT_EQ(OemCodePage(), 866);
    SetOemCodePage(437);
    EXPECT_EQ(OemCodePage(), 437);
    for (const char* V : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        if (Saved.count(V))
            ::setenv(V, Saved[V].c_str(), 1);
        else
            ::unsetenv(V);
    }
    SetOemCodePage(0);
}

TEST(CodePages, ConvertsKnownBytes) {
    std::string Out;
    ASSERT_TRUE(CodePageToUtf8(437, "caf\x82 \xE1 \xB0\xB1\xB2 \x9C", Out));
    EXPECT_EQ(Out, "café ß ░▒▓ £");
    ASSERT_TRUE(CodePageToUtf8(850, "\x9B\x9D", Out));
    EXPECT_EQ(Out, "øØ");
    ASSERT_TRUE(CodePageToUtf8(866, "\x8F\xE0\xA8\xA2\xA5\xE2 \xF0\xF1", Out));
    EXPECT_EQ(Out, "Привет Ёё");
    ASSERT_TRUE(CodePageToUtf8(CP_KOI8R, "\xF0\xD2\xC9\xD7\xC5\xD4", Out));
    EXPECT_EQ(Out, "Привет");
    // Control characters and NUL pass unchanged: description files rely on Ctrl-D and line ends.
    ASSERT_TRUE(CodePageToUtf8(437, std::string("a\x04\r\n\x01\0b", 7), Out));
    EXPECT_EQ(Out, std::string("a\x04\r\n\x01\0b", 7));
    EXPECT_FALSE(CodePageToUtf8(12345, "abc", Out));
    EXPECT_EQ(Out, "");
}

TEST_F(Descriptions, OemToAnsiStrUsesTheOemCodePageAndStopsAtNul) {
    SetOemCodePage(866);
    EXPECT_EQ(OemToAnsiStr("\x8F\xE0\xA8\xA2\xA5\xE2"), "Привет");
    SetOemCodePage(437);
    EXPECT_EQ(OemToAnsiStr("\x8F\xE0\xA8\xA2\xA5\xE2"), "Åα¿óÑΓ");
    EXPECT_EQ(OemToAnsiStr(std::string("ab\0\x82", 4)), "ab");
    EXPECT_EQ(OemToAnsiStr(""), "");
    SetOemCodePage(12345);
    EXPECT_EQ(OemToAnsiStr("abc"), "");
}

TEST_F(Descriptions, Koi8TableLeadsEveryKoi8CharacterTo866) {
    const std::map<int, int> Stand_ins = {{0x93, 0xF4}, {0x97, 0xF7}, {0x98, 0xF3}, {0x99, 0xF2},
                                          {0x9B, 0xF5}, {0x9D, 0xFD}, {0x9F, 0xF6}, {0xBF, 0xFC}};
    bool Used[256] = {};
    for (int B = 128; B < 256; ++B) {
        int Dos = Koi8Table[B - 128];
        EXPECT_FALSE(Used[Dos]) << "866 code used twice: " << Dos;
        Used[Dos] = true;
        auto It = Stand_ins.find(B);
        if (It != Stand_ins.end()) {
            EXPECT_EQ(Dos, It->second) << B;
            continue;
        }
        std::string FromKoi8, From866;
        ASSERT_TRUE(CodePageToUtf8(CP_KOI8R, std::string(1, static_cast<char>(B)), FromKoi8));
        ASSERT_TRUE(CodePageToUtf8(866, std::string(1, static_cast<char>(Dos)), From866));
        EXPECT_EQ(FromKoi8, From866) << "KOI8-R byte " << B;
    }
}

TEST_F(Descriptions, OemToAnsiHighCharsReadsKoi8WhateverTheOemCodePage) {
    SetOemCodePage(850);
    EXPECT_EQ(OemToAnsiHighChars("\xF0\xD2\xC9\xD7\xC5\xD4, \xA3\xCC\xCB\xC1 \xB3!"),
              "Привет, ёлка Ё!");
    EXPECT_EQ(OemToAnsiHighChars("plain <b>ASCII</b>"), "plain <b>ASCII</b>");
}

TEST(ColorCount, NamesColoursUpTo8BitsAndBitsBeyond) {
    EXPECT_EQ(ColorCountStr(0), "1");
    EXPECT_EQ(ColorCountStr(1), "2");
    EXPECT_EQ(ColorCountStr(4), "16");
    EXPECT_EQ(ColorCountStr(8), "256");
    EXPECT_EQ(ColorCountStr(9), "9b");
    EXPECT_EQ(ColorCountStr(24), "24b");
    EXPECT_EQ(ColorCountStr(-1), "-1b");
}

// ---- description lists -------------------------------------------------------------------------

TEST_F(Descriptions, ContinuationLinesBecomeLinesOfTheDescription) {
    auto L = Parse({"readme.txt Read this first", " and then the rest", "setup.exe\tInstaller",
                    "\t  for DOS", "\tand Windows", "next.txt Next"});
    EXPECT_EQ(TextOf(L.get(), "readme.txt"), "Read this first\r\nand then the rest");
    EXPECT_EQ(TextOf(L.get(), "setup.exe"), "Installer\r\nfor DOS\r\nand Windows");
    EXPECT_EQ(TextOf(L.get(), "next.txt"), "Next");
    EXPECT_EQ(L->Count(), 3);
}

TEST_F(Descriptions, ContinuationBeforeTheFirstLineIsLost) {
    auto L = Parse({" lost text", "\tlost too", "a.txt kept"});
    EXPECT_EQ(L->Count(), 1);
    EXPECT_EQ(TextOf(L.get(), "a.txt"), "kept");
}

TEST_F(Descriptions, CtrlDCutsTheLineAndEmptyTextsAreDropped) {
    auto L = Parse({"prog.zip Archive of tools\x04\xC2\x10 extended data", "empty.txt   ",
                    "cut.txt\x04 all gone", "", "   ", "empty.txt Second try counts", "x.txt X",
                    "\x04 a line cut to nothing goes", " more for x", "a.txt\x04\xC2",
                    "\tdescribes a.txt"});
    EXPECT_EQ(TextOf(L.get(), "prog.zip"), "Archive of tools");
    EXPECT_EQ(TextOf(L.get(), "empty.txt"), "Second try counts");
    EXPECT_EQ(TextOf(L.get(), "cut.txt"), "<none>");
    // Lines are cut before continuations are joined.
    EXPECT_EQ(TextOf(L.get(), "x.txt"), "X\r\nmore for x");
    EXPECT_EQ(TextOf(L.get(), "a.txt"), "describes a.txt");
    EXPECT_EQ(L->Count(), 4);
}

TEST_F(Descriptions, QuotedLongNamesLoseTheirQuotes) {
    auto L = Parse({"\"My Long File.txt\" A file with blanks",
                    "\"say \"\"hi\"\".txt\" Doubled quotes stand for one",
                    "\"\"\"quoted\"\"\" Name made of quotes", "\"no end of quote.txt text",
                    "plain.txt,Comma after the name", "\"tight.txt\"Text right behind"});
    EXPECT_EQ(TextOf(L.get(), "My Long File.txt"), "A file with blanks");
    EXPECT_EQ(TextOf(L.get(), "say \"hi\".txt"), "Doubled quotes stand for one");
    EXPECT_EQ(TextOf(L.get(), "\"quoted\""), "Name made of quotes");
    EXPECT_EQ(TextOf(L.get(), "no end of quote.txt text"), "<none>");
    EXPECT_EQ(TextOf(L.get(), "plain.txt"), "Comma after the name");
    EXPECT_EQ(TextOf(L.get(), "tight.txt"), "Text right behind");
    EXPECT_EQ(L->Count(), 5);
}

TEST_F(Descriptions, LinesAreLeftHoldingTheNames) {
    TStringList Lines;
    Lines.SetText("\"Long Name.txt\" one\r\n two\r\nempty.txt\r\n, no name\r\nb.txt b\r\n");
    TDescriptionList List;
    ParseDescriptionList(Lines, List);
    EXPECT_EQ(Lines.CommaText(), "\"Long Name.txt\",b.txt");
    EXPECT_EQ(TextOf(&List, "Long Name.txt"), "one\r\ntwo");
}

TEST_F(Descriptions, FirstDescriptionOfANameStaysAndCaseTwinsKeepTheirOwn) {
    auto L = Parse({"readme.txt First", "readme.txt Second", "README.TXT Upper case",
                    "Readme.txt Mixed case"});
    EXPECT_EQ(L->Count(), 3);
    EXPECT_EQ(TextOf(L.get(), "readme.txt"), "First");
    EXPECT_EQ(TextOf(L.get(), "README.TXT"), "Upper case");
    EXPECT_EQ(TextOf(L.get(), "Readme.txt"), "Mixed case");
    // A name no entry matches exactly takes the first entry added among its case variants.
    EXPECT_EQ(TextOf(L.get(), "readme.TXT"), "First");
    EXPECT_EQ(TextOf(L.get(), "readme"), "<none>");
}

TEST_F(Descriptions, FindListDescriptionFollowsTheMode) {
    auto L = Parse({"a.txt Text of a"});
    std::string Comment = "c", Note = "n";
    EXPECT_FALSE(FindListDescription(L.get(), "a.txt", Comment, Note)); // FileDescription off
    FileDescription = true;
    EXPECT_TRUE(FindListDescription(L.get(), "A.TXT", Comment, Note));
    EXPECT_EQ(Comment, "Text of a");
    EXPECT_EQ(Note, "n");
    DescriptionMode = 1;
    Comment = "c";
    EXPECT_TRUE(FindListDescription(L.get(), "a.txt", Comment, Note));
    EXPECT_EQ(Comment, "c");
    EXPECT_EQ(Note, "Text of a");
    DescriptionMode = 7;
    Note = "n";
    EXPECT_TRUE(FindListDescription(L.get(), "a.txt", Comment, Note));
    EXPECT_EQ(Comment + Note, "cn");
    EXPECT_FALSE(FindListDescription(L.get(), "b.txt", Comment, Note));
    EXPECT_FALSE(FindListDescription(nullptr, "a.txt", Comment, Note));
    TDescriptionList Empty;
    Empty.Add("e.txt", std::make_unique<TDescription>());
    EXPECT_FALSE(FindListDescription(&Empty, "e.txt", Comment, Note));
}

TEST_F(Descriptions, LoadDescriptionFilesReadsEveryActiveFileFirstEntriesWin) {
    WriteFile(Dir / "descript.ion", "a.txt From descript.ion\r\n\"b c.txt\" Blank name\r\n");
    WriteFile(Dir / "files.bbs", "a.txt From files.bbs\nd.txt Only in files.bbs\n");
    WriteFile(Dir / "index.txt", "e.txt Not active\n");
    EXPECT_EQ(LoadDescriptionFiles(Dir.Path())->Count(), 0); // FileDescription off
    FileDescription = true;
    auto L = LoadDescriptionFiles(Dir.Path());
    ASSERT_TRUE(L);
    EXPECT_EQ(L->Count(), 3);
    EXPECT_EQ(TextOf(L.get(), "a.txt"), "From descript.ion");
    EXPECT_EQ(TextOf(L.get(), "b c.txt"), "Blank name");
    EXPECT_EQ(TextOf(L.get(), "d.txt"), "Only in files.bbs");
    ActiveFileDescriptionFiles = "files.bbs, descript.ion";
    L = LoadDescriptionFiles(Dir.Path().substr(0, Dir.Path().size() - 1));
    EXPECT_EQ(TextOf(L.get(), "a.txt"), "From files.bbs");
    FreeDescriptionList(L);
    EXPECT_FALSE(L);
    FreeDescriptionList(L);
}

TEST_F(Descriptions, DescriptionFileNamesMatchWhateverTheirCase) {
    FileDescription = true;
    WriteFile(Dir / "descript.ion", "a.txt lower\nb.txt lower b\n");
    WriteFile(Dir / "DESCRIPT.ION", "a.txt UPPER\n");
    WriteFile(Dir / "Files.BBS", "c.txt mixed\n");
    auto L = LoadDescriptionFiles(Dir.Path());
    // Byte order reads "DESCRIPT.ION" before "descript.ion".
    EXPECT_EQ(TextOf(L.get(), "a.txt"), "UPPER");
    EXPECT_EQ(TextOf(L.get(), "b.txt"), "lower b");
    EXPECT_EQ(TextOf(L.get(), "c.txt"), "mixed");
}

TEST_F(Descriptions, DescriptionFilesThatCannotBeReadArePassedOver) {
    FileDescription = true;
    ActiveFileDescriptionFiles = "descript.ion,files.bbs,index.txt,catalog.txt,missing";
    ASSERT_EQ(::mkfifo((Dir / "descript.ion").c_str(), 0644), 0); // must not block
    MakeDir(Dir / "files.bbs");
    { TFileStream F(Dir / "index.txt", fmCreate); }
    ASSERT_EQ(::truncate((Dir / "index.txt").c_str(), MaxDescriptionListBytes + 1), 0);
    WriteFile(Dir / "catalog.txt", "x.txt Readable\n");
    auto L = LoadDescriptionFiles(Dir.Path());
    ASSERT_TRUE(L);
    EXPECT_EQ(L->Count(), 1);
    EXPECT_EQ(TextOf(L.get(), "x.txt"), "Readable");
    EXPECT_EQ(LoadDescriptionFiles(Dir / "no such folder")->Count(), 0);
}

TEST_F(Descriptions, OemDescriptionFilesAreConvertedAndUtf8MarkedOnesAreNot) {
    FileDescription = true;
    ConvertOEMtoAnsi = true;
    SetOemCodePage(866);
    WriteFile(Dir / "descript.ion", "\x8F\xE0\xA8\xA2\xA5\xE2.txt \x8F\xE0\xA8\xA2\xA5\xE2 "
                                    "\xAC\xA8\xE0\r\n  \xA2\xE2\xAE\xE0\xA0\xEF\r\n");
    WriteFile(Dir / "files.bbs", "\xEF\xBB\xBF"
                                 "bom.txt Уже UTF-8\n");
    auto L = LoadDescriptionFiles(Dir.Path());
    EXPECT_EQ(TextOf(L.get(), "Привет.txt"), "Привет мир\r\nвторая");
    EXPECT_EQ(TextOf(L.get(), "bom.txt"), "Уже UTF-8");
}

// ---- folder descriptions ----------------------------------------------------------------------

TEST_F(Descriptions, FolderDescriptionTakesTheLastNameThatExists) {
    std::string Note = "old";
    WriteFile(Dir / "file_id.diz", "From file_id.diz\r\n");
    EXPECT_FALSE(LoadFolderDescription(Dir.Path(), Note)); // FolderDescription off
    EXPECT_EQ(Note, "old");
    FolderDescription = true;
    ASSERT_TRUE(LoadFolderDescription(Dir.Path(), Note));
    EXPECT_EQ(Note, "From file_id.diz\r\n");
    WriteFile(Dir / "DIRINFO", "From dirinfo");
    ASSERT_TRUE(LoadFolderDescription(Dir.Path().substr(0, Dir.Path().size() - 1), Note));
    EXPECT_EQ(Note, "From dirinfo");
    ActiveFolderDescriptionFiles = "dirinfo, file_id.diz";
    ASSERT_TRUE(LoadFolderDescription(Dir.Path(), Note));
    EXPECT_EQ(Note, "From file_id.diz\r\n");
}

TEST_F(Descriptions, FolderDescriptionPassesOverEmptyLargeAndSpecialFiles) {
    FolderDescription = true;
    std::string Note = "old";
    WriteFile(Dir / "file_id.diz", "");
    EXPECT_FALSE(LoadFolderDescription(Dir.Path(), Note));
    WriteFile(Dir / "file_id.diz", "Kept");
    ASSERT_EQ(::mkfifo((Dir / "dirinfo").c_str(), 0644), 0);
    ASSERT_TRUE(LoadFolderDescription(Dir.Path(), Note));
    EXPECT_EQ(Note, "Kept");
    ::unlink((Dir / "dirinfo").c_str());
    WriteFile(Dir / "dirinfo", "");
    ASSERT_EQ(::truncate((Dir / "dirinfo").c_str(), MaxFolderDescriptionBytes + 1), 0);
    ASSERT_TRUE(LoadFolderDescription(Dir.Path(), Note));
    EXPECT_EQ(Note, "Kept");
    EXPECT_FALSE(LoadFolderDescription(Dir / "missing", Note));
}

TEST_F(Descriptions, FolderDescriptionIsConvertedFromOem) {
    FolderDescription = true;
    ConvertOEMtoAnsi = true;
    WriteFile(Dir / "FILE_ID.DIZ", "\xB0\xB1\xB2 DEMO \xB2\xB1\xB0\r\nby \x9A"
                                   "ber");
    std::string Note;
    ASSERT_TRUE(LoadFolderDescription(Dir.Path(), Note));
    EXPECT_EQ(Note, "░▒▓ DEMO ▓▒░\r\nby Über");
}

// ---- HTML ---------------------------------------------------------------------------------------

TEST_F(Descriptions, HtmlTitleAndMetaDescription) {
    WriteFile(Dir / "page.htm",
              "<html><head><title>My page</title>\n"
              "<Meta Name=\"Description\" Content=\"What it is about\"></head></html>\n");
    std::string Comment, Note;
    EXPECT_FALSE(ReadHtmlDescription(Dir / "page.htm", Comment, Note)); // HTMLDescription off
    HTMLDescription = true;
    ASSERT_TRUE(ReadFileDescription(Dir / "page.htm", Comment, Note));
    EXPECT_EQ(Comment, "My page");
    EXPECT_EQ(Note, "What it is about");
}

TEST_F(Descriptions, HtmlEdgeCases) {
    HTMLDescription = true;
    auto Read = [&](const std::string& Name, const std::string& Html, std::string& Comment,
                    std::string& Note) {
        WriteFile(Dir / Name, Html);
        Comment = Note = "-";
        return ReadFileDescription(Dir / Name, Comment, Note);
    };
    std::string C, N;
    EXPECT_TRUE(Read("empty.html", "<TITLE></TITLE>", C, N));
    EXPECT_EQ(C + N, "--");
    EXPECT_TRUE(Read("spaces.shtml", "<title>  Kept as written \n</title>", C, N));
    EXPECT_EQ(C, "  Kept as written \n");
    EXPECT_TRUE(Read("order.dhtml", "</title><title>x", C, N));
    EXPECT_EQ(C, "-");
    // Letters whose upper case is longer than they are must not shift the positions.
    EXPECT_TRUE(Read("wide.HTML", "Straße ﬁle ǰ <title>Grüße</title>", C, N));
    EXPECT_EQ(C, "Grüße");
    // A description without its closing quote yields an empty text; one that ends the file
    // is found.
    EXPECT_TRUE(Read("open.html", "<meta name=\"description\" content=\"no end", C, N));
    EXPECT_EQ(N, "");
    EXPECT_TRUE(Read("end.html", "<meta name=\"description\" content=\"at the end\">", C, N));
    EXPECT_EQ(N, "at the end");
    EXPECT_TRUE(Read("cut.html", "<meta name=\"description\" content=\"", C, N));
    EXPECT_EQ(N, "");
    EXPECT_TRUE(Read("none.html", "<p>nothing</p>", C, N));
    EXPECT_EQ(C + N, "--");
    EXPECT_TRUE(Read("empty-file.htm", "", C, N));
}

TEST_F(Descriptions, OnlyHtmlExtensionsAreReadAsHtml) {
    HTMLDescription = true;
    std::string C, N;
    for (const char* Name : {"a.h", "a.ht", "a.tml", "a.txt", "noext", "a.xhtml", "a.html~"}) {
        WriteFile(Dir / Name, "<title>T</title>");
        C = N = "";
        EXPECT_FALSE(ReadFileDescription(Dir / Name, C, N)) << Name;
        EXPECT_EQ(C, "") << Name;
    }
    EXPECT_FALSE(ReadFileDescription(Dir / "missing.html", C, N));
    ASSERT_EQ(::mkfifo((Dir / "fifo.html").c_str(), 0644), 0);
    EXPECT_FALSE(ReadFileDescription(Dir / "fifo.html", C, N));
}

TEST_F(Descriptions, HtmlIsReadUpToItsCap) {
    HTMLDescription = true;
    std::string Big = "<title>Early</title>" + std::string(MaxHtmlBytes, ' ') +
                      "<meta name=\"description\" content=\"too late\">";
    WriteFile(Dir / "big.html", Big);
    std::string C, N;
    ASSERT_TRUE(ReadHtmlDescription(Dir / "big.html", C, N));
    EXPECT_EQ(C, "Early");
    EXPECT_EQ(N, "");
}

TEST_F(Descriptions, Koi8HtmlIsConverted) {
    HTMLDescription = true;
    const std::string Title = "<title>\xF0\xD2\xC9\xD7\xC5\xD4</title>";
    std::string C, N;
    WriteFile(Dir / "koi8.html", "<meta http-equiv=\"Content-Type\" "
                                 "content=\"text/html; charset=koi-8\">" +
                                     Title);
    ASSERT_TRUE(ReadHtmlDescription(Dir / "koi8.html", C, N));
    EXPECT_EQ(C, "Привет");
    WriteFile(Dir / "bare.html", Title);
    ASSERT_TRUE(ReadHtmlDescription(Dir / "bare.html", C, N));
    EXPECT_EQ(C, "\xF0\xD2\xC9\xD7\xC5\xD4");
    ConvertKOI8 = true;
    ASSERT_TRUE(ReadHtmlDescription(Dir / "bare.html", C, N));
    EXPECT_EQ(C, "Привет");
    WriteFile(Dir / "declared.html", "<META HTTP-EQUIV=\"Content-Type\" "
                                     "CONTENT=\"text/html; charset=koi8-r\">" +
                                         Title);
    ASSERT_TRUE(ReadHtmlDescription(Dir / "declared.html", C, N));
    EXPECT_EQ(C, "\xF0\xD2\xC9\xD7\xC5\xD4");
}

// ---- a generated hostile tree -------------------------------------------------------------------

// What the readers find in a generated tree, against the builder's own list of what is there:
// description lists (ASCII, UTF-8, CP866), folder texts, HTML titles and meta descriptions, and
// the image headers of every format.
TEST_F(Descriptions, ReadersFindWhatTheTreeManifestLists) {
    THostileTree Tree = BuildHostileTree(Dir / "tree", 1500, 7);
    FileDescription = FolderDescription = HTMLDescription = GraphicDescription = true;
    for (const auto& I : Tree.Images) {
        std::string Expected =
            Format("%dx%dx%s ", {I.Width, I.Height, ColorCountStr(I.Bits)}) + LowerCase(I.Format);
        EXPECT_EQ(ImageComment(I.Path), Expected) << I.Path;
    }
    for (const auto& L : Tree.Listed) {
        ConvertOEMtoAnsi = L.Oem;
        SetOemCodePage(L.Oem ? CP_DOS866 : CP_DOS437);
        ActiveFileDescriptionFiles = L.List;
        auto List = LoadDescriptionFiles(ExtractFilePath(L.Target));
        std::string Comment, Note;
        ASSERT_TRUE(FindListDescription(List.get(), ExtractFileName(L.Target), Comment, Note))
            << L.Target;
        EXPECT_EQ(Comment, L.Text) << L.Target;
    }
    for (const auto& F : Tree.FolderTexts) {
        ActiveFolderDescriptionFiles = F.Source;
        std::string Note;
        ASSERT_TRUE(LoadFolderDescription(F.Folder, Note)) << F.Folder;
        while (!Note.empty() && (Note.back() == '\n' || Note.back() == '\r'))
            Note.pop_back();
        EXPECT_EQ(Note, F.Text) << F.Folder;
    }
    for (const auto& H : Tree.Html) {
        std::string Comment, Note;
        ASSERT_TRUE(ReadFileDescription(H.Path, Comment, Note)) << H.Path;
        EXPECT_EQ(Comment, H.Title) << H.Path;
        EXPECT_EQ(Note, H.Meta) << H.Path;
    }
    EXPECT_GT(Tree.Images.size(), 100u);
    EXPECT_GT(Tree.Listed.size(), 50u);
    EXPECT_GT(Tree.FolderTexts.size(), 20u);
}
