#include "ScriptedDialogs.h"

#include "app/dialogs/CatAbout.h"
#include "app/dialogs/CatOptions.h"
#include "app/dialogs/CatProp.h"
#include "app/dialogs/catRescanningDialog.h"
#include "core/TreeItems.h"

#include <QApplication>

#include <gtest/gtest.h>

void TScriptedDialogs::Answer(TModalResult Result) {
    FScript.push_back({"message", Result, true, {}});
}

void TScriptedDialogs::ChooseFile(const std::string& FileName, int FilterIndex) {
    TStep S{"file", mrOk, true, FileName};
    S.FilterIndex = FilterIndex;
    FScript.push_back(std::move(S));
}

void TScriptedDialogs::CancelFile() {
    FScript.push_back({"file", mrCancel, false, {}});
}

void TScriptedDialogs::ChooseFolder(const std::string& Folder) {
    FScript.push_back({"folder", mrOk, true, Folder});
}

void TScriptedDialogs::CancelFolder() {
    FScript.push_back({"folder", mrCancel, false, {}});
}

void TScriptedDialogs::Input(const std::string& Value) {
    FScript.push_back({"input", mrOk, true, Value});
}

std::vector<std::string> TScriptedDialogs::Messages() const {
    std::vector<std::string> R;
    for (const TQuestion& Q : Asked)
        if (Q.Kind == "message") R.push_back(Q.Text);
    return R;
}

bool TScriptedDialogs::Next(const std::string& Kind, const std::string& Text, TStep& Step) {
    if (FScript.empty()) {
        ADD_FAILURE() << "unscripted " << Kind << ": " << Text;
        return false;
    }
    Step = FScript.front();
    FScript.pop_front();
    if (Step.Kind != Kind) {
        ADD_FAILURE() << "scripted " << Step.Kind << " but asked " << Kind << ": " << Text;
        return false;
    }
    return true;
}

TModalResult TScriptedDialogs::MessageDlg(const std::string& Text, TMsgDlgType Type,
                                          TMsgDlgButtons Buttons) {
    return MessageBox(Text, MessageCaption(Type), Type, Buttons);
}

TModalResult TScriptedDialogs::MessageBox(const std::string& Text, const std::string& Caption,
                                          TMsgDlgType Type, TMsgDlgButtons Buttons) {
    Asked.push_back({"message", Text, Type, Buttons, Caption});
    TStep S;
    if (!Next("message", Text, S)) return mrCancel;
    return S.Result;
}

bool TScriptedDialogs::OpenFileDialog(const TFileDialogSpec& Spec, std::string& FileName) {
    Asked.push_back({"open", Spec.Title, mtInformation, 0});
    TStep S;
    if (!Next("file", Spec.Title, S) || !S.Confirm) return false;
    FileName = S.Value;
    if (Spec.ChosenFilter) *Spec.ChosenFilter = S.FilterIndex;
    return true;
}

bool TScriptedDialogs::SaveFileDialog(const TFileDialogSpec& Spec, std::string& FileName) {
    Asked.push_back({"save", Spec.Title, mtInformation, 0});
    TStep S;
    if (!Next("file", Spec.Title, S) || !S.Confirm) return false;
    FileName = S.Value;
    if (Spec.ChosenFilter) *Spec.ChosenFilter = S.FilterIndex;
    return true;
}

bool TScriptedDialogs::BrowseFolder(const std::string& Title, const std::string&,
                                    std::string& Folder) {
    Asked.push_back({"folder", Title, mtInformation, 0});
    TStep S;
    if (!Next("folder", Title, S) || !S.Confirm) return false;
    Folder = S.Value;
    return true;
}

bool TScriptedDialogs::InputQuery(const std::string& Caption, const std::string&,
                                  std::string& Value) {
    Asked.push_back({"input", Caption, mtInformation, 0});
    TStep S;
    if (!Next("input", Caption, S)) return false;
    Value = S.Value;
    return true;
}

bool TScriptedDialogs::ShellOpen(const std::string& FileName) {
    Opened.push_back(FileName);
    return ShellOpenResult;
}

