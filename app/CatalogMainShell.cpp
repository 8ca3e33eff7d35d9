// The main window's "Shell" submenu: the desktop's own commands (app/ShellMenu.h) for the file
// or folder on disk behind the one selected disk item, offered while its disk is present, and
// the pop-up menu of the tree and the list that carries it.
#include "CatalogMain.h"

#include "app/ShellMenu.h"
#include "app/UiText.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"

#include <QAction>
#include <QMenu>

void TfmCatalogMain::pmMainPopup() {
    UpdateActions();
    const std::vector<TBasicItem*> Items = GetSelectedItems();
    // A virtual or scanned folder's root has no one file behind it; neither has a selection of
    // several rows.
    auto* File = Items.size() == 1 ? dynamic_cast<TFileItem*>(Items[0]) : nullptr;
    shell1->menuAction()->setVisible(false);
    if (File) UpdateShellMenu(File);
    ViewStyle1->menuAction()->setVisible(FActiveControl == lvMain);
}

void TfmCatalogMain::UpdateShellMenu(TFileItem* Item) {
    shell1->clear();
    FShellContextMenu.reset();
    FShellMenuPath = Item->GetFullPath();
    // A disk that is not there, or a provider that fails, leaves the submenu empty and hidden.
    try {
        if (!FileExists(FShellMenuPath) && !DirectoryExists(FShellMenuPath)) return;
        FShellContextMenu = ShellContextMenuFactory();
        if (!FShellContextMenu) return;
        BuildShellSubmenu(shell1, FShellContextMenu->QueryContextMenu(FShellMenuPath));
    } catch (...) {
        shell1->clear();
    }
    shell1->menuAction()->setVisible(!shell1->isEmpty());
}

void TfmCatalogMain::BuildShellSubmenu(QMenu* Parent, const std::vector<TShellCommand>& Commands) {
    for (const TShellCommand& C : Commands) {
        if (C.Caption == "-") {
            Parent->addSeparator();
            continue;
        }
        if (!C.Children.empty()) {
            QMenu* Sub = Parent->addMenu(ToQString(C.Caption));
            BuildShellSubmenu(Sub, C.Children);
            Sub->setEnabled(C.Enabled);
            continue;
        }
        QAction* A = Parent->addAction(ToQString(C.Caption));
        A->setEnabled(C.Enabled);
        if (C.Id < 0) continue;
        connect(A, &QAction::triggered, this,
                [this, Id = C.Id] { Run([&] { ShellMenuItemClick(Id); }); });
    }
    Parent->setEnabled(true);
}

void TfmCatalogMain::ShellMenuItemClick(int Id) {
    // The path of the last build: the selection may have changed since the menu was made.
    if (FShellContextMenu) FShellContextMenu->InvokeCommand(FShellMenuPath, Id);
}
