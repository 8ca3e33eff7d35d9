// The shaped hint's size, placement and tail, from text extents alone (no font): the program's
// style (rounded, shadow 2, tail, centred) on a 1024x768 screen unless a case says otherwise.
#include "uilib/HintGeometry.h"

#include <gtest/gtest.h>

namespace {

constexpr THintStyleValues ProgramStyle{hsRoundRect, 2, true, taCenter};
constexpr TRect Screen{0, 0, 1024, 768};

// The window rectangle at its place for a 100x13 text, and the shape in it.
struct TPlaced {
    TRect Window;
    THintShape Shape;
};

TPlaced Place(TPoint Cursor, const THintStyleValues& Style = ProgramStyle, const TRect& On = Screen,
              int TextWidth = 100, int TextHeight = 13) {
    TPlaced R;
    CalcHintRect(TextWidth, TextHeight, Style, R.Shape);
    // The toolkit proposes the hint below the cursor.
    const TPoint P = PlaceHint(R.Shape, {Cursor.X, Cursor.Y + 16}, Cursor, On, Style);
    R.Window = {P.X, P.Y, P.X + R.Shape.Width, P.Y + R.Shape.Height};
    return R;
}

} // namespace

TEST(HintGeometry, ProgramStyleMeasuresAsWorkedOut) {
    THintShape S;
    EXPECT_EQ(CalcHintRect(100, 13, ProgramStyle, S), (TRect{-1, -1, 117, 34}));
    EXPECT_EQ(S.Width, 118);
    EXPECT_EQ(S.Height, 35);
    EXPECT_EQ(S.CornerSize, 6);
    EXPECT_EQ(S.BodyRect, (TRect{0, 0, 110, 19}));
    EXPECT_EQ(S.TextRect, (TRect{1, 2, 107, 17}));
    EXPECT_EQ(S.TailHeight, 14);
    EXPECT_EQ(S.TailWidth, 6);
}

TEST(HintGeometry, WithRoomTheHintSitsAboveRightOfTheCursorWithTheTailDownLeft) {
    const TPlaced P = Place({500, 400});
    EXPECT_EQ(P.Window, (TRect{501, 362, 619, 397}));
    EXPECT_EQ(P.Shape.TailCorner, tcBottomLeft);
    EXPECT_EQ(P.Shape.BodyRect, (TRect{6, 0, 116, 19}));
    EXPECT_EQ(P.Shape.TextRect, (TRect{7, 2, 113, 17}));
    using T = std::array<TPoint, 3>;
    EXPECT_EQ(TailTriangle(P.Shape, ProgramStyle, false), (T{{{0, 33}, {9, 17}, {23, 17}}}));
    EXPECT_EQ(TailTriangle(P.Shape, ProgramStyle, true), (T{{{2, 33}, {11, 19}, {25, 19}}}));
}

TEST(HintGeometry, EachScreenEdgeMovesTheHintAndItsTail) {
    // No room above: the proposed top below the cursor stays, the tail goes up.
    TPlaced P = Place({500, 20});
    EXPECT_EQ(P.Window, (TRect{501, 36, 619, 71}));
    EXPECT_EQ(P.Shape.TailCorner, tcTopLeft);
    EXPECT_EQ(P.Shape.BodyRect, (TRect{6, 14, 116, 33}));
    using T = std::array<TPoint, 3>;
    EXPECT_EQ(TailTriangle(P.Shape, ProgramStyle, false), (T{{{0, 0}, {9, 16}, {23, 16}}}));

    // Right edge: pushed left it would cover the cursor, so its right edge goes 3 pixels left
    // of the cursor and the tail to the right.
    P = Place({1000, 400});
    EXPECT_EQ(P.Window, (TRect{879, 362, 997, 397}));
    EXPECT_EQ(P.Shape.TailCorner, tcBottomRight);
    EXPECT_EQ(P.Shape.BodyRect, (TRect{0, 0, 110, 19}));
    EXPECT_EQ(TailTriangle(P.Shape, ProgramStyle, false)[0], (TPoint{118, 33}));

    // Right edge with no room above either: up and right corner.
    P = Place({1000, 10});
    EXPECT_EQ(P.Window.Right, 997);
    EXPECT_EQ(P.Shape.TailCorner, tcTopRight);

    // Bottom edge without a tail: the hint goes above the cursor.
    const THintStyleValues NoTail{hsRoundRect, 2, false, taCenter};
    P = Place({500, 760}, NoTail);
    EXPECT_EQ(P.Window.Bottom, 760 - 3);
    EXPECT_EQ(P.Shape.TailCorner, tcBottomLeft);

    // A second screen to the right of the first: the same rules in its coordinates.
    P = Place({1024 + 1000, 400}, ProgramStyle, {1024, 0, 2048, 768});
    EXPECT_EQ(P.Window, (TRect{1024 + 879, 362, 1024 + 997, 397}));
}

TEST(HintGeometry, AHintWiderThanTheRoomBesideTheCursorStaysOnTheScreen) {
    // On a narrow screen the rules would put the hint 19 pixels beyond the left edge.
    const TPlaced P = Place({100, 400}, ProgramStyle, {0, 0, 200, 768});
    EXPECT_EQ(P.Window.Left, 0);
    EXPECT_LE(P.Window.Right, 200);
    // Wider than the screen: its left edge shows.
    const TPlaced Wide = Place({100, 400}, ProgramStyle, {0, 0, 200, 768}, 300);
    EXPECT_EQ(Wide.Window.Left, 0);
    // Taller than the room above and below the cursor: its top edge shows.
    const TPlaced Tall = Place({500, 10}, {hsRectangle, 0, false, taLeftJustify}, Screen, 100, 760);
    EXPECT_EQ(Tall.Window.Top, 0);
}

TEST(HintGeometry, EachStyleShapesTheBody) {
    THintShape S;
    // Plain: the measured rectangle is the window; no corner is chosen, nothing moves.
    const THintStyleValues Plain{hsRectangle, 0, false, taLeftJustify};
    EXPECT_EQ(CalcHintRect(100, 13, Plain, S), (TRect{0, 0, 108, 17}));
    EXPECT_EQ(S.TextRect, (TRect{1, 1, 107, 16}));
    EXPECT_EQ(PlaceHint(S, {900, 416}, {900, 400}, Screen, Plain), (TPoint{900, 416}));
    EXPECT_EQ(S.TailCorner, tcTopLeft);
    EXPECT_EQ(S.BodyRect, (TRect{0, 0, 108, 17}));
    // Right-justified text sits 4 pixels further left.
    CalcHintRect(100, 13, {hsRectangle, 0, false, taRightJustify}, S);
    EXPECT_EQ(S.TextRect, (TRect{-3, 1, 103, 16}));

    // Ellipse: grown so that the measured rectangle's corners lie on it (108x17: 26 on the
    // left and right, 3 at the top and bottom).
    EXPECT_EQ(CalcHintRect(100, 13, {hsEllipse, 0, false, taCenter}, S), (TRect{-26, -3, 134, 20}));
    EXPECT_EQ(S.BodyRect, (TRect{0, 0, 160, 23}));
    EXPECT_EQ(S.TextRect, (TRect{26, 4, 132, 19}));

    // A tall text: the corner and the tail grow with the shorter side.
    CalcHintRect(100, 200, ProgramStyle, S);
    EXPECT_EQ(S.CornerSize, 27);
    EXPECT_EQ(S.TailHeight, 53);
    EXPECT_EQ(S.TailWidth, 45);
}
