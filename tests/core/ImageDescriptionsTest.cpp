#include "core/CatalogGlobals.h"
#include "core/Descriptions.h"
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

// ---- images -------------------------------------------------------------------------------------

TEST_F(Descriptions, ImageHeadersGiveSizeAndColours) {
    GraphicDescription = true;
    const std::pair<std::string, std::string> Cases[] = {
        {Bmp(640, 480, 24), "640x480x24b bmp"},
        {Bmp(16, -9, 8), "16x9x256 bmp"}, // stored top-down
        {Bmp(2, 2, 1), "2x2x2 bmp"},
        {Os2Bmp(320, 200, 4), "320x200x16 bmp"},
        {Pcx(0, 0, 639, 479, 8, 1), "640x480x256 pcx"},
        {Pcx(10, 20, 109, 69, 8, 3), "100x50x24b pcx"},
        {Pcx(0, 0, 0, 0, 1, 4), "1x1x16 pcx"},
        {Gif(32, 32, 0xF7), "32x32x256 gif"},
        {Gif(1, 65535, 0x80), "1x65535x2 gif"},
        {Tga(1920, 1080, 32), "1920x1080x32b tga"},
        {Png(100, 50, 8, 2), "100x50x24b png"},
        {Png(70000, 100000, 8, 6), "70000x100000x32b png"},
        {Png(16, 16, 4, 3), "16x16x16 png"},
        {Png(16, 16, 8, 3), "16x16x256 png"},
        {Png(16, 16, 16, 0), "16x16x16b png"},
        {Png(16, 16, 16, 2), "16x16x48b png"},
        {Png(16, 16, 8, 4), "16x16x16b png"},
        {Png(16, 16, 1, 0), "16x16x2 png"},
    };
    const char* Exts[] = {".bmp", ".pcx", ".gif", ".tga", ".png"};
    int N = 0;
    for (const auto& [Bytes, Expected] : Cases) {
        const char* Ext = Bytes[0] == 'B'      ? Exts[0]
                          : Bytes[0] == '\x0A' ? Exts[1]
                          : Bytes[0] == 'G'    ? Exts[2]
                          : Bytes[0] == 0      ? Exts[3]
                                               : Exts[4];
        std::string Path = Dir / ("img" + std::to_string(N++) + Ext);
        WriteFile(Path, Bytes);
        EXPECT_EQ(ImageComment(Path), Expected);
    }
    WriteFile(Dir / "x.DIB", Bmp(3, 4, 32));
    EXPECT_EQ(ImageComment(Dir / "x.DIB"), "3x4x32b bmp");
}

TEST_F(Descriptions, ImageReadersKeepTheCommentOnBadOrTruncatedHeaders) {
    struct {
        const char* Ext;
        std::string Bytes;
        size_t Needed; // shortest prefix that is described
    } Kinds[] = {{".bmp", Bmp(640, 480, 24), 30},     {".bmp", Os2Bmp(640, 480, 24), 26},
                 {".pcx", Pcx(0, 0, 9, 9, 8, 1), 12}, {".gif", Gif(10, 10, 0x80), 11},
                 {".tga", Tga(10, 10, 24), 17},       {".png", Png(10, 10, 8, 2), 26}};
    GraphicDescription = true;
    for (const auto& K : Kinds) {
        std::string Path = Dir / (std::string("cut") + K.Ext);
        for (size_t Len = 0; Len < K.Needed; ++Len) {
            WriteFile(Path, K.Bytes.substr(0, Len));
            std::string Comment = "keep";
            EXPECT_TRUE(ReadImageDescription(UpperCase(K.Ext), Path, Comment));
            EXPECT_EQ(Comment, "keep") << K.Ext << " cut to " << Len;
        }
        WriteFile(Path, K.Bytes.substr(0, K.Needed));
        EXPECT_NE(ImageComment(Path), "") << K.Ext;
    }
    // Headers that do not match their extension, or hold impossible values.
    const std::pair<const char*, std::string> Bad[] = {
        {"bmp-as-png.png", Bmp(1, 1, 24)},
        {"png-as-gif.gif", Png(1, 1, 8, 2)},
        {"idfield.tga", "\x05" + Tga(10, 10, 24).substr(1)},
        {"nothdr.png", Png(1, 1, 8, 2).replace(12, 4, "IDAT")},
        {"badtype.png", Png(1, 1, 8, 5)},
        {"backwards.pcx", Pcx(10, 0, 9, 0, 8, 1)},
        {"negative.bmp", Bmp(-5, 5, 24)},
    };
    for (const auto& [Name, Bytes] : Bad) {
        WriteFile(Dir / Name, Bytes);
        std::string Comment = "keep";
        EXPECT_TRUE(ReadImageDescription(UpperCase(ExtractFileExt(Name)), Dir / Name, Comment));
        EXPECT_EQ(Comment, "keep") << Name;
    }
    std::string Comment = "keep";
    EXPECT_TRUE(ReadPngSize(Dir / "missing.png", Comment));
    ASSERT_EQ(::mkfifo((Dir / "fifo.bmp").c_str(), 0644), 0);
    EXPECT_TRUE(ReadBmpSize(Dir / "fifo.bmp", Comment));
    EXPECT_EQ(Comment, "keep");
}

