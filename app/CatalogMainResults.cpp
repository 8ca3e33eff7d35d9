// The main window's result pane: Goto (also a double-click on a result), clearing the results,
// deleting result rows, refreshing them; the one Delete command of the window, which acts on the
// pane that has the focus; and the report of the results.
//
// A result row refers to its catalog item and the item to its row: an item that goes (deleted
// from the tree or the list, pruned by a synchronise, replaced by a scan) takes its row with it,
// so no command here ever meets a row of an item that is gone.
#include "CatalogMain.h"

#include "app/ListPanes.h"
#include "app/dialogs/DialogFactory.h"
#include "app/report/ReportForm.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/TreeItems.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTimer>

#include <algorithm>

void TfmCatalogMain::ConnectResultPane() {
    lvResult->OnDblClick = [this] {
        Run([this] { aGotoExecute(); });
        ScheduleUpdateActions();
    };
    // The paths take the room the other columns leave.
    lvResult->ReportPane()->header()->setStretchLastSection(true);
    // A million rows cleared or deleted vanish at once and are freed while the window works on.
    lvResult->SetFreeRowsLater(true);
}

void TfmCatalogMain::FitResultNames() {
    // The Name column grows to the widest of the names the view measures (those in sight and a
    // bounded number more), up to a part of the pane; it never shrinks below the user's width.
    TListReportPane* Pane = lvResult->ReportPane();
    const int Width = lvResult->ColumnWidth(0);
    Pane->resizeColumnToContents(0);
    const int Wanted = std::min(lvResult->ColumnWidth(0), Pane->viewport()->width() * 2 / 5);
    lvResult->SetColumnWidth(0, std::max(Width, Wanted));
}

void TfmCatalogMain::aGotoExecute() {
    if (lvResult->SelCount() != 1) return;
    TBasicItem* Item = lvResult->Selected()->Data();
    if (!Item) return;
    SetCurrentFolder(Item->OwnerItem());
    lvMain->ClearSelection();
    auto* Row = dynamic_cast<TListViewItem*>(Item->ListItem());
    // An item the list leaves out (hidden, missing) has no row to go to.
    if (!Row) RaiseCatalogError("Internal Error :Goto");
    Row->SetSelected(true);
    lvMain->SetItemFocused(Row);
    lvMain->MakeVisible(Row);
}

void TfmCatalogMain::aClearResultsExecute() {
    lvResult->Clear();
}

void TfmCatalogMain::aDeleteResultItemExecute() {
    const std::vector<TListViewItem*> Rows = lvResult->SelectedItems();
    TUpdateBracket<TCustomListView> Bracket(lvResult);
    for (auto It = Rows.rbegin(); It != Rows.rend(); ++It)
        lvResult->DeleteItem(*It);
}

void TfmCatalogMain::RefreshResults() {
    StopRefreshResults();
    FRefreshRows.reserve(static_cast<size_t>(lvResult->Count()));
    for (int I = 0; I < lvResult->Count(); ++I)
        FRefreshRows.push_back(lvResult->Item(I));
    RefreshResultSlice();
}

void TfmCatalogMain::RefreshResultSlice() {
    // About as long as a batch of a search's rows. Nothing but the refresh changes the rows
    // between slices: the window is disabled, and closing a catalog stops the refresh first.
    constexpr qint64 SliceMs = 30;
    QElapsedTimer Clock;
    Clock.start();
    {
        TUpdateBracket<TCustomListView> Bracket(lvResult);
        while (!FRefreshRows.empty() && Clock.elapsed() < SliceMs) {
            for (int I = 0; I < 16 && !FRefreshRows.empty(); ++I) {
                TListViewItem* Row = FRefreshRows.back();
                FRefreshRows.pop_back();
                // A row whose item went has gone with it; one that lost its item to a second row
                // of the same item has nothing left to show.
                if (TBasicItem* Item = Row->Data())
                    FillResultListItem(Row, Item, true);
                else
                    lvResult->DeleteItem(Row);
            }
        }
    }
    if (FRefreshRows.empty()) {
        StopRefreshResults();
        return;
    }
    if (!FRefreshing) {
        FRefreshing = true;
        setEnabled(false);
    }
    QTimer::singleShot(0, this, [this] {
        if (FRefreshing) Run([this] { RefreshResultSlice(); });
    });
}

void TfmCatalogMain::StopRefreshResults() {
    FRefreshRows.clear();
    FRefreshRows.shrink_to_fit();
    if (!FRefreshing) return;
    FRefreshing = false;
    setEnabled(true);
    ScheduleUpdateActions();
}

void TfmCatalogMain::DeleteActionExecute() {
    if (!ConfirmStopSearch()) return;
    if (FActiveControl == tvMain || FActiveControl == lvMain)
        aMainDeleteExecute();
    else if (FActiveControl == lvKey)
        aDeleteKeyWordExecute();
    else if (FActiveControl == lvResult)
        aDeleteResultItemExecute();
}

void TfmCatalogMain::ReportActionExecute() {
    std::vector<TReportRow> Rows;
    Rows.reserve(static_cast<size_t>(lvResult->Count()));
    for (int I = 0; I < lvResult->Count(); ++I) {
        const TListViewItem* Row = lvResult->Item(I);
        // The "FilePath" column.
        Rows.push_back({Row->Caption(), Row->SubItem(2)});
    }
    DialogFactory().ShowReport(Rows);
}
