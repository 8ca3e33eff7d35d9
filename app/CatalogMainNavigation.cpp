// The main window's navigation and editing: Up, double-click and the list's keys, the shell
// open of files, the view styles, renaming in place, deleting from the tree and the list,
// refresh, select all and the switches of panes and bars.
#include "CatalogMain.h"

#include "core/CatalogGlobals.h"
#include "core/FindThread.h"
#include "core/ImageThreads.h"
#include "core/TreeItems.h"
#include "platform/Format.h"
#include "platform/SysUtils.h"

#include <QAction>
#include <QCoreApplication>

#include <functional>

namespace {

// Runs an end step when the scope is left, on every path.
class TFinally {
public:
    explicit TFinally(std::function<void()> Step) : FStep(std::move(Step)) {}
    ~TFinally() { FStep(); }
    TFinally(const TFinally&) = delete;
    TFinally& operator=(const TFinally&) = delete;

private:
    std::function<void()> FStep;
};

} // namespace

// ---- navigation --------------------------------------------------------------------------------

void TfmCatalogMain::aRootUpExecute() {
    TBasicItem* F = CurrentFolder;
    if (!F || F == CurrentCatalog) return;
    SetCurrentFolder(F->OwnerItem());
    if (auto* Node = dynamic_cast<TTreeViewNode*>(CurrentFolder->TreeNode()))
        tvMain->SetSelected(Node);
    if (auto* Row = dynamic_cast<TListViewItem*>(F->ListItem())) {
        lvMain->SetSelected(Row);
        lvMain->MakeVisible(Row);
    }
}

void TfmCatalogMain::lvMainKeyDown(int& Key) {
    if (lvMain->IsEditing()) return;
    if (Key == Qt::Key_Backspace) {
        Key = 0;
        aRootUpExecute();
    } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        Key = 0;
        lvMainDblClick();
    }
}

void TfmCatalogMain::lvMainDblClick() {
    if (lvMain->SelCount() != 1) return;
    TBasicItem* Item = lvMain->Selected()->Data();
    if (!Item) return;
    if (Item->Children()) {
        SetCurrentFolder(Item);
        return;
    }
    switch (DoubleClick) {
    case 0:
        if (auto* F = dynamic_cast<TFileItem*>(Item)) ShellOpenItem(F);
        break;
    case 1: aMainPropertyExecute(); break;
    default: break;
    }
}

void TfmCatalogMain::ShellOpenItem(TFileItem* Item) {
    const std::string Path = Item->GetFullPath();
    // The catalog outlives its disks: say so rather than do nothing.
    if (!FileExists(Path)) {
        SetStatusText(Format("File not found: %s", {Path}));
        UserDialogs().MessageDlg(
            Format("%s\n\nThe file is not there. Is the disk it is on inserted?", {Path}),
            mtWarning, mbOK);
        return;
    }
    if (UserDialogs().ShellOpen(Path)) return;
    SetStatusText(Format("No program opens %s", {Path}));
    UserDialogs().MessageDlg(
        Format("%s\n\nThe desktop has no program that opens this file.", {Path}), mtWarning, mbOK);
}

void TfmCatalogMain::aMainPropertyExecute() {
    // The dialog goes through the core's hook, as every other caller's does.
    if (TBasicItem* Item = GetFocusedItem(); Item && ShowItemPropertiesProc)
        ShowItemPropertiesProc(Item);
    // A located file may now name another file, of another size.
    UpdateStatusLine();
}

// ---- view styles -------------------------------------------------------------------------------

void TfmCatalogMain::aDetailExecute() {
    // The refill makes new rows: the selection and the focused row go over by their items.
    std::vector<TBasicItem*> Selected;
    for (TListViewItem* Row : lvMain->SelectedItems())
        if (Row->Data()) Selected.push_back(Row->Data());
    TListViewItem* Focused = lvMain->ItemFocused();
    TBasicItem* FocusedItem = Focused ? Focused->Data() : nullptr;
    auto RowOf = [](TBasicItem* Item) { return dynamic_cast<TListViewItem*>(Item->ListItem()); };
    {
        TUpdateBracket<TCustomListView> Rows(lvMain);
        lvMain->SetViewStyle(vsReport);
        RefreshList(false);
        for (TBasicItem* Item : Selected)
            if (TListViewItem* Row = RowOf(Item)) Row->SetSelected(true);
        if (FocusedItem && RowOf(FocusedItem)) lvMain->SetItemFocused(RowOf(FocusedItem));
    }
    if (FocusedItem && RowOf(FocusedItem)) lvMain->MakeVisible(RowOf(FocusedItem));
}

