// The main window: start-up, the layout and actions it is made of, the tree and list fill with
// the hiding rules, navigation, view styles, renaming, deleting, status texts and sorting.
#include "AppTestSupport.h"

#include "core/CatalogExt.h"
#include "core/CatalogItems.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"
#include "uilib/MRUList.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

// ---- start-up ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartsAsAnEmptyUntitledCatalogUnderOneDesktopNode) {
    CreateWindow();
    EXPECT_EQ(Main->Caption(), "( Untitled ) - Quillmark");
    EXPECT_EQ(Main->Name(), "fmCatalogMain");
    ASSERT_EQ(tvMain()->TopCount(), 1);
    // The root node shows the root item's own name ("Desktop" in a catalog made here).
    EXPECT_EQ(RootNode()->Text(), CurrentCatalog->DisplayName());
    EXPECT_EQ(RootNode()->Data(), CurrentCatalog);
    EXPECT_EQ(CurrentCatalog->TreeNode(), RootNode());
    EXPECT_EQ(CurrentFolder, CurrentCatalog);
    EXPECT_EQ(tvMain()->Selected(), RootNode());
    EXPECT_FALSE(CatalogModified);
    EXPECT_EQ(lvMain()->Count(), 0);
    EXPECT_EQ(Main->StatusText(), "Contents 0 Folders, 0 Files, 0KB");
    // New keeps the one root node.
    Trigger("aNew");
    EXPECT_EQ(tvMain()->TopCount(), 1);
    EXPECT_EQ(RootNode()->Text(), CurrentCatalog->DisplayName());
}

TEST_F(MainWindowTest, IsLaidOutAndNamedAsDesigned) {
    CreateWindow();
    for (const char* Name : {"tvMain", "lvMain", "lvKey", "lvResult", "LeftPanel", "RightPanel",
                             "BottomPanel", "spLeft", "SpRight", "spBottom", "StatusBar1",
                             "FileToolbar", "ToolsToolBar", "ViewToolBar", "ViewStyleToolbar",
                             "MenuToolBar", "pmMain", "FormStorage1", "MRUManager1"})
        EXPECT_NE(Main->findChild<QObject*>(QString::fromUtf8(Name)), nullptr) << Name;
    EXPECT_EQ(Part("FileToolbar")->windowTitle(), "File");
    EXPECT_EQ(Part("ToolsToolBar")->windowTitle(), "Standart");
    EXPECT_EQ(Part("ViewToolBar")->windowTitle(), "Controls");
    EXPECT_EQ(Part("ViewStyleToolbar")->windowTitle(), "View Style");
    // Folder pane shown, keyword and result panes hidden; the Controls bar hidden.
    EXPECT_TRUE(Part("LeftPanel")->isVisible());
    EXPECT_FALSE(Part("RightPanel")->isVisible());
    EXPECT_FALSE(Part("BottomPanel")->isVisible());
    EXPECT_FALSE(Part("ViewToolBar")->isVisible());
    EXPECT_TRUE(Part("StatusBar1")->isVisible());
    EXPECT_TRUE(Action("aLeft")->isChecked());
    EXPECT_TRUE(Action("StatusBar2")->isChecked());
    EXPECT_TRUE(Action("ViewStylebar1")->isChecked());
    EXPECT_FALSE(Part("Recent1")->isEnabled());

    // The list: six columns, report style, sorted by name with the ascending mark.
    TCatalogListView* L = lvMain();
    ASSERT_EQ(L->ColumnCount(), 6);
    const char* Names[] = {"Name", "Size", "Type", "Modified", "Attributes", "Comment"};
    const int Widths[] = {175, 75, 150, 100, 75, 100};
    for (int I = 0; I < 6; ++I) {
        EXPECT_EQ(L->Column(I).Caption, Names[I]);
        EXPECT_EQ(L->Column(I).Tag, I);
        // "Modified" is as wide as a date of the user's locale needs, at least as designed.
        if (I == 3)
            EXPECT_GE(L->ColumnWidth(I), Widths[I]);
        else
            EXPECT_EQ(L->ColumnWidth(I), Widths[I]);
    }
    EXPECT_EQ(L->Column(1).Alignment, Qt::AlignRight);
    EXPECT_EQ(L->ViewStyle(), vsReport);
    EXPECT_TRUE(L->ReportPane()->header()->sectionsMovable());
    EXPECT_EQ(L->SortedColumn(), 0);
    EXPECT_TRUE(L->Ascending());
    EXPECT_EQ(L->Column(0).ImageIndex, 7);
    EXPECT_EQ(L->AscImgIndex(), 7);
    EXPECT_EQ(L->DescImgIndex(), 8);
    // The header marks are pictures 7 and 8 of the window's image list.
    EXPECT_FALSE(L->HeaderImages()->Icon(7).isNull());
    EXPECT_FALSE(L->HeaderImages()->Icon(8).isNull());
    EXPECT_FALSE(L->SmallImages()->Icon(0).isNull());
    EXPECT_FALSE(L->LargeImages()->Icon(6).isNull());
    ASSERT_EQ(lvResult()->ColumnCount(), 4);
    EXPECT_EQ(lvResult()->Column(3).Caption, "FilePath");
    EXPECT_FALSE(tvMain()->DropFiles());
    EXPECT_FALSE(L->DropFiles());
}

