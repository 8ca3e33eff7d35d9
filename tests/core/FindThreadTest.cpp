#include "CatalogTestSupport.h"
#include "ViewFakes.h"

#include "core/FindThread.h"
#include "core/FolderScan.h"
#include "core/ProgressWindow.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

// A progress window that records what the thread asks of it.
class RecordingProgress : public TProgressWindow {
public:
    void SetMode(uint8_t M) override { FMode = M; }
    uint8_t Mode() const override { return FMode; }
    void SetThread(TThread* T) override { FThread = T; }
    TThread* Thread() const override { return FThread; }
    void ShowProgress() override { ++Shown; }
    void HideProgress() override { ++Hidden; }
    void SetText(const std::string& T) override {
        FText = T;
        ++Texts;
        if (OnText) OnText();
    }
    std::string Text() const override { return FText; }
    std::function<void()> OnText;
    int Shown = 0, Hidden = 0, Texts = 0;

private:
    uint8_t FMode = 0;
    TThread* FThread = nullptr;
    std::string FText;
};

// Installs the recording window and a main window that remembers whether it is enabled.
struct FindEnvironment {
    std::vector<bool> Enabled;          // every call of EnableMainWindowProc, in order
    std::vector<TProgressOwner> Owners; // of every progress window made
    FindEnvironment() {
        CreateProgressWindowProc = [this](TProgressOwner Owner) {
            Owners.push_back(Owner);
            return std::make_unique<RecordingProgress>();
        };
        EnableMainWindowProc = [this](bool E) { Enabled.push_back(E); };
    }
    ~FindEnvironment() {
        CreateProgressWindowProc = nullptr;
        EnableMainWindowProc = nullptr;
    }
};

RecordingProgress& ProgressOf(const TFindThread& T) {
    return *static_cast<RecordingProgress*>(T.Form());
}

TBasicItem* Child(TBasicItem* Parent, std::string_view Name) {
    TBasicItems* C = Parent->Children();
    for (int I = 0; I < C->Count(); ++I)
        if (C->At(I)->Name() == Name) return C->At(I);
    ADD_FAILURE() << "no " << Name;
    return nullptr;
}

// A catalog as a scan and a user make it: the folder tree is read from the disk, keywords,
// comments and notes are added by hand, and a virtual folder groups one more file.
//   Disk (scanned folder)
//     docs           keyword Draft
//       Äpfel.txt    keyword Fruit
//       plan.doc     comment "quarterly PLAN"
//       sub
//         deep.txt   keyword Draft
//     photo1.jpg
//     photo2.JPG     keyword Fruit
//     README         comment "Annual report 2023"
//     README.TXT     note "todo: port to linux"
//   Notes (virtual folder)
//     idea.txt
struct FindCatalog {
    FindEnvironment Env;
    TempDir Dir;
    TestCatalog Cat;
    TFileCollection* Disk;
    TFileFolder *Docs, *Sub;
    TBasicFolder* Notes;
    TKeyWordItem *Draft, *Fruit;
    FindCatalog() {
        SetDefaultOptions();
        for (const char* Name : {"docs/Äpfel.txt", "docs/plan.doc", "docs/sub/deep.txt",
                                 "photo1.jpg", "photo2.JPG", "README", "README.TXT"}) {
            std::string Path = Dir / Name;
            std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
            WriteFile(Path, Name);
        }
        // Type names stay the generated ones: the type thread is held for the whole test.
        Cat->Types()->SetPaused(true);
        Disk = new TFileCollection(Cat->Children());
        Disk->SetItemName("Disk");
        Disk->SetRootPath(Dir.Path());
        Cat->Types()->AddItem(Disk);
        Disk->StartScan();
        while (!ScanThreads.IsEmpty())
            ScanThreads.Last()->WaitFor();
        Env.Enabled.clear();

        Draft = new TKeyWordItem(Cat->KeyWords());
        Draft->SetNameField(PackedString("Draft"));
        Fruit = new TKeyWordItem(Cat->KeyWords());
        Fruit->SetNameField(PackedString("Fruit"));
        Docs = static_cast<TFileFolder*>(Child(Disk, "docs"));
        Sub = static_cast<TFileFolder*>(Child(Docs, "sub"));
        Draft->AddClient(Docs);
        Draft->AddClient(Child(Sub, "deep.txt"));
        Fruit->AddClient(Child(Docs, "Äpfel.txt"));
        Fruit->AddClient(Child(Disk, "photo2.JPG"));
        Child(Docs, "plan.doc")->SetComment("quarterly PLAN");
        Child(Disk, "README")->SetComment("Annual report 2023");
        Child(Disk, "README.TXT")->SetNote("todo: port to linux");
        Notes = Add<TBasicFolder>(Cat.get(), "Notes");
        Cat->Types()->AddItem(Notes);
        AddFile(Notes, "idea.txt");
    }
    ~FindCatalog() { Cat->Types()->SetPaused(false); }
};

