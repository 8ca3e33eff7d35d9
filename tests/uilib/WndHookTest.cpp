// Window hooks on real widgets of the offscreen platform: the order of before- and after-hooks
// around the widget's own handling, Handled, hooks that leave or go away in the middle of an
// event, moving a hook to another widget and re-creating the native window.
#include "UiLibTestSupport.h"

#include "platform/Exceptions.h"
#include "uilib/WndHook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

const QEvent::Type Ping = static_cast<QEvent::Type>(QEvent::User + 7);

// A widget that logs the pings it handles itself.
class TLoggingWidget : public QWidget {
public:
    explicit TLoggingWidget(std::vector<std::string>& Log) : FLog(Log) {}
    // Destroys the native window and makes a new one.
    void Recreate() {
        destroy();
        create();
    }

protected:
    bool event(QEvent* E) override {
        if (E->type() == Ping) {
            FLog.push_back("widget");
            return true;
        }
        return QWidget::event(E);
    }

private:
    std::vector<std::string>& FLog;
};

class WndHook : public ConfigHomeTest {
protected:
    void TearDown() override {
        FreeHookList();
        ConfigHomeTest::TearDown();
    }
    // A hook named Name on W logging its pings; Before/After say what its handlers do then.
    std::unique_ptr<TWindowHook> Hook(const std::string& Name, QWidget* W,
                                      std::function<void(bool&)> Before = {},
                                      std::function<void(bool&)> After = {}) {
        auto H = std::make_unique<TWindowHook>();
        H->BeforeMessage = [this, Name, Before](QObject*, QEvent* E, bool& Handled) {
            if (E->type() != Ping) return;
            Log.push_back(Name + " before");
            if (Before) Before(Handled);
        };
        H->AfterMessage = [this, Name, After](QObject*, QEvent* E, bool& Handled) {
            if (E->type() != Ping) return;
            Log.push_back(Name + " after");
            if (After) After(Handled);
        };
        H->SetWinControl(W);
        return H;
    }
    void Send(QWidget* W) {
        QEvent E(Ping);
        QCoreApplication::sendEvent(W, &E);
    }
    std::vector<std::string> Take() { return std::exchange(Log, {}); }

