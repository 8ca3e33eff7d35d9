// A hostile folder tree built by the tests themselves, and the byte writers of the image headers
// it holds.
//
// BuildHostileTree makes a deterministic tree of about Entries entries under Root: case twins
// (Readme, README, readme), names holding a line feed, invalid UTF-8, blanks, '*', '?' and a
// backslash, symbolic links that loop back up or lead nowhere, FIFOs, hard links, a sparse
// file of 5 GiB (made with ftruncate, it takes no space), description lists in ASCII, UTF-8 and
// CP866, folder description files, HTML files with a title and a meta description, and image
// headers of every format the readers know. The returned manifest says what a reader or a walk
// must find there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct THostileTree {
    // What a walk of the tree must find below Root: folders, and the other entries (regular
    // files and hard links, symbolic links, FIFOs).
    int64_t Folders = 0, Files = 0, Links = 0, Fifos = 0;
    struct TImage {
        std::string Path, Format; // Format: "BMP", "GIF", "PCX", "TGA", "PNG"
        int Width, Height, Bits;
    };
    struct TListed {
        std::string List, Target, Text; // the list file's name, the described file, its text
        bool Oem;                       // the list is in the OEM code page CP866
    };
    struct TFolderText {
        std::string Folder, Source, Text;
    };
    struct THtml {
        std::string Path, Title, Meta;
    };
    std::vector<TImage> Images;
    std::vector<TListed> Listed;
    std::vector<TFolderText> FolderTexts;
    std::vector<THtml> Html;
};

THostileTree BuildHostileTree(const std::string& Root, int Entries, unsigned Seed);

// Image headers as the encoders write them (little-endian unless the format says otherwise).
std::string LE16(unsigned V);
std::string LE32(uint32_t V);
std::string BE32(uint32_t V);
std::string Bmp(int32_t Width, int32_t Height, unsigned Bits);
std::string Os2Bmp(unsigned Width, unsigned Height, unsigned Bits);
std::string Pcx(unsigned XMin, unsigned YMin, unsigned XMax, unsigned YMax, int Bits, int Planes);
std::string Gif(unsigned Width, unsigned Height, unsigned char Packed);
std::string Tga(unsigned Width, unsigned Height, int Depth);
std::string Png(uint32_t Width, uint32_t Height, int Depth, int ColourType);
