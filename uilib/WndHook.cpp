#include "WndHook.h"

#include "uilib/Forms.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace {

THookList* TheHookList = nullptr;

// The event system's call before it delivers an event (Data: the receiver, the event and the
// place of the result). Widgets live on the UI thread only, so every other thread leaves at the
// first test.
bool DeliverToHookedWidget(void** Data) {
    auto* Receiver = static_cast<QObject*>(Data[0]);
    if (!Receiver || !Receiver->isWidgetType() || !TheHookList) return false;
    TControlHook* H = TheHookList->FindControlHook(static_cast<QWidget*>(Receiver));
    return H && H->Deliver(static_cast<QEvent*>(Data[1]), *static_cast<bool*>(Data[2]));
}

void RegisterDelivery() {
    // Once for the process: other threads read the list of these calls without a lock, so it is
    // never changed again.
    static const bool Registered =
        QInternal::registerCallback(QInternal::EventNotifyCallback, DeliverToHookedWidget);
    (void)Registered;
}

// Events the toolkit needs for its own bookkeeping, which a before-hook cannot keep from the
// widget.
bool AlwaysDelivered(const QEvent* E) {
    return E->type() == QEvent::DeferredDelete || E->type() == QEvent::WinIdChange;
}

template <class T>
bool Contains(const std::vector<T*>& V, const T* Item) {
    return std::find(V.begin(), V.end(), Item) != V.end();
}

} // namespace

THookList* HookList() {
    return TheHookList;
}

THookList* GetHookList() {
    if (!TheHookList) {
        TheHookList = new THookList;
        if (QCoreApplication::instance()) qAddPostRoutine(FreeHookList);
    }
    return TheHookList;
}

void FreeHookList() {
    THookList* L = TheHookList;
    TheHookList = nullptr;
    delete L;
}

// ---- THookList -------------------------------------------------------------------------------

THookList::~THookList() {
    while (!FItems.empty()) {
        TControlHook* H = FItems.back();
        FItems.pop_back();
        delete H;
    }
    if (TheHookList == this) TheHookList = nullptr;
}

TControlHook* THookList::FindControlHook(const QWidget* Control) const {
    if (!Control) return nullptr;
    for (TControlHook* H : FItems)
        if (H->Control() == Control) return H;
    return nullptr;
}

TControlHook* THookList::GetControlHook(QWidget* Control) {
    if (TControlHook* H = FindControlHook(Control)) return H;
    auto H = std::make_unique<TControlHook>();
    H->SetControl(Control);
    FItems.push_back(H.get());
    return H.release();
}

void THookList::PostRelease(TControlHook* Hook) {
    QPointer<TControlHook> Guard(Hook);
    QMetaObject::invokeMethod(
        this,
        [this, Guard] {
            TControlHook* H = Guard.data();
            if (H && Contains(FItems, H) && H->Hooks().empty()) delete H;
        },
        Qt::QueuedConnection);
}

void THookList::Remove(TControlHook* Hook) {
    auto It = std::find(FItems.begin(), FItems.end(), Hook);
    if (It != FItems.end()) FItems.erase(It);
}

// ---- TControlHook ----------------------------------------------------------------------------

TControlHook::~TControlHook() {
    FDestroying = true;
    if (TheHookList) TheHookList->Remove(this);
    while (!FHooks.empty())
        DetachHook(FHooks.back());
    FDestroying = false;
    SetControl(nullptr);
}

void TControlHook::SetControl(QWidget* Value) {
    if (Value == FControl) return;
    RestoreWndProc();
    FControl = Value;
    if (!FHooks.empty()) SetWndProc();
}

void TControlHook::SetWndProc() {
    if (!FControl || FDestroying || FInstalled) return;
    RegisterDelivery();
    FInstalled = true;
}

void TControlHook::RestoreWndProc() {
    FInstalled = false;
}

void TControlHook::AttachHook(TWindowHook* Hook) {
    if (!Hook) return;
    if (!Contains(FHooks, Hook)) {
        FHooks.push_back(Hook);
        Hook->FControlHook = this;
        SetControl(Hook->FTarget);
    }
    SetWndProc();
}

