// The options and the window's layout last from one start to the next: written when the window
// closes, read when it is shown again, as the settings store keeps them.
#include "AppTestSupport.h"

#include "uilib/MRUList.h"

#include <QSplitter>
#include <QToolBar>

#include <algorithm>
#include <map>

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

TEST_F(MainWindowTest, ToolBarsComeBackInTheRowsTheUserLeftThemIn) {
    using TRows = std::vector<std::vector<std::string>>;
    auto Bar = [&](const std::string& Name) { return Part<QToolBar>(Name.c_str()); };
    // The shown bars by rows, each row from left to right, where Qt has put them.
    auto Rows = [&] {
        ProcessEvents();
        std::map<int, std::vector<std::string>> ByTop;
        for (const char* Name : {"MenuToolBar", "FileToolbar", "ToolsToolBar", "ViewStyleToolbar"})
            ByTop[Bar(Name)->y()].push_back(Name);
        TRows R;
        for (auto& [Top, Names] : ByTop) {
            std::sort(Names.begin(), Names.end(), [&](const std::string& A, const std::string& B) {
                return Bar(A)->x() < Bar(B)->x();
            });
            R.push_back(Names);
        }
        return R;
    };
    // The bars put in these rows, as dragging them by their handles leaves them.
    auto Arrange = [&](const TRows& Wanted) {
        for (const auto& Row : Wanted)
            for (const std::string& Name : Row)
                Main->removeToolBar(Bar(Name));
        for (const auto& Row : Wanted) {
            Main->addToolBarBreak();
            for (const std::string& Name : Row) {
                Main->addToolBar(Bar(Name));
                Bar(Name)->show();
            }
        }
        ASSERT_EQ(Rows(), Wanted);
    };
    auto Restart = [&](const std::function<void()>& Meanwhile = [] {}) {
        Main->close();
        Main.reset();
        Meanwhile();
        CreateWindow();
    };

    // The File bar beside the menu bar: the next starts show the same two rows; so does a start
    // from settings that keep no place of the view-style bar (older ones), whose own top is a
    // pixel or two off the others'.
    CreateWindow();
    const TRows FileUp = {{"MenuToolBar", "FileToolbar"}, {"ToolsToolBar", "ViewStyleToolbar"}};
    Arrange(FileUp);
    for (int Start = 0; Start < 3; ++Start) {
        Restart([&] {
            if (Start < 2) return;
            EXPECT_NE(StoredSetting("VSTT"), "(none)");
            StoreSetting("VSTL", "");
            StoreSetting("VSTT", "");
        });
        EXPECT_EQ(Rows(), FileUp) << Start;
    }
    // The view-style bar has a place of its own.
    const TRows StyleUp = {{"MenuToolBar", "ViewStyleToolbar"}, {"FileToolbar", "ToolsToolBar"}};
    Arrange(StyleUp);
    Restart();
    EXPECT_EQ(Rows(), StyleUp);

    // Hidden, a bar keeps its place among the others.
    Trigger("Bar21");
    ProcessEvents();
    const QPoint Controls = Bar("ViewToolBar")->pos();
    Trigger("Bar21");
    Restart();
    Trigger("Bar21");
    EXPECT_EQ(Rows(), StyleUp);
    EXPECT_EQ(Bar("ViewToolBar")->pos(), Controls);
}

TEST_F(MainWindowTest, StoredValuesReadWithinTheirBounds) {
    StoreSetting("ShowHidden", "65536");
    StoreSetting("HTMLDescription", "65537");
    StoreSetting("SaveSetting", "1");
    StoreSetting("DoubleClick", "257");
    StoreSetting("DescriptionMode", "256");
    // Numbers out of their bounds, as a damaged or hand-edited file holds them, count as
    // missing; so does a text that is no number.
    StoreSetting("gRecentListCount", "-7");
    StoreSetting("ColumnWidth", "-40,900000000,x,5");
    StoreSetting("FolderSize", "-300");
    StoreSetting("FTT", "2147483647");
    StoreSetting("MTT", "-2147483648");
    StoreSetting("Recent", "/a.qlmk,/b.qlmk,/c.qlmk");
    CreateWindow();
    EXPECT_FALSE(ShowHidden);
    EXPECT_TRUE(HTMLDescription);
    EXPECT_TRUE(SaveSetting);
    EXPECT_EQ(DoubleClick, 1);
    EXPECT_EQ(DescriptionMode, 0);
    EXPECT_EQ(gRecentListCount, 4);
    EXPECT_EQ(GetColumnWidths(*lvMain()).substr(0, 7), "175,75,");
    EXPECT_EQ(lvMain()->ColumnWidth(4), 75);
    EXPECT_EQ(Part("LeftPanel")->width(), 200);
    EXPECT_LT(Part<QToolBar>("MenuToolBar")->y(), Part<QToolBar>("FileToolbar")->y());
    // Options > Cancel sets the recent list's size from what was read: all three stay.
    Dialogs->OnOptions();
    Trigger("SetupAction");
    EXPECT_EQ(Part<TMRUManager>("MRUManager1")->RecentList().Count(), 3);
    Main->close();
    EXPECT_EQ(StoredSetting("gRecentListCount"), "4");
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
