#include "HintGeometry.h"

#include "uilib/MaxMin.h"

#include <cmath>

namespace {

void Offset(TRect& R, int DX, int DY) {
    R.Left += DX;
    R.Right += DX;
    R.Top += DY;
    R.Bottom += DY;
}

void Inflate(TRect& R, int DX, int DY) {
    R.Left -= DX;
    R.Right += DX;
    R.Top -= DY;
    R.Bottom += DY;
}

// Round half to even, as the shape's sizes have always been rounded.
int RoundEven(double V) {
    return static_cast<int>(std::nearbyint(V));
}

} // namespace

TRect CalcHintRect(int TextWidth, int TextHeight, const THintStyleValues& Style,
                   THintShape& Shape) {
    TRect R{0, 0, TextWidth + 8, TextHeight + 4};
    Shape.BodyRect = R;
    Shape.TextRect = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
    if (Style.Alignment == taRightJustify)
        Offset(Shape.TextRect, -4, 0);
    else if (Style.Alignment == taCenter)
        Offset(Shape.TextRect, -1, 0);
    Shape.CornerSize = Max(6, Min(RectWidth(R), RectHeight(R)) / 4);
    if (Style.Style == hsRoundRect) {
        Inflate(Shape.BodyRect, Shape.CornerSize / 4, Shape.CornerSize / 4);
    } else if (Style.Style == hsEllipse) {
        // Grow the ellipse until the measured rectangle's corners lie on it: its half-height
        // grows by a third, its half-width so that the corner point satisfies the equation.
        const double A = RectWidth(Shape.BodyRect) / 2.0, B = RectHeight(Shape.BodyRect) / 2.0;
        const int C = RoundEven(B / 3);
        const double BC = B + C;
        const double AA = std::sqrt(A * A * BC * BC / (BC * BC - B * B));
        Inflate(Shape.BodyRect, RoundEven(AA) - RoundEven(A), C);
    }
    TRect Result = Shape.BodyRect;
    Offset(Shape.BodyRect, -Result.Left, -Result.Top);
    Offset(Shape.TextRect, -Result.Left, -Result.Top);
    Result.Right += Style.ShadowSize;
    Result.Bottom += Style.ShadowSize;
    Shape.TailWidth = Shape.TailHeight = 0;
    if (Style.Tail) {
        Shape.TailHeight = Max(14, Min(RectWidth(Shape.TextRect), RectHeight(Shape.TextRect)) / 2);
        Shape.TailWidth = Shape.TailHeight - 8;
        Result.Right += Shape.TailWidth;
        Result.Bottom += Shape.TailHeight;
    }
    Shape.TailCorner = tcTopLeft;
    Shape.Width = RectWidth(Result);
    Shape.Height = RectHeight(Result);
    return Result;
}

TPoint PlaceHint(THintShape& Shape, TPoint Proposed, TPoint Cursor, const TRect& Screen,
                 const THintStyleValues& Style) {
    const int W = Shape.Width, H = Shape.Height;
    const TPoint& P = Cursor;
    TPoint R = Proposed;
    if (Style.Tail) {
        // Above and to the right of the cursor, where the tail can point at it.
        if (P.Y - H - 3 >= Screen.Top) R.Y = P.Y - H - 3;
        if (P.X + 1 >= Screen.Left) R.X = P.X + 1;
    }
    if (R.Y + H > Screen.Bottom) {
        R.Y = Screen.Bottom - H;
        if (R.Y <= P.Y) R.Y = P.Y - H - 3;
    }
    if (R.X + W > Screen.Right) {
        R.X = Screen.Right - W;
        if (R.X <= P.X) R.X = P.X - W - 3;
    }
    if (R.X < Screen.Left) {
        R.X = Screen.Left;
        if (W >= P.X - Screen.Left) R.X = P.X - W - 1;
    }
    if (R.Y < Screen.Top) {
        R.Y = Screen.Top;
        if (H >= P.Y - Screen.Top) R.Y = P.Y - H - 1;
    }
    // The moves above may leave the hint partly off the screen (a hint larger than the room
    // beside the cursor); it is pulled back, and may then cover the cursor.
    R.X = Max(Screen.Left, Min(R.X, Screen.Right - W));
    R.Y = Max(Screen.Top, Min(R.Y, Screen.Bottom - H));

    Shape.TailCorner = tcTopLeft;
    if (IsPlainHintStyle(Style)) return R;
    if (R.Y + H < P.Y) Shape.TailCorner = tcBottomLeft;
    if (R.X + W < P.X)
        Shape.TailCorner = Shape.TailCorner == tcTopLeft ? tcTopRight : tcBottomRight;
    if (Style.Tail) {
        const bool Top = Shape.TailCorner == tcTopLeft || Shape.TailCorner == tcTopRight;
        const bool Left = Shape.TailCorner == tcTopLeft || Shape.TailCorner == tcBottomLeft;
        const int DX = Left ? Shape.TailWidth : 0, DY = Top ? Shape.TailHeight : 0;
        Offset(Shape.BodyRect, DX, DY);
        Offset(Shape.TextRect, DX, DY);
    }
    return R;
}

std::array<TPoint, 3> TailTriangle(const THintShape& Shape, const THintStyleValues& Style,
                                   bool Shadow) {
    const int Shift = Shadow ? Style.ShadowSize : 0;
    TRect T = Shape.TextRect;
    Offset(T, Shift, Shift);
    const bool Left = Shape.TailCorner == tcBottomLeft || Shape.TailCorner == tcTopLeft;
    const bool Bottom = Shape.TailCorner == tcBottomLeft || Shape.TailCorner == tcBottomRight;
    const TPoint Tip{(Left ? 0 : Shape.Width) + Shift,
                     Bottom ? Shape.Height - Style.ShadowSize : 0};
    const int S = Min(Max(8, Min(RectWidth(T), RectHeight(T)) / 4), RectWidth(T) / 2);
    const int Y = Bottom ? T.Bottom : T.Top;
    if (Left) return {Tip, TPoint{T.Left + S / 4, Y}, TPoint{T.Left + 2 * S, Y}};
    return {Tip, TPoint{T.Right - S / 4, Y}, TPoint{T.Right - 2 * S, Y}};
}