TEST_F(MainWindowTest, OpensTheCatalogOnTheCommandLineEvenWithoutAutoOpen) {
    CreateWindow(false);
    BuildSampleCatalog();
    const std::string Path = SaveSample("cmd.qlmk");
    Main.reset();
    AutoOpen = false;
    CommandLineParams = {Path, Dir->Path() + "not-looked-at.qlmk"};
    CreateWindow();
    EXPECT_EQ(Main->Caption(), Path + " - Quillmark");
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Music"}));
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Docs", "Music"}));
    EXPECT_TRUE(tvMain()->isExpanded(tvMain()->IndexOfNode(RootNode())));
    EXPECT_FALSE(CatalogModified);
}

TEST_F(MainWindowTest, AutoOpenOpensTheNewestRecentCatalogWhenThereIsOne) {
    CreateWindow(false);
    BuildSampleCatalog();
    const std::string Path = SaveSample("auto.qlmk");
    Main.reset();

    AutoOpen = true;
    CreateWindow(false); // an empty recent list: the untitled catalog stays
    Main->show();
    ProcessEvents();
    EXPECT_EQ(Main->Caption(), "( Untitled ) - Quillmark");
    Main.reset();

    // The recent list comes from the settings, newest first.
    StoreSetting("Recent", TStringList(Path + "," + Dir->Path() + "older.qlmk").CommaText());
    CreateWindow(false);
    Main->show();
    ProcessEvents();
    EXPECT_EQ(Main->Caption(), Path + " - Quillmark");
    EXPECT_EQ(NodeTexts(RootNode()), (std::vector<std::string>{"Docs", "Music"}));
    Main.reset();

    // The window reads the option from the settings, where the last window left it.
    StoreSetting("AutoOpen", "0");
    CreateWindow(false);
    Main->AddToRecent(Path);
    Main->show();
    ProcessEvents();
    EXPECT_EQ(Main->Caption(), "( Untitled ) - Quillmark");
}

TEST_F(MainWindowTest, ADamagedCatalogAtStartUpIsReportedAndLeavesAnEmptyCatalog) {
    const std::string Bad = Dir->Path() + "bad.qlmk";
    WriteFile(Bad, "this is not a catalog at all");
    CommandLineParams = {Bad};
    Dialogs->Answer(mrOk);
    CreateWindow();
    ASSERT_EQ(Dialogs->Asked.size(), 1u);
    EXPECT_EQ(Dialogs->Asked[0].Type, mtError);
    EXPECT_EQ(std::string(MessageCaption(Dialogs->Asked[0].Type)), "Error");
    EXPECT_EQ(CurrentCatalog->CatFile(), "");
    EXPECT_EQ(Main->Caption(), " - Quillmark");
    EXPECT_EQ(RootNode()->ChildCount(), 0);
    EXPECT_FALSE(CatalogModified);
}

// ---- tree and list -----------------------------------------------------------------------------

