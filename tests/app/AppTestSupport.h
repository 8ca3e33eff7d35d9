// The fixture of the main window tests: a fresh main window per test on the offscreen platform,
// its settings in a temporary configuration folder, every question answered by a script, and
// small helpers to build catalogs and look at the panes. The window's panes, bars and actions
// are found by the names of its design, as a user finds them by their captions.
#pragma once

#include "ScriptedDialogs.h"
#include "app/CatalogMain.h"
#include "app/ItemTexts.h"
#include "app/ListPanes.h"
#include "app/UiText.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/TreeItems.h"
#include "platform/Thread.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// A control of a dialog by its name.
template <class T = QWidget>
T* DialogChild(QWidget& Dialog, const char* Name) {
    T* W = Dialog.findChild<T*>(QString::fromUtf8(Name));
    EXPECT_NE(W, nullptr) << Name;
    return W;
}
// Every tab of Tabs shows whole, and the room its pages share holds each of them.
void ExpectNothingCut(const QTabWidget& Tabs);
// A virtual folder without a name of its own. The search reads such an item's default name on
// its own thread; there this one holds the search until Release says so, which lets a test keep
// a search running for as long as it needs, whatever the window waits for meanwhile.
class THeldFolder : public TBasicFolder {
public:
    using TBasicFolder::TBasicFolder;
    std::string GetDisplayName() const override {
        if (!IsMainThread()) {
            Reached = true;
            const auto Limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!Release() && std::chrono::steady_clock::now() < Limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return TBasicFolder::GetDisplayName();
    }
    mutable std::atomic<bool> Reached{false};
    std::function<bool()> Release = [] { return true; };
};
// A file whose name takes a millisecond to read on the UI thread, where its result row is filled
// and refilled: enough of them make the window's work on the rows outlast a slice.
class TSlowFile : public TFileItem {
public:
    using TFileItem::TFileItem;
    std::string GetDisplayName() const override {
        if (IsMainThread()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return TFileItem::GetDisplayName();
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window (as the program does), optionally shown.
    void CreateWindow(bool Show = true);
    // Runs pending events and workers' calls.
    static void ProcessEvents();
    // Runs them until Done holds; false when that takes longer than 20 seconds.
    static bool PumpUntil(const std::function<bool()>& Done);
    // Runs events and the search's calls until the window's search has ended.
    void WaitForSearch();

    // Items made as a load or a scan makes them, in the open catalog.
    TBasicFolder* AddVirtual(TBasicItem* Parent, const std::string& Name);
    TFileCollection* AddScanned(TBasicItem* Parent, const std::string& Name,
                                const std::string& RootPath = "/nowhere/");
    TFileFolder* AddFolder(TBasicItem* Parent, const std::string& Name, uint32_t Attr = 16);
    TFileItem* AddFile(TBasicItem* Parent, const std::string& Name, uint64_t Size = 0,
                       uint32_t Attr = 32);
    // A small catalog: Docs (virtual) with Disc1 (scanned) holding a folder and files, and Music.
    void BuildSampleCatalog();
    // Saves the open catalog under Name in the temporary folder and returns the path.
    std::string SaveSample(const std::string& Name);

    // The window's parts by their names.
    template <class T = QWidget>
    T* Part(const char* Name) const {
        T* P = Main->findChild<T*>(QString::fromUtf8(Name));
        EXPECT_NE(P, nullptr) << Name;
        return P;
    }
    QAction* Action(const char* Name) const { return Part<QAction>(Name); }
    TCatalogTreeView* tvMain() const { return Part<TCatalogTreeView>("tvMain"); }
    TCatalogListView* lvMain() const { return Part<TCatalogListView>("lvMain"); }
    TCustomListView* lvKey() const { return Part<TCustomListView>("lvKey"); }
    TCatalogListView* lvResult() const { return Part<TCatalogListView>("lvResult"); }
    // Runs an action as the user can: after the enabling rules, only when it is enabled.
    void Trigger(const char* Name);
    // A double-click on the list's selected row.
    void DoubleClickList() { lvMain()->OnDblClick(); }

    // What the panes show.
    static std::vector<std::string> Captions(const TCustomListView* L);
    static TListViewItem* RowOf(const TCustomListView* L, const std::string& Caption);
    std::vector<std::string> ListCaptions() const { return Captions(lvMain()); }
    TListViewItem* RowOf(const std::string& Caption) const { return RowOf(lvMain(), Caption); }
    std::vector<std::string> NodeTexts(TTreeViewNode* Node) const;
    TTreeViewNode* RootNode() const;
    TTreeViewNode* ChildNode(TTreeViewNode* Node, const std::string& Text) const;
    // Selects exactly these rows of L (lvMain) and makes it the active pane.
    void SelectRowsOf(TCustomListView* L, const std::vector<std::string>& Captions);
    void SelectRows(const std::vector<std::string>& Captions) { SelectRowsOf(lvMain(), Captions); }

    // The program's settings (section "General"), as the window's store reads and writes them.
    static void StoreSetting(const std::string& Name, const std::string& Value);
    static std::string StoredSetting(const std::string& Name);

    std::unique_ptr<TempDir> Dir;
    std::unique_ptr<TempDir> Config;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TfmCatalogMain> Main;

private:
    std::string FOldConfig;
    bool FHadConfig = false;
};
