// Reads arbitrary bytes as an icon or cursor file, at the two sizes the image lists use: every
// picture must be read from bytes the file really holds, and no size it claims is believed.
#include "platform/IconFile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    for (int Want : {16, 32}) {
        TIconImage Image;
        if (!DecodeIconFile(Bytes, Want, Image)) continue;
        if (Image.Width < 1 || Image.Height < 1 || Image.Width > MaxIconSide ||
            Image.Height > MaxIconSide)
            __builtin_trap();
        if (Image.Png.empty() &&
            Image.Pixels.size() != static_cast<size_t>(Image.Width) * Image.Height)
            __builtin_trap();
    }
    return 0;
}
