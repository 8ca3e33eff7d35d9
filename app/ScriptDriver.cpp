#include "ScriptDriver.h"

#include "app/CatalogMain.h"
#include "app/UiText.h"
#include "app/UserDialogs.h"
#include "core/CatalogGlobals.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <sstream>

// The program's dialog layer, with scripted answers for folder browses and file dialogs.
class TScriptDriver::TAnswers final : public TUserDialogs {
public:
    std::unique_ptr<TUserDialogs> Qt = NewQtUserDialogs();
    std::deque<std::string> Folders, Files;

    TModalResult MessageDlg(const std::string& Text, TMsgDlgType Type,
                            TMsgDlgButtons Buttons) override {
        return Qt->MessageDlg(Text, Type, Buttons);
    }
    TModalResult MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
                            TMsgDlgButtons Buttons) override {
        return Qt->MessageBox(Text, Caption, Type, Buttons);
    }
    bool OpenFileDialog(const TFileDialogSpec& Spec, std::string& FileName) override {
        return Answer(Files, FileName) || Qt->OpenFileDialog(Spec, FileName);
    }
    bool SaveFileDialog(const TFileDialogSpec& Spec, std::string& FileName) override {
        return Answer(Files, FileName) || Qt->SaveFileDialog(Spec, FileName);
    }
    bool BrowseFolder(const std::string& Title, const std::string& Root,
                      std::string& Folder) override {
        return Answer(Folders, Folder) || Qt->BrowseFolder(Title, Root, Folder);
    }
    bool InputQuery(const std::string& Caption, const std::string& Prompt,
                    std::string& Value) override {
        return Qt->InputQuery(Caption, Prompt, Value);
    }
    bool ShellOpen(const std::string& FileName) override { return Qt->ShellOpen(FileName); }
    bool StartProgram(const std::vector<std::string>& Argv) override {
        return Qt->StartProgram(Argv);
    }
    void CopyText(const std::string& Text) override { Qt->CopyText(Text); }
    void CopyPath(const std::string& Path) override { Qt->CopyPath(Path); }

private:
    static bool Answer(std::deque<std::string>& Queue, std::string& Value) {
        if (Queue.empty()) return false;
        Value = Queue.front();
        Queue.pop_front();
        return true;
    }
};

TScriptDriver::TScriptDriver(TfmCatalogMain* Main, const std::string& Script)
    : QObject(Main), FMain(Main), FAnswers(std::make_unique<TAnswers>()) {
    std::istringstream In(Script);
    for (std::string Line; std::getline(In, Line);)
        if (!Line.empty()) FLines.push_back(Line);
    SetUserDialogs(FAnswers.get());
    FClock.start();
    FTimer = new QTimer(this);
    FTimer->setInterval(2);
    connect(FTimer, &QTimer::timeout, this, [this] { Tick(); });
    FTimer->start();
}

TScriptDriver::~TScriptDriver() {
    SetUserDialogs(nullptr);
}

void TScriptDriver::Tick() {
    const qint64 Now = FClock.nsecsElapsed();
    if (FLastTick) FLongestStall = std::max(FLongestStall, Now - FLastTick);
    FLastTick = Now;
    if (FLines.empty() || !Step(FLines.front())) return;
    std::fprintf(stderr, "quillmark-script: %s at=%.3f longest-stall-ms=%.1f\n",
                 FLines.front().c_str(), static_cast<double>(Now) / 1e9,
                 static_cast<double>(FLongestStall) / 1e6);
    std::fflush(stderr);
    FLines.pop_front();
    FLongestStall = 0;
}

bool TScriptDriver::Step(const std::string& Line) {
    const size_t Blank = Line.find(' ');
    const std::string Command = Line.substr(0, Blank);
    const std::string Argument =
        Blank == std::string::npos ? std::string() : Line.substr(Blank + 1);
    QWidget* Modal = QApplication::activeModalWidget();
    if (Command == "folder") {
        FAnswers->Folders.push_back(Argument);
    } else if (Command == "file") {
        FAnswers->Files.push_back(Argument);
    } else if (Command == "trigger") {
        if (Modal || !FMain->isEnabled() || ScanThreads.Count() > 0) return false;
        auto* A = FMain->findChild<QAction*>(ToQString(Argument));
        FMain->UpdateActions();
        if (!A || !A->isEnabled()) return false;
        // Later: an action may show a modal dialog, whose loop runs the next lines.
        QTimer::singleShot(0, A, &QAction::trigger);
    } else if (Command == "dialog") {
        return Modal && Modal->objectName() == ToQString(Argument);
    } else if (Command == "set") {
        const size_t NameEnd = Argument.find(' ');
        const QString Name = ToQString(Argument.substr(0, NameEnd));
        const QString Text =
            ToQString(NameEnd == std::string::npos ? std::string() : Argument.substr(NameEnd + 1));
        if (!Modal) return false;
        if (auto* E = Modal->findChild<QLineEdit*>(Name))
            E->setText(Text);
        else if (auto* P = Modal->findChild<QPlainTextEdit*>(Name))
            P->setPlainText(Text);
        else
            return false;
    } else if (Command == "focus") {
        if (Modal || !FMain->isEnabled()) return false;
        auto* W = FMain->findChild<QWidget*>(ToQString(Argument));
        if (!W) return false;
        FMain->activateWindow();
        W->setFocus(Qt::MouseFocusReason);
        return W->hasFocus() || W->isAncestorOf(QApplication::focusWidget());
    } else if (Command == "wait") {
        const qint64 Now = FClock.nsecsElapsed();
        if (FWaitUntil < 0) FWaitUntil = Now + std::atoll(Argument.c_str()) * 1000000;
        if (Now < FWaitUntil) return false;
        FWaitUntil = -1;
    } else if (Command == "click") {
        auto* B = Modal ? Modal->findChild<QAbstractButton*>(ToQString(Argument)) : nullptr;
        if (!B) return false;
        QTimer::singleShot(0, B, &QAbstractButton::click);
    } else if (Command == "close") {
        if (Modal) return false;
        QTimer::singleShot(0, FMain, &QWidget::close);
    }
    return true;
}
