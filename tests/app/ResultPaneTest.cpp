// The result pane: Goto, deleting, clearing and refreshing result rows, the one Delete command
// by the pane that has the focus, and rows of items that go away (deleted, pruned by a
// synchronise, replaced by a scan), which must never be reached again (run under ASan).
#include "AppTestSupport.h"

#include "core/CatalogExt.h"
#include "core/FolderScan.h"
#include "core/KeyWords.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <thread>

class ResultPaneTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        ShowItemPropertiesProc = [this](TBasicItem* Item) { Shown.push_back(Item->DisplayName()); };
    }

    // Every item of the catalog found, as a search for "*" finds them (the panes show the
    // catalog first).
    void FindAll() {
        Main->RefreshTreeNode(RootNode());
        Main->RefreshList(false);
        Dialogs->Find({"", "", "", "*"});
        Trigger("FindAction");
        WaitForSearch();
    }
    // Each row stands for a living item that knows the row (ASan reports any other).
    void ExpectRowsOfLivingItems() const {
        for (int I = 0; I < lvResult()->Count(); ++I) {
            TListViewItem* Row = lvResult()->Item(I);
            ASSERT_NE(Row->Data(), nullptr) << Row->Caption();
            EXPECT_EQ(Row->Data()->ResultItem(), Row);
            EXPECT_EQ(Row->Data()->DisplayName(), Row->Caption());
        }
    }
    // Goto, Properties and Refresh on every row left.
    void UseEveryRow() {
        Main->RefreshList(false);
        for (int I = 0; I < lvResult()->Count(); ++I) {
            const std::string Caption = lvResult()->Item(I)->Caption();
            SelectRowsOf(lvResult(), {Caption});
            Trigger("aMainProperty");
            SelectRowsOf(lvResult(), {Caption});
            Trigger("aGoto");
            ASSERT_NE(lvMain()->Selected(), nullptr) << Caption;
            EXPECT_EQ(lvMain()->Selected()->Caption(), Caption);
        }
        Main->SetActiveControl(lvResult());
        Trigger("RefreshAction");
        ExpectRowsOfLivingItems();
    }

    std::vector<std::string> Shown;
};

TEST_F(ResultPaneTest, GotoShowsTheItemInItsFolderAndRowsComeAndGoWithoutTouchingItems) {
    BuildSampleCatalog();
    ShowHidden = false;
    TBasicItem* Hidden = AddFile(CurrentCatalog->Children()->At(0), ".hidden", 1, 32 | 2);
    FindAll();
    ASSERT_EQ(lvResult()->Count(), 8);
    Main->UpdateActions();
    EXPECT_FALSE(Action("aGoto")->isEnabled());
    SelectRowsOf(lvResult(), {"beach.jpg"});
    EXPECT_TRUE(Action("aGoto")->isEnabled());
    lvResult()->OnDblClick();
    EXPECT_EQ(CurrentFolder->DisplayName(), "Photos");
    EXPECT_EQ(tvMain()->Selected()->Text(), "Photos");
    ASSERT_EQ(lvMain()->SelCount(), 1);
    EXPECT_EQ(lvMain()->Selected()->Caption(), "beach.jpg");
    // The list leaves a hidden file out: there is nothing to go to.
    SelectRowsOf(lvResult(), {".hidden"});
    Dialogs->Answer(mrOk);
    Trigger("aGoto");
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages().back(), "Internal Error :Goto");
    EXPECT_EQ(Hidden->ListItem(), nullptr);

    // Delete in the result pane removes rows only; Clear removes them all.
    const int Items = static_cast<int>(CurrentCatalog->Children()->Count());
    SelectRowsOf(lvResult(), {"beach.jpg", "Music", "setup.exe"});
    Trigger("DeleteAction");
    EXPECT_EQ(lvResult()->Count(), 5);
    EXPECT_EQ(RowOf(lvResult(), "Music"), nullptr);
    EXPECT_EQ(static_cast<int>(CurrentCatalog->Children()->Count()), Items);
    EXPECT_TRUE(Dialogs->Unused() == 0 && Dialogs->Messages().size() == 1);
    Main->UpdateActions();
    EXPECT_TRUE(Action("aClearResults")->isEnabled());
    EXPECT_TRUE(Action("ReportAction")->isEnabled());
    Trigger("aClearResults");
    EXPECT_EQ(lvResult()->Count(), 0);
    Main->UpdateActions();
    EXPECT_FALSE(Action("aClearResults")->isEnabled());
    EXPECT_FALSE(Action("ReportAction")->isEnabled());
    EXPECT_EQ(CurrentCatalog->Children()->Count(), Items);
}

