// Building a catalog from the window: the three add commands with real folders and files on
// disk, and synchronising scanned folders with their disks through the window's action.
#include "AppTestSupport.h"

#include "app/dialogs/CatProp.h"
#include "app/dialogs/catRescanningDialog.h"
#include "core/FolderScan.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

#include <cstdio>

namespace {

template <class T = QWidget>
T* Child(QWidget& Dialog, const char* Name) {
    return DialogChild<T>(Dialog, Name);
}

TBasicItem* ChildNamed(TBasicItem* Folder, const std::string& Name) {
    TBasicItems* C = Folder->Children();
    for (int I = 0; C && I < C->Count(); ++I)
        if (C->At(I)->DisplayName() == Name) return C->At(I);
    return nullptr;
}

} // namespace

TEST_F(MainWindowTest, AddVirtualFolderGivesEachNewFolderAFreeNameToEditAtOnce) {
    CreateWindow();
    AddVirtual(CurrentCatalog, "Virtual Folder1");
    Main->RefreshTreeNode(RootNode());
    Main->RefreshList(false);
    CatalogModified = false;
    Trigger("aAddVirtualFolder");
    EXPECT_TRUE(lvMain()->IsEditing());
    lvMain()->EndEditing();
    Trigger("aAddVirtualFolder");
    lvMain()->EndEditing();
    EXPECT_EQ(ListCaptions(),
              (std::vector<std::string>{"Virtual Folder1", "Virtual Folder2", "Virtual Folder3"}));
    EXPECT_EQ(NodeTexts(RootNode()), ListCaptions());
    EXPECT_TRUE(CatalogModified);

    // Not inside a scanned folder, and not while a row is selected.
    TFileCollection* Disc = AddScanned(CurrentCatalog, "Disc");
    SelectRows({"Virtual Folder2"});
    Main->UpdateActions();
    EXPECT_FALSE(Action("aAddVirtualFolder")->isEnabled());
    EXPECT_FALSE(Action("aAddLocFile")->isEnabled());
    Main->SetCurrentFolder(Disc);
    lvMain()->ClearSelection();
    Main->UpdateActions();
    EXPECT_FALSE(Action("aAddVirtualFolder")->isEnabled());
    EXPECT_FALSE(Action("aAddFileFolder")->isEnabled());

    // In a folder whose nodes the tree has not made yet, the new folder gets one node.
    TBasicFolder* Inner = AddVirtual(CurrentCatalog, "Inner");
    AddVirtual(Inner, "Sub");
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(Inner);
    Trigger("aAddVirtualFolder");
    lvMain()->EndEditing();
    EXPECT_EQ(NodeTexts(ChildNode(RootNode(), "Inner")),
              (std::vector<std::string>{"Sub", "Virtual Folder1"}));
}

TEST_F(MainWindowTest, AddFileFolderScansTheChosenFolderUnderItsLastName) {
    MakeDir(Dir->Path() + "disc");
    MakeDir(Dir->Path() + "disc/music");
    WriteFile(Dir->Path() + "disc/music/song.ogg", std::string(1500, 's'));
    WriteFile(Dir->Path() + "disc/readme.txt", "hello");
    CreateWindow();

    // An empty choice asks again; Cancel ends the command.
    Dialogs->ChooseFolder("");
    Dialogs->Answer(mrOk);
    Dialogs->CancelFolder();
    Trigger("aAddFileFolder");
    EXPECT_EQ(Dialogs->Messages(),
              std::vector<std::string>{"Invalid Folder: Please Select Another Location"});
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 0);

    // A folder and one inside it, each named after the last part of its path; the properties
    // of each new folder open when its scan has ended.
    for (const std::string& Chosen : {Dir->Path() + "disc", Dir->Path() + "disc/music/"}) {
        Dialogs->ChooseFolder(Chosen);
        std::string Shown;
        Dialogs->OnProperties([&](TCatPropForm& F) { Shown = F.Item()->DisplayName(); });
        // The dialog of the folder before selected its row, which the add commands must not
        // have.
        lvMain()->ClearSelection();
        Trigger("aAddFileFolder");
        ASSERT_TRUE(PumpUntil([&] { return Dialogs->Unused() == 0 && ScanThreads.Count() == 0; }));
        EXPECT_EQ(Shown, Chosen == Dir->Path() + "disc" ? "disc" : "music");
    }
    auto* Disc = dynamic_cast<TFileCollection*>(ChildNamed(CurrentCatalog, "disc"));
    auto* Music = dynamic_cast<TFileCollection*>(ChildNamed(CurrentCatalog, "music"));
    ASSERT_TRUE(Disc && Music);
    EXPECT_EQ(Disc->GetRootPath(), Dir->Path() + "disc/");
    EXPECT_EQ(Music->GetRootPath(), Dir->Path() + "disc/music/");
    EXPECT_NE(ChildNamed(ChildNamed(Disc, "music"), "song.ogg"), nullptr);
    EXPECT_NE(ChildNamed(Disc, "readme.txt"), nullptr);
    EXPECT_EQ(Disc->Volume().FileSystem.empty(), false);
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"disc", "music"}));
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"disc", "music"}));
    EXPECT_TRUE(Main->isEnabled());
}