struct Criteria {
    std::string Keys, NotKeys, Comments, NotComments, Notes, NotNotes, Masks, NotMasks;
    uint8_t Mode = 0, Scope = 0;
    bool Subfolders = true;
};

void Fill(TFindThread& T, const Criteria& C) {
    T.KeyWordsIncluded.SetCommaText(C.Keys);
    T.KeyWordsExcluded.SetCommaText(C.NotKeys);
    T.CommentIncluded.SetCommaText(C.Comments);
    T.CommentExcluded.SetCommaText(C.NotComments);
    T.NoteIncluded.SetCommaText(C.Notes);
    T.NoteExcluded.SetCommaText(C.NotNotes);
    T.MasksIncluded.SetCommaText(C.Masks);
    T.MasksExcluded.SetCommaText(C.NotMasks);
    T.Mode = C.Mode;
    T.Scope = C.Scope;
    T.Subfolders = C.Subfolders;
}

std::vector<std::string> Names(const std::vector<TBasicItem*>& Items) {
    std::vector<std::string> R;
    for (TBasicItem* X : Items)
        R.push_back(X->DisplayName());
    return R;
}

// Runs one search to its end and gives the names found, in the order found.
std::vector<std::string> Find(const Criteria& C, TListView* View = nullptr) {
    TFindThread T(View);
    Fill(T, C);
    T.PrepareCriteria();
    T.Resume();
    T.WaitFor();
    return Names(T.Results());
}

using V = std::vector<std::string>;

const V Everything = {"Disk",       "docs",       "Äpfel.txt", "plan.doc",   "sub",   "deep.txt",
                      "photo1.jpg", "photo2.JPG", "README",    "README.TXT", "Notes", "idea.txt"};

} // namespace

TEST(FindThread, AllWithoutCriteriaFindsTheWholeScope) {
    FindCatalog F;
    EXPECT_EQ(Find({}), Everything);
    Criteria TopOnly;
    TopOnly.Subfolders = false;
    EXPECT_EQ(Find(TopOnly), (V{"Disk", "Notes"}));
}

TEST(FindThread, AnyWithOnlyExcludesFindsNothing) {
    FindCatalog F;
    Criteria C;
    C.Mode = 1;
    C.NotMasks = "*.TXT";
    C.NotKeys = "DRAFT";
    EXPECT_EQ(Find(C), V{});
    C.Mode = 0; // "all" with only excludes: everything but the excluded
    EXPECT_EQ(Find(C),
              (V{"Disk", "plan.doc", "sub", "photo1.jpg", "photo2.JPG", "README", "Notes"}));
}

TEST(FindThread, StarDotFindsNamesWithoutExtension) {
    FindCatalog F;
    Criteria C;
    C.Masks = "*.";
    EXPECT_EQ(Find(C), (V{"Disk", "docs", "sub", "README", "Notes"}));
    C.Masks = "README.";
    EXPECT_EQ(Find(C), V{"README"});
    C.Masks = "*.*";
    EXPECT_EQ(Find(C), Everything);
}

