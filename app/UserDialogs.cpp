#include "UserDialogs.h"

#include "app/UiText.h"
#include "core/CatalogItems.h"
#include "core/FileRecords.h"
#include "core/PIDLWork.h"
#include "platform/Format.h"
#include "platform/Process.h"
#include "platform/SysUtils.h"
#include "uilib/BrowseFolder.h"
#include "uilib/Forms.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

QWidget* DialogParent() {
    // A disabled main window would disable its boxes as well, so they stand alone then.
    QWidget* W = QApplication::activeWindow();
    if (!W) W = TCustomForm::MainForm();
    if (W && (!W->isVisible() || !W->isEnabled())) W = nullptr;
    return W;
}

namespace {

class TQtUserDialogs final : public TUserDialogs {
public:
    TModalResult MessageDlg(const std::string& Text, TMsgDlgType Type,
                            TMsgDlgButtons Buttons) override {
        return MessageBox(Text, MessageCaption(Type), Type, Buttons);
    }

    TModalResult MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
                            TMsgDlgButtons Buttons) override {
        QMessageBox::Icon Icon = QMessageBox::Warning;
        switch (Type) {
        case mtWarning: Icon = QMessageBox::Warning; break;
        case mtError: Icon = QMessageBox::Critical; break;
        case mtInformation: Icon = QMessageBox::Information; break;
        case mtConfirmation: Icon = QMessageBox::Question; break;
        }
        QMessageBox::StandardButtons B;
        if (Buttons & mbYes) B |= QMessageBox::Yes;
        if (Buttons & mbNo) B |= QMessageBox::No;
        if (Buttons & mbOK) B |= QMessageBox::Ok;
        if (Buttons & mbCancel) B |= QMessageBox::Cancel;
        if (Buttons & mbAbort) B |= QMessageBox::Abort;
        if (Buttons & mbRetry) B |= QMessageBox::Retry;
        if (Buttons & mbIgnore) B |= QMessageBox::Ignore;
        if (!B) B = QMessageBox::Ok;
        QMessageBox Box(Icon, ToQString(Caption), ToQString(Text), B, DialogParent());
        switch (Box.exec()) {
        case QMessageBox::Yes: return mrYes;
        case QMessageBox::No: return mrNo;
        case QMessageBox::Ok: return mrOk;
        case QMessageBox::Abort: return mrAbort;
        case QMessageBox::Retry: return mrRetry;
        case QMessageBox::Ignore: return mrIgnore;
        default: return mrCancel;
        }
    }

    bool OpenFileDialog(const TFileDialogSpec& Spec, std::string& FileName) override {
        return RunFileDialog(Spec, FileName, QFileDialog::AcceptOpen);
    }

    bool SaveFileDialog(const TFileDialogSpec& Spec, std::string& FileName) override {
        return RunFileDialog(Spec, FileName, QFileDialog::AcceptSave);
    }

    bool BrowseFolder(const std::string& Title, const std::string& Root,
                      std::string& Folder) override {
        return ShowBrowseFolderDialog(Title, Root, Folder);
    }

    bool InputQuery(const std::string& Caption, const std::string& Prompt,
                    std::string& Value) override {
        bool Ok = false;
        QString Text = QInputDialog::getText(DialogParent(), ToQString(Caption), ToQString(Prompt),
                                             QLineEdit::Normal, ToQString(Value), &Ok);
        if (Ok) Value = FromQString(Text);
        return Ok;
    }

    bool ShellOpen(const std::string& FileName) override {
        const bool Local = !FileName.empty() && FileName[0] == '/';
        QUrl Url = Local ? FileUrl(FileName) : QUrl(ToQString(FileName), QUrl::StrictMode);
        return Url.isValid() && QDesktopServices::openUrl(Url);
    }

    bool StartProgram(const std::vector<std::string>& Argv) override {
        std::string Error;
        if (StartDetached(Argv, Error)) return true;
        MessageDlg(Error, mtError, mbOK);
        return false;
    }

    void CopyText(const std::string& Text) override {
        QGuiApplication::clipboard()->setText(ToQString(Text));
    }

