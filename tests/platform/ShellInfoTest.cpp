// The icon themes the desktop has installed: found where the XDG base directories say, only
// those that draw file types, the well-known complete themes first.
#include "platform/ShellInfo.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

// Sets an environment variable for as long as it lives.
class TEnv {
public:
    TEnv(const char* Name, const char* Value) : FName(Name) {
        if (const char* Old = std::getenv(Name)) FOld = Old;
        if (Value)
            ::setenv(Name, Value, 1);
        else
            ::unsetenv(Name);
    }
    ~TEnv() {
        if (FOld)
            ::setenv(FName, FOld->c_str(), 1);
        else
            ::unsetenv(FName);
    }

private:
    const char* FName;
    std::optional<std::string> FOld;
};

void Theme(const std::string& Folder, const std::string& Name, const std::string& Index) {
    std::filesystem::create_directories(Folder + "/" + Name);
    if (!Index.empty()) WriteFile(Folder + "/" + Name + "/index.theme", Index);
}

} // namespace

TEST(ShellInfo, IconThemesThatDrawFileTypesAreFoundWellKnownFirst) {
    TempDir D;
    TEnv Home("HOME", (D / "home").c_str());
    TEnv DataHome("XDG_DATA_HOME", nullptr);
    TEnv DataDirs("XDG_DATA_DIRS", (D / "a:" + D.Path() + "b").c_str());
    EXPECT_EQ(IconThemeFolders(),
              (std::vector<std::string>{D / "home/.icons", D / "home/.local/share/icons",
                                        D / "a/icons", D / "b/icons"}));

    const std::string Types = "[Icon Theme]\nDirectories=16x16/mimetypes,16x16/places\n";
    Theme(D / "a/icons", "Zeta", Types);
    Theme(D / "a/icons", "Cursors", "[Icon Theme]\nDirectories=cursors\n");
    Theme(D / "a/icons", "Empty", "");
    Theme(D / "b/icons", "Adwaita", Types);
    Theme(D / "b/icons", "hicolor", Types);
    Theme(D / "b/icons", "Zeta", Types); // the same theme in a later folder counts once
    Theme(D / "home/.icons", "Alpha", Types);
    EXPECT_EQ(FileTypeIconThemes(), (std::vector<std::string>{"Adwaita", "Alpha", "Zeta"}));

    TEnv Nowhere("XDG_DATA_DIRS", (D / "nowhere").c_str());
    TEnv NoHome("HOME", nullptr);
    EXPECT_TRUE(FileTypeIconThemes().empty());
}
