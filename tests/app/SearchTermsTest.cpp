// The find dialog's search terms: how a field splits into include and exclude terms, and the
// comma texts the search takes.
#include "app/SearchTerms.h"
#include "core/CatalogItems.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

namespace {

struct TParsed {
    std::string Include, Exclude, Error;
};

TParsed Parse(std::string_view Text) {
    TParsed P;
    try {
        ParseSearchTerms(Text, P.Include, P.Exclude);
    } catch (const ECatalogError& E) {
        P.Error = E.what();
    }
    return P;
}

} // namespace

TEST(SearchTerms, FieldsBecomeUpperCasedIncludeAndExcludeCommaTexts) {
    const struct {
        const char* Text;
        const char* Include;
        const char* Exclude;
    } Cases[] = {
        {"keyword", "KEYWORD", ""},                        // no sign: one include term
        {"  two words ", "\"TWO WORDS\"", ""},             // as typed, without the blanks
        {"+a foo -b", "A", "B"},                           // a word without a sign is ignored
        {"+\"two words\"", "\"TWO WORDS\"", ""},           // quoted, with its blank
        {"+\"say \"\"hi\"\"\"", "\"SAY \"\"HI\"\"\"", ""}, // doubled quotes inside quotes
        {"+a,+b, -c", "A,B", "C"},                         // commas separate
        {"+", "+", ""},                                    // a lone sign: nothing signed
        {"+ -", "\"+ -\"", ""},                            // empty terms are dropped
        {"", "", ""},                                      // an empty field: no terms
        {"   ", "", ""},                                   // nor a blank one
        {"+*.txt -\"file name.ext\"", "*.TXT", "\"FILE NAME.EXT\""},
        {"+\xc3\xa4pfel", "\xc3\xa4PFEL", ""}, // UTF-8 bytes pass unchanged
        {"+\"unclosed", "UNCLOSED", ""},       // to the end of the text
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text);
        const TParsed P = Parse(C.Text);
        EXPECT_EQ(P.Error, "");
        EXPECT_EQ(P.Include, C.Include);
        EXPECT_EQ(P.Exclude, C.Exclude);
    }
    // The comma texts read back as the terms (the search's lists take them so).
    TStringList L;
    L.SetCommaText(Parse("+\"two words\",+b").Include);
    ASSERT_EQ(L.Count(), 2);
    EXPECT_EQ(L[0], "TWO WORDS");
    EXPECT_EQ(L[1], "B");
}

TEST(SearchTerms, OnlyExcludesAndBadMasksAreRefused) {
    EXPECT_EQ(Parse("-old").Error, "Include parameters not found");
    EXPECT_EQ(Parse("-a, -\"b c\"").Error, "Include parameters not found");
    EXPECT_EQ(Parse("+ -old").Error, "Include parameters not found");

    EXPECT_NO_THROW(CheckSearchMasks("+*.txt -[a-c]*"));
    EXPECT_NO_THROW(CheckSearchMasks(""));
    try {
        CheckSearchMasks("+*.txt -[a-");
        ADD_FAILURE() << "no error";
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "'[a-' is an invalid mask at (3)");
    }
    EXPECT_THROW(CheckSearchMasks("[a-"), ECatalogError); // a mask without a sign
}
