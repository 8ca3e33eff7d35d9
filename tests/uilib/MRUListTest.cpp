// The recent-files list and its menu: order, capacity and trimming, captions and accelerators,
// clicks that rebuild the menu under the click, and storage with a settings store.
#include "UiLibTestSupport.h"

#include "platform/Registry.h"
#include "platform/StringList.h"
#include "uilib/MRUList.h"
#include "uilib/Placemnt.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

std::vector<std::string> Names(const TRecentStrings& L) {
    std::vector<std::string> R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(L[I]);
    return R;
}

using V = std::vector<std::string>;

// The menu as text: "-" for a separator.
std::vector<QString> Texts(const QMenu& Menu) {
    std::vector<QString> R;
    for (QAction* A : Menu.actions())
        R.push_back(A->isSeparator() ? QString("-") : A->text());
    return R;
}

class TfmMain : public TCustomForm {
    Q_OBJECT

public:
    TfmMain() {
        FormStorage1 = new TFormStorage(this);
        FormStorage1->SetUseRegistry(true);
        FormStorage1->SetIniFileName("Software\\Marrowfield\\Quillmark");
        FormStorage1->SetIniSection("General");
        MRUManager1 = new TMRUManager(this);
        MRUManager1->SetName("MRUManager1");
    }
    ~TfmMain() override { BeforeDestruction(); }

    TFormStorage* FormStorage1;
    TMRUManager* MRUManager1;
};

class RecentMenu : public ConfigHomeTest {
protected:
    QMenu Recent;
    TMRUManager Manager{nullptr};

    void SetUp() override {
        ConfigHomeTest::SetUp();
        Recent.setTitle("Recent");
        Manager.SetRecentMenu(&Recent);
    }
};

} // namespace

TEST(RecentStrings, AppendAndInsertModesKeepTheNewest) {
    TRecentStrings L;
    L.SetMode(rmAppend);
    L.SetMaxSize(3);
    for (const char* S : {"a", "b", "c", "d"})
        L.Add(S);
    EXPECT_EQ(Names(L), (V{"b", "c", "d"}));
    EXPECT_EQ(L.Add("b"), 2);
    EXPECT_EQ(Names(L), (V{"c", "d", "b"}));
    // Names that differ in letter case are different files on Linux.
    L.Add("B");
    EXPECT_EQ(Names(L), (V{"d", "b", "B"}));

    TRecentStrings I;
    I.SetMaxSize(3);
    for (const char* S : {"a", "b", "c", "d"})
        EXPECT_EQ(I.Add(S), 0);
    EXPECT_EQ(Names(I), (V{"d", "c", "b"}));
    I.SetMaxSize(2);
    EXPECT_EQ(Names(I), (V{"d", "c"}));
}

TEST(RecentStrings, CapacityIsBoundedAndNegativeChangesNothing) {
    TRecentStrings L;
    for (const char* S : {"a", "b", "c"})
        L.Add(S);
    L.SetMaxSize(-5);
    EXPECT_EQ(L.MaxSize(), 10);
    EXPECT_EQ(L.Count(), 3);
    L.SetMaxSize(0);
    EXPECT_EQ(L.MaxSize(), 1);
    EXPECT_EQ(Names(L), (V{"c"}));
    L.SetMaxSize(INT_MAX);
    EXPECT_EQ(L.MaxSize(), RecentMaxSizeLimit);
}

TEST(RecentStrings, NewestFirstListInAppendModeLosesOnlyItsOldest) {
    // The main window keeps its list newest first, puts a closed catalog at the top with
    // Insert(0, ...) and reads the list back as comma text, all in append mode.
    TRecentStrings L;
    L.SetMode(rmAppend);
    L.SetMaxSize(3);
    L.SetCommaText("new,mid,old,older,oldest");
    EXPECT_EQ(Names(L), (V{"new", "mid", "old"}));
    L.Insert(0, "newer");
    EXPECT_EQ(Names(L), (V{"newer", "new", "mid"}));
    L.SetMaxSize(2);
    EXPECT_EQ(Names(L), (V{"newer", "new"}));
    L.Insert(0, "new"); // present: moved, never duplicated
    EXPECT_EQ(Names(L), (V{"new", "newer"}));
    L.SetMaxSize(5);
    L.Insert(0, "a");
    L.Insert(0, "b");
    L.Insert(0, "c");
    L.SetMaxSize(4);
    EXPECT_EQ(Names(L), (V{"c", "b", "a", "new"}));
    EXPECT_EQ(L.CommaText(), "c,b,a,new");
}

