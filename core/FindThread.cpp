#include "FindThread.h"

#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/ProgressWindow.h"
#include "core/TreeItems.h"
#include "core/ViewLinks.h"
#include "platform/Format.h"

#include <algorithm>
#include <bit>
#include <ctime>

namespace {

// The progress label changes at most this often (seconds): a label redrawn for every item found
// would cost more than the search.
constexpr double ShowFoundInterval = 0.25;
// The rows of the results go into the view in calls on the UI thread of about this long
// (seconds), so that the window goes on painting while a big result arrives.
constexpr double FillBatchSeconds = 0.03;

// A coarse clock is enough for the throttle and costs little when asked for every item found.
double Seconds() {
    timespec T;
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &T);
    return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_nsec) * 1e-9;
}

void AsciiUpperInto(std::string_view S, std::string& Out) {
    Out.assign(S);
    for (char& C : Out)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
}

std::vector<std::string> Words(const TStringList& L) {
    std::vector<std::string> R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(L[I]);
    return R;
}

// Runs every step, even when an earlier one throws; the first error is raised at the end.
template <typename... Steps>
void RunAll(Steps&&... S) {
    std::exception_ptr Error;
    auto Run = [&Error](auto& Step) {
        try {
            Step();
        } catch (...) {
            if (!Error) Error = std::current_exception();
        }
    };
    (Run(S), ...);
    if (Error) std::rethrow_exception(Error);
}

} // namespace

// ---- TItemSet ----------------------------------------------------------------------------------

size_t TFindThread::TItemSet::Home(const TBasicItem* Item) const {
    // Fibonacci hashing: the top bits of the product spread aligned pointers evenly.
    return static_cast<size_t>((reinterpret_cast<uintptr_t>(Item) * 0x9E3779B97F4A7C15ull) >>
                               FShift);
}

void TFindThread::TItemSet::Grow() {
    std::vector<const TBasicItem*> Old = std::move(FSlots);
    size_t Size = Old.empty() ? 64 : Old.size() * 2;
    FSlots.assign(Size, nullptr);
    FShift = 64 - std::countr_zero(Size);
    const size_t Mask = Size - 1;
    for (const TBasicItem* P : Old) {
        if (!P) continue;
        size_t I = Home(P);
        while (FSlots[I])
            I = (I + 1) & Mask;
        FSlots[I] = P;
    }
}

bool TFindThread::TItemSet::Insert(const TBasicItem* Item) {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
    const size_t Mask = FSlots.size() - 1;
    size_t I = Home(Item);
    for (; FSlots[I]; I = (I + 1) & Mask)
        if (FSlots[I] == Item) return false;
    FSlots[I] = Item;
    ++FCount;
    return true;
}

bool TFindThread::TItemSet::Erase(const TBasicItem* Item) {
    if (FSlots.empty()) return false;
    const size_t Mask = FSlots.size() - 1;
    size_t I = Home(Item);
    for (; FSlots[I] != Item; I = (I + 1) & Mask)
        if (!FSlots[I]) return false;
    // Backward shift: the entries after the hole that would no longer be found move into it.
    FSlots[I] = nullptr;
    --FCount;
    for (size_t J = (I + 1) & Mask; FSlots[J]; J = (J + 1) & Mask) {
        size_t K = Home(FSlots[J]);
        bool Stays = I <= J ? (I < K && K <= J) : (I < K || K <= J);
        if (Stays) continue;
        FSlots[I] = FSlots[J];
        FSlots[J] = nullptr;
        I = J;
    }
    return true;
}

void TFindThread::TItemSet::Clear() {
    FSlots.clear();
    FCount = 0;
    FShift = 64;
}

// ---- TFindThread -------------------------------------------------------------------------------

TFindThread::TFindThread(TListView* ResultView)
    : FResultView(ResultView), FForm(CreateProgressWindow(TProgressOwner::None)) {
    SetPriority(tpLowest);
    FForm->SetMode(1);
    FForm->SetThread(this);
}

TFindThread::~TFindThread() {
    // The walk uses the fields below: it ends before they go.
    FAbandoned = true;
    StopAndWait();
}

void TFindThread::Abandon() {
    FAbandoned = true;
    Terminate();
}

void TFindThread::AddResult(TBasicItem* Item) {
    if (!FSetBuilt) {
        // The set is built only when a caller other than the walk adds results.
        for (TBasicItem* X : FResults)
            FResultSet.Insert(X);
        FSetBuilt = true;
    }
    if (!FResultSet.Insert(Item)) return;
    FResults.push_back(Item);
    FFoundIndex = static_cast<int>(FResults.size()) - 1;
}

