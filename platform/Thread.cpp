#include "Thread.h"

#include "Exceptions.h"
#include "Format.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::thread::id& MainId() {
    static std::thread::id Id = std::this_thread::get_id();
    return Id;
}
// The static initialiser runs on the program's main thread.
const std::thread::id GInitMainId = MainId();

struct SyncRequest {
    std::function<void()> Method;
    std::exception_ptr Error;
    bool Done = false;
    bool Queued = false; // nobody waits for it: the queue owns it and frees it once it has run
    std::condition_variable Cv;
};

// One queue of synchronous calls for the whole program. Its mutex also guards the thread
// control blocks, and its condition variable wakes the UI thread for a new call or a thread end.
struct SyncQueue {
    std::mutex M;
    std::condition_variable Wake;
    std::deque<SyncRequest*> Pending;
    bool EventPosted = false;
};

SyncQueue& Queue() {
    static SyncQueue* Q = new SyncQueue; // never destroyed: workers may outlive static teardown
    return *Q;
}

void PostWakeEvent(std::unique_lock<std::mutex>& Lock) {
    SyncQueue& Q = Queue();
    if (Q.EventPosted) return;
    QCoreApplication* App = QCoreApplication::instance();
    if (!App) return;
    Q.EventPosted = true;
    Lock.unlock();
    QMetaObject::invokeMethod(
        App,
        [] {
            {
                std::lock_guard<std::mutex> G(Queue().M);
                Queue().EventPosted = false;
            }
            CheckSynchronize();
        },
        Qt::QueuedConnection);
    Lock.lock();
}

// Runs one pending call; the lock is held on entry and on return.
bool ServeOne(std::unique_lock<std::mutex>& Lock) {
    SyncQueue& Q = Queue();
    if (Q.Pending.empty()) return false;
    SyncRequest* R = Q.Pending.front();
    Q.Pending.pop_front();
    Lock.unlock();
    try {
        R->Method();
    } catch (...) {
        R->Error = std::current_exception();
    }
    if (R->Queued) {
        delete R;
        Lock.lock();
        return true;
    }
    Lock.lock();
    R->Done = true;
    R->Cv.notify_all();
    return true;
}

} // namespace

struct TThread::Control {
    std::atomic<bool> Terminated{false};
    bool Suspended = false; // guarded by the queue mutex
    bool Finished = false;  // guarded by the queue mutex: Execute ended and, for a self-freeing
                            // thread, the object is gone
    std::atomic<int> ReturnValue{0};
    std::condition_variable ResumeCv;
};

namespace {
// Set on a thread that stands in for the UI thread while the UI thread waits for it
// (RunWithStack). A flag of the thread's own, never a change of MainId: a stand-in's id may be
// given to a new thread as soon as it ends, which must not then take itself for the UI thread.
thread_local bool GStandsInForMain = false;
} // namespace

bool IsMainThread() {
    return GStandsInForMain || std::this_thread::get_id() == MainId();
}

void SetMainThread() {
    MainId() = std::this_thread::get_id();
}

