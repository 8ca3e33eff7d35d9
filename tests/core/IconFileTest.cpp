#include "IconTestSupport.h"
#include "tests/TestSupport.h"

#include "platform/IconFile.h"
#include "platform/ShellInfo.h"
#include "platform/SystemImageList.h"

#include <QMimeDatabase>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(IconFile, DecodesEveryBitmapDepthWithItsMask) {
    for (int Bits : {1, 4, 8, 24, 32}) {
        for (int W : {16, 13, 32}) {
            IcoPicture P = PatternPicture(W, W == 13 ? 7 : W, Bits);
            TIconImage Image;
            ASSERT_TRUE(DecodeIconFile(MakeIcoFile({P}), W, Image)) << Bits << " " << W;
            EXPECT_EQ(Image.Width, P.W);
            EXPECT_EQ(Image.Height, P.H);
            EXPECT_TRUE(Image.Png.empty());
            EXPECT_EQ(Image.Pixels, ExpectedPixels(P)) << Bits << " bits, width " << W;
        }
    }
}

TEST(IconFile, ThirtyTwoBitPicturesWithoutAlphaUseTheMask) {
    IcoPicture P = PatternPicture(16, 16, 32);
    for (uint32_t& C : P.Argb)
        C = (C >> 24) == 0 ? 0 : (C & 0xFFFFFF); // alpha left empty, as old icons do
    P.Argb[5] = 0;                               // transparent by its mask bit
    for (size_t I = 0; I < P.Argb.size(); ++I)
        if (I != 0 && I != 15 && I != 240 && I != 255 && I != 5) P.Argb[I] |= 0x01000000;
    // Write the record by hand with alpha 0 everywhere and the mask taken from above.
    IcoPicture Stored = P;
    for (uint32_t& C : Stored.Argb)
        C &= 0xFFFFFF;
    std::string File = MakeIcoFile({Stored});
    // The builder made the mask from alpha (all zero: all transparent); set it from P instead.
    size_t MaskAt = File.size() - 16 * 4;
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X) {
            bool Transparent = (P.Argb[static_cast<size_t>(Y * 16 + X)] >> 24) == 0;
            auto& B = reinterpret_cast<unsigned char&>(
                File[MaskAt + static_cast<size_t>((15 - Y) * 4 + X / 8)]);
            B = Transparent ? (B | 0x80 >> (X % 8)) : (B & ~(0x80 >> (X % 8)));
        }
    TIconImage Image;
    ASSERT_TRUE(DecodeIconFile(File, 16, Image));
    EXPECT_EQ(Image.Pixels[5], 0u);
    EXPECT_EQ(Image.Pixels[0], 0u);
    EXPECT_EQ(Image.Pixels[1], 0xFF000000 | (P.Argb[1] & 0xFFFFFF));
}

TEST(IconFile, PicksTheBestFittingPicture) {
    IcoPicture S8 = PatternPicture(16, 16, 8, 1), S32 = PatternPicture(16, 16, 32, 2),
               L = PatternPicture(32, 32, 24), H = PatternPicture(48, 48, 32);
    std::string File = MakeIcoFile({H, S8, L, S32});
    TIconImage Image;
    ASSERT_TRUE(DecodeIconFile(File, 16, Image));
    EXPECT_EQ(Image.Pixels, ExpectedPixels(S32)); // exact size, deeper colours first
    ASSERT_TRUE(DecodeIconFile(File, 32, Image));
    EXPECT_EQ(Image.Width, 32);
    ASSERT_TRUE(DecodeIconFile(File, 24, Image));
    EXPECT_EQ(Image.Width, 32); // the smallest larger picture
    ASSERT_TRUE(DecodeIconFile(File, 64, Image));
    EXPECT_EQ(Image.Width, 48); // else the largest
}

TEST(IconFile, PngPicturesAreKeptEncodedAndCursorsRead) {
    IcoPicture Png;
    Png.W = 0; // 256 in the directory
    Png.H = 0;
    Png.Png = PngHeader(256, 256) + "rest of the stream";
    IcoPicture Small = PatternPicture(16, 16, 4);
    TIconImage Image;
    std::string File = MakeIcoFile({Png, Small});
    ASSERT_TRUE(DecodeIconFile(File, 32, Image));
    EXPECT_EQ(Image.Width, 256);
    EXPECT_EQ(Image.Png, Png.Png);
    EXPECT_TRUE(Image.Pixels.empty());
    ASSERT_TRUE(DecodeIconFile(File, 16, Image));
    EXPECT_EQ(Image.Pixels, ExpectedPixels(Small));
    // A cursor file: the directory's planes and depth are its hot spot and are not trusted.
    ASSERT_TRUE(DecodeIconFile(MakeIcoFile({Small}, 2), 16, Image));
    EXPECT_EQ(Image.Pixels, ExpectedPixels(Small));
}

