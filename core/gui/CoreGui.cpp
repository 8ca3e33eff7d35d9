#include "CoreGui.h"

#include "core/ProgressWindow.h"
#include "core/gui/CatScan.h"
#include "core/gui/splash.h"
#include "platform/Thread.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QWindow>

namespace {

// The window the core gets from CreateProgressWindow. Worker threads create, drive and release
// their windows (a self-freeing worker releases it on its own thread), so every call is carried
// to the UI thread, where the widget lives.
class TProgressWindowProxy final : public TProgressWindow {
public:
    TProgressWindowProxy() {
        SynchronizeCall([this] { FForm = new TfmScanning(); });
    }
    ~TProgressWindowProxy() override {
        try {
            SynchronizeCall([this] { delete FForm.data(); });
        } catch (...) {
        }
    }
    TProgressWindowProxy(const TProgressWindowProxy&) = delete;
    TProgressWindowProxy& operator=(const TProgressWindowProxy&) = delete;

    void SetMode(uint8_t Mode) override {
        OnForm([Mode](TfmScanning& F) { F.SetMode(Mode); });
    }
    uint8_t Mode() const override {
        uint8_t Result = 0;
        OnForm([&](TfmScanning& F) { Result = F.Mode(); });
        return Result;
    }
    void SetThread(TThread* Thread) override {
        OnForm([Thread](TfmScanning& F) { F.SetThread(Thread); });
    }
    TThread* Thread() const override {
        TThread* Result = nullptr;
        OnForm([&](TfmScanning& F) { Result = F.Thread(); });
        return Result;
    }
    void ShowProgress() override {
        OnForm([](TfmScanning& F) { F.ShowProgress(); });
    }
    void HideProgress() override {
        OnForm([](TfmScanning& F) { F.HideProgress(); });
    }
    void SetText(const std::string& Text) override {
        OnForm([&Text](TfmScanning& F) { F.SetText(Text); });
    }
    std::string Text() const override {
        std::string Result;
        OnForm([&](TfmScanning& F) { Result = F.Text(); });
        return Result;
    }

private:
    template <class F>
    void OnForm(F&& Fn) const {
        SynchronizeCall([&] {
            // Whoever tears the program down may have destroyed the widget already.
            if (FForm) Fn(*FForm);
        });
    }

    QPointer<TfmScanning> FForm;
};

} // namespace

void InstallCoreGuiHooks() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    CreateProgressWindowProc = [](TProgressOwner) -> std::unique_ptr<TProgressWindow> {
        // Either owner gives a parentless window; the thread that asked owns it.
        return std::make_unique<TProgressWindowProxy>();
    };
    ShowProgressAnimationProc = [](const std::string& Caption, uint8_t Kind,
                                   const TAnimationSource& Source) {
        SynchronizeCall([&] { ShowAnimation(Caption, Kind, Source); });
    };
    CloseProgressAnimationProc = [] { SynchronizeCall(HideAnimation); };
}

QWidget* MainFormWidget() {
    QWidget* Any = nullptr;
    for (QWidget* W : QApplication::topLevelWidgets()) {
        if (!qobject_cast<QMainWindow*>(W)) continue;
        if (W->isVisible()) return W;
        if (!Any) Any = W;
    }
    return Any;
}

void PlaceOverMainForm(QWidget* Window) {
    QWidget* Main = MainFormWidget();
    const bool OverMain = Main && Main->isVisible() && !Main->isMinimized();
    QScreen* Screen = OverMain ? Main->screen() : QGuiApplication::primaryScreen();
    if (!Screen) return;
    const QRect Area = Screen->availableGeometry();
    const QPoint Centre = OverMain ? Main->frameGeometry().center() : Area.center();

    const QSize Size = Window->frameGeometry().size();
    QPoint Pos = Centre - QPoint(Size.width() / 2, Size.height() / 2);
    Pos.setX(std::max(Area.left(), std::min(Pos.x(), Area.right() + 1 - Size.width())));
    Pos.setY(std::max(Area.top(), std::min(Pos.y(), Area.bottom() + 1 - Size.height())));
    Window->move(Pos);

    // A transient window stays above the main window and goes with it to the task bar, yet it
    // is no child of it: disabling the main window leaves it working.
    if (Main && Main != Window) {
        Window->winId();
        if (Window->windowHandle() && Main->windowHandle())
            Window->windowHandle()->setTransientParent(Main->windowHandle());
    }
}
