// The commands of qm-bench, the headless benchmark harness. Each command lives in its own
// source file and registers itself with a QM_BENCH_COMMAND definition.
#pragma once

#include <string>
#include <vector>

struct BenchCommand {
    const char* Name;
    const char* Usage;   // arguments, e.g. "DIR OUT.qlmk"
    const char* Summary; // one line
    int (*Run)(const std::vector<std::string>& Args);
};

bool RegisterBenchCommand(const BenchCommand& C);
const std::vector<BenchCommand>& BenchCommandList();

// Seconds since an arbitrary start, for timing inside a command.
double BenchSeconds();
// Peak resident memory of this process in bytes.
long long BenchPeakRss();

#define QM_BENCH_COMMAND(Var, ...)                                                                 \
    static const bool Var = RegisterBenchCommand(BenchCommand{__VA_ARGS__})
