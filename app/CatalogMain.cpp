// The main window: creation, first show and destruction, and the catalog file commands (New,
// Open, Save, Save As, Revert, Exit, the recent list and the save question).
#include "CatalogMain.h"

#include "app/ShellMenu.h"

#include "app/UiText.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/FindThread.h"
#include "core/ImageThreads.h"
#include "core/TreeItems.h"
#include "platform/Format.h"
#include "platform/SysUtils.h"
#include "uilib/MRUList.h"
#include "uilib/Placemnt.h"

#include <QApplication>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

std::string CaptionSuffix;
std::vector<std::string> CommandLineParams;
TfmCatalogMain* fmCatalogMain = nullptr;

namespace {

// The folder of a file name; empty when the name has none.
std::string FolderOf(const std::string& FileName) {
    std::string Folder = ExtractFilePath(FileName);
    if (Folder.size() > 1 && Folder.back() == '/') Folder.pop_back();
    return Folder;
}

// Catalogs are remembered by absolute names: the program changes its current directory to the
// folder of the open catalog, after which a relative name would lead somewhere else.
std::string AbsoluteFileName(const std::string& FileName) {
    if (FileName.empty() || FileName[0] == '/') return FileName;
    std::error_code E;
    std::filesystem::path P = std::filesystem::absolute(FileName, E);
    if (E) return FileName;
    return P.lexically_normal().string();
}

void ChangeDirectoryTo(const std::string& FileName) {
    const std::string Folder = FolderOf(FileName);
    if (Folder.empty()) return;
    if (::chdir(Folder.c_str()) != 0)
        RaiseCatalogError(
            Format("Cannot change the current folder to %s: %s", {Folder, std::strerror(errno)}));
}

} // namespace

// ---- module ------------------------------------------------------------------------------------

void CatalogMainInitialization() {
    CaptionSuffix = " - " + ProductName;
    QGuiApplication::setApplicationDisplayName(ToQString(ProductName));
}

void CatalogMainFinalization() {
    CaptionSuffix.clear();
}

// ---- creation ----------------------------------------------------------------------------------

TfmCatalogMain::TfmCatalogMain(QWidget* Parent) : TCustomForm(Parent) {
    if (CaptionSuffix.empty()) CatalogMainInitialization();
    fmCatalogMain = this;
    SetName("fmCatalogMain");
    setWindowTitle(QStringLiteral("(Untitled) - QUILM"));
    SetPosition(poScreenCenter);
    resize(800, 560);

    LoadImages();
    FormStorage1 = new TFormStorage(this);
    FormStorage1->SetName("FormStorage1");
    FormStorage1->SetUseRegistry(true);
    FormStorage1->SetOptions(fpPosition);
    // The options and the layout follow the placement, through the same open store.
    FormStorage1->OnRestorePlacement = [this](QObject*) { FormStorage1RestorePlacement(); };
    FormStorage1->OnSavePlacement = [this](QObject*) { FormStorage1SavePlacement(); };
    OpenDialog1.Title = "Open catalog database";
    OpenDialog1.DefaultExt = "qlmk";
    SaveDialog1.Title = "Save catalog database";
    SaveDialog1.DefaultExt = "qlmk";

    CreateActions();
    CreatePanes();
    CreateMenus();
    CreateToolBars();
    StartIdleUpdates();

    MRUManager1 = new TMRUManager(this);
    MRUManager1->SetName("MRUManager1");
    MRUManager1->SetMode(rmAppend);
    MRUManager1->SetRecentMenu(Recent1);
    MRUManager1->OnClick = [this](QObject*, const std::string& RecentName, const std::string&,
                                  int) { Run([&] { MRUManager1Click(RecentName); }); };

    OnShow = [this](QObject*) { FormShow(); };
    OnCloseQuery = [this](QObject*, bool& CanClose) { FormCloseQuery(CanClose); };
    OnDestroy = [this](QObject*) { FormDestroy(); };
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* Now) { FocusChanged(Now); });

    FormCreate();
}