TEST(FindThread, WordsMatchInsideLongerWordsInAnyCase) {
    FindCatalog F;
    Criteria C;
    C.Comments = "PORT";
    EXPECT_EQ(Find(C), V{"README"}); // "Annual report 2023"
    C.Comments = "PLAN";
    EXPECT_EQ(Find(C), V{"plan.doc"});
    C.Comments = "";
    C.Notes = "PORT";
    EXPECT_EQ(Find(C), V{"README.TXT"});
    // Mode all needs every word, mode any one of them.
    C.Notes = "PORT,LINUX,WINDOWS";
    EXPECT_EQ(Find(C), V{});
    C.Mode = 1;
    EXPECT_EQ(Find(C), V{"README.TXT"});
    C.Mode = 0;
    C.Notes = "";
    C.Comments = "\"ANNUAL REPORT\"";
    EXPECT_EQ(Find(C), V{"README"});
    C.NotComments = "2023";
    EXPECT_EQ(Find(C), V{});
    // An empty word ("" or two commas in a row) is found in no text, included or excluded.
    C.NotComments = "\"\"";
    EXPECT_EQ(Find(C), V{"README"});
    C.NotComments = "";
    C.Comments = "\"\"";
    EXPECT_EQ(Find(C), V{});
    C.Mode = 1;
    C.Comments = "PLAN,,ZZZ";
    C.Notes = "\"\"";
    EXPECT_EQ(Find(C), V{"plan.doc"});
}

TEST(FindThread, ExcludedItemsStillHaveTheirChildrenSearched) {
    FindCatalog F;
    Criteria C;
    C.Masks = "*";
    C.NotKeys = "DRAFT";
    V Found = Find(C);
    EXPECT_EQ(std::count(Found.begin(), Found.end(), "docs"), 0);
    EXPECT_EQ(std::count(Found.begin(), Found.end(), "deep.txt"), 0);
    for (const char* Child : {"Äpfel.txt", "plan.doc", "sub"})
        EXPECT_EQ(std::count(Found.begin(), Found.end(), Child), 1) << Child;
}

TEST(FindThread, CurrentFolderScope) {
    FindCatalog F;
    CurrentFolder = F.Docs;
    Criteria C;
    C.Scope = 1;
    C.Subfolders = false;
    EXPECT_EQ(Find(C), (V{"Äpfel.txt", "plan.doc", "sub"}));
    C.Subfolders = true;
    EXPECT_EQ(Find(C), (V{"Äpfel.txt", "plan.doc", "sub", "deep.txt"}));
    CurrentFolder = nullptr;
    EXPECT_EQ(Find(C), V{});
    C.Scope = 2; // no such area
    EXPECT_EQ(Find(C), V{});
}

TEST(FindThread, MasksWithSetsNegatedSetsAndNonAsciiNames) {
    FindCatalog F;
    Criteria C;
    C.Masks = "[P-R]*";
    EXPECT_EQ(Find(C), (V{"plan.doc", "photo1.jpg", "photo2.JPG", "README", "README.TXT"}));
    C.Masks = "PHOTO[!1].JPG";
    EXPECT_EQ(Find(C), V{"photo2.JPG"});
    C.Masks = "ÄPFEL*";
    EXPECT_EQ(Find(C), V{"Äpfel.txt"});
    C.Masks = "?PFEL.TXT";
    EXPECT_EQ(Find(C), V{"Äpfel.txt"});
    C.Masks = "*.TXT,*.DOC"; // mode all: both masks at once
    EXPECT_EQ(Find(C), V{});
    C.Mode = 1;
    EXPECT_EQ(Find(C), (V{"Äpfel.txt", "plan.doc", "deep.txt", "README.TXT", "idea.txt"}));
    C.NotMasks = "[!A-Z]*";
    EXPECT_EQ(Find(C), (V{"plan.doc", "deep.txt", "README.TXT", "idea.txt"}));
}

TEST(FindThread, KeywordsAndKeywordNamesTheCatalogDoesNotHold) {
    FindCatalog F;
    Criteria C;
    C.Keys = "fruit"; // looked up without regard to case
    EXPECT_EQ(Find(C), (V{"Äpfel.txt", "photo2.JPG"}));
    C.Masks = "*.TXT";
    EXPECT_EQ(Find(C), V{"Äpfel.txt"});
    C.Mode = 1;
    C.Masks = "*.DOC";
    EXPECT_EQ(Find(C), (V{"Äpfel.txt", "plan.doc", "photo2.JPG"}));
    // An unknown name is a keyword no item carries: never met, and it excludes nothing.
    C.Keys = "NOSUCH";
    EXPECT_EQ(Find(C), V{"plan.doc"});
    C.Mode = 0;
    C.Masks = "";
    EXPECT_EQ(Find(C), V{});
    C.Keys = "";
    C.Masks = "*";
    C.NotKeys = "NOSUCH";
    EXPECT_EQ(Find(C), Everything);
}

