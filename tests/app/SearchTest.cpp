// Searching from the window: the find dialog, the find action with its criteria checked against
// counts made here from the catalog, and the question that stops a running search.
#include "AppTestSupport.h"

#include "core/KeyWords.h"
#include "platform/SysUtils.h"
#include "uilib/HintFilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <set>

class SearchTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
        Disc = AddScanned(Docs, "Disc1");
        TFileFolder* Photos = AddFolder(Disc, "Photos");
        Beach = AddFile(Photos, "beach.jpg");
        Beach->SetComment("Holiday photo");
        Sun = AddFile(Photos, "Sun.JPG");
        AddFile(Photos, "notes.txt")->SetNote("first draft\nof the report");
        AddFile(Disc, "readme.txt")->SetComment("Annual report");
        AddFile(Disc, "setup.exe");
        AddFile(Disc, "README");
        AddFile(Docs, "letter.TXT")->SetComment("REPORTS to come");
        TBasicFolder* Music = AddVirtual(CurrentCatalog, "Music");
        AddFile(Music, "song.mp3")->SetComment("a report");
        AddKeyWord("Holiday", {Beach, Sun});
        AddKeyWord("Old", {Sun});
        Main->RefreshTreeNode(RootNode());
        Main->RefreshList(false);
    }

    void AddKeyWord(const std::string& Name, const std::vector<TBasicItem*>& Items) {
        auto* K = new TKeyWordItem(CurrentCatalog->KeyWords());
        K->SetItemName(Name);
        for (TBasicItem* X : Items)
            K->AddClient(X);
    }

    // What a search of Scope's children (and below them with Sub) must find, worked out here.
    static std::set<TBasicItem*> Expected(TBasicItem* Scope, bool Sub,
                                          const std::function<bool(TBasicItem*)>& Match) {
        std::set<TBasicItem*> R;
        std::function<void(TBasicItem*)> Walk = [&](TBasicItem* F) {
            for (int I = 0; I < F->Children()->Count(); ++I) {
                TBasicItem* X = F->Children()->At(I);
                if (Match(X)) R.insert(X);
                if (Sub && X->Children()) Walk(X);
            }
        };
        Walk(Scope);
        return R;
    }
    std::set<TBasicItem*> Shown() const {
        std::set<TBasicItem*> R;
        for (int I = 0; I < lvResult()->Count(); ++I)
            R.insert(lvResult()->Item(I)->Data());
        return R;
    }
    static bool Ext(TBasicItem* X, const std::string& E) {
        return AnsiSameText(ExtractFileExt(X->DisplayName()), E);
    }
    static bool Has(std::string_view Text, const std::string& Word) {
        return UpperCase(Text).find(Word) != std::string::npos;
    }
    static bool Carries(TBasicItem* X, const std::string& Name) {
        for (TKeyWordItem* K : X->KeyWords())
            if (K->DisplayName() == Name) return true;
        return false;
    }

    void Find(const TFindCriteria& C) {
        Dialogs->Find(C);
        Trigger("FindAction");
        WaitForSearch();
    }

    TFileCollection* Disc = nullptr;
    TFileItem* Beach = nullptr;
    TFileItem* Sun = nullptr;
};

