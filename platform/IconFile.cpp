#include "IconFile.h"

#include "Exceptions.h"
#include "Streams.h"

#include <algorithm>
#include <tuple>

namespace {

uint16_t U16(std::string_view B, size_t At) {
    return static_cast<uint16_t>(static_cast<unsigned char>(B[At]) |
                                 static_cast<unsigned char>(B[At + 1]) << 8);
}

uint32_t U32(std::string_view B, size_t At) {
    return static_cast<uint32_t>(U16(B, At)) | static_cast<uint32_t>(U16(B, At + 2)) << 16;
}

uint32_t U32BE(std::string_view B, size_t At) {
    uint32_t V = 0;
    for (size_t I = 0; I < 4; ++I)
        V = V << 8 | static_cast<unsigned char>(B[At + I]);
    return V;
}

constexpr std::string_view PngSignature("\x89PNG\r\n\x1a\n", 8);

struct TEntry {
    int Width, Height, Bits;
    std::string_view Data;
};

// Reads the size of a PNG picture from its header chunk; false when it is not a PNG stream.
bool PngSize(std::string_view Data, int& Width, int& Height) {
    if (Data.size() < 24 || Data.substr(0, 8) != PngSignature || Data.substr(12, 4) != "IHDR")
        return false;
    uint32_t W = U32BE(Data, 16), H = U32BE(Data, 20);
    if (W == 0 || H == 0 || W > MaxIconSide || H > MaxIconSide) return false;
    Width = static_cast<int>(W);
    Height = static_cast<int>(H);
    return true;
}

// The size and depth of one directory entry, taken from the picture itself (the directory's
// bytes are only hints, and a cursor keeps its hot spot where an icon keeps planes and depth).
bool ReadEntry(std::string_view Data, TEntry& E) {
    E.Data = Data;
    if (PngSize(Data, E.Width, E.Height)) {
        E.Bits = 32;
        return true;
    }
    if (Data.size() < 40) return false;
    uint32_t HeaderSize = U32(Data, 0);
    int32_t W = static_cast<int32_t>(U32(Data, 4)), H2 = static_cast<int32_t>(U32(Data, 8));
    if (HeaderSize < 40 || HeaderSize > Data.size()) return false;
    if (W < 1 || W > MaxIconSide || H2 < 2 || H2 > 2 * MaxIconSide || H2 % 2 != 0) return false;
    E.Width = W;
    E.Height = H2 / 2;
    E.Bits = U16(Data, 14);
    return true;
}

// Decodes a device-independent bitmap of an icon: the colour rows, then the 1-bit mask rows,
// both bottom row first, each row padded to 4 bytes.
bool DecodeBitmap(const TEntry& E, TIconImage& Image) {
    std::string_view D = E.Data;
    const uint32_t HeaderSize = U32(D, 0);
    const int Bits = E.Bits;
    const uint32_t Compression = U32(D, 16);
    uint32_t ColorsUsed = U32(D, 32);
    if (Compression != 0) return false;
    if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 24 && Bits != 32) return false;
    const uint64_t W = static_cast<uint64_t>(E.Width), H = static_cast<uint64_t>(E.Height);
    uint64_t PaletteCount = 0;
    if (Bits <= 8) {
        uint32_t Max = 1u << Bits;
        if (ColorsUsed > Max) return false;
        PaletteCount = ColorsUsed ? ColorsUsed : Max;
    }
    const uint64_t PaletteAt = HeaderSize;
    const uint64_t ColorStride = (W * static_cast<uint64_t>(Bits) + 31) / 32 * 4;
    const uint64_t MaskStride = (W + 31) / 32 * 4;
    const uint64_t ColorAt = PaletteAt + PaletteCount * 4;
    const uint64_t MaskAt = ColorAt + ColorStride * H;
    if (MaskAt > D.size()) return false;
    // Some 32-bit icons leave the mask out; their alpha channel says everything.
    const bool HasMask = MaskAt + MaskStride * H <= D.size();
    if (!HasMask && Bits != 32) return false;

