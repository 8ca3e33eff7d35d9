// The catalog file commands of the main window: New, Open, Save, Save As, Revert, the recent
// list and the save question, with scripted answers, failed saves and damaged files.
#include "AppTestSupport.h"

#include "core/TreeItems.h"
#include "uilib/MRUList.h"

#include <QAction>
#include <QMenu>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> Recent(TfmCatalogMain& M) {
    std::vector<std::string> R;
    for (int I = 0; I < M.findChild<TMRUManager*>("MRUManager1")->RecentList().Count(); ++I)
        R.push_back(M.findChild<TMRUManager*>("MRUManager1")->RecentList()[I]);
    return R;
}

std::string Cwd() {
    char Buf[4096];
    return ::getcwd(Buf, sizeof Buf) ? std::string(Buf) : std::string();
}

} // namespace

class CatalogCommandsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
    }
    // A saved sample catalog, open in the window.
    std::string OpenSample(const std::string& Name = "sample.qlmk") {
        BuildSampleCatalog();
        std::string Path = SaveSample(Name);
        Main->OpenCatalog(Path);
        return Path;
    }
};

TEST_F(CatalogCommandsTest, SaveNamesAnUntitledCatalogAndOpenBringsItBack) {
    BuildSampleCatalog();
    ASSERT_TRUE(CatalogModified);
    const std::string Path = Dir->Path() + "new.qlmk";
    Dialogs->ChooseFile(Path);
    Trigger("aSave");
    ASSERT_EQ(Dialogs->Asked.size(), 1u);
    EXPECT_EQ(Dialogs->Asked[0].Kind, "save");
    EXPECT_EQ(Dialogs->Asked[0].Text, "Save catalog database");
    EXPECT_EQ(CurrentCatalog->CatFile(), Path);
    EXPECT_EQ(Main->Caption(), Path + " - Quillmark");
    EXPECT_FALSE(CatalogModified);
    EXPECT_EQ(Cwd() + "/", Dir->Path());

    Trigger("aNew");
    EXPECT_EQ(Main->Caption(), "( Untitled ) - Quillmark");
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 0);
    EXPECT_EQ(Recent(*Main), (std::vector<std::string>{Path}));
    EXPECT_TRUE(Part("Recent1")->isEnabled());

    Dialogs->ChooseFile(Path);
    Trigger("aLoad");
    EXPECT_EQ(Dialogs->Asked.back().Text, "Open catalog database");
    EXPECT_EQ(Main->Caption(), Path + " - Quillmark");
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Music"}));
    TTreeViewNode* Disc = ChildNode(ChildNode(RootNode(), "Docs"), "Disc1");
    ASSERT_NE(Disc, nullptr);
    EXPECT_EQ(NodeTexts(Disc), (std::vector<std::string>{"Photos"}));
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Docs", "Music"}));
    EXPECT_FALSE(CatalogModified);
    // Opening leaves the list as it is; saving takes the name out, closing puts it on top.
    EXPECT_EQ(Recent(*Main), (std::vector<std::string>{Path}));
    Trigger("aSave");
    EXPECT_TRUE(Recent(*Main).empty());
}

TEST_F(CatalogCommandsTest, NewNamesTheRootAsAtStartUp) {
    // A catalog whose root is "Holidays", then New and Save: the new file's root is "Desktop".
    EXPECT_EQ(RootNode()->Text(), "Desktop");
    CurrentCatalog->SetItemName("Holidays");
    const std::string Holidays = OpenSample("holidays.qlmk");
    EXPECT_EQ(RootNode()->Text(), "Holidays");
    Trigger("aNew");
    EXPECT_EQ(CurrentCatalog->Name(), "Desktop");
    EXPECT_EQ(RootNode()->Text(), "Desktop");
    EXPECT_FALSE(CatalogModified);
    const std::string Path = Dir->Path() + "new.qlmk";
    Dialogs->ChooseFile(Path);
    Trigger("aSave");
    Main->OpenCatalog(Holidays);
    Main->OpenCatalog(Path);
    EXPECT_EQ(CurrentCatalog->Name(), "Desktop");
    EXPECT_EQ(RootNode()->Text(), "Desktop");
}

