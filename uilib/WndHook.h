// Watching the events of a widget without subclassing it.
//
// A TWindowHook names a widget (WinControl) and gets BeforeMessage before the widget's own
// handling of each event and AfterMessage after it. All hooks of one widget share one
// TControlHook; the process-wide THookList keeps the control hooks. The widget's own handling
// is everything the toolkit does with the event without hooks: every event filter on it (a
// scroll area's viewport, for one, does its work in such a filter) and the widget itself, in
// their usual order, with the same result for the sender. Nothing is kept per native window, so
// destroying and re-creating the widget's native window never loses a hook.
//
// The hooks stand in the event system's delivery of an event to the widget (QCoreApplication's
// hook for extensions, QInternal::EventNotifyCallback, registered once on the UI thread when the
// first widget is hooked): events sent, posted or coming from the window system. Events that
// reach the widget another way, passed on from a child that ignored them or handed straight to
// QApplication::notify (QTest's widget events), bypass the hooks and are handled as usual.
//
// The rules of one event: the before-hooks run newest first; one that sets Handled stops the
// remaining before-hooks, and then neither the widget nor the after-hooks see the event (the
// toolkit's own deferred delete and native-window change still reach the widget). Otherwise the
// widget handles it, and the after-hooks run newest first until one sets Handled. A hook that
// leaves (or is freed) while an event is dispatched is not called for it any more; one that
// arrives during the dispatch is first called for the next event. An exception from a handler
// goes to HandleException; the other hooks and the widget still get the event.
//
// Ownership: a TWindowHook belongs to its owner (QObject parent); a TControlHook belongs to the
// hook list and is freed later (through the event loop) once its last hook has moved to another
// widget, or when the list goes. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class TControlHook;

using THookMessageEvent = std::function<void(QObject* Sender, QEvent* Msg, bool& Handled)>;

class TWindowHook : public QObject {
    Q_OBJECT

public:
    explicit TWindowHook(QObject* AOwner = nullptr);
    ~TWindowHook() override;

    // Attached to the widget while true.
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // The watched widget; a widget that goes away is forgotten.
    QWidget* WinControl() const;
    void SetWinControl(QWidget* Value);

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

    void HookControl();
    void UnhookControl();

protected:
    virtual void FireBeforeMessage(QEvent* Msg, bool& Handled);
    virtual void FireAfterMessage(QEvent* Msg, bool& Handled);

private:
    friend class TControlHook;
    TControlHook* LeaveControlHook();
    // SetWinControl without the test for a change (the old widget may be going away).
    void ChangeTarget(QWidget* Value);

    bool FActive = true;
    QPointer<QWidget> FTarget;
    TControlHook* FControlHook = nullptr;
    QMetaObject::Connection FTargetGone;
};

class TControlHook : public QObject {
    Q_OBJECT

public:
    TControlHook() = default;
    ~TControlHook() override;

    QWidget* Control() const { return FControl; }
    void SetControl(QWidget* Value);
    // Oldest first.
    const std::vector<TWindowHook*>& Hooks() const { return FHooks; }
    void AttachHook(TWindowHook* Hook);
    void DetachHook(TWindowHook* Hook);

    // The delivery of Event to the widget with its hooks around it; false when the event is
    // to go on as without hooks (Result untouched), true when it was delivered here (or stopped)
    // and Result is what the sender gets.
    bool Deliver(QEvent* Event, bool& Result);

private:
    void NotifyHooks(bool After, QEvent* Msg, bool& Handled);
    void SetWndProc();
    void RestoreWndProc();
    bool HasAfterHooks() const;

    QPointer<QWidget> FControl;
    std::vector<TWindowHook*> FHooks;
    bool FInstalled = false;
    bool FDestroying = false;
};

class THookList : public QObject {
    Q_OBJECT

public:
    THookList() = default;
    ~THookList() override;

    // The control hook of Control, or null (also for a null Control).
    TControlHook* FindControlHook(const QWidget* Control) const;
    // The control hook of Control, made when there is none.
    TControlHook* GetControlHook(QWidget* Control);
    int Count() const { return static_cast<int>(FItems.size()); }

private:
    friend class TControlHook;
    friend class TWindowHook;
    // Frees Hook later, when it is still listed and has no hooks by then.
    void PostRelease(TControlHook* Hook);
    void Remove(TControlHook* Hook);

    std::vector<TControlHook*> FItems;
};

// The one hook list, made on first use; HookList() is null until then.
THookList* GetHookList();
THookList* HookList();
// Frees the list and every control hook (also at the end of the QCoreApplication).
void FreeHookList();
