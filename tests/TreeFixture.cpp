#include "TreeFixture.h"

#include "TestSupport.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

std::string LE16(unsigned V) {
    return {static_cast<char>(V & 0xFF), static_cast<char>(V >> 8)};
}
std::string LE32(uint32_t V) {
    return LE16(V & 0xFFFF) + LE16(V >> 16);
}
std::string BE32(uint32_t V) {
    return {static_cast<char>(V >> 24), static_cast<char>(V >> 16), static_cast<char>(V >> 8),
            static_cast<char>(V)};
}

std::string Bmp(int32_t Width, int32_t Height, unsigned Bits) {
    std::string H = "BM" + LE32(54) + LE32(0) + LE32(54) + LE32(40) +
                    LE32(static_cast<uint32_t>(Width)) + LE32(static_cast<uint32_t>(Height)) +
                    LE16(1) + LE16(Bits);
    return H + std::string(54 - H.size(), '\0');
}
std::string Os2Bmp(unsigned Width, unsigned Height, unsigned Bits) {
    return "BM" + LE32(26) + LE32(0) + LE32(26) + LE32(12) + LE16(Width) + LE16(Height) + LE16(1) +
           LE16(Bits);
}
std::string Pcx(unsigned XMin, unsigned YMin, unsigned XMax, unsigned YMax, int Bits, int Planes) {
    std::string H = std::string("\x0A\x05\x01", 3) + static_cast<char>(Bits) + LE16(XMin) +
                    LE16(YMin) + LE16(XMax) + LE16(YMax);
    H.resize(128, '\0');
    H[65] = static_cast<char>(Planes);
    return H;
}
std::string Gif(unsigned Width, unsigned Height, unsigned char Packed) {
    return "GIF89a" + LE16(Width) + LE16(Height) + static_cast<char>(Packed) + std::string(2, '\0');
}
std::string Tga(unsigned Width, unsigned Height, int Depth) {
    std::string H(12, '\0');
    H[2] = 2;
    return H + LE16(Width) + LE16(Height) + static_cast<char>(Depth) + '\0';
}
std::string Png(uint32_t Width, uint32_t Height, int Depth, int ColourType) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + BE32(13) + "IHDR" + BE32(Width) + BE32(Height) +
           static_cast<char>(Depth) + static_cast<char>(ColourType) + std::string(3, '\0') +
           BE32(0);
}

namespace {

class TBuilder {
public:
    TBuilder(THostileTree& T, unsigned Seed) : FT(T), FState(Seed * 2654435761u + 1) {}

    unsigned Next(unsigned N) {
        FState = FState * 1664525u + 1013904223u;
        return (FState >> 8) % N;
    }

    void Folder(const std::string& Dir) {
        if (::mkdir(Dir.c_str(), 0755) != 0) throw std::runtime_error("mkdir " + Dir);
        ++FT.Folders;
    }
    void File(const std::string& Path, const std::string& Bytes) {
        WriteFile(Path, Bytes);
        ++FT.Files;
    }

