// qm-bench load FILE: loads a catalog file as the program opens one and prints the number of
// entries, the seconds the load took (seconds), the part of them spent reading and inflating
// the file (inflate_seconds) and the rest, parsing and building the tree (parse_seconds).
#include "BenchCommands.h"

#include "core/CatalogFile.h"
#include "core/CatalogGlobals.h"
#include "core/TreeItems.h"

#include <cstdio>
#include <memory>

namespace {

int RunLoad(const std::vector<std::string>& Args) {
    if (Args.size() != 1) {
        std::fprintf(stderr, "usage: qm-bench load FILE\n");
        return 2;
    }
    auto Root = std::make_unique<TCatFileItem>();
    CurrentCatalog = Root.get();
    Root->Clear();
    Root->SetCatFile(Args[0]);
    double Start = BenchSeconds();
    Root->LoadFromFile();
    double Seconds = BenchSeconds() - Start;
    int64_t Folders = 0, Files = 0;
    uint64_t Bytes = 0;
    CountItems(Root->Children(), Folders, Files, Bytes);
    std::printf("entries %lld\ninflate_seconds %.3f\nparse_seconds %.3f\nseconds %.3f\n"
                "peak_rss_bytes %lld\n",
                static_cast<long long>(Folders + Files), LastLoadInflateSeconds,
                Seconds - LastLoadInflateSeconds, Seconds, BenchPeakRss());
    Root.reset();
    CurrentCatalog = nullptr;
    return 0;
}

} // namespace

QM_BENCH_COMMAND(GLoadCommand, "load", "FILE", "load a catalog file: entries and seconds", RunLoad);