// ---- renaming ----------------------------------------------------------------------------------

void TfmCatalogMain::aRenameActionExecute() {
    aAddKeyWord->setShortcut({});
    DeleteAction->setShortcut({});
    if (FActiveControl == tvMain) {
        tvMain->EditText(tvMain->Selected());
    } else if (FActiveControl == lvMain) {
        lvMain->EditCaption(lvMain->Selected());
    } else if (FActiveControl == lvKey) {
        lvKey->EditCaption(lvKey->Selected());
    }
    DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    aAddKeyWord->setShortcut(QKeySequence(Qt::Key_Insert));
}

void TfmCatalogMain::ItemEditing(TBasicItem* Item, bool& Allow) {
    Allow = Item && Item->CanRename();
    // Del edits the text while the editor is open.
    if (Allow) DeleteAction->setShortcut({});
}

void TfmCatalogMain::ItemEdited(TBasicItem* Item, std::string& Text) {
    Run([&] {
        if (!Item) return;
        Item->SetItemName(Text);
        Text = Item->DisplayName();
    });
    DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
}

void TfmCatalogMain::EditEnded() {
    // Also after a cancelled edit: Del deletes items again.
    DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    ScheduleUpdateActions();
}

// ---- deleting, refresh, select all -------------------------------------------------------------

void TfmCatalogMain::aMainDeleteExecute() {
    TBasicItem* F = CurrentFolder;
    StopThread(FListImageThread.get());
    // Whatever happens below, the icon threads run again afterwards.
    TFinally Restart([this] {
        StartCatalogImageThread();
        StartTreeImageThread();
        StartListImageThread();
    });
    const std::vector<TBasicItem*> Items = GetSelectedItems();
    if (Items.empty() || (Items.size() == 1 && Items[0] == CurrentCatalog)) return;
    const std::string What = Items.size() == 1
                                 ? Items[0]->DisplayName()
                                 : Format("%d items", {static_cast<long long>(Items.size())});
    std::string Text = "Delete " + What + " ?";
    if (FFindRunning) Text += "\nFind will be terminated";
    if (UserDialogs().MessageDlg(Text, mtWarning, mbOKCancel) != mrOk) return;
    StopThread(FFindThread.get());
    {
        TUpdateBracket<TCustomTreeView> Nodes(tvMain);
        TUpdateBracket<TCustomListView> Rows(lvMain);
        for (TBasicItem* Item : Items) {
            // The folder shown moves up when it goes, also when it lies below the item that goes.
            for (TBasicItem* X = F; X; X = X->OwnerItem())
                if (X == Item) {
                    F = Item->OwnerItem();
                    break;
                }
            delete Item;
        }
    }
    SetCurrentFolder(F ? F : CurrentCatalog);
    RefreshList(false);
}

void TfmCatalogMain::RefreshActionExecute() {
    if (FActiveControl == lvMain) RefreshList(false);
    if (FActiveControl == lvResult) RefreshResults();
    if (auto* L = qobject_cast<TCustomListView*>(FActiveControl))
        L->Invalidate();
    else if (FActiveControl)
        FActiveControl->update();
    if (FActiveControl == tvMain) tvMain->viewport()->update();
}

void TfmCatalogMain::SelectAllActionExecute() {
    if (FActiveControl == lvMain || FActiveControl == lvKey || FActiveControl == lvResult)
        static_cast<TCustomListView*>(FActiveControl)->SelectAll();
}

void TfmCatalogMain::ToggleBar(QAction* Item, QWidget* Bar) {
    Bar->setVisible(Item->isChecked());
}
