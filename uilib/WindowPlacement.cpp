#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr Qt::WindowStates MinMax =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

QRect NormalGeometry(const QWidget& W) {
    QRect R = W.normalGeometry();
    return R.isEmpty() ? W.geometry() : R;
}

} // namespace

bool GetWindowPlacement(const TCustomForm& Form, TWindowPlacement& WP) {
    WP = TWindowPlacement{};
    const Qt::WindowStates S = Form.windowState();
    if (S & Qt::WindowMinimized)
        WP.showCmd = SW_SHOWMINIMIZED;
    else if (S & (Qt::WindowMaximized | Qt::WindowFullScreen))
        WP.showCmd = SW_SHOWMAXIMIZED;
    else
        WP.showCmd = SW_SHOWNORMAL;
    WP.flags = Form.FPlacementFlags & WPF_SETMINPOSITION;
    if ((S & Qt::WindowMinimized) && (S & Qt::WindowMaximized)) WP.flags |= WPF_RESTORETOMAXIMIZED;
    WP.ptMinPosition = Form.FMinPosition;
    WP.ptMaxPosition = Form.FMaxPosition;
    WP.rcNormalPosition = RectFromQRect(NormalGeometry(Form));
    return true;
}

bool SetWindowPlacement(TCustomForm& Form, const TWindowPlacement& WP) {
    Form.FMinPosition = WP.ptMinPosition;
    Form.FMaxPosition = WP.ptMaxPosition;
    Form.FPlacementFlags = WP.flags;

    const Qt::WindowStates Old = Form.windowState();
    Qt::WindowStates Target = Old;
    switch (WP.showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        Target = (Old & ~MinMax) | Qt::WindowMinimized;
        if (WP.flags & WPF_RESTORETOMAXIMIZED) Target |= Qt::WindowMaximized;
        break;
    case SW_SHOWMAXIMIZED: Target = (Old & ~MinMax) | Qt::WindowMaximized; break;
    case SW_SHOWNORMAL:
    case SW_SHOWNOACTIVATE:
    case SW_RESTORE: Target = Old & ~MinMax; break;
    default: break; // SW_HIDE, SW_SHOW, SW_SHOWNA: the state stays
    }

    const TRect& R = WP.rcNormalPosition;
    if (RectWidth(R) > 0 && RectHeight(R) > 0) {
        const QRect Normal = QRectFromRect(R);
        if (Normal != NormalGeometry(Form)) {
            // Qt moves only the normal window; a maximized or minimized one is set back to
            // normal for the move and then returned to its state.
            if (Old & MinMax) {
                Form.setWindowState(Old & ~MinMax);
                Form.setGeometry(Normal);
                Form.setWindowState(Old);
            } else {
                Form.setGeometry(Normal);
            }
        }
    }
    if (Target != Form.windowState()) Form.setWindowState(Target);
    return true;
}

TPoint BorderMetrics(TFormBorderStyle Style) {
    switch (Style) {
    case bsNone: return {0, 0};
    case bsSingle:
    case bsToolWindow: return {SM_CXBORDER, SM_CYBORDER};
    case bsSizeable:
    case bsSizeToolWin: return {SM_CXFRAME, SM_CYFRAME};
    case bsDialog: return {SM_CXDLGFRAME, SM_CYDLGFRAME};
    }
    return {0, 0};
}

int ScreenWidth() {
    const QScreen* S = QGuiApplication::primaryScreen();
    return S ? S->geometry().width() : 0;
}

int ScreenHeight() {
    const QScreen* S = QGuiApplication::primaryScreen();
    return S ? S->geometry().height() : 0;
}

int ScreenPixelsPerInch() {
    const QScreen* S = QGuiApplication::primaryScreen();
    return S ? qRound(S->logicalDotsPerInch()) : 0;
}