TfmCatalogMain::~TfmCatalogMain() {
    // Windows of its own (the find dialog) go with the window's base and may hold the focus, and
    // hiding the window in the base destructors moves it: the handler must not run then.
    disconnect(qApp, nullptr, this, nullptr);
    BeforeDestruction();
    for (QWidget* V : DragViewports())
        V->removeEventFilter(this);
    // The panes draw from the image lists, which are members: the panes go first.
    delete takeCentralWidget();
    if (fmCatalogMain == this) fmCatalogMain = nullptr;
}

void TfmCatalogMain::FormCreate() {
    OpenDialog1.Filter = CatalogFilter;
    SaveDialog1.Filter = CatalogFilter;
    FormStorage1->SetIniFileName(RegistryKey);
    FormStorage1->SetIniSection(RegistrySection);
    FFindRunning = FListImageRunning = FTreeImageRunning = FCatalogImageRunning = false;
    InstallViewCallbacks();
    SetProgramImageLists(&SmallImageList, &LargeImageList);

    FCatalog = std::make_unique<TCatFileItem>();
    CurrentCatalog = FCatalog.get();
    TTreeViewNode* Root = tvMain->AddChild(nullptr, CurrentCatalog->DisplayName(), CurrentCatalog);
    CurrentCatalog->SetTreeNode(Root);
    InitRootCaption();
    aNewExecute();
}

void TfmCatalogMain::InitRootCaption() {
    CurrentCatalog->SetItemName("Desktop");
    CatalogModified = false;
}

void TfmCatalogMain::FormShow() {
    Run([&] {
        if (!CommandLineParams.empty())
            OpenCatalog(CommandLineParams[0]);
        else if (AutoOpen && MRUManager1->RecentList().Count() > 0)
            OpenCatalog(MRUManager1->RecentList()[0]);
    });
    lvMain->SortByColumn(colName, true);
    // The keyboard starts in the list, so that its keys (F2, Ctrl+A, Enter) act on its rows.
    SetActiveControl(lvMain);
}

void TfmCatalogMain::FormDestroy() {
    if (CurrentCatalog) {
        CloseCatalog();
        FFindThread.reset();
        FListImageThread.reset();
        FCatalog.reset();
        CurrentCatalog = nullptr;
    }
    CurrentFolder = nullptr;
    RemoveViewCallbacks();
    SetProgramImageLists(nullptr, nullptr);
}

void TfmCatalogMain::Run(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& E) {
        ShowCatalogError(E);
    } catch (...) {
        ShowCatalogError(Exception("Unknown error"));
    }
}

std::string TfmCatalogMain::Caption() const {
    return FromQString(windowTitle());
}

void TfmCatalogMain::SetCaption(const std::string& Value) {
    setWindowTitle(ToQString(Value));
}

// ---- catalog file commands ---------------------------------------------------------------------

bool TfmCatalogMain::QuerySave() {
    bool Result = true;
    if (CatalogModified) {
        Result = false;
        std::string Name = CurrentCatalog->CatFile();
        if (Name.empty()) Name = "(Untitled)";
        switch (UserDialogs().MessageDlg(Format("Save Catalog: %s?", {Name}), mtWarning,
                                         mbYesNoCancel)) {
        case mrYes: {
            // The name is taken only when the save succeeds (SaveCatalogTo).
            std::string FileName = CurrentCatalog->CatFile();
            if (FileName.empty()) {
                std::string Chosen;
                if (UserDialogs().SaveFileDialog(SaveDialog1, Chosen)) FileName = Chosen;
            }
            if (!FileName.empty()) {
                SaveCatalogTo(FileName);
                Result = true;
            }
            break;
        }
        case mrNo: Result = true; break;
        default: break;
        }
    }
    if (Result) CatalogModified = false;
    return Result;
}