TEST(FindThread, InvalidMasksAndModesFindNothingAndDoNotFail) {
    FindCatalog F;
    Criteria C;
    C.Masks = "[a-";
    EXPECT_EQ(Find(C), V{});
    C.Mode = 1;
    C.Keys = "FRUIT";
    EXPECT_EQ(Find(C), (V{"Äpfel.txt", "photo2.JPG"}));
    C.Mode = 2;
    EXPECT_EQ(Find(C), V{});
}

TEST(FindThread, ResultsFillTheViewInOneBracketWithTheirOwnRowLinks) {
    FindCatalog F;
    FakeListView Main, Results;
    TBasicItem* Readme = Child(F.Disk, "README");
    Main.AddMainRow(Readme);
    Criteria C;
    C.Masks = "README*";
    EXPECT_EQ(Find(C, &Results), (V{"README", "README.TXT"}));
    ASSERT_EQ(Results.Count(), 2);
    EXPECT_EQ(Results.Brackets, 1);
    EXPECT_EQ(Results.Updates, 0);
    EXPECT_EQ(Results.At(0)->Caption, "README");
    EXPECT_EQ(Results.At(0)->SubItems, (V{"\\Disk\\README", "File", F.Dir / "README"}));
    EXPECT_EQ(Results.At(1)->SubItems[1], "TXT File");
    EXPECT_EQ(Results.At(0)->Image, iiDefaultFile);
    EXPECT_EQ(Readme->ListItem(), Main.At(0));
    EXPECT_EQ(Readme->ResultItem(), Results.At(0));
    // The view is not cleared by the thread: a second search appends.
    C.Masks = "IDEA.TXT";
    Find(C, &Results);
    EXPECT_EQ(Results.Count(), 3);
}

