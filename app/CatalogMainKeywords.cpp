// The main window's keyword pane: one row per keyword of the open catalog with its search state
// as the row's picture; adding, renaming in place and deleting keywords; the states set by
// double-click and the State submenu; and the keyword search, which lists the items carrying
// every included keyword and no excluded one in the result pane.
#include "CatalogMain.h"

#include "app/ListPanes.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Format.h"

#include <QAction>
#include <QSplitter>

#include <unordered_set>

namespace {

int ClientCount(const TKeyWordItem* K) {
    return K->Clients().Count();
}

} // namespace

void TfmCatalogMain::ConnectKeyWordPane() {
    lvKey->OnEditing = [this](TListViewItem* Row, bool& Allow) {
        Allow = KeyWordOf(Row) != nullptr;
        // Del edits the text while the editor is open.
        if (Allow) DeleteAction->setShortcut({});
    };
    lvKey->OnEdited = [this](TListViewItem* Row, std::string& Text) {
        Run([&] { lvKeyEdited(Row, Text); });
    };
    lvKey->OnEditEnd = [this] { EditEnded(); };
    lvKey->OnDblClick = [this] {
        Run([this] { lvKeyDblClick(); });
        ScheduleUpdateActions();
    };
}

TKeyWordItem* TfmCatalogMain::KeyWordOf(const TListViewItem* Row) const {
    return Row ? static_cast<TKeyWordItem*>(Row->Object()) : nullptr;
}

// ---- filling -----------------------------------------------------------------------------------

void TfmCatalogMain::FillKeyWordList() {
    TUpdateBracket<TCustomListView> Rows(lvKey);
    lvKey->Clear();
    RefreshKeyWordList();
}

void TfmCatalogMain::RefreshKeyWordList() {
    TKeyWordItems* K = CurrentCatalog ? CurrentCatalog->KeyWords() : nullptr;
    std::unordered_set<const TCustomCatalogItem*> Living;
    for (int I = 0; K && I < K->Count(); ++I)
        Living.insert(K->At(I));
    TUpdateBracket<TCustomListView> Rows(lvKey);
    // Rows of keywords that went elsewhere (the keyword dialog) go; the others show their
    // names. A row's keyword is looked at only once it is known to be one of the catalog's.
    std::vector<TListViewItem*> All;
    for (int I = 0; I < lvKey->Count(); ++I)
        All.push_back(lvKey->Item(I));
    std::unordered_set<const TCustomCatalogItem*> Shown;
    for (auto It = All.rbegin(); It != All.rend(); ++It) {
        TListViewItem* Row = *It;
        if (!Living.count(Row->Object())) {
            lvKey->DeleteItem(Row);
            continue;
        }
        // A keyword made after another went may have taken its place in memory: the row shows
        // whatever keyword it now stands for, state included.
        Row->SetCaption(KeyWordOf(Row)->DisplayName());
        Row->SetImageIndex(static_cast<int>(KeyWordOf(Row)->State()));
        Shown.insert(Row->Object());
    }
    // Keywords made elsewhere get their rows, so that they can be searched at once.
    for (int I = 0; K && I < K->Count(); ++I) {
        TKeyWordItem* W = K->At(I);
        if (Shown.count(W)) continue;
        TListViewItem* Row = lvKey->Add();
        Row->SetObject(W);
        Row->SetCaption(W->DisplayName());
        Row->SetImageIndex(static_cast<int>(W->State()));
    }
}

// ---- states ------------------------------------------------------------------------------------

void TfmCatalogMain::SetKeyWordState(TKeyWordState State) {
    for (TListViewItem* Row : lvKey->SelectedItems())
        if (TKeyWordItem* K = KeyWordOf(Row)) {
            K->SetState(State);
            Row->SetImageIndex(static_cast<int>(State));
        }
}

void TfmCatalogMain::lvKeyDblClick() {
    TListViewItem* Row = lvKey->ItemFocused();
    TKeyWordItem* K = KeyWordOf(Row);
    if (!K) return;
    K->SetState(NextKeyWordState(K->State()));
    Row->SetImageIndex(static_cast<int>(K->State()));
}

// ---- add, rename, delete -----------------------------------------------------------------------

void TfmCatalogMain::aAddKeyWordExecute() {
    if (!aRight->isChecked()) aRight->trigger();
    auto* K = new TKeyWordItem(CurrentCatalog->KeyWords());
    K->SetItemName(K->DisplayName());
    TListViewItem* Row = lvKey->Add();
    Row->SetObject(K);
    Row->SetCaption(K->DisplayName());
    Row->SetImageIndex(static_cast<int>(K->State()));
    SetActiveControl(lvKey);
    lvKey->SetSelected(Row);
    lvKey->EditCaption(Row);
}

void TfmCatalogMain::lvKeyEdited(TListViewItem* Row, std::string& Text) {
    if (TKeyWordItem* K = KeyWordOf(Row); K && Text != K->DisplayName()) {
        const int Clients = ClientCount(K);
        if (Clients == 0 ||
            UserDialogs().MessageBox(Format("KeyWord \"%s\" has %d depended\nRename to \"%s\"?",
                                            {K->DisplayName(), Clients, Text}),
                                     "Rename KeyWord", mtConfirmation, mbYes | mbNo) == mrYes)
            K->SetItemName(Text);
        Text = K->DisplayName();
    }
    DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    aAddKeyWord->setShortcut(QKeySequence(Qt::Key_Insert));
}

void TfmCatalogMain::aDeleteKeyWordExecute() {
    const std::vector<TListViewItem*> Rows = lvKey->SelectedItems();
    for (TListViewItem* Row : Rows) {
        TKeyWordItem* K = KeyWordOf(Row);
        if (!K) continue;
        TModalResult Answer = mrYes;
        if (ClientCount(K) > 0)
            Answer = UserDialogs().MessageDlg(Format("KeyWord \"%s\" has %d depended\nDelete?",
                                                     {K->DisplayName(), ClientCount(K)}),
                                              mtWarning, mbYesNoCancel);
        if (Answer == mrCancel) break;
        if (Answer != mrYes) continue;
        // The row goes first: it must not outlive its keyword.
        lvKey->DeleteItem(Row);
        delete K;
    }
}

// ---- keyword search ----------------------------------------------------------------------------

void TfmCatalogMain::aFindKeyWordExecute() {
    if (!lvKey->isVisible()) return;
    std::vector<TBasicItem*> Found;
    {
        TUpdateBracket<TCustomListView> Rows(lvResult);
        lvResult->Clear();
        CurrentCatalog->KeyWords()->FindItems(Found, false);
        for (TBasicItem* X : Found)
            FillResultListItem(lvResult->Add(), X, true);
    }
    if (Found.empty()) {
        SetStatusText("Files not found");
        return;
    }
    SetStatusText(Format("%d Files found", {static_cast<long long>(Found.size())}));
    ShowResultsBar();
    FitResultNames();
}

void TfmCatalogMain::ShowResultsBar() {
    if (aBottom->isChecked()) return;
    aBottom->trigger();
    // A pane a few rows high shows little of what was found: it takes a third of the height,
    // unless the user has made it taller.
    const QList<int> Sizes = spBottom->sizes();
    const int Total = Sizes.value(0) + Sizes.value(1);
    const int Rows = 4 * lvResult->ReportPane()->fontMetrics().height() + 40;
    if (Sizes.value(1) < Rows) spBottom->setSizes({Total - Total / 3, Total / 3});
}