TEST(RecentStrings, AddStringsKeepsTheSourcesFirstNamesInOrder) {
    TStringList Source("s1,s2,s3,s4");
    Source.SetObject(0, reinterpret_cast<void*>(intptr_t{7}));
    for (TRecentMode Mode : {rmInsert, rmAppend}) {
        TRecentStrings L;
        L.SetMode(Mode);
        L.SetMaxSize(3);
        L.Add("x");
        L.AddStrings(Source);
        EXPECT_EQ(Names(L), (V{"s1", "s2", "s3"})) << Mode;
        EXPECT_EQ(L.UserData(0), 7);
    }
    TRecentStrings L;
    L.SetMode(rmAppend);
    L.SetCommaText("\"/data/with space.qlmk\",/data/plain.qlmk");
    EXPECT_EQ(Names(L), (V{"/data/with space.qlmk", "/data/plain.qlmk"}));
    EXPECT_EQ(L.CommaText(), "\"/data/with space.qlmk\",/data/plain.qlmk");
}

TEST(RecentStrings, ChangesAreReportedOncePerUpdate) {
    TRecentStrings L;
    int Changes = 0;
    L.OnChange = [&] { ++Changes; };
    L.Add("a");
    EXPECT_EQ(Changes, 1);
    L.SetCommaText("a,b,c,d");
    EXPECT_EQ(Changes, 2);
    L.AddObject("b", 9); // present: takes the new user data
    EXPECT_EQ(L.UserData(0), 9);
    EXPECT_EQ(Changes, 3);
    L.RemoveName("zzz");
    EXPECT_EQ(Changes, 3);
    EXPECT_THROW(L.Insert(99, "x"), EListError);
}

TEST_F(RecentMenu, CaptionsCarryAcceleratorsAndShowNamesAsTheyAre) {
    for (const char* S : {"/d/a & b.qlmk", "/d/x|y.qlmk"})
        Manager.AddItem(S);
    EXPECT_EQ(Texts(Recent), (std::vector<QString>{"&1\t/d/x|y.qlmk", "&2\t/d/a && b.qlmk"}));
    EXPECT_EQ(Recent.actions()[0]->statusTip(), "/d/x|y.qlmk");

    // A caption made by the handler may be "short|long".
    Manager.OnGetItemData = [](QObject*, std::string& Caption, QKeySequence& ShortCut, int) {
        if (Caption.find("a & b") != std::string::npos) {
            Caption = "a & b|" + Caption;
            ShortCut = QKeySequence("Ctrl+1");
        }
    };
    Manager.SetAccelDelimiter(adSpace);
    EXPECT_EQ(Texts(Recent), (std::vector<QString>{"&1 /d/x|y.qlmk", "&2 a && b"}));
    EXPECT_EQ(Recent.actions()[1]->statusTip(), "/d/a & b.qlmk");
    EXPECT_EQ(Recent.actions()[1]->shortcut(), QKeySequence("Ctrl+1"));
    Manager.SetShowAccelChar(false);
    EXPECT_EQ(Texts(Recent), (std::vector<QString>{"/d/x|y.qlmk", "a && b"}));
}

TEST_F(RecentMenu, AcceleratorsRunFromDigitsToLettersToBlank) {
    Manager.SetCapacity(120);
    Manager.SetMode(rmAppend);
    for (int I = 0; I < 102; ++I)
        Manager.AddItem("f" + std::to_string(I));
    const QList<QAction*> A = Recent.actions();
    ASSERT_EQ(A.size(), 102);
    EXPECT_EQ(A[0]->text(), "&1\tf0");
    EXPECT_EQ(A[8]->text(), "&9\tf8");
    EXPECT_EQ(A[9]->text(), "&A\tf9");
    EXPECT_EQ(A[10]->text(), "&B\tf10");
    EXPECT_EQ(A[99]->text(), QString("&") + QChar(65 + 90) + "\tf99");
    EXPECT_EQ(A[100]->text(), " \tf100"); // number 101: no accelerator
    Manager.SetStartAccel(0);
    EXPECT_EQ(Recent.actions()[0]->text(), "&0\tf0");
}