TEST_F(MainWindowTest, TreeAndListLeaveOutHiddenAndMissingEntries) {
    CreateWindow();
    BuildSampleCatalog();
    TBasicFolder* Docs = static_cast<TBasicFolder*>(CurrentCatalog->Children()->At(0));
    auto* Disc = static_cast<TFileCollection*>(Docs->Children()->At(0));
    AddFile(Disc, ".secret", 10, faArchive | faHidden);
    AddFile(Disc, "fifo", 0, faSysFile);
    AddFolder(Disc, ".cache", faDirectory | faHidden);
    AddFile(Disc, "vanished.txt")->SetScanFlags(sfMissing);
    AddFolder(Disc, "Gone")->SetScanFlags(sfMissing);

    ShowHidden = false;
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(Disc);
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Photos", "readme.txt", "setup.exe"}));
    TTreeViewNode* DiscNode = ChildNode(ChildNode(RootNode(), "Docs"), "Disc1");
    ASSERT_NE(DiscNode, nullptr);
    EXPECT_EQ(NodeTexts(DiscNode), (std::vector<std::string>{"Photos"}));
    EXPECT_EQ(tvMain()->Selected(), DiscNode);

    ShowHidden = true;
    Main->RefreshTreeNode(RootNode());
    Main->RefreshList(false);
    // Folders first.
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{".cache", "Photos", ".secret", "fifo",
                                                        "readme.txt", "setup.exe"}));
    DiscNode = ChildNode(ChildNode(RootNode(), "Docs"), "Disc1");
    EXPECT_EQ(NodeTexts(DiscNode), (std::vector<std::string>{".cache", "Photos"}));
    // Every shown item knows its node and row, and nothing else does.
    EXPECT_EQ(RowOf("readme.txt")->Data()->ListItem(), RowOf("readme.txt"));
    EXPECT_EQ(Disc->TreeNode(), DiscNode);
    for (int I = 0; I < Disc->Children()->Count(); ++I) {
        TBasicItem* X = Disc->Children()->At(I);
        if (X->ScanFlags() & sfMissing) {
            EXPECT_EQ(X->ListItem(), nullptr);
            EXPECT_EQ(X->TreeNode(), nullptr);
        }
    }
}

TEST_F(MainWindowTest, ListRowsShowSizeTypeDateAttributesAndComment) {
    CreateWindow();
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    AddFile(V, "empty", 0);
    AddFile(V, "almost", 1999);
    AddFile(V, "two", 2000, faArchive | faReadOnly | faHidden);
    AddFile(V, "huge.iso", 5000000000ULL);
    AddFolder(V, "dir", faDirectory);
    TFileItem* Noted = AddFile(V, "noted.txt", 10);
    Noted->SetComment("A comment");
    AddVirtual(V, "virtual");
    Main->SetCurrentFolder(V);
    auto Sub = [&](const std::string& Caption, int Column) {
        TListViewItem* R = RowOf(Caption);
        return R && R->SubItems().size() > static_cast<size_t>(Column - 1)
                   ? R->SubItems()[static_cast<size_t>(Column - 1)]
                   : std::string("<none>");
    };
    EXPECT_EQ(RowOf("empty")->SubItems().size(), 7u);
    EXPECT_EQ(Sub("empty", 1), "1KB");
    EXPECT_EQ(Sub("almost", 1), "1KB");
    EXPECT_EQ(Sub("two", 1), "2KB");
    EXPECT_EQ(Sub("huge.iso", 1), "5000000KB");
    EXPECT_EQ(Sub("dir", 1), "Folder");
    EXPECT_EQ(Sub("virtual", 1), "Folder");
    EXPECT_EQ(Sub("two", 4), "RHA");
    EXPECT_EQ(Sub("dir", 4), "F");
    EXPECT_EQ(Sub("virtual", 4), "");
    EXPECT_EQ(ToQString(Sub("almost", 3)), DateTimeText(45000.5));
    EXPECT_EQ(Sub("virtual", 3), "");
    EXPECT_EQ(Sub("noted.txt", 5), "A comment");
    EXPECT_EQ(Sub("virtual", 2), RowOf("virtual")->Data()->TypeRow()->DisplayName());
    EXPECT_EQ(AttributeLetters(1 | 2 | 4 | 32 | 2048 | 16 | 128 | 4096 | 256), "RHSACFNOT");
    EXPECT_EQ(FolderContentsText(0, 0, 0), "Contents 0 Folders, 0 Files, 0KB");
    EXPECT_EQ(FolderContentsText(1, 2, 999), "Contents 1 Folders, 2 Files, 1KB");
    EXPECT_EQ(FolderContentsText(1, 2, 3000), "Contents 1 Folders, 2 Files, 3KB");
}

