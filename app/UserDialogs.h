// Every question, message, file dialog, folder browse, input box, shell open, program start and
// clipboard copy of the program goes through one interface, TUserDialogs. The program installs
// the Qt implementation (QMessageBox, QFileDialog, QInputDialog, QDesktopServices, a detached
// process, the clipboard); tests install a scripted one that
// answers from a list and records what was asked, so that every command runs headless without
// a modal loop.
//
// InstallDialogHooks points the core's and the support library's own hooks (catalog errors, the
// volume question, exception messages, the folder browse, opening files) at the installed
// implementation. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QWidget;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

enum TMsgDlgBtn : unsigned {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
};
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// The answer of a box: the button pressed; mrCancel also when the box was closed otherwise.
enum TModalResult { mrNone = 0, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo };

// A file dialog: its title, the filter in the framework's "caption|patterns|..." form, the
// extension added to a name typed without one, and the name it starts with. FilterIndex is the
// filter shown first, counted from 1; when ChosenFilter is set, it receives the filter the user
// confirmed with (dialogs that read a file in one of several forms tell them apart by it).
struct TFileDialogSpec {
    std::string Title;
    std::string Filter;
    std::string DefaultExt;
    std::string FileName;
    int FilterIndex = 1;
    int* ChosenFilter = nullptr;
};

class TUserDialogs {
public:
    virtual ~TUserDialogs() = default;

    // A message box titled by its type ("Warning", "Error", "Information", "Confirmation").
    virtual TModalResult MessageDlg(const std::string& Text, TMsgDlgType Type,
                                    TMsgDlgButtons Buttons) = 0;
    // A message box with a title of its own (Caption) and the icon of Type.
    virtual TModalResult MessageBox(const std::string& Text, const std::string& Caption,
                                    TMsgDlgType Type, TMsgDlgButtons Buttons) = 0;
    // File dialogs: true with FileName set when the user confirmed.
    virtual bool OpenFileDialog(const TFileDialogSpec& Spec, std::string& FileName) = 0;
    virtual bool SaveFileDialog(const TFileDialogSpec& Spec, std::string& FileName) = 0;
    // A folder: true with Folder set when the user chose one.
    virtual bool BrowseFolder(const std::string& Title, const std::string& Root,
                              std::string& Folder) = 0;
    // One line of text, starting with Value: true with Value set when confirmed.
    virtual bool InputQuery(const std::string& Caption, const std::string& Prompt,
                            std::string& Value) = 0;
    // Opens a file with the desktop's program for it; true when the desktop took it.
    virtual bool ShellOpen(const std::string& FileName) = 0;
    // Starts Argv[0] with the arguments Argv, detached and without a shell (platform/Process.h);
    // true when it runs.
    virtual bool StartProgram(const std::vector<std::string>& Argv) = 0;
    // Puts Text on the clipboard.
    virtual void CopyText(const std::string& Text) = 0;
    // Puts the path of a file on the clipboard: as text, and as a "file:" address whose
    // percent-encoded bytes are exactly the name's, whether it is valid UTF-8 or not.
    virtual void CopyPath(const std::string& Path) = 0;
};

// Opens a file, a folder or an address (Target) with the desktop's program for it; when the
// desktop has none, says so in a box, as a double-click on a file does. True when it opened.
bool ShellOpenOrSay(const std::string& Target);

// The installed implementation (the Qt one unless another was installed).
TUserDialogs& UserDialogs();
// Installs Dialogs (not owned; null puts the Qt implementation back).
void SetUserDialogs(TUserDialogs* Dialogs);
// A new Qt implementation.
std::unique_ptr<TUserDialogs> NewQtUserDialogs();

// The window a modal box or dialog belongs to: the active window or the main window, null when
// that is hidden or disabled (a scan runs), so that the box is not disabled along with it.
QWidget* DialogParent();

// The caption of a box of Type.
const char* MessageCaption(TMsgDlgType Type);

void InstallDialogHooks();
void RemoveDialogHooks();