TEST_F(SearchTest, CriteriaCombineAsChosenInTheAreaChosen) {
    auto Txt = [](TBasicItem* X) { return Ext(X, ".txt"); };
    auto Report = [](TBasicItem* X) { return Has(X->Comment(), "REPORT"); };
    const struct {
        const char* What;
        TFindCriteria Criteria;
        TBasicItem* Scope;
        std::function<bool(TBasicItem*)> Match;
    } Cases[] = {
        {"mask", {"", "", "", "*.txt"}, CurrentCatalog, Txt},
        {"AND",
         {"", "report", "", "*.txt"},
         CurrentCatalog,
         [&](TBasicItem* X) { return Txt(X) && Report(X); }},
        {"OR",
         {"", "report", "", "*.txt", 1},
         CurrentCatalog,
         [&](TBasicItem* X) { return Txt(X) || Report(X); }},
        {"keywords",
         {"+holiday -old"},
         CurrentCatalog,
         [](TBasicItem* X) { return Carries(X, "Holiday") && !Carries(X, "Old"); }},
        {"note",
         {"", "", "draft"},
         CurrentCatalog,
         [](TBasicItem* X) { return Has(X->Note(), "DRAFT"); }},
        {"no extension",
         {"", "", "", "*."},
         CurrentCatalog,
         [](TBasicItem* X) { return ExtractFileExt(X->DisplayName()).empty(); }},
        {"all but",
         {"", "", "", "+* -*.jpg"},
         CurrentCatalog,
         [](TBasicItem* X) { return !Ext(X, ".jpg"); }},
        {"folder only", {"", "", "", "*", 0, 1, false}, Disc, [](TBasicItem*) { return true; }},
        {"folder and below", {"", "", "", "*", 0, 1, true}, Disc, [](TBasicItem*) { return true; }},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        Main->SetCurrentFolder(C.Scope);
        Find(C.Criteria);
        const std::set<TBasicItem*> Want = Expected(C.Scope, C.Criteria.SubFolders, C.Match);
        EXPECT_FALSE(Want.empty());
        EXPECT_EQ(Shown(), Want);
        EXPECT_EQ(lvResult()->Count(), static_cast<int>(Want.size()));
    }
    // The pane was shown by the first search; no keyword has changed its state.
    EXPECT_TRUE(Part("BottomPanel")->isVisible());
    EXPECT_TRUE(Main->isEnabled());
}

TEST_F(SearchTest, AFieldThatDoesNotParseLeavesNoSearchBehind) {
    Find({"", "", "", "*.txt"});
    ASSERT_GT(lvResult()->Count(), 0);
    // The wildcard field parses last; nothing starts, nothing is left to wait for.
    auto Refused = [&](const TFindCriteria& C) {
        Dialogs->Find(C);
        Dialogs->Answer(mrOk);
        Trigger("FindAction");
        EXPECT_FALSE(Main->FindRunning());
        EXPECT_EQ(lvResult()->Count(), 0);
        return Dialogs->Messages().back();
    };
    EXPECT_EQ(Refused({"", "report", "", "-*.exe"}), "Include parameters not found");
    EXPECT_EQ(Refused({"", "", "", "+*.txt -[a-"}), "'[a-' is an invalid mask at (3)");
    // New does not wait for a search that never ran, and the next Find works.
    CatalogModified = false;
    Trigger("aNew");
    BuildSampleCatalog();
    Find({"", "", "", "*.txt"});
    EXPECT_EQ(Shown(),
              Expected(CurrentCatalog, true, [](TBasicItem* X) { return Ext(X, ".txt"); }));
}

TEST_F(SearchTest, FindDoesNothingWhileASearchRunsAndDeleteAsksToStopIt) {
    auto* Held = new THeldFolder(CurrentCatalog->Children());
    std::atomic<bool> Release{false};
    Held->Release = [&] { return Release.load(); };
    Dialogs->Find({"", "", "", "*.txt"});
    Trigger("FindAction");
    for (int I = 0; I < 3000 && !Held->Reached; ++I)
        CheckSynchronize(10);
    ASSERT_TRUE(Main->FindRunning());
    Action("FindAction")->trigger(); // no dialog is asked for
    EXPECT_EQ(Dialogs->Asked.size(), 1u);
    RefreshKeyWordsProc();
    lvResult()->Add()->SetCaption("a row of before");
    Main->UpdateActions();
    for (const char* Name : {"aFindKeyWord", "aClearResults", "ReportAction"})
        EXPECT_FALSE(Action(Name)->isEnabled()) << Name;

    SelectRows({"Docs"});
    // No: the search goes on, nothing is deleted.
    Dialogs->Answer(mrNo);
    Action("DeleteAction")->trigger();
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Terminate Search?"});
    EXPECT_EQ(Dialogs->Asked.back().Type, mtWarning);
    EXPECT_EQ(Dialogs->Asked.back().Buttons, mbYes | mbNo);
    EXPECT_EQ(Main->StatusText(), "Operation Cancelled!");
    EXPECT_TRUE(Main->FindRunning());
    // Yes: the search stops and the delete goes on; nothing was cancelled.
    Dialogs->Answer(mrYes);
    Dialogs->Answer(mrOk);
    Release = true;
    Action("DeleteAction")->trigger();
    EXPECT_FALSE(Main->FindRunning());
    EXPECT_EQ(Dialogs->Messages().back(), "Delete Docs ?");
    EXPECT_EQ(RowOf("Docs"), nullptr);
    EXPECT_NE(Main->StatusText(), "Operation Cancelled!");
    ProcessEvents();
    EXPECT_TRUE(Main->isEnabled());
}

