// The real program, started as a user starts it: with a catalog on its command line, on the
// offscreen platform, in a configuration folder of its own. It must show the catalog and quit
// cleanly when its window is closed, and build a catalog of a real folder from its window.
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/TreeItems.h"
#include "tests/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A catalog file made by the core alone.
void WriteCatalog(const std::string& Path, int Files = 0) {
    auto Root = std::make_unique<TCatFileItem>();
    TCatFileItem* Saved = CurrentCatalog;
    CurrentCatalog = Root.get();
    Root->Clear();
    for (const char* Name : {"Discs", "Photos"}) {
        auto* F = new TBasicFolder(Root->Children());
        F->SetNameField(PackedString(Name));
        Root->Types()->AddItem(F);
        auto* File = new TFileItem(F->Children());
        File->SetNameField(PackedString("inside.txt"));
        File->FileInfoRef().Name = PackedString("inside.txt");
        Root->Types()->AddItem(File);
    }
    // Files in folders of 50 under the first folder, every third a text file.
    TBasicItem* Folder = nullptr;
    for (int I = 0; I < Files; ++I) {
        if (I % 50 == 0) {
            Folder = new TBasicFolder(Root->Children()->At(0)->Children());
            Folder->SetNameField(PackedString("box" + std::to_string(I / 50)));
            Root->Types()->AddItem(Folder);
        }
        auto* File = new TFileItem(Folder->Children());
        const std::string Name = "file" + std::to_string(I) + (I % 3 == 0 ? ".txt" : ".dat");
        File->SetNameField(PackedString(Name));
        File->FileInfoRef().Name = PackedString(Name);
        Root->Types()->AddItem(File);
    }
    Root->SetCatFile(Path);
    Root->SaveToFile();
    Root.reset();
    CurrentCatalog = Saved;
    CatalogModified = false;
}

struct TRun {
    int ExitCode = -1;
    bool Normal = false;
    std::string Errors;
};

// Runs the program; with a Script it works through that (app/ScriptDriver.h), otherwise it
// closes its window soon after it has shown it, after a search for FindMask when one is given.
TRun RunProgram(const TempDir& Dir, const QStringList& Arguments, const std::string& Script = {},
                const QString& FindMask = {}) {
    QProcess P;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    Env.insert("XDG_CONFIG_HOME", QString::fromStdString(Dir.Path() + "config"));
    if (Script.empty())
        Env.insert("QUILLMARK_TEST_QUIT_MS", "100");
    else
        Env.insert("QUILLMARK_TEST_SCRIPT", QString::fromStdString(Script));
    if (!FindMask.isEmpty()) Env.insert("QUILLMARK_TEST_FIND", FindMask);
    P.setProcessEnvironment(Env);
    P.start(QStringLiteral(QM_QUILLMARK_EXE), Arguments);
    TRun R;
    if (!P.waitForStarted(10000) || !P.waitForFinished(120000)) {
        P.kill();
        P.waitForFinished();
        return R;
    }
    R.ExitCode = P.exitCode();
    R.Normal = P.exitStatus() == QProcess::NormalExit;
    R.Errors = P.readAllStandardError().toStdString();
    return R;
}

} // namespace

TEST(Program, StartsWithTheCatalogOnItsCommandLineAndQuitsCleanly) {
    TempDir Dir;
    const std::string Path = Dir.Path() + "smoke.qlmk";
    WriteCatalog(Path);
    TRun R = RunProgram(Dir, {QString::fromStdString(Path)});
    EXPECT_TRUE(R.Normal) << R.Errors;
    EXPECT_EQ(R.ExitCode, 0) << R.Errors;
    EXPECT_NE(R.Errors.find("caption=\"" + Path + " - Quillmark\""), std::string::npos) << R.Errors;
    // The root and its two folders in the tree, the two folders in the list.
    EXPECT_NE(R.Errors.find("tree-nodes=3 list-rows=2"), std::string::npos) << R.Errors;
    // The window placement went to the program's own settings file.
    EXPECT_FALSE(ReadFile(Dir.Path() + "config/Marrowfield/Quillmark.conf").empty());
    // Its hints are its own.
    EXPECT_NE(R.Errors.find("hints=shaped"), std::string::npos) << R.Errors;
}

TEST(Program, FindsThroughItsFindDialogAndShowsEveryResult) {
    TempDir Dir;
    const std::string Path = Dir.Path() + "big.qlmk";
    WriteCatalog(Path, 4000);
    // The two "inside.txt" and every third of the 4000 files.
    TRun R = RunProgram(Dir, {QString::fromStdString(Path)}, {}, QStringLiteral("*.txt"));
    EXPECT_EQ(R.ExitCode, 0) << R.Errors;
    EXPECT_NE(R.Errors.find("find-rows=1336 "), std::string::npos) << R.Errors;
}

TEST(Program, StartsUntitledWithoutArguments) {
    TempDir Dir;
    TRun R = RunProgram(Dir, {});
    EXPECT_EQ(R.ExitCode, 0) << R.Errors;
    EXPECT_NE(R.Errors.find("caption=\"( Untitled ) - Quillmark\""), std::string::npos) << R.Errors;
}

TEST(Program, AddsARealFolderFromItsWindowAndKeepsTheCommentGivenThere) {
    TempDir Dir;
    MakeDir(Dir.Path() + "disc");
    MakeDir(Dir.Path() + "disc/photos");
    WriteFile(Dir.Path() + "disc/photos/beach.jpg", std::string(3000, 'j'));
    WriteFile(Dir.Path() + "disc/readme.txt", "read me");
    const std::string Catalog = Dir.Path() + "shelf.qlmk";
    TRun R = RunProgram(Dir, {},
                        "folder " + Dir.Path() +
                            "disc\n"
                            "trigger aAddFileFolder\n"
                            "dialog CatPropForm\n"
                            "set e_Comment Holiday disc, 2023\n"
                            "click Button1\n"
                            "file " +
                            Catalog +
                            "\n"
                            "trigger aSave\n"
                            "close\n");
    EXPECT_EQ(R.ExitCode, 0) << R.Errors;
    EXPECT_NE(R.Errors.find("quillmark-script: close"), std::string::npos) << R.Errors;

    auto Root = std::make_unique<TCatFileItem>();
    TCatFileItem* Saved = CurrentCatalog;
    CurrentCatalog = Root.get();
    Root->Clear();
    Root->SetCatFile(Catalog);
    Root->LoadFromFile();
    ASSERT_EQ(Root->Children()->Count(), 1);
    auto* Disc = dynamic_cast<TFileCollection*>(Root->Children()->At(0));
    ASSERT_NE(Disc, nullptr);
    EXPECT_EQ(Disc->Name(), "disc");
    EXPECT_EQ(Disc->Comment(), "Holiday disc, 2023");
    EXPECT_EQ(Disc->GetRootPath(), Dir.Path() + "disc/");
    ASSERT_EQ(Disc->Children()->Count(), 2);
    int64_t Folders = 0, Files = 0;
    uint64_t Bytes = 0;
    CountItems(Disc->Children(), Folders, Files, Bytes);
    EXPECT_EQ(Folders, 1);
    EXPECT_EQ(Files, 2);
    EXPECT_EQ(Bytes, 3007u);
    Root.reset();
    CurrentCatalog = Saved;
    CatalogModified = false;
}