bool TScriptedDialogs::StartProgram(const std::vector<std::string>& Argv) {
    Started.push_back(Argv);
    return true;
}

void TScriptedDialogs::CopyText(const std::string& Text) {
    Copied.push_back(Text);
}

void TScriptedDialogs::CopyPath(const std::string& Path) {
    Copied.push_back(Path);
}

// ---- item properties, options, synchronizing options, about ----

namespace {

// Work on a dialog, done on it as the form it is.
template <class TForm>
std::function<void(QDialog&)> Typed(std::function<void(TForm&)> Work) {
    if (!Work) return {};
    return [Work](QDialog& D) { Work(static_cast<TForm&>(D)); };
}

} // namespace

void TScriptedDialogs::ScriptDialog(const char* Kind, std::function<void(QDialog&)> Work) {
    TStep S;
    S.Kind = Kind;
    S.Work = std::move(Work);
    FScript.push_back(std::move(S));
}

void TScriptedDialogs::OnProperties(std::function<void(TCatPropForm&)> Work) {
    ScriptDialog("properties", Typed(std::move(Work)));
}

void TScriptedDialogs::OnOptions(std::function<void(TfmCatOptions&)> Work) {
    ScriptDialog("options", Typed(std::move(Work)));
}

void TScriptedDialogs::OnRescanning(std::function<void(TfmRescanningDialog&)> Work) {
    ScriptDialog("rescanning", Typed(std::move(Work)));
}

void TScriptedDialogs::OnAbout(std::function<void(TAboutBox&)> Work) {
    ScriptDialog("about", Typed(std::move(Work)));
}

bool TScriptedDialogs::AskDialog(const char* Kind, const std::string& Text, TStep& Step) {
    Asked.push_back({Kind, Text, mtInformation, 0});
    return Next(Kind, Text, Step);
}

TModalResult TScriptedDialogs::WorkDialog(QDialog& Dialog, const TStep& Step) {
    Dialog.show();
    Dialog.activateWindow();
    QApplication::processEvents();
    if (Step.Work) Step.Work(Dialog);
    const TModalResult R = Dialog.result() == QDialog::Accepted ? mrOk : mrCancel;
    Dialog.hide();
    return R;
}

void TScriptedDialogs::ShowItemProperties(TBasicItem* Item, bool FollowTree) {
    TStep S;
    if (!AskDialog("properties", Item->DisplayName(), S)) return;
    TCatPropForm Form(FollowTree);
    Form.SetItem(Item);
    WorkDialog(Form, S);
}

TModalResult TScriptedDialogs::ShowCatOptions() {
    TStep S;
    if (!AskDialog("options", "Options", S)) return mrCancel;
    TfmCatOptions Form;
    return WorkDialog(Form, S);
}

TModalResult TScriptedDialogs::ShowRescanningDialog() {
    TStep S;
    if (!AskDialog("rescanning", "Synchronizing options", S)) return mrCancel;
    TfmRescanningDialog Form;
    return WorkDialog(Form, S);
}

void TScriptedDialogs::ShowAboutBox() {
    TStep S;
    if (!AskDialog("about", "About", S)) return;
    TAboutBox Box;
    WorkDialog(Box, S);
}

// ---- searching ---------------------------------------------------------------------------------

void TScriptedDialogs::Find(const TFindCriteria& Criteria) {
    TStep S{"find", mrOk, true};
    S.Criteria = Criteria;
    FScript.push_back(S);
}

void TScriptedDialogs::CloseFind() {
    FScript.push_back({"find", mrCancel, false});
}

TModalResult TScriptedDialogs::ShowFind(TFindCriteria& Criteria) {
    Asked.push_back({"find", "Find", mtInformation, 0, {}});
    TStep S;
    if (!Next("find", "Find", S) || !S.Confirm) return mrCancel;
    Criteria = S.Criteria;
    return mrOk;
}

void TScriptedDialogs::ShowKeyWordSetup() {
    ++KeyWordSetups;
    if (OnKeyWordSetup) OnKeyWordSetup();
}

void TScriptedDialogs::ShowReport(const std::vector<TReportRow>& Rows) {
    Reports.push_back(Rows);
    if (OnReport) OnReport(Rows);
}
