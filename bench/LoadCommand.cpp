// qm-bench load FILE: loads a catalog file as the program opens one and prints the number of
// entries, the seconds the load took (seconds), the part of them spent reading and inflating
// the file (inflate_seconds, on a thread beside the parser) and the part the parser was busy
// (parse_seconds: the rest, less the time it waited for inflated bytes), and the seconds closing
// the catalog takes (close_seconds).
#include "BenchCommands.h"

#include "core/CatalogFile.h"
#include "core/CatalogGlobals.h"
#include "core/TreeItems.h"
#include "platform/Streams.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

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
                "peak_rss_bytes %lld\nparts %d\n",
                static_cast<long long>(Folders + Files), LastLoadInflateSeconds,
                Seconds - LastLoadWaitSeconds, Seconds, BenchPeakRss(), LastLoadParts);
    double CloseStart = BenchSeconds();
    Root.reset();
    std::printf("close_seconds %.3f\n", BenchSeconds() - CloseStart);
    CurrentCatalog = nullptr;
    return 0;
}

// The yardstick of a load: the zlib work alone. The file is read whole, then inflated in one
// pass into a buffer of 1 MiB that is overwritten (nothing is kept, nothing is parsed).
int RunInflate(const std::vector<std::string>& Args) {
    if (Args.size() != 1) {
        std::fprintf(stderr, "usage: qm-bench inflate FILE\n");
        return 2;
    }
    std::string In = ReadFileBytes(Args[0], size_t(4) << 30);
    double Start = BenchSeconds();
    std::vector<unsigned char> Out(size_t(1) << 20);
    z_stream Z{};
    if (inflateInit(&Z) != Z_OK) return 1;
    Z.next_in = reinterpret_cast<Bytef*>(In.data());
    Z.avail_in = static_cast<uInt>(In.size());
    int R = Z_OK;
    while (R == Z_OK) {
        Z.next_out = Out.data();
        Z.avail_out = static_cast<uInt>(Out.size());
        R = inflate(&Z, Z_NO_FLUSH);
    }
    unsigned long long Body = Z.total_out;
    inflateEnd(&Z);
    std::printf("body_bytes %llu\ninflate_seconds %.3f\n", Body, BenchSeconds() - Start);
    return R == Z_STREAM_END ? 0 : 1;
}

} // namespace

QM_BENCH_COMMAND(GInflateCommand, "inflate", "FILE",
                 "inflate a catalog file with zlib alone: the yardstick of a load", RunInflate);
QM_BENCH_COMMAND(GLoadCommand, "load", "FILE", "load a catalog file: entries and seconds", RunLoad);
