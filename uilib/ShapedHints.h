// The program's hint window: a balloon drawn as a rectangle, a rounded rectangle or an ellipse,
// optionally with a tail pointing at the mouse cursor and a dithered shadow down and to the
// right. The window itself stays rectangular: where it lies outside the shape it shows the copy
// of the screen that was under it when it appeared, so the hint seems shaped. Where the
// platform gives no copy of the screen (Wayland, for one), the window is masked to the shape
// instead and the shadow is drawn plain over whatever lies behind.
//
// One style, set once at start-up by SetHintStyle, applies to every hint. The hint filter
// (HintFilter.h) decides when a hint shows and hides; this window measures, places and paints.
// The hint is composed off-screen and put on the screen in one piece, and the window never
// erases its background, so showing a hint does not flicker.
//
// UI thread only.
#pragma once

#include "uilib/HintGeometry.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

class QFont;

// The hint style of every hint window; written only by SetHintStyle.
extern uint8_t HintStyle;      // hsRectangle, hsRoundRect or hsEllipse
extern uint8_t HintShadowSize; // pixels
extern bool HintTail;
extern TAlignment HintAlignment;

// Stores the style and installs the shaped hint window as the application's hint window
// (InstallHintWindowClass of HintFilter.h). Needs the QApplication.
void SetHintStyle(uint8_t Style, uint8_t ShadowSize, bool Tail, TAlignment Alignment);
THintStyleValues CurrentHintStyle();

// The colours a hint is painted in; FromPalette takes them from the application's palette
// (the body in the tool-tip colours, the shadow dithered from button face and window text).
struct THintColors {
    QColor Body, Text, Frame, ShadowBack, ShadowFore, EdgeLight, EdgeDark;
    static THintColors FromPalette();
};

// The hint as it is put on the screen: Background (the screen behind the window; transparent
// where it is null) with the shadow, the body, its outline and the text on it. The image has
// the window's size.
QImage ComposeHint(const THintShape& Shape, const THintStyleValues& Style, const QImage& Background,
                   const QString& Text, const QFont& Font, const THintColors& Colors);

class TShapedHintWindow : public QWidget {
    Q_OBJECT

public:
    // A top-level tool-tip window that never takes the focus or the mouse.
    TShapedHintWindow();

    // The window's rectangle for Hint wrapped at MaxWidth pixels (its left and top may be
    // negative; only the size counts), measured in the window's font (the status-bar font).
    TRect CalcHintRect(int MaxWidth, const QString& Hint);
    // Shows Hint for a cursor at Cursor (screen coordinates). Rect's top-left corner is the
    // proposed position; the window goes there unless the style's tail or the screen's edges
    // move it.
    void ActivateHint(const TRect& Rect, const QString& Hint, TPoint Cursor);
    // Hides the window; the next activation copies the screen again.
    void ReleaseHint();

    const QString& Hint() const { return FHint; }
    const THintShape& Shape() const { return FShape; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    THintStyleValues FStyle;
    THintShape FShape;
    QString FHint;
    QImage FScreenImage;
};
