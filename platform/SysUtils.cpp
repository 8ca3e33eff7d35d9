#include "SysUtils.h"

#include <unicode/ucasemap.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

// ---- collation -------------------------------------------------------------------------------

std::mutex GLocaleLock;
std::string GLocale; // guarded by GLocaleLock
std::atomic<unsigned> GLocaleGeneration{1};

std::string LocaleFromEnvironment() {
    for (const char* Var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* V = std::getenv(Var);
        if (V && *V) {
            std::string L(V);
            L = L.substr(0, L.find_first_of(".@"));
            if (L == "C" || L == "POSIX") return "";
            return L;
        }
    }
    return "";
}

struct CollatorDeleter {
    void operator()(UCollator* C) const { ucol_close(C); }
};

struct ThreadCollator {
    unsigned Generation = 0;
    std::unique_ptr<UCollator, CollatorDeleter> Collator;
};

// The calling thread's collator of the chosen locale. Secondary strength ignores letter case
// and not accents; tertiary strength tells letter case too.
UCollator* Collator(UColAttributeValue Strength = UCOL_SECONDARY) {
    thread_local ThreadCollator Secondary, Tertiary;
    ThreadCollator& TC = Strength == UCOL_TERTIARY ? Tertiary : Secondary;
    unsigned Gen = GLocaleGeneration.load(std::memory_order_acquire);
    if (TC.Generation != Gen || !TC.Collator) {
        std::string Loc;
        {
            std::lock_guard<std::mutex> G(GLocaleLock);
            if (GLocale.empty() && Gen == 1) GLocale = LocaleFromEnvironment();
            Loc = GLocale;
        }
        UErrorCode E = U_ZERO_ERROR;
        UCollator* C = ucol_open(Loc.c_str(), &E);
        if (U_FAILURE(E) || !C) {
            E = U_ZERO_ERROR;
            C = ucol_open("", &E);
        }
        ucol_setStrength(C, Strength);
        TC.Collator.reset(C);
        TC.Generation = Gen;
    }
    return TC.Collator.get();
}

UCaseMap* CaseMap() {
    struct Holder {
        UCaseMap* Map = nullptr;
        ~Holder() {
            if (Map) ucasemap_close(Map);
        }
    };
    thread_local Holder H;
    if (!H.Map) {
        UErrorCode E = U_ZERO_ERROR;
        H.Map = ucasemap_open("", U_FOLD_CASE_DEFAULT, &E);
    }
    return H.Map;
}

bool IsAscii(std::string_view S) {
    for (unsigned char C : S)
        if (C >= 0x80) return false;
    return true;
}

template <typename Fn>
std::string MapCase(std::string_view S, Fn Mapper) {
    if (S.empty()) return {};
    std::string Out(S.size() + 8, '\0');
    for (int Attempt = 0; Attempt < 2; ++Attempt) {
        UErrorCode E = U_ZERO_ERROR;
        int32_t N = Mapper(CaseMap(), Out.data(), static_cast<int32_t>(Out.size()), S.data(),
                           static_cast<int32_t>(S.size()), &E);
        if (E == U_BUFFER_OVERFLOW_ERROR) {
            Out.assign(static_cast<size_t>(N) + 1, '\0');
            continue;
        }
        if (U_FAILURE(E)) return std::string(S);
        Out.resize(N);
        return Out;
    }
    return std::string(S);
}

std::string FoldCase(std::string_view S) {
    if (IsAscii(S)) return LowerCase(S);
    return MapCase(S, ucasemap_utf8FoldCase);
}

} // namespace

void SetCollationLocale(const std::string& Locale) {
    {
        std::lock_guard<std::mutex> G(GLocaleLock);
        GLocale = Locale.empty() ? LocaleFromEnvironment() : Locale;
    }
    GLocaleGeneration.fetch_add(1, std::memory_order_acq_rel);
}

std::string CollationLocale() {
    Collator();
    std::lock_guard<std::mutex> G(GLocaleLock);
    return GLocale;
}

int CompareStr(std::string_view A, std::string_view B) {
    int C = A.compare(B);
    return C < 0 ? -1 : (C > 0 ? 1 : 0);
}

int AnsiCompareText(std::string_view A, std::string_view B) {
    if (A == B) return 0;
    UErrorCode E = U_ZERO_ERROR;
    UCollationResult R = ucol_strcollUTF8(Collator(), A.data(), static_cast<int32_t>(A.size()),
                                          B.data(), static_cast<int32_t>(B.size()), &E);
    if (U_SUCCESS(E) && R != UCOL_EQUAL) return R == UCOL_LESS ? -1 : 1;
    // Equal for the collator: only names equal apart from letter case may compare equal.
    return CompareStr(FoldCase(A), FoldCase(B));
}