TEST_F(ResultPaneTest, DeleteActsOnThePaneThatHasTheFocus) {
    BuildSampleCatalog();
    auto* K = new TKeyWordItem(CurrentCatalog->KeyWords());
    K->SetItemName("Spare");
    RefreshKeyWordsProc();
    Main->RefreshList(false);
    FindAll();
    // The keyword pane: its keyword goes (nothing carries it: no question).
    Main->SetActiveControl(lvKey());
    lvKey()->SelectAll();
    Trigger("DeleteAction");
    EXPECT_EQ(lvKey()->Count(), 0);
    EXPECT_EQ(CurrentCatalog->KeyWords()->Count(), 0);
    // The list: the item goes after the question, and its result row with it.
    SelectRows({"Music"});
    Dialogs->Answer(mrOk);
    Trigger("DeleteAction");
    EXPECT_EQ(Dialogs->Messages().back(), "Delete Music ?");
    EXPECT_EQ(RowOf(lvResult(), "Music"), nullptr);
    ExpectRowsOfLivingItems();
    // No pane with the focus, no delete.
    Main->SetActiveControl(nullptr);
    Action("DeleteAction")->trigger();
    EXPECT_EQ(lvResult()->Count(), 6);
}

TEST_F(ResultPaneTest, RowsOfItemsThatGoAreNeverReachedAgain) {
    roAdd = roDelete = true;
    roCheck = false;
    const std::string Root = Dir->Path() + "disc/";
    MakeDir(Root);
    MakeDir(Root + "sub");
    for (const char* Name : {"a.txt", "b.txt", "kind", "sub/c.txt", "sub/d.txt"})
        WriteFile(Root + Name, "x");
    TFileCollection* Scan = AddScanned(CurrentCatalog, "Disc", Root);
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    AddFile(V, "v1.txt");
    AddFile(V, "v2.txt");
    Scan->StartScan();
    for (int I = 0; I < 3000 && ScanThreads.Count() > 0; ++I)
        CheckSynchronize(10);
    ASSERT_EQ(ScanThreads.Count(), 0);
    ProcessEvents();
    FindAll();
    ASSERT_EQ(lvResult()->Count(), 10);

    // Deleted from the tree, and from the list.
    Main->SetCurrentFolder(CurrentCatalog);
    Main->SetActiveControl(tvMain());
    tvMain()->SetSelected(static_cast<TTreeViewNode*>(V->TreeNode()));
    Dialogs->Answer(mrOk);
    Trigger("DeleteAction");
    EXPECT_EQ(RowOf(lvResult(), "V"), nullptr);
    EXPECT_EQ(RowOf(lvResult(), "v1.txt"), nullptr);
    Main->SetCurrentFolder(Scan);
    SelectRows({"b.txt"});
    Dialogs->Answer(mrOk);
    Trigger("DeleteAction");
    EXPECT_EQ(RowOf(lvResult(), "b.txt"), nullptr);
    ASSERT_EQ(lvResult()->Count(), 6);
    UseEveryRow();

    // A synchronise prunes a vanished file and a folder and replaces a file that became a
    // folder.
    std::remove((Root + "a.txt").c_str());
    std::remove((Root + "sub/c.txt").c_str());
    std::remove((Root + "sub/d.txt").c_str());
    std::remove((Root + "sub").c_str());
    std::remove((Root + "kind").c_str());
    MakeDir(Root + "kind");
    TBasicItem* OldKind = RowOf(lvResult(), "kind")->Data();
    (new TFolderScanThread(Scan, 1))->Resume();
    for (int I = 0; I < 3000 && ScanThreads.Count() > 0; ++I)
        CheckSynchronize(10);
    ASSERT_EQ(ScanThreads.Count(), 0);
    ProcessEvents();
    EXPECT_EQ(RowOf(lvResult(), "a.txt"), nullptr);
    EXPECT_EQ(RowOf(lvResult(), "sub"), nullptr);
    EXPECT_EQ(RowOf(lvResult(), "c.txt"), nullptr);
    // The file "kind" went with its row; a folder of that name stands in its place.
    EXPECT_EQ(RowOf(lvResult(), "kind"), nullptr);
    const int K = Scan->Children()->IndexOfName("kind");
    ASSERT_GE(K, 0);
    EXPECT_NE(Scan->Children()->At(K), OldKind);
    EXPECT_NE(Scan->Children()->At(K)->Children(), nullptr);
    ASSERT_EQ(lvResult()->Count(), 1); // the scanned folder itself
    Shown.clear();
    UseEveryRow();
    EXPECT_EQ(Shown, std::vector<std::string>{"Disc"});
}

TEST_F(ResultPaneTest, RefreshDropsARowThatLostItsItemToAnotherRow) {
    BuildSampleCatalog();
    FindAll();
    TListViewItem* Setup = RowOf(lvResult(), "setup.exe");
    TBasicItem* Item = Setup->Data();
    // A second row of the same item takes the item over; the first has nothing left.
    FillResultListItem(lvResult()->Add(), Item, true);
    EXPECT_EQ(Setup->Data(), nullptr);
    Main->SetActiveControl(lvResult());
    Trigger("RefreshAction");
    EXPECT_EQ(lvResult()->Count(), 7);
    ExpectRowsOfLivingItems();
    // A rename reaches the row of the item at once.
    Item->SetItemName("install.exe");
    EXPECT_NE(RowOf(lvResult(), "install.exe"), nullptr);
}

