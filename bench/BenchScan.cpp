// qm-bench scan DIR OUT.qlmk: the first scan of DIR as a new scanned folder, then the save.
// qm-bench sync CATALOG: synchronises every scanned folder of a catalog against the disk.
// Options for both: --descriptions (every description reader on), --no-save (scan only).
// Options of sync: --no-add, --no-delete (switch roAdd, roDelete off), --check (roCheck on; the
// volume question has no one to answer it, so a volume that differs is refused: Abort).
#include "BenchCommands.h"

#include "core/CatalogGlobals.h"
#include "core/FileRecords.h"
#include "core/FileTypes.h"
#include "core/FolderScan.h"
#include "core/TreeItems.h"
#include "platform/Thread.h"

#include <cstdio>

namespace {

struct TScanOptions {
    bool Descriptions = false;
    bool Save = true;
    bool Add = true, Delete = true, Check = false;
    std::vector<std::string> Args;
};

TScanOptions ParseOptions(const std::vector<std::string>& Args) {
    TScanOptions O;
    for (const std::string& A : Args) {
        if (A == "--descriptions")
            O.Descriptions = true;
        else if (A == "--no-save")
            O.Save = false;
        else if (A == "--no-add")
            O.Add = false;
        else if (A == "--no-delete")
            O.Delete = false;
        else if (A == "--check")
            O.Check = true;
        else
            O.Args.push_back(A);
    }
    SetDefaultOptions();
    if (O.Descriptions) {
        FileDescription = FolderDescription = HTMLDescription = GraphicDescription = true;
    }
    return O;
}

// Runs one scan thread to its end, serving its calls on this thread.
TFolderScanThread::TStats RunScan(TBasicItem* Item, uint8_t Mode) {
    TFolderScanThread::TStats Stats;
    auto* T = new TFolderScanThread(Item, Mode);
    T->OnStats = [&](const TFolderScanThread::TStats& S) { Stats = S; };
    T->Resume();
    T->WaitFor();
    return Stats;
}

int64_t CountEntries(TBasicItem* Item) {
    int64_t Folders = 0, Files = 0;
    uint64_t Size = 0;
    CountItems(Item->Children(), Folders, Files, Size);
    return Folders + Files;
}

int Scan(const std::vector<std::string>& RawArgs) {
    TScanOptions O = ParseOptions(RawArgs);
    if (O.Args.size() != 2) throw std::runtime_error("usage: qm-bench scan DIR OUT.qlmk");
    TCatFileItem Root;
    CurrentCatalog = &Root;
    Root.Clear();
    auto* C = new TFileCollection(Root.Children());
    C->SetItemName(ExtractFileName(O.Args[0]));
    C->SetRootPath(IncludeTrailingPathDelimiter(O.Args[0]));
    Root.Types()->AddItem(C);
    double T0 = BenchSeconds();
    TFolderScanThread::TStats S = RunScan(C, 0);
    double T1 = BenchSeconds();
    std::printf("entries %lld\nfolders %lld\nbatches %lld\nscan_seconds %.3f\n",
                static_cast<long long>(CountEntries(C)), static_cast<long long>(S.Folders),
                static_cast<long long>(S.Batches), T1 - T0);
    if (O.Save) {
        Root.SetCatFile(O.Args[1]);
        double T2 = BenchSeconds();
        Root.SaveToFile();
        std::printf("save_seconds %.3f\n", BenchSeconds() - T2);
    }
    std::printf("peak_rss_bytes %lld\n", BenchPeakRss());
    std::fflush(stdout);
    CurrentCatalog = nullptr;
    return 0;
}

int Sync(const std::vector<std::string>& RawArgs) {
    TScanOptions O = ParseOptions(RawArgs);
    if (O.Args.size() != 1) throw std::runtime_error("usage: qm-bench sync CATALOG");
    TCatFileItem Root;
    CurrentCatalog = &Root;
    Root.Clear();
    Root.SetCatFile(O.Args[0]);
    Root.LoadFromFile();
    roAdd = O.Add;
    roDelete = O.Delete;
    roCheck = O.Check;
    VolumeQuestionProc = nullptr; // headless: the answer is Abort
    TFolderScanThread::TStats Total;
    double T0 = BenchSeconds();
    for (int I = 0; I < Root.Children()->Count(); ++I) {
        auto* C = dynamic_cast<TFileCollection*>(Root.Children()->At(I));
        if (!C) continue;
        TFolderScanThread::TStats S = RunScan(C, 1);
        Total.Added += S.Added;
        Total.Refreshed += S.Refreshed;
        Total.Deleted += S.Deleted;
    }
    std::printf("added %lld\nrefreshed %lld\ndeleted %lld\nsync_seconds %.3f\nentries %lld\n",
                static_cast<long long>(Total.Added), static_cast<long long>(Total.Refreshed),
                static_cast<long long>(Total.Deleted), BenchSeconds() - T0,
                static_cast<long long>(CountEntries(&Root)));
    if (O.Save) Root.SaveToFile();
    CurrentCatalog = nullptr;
    return 0;
}

} // namespace

QM_BENCH_COMMAND(RegScan, "scan", "DIR OUT.qlmk [--descriptions] [--no-save]",
                 "first scan of DIR as a scanned folder, then save", Scan);
QM_BENCH_COMMAND(RegSync, "sync",
                 "CATALOG [--descriptions] [--no-save] [--no-add] [--no-delete] [--check]",
                 "synchronise every scanned folder of CATALOG and save it", Sync);
