// The main window's worker threads: the list-icon thread and the search, how they are started
// and stopped, and the closing of a catalog, which stops every worker (the scans included)
// before the catalog and the panes are emptied.
#include "CatalogMain.h"

#include "app/FolderCounter.h"
#include "core/CatalogGlobals.h"
#include "core/FindThread.h"
#include "core/FolderScan.h"
#include "core/ImageThreads.h"
#include "core/TreeItems.h"

void TfmCatalogMain::StopThread(TThread* Thread) {
    if (!Thread) return;
    bool Running = false;
    if (Thread == FListImageThread.get())
        Running = FListImageRunning;
    else if (Thread == FFindThread.get())
        Running = FFindRunning;
    if (!Running) return;
    Thread->Terminate();
    Thread->WaitFor();
}

void TfmCatalogMain::ThreadTerminated(TThread* Sender) {
    if (Sender && Sender == FListImageThread.get()) FListImageRunning = false;
    if (Sender && Sender == FFindThread.get()) {
        FFindRunning = false;
        FitResultNames();
    }
    ScheduleUpdateActions();
}

void TfmCatalogMain::StartListImageThread() {
    StopThread(FListImageThread.get());
    FListImageThread.reset();
    if (DisplayDefaultIcons) return;
    FListImageThread = std::make_unique<TListImageThread>(lvMain);
    FListImageThread->OnTerminate = [this](TThread* T) { ThreadTerminated(T); };
    FListImageRunning = true;
    FListImageThread->Resume();
}

TFindThread* TfmCatalogMain::CreateFindThread() {
    StopThread(FFindThread.get());
    FFindThread = std::make_unique<TFindThread>(lvResult);
    FFindThread->OnTerminate = [this](TThread* T) { ThreadTerminated(T); };
    return FFindThread.get();
}

void TfmCatalogMain::RunFindThread() {
    if (!FFindThread || FFindThread->Started()) return;
    FFindRunning = true;
    FFindThread->Resume();
}

void TfmCatalogMain::StopWorkers() {
    StopRefreshResults();
    // Every scan is abandoned before anything is waited for. Waiting serves the workers' calls,
    // so a scan could otherwise end during the wait for the search and, as a first scan, open
    // the properties dialog of a folder whose catalog is going away.
    for (int I = 0; I < ScanThreads.Count(); ++I)
        ScanThreads[I]->Abandon();
    // The catalog goes: the search's rows are not wanted any more.
    if (FFindThread && FFindRunning) FFindThread->Abandon();
    StopThread(FFindThread.get());
    StopThread(FListImageThread.get());
    // From the end of the list: each scan removes itself when it has ended.
    while (ScanThreads.Count() > 0) {
        TFolderScanThread* T = ScanThreads.Last();
        T->Abandon();
        T->WaitFor();
    }
}

void TfmCatalogMain::CloseCatalog() {
    StopWorkers();
    FCounter->Stop();
    lvKey->Clear();
    lvResult->Clear();
    {
        TUpdateBracket<TCustomTreeView> Nodes(tvMain);
        TUpdateBracket<TCustomListView> Rows(lvMain);
        CurrentCatalog->Clear();
    }
    ShowRootNode();
    SetCurrentFolder(CurrentCatalog);
}
