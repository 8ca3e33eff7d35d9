#include "AnimationClips.h"

#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <QBuffer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

QPen OutlinePen(const QColor& Color, double Width = 1) {
    QPen Pen(Color, Width);
    Pen.setJoinStyle(Qt::RoundJoin);
    return Pen;
}

// ---- the pieces the clips are drawn from -----------------------------------------------------
// Every piece scales to the rectangle it is given, so one drawing serves every clip size.

void DrawFolderBack(QPainter& P, const QRectF& R) {
    const double Tab = R.height() * 0.16;
    QPainterPath TabPath, Back;
    TabPath.addRoundedRect(QRectF(R.left(), R.top(), R.width() * 0.42, Tab * 2), 2, 2);
    Back.addRoundedRect(QRectF(R.left(), R.top() + Tab, R.width(), R.height() - Tab), 2.5, 2.5);
    P.setPen(OutlinePen(QColor(176, 120, 30)));
    P.setBrush(QColor(226, 160, 52));
    P.drawPath(TabPath.united(Back));
}

void DrawFolderFront(QPainter& P, const QRectF& R) {
    const double Top = R.top() + R.height() * 0.36;
    const QRectF Front(R.left(), Top, R.width(), R.bottom() - Top);
    QLinearGradient G(Front.topLeft(), Front.bottomLeft());
    G.setColorAt(0, QColor(255, 220, 116));
    G.setColorAt(1, QColor(240, 176, 56));
    P.setPen(OutlinePen(QColor(176, 120, 30)));
    P.setBrush(G);
    P.drawRoundedRect(Front, 2.5, 2.5);
    P.setPen(OutlinePen(QColor(255, 242, 200)));
    P.drawLine(QPointF(Front.left() + 2.5, Front.top() + 1.5),
               QPointF(Front.right() - 2.5, Front.top() + 1.5));
}

void DrawFolder(QPainter& P, const QRectF& R) {
    DrawFolderBack(P, R);
    DrawFolderFront(P, R);
}

void DrawDocument(QPainter& P, const QRectF& R) {
    const double Fold = std::min(R.width(), R.height()) * 0.3;
    QPainterPath Page;
    Page.moveTo(R.topLeft());
    Page.lineTo(R.right() - Fold, R.top());
    Page.lineTo(R.right(), R.top() + Fold);
    Page.lineTo(R.bottomRight());
    Page.lineTo(R.bottomLeft());
    Page.closeSubpath();
    P.setPen(OutlinePen(QColor(118, 126, 140)));
    P.setBrush(Qt::white);
    P.drawPath(Page);

    QPainterPath Corner;
    Corner.moveTo(R.right() - Fold, R.top());
    Corner.lineTo(R.right() - Fold, R.top() + Fold);
    Corner.lineTo(R.right(), R.top() + Fold);
    Corner.closeSubpath();
    P.setBrush(QColor(212, 218, 228));
    P.drawPath(Corner);

    // Lines of text.
    const double Step = std::max(2.5, R.height() * 0.13);
    P.setPen(
        QPen(QColor(150, 164, 186), std::max(0.8, R.height() * 0.045), Qt::SolidLine, Qt::FlatCap));
    const double Left = R.left() + R.width() * 0.18;
    for (double Y = R.top() + R.height() * 0.2; Y < R.bottom() - R.height() * 0.12; Y += Step) {
        const double Right = Y < R.top() + Fold + 1 ? R.right() - Fold - R.width() * 0.08
                                                    : R.right() - R.width() * 0.18;
        if (Right > Left) P.drawLine(QPointF(Left, Y), QPointF(Right, Y));
    }
}

// A document seen in flight: rotated about its centre, possibly fading.
void DrawFlyingDocument(QPainter& P, QPointF Centre, QSizeF Size, double Angle, double Opacity) {
    if (Opacity <= 0.01) return;
    P.save();
    P.translate(Centre);
    P.rotate(Angle);
    P.setOpacity(P.opacity() * Opacity);
    DrawDocument(P, QRectF(-Size.width() / 2, -Size.height() / 2, Size.width(), Size.height()));
    P.restore();
}