TEST_F(Descriptions, ImageReadersAreSwitchedByTheOptionAndChosenByWholeExtensions) {
    WriteFile(Dir / "a.bmp", Bmp(1, 1, 24));
    std::string Comment = "keep";
    EXPECT_FALSE(ReadBmpSize(Dir / "a.bmp", Comment));
    EXPECT_FALSE(ReadImageDescription(".BMP", Dir / "a.bmp", Comment));
    EXPECT_EQ(Comment, "keep");
    GraphicDescription = true;
    for (const char* Ext : {"", ".", ".B", ".BM", "BMP", ".BMP,", ".DI", ".JPG", ".BMP.GZ"})
        EXPECT_FALSE(ReadImageDescription(Ext, Dir / "a.bmp", Comment)) << Ext;
    EXPECT_EQ(Comment, "keep");
    EXPECT_TRUE(ReadImageDescription(".BMP", Dir / "a.bmp", Comment));
    EXPECT_EQ(Comment, "1x1x24b bmp");
    EXPECT_TRUE(ReadImageDescription(".bmp", Dir / "a.bmp", Comment));
}

TEST(StreamHeader, ComparesAllBytesAtTheOffset) {
    TMemoryStream S;
    S.Write("xxGIF8", 6);
    EXPECT_TRUE(ReadStreamHeader(S, 2, "GIF8"));
    EXPECT_FALSE(ReadStreamHeader(S, 0, "GIF8"));
    EXPECT_FALSE(ReadStreamHeader(S, 3, "GIF8"));
    EXPECT_FALSE(ReadStreamHeader(S, 100, "G"));
    EXPECT_TRUE(ReadStreamHeader(S, 6, ""));
}

// ---- headers written by real encoders (netpbm) -------------------------------------------------

namespace {

bool HaveTool(const std::string& Tool) {
    const char* Path = std::getenv("PATH");
    std::string P = Path ? Path : "/usr/bin:/bin";
    size_t Start = 0;
    while (Start <= P.size()) {
        size_t End = P.find(':', Start);
        if (End == std::string::npos) End = P.size();
        std::string Dir = P.substr(Start, End - Start);
        if (!Dir.empty() && ::access((Dir + "/" + Tool).c_str(), X_OK) == 0) return true;
        Start = End + 1;
    }
    return false;
}

// Colours * Width * Height pixels: a portable pixmap whose colours are all different (so the
// encoders choose true colour) or drawn from Colours values.
std::string Ppm(int Width, int Height, int Colours) {
    std::string P = "P6\n" + std::to_string(Width) + " " + std::to_string(Height) + "\n255\n";
    for (int I = 0; I < Width * Height; ++I) {
        int C = Colours ? I % Colours : I;
        P += static_cast<char>(C * 7);
        P += static_cast<char>(C / 3);
        P += static_cast<char>(C / 37 * 11);
    }
    return P;
}

std::string Pgm(int Width, int Height, int MaxVal) {
    std::string P = "P5\n" + std::to_string(Width) + " " + std::to_string(Height) + "\n" +
                    std::to_string(MaxVal) + "\n";
    for (int I = 0; I < Width * Height; ++I) {
        int V = I * 97 % (MaxVal + 1);
        if (MaxVal > 255) P += static_cast<char>(V >> 8);
        P += static_cast<char>(V);
    }
    return P;
}

} // namespace

TEST_F(Descriptions, HeadersWrittenByNetpbm) {
    GraphicDescription = true;
    WriteFile(Dir / "true.ppm", Ppm(40, 30, 0));
    WriteFile(Dir / "two.ppm", Ppm(40, 30, 2));
    WriteFile(Dir / "sixteen.ppm", Ppm(40, 30, 16));
    WriteFile(Dir / "grey.pgm", Pgm(40, 30, 255));
    WriteFile(Dir / "grey16.pgm", Pgm(40, 30, 65535));
    struct {
        const char* Command; // input file, tool and its options
        const char* Out;
        const char* Expected;
    } Cases[] = {
        {"ppmtobmp < true.ppm", "t.bmp", "40x30x24b bmp"},
        {"ppmtobmp -os2 < true.ppm", "os2.bmp", "40x30x24b bmp"},
        {"ppmtobmp < two.ppm", "two.bmp", "40x30x2 bmp"},
        {"ppmtobmp -bpp=8 < sixteen.ppm", "pal.bmp", "40x30x256 bmp"},
        {"ppmtopcx < true.ppm", "t.pcx", "40x30x24b pcx"},
        {"ppmtopcx < sixteen.ppm", "s.pcx", "40x30x16 pcx"},
        {"ppmtopcx -8bit < two.ppm", "e.pcx", "40x30x256 pcx"},
        {"ppmtogif < two.ppm", "two.gif", "40x30x2 gif"},
        {"ppmtogif < sixteen.ppm", "s.gif", "40x30x16 gif"},
        {"ppmtotga -rgb -norle < true.ppm", "t.tga", "40x30x24b tga"},
        {"ppmtotga -cmap < sixteen.ppm", "c.tga", "40x30x256 tga"},
        {"pnmtopng < true.ppm", "t.png", "40x30x24b png"},
        {"pnmtopng < sixteen.ppm", "s.png", "40x30x16 png"},
        {"pnmtopng < grey.pgm", "g.png", "40x30x256 png"},
        {"pnmtopng < grey16.pgm", "g16.png", "40x30x16b png"},
        {"pnmtopng -alpha=grey.pgm < true.ppm", "a.png", "40x30x32b png"},
    };
    int Run = 0;
    for (const auto& C : Cases) {
        std::string Command = C.Command;
        std::string Tool = Command.substr(0, Command.find(' '));
        if (!HaveTool(Tool)) continue;
        std::string Line =
            "cd '" + Dir.Path() + "' && " + Command + " > '" + C.Out + "' 2>/dev/null";
        ASSERT_EQ(std::system(Line.c_str()), 0) << Command;
        ++Run;
        EXPECT_EQ(ImageComment(Dir / C.Out), C.Expected) << Command;
    }
    if (!Run) GTEST_SKIP() << "netpbm is not installed";
}
