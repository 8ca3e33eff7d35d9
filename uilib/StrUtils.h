// Word and hexadecimal routines on 8-bit strings. Positions are 1-based, as the callers count
// them; every routine works on bytes and accepts any byte.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

// A set of delimiter bytes ("set of Char").
class TCharSet {
public:
    TCharSet() = default;
    TCharSet(std::string_view Chars) { // NOLINT: a literal is the natural way to write a set
        for (char C : Chars)
            FBits.set(static_cast<unsigned char>(C));
    }
    TCharSet(const char* Chars) : TCharSet(std::string_view(Chars)) {}
    bool Contains(char C) const { return FBits.test(static_cast<unsigned char>(C)); }

private:
    std::bitset<256> FBits;
};

// Every occurrence of OldPattern replaced by NewPattern, left to right, case-sensitive; replaced
// text is not searched again. An empty OldPattern is never found.
std::string ReplaceAll(std::string_view S, std::string_view OldPattern,
                       std::string_view NewPattern);

// Words are maximal runs of bytes outside WordDelims.
int CountWords(std::string_view S, const TCharSet& WordDelims);
// 1-based position of the N-th word (N from 1), 0 when there is none.
int WordStart(int N, std::string_view S, const TCharSet& WordDelims);
// The N-th word, empty when there is none.
std::string GetWord(int N, std::string_view S, const TCharSet& WordDelims);

// Each byte of Source XOR-ed with the key byte at the same position (the key repeats; an empty
// key leaves the byte), written as two lower-case hexadecimal digits.
std::string XorToHex(std::string_view Key, std::string_view Source);
// The inverse: each pair of hexadecimal digits (either case) is a byte, a pair that is no
// hexadecimal number gives a blank (32) before the key is applied; a trailing odd digit is
// ignored. XorFromHex(K, XorToHex(K, S)) == S.
std::string XorFromHex(std::string_view Key, std::string_view Source);