TEST_F(CatalogCommandsTest, TheSaveQuestionDecidesWhetherNewGoesOn) {
    const std::string Path = OpenSample();
    AddVirtual(CurrentCatalog, "Added");
    ASSERT_TRUE(CatalogModified);

    Dialogs->Answer(mrCancel);
    Trigger("aNew");
    EXPECT_EQ(Dialogs->Messages().back(), "Save Catalog: " + Path + "?");
    EXPECT_EQ(Dialogs->Asked.back().Type, mtWarning);
    EXPECT_EQ(Dialogs->Asked.back().Buttons, mbYesNoCancel);
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 3);
    EXPECT_TRUE(CatalogModified);

    Dialogs->Answer(mrNo);
    Trigger("aNew");
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 0);
    Main->OpenCatalog(Path);
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Music"}));

    AddVirtual(CurrentCatalog, "Kept");
    Dialogs->Answer(mrYes);
    Trigger("aNew");
    Main->OpenCatalog(Path);
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Kept", "Music"}));
}

TEST_F(CatalogCommandsTest, ExitWithUnsavedChanges) {
    // Yes on an untitled catalog, then the save dialog cancelled: the window stays.
    AddVirtual(CurrentCatalog, "Unsaved");
    Dialogs->Answer(mrYes);
    Dialogs->CancelFile();
    Trigger("aExit");
    EXPECT_EQ(Dialogs->Messages().front(), "Save Catalog: (Untitled)?");
    EXPECT_TRUE(Main->isVisible());
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(Main->Caption(), "( Untitled ) - Quillmark");

    // No on a titled one: it closes, writes nothing, and its file goes to the top of the list.
    Dialogs->Answer(mrNo);
    Trigger("aNew");
    const std::string Path = OpenSample("exit.qlmk");
    struct stat Before {};
    ::stat(Path.c_str(), &Before);
    AddVirtual(CurrentCatalog, "Never saved");
    Dialogs->Answer(mrNo);
    Trigger("aExit");
    EXPECT_FALSE(Main->isVisible());
    struct stat After {};
    ::stat(Path.c_str(), &After);
    EXPECT_EQ(Before.st_size, After.st_size);
    EXPECT_EQ(Before.st_mtim.tv_nsec, After.st_mtim.tv_nsec);
    EXPECT_EQ(Recent(*Main).front(), Path);
}

TEST_F(CatalogCommandsTest, AFailedSaveAsKeepsTheNameCaptionAndRecentListSoRevertStillWorks) {
    const std::string Path = OpenSample();
    Main->AddToRecent(Dir->Path() + "other.qlmk");
    AddVirtual(CurrentCatalog, "Change");
    const auto RecentBefore = Recent(*Main);
    // A folder that cannot be written: read-only, or missing altogether (root writes anywhere).
    MakeDir(Dir->Path() + "locked");
    ::chmod((Dir->Path() + "locked").c_str(), 0555);
    const std::string Target =
        ::geteuid() == 0 ? Dir->Path() + "missing/dir/copy.qlmk" : Dir->Path() + "locked/copy.qlmk";
    Dialogs->ChooseFile(Target);
    Dialogs->Answer(mrOk); // the error
    Trigger("aSaveAs");
    ::chmod((Dir->Path() + "locked").c_str(), 0755);
    ASSERT_EQ(Dialogs->Asked.size(), 2u);
    EXPECT_EQ(Dialogs->Asked[1].Type, mtError);
    EXPECT_EQ(CurrentCatalog->CatFile(), Path);
    EXPECT_EQ(Main->Caption(), Path + " - Quillmark");
    EXPECT_EQ(Recent(*Main), RecentBefore);
    EXPECT_TRUE(CatalogModified);
    EXPECT_TRUE(Action("RevertAction")->isEnabled());

    // Revert asks only its own question and brings the saved catalog back.
    Dialogs->Answer(mrOk);
    Trigger("RevertAction");
    EXPECT_EQ(Dialogs->Messages().back(), "Revert to last saved version?");
    EXPECT_EQ(Dialogs->Asked.back().Type, mtInformation);
    EXPECT_EQ(Dialogs->Asked.back().Buttons, mbOKCancel);
    EXPECT_EQ(CurrentCatalog->CatFile(), Path);
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Music"}));
    EXPECT_FALSE(CatalogModified);
}

TEST_F(CatalogCommandsTest, AFailedSaveInsideTheSaveQuestionStopsTheCommand) {
    AddVirtual(CurrentCatalog, "Precious");
    Dialogs->Answer(mrYes);
    Dialogs->ChooseFile(Dir->Path() + "missing/x.qlmk");
    Dialogs->Answer(mrOk); // the error
    Trigger("aNew");
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 1);
    EXPECT_EQ(CurrentCatalog->CatFile(), "");
    EXPECT_TRUE(CatalogModified);
}

