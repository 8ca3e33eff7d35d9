#include "Masks.h"

#include "Format.h"

#include <unicode/uchar.h>

namespace {

// Bytes that are not valid UTF-8 become characters above the Unicode range, one per byte, so
// they match only themselves (and "?", "*").
constexpr char32_t InvalidByteBase = 0x110000;

// Decodes the character at S[I] and advances I past it.
char32_t NextChar(std::string_view S, size_t& I) {
    unsigned char B = static_cast<unsigned char>(S[I]);
    if (B < 0x80) {
        ++I;
        return B;
    }
    size_t Len = B >= 0xF0 ? 4 : B >= 0xE0 ? 3 : B >= 0xC0 ? 2 : 0;
    if (Len == 0 || B > 0xF4 || I + Len > S.size()) {
        ++I;
        return InvalidByteBase + B;
    }
    char32_t C = B & (0x7F >> Len);
    for (size_t K = 1; K < Len; ++K) {
        unsigned char T = static_cast<unsigned char>(S[I + K]);
        if ((T & 0xC0) != 0x80) {
            ++I;
            return InvalidByteBase + B;
        }
        C = (C << 6) | (T & 0x3F);
    }
    static const char32_t Min[] = {0, 0, 0x80, 0x800, 0x10000};
    if (C < Min[Len] || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) {
        ++I;
        return InvalidByteBase + B;
    }
    I += Len;
    return C;
}

char32_t Fold(char32_t C) {
    if (C < 0x80) return C >= 'A' && C <= 'Z' ? C + 32 : C;
    if (C >= InvalidByteBase) return C;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(C), U_FOLD_CASE_DEFAULT));
}

} // namespace

TMask::TMask(std::string_view Mask) {
    size_t I = 0;
    while (I < Mask.size()) {
        char C = Mask[I];
        if (C == '*') {
            ++I;
            // Runs of stars are one star.
            if (FTokens.empty() || FTokens.back().Kind != mkStar)
                FTokens.push_back({mkStar, false, 0, 0, 0});
        } else if (C == '?') {
            ++I;
            FTokens.push_back({mkAny, false, 0, 0, 0});
        } else if (C == '[') {
            ++I;
            TToken T{mkSet, false, 0, static_cast<unsigned>(FRanges.size()), 0};
            if (I < Mask.size() && Mask[I] == '!') {
                T.Negate = true;
                ++I;
            }
            bool Closed = false;
            while (I < Mask.size()) {
                if (Mask[I] == ']') {
                    ++I;
                    Closed = true;
                    break;
                }
                char32_t Lo = Fold(NextChar(Mask, I));
                char32_t Hi = Lo;
                if (I < Mask.size() && Mask[I] == '-') {
                    ++I;
                    if (I >= Mask.size() || Mask[I] == ']') break; // a range without an end
                    Hi = Fold(NextChar(Mask, I));
                }
                FRanges.push_back({Lo, Hi});
                ++T.Count;
            }
            if (!Closed) {
                FValid = false;
                FTokens.clear();
                FRanges.clear();
                return;
            }
            FTokens.push_back(T);
        } else {
            FTokens.push_back({mkChar, false, Fold(NextChar(Mask, I)), 0, 0});
        }
    }
    for (size_t K = 0; K < FTokens.size(); ++K)
        if (FTokens[K].Kind == mkStar) {
            if (FStars++ == 0) FStarAt = K;
        }
}

void TMask::FoldName(std::string_view Name, TFoldedName& Out) {
    // Never more characters than bytes: size once, fill, then cut to what was decoded.
    Out.resize(Name.size());
    size_t N = 0;
    for (size_t I = 0; I < Name.size();) {
        unsigned char B = static_cast<unsigned char>(Name[I]);
        if (B < 0x80) {
            Out[N++] = B >= 'A' && B <= 'Z' ? B + 32 : B;
            ++I;
        } else {
            Out[N++] = Fold(NextChar(Name, I));
        }
    }
    Out.resize(N);
}

bool TMask::TokenMatches(const TToken& T, char32_t C) const {
    switch (T.Kind) {
    case mkChar: return T.C == C;
    case mkAny: return true;
    case mkSet: {
        bool In = false;
        for (unsigned K = T.First; K < T.First + T.Count && !In; ++K)
            In = C >= FRanges[K].Lo && C <= FRanges[K].Hi;
        return In != T.Negate;
    }
    case mkStar: break;
    }
    return false;
}

bool TMask::Matches(const TFoldedName& Name) const {
    if (!FValid) return false;
    const size_t NN = Name.size();
    if (FStars <= 1) {
        // Every other token takes exactly one character: the tokens before the star match the
        // start of the name, those after it the end, and the star takes what lies between.
        const size_t Before = FStars ? FStarAt : FTokens.size();
        const size_t After = FStars ? FTokens.size() - FStarAt - 1 : 0;
        if (FStars ? NN < Before + After : NN != Before) return false;
        for (size_t K = 0; K < Before; ++K)
            if (!TokenMatches(FTokens[K], Name[K])) return false;
        for (size_t K = 0; K < After; ++K)
            if (!TokenMatches(FTokens[FStarAt + 1 + K], Name[NN - After + K])) return false;
        return true;
    }
    // Greedy matching with one backtracking point: the last star seen. Every token but the star
    // takes exactly one character, so retrying from the last star is enough.
    size_t P = 0, N = 0, StarP = SIZE_MAX, StarN = 0;
    const size_t PN = FTokens.size();
    while (N < NN) {
        if (P < PN && FTokens[P].Kind == mkStar) {
            StarP = P++;
            StarN = N;
        } else if (P < PN && TokenMatches(FTokens[P], Name[N])) {
            ++P;
            ++N;
        } else if (StarP != SIZE_MAX) {
            P = StarP + 1;
            N = ++StarN;
        } else {
            return false;
        }
    }
    while (P < PN && FTokens[P].Kind == mkStar)
        ++P;
    return P == PN;
}

bool TMask::Matches(std::string_view Name) const {
    if (!FValid) return false;
    thread_local TFoldedName Buffer;
    FoldName(Name, Buffer);
    return Matches(Buffer);
}

bool IsValidMask(std::string_view Mask, std::string* Error) {
    // The same scan as the compiler, reporting where the mask breaks off.
    size_t I = 0;
    while (I < Mask.size()) {
        if (Mask[I] != '[') {
            NextChar(Mask, I);
            continue;
        }
        ++I;
        if (I < Mask.size() && Mask[I] == '!') ++I;
        bool Closed = false;
        while (I < Mask.size() && !Closed) {
            if (Mask[I] == ']') {
                ++I;
                Closed = true;
                break;
            }
            NextChar(Mask, I);
            if (I < Mask.size() && Mask[I] == '-') {
                ++I;
                if (I >= Mask.size() || Mask[I] == ']') break;
                NextChar(Mask, I);
            }
        }
        if (!Closed) {
            if (Error)
                *Error =
                    Format("'%s' is an invalid mask at (%d)", {Mask, static_cast<long long>(I)});
            return false;
        }
    }
    if (Error) Error->clear();
    return true;
}

bool MatchesMask(std::string_view Name, std::string_view Mask) {
    return TMask(Mask).Matches(Name);
}
