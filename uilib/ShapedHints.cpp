#include "ShapedHints.h"

#include "uilib/HintFilter.h"
#include "uilib/MaxMin.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QToolTip>

uint8_t HintStyle = 0;
uint8_t HintShadowSize = 0;
bool HintTail = false;
TAlignment HintAlignment = taLeftJustify;

void SetHintStyle(uint8_t Style, uint8_t ShadowSize, bool Tail, TAlignment Alignment) {
    HintStyle = Style;
    HintShadowSize = ShadowSize;
    HintTail = Tail;
    HintAlignment = Alignment;
    InstallHintWindowClass();
}

THintStyleValues CurrentHintStyle() {
    return {HintStyle, HintShadowSize, HintTail, HintAlignment};
}

THintColors THintColors::FromPalette() {
    const QPalette Tip = QToolTip::palette(), App = QApplication::palette();
    return {Tip.color(QPalette::ToolTipBase), Tip.color(QPalette::ToolTipText),
            App.color(QPalette::WindowText),  App.color(QPalette::Button),
            App.color(QPalette::WindowText),  App.color(QPalette::Light),
            App.color(QPalette::Shadow)};
}

namespace {

int AlignmentFlag(TAlignment A) {
    switch (A) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

// The body's outline, moved by the shadow's offset for the shadow, with the tail when there is
// one: the union of the two shapes.
QPainterPath HintRegion(const THintShape& Shape, const THintStyleValues& Style, bool Shadow) {
    const int Shift = Shadow ? Style.ShadowSize : 0;
    const QRectF B(Shape.BodyRect.Left + Shift, Shape.BodyRect.Top + Shift,
                   RectWidth(Shape.BodyRect), RectHeight(Shape.BodyRect));
    QPainterPath Path;
    Path.setFillRule(Qt::WindingFill);
    if (Style.Style == hsRoundRect)
        Path.addRoundedRect(B, Shape.CornerSize / 2.0, Shape.CornerSize / 2.0);
    else if (Style.Style == hsEllipse)
        Path.addEllipse(B);
    else
        Path.addRect(B);
    if (Style.Tail) {
        const auto T = TailTriangle(Shape, Style, Shadow);
        QPolygonF Tail;
        for (const TPoint& P : T)
            Tail << QPointF(P.X, P.Y);
        Path.addPolygon(Tail);
        Path.closeSubpath();
    }
    return Path;
}

// The pixels of Image inside the shape's outline: those of the shape with a 4-neighbour outside
// it, a frame one pixel wide inside the edge.
void FrameShape(QImage& Image, const QPainterPath& Shape, const QColor& Color) {
    QImage Mask(Image.size(), QImage::Format_Grayscale8);
    Mask.fill(0);
    {
        QPainter P(&Mask);
        P.setPen(Qt::NoPen);
        P.setBrush(Qt::white);
        P.drawPath(Shape);
    }
    const int W = Mask.width(), H = Mask.height();
    auto Inside = [&](int X, int Y) {
        return X >= 0 && Y >= 0 && X < W && Y < H && Mask.constScanLine(Y)[X] != 0;
    };
    const QRgb C = Color.rgba();
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Inside(X, Y) &&
                !(Inside(X - 1, Y) && Inside(X + 1, Y) && Inside(X, Y - 1) && Inside(X, Y + 1)))
                Image.setPixel(X, Y, C);
}

// The 8x8 checkerboard of the shadow.
QBrush ShadowBrush(const THintColors& Colors) {
    QImage Pattern(8, 8, QImage::Format_ARGB32_Premultiplied);
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 0; X < 8; ++X)
            Pattern.setPixel(X, Y, ((X + Y) & 1 ? Colors.ShadowFore : Colors.ShadowBack).rgba());
    return QBrush(Pattern);
}

// The area of the screen at R (screen coordinates), or a null image where the platform does
// not let a program read the screen.
QImage GrabScreen(const QRect& R) {
    QScreen* S = QGuiApplication::screenAt(R.topLeft());
    if (!S) S = QGuiApplication::primaryScreen();
    if (!S) return {};
    const QRect G = S->geometry();
    const QPixmap Shot = S->grabWindow(0, R.x() - G.x(), R.y() - G.y(), R.width(), R.height());
    return Shot.isNull() ? QImage() : Shot.toImage();
}

// Paints the windows of the program that lie under R at once, so that a hint just hidden from
// there is not copied back from the screen.
void RepaintBelow(const QRect& R, const QWidget* Except) {
    for (QWidget* Top : QApplication::topLevelWidgets()) {
        if (Top == Except || !Top->isVisible() || !Top->geometry().intersects(R)) continue;
        Top->repaint(QRect(Top->mapFromGlobal(R.topLeft()), R.size()));
    }
}

} // namespace

