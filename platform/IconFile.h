// Reader of icon and cursor files (.ico, .cur): the pictures that files of these kinds carry as
// their own icon. An icon file holds several pictures of different sizes; the reader picks the
// one that best fits the size asked for and decodes it.
//
// Pictures stored as device-independent bitmaps (1, 4, 8, 24 or 32 bits a pixel, with their
// transparency mask) are decoded into pixels here; pictures stored as PNG streams are kept
// encoded for the GUI to decode. The reader checks every count, offset and length against the
// bytes really there, accepts pictures of at most 256 x 256 pixels and files of at most
// MaxIconFileBytes, and fails by returning false. Safe on any thread (no Qt Gui needed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TIconImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // 0xAARRGGBB (alpha not premultiplied), top row first
    std::string Png;              // or the picture as a PNG stream, when it is stored so
    bool Empty() const { return Pixels.empty() && Png.empty(); }
    bool operator==(const TIconImage&) const = default;
};

constexpr size_t MaxIconFileBytes = 1 << 20;
constexpr int MaxIconSide = 256;

// Decodes the picture of Bytes (the contents of an icon or cursor file) that best fits Size
// pixels: the exact size, else the smallest larger one, else the largest; deeper colours first.
bool DecodeIconFile(std::string_view Bytes, int Size, TIconImage& Image);

// Reads the icon file at Path (regular files only, at most MaxIconFileBytes) and decodes its
// small (16 pixels) and large (32 pixels) pictures. False when the file cannot be read or holds
// no picture that can be decoded.
bool ReadIconFile(const std::string& Path, TIconImage& Small, TIconImage& Large);
