#include "CodePages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// One decoded single-byte code page: the UTF-8 form of every byte, Length 0 where the code page
// has no character.
struct TCharTable {
    struct Char {
        char Bytes[4];
        unsigned char Length;
    };
    std::array<Char, 256> Chars{};
};

std::string IconvName(int CodePage) {
    if (CodePage == CP_KOI8R) return "KOI8-R";
    return "CP" + std::to_string(CodePage);
}

std::unique_ptr<TCharTable> BuildTable(int CodePage) {
    iconv_t Cd = ::iconv_open("UTF-8", IconvName(CodePage).c_str());
    if (Cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    auto Table = std::make_unique<TCharTable>();
    bool Any = false;
    for (int B = 0; B < 256; ++B) {
        char In = static_cast<char>(B);
        char Out[8];
        char* InP = &In;
        size_t InLeft = 1;
        char* OutP = Out;
        size_t OutLeft = sizeof Out;
        ::iconv(Cd, nullptr, nullptr, nullptr, nullptr);
        size_t R = ::iconv(Cd, &InP, &InLeft, &OutP, &OutLeft);
        size_t N = sizeof Out - OutLeft;
        TCharTable::Char& C = Table->Chars[B];
        if (R == static_cast<size_t>(-1) || InLeft != 0 || N == 0 || N > sizeof C.Bytes) {
            C.Length = 0;
            continue;
        }
        std::copy(Out, Out + N, C.Bytes);
        C.Length = static_cast<unsigned char>(N);
        Any = true;
    }
    ::iconv_close(Cd);
    return Any ? std::move(Table) : nullptr;
}

// Tables are built on first use and kept until the program ends; a code page iconv does not know
// is remembered as such.
const TCharTable* Table(int CodePage) {
    static std::mutex Lock;
    static std::map<int, std::unique_ptr<TCharTable>> Tables;
    std::lock_guard<std::mutex> G(Lock);
    auto It = Tables.find(CodePage);
    if (It == Tables.end()) It = Tables.emplace(CodePage, BuildTable(CodePage)).first;
    return It->second.get();
}

int OemCodePageFromEnvironment() {
    for (const char* Var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* V = std::getenv(Var);
        if (V && *V) return OemCodePageForLocale(V);
    }
    return CP_DOS437;
}

std::atomic<int> GOemCodePage{0};

} // namespace

int OemCodePageForLocale(std::string_view Locale) {
    std::string_view Language = Locale.substr(0, Locale.find_first_of("_.@-"));
    std::string Lang;
    for (char C : Language)
        Lang += static_cast<char>(C >= 'A' && C <= 'Z' ? C + 32 : C);
    static constexpr std::string_view Cyrillic[] = {"ru", "uk", "be", "bg"};
    static constexpr std::string_view Western[] = {
        "de", "fr", "es", "it", "pt", "nl", "da", "sv", "no", "nb", "nn", "fi", "is",
        "ca", "gl", "eu", "ga", "gd", "cy", "lb", "fo", "br", "oc", "rm", "fy", "wa"};
    for (std::string_view L : Cyrillic)
        if (Lang == L) return CP_DOS866;
    for (std::string_view L : Western)
        if (Lang == L) return CP_DOS850;
    return CP_DOS437;
}

int OemCodePage() {
    int Cp = GOemCodePage.load(std::memory_order_acquire);
    if (Cp) return Cp;
    int Expected = 0;
    Cp = OemCodePageFromEnvironment();
    if (!GOemCodePage.compare_exchange_strong(Expected, Cp, std::memory_order_acq_rel))
        return Expected;
    return Cp;
}

void SetOemCodePage(int CodePage) {
    GOemCodePage.store(CodePage ? CodePage : OemCodePageFromEnvironment(),
                       std::memory_order_release);
}

bool CodePageToUtf8(int CodePage, std::string_view Text, std::string& Out) {
    Out.clear();
    const TCharTable* T = Table(CodePage);
    if (!T) return false;
    Out.reserve(Text.size() + Text.size() / 2);
    for (unsigned char B : Text) {
        const TCharTable::Char& C = T->Chars[B];
        if (!C.Length) {
            Out.clear();
            return false;
        }
        Out.append(C.Bytes, C.Length);
    }
    return true;
}

bool Utf8ToCodePage(int CodePage, std::string_view Text, std::string& Out) {
    Out.clear();
    const TCharTable* T = Table(CodePage);
    if (!T) return false;
    // Each character is looked up by its UTF-8 bytes; the table is small (256 entries), so a
    // sorted copy of it serves every call.
    std::vector<std::pair<std::string_view, char>> Bytes;
    Bytes.reserve(256);
    for (int B = 0; B < 256; ++B) {
        const TCharTable::Char& C = T->Chars[B];
        if (C.Length) Bytes.emplace_back(std::string_view(C.Bytes, C.Length), static_cast<char>(B));
    }
    std::sort(Bytes.begin(), Bytes.end());
    Out.reserve(Text.size());
    size_t P = 0;
    while (P < Text.size()) {
        const unsigned char Lead = static_cast<unsigned char>(Text[P]);
        const size_t N = Lead < 0x80    ? 1
                         : Lead >= 0xF0 ? 4
                         : Lead >= 0xE0 ? 3
                         : Lead >= 0xC0 ? 2
                                        : 0;
        if (N == 0 || P + N > Text.size()) {
            Out.clear();
            return false;
        }
        const std::string_view Char = Text.substr(P, N);
        auto It = std::lower_bound(Bytes.begin(), Bytes.end(), Char,
                                   [](const auto& E, std::string_view K) { return E.first < K; });
        if (It == Bytes.end() || It->first != Char) {
            Out.clear();
            return false;
        }
        Out += It->second;
        P += N;
    }
    return true;
}
