// The geometry of the shaped hint: its size from the extent of its text, where it goes on the
// screen, which corner carries the tail, and the tail triangle. Pure functions of numbers (no
// font, no window), so the hint window and its tests share one computation.
//
// Rectangles have exclusive right and bottom edges (CtlUtils.h). Divisions truncate toward
// zero. Any thread.
#pragma once

#include "uilib/CtlUtils.h"

#include <array>
#include <cstdint>

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// Shapes of the hint body.
enum : uint8_t { hsRectangle = 0, hsRoundRect = 1, hsEllipse = 2 };

// The style every hint of the program is drawn in.
struct THintStyleValues {
    uint8_t Style = hsRectangle;
    uint8_t ShadowSize = 0; // offset of the shadow right and down, in pixels
    bool Tail = false;      // a tail points at the cursor
    TAlignment Alignment = taLeftJustify;
};

// A plain hint (rectangle, no shadow, no tail) needs no copy of the screen behind it.
constexpr bool IsPlainHintStyle(const THintStyleValues& S) {
    return S.Style == hsRectangle && S.ShadowSize == 0 && !S.Tail;
}

// Corners of the window that hold the tail tip.
enum : int { tcBottomLeft = 0, tcBottomRight = 1, tcTopLeft = 2, tcTopRight = 3 };

// The layout of one hint inside its window, in window coordinates.
struct THintShape {
    TRect BodyRect; // bounding box of the body shape
    TRect TextRect; // where the text goes; its top or bottom edge carries the tail's base
    int CornerSize = 0;
    int TailWidth = 0;  // columns added for the tail
    int TailHeight = 0; // rows added for the tail
    int TailCorner = tcTopLeft;
    int Width = 0; // the window's size
    int Height = 0;
};

// The hint's rectangle for a text whose wrapped extent is TextWidth x TextHeight: a rectangle
// whose size is the window's (its left and top may be negative), with Shape's rectangles,
// corner size and tail sizes set for it (the tail corner not yet chosen).
TRect CalcHintRect(int TextWidth, int TextHeight, const THintStyleValues& Style, THintShape& Shape);

// Where the window goes: the top-left corner for a hint proposed at Proposed while the cursor is
// at Cursor, on the screen whose rectangle is Screen. With a tail the hint goes above and right
// of the cursor when there is room; a hint that would cover the cursor near a screen edge moves
// left of or above it; and whatever happened, the window ends on the screen (its top-left corner
// when it is larger than the screen). Chooses Shape.TailCorner and moves the body and text away
// from the tail's corner (not for the plain style, whose corner stays tcTopLeft).
TPoint PlaceHint(THintShape& Shape, TPoint Proposed, TPoint Cursor, const TRect& Screen,
                 const THintStyleValues& Style);

// The tail triangle (tip, then the two base points), for the body or for its shadow.
std::array<TPoint, 3> TailTriangle(const THintShape& Shape, const THintStyleValues& Style,
                                   bool Shadow);