namespace {
struct TStackRun {
    const std::function<void()>* Fn;
    bool ActAsMain;
    std::exception_ptr Error;
};

void* StackRunProc(void* P) {
    auto* R = static_cast<TStackRun*>(P);
    GStandsInForMain = R->ActAsMain;
    try {
        (*R->Fn)();
    } catch (...) {
        R->Error = std::current_exception();
    }
    return nullptr;
}

// Starts Proc(Arg) on a thread whose stack is StackBytes; 0, or the error that refused it.
int CreateThread(pthread_t& T, size_t StackBytes, void* (*Proc)(void*), void* Arg) {
    pthread_attr_t Attr;
    int Err = pthread_attr_init(&Attr);
    if (Err != 0) return Err;
    Err = pthread_attr_setstacksize(&Attr, StackBytes);
    if (Err == 0) Err = pthread_create(&T, &Attr, Proc, Arg);
    pthread_attr_destroy(&Attr);
    return Err;
}

// Raises EThread or EOutOfMemory for a thread of StackBytes that pthread_create refused with
// Err, whichever of the two is missing.
[[noreturn]] void RaiseThreadCreateError(int Err, size_t StackBytes) {
    // pthread_create answers EAGAIN both at the user's thread limit and when the stack cannot be
    // mapped: a mapping of the same size tells which of the two is missing.
    void* P = ::mmap(nullptr, StackBytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (P == MAP_FAILED) throw EOutOfMemory(SysConsts::SOutOfMemory);
    ::munmap(P, StackBytes);
    throw EThread(Format(SysConsts::SThreadCreateError, {std::strerror(Err)}));
}
} // namespace

void RunWithStack(size_t StackBytes, const std::function<void()>& Fn) {
    TStackRun Run{&Fn, IsMainThread(), nullptr};
    pthread_t T;
    // Running Fn here instead would overflow the very stack it was meant to spare.
    if (int Err = CreateThread(T, StackBytes, &StackRunProc, &Run))
        RaiseThreadCreateError(Err, StackBytes);
    pthread_join(T, nullptr);
    if (Run.Error) std::rethrow_exception(Run.Error);
}

TStackThread::TStackThread(size_t StackBytes, std::function<void()> Fn) : FFn(std::move(Fn)) {
    static_assert(sizeof(pthread_t) == sizeof(FHandle));
    pthread_t T;
    FStarted = CreateThread(T, StackBytes, &TStackThread::Proc, this) == 0;
    if (FStarted) FHandle = static_cast<unsigned long>(T);
}

void* TStackThread::Proc(void* Self) {
    static_cast<TStackThread*>(Self)->FFn();
    return nullptr;
}

void TStackThread::Join() {
    if (!FStarted) return;
    pthread_join(static_cast<pthread_t>(FHandle), nullptr);
    FStarted = false;
}

bool CheckSynchronize(int TimeoutMs) {
    SyncQueue& Q = Queue();
    std::unique_lock<std::mutex> Lock(Q.M);
    if (Q.Pending.empty() && TimeoutMs > 0)
        Q.Wake.wait_for(Lock, std::chrono::milliseconds(TimeoutMs),
                        [&] { return !Q.Pending.empty(); });
    bool Any = false;
    while (ServeOne(Lock))
        Any = true;
    return Any;
}

void SynchronizeCall(const std::function<void()>& Method) {
    if (IsMainThread()) {
        Method();
        return;
    }
    SyncQueue& Q = Queue();
    SyncRequest R;
    R.Method = Method;
    std::unique_lock<std::mutex> Lock(Q.M);
    Q.Pending.push_back(&R);
    Q.Wake.notify_all();
    PostWakeEvent(Lock);
    R.Cv.wait(Lock, [&] { return R.Done; });
    Lock.unlock();
    if (R.Error) std::rethrow_exception(R.Error);
}

void QueueCall(std::function<void()> Method) {
    if (IsMainThread()) {
        try {
            Method();
        } catch (...) {
        }
        return;
    }
    auto* R = new SyncRequest;
    R->Method = std::move(Method);
    R->Queued = true;
    SyncQueue& Q = Queue();
    std::unique_lock<std::mutex> Lock(Q.M);
    Q.Pending.push_back(R);
    Q.Wake.notify_all();
    PostWakeEvent(Lock);
}

namespace {
const int GNiceOf[] = {19, 10, 5, 0, -5, -10, -15};
} // namespace

void SetCurrentThreadPriority(TThreadPriority P) {
    pid_t Tid = static_cast<pid_t>(::syscall(SYS_gettid));
    // Raising the priority needs privileges; a refusal leaves the thread as it is.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(Tid), GNiceOf[P]);
}

TThread::TThread() : FControl(std::make_shared<Control>()) {}

TThread::~TThread() {
    if (FThread.joinable()) {
        if (FThread.get_id() == std::this_thread::get_id()) {
            // A self-freeing thread ends here; ThreadProc marks it finished afterwards.
            FThread.detach();
        } else {
            FControl->Terminated = true;
            Resume();
            WaitFor();
            FThread.join();
        }
    }
}

void TThread::Resume() {
    SyncQueue& Q = Queue();
    if (!FStarted) {
        // A thread that cannot be made raises std::system_error and stays never started.
        FThread = std::thread(&TThread::ThreadProc, this, FControl);
        FStarted = true;
        return;
    }
    std::lock_guard<std::mutex> G(Q.M);
    FControl->Suspended = false;
    FControl->ResumeCv.notify_all();
}

void TThread::Suspend() {
    std::lock_guard<std::mutex> G(Queue().M);
    FControl->Suspended = true;
}

bool TThread::Suspended() const {
    std::lock_guard<std::mutex> G(Queue().M);
    return FControl->Suspended;
}

void TThread::CheckSuspended() {
    std::unique_lock<std::mutex> Lock(Queue().M);
    FControl->ResumeCv.wait(Lock, [&] { return !FControl->Suspended || FControl->Terminated; });
}

void TThread::Terminate() {
    FControl->Terminated = true;
    std::lock_guard<std::mutex> G(Queue().M);
    FControl->ResumeCv.notify_all();
}

bool TThread::Terminated() const {
    return FControl->Terminated;
}

bool TThread::Finished() const {
    std::lock_guard<std::mutex> G(Queue().M);
    return FControl->Finished;
}

int TThread::ReturnValue() const {
    return FControl->ReturnValue;
}
void TThread::SetReturnValue(int V) {
    FControl->ReturnValue = V;
}

int TThread::WaitFor() {
    if (!FStarted) return FControl->ReturnValue;
    // Only the control block is used from here on: a self-freeing thread may be deleted while
    // this waits.
    std::shared_ptr<Control> C = FControl;
    SyncQueue& Q = Queue();
    std::unique_lock<std::mutex> Lock(Q.M);
    if (IsMainThread()) {
        while (!C->Finished) {
            if (!ServeOne(Lock)) Q.Wake.wait(Lock);
        }
    } else {
        Q.Wake.wait(Lock, [&] { return C->Finished; });
    }
    return C->ReturnValue;
}

void TThread::StopAndWait() {
    if (!FStarted) return;
    Terminate();
    WaitFor();
}

void TThread::Synchronize(const std::function<void()>& Method) {
    SynchronizeCall(Method);
}

void TThread::DoTerminate() {
    if (OnTerminate) OnTerminate(this);
}

void TThread::SetPriority(TThreadPriority P) {
    FPriority = P;
    if (FStarted && FThread.joinable() && FThread.get_id() == std::this_thread::get_id())
        ApplyPriority();
}

void TThread::ApplyPriority() {
    SetCurrentThreadPriority(FPriority);
}

void TThread::ThreadProc(TThread* Self, std::shared_ptr<Control> C) {
    Self->ApplyPriority();
    try {
        Self->CheckSuspended();
        Self->Execute();
    } catch (...) {
        Self->FFatalException = std::current_exception();
    }
    try {
        SynchronizeCall([Self] { Self->DoTerminate(); });
    } catch (...) {
    }
    if (Self->FreeOnTerminate) {
        try {
            delete Self;
        } catch (...) {
        }
    }
    SyncQueue& Q = Queue();
    std::lock_guard<std::mutex> G(Q.M);
    C->Finished = true;
    Q.Wake.notify_all();
}

static_assert(sizeof(pthread_mutex_t) <= 64);

TBusyMutex::TBusyMutex() {
    pthread_mutexattr_t A;
    pthread_mutexattr_init(&A);
    pthread_mutexattr_settype(&A, PTHREAD_MUTEX_ADAPTIVE_NP);
    pthread_mutex_init(reinterpret_cast<pthread_mutex_t*>(FMutex), &A);
    pthread_mutexattr_destroy(&A);
}

TBusyMutex::~TBusyMutex() {
    pthread_mutex_destroy(reinterpret_cast<pthread_mutex_t*>(FMutex));
}

void TBusyMutex::lock() {
    pthread_mutex_lock(reinterpret_cast<pthread_mutex_t*>(FMutex));
}

void TBusyMutex::unlock() {
    pthread_mutex_unlock(reinterpret_cast<pthread_mutex_t*>(FMutex));
}
