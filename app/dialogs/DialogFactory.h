// TDialogFactory: the one place where the program's own modal dialogs are made and shown (find,
// item properties, options, synchronizing options, about, keyword setup, report preview).
//
// The program uses the Qt factory, which creates the real dialog windows and shows them
// modally; tests install a scripted factory that answers at once and records what was asked, so
// that a command showing a dialog runs offscreen without blocking in a modal loop. Message
// boxes, file dialogs, the folder browse and the shell stay with TUserDialogs
// (app/UserDialogs.h).
//
// Adding a dialog:
// - its class in a file pair of its own under app/dialogs/, named after the dialog as the rest
//   of the program names its units (TfmFind in app/dialogs/CatFind.h and CatFind.cpp);
// - one method here that shows it with what it needs and returns what the window needs of it
//   (the modal result, the values chosen), for example
//       virtual TModalResult ShowX(TXChoices& Choices) = 0;
// - that method's body in the Qt factory (DialogFactory.cpp: create the window, exec, read it
//   back, release it) and in the tests' script (tests/app/ScriptedDialogs).
// A dialog that lives for the whole run (created once at start-up and shown on demand) is made
// by the Qt factory on its first call as a child of the main window, so that it goes with the
// window, and is kept by a QPointer.
//
// UI thread only.
#pragma once

#include "app/UserDialogs.h"

#include <memory>
#include <vector>

struct TFindCriteria;
struct TReportRow;

class TBasicItem;

class TDialogFactory {
public:
    virtual ~TDialogFactory() = default;

    // ---- item properties, options, synchronizing options, about ----
    // The properties dialog of Item (never null). With FollowTree its Up and Down walk the
    // folder tree and select its nodes, otherwise the rows of Item's list.
    virtual void ShowItemProperties(TBasicItem* Item, bool FollowTree) = 0;
    // The options dialog; it changes the option globals when the user applies them (also
    // before a Cancel). Returns how it was closed.
    virtual TModalResult ShowCatOptions() = 0;
    // The synchronizing options dialog: mrOk when the user chose to synchronise, mrCancel not.
    virtual TModalResult ShowRescanningDialog() = 0;
    virtual void ShowAboutBox() = 0;
    // ---- searching ----
    // The find dialog (app/dialogs/CatFind.h), kept for the whole run: mrOk with Criteria set
    // to what it shows when the user pressed Find, anything else when it was closed.
    virtual TModalResult ShowFind(TFindCriteria& Criteria) = 0;
    // "Setup KeyWord" (app/dialogs/CatKeyWord.h), kept for the whole run. When it closes, the
    // main window's keyword pane is brought up to date (RefreshKeyWordsProc).
    virtual void ShowKeyWordSetup() = 0;
    // The report of the result pane's rows: its preview, from which it is printed and exported
    // (app/report/ReportPreview.h); returns when the preview is closed.
    virtual void ShowReport(const std::vector<TReportRow>& Rows) = 0;
};

// The installed factory (the Qt one unless another was installed).
TDialogFactory& DialogFactory();
// Installs Factory (not owned; null puts the Qt factory back).
void SetDialogFactory(TDialogFactory* Factory);
// A new Qt factory.
std::unique_ptr<TDialogFactory> NewQtDialogFactory();
