// The options and the window's layout last from one start to the next: written when the window
// closes, read when it is shown again, as the settings store keeps them.
#include "AppTestSupport.h"

#include "uilib/MRUList.h"

#include <QSplitter>
#include <QToolBar>

TEST_F(MainWindowTest, OptionsAndLayoutComeBackAtTheNextStart) {
    CreateWindow();
    ShowHidden = false;
    gRecentListCount = 3;
    DoubleClick = 0;
    roDelete = false;
    DescriptionMode = 1;
    FileDescriptionFiles = "a.txt, \"b c.txt\"";
    ActiveFileDescriptionFiles = "\"b c.txt\"";
    for (const char* Name : {"aRight", "aBottom", "StatusBar2", "Bar21"})
        Trigger(Name);
    Part<QSplitter>("spLeft")->setSizes({260, 540});
    SetColumnOrder(*lvMain(), "5,4,3,2,1,0");
    SetColumnWidths(*lvMain(), "180,60,140,130,70,90");
    SetColumnOrder(*lvResult(), "3,x,1,0");
    Main->AddToRecent(Dir->Path() + "older.qlmk");
    Main->AddToRecent(Dir->Path() + "newer.qlmk");
    ProcessEvents();
    const int ResultHeight = Part("BottomPanel")->height();
    Main->close();
    Main.reset();

    SetDefaultOptions();
    CreateWindow();
    EXPECT_FALSE(ShowHidden);
    EXPECT_EQ(gRecentListCount, 3);
    EXPECT_EQ(DoubleClick, 0);
    EXPECT_FALSE(roDelete);
    EXPECT_EQ(DescriptionMode, 1);
    EXPECT_EQ(FileDescriptionFiles, "a.txt, \"b c.txt\"");
    EXPECT_EQ(ActiveFileDescriptionFiles, "\"b c.txt\"");
    EXPECT_TRUE(Part("RightPanel")->isVisible());
    EXPECT_TRUE(Part("BottomPanel")->isVisible());
    EXPECT_EQ(Part("BottomPanel")->height(), ResultHeight);
    EXPECT_FALSE(Part("StatusBar1")->isVisible());
    EXPECT_TRUE(Part("ViewToolBar")->isVisible());
    EXPECT_EQ(Part("LeftPanel")->width(), 260);
    EXPECT_EQ(GetColumnOrder(*lvMain()), "5,4,3,2,1,0");
    // Widths follow the columns they belong to.
    EXPECT_EQ(GetColumnWidths(*lvMain()), "180,60,140,130,70,90");
    EXPECT_EQ(lvMain()->ColumnWidth(5), 90);
    EXPECT_EQ(GetColumnOrder(*lvResult()), "3,1,2,0");
    const TRecentStrings& Recent = Part<TMRUManager>("MRUManager1")->RecentList();
    ASSERT_EQ(Recent.Count(), 2);
    EXPECT_EQ(Recent[0], Dir->Path() + "newer.qlmk");
}

TEST_F(MainWindowTest, ToolBarsStandInRowsByTheirStoredTopsThenLefts) {
    CreateWindow();
    Trigger("Bar21");
    Main->close();
    Main.reset();
    // The file and standard bars on the first row, the menu and controls bars on the last,
    // the view-style bar (whose place is not stored) between them.
    for (const auto& [Name, Value] : {std::pair{"FTL", "0"},
                                      {"FTT", "0"},
                                      {"TTL", "10"},
                                      {"TTT", "0"},
                                      {"VTL", "5"},
                                      {"VTT", "400"},
                                      {"MTL", "0"},
                                      {"MTT", "400"}})
        StoreSetting(Name, Value);
    CreateWindow();
    auto* File = Part<QToolBar>("FileToolbar");
    auto* Tools = Part<QToolBar>("ToolsToolBar");
    auto* Menu = Part<QToolBar>("MenuToolBar");
    auto* View = Part<QToolBar>("ViewToolBar");
    auto* Style = Part<QToolBar>("ViewStyleToolbar");
    EXPECT_EQ(File->y(), Tools->y());
    EXPECT_LT(File->x(), Tools->x());
    EXPECT_LT(Tools->y(), Style->y());
    EXPECT_LT(Style->y(), Menu->y());
    EXPECT_EQ(Menu->y(), View->y());
    EXPECT_LT(Menu->x(), View->x());

    // Hidden, a bar keeps its place among the others.
    Trigger("Bar21");
    Main->close();
    Main.reset();
    CreateWindow();
    Trigger("Bar21");
    ProcessEvents();
    EXPECT_EQ(Part<QToolBar>("ViewToolBar")->y(), Part<QToolBar>("MenuToolBar")->y());
}

TEST_F(MainWindowTest, StoredFlagsReadTheirLow16BitsAndByteOptionsTheirLow8) {
    StoreSetting("ShowHidden", "65536");
    StoreSetting("AutoOpen", "65537");
    StoreSetting("SaveSetting", "1");
    StoreSetting("DoubleClick", "257");
    StoreSetting("DescriptionMode", "256");
    StoreSetting("ColumnWidth", "900000000,x");
    CreateWindow();
    EXPECT_FALSE(ShowHidden);
    EXPECT_TRUE(AutoOpen);
    EXPECT_TRUE(SaveSetting);
    EXPECT_EQ(DoubleClick, 1);
    EXPECT_EQ(DescriptionMode, 0);
    // A damaged width cannot make the column absurd; one that is no number changes nothing.
    EXPECT_LE(lvMain()->ColumnWidth(0), 16384);
    EXPECT_EQ(lvMain()->ColumnWidth(1), 75);
}

TEST_F(MainWindowTest, WithoutSaveSettingOnlyThatFlagIsWritten) {
    CreateWindow();
    SaveSetting = false;
    ShowHidden = false;
    Trigger("aRight");
    Main->close();
    Main.reset();
    EXPECT_EQ(StoredSetting("SaveSetting"), "0");
    EXPECT_EQ(StoredSetting("ShowHidden"), "(none)");
    EXPECT_EQ(StoredSetting("Find"), "(none)");
    SetDefaultOptions();
    CreateWindow();
    EXPECT_FALSE(SaveSetting);
    EXPECT_TRUE(ShowHidden);
    EXPECT_FALSE(Part("RightPanel")->isVisible());
}