TEST_F(RecentMenu, SeparatorsAndEnabling) {
    EXPECT_TRUE(Recent.actions().isEmpty());
    EXPECT_FALSE(Recent.isEnabled()); // nothing to show
    Manager.SetMode(rmAppend);
    Manager.SetSeparateSize(2);
    for (const char* S : {"a", "b", "c", "d", "e"})
        Manager.AddItem(S);
    EXPECT_TRUE(Recent.isEnabled());
    EXPECT_EQ(Texts(Recent),
              (std::vector<QString>{"&1\ta", "&2\tb", "-", "&3\tc", "&4\td", "-", "&5\te"}));

    // Items of the menu's own come first, then a separator, then the list.
    Manager.SetSeparateSize(0);
    Manager.ClearMenu();
    Recent.addAction("Clear list");
    Manager.RebuildMenu();
    EXPECT_EQ(Recent.actions().size(), 7);
    EXPECT_EQ(Texts(Recent)[1], "-");
    Manager.RecentList().Clear();
    EXPECT_EQ(Texts(Recent), (std::vector<QString>{"Clear list"}));
    EXPECT_TRUE(Recent.isEnabled());
}

TEST_F(RecentMenu, ClickReportsTheEntryAndRemovesItByItsName) {
    for (const char* S : {"c", "b", "a"})
        Manager.AddItem(S, S[0] == 'b' ? 5 : 0);
    std::vector<std::string> Clicked;
    Manager.OnClick = [&](QObject* Sender, const std::string& Name, const std::string& Caption,
                          int UserData) {
        EXPECT_EQ(Sender, &Manager);
        Clicked.push_back(Name + "|" + Caption + "|" + std::to_string(UserData));
        // What opening a catalog does: the previous catalog goes to the top.
        Manager.RecentList().Insert(0, "previous");
    };
    Manager.SetRemoveOnSelect(true);
    Recent.actions()[1]->trigger();
    EXPECT_EQ(Clicked, (V{"b|&2\tb|5"}));
    // The clicked name went, not whatever sits at its old index now.
    EXPECT_EQ(Names(Manager.RecentList()), (V{"previous", "a", "c"}));

    // A failing handler is reported; the entry still goes.
    Manager.OnClick = [](QObject*, const std::string&, const std::string&, int) {
        throw Exception("Cannot open file \"a\"");
    };
    Recent.actions()[1]->trigger();
    EXPECT_EQ(Names(Manager.RecentList()), (V{"previous", "c"}));
    EXPECT_EQ(Errors, (V{"Cannot open file \"a\""}));
}

TEST_F(RecentMenu, ClickOnAStaleItemDoesNothing) {
    for (const char* S : {"c", "b", "a"})
        Manager.AddItem(S);
    Manager.SetAutoUpdate(false);
    QAction* Last = Recent.actions()[2];
    Manager.RecentList().Clear();
    bool Clicked = false;
    Manager.OnClick = [&](QObject*, const std::string&, const std::string&, int) {
        Clicked = true;
    };
    Last->trigger();
    EXPECT_FALSE(Clicked);
}

