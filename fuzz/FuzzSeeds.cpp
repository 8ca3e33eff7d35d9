// Writes the seed corpus of the fuzz targets with the program's own writers:
//   qm-fuzz-seeds DIR   creates DIR/<target>/seed-N files.
#include "bench/SynthCatalog.h"
#include "core/CatalogFile.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Filer.h"
#include "platform/IniFiles.h"
#include "platform/Streams.h"
#include "platform/Thread.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

void Seed(const std::string& Dir, const std::string& Target, int N,
          const std::function<void(TWriter&)>& Fn) {
    std::filesystem::create_directories(Dir + "/" + Target);
    TMemoryStream S;
    {
        TWriter W(S);
        Fn(W);
    }
    S.SaveToFile(Dir + "/" + Target + "/seed-" + std::to_string(N));
}

void SeedBytes(const std::string& Dir, const std::string& Target, int N, std::string_view Bytes) {
    std::filesystem::create_directories(Dir + "/" + Target);
    WriteFileBytes(Dir + "/" + Target + "/seed-" + std::to_string(N), Bytes);
}

std::string LE16(unsigned V) {
    return {static_cast<char>(V & 0xFF), static_cast<char>(V >> 8)};
}
std::string LE32(unsigned V) {
    return LE16(V & 0xFFFF) + LE16(V >> 16);
}
std::string BE32(unsigned V) {
    return {char(V >> 24), char(V >> 16), char(V >> 8), char(V)};
}

// Description lists in the shapes the parser meets: quoted long names with doubled quotes,
// 4DOS data behind Ctrl-D, continuation lines, blank and comma-led lines.
void DescriptionSeeds(const std::string& Dir) {
    const char* T = "fuzz_description_list";
    SeedBytes(Dir, T, 1,
              "\x01readme.txt Read this first\r\n and then the rest\r\n"
              "\"Long File Name.doc\" A long name\r\n\"say \"\"hi\"\".txt\" Quotes\r\n");
    SeedBytes(Dir, T, 2,
              "\x02prog.zip Tools\\nMore\x04\xC2\r\nempty.txt   \r\n\tlost?\r\n, comma\r\n"
              "files.bbs\tBBS text\n                     | continued\n");
    SeedBytes(Dir, T, 3,
              "\x03\x8F\xE0\xA8\xA2\xA5\xE2.txt \x8C\xA8\xE0\r\n\xF0\xD2.txt \xE9\xE0\r\n");
}

void HtmlSeeds(const std::string& Dir) {
    const char* T = "fuzz_html";
    SeedBytes(Dir, T, 1,
              "<html><head><title>My page</title>\n<META NAME=\"Description\" "
              "CONTENT=\"What it is about\"></head></html>\n");
    SeedBytes(Dir, T, 2,
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi-8\">"
              "<title>\xF0\xD2\xC9\xD7\xC5\xD4</title><meta name=\"description\" content=\"");
    SeedBytes(Dir, T, 3, "</TITLE><TITLE>Stra\xC3\x9F\x65</TITLE>");
}

void ImageSeeds(const std::string& Dir) {
    std::string Bmp = "BM" + LE32(54) + LE32(0) + LE32(54) + LE32(40) + LE32(640) +
                      LE32(static_cast<unsigned>(-480)) + LE16(1) + LE16(24);
    SeedBytes(Dir, "fuzz_image_bmp", 1, Bmp + std::string(54 - Bmp.size(), '\0'));
    SeedBytes(Dir, "fuzz_image_bmp", 2,
              "BM" + LE32(26) + LE32(0) + LE32(26) + LE32(12) + LE16(320) + LE16(200) + LE16(1) +
                  LE16(8));
    std::string Pcx =
        std::string("\x0A\x05\x01\x08", 4) + LE16(10) + LE16(20) + LE16(109) + LE16(69);
    Pcx.resize(128, '\0');
    Pcx[65] = 3;
    SeedBytes(Dir, "fuzz_image_pcx", 1, Pcx);
    SeedBytes(Dir, "fuzz_image_gif", 1,
              "GIF89a" + LE16(32) + LE16(32) + "\xF7" + std::string(2, '\0'));
    std::string Tga(12, '\0');
    Tga[2] = 2;
    SeedBytes(Dir, "fuzz_image_tga", 1, Tga + LE16(1920) + LE16(1080) + "\x20" + '\0');
    SeedBytes(Dir, "fuzz_image_png", 1,
              std::string("\x89PNG\r\n\x1A\n", 8) + BE32(13) + "IHDR" + BE32(100) + BE32(50) +
                  "\x08\x02" + std::string(3, '\0') + BE32(0));
}

