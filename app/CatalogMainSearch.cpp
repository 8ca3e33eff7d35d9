// The main window's searching: the actions of the keyword pane, the result pane and the find
// dialog with their enabling rules (the menus and bars that show them are made with the
// others); the find action, which turns the find dialog's criteria into a search on the result
// pane; and the question that stops a running search before an operation that must not run
// beside it.
#include "CatalogMain.h"

#include "app/SearchTerms.h"
#include "app/dialogs/DialogFactory.h"
#include "app/report/ReportForm.h"
#include "core/CatalogGlobals.h"
#include "core/FindThread.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"

#include <QAction>

#include <algorithm>
#include <numeric>

namespace {

// Puts Results in the order of their names as a list sorted by its first column shows them;
// items of equal names keep their order. Runs on the search's thread.
void OrderByName(std::vector<TBasicItem*>& Results, bool Ascending) {
    std::vector<std::string> Names;
    Names.reserve(Results.size());
    for (const TBasicItem* X : Results)
        Names.push_back(X->DisplayName());
    std::vector<size_t> Order(Results.size());
    std::iota(Order.begin(), Order.end(), size_t{0});
    std::stable_sort(Order.begin(), Order.end(), [&](size_t A, size_t B) {
        const int C = AnsiCompareText(Names[A], Names[B]);
        return Ascending ? C < 0 : C > 0;
    });
    std::vector<TBasicItem*> Sorted;
    Sorted.reserve(Results.size());
    for (size_t I : Order)
        Sorted.push_back(Results[I]);
    Results.swap(Sorted);
}

} // namespace

// ---- actions ----------------------------------------------------------------------------------

void TfmCatalogMain::CreateSearchActions() {
    using K = QKeySequence;
    aFindKeyWord =
        NewAction("aFindKeyWord", "KeyWord Search", "KeyWord Search|Search by described keywords",
                  K(Qt::CTRL | Qt::Key_K), imgKeyWordSearch, [this] { aFindKeyWordExecute(); });
    aGoto = NewAction("aGoto", "Goto", "Goto|Goto selected item", K(), imgGoto,
                      [this] { aGotoExecute(); });
    aDeleteKeyWord = NewAction("aDeleteKeyWord", "Delete keyword", "Delete KeyWord", K(), imgDelete,
                               [this] { aDeleteKeyWordExecute(); });
    aClearResults =
        NewAction("aClearResults", "Clear Results", "Clear Results|Clear Search Results", K(),
                  imgClearResults, [this] { aClearResultsExecute(); });
    FindAction = NewAction("FindAction", "Find", "Find", K(Qt::CTRL | Qt::Key_F), imgFind,
                           [this] { FindActionExecute(); });
    ReportAction = NewAction("ReportAction", "Reports ...",
                             "Reports ...|Generate report using search result list",
                             K(Qt::CTRL | Qt::Key_P), imgReport, [this] { ReportActionExecute(); });
    aDeleteResultItem = NewAction("aDeleteResultItem", "Delete Result Item", "Delete|Delete item",
                                  K(), imgDelete, [this] { aDeleteResultItemExecute(); });

    auto State = [this](const char* Name, const char* Caption, TKeyWordState S) {
        QAction* A = NewAction(Name, Caption, "", K(), -1, [this, S] { SetKeyWordState(S); });
        A->setIcon(ImageList2.Icon(S));
        return A;
    };
    Normal1 = State("Normal1", "Normal", ksNormal);
    Incude1 = State("Incude1", "Incude", ksInclude);
    Exclude1 = State("Exclude1", "Exclude", ksExclude);
}

void TfmCatalogMain::UpdateSearchActions() {
    aFindKeyWord->setEnabled(lvKey->Count() > 0 && !FFindRunning);
    aGoto->setEnabled(lvResult->SelCount() > 0);
    aClearResults->setEnabled(lvResult->Count() > 0 && !FFindRunning);
    ReportAction->setEnabled(ReportActionEnabled(lvResult->Count(), FFindRunning));
}

// ---- the find action ---------------------------------------------------------------------------

void TfmCatalogMain::FindActionExecute() {
    if (FFindRunning) return;
    TFindCriteria Criteria;
    if (DialogFactory().ShowFind(Criteria) != mrOk) return;
    ShowResultsBar();
    lvResult->Clear();
    StartFindThread(Criteria);
}

void TfmCatalogMain::StartFindThread(const TFindCriteria& Criteria) {
    // Every field is parsed and every mask checked before anything is started, so that a field
    // that does not parse leaves no search behind to be counted as running or waited for.
    std::string Texts[8];
    ParseSearchTerms(Criteria.KeyWord, Texts[0], Texts[1]);
    ParseSearchTerms(Criteria.Comment, Texts[2], Texts[3]);
    ParseSearchTerms(Criteria.Note, Texts[4], Texts[5]);
    ParseSearchTerms(Criteria.FileMask, Texts[6], Texts[7]);
    CheckSearchMasks(Criteria.FileMask);

    TFindThread* T = CreateFindThread();
    TStringList* Lists[8] = {&T->KeyWordsIncluded, &T->KeyWordsExcluded, &T->CommentIncluded,
                             &T->CommentExcluded,  &T->NoteIncluded,     &T->NoteExcluded,
                             &T->MasksIncluded,    &T->MasksExcluded};
    for (int I = 0; I < 8; ++I)
        Lists[I]->SetCommaText(Texts[I]);
    T->Mode = static_cast<uint8_t>(Criteria.Criterion);
    T->Scope = static_cast<uint8_t>(Criteria.Area);
    T->Subfolders = Criteria.SubFolders;
    // The result pane sorts itself by its names until a header is clicked: rows that come in
    // that order each go in at its end, whatever the number of rows already shown.
    if (lvResult->SortColumn() == 0)
        T->OnOrderResults = [Ascending = lvResult->Ascending()](std::vector<TBasicItem*>& R) {
            OrderByName(R, Ascending);
        };
    T->PrepareCriteria();
    RunFindThread();
}

bool TfmCatalogMain::ConfirmStopSearch() {
    if (!FFindRunning) return true;
    if (UserDialogs().MessageDlg("Terminate Search?", mtWarning, mbYes | mbNo) == mrYes) {
        SetStatusText("Terminating Search");
        StopThread(FFindThread.get());
        return true;
    }
    SetStatusText("Operation Cancelled!");
    return false;
}
