// File-name masks of the class library: "*" matches any run of characters, "?" any one
// character, "[a-z0-9_]" one character of a set (ranges allowed) and "[!a-z]" one character
// outside a set. Matching ignores letter case (Unicode simple case folding, so "ÄPFEL*" matches
// "äpfel.txt") and covers the whole name.
//
// Characters are UTF-8 code points; a byte that is not part of valid UTF-8 stands for itself, so
// names that are not UTF-8 can still be matched literally and by "?" and "*".
//
// A mask is invalid when a set is not closed or a range has no end ("[a-", "[a-]"); an invalid
// mask matches nothing. Callers that take masks from the user check them first with IsValidMask.
//
// A compiled TMask is read-only and may be shared between threads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TMask {
public:
    explicit TMask(std::string_view Mask);

    bool Valid() const { return FValid; }
    // "*" (or "**"...): every name matches, so none needs to be looked at.
    bool MatchesEverything() const { return FValid && FTokens.size() == 1 && FStars == 1; }
    bool Matches(std::string_view Name) const;

    // A name decoded into case-folded characters, for matching one name against several masks
    // without decoding it for each.
    using TFoldedName = std::vector<char32_t>;
    static void FoldName(std::string_view Name, TFoldedName& Out);
    bool Matches(const TFoldedName& Name) const;

private:
    enum TKind : unsigned char { mkChar, mkAny, mkStar, mkSet };
    struct TToken {
        TKind Kind;
        bool Negate;
        char32_t C;     // mkChar: the folded character
        unsigned First; // mkSet: the set's ranges in FRanges
        unsigned Count;
    };
    struct TRange {
        char32_t Lo, Hi;
    };
    bool TokenMatches(const TToken& T, char32_t C) const;

    std::vector<TToken> FTokens;
    std::vector<TRange> FRanges;
    size_t FStars = 0;  // star tokens (runs of stars are one)
    size_t FStarAt = 0; // position of the first
    bool FValid = true;
};

// True when Mask is well formed. Otherwise Error (when given) receives the class library's
// message: "'[a-' is an invalid mask at (3)".
bool IsValidMask(std::string_view Mask, std::string* Error = nullptr);
// Compiles Mask and matches Name against it.
bool MatchesMask(std::string_view Name, std::string_view Mask);
