// TScriptDriver: drives the real program from a script, for the tests and the benchmarks only.
//
// With QUILLMARK_TEST_SCRIPT set, the program runs its lines one after another, each as soon as
// it can, while the window works as it always does (the real dialogs, the real scan threads):
//   folder PATH      the next folder browse answers PATH
//   file PATH        the next open or save dialog answers PATH
//   trigger NAME     runs the window's action NAME once the window is idle (enabled, no modal
//                    dialog up, no scan running)
//   dialog NAME      waits until the modal dialog named NAME is up
//   set NAME TEXT    types TEXT into the edit NAME of that dialog
//   click NAME       presses the button NAME of that dialog
//   focus NAME       gives the focus to the pane NAME of the main window once it is idle
//   wait MS          lets MS milliseconds pass (the window paints and works meanwhile)
//   close            closes the main window (through its close query)
// After each line it reports on standard error when the line was done (seconds since start)
// and the longest stall of the event loop since the line before, measured by a timer that
// should tick every few milliseconds:
//   quillmark-script: <line> at=<seconds> longest-stall-ms=<milliseconds>
// Folder browses and file dialogs without a scripted answer are shown as usual.
//
// Owned by the main window (Qt parent); installs its own dialog layer and puts the program's
// back when it goes. UI thread only.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <deque>
#include <memory>
#include <string>

class QTimer;
class TfmCatalogMain;
class TUserDialogs;

class TScriptDriver : public QObject {
public:
    TScriptDriver(TfmCatalogMain* Main, const std::string& Script);
    ~TScriptDriver() override;

private:
    class TAnswers;
    void Tick();
    // Runs the first line; true when it is done.
    bool Step(const std::string& Line);

    TfmCatalogMain* FMain;
    std::deque<std::string> FLines;
    std::unique_ptr<TAnswers> FAnswers;
    QTimer* FTimer;
    QElapsedTimer FClock;
    qint64 FLastTick = 0;
    qint64 FLongestStall = 0;
    qint64 FWaitUntil = -1; // nanoseconds on FClock; -1 while no wait runs
};
