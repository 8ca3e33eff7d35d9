// The window layer for tests: every box, file dialog, shell open and dialog of the program is
// answered from a script the test writes beforehand, and recorded. An unscripted question fails
// the test (and is answered with Cancel), so no command can block in a modal loop or ask more
// than the test expects. It stands in for both TUserDialogs and the dialog factory; a dialog
// added to the factory gets its scripted answer here.
#pragma once

#include "app/UserDialogs.h"
#include "app/dialogs/CatFind.h"
#include "app/dialogs/DialogFactory.h"
#include "app/report/ReportForm.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QDialog;
class TAboutBox;
class TCatPropForm;
class TfmCatOptions;
class TfmRescanningDialog;

class TScriptedDialogs : public TUserDialogs, public TDialogFactory {
public:
    struct TQuestion {
        std::string Kind; // "message", "open", "save", "folder", "input", and the dialogs
        std::string Text; // the message, or the dialog's title
        TMsgDlgType Type = mtInformation;
        TMsgDlgButtons Buttons = 0;
        std::string Caption = {}; // the title of a box (MessageDlg: its type's)
    };

    // The answers, in the order the questions will come.
    void Answer(TModalResult Result);
    // FilterIndex: the filter the file was chosen with, counted from 1.
    void ChooseFile(const std::string& FileName, int FilterIndex = 1);
    void CancelFile();
    void ChooseFolder(const std::string& Folder);
    void CancelFolder();
    void Input(const std::string& Value);

    // ---- item properties, options, synchronizing options, about ----
    // The next of these dialogs is made for real and shown (not modally), then handed to Work,
    // which does with it what a user would: reads it, types, presses its buttons. Its result is
    // how Work left it; one that is still open counts as cancelled. No Work: Cancel at once.
    // Asked records "properties" with the item's name, "options", "rescanning", "about".
    void OnProperties(std::function<void(TCatPropForm&)> Work = {});
    void OnOptions(std::function<void(TfmCatOptions&)> Work = {});
    void OnRescanning(std::function<void(TfmRescanningDialog&)> Work = {});
    void OnAbout(std::function<void(TAboutBox&)> Work = {});

    // What was asked, what the shell was asked to open, the argument vectors of the programs
    // started (none really starts) and the texts and paths copied.
    std::vector<TQuestion> Asked;
    std::vector<std::string> Opened;
    bool ShellOpenResult = true;
    std::vector<std::vector<std::string>> Started;
    std::vector<std::string> Copied;
    // The texts of the message boxes asked so far.
    std::vector<std::string> Messages() const;
    size_t Unused() const { return FScript.size(); }

    TModalResult MessageDlg(const std::string& Text, TMsgDlgType Type,
                            TMsgDlgButtons Buttons) override;
    TModalResult MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
                            TMsgDlgButtons Buttons) override;
    bool OpenFileDialog(const TFileDialogSpec& Spec, std::string& FileName) override;
    bool SaveFileDialog(const TFileDialogSpec& Spec, std::string& FileName) override;
    bool BrowseFolder(const std::string& Title, const std::string& Root,
                      std::string& Folder) override;
    bool InputQuery(const std::string& Caption, const std::string& Prompt,
                    std::string& Value) override;
    bool ShellOpen(const std::string& FileName) override;
    bool StartProgram(const std::vector<std::string>& Argv) override;
    void CopyText(const std::string& Text) override;
    void CopyPath(const std::string& Path) override;

    void ShowItemProperties(TBasicItem* Item, bool FollowTree) override;
    TModalResult ShowCatOptions() override;
    TModalResult ShowRescanningDialog() override;
    void ShowAboutBox() override;
    // ---- searching ----
    // The find dialog answers Find with Criteria, or is closed.
    void Find(const TFindCriteria& Criteria);
    void CloseFind();
    // Setup KeyWord runs OnKeyWordSetup (where a test works in the dialog); the report records
    // the rows it was made of and runs OnReport with them.
    std::function<void()> OnKeyWordSetup;
    int KeyWordSetups = 0;
    std::vector<std::vector<TReportRow>> Reports;
    std::function<void(const std::vector<TReportRow>&)> OnReport;
    TModalResult ShowFind(TFindCriteria& Criteria) override;
    void ShowKeyWordSetup() override;
    void ShowReport(const std::vector<TReportRow>& Rows) override;

private:
    struct TStep {
        std::string Kind;
        TModalResult Result = mrCancel;
        bool Confirm = false;
        std::string Value = {};
        int FilterIndex = 1;
        std::function<void(QDialog&)> Work = {};
        TFindCriteria Criteria = {};
    };
    void ScriptDialog(const char* Kind, std::function<void(QDialog&)> Work);
    // Records the question for a dialog and takes its scripted step.
    bool AskDialog(const char* Kind, const std::string& Text, TStep& Step);
    // Shows Dialog, lets the scripted step work it and closes it.
    static TModalResult WorkDialog(QDialog& Dialog, const TStep& Step);
    // The next step, which must be of Kind; a missing or different step fails the test.
    bool Next(const std::string& Kind, const std::string& Text, TStep& Step);

    std::deque<TStep> FScript;
};
