#include "Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

std::function<void(const std::string&)> ShowExceptionHook;

namespace {

TCustomForm* GMainForm = nullptr;

void ShowExceptionMessage(const std::string& Message) {
    if (ShowExceptionHook) {
        ShowExceptionHook(Message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QGuiApplication::applicationDisplayName(),
                          QString::fromStdString(Message));
}

} // namespace

void HandleException(const std::exception& E) {
    ShowExceptionMessage(E.what());
}

void HandleException() {
    try {
        throw;
    } catch (const std::exception& E) {
        HandleException(E);
    } catch (...) {
        ShowExceptionMessage("Unknown exception");
    }
}

TFormHook::~TFormHook() {
    if (FHookedForm) FHookedForm->DetachHook(this);
}

TCustomForm::TCustomForm(QWidget* Parent) : QMainWindow(Parent) {
    if (!GMainForm) GMainForm = this;
}

TCustomForm::~TCustomForm() {
    BeforeDestruction();
    for (TFormHook* H : FHooks)
        H->FHookedForm = nullptr;
    FHooks.clear();
    if (GMainForm == this) GMainForm = nullptr;
}

TCustomForm* TCustomForm::MainForm() {
    return GMainForm;
}

std::string TCustomForm::Name() const {
    return objectName().toStdString();
}

void TCustomForm::SetName(const std::string& Value) {
    setObjectName(QString::fromStdString(Value));
}

std::string TCustomForm::ClassName() const {
    std::string N = metaObject()->className();
    size_t P = N.rfind("::");
    return P == std::string::npos ? N : N.substr(P + 2);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (Value == FBorderIcons) return;
    FBorderIcons = Value;
    ApplyWindowFlags();
}

void TCustomForm::ApplyWindowFlags() {
    Qt::WindowFlags F;
    switch (FBorderStyle) {
    case bsDialog: F = Qt::Dialog; break;
    case bsToolWindow:
    case bsSizeToolWin: F = Qt::Tool; break;
    default: F = Qt::Window; break;
    }
    if (FBorderStyle == bsNone) {
        F |= Qt::FramelessWindowHint;
    } else if (FBorderIcons != DefaultBorderIcons) {
        F |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (FBorderIcons & biSystemMenu) F |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons & biMinimize) F |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons & biMaximize) F |= Qt::WindowMaximizeButtonHint;
        if (FBorderIcons & biHelp) F |= Qt::WindowContextHelpButtonHint;
    }
    if (F == windowFlags()) return;
    // New flags hide a shown window; showing it again is no show the program asked for, so
    // neither the hooks nor OnShow run for it.
    const bool WasVisible = isVisible();
    FRecreating = true;
    setWindowFlags(F);
    if (WasVisible) show();
    FRecreating = false;
}

TWindowState TCustomForm::WindowState() const {
    const Qt::WindowStates S = windowState();
    if (S & Qt::WindowMinimized) return wsMinimized;
    if (S & (Qt::WindowMaximized | Qt::WindowFullScreen)) return wsMaximized;
    return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState Value) {
    Qt::WindowStates S = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (Value == wsMinimized) S |= Qt::WindowMinimized;
    if (Value == wsMaximized) S |= Qt::WindowMaximized;
    if (S != windowState()) setWindowState(S);
}

void TCustomForm::AttachHook(TFormHook* Hook) {
    if (!Hook || Hook->FHookedForm == this) return;
    if (Hook->FHookedForm) Hook->FHookedForm->DetachHook(Hook);
    FHooks.push_back(Hook);
    Hook->FHookedForm = this;
}

void TCustomForm::DetachHook(TFormHook* Hook) {
    auto It = std::find(FHooks.begin(), FHooks.end(), Hook);
    if (It == FHooks.end()) return;
    FHooks.erase(It);
    Hook->FHookedForm = nullptr;
}

void TCustomForm::DoShow() {
    const std::vector<TFormHook*> Hooks = FHooks;
    for (TFormHook* H : Hooks)
        if (std::find(FHooks.begin(), FHooks.end(), H) != FHooks.end()) H->FormShow();
    if (OnShow) OnShow(this);
}

bool TCustomForm::CloseQuery() {
    bool CanClose = true;
    if (OnCloseQuery) OnCloseQuery(this, CanClose);
    const std::vector<TFormHook*> Hooks = FHooks;
    for (TFormHook* H : Hooks)
        if (std::find(FHooks.begin(), FHooks.end(), H) != FHooks.end()) H->FormCloseQuery(CanClose);
    return CanClose;
}

void TCustomForm::BeforeDestruction() {
    if (FDestroyed) return;
    FDestroyed = true;
    const std::vector<TFormHook*> Hooks = FHooks;
    for (TFormHook* H : Hooks) {
        if (std::find(FHooks.begin(), FHooks.end(), H) == FHooks.end()) continue;
        try {
            H->FormDestroy();
        } catch (...) {
            HandleException();
        }
    }
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            HandleException();
        }
    }
}

void TCustomForm::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    if (Event->spontaneous() || FRecreating) return;
    try {
        DoShow();
    } catch (...) {
        HandleException();
    }
    PlaceOnShow();
}

void TCustomForm::closeEvent(QCloseEvent* Event) {
    bool CanClose = false;
    try {
        CanClose = CloseQuery();
    } catch (...) {
        HandleException();
    }
    Event->setAccepted(CanClose);
}

void TCustomForm::PlaceOnShow() {
    QRect Area;
    const QScreen* Screen = QGuiApplication::primaryScreen();
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        if (Screen) Area = Screen->availableGeometry();
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        const QWidget* Over = FPosition == poMainFormCenter ? MainForm() : parentWidget();
        if (Over) Over = Over->window();
        if (Over && Over != this && Over->isVisible())
            Area = Over->geometry();
        else if (Screen)
            Area = Screen->availableGeometry();
        break;
    }
    default: return;
    }
    if (Area.isEmpty() || WindowState() != wsNormal) return;
    QRect G = geometry();
    G.moveTo(Area.x() + (Area.width() - G.width()) / 2,
             Area.y() + (Area.height() - G.height()) / 2);
    setGeometry(G);
}