TEST_F(SearchTest, ANewCatalogWhileTheRowsArriveStopsTheFilling) {
    TBasicFolder* Many = AddVirtual(CurrentCatalog, "Many");
    // Enough rows that, a millisecond each, they take seconds to go in even on a busy machine.
    constexpr int Files = 3000;
    for (int I = 0; I < Files; ++I)
        (new TSlowFile(Many->Children()))->SetNameField(PackedString("f" + std::to_string(I)));
    Dialogs->Find({"", "", "", "f*"});
    Trigger("FindAction");
    // The first batch of rows is in, the others are still to come.
    for (int I = 0; I < 3000 && lvResult()->Count() == 0; ++I)
        CheckSynchronize(10);
    ASSERT_TRUE(Main->FindRunning());
    ASSERT_LT(lvResult()->Count(), Files);
    Dialogs->Answer(mrNo);
    Trigger("aNew");
    EXPECT_FALSE(Main->FindRunning());
    EXPECT_EQ(lvResult()->Count(), 0);
    ProcessEvents();
    EXPECT_TRUE(Main->isEnabled());
}

TEST_F(SearchTest, TheFindDialogKeepsItsFieldsAndFindsOnlyWithText) {
    auto Factory = NewQtDialogFactory();
    auto Dialog = [] { return qobject_cast<TfmFind*>(QApplication::activeModalWidget()); };
    bool WasEnabled = true;
    QTimer::singleShot(0, [&] {
        TfmFind* D = Dialog();
        ASSERT_NE(D, nullptr);
        EXPECT_EQ(D->windowTitle(), "Find");
        EXPECT_FALSE(ShowHintOf(D->e_KeyWord)); // its samples are no tool-tips
        WasEnabled = D->bbFind->isEnabled();
        D->e_FileMask->setText(QStringLiteral("*.txt"));
        D->rbOr->setChecked(true);
        D->cbSubFolders->setChecked(false);
        D->bbFind->click();
    });
    TFindCriteria C;
    ASSERT_EQ(Factory->ShowFind(C), mrOk);
    EXPECT_FALSE(WasEnabled);
    EXPECT_EQ(C.FileMask, "*.txt");
    EXPECT_EQ(C.Criterion, 1);
    EXPECT_EQ(C.Area, 0);
    EXPECT_FALSE(C.SubFolders);
    // Shown again: the same dialog with the same texts; Close finds nothing.
    QString Kept;
    QTimer::singleShot(0, [&] {
        TfmFind* D = Dialog();
        ASSERT_NE(D, nullptr);
        Kept = D->e_FileMask->text();
        EXPECT_TRUE(D->bbFind->isEnabled());
        D->e_FileMask->clear();
        EXPECT_FALSE(D->bbFind->isEnabled());
        D->bbClose->click();
    });
    EXPECT_EQ(Factory->ShowFind(C), mrCancel);
    EXPECT_EQ(Kept, QStringLiteral("*.txt"));
    EXPECT_EQ(Main->findChildren<TfmFind*>().size(), 1);
}