TEST(FindThread, WindowAndProgressAroundTheSearch) {
    FindCatalog F;
    FakeListView View;
    TFindThread T(&View);
    RecordingProgress& P = ProgressOf(T);
    EXPECT_EQ(F.Env.Owners.back(), TProgressOwner::None);
    EXPECT_EQ(P.Mode(), 1);
    EXPECT_EQ(P.Thread(), &T);
    EXPECT_FALSE(T.Started());
    Criteria C;
    Fill(T, C); // no PrepareCriteria: the thread prepares on the UI thread itself
    T.Resume();
    T.WaitFor();
    EXPECT_EQ(T.Results().size(), Everything.size());
    EXPECT_EQ(F.Env.Enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(P.Shown, 1);
    EXPECT_EQ(P.Hidden, 1);
    EXPECT_EQ(P.Thread(), nullptr); // a late Cancel no longer reaches the thread
    EXPECT_EQ(P.Text(), "12 Files Found");
}

TEST(FindThread, TheEndStepRunsWhenFillingTheResultsFails) {
    FindCatalog F;
    FakeListView View;
    View.FailAdd = true;
    TFindThread T(&View);
    Fill(T, {});
    T.PrepareCriteria();
    T.Resume();
    T.WaitFor();
    EXPECT_TRUE(T.FatalException());
    EXPECT_EQ(F.Env.Enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(ProgressOf(T).Hidden, 1);
    EXPECT_EQ(View.Updates, 0); // the bracket is closed too
}

TEST(FindThread, ATerminatedThreadDoesNothing) {
    FindCatalog F;
    TFindThread T(nullptr);
    T.Terminate();
    T.Resume();
    T.WaitFor();
    EXPECT_TRUE(T.Results().empty());
    EXPECT_TRUE(F.Env.Enabled.empty());
    EXPECT_EQ(ProgressOf(T).Shown, 0);
}

TEST(FindThread, CancelKeepsWhatWasFoundSoFar) {
    FindCatalog F;
    auto* Big = AddFolder(F.Disk, "big");
    for (int I = 0; I < 3000; ++I)
        AddFile(Big, "f" + std::to_string(I) + ".dat");
    FakeListView View;
    TFindThread T(&View);
    Criteria C;
    C.Masks = "*.DAT";
    Fill(T, C);
    T.PrepareCriteria();
    // The user presses Cancel when the first count shows: the window terminates its thread.
    ProgressOf(T).OnText = [&] {
        if (TThread* Linked = ProgressOf(T).Thread()) Linked->Terminate();
    };
    T.Resume();
    T.WaitFor();
    EXPECT_GE(T.Results().size(), 1u);
    EXPECT_LT(T.Results().size(), 3000u);
    EXPECT_EQ(static_cast<size_t>(View.Count()), T.Results().size());
    EXPECT_EQ(F.Env.Enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(ProgressOf(T).Hidden, 1);

    // Once the walk is over, a cancel while the rows go in (slowly here: a batch of them at a
    // time) stops nothing: every row found arrives. A window that abandons the search (it closes
    // the catalog) gets no more rows.
    for (bool Abandon : {false, true}) {
        FakeListView Slow;
        Slow.OnAdd = [] { std::this_thread::sleep_for(std::chrono::microseconds(30)); };
        TFindThread S(&Slow);
        Fill(S, C);
        S.PrepareCriteria();
        Slow.OnEndUpdate = [&] {
            if (Abandon)
                S.Abandon();
            else if (TThread* Linked = ProgressOf(S).Thread())
                Linked->Terminate();
        };
        S.Resume();
        S.WaitFor();
        ASSERT_EQ(S.Results().size(), 3000u);
        if (Abandon)
            EXPECT_LT(Slow.Count(), 3000);
        else
            EXPECT_EQ(Slow.Count(), 3000);
        EXPECT_EQ(ProgressOf(S).Hidden, 1);
    }
}

TEST(FindThread, TheCountIsShownAFewTimesASecondAtMost) {
    FindCatalog F;
    auto* Big = AddFolder(F.Disk, "big");
    for (int I = 0; I < 20000; ++I)
        AddFile(Big, "f" + std::to_string(I) + ".dat");
    TFindThread T(nullptr);
    Criteria C;
    C.Masks = "*.DAT";
    Fill(T, C);
    T.PrepareCriteria();
    auto Start = std::chrono::steady_clock::now();
    T.Resume();
    T.WaitFor();
    double Took = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    EXPECT_EQ(T.Results().size(), 20000u);
    EXPECT_LE(ProgressOf(T).Texts, 2 + static_cast<int>(Took / 0.25));
    EXPECT_EQ(ProgressOf(T).Text(), "20000 Files Found"); // the last count is always shown
}

TEST(FindThread, AddResultKeepsEachItemOnce) {
    FindCatalog F;
    TFindThread T(nullptr);
    TBasicItem* A = F.Docs;
    TBasicItem* B = F.Sub;
    T.AddResult(A);
    T.AddResult(B);
    EXPECT_EQ(T.FoundIndex(), 1);
    T.AddResult(A); // already there: nothing changes, FoundIndex included
    EXPECT_EQ(T.FoundIndex(), 1);
    EXPECT_EQ(T.Results().size(), 2u);
    T.RemoveResult(A);
    EXPECT_EQ(T.FoundIndex(), -1);
    EXPECT_EQ(T.Results(), std::vector<TBasicItem*>{B});
    T.AddResult(A);
    EXPECT_EQ(T.FoundIndex(), 1);
}

TEST(FindThread, TheResultSetAgreesWithAPlainSetOverManyAddsAndRemoves) {
    FindEnvironment Env;
    TFindThread T(nullptr);
    // Addresses only: the set never follows them.
    std::vector<uint64_t> Storage(3000);
    std::vector<TBasicItem*> Pool;
    for (uint64_t& S : Storage)
        Pool.push_back(reinterpret_cast<TBasicItem*>(&S));
    std::vector<TBasicItem*> Want;
    uint32_t R = 12345;
    auto Next = [&R] { return R = R * 1103515245 + 12345, (R >> 8) % 3000; };
    for (int Step = 0; Step < 40000; ++Step) {
        TBasicItem* X = Pool[Next()];
        bool In = std::find(Want.begin(), Want.end(), X) != Want.end();
        if (Step % 3 == 2) {
            T.RemoveResult(X);
            if (In) Want.erase(std::find(Want.begin(), Want.end(), X));
        } else {
            T.AddResult(X);
            if (!In) Want.push_back(X);
        }
        if (Step % 5000 == 0) {
            ASSERT_EQ(T.Results(), Want) << Step;
        }
    }
    EXPECT_EQ(T.Results(), Want);
    for (TBasicItem* X : Pool) {
        size_t Before = T.Results().size();
        T.AddResult(X); // present ones are refused, absent ones taken
        bool WasIn = std::find(Want.begin(), Want.end(), X) != Want.end();
        EXPECT_EQ(T.Results().size(), Before + (WasIn ? 0 : 1));
    }
}