TEST(IconFile, HostileFilesAreRefused) {
    IcoPicture P = PatternPicture(16, 16, 8);
    const std::string Good = MakeIcoFile({P});
    TIconImage Image;
    // Every truncation fails cleanly.
    for (size_t N = 0; N < Good.size(); ++N)
        EXPECT_FALSE(DecodeIconFile(Good.substr(0, N), 16, Image)) << N;
    auto Patched = [&](size_t At, uint32_t V, int Bytes) {
        std::string S = Good;
        for (int K = 0; K < Bytes; ++K)
            S[At + static_cast<size_t>(K)] = static_cast<char>(V >> (8 * K) & 0xFF);
        return S;
    };
    const size_t Dib = 6 + 16;
    EXPECT_FALSE(DecodeIconFile(Patched(2, 3, 2), 16, Image));      // not icon or cursor
    EXPECT_FALSE(DecodeIconFile(Patched(4, 0xFFFF, 2), 16, Image)); // more entries than bytes
    EXPECT_FALSE(DecodeIconFile(Patched(6 + 12, 0xFFFFFFF0, 4), 16, Image));  // offset outside
    EXPECT_FALSE(DecodeIconFile(Patched(6 + 8, 0xFFFFFFFF, 4), 16, Image));   // length outside
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 4, 100000, 4), 16, Image));     // huge width
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 4, 0x80000000, 4), 16, Image)); // negative width
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 8, 33, 4), 16, Image));         // odd height
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 0, 0xFFFFFF, 4), 16, Image));   // header too long
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 14, 16, 2), 16, Image));        // 16 bits: unknown
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 16, 1, 4), 16, Image));         // compressed
    EXPECT_FALSE(DecodeIconFile(Patched(Dib + 32, 257, 4), 16, Image));       // palette too big
    // A palette shorter than the indices used: indices past it show black.
    ASSERT_TRUE(DecodeIconFile(Patched(Dib + 32, 2, 4), 16, Image));
    for (uint32_t C : Image.Pixels)
        EXPECT_TRUE(C == 0 || C == 0xFF000000 || C == 0xFFFF0000) << std::hex << C;
    // A bogus PNG header (zero size) is not a picture.
    IcoPicture BadPng;
    BadPng.Png = PngHeader(0, 16);
    EXPECT_FALSE(DecodeIconFile(MakeIcoFile({BadPng}), 16, Image));
    EXPECT_TRUE(Image.Empty());
}

TEST(IconFile, ReadsRegularFilesOnlyAndCapsTheirSize) {
    TempDir Dir;
    IcoPicture S = PatternPicture(16, 16, 32), L = PatternPicture(32, 32, 32);
    WriteFile(Dir / "app.ico", MakeIcoFile({S, L}));
    TIconImage Small, Large;
    ASSERT_TRUE(ReadIconFile(Dir / "app.ico", Small, Large));
    EXPECT_EQ(Small.Width, 16);
    EXPECT_EQ(Large.Width, 32);
    ASSERT_EQ(::mkfifo((Dir / "pipe.ico").c_str(), 0600), 0);
    EXPECT_FALSE(ReadIconFile(Dir / "pipe.ico", Small, Large)); // and does not block
    MakeDir(Dir / "folder.ico");
    EXPECT_FALSE(ReadIconFile(Dir / "folder.ico", Small, Large));
    EXPECT_FALSE(ReadIconFile(Dir / "missing.ico", Small, Large));
    std::string Big = MakeIcoFile({S});
    Big.resize(MaxIconFileBytes + 1, '\0');
    WriteFile(Dir / "big.ico", Big);
    EXPECT_FALSE(ReadIconFile(Dir / "big.ico", Small, Large));
}

TEST(SystemImageList, OneIndexPerDescriptorFromOneUp) {
    int A = AddSystemThemeIcon("qm-test-a", "text-x-generic");
    int B = AddSystemThemeIcon("qm-test-b", "text-x-generic");
    EXPECT_GE(A, 1);
    EXPECT_NE(A, B);
    EXPECT_EQ(AddSystemThemeIcon("qm-test-a", "text-x-generic"), A);
    EXPECT_NE(AddSystemThemeIcon("qm-test-a", "other-fallback"), A);
    EXPECT_EQ(AddSystemThemeIcon("", "x"), -1);
    TSystemIcon Icon = GetSystemIcon(A, true);
    EXPECT_EQ(Icon.ThemeName, "qm-test-a");
    EXPECT_EQ(Icon.FallbackThemeName, "text-x-generic");
    EXPECT_TRUE(GetSystemIcon(0, false).Empty());
    EXPECT_TRUE(GetSystemIcon(-3, false).Empty());
    EXPECT_TRUE(GetSystemIcon(SystemIconCount() + 1, false).Empty());

    TIconImage S, L;
    S.Width = S.Height = 1;
    S.Pixels = {0xFF123456};
    L.Width = L.Height = 1;
    L.Pixels = {0xFF654321};
    int I = AddSystemImageIcon(S, L);
    EXPECT_EQ(AddSystemImageIcon(S, L), I); // the same pictures from another file
    EXPECT_NE(AddSystemImageIcon(L, S), I);
    EXPECT_EQ(GetSystemIcon(I, false).Image, S);
    EXPECT_EQ(GetSystemIcon(I, true).Image, L);
    EXPECT_EQ(AddSystemImageIcon(TIconImage(), TIconImage()), -1);
}

TEST(ShellInfo, TypesComeFromTheMimeDatabase) {
    QMimeDatabase Db;
    QMimeType Text = Db.mimeTypeForName("text/plain");
    EXPECT_EQ(ShellTypeDescription(".TXT"), Text.comment().toStdString());
    EXPECT_EQ(ShellTypeDescription(".txt"), Text.comment().toStdString());
    int Icon = ShellTypeIconIndex(".TXT");
    ASSERT_GE(Icon, 1);
    EXPECT_EQ(ShellTypeIconIndex(".Txt"), Icon);
    EXPECT_EQ(GetSystemIcon(Icon, false).ThemeName, Text.iconName().toStdString());
    EXPECT_EQ(GetSystemIcon(Icon, false).FallbackThemeName, Text.genericIconName().toStdString());
    // Unknown types and files without an extension have neither.
    for (const char* Ext : {".QMUNKNOWNEXT", "", ".", "TXT"}) {
        EXPECT_EQ(ShellTypeDescription(Ext), "") << Ext;
        EXPECT_EQ(ShellTypeIconIndex(Ext), -1) << Ext;
    }
    EXPECT_EQ(ShellFolderTypeName(), Db.mimeTypeForName("inode/directory").comment().toStdString());
}