TEST_F(MainWindowTest, AddFileFolderNamesTheRootOfTheFileSystemSlash) {
    CreateWindow();
    Dialogs->ChooseFolder("/");
    Trigger("aAddFileFolder");
    auto* Root = dynamic_cast<TFileCollection*>(ChildNamed(CurrentCatalog, "/"));
    ASSERT_NE(Root, nullptr);
    EXPECT_EQ(Root->GetRootPath(), "/");
    // Closing the catalog abandons the scan: no properties dialog.
    Main->CloseCatalog();
    EXPECT_EQ(ScanThreads.Count(), 0);
}

TEST_F(MainWindowTest, AddFileLocatesOneFileAndLeavesNothingBehindWhenItCannotBeRead) {
    WriteFile(Dir->Path() + "note.txt", "some words");
    CreateWindow();
    TBasicFolder* Shelf = AddVirtual(CurrentCatalog, "Shelf");
    Main->SetCurrentFolder(Shelf);
    Dialogs->ChooseFile(Dir->Path() + "note.txt");
    Dialogs->OnProperties([&](TCatPropForm& F) {
        EXPECT_EQ(Child<QLineEdit>(F, "e_RelatedDir")->text().toStdString(), Dir->Path());
        EXPECT_TRUE(Child<QLineEdit>(F, "e_RelatedDir")->isEnabled());
    });
    Trigger("aAddLocFile");
    ASSERT_EQ(ListCaptions(), std::vector<std::string>{"note.txt"});
    auto* Located = dynamic_cast<TFileLocItem*>(RowOf("note.txt")->Data());
    ASSERT_NE(Located, nullptr);
    EXPECT_EQ(Located->FileInfo().Size, 10u);
    EXPECT_EQ(Located->GetFullPath(), Dir->Path() + "note.txt");

    CatalogModified = false;
    Dialogs->ChooseFile(Dir->Path() + "gone.txt");
    Dialogs->Answer(mrOk);
    Trigger("aAddLocFile");
    EXPECT_EQ(Shelf->Children()->Count(), 1);
    EXPECT_EQ(ListCaptions(), std::vector<std::string>{"note.txt"});
    EXPECT_FALSE(CatalogModified);
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_NE(Dialogs->Messages()[0].find("gone.txt"), std::string::npos);
    EXPECT_EQ(Dialogs->Asked.back().Type, mtError);
}