TEST_F(MainWindowTest, NavigatesWithDoubleClickEnterBackspaceAndUp) {
    CreateWindow();
    BuildSampleCatalog();
    Main->RefreshTreeNode(RootNode());
    Main->RefreshList(false);
    Main->UpdateActions();
    EXPECT_FALSE(Action("aRootUp")->isEnabled()); // nothing above the root
    Trigger("aRootUp");
    EXPECT_EQ(CurrentFolder, CurrentCatalog);

    SelectRows({"Docs"});
    DoubleClickList();
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Disc1"}));
    EXPECT_EQ(tvMain()->Selected(), ChildNode(RootNode(), "Docs"));
    SelectRows({"Disc1"});
    QTest::keyClick(lvMain()->ReportPane(), Qt::Key_Return);
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Photos", "readme.txt", "setup.exe"}));
    Main->UpdateActions();
    EXPECT_TRUE(Action("aRootUp")->isEnabled());

    // Up: the folder one came from is the selected row.
    QTest::keyClick(lvMain()->ReportPane(), Qt::Key_Backspace);
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Disc1"}));
    ASSERT_EQ(lvMain()->SelCount(), 1);
    EXPECT_EQ(lvMain()->Selected()->Caption(), "Disc1");
    EXPECT_EQ(lvMain()->ItemFocused(), lvMain()->Selected());
    Action("aRootUp")->trigger();
    EXPECT_EQ(CurrentFolder, CurrentCatalog);
    EXPECT_EQ(lvMain()->Selected()->Caption(), "Docs");
    EXPECT_EQ(tvMain()->Selected(), RootNode());

    // A click in the tree changes the folder and shows its contents.
    TTreeViewNode* Music = ChildNode(RootNode(), "Music");
    tvMain()->setCurrentIndex(tvMain()->IndexOfNode(Music));
    EXPECT_EQ(CurrentFolder, Music->Data());
    EXPECT_EQ(Main->StatusText(), "Contents 0 Folders, 0 Files, 0KB");
    // Two selected rows: a double-click does nothing.
    Main->SetCurrentFolder(CurrentCatalog);
    SelectRows({"Docs", "Music"});
    DoubleClickList();
    EXPECT_EQ(CurrentFolder, CurrentCatalog);
}

TEST_F(MainWindowTest, AFolderThatIsNotOneCannotBecomeCurrent) {
    CreateWindow();
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    TFileItem* F = AddFile(V, "f");
    Main->SetCurrentFolder(V);
    try {
        Main->SetCurrentFolder(F);
        ADD_FAILURE() << "no error";
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "Invalid CurrentFolder");
    }
    EXPECT_EQ(CurrentFolder, V);
    // The status of a tree click works again afterwards.
    tvMain()->OnChange(ChildNode(RootNode(), "V"));
}

TEST_F(MainWindowTest, ViewStylesKeepTheRowsAndOnlyDetailsFillsTheirColumns) {
    CreateWindow();
    BuildSampleCatalog();
    Main->SetCurrentFolder(CurrentCatalog->Children()->At(0)->Children()->At(0));
    SelectRows({"readme.txt"});
    Action("aLargeIcon")->trigger();
    EXPECT_EQ(lvMain()->ViewStyle(), vsIcon);
    EXPECT_EQ(lvMain()->ActivePane(), static_cast<QAbstractItemView*>(lvMain()->IconPane()));
    EXPECT_EQ(lvMain()->Selected()->Caption(), "readme.txt");
    Action("aList")->trigger();
    EXPECT_EQ(lvMain()->ViewStyle(), vsList);
    Action("aSmallIcon")->trigger();
    EXPECT_EQ(lvMain()->ViewStyle(), vsSmallIcon);
    Main->RefreshList(false);
    EXPECT_EQ(lvMain()->Count(), 3);
    EXPECT_TRUE(RowOf("readme.txt")->SubItems().empty());
    Action("aDetail")->trigger();
    EXPECT_EQ(lvMain()->ViewStyle(), vsReport);
    EXPECT_EQ(RowOf("readme.txt")->SubItems()[0], "1KB");
    EXPECT_TRUE(Action("aDetail")->isChecked());
}

