// The desktop's applications for a file: command lines split into argument vectors, the
// associations of a whole XDG tree, and a program started detached that receives a hostile file
// name as one argument.
#include "platform/DesktopEntries.h"
#include "platform/DesktopEntriesCache.h"
#include "platform/Process.h"
#include "platform/SysUtils.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

using Args = std::vector<std::string>;

namespace {

std::string ReadFileOrEmpty(const std::string& Path) {
    struct stat St {};
    return ::stat(Path.c_str(), &St) == 0 ? ReadFile(Path) : std::string();
}

} // namespace

TEST(DesktopEntriesTest, CommandLinesSplitByTheRulesAndTheFileStaysOneArgument) {
    Args A;
    EXPECT_TRUE(SplitExec(R"("/opt/my prog" --a "b c" "q\"x\\y\$" plain)", A));
    EXPECT_EQ(A, (Args{"/opt/my prog", "--a", "b c", R"(q"x\y$)", "plain"}));
    EXPECT_FALSE(SplitExec(R"(prog "open)", A));
    EXPECT_FALSE(SplitExec("   ", A));

    const std::string Hostile = "/d/a b; $(rm -rf x) \"q\"\n`id`";
    EXPECT_TRUE(ExecArguments("viewer %i %c --file=%f %k %%", Hostile, A));
    EXPECT_EQ(A, (Args{"viewer", "--file=" + Hostile, "%"}));
    EXPECT_TRUE(ExecArguments("viewer %U", Hostile, A));
    EXPECT_EQ(A, (Args{"viewer", Hostile}));
    // No field code: the file goes last; a relative name is never taken for an option.
    EXPECT_TRUE(ExecArguments("viewer --new", "-rf", A));
    EXPECT_EQ(A, (Args{"viewer", "--new", "./-rf"}));
    // The program never comes from the file's name.
    EXPECT_FALSE(ExecArguments("%f --x", "/bin/sh", A));
}

TEST(DesktopEntriesTest, HostileNamesNeverRunAsCodeAndKeptEntriesOpenTheFile) {
    TempDir D;
    // Code run from a name would make PWNED in the home folder.
    struct THome {
        std::string Saved = std::getenv("HOME") ? std::getenv("HOME") : "";
        explicit THome(const std::string& Home) { ::setenv("HOME", Home.c_str(), 1); }
        ~THome() { ::setenv("HOME", Saved.c_str(), 1); }
    } Home(D.Path());
    const std::vector<std::string> Names = {
        "a$(cd;touch PWNED).txt",   "b`cd;touch PWNED`.txt",      "c;cd;touch PWNED;.txt",
        "d'$(cd;touch PWNED)'.txt", "e\"$(cd;touch PWNED)\".txt", "f\ncd;touch PWNED\n.txt",
        "-g $(cd;touch PWNED)",     "h\xFF\xFE`cd;touch PWNED`"};
    // Exec lines after the key file's own escapes; OUT is where an entry copies the file.
    struct TEntry {
        const char* Exec;
        bool Kept;
    };
    const TEntry Entries[] = {
        {"cp %f OUT", true},                       // the code bare
        {"cp \"%f\" OUT", true},                   // quoted alone: the name itself
        {R"(sh -c "cp \"\$1\" OUT" sh %f)", true}, // the shell gets the name as $1
        {R"(sh -c "cp %f OUT")", false},           // pasted into a command string
        {R"(sh -c "cp '%f' OUT")", false},         // the same, single quotes or not
        {R"(/bin/bash -xc "cp \"%f\" OUT")", false},
        {"sh -c %f", false}, // the name as the command string
        {"xterm -e dash -e -c %f OUT", false},
        {R"(cp "./%f" OUT)", false}, // a quoted argument of more than the code
    };
    // Every line that splits runs through the program's own launcher: a kept one must copy the
    // file, and none may run a name.
    std::vector<std::pair<std::string, std::string>> Copies; // copy, original
    for (const TEntry& E : Entries)
        for (const std::string& Name : Names) {
            const std::string Out =
                D / ("out-" + std::to_string(Copies.size()) + "-" + std::to_string(&E - Entries));
            const std::string File = D / (Name + Out.substr(D.Path().size()));
            WriteFile(File, "content of " + File);
            std::string Exec = E.Exec;
            if (size_t At = Exec.find("OUT"); At != std::string::npos) Exec.replace(At, 3, Out);
            Args A;
            const bool Kept = ExecArguments(Exec, File, A);
            EXPECT_EQ(Kept, E.Kept) << Exec << " " << Name;
            std::string Error;
            if (Kept) {
                EXPECT_TRUE(StartDetached(A, Error)) << Error;
            }
            if (E.Kept) Copies.emplace_back(Out, File);
        }
    auto AllCopied = [&] {
        for (const auto& [Out, File] : Copies)
            if (ReadFileOrEmpty(Out) != "content of " + File) return false;
        return true;
    };
    for (int I = 0; I < 1000 && !AllCopied(); ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (const auto& [Out, File] : Copies)
        EXPECT_EQ(ReadFileOrEmpty(Out), "content of " + File);
    EXPECT_FALSE(FileExists(D / "PWNED"));
}

TEST(DesktopEntriesTest, ApplicationsFollowDefaultsAddedRemovedAndCachedAssociations) {
    TempDir D;
    auto Entry = [&](const std::string& Folder, const std::string& Id, const std::string& Body) {
        MakeDir(D / Folder);
        WriteFile(D / (Folder + "/" + Id), "[Desktop Entry]\nType=Application\n" + Body);
    };
    Entry("data/applications", "viewer.desktop", "Name=Viewer\nExec=/bin/true --view %f\n");
    Entry("sys/applications", "editor.desktop", "Name=Editor\nExec=\"/bin/true\" %U --x %i\n");
    Entry("sys/applications", "other.desktop", "Name=Other\\sApp\nExec=true\n");
    Entry("sys/applications", "gone.desktop", "Name=Gone\nExec=true\n");
    Entry("sys/applications", "hidden.desktop", "Name=Hidden\nExec=true\nHidden=true\n");
    Entry("sys/applications", "nodisplay.desktop", "Name=NoDisplay\nExec=true\nNoDisplay=true\n");
    Entry("sys/applications", "missing.desktop", "Name=Missing\nExec=/nonexistent/prog %f\n");
    Entry("sys/applications", "shell.desktop", "Name=Shell\nExec=sh -c \"cat %f\"\n");
    // A user's entry hides the system's entry of the same ID.
    Entry("data/applications", "shadowed.desktop", "Name=Shadowed\nExec=true\nHidden=true\n");
    Entry("sys/applications", "shadowed.desktop", "Name=System\nExec=true\n");
    MakeDir(D / "config");
    WriteFile(D / "config/mimeapps.list",
              "[Default Applications]\ntext/plain=editor.desktop;\n"
              "[Added Associations]\ntext/plain=nodisplay.desktop;viewer.desktop;\n"
              "[Removed Associations]\ntext/plain=gone.desktop;\n");
    WriteFile(D / "sys/applications/mimeinfo.cache",
              "[MIME Cache]\ntext/plain=gone.desktop;hidden.desktop;missing.desktop;"
              "shadowed.desktop;viewer.desktop;shell.desktop;other.desktop;\n"
              "application/octet-stream=../../escape.desktop;\n");

    TXdgFolders F;
    F.ConfigHome = D / "config";
    F.DataHome = D / "data";
    F.DataDirs = {D / "sys"};
    std::vector<std::string> Names;
    for (const TDesktopApp& App :
         ApplicationsForMimeTypes({"text/plain", "application/octet-stream"}, F))
        Names.push_back(App.Name);
    EXPECT_EQ(Names, (Args{"Editor", "Viewer", "Other App"}));
}

TEST(DesktopEntriesTest, FilesAndFoldersAreReadAgainOnlyWhenTheyChange) {
    TempDir D;
    MakeDir(D / "config");
    MakeDir(D / "data");
    MakeDir(D / "data/applications");
    auto Entry = [&](const std::string& Relative, const std::string& Name) {
        WriteFile(D / ("data/applications/" + Relative),
                  "[Desktop Entry]\nType=Application\nName=" + Name + "\nExec=true %f\n");
    };
    Entry("viewer.desktop", "Viewer");
    const std::string List = D / "config/mimeapps.list";
    WriteFile(List, "[Default Applications]\ntext/plain=viewer.desktop;\n"
                    "[Added Associations]\ntext/plain=kde4-new.desktop;\n");
    TXdgFolders F;
    F.ConfigHome = D / "config";
    F.DataHome = D / "data";
    F.DataDirs = {D / "none"};
    size_t Reads = DesktopCache().Reads();
    // The names offered, and how many files and folders were read for them.
    auto Offered = [&] {
        std::vector<std::string> Names;
        for (const TDesktopApp& App : ApplicationsForMimeTypes({"text/plain"}, F))
            Names.push_back(App.Name);
        const size_t Read = DesktopCache().Reads() - Reads;
        Reads += Read;
        return std::make_pair(Names, Read);
    };
    EXPECT_EQ(Offered().first, Args{"Viewer"});
    EXPECT_EQ(Offered(), std::make_pair(Args{"Viewer"}, size_t(0)));
    // A new entry in a new folder below: the folders are listed again, nothing else is read.
    MakeDir(D / "data/applications/kde4");
    Entry("kde4/new.desktop", "New");
    EXPECT_EQ(Offered(), std::make_pair(Args{"Viewer", "New"}, size_t(2)));
    // An entry replaced by another file of the same size, and a changed association file.
    Entry("viewer.tmp", "Vxewer");
    ASSERT_EQ(::rename((D / "data/applications/viewer.tmp").c_str(),
                       (D / "data/applications/viewer.desktop").c_str()),
              0);
    EXPECT_EQ(Offered(), std::make_pair(Args{"Vxewer", "New"}, size_t(2)));
    WriteFile(List, "[Default Applications]\ntext/plain=kde4-new.desktop;\n");
    EXPECT_EQ(Offered(), std::make_pair(Args{"New"}, size_t(1)));
}

TEST(DesktopEntriesTest, ADetachedProgramGetsAHostileNameAsOneArgument) {
    TempDir D;
    // touch makes exactly the file its one argument names.
    const std::string Name = D / "-x 'a b'; $(touch y) \"q\"\n`id` &";
    std::string Error;
    ASSERT_TRUE(StartDetached({"touch", Name}, Error)) << Error;
    struct stat St {};
    for (int I = 0; I < 1000 && ::stat(Name.c_str(), &St) != 0; ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(::stat(Name.c_str(), &St), 0);
    EXPECT_FALSE(StartDetached({"/nonexistent/program"}, Error));
    EXPECT_NE(Error.find("/nonexistent/program"), std::string::npos);
    EXPECT_FALSE(StartDetached({}, Error));
}