void TControlHook::DetachHook(TWindowHook* Hook) {
    auto It = std::find(FHooks.begin(), FHooks.end(), Hook);
    if (It == FHooks.end()) return;
    Hook->FControlHook = nullptr;
    FHooks.erase(It);
    if (FHooks.empty()) RestoreWndProc();
}

bool TControlHook::HasAfterHooks() const {
    return std::any_of(FHooks.begin(), FHooks.end(),
                       [](const TWindowHook* H) { return static_cast<bool>(H->AfterMessage); });
}

void TControlHook::NotifyHooks(bool After, QEvent* Msg, bool& Handled) {
    if (FHooks.empty() || !FControl || FDestroying) return;
    // A handler may detach or free any hook, this one included: the pass runs over guarded
    // pointers taken now and skips hooks that have gone or left.
    const std::vector<QPointer<TWindowHook>> Snapshot(FHooks.begin(), FHooks.end());
    QPointer<TControlHook> Self(this);
    for (auto It = Snapshot.rbegin(); It != Snapshot.rend() && !Handled; ++It) {
        TWindowHook* H = It->data();
        if (!Self || !H || H->FControlHook != this) continue;
        try {
            if (After)
                H->FireAfterMessage(Msg, Handled);
            else
                H->FireBeforeMessage(Msg, Handled);
        } catch (...) {
            HandleException();
        }
    }
}

bool TControlHook::Deliver(QEvent* Event, bool& Result) {
    if (!FInstalled || FHooks.empty() || FDestroying || !FControl) return false;
    QPointer<TControlHook> Self(this);
    QPointer<QWidget> Control(FControl);
    bool Handled = false;
    NotifyHooks(false, Event, Handled);
    if (!Control) {
        // A handler destroyed the widget: there is no one left to deliver to.
        Result = true;
        return true;
    }
    if (Event->type() == QEvent::DeferredDelete) return false; // the widget goes now
    if (Handled && !AlwaysDelivered(Event)) {
        Result = true;
        return true;
    }
    QCoreApplication* App = QCoreApplication::instance();
    if (!Self || !App || !HasAfterHooks()) return false;
    // The delivery the event system would make next, then the after-hooks.
    Result = App->notify(Control, Event);
    Handled = false;
    if (Self && Control) NotifyHooks(true, Event, Handled);
    return true;
}

// ---- TWindowHook -----------------------------------------------------------------------------

TWindowHook::TWindowHook(QObject* AOwner) : QObject(AOwner) {}

TWindowHook::~TWindowHook() {
    // A control hook left without hooks is released, as when the hook moves to another widget.
    TControlHook* Old = LeaveControlHook();
    if (Old && Old->Hooks().empty() && TheHookList) TheHookList->PostRelease(Old);
    disconnect(FTargetGone);
}

QWidget* TWindowHook::WinControl() const {
    return FControlHook ? FControlHook->Control() : FTarget.data();
}

void TWindowHook::SetActive(bool Value) {
    if (Value == FActive) return;
    if (Value)
        HookControl();
    else
        UnhookControl();
}

void TWindowHook::HookControl() {
    if (FTarget) GetHookList()->GetControlHook(FTarget)->AttachHook(this);
    FActive = true;
}

void TWindowHook::UnhookControl() {
    LeaveControlHook();
}

TControlHook* TWindowHook::LeaveControlHook() {
    TControlHook* Old = FControlHook;
    if (Old) Old->DetachHook(this);
    FActive = false;
    return Old;
}

void TWindowHook::SetWinControl(QWidget* Value) {
    if (Value != WinControl()) ChangeTarget(Value);
}

void TWindowHook::ChangeTarget(QWidget* Value) {
    const bool WasActive = FActive;
    TControlHook* Old = LeaveControlHook();
    FTarget = Value;
    disconnect(FTargetGone);
    if (Value)
        FTargetGone = connect(Value, &QObject::destroyed, this, [this] { ChangeTarget(nullptr); });
    if (Old && Old->Hooks().empty() && TheHookList) TheHookList->PostRelease(Old);
    if (WasActive) HookControl();
}

void TWindowHook::FireBeforeMessage(QEvent* Msg, bool& Handled) {
    if (BeforeMessage) BeforeMessage(this, Msg, Handled);
}

void TWindowHook::FireAfterMessage(QEvent* Msg, bool& Handled) {
    if (AfterMessage) AfterMessage(this, Msg, Handled);
}
