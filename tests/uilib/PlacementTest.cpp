// The settings store and window placement on real windows of the offscreen platform (one
// 1024x768 screen at 96 dpi): what is stored, what is restored, and which stored positions are
// not applied as they are.
#include "UiLibTestSupport.h"

#include "platform/Exceptions.h"
#include "platform/Registry.h"
#include "uilib/Placemnt.h"
#include "uilib/StrUtils.h"
#include "uilib/WindowPlacement.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

const std::string ProgramKey = "Software\\Marrowfield\\Quillmark";

// A form set up the way the main window sets up its settings store.
class TfmPlaced : public TCustomForm {
    Q_OBJECT

public:
    TfmPlaced() {
        setObjectName("fmPlaced");
        FormStorage1 = new TFormStorage(this);
        FormStorage1->SetName("FormStorage1");
        FormStorage1->SetUseRegistry(true);
        FormStorage1->SetOptions(fpPosition);
        FormStorage1->SetIniFileName(ProgramKey);
        FormStorage1->SetIniSection("General");
        resize(400, 300);
    }
    ~TfmPlaced() override { BeforeDestruction(); }

    TFormStorage* FormStorage1;
};

class Placement : public ConfigHomeTest {
protected:
    // The value as stored in the program's key.
    std::string Stored(const std::string& Ident) {
        TRegIniFile Reg(ProgramKey, TRegistryRoot::CurrentUser, true);
        return Reg.ReadString("General", Ident, "<missing>");
    }
    void Store(const std::string& Ident, const std::string& Value) {
        TRegIniFile Reg(ProgramKey);
        Reg.WriteString("General", Ident, Value);
        Reg.UpdateFile();
    }
    // The geometry a new form is shown with; the form then goes without saving.
    QRect ShownGeometry(TPosition Position = poDesigned) {
        auto F = Shown(Position);
        F->FormStorage1->SetActive(false);
        return F->geometry();
    }
    // Shows a new form and returns it (the caller closes or destroys it).
    std::unique_ptr<TfmPlaced> Shown(TPosition Position = poDesigned,
                                     TPlacementOptions Options = fpPosition) {
        auto F = std::make_unique<TfmPlaced>();
        F->SetPosition(Position);
        F->FormStorage1->SetOptions(Options);
        F->show();
        ProcessEvents();
        return F;
    }
};

} // namespace