TEST_F(ResultPaneTest, RowsShowThePathsTheirItemsHaveNowAndSortByThemFromTheHeader) {
    BuildSampleCatalog();
    FindAll();
    auto Shown = [this](const std::string& Caption, int Column) {
        const QModelIndex I = lvResult()->IndexOfItem(RowOf(lvResult(), Caption), Column);
        return FromQString(lvResult()->Model()->data(I).toString());
    };
    EXPECT_EQ(Shown("beach.jpg", 1), "\\Docs\\Disc1\\Photos\\beach.jpg");
    EXPECT_EQ(Shown("beach.jpg", 3), Dir->Path() + "disc/Photos/beach.jpg");
    EXPECT_EQ(Shown("Music", 3), "");

    // A click on the Location header sorts by the paths; a renamed folder's rows follow it.
    QHeaderView* Header = lvResult()->ReportPane()->header();
    auto ClickLocation = [&] {
        QTest::mouseClick(Header->viewport(), Qt::LeftButton, {},
                          QPoint(Header->sectionViewportPosition(1) + 5, Header->height() / 2));
    };
    ClickLocation();
    EXPECT_EQ(Captions(lvResult()),
              (std::vector<std::string>{"Docs", "Disc1", "Photos", "beach.jpg", "readme.txt",
                                        "setup.exe", "Music"}));
    CurrentCatalog->Children()
        ->At(CurrentCatalog->Children()->IndexOfName("Music"))
        ->SetItemName("Attic");
    CurrentCatalog->Children()
        ->At(CurrentCatalog->Children()->IndexOfName("Docs"))
        ->SetItemName("Papers");
    EXPECT_EQ(Shown("beach.jpg", 1), "\\Papers\\Disc1\\Photos\\beach.jpg");
    ClickLocation();
    ClickLocation();
    EXPECT_EQ(Captions(lvResult()),
              (std::vector<std::string>{"Attic", "Papers", "Disc1", "Photos", "beach.jpg",
                                        "readme.txt", "setup.exe"}));
}

TEST_F(ResultPaneTest, ThousandsOfRowsAreRefreshedAndFreedASliceAtATimeAndNeverReachGoneItems) {
    // A refresh that takes longer than a slice goes on from the event loop, the window disabled
    // meanwhile; it drops a row that lost its item to another, and closing the catalog stops it.
    TBasicFolder* Slow = AddVirtual(CurrentCatalog, "Slow");
    for (int I = 0; I < 100; ++I)
        (new TSlowFile(Slow->Children()))->SetNameField(PackedString("s" + std::to_string(I)));
    FindAll();
    ASSERT_EQ(lvResult()->Count(), 101);
    FillResultListItem(lvResult()->Add(), RowOf(lvResult(), "s7")->Data(), true);
    Main->SetActiveControl(lvResult());
    for (bool Close : {false, true}) {
        Trigger("RefreshAction");
        EXPECT_FALSE(Main->isEnabled());
        if (Close) {
            Main->CloseCatalog();
            EXPECT_TRUE(Main->isEnabled());
            EXPECT_EQ(lvResult()->Count(), 0);
            ProcessEvents();
            break;
        }
        ASSERT_TRUE(PumpUntil([&] { return Main->isEnabled(); }));
        EXPECT_EQ(lvResult()->Count(), 101);
        ExpectRowsOfLivingItems();
    }

    // Thousands of rows deleted or cleared leave the pane at once and are freed later; items
    // that go meanwhile leave their rows alone, those that stay are let go of.
    TBasicFolder* Many = AddVirtual(CurrentCatalog, "Many");
    TBasicFolder* Keep = AddVirtual(CurrentCatalog, "Keep");
    for (int I = 0; I < 6000; ++I)
        AddFile(I % 100 ? Many : Keep, "f" + std::to_string(I));
    for (const char* Command : {"DeleteAction", "aClearResults"}) {
        FindAll();
        ASSERT_EQ(lvResult()->Count(), 6002);
        Main->SetActiveControl(lvResult());
        lvResult()->SelectAll();
        Trigger(Command);
        EXPECT_EQ(lvResult()->Count(), 0) << Command;
        ProcessEvents();
        for (int I = 0; I < Keep->Children()->Count(); ++I)
            EXPECT_EQ(Keep->Children()->At(I)->ResultItem(), nullptr) << Command;
    }
    FindAll();
    Trigger("aClearResults");
    delete Many;
    ProcessEvents();
    EXPECT_EQ(Keep->ResultItem(), nullptr);
}
