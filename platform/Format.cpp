#include "Format.h"

#include <cstdio>

namespace {

std::string Pad(std::string Text, int Width, bool Left) {
    if (Width > 0 && static_cast<int>(Text.size()) < Width) {
        std::string Fill(Width - Text.size(), ' ');
        Text = Left ? Text + Fill : Fill + Text;
    }
    return Text;
}

std::string Digits(unsigned long long V, unsigned Base, bool Upper) {
    const char* Set = Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char Buf[32];
    int N = 0;
    do {
        Buf[N++] = Set[V % Base];
        V /= Base;
    } while (V);
    return std::string(std::make_reverse_iterator(Buf + N), std::make_reverse_iterator(Buf));
}

} // namespace

std::string Format(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
    std::string Out;
    Out.reserve(Fmt.size() + 16);
    auto Next = Args.begin();
    for (size_t I = 0; I < Fmt.size(); ++I) {
        char C = Fmt[I];
        if (C != '%' || I + 1 >= Fmt.size()) {
            Out += C;
            continue;
        }
        ++I;
        if (Fmt[I] == '%') {
            Out += '%';
            continue;
        }
        bool Left = false;
        if (Fmt[I] == '-') {
            Left = true;
            ++I;
        }
        int Width = 0, Prec = -1;
        while (I < Fmt.size() && Fmt[I] >= '0' && Fmt[I] <= '9')
            Width = Width * 10 + (Fmt[I++] - '0');
        if (I < Fmt.size() && Fmt[I] == '.') {
            Prec = 0;
            ++I;
            while (I < Fmt.size() && Fmt[I] >= '0' && Fmt[I] <= '9')
                Prec = Prec * 10 + (Fmt[I++] - '0');
        }
        if (I >= Fmt.size()) break;
        char Conv = Fmt[I];
        if (Next == Args.end()) {
            Out += '?';
            continue;
        }
        const FormatArg& A = *Next++;
        std::string Text;
        switch (Conv) {
        case 's':
            if (A.FKind == FormatArg::Str) {
                Text.assign(A.FStr);
                if (Prec >= 0 && static_cast<int>(Text.size()) > Prec) Text.resize(Prec);
            } else if (A.FKind == FormatArg::Int) {
                Text = std::to_string(A.FInt);
            } else {
                Text = std::to_string(A.FUInt);
            }
            break;
        case 'd':
        case 'u':
            if (A.FKind == FormatArg::Int) {
                bool Neg = A.FInt < 0;
                unsigned long long Mag = Neg ? 0ULL - static_cast<unsigned long long>(A.FInt)
                                             : static_cast<unsigned long long>(A.FInt);
                Text = Digits(Mag, 10, false);
                if (Prec > 0 && static_cast<int>(Text.size()) < Prec)
                    Text.insert(0, Prec - Text.size(), '0');
                if (Neg) Text.insert(0, 1, '-');
            } else if (A.FKind == FormatArg::UInt) {
                Text = Digits(A.FUInt, 10, false);
                if (Prec > 0 && static_cast<int>(Text.size()) < Prec)
                    Text.insert(0, Prec - Text.size(), '0');
            } else {
                Text = "?";
            }
            break;
        case 'x':
        case 'X':
            if (A.FKind == FormatArg::Str) {
                Text = "?";
            } else {
                // Negative values print as their 32-bit two's complement, like the platform did.
                unsigned long long V = A.FKind == FormatArg::Int
                                           ? static_cast<unsigned long long>(A.FInt) & 0xFFFFFFFFULL
                                           : A.FUInt;
                if (A.FKind == FormatArg::Int && A.FInt < -0x80000000LL)
                    V = static_cast<unsigned long long>(A.FInt);
                Text = Digits(V, 16, Conv == 'X');
                if (Prec > 0 && static_cast<int>(Text.size()) < Prec)
                    Text.insert(0, Prec - Text.size(), '0');
            }
            break;
        default:
            Text = std::string("%") + Conv;
            --Next;
            break;
        }
        Out += Pad(std::move(Text), Width, Left);
    }
    return Out;
}