// Catalog bodies as the program writes them, each also compressed for the file target.
void SeedCatalogs(const std::string& Dir) {
    SetMainThread();
    auto Cat = std::make_unique<TCatFileItem>();
    CurrentCatalog = Cat.get();
    Cat->Types()->SetPaused(true);
    int N = 0;
    auto Emit = [&](std::string_view Body) {
        ++N;
        SeedBytes(Dir, "fuzz_catalog_body", N, Body);
        TMemoryStream S;
        S.Write(Body.data(), Body.size());
        CompressStream(S);
        SeedBytes(Dir, "fuzz_catalog_file", N, S.View());
    };
    auto Save = [&] {
        TMemoryStream S;
        SaveCatalogBody(*Cat, S);
        return std::string(S.View());
    };

    Cat->Clear();
    Emit(Save()); // the empty catalog

    // Every class, keywords on items, volume records, sizes beyond 32 bits.
    for (uint64_t Seed : {1, 2}) {
        Cat->Clear();
        BuildSyntheticCatalog(*Cat, 40, Seed);
        Emit(Save());
    }

    // The old format: no trailer, volume records with their paths only.
    TMemoryStream S;
    {
        TWriter W(S);
        W.Write("QLM 1.01", 8);
        WriteClassTable(W);
        W.WriteInteger(1);
        W.WriteRaw32(15);
        W.WriteInteger(9); // TKeyWordItem
        W.WriteString("Music");
        W.WriteString("");
        W.WriteString("Root");
        W.WriteString("");
        W.WriteString("");
        W.WriteString("");
        W.WriteInteger(-1);
        W.WriteBoolean(false);
        W.WriteInteger(0);
        W.WriteInteger(1);
        TMemoryStream Rec;
        {
            TWriter R(Rec);
            R.WriteInteger(5); // TFileCollection
            R.WriteString("Disc");
            R.WriteString("");
            R.WriteString("");
            R.WriteString("");
            R.WriteInteger(-1);
            R.WriteBoolean(false);
            R.WriteInteger(1);
            R.WriteInteger(0);
            R.WriteInteger(0); // no children
            R.WriteString("E:\\");
        }
        W.WriteRaw32(static_cast<uint32_t>(Rec.Size() + 4));
        W.Write(Rec.Memory(), Rec.Size());
    }
    Emit(S.View());
    Cat.reset();
    CurrentCatalog = nullptr;
}

// An icon with a 16-pixel 4-bit bitmap and a PNG record, and a cursor with a 32-bit bitmap.
void IconSeeds(const std::string& Dir) {
    auto Bitmap = [](unsigned W, unsigned H, unsigned Bits) {
        std::string B =
            LE32(40) + LE32(W) + LE32(H * 2) + LE16(1) + LE16(Bits) + std::string(24, '\0');
        if (Bits <= 8) B += std::string(4u << Bits, '\x40');
        B += std::string((W * Bits + 31) / 32 * 4 * H, '\x21');
        B += std::string((W + 31) / 32 * 4 * H, '\x0F');
        return B;
    };
    auto Icon = [](unsigned Type, const std::vector<std::pair<unsigned, std::string>>& Records) {
        std::string Head = LE16(0) + LE16(Type) + LE16(static_cast<unsigned>(Records.size()));
        std::string Body;
        unsigned Offset = 6 + 16 * static_cast<unsigned>(Records.size());
        for (const auto& [Side, R] : Records) {
            Head +=
                std::string{static_cast<char>(Side & 0xFF), static_cast<char>(Side & 0xFF), 0, 0};
            Head += LE16(1) + LE16(32) + LE32(static_cast<unsigned>(R.size())) +
                    LE32(Offset + static_cast<unsigned>(Body.size()));
            Body += R;
        }
        return Head + Body;
    };
    std::string Png = std::string("\x89PNG\r\n\x1A\n", 8) + BE32(13) + "IHDR" + BE32(48) +
                      BE32(48) + "\x08\x06" + std::string(3, '\0') + BE32(0);
    SeedBytes(Dir, "fuzz_icon_file", 1, Icon(1, {{16, Bitmap(16, 16, 4)}, {48, Png}}));
    SeedBytes(Dir, "fuzz_icon_file", 2, Icon(2, {{32, Bitmap(32, 32, 32)}}));
    using namespace std::string_literals;
    SeedBytes(Dir, "fuzz_mask", 1, "*.[!a-c]?x*\0report.txt"s);
    SeedBytes(Dir, "fuzz_mask", 2, "\xC3\x84PFEL*[\xC3\xA0-\xC3\xBF]\0\xC3\xA4pfel\xE9"s);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm-fuzz-seeds DIR\n");
        return 2;
    }
    std::string Dir = argv[1];
    Seed(Dir, "fuzz_filer", 1, [](TWriter& W) {
        W.WriteRaw32(15);
        W.WriteInteger(9);
        W.WriteString("Music");
        W.WriteString("");
    });
    Seed(Dir, "fuzz_filer", 2, [](TWriter& W) {
        for (long long V : {0LL, -129LL, 40000LL, 3000000000LL})
            W.WriteInt64(V);
        W.WriteString(std::string(300, 'x'));
        W.WriteBoolean(true);
        W.WriteDate(36526.5);
    });
    DescriptionSeeds(Dir);
    HtmlSeeds(Dir);
    ImageSeeds(Dir);
    IconSeeds(Dir);
    std::filesystem::create_directories(Dir + "/fuzz_ini_file");
    TIniFile Ini("/nonexistent-qm-fuzz/seed.ini");
    Ini.WriteString("General", "NormPos", "100,120,500,420");
    Ini.WriteString("General", "Quoted", "\"'abc'\"");
    Ini.WriteString("General\\TfmX.MRUManager1", "Item_0", "/data/a.qlmk");
    WriteFileBytes(Dir + "/fuzz_ini_file/seed-1", "; comment\n" + Ini.Text() + "[Broken\nx\n");
    SeedCatalogs(Dir);
    return 0;
}
