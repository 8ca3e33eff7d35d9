// What the core's worker threads and its catalog load and save need of progress windows.
//
// The windows themselves live in core/gui (Qt Widgets); the core reaches them only through the
// factory and the two animation calls below, which the GUI installs at start-up. Without a GUI
// (tests, benchmarks) the factory gives a window that shows nothing and the animation calls do
// nothing. Everything here runs on the UI thread (workers call it through Synchronize).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

class TThread;

// The progress window of one worker thread (the scan, synchronise and find threads each own one).
class TProgressWindow {
public:
    virtual ~TProgressWindow() = default;
    // 0 "Scanning ...", 1 "Finding ...", 2 "Synchronizing ...", 3 "Finalization ..."; any other
    // value is stored and changes nothing else.
    virtual void SetMode(uint8_t Mode) = 0;
    virtual uint8_t Mode() const = 0;
    // The thread that Cancel terminates; null once the thread is finishing.
    virtual void SetThread(TThread* Thread) = 0;
    virtual TThread* Thread() const = 0;
    // Shows the window (not modal) / hides it.
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    // The line of text under the animation.
    virtual void SetText(const std::string& Text) = 0;
    virtual std::string Text() const = 0;
};

// Who owns a new progress window on the screen: the application (scan threads) or nobody (the
// find thread). Either way the window is never a child of the main window.
enum class TProgressOwner { Application, None };

// Creates a progress window; the GUI installs CreateProgressWindowProc, the default makes a
// window that only remembers its state.
std::unique_ptr<TProgressWindow> CreateProgressWindow(TProgressOwner Owner);
extern std::function<std::unique_ptr<TProgressWindow>(TProgressOwner)> CreateProgressWindowProc;

// The source of an animation: a common animation number, a file name, a resource id or a
// resource name, as Kind says (1 common index, 2 file name, 3 resource id, 4 resource name).
using TAnimationSource = std::variant<int, std::string>;

// Shows and closes the animated window around catalog loading and saving.
void ShowProgressAnimation(const std::string& Caption, uint8_t Kind,
                           const TAnimationSource& Source);
void CloseProgressAnimation();
extern std::function<void(const std::string&, uint8_t, const TAnimationSource&)>
    ShowProgressAnimationProc;
extern std::function<void()> CloseProgressAnimationProc;