void DrawMagnifier(QPainter& P, QPointF C, double R) {
    const QPointF Dir(0.7071, 0.7071);
    P.setPen(QPen(QColor(92, 60, 32), R * 0.45, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(C + Dir * (R * 1.15), C + Dir * (R * 2.0));

    QRadialGradient Glass(C - QPointF(R * 0.35, R * 0.35), R * 1.3);
    Glass.setColorAt(0, QColor(255, 255, 255, 150));
    Glass.setColorAt(1, QColor(184, 214, 244, 120));
    P.setBrush(Glass);
    P.setPen(QPen(QColor(60, 66, 78), std::max(1.5, R * 0.22)));
    P.drawEllipse(C, R, R);

    P.setBrush(Qt::NoBrush);
    P.setPen(
        QPen(QColor(255, 255, 255, 230), std::max(1.0, R * 0.14), Qt::SolidLine, Qt::RoundCap));
    P.drawArc(QRectF(C.x() - R * 0.6, C.y() - R * 0.6, R * 1.2, R * 1.2), 100 * 16, 65 * 16);
}

// Returns the screen area inside the bezel.
QRectF DrawMonitor(QPainter& P, const QRectF& R) {
    const double StandH = R.height() * 0.22;
    const QRectF Bezel(R.left(), R.top(), R.width(), R.height() - StandH);
    P.setPen(OutlinePen(QColor(90, 96, 108)));
    P.setBrush(QColor(156, 162, 174));
    P.drawRect(QRectF(R.center().x() - R.width() * 0.07, Bezel.bottom() - 1, R.width() * 0.14,
                      StandH * 0.7));
    P.drawRoundedRect(QRectF(R.center().x() - R.width() * 0.24, R.bottom() - StandH * 0.42,
                             R.width() * 0.48, StandH * 0.42),
                      1.5, 1.5);

    QLinearGradient Frame(Bezel.topLeft(), Bezel.bottomLeft());
    Frame.setColorAt(0, QColor(98, 104, 118));
    Frame.setColorAt(1, QColor(58, 62, 72));
    P.setPen(OutlinePen(QColor(40, 44, 52)));
    P.setBrush(Frame);
    P.drawRoundedRect(Bezel, 3, 3);

    const QRectF Screen = Bezel.adjusted(3, 3, -3, -3);
    QLinearGradient Glow(Screen.topLeft(), Screen.bottomRight());
    Glow.setColorAt(0, QColor(104, 172, 238));
    Glow.setColorAt(1, QColor(36, 92, 170));
    P.setPen(Qt::NoPen);
    P.setBrush(Glow);
    P.drawRect(Screen);
    return Screen;
}

// A hard disk drawn as a box seen from above and in front; the light shows it writing.
void DrawDrive(QPainter& P, const QRectF& R, bool Busy) {
    const double Depth = R.height() * 0.3;
    const double Slant = R.width() * 0.12;
    const QPointF A(R.left(), R.top() + Depth), B(R.left() + Slant, R.top()), C(R.right(), R.top()),
        D(R.right() - Slant, R.top() + Depth), E(R.right(), R.bottom() - Depth),
        F(R.right() - Slant, R.bottom());
    P.setPen(OutlinePen(QColor(84, 90, 102)));

    P.setBrush(QColor(214, 218, 226));
    P.drawPolygon(std::array<QPointF, 4>{A, B, C, D}.data(), 4);
    P.setBrush(QColor(132, 140, 154));
    P.drawPolygon(std::array<QPointF, 4>{D, C, E, F}.data(), 4);

    const QRectF Front(A, F);
    QLinearGradient G(Front.topLeft(), Front.bottomLeft());
    G.setColorAt(0, QColor(190, 196, 206));
    G.setColorAt(1, QColor(154, 162, 176));
    P.setBrush(G);
    P.drawRect(Front);

    P.setPen(OutlinePen(QColor(100, 106, 120)));
    const double SlotY = Front.top() + Front.height() * 0.5;
    P.drawLine(QPointF(Front.left() + 4, SlotY),
               QPointF(Front.right() - Front.width() * 0.3, SlotY));

    const double LedR = std::max(1.5, Front.height() * 0.1);
    const QPointF Led(Front.right() - Front.width() * 0.13, SlotY);
    P.setPen(QPen(QColor(40, 70, 40), 0.8));
    P.setBrush(Busy ? QColor(80, 236, 90) : QColor(40, 96, 46));
    P.drawEllipse(Led, LedR, LedR);
    if (Busy) {
        P.setPen(Qt::NoPen);
        P.setBrush(QColor(120, 255, 120, 70));
        P.drawEllipse(Led, LedR * 2.4, LedR * 2.4);
    }
}

// The recycle bin: an open basket; drawn after what falls into it, so that it hides it.
void DrawBinBody(QPainter& P, const QRectF& R) {
    const double Top = R.top() + R.height() * 0.12;
    const double Inset = R.width() * 0.11;
    QPainterPath Body;
    Body.moveTo(R.left(), Top);
    Body.lineTo(R.right(), Top);
    Body.lineTo(R.right() - Inset, R.bottom());
    Body.lineTo(R.left() + Inset, R.bottom());
    Body.closeSubpath();
    QLinearGradient G(R.topLeft(), R.topRight());
    G.setColorAt(0, QColor(150, 172, 198));
    G.setColorAt(0.45, QColor(196, 212, 230));
    G.setColorAt(1, QColor(112, 134, 164));
    P.setPen(OutlinePen(QColor(70, 86, 110)));
    P.setBrush(G);
    P.drawPath(Body);

    P.setPen(OutlinePen(QColor(98, 118, 146)));
    for (int I = 1; I <= 3; ++I) {
        const double F = I / 4.0;
        P.drawLine(QPointF(R.left() + R.width() * F, Top + 4),
                   QPointF(R.left() + Inset + (R.width() - 2 * Inset) * F, R.bottom() - 3));
    }
    P.setPen(OutlinePen(QColor(70, 86, 110)));
    P.setBrush(QColor(124, 146, 176));
    P.drawRoundedRect(QRectF(R.left() - 1.5, Top - 2.5, R.width() + 3, 5), 2, 2);
}

// Crumpled paper sticking out of a full bin.
void DrawBinContents(QPainter& P, const QRectF& R) {
    const double Top = R.top() + R.height() * 0.12;
    P.setPen(OutlinePen(QColor(130, 136, 150)));
    P.setBrush(QColor(250, 250, 246));
    P.drawEllipse(QRectF(R.left() + R.width() * 0.12, Top - R.height() * 0.16, R.width() * 0.4,
                         R.height() * 0.3));
    P.setBrush(QColor(236, 240, 248));
    P.drawEllipse(QRectF(R.left() + R.width() * 0.44, Top - R.height() * 0.2, R.width() * 0.42,
                         R.height() * 0.32));
}

QPointF Lerp(QPointF A, QPointF B, double S) {
    return A + (B - A) * S;
}

// A point on the arc from A to B, Height above the straight line at the middle.
QPointF ArcPoint(QPointF A, QPointF B, double Height, double S) {
    return Lerp(A, B, S) - QPointF(0, Height * std::sin(Pi * S));
}

double Frac(double V) {
    return V - std::floor(V);
}

// ---- the clips ---------------------------------------------------------------------------------
// Each painter gets T in [0, 1): how far the loop has come.

void OrbitMagnifier(QPainter& P, QPointF Centre, double Rx, double Ry, double R, double T) {
    const double A = 2 * Pi * T - Pi / 2;
    DrawMagnifier(P, Centre + QPointF(Rx * std::cos(A), Ry * std::sin(A)), R);
}

void PaintFindFolder(QPainter& P, double T) {
    const QRectF Folder(18.5, 12.5, 44, 32);
    DrawFolder(P, Folder);
    OrbitMagnifier(P, Folder.center() + QPointF(-2, -3), 9, 6, 8.5, T);
}

void PaintFindFile(QPainter& P, double T) {
    const QRectF Doc(28.5, 6.5, 26, 36);
    DrawDocument(P, Doc);
    OrbitMagnifier(P, Doc.center() + QPointF(-2, -3), 8, 7, 8.5, T);
}

void PaintFindComputer(QPainter& P, double T) {
    const QRectF Screen = DrawMonitor(P, QRectF(15.5, 5.5, 50, 40));
    OrbitMagnifier(P, Screen.center() + QPointF(-3, -2), 9, 5, 8.5, T);
}

// Scanning: entries of a disk listed on a screen, the glass moving down the rows as they are read.
void PaintScanComputer(QPainter& P, double T) {
    const QRectF Screen = DrawMonitor(P, QRectF(22.5, 1.5, 52, 43));
    const int Rows = 4;
    const double RowH = Screen.height() / Rows;
    const int Current = std::min(Rows - 1, int(T * Rows));
    for (int I = 0; I < Rows; ++I) {
        const double Y = Screen.top() + RowH * I;
        if (I == Current) {
            P.setPen(Qt::NoPen);
            P.setBrush(QColor(255, 255, 255, 70));
            P.drawRect(QRectF(Screen.left(), Y, Screen.width(), RowH));
        }
        const bool IsFolder = I % 2 == 0;
        P.setPen(Qt::NoPen);
        P.setBrush(IsFolder ? QColor(255, 208, 96) : QColor(250, 250, 250));
        P.drawRect(QRectF(Screen.left() + 3, Y + RowH * 0.25, RowH * 0.6, RowH * 0.5));
        P.setBrush(I < Current    ? QColor(210, 230, 255)
                   : I == Current ? QColor(255, 255, 255)
                                  : QColor(150, 190, 236));
        P.drawRect(QRectF(Screen.left() + 5 + RowH * 0.6, Y + RowH * 0.38,
                          Screen.width() * (0.55 - 0.08 * (I % 3)), RowH * 0.24));
    }
    const double Phase = Frac(T * Rows);
    const double Y = Screen.top() + RowH * (Current + 0.5);
    DrawMagnifier(P, QPointF(Screen.left() + Screen.width() * (0.3 + 0.4 * Phase), Y - 1), 7.5);
}

// Finding: the glass circling over a small fan of documents.
void PaintFindFiles(QPainter& P, double T) {
    const QPointF Centre(44, 21);
    const QSizeF Size(24, 32);
    DrawFlyingDocument(P, Centre + QPointF(-9, 2), Size, -14, 1);
    DrawFlyingDocument(P, Centre + QPointF(9, 2), Size, 14, 1);
    DrawFlyingDocument(P, Centre, Size, 0, 1);
    OrbitMagnifier(P, Centre + QPointF(0, -2), 12, 6, 8.5, T);
}

// A paper on its arc from From to To, S of the way along, tipping over as it flies.
void FlyPaper(QPainter& P, QPointF From, QPointF To, double S, double Opacity = 1,
              double Scale = 1) {
    const QPointF Pos = ArcPoint(From, To, 13, S);
    DrawFlyingDocument(P, Pos, QSizeF(15 * Scale, 19 * Scale), -30 + 60 * S, Opacity);
}

const QRectF LeftFolder(14.5, 14.5, 44, 32);
const QRectF RightFolder(141.5, 14.5, 44, 32);
const QPointF LeftMouth(36, 27);
const QPointF RightMouth(163, 27);

void PaintCopy(QPainter& P, double T, int Papers) {
    DrawFolderBack(P, LeftFolder);
    DrawFolderBack(P, RightFolder);
    for (int I = 0; I < Papers; ++I)
        FlyPaper(P, LeftMouth, RightMouth, Frac(T + double(I) / Papers));
    DrawFolderFront(P, LeftFolder);
    DrawFolderFront(P, RightFolder);
}

void PaintCopyFiles(QPainter& P, double T) {
    PaintCopy(P, T, 3);
}
void PaintCopyFile(QPainter& P, double T) {
    PaintCopy(P, T, 1);
}

void PaintRecycleFile(QPainter& P, double T) {
    const QRectF Bin(148.5, 12.5, 32, 35);
    DrawFolderBack(P, LeftFolder);
    FlyPaper(P, LeftMouth, QPointF(Bin.center().x(), Bin.top() + 14), T);
    DrawFolderFront(P, LeftFolder);
    DrawBinBody(P, Bin);
}

void PaintEmptyRecycle(QPainter& P, double T) {
    const QRectF Bin(20.5, 12.5, 32, 35);
    DrawBinContents(P, Bin);
    for (int I = 0; I < 2; ++I) {
        const double S = Frac(T + I / 2.0);
        FlyPaper(P, QPointF(Bin.center().x(), Bin.top() + 10), QPointF(168, 30), S, 1 - S,
                 1 - 0.5 * S);
    }
    DrawBinBody(P, Bin);
}

void PaintDeleteFile(QPainter& P, double T) {
    DrawFolderBack(P, LeftFolder);
    FlyPaper(P, LeftMouth, QPointF(160, 26), T, T < 0.6 ? 1 : (1 - T) / 0.4, 1 - 0.6 * T);
    DrawFolderFront(P, LeftFolder);
    // Where the paper vanishes.
    const QPointF Cross(166, 30);
    P.setPen(QPen(QColor(200, 52, 46, 170), 2.5, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(Cross + QPointF(-5, -5), Cross + QPointF(5, 5));
    P.drawLine(Cross + QPointF(-5, 5), Cross + QPointF(5, -5));
}

void PaintSave(QPainter& P, double T) {
    const QRectF Drive(138.5, 12.5, 50, 33);
    DrawFolderBack(P, LeftFolder);
    FlyPaper(P, LeftMouth, QPointF(Drive.center().x() - 4, Drive.top() + 10), T);
    DrawFolderFront(P, LeftFolder);
    DrawDrive(P, Drive, T > 0.8 || T < 0.05);
}

// ---- clip objects ------------------------------------------------------------------------------

class TPaintedClip final : public TAnimationClip {
public:
    using TPainter = void (*)(QPainter&, double);
    TPaintedClip(int Width, int Height, int Frames, int Milliseconds, TPainter Painter)
        : FSize(Width, Height), FFrames(Frames), FMilliseconds(Milliseconds), FPainter(Painter) {}

    QSize FrameSize() const override { return FSize; }
    int FrameCount() const override { return FFrames; }
    int FrameDuration(int) const override { return FMilliseconds; }
    void PaintFrame(QPainter& P, int Frame) const override {
        P.save();
        P.setRenderHint(QPainter::Antialiasing);
        P.setClipRect(QRect(QPoint(0, 0), FSize), Qt::IntersectClip);
        FPainter(P, double(std::clamp(Frame, 1, FFrames) - 1) / FFrames);
        P.restore();
    }

private:
    QSize FSize;
    int FFrames;
    int FMilliseconds;
    TPainter FPainter;
};

class TImageClip final : public TAnimationClip {
public:
    TImageClip(std::vector<QImage> Frames, std::vector<int> Durations)
        : FFrames(std::move(Frames)), FDurations(std::move(Durations)) {}

    QSize FrameSize() const override { return FFrames.front().size(); }
    int FrameCount() const override { return int(FFrames.size()); }
    int FrameDuration(int Frame) const override {
        return FDurations[size_t(std::clamp(Frame, 1, FrameCount()) - 1)];
    }
    void PaintFrame(QPainter& P, int Frame) const override {
        P.drawImage(0, 0, FFrames[size_t(std::clamp(Frame, 1, FrameCount()) - 1)]);
    }

private:
    std::vector<QImage> FFrames;
    std::vector<int> FDurations;
};

TClipPtr MakeClip(int W, int H, int Frames, int Ms, TPaintedClip::TPainter Painter) {
    return std::make_shared<const TPaintedClip>(W, H, Frames, Ms, Painter);
}

struct TNamedClip {
    const char* Name;
    TClipPtr Clip;
};

// The scanning and finding clips loop over eight frames: the progress window plays frames 1 to 8.
const std::array<TNamedClip, 3>& ResourceClips() {
    static const std::array<TNamedClip, 3> Clips{{
        {"FINDCOMPUTERAVI", MakeClip(96, 45, 8, 140, PaintScanComputer)},
        {"FINDFILEAVI", MakeClip(88, 45, 8, 110, PaintFindFiles)},
        {"SAVEAVI", MakeClip(200, 50, 16, 75, PaintSave)},
    }};
    return Clips;
}

const std::array<TClipPtr, CommonAVICount>& CommonClips() {
    static const std::array<TClipPtr, CommonAVICount> Clips{{
        nullptr,
        MakeClip(80, 50, 12, 90, PaintFindFolder),
        MakeClip(80, 50, 12, 90, PaintFindFile),
        MakeClip(80, 50, 12, 90, PaintFindComputer),
        MakeClip(200, 50, 24, 65, PaintCopyFiles),
        MakeClip(200, 50, 16, 75, PaintCopyFile),
        MakeClip(200, 50, 16, 75, PaintRecycleFile),
        MakeClip(200, 50, 16, 75, PaintEmptyRecycle),
        MakeClip(200, 50, 16, 75, PaintDeleteFile),
    }};
    return Clips;
}

} // namespace

TClipPtr FindResourceClip(const std::string& Name) {
    for (const TNamedClip& C : ResourceClips())
        if (AnsiSameText(Name, C.Name)) return C.Clip;
    return nullptr;
}

TClipPtr FindResourceClip(int) {
    return nullptr;
}

TClipPtr CommonClip(int Avi) {
    if (Avi <= aviNone || Avi >= CommonAVICount) return nullptr;
    return CommonClips()[size_t(Avi)];
}

TClipPtr LoadClipBytes(const std::string& Bytes) {
    if (Bytes.empty() || Bytes.size() > MaxClipFileBytes) return nullptr;
    QByteArray Data = QByteArray::fromRawData(Bytes.data(), qsizetype(Bytes.size()));
    QBuffer Buffer(&Data);
    if (!Buffer.open(QIODevice::ReadOnly)) return nullptr;
    QImageReader Reader(&Buffer);
    Reader.setAllocationLimit(int((MaxClipPixels * 4) >> 20));

    std::vector<QImage> Frames;
    std::vector<int> Durations;
    long long Pixels = 0;
    while (int(Frames.size()) < MaxClipFrames) {
        const QSize Announced = Reader.size();
        if (Announced.isValid() &&
            Pixels + (long long)Announced.width() * Announced.height() > MaxClipPixels)
            break;
        QImage Image;
        if (!Reader.read(&Image) || Image.isNull()) break;
        Pixels += (long long)Image.width() * Image.height();
        if (Pixels > MaxClipPixels) break;
        Frames.push_back(Image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        const int Delay = Reader.nextImageDelay();
        Durations.push_back(Delay > 0 ? std::clamp(Delay, 20, 10000) : 100);
        if (!Reader.supportsAnimation()) break;
    }
    if (Frames.empty()) return nullptr;
    return std::make_shared<const TImageClip>(std::move(Frames), std::move(Durations));
}

TClipPtr LoadClipFile(const std::string& FileName) {
    std::string Bytes;
    try {
        Bytes = ReadFileBytes(FileName, MaxClipFileBytes);
    } catch (const Exception&) {
        return nullptr;
    }
    return LoadClipBytes(Bytes);
}