TEST_F(MainWindowTest, SynchronizeAsksForItsOptionsUntilToldNotTo) {
    MakeDir(Dir->Path() + "disc");
    WriteFile(Dir->Path() + "disc/old.txt", "o");
    WriteFile(Dir->Path() + "disc/stays.txt", "s");
    CreateWindow();
    Dialogs->ChooseFolder(Dir->Path() + "disc");
    Dialogs->OnProperties();
    Trigger("aAddFileFolder");
    ASSERT_TRUE(PumpUntil([&] { return Dialogs->Unused() == 0 && ScanThreads.Count() == 0; }));
    TBasicItem* Disc = ChildNamed(CurrentCatalog, "disc");
    std::remove((Dir->Path() + "disc/old.txt").c_str());
    WriteFile(Dir->Path() + "disc/new.txt", "n");
    SelectRows({"disc"});

    // Cancel starts nothing.
    Dialogs->OnRescanning(
        [](TfmRescanningDialog& D) { Child<QAbstractButton>(D, "Button2")->click(); });
    Trigger("RescanAction");
    EXPECT_EQ(ScanThreads.Count(), 0);
    EXPECT_EQ(ChildNamed(Disc, "new.txt"), nullptr);

    // Ok synchronises with the options as the dialog left them.
    Dialogs->OnRescanning([](TfmRescanningDialog& D) {
        EXPECT_TRUE(Child<QCheckBox>(D, "cbDeleteFiles")->isChecked());
        Child<QCheckBox>(D, "cbCheckVolumeInfo")->setChecked(false);
        Child<QCheckBox>(D, "cbShowRescanningDialog")->setChecked(false);
        Child<QAbstractButton>(D, "OkButton")->click();
    });
    Trigger("RescanAction");
    ASSERT_TRUE(PumpUntil([] { return ScanThreads.Count() == 0; }));
    EXPECT_FALSE(ShowRescanDialog);
    EXPECT_FALSE(roCheck);
    EXPECT_NE(ChildNamed(Disc, "new.txt"), nullptr);
    EXPECT_EQ(ChildNamed(Disc, "old.txt"), nullptr);

    // Without the question: at once, with the stored options.
    roDelete = false;
    std::remove((Dir->Path() + "disc/stays.txt").c_str());
    WriteFile(Dir->Path() + "disc/newer.txt", "n");
    SelectRows({"disc"});
    Trigger("RescanAction");
    ASSERT_TRUE(PumpUntil([] { return ScanThreads.Count() == 0; }));
    EXPECT_NE(ChildNamed(Disc, "newer.txt"), nullptr);
    EXPECT_NE(ChildNamed(Disc, "stays.txt"), nullptr);
}

TEST_F(MainWindowTest, SynchronizingTheRootWalksEveryScannedFolderAndKeepsOnesWhoseDiskIsAbsent) {
    MakeDir(Dir->Path() + "here");
    WriteFile(Dir->Path() + "here/a.txt", "a");
    CreateWindow();
    TBasicFolder* Shelf = AddVirtual(CurrentCatalog, "Shelf");
    TFileCollection* Here = AddScanned(Shelf, "Here", Dir->Path() + "here/");
    AddFile(Here, "a.txt", 1);
    TFileCollection* Away = AddScanned(Shelf, "Away", Dir->Path() + "not-inserted/");
    TFileFolder* Photos = AddFolder(Away, "Photos");
    AddFile(Photos, "beach.jpg", 2500000);
    AddFile(Away, "readme.txt", 10);
    Main->RefreshTreeNode(RootNode());
    ShowRescanDialog = false;
    roCheck = false;
    roDelete = true;
    // Gone from a disk that is there: deleted; everything on the absent disk stays.
    std::remove((Dir->Path() + "here/a.txt").c_str());

    for (TBasicItem* Start :
         {static_cast<TBasicItem*>(CurrentCatalog), static_cast<TBasicItem*>(Shelf)}) {
        SCOPED_TRACE(Start->DisplayName());
        WriteFile(Dir->Path() + "here/" + Start->DisplayName(), "x");
        Main->SetActiveControl(tvMain());
        tvMain()->SetSelected(static_cast<TTreeViewNode*>(Start->TreeNode()));
        Trigger("RescanAction");
        ASSERT_TRUE(PumpUntil([] { return ScanThreads.Count() == 0; }));
        EXPECT_NE(ChildNamed(Here, Start->DisplayName()), nullptr);
        EXPECT_EQ(ChildNamed(Here, "a.txt"), nullptr);
        EXPECT_EQ(Away->Children()->Count(), 2);
        EXPECT_NE(ChildNamed(Photos, "beach.jpg"), nullptr);
    }
}
