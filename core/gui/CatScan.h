// TfmScanning: the small window a scan, synchronise or find thread shows while it works - an
// animation, a line of text the thread fills, Cancel (stops the thread) and Minimize (minimizes
// the whole program).
//
// Every worker thread has its own window. The window is always a top-level window without a
// parent: the main window is disabled while a scan runs, and disabling a widget disables all its
// children, windows included, which would leave Cancel dead. It is only centred on the main
// window and kept above it.
//
// Thread is a plain link to the worker that owns the window (the worker owns the window, never
// the other way round). The worker clears it before its end step, so a late Cancel never reaches
// a finishing thread. Closing the window by any means - Cancel, Escape, Enter, the window
// manager - asks the linked thread to terminate; hiding it (the worker's end step) does not.
//
// UI thread only; workers drive it through synchronous calls (CreateProgressWindow's windows
// marshal every call themselves, see CoreGui.h).
#pragma once

#include "core/ProgressWindow.h"

#include <QWidget>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;
class TAnimate;

class TfmScanning : public QWidget, public TProgressWindow {
public:
    TfmScanning();
    ~TfmScanning() override;

    // The form's controls, owned by the window.
    QLabel* Label1;
    TAnimate* Animate1;
    QPushButton* BitBtn1; // Cancel
    QPushButton* Button1; // Minimize

    // 0 "Scanning ...", 1 "Finding ...", 2 "Synchronizing ...", 3 "Finalization ...", each with
    // its animation; any other value is only stored.
    void SetMode(uint8_t Mode) override;
    uint8_t Mode() const override { return FMode; }
    void SetThread(TThread* Thread) override { FThread = Thread; }
    TThread* Thread() const override { return FThread; }
    // Shows the window without making it modal, centred on the main window.
    void ShowProgress() override;
    void HideProgress() override;
    void SetText(const std::string& Text) override;
    std::string Text() const override { return FText; }

    // Cancel: closes the window, which terminates the linked thread.
    void BitBtn1Click();
    // Minimize: minimizes every window of the program, not just this one.
    void Button1Click();

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void FormShow();
    void FormClose();

    uint8_t FMode = 0;
    TThread* FThread = nullptr;
    std::string FText;
};

// The captions of the four modes, in mode order.
inline constexpr const char* ScanningCaptions[4] = {"Scanning ...", "Finding ...",
                                                    "Synchronizing ...", "Finalization ..."};

// Minimizes every visible window of the program.
void MinimizeApplication();
