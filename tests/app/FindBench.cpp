// app_find_bench CATALOG MASK: how fast the main window shows what a search finds. Not a test:
// it prints seconds, measured in this process on the platform Qt is given (offscreen, or a real
// display).
//
// The window opens CATALOG; Find (Ctrl+F) opens the find dialog, MASK goes into its wildcard
// field and Find is pressed, as a user does. Printed:
//   find_seconds        from pressing Find until the last result row has been painted
//   longest_stall       the longest time the event loop went without running meanwhile (a
//                       timer that should tick every millisecond records its largest gap)
//   result_rows         the rows of the result pane
#include "app/CatalogMain.h"
#include "app/ListPanes.h"
#include "app/UserDialogs.h"
#include "app/dialogs/CatFind.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "platform/Thread.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: app_find_bench CATALOG MASK\n");
        return 2;
    }
    InitCatalogExt();
    CatalogMainInitialization();
    InstallDialogHooks();
    auto Main = std::make_unique<TfmCatalogMain>();
    Main->resize(1000, 700);
    Main->show();
    QApplication::processEvents();
    Main->OpenCatalog(argv[1]);
    QApplication::processEvents();
    auto* Results = Main->findChild<TCatalogListView*>(QStringLiteral("lvResult"));

    QElapsedTimer Clock, Gap;
    double Longest = 0;
    QTimer Ticks;
    Ticks.setInterval(1);
    QObject::connect(&Ticks, &QTimer::timeout, [&] {
        Longest = std::max(Longest, static_cast<double>(Gap.nsecsElapsed()) / 1e9);
        Gap.restart();
    });
    // Inside the find dialog's own loop: the mask, then Find.
    QTimer::singleShot(0, [&] {
        auto* Find = qobject_cast<TfmFind*>(QApplication::activeModalWidget());
        if (!Find) Find = Main->findChild<TfmFind*>();
        if (!Find) return;
        Find->SetCriteria({});
        Find->e_FileMask->setText(QString::fromLocal8Bit(argv[2]));
        Clock.start();
        Gap.start();
        Ticks.start();
        Find->bbFind->click();
    });
    Main->findChild<QAction*>(QStringLiteral("FindAction"))->trigger();
    while (Main->FindRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    Results->ReportPane()->viewport()->repaint();
    const double Seconds = static_cast<double>(Clock.nsecsElapsed()) / 1e9;
    Ticks.stop();
    std::printf("result_rows %d\nfind_seconds %.3f\nlongest_stall %.3f\n", Results->Count(),
                Seconds, Longest);
    Main.reset();
    while (CheckSynchronize(0)) {
    }
    RemoveDialogHooks();
    return 0;
}