TEST_F(CatalogCommandsTest, AFailedOpenLeavesAnEmptyUntitledCatalogThatAsksNothing) {
    const std::string Good = OpenSample();
    // A catalog cut short, and bytes that are no catalog at all.
    std::string Bytes = ReadFile(Good);
    const std::string Cut = Dir->Path() + "cut.qlmk";
    WriteFile(Cut, Bytes.substr(0, Bytes.size() / 2));
    const std::string Junk = Dir->Path() + "junk.qlmk";
    WriteFile(Junk, std::string(100, '\x42'));
    for (const std::string& Bad : {Cut, Junk}) {
        SCOPED_TRACE(Bad);
        Dialogs->ChooseFile(Bad);
        Dialogs->Answer(mrOk); // the error
        Trigger("aLoad");
        EXPECT_EQ(Dialogs->Asked.back().Type, mtError);
        EXPECT_EQ(CurrentCatalog->CatFile(), "");
        EXPECT_EQ(Main->Caption(), " - Quillmark");
        EXPECT_EQ(CurrentCatalog->Children()->Count(), 0);
        EXPECT_EQ(RootNode()->ChildCount(), 0);
        EXPECT_EQ(lvMain()->Count(), 0);
        EXPECT_FALSE(CatalogModified);
        Main->UpdateActions();
        EXPECT_FALSE(Action("RevertAction")->isEnabled());
    }
    // Nothing to save: New asks no question.
    Trigger("aNew");
    EXPECT_EQ(Recent(*Main).front(), Good);
}

TEST_F(CatalogCommandsTest, ACancelledOpenDialogOpensNothing) {
    const std::string Path = OpenSample();
    Dialogs->CancelFile();
    Trigger("aLoad");
    EXPECT_EQ(Main->Caption(), Path + " - Quillmark");
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Music"}));
}

TEST_F(CatalogCommandsTest, RevertCancelledKeepsTheChanges) {
    OpenSample();
    AddVirtual(CurrentCatalog, "Change");
    Dialogs->Answer(mrCancel);
    Trigger("RevertAction");
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 3);
    EXPECT_TRUE(CatalogModified);
}

TEST_F(CatalogCommandsTest, ARecentEntryAsksTheSaveQuestionFirst) {
    const std::string A = OpenSample("a.qlmk");
    Trigger("aNew");
    AddVirtual(CurrentCatalog, "Unsaved");
    Dialogs->Answer(mrCancel);
    Part<TMRUManager>("MRUManager1")->OnClick(nullptr, A, A, 0);
    EXPECT_EQ(Main->Caption(), "( Untitled ) - Quillmark");
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 1);

    Dialogs->Answer(mrNo);
    Part<TMRUManager>("MRUManager1")->OnClick(nullptr, A, A, 0);
    EXPECT_EQ(Main->Caption(), A + " - Quillmark");
}

TEST_F(CatalogCommandsTest, TheOpenCatalogLeavesTheRecentListAndComesBackOnTop) {
    const std::string A = OpenSample("a.qlmk");
    Trigger("aNew");
    BuildSampleCatalog();
    const std::string B = SaveSample("b.qlmk");
    Trigger("aNew");
    EXPECT_EQ(Recent(*Main), (std::vector<std::string>{B, A}));
    // Saving under a name in the list takes it out; New puts it back at the top.
    Main->OpenCatalog(B);
    Main->SaveCatalogTo(A);
    EXPECT_EQ(Recent(*Main), (std::vector<std::string>{B}));
    Trigger("aNew");
    EXPECT_EQ(Recent(*Main), (std::vector<std::string>{A, B}));
}

TEST_F(CatalogCommandsTest, OpeningMakesTheCatalogsFolderCurrentAndKeepsItsNameAbsolute) {
    MakeDir(Dir->Path() + "sub");
    BuildSampleCatalog();
    SaveSample("sub/deep.qlmk");
    Trigger("aNew");
    ASSERT_EQ(::chdir(Dir->Path().c_str()), 0);
    Main->OpenCatalog("sub/deep.qlmk");
    EXPECT_EQ(CurrentCatalog->CatFile(), Dir->Path() + "sub/deep.qlmk");
    EXPECT_EQ(Cwd() + "/", Dir->Path() + "sub/");
    // Saving again still reaches the same file, although the current folder changed.
    AddVirtual(CurrentCatalog, "More");
    Trigger("aSave");
    EXPECT_EQ(CurrentCatalog->CatFile(), Dir->Path() + "sub/deep.qlmk");
    Trigger("aNew");
    Main->OpenCatalog(Dir->Path() + "sub/deep.qlmk");
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "More", "Music"}));
}
