#include "StrUtils.h"

std::string ReplaceAll(std::string_view S, std::string_view OldPattern,
                       std::string_view NewPattern) {
    if (OldPattern.empty()) return std::string(S);
    std::string Result;
    size_t From = 0;
    for (;;) {
        size_t P = S.find(OldPattern, From);
        if (P == std::string_view::npos) break;
        Result.append(S.substr(From, P - From));
        Result.append(NewPattern);
        From = P + OldPattern.size();
    }
    Result.append(S.substr(From));
    return Result;
}

int CountWords(std::string_view S, const TCharSet& WordDelims) {
    int Count = 0;
    size_t I = 0, N = S.size();
    while (I < N) {
        while (I < N && WordDelims.Contains(S[I]))
            ++I;
        if (I < N) ++Count;
        while (I < N && !WordDelims.Contains(S[I]))
            ++I;
    }
    return Count;
}

int WordStart(int N, std::string_view S, const TCharSet& WordDelims) {
    if (N <= 0) return 0;
    int Count = 0;
    size_t I = 0, Len = S.size();
    while (I < Len) {
        while (I < Len && WordDelims.Contains(S[I]))
            ++I;
        if (I < Len && ++Count == N) return static_cast<int>(I) + 1;
        while (I < Len && !WordDelims.Contains(S[I]))
            ++I;
    }
    return 0;
}

std::string GetWord(int N, std::string_view S, const TCharSet& WordDelims) {
    int I = WordStart(N, S, WordDelims);
    if (I == 0) return {};
    size_t From = static_cast<size_t>(I) - 1, To = From;
    while (To < S.size() && !WordDelims.Contains(S[To]))
        ++To;
    return std::string(S.substr(From, To - From));
}

namespace {

int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

} // namespace

std::string XorToHex(std::string_view Key, std::string_view Source) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string Result;
    Result.reserve(Source.size() * 2);
    for (size_t I = 0; I < Source.size(); ++I) {
        unsigned char C = static_cast<unsigned char>(Source[I]);
        if (!Key.empty()) C ^= static_cast<unsigned char>(Key[I % Key.size()]);
        Result += Digits[C >> 4];
        Result += Digits[C & 15];
    }
    return Result;
}

std::string XorFromHex(std::string_view Key, std::string_view Source) {
    std::string Result;
    Result.reserve(Source.size() / 2);
    for (size_t I = 0; I < Source.size() / 2; ++I) {
        int Hi = HexValue(Source[2 * I]), Lo = HexValue(Source[2 * I + 1]);
        unsigned char B = Hi < 0 || Lo < 0 ? 32 : static_cast<unsigned char>(Hi * 16 + Lo);
        if (!Key.empty()) B ^= static_cast<unsigned char>(Key[I % Key.size()]);
        Result += static_cast<char>(B);
    }
    return Result;
}