TEST_F(MainWindowTest, PanelAndBarTogglesShowWhatTheyAreCheckedFor) {
    CreateWindow();
    Action("aRight")->trigger();
    EXPECT_TRUE(Action("aRight")->isChecked());
    EXPECT_TRUE(Part("RightPanel")->isVisible());
    Action("aBottom")->trigger();
    EXPECT_TRUE(Part("BottomPanel")->isVisible());
    Action("aLeft")->trigger();
    EXPECT_FALSE(Action("aLeft")->isChecked());
    EXPECT_FALSE(Part("LeftPanel")->isVisible());
    // A bar's check mark says whether it shows, from the start and after every click.
    for (const auto& [Item, Bar] : {std::pair{"StatusBar2", "StatusBar1"},
                                    {"Bar3", "FileToolbar"},
                                    {"bar11", "ToolsToolBar"},
                                    {"Bar21", "ViewToolBar"},
                                    {"ViewStylebar1", "ViewStyleToolbar"}})
        for (int Click = 0; Click < 3; ++Click) {
            if (Click > 0) Action(Item)->trigger();
            EXPECT_EQ(Action(Item)->isChecked(), Part(Bar)->isVisible()) << Item << Click;
        }
}

TEST_F(MainWindowTest, AnItemKeepsOneRowPerPaneAndLosesThemAllWhenItGoes) {
    CreateWindow();
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    TFileItem* F = AddFile(V, "f.txt");
    AddFile(V, "g.txt");
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(V);
    TListViewItem* Result = lvResult()->Add();
    FillResultListItem(Result, F, false);
    // The result row is a link of its own: the list row stays the item's list row.
    EXPECT_EQ(F->ResultItem(), Result);
    EXPECT_EQ(F->ListItem(), RowOf("f.txt"));
    Main->RefreshList(false);
    EXPECT_EQ(F->ResultItem(), Result);
    EXPECT_EQ(F->ListItem(), RowOf("f.txt"));
    lvResult()->Clear();
    EXPECT_EQ(F->ResultItem(), nullptr);
    EXPECT_EQ(F->ListItem(), RowOf("f.txt"));

    FillResultListItem(lvResult()->Add(), F, false);
    FillResultListItem(lvResult()->Add(), V, false);
    delete F;
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"g.txt"}));
    ASSERT_EQ(lvResult()->Count(), 1);
    EXPECT_EQ(lvResult()->Item(0)->Data(), V);
    // A folder takes its node, its row and its result row with it.
    Main->SetCurrentFolder(CurrentCatalog);
    ASSERT_NE(V->ListItem(), nullptr);
    ASSERT_NE(V->TreeNode(), nullptr);
    delete V;
    EXPECT_TRUE(ListCaptions().empty());
    EXPECT_EQ(RootNode()->ChildCount(), 0);
    EXPECT_EQ(lvResult()->Count(), 0);
}

