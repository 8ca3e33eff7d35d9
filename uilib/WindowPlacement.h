// The window-placement record of a form, as the window system kept it: flags, show command,
// the positions of the minimized and maximized window, and the normal (restored) rectangle.
//
// On Linux (X11 or any Qt platform) the record is made from the Qt window:
// - showCmd: SW_SHOWMINIMIZED (2) for a minimized window, SW_SHOWMAXIMIZED (3) for a
//   maximized or full-screen one, SW_SHOWNORMAL (1) otherwise;
// - flags: WPF_RESTORETOMAXIMIZED when a minimized window was maximized before, plus the
//   WPF_SETMINPOSITION kept from the last SetWindowPlacement;
// - rcNormalPosition: the client area of the normal (not maximized) window, right and bottom
//   exclusive. The client area, not the frame, is what a window is placed by before the window
//   manager has framed it, so the window neither moves nor grows by its frame from run to run;
// - ptMinPosition, ptMaxPosition: kept with the form (Qt has no such positions), (-1,-1) until
//   set.
// Screen size and pixels per inch are the primary screen's. UI thread only.
#pragma once

#include "uilib/CtlUtils.h"
#include "uilib/Forms.h"

#include <cstdint>

inline constexpr uint32_t WPF_SETMINPOSITION = 1;
inline constexpr uint32_t WPF_RESTORETOMAXIMIZED = 2;

inline constexpr uint32_t SW_HIDE = 0;
inline constexpr uint32_t SW_SHOWNORMAL = 1;
inline constexpr uint32_t SW_SHOWMINIMIZED = 2;
inline constexpr uint32_t SW_SHOWMAXIMIZED = 3;
inline constexpr uint32_t SW_SHOWNOACTIVATE = 4;
inline constexpr uint32_t SW_SHOW = 5;
inline constexpr uint32_t SW_MINIMIZE = 6;
inline constexpr uint32_t SW_SHOWMINNOACTIVE = 7;
inline constexpr uint32_t SW_SHOWNA = 8;
inline constexpr uint32_t SW_RESTORE = 9;

struct TWindowPlacement {
    uint32_t length = 44;
    uint32_t flags = 0;
    uint32_t showCmd = SW_SHOWNORMAL;
    TPoint ptMinPosition{-1, -1};
    TPoint ptMaxPosition{-1, -1};
    TRect rcNormalPosition;
};

bool GetWindowPlacement(const TCustomForm& Form, TWindowPlacement& WP);
// Applies a record: keeps the two positions and the flags with the form, moves the normal
// rectangle (when it has a positive size and differs from the current one) and sets the state
// the show command names; SW_HIDE changes neither state nor visibility.
bool SetWindowPlacement(TCustomForm& Form, const TWindowPlacement& WP);

// The frame metrics of the window system, fixed so that stored positions do not depend on the
// window manager: thin border 1, dialog frame 3, sizing frame 4 pixels.
inline constexpr int SM_CXBORDER = 1;
inline constexpr int SM_CYBORDER = 1;
inline constexpr int SM_CXDLGFRAME = 3;
inline constexpr int SM_CYDLGFRAME = 3;
inline constexpr int SM_CXFRAME = 4;
inline constexpr int SM_CYFRAME = 4;
// The frame width and height of a border style.
TPoint BorderMetrics(TFormBorderStyle Style);

// The primary screen: size in pixels and logical pixels per inch (0 without a screen).
int ScreenWidth();
int ScreenHeight();
int ScreenPixelsPerInch();