void TFindThread::AddFound(TBasicItem* Item) {
    // The walk reaches every item once, so what it adds is new: no duplicate check.
    if (FSetBuilt) {
        AddResult(Item);
        return;
    }
    FResults.push_back(Item);
    FFoundIndex = static_cast<int>(FResults.size()) - 1;
}

void TFindThread::RemoveResult(TBasicItem* Item) {
    if (!FSetBuilt || FResultSet.Erase(Item)) {
        // The item removed is nearly always the one just added.
        auto It = std::find(FResults.rbegin(), FResults.rend(), Item);
        if (It != FResults.rend()) FResults.erase(std::next(It).base());
    }
    FFoundIndex = -1;
}

void TFindThread::PrepareCriteria() {
    auto Resolve = [](const TStringList& Names, std::vector<TKeyWordItem*>& Keys) {
        Keys.clear();
        TKeyWordItems* All = CurrentCatalog ? CurrentCatalog->KeyWords() : nullptr;
        for (int I = 0; I < Names.Count(); ++I) {
            int K = All ? All->IndexOfName(Names[I]) : -1;
            Keys.push_back(K >= 0 ? All->At(K) : nullptr);
        }
    };
    auto Compile = [](const TStringList& Texts, std::vector<TMask>& Masks) {
        Masks.clear();
        for (int I = 0; I < Texts.Count(); ++I)
            Masks.emplace_back(Texts[I]);
    };
    Resolve(KeyWordsIncluded, FKeysIn);
    Resolve(KeyWordsExcluded, FKeysOut);
    Compile(MasksIncluded, FMasksIn);
    Compile(MasksExcluded, FMasksOut);
    FCommentIn = Words(CommentIncluded);
    FCommentOut = Words(CommentExcluded);
    FNoteIn = Words(NoteIncluded);
    FNoteOut = Words(NoteExcluded);
    FSearchRoot = nullptr;
    if (Scope == 0 && CurrentCatalog)
        FSearchRoot = CurrentCatalog->Children();
    else if (Scope == 1 && CurrentFolder)
        FSearchRoot = CurrentFolder->Children();
    FPrepared = true;
}

void TFindThread::Execute() {
    FResults.clear();
    FResultSet.Clear();
    FSetBuilt = false;
    if (Terminated()) return;
    std::exception_ptr Error;
    try {
        if (!FPrepared) Synchronize([this] { PrepareCriteria(); });
        Synchronize([this] {
            BeginFind();
            // Room for every item the catalog holds (each is in one row of the type table):
            // pages that no result reaches are never touched, and a search that finds millions
            // neither copies its list over and over nor faults its pages in twice.
            size_t Items = 0;
            if (TTypeItems* Types = CurrentCatalog ? CurrentCatalog->Types() : nullptr)
                for (int I = 0; I < Types->Count(); ++I)
                    Items += static_cast<size_t>(Types->At(I)->Clients().Count());
            FResults.reserve(Items);
        });
        Search();
        if (OnOrderResults) OnOrderResults(FResults);
    } catch (...) {
        Error = std::current_exception();
    }
    // What was found is shown also after a cancel or a failure, and the window is always given
    // back to the user.
    RunAll([this] { FillResults(); },
           [this] {
               Synchronize([this] {
                   FForm->SetThread(nullptr);
                   EndFind();
               });
           });
    if (Error) std::rethrow_exception(Error);
}

void TFindThread::BeginFind() {
    if (EnableMainWindowProc) EnableMainWindowProc(false);
    FForm->ShowProgress();
}

void TFindThread::EndFind() {
    RunAll(
        [] {
            if (EnableMainWindowProc) EnableMainWindowProc(true);
        },
        [this] { FForm->HideProgress(); });
}

void TFindThread::FillResults() {
    if (!FResultView) return;
    // What a search found is shown also when it was cancelled, and a cancel while the rows go
    // in leaves them going in: the user gets every row found, the count the window last showed.
    size_t Done = 0;
    while (Done < FResults.size() && !FAbandoned)
        Synchronize([&] {
            FResultView->BeginUpdate();
            RunAll(
                [&] {
                    const double Until = Seconds() + FillBatchSeconds;
                    do {
                        for (int I = 0; I < 64 && Done < FResults.size(); ++I)
                            FillResultListItem(FResultView->Add(), FResults[Done++], true);
                    } while (Done < FResults.size() && Seconds() < Until);
                },
                [this] { FResultView->EndUpdate(); });
        });
}

