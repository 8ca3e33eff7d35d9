#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

void TScriptedDialogs::Answer(TModalResult Result) {
    FScript.push_back({"message", Result, true, {}});
}

void TScriptedDialogs::ChooseFile(const std::string& FileName) {
    FScript.push_back({"file", mrOk, true, FileName});
}

void TScriptedDialogs::CancelFile() {
    FScript.push_back({"file", mrCancel, false, {}});
}

void TScriptedDialogs::ChooseFolder(const std::string& Folder) {
    FScript.push_back({"folder", mrOk, true, Folder});
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
    return true;
}

bool TScriptedDialogs::SaveFileDialog(const TFileDialogSpec& Spec, std::string& FileName) {
    Asked.push_back({"save", Spec.Title, mtInformation, 0});
    TStep S;
    if (!Next("file", Spec.Title, S) || !S.Confirm) return false;
    FileName = S.Value;
    return true;
}

bool TScriptedDialogs::BrowseFolder(const std::string& Title, const std::string&,
                                    std::string& Folder) {
    Asked.push_back({"folder", Title, mtInformation, 0});
    TStep S;
    if (!Next("folder", Title, S)) return false;
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

// ---- searching ---------------------------------------------------------------------------------

void TScriptedDialogs::Find(const TFindCriteria& Criteria) {
    TStep S{"find", mrOk, true, {}, Criteria};
    FScript.push_back(S);
}

void TScriptedDialogs::CloseFind() {
    FScript.push_back({"find", mrCancel, false, {}, {}});
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
