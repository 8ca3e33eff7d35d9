// The two screen cursors the UI library registers: a hand and a dragging hand, under fixed
// numbers in the screen's cursor table. The table is filled on first use; UI thread only.
#pragma once

#include <QCursor>

inline constexpr int crHand = 14000;
inline constexpr int crDragHand = 14001;

// The cursor registered under Id; the arrow for a number nobody registered.
QCursor ScreenCursor(int Id);
