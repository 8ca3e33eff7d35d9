// The registry kept in text files and the INI files: where the files are, how values are
// written and read back, and what happens with damaged or hostile files.
#include "UiLibTestSupport.h"

#include "platform/Exceptions.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string ProgramKey = "Software\\Marrowfield\\Quillmark";

class SettingsFiles : public ConfigHomeTest {};

} // namespace

TEST_F(SettingsFiles, ConfigFolderFollowsXdgThenHome) {
    EXPECT_EQ(UserConfigFolder(), Dir.Path());
    const char* OldHome = std::getenv("HOME");
    const std::string SavedHome = OldHome ? OldHome : "";
    ::setenv("HOME", (Dir / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1); // not absolute: ignored
    EXPECT_EQ(UserConfigFolder(), Dir / "home/.config/");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserConfigFolder(), Dir / "home/.config/");
    ::setenv("HOME", SavedHome.c_str(), 1);
}

TEST_F(SettingsFiles, KeysMapToFilesAndGroups) {
    std::string Group;
    EXPECT_EQ(TRegIniFile::KeyFileName(ProgramKey, TRegistryRoot::CurrentUser, &Group),
              ProgramConfigFile());
    EXPECT_EQ(Group, "");
    EXPECT_EQ(
        TRegIniFile::KeyFileName(ProgramKey + "\\Views\\List", TRegistryRoot::CurrentUser, &Group),
        ProgramConfigFile());
    EXPECT_EQ(Group, "Views/List");
    EXPECT_EQ(TRegIniFile::KeyFileName("Software\\uilib_tests", TRegistryRoot::CurrentUser),
              Dir / "uilib_tests.conf");
    EXPECT_EQ(TRegIniFile::KeyFileName(ProgramKey, TRegistryRoot::LocalMachine),
              Dir / "Marrowfield/Quillmark.LocalMachine.conf");
    // A key part never climbs out of the configuration folder.
    EXPECT_EQ(TRegIniFile::KeyFileName("Software\\..\\..", TRegistryRoot::CurrentUser),
              Dir / "_/_.conf");
}

