// qm-bench synth N OUT [--depth D]: builds a synthetic catalog of N entries (bench/SynthCatalog.h)
// and saves it to OUT, printing the seconds of the build and of the save and the size of the
// file. With --depth D the catalog also holds a chain of folders D deep (2 x D of the entries).
#include "BenchCommands.h"
#include "SynthCatalog.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

int RunSynth(const std::vector<std::string>& Args) {
    long long N = 0, Depth = 0;
    std::vector<std::string> Plain;
    bool Ok = true;
    for (size_t I = 0; I < Args.size(); ++I) {
        if (Args[I] == "--depth")
            Ok = Ok && I + 1 < Args.size() && TryStrToInt64(Args[++I], Depth) && Depth >= 0;
        else
            Plain.push_back(Args[I]);
    }
    if (!Ok || Plain.size() != 2 || !TryStrToInt64(Plain[0], N) || N < 1) {
        std::fprintf(stderr, "usage: qm-bench synth N OUT [--depth D]\n");
        return 2;
    }
    auto Root = std::make_unique<TCatFileItem>();
    CurrentCatalog = Root.get();
    Root->Clear();
    // The type thread would look up the extensions while the tree grows; a scan pauses it too.
    Root->Types()->SetPaused(true);
    double Start = BenchSeconds();
    int64_t Entries = BuildSyntheticCatalog(*Root, N, 1, Depth);
    double Built = BenchSeconds() - Start;
    Root->Types()->SetPaused(false);

    Root->SetCatFile(Plain[1]);
    Start = BenchSeconds();
    Root->SaveToFile();
    double Saved = BenchSeconds() - Start;
    struct stat St {};
    ::stat(Plain[1].c_str(), &St);
    std::printf("entries %lld\nbuild_seconds %.3f\nsave_seconds %.3f\nfile_bytes %lld\n"
                "peak_rss_bytes %lld\n",
                static_cast<long long>(Entries), Built, Saved, static_cast<long long>(St.st_size),
                BenchPeakRss());
    Root.reset();
    CurrentCatalog = nullptr;
    return 0;
}

} // namespace

QM_BENCH_COMMAND(GSynthCommand, "synth", "N OUT [--depth D]",
                 "build a synthetic catalog of N entries (a chain of folders D deep among them) "
                 "and save it: seconds",
                 RunSynth);
