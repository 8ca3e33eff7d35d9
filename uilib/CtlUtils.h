// Points and rectangles of the window system. A rectangle's Right and Bottom are exclusive: the
// first column and row outside it, so its width is Right - Left (unlike QRect::right(), which is
// the last column inside).
#pragma once

#include <QPoint>
#include <QRect>

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr int RectWidth(const TRect& R) {
    return R.Right - R.Left;
}
constexpr int RectHeight(const TRect& R) {
    return R.Bottom - R.Top;
}

// Conversions at the Qt boundary, keeping the exclusive edges.
inline TRect RectFromQRect(const QRect& R) {
    return {R.x(), R.y(), R.x() + R.width(), R.y() + R.height()};
}
inline QRect QRectFromRect(const TRect& R) {
    return QRect(R.Left, R.Top, RectWidth(R), RectHeight(R));
}
