// Helpers shared by the tests: a temporary folder removed at the end of a test, and small file
// writers for building fixtures on disk.
#pragma once

#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder, with a trailing '/'.
    const std::string& Path() const { return FPath; }
    std::string operator/(std::string_view Name) const { return FPath + std::string(Name); }

private:
    std::string FPath;
};

void WriteFile(const std::string& Path, std::string_view Bytes);
std::string ReadFile(const std::string& Path);
void MakeDir(const std::string& Path);
// The make-tree tool of the workplace (QM_MAKE_TREE overrides); tests skip when it is absent.
std::string MakeTreeTool();
// Hex text of bytes ("0F 00 02 ..."), for readable byte comparisons.
std::string HexBytes(std::string_view Bytes);
