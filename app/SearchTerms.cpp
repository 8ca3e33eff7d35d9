#include "SearchTerms.h"

#include "core/CatalogItems.h"
#include "platform/Masks.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"

namespace {

// Blanks and control characters separate terms.
bool IsBlank(char C) {
    return static_cast<unsigned char>(C) <= 32;
}

void SkipBlanks(std::string_view Text, size_t& I) {
    while (I < Text.size() && IsBlank(Text[I]))
        ++I;
}

void DeleteEmpty(TStringList& L) {
    for (int I = L.Count() - 1; I >= 0; --I)
        if (L[I].empty()) L.Delete(I);
}

// The terms of Text as the search takes them, before upper-casing.
void Terms(std::string_view Text, TStringList& Include, TStringList& Exclude) {
    SplitSearchTerms(Text, Include, Exclude);
    DeleteEmpty(Include);
    DeleteEmpty(Exclude);
    if (Include.IsEmpty() && Exclude.IsEmpty() && !Trim(Text).empty()) Include.Add(Trim(Text));
}

} // namespace

void SplitSearchTerms(std::string_view Text, TStringList& IncludeList, TStringList& ExcludeList) {
    size_t I = 0;
    SkipBlanks(Text, I);
    while (I < Text.size()) {
        const char C = Text[I];
        if (C == '+' || C == '-') {
            TStringList& List = C == '+' ? IncludeList : ExcludeList;
            ++I;
            std::string Term;
            if (I < Text.size() && Text[I] == '"') {
                // Up to the closing quote; two quotes inside stand for one.
                for (++I; I < Text.size(); ++I) {
                    if (Text[I] != '"') {
                        Term += Text[I];
                    } else if (I + 1 < Text.size() && Text[I + 1] == '"') {
                        Term += '"';
                        ++I;
                    } else {
                        ++I;
                        break;
                    }
                }
            } else {
                const size_t Start = I;
                while (I < Text.size() && !IsBlank(Text[I]) && Text[I] != ',')
                    ++I;
                Term.assign(Text.substr(Start, I - Start));
            }
            List.Add(std::move(Term));
        } else {
            // Byte by byte: no byte of a UTF-8 sequence but its first is ASCII, so a sign, a
            // quote or a comma is never found inside a character.
            ++I;
        }
        SkipBlanks(Text, I);
        if (I < Text.size() && Text[I] == ',') {
            ++I;
            SkipBlanks(Text, I);
        }
    }
}

void ParseSearchTerms(std::string_view Text, std::string& IncludeText, std::string& ExcludeText) {
    TStringList Include, Exclude;
    Terms(Text, Include, Exclude);
    if (Include.IsEmpty() && !Exclude.IsEmpty()) RaiseCatalogError("Include parameters not found");
    IncludeText = UpperCase(Include.CommaText());
    ExcludeText = UpperCase(Exclude.CommaText());
}

void CheckSearchMasks(std::string_view Text) {
    TStringList Include, Exclude;
    Terms(Text, Include, Exclude);
    for (const TStringList* L : {&Include, &Exclude})
        for (int I = 0; I < L->Count(); ++I) {
            std::string Error;
            if (!IsValidMask((*L)[I], &Error)) RaiseCatalogError(Error);
        }
}