    auto Palette = [&](uint64_t I) -> uint32_t {
        if (I >= PaletteCount) return 0xFF000000; // an index past the palette shows black
        return 0xFF000000 | (U32(D, PaletteAt + I * 4) & 0xFFFFFF);
    };
    Image = TIconImage();
    Image.Width = E.Width;
    Image.Height = E.Height;
    Image.Pixels.resize(W * H);
    bool AnyAlpha = false;
    for (uint64_t Y = 0; Y < H; ++Y) {
        const uint64_t Row = ColorAt + (H - 1 - Y) * ColorStride;
        uint32_t* Out = &Image.Pixels[Y * W];
        for (uint64_t X = 0; X < W; ++X) {
            uint32_t P;
            switch (Bits) {
            case 1:
                P = Palette(static_cast<unsigned char>(D[Row + X / 8]) >> (7 - X % 8) & 1);
                break;
            case 4:
                P = Palette(static_cast<unsigned char>(D[Row + X / 2]) >> (X % 2 ? 0 : 4) & 15);
                break;
            case 8: P = Palette(static_cast<unsigned char>(D[Row + X])); break;
            case 24:
                P = 0xFF000000 | static_cast<uint32_t>(U16(D, Row + X * 3)) |
                    static_cast<uint32_t>(static_cast<unsigned char>(D[Row + X * 3 + 2])) << 16;
                break;
            default:
                P = U32(D, Row + X * 4);
                AnyAlpha = AnyAlpha || (P >> 24) != 0;
                break;
            }
            Out[X] = P;
        }
    }
    if (Bits == 32 && AnyAlpha) return true;
    if (!HasMask) {
        for (uint32_t& P : Image.Pixels)
            P |= 0xFF000000;
        return true;
    }
    for (uint64_t Y = 0; Y < H; ++Y) {
        const uint64_t Row = MaskAt + (H - 1 - Y) * MaskStride;
        uint32_t* Out = &Image.Pixels[Y * W];
        for (uint64_t X = 0; X < W; ++X) {
            bool Transparent = static_cast<unsigned char>(D[Row + X / 8]) >> (7 - X % 8) & 1;
            Out[X] = Transparent ? 0 : (Out[X] | 0xFF000000);
        }
    }
    return true;
}

} // namespace

bool DecodeIconFile(std::string_view Bytes, int Size, TIconImage& Image) {
    if (Bytes.size() < 6 || U16(Bytes, 0) != 0) return false;
    uint16_t Type = U16(Bytes, 2), Count = U16(Bytes, 4);
    if ((Type != 1 && Type != 2) || Count == 0) return false;
    if (6 + static_cast<size_t>(Count) * 16 > Bytes.size()) return false;
    std::vector<TEntry> Entries;
    for (size_t I = 0; I < Count; ++I) {
        size_t At = 6 + I * 16;
        uint32_t Length = U32(Bytes, At + 8), Offset = U32(Bytes, At + 12);
        if (Offset > Bytes.size() || Length > Bytes.size() - Offset) continue;
        TEntry E;
        if (ReadEntry(Bytes.substr(Offset, Length), E)) Entries.push_back(E);
    }
    // Best fit first: the exact size, then larger pictures smallest first, then smaller ones
    // largest first; deeper colours before shallower at the same size.
    auto Rank = [Size](const TEntry& E) {
        int Side = std::max(E.Width, E.Height);
        int Class = Side == Size ? 0 : Side > Size ? 1 : 2;
        int Distance = Side > Size ? Side - Size : Size - Side;
        return std::tuple(Class, Distance, -E.Bits);
    };
    std::stable_sort(Entries.begin(), Entries.end(),
                     [&](const TEntry& A, const TEntry& B) { return Rank(A) < Rank(B); });
    for (const TEntry& E : Entries) {
        if (E.Data.substr(0, 8) == PngSignature) {
            Image = TIconImage();
            Image.Width = E.Width;
            Image.Height = E.Height;
            Image.Png = std::string(E.Data);
            return true;
        }
        if (DecodeBitmap(E, Image)) return true;
    }
    Image = TIconImage();
    return false;
}

bool ReadIconFile(const std::string& Path, TIconImage& Small, TIconImage& Large) {
    std::string Bytes;
    try {
        Bytes = ReadFileBytes(Path, MaxIconFileBytes);
    } catch (const Exception&) {
        return false;
    }
    return DecodeIconFile(Bytes, 16, Small) && DecodeIconFile(Bytes, 32, Large);
}
