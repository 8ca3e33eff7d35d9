// qm-bench openwith FILE [TIMES]: looks up the desktop's applications for FILE as the Shell
// submenu's "Open With" does on every right-click, TIMES times (default 5), from the XDG folders
// of the environment. Prints the number of applications, the seconds of the first lookup
// (first_seconds) and the median seconds of the ones after it (again_seconds).
#include "BenchCommands.h"

#include "platform/DesktopEntries.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int RunOpenWith(const std::vector<std::string>& Args) {
    int Times = 5;
    if (Args.empty() || Args.size() > 2 || (Args.size() == 2 && !TryStrToInt(Args[1], Times))) {
        std::fprintf(stderr, "usage: qm-bench openwith FILE [TIMES]\n");
        return 2;
    }
    Times = std::max(2, Times);
    std::vector<double> Seconds;
    size_t Count = 0;
    for (int I = 0; I < Times; ++I) {
        const double Start = BenchSeconds();
        Count =
            ApplicationsForMimeTypes(MimeTypesOfFile(Args[0]), XdgFoldersFromEnvironment()).size();
        Seconds.push_back(BenchSeconds() - Start);
    }
    std::vector<double> Again(Seconds.begin() + 1, Seconds.end());
    std::nth_element(Again.begin(), Again.begin() + Again.size() / 2, Again.end());
    std::printf("applications %zu\nfirst_seconds %.4f\nagain_seconds %.4f\n", Count, Seconds[0],
                Again[Again.size() / 2]);
    return 0;
}

} // namespace

QM_BENCH_COMMAND(OpenWithRegistered, "openwith", "FILE [TIMES]",
                 "the applications Open With offers for FILE, looked up TIMES times: seconds",
                 RunOpenWith);