    void CopyPath(const std::string& Path) override {
        auto* Data = new QMimeData;
        Data->setText(ToQString(Path));
        const QByteArray Bytes(Path.data(), static_cast<qsizetype>(Path.size()));
        Data->setData(QStringLiteral("text/uri-list"),
                      "file://" + Bytes.toPercentEncoding("/") + "\r\n");
        QGuiApplication::clipboard()->setMimeData(Data);
    }

private:
    static bool RunFileDialog(const TFileDialogSpec& Spec, std::string& FileName,
                              QFileDialog::AcceptMode Mode) {
        QFileDialog D(DialogParent(), ToQString(Spec.Title));
        D.setAcceptMode(Mode);
        D.setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                      : QFileDialog::AnyFile);
        const QStringList Filters = DialogFilter(Spec.Filter).split(QStringLiteral(";;"));
        D.setNameFilters(Filters);
        if (Spec.FilterIndex >= 1 && Spec.FilterIndex <= Filters.size())
            D.selectNameFilter(Filters[Spec.FilterIndex - 1]);
        if (!Spec.DefaultExt.empty()) D.setDefaultSuffix(ToQString(Spec.DefaultExt));
        if (!Spec.FileName.empty()) D.selectFile(FileNameToQString(Spec.FileName));
        if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return false;
        FileName = QStringToFileName(D.selectedFiles().first());
        if (Spec.ChosenFilter)
            *Spec.ChosenFilter = static_cast<int>(Filters.indexOf(D.selectedNameFilter())) + 1;
        return true;
    }
};

TUserDialogs* GInstalled = nullptr;

TUserDialogs& QtDialogs() {
    static std::unique_ptr<TUserDialogs> Instance = NewQtUserDialogs();
    return *Instance;
}

} // namespace

const char* MessageCaption(TMsgDlgType Type) {
    switch (Type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirmation";
    }
    return "";
}

bool ShellOpenOrSay(const std::string& Target) {
    if (UserDialogs().ShellOpen(Target)) return true;
    const char* What = Target.empty() || Target[0] != '/' ? "address"
                       : DirectoryExists(Target)          ? "folder"
                                                          : "file";
    UserDialogs().MessageDlg(
        Format("%s\n\nThe desktop has no program that opens this %s.", {Target, What}), mtWarning,
        mbOK);
    return false;
}

TUserDialogs& UserDialogs() {
    return GInstalled ? *GInstalled : QtDialogs();
}

void SetUserDialogs(TUserDialogs* Dialogs) {
    GInstalled = Dialogs;
}

std::unique_ptr<TUserDialogs> NewQtUserDialogs() {
    return std::make_unique<TQtUserDialogs>();
}

void InstallDialogHooks() {
    ShowCatalogErrorHook = [](const std::string& Message) {
        UserDialogs().MessageDlg(Message, mtError, mbOK);
    };
    ShowExceptionHook = [](const std::string& Message) {
        UserDialogs().MessageDlg(Message, mtError, mbOK);
    };
    VolumeQuestionProc = [](const std::string& Text) {
        switch (UserDialogs().MessageDlg(Text, mtWarning, mbAbortRetryIgnore)) {
        case mrRetry: return TVolumeAnswer::Retry;
        case mrIgnore: return TVolumeAnswer::Ignore;
        default: return TVolumeAnswer::Abort;
        }
    };
    BrowseFolderHook = [](const std::string& Title, const std::string& Root, std::string& Folder) {
        return UserDialogs().BrowseFolder(Title, Root, Folder);
    };
    OpenUrlProc = [](const QUrl& Url) {
        return UserDialogs().ShellOpen(Url.isLocalFile() ? LocalFileName(Url)
                                                         : FromQString(Url.toString()));
    };
}

void RemoveDialogHooks() {
    ShowCatalogErrorHook = nullptr;
    ShowExceptionHook = nullptr;
    VolumeQuestionProc = nullptr;
    BrowseFolderHook = nullptr;
    OpenUrlProc = nullptr;
}
