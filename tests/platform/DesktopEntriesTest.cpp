// The desktop's applications for a file: command lines split into argument vectors, the
// associations of a whole XDG tree, and a program started detached that receives a hostile file
// name as one argument.
#include "platform/DesktopEntries.h"
#include "platform/Process.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

using Args = std::vector<std::string>;

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
              "shadowed.desktop;viewer.desktop;other.desktop;\n"
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
