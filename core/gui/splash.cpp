#include "splash.h"

#include "core/gui/Animate.h"
#include "core/gui/CoreGui.h"
#include "platform/SysUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

QPointer<Tfm_splash> fm_splash;

namespace {

// A variant holding a number or a text, read the way the caller meant it.
int SourceNumber(const TAnimationSource& Source) {
    if (const int* N = std::get_if<int>(&Source)) return *N;
    int N = 0;
    if (!TryStrToInt(std::get<std::string>(Source), N)) throw EAnimateError(SCannotOpenAVI);
    return N;
}

std::string SourceText(const TAnimationSource& Source) {
    if (const int* N = std::get_if<int>(&Source)) return IntToStr(*N);
    return std::get<std::string>(Source);
}

bool Exposed(QWidget* W) {
    return W->windowHandle() && W->windowHandle()->isExposed();
}

// Lets the window system map and paint the window before the caller's long work blocks the UI
// thread. Input stays queued: a click handled here would start a second command in the middle
// of the load or save that showed the window.
void ProcessPendingMessages() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!fm_splash || !fm_splash->isVisible() || Exposed(fm_splash)) return;
    QEventLoop Loop;
    QTimer Deadline;
    Deadline.setSingleShot(true);
    Deadline.start(200);
    while (Deadline.isActive() && fm_splash && !Exposed(fm_splash))
        Loop.processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    if (fm_splash && fm_splash->isVisible()) fm_splash->repaint();
}

} // namespace

Tfm_splash::Tfm_splash()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("Caption");
    Animate1 = new TAnimate(this);
    Animate1->setMinimumSize(120, 50);
    Animate1->SetStopFrame(23);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
    Layout->addWidget(Animate1);
}

void Tfm_splash::FormClose() {
    Animate1->Stop();
    Animate1->SetActive(false);
}

void Tfm_splash::closeEvent(QCloseEvent* Event) {
    FormClose();
    Event->accept();
}

void CreateAnimationForm() {
    if (fm_splash) return;
    // A widget needs a QApplication; without one there is simply no animation.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    try {
        fm_splash = new Tfm_splash();
    } catch (...) {
        return;
    }
    static bool FreeAtEnd = false;
    if (!FreeAtEnd) {
        qAddPostRoutine(FreeAnimationForm);
        FreeAtEnd = true;
    }
}

void ShowAnimation(const std::string& Caption, uint8_t Kind, const TAnimationSource& Source) {
    CreateAnimationForm();
    if (fm_splash) {
        try {
            fm_splash->setWindowTitle(QString::fromUtf8(Caption));
            TAnimate* A = fm_splash->Animate1;
            switch (Kind) {
            case 1: A->SetCommonAVI(SourceNumber(Source)); break;
            case 2: A->SetFileName(SourceText(Source)); break;
            case 3: A->SetResId(SourceNumber(Source)); break;
            case 4: A->SetResName(SourceText(Source)); break;
            default: break;
            }
            A->Play(1, A->FrameCount(), 0);
            fm_splash->layout()->activate();
            PlaceOverMainForm(fm_splash);
            fm_splash->show();
        } catch (...) {
            // The caller's load or save goes on without an animation.
        }
    }
    ProcessPendingMessages();
}

void HideAnimation() {
    if (fm_splash) fm_splash->close();
}

void FreeAnimationForm() {
    delete fm_splash.data();
}
