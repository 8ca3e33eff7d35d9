// The windows of the core, joined to the core: InstallCoreGuiHooks makes the core's progress
// window factory and its two animation calls (core/ProgressWindow.h) use TfmScanning and
// Tfm_splash. The program's main calls it once, on the UI thread, after creating the
// QApplication; a process without one installs nothing, so the core stays silent there.
//
// Windows made by the installed factory may be called and destroyed from any thread: each call
// runs on the UI thread as a synchronous call (a worker that frees itself destroys its window
// from its own thread). Everything else here is for the UI thread only.
#pragma once

class QWidget;

void InstallCoreGuiHooks();

// The program's main window: the visible QMainWindow, or any one when none is visible; null when
// there is none.
QWidget* MainFormWidget();
// Centres Window on the main window (on its screen when there is none), keeps it inside the
// screen and above the main window - without making it the main window's child.
void PlaceOverMainForm(QWidget* Window);
