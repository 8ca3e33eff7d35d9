// Worker threads under a running event loop: synchronous calls are served by the loop itself,
// also by a nested modal loop, with no WaitFor or CheckSynchronize in sight.
#include "platform/Thread.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>

namespace {

class TCounter : public TThread {
public:
    std::atomic<int> Calls{0};
    int Target = 20;

protected:
    void Execute() override {
        for (int I = 0; I < Target && !Terminated(); ++I)
            Synchronize([this] { ++Calls; });
    }
};

} // namespace

TEST(EventLoopThreads, TheEventLoopServesSynchronousCalls) {
    TCounter T;
    QEventLoop Loop;
    bool Ended = false;
    T.OnTerminate = [&](TThread*) {
        Ended = true;
        Loop.quit();
    };
    QTimer::singleShot(10000, &Loop, &QEventLoop::quit); // a guard, never reached when it works
    T.Resume();
    Loop.exec();
    EXPECT_TRUE(Ended);
    EXPECT_EQ(T.Calls, 20);
    T.WaitFor();
}

TEST(EventLoopThreads, ANestedLoopInsideACallServesAnotherThread) {
    TCounter Inner;
    bool InnerEnded = false;
    struct TOuter : TThread {
        std::function<void()> Body;
        void Execute() override { Synchronize(Body); }
    } Outer;
    Outer.Body = [&] {
        // Like a message box opened by a synchronous call: a modal loop runs here.
        QEventLoop Modal;
        Inner.OnTerminate = [&](TThread*) {
            InnerEnded = true;
            Modal.quit();
        };
        QTimer::singleShot(10000, &Modal, &QEventLoop::quit);
        Inner.Resume();
        Modal.exec();
    };
    Outer.Resume();
    Outer.WaitFor();
    EXPECT_TRUE(InnerEnded);
    EXPECT_EQ(Inner.Calls, 20);
    Inner.WaitFor();
}