TEST_F(Placement, ClosingStoresEveryPlacementValue) {
    auto F = Shown();
    F->setGeometry(100, 120, 400, 300);
    ASSERT_TRUE(F->close());
    EXPECT_TRUE(F->FormStorage1->Saved());
    EXPECT_EQ(Stored("FormVersion"), "0");
    EXPECT_EQ(Stored("Flags"), "0");
    EXPECT_EQ(Stored("ShowCmd"), "1");
    EXPECT_EQ(Stored("PixelsPerInch"), "96");
    EXPECT_EQ(Stored("MinMaxPos(1024x768)"), "-1,-1,-4,-4");
    EXPECT_EQ(Stored("MinMaxPos"), "-1,-1,-4,-4");
    EXPECT_EQ(Stored("NormPos(1024x768)"), "100,120,500,420");
    EXPECT_EQ(Stored("NormPos"), "100,120,500,420");
    EXPECT_EQ(Stored("Visible"), "0");
    EXPECT_EQ(Stored("ActiveControl"), "<missing>");
    // Destroying after a save made by the close writes nothing more.
    F.reset();
    EXPECT_EQ(Stored("Visible"), "0");

    // The file is plain text in the user's configuration folder.
    const std::string Text = ReadFile(ProgramConfigFile());
    EXPECT_NE(Text.find("General]"), std::string::npos) << Text;
    EXPECT_NE(Text.find("PixelsPerInch=96\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("100,120,500,420"), std::string::npos) << Text;
    EXPECT_TRUE(Errors.empty());
}

TEST_F(Placement, DestroyWithoutCloseSavesOnceWithVisibleTrue) {
    auto F = Shown();
    F.reset();
    EXPECT_EQ(Stored("Visible"), "1");
    EXPECT_EQ(Stored("ShowCmd"), "1");
}

TEST_F(Placement, FormNeverShownWritesNothing) {
    { TfmPlaced F; }
    EXPECT_FALSE(std::filesystem::exists(ProgramConfigFile()));
}

TEST_F(Placement, WindowComesBackRunAfterRunWithoutGrowing) {
    {
        auto F = Shown();
        F->setGeometry(130, 140, 420, 310);
        F->close();
    }
    for (int Run = 0; Run < 3; ++Run) {
        auto F = Shown(poScreenCenter);
        EXPECT_EQ(F->geometry(), QRect(130, 140, 420, 310)) << "run " << Run;
        EXPECT_EQ(F->Position(), poDesigned);
        F->close();
    }
    EXPECT_EQ(Stored("NormPos"), "130,140,550,450");
}

TEST_F(Placement, EventsRunInTheFormsOrder) {
    std::vector<std::string> Log;
    auto F = std::make_unique<TfmPlaced>();
    TFormStorage* S = F->FormStorage1;
    F->OnShow = [&](QObject*) { Log.push_back("form show"); };
    S->OnRestorePlacement = [&](QObject* Sender) {
        EXPECT_EQ(Sender, S);
        // The settings are read from the key the restore has open.
        EXPECT_NE(S->StorageObject(), nullptr);
        Log.push_back("restore " + S->ReadString("Note", "none"));
    };
    bool Refuse = true;
    F->OnCloseQuery = [&](QObject*, bool& CanClose) {
        Log.push_back("form close query");
        CanClose = !Refuse;
    };
    S->OnSavePlacement = [&](QObject*) {
        EXPECT_NE(S->StorageObject(), nullptr);
        S->WriteString("Note", "saved");
        Log.push_back("save");
    };
    F->OnDestroy = [&](QObject*) { Log.push_back("form destroy"); };

    F->show();
    EXPECT_FALSE(F->close()); // the form's own handler says no: nothing is saved
    EXPECT_TRUE(F->isVisible());
    Refuse = false;
    EXPECT_TRUE(F->close());
    F.reset();
    EXPECT_EQ(Log, (std::vector<std::string>{"restore none", "form show", "form close query",
                                             "form close query", "save", "form destroy"}));
    EXPECT_EQ(Stored("Note"), "saved");
}

TEST_F(Placement, WithoutStoredDataTheWindowKeepsItsCreationPosition) {
    auto F = Shown(poScreenCenter);
    EXPECT_EQ(F->geometry(), QRect(312, 234, 400, 300));
    EXPECT_EQ(F->Position(), poScreenCenter);
    EXPECT_TRUE(F->FormStorage1->Restored());
}

TEST_F(Placement, PositionFromAnotherResolutionIsIgnored) {
    Store("NormPos", "10,20,410,320");
    Store("PixelsPerInch", "120");
    auto F = Shown(poScreenCenter);
    EXPECT_EQ(F->geometry(), QRect(312, 234, 400, 300));
}

TEST_F(Placement, DegenerateRectanglesAreNotApplied) {
    for (const char* Pos : {"500,20,400,320", "10,20,10,320", "10,320,410,20", "10,20,410,20"}) {
        Store("NormPos", Pos);
        auto F = Shown(poScreenCenter);
        EXPECT_EQ(F->geometry(), QRect(312, 234, 400, 300)) << Pos;
        EXPECT_EQ(F->Position(), poScreenCenter) << Pos;
        F->FormStorage1->SetActive(false);
    }
}

TEST_F(Placement, DialogBorderWindowMovesButKeepsItsSize) {
    Store("NormPos", "10,20,500,400");
    auto F = std::make_unique<TfmPlaced>();
    F->SetBorderStyle(bsDialog);
    F->show();
    EXPECT_EQ(F->geometry(), QRect(10, 20, 400, 300));
}

TEST_F(Placement, OlderVersionIsNotRestoredButOverwritten) {
    Store("FormVersion", "1");
    Store("NormPos", "10,20,410,320");
    auto F = std::make_unique<TfmPlaced>();
    F->FormStorage1->SetVersion(2);
    bool Fired = false;
    F->FormStorage1->OnRestorePlacement = [&](QObject*) { Fired = true; };
    F->SetPosition(poScreenCenter);
    F->show();
    EXPECT_FALSE(Fired);
    EXPECT_TRUE(F->FormStorage1->Restored());
    EXPECT_EQ(F->geometry(), QRect(312, 234, 400, 300));
    F->close();
    EXPECT_EQ(Stored("FormVersion"), "2");
    EXPECT_EQ(Stored("NormPos"), "312,234,712,534");
}

TEST_F(Placement, ValueForThisScreenSizeWins) {
    Store("NormPos(1024x768)", "10,10,410,310");
    Store("NormPos", "50,50,450,350");
    EXPECT_EQ(ShownGeometry(), QRect(10, 10, 400, 300));

    TRegIniFile(ProgramKey).EraseSection("General");
    Store("NormPos(800x600)", "10,10,410,310");
    Store("NormPos", "50,50,450,350");
    EXPECT_EQ(ShownGeometry(), QRect(50, 50, 400, 300));
}

TEST_F(Placement, StoredNumbersAreSeparatedByBlanksAndCommas) {
    Store("NormPos", "100, 110,500 ,400");
    EXPECT_EQ(ShownGeometry(), QRect(100, 110, 400, 290));
    // Missing numbers take the window's own edges as they are before the restore, (0,0) and
    // 400 by 300 here.
    Store("NormPos", "100,110,x");
    EXPECT_EQ(ShownGeometry(), QRect(100, 110, 300, 190));
}

TEST_F(Placement, PositionsOffTheScreenAreBroughtBack) {
    // Stored on a larger monitor.
    Store("NormPos", "2000,1500,2800,2100");
    EXPECT_EQ(ShownGeometry(), QRect(224, 168, 800, 600));
    // Larger than this screen, its top edge above it. (The offscreen platform, like a window
    // manager, then keeps the 2-pixel frame on the screen too.)
    Store("NormPos", "-300,-200,2700,1800");
    QRect G = ShownGeometry();
    EXPECT_EQ(G.size(), QSize(1024, 768));
    EXPECT_TRUE(G.x() >= 0 && G.x() <= 2 && G.y() >= 0 && G.y() <= 2) << G.x() << "," << G.y();
    // Far to the left and above.
    Store("NormPos", "-5000,-4000,-4600,-3700");
    G = ShownGeometry();
    EXPECT_EQ(G.size(), QSize(400, 300));
    EXPECT_TRUE(G.x() >= 0 && G.x() <= 2 && G.y() >= 0 && G.y() <= 2) << G.x() << "," << G.y();
    // Partly on the screen (stored on a larger monitor to the right, or below): wholly on it.
    Store("NormPos", "900,600,1300,900");
    EXPECT_EQ(ShownGeometry(), QRect(624, 468, 400, 300));
    Store("NormPos", "950,100,1350,400");
    EXPECT_EQ(ShownGeometry(), QRect(624, 100, 400, 300));
    Store("NormPos", "1000,100,1400,400");
    EXPECT_EQ(ShownGeometry(), QRect(624, 100, 400, 300));
    // Only its lowest rows on the screen: the title bar could not be reached.
    Store("NormPos", "100,-290,500,10");
    EXPECT_EQ(ShownGeometry(), QRect(100, 2, 400, 300));
}

TEST_F(Placement, StoredSizesAreClampedToTheScreen) {
    // Any size stored is at most the screen's: no window of 100000 by 100000 pixels.
    for (const char* Stored : {"0,0,100000,100000", "10,20,32777,32787",
                               "-2147483648,-2147483648,2147483647,2147483647"}) {
        SCOPED_TRACE(Stored);
        Store("NormPos", Stored);
        const QRect G = ShownGeometry();
        EXPECT_EQ(G.size(), QSize(1024, 768));
        EXPECT_TRUE(G.x() >= 0 && G.x() <= 2 && G.y() >= 0 && G.y() <= 2) << G.x() << "," << G.y();
    }
    // Edges at the end of the integers' range are no overflow either.
    Store("NormPos", "2147483000,100,2147483647,400");
    EXPECT_EQ(ShownGeometry(), QRect(1024 - 647, 100, 647, 300));
}

TEST_F(Placement, StoredSizeIsAtLeastTheWindowsMinimum) {
    Store("NormPos", "10,20,110,70");
    auto F = std::make_unique<TfmPlaced>();
    F->setMinimumSize(300, 200);
    F->show();
    EXPECT_EQ(F->geometry(), QRect(10, 20, 300, 200));
}

TEST_F(Placement, MaximizedWindowKeepsItsNormalPosition) {
    {
        auto F = Shown(poDesigned, fpState | fpPosition);
        F->setGeometry(100, 100, 400, 300);
        F->showMaximized();
        ProcessEvents();
        ASSERT_TRUE(F->isMaximized());
        F->close();
    }
    EXPECT_EQ(Stored("ShowCmd"), "3");
    EXPECT_EQ(Stored("NormPos"), "100,100,500,400");

    auto F = Shown(poDesigned, fpState | fpPosition);
    EXPECT_TRUE(F->isMaximized());
    F->showNormal();
    ProcessEvents();
    EXPECT_EQ(F->geometry(), QRect(100, 100, 400, 300));
    // Position only, as the main window stores it: the state is not restored.
    F->close();
    EXPECT_FALSE(Shown(poDesigned, fpPosition)->isMaximized());
}

TEST_F(Placement, MinimizedMainWindowIsMinimizedOnceShown) {
    {
        auto F = Shown(poDesigned, fpState | fpPosition);
        F->showMinimized();
        ProcessEvents();
        ASSERT_TRUE(F->isMinimized());
        F->close();
    }
    EXPECT_EQ(Stored("ShowCmd"), "2");
    auto F = std::make_unique<TfmPlaced>();
    ASSERT_TRUE(F->IsMainForm());
    F->FormStorage1->SetOptions(fpState | fpPosition);
    F->show();
    EXPECT_FALSE(F->isMinimized());
    ProcessEvents();
    EXPECT_TRUE(F->isMinimized());

    // A restore on de-iconify (a spontaneous show) would overwrite what the user changed.
    int Restores = 0;
    F->FormStorage1->OnRestorePlacement = [&](QObject*) { ++Restores; };
    F->showNormal();
    ProcessEvents();
    EXPECT_EQ(Restores, 0);
    F->hide();
    F->show();
    EXPECT_EQ(Restores, 1);
}

TEST_F(Placement, FailingRestoreIsReportedAndTheWindowStillShows) {
    std::filesystem::create_directories(ProgramConfigFile()); // a folder where the file goes
    auto F = Shown();
    EXPECT_TRUE(F->isVisible());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("Quillmark.conf"), std::string::npos) << Errors[0];
    // What could not be read is not overwritten either.
    EXPECT_TRUE(F->close());
    EXPECT_FALSE(F->FormStorage1->Saved());
    EXPECT_EQ(Errors.size(), 1u);
}

TEST_F(Placement, SettingsCallsOutsideEventsOpenAndCloseTheKey) {
    TfmPlaced F;
    TFormStorage* S = F.FormStorage1;
    EXPECT_EQ(S->ReadInteger("gRecentListCount", 10), 10);
    EXPECT_FALSE(std::filesystem::exists(ProgramConfigFile())); // reading creates nothing
    S->WriteInteger("roAdd", -1);
    S->WriteString("Recent", "/data/a.qlmk,\"/data/b c.qlmk\"");
    EXPECT_EQ(S->StorageObject(), nullptr);
    EXPECT_NE(ReadFile(ProgramConfigFile()).find("roAdd=-1\n"), std::string::npos);
    EXPECT_EQ(S->ReadInteger("roAdd", 0), -1);
    EXPECT_EQ(S->ReadString("Recent"), "/data/a.qlmk,\"/data/b c.qlmk\"");
    EXPECT_EQ(S->ReadString("Missing", "dflt"), "dflt");
}

TEST_F(Placement, DefaultsNameTheKeyAndSection) {
    TfmPlaced F;
    TFormStorage* S = F.FormStorage1;
    S->SetIniFileName("");
    S->SetIniSection("");
    EXPECT_EQ(S->GetIniFileName(), "Software\\uilib_tests");
    EXPECT_EQ(S->GetIniSection(), "TfmPlaced");
    S->SetUseRegistry(false);
    EXPECT_EQ(S->GetIniFileName(), "uilib_tests.INI");
}

TEST_F(Placement, IniFileModeStoresInTheConfigFolder) {
    {
        TfmPlaced F;
        F.FormStorage1->SetUseRegistry(false);
        F.FormStorage1->SetIniFileName("placement.ini");
        F.show();
        F.setGeometry(60, 70, 400, 300);
        F.close();
    }
    const std::string Text = ReadFile(Dir / "placement.ini");
    EXPECT_NE(Text.find("[General]\nFormVersion=0\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("NormPos=60,70,460,370\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Visible=0\n"), std::string::npos) << Text;

    TfmPlaced F;
    F.FormStorage1->SetUseRegistry(false);
    F.FormStorage1->SetIniFileName("placement.ini");
    F.show();
    EXPECT_EQ(F.geometry(), QRect(60, 70, 400, 300));
}

TEST_F(Placement, ActiveControlIsStoredAndFocusedAgain) {
    for (int Run = 0; Run < 2; ++Run) {
        TfmPlaced F;
        F.FormStorage1->SetOptions(fpPosition | fpActiveControl);
        auto* Central = new QWidget(&F);
        F.setCentralWidget(Central);
        auto* A = new QLineEdit(Central);
        A->setObjectName("edA");
        auto* B = new QLineEdit(Central);
        B->setObjectName("edB");
        F.show();
        if (Run == 0) {
            B->setFocus();
            F.close();
            EXPECT_EQ(Stored("ActiveControl"), "edB");
        } else {
            EXPECT_EQ(F.focusWidget(), B);
        }
    }
}

TEST_F(Placement, StoredValuesRoundTripHexEncodedWithAKey) {
    {
        TfmPlaced F;
        TStoredValues& V = F.FormStorage1->StoredValues();
        TStoredValue* Plain = V.Add();
        Plain->SetName("LastFolder");
        Plain->Value = QString("/media/cdrom");
        TStoredValue* Secret = V.Add();
        Secret->SetName("Password");
        Secret->KeyString = "k3y";
        Secret->Value = QString("hunter2");
        Secret->OnSave = [](TStoredValue*, QVariant& Value) { Value = Value.toString() + "!"; };
        EXPECT_THROW(V.Add()->SetName("lastfolder"), EListError);
        EXPECT_EQ(V.IndexOf("PASSWORD"), 1);
        F.show();
        F.close();
    }
    EXPECT_EQ(Stored("LastFolder"), "/media/cdrom");
    EXPECT_EQ(Stored("Password"), XorToHex("k3y", "hunter2!"));

    TfmPlaced F;
    TStoredValues& V = F.FormStorage1->StoredValues();
    TStoredValue* Plain = V.Add();
    Plain->SetName("LastFolder");
    TStoredValue* Secret = V.Add();
    Secret->SetName("Password");
    Secret->KeyString = "k3y";
    TStoredValue* Missing = V.Add();
    Missing->SetName("Missing");
    Missing->Value = QString("kept");
    F.show();
    EXPECT_EQ(Plain->Value.toString(), "/media/cdrom");
    EXPECT_EQ(Secret->Value.toString(), "hunter2!");
    EXPECT_EQ(Missing->Value.toString(), "kept");
}

TEST_F(Placement, LinksSaveAndLoadInsideTheOpenStorage) {
    TfmPlaced F;
    std::vector<std::string> Log;
    TIniLink Link;
    Link.OnSave = [&](TIniLink* L) {
        ASSERT_NE(L->StorageObject(), nullptr);
        L->StorageObject()->WriteString(L->SectionPrefix() + "Linked", "X", "1");
        Log.push_back("save " + L->SectionPrefix());
    };
    Link.OnLoad = [&](TIniLink* L) {
        ASSERT_NE(L->StorageObject(), nullptr);
        Log.push_back("load " +
                      L->StorageObject()->ReadString(L->SectionPrefix() + "Linked", "X", "none"));
    };
    Link.SetStorage(F.FormStorage1);
    EXPECT_EQ(Link.StorageObject(), nullptr); // nothing open outside save and restore
    F.show();
    F.close();
    {
        TIniLink Gone;
        Gone.SetStorage(F.FormStorage1);
    } // a destroyed link detaches itself
    F.hide();
    F.show();
    EXPECT_EQ(Log, (std::vector<std::string>{"load none", "save General\\", "load 1"}));
}

TEST_F(Placement, SizeLimitsAndPreventResize) {
    TfmPlaced F;
    F.setMinimumSize(100, 80);
    TWinMinMaxInfo& M = F.FormStorage1->MinMaxInfo();
    EXPECT_TRUE(M.AllLimitsZero());
    M.SetMinTrackWidth(250);
    M.SetMaxTrackHeight(500);
    EXPECT_FALSE(M.AllLimitsZero());
    EXPECT_EQ(F.minimumSize(), QSize(250, 80));
    EXPECT_EQ(F.maximumHeight(), 500);
    M.SetMinTrackWidth(0);
    M.SetMaxTrackHeight(0);
    EXPECT_EQ(F.minimumSize(), QSize(100, 80));
    EXPECT_EQ(F.maximumHeight(), QWIDGETSIZE_MAX);

    F.show();
    F.FormStorage1->SetPreventResize(true);
    EXPECT_EQ(F.minimumSize(), F.size());
    EXPECT_EQ(F.maximumSize(), F.size());
    EXPECT_FALSE(F.BorderIcons() & biMaximize);
    EXPECT_TRUE(F.isVisible());
    F.FormStorage1->SetPreventResize(false);
    EXPECT_EQ(F.minimumSize(), QSize(100, 80));
    EXPECT_TRUE(F.BorderIcons() & biMaximize);
}

TEST_F(Placement, WindowRecordOfAHiddenWindow) {
    TfmPlaced F;
    F.setGeometry(10, 20, 300, 200);
    TWindowPlacement WP;
    GetWindowPlacement(F, WP);
    EXPECT_EQ(WP.length, 44u);
    EXPECT_EQ(WP.showCmd, SW_SHOWNORMAL);
    EXPECT_EQ(WP.rcNormalPosition, (TRect{10, 20, 310, 220}));
    WP.showCmd = SW_HIDE;
    WP.rcNormalPosition = {30, 40, 330, 240};
    WP.ptMinPosition = {-32000, -32000};
    SetWindowPlacement(F, WP);
    EXPECT_FALSE(F.isVisible());
    TWindowPlacement Back;
    GetWindowPlacement(F, Back);
    EXPECT_EQ(Back.rcNormalPosition, (TRect{30, 40, 330, 240}));
    EXPECT_EQ(Back.ptMinPosition, (TPoint{-32000, -32000}));
    EXPECT_EQ(BorderMetrics(bsSizeable), (TPoint{4, 4}));
    EXPECT_EQ(BorderMetrics(bsDialog), (TPoint{3, 3}));
    EXPECT_EQ(BorderMetrics(bsNone), (TPoint{0, 0}));
}

#include "PlacementTest.moc"
