#include "StartupReport.h"

#include "app/CatalogMain.h"
#include "app/ListPanes.h"
#include "app/dialogs/CatFind.h"
#include "uilib/HintFilter.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

TStartupReport::TStartupReport(const QElapsedTimer& Clock, TfmCatalogMain* Main, int QuitMs,
                               const QString& FindMask)
    : QObject(Main), FClock(Clock), FMain(Main), FQuitMs(QuitMs), FFindMask(FindMask) {
    FList = Main->findChild<TCatalogListView*>(QStringLiteral("lvMain"));
    FTree = Main->findChild<TCatalogTreeView*>(QStringLiteral("tvMain"));
    FList->ReportPane()->viewport()->installEventFilter(this);
    // A timer that should tick every millisecond: its largest gap is the longest stand-still.
    FTicks.setInterval(1);
    connect(&FTicks, &QTimer::timeout, this, [this] {
        FLongestGap = std::max(FLongestGap, static_cast<double>(FGap.nsecsElapsed()) / 1e9);
        FGap.restart();
    });
}

bool TStartupReport::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::Paint && !FDone) {
        FDone = true;
        const double Seconds = static_cast<double>(FClock.nsecsElapsed()) / 1e9;
        // Report once the paint has been delivered.
        QTimer::singleShot(0, FMain, [this, Seconds] { Report(Seconds); });
    }
    return QObject::eventFilter(Watched, Event);
}

void TStartupReport::Report(double Seconds) {
    std::fprintf(stderr,
                 "quillmark: shown-seconds=%.3f tree-nodes=%d list-rows=%d caption=\"%s\" "
                 "hints=%s\n",
                 Seconds, FTree->NodeCount(), FList->Count(), FMain->Caption().c_str(),
                 THintFilter::Instance() ? "shaped" : "toolkit");
    std::fflush(stderr);
    if (FFindMask.isEmpty())
        QTimer::singleShot(FQuitMs, FMain, [this] { FMain->close(); });
    else
        QTimer::singleShot(0, FMain, [this] { Find(); });
}

void TStartupReport::Find() {
    // Inside the find dialog's own loop: the mask, then Find.
    QTimer::singleShot(0, FMain, [this] {
        auto* Dialog = qobject_cast<TfmFind*>(QApplication::activeModalWidget());
        if (!Dialog) return;
        Dialog->e_FileMask->setText(FFindMask);
        FFindClock.start();
        FGap.start();
        FTicks.start();
        Dialog->bbFind->click();
    });
    FMain->findChild<QAction*>(QStringLiteral("FindAction"))->trigger();
    FindEnded();
}

void TStartupReport::FindEnded() {
    if (FMain->FindRunning()) {
        QTimer::singleShot(10, FMain, [this] { FindEnded(); });
        return;
    }
    auto* Results = FMain->findChild<TCatalogListView*>(QStringLiteral("lvResult"));
    Results->ReportPane()->viewport()->repaint();
    FTicks.stop();
    std::fprintf(stderr, "quillmark: find-rows=%d find-seconds=%.3f longest-stall=%.3f\n",
                 Results->Count(), static_cast<double>(FFindClock.nsecsElapsed()) / 1e9,
                 FLongestGap);
    std::fflush(stderr);
    QTimer::singleShot(FQuitMs, FMain, [this] { FMain->close(); });
}
