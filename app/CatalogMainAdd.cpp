// The commands that build and describe a catalog from the window: adding a virtual folder, a
// scanned folder (walked in the background) and a located file to the folder shown in the list;
// synchronising the focused item with its disk; the options; the about box.
#include "CatalogMain.h"

#include "app/dialogs/DialogFactory.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/FolderScan.h"
#include "core/TreeItems.h"
#include "platform/Format.h"
#include "platform/SysUtils.h"
#include "uilib/MRUList.h"

#include <QAction>

#include <cerrno>
#include <cstring>

namespace {

// The folder the add commands put new items into: the catalog or a virtual folder.
bool AcceptsNewItems(const TBasicItem* Folder) {
    return Folder && dynamic_cast<const TBasicFolder*>(Folder) &&
           !dynamic_cast<const TFileCollection*>(Folder);
}

// A scanned folder is named after the last part of its path ("/" for the root of the file
// system) and scanned from the path with a separator at its end.
void ScannedFolderOf(const std::string& Chosen, std::string& Name, std::string& RootPath) {
    std::string Path = Chosen;
    while (Path.size() > 1 && Path.back() == '/')
        Path.pop_back();
    Name = ExtractFileName(Path);
    if (Name.empty()) Name = Path;
    RootPath = IncludeTrailingPathDelimiter(Path);
}

} // namespace

void TfmCatalogMain::CreateAddActions() {
    using K = QKeySequence;
    aAddVirtualFolder = NewAction("aAddVirtualFolder", "Add Virtual Folder", "Add Virtual Folder",
                                  K(Qt::CTRL | Qt::Key_1), imgAddVirtualFolder,
                                  [this] { aAddVirtualFolderExecute(); });
    aAddFileFolder =
        NewAction("aAddFileFolder", "Add FileFolder ...", "Add FileFolder ...",
                  K(Qt::CTRL | Qt::Key_2), imgAddFileFolder, [this] { aAddFileFolderExecute(); });
    aAddLocFile = NewAction("aAddLocFile", "Add File ...", "Add File ...", K(Qt::CTRL | Qt::Key_3),
                            imgAddFile, [this] { aAddLocFileExecute(); });
    RescanAction = NewAction(
        "RescanAction", "Synchronize ...", "Synchronize ...|Synchronizing folders or files",
        K(Qt::CTRL | Qt::Key_R), imgSynchronize, [this] { RescanActionExecute(); });
    SetupAction = NewAction("SetupAction", "Options ...", "Options ...|Change software options",
                            K(Qt::Key_F9), imgOptions, [this] { SetupActionExecute(); });
    About1 = NewAction("About1", "&About", "", K(), -1, [this] { About1Click(); });
}

void TfmCatalogMain::UpdateAddActions() {
    const bool CanAdd = AcceptsNewItems(CurrentFolder) && lvMain->SelCount() == 0;
    aAddVirtualFolder->setEnabled(CanAdd);
    aAddLocFile->setEnabled(CanAdd);
    aAddFileFolder->setEnabled(CanAdd && ScanThreads.Count() == 0);
    RescanAction->setEnabled(
        (ScanThreads.Count() == 0 && FActiveControl == tvMain && tvMain->Selected()) ||
        (FActiveControl == lvMain && lvMain->SelCount() == 1));
}

// ---- the add commands --------------------------------------------------------------------------

void TfmCatalogMain::aAddVirtualFolderExecute() {
    if (!AcceptsNewItems(CurrentFolder)) return;
    auto* Folder = new TBasicFolder(CurrentFolder->Children());
    CurrentCatalog->Types()->AddItem(Folder);
    // The first free "Virtual Folder<n>" among its siblings becomes its name.
    Folder->SetItemName(Folder->DisplayName());
    {
        TUpdateBracket<TCustomTreeView> Nodes(tvMain);
        tvMain->SetSortType(stNone);
        TTreeViewNode* Parent = TreeNodeOf(CurrentFolder);
        // Nodes still to come below the folder are made now, the new folder's among them.
        if (Parent) Parent->ChildCount();
        if (Parent && !Folder->TreeNode()) {
            TTreeViewNode* Node = tvMain->AddChild(Parent, Folder->DisplayName(), Folder);
            Folder->SetTreeNode(Node);
            Node->SetImageIndex(Folder->GetImageIndex());
            Node->SetSelectedIndex(Folder->GetSelectedIndex());
        }
        tvMain->SetSortType(stText);
        if (Parent) Parent->Expand(false);
    }
    // The user names the folder at once.
    TListViewItem* Row = AddListItem(Folder);
    UpdateStatusLine();
    SetActiveControl(lvMain);
    lvMain->EditCaption(Row);
}

void TfmCatalogMain::aAddFileFolderExecute() {
    std::string Chosen;
    for (;;) {
        if (!UserDialogs().BrowseFolder("Select Directory", "", Chosen)) return;
        if (!Chosen.empty()) break;
        UserDialogs().MessageDlg("Invalid Folder: Please Select Another Location", mtInformation,
                                 mbOK);
    }
    if (!AcceptsNewItems(CurrentFolder)) return;
    std::string Name, RootPath;
    ScannedFolderOf(Chosen, Name, RootPath);
    auto* Folder = new TFileCollection(CurrentFolder->Children());
    Folder->SetItemName(Name);
    Folder->SetRootPath(RootPath);
    CurrentCatalog->Types()->AddItem(Folder);
    // The scan disables the window while it runs, shows the folder in the panes when it has
    // ended and then opens the folder's properties.
    Folder->StartScan();
}

void TfmCatalogMain::aAddLocFileExecute() {
    TFileDialogSpec Spec;
    Spec.Filter = "All Files(*.*)|*.*";
    std::string FileName;
    if (!UserDialogs().OpenFileDialog(Spec, FileName)) return;
    if (!AcceptsNewItems(CurrentFolder)) return;
    // A file that cannot be read leaves nothing behind: no half-made item, no change mark.
    const bool WasModified = CatalogModified;
    auto* Item = new TFileLocItem(CurrentFolder->Children());
    try {
        TFileInfo Probe;
        if (!GetFileInfo(FileName, Probe)) {
            const int Error = errno;
            RaiseCatalogError(Format("Cannot read %s: %s", {FileName, std::strerror(Error)}));
        }
        Item->SetFileName(FileName);
    } catch (...) {
        delete Item;
        CatalogModified = WasModified;
        throw;
    }
    AddListItem(Item);
    UpdateStatusLine();
}

// ---- synchronise, options, about ---------------------------------------------------------------

void TfmCatalogMain::RescanActionExecute() {
    if (ShowRescanDialog && DialogFactory().ShowRescanningDialog() == mrCancel) return;
    TBasicItem* Item = GetFocusedItem();
    if (!Item) return;
    // The scan enters itself in ScanThreads, disables the window while it runs and frees itself.
    auto* Scan = new TFolderScanThread(Item, 1);
    Scan->Resume();
}

void TfmCatalogMain::SetupActionExecute() {
    DialogFactory().ShowCatOptions();
    MRUManager1->SetCapacity(gRecentListCount);
}

void TfmCatalogMain::About1Click() {
    DialogFactory().ShowAboutBox();
}