QImage ComposeHint(const THintShape& Shape, const THintStyleValues& Style, const QImage& Background,
                   const QString& Text, const QFont& Font, const THintColors& Colors) {
    QImage Work(Shape.Width, Shape.Height, QImage::Format_ARGB32_Premultiplied);
    Work.fill(Qt::transparent);
    const QPainterPath Body = HintRegion(Shape, Style, false);
    {
        QPainter P(&Work);
        if (!IsPlainHintStyle(Style) && !Background.isNull())
            P.drawImage(QRect(0, 0, Shape.Width, Shape.Height), Background);
        P.setPen(Qt::NoPen);
        P.setBrush(ShadowBrush(Colors));
        P.drawPath(HintRegion(Shape, Style, true));
        P.setBrush(Colors.Body);
        P.drawPath(Body);
    }
    const TRect& B = Shape.BodyRect;
    if (!IsPlainHintStyle(Style)) {
        FrameShape(Work, Body, Colors.Frame);
    } else {
        // The plain style has a raised edge instead of the frame.
        QPainter P(&Work);
        P.setPen(Colors.EdgeLight);
        P.drawLine(B.Left, B.Top, B.Right - 1, B.Top);
        P.drawLine(B.Left, B.Top, B.Left, B.Bottom - 1);
        P.setPen(Colors.EdgeDark);
        P.drawLine(B.Left, B.Bottom - 1, B.Right - 1, B.Bottom - 1);
        P.drawLine(B.Right - 1, B.Top, B.Right - 1, B.Bottom - 1);
    }
    if (!Text.isEmpty()) {
        QPainter P(&Work);
        TRect R = Shape.TextRect;
        if (Style.Alignment == taLeftJustify) R.Left += 2;
        P.setFont(Font);
        P.setPen(Colors.Text);
        P.drawText(QRectFromRect(R),
                   Qt::TextWordWrap | Qt::AlignTop | AlignmentFlag(Style.Alignment), Text);
    }
    return Work;
}

TShapedHintWindow::TShapedHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setFont(QApplication::font("QStatusBar"));
    setObjectName(QStringLiteral("ShapedHintWindow"));
}

TRect TShapedHintWindow::CalcHintRect(int MaxWidth, const QString& Hint) {
    FStyle = CurrentHintStyle();
    const QRect Extent = QFontMetrics(font()).boundingRect(
        QRect(0, 0, MaxWidth, 0), Qt::TextWordWrap | AlignmentFlag(FStyle.Alignment), Hint);
    return ::CalcHintRect(Extent.width(), Extent.height(), FStyle, FShape);
}

void TShapedHintWindow::ActivateHint(const TRect& Rect, const QString& Hint, TPoint Cursor) {
    FHint = Hint;
    QScreen* S = QGuiApplication::screenAt(QPoint(Cursor.X, Cursor.Y));
    if (!S) S = QGuiApplication::primaryScreen();
    const TRect Screen = S ? RectFromQRect(S->geometry()) : TRect{0, 0, 1024, 768};
    // Text is wrapped at the screen's width; when the decoration (which grows with the text)
    // then makes the window wider than the screen, the text is wrapped narrower by the
    // difference until the window fits.
    int MaxWidth = RectWidth(Screen);
    TRect R = CalcHintRect(MaxWidth, Hint);
    for (int Try = 0; Try < 8 && RectWidth(R) > RectWidth(Screen) && MaxWidth > 1; ++Try) {
        MaxWidth = Max(1, MaxWidth - (RectWidth(R) - RectWidth(Screen)));
        R = CalcHintRect(MaxWidth, Hint);
    }
    const TPoint Pos = PlaceHint(FShape, {Rect.Left, Rect.Top}, Cursor, Screen, FStyle);
    const QRect Bounds(Pos.X, Pos.Y, FShape.Width, FShape.Height);

    FScreenImage = QImage();
    if (!IsPlainHintStyle(FStyle)) {
        if (isVisible()) {
            const QRect Old = geometry();
            hide();
            RepaintBelow(Old, this);
        }
        FScreenImage = GrabScreen(Bounds);
    }
    if (FScreenImage.isNull() && !IsPlainHintStyle(FStyle)) {
        const QImage Shape =
            ComposeHint(FShape, FStyle, QImage(), QString(), font(), THintColors::FromPalette());
        setMask(QBitmap::fromImage(Shape.createAlphaMask()));
    } else {
        clearMask();
    }
    setGeometry(Bounds);
    show();
    raise();
    update();
}

void TShapedHintWindow::ReleaseHint() {
    hide();
    FScreenImage = QImage();
}

void TShapedHintWindow::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(
        0, 0, ComposeHint(FShape, FStyle, FScreenImage, FHint, font(), THintColors::FromPalette()));
}
