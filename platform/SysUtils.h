// String, number, date and file-name helpers of the class library.
//
// Strings are std::string holding 8-bit bytes; on Linux the system code page is UTF-8, but a
// file name may hold any byte but '/' and NUL, so nothing here rejects invalid UTF-8.
//
// AnsiCompareText / AnsiSameText are the one case-insensitive comparison of names used by every
// sort and every lookup. It collates in the user's locale (ICU, case ignored, accents not) and
// breaks ties on the case-folded bytes, so it is a total order that sort and binary search share;
// it is 0 exactly for names that are equal apart from letter case. Safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

int AnsiCompareText(std::string_view A, std::string_view B);
bool AnsiSameText(std::string_view A, std::string_view B);
// The case-sensitive comparison in the user's locale: AnsiCompareText's order, and among names
// equal apart from letter case the locale's order of the cases (lower case first in most), then
// the bytes. A total order, 0 only for equal names.
int AnsiCompareStr(std::string_view A, std::string_view B);
// Byte comparison (-1, 0, 1); the exact order used for disk names.
int CompareStr(std::string_view A, std::string_view B);

// Chooses the collation of AnsiCompareText: an ICU/POSIX locale name such as "en_US" or "ru_RU";
// an empty name takes LC_ALL, LC_COLLATE or LANG from the environment (C and POSIX give the
// root collation). Call before worker threads start; tests pin it.
void SetCollationLocale(const std::string& Locale);
std::string CollationLocale();

// Upper and lower case of every letter (Unicode, UTF-8); bytes that are not valid UTF-8 pass.
std::string AnsiUpperCase(std::string_view S);
std::string AnsiLowerCase(std::string_view S);
// ASCII letters only; other bytes unchanged, length unchanged.
std::string UpperCase(std::string_view S);
std::string LowerCase(std::string_view S);

// Trim removes characters up to and including the blank (control characters too) at both ends.
std::string Trim(std::string_view S);
std::string TrimLeft(std::string_view S);
std::string TrimRight(std::string_view S);

std::string IntToStr(long long V);
std::string IntToHex(unsigned long long V, int Digits);
// Decimal with optional blanks and sign, or "$" followed by hexadecimal digits; anything else,
// or a value outside the 32-bit range, gives Default.
int StrToIntDef(std::string_view S, int Default);
bool TryStrToInt(std::string_view S, int& Value);
bool TryStrToInt64(std::string_view S, long long& Value);

// Quote: encloses S in Quote and doubles every Quote inside.
std::string AnsiQuotedStr(std::string_view S, char Quote);

// Local time of a Unix time (seconds and nanoseconds) as a date-time, to the millisecond.
TDateTime UnixToDateTime(long long Seconds, long Nanoseconds = 0);
// The Unix time (seconds) of a local date-time.
long long DateTimeToUnix(TDateTime D);
TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second, int MSec);
void DecodeDateTime(TDateTime D, int& Year, int& Month, int& Day, int& Hour, int& Minute,
                    int& Second, int& MSec);
TDateTime Now();
// "2024-05-17 14:03:09" in local time.
std::string DateTimeToStr(TDateTime D);

// POSIX file names: the folder part up to and including the last '/', the name after it, and
// the extension (from the last '.' of the name, dot included; empty when there is none).
std::string ExtractFilePath(std::string_view FileName);
std::string ExtractFileName(std::string_view FileName);
std::string ExtractFileExt(std::string_view FileName);
std::string IncludeTrailingPathDelimiter(std::string_view Path);
bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Path);
