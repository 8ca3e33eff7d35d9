// The fixture and helpers shared by the description reader tests: options back to their
// defaults around every test, the DOS code page fixed, and a temporary folder for the files.
#pragma once

#include "core/CatalogGlobals.h"
#include "core/Descriptions.h"
#include "platform/CodePages.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace description_tests {

class Descriptions : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultOptions();
        SetOemCodePage(CP_DOS437);
    }
    void TearDown() override {
        SetDefaultOptions();
        SetOemCodePage(0);
    }
    TempDir Dir;
};

inline std::unique_ptr<TDescriptionList> Parse(std::initializer_list<std::string> Lines) {
    TStringList L;
    for (const std::string& S : Lines)
        L.Add(S);
    auto List = std::make_unique<TDescriptionList>();
    ParseDescriptionList(L, *List);
    return List;
}

inline std::string TextOf(const TDescriptionList* List, std::string_view Name) {
    if (!List) return "<no list>";
    const TDescription* D = List->Find(Name);
    return D ? D->Text : "<none>";
}

inline std::string ImageComment(const std::string& Path) {
    std::string Comment;
    ReadImageDescription(UpperCase(ExtractFileExt(Path)), Path, Comment);
    return Comment;
}

} // namespace description_tests
