// The shaped hint window on the offscreen platform (one 1024x768 screen): the composed image
// pixel by pixel, the window for long texts, and the application filter that shows it for the
// toolkit's tool-tip events.
#include "UiLibTestSupport.h"

#include "uilib/Forms.h"
#include "uilib/HintFilter.h"
#include "uilib/ShapedHints.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QToolBar>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

const THintStyleValues ProgramStyle{hsRoundRect, 2, true, taCenter};

THintColors TestColors() {
    return {Qt::yellow, Qt::black, Qt::blue, Qt::lightGray, Qt::darkGreen, Qt::white, Qt::red};
}

// The worked example (a 100x13 text) placed with room above the cursor: tail down-left.
THintShape PlacedExample(const THintStyleValues& Style) {
    THintShape S;
    CalcHintRect(100, 13, Style, S);
    PlaceHint(S, {500, 416}, {500, 400}, {0, 0, 1024, 768}, Style);
    return S;
}

QColor At(const QImage& I, int X, int Y) {
    return I.pixelColor(X, Y);
}

// A form with a toolbar holding one action.
class TfmHinted : public TCustomForm {
    Q_OBJECT

public:
    explicit TfmHinted(const QString& Hint) {
        auto* Bar = addToolBar(QStringLiteral("ToolBar"));
        Action = Bar->addAction(QStringLiteral("Open"));
        Action->setToolTip(Hint);
        Button = Bar->widgetForAction(Action);
        resize(300, 200);
        move(300, 300);
    }
    ~TfmHinted() override { BeforeDestruction(); }

    QAction* Action;
    QWidget* Button;
};

class ShapedHints : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        SetHintStyle(1, 2, true, taCenter);
    }
    void TearDown() override {
        RemoveHintWindowClass();
        SetHintStyle(0, 0, false, taLeftJustify);
        RemoveHintWindowClass();
        ConfigHomeTest::TearDown();
    }
    // What the toolkit sends when the mouse rests on W.
    static void RestMouseOn(QWidget* W) {
        const QPoint Local(W->width() / 2, W->height() / 2);
        QHelpEvent E(QEvent::ToolTip, Local, W->mapToGlobal(Local));
        QApplication::sendEvent(W, &E);
    }
    static TShapedHintWindow* HintWindow() {
        return THintFilter::Instance() ? THintFilter::Instance()->HintWindow() : nullptr;
    }
    static bool HintShown() { return HintWindow() && HintWindow()->isVisible(); }
};

} // namespace

TEST(ComposeHint, ShadowBodyFrameAndTailOverTheBackground) {
    const THintShape S = PlacedExample(ProgramStyle);
    QImage Background(S.Width, S.Height, QImage::Format_ARGB32_Premultiplied);
    Background.fill(Qt::magenta);
    const THintColors C = TestColors();
    const QImage I = ComposeHint(S, ProgramStyle, Background, QString(), QFont(), C);
    ASSERT_EQ(I.size(), QSize(118, 35));

    EXPECT_EQ(At(I, 117, 0), QColor(Qt::magenta)); // beside the body, above its shadow
    EXPECT_EQ(At(I, 3, 20), QColor(Qt::magenta));  // left of the tail
    EXPECT_EQ(At(I, 60, 10), C.Body);
    EXPECT_EQ(At(I, 6, 10), C.Frame); // the body's left edge
    EXPECT_EQ(At(I, 60, 0), C.Frame);
    // The shadow, 2 pixels right and down, dithered pixel by pixel.
    EXPECT_EQ(At(I, 117, 10), C.ShadowFore);
    EXPECT_EQ(At(I, 117, 11), C.ShadowBack);
    EXPECT_EQ(At(I, 61, 20), C.ShadowFore);
    // The tail: body colour inside, framed on its edges, pointing at the bottom-left corner.
    EXPECT_EQ(At(I, 12, 22), C.Body);
    bool FrameNearTip = false;
    for (int Y = 29; Y < 34; ++Y)
        for (int X = 0; X < 5; ++X)
            FrameNearTip = FrameNearTip || At(I, X, Y) == C.Frame;
    EXPECT_TRUE(FrameNearTip);
    // The frame runs round the union: where the tail meets the body there is none.
    EXPECT_EQ(At(I, 15, 18), C.Body);
    EXPECT_EQ(At(I, 30, 18), C.Frame);

    // Without a copy of the screen the outside stays transparent (the window is masked).
    const QImage Bare = ComposeHint(S, ProgramStyle, QImage(), QString(), QFont(), C);
    EXPECT_EQ(qAlpha(Bare.pixel(117, 0)), 0);
    EXPECT_EQ(At(Bare, 60, 10), C.Body);
}

