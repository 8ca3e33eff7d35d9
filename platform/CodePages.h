// Code pages of DOS-era text and their conversion to UTF-8, which is the "ANSI" code page of the
// program on Linux.
//
// The "OEM" code page is the one a DOS program of the user's language would have written: 866 for
// Russian, Ukrainian, Belarusian and Bulgarian, 850 for the Western European languages, 437 for
// every other language (English included) and for the C and POSIX locales. The language is taken
// from LC_ALL, LC_CTYPE or LANG (the first one set), as the C library chooses the character type.
//
// Conversions go through glibc's iconv once per code page: the 256 characters of a single-byte
// code page are decoded into a table that is kept for the whole run, so converting is a table
// lookup. Every function may be called on any thread.
#pragma once

#include <string>
#include <string_view>

// Code page numbers as the original platform numbered them.
inline constexpr int CP_DOS437 = 437;
inline constexpr int CP_DOS850 = 850;
inline constexpr int CP_DOS866 = 866;
inline constexpr int CP_KOI8R = 20866;

// The OEM code page of a locale name such as "ru_RU.UTF-8", "de_DE@euro", "C".
int OemCodePageForLocale(std::string_view Locale);
// The OEM code page in use: the one pinned by SetOemCodePage, otherwise the environment's.
int OemCodePage();
// Pins the OEM code page (tests, or a user's choice); 0 goes back to the environment's, read anew.
void SetOemCodePage(int CodePage);

// Converts text in a single-byte code page to UTF-8. False, with Out emptied, when iconv does
// not know the code page or a byte has no character in it. NUL bytes are kept.
bool CodePageToUtf8(int CodePage, std::string_view Text, std::string& Out);
// The reverse: UTF-8 text written in a single-byte code page. False, with Out emptied, when iconv
// does not know the code page, the text is not valid UTF-8 or a character has no byte in it.
bool Utf8ToCodePage(int CodePage, std::string_view Text, std::string& Out);