// ---- renaming ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, RenamingInPlaceGivesUniqueNamesAndOnlyToItemsThatMayBeRenamed) {
    CreateWindow();
    AddVirtual(CurrentCatalog, "Alpha");
    TBasicFolder* B = AddVirtual(CurrentCatalog, "Beta");
    TFileCollection* S = AddScanned(CurrentCatalog, "Scan");
    AddFile(S, "file.txt");
    Main->RefreshTreeNode(RootNode());
    Main->RefreshList(false);

    SelectRows({"Beta"});
    Main->UpdateActions();
    EXPECT_TRUE(Action("aRenameAction")->isEnabled());
    Action("aRenameAction")->trigger();
    ASSERT_TRUE(lvMain()->IsEditing());
    EXPECT_EQ(Action("aAddKeyWord")->shortcut(), QKeySequence(Qt::Key_Insert));
    auto Editors = lvMain()->ReportPane()->viewport()->findChildren<QLineEdit*>();
    ASSERT_FALSE(Editors.isEmpty());
    Editors.first()->setText(QStringLiteral("Alpha"));
    lvMain()->EndEditing();
    EXPECT_EQ(std::string(B->Name()), "Alpha(1)");
    EXPECT_EQ(RowOf("Alpha(1)")->Data(), B);
    EXPECT_EQ(ChildNode(RootNode(), "Alpha(1)"), B->TreeNode());
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(Action("DeleteAction")->shortcut(), QKeySequence(Qt::Key_Delete));

    // A file of a scanned folder keeps its name: no rename, no editor.
    Main->SetCurrentFolder(S);
    SelectRows({"file.txt"});
    Main->UpdateActions();
    EXPECT_FALSE(Action("aRenameAction")->isEnabled());
    EXPECT_FALSE(lvMain()->EditCaption(RowOf("file.txt")));

    // In the tree: a cancelled edit gives Del back to the delete command as well.
    Main->SetActiveControl(tvMain());
    TTreeViewNode* Alpha = ChildNode(RootNode(), "Alpha");
    ASSERT_TRUE(tvMain()->EditText(Alpha));
    EXPECT_EQ(Action("DeleteAction")->shortcut(), QKeySequence());
    QTest::keyClick(tvMain()->viewport()->findChildren<QLineEdit*>().first(), Qt::Key_Escape);
    EXPECT_FALSE(tvMain()->IsEditing());
    EXPECT_EQ(Action("DeleteAction")->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(Alpha->Text(), "Alpha");
}

// ---- deleting ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, DeleteAsksFirstAndRemovesItemsFromEveryPane) {
    CreateWindow();
    BuildSampleCatalog();
    TBasicItem* Disc = CurrentCatalog->Children()->At(0)->Children()->At(0);
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(Disc);
    CatalogModified = false;

    SelectRows({"readme.txt", "setup.exe"});
    Dialogs->Answer(mrCancel);
    Action("aMainDelete")->trigger();
    EXPECT_EQ(Dialogs->Messages().back(), "Delete 2 items ?");
    EXPECT_EQ(lvMain()->Count(), 3);
    EXPECT_FALSE(CatalogModified);

    Dialogs->Answer(mrOk);
    Main->UpdateActions(); // as the idle update does before the user can press Del
    Action("DeleteAction")->trigger();
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"Photos"}));
    EXPECT_EQ(Disc->Children()->Count(), 1);
    EXPECT_TRUE(CatalogModified);

    SelectRows({"Photos"});
    Dialogs->Answer(mrOk);
    Action("aMainDelete")->trigger();
    EXPECT_EQ(Dialogs->Messages().back(), "Delete Photos ?");
    EXPECT_TRUE(ListCaptions().empty());
    EXPECT_EQ(ChildNode(ChildNode(RootNode(), "Docs"), "Disc1")->ChildCount(), 0);
}

TEST_F(MainWindowTest, DeletingTheCurrentFolderFromTheTreeMovesToItsParent) {
    CreateWindow();
    BuildSampleCatalog();
    TBasicItem* Docs = CurrentCatalog->Children()->At(0);
    TBasicItem* Disc = Docs->Children()->At(0);
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(Disc);
    Main->SetActiveControl(tvMain());
    Main->UpdateActions();
    EXPECT_TRUE(Action("DeleteAction")->isEnabled());
    Dialogs->Answer(mrOk);
    Action("DeleteAction")->trigger();
    EXPECT_EQ(Dialogs->Messages().back(), "Delete Disc1 ?");
    EXPECT_EQ(CurrentFolder, Docs);
    EXPECT_TRUE(ListCaptions().empty());
    EXPECT_EQ(tvMain()->Selected(), ChildNode(RootNode(), "Docs"));
    EXPECT_EQ(ChildNode(RootNode(), "Docs")->ChildCount(), 0);

    // The root alone: nothing is asked and nothing goes; the command is off there.
    Main->SetCurrentFolder(CurrentCatalog);
    Main->SetActiveControl(tvMain());
    Main->UpdateActions();
    EXPECT_FALSE(Action("DeleteAction")->isEnabled());
    Action("aMainDelete")->trigger();
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 2);
}