bool TfmCatalogMain::aNewExecute() {
    if (!QuerySave()) return false;
    AddToRecent(CurrentCatalog->CatFile());
    CloseCatalog();
    // A new catalog is named as at start-up, not after the one closed.
    InitRootCaption();
    ShowRootNode();
    SetCaption("( Untitled )" + CaptionSuffix);
    CatalogModified = false;
    return true;
}

void TfmCatalogMain::aLoadExecute() {
    if (!QuerySave()) return;
    std::string FileName;
    if (UserDialogs().OpenFileDialog(OpenDialog1, FileName)) OpenCatalog(FileName);
}

void TfmCatalogMain::OpenCatalog(std::string FileName) {
    if (FileName.empty()) return;
    FileName = AbsoluteFileName(FileName);
    if (!aNewExecute()) return;
    CurrentCatalog->SetCatFile(FileName);
    try {
        CurrentCatalog->LoadFromFile();
        ChangeDirectoryTo(FileName);
        FillKeyWordList();
        ShowRootNode();
        auto* Root = static_cast<TTreeViewNode*>(CurrentCatalog->TreeNode());
        RefreshTreeNode(Root);
        tvMainChanging(Root);
        Root->Expand(false);
    } catch (...) {
        // Nothing of a failed file stays: an empty untitled catalog, which has nothing to save.
        CloseCatalog();
        CatalogModified = false;
        SetCaption(CurrentCatalog->CatFile() + CaptionSuffix);
        throw;
    }
    SetCaption(CurrentCatalog->CatFile() + CaptionSuffix);
}

void TfmCatalogMain::aSaveExecute() {
    std::string FileName = CurrentCatalog->CatFile();
    if (FileName.empty() && !UserDialogs().SaveFileDialog(SaveDialog1, FileName)) return;
    SaveCatalogTo(FileName);
}

void TfmCatalogMain::aSaveAsExecute() {
    TFileDialogSpec Spec = SaveDialog1;
    Spec.FileName = CurrentCatalog->CatFile();
    std::string FileName;
    if (UserDialogs().SaveFileDialog(Spec, FileName)) SaveCatalogTo(FileName);
}

void TfmCatalogMain::SaveCatalogTo(std::string FileName) {
    if (FileName.empty()) return;
    FileName = AbsoluteFileName(FileName);
    // The catalog writes the file it names; it keeps its old name unless the save succeeds.
    const std::string Previous = CurrentCatalog->CatFile();
    CurrentCatalog->SetCatFile(FileName);
    try {
        CurrentCatalog->SaveToFile();
    } catch (...) {
        CurrentCatalog->SetCatFile(Previous);
        throw;
    }
    MRUManager1->RemoveItem(FileName);
    SetCaption(FileName + CaptionSuffix);
    ChangeDirectoryTo(FileName);
}

void TfmCatalogMain::RevertActionExecute() {
    if (UserDialogs().MessageDlg("Revert to last saved version?", mtInformation, mbOKCancel) !=
        mrOk)
        return;
    CatalogModified = false;
    OpenCatalog(CurrentCatalog->CatFile());
}

void TfmCatalogMain::aExitExecute() {
    close();
}

void TfmCatalogMain::AddToRecent(const std::string& FileName) {
    if (FileName.empty()) return;
    MRUManager1->RemoveItem(FileName);
    MRUManager1->RecentList().Insert(0, FileName);
}

void TfmCatalogMain::MRUManager1Click(const std::string& RecentName) {
    OpenCatalog(RecentName);
}

void TfmCatalogMain::FormCloseQuery(bool& CanClose) {
    if (!CurrentCatalog) return;
    // The close button reaches the window also while it is disabled by a scan or a search:
    // they stop first, so that no worker changes the catalog under the save question.
    StopWorkers();
    try {
        CanClose = QuerySave();
    } catch (const std::exception& E) {
        CanClose = false;
        ShowCatalogError(E);
    }
    AddToRecent(CurrentCatalog->CatFile());
}
