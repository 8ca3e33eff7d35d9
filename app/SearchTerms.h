// The search terms of the find dialog: each of its four fields (keywords, words in comments,
// words in notes, wildcard masks) holds terms marked "+" (include) or "-" (exclude), a term in
// double quotes when it holds blanks ("+"two words""), terms separated by blanks or commas. A
// field without any sign is one include term as typed.
//
// The find action turns each field into two comma texts (include, exclude) for the search
// thread's criteria lists. Words are upper-cased in the ASCII letters only, as the search thread
// compares them with texts upper-cased the same way; UTF-8 bytes pass unchanged. Plain
// functions, any thread.
#pragma once

#include <string>
#include <string_view>

class TStringList;

// Appends the include terms of Text to IncludeList and the exclude terms to ExcludeList, as
// typed (empty terms included). A character that is neither a sign nor a separator outside a
// term is skipped, so a word without a sign contributes nothing.
void SplitSearchTerms(std::string_view Text, TStringList& IncludeList, TStringList& ExcludeList);

// The upper-cased comma texts of the include and exclude terms of Text. Raises ECatalogError
// "Include parameters not found" when Text excludes without including. A text without signs is
// one include term (without its leading and trailing blanks); a blank text gives two empty
// texts.
void ParseSearchTerms(std::string_view Text, std::string& IncludeText, std::string& ExcludeText);

// Raises ECatalogError with the class library's message ("'[a-' is an invalid mask at (3)")
// when a mask of the wildcard field Text is malformed.
void CheckSearchMasks(std::string_view Text);