TEST(ComposeHint, PlainStyleIgnoresTheBackgroundAndHasARaisedEdge) {
    const THintStyleValues Plain{hsRectangle, 0, false, taLeftJustify};
    const THintShape S = PlacedExample(Plain);
    QImage Background(S.Width, S.Height, QImage::Format_ARGB32_Premultiplied);
    Background.fill(Qt::magenta);
    const THintColors C = TestColors();
    const QImage I = ComposeHint(S, Plain, Background, QString(), QFont(), C);
    EXPECT_EQ(At(I, 0, 0), C.EdgeLight);
    EXPECT_EQ(At(I, S.Width - 1, S.Height - 1), C.EdgeDark);
    EXPECT_EQ(At(I, 50, 8), C.Body);
    // A shadow alone makes the frame, not the edge.
    const THintStyleValues Shadowed{hsRectangle, 2, false, taLeftJustify};
    const THintShape S2 = PlacedExample(Shadowed);
    const QImage I2 = ComposeHint(S2, Shadowed, Background, QString(), QFont(), C);
    EXPECT_EQ(At(I2, 0, 0), C.Frame);
    EXPECT_EQ(At(I2, S2.Width - 1, S2.Height - 1), C.ShadowFore);
}

TEST_F(ShapedHints, LongTextIsWrappedToAWindowOnTheScreen) {
    TShapedHintWindow W;
    QString Long;
    for (int I = 0; I < 400; ++I)
        Long += QStringLiteral("word%1 ").arg(I);
    W.ActivateHint({1000, 700, 1000, 700}, Long, {1000, 690});
    ProcessEvents();
    const QRect G = W.geometry();
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(G))
        << G.x() << "," << G.y() << " " << G.width() << "x" << G.height();
    EXPECT_GT(G.height(), 50); // wrapped into several lines
    EXPECT_EQ(W.Hint(), Long);
}

TEST_F(ShapedHints, ToolTipOfAnActionShowsItsShortHint) {
    TfmHinted F(QStringLiteral("Open catalog|Opens a catalog file"));
    F.show();
    ProcessEvents();
    RestMouseOn(F.Button);
    ASSERT_TRUE(HintShown());
    EXPECT_EQ(HintWindow()->Hint(), QStringLiteral("Open catalog"));
    EXPECT_EQ(THintFilter::Instance()->HintControl(), F.Button);
    EXPECT_FALSE(QToolTip::isVisible());
    // Above the cursor, with the tail pointing down at it.
    const QPoint Cursor =
        F.Button->mapToGlobal(QPoint(F.Button->width() / 2, F.Button->height() / 2));
    const QRect G = HintWindow()->geometry();
    EXPECT_LT(G.y() + G.height(), Cursor.y());
    EXPECT_EQ(HintWindow()->Shape().TailCorner, tcBottomLeft);

    // Leaving the button takes the hint away; a click keeps it away while the mouse stays.
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(F.Button, &Leave);
    EXPECT_FALSE(HintShown());
    RestMouseOn(F.Button);
    ASSERT_TRUE(HintShown());
    QMouseEvent Press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(Cursor), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(F.Button, &Press);
    EXPECT_FALSE(HintShown());
    RestMouseOn(F.Button);
    EXPECT_FALSE(HintShown());
}

TEST_F(ShapedHints, FormWithHintsOffShowsNone) {
    TfmHinted F(QStringLiteral("Find|Finds items"));
    SetShowHint(&F, false);
    F.show();
    ProcessEvents();
    RestMouseOn(F.Button);
    EXPECT_FALSE(HintShown());
    EXPECT_FALSE(QToolTip::isVisible()); // nor the toolkit's own
    // A form with hints on beside it still shows them.
    TfmHinted G(QStringLiteral("Find"));
    G.show();
    ProcessEvents();
    RestMouseOn(G.Button);
    ASSERT_TRUE(HintShown());
    EXPECT_EQ(HintWindow()->Hint(), QStringLiteral("Find"));
}

#include "ShapedHintsTest.moc"