// ---- status and sorting ------------------------------------------------------------------------

TEST_F(MainWindowTest, TheStatusBarCountsWhatIsBelowTheSelectedFolders) {
    CreateWindow();
    BuildSampleCatalog();
    Main->RefreshTreeNode(RootNode());
    Main->RefreshList(false);
    SelectRows({"Docs"});
    EXPECT_EQ(Main->StatusText(), "Contents 2 Folders, 3 Files, 2571KB");
    SelectRows({"Music"});
    EXPECT_EQ(Main->StatusText(), "Contents 0 Folders, 0 Files, 0KB");
    SelectRows({"Docs", "Music"});
    EXPECT_EQ(Main->StatusText(), "Contents 2 Folders, 3 Files, 2571KB");
    Main->SetCurrentFolder(CurrentCatalog->Children()->At(0)->Children()->At(0));
    SelectRows({"readme.txt", "setup.exe"});
    EXPECT_EQ(Main->StatusText(), "");
    // Only while the status bar is shown.
    Action("StatusBar2")->trigger();
    SelectRows({"Photos"});
    EXPECT_EQ(Main->StatusText(), "");
}

TEST_F(MainWindowTest, TheStatusLineSaysWhatIsSelectedAfterEveryChangeOfTheCatalog) {
    MakeDir(Dir->Path() + "disc");
    WriteFile(Dir->Path() + "disc/a.txt", std::string(1500, 'a'));
    WriteFile(Dir->Path() + "loose.bin", std::string(2500, 'b'));
    CreateWindow();
    EXPECT_EQ(Main->StatusText(), "Contents 0 Folders, 0 Files, 0KB");
    // A located file: the catalog shown holds it.
    Dialogs->ChooseFile(Dir->Path() + "loose.bin");
    Dialogs->OnProperties();
    Trigger("aAddLocFile");
    EXPECT_EQ(Main->StatusText(), "Contents 0 Folders, 1 Files, 2KB");
    // A scanned folder, then synchronised after a file came: the counts follow each scan.
    Dialogs->ChooseFolder(Dir->Path() + "disc");
    Dialogs->OnProperties();
    Trigger("aAddFileFolder");
    ASSERT_TRUE(PumpUntil([&] { return Dialogs->Unused() == 0 && ScanThreads.Count() == 0; }));
    EXPECT_EQ(lvMain()->SelCount(), 1);
    EXPECT_EQ(Main->StatusText(), "Contents 0 Folders, 1 Files, 1KB");
    lvMain()->ClearSelection();
    EXPECT_EQ(Main->StatusText(), "Contents 1 Folders, 2 Files, 4KB");
    SelectRows({"disc"});
    WriteFile(Dir->Path() + "disc/b.txt", std::string(3000, 'b'));
    ShowRescanDialog = false;
    Trigger("RescanAction");
    ASSERT_TRUE(PumpUntil([] { return ScanThreads.Count() == 0; }));
    EXPECT_EQ(Main->StatusText(), "Contents 1 Folders, 3 Files, 7KB");
    // A search's count stands until the next change, a search included.
    Trigger("aAddKeyWord");
    lvKey()->EndEditing();
    Trigger("aFindKeyWord");
    EXPECT_EQ(Main->StatusText(), "Files not found");
    Dialogs->Find({"", "", "", "*.txt"});
    Trigger("FindAction");
    WaitForSearch();
    EXPECT_EQ(lvResult()->Count(), 2);
    EXPECT_EQ(Main->StatusText(), "Contents 1 Folders, 3 Files, 7KB");
}

