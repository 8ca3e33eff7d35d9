// qm-bench: runs one benchmark command of the catalog core and prints its figures.
#include "BenchCommands.h"

#include "platform/SysUtils.h"
#include "platform/Thread.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {
std::vector<BenchCommand>& Commands() {
    static std::vector<BenchCommand> C;
    return C;
}

void PrintHelp() {
    std::printf("usage: qm-bench COMMAND [ARGS...]\n\n"
                "Headless benchmarks of the Quillmark catalog core. Commands:\n");
    for (const BenchCommand& C : Commands())
        std::printf("  %-8s %-28s %s\n", C.Name, C.Usage, C.Summary);
    std::printf(
        "\nEach command prints its figures on standard output, one \"name value\" pair a line.\n");
}
} // namespace

bool RegisterBenchCommand(const BenchCommand& C) {
    Commands().push_back(C);
    return true;
}

const std::vector<BenchCommand>& BenchCommandList() {
    return Commands();
}

double BenchSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

long long BenchPeakRss() {
    struct rusage U;
    getrusage(RUSAGE_SELF, &U);
    return static_cast<long long>(U.ru_maxrss) * 1024;
}

int main(int argc, char** argv) {
    SetMainThread();
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    for (const BenchCommand& C : Commands()) {
        if (std::strcmp(C.Name, argv[1]) != 0) continue;
        std::vector<std::string> Args(argv + 2, argv + argc);
        try {
            return C.Run(Args);
        } catch (const std::exception& E) {
            std::fprintf(stderr, "qm-bench %s: %s\n", C.Name, E.what());
            return 1;
        }
    }
    std::fprintf(stderr, "qm-bench: unknown command '%s' (see --help)\n", argv[1]);
    return 2;
}
