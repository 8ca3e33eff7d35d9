// Draws the seven fixed pictures of the program's image lists at 16 and 32 pixels:
// 0 catalog, 1/2 folder closed/open, 3 virtual folder, 4/5 scanned folder closed/open, 6 file.
// Built and run by resources/images/make-images; the PNG files it writes are committed.
//
// Every picture is drawn on a grid of 16 units scaled to the size, with outlines of one device
// pixel on pixel centres, so that the small pictures stay sharp.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

struct Palette {
    QColor Fill, Light, Line;
};

const Palette Yellow{QColor(0xF4, 0xC4, 0x4E), QColor(0xFB, 0xE3, 0x9A), QColor(0x9A, 0x6C, 0x10)};
const Palette Blue{QColor(0x8F, 0xB4, 0xE8), QColor(0xC8, 0xDB, 0xF6), QColor(0x2F, 0x5C, 0x9E)};
const Palette Green{QColor(0x8C, 0xC8, 0x7A), QColor(0xC6, 0xE8, 0xBB), QColor(0x3B, 0x74, 0x2C)};

// A pen one device pixel wide, whatever the scale.
QPen Hairline(QPainter& P, const QColor& C) {
    QPen Pen(C);
    Pen.setWidthF(1.0 / P.transform().m11());
    Pen.setJoinStyle(Qt::MiterJoin);
    return Pen;
}

// Folder outline: a tab at the top left, then the body.
void FolderBack(QPainter& P, const Palette& C) {
    QPainterPath Back;
    Back.moveTo(1.5, 3.5);
    Back.lineTo(6.0, 3.5);
    Back.lineTo(7.5, 5.0);
    Back.lineTo(14.5, 5.0);
    Back.lineTo(14.5, 13.5);
    Back.lineTo(1.5, 13.5);
    Back.closeSubpath();
    P.setPen(Hairline(P, C.Line));
    P.setBrush(C.Fill);
    P.drawPath(Back);
}

void FolderClosed(QPainter& P, const Palette& C) {
    FolderBack(P, C);
    // The front cover's lighter top edge.
    P.setPen(Hairline(P, C.Light));
    P.drawLine(QPointF(2.5, 6.5), QPointF(13.5, 6.5));
}

void FolderOpen(QPainter& P, const Palette& C) {
    FolderBack(P, C);
    // The inside, then the front cover tipped forward.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(255, 255, 255, 200));
    P.drawRect(QRectF(2.5, 6.0, 11.0, 3.0));
    QPainterPath Front;
    Front.moveTo(3.5, 7.5);
    Front.lineTo(15.5, 7.5);
    Front.lineTo(13.5, 13.5);
    Front.lineTo(1.5, 13.5);
    Front.closeSubpath();
    P.setPen(Hairline(P, C.Line));
    P.setBrush(C.Light);
    P.drawPath(Front);
}

// A small disc at the lower right: the folder was read from a disk.
void DiscBadge(QPainter& P) {
    P.setPen(Hairline(P, QColor(0x40, 0x40, 0x48)));
    P.setBrush(QColor(0xE8, 0xE8, 0xEE));
    P.drawEllipse(QPointF(11.5, 11.0), 3.5, 3.5);
    P.setBrush(QColor(0x40, 0x40, 0x48));
    P.setPen(Qt::NoPen);
    P.drawEllipse(QPointF(11.5, 11.0), 1.0, 1.0);
}

void Catalog(QPainter& P) {
    // A bound card catalog: cover, spine and a white label.
    P.setPen(Hairline(P, QColor(0x1E, 0x4D, 0x5C)));
    P.setBrush(QColor(0x2E, 0x86, 0x9C));
    P.drawRect(QRectF(2.5, 1.5, 11.0, 13.0));
    P.setBrush(QColor(0x1E, 0x5F, 0x70));
    P.drawRect(QRectF(2.5, 1.5, 2.0, 13.0));
    P.setPen(Hairline(P, QColor(0x1E, 0x4D, 0x5C)));
    P.setBrush(Qt::white);
    P.drawRect(QRectF(6.5, 4.5, 5.0, 3.0));
    P.setPen(Hairline(P, QColor(0xBF, 0xE3, 0xEC)));
    P.drawLine(QPointF(6.5, 10.5), QPointF(11.5, 10.5));
    P.drawLine(QPointF(6.5, 12.5), QPointF(10.5, 12.5));
}

void File(QPainter& P) {
    // A page with a folded corner and a few lines of text.
    QPainterPath Page;
    Page.moveTo(3.5, 1.5);
    Page.lineTo(9.5, 1.5);
    Page.lineTo(12.5, 4.5);
    Page.lineTo(12.5, 14.5);
    Page.lineTo(3.5, 14.5);
    Page.closeSubpath();
    P.setPen(Hairline(P, QColor(0x70, 0x70, 0x78)));
    P.setBrush(Qt::white);
    P.drawPath(Page);
    QPainterPath Corner;
    Corner.moveTo(9.5, 1.5);
    Corner.lineTo(9.5, 4.5);
    Corner.lineTo(12.5, 4.5);
    P.setBrush(QColor(0xDD, 0xDD, 0xE2));
    P.drawPath(Corner);
    P.setPen(Hairline(P, QColor(0xA8, 0xB4, 0xC8)));
    for (double Y : {7.5, 9.5, 11.5})
        P.drawLine(QPointF(5.0, Y), QPointF(11.0, Y));
}

bool Save(const char* Folder, const char* Name, int Size,
          const std::function<void(QPainter&)>& Draw) {
    QImage Image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    {
        QPainter P(&Image);
        P.setRenderHint(QPainter::Antialiasing);
        P.scale(Size / 16.0, Size / 16.0);
        Draw(P);
    }
    QString Path = QString("%1/%2/%3").arg(Folder).arg(Size).arg(Name);
    if (!Image.save(Path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(Path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication App(argc, argv);
    const char* Folder = argc > 1 ? argv[1] : ".";
    struct Picture {
        const char* Name;
        std::function<void(QPainter&)> Draw;
    };
    const Picture Pictures[] = {
        {"catalog.png", Catalog},
        {"folder-closed.png", [](QPainter& P) { FolderClosed(P, Yellow); }},
        {"folder-open.png", [](QPainter& P) { FolderOpen(P, Yellow); }},
        {"virtual-folder.png", [](QPainter& P) { FolderClosed(P, Blue); }},
        {"scanned-folder-closed.png",
         [](QPainter& P) {
             FolderClosed(P, Green);
             DiscBadge(P);
         }},
        {"scanned-folder-open.png",
         [](QPainter& P) {
             FolderOpen(P, Green);
             DiscBadge(P);
         }},
        {"file.png", File},
    };
    for (int Size : {16, 32})
        for (const Picture& Pic : Pictures)
            if (!Save(Folder, Pic.Name, Size, Pic.Draw)) return 1;
    return 0;
}