void TFindThread::ShowFound() {
    FShownCount = FResults.size();
    FLastShown = Seconds();
    std::string Text = Format("%d Files Found", {static_cast<unsigned long long>(FShownCount)});
    Synchronize([&] { FForm->SetText(Text); });
}

void TFindThread::Search() {
    if (!FSearchRoot) return;
    // Depth first in catalog order: an item, then its children, then its next sibling. The walk
    // keeps its own stack, so deep trees cannot exhaust the thread's stack.
    struct TFrame {
        TBasicItems* Items;
        int Next;
    };
    std::vector<TFrame> Stack{{FSearchRoot, 0}};
    while (!Stack.empty()) {
        TFrame& F = Stack.back();
        if (F.Next >= F.Items->Count()) {
            Stack.pop_back();
            continue;
        }
        TBasicItem* X = F.Items->At(F.Next++);
        Examine(X);
        if (Terminated()) return;
        TBasicItems* Children = X->Children();
        if (Subfolders && Children && Children->Count() > 0) Stack.push_back({Children, 0});
    }
    if (FShownCount != FResults.size()) ShowFound();
}

void TFindThread::Examine(TBasicItem* X) {
    FFoundIndex = -1;
    // Each text is prepared once, and only when a criterion asks for it.
    bool HaveName = false, HaveComment = false, HaveNote = false;
    auto Folded = [&]() -> const TMask::TFoldedName& {
        if (!HaveName) {
            std::string_view Name = X->Name();
            if (Name.empty()) {
                FMatchName = X->DisplayName();
                Name = FMatchName;
            }
            TMask::FoldName(Name, FFolded);
            // "*." then matches names without an extension and "*.*" every name.
            if (std::find(FFolded.begin(), FFolded.end(), U'.') == FFolded.end())
                FFolded.push_back(U'.');
            HaveName = true;
        }
        return FFolded;
    };
    auto Comment = [&]() -> const std::string& {
        if (!HaveComment) AsciiUpperInto(X->Comment(), FUpperComment);
        HaveComment = true;
        return FUpperComment;
    };
    auto Note = [&]() -> const std::string& {
        if (!HaveNote) AsciiUpperInto(X->Note(), FUpperNote);
        HaveNote = true;
        return FUpperNote;
    };
    const std::vector<TKeyWordItem*>& Keys = X->KeyWords();
    auto Carries = [&Keys](TKeyWordItem* K) {
        return K && std::find(Keys.begin(), Keys.end(), K) != Keys.end();
    };
    // An empty word names nothing, so it is found in no text (an empty substring would be
    // found in every one).
    auto InComment = [&](const std::string& W) {
        return !W.empty() && Comment().find(W) != std::string::npos;
    };
    auto InNote = [&](const std::string& W) {
        return !W.empty() && Note().find(W) != std::string::npos;
    };
    auto Matches = [&](const TMask& M) { return M.MatchesEverything() || M.Matches(Folded()); };

    bool Add = false;
    if (Mode == 0) {
        // Every include term must hold; empty lists always agree.
        Add = std::all_of(FKeysIn.begin(), FKeysIn.end(), Carries) &&
              std::all_of(FCommentIn.begin(), FCommentIn.end(), InComment) &&
              std::all_of(FNoteIn.begin(), FNoteIn.end(), InNote) &&
              std::all_of(FMasksIn.begin(), FMasksIn.end(), Matches);
    } else if (Mode == 1) {
        Add = std::any_of(FKeysIn.begin(), FKeysIn.end(), Carries) ||
              std::any_of(FCommentIn.begin(), FCommentIn.end(), InComment) ||
              std::any_of(FNoteIn.begin(), FNoteIn.end(), InNote) ||
              std::any_of(FMasksIn.begin(), FMasksIn.end(), Matches);
    }
    if (!Add) return;
    AddFound(X);
    if (FFoundIndex == -1) return;
    bool Out = std::any_of(FKeysOut.begin(), FKeysOut.end(), Carries) ||
               std::any_of(FCommentOut.begin(), FCommentOut.end(), InComment) ||
               std::any_of(FNoteOut.begin(), FNoteOut.end(), InNote) ||
               std::any_of(FMasksOut.begin(), FMasksOut.end(), Matches);
    if (Out) {
        RemoveResult(X);
    } else if (!Terminated() && Seconds() - FLastShown >= ShowFoundInterval) {
        ShowFound();
    }
}
