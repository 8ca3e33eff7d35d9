// The program entry: the core's start-up, the application object with the program's own hint
// window, the main window, the event loop, and the finish in reverse order.
//
// For the tests only: QUILLMARK_TEST_QUIT_MS starts the start-up report of app/StartupReport.h
// (with QUILLMARK_TEST_FIND, a search through the find dialog first); QUILLMARK_TEST_SCRIPT runs
// that script (app/ScriptDriver.h).
#include "app/CatalogMain.h"
#include "app/ImageLists.h"
#include "app/ScriptDriver.h"
#include "app/StartupReport.h"
#include "app/UiText.h"
#include "core/CatalogExt.h"
#include "core/gui/CoreGui.h"
#include "uilib/HintFilter.h"
#include "uilib/ShapedHints.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>

#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    QElapsedTimer Clock;
    Clock.start();
    QApplication App(argc, argv);
    // Rounded balloons with a shadow and a tail, the text centred.
    SetHintStyle(1, 2, true, taCenter);
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
        new TStartupReport(Clock, Main.get(), std::atoi(Quit),
                           QString::fromLocal8Bit(std::getenv("QUILLMARK_TEST_FIND")));
    if (const char* Script = std::getenv("QUILLMARK_TEST_SCRIPT"))
        new TScriptDriver(Main.get(), Script);
    Main->show();
    const int Result = App.exec();
    Main.reset();
    RemoveHintWindowClass();
    RemoveDialogHooks();
    CatalogMainFinalization();
    return Result;
}