TEST_F(RecentMenu, MenuRebuiltInsideItsOwnClickReleasesActionsLater) {
    for (const char* S : {"/d/3.qlmk", "/d/2.qlmk", "/d/1.qlmk"})
        Manager.AddItem(S);
    std::vector<std::string> Opened;
    Manager.OnClick = [&](QObject*, const std::string& Name, const std::string&, int) {
        // Opening a catalog: the open one leaves the list, the closed one comes back on top;
        // each change rebuilds the menu while the clicked action is still being triggered.
        Opened.push_back(Name);
        Manager.RemoveItem(Name);
        Manager.RecentList().Insert(0, "/d/closed" + std::to_string(Opened.size()) + ".qlmk");
    };
    QPointer<QAction> Clicked = Recent.actions()[1];
    // Through the menu itself, as the user would: open it, select the entry, press Return.
    Recent.popup(QPoint(10, 10));
    ProcessEvents();
    Recent.setActiveAction(Clicked);
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&Recent, &Press);
    EXPECT_EQ(Opened, (V{"/d/2.qlmk"}));
    EXPECT_TRUE(Clicked); // still alive: released later, not under the click
    EXPECT_FALSE(Recent.actions().contains(Clicked.data()));
    ProcessEvents();
    EXPECT_FALSE(Clicked);

    // And twice through the action's own trigger.
    for (int I = 0; I < 2; ++I)
        Recent.actions()[0]->trigger();
    ProcessEvents();
    EXPECT_EQ(Opened.size(), 3u);
    EXPECT_EQ(Recent.actions().size(), Manager.RecentList().Count());
    EXPECT_EQ(Names(Manager.RecentList())[0], "/d/closed3.qlmk");
}

TEST_F(RecentMenu, MenuDestroyedBeforeTheManager) {
    auto Menu = std::make_unique<QMenu>();
    Manager.SetRecentMenu(Menu.get());
    Manager.AddItem("a");
    Menu.reset();
    EXPECT_EQ(Manager.RecentMenu(), nullptr);
    Manager.AddItem("b");
    EXPECT_EQ(Manager.RecentList().Count(), 2);
}

TEST_F(RecentMenu, SavesAndLoadsWithTheFormsSettingsStore) {
    {
        TfmMain F;
        F.MRUManager1->SetIniStorage(F.FormStorage1);
        F.MRUManager1->SetMode(rmAppend);
        F.MRUManager1->AddItem("/d/before-show.qlmk");
        F.show(); // the restore replaces the list by the stored one, empty here
        EXPECT_TRUE(F.MRUManager1->RecentList().IsEmpty());
        F.MRUManager1->AddItem("/d/old.qlmk", 3);
        F.MRUManager1->AddItem("/d/new.qlmk");
        F.close();
    }
    const std::string Section = "General\\TfmMain.MRUManager1";
    {
        TRegIniFile Reg("Software\\Marrowfield\\Quillmark");
        EXPECT_EQ(Reg.ReadString(Section, "Item_0", ""), "/d/old.qlmk");
        EXPECT_EQ(Reg.ReadString(Section, "User_0", ""), "3");
        EXPECT_EQ(Reg.ReadString(Section, "Item_1", ""), "/d/new.qlmk");
        EXPECT_FALSE(Reg.ValueExists(Section, "User_1"));
        // A stale value of an entry that has no user data any more, and entries beyond the
        // list's capacity, as a damaged or edited file might hold.
        Reg.WriteString(Section, "User_1", "99");
        Reg.WriteString(Section, "Item_50", "/d/beyond.qlmk");
        Reg.UpdateFile();
    }
    TfmMain F;
    F.MRUManager1->SetIniStorage(F.FormStorage1);
    F.MRUManager1->SetMode(rmAppend);
    F.show();
    // The entry stored first is at the top again; the mode is kept.
    EXPECT_EQ(Names(F.MRUManager1->RecentList()), (V{"/d/old.qlmk", "/d/new.qlmk"}));
    EXPECT_EQ(F.MRUManager1->RecentList().UserData(0), 3);
    EXPECT_EQ(F.MRUManager1->RecentList().UserData(1), 99);
    EXPECT_EQ(F.MRUManager1->Mode(), rmAppend);
    F.MRUManager1->RecentList().SetUserData(1, 0);
    F.close();
    TRegIniFile Reg("Software\\Marrowfield\\Quillmark", TRegistryRoot::CurrentUser, true);
    EXPECT_FALSE(Reg.ValueExists(Section, "User_1"));
    EXPECT_FALSE(Reg.ValueExists(Section, "Item_50"));
}

#include "MRUListTest.moc"
