// Lays a report out on pages and draws them on any paged device: the printer, the PDF writer,
// or the preview's page view.
//
// The layout works in units of 1/1200 inch with fonts sized in those units, so that the same
// lines and page breaks come out on every device; a device is drawn on through a painter scaled
// from those units to its own resolution. The title band opens the first page; each detail band
// holds the name and the file name side by side, word-wrapped (a word longer than its column
// breaks anywhere), and a band taller than the room left moves to the next page, or is split by
// lines when it is taller than a whole page. An empty report has no pages.
//
// TReportLayout keeps a reference to its definition, which must outlive it. UI thread (fonts).
#pragma once

#include "ReportDefinition.h"

#include <QFont>
#include <QFontMetricsF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <vector>

class QPainter;
class QPagedPaintDevice;

class TReportLayout {
public:
    static constexpr double Resolution = 1200.0; // layout units per inch

    // Lays Definition out on pages of PageSizeMM (the definition's own page when empty).
    explicit TReportLayout(const TReportDefinition& Definition, QSizeF PageSizeMM = QSizeF());

    int PageCount() const { return static_cast<int>(FPages.size()); }
    // The page in layout units.
    QSizeF PageSize() const { return FPage; }
    // Draws page Page with the painter's origin at the page's top left corner and its
    // coordinates in layout units.
    void DrawPage(QPainter& Painter, int Page) const;

    // Entry -1 is the title band.
    struct TSlice {
        int Entry;
        int FirstRow;
        int Rows;
        double Y;
    };
    const std::vector<TSlice>& Slices(int Page) const {
        return FPages.at(static_cast<size_t>(Page));
    }

private:
    // Line starts and lengths of Text wrapped to Width.
    std::vector<std::pair<int, int>> Wrap(const QString& Text, double Width) const;

    const TReportDefinition& FDef;
    QFont FTitleFont, FDetailFont;
    QFontMetricsF FDetailMetrics;
    QSizeF FPage;
    double FMargin = 0, FNameWidth = 0, FFileX = 0, FFileWidth = 0;
    double FLineSpacing = 0, FAscent = 0, FPad = 0, FTitleHeight = 0;
    std::vector<std::vector<TSlice>> FPages;
};

// The text of a catalog name as the report shows it: UTF-8 decoded (bad bytes as U+FFFD), and
// control characters, which would break lines or columns, as their pictures: a tab as U+2409,
// a newline as U+240A, DEL as U+2421. Everything else, blanks included, stays as it is.
QString ReportText(const std::string& S);
// The picture of control character C (below 0x20, or 0x7F).
QChar ControlPicture(char16_t C);

// Prints Definition on Device, page after page, in full-page mode on the device's paper.
// Progress (page done, page count) may answer false to stop. Returns the number of pages
// printed (0 for an empty report, which starts no print job), or -1 when stopped; raises
// Exception when the device cannot be painted on.
int PrintReport(const TReportDefinition& Definition, QPagedPaintDevice& Device,
                const std::function<bool(int, int)>& Progress = {});
