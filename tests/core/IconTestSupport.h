// Builds icon and cursor files in memory for the tests: each picture is given as pixels and
// written as the bitmap (or PNG) record an icon file holds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct IcoPicture {
    int W = 16, H = 16, Bits = 32;
    std::vector<uint32_t> Argb; // top row first; alpha 0 marks a transparent pixel
    bool WithMask = true;
    std::string Png; // when set, the record is this PNG stream instead of a bitmap
};

inline void PutU16(std::string& S, uint32_t V) {
    S += static_cast<char>(V & 0xFF);
    S += static_cast<char>(V >> 8 & 0xFF);
}
inline void PutU32(std::string& S, uint32_t V) {
    PutU16(S, V & 0xFFFF);
    PutU16(S, V >> 16);
}

// A picture of W x H whose pixels follow a pattern: transparent corners, colours by position.
inline IcoPicture PatternPicture(int W, int H, int Bits, uint32_t Seed = 0) {
    IcoPicture P;
    P.W = W;
    P.H = H;
    P.Bits = Bits;
    const uint32_t Colors[] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            uint32_t C = Bits >= 24 ? 0xFF000000 | ((X * 16 + Seed) & 0xFF) << 16 | (Y * 16) << 8 |
                                          ((X + Y) & 0xFF)
                                    : Colors[(X / 2 + Y + Seed) % (Bits == 1 ? 2 : 4)];
            if ((X == 0 || X == W - 1) && (Y == 0 || Y == H - 1)) C = 0;
            if (Bits == 32 && X == 1 && Y == 1) C = 0x80FFFFFF; // half transparent
            P.Argb.push_back(C);
        }
    return P;
}

inline std::string BitmapRecord(const IcoPicture& P) {
    std::vector<uint32_t> Palette;
    if (P.Bits <= 8) {
        for (uint32_t C : P.Argb) {
            uint32_t Rgb = C & 0xFFFFFF;
            if (std::find(Palette.begin(), Palette.end(), Rgb) == Palette.end())
                Palette.push_back(Rgb);
        }
        Palette.resize(size_t(1) << P.Bits, 0);
    }
    std::string S;
    PutU32(S, 40);
    PutU32(S, static_cast<uint32_t>(P.W));
    PutU32(S, static_cast<uint32_t>(P.H * 2));
    PutU16(S, 1);
    PutU16(S, static_cast<uint32_t>(P.Bits));
    for (int I = 0; I < 6; ++I)
        PutU32(S, 0);
    for (uint32_t C : Palette)
        PutU32(S, C);
    const int Stride = (P.W * P.Bits + 31) / 32 * 4;
    for (int Y = P.H - 1; Y >= 0; --Y) {
        std::string Row(static_cast<size_t>(Stride), '\0');
        for (int X = 0; X < P.W; ++X) {
            uint32_t C = P.Argb[static_cast<size_t>(Y * P.W + X)];
            if (P.Bits == 32) {
                for (int K = 0; K < 4; ++K)
                    Row[static_cast<size_t>(X * 4 + K)] = static_cast<char>(C >> (8 * K) & 0xFF);
            } else if (P.Bits == 24) {
                for (int K = 0; K < 3; ++K)
                    Row[static_cast<size_t>(X * 3 + K)] = static_cast<char>(C >> (8 * K) & 0xFF);
            } else {
                auto Index = static_cast<unsigned>(
                    std::find(Palette.begin(), Palette.end(), C & 0xFFFFFF) - Palette.begin());
                int Bit = X * P.Bits;
                auto& B = reinterpret_cast<unsigned char&>(Row[static_cast<size_t>(Bit / 8)]);
                B = static_cast<unsigned char>(B | Index << (8 - P.Bits - Bit % 8));
            }
        }
        S += Row;
    }
    if (P.WithMask) {
        const int MaskStride = (P.W + 31) / 32 * 4;
        for (int Y = P.H - 1; Y >= 0; --Y) {
            std::string Row(static_cast<size_t>(MaskStride), '\0');
            for (int X = 0; X < P.W; ++X)
                if ((P.Argb[static_cast<size_t>(Y * P.W + X)] >> 24) == 0)
                    Row[static_cast<size_t>(X / 8)] |= static_cast<char>(0x80 >> (X % 8));
            S += Row;
        }
    }
    return S;
}

// Type 1 makes an icon file, type 2 a cursor file.
inline std::string MakeIcoFile(const std::vector<IcoPicture>& Pictures, uint16_t Type = 1) {
    std::string Head, Body;
    PutU16(Head, 0);
    PutU16(Head, Type);
    PutU16(Head, static_cast<uint32_t>(Pictures.size()));
    size_t Offset = 6 + 16 * Pictures.size();
    for (const IcoPicture& P : Pictures) {
        std::string Record = P.Png.empty() ? BitmapRecord(P) : P.Png;
        Head += static_cast<char>(P.W & 0xFF);
        Head += static_cast<char>(P.H & 0xFF);
        Head += '\0';
        Head += '\0';
        PutU16(Head, Type == 2 ? 3 : 1); // a cursor keeps its hot spot here
        PutU16(Head, Type == 2 ? 5 : static_cast<uint32_t>(P.Bits));
        PutU32(Head, static_cast<uint32_t>(Record.size()));
        PutU32(Head, static_cast<uint32_t>(Offset + Body.size()));
        Body += Record;
    }
    return Head + Body;
}

// The start of a PNG stream of W x H: signature and header chunk (enough for the icon reader,
// which keeps PNG pictures encoded).
inline std::string PngHeader(uint32_t W, uint32_t H) {
    std::string S("\x89PNG\r\n\x1a\n", 8);
    auto Be = [&S](uint32_t V) {
        for (int K = 3; K >= 0; --K)
            S += static_cast<char>(V >> (8 * K) & 0xFF);
    };
    Be(13);
    S += "IHDR";
    Be(W);
    Be(H);
    S += std::string("\x08\x06\x00\x00\x00", 5);
    Be(0); // CRC, not checked
    return S;
}

// What the reader gives for a picture: 32-bit pixels with alpha as they are, others opaque
// where the mask is clear and fully transparent where it is set.
inline std::vector<uint32_t> ExpectedPixels(const IcoPicture& P) {
    std::vector<uint32_t> R;
    for (uint32_t C : P.Argb) {
        if (P.Bits == 32)
            R.push_back(C);
        else
            R.push_back((C >> 24) == 0 ? 0 : (C | 0xFF000000));
    }
    return R;
}
