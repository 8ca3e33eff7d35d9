// TThread: a worker thread with the class library's contract.
//
// - A thread is created suspended; the creator sets its fields and OnTerminate, then Resume()
//   starts it. No thread starts itself from a constructor.
// - Terminate() only sets a flag that Execute polls through Terminated().
// - Synchronize(Method) runs Method on the UI thread (the thread that started the program) and
//   blocks the worker until it has run. An exception inside Method is caught on the UI thread and
//   raised again in the worker; nothing is thrown through the event loop.
// - The UI thread serves synchronous calls from its event loop when a QCoreApplication exists
//   (nested modal loops included), from WaitFor, and from CheckSynchronize(). WaitFor serves only
//   synchronous calls while it waits, also when it is itself called inside a synchronous call.
// - OnTerminate runs exactly once, on the UI thread, after Execute has returned.
// - FreeOnTerminate: the thread deletes itself after OnTerminate, on its own thread. WaitFor on
//   such a thread returns only after the object is fully destroyed (so a destructor that removes
//   the thread from a list has done so); the caller must not touch the object afterwards.
//   A thread without FreeOnTerminate is deleted by its one owner; deleting a running thread
//   terminates it and waits (subclasses that own data Execute uses must stop it in their own
//   destructor first, see StopAndWait).
// - Priorities are nice values of the worker's own kernel thread ("lowest" is nice 10, "idle"
//   nice 19); never a real-time or SCHED_IDLE class.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // The first call starts the thread (std::system_error when no thread can be made; the object
    // then stays never started); later calls lift a Suspend().
    void Resume();
    // Pauses the worker at its next CheckSuspended(); the type of pause the workers here need.
    void Suspend();
    bool Suspended() const;
    bool Started() const { return FStarted; }

    void Terminate();
    bool Terminated() const;
    // Waits for the end of the thread; on the UI thread synchronous calls are served meanwhile.
    // Returns ReturnValue. Calling it on a thread that was never started returns at once.
    int WaitFor();
    bool Finished() const;
    // Terminate() then WaitFor(), when the thread runs.
    void StopAndWait();

    void Synchronize(const std::function<void()>& Method);

    void SetPriority(TThreadPriority P);
    TThreadPriority Priority() const { return FPriority; }

    bool FreeOnTerminate = false;
    std::function<void(TThread*)> OnTerminate;
    int ReturnValue() const;
    void SetReturnValue(int V);
    std::exception_ptr FatalException() const { return FFatalException; }

protected:
    virtual void Execute() = 0;
    // Runs OnTerminate; called on the UI thread.
    virtual void DoTerminate();
    // Blocks while the thread is suspended; returns at once when terminated.
    void CheckSuspended();

private:
    struct Control;
    static void ThreadProc(TThread* Self, std::shared_ptr<Control> C);
    void ApplyPriority();

    std::shared_ptr<Control> FControl;
    std::thread FThread;
    bool FStarted = false;
    TThreadPriority FPriority = tpNormal;
    std::exception_ptr FFatalException;
};

// Serves every pending synchronous call on the UI thread; returns true when any ran. Waits up to
// TimeoutMs for a first call when none is pending. Only on the UI thread.
bool CheckSynchronize(int TimeoutMs = 0);
// Runs Method on the UI thread from any thread, blocking until it has run (directly when called
// on the UI thread).
void SynchronizeCall(const std::function<void()>& Method);
// Hands Method to the UI thread and returns at once: it runs there in order with the synchronous
// calls of every thread (before any call made after it), wherever the UI thread serves them.
// Method must catch what it raises. Called on the UI thread, it runs at once.
void QueueCall(std::function<void()> Method);
bool IsMainThread();
// Makes the calling thread the UI thread (the program's main thread is by default).
void SetMainThread();
// Runs Fn on a helper thread with a stack of StackBytes and waits for it, so that deep recursion
// (a catalog nested thousands of levels) does not depend on the caller's stack limit. While Fn
// runs, the helper stands in for the calling thread: when that is the UI thread, the helper is
// the UI thread meanwhile. An exception of Fn is raised again in the caller. When no thread can
// be made, Fn does not run: EThread is raised at the thread limit, EOutOfMemory when there is
// no room for the stack.
void RunWithStack(size_t StackBytes, const std::function<void()>& Fn);

// Gives the calling thread the priority P (a nice value of its own, as TThread's priorities):
// helpers of a worker run at the worker's priority.
void SetCurrentThreadPriority(TThreadPriority P);

// A plain joinable thread with a stack of StackBytes, for helpers that share a job with the
// thread that made them (not TThread's contract: no Synchronize, no OnTerminate). Fn must catch
// what it raises and hand failures on as values; an exception that escapes it anyway ends the
// program. Started() is false when no thread could be made (the caller then does the work
// itself); the destructor waits for the end of the thread.
class TStackThread {
public:
    TStackThread(size_t StackBytes, std::function<void()> Fn);
    ~TStackThread() { Join(); }
    TStackThread(const TStackThread&) = delete;
    TStackThread& operator=(const TStackThread&) = delete;
    bool Started() const { return FStarted; }
    void Join();

private:
    static void* Proc(void* Self);
    std::function<void()> FFn;
    unsigned long FHandle = 0; // pthread_t
    bool FStarted = false;
};

// A mutex for short sections that several busy threads take often (the bookkeeping of a walk's
// readers): a thread that finds it taken spins a little before it sleeps, so a wait shorter than
// a sleep costs no switch of threads. A BasicLockable; use it with std::condition_variable_any.
class TBusyMutex {
public:
    TBusyMutex();
    ~TBusyMutex();
    TBusyMutex(const TBusyMutex&) = delete;
    TBusyMutex& operator=(const TBusyMutex&) = delete;
    void lock();
    void unlock();

private:
    alignas(64) unsigned char FMutex[64]; // a pthread_mutex_t
};