    std::vector<std::string> Log;
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(WndHook, NewestHookFirstBeforeAndAfterTheWidget) {
    TLoggingWidget W(Log);
    auto A = Hook("A", &W);
    auto B = Hook("B", &W);
    EXPECT_EQ(GetHookList()->Count(), 1); // one control hook for both
    Send(&W);
    EXPECT_EQ(Take(), (Lines{"B before", "A before", "widget", "B after", "A after"}));

    // A handler that throws is reported; the others and the widget still get the event.
    B->BeforeMessage = [](QObject*, QEvent* E, bool&) {
        if (E->type() == Ping) throw Exception("hook failed");
    };
    Send(&W);
    EXPECT_EQ(Take(), (Lines{"A before", "widget", "B after", "A after"}));
    EXPECT_EQ(Errors, (Lines{"hook failed"}));

    // Inactive hooks are out of the chain.
    A->SetActive(false);
    B->SetActive(false);
    Send(&W);
    EXPECT_EQ(Take(), (Lines{"widget"}));
}

TEST_F(WndHook, HandledStopsTheRest) {
    TLoggingWidget W(Log);
    auto A = Hook("A", &W);
    auto B = Hook("B", &W, [](bool& Handled) { Handled = true; });
    Send(&W);
    EXPECT_EQ(Take(), (Lines{"B before"}));
    // In the after pass it stops the older after-hooks only.
    B = Hook("B", &W, {}, [](bool& Handled) { Handled = true; });
    Send(&W);
    EXPECT_EQ(Take(), (Lines{"B before", "A before", "widget", "B after"}));
    // The toolkit's deferred delete reaches the widget whatever a hook says.
    auto* Doomed = new TLoggingWidget(Log);
    QPointer<QWidget> Guard(Doomed);
    auto C = Hook("C", Doomed);
    C->BeforeMessage = [](QObject*, QEvent*, bool& Handled) { Handled = true; };
    Doomed->deleteLater();
    ProcessEvents();
    EXPECT_TRUE(Guard.isNull());
    EXPECT_EQ(C->WinControl(), nullptr);
}

TEST_F(WndHook, HooksLeavingDuringAnEventAreNotCalledForIt) {
    TLoggingWidget Target(Log), Other(Log);
    auto A = Hook("A", &Target);
    std::unique_ptr<TWindowHook> C = Hook("C", &Target);
    // B moves A to another widget and frees C while the event is on its way.
    auto B = Hook("B", &Target, [&](bool&) {
        A->SetWinControl(&Other);
        C.reset();
    });
    Send(&Target);
    EXPECT_EQ(Take(), (Lines{"B before", "widget", "B after"}));
    // A hook that frees itself in its after-handler.
    std::unique_ptr<TWindowHook> D;
    D = Hook("D", &Target, {}, [&](bool&) { D.reset(); });
    Send(&Target);
    EXPECT_EQ(Take(), (Lines{"D before", "B before", "widget", "D after", "B after"}));
    EXPECT_EQ(D, nullptr);
    Send(&Other);
    EXPECT_EQ(Take(), (Lines{"A before", "widget", "A after"}));
}

TEST_F(WndHook, MovingTheLastHookAwayLeavesTheWidgetAsBefore) {
    TLoggingWidget A(Log), B(Log);
    auto H = Hook("H", &A);
    H->SetWinControl(&B);
    ProcessEvents(); // the emptied control hook of A goes on the next turn of the loop
    EXPECT_EQ(GetHookList()->FindControlHook(&A), nullptr);
    EXPECT_EQ(GetHookList()->Count(), 1);
    Send(&A);
    EXPECT_EQ(Take(), (Lines{"widget"}));
    Send(&B);
    EXPECT_EQ(Take(), (Lines{"H before", "widget", "H after"}));
    // A widget that goes away is forgotten; the hook stays usable.
    {
        TLoggingWidget Gone(Log);
        H->SetWinControl(&Gone);
    }
    EXPECT_EQ(H->WinControl(), nullptr);
    EXPECT_TRUE(H->Active());
    H->SetWinControl(&A);
    Send(&A);
    EXPECT_EQ(Take(), (Lines{"H before", "widget", "H after"}));
}

TEST_F(WndHook, ANewNativeWindowKeepsTheHooks) {
    TLoggingWidget W(Log);
    auto H = Hook("H", &W);
    W.show();
    ProcessEvents();
    const WId First = W.winId();
    W.Recreate();
    W.show();
    ProcessEvents();
    EXPECT_NE(W.winId(), First);
    Send(&W);
    EXPECT_EQ(Take(), (Lines{"H before", "widget", "H after"}));
}

TEST_F(WndHook, AHookedWidgetBehavesAsWithoutHooks) {
    // A list's viewport does its work in the scroll area's event filter, installed long before
    // any hook: wheel and paint reach it, and what the sender learns is the same, hooked or not.
    QListWidget List;
    for (int I = 0; I < 100; ++I)
        (new QListWidgetItem(QString::number(I), &List))->setBackground(Qt::red);
    List.resize(200, 120);
    List.show();
    ProcessEvents();
    QWidget* Viewport = List.viewport();
    struct TCounter : QObject {
        int Wheels = 0, Paints = 0;
        bool eventFilter(QObject*, QEvent* E) override {
            Wheels += E->type() == QEvent::Wheel;
            Paints += E->type() == QEvent::Paint;
            return false;
        }
    } Earlier;
    Viewport->installEventFilter(&Earlier);
    // What sending a wheel event returns, whether it was accepted, how far the list scrolled,
    // and the colour painted in the middle of the viewport.
    using TOutcome = std::tuple<bool, bool, int, QRgb>;
    auto Use = [&] {
        QScrollBar* Bar = List.verticalScrollBar();
        Bar->setValue(0);
        const QPointF At(20, 20);
        QWheelEvent Wheel(At, Viewport->mapToGlobal(At), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        const bool Result = QCoreApplication::sendEvent(Viewport, &Wheel);
        return TOutcome{Result, Wheel.isAccepted(), Bar->value(),
                        Viewport->grab().toImage().pixel(100, 50)};
    };
    const TOutcome Plain = Use();
    ASSERT_GT(std::get<2>(Plain), 0);
    ASSERT_EQ(std::get<3>(Plain), QColor(Qt::red).rgb());
    const int Wheels = Earlier.Wheels, Paints = Earlier.Paints;

    int ScrolledWhenAfter = -1;
    auto H = std::make_unique<TWindowHook>();
    H->BeforeMessage = [](QObject*, QEvent*, bool&) {};
    H->AfterMessage = [&](QObject*, QEvent* E, bool&) {
        if (E->type() == QEvent::Wheel) ScrolledWhenAfter = List.verticalScrollBar()->value();
    };
    H->SetWinControl(Viewport);
    EXPECT_EQ(Use(), Plain);
    EXPECT_EQ(Earlier.Wheels, 2 * Wheels);
    EXPECT_EQ(Earlier.Paints, 2 * Paints);
    EXPECT_EQ(ScrolledWhenAfter, std::get<2>(Plain)); // the after-hook runs once it scrolled
}
