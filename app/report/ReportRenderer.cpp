#include "ReportRenderer.h"

#include "platform/Exceptions.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

double MMToUnits(double MM) {
    return MM / 25.4 * TReportLayout::Resolution;
}

QFont UnitFont(double PointSize) {
    QFont F;
    // File names are shown letter for letter: no ligatures ("fi" stays two letters when the
    // text is copied out of a PDF).
    F.setStyleStrategy(QFont::PreferNoShaping);
    F.setPixelSize(
        std::max(1, static_cast<int>(std::lround(PointSize * TReportLayout::Resolution / 72.0))));
    return F;
}

// Share of the body width the name column takes, and the gap between the columns.
constexpr double NameShare = 0.35;
constexpr double ColumnGapMM = 3.0;

} // namespace

QChar ControlPicture(char16_t C) {
    return QChar(C == 0x7F ? char16_t(0x2421) : char16_t(0x2400 + C));
}

QString ReportText(const std::string& S) {
    QString Q = QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
    for (QChar& C : Q)
        if (C.unicode() < 0x20 || C.unicode() == 0x7F) C = ControlPicture(C.unicode());
    return Q;
}

TReportLayout::TReportLayout(const TReportDefinition& Definition, QSizeF PageSizeMM)
    : FDef(Definition), FTitleFont(UnitFont(Definition.TitlePointSize)),
      FDetailFont(UnitFont(Definition.DetailPointSize)), FDetailMetrics(FDetailFont) {
    if (PageSizeMM.isEmpty()) PageSizeMM = QSizeF(FDef.PageWidthMM, FDef.PageHeightMM);
    FPage = QSizeF(MMToUnits(PageSizeMM.width()), MMToUnits(PageSizeMM.height()));
    FMargin = MMToUnits(FDef.MarginMM);
    const double BodyWidth = std::max(1.0, FPage.width() - 2 * FMargin);
    const double Top = FMargin, Bottom = FPage.height() - FMargin;
    const double Gap = MMToUnits(ColumnGapMM);
    FNameWidth = std::max(1.0, BodyWidth * NameShare - Gap / 2);
    FFileX = FMargin + BodyWidth * NameShare + Gap / 2;
    FFileWidth = std::max(1.0, FMargin + BodyWidth - FFileX);
    FLineSpacing = FDetailMetrics.lineSpacing();
    FAscent = FDetailMetrics.ascent();
    FPad = std::round(FLineSpacing * 0.3);
    FTitleHeight = QFontMetricsF(FTitleFont).lineSpacing() + FLineSpacing;
    if (FDef.Entries.empty() && !FDef.PrintIfEmpty) return;

    double Y = Top;
    FPages.emplace_back();
    auto NewPage = [&] {
        FPages.emplace_back();
        Y = Top;
    };
    FPages.back().push_back({-1, 0, 1, Y});
    Y += FTitleHeight;
    const int PageRows = std::max(1, static_cast<int>((Bottom - Top) / FLineSpacing));
    for (size_t I = 0; I < FDef.Entries.size(); ++I) {
        const TReportEntry& E = FDef.Entries[I];
        int Rows =
            std::max<int>({1, static_cast<int>(Wrap(ReportText(E.Name), FNameWidth).size()),
                           static_cast<int>(Wrap(ReportText(E.FileName), FFileWidth).size())});
        double Height = Rows * FLineSpacing;
        if (Y + Height > Bottom && Rows <= PageRows && Y > Top) NewPage();
        int First = 0;
        while (First < Rows) {
            int Room = static_cast<int>((Bottom - Y) / FLineSpacing);
            if (Room <= 0) {
                NewPage();
                continue;
            }
            int Take = std::min(Room, Rows - First);
            FPages.back().push_back({static_cast<int>(I), First, Take, Y});
            Y += Take * FLineSpacing;
            First += Take;
        }
        Y += FPad;
    }
}

std::vector<std::pair<int, int>> TReportLayout::Wrap(const QString& Text, double Width) const {
    std::vector<std::pair<int, int>> Lines;
    if (Text.isEmpty()) return Lines;
    if (!FDef.WordWrap || FDetailMetrics.horizontalAdvance(Text) <= Width) {
        Lines.emplace_back(0, static_cast<int>(Text.size()));
        return Lines;
    }
    QTextLayout Layout(Text, FDetailFont);
    QTextOption Option;
    Option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Layout.setTextOption(Option);
    Layout.beginLayout();
    for (QTextLine L = Layout.createLine(); L.isValid(); L = Layout.createLine()) {
        L.setLineWidth(Width);
        Lines.emplace_back(L.textStart(), L.textLength());
    }
    Layout.endLayout();
    return Lines;
}

void TReportLayout::DrawPage(QPainter& Painter, int Page) const {
    Painter.save();
    Painter.setPen(Qt::black);
    for (const TSlice& S : Slices(Page)) {
        if (S.Entry < 0) {
            Painter.setFont(FTitleFont);
            QRectF Band(FMargin, S.Y, FPage.width() - 2 * FMargin, FTitleHeight);
            Painter.drawText(
                Band, Qt::AlignHCenter | Qt::AlignTop,
                QString::fromUtf8(FDef.Title.data(), static_cast<qsizetype>(FDef.Title.size())));
            continue;
        }
        Painter.setFont(FDetailFont);
        const TReportEntry& E = FDef.Entries[static_cast<size_t>(S.Entry)];
        auto Column = [&](const std::string& Raw, double X, double Width) {
            QString Text = ReportText(Raw);
            auto Lines = Wrap(Text, Width);
            for (int R = S.FirstRow; R < S.FirstRow + S.Rows && R < static_cast<int>(Lines.size());
                 ++R)
                Painter.drawText(QPointF(X, S.Y + (R - S.FirstRow) * FLineSpacing + FAscent),
                                 Text.mid(Lines[static_cast<size_t>(R)].first,
                                          Lines[static_cast<size_t>(R)].second));
        };
        Column(E.Name, FMargin, FNameWidth);
        Column(E.FileName, FFileX, FFileWidth);
    }
    Painter.restore();
}

int PrintReport(const TReportDefinition& Definition, QPagedPaintDevice& Device,
                const std::function<bool(int, int)>& Progress) {
    QPageLayout Page = Device.pageLayout();
    Page.setMode(QPageLayout::FullPageMode);
    Page.setMargins(QMarginsF());
    Device.setPageLayout(Page);
    TReportLayout Layout(Definition, Device.pageLayout().fullRect(QPageLayout::Millimeter).size());
    const int Count = Layout.PageCount();
    if (Count == 0) return 0;
    QPainter Painter;
    if (!Painter.begin(&Device)) throw Exception("Cannot start printing the report");
    Painter.setRenderHint(QPainter::Antialiasing);
    const double Sx = Device.logicalDpiX() / TReportLayout::Resolution;
    const double Sy = Device.logicalDpiY() / TReportLayout::Resolution;
    for (int I = 0; I < Count; ++I) {
        if (Progress && !Progress(I, Count)) {
            Painter.end();
            return -1;
        }
        if (I > 0) Device.newPage();
        Painter.save();
        Painter.scale(Sx, Sy);
        Layout.DrawPage(Painter, I);
        Painter.restore();
    }
    Painter.end();
    return Count;
}