TEST_F(MainWindowTest, ALargeTreeIsCountedBetweenEventsAndAChangeMeanwhileCountsAnew) {
    CreateWindow();
    // Many slices' worth: 50 scanned folders of 4000 files of 3 bytes each.
    for (int D = 0; D < 50; ++D) {
        TFileCollection* Disc = AddScanned(CurrentCatalog, "Disc" + std::to_string(D));
        for (int F = 0; F < 4000; ++F)
            AddFile(Disc, std::to_string(F), 3);
    }
    auto Shows = [&](const std::string& Text) {
        // While it counts the line is empty, never a number of before.
        EXPECT_TRUE(Main->StatusText().empty() || Main->StatusText() == Text) << Main->StatusText();
        EXPECT_TRUE(PumpUntil([&] { return Main->StatusText() == Text; })) << Text;
    };
    Main->RefreshTreeNode(RootNode());
    Main->RefreshList(false);
    Shows("Contents 50 Folders, 200000 Files, 600KB");
    // Every folder selected, and deleted while they are being counted: the count that was
    // under way never reads them again.
    Main->SetActiveControl(lvMain());
    Trigger("SelectAllAction");
    Dialogs->Answer(mrOk);
    Trigger("DeleteAction");
    Shows("Contents 0 Folders, 0 Files, 0KB");
}

TEST_F(MainWindowTest, TheSizeColumnSortsByTheRealSizes) {
    CreateWindow();
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    AddFile(V, "a-small", 999);
    AddFile(V, "b-large", 2500000);
    AddFile(V, "c-mid", 100000);
    AddFile(V, "d-30k", 30000);
    AddFile(V, "e-beyond-4GiB", 4294967297ULL);
    AddFolder(V, "f-folder");
    Main->SetCurrentFolder(V);
    lvMain()->ColumnClickHandler(1);
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"f-folder", "a-small", "d-30k", "c-mid",
                                                        "b-large", "e-beyond-4GiB"}));
    EXPECT_EQ(lvMain()->Column(1).ImageIndex, 7);
    EXPECT_EQ(lvMain()->Column(0).ImageIndex, -1);
    lvMain()->ColumnClickHandler(1);
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"e-beyond-4GiB", "b-large", "c-mid",
                                                        "d-30k", "a-small", "f-folder"}));
    EXPECT_EQ(lvMain()->Column(1).ImageIndex, 8);
    // A refill keeps the column and the direction.
    Main->RefreshList(false);
    EXPECT_EQ(ListCaptions().front(), "e-beyond-4GiB");
    // Descending by name reverses everything, the folders (first when ascending) included.
    lvMain()->ColumnClickHandler(0);
    EXPECT_EQ(ListCaptions().front(), "e-beyond-4GiB");
    EXPECT_EQ(ListCaptions().back(), "f-folder");
    EXPECT_FALSE(lvMain()->Ascending());
}

// ---- double-click on files ---------------------------------------------------------------------

TEST_F(MainWindowTest, DoubleClickOpensTheFileThroughTheShellOrSaysItIsNotThere) {
    CreateWindow();
    MakeDir(Dir->Path() + "disc");
    WriteFile(Dir->Path() + "disc/there.txt", "x");
    TFileCollection* Disc = AddScanned(CurrentCatalog, "Disc", Dir->Path() + "disc/");
    AddFile(Disc, "there.txt", 1);
    AddFile(Disc, "gone.txt", 1);
    Main->SetCurrentFolder(Disc);
    int Properties = 0;
    TBasicItem* Shown = nullptr;

    DoubleClick = 0;
    SelectRows({"there.txt"});
    DoubleClickList();
    EXPECT_EQ(Dialogs->Opened, (std::vector<std::string>{Dir->Path() + "disc/there.txt"}));
    SelectRows({"gone.txt"});
    Dialogs->Answer(mrOk);
    DoubleClickList();
    EXPECT_EQ(Dialogs->Opened.size(), 1u);
    EXPECT_NE(Main->StatusText().find("gone.txt"), std::string::npos);
    EXPECT_EQ(Dialogs->Asked.back().Type, mtWarning);

    DoubleClick = 1;
    Dialogs->OnProperties();
    DoubleClickList();
    EXPECT_EQ(Dialogs->Asked.back().Kind, "properties");
    EXPECT_EQ(Dialogs->Asked.back().Text, "gone.txt");
    ShowItemPropertiesProc = [&](TBasicItem* Item) {
        ++Properties;
        Shown = Item;
    };
    DoubleClickList();
    EXPECT_EQ(Properties, 1);
    EXPECT_EQ(Shown, RowOf("gone.txt")->Data());

    DoubleClick = 2;
    DoubleClickList();
    EXPECT_EQ(Properties, 1);
    EXPECT_EQ(Dialogs->Opened.size(), 1u);
}