    // One folder's entries; Index numbers the folders in the order they are made.
    int Fill(const std::string& Dir, int Index) {
        static const char* const Odd[] = {"new\nline",   "\xff\xfe bytes", " lead",
                                          "trail ",      "star*",          "what?",
                                          "back\\slash", "Ünïcödé.txt"};
        int Made = 0;
        std::string Tag = std::to_string(Index);
        // Case twins: three entries whose names differ only in letter case.
        for (const char* N : {"Readme", "README", "readme"}) {
            File(Dir + N, std::string(N) + Tag);
            ++Made;
        }
        File(Dir + Odd[Index % 8], "odd");
        ++Made;
        // An image of each format in turn, with sizes that vary.
        int W = 1 + static_cast<int>(Next(2000)), H = 1 + static_cast<int>(Next(2000));
        switch (Index % 5) {
        case 0: Image(Dir + "pic.bmp", Bmp(W, H, 24), "BMP", W, H, 24); break;
        case 1: Image(Dir + "Pic.GIF", Gif(W, H, 0x80 | 3), "GIF", W, H, 4); break;
        case 2: Image(Dir + "pic.pcx", Pcx(0, 0, W - 1, H - 1, 8, 1), "PCX", W, H, 8); break;
        case 3: Image(Dir + "pic.tga", Tga(W, H, 24), "TGA", W, H, 24); break;
        default: Image(Dir + "pic.png", Png(W, H, 8, 2), "PNG", W, H, 24); break;
        }
        ++Made;
        std::string Title = "Title " + Tag, Meta = "About page " + Tag;
        File(Dir + "page.html", "<html><head><title>" + Title +
                                    "</title><meta name=\"description\" "
                                    "content=\"" +
                                    Meta + "\"></head><body>x</body></html>");
        FT.Html.push_back({Dir + "page.html", Title, Meta});
        ++Made;
        if (Index % 3 == 0) {
            // A description list: ASCII, UTF-8 or CP866 ("Привет" in the OEM code page).
            bool Oem = Index % 9 == 3;
            std::string Text = Oem ? "\x8F\xE0\xA8\xA2\xA5\xE2 " + Tag : "Described file " + Tag;
            if (Index % 9 == 6) Text = "Beschreibung für " + Tag;
            File(Dir + "descript.ion", "Readme " + Text + "\n\"page.html\" Page list entry\n");
            FT.Listed.push_back(
                {"descript.ion", Dir + "Readme", Oem ? "Привет " + Tag : Text, Oem});
            FT.Listed.push_back({"descript.ion", Dir + "page.html", "Page list entry", false});
            ++Made;
        }
        if (Index % 4 == 1) {
            std::string Text = "Folder text " + Tag + "\nsecond line";
            File(Dir + "file_id.diz", Text + "\n");
            FT.FolderTexts.push_back({Dir, "file_id.diz", Text});
            ++Made;
        }
        if (Index % 2 == 0) {
            if (::symlink("..", (Dir + "up").c_str()) != 0) throw std::runtime_error("symlink");
            if (::symlink("nowhere/at/all", (Dir + "dangling").c_str()) != 0)
                throw std::runtime_error("symlink");
            FT.Links += 2;
            Made += 2;
        }
        if (Index % 3 == 1) {
            if (::mkfifo((Dir + "pipe.html").c_str(), 0644) != 0) throw std::runtime_error("fifo");
            ++FT.Fifos;
            ++Made;
        }
        if (Index % 5 == 2) {
            if (::link((Dir + "README").c_str(), (Dir + "hard link").c_str()) != 0)
                throw std::runtime_error("link");
            ++FT.Files;
            ++Made;
        }
        return Made;
    }

private:
    void Image(const std::string& Path, const std::string& Bytes, const char* Format, int W, int H,
               int Bits) {
        File(Path, Bytes);
        FT.Images.push_back({Path, Format, W, H, Bits});
    }

    THostileTree& FT;
    unsigned FState;
};

} // namespace

THostileTree BuildHostileTree(const std::string& Root, int Entries, unsigned Seed) {
    THostileTree T;
    TBuilder B(T, Seed);
    std::string Top = Root.empty() || Root.back() == '/' ? Root : Root + "/";
    MakeDir(Top);
    // One sparse file beyond 4 GiB: its size needs the 64-bit form in the catalog.
    {
        int Fd = ::open((Top + "big.iso").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (Fd < 0 || ::ftruncate(Fd, (int64_t(5) << 30) + 7) != 0)
            throw std::runtime_error("sparse file");
        ::close(Fd);
        ++T.Files;
    }
    // Folders are made breadth first below random earlier ones, so the tree grows both wide
    // and a few levels deep.
    std::vector<std::string> Dirs{Top};
    int Made = 1 + B.Fill(Top, 0);
    for (int Index = 1; Made < Entries; ++Index) {
        const std::string& Parent = Dirs[B.Next(static_cast<unsigned>(Dirs.size()))];
        std::string Dir = Parent + "dir " + std::to_string(Index) + (Index % 6 == 0 ? "Ä" : "");
        B.Folder(Dir);
        Dirs.push_back(Dir + "/");
        Made += 1 + B.Fill(Dirs.back(), Index);
    }
    return T;
}
