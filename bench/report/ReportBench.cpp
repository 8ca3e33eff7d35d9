// report-bench ROWS [--show]: how long the report of ROWS search results takes to open in its
// preview and to export as CSV and as PDF; with --show it leaves the preview open (over a
// window system) instead, for a look or a screenshot.
//
// The rows are made up and shuffled the same way every run: names of photos and documents
// in folders of several disks, as a search over a big catalog returns them.
#include "app/report/ReportPreview.h"
#include "platform/SysUtils.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>

namespace {

double Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

long long PeakRssMB() {
    struct rusage U;
    getrusage(RUSAGE_SELF, &U);
    return static_cast<long long>(U.ru_maxrss) / 1024;
}

std::vector<TReportRow> MakeRows(int Count) {
    static const char* const Kinds[] = {"IMG_%05d.jpg", "Report %d (final).odt", "track-%04d.flac",
                                        "Größe_%d.txt", "notes, part %d.md"};
    std::vector<TReportRow> Rows;
    Rows.reserve(static_cast<size_t>(Count));
    unsigned long long Seed = 12345;
    auto Next = [&] {
        Seed = Seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>(Seed >> 33);
    };
    for (int I = 0; I < Count; ++I) {
        char Name[64];
        std::snprintf(Name, sizeof Name, Kinds[I % 5], I);
        std::string Path = "/media/disk" + std::to_string(I % 7) + "/archive/" +
                           std::to_string(2000 + I % 25) + "/folder " + std::to_string(I / 50) +
                           "/" + Name;
        Rows.push_back({Name, Path});
    }
    for (size_t I = Rows.size(); I > 1; --I)
        std::swap(Rows[I - 1], Rows[Next() % I]);
    return Rows;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::atoi(argv[1]) < 0) {
        std::fprintf(stderr, "usage: report-bench ROWS [--show]\n");
        return 2;
    }
    const bool Show = argc > 2 && !std::strcmp(argv[2], "--show");
    QApplication App(argc, argv);
    SetCollationLocale("");
    std::vector<TReportRow> Rows = MakeRows(std::atoi(argv[1]));
    if (Show) {
        ShowReportPreview(nullptr, Rows);
        return 0;
    }

    double T0 = Seconds();
    TReportDefinition Report;
    {
        TfmReport Form;
        Report = Form.Prepare(Rows);
    }
    double T1 = Seconds();
    TfmReportPreview Preview(Report, {});
    Preview.show();
    QApplication::processEvents();
    double T2 = Seconds();
    QTemporaryDir Dir;
    SaveReport(Report, refCsv, Dir.filePath("report.csv"));
    double T3 = Seconds();
    SaveReport(Report, refPdf, Dir.filePath("report.pdf"));
    double T4 = Seconds();
    std::printf("rows %zu\nentries %zu\npages %d\n", Rows.size(), Report.Entries.size(),
                Preview.PageCount());
    std::printf("collect_seconds %.3f\npreview_seconds %.3f\nopen_total_seconds %.3f\n", T1 - T0,
                T2 - T1, T2 - T0);
    std::printf("csv_seconds %.3f\npdf_seconds %.3f\n", T3 - T2, T4 - T3);
    std::printf("csv_bytes %lld\npdf_bytes %lld\npeak_rss_mb %lld\n",
                static_cast<long long>(QFileInfo(Dir.filePath("report.csv")).size()),
                static_cast<long long>(QFileInfo(Dir.filePath("report.pdf")).size()), PeakRssMB());
    return 0;
}