int AnsiCompareStr(std::string_view A, std::string_view B) {
    const int C = AnsiCompareText(A, B);
    if (C != 0) return C;
    if (A == B) return 0;
    UErrorCode E = U_ZERO_ERROR;
    UCollationResult R =
        ucol_strcollUTF8(Collator(UCOL_TERTIARY), A.data(), static_cast<int32_t>(A.size()),
                         B.data(), static_cast<int32_t>(B.size()), &E);
    if (U_SUCCESS(E) && R != UCOL_EQUAL) return R == UCOL_LESS ? -1 : 1;
    return CompareStr(A, B);
}

bool AnsiSameText(std::string_view A, std::string_view B) {
    if (A == B) return true;
    if (IsAscii(A) && IsAscii(B)) {
        if (A.size() != B.size()) return false;
        for (size_t I = 0; I < A.size(); ++I) {
            unsigned char X = A[I], Y = B[I];
            if (X >= 'A' && X <= 'Z') X += 32;
            if (Y >= 'A' && Y <= 'Z') Y += 32;
            if (X != Y) return false;
        }
        return true;
    }
    return AnsiCompareText(A, B) == 0;
}

std::string AnsiUpperCase(std::string_view S) {
    if (IsAscii(S)) return UpperCase(S);
    return MapCase(S, ucasemap_utf8ToUpper);
}

std::string AnsiLowerCase(std::string_view S) {
    if (IsAscii(S)) return LowerCase(S);
    return MapCase(S, ucasemap_utf8ToLower);
}

std::string UpperCase(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
    return R;
}

std::string LowerCase(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C + 32);
    return R;
}

// ---- trimming and numbers ----------------------------------------------------------------------

static bool IsBlank(char C) {
    return static_cast<unsigned char>(C) <= ' ';
}

std::string Trim(std::string_view S) {
    size_t B = 0, E = S.size();
    while (B < E && IsBlank(S[B]))
        ++B;
    while (E > B && IsBlank(S[E - 1]))
        --E;
    return std::string(S.substr(B, E - B));
}

std::string TrimLeft(std::string_view S) {
    size_t B = 0;
    while (B < S.size() && IsBlank(S[B]))
        ++B;
    return std::string(S.substr(B));
}

std::string TrimRight(std::string_view S) {
    size_t E = S.size();
    while (E > 0 && IsBlank(S[E - 1]))
        --E;
    return std::string(S.substr(0, E));
}

std::string IntToStr(long long V) {
    return std::to_string(V);
}

std::string IntToHex(unsigned long long V, int Digits) {
    static const char* Hex = "0123456789ABCDEF";
    std::string R;
    do {
        R.insert(R.begin(), Hex[V & 15]);
        V >>= 4;
    } while (V);
    if (static_cast<int>(R.size()) < Digits) R.insert(0, Digits - R.size(), '0');
    return R;
}

bool TryStrToInt64(std::string_view S, long long& Value) {
    size_t I = 0;
    while (I < S.size() && S[I] == ' ')
        ++I;
    bool Neg = false;
    if (I < S.size() && (S[I] == '-' || S[I] == '+')) Neg = S[I++] == '-';
    bool HexDigits = false;
    if (I < S.size() && S[I] == '$') {
        HexDigits = true;
        ++I;
    } else if (I + 1 < S.size() && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
        HexDigits = true;
        I += 2;
    }
    if (I >= S.size()) return false;
    unsigned long long Acc = 0;
    size_t Start = I;
    for (; I < S.size(); ++I) {
        char C = S[I];
        int D;
        if (C >= '0' && C <= '9')
            D = C - '0';
        else if (HexDigits && C >= 'a' && C <= 'f')
            D = C - 'a' + 10;
        else if (HexDigits && C >= 'A' && C <= 'F')
            D = C - 'A' + 10;
        else
            break;
        unsigned long long Next = Acc * (HexDigits ? 16 : 10) + D;
        if (Next / (HexDigits ? 16 : 10) != Acc || Next > 0x8000000000000000ULL) return false;
        Acc = Next;
    }
    if (I == Start) return false;
    while (I < S.size() && S[I] == ' ')
        ++I;
    if (I != S.size()) return false;
    if (!Neg && Acc > 0x7FFFFFFFFFFFFFFFULL) return false;
    Value = Neg ? static_cast<long long>(0ULL - Acc) : static_cast<long long>(Acc);
    return true;
}

bool TryStrToInt(std::string_view S, int& Value) {
    long long V;
    if (!TryStrToInt64(S, V) || V < -2147483648LL || V > 2147483647LL) return false;
    Value = static_cast<int>(V);
    return true;
}

int StrToIntDef(std::string_view S, int Default) {
    int V;
    return TryStrToInt(S, V) ? V : Default;
}

std::string AnsiQuotedStr(std::string_view S, char Quote) {
    std::string R;
    R.reserve(S.size() + 2);
    R += Quote;
    for (char C : S) {
        R += C;
        if (C == Quote) R += C;
    }
    R += Quote;
    return R;
}

