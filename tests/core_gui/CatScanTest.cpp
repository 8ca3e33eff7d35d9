// The progress window of the worker threads: modes, the window's shape, and above all that
// every way of closing it stops the linked thread - and only the linked one.
#include "core/gui/CatScan.h"
#include "core/gui/Animate.h"
#include "core/gui/CoreGui.h"
#include "platform/Thread.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

// A worker that runs until it is asked to stop (or gives up after a while, so that a failing
// test cannot hang).
class TSpinThread : public TThread {
public:
    ~TSpinThread() override { StopAndWait(); }

protected:
    void Execute() override {
        const auto GiveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!Terminated() && std::chrono::steady_clock::now() < GiveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

void SendKey(QWidget* Target, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QKeyEvent Press(QEvent::KeyPress, Key, Modifiers);
    QApplication::sendEvent(Target, &Press);
}

TfmScanning* FindScanningWindow() {
    for (QWidget* W : QApplication::topLevelWidgets())
        if (auto* F = dynamic_cast<TfmScanning*>(W)) return F;
    return nullptr;
}

} // namespace

TEST(Scanning, ModesSetCaptionAndAnimation) {
    TfmScanning F;
    EXPECT_EQ(F.Mode(), 0);
    const char* Animations[] = {"FINDCOMPUTERAVI", "FINDFILEAVI", "FINDCOMPUTERAVI",
                                "FINDCOMPUTERAVI"};
    for (uint8_t Mode = 0; Mode < 4; ++Mode) {
        F.SetMode(Mode);
        EXPECT_EQ(F.Mode(), Mode);
        EXPECT_EQ(F.windowTitle().toStdString(), ScanningCaptions[Mode]);
        EXPECT_EQ(F.Animate1->ResName(), Animations[Mode]);
    }
    EXPECT_EQ(std::string(ScanningCaptions[0]), "Scanning ...");
    EXPECT_EQ(std::string(ScanningCaptions[1]), "Finding ...");
    EXPECT_EQ(std::string(ScanningCaptions[2]), "Synchronizing ...");
    EXPECT_EQ(std::string(ScanningCaptions[3]), "Finalization ...");

    F.SetMode(1);
    F.SetMode(200); // stored, nothing else changes
    EXPECT_EQ(F.Mode(), 200);
    EXPECT_EQ(F.windowTitle(), "Finding ...");
    EXPECT_EQ(F.Animate1->ResName(), "FINDFILEAVI");
    EXPECT_EQ(F.Animate1->StopFrame(), 8);
}

TEST(Scanning, FixedTopLevelWindowWithMinimizeOnly) {
    TfmScanning F;
    EXPECT_EQ(F.size(), QSize(302, 108));
    EXPECT_EQ(F.minimumSize(), F.maximumSize());
    EXPECT_TRUE(F.isWindow());
    EXPECT_EQ(F.parentWidget(), nullptr);
    const Qt::WindowFlags Flags = F.windowFlags();
    EXPECT_TRUE(Flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(Flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(Flags & Qt::WindowStaysOnTopHint);
    // Qt keeps its system-menu flag whenever a title bar button is wanted; the close box is the
    // part that matters, and it is absent.
    EXPECT_FALSE(Flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(Flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(F.BitBtn1->text(), "Cancel");
    EXPECT_EQ(F.Button1->text(), "Minimize");
    EXPECT_TRUE(F.BitBtn1->isDefault());
    EXPECT_EQ(F.Animate1->geometry(), QRect(0, 0, 302, 45));
    EXPECT_EQ(F.Label1->geometry().topLeft(), QPoint(11, 59));
    EXPECT_EQ(F.Label1->width(), 282);
}

TEST(Scanning, StaysUsableOverADisabledMainWindowAndIsCentredOnIt) {
    QMainWindow Main;
    Main.setGeometry(50, 40, 500, 400);
    Main.show();
    Main.setEnabled(false); // what a scan does to the main window
    TfmScanning F;
    F.ShowProgress();
    EXPECT_TRUE(F.isVisible());
    EXPECT_FALSE(F.isModal());
    EXPECT_TRUE(F.isEnabled());
    EXPECT_TRUE(F.BitBtn1->isEnabled());
    EXPECT_TRUE(F.Button1->isEnabled());
    const QPoint Offset = F.frameGeometry().center() - Main.frameGeometry().center();
    EXPECT_LE(Offset.manhattanLength(), 2) << Offset.x() << "," << Offset.y();
}

TEST(Scanning, ShowEmptiesTheLineAndStartsTheAnimationHideStopsNothing) {
    TSpinThread T;
    TfmScanning F;
    F.SetThread(&T);
    F.SetText("left over");
    T.Resume();
    F.ShowProgress();
    EXPECT_EQ(F.Text(), "");
    EXPECT_EQ(F.Label1->text(), "");
    EXPECT_TRUE(F.Animate1->Active());

    F.SetText("/media/disc/Music/*.*");
    EXPECT_EQ(F.Label1->text(), "/media/disc/Music/*.*");

    // The worker's end step hides the window: that is no Cancel.
    F.HideProgress();
    EXPECT_FALSE(F.isVisible());
    EXPECT_FALSE(T.Terminated());

    F.ShowProgress();
    EXPECT_EQ(F.Text(), "");
    T.Terminate();
    T.WaitFor();
}

TEST(Scanning, LongAndUndecodableTextIsShortenedOnScreenOnly) {
    TfmScanning F;
    F.ShowProgress();
    const std::string Long = "/mnt/archive/" + std::string(300, 'x') + "/tail\xff\xfe/*.*";
    F.SetText(Long);
    EXPECT_EQ(F.Text(), Long);
    EXPECT_LE(F.Label1->fontMetrics().horizontalAdvance(F.Label1->text()), F.Label1->width());
    EXPECT_TRUE(F.Label1->text().startsWith("/mnt/archive/"));
    EXPECT_TRUE(F.Label1->text().endsWith("/*.*"));
}

TEST(Scanning, CancelTerminatesTheLinkedRunningThread) {
    TSpinThread T;
    TfmScanning F;
    F.SetThread(&T);
    T.Resume();
    F.ShowProgress();
    F.BitBtn1->click();
    EXPECT_FALSE(F.isVisible());
    EXPECT_FALSE(F.Animate1->Active());
    EXPECT_TRUE(T.Terminated());
    T.WaitFor();
    EXPECT_TRUE(T.Finished());
}

TEST(Scanning, EscapeAndEnterCancelFromEitherButton) {
    struct Case {
        int Key;
        Qt::KeyboardModifiers Modifiers;
        bool OnMinimize;
    };
    const Case Cases[] = {{Qt::Key_Escape, Qt::NoModifier, false},
                          {Qt::Key_Return, Qt::NoModifier, false},
                          {Qt::Key_Enter, Qt::KeypadModifier, false},
                          {Qt::Key_Escape, Qt::NoModifier, true},
                          {Qt::Key_Return, Qt::NoModifier, true}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Key);
        SCOPED_TRACE(C.OnMinimize);
        TSpinThread T;
        TfmScanning F;
        F.SetThread(&T);
        T.Resume();
        F.ShowProgress();
        SendKey(C.OnMinimize ? F.Button1 : F.BitBtn1, C.Key, C.Modifiers);
        EXPECT_FALSE(F.isVisible());
        EXPECT_TRUE(T.Terminated());
        EXPECT_FALSE(F.Button1->isDown());
        T.Terminate();
        T.WaitFor();
    }
    // Other keys do nothing.
    TSpinThread T;
    TfmScanning F;
    F.SetThread(&T);
    F.ShowProgress();
    SendKey(F.BitBtn1, Qt::Key_A);
    SendKey(F.BitBtn1, Qt::Key_Tab);
    EXPECT_TRUE(F.isVisible());
    EXPECT_FALSE(T.Terminated());
}

TEST(Scanning, ClosingByOtherMeansTerminatesToo) {
    TSpinThread T;
    TfmScanning F;
    F.SetThread(&T);
    T.Resume();
    F.ShowProgress();
    EXPECT_TRUE(F.close()); // as the window manager would
    EXPECT_FALSE(F.isVisible());
    EXPECT_TRUE(T.Terminated());
    T.WaitFor();
}

TEST(Scanning, LateCancelAfterTheLinkIsClearedReachesNoThread) {
    auto T = std::make_unique<TSpinThread>();
    TfmScanning F;
    F.SetThread(T.get());
    T->Resume();
    F.ShowProgress();
    // The worker clears the link before its end step ...
    F.SetThread(nullptr);
    F.BitBtn1->click();
    EXPECT_FALSE(F.isVisible());
    EXPECT_FALSE(T->Terminated());
    // ... and may be gone when the click comes.
    T->Terminate();
    T.reset();
    F.ShowProgress();
    F.BitBtn1->click();
    EXPECT_FALSE(F.isVisible());
}

TEST(Scanning, CancelWithoutAThreadOnlyCloses) {
    TfmScanning F;
    F.ShowProgress();
    F.BitBtn1->click();
    EXPECT_FALSE(F.isVisible());
}

TEST(Scanning, MinimizeMinimizesTheWholeProgramAndTheScanGoesOn) {
    QMainWindow Main;
    Main.show();
    TSpinThread T;
    TfmScanning F;
    F.SetThread(&T);
    T.Resume();
    F.ShowProgress();
    F.Button1->click();
    EXPECT_TRUE(Main.isMinimized());
    EXPECT_TRUE(F.isMinimized());
    EXPECT_FALSE(T.Terminated());
    T.Terminate();
    T.WaitFor();
}

TEST(CoreGuiHooks, ProgressWindowsOfTheCoreAreScanningWindows) {
    InstallCoreGuiHooks();
    std::unique_ptr<TProgressWindow> W = CreateProgressWindow(TProgressOwner::None);
    TfmScanning* F = FindScanningWindow();
    ASSERT_NE(F, nullptr);
    QPointer<TfmScanning> Guard(F);
    W->SetMode(1);
    EXPECT_EQ(F->windowTitle(), "Finding ...");
    EXPECT_EQ(W->Mode(), 1);
    W->ShowProgress();
    EXPECT_TRUE(F->isVisible());
    W->SetText("12 Files Found");
    EXPECT_EQ(F->Label1->text(), "12 Files Found");
    EXPECT_EQ(W->Text(), "12 Files Found");
    W.reset();
    EXPECT_TRUE(Guard.isNull());
}

// A worker that drives and releases its window from its own thread, the way a self-freeing scan
// thread does: every call must reach the widget on the UI thread.
TEST(CoreGuiHooks, AWorkerMayDriveAndReleaseItsWindowFromItsOwnThread) {
    InstallCoreGuiHooks();
    class TWorker : public TThread {
    public:
        std::unique_ptr<TProgressWindow> Window = CreateProgressWindow(TProgressOwner::Application);
        QPointer<TfmScanning> Form = FindScanningWindow();
        bool SawLabel = false;
        std::string TextSeen;

    protected:
        void Execute() override {
            Window->SetThread(this);
            Window->SetMode(2);
            Window->ShowProgress();
            Window->SetText("/srv/share/*.*");
            TextSeen = Window->Text();
            Synchronize([this] { SawLabel = Form && Form->Label1->text() == "/srv/share/*.*"; });
            Window->SetThread(nullptr);
            Window->HideProgress();
            Window.reset();
        }
    };
    TWorker T;
    ASSERT_FALSE(T.Form.isNull());
    QPointer<TfmScanning> Form = T.Form;
    T.Resume();
    T.WaitFor();
    EXPECT_TRUE(T.SawLabel);
    EXPECT_EQ(T.TextSeen, "/srv/share/*.*");
    EXPECT_TRUE(Form.isNull());
}
