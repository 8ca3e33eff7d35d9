// Format: the printf-like helper of the program's messages ("%s: Can't create BasicItem from
// %s", "%d Files Found", "%dx%dx%s bmp"). Supports %s, %d, %u, %x, %X and %%, with optional
// '-' flag, width and precision ("%.4X" pads hexadecimal to four digits). Arguments are checked:
// a missing or mismatched argument yields a visible "?" instead of undefined behaviour.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class FormatArg {
public:
    FormatArg(int V) : FKind(Int), FInt(V) {}
    FormatArg(long V) : FKind(Int), FInt(V) {}
    FormatArg(long long V) : FKind(Int), FInt(V) {}
    FormatArg(unsigned V) : FKind(UInt), FUInt(V) {}
    FormatArg(unsigned long V) : FKind(UInt), FUInt(V) {}
    FormatArg(unsigned long long V) : FKind(UInt), FUInt(V) {}
    FormatArg(const char* V) : FKind(Str), FStr(V ? V : "") {}
    FormatArg(const std::string& V) : FKind(Str), FStr(V) {}
    FormatArg(std::string_view V) : FKind(Str), FStr(V) {}

    enum Kind { Int, UInt, Str };
    Kind FKind;
    union {
        long long FInt;
        unsigned long long FUInt;
    };
    std::string_view FStr;
};

std::string Format(std::string_view Fmt, std::initializer_list<FormatArg> Args);

inline std::string Format(std::string_view Fmt) {
    return Format(Fmt, {});
}
