#include "platform/Thread.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <sys/resource.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A worker made of a function, for tests.
class TFnThread : public TThread {
public:
    explicit TFnThread(std::function<void(TFnThread&)> Fn) : FFn(std::move(Fn)) {}
    ~TFnThread() override { StopAndWait(); }
    using TThread::CheckSuspended;

protected:
    void Execute() override { FFn(*this); }

private:
    std::function<void(TFnThread&)> FFn;
};

} // namespace

TEST(Thread, SynchronousCallsRunOnTheUiThreadDuringWaitFor) {
    std::vector<std::thread::id> Seen;
    TFnThread T([&](TFnThread& Self) {
        for (int I = 0; I < 50; ++I)
            Self.Synchronize([&] { Seen.push_back(std::this_thread::get_id()); });
        Self.SetReturnValue(7);
    });
    int Terminations = 0;
    T.OnTerminate = [&](TThread*) {
        EXPECT_TRUE(IsMainThread());
        ++Terminations;
    };
    T.Resume();
    EXPECT_EQ(T.WaitFor(), 7);
    ASSERT_EQ(Seen.size(), 50u);
    for (auto Id : Seen)
        EXPECT_EQ(Id, std::this_thread::get_id());
    EXPECT_EQ(Terminations, 1);
    EXPECT_TRUE(T.Finished());
    EXPECT_EQ(T.WaitFor(), 7); // waiting again returns at once
    EXPECT_EQ(Terminations, 1);
}

TEST(Thread, ExceptionInASynchronousCallIsRaisedInTheWorker) {
    std::string Caught;
    TFnThread T([&](TFnThread& Self) {
        try {
            Self.Synchronize([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error& E) {
            Caught = E.what();
        }
        Self.Synchronize([] { throw std::logic_error("escapes"); });
    });
    T.Resume();
    T.WaitFor();
    EXPECT_EQ(Caught, "boom");
    ASSERT_TRUE(T.FatalException());
    EXPECT_THROW(std::rethrow_exception(T.FatalException()), std::logic_error);
}

TEST(Thread, WaitInsideASynchronousCallServesTheOtherThread) {
    std::atomic<int> InnerCalls{0};
    TFnThread Inner([&](TFnThread& Self) {
        for (int I = 0; I < 10; ++I)
            Self.Synchronize([&] { ++InnerCalls; });
    });
    bool OuterDone = false;
    TFnThread Outer([&](TFnThread& Self) {
        Self.Synchronize([&] {
            // On the UI thread, inside a call of Outer: start and wait for Inner.
            Inner.Resume();
            Inner.WaitFor();
            OuterDone = true;
        });
    });
    Outer.Resume();
    Outer.WaitFor();
    EXPECT_TRUE(OuterDone);
    EXPECT_EQ(InnerCalls, 10);
}

TEST(Thread, TerminateReachesAThreadBlockedInACall) {
    std::atomic<bool> InCall{false};
    int Steps = 0;
    TFnThread T([&](TFnThread& Self) {
        while (!Self.Terminated()) {
            InCall = true;
            Self.Synchronize([&] { ++Steps; });
        }
    });
    T.Resume();
    while (!InCall)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The worker now waits in a call that only this thread can serve.
    T.Terminate();
    T.WaitFor();
    EXPECT_GE(Steps, 1);
}

TEST(Thread, SelfFreeingThreadIsGoneWhenWaitForReturns) {
    static std::atomic<int> Alive{0};
    struct TSelfFree : TThread {
        std::vector<TThread*>* Registry;
        explicit TSelfFree(std::vector<TThread*>* R) : Registry(R) {
            ++Alive;
            Registry->push_back(this);
        }
        ~TSelfFree() override {
            // Like a scan thread leaving the list of running scans, on the UI thread.
            Synchronize([this] { std::erase(*Registry, this); });
            --Alive;
        }
        void Execute() override {
            while (!Terminated())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    std::vector<TThread*> Running;
    for (int I = 0; I < 3; ++I) {
        auto* T = new TSelfFree(&Running);
        T->FreeOnTerminate = true;
        T->Resume();
    }
    int Terminated = 0;
    for (TThread* T : Running)
        T->OnTerminate = [&](TThread*) { ++Terminated; };
    // The main window's loop: take the last running thread, stop it, wait, repeat.
    while (!Running.empty()) {
        TThread* Last = Running.back();
        Last->Terminate();
        Last->WaitFor();
        EXPECT_TRUE(Running.empty() || Running.back() != Last);
    }
    EXPECT_EQ(Alive, 0);
    EXPECT_EQ(Terminated, 3);
}

TEST(Thread, SelfFreeingThreadEndsOnItsOwnWithCheckSynchronize) {
    // Static for the destructor; each run of the test (--gtest_repeat) starts it afresh, or a
    // later run would not wait and leave its thread to end after the test's locals are gone.
    static std::atomic<bool> Destroyed;
    Destroyed = false;
    struct TShort : TThread {
        ~TShort() override { Destroyed = true; }
        void Execute() override {
            Synchronize([] {});
        }
    };
    auto* T = new TShort;
    T->FreeOnTerminate = true;
    bool Ended = false;
    T->OnTerminate = [&](TThread*) { Ended = true; };
    T->Resume();
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Destroyed && std::chrono::steady_clock::now() < Deadline)
        CheckSynchronize(10);
    EXPECT_TRUE(Ended);
    EXPECT_TRUE(Destroyed);
}

TEST(Thread, SuspendPausesAtTheNextCheck) {
    std::atomic<int> Rounds{0};
    TFnThread T([&](TFnThread& Self) {
        while (!Self.Terminated()) {
            Self.CheckSuspended();
            ++Rounds;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    T.Resume();
    while (Rounds < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    T.Suspend();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int Frozen = Rounds;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_LE(Rounds - Frozen, 1);
    EXPECT_TRUE(T.Suspended());
    // A suspended thread can still be stopped.
    T.Terminate();
    T.WaitFor();
    EXPECT_TRUE(T.Finished());
}

TEST(Thread, NeverStartedThreadIsSimplyDeleted) {
    auto* T = new TFnThread([](TFnThread&) { FAIL(); });
    EXPECT_EQ(T->WaitFor(), 0);
    delete T;
}

TEST(Thread, AThreadThatCannotStartStaysNeverStarted) {
    // As under a low `ulimit -u`: Resume raises, and the thread is one that never ran (WaitFor
    // returns at once; the alarm ends a wait for a thread that is not there).
    if (RunTestUnprivileged()) return;
    ScopedLimit Threads(RLIMIT_NPROC, 1);
    TFnThread T([](TFnThread&) { FAIL(); });
    EXPECT_THROW(T.Resume(), std::system_error);
    EXPECT_FALSE(T.Started());
    ::alarm(30);
    EXPECT_EQ(T.WaitFor(), 0);
    ::alarm(0);
}

TEST(Thread, SynchronizeOnTheUiThreadRunsDirectly) {
    int N = 0;
    SynchronizeCall([&] { ++N; });
    EXPECT_EQ(N, 1);
}
