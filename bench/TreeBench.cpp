// Google Benchmark: building a catalog tree of one million file items in memory, as a scan or a
// load does (names, file records, type rows), and what each item costs in time and memory.
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"
#include "platform/Thread.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

size_t HeapInUse() {
    struct mallinfo2 M = mallinfo2();
    return M.uordblks + M.hblkhd;
}

// One million files in folders of ten, with names like a scan finds them.
void BuildTree(TCatFileItem& Root, int Files) {
    static const char* const Ext[] = {".txt", ".jpg", ".c", ".html", "", ".tar.gz", ".png", ".pdf"};
    auto* Disk = new TFileCollection(Root.Children());
    Disk->SetNameField(PackedString("Disk"));
    Disk->Volume().Path = "/data/";
    Root.Types()->AddItem(Disk);
    TFileFolder* Folder = nullptr;
    for (int I = 0; I < Files; ++I) {
        if (I % 10 == 0) {
            Folder = new TFileFolder(Disk->Children());
            std::string N = "folder_" + std::to_string(I / 10);
            PackedString P(N);
            Folder->SetNameField(P);
            Folder->FileInfoRef().Name = P;
            Folder->FileInfoRef().Attr = 16;
            Root.Types()->AddItem(Folder);
        }
        auto* F = new TFileItem(Folder->Children());
        std::string N = "document_file_" + std::to_string(I) + Ext[I % 8];
        PackedString P(N);
        F->SetNameField(P);
        TFileInfo& Info = F->FileInfoRef();
        Info.Name = P;
        Info.Size = static_cast<uint64_t>(I) * 1024;
        Info.Date = 45000.5 + I % 1000;
        Info.Attr = 32;
        Root.Types()->AddItem(F);
    }
}

void BM_BuildMillionItemTree(benchmark::State& State) {
    SetMainThread();
    const int Files = static_cast<int>(State.range(0));
    size_t Bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto Root = std::make_unique<TCatFileItem>();
        Root->Clear();
        Root->Types()->SetPaused(true);
        size_t Before = HeapInUse();
        State.ResumeTiming();
        BuildTree(*Root, Files);
        State.PauseTiming();
        Bytes = HeapInUse() - Before;
        Root->Types()->SetPaused(false);
        Root.reset();
        while (CheckSynchronize(0)) {
        }
        State.ResumeTiming();
    }
    // Entries: the files plus their folders.
    double Entries = Files + Files / 10.0;
    State.counters["bytes_per_entry"] = static_cast<double>(Bytes) / Entries;
    State.counters["ns_per_entry"] =
        benchmark::Counter(Entries * static_cast<double>(State.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildMillionItemTree)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