TEST_F(SettingsFiles, RegistryValuesAreTextAUserCanRead) {
    {
        TRegIniFile Reg(ProgramKey);
        Reg.WriteInteger("General", "SaveSetting", -1);
        Reg.WriteInteger("General", "gRecentListCount", 10);
        Reg.WriteBool("General", "Visible", true);
        Reg.WriteString("General", "FileDescriptionFiles", "descript.ion,files.bbs");
        Reg.WriteString("General", "Broken", "12abc");
        Reg.UpdateFile();
    }
    const std::string Text = ReadFile(ProgramConfigFile());
    EXPECT_NE(Text.find("SaveSetting=-1\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("gRecentListCount=10\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Visible=1\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("descript.ion,files.bbs"), std::string::npos) << Text;

    TRegIniFile Reg(ProgramKey, TRegistryRoot::CurrentUser, true);
    EXPECT_EQ(Reg.ReadInteger("General", "SaveSetting", 0), -1);
    EXPECT_EQ(Reg.ReadString("General", "SaveSetting", ""), "-1");
    EXPECT_TRUE(Reg.ReadBool("General", "Visible", false));
    EXPECT_EQ(Reg.ReadInteger("General", "Broken", 7), 7); // not a number: the default
    EXPECT_EQ(Reg.ReadInteger("General", "Missing", 42), 42);
    EXPECT_EQ(Reg.ReadString("General", "Missing", "dflt"), "dflt");
    EXPECT_EQ(Reg.ReadString("Other", "SaveSetting", "none"), "none");
    EXPECT_EQ(Reg.ReadString("General", "FileDescriptionFiles", ""), "descript.ion,files.bbs");
}

TEST_F(SettingsFiles, RegistryValuesComeBackByteForByte) {
    const std::vector<std::string> Values = {
        "",
        "\"quoted\"",
        "'single'",
        "a,b c",
        "  lead and trail  ",
        "@ByteArray(x)",
        "semi;colon=equals",
        "back\\slash",
        "Zo\xc3\xab's \xe2\x80\x9c"
        "disc\xe2\x80\x9d",
        "not utf-8 \xff\xfe\x80",
        "line\nbreak\r\nand\ttab",
        std::string("nul\0inside", 10),
    };
    {
        TRegIniFile Reg(ProgramKey);
        for (size_t I = 0; I < Values.size(); ++I)
            Reg.WriteString("General\\Values", "V" + std::to_string(I), Values[I]);
        Reg.UpdateFile();
    }
    // Read the file back as a fresh process would: through its own text only.
    const std::string Copy = Dir / "Copy/Quillmark.conf";
    std::filesystem::create_directories(Dir / "Copy");
    std::filesystem::copy_file(ProgramConfigFile(), Copy);
    TRegIniFile Reg("Software\\Copy\\Quillmark", TRegistryRoot::CurrentUser, true);
    for (size_t I = 0; I < Values.size(); ++I)
        EXPECT_EQ(Reg.ReadString("General\\Values", "V" + std::to_string(I), "missing"), Values[I])
            << I;
}

TEST_F(SettingsFiles, ReadOnlyKeyNeverCreatesOrChangesItsFile) {
    TRegIniFile Reg(ProgramKey, TRegistryRoot::CurrentUser, true);
    EXPECT_EQ(Reg.ReadInteger("General", "FormVersion", 0), 0);
    EXPECT_THROW(Reg.WriteString("General", "X", "1"), ERegistryException);
    EXPECT_THROW(Reg.EraseSection("General"), ERegistryException);
    Reg.UpdateFile();
    EXPECT_FALSE(std::filesystem::exists(ProgramConfigFile()));
}

TEST_F(SettingsFiles, EraseSectionAndDeleteKey) {
    TRegIniFile Reg(ProgramKey);
    Reg.WriteString("General", "Keep", "1");
    Reg.WriteString("General\\TfmX.MRUManager1", "Item_0", "a");
    Reg.WriteString("General\\TfmX.MRUManager1", "User_0", "5");
    Reg.WriteString("General\\TfmX.MRUManager1\\Deeper", "Item_0", "b");
    Reg.DeleteKey("General\\TfmX.MRUManager1", "User_0");
    EXPECT_FALSE(Reg.ValueExists("General\\TfmX.MRUManager1", "User_0"));
    EXPECT_TRUE(Reg.ValueExists("General\\TfmX.MRUManager1", "Item_0"));
    Reg.EraseSection("General\\TfmX.MRUManager1");
    EXPECT_FALSE(Reg.ValueExists("General\\TfmX.MRUManager1", "Item_0"));
    EXPECT_FALSE(Reg.ValueExists("General\\TfmX.MRUManager1\\Deeper", "Item_0"));
    EXPECT_EQ(Reg.ReadString("General", "Keep", ""), "1");
}

TEST_F(SettingsFiles, DamagedOrHostileFilesAreRefusedNotLoaded) {
    std::filesystem::create_directories(Dir / "Marrowfield");
    // A settings file far beyond any real one is refused without reading it.
    {
        WriteFile(ProgramConfigFile(), "[General]\nA=1\n");
        ASSERT_EQ(::truncate(ProgramConfigFile().c_str(), 1LL << 32), 0);
        EXPECT_THROW(TRegIniFile Reg(ProgramKey), EFOpenError);
        EXPECT_EQ(std::filesystem::file_size(ProgramConfigFile()), 1ULL << 32);
        std::filesystem::remove(ProgramConfigFile());
    }
    // A folder or a FIFO where the file should be: refused, never blocking.
    {
        std::filesystem::create_directories(ProgramConfigFile());
        EXPECT_THROW(TRegIniFile Reg(ProgramKey), EFOpenError);
        std::filesystem::remove(ProgramConfigFile());
        ASSERT_EQ(::mkfifo(ProgramConfigFile().c_str(), 0600), 0);
        EXPECT_THROW(TRegIniFile Reg(ProgramKey), EFOpenError);
        EXPECT_THROW(TIniFile Ini(ProgramConfigFile()), EFOpenError);
        std::filesystem::remove(ProgramConfigFile());
    }
    // Garbage is read as far as it makes sense, never crashes, and can be written over.
    {
        WriteFile(ProgramConfigFile(), std::string("\xff\x00[[[\n=\n[General\nA=\"1\n\x01", 20));
        TRegIniFile Reg(ProgramKey);
        (void)Reg.ReadString("General", "A", "");
        Reg.WriteString("General", "B", "2");
        Reg.UpdateFile();
        EXPECT_NE(ReadFile(ProgramConfigFile()).find("B=2"), std::string::npos);
    }
}

TEST_F(SettingsFiles, RelativeIniNamesLiveInTheConfigFolder) {
    const std::string Cwd = std::filesystem::current_path();
    std::filesystem::create_directories(Dir / "catalogs");
    std::filesystem::current_path(Dir / "catalogs");
    {
        TIniFile Ini("quillmark.INI");
        EXPECT_EQ(Ini.FileName(), Dir / "quillmark.INI");
        Ini.WriteString("General", "A", "1");
        Ini.UpdateFile();
    }
    std::filesystem::current_path(Cwd);
    EXPECT_TRUE(std::filesystem::exists(Dir / "quillmark.INI"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "catalogs/quillmark.INI"));
    EXPECT_EQ(TIniFile(Dir / "quillmark.INI").ReadString("General", "A", ""), "1");
}

TEST_F(SettingsFiles, IniReadingFollowsTheProfileRules) {
    TIniFile Ini(Dir / "rules.ini");
    Ini.SetText("; comment\n"
                "stray=before any section\n"
                "[General]\n"
                "  Name  =  spaced value  \n"
                "Double=\"'abc'\"\n"
                "Single='x'\n"
                "Open=abc\"\n"
                "Lone=\"\n"
                "Three=\"\"\"\n"
                "Mixed=\"abc'\n"
                "no equals sign\n"
                "\n"
                "[general]\n"
                "Name=second section of the same name\n");
    EXPECT_EQ(Ini.ReadString("GENERAL", "name", ""), "spaced value");
    EXPECT_EQ(Ini.ReadString("General", "Double", ""), "'abc'");
    EXPECT_EQ(Ini.ReadString("General", "Single", ""), "x");
    EXPECT_EQ(Ini.ReadString("General", "Open", ""), "abc\"");
    EXPECT_EQ(Ini.ReadString("General", "Lone", ""), "\"");
    EXPECT_EQ(Ini.ReadString("General", "Three", ""), "\"");
    EXPECT_EQ(Ini.ReadString("General", "Mixed", ""), "\"abc'");
    EXPECT_EQ(Ini.ReadString("", "stray", "none"), "none");
    EXPECT_EQ(Ini.ReadInteger("General", "Name", -3), -3);
}

TEST_F(SettingsFiles, IniWritingKeepsTheRestOfTheFile) {
    TIniFile Ini(Dir / "keep.ini");
    Ini.SetText("; settings\n[A]\nx=1\n\n[B]\ny=2\n");
    Ini.WriteString("A", "z", "3");
    Ini.WriteString("a", "X", "10");
    Ini.WriteString("C", "w", "evil\n[A]\nx=666");
    Ini.DeleteKey("B", "y");
    EXPECT_EQ(Ini.Text(), "; settings\n[A]\nX=10\nz=3\n\n[B]\n[C]\nw=evil [A] x=666\n");
    EXPECT_EQ(Ini.ReadString("A", "x", ""), "10");
    Ini.EraseSection("b");
    EXPECT_EQ(Ini.Text(), "; settings\n[A]\nX=10\nz=3\n\n[C]\nw=evil [A] x=666\n");
}

TEST_F(SettingsFiles, FailedWritesAreReported) {
    WriteFile(Dir / "Marrowfield", "a file where the folder should be");
    TIniFile Ini(Dir / "Marrowfield/old.ini");
    Ini.WriteString("A", "x", "2");
    EXPECT_THROW(Ini.UpdateFile(), EStreamError);
    EXPECT_THROW(
        {
            TRegIniFile Reg(ProgramKey);
            Reg.WriteString("General", "SaveSetting", "0");
            Reg.UpdateFile();
        },
        Exception);
}

TEST_F(SettingsFiles, FailedIniWriteKeepsTheOldFile) {
    if (RunTestUnprivileged({&Dir})) return; // root could write into the locked folder
    std::filesystem::create_directories(Dir / "locked");
    WriteFile(Dir / "locked/old.ini", "[A]\nx=1\n");
    TIniFile Ini(Dir / "locked/old.ini");
    Ini.WriteString("A", "x", "2");
    ::chmod((Dir / "locked").c_str(), 0500);
    ASSERT_NE(::access((Dir / "locked").c_str(), W_OK), 0);
    EXPECT_THROW(Ini.UpdateFile(), EStreamError);
    ::chmod((Dir / "locked").c_str(), 0755);
    EXPECT_EQ(ReadFile(Dir / "locked/old.ini"), "[A]\nx=1\n");
}
