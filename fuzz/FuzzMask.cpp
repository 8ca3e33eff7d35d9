// Matches arbitrary names against arbitrary masks (the two split at the first NUL byte): the
// check the find dialog makes must agree with the compiled mask, and matching must stay fast
// whatever the mask holds.
#include "platform/Masks.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    std::string_view In(reinterpret_cast<const char*>(Data), Size);
    size_t Nul = In.find('\0');
    std::string_view Mask = In.substr(0, Nul);
    std::string_view Name = Nul == std::string_view::npos ? In : In.substr(Nul + 1);
    TMask M(Mask);
    if (M.Valid() != IsValidMask(Mask)) __builtin_trap();
    bool Matched = M.Matches(Name);
    if (Matched && !M.Valid()) __builtin_trap();
    // A mask without wildcards or sets matches the name exactly when both are the same bytes.
    if (Mask.find_first_of("*?[") == std::string_view::npos && Mask == Name && !Matched)
        __builtin_trap();
    return 0;
}
