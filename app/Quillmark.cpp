// The program entry: the core's start-up, the application object, the main window, the event
// loop, and the finish in reverse order.
//
// For the tests only: with QUILLMARK_TEST_QUIT_MS set, the program reports on standard error
// how long it took from its start until the main window had painted the catalog it opened, then
// closes the window that many milliseconds later through the same close query a user's close
// would run. With QUILLMARK_TEST_SCRIPT set, it runs that script (app/ScriptDriver.h).
#include "app/CatalogMain.h"
#include "app/ImageLists.h"
#include "app/ListPanes.h"
#include "app/ScriptDriver.h"
#include "app/UiText.h"
#include "core/CatalogExt.h"
#include "core/gui/CoreGui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class TStartupReport : public QObject {
public:
    TStartupReport(const QElapsedTimer& Clock, TfmCatalogMain* Main, int QuitMs)
        : QObject(Main), FClock(Clock), FMain(Main), FQuitMs(QuitMs) {
        FList = Main->findChild<TCatalogListView*>(QStringLiteral("lvMain"));
        FTree = Main->findChild<TCatalogTreeView*>(QStringLiteral("tvMain"));
        FList->ReportPane()->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::Paint && !FDone) {
            FDone = true;
            const double Seconds = static_cast<double>(FClock.nsecsElapsed()) / 1e9;
            // Report once the paint has been delivered.
            QTimer::singleShot(0, FMain, [this, Seconds] {
                std::fprintf(stderr,
                             "quillmark: shown-seconds=%.3f tree-nodes=%d list-rows=%d "
                             "caption=\"%s\"\n",
                             Seconds, FTree->NodeCount(), FList->Count(), FMain->Caption().c_str());
                std::fflush(stderr);
                QTimer::singleShot(FQuitMs, FMain, [this] { FMain->close(); });
            });
        }
        return QObject::eventFilter(Watched, Event);
    }

private:
    const QElapsedTimer& FClock;
    TfmCatalogMain* FMain;
    TCatalogListView* FList;
    TCatalogTreeView* FTree;
    int FQuitMs;
    bool FDone = false;
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer Clock;
    Clock.start();
    QApplication App(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillmark.png")));
    UseDesktopIconTheme();
    InitCatalogExt();
    CatalogMainInitialization();
    InstallCoreGuiHooks();
    InstallDialogHooks();
    // Only the first argument names a catalog; the others are kept as given.
    for (int I = 1; I < argc; ++I)
        CommandLineParams.emplace_back(argv[I]);

    auto Main = std::make_unique<TfmCatalogMain>();
    if (const char* Quit = std::getenv("QUILLMARK_TEST_QUIT_MS"))
        new TStartupReport(Clock, Main.get(), std::atoi(Quit));
    if (const char* Script = std::getenv("QUILLMARK_TEST_SCRIPT"))
        new TScriptDriver(Main.get(), Script);
    Main->show();
    const int Result = App.exec();
    Main.reset();
    RemoveDialogHooks();
    CatalogMainFinalization();
    return Result;
}