// ---- dates -----------------------------------------------------------------------------------

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long Y, unsigned M, unsigned D) {
    Y -= M <= 2;
    const long long Era = (Y >= 0 ? Y : Y - 399) / 400;
    const unsigned Yoe = static_cast<unsigned>(Y - Era * 400);
    const unsigned Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
    const unsigned Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
    return Era * 146097 + static_cast<long long>(Doe) - 719468;
}

void CivilFromDays(long long Z, int& Y, int& M, int& D) {
    Z += 719468;
    const long long Era = (Z >= 0 ? Z : Z - 146096) / 146097;
    const unsigned Doe = static_cast<unsigned>(Z - Era * 146097);
    const unsigned Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
    const long long Yr = static_cast<long long>(Yoe) + Era * 400;
    const unsigned Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
    const unsigned Mp = (5 * Doy + 2) / 153;
    D = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
    M = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
    Y = static_cast<int>(Yr + (M <= 2));
}

constexpr long long DaysFrom1899To1970 = 25569;

} // namespace

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second, int MSec) {
    long long Days = DaysFromCivil(Year, Month, Day) + DaysFrom1899To1970;
    double Frac = (Hour * 3600000.0 + Minute * 60000.0 + Second * 1000.0 + MSec) / 86400000.0;
    // Before the epoch of the day count the fraction still counts forward in time, so the value
    // is the negative day minus the fraction (the platform's convention).
    return Days >= 0 ? static_cast<double>(Days) + Frac : static_cast<double>(Days) - Frac;
}

void DecodeDateTime(TDateTime D, int& Year, int& Month, int& Day, int& Hour, int& Minute,
                    int& Second, int& MSec) {
    double Whole = std::trunc(D);
    double Frac = std::fabs(D - Whole);
    long long Ms = std::llround(Frac * 86400000.0);
    long long Days = static_cast<long long>(Whole);
    if (Ms >= 86400000) {
        Ms -= 86400000;
        Days += D >= 0 ? 1 : -1;
    }
    CivilFromDays(Days - DaysFrom1899To1970, Year, Month, Day);
    Hour = static_cast<int>(Ms / 3600000);
    Minute = static_cast<int>(Ms / 60000 % 60);
    Second = static_cast<int>(Ms / 1000 % 60);
    MSec = static_cast<int>(Ms % 1000);
}

TDateTime UnixToDateTime(long long Seconds, long Nanoseconds) {
    time_t T = static_cast<time_t>(Seconds);
    struct tm Tm;
    if (!localtime_r(&T, &Tm)) return 0;
    return EncodeDateTime(Tm.tm_year + 1900, Tm.tm_mon + 1, Tm.tm_mday, Tm.tm_hour, Tm.tm_min,
                          Tm.tm_sec, static_cast<int>(Nanoseconds / 1000000));
}

long long DateTimeToUnix(TDateTime D) {
    int Y, M, Dd, H, Mi, S, Ms;
    DecodeDateTime(D, Y, M, Dd, H, Mi, S, Ms);
    struct tm Tm {};
    Tm.tm_year = Y - 1900;
    Tm.tm_mon = M - 1;
    Tm.tm_mday = Dd;
    Tm.tm_hour = H;
    Tm.tm_min = Mi;
    Tm.tm_sec = S;
    Tm.tm_isdst = -1;
    return static_cast<long long>(mktime(&Tm));
}

TDateTime Now() {
    struct timespec Ts;
    clock_gettime(CLOCK_REALTIME, &Ts);
    return UnixToDateTime(Ts.tv_sec, Ts.tv_nsec);
}

std::string DateTimeToStr(TDateTime D) {
    int Y, M, Dd, H, Mi, S, Ms;
    DecodeDateTime(D, Y, M, Dd, H, Mi, S, Ms);
    char Buf[64];
    std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d %02d:%02d:%02d", Y, M, Dd, H, Mi, S);
    return Buf;
}

// ---- file names --------------------------------------------------------------------------------

std::string ExtractFilePath(std::string_view FileName) {
    size_t P = FileName.rfind('/');
    return P == std::string_view::npos ? std::string() : std::string(FileName.substr(0, P + 1));
}

std::string ExtractFileName(std::string_view FileName) {
    size_t P = FileName.rfind('/');
    return std::string(P == std::string_view::npos ? FileName : FileName.substr(P + 1));
}

std::string ExtractFileExt(std::string_view FileName) {
    size_t Slash = FileName.rfind('/');
    size_t Dot = FileName.rfind('.');
    if (Dot == std::string_view::npos || (Slash != std::string_view::npos && Dot < Slash))
        return {};
    return std::string(FileName.substr(Dot));
}

std::string IncludeTrailingPathDelimiter(std::string_view Path) {
    std::string R(Path);
    if (R.empty() || R.back() != '/') R += '/';
    return R;
}

bool FileExists(const std::string& FileName) {
    struct stat St;
    return ::stat(FileName.c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

bool DirectoryExists(const std::string& Path) {
    struct stat St;
    return ::stat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}
