// The main window and the worker threads: closing a catalog or the window while a scan and a
// search run stops them first, and a first scan stopped so opens no properties dialog.
#include "AppTestSupport.h"

#include "core/FindThread.h"
#include "core/FolderScan.h"
#include "platform/Thread.h"

#include <QAction>
#include <QApplication>

#include <atomic>
#include <functional>

class WorkersTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        ShowItemPropertiesProc = [this](TBasicItem*) { ++Properties; };
        // A tree on disk big enough that a scan is still walking when the test acts.
        MakeDir(Dir->Path() + "tree");
        for (int D = 0; D < 30; ++D) {
            const std::string Sub = Dir->Path() + "tree/dir" + std::to_string(D);
            MakeDir(Sub);
            for (int F = 0; F < 20; ++F)
                WriteFile(Sub + "/file" + std::to_string(F) + ".txt", "x");
        }
    }

    // A search over a folder of its own (not the one being scanned), held at its unnamed folder
    // until Release returns true; returns once the search stands there.
    TFindThread* StartHeldSearch(std::function<bool()> Release) {
        TBasicFolder* Area = AddVirtual(CurrentCatalog, "Area");
        for (int I = 0; I < 500; ++I)
            AddFile(Area, "f" + std::to_string(I));
        Held = new THeldFolder(Area->Children());
        Held->Release = std::move(Release);
        Main->SetCurrentFolder(Area);
        TFindThread* Find = Main->CreateFindThread();
        Find->MasksIncluded.SetCommaText("F*"); // every name is looked at
        Find->Scope = 1;
        Find->Subfolders = true;
        Find->PrepareCriteria();
        Main->RunFindThread();
        for (int I = 0; I < 3000 && !Held->Reached; ++I)
            CheckSynchronize(10);
        EXPECT_TRUE(Held->Reached);
        return Find;
    }

    int Properties = 0;
    THeldFolder* Held = nullptr;
};

TEST_F(WorkersTest, ClosingACatalogStopsARunningScanAndSearchFirst) {
    // The search lets go only once the scan has ended: a window that waited for the search
    // before it stopped the scan would see the scan end as a first scan that was not stopped.
    std::atomic<bool> ScanEnded{false};
    StartHeldSearch([&] { return ScanEnded.load(); });
    TFileCollection* Scan = AddScanned(CurrentCatalog, "Scan", Dir->Path() + "tree/");
    Scan->StartScan();
    ASSERT_EQ(ScanThreads.Count(), 1);
    ScanThreads.Last()->OnStats = [&](const TFolderScanThread::TStats&) { ScanEnded = true; };
    ASSERT_TRUE(Main->FindRunning());

    Dialogs->Answer(mrNo); // the catalog has changed
    Trigger("aNew");
    EXPECT_TRUE(ScanEnded);
    EXPECT_EQ(ScanThreads.Count(), 0);
    EXPECT_FALSE(Main->FindRunning());
    EXPECT_EQ(CurrentCatalog->Children()->Count(), 0);
    EXPECT_EQ(lvResult()->Count(), 0);
    EXPECT_EQ(lvMain()->Count(), 0);
    ProcessEvents();
    // Stopped with its catalog, the first scan opens no dialog for a folder that is gone.
    EXPECT_EQ(Properties, 0);
    EXPECT_TRUE(Main->isEnabled());
}

TEST_F(WorkersTest, ClosingTheWindowWhileAScanRunsStopsItBeforeTheSaveQuestion) {
    TFileCollection* Scan = AddScanned(CurrentCatalog, "Scan", Dir->Path() + "tree/");
    Scan->StartScan();
    // The scan disables the window with its first call on this thread.
    for (int I = 0; I < 500 && Main->isEnabled(); ++I)
        CheckSynchronize(10);
    ASSERT_FALSE(Main->isEnabled());
    Dialogs->Answer(mrNo);
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(ScanThreads.Count(), 0);
    EXPECT_FALSE(Main->isVisible());
    ProcessEvents();
    EXPECT_EQ(Properties, 0);
}

TEST_F(WorkersTest, DeletingWhileASearchRunsSaysSoAndStopsTheSearch) {
    // Held until it is told to stop: it still runs while the delete first stops the icon thread.
    std::atomic<TFindThread*> Find{nullptr};
    Find = StartHeldSearch([&] { return Find.load() && Find.load()->Terminated(); });
    SelectRows({"f1", "f2"});
    Dialogs->Answer(mrOk);
    Action("aMainDelete")->trigger();
    EXPECT_EQ(Dialogs->Messages().back(), "Delete 2 items ?\nFind will be terminated");
    EXPECT_FALSE(Main->FindRunning());
    EXPECT_EQ(RowOf("f1"), nullptr);
    EXPECT_EQ(lvMain()->Count(), 499);
    // The results of the stopped search hold no row of a deleted item.
    for (int I = 0; I < lvResult()->Count(); ++I) {
        TBasicItem* Item = lvResult()->Item(I)->Data();
        ASSERT_NE(Item, nullptr);
        EXPECT_EQ(Item->ResultItem(), lvResult()->Item(I));
    }
}

TEST_F(WorkersTest, TheListImageThreadIsStoppedBeforeTheListChanges) {
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    for (int I = 0; I < 300; ++I)
        AddFile(V, "f" + std::to_string(I) + ".txt");
    Main->SetCurrentFolder(V);
    ASSERT_NE(Main->ListImageThread(), nullptr);
    Main->SetCurrentFolder(CurrentCatalog);
    Main->SetCurrentFolder(V);
    Main->RefreshList(false);
    // One call on this thread per row, then the end.
    for (int I = 0; I < 5000 && Main->ListImageRunning(); ++I) {
        CheckSynchronize(10);
        QApplication::processEvents();
    }
    EXPECT_FALSE(Main->ListImageRunning());
    // With default icons only, no thread is started.
    DisplayDefaultIcons = true;
    Main->RefreshList(false);
    EXPECT_EQ(Main->ListImageThread(), nullptr);
}
