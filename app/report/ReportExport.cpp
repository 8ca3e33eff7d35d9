#include "ReportExport.h"

#include "ReportRenderer.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/SafeSave.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>

#include <algorithm>

namespace {

// Valid UTF-8 of S: bad bytes become U+FFFD.
std::string ValidUtf8(const std::string& S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())).toStdString();
}

// The report's own display text (control characters shown as their pictures) as UTF-8.
std::string Display(const std::string& S) {
    return ReportText(S).toStdString();
}

// The text export's form of a name: exact but for what would break its lines (the control
// characters other than the tab, shown as on the page) and bytes that are no UTF-8.
std::string PlainText(const std::string& S) {
    QString Q = ReportText(S);
    Q.replace(ControlPicture('\t'), QLatin1Char('\t'));
    return Q.toStdString();
}

size_t CodePoints(const std::string& Utf8) {
    return static_cast<size_t>(std::count_if(Utf8.begin(), Utf8.end(), [](char C) {
        return (static_cast<unsigned char>(C) & 0xC0) != 0x80;
    }));
}

std::string CsvField(const std::string& S) {
    std::string R = "\"";
    // A cell that begins like a formula is one to a spreadsheet, which would run it: the
    // apostrophe in front makes it text there.
    if (!S.empty() && std::string_view("=+-@\t\r").find(S[0]) != std::string_view::npos) R += '\'';
    for (char C : ValidUtf8(S)) {
        R += C;
        if (C == '"') R += '"';
    }
    return R + "\"";
}

std::string RtfText(const std::string& S) {
    std::string R;
    QString Q = ReportText(S);
    for (QChar C : Q) {
        char16_t U = C.unicode();
        if (U == '\\' || U == '{' || U == '}') {
            R += '\\';
            R += static_cast<char>(U);
        } else if (U < 0x80) {
            R += static_cast<char>(U);
        } else {
            // Surrogates go one by one, each as its signed 16-bit value.
            R += "\\u" + std::to_string(static_cast<int16_t>(U)) + "?";
        }
    }
    return R;
}

std::string HtmlText(const std::string& S) {
    std::string R;
    for (char C : Display(S)) {
        switch (C) {
        case '&': R += "&amp;"; break;
        case '<': R += "&lt;"; break;
        case '>': R += "&gt;"; break;
        case '"': R += "&quot;"; break;
        case '\'': R += "&#39;"; break;
        default: R += C;
        }
    }
    return R;
}

int Twips(double MM) {
    return static_cast<int>(MM / 25.4 * 1440 + 0.5);
}

} // namespace

QString ExportFormatCaption(TReportExportFormat Format) {
    switch (Format) {
    case refText: return QStringLiteral("Text");
    case refCsv: return QStringLiteral("Spreadsheet (CSV)");
    case refRtf: return QStringLiteral("RTF");
    case refHtml: return QStringLiteral("HTML");
    case refPdf: return QStringLiteral("PDF");
    }
    return {};
}

QString ExportFormatExtension(TReportExportFormat Format) {
    static const char* const Ext[] = {"txt", "csv", "rtf", "html", "pdf"};
    return QString::fromLatin1(Ext[Format]);
}

QString ExportFormatFilter(TReportExportFormat Format) {
    static const char* const Name[] = {"Text files", "CSV files", "RTF documents", "HTML pages",
                                       "PDF documents"};
    return QStringLiteral("%1 (*.%2);;All files (*)")
        .arg(QString::fromLatin1(Name[Format]), ExportFormatExtension(Format));
}

std::string ExportText(const TReportDefinition& Report) {
    // The name column is as wide as the widest name, up to a limit past which names simply
    // push their file name to the right.
    constexpr size_t MaxColumn = 40;
    size_t Column = 0;
    std::vector<std::string> Names;
    Names.reserve(Report.Entries.size());
    for (const TReportEntry& E : Report.Entries) {
        Names.push_back(PlainText(E.Name));
        Column = std::max(Column, std::min(CodePoints(Names.back()), MaxColumn));
    }
    std::string R = PlainText(Report.Title) + "\n\n";
    for (size_t I = 0; I < Names.size(); ++I) {
        R += Names[I];
        R.append(Column - std::min(Column, CodePoints(Names[I])) + 2, ' ');
        R += PlainText(Report.Entries[I].FileName) + "\n";
    }
    return R;
}

std::string ExportCsv(const TReportDefinition& Report) {
    std::string R = "\xEF\xBB\xBF";
    R += CsvField(Report.NameCaption) + "," + CsvField(Report.FileNameCaption) + "\r\n";
    for (const TReportEntry& E : Report.Entries)
        R += CsvField(E.Name) + "," + CsvField(E.FileName) + "\r\n";
    return R;
}

std::string ExportRtf(const TReportDefinition& Report) {
    const int Body = Twips(Report.PageWidthMM - 2 * Report.MarginMM);
    const int NameCell = Body * 35 / 100;
    const int Margin = Twips(Report.MarginMM);
    const int Title = static_cast<int>(Report.TitlePointSize * 2);
    const int Detail = static_cast<int>(Report.DetailPointSize * 2);
    std::string R = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss Arial;}}\n";
    R += Format(
        "\\paperw%d\\paperh%d\\margl%d\\margr%d\\margt%d\\margb%d\n",
        {Twips(Report.PageWidthMM), Twips(Report.PageHeightMM), Margin, Margin, Margin, Margin});
    R += Format("{\\pard\\qc\\fs%d %s\\par}\n", {Title, RtfText(Report.Title)});
    for (const TReportEntry& E : Report.Entries)
        R += Format(
            "\\trowd\\trgaph85\\cellx%d\\cellx%d\\pard\\intbl\\fs%d %s\\cell %s\\cell\\row\n",
            {NameCell, Body, Detail, RtfText(E.Name), RtfText(E.FileName)});
    return R + "}\n";
}

std::string ExportHtml(const TReportDefinition& Report) {
    std::string Title = HtmlText(Report.Title);
    std::string R = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + Title +
                    "</title>\n<style>\n"
                    "body { font-family: sans-serif; margin: 10mm; }\n"
                    "h1 { font-size: 14pt; text-align: center; }\n"
                    "th, td { font-size: 10pt; text-align: left; vertical-align: top; "
                    "padding: 1px 12px 1px 0; overflow-wrap: anywhere; white-space: pre-wrap; }\n"
                    "</style>\n</head>\n<body>\n<h1>" +
                    Title + "</h1>\n<table>\n<tr><th>" + HtmlText(Report.NameCaption) +
                    "</th><th>" + HtmlText(Report.FileNameCaption) + "</th></tr>\n";
    for (const TReportEntry& E : Report.Entries)
        R += "<tr><td>" + HtmlText(E.Name) + "</td><td>" + HtmlText(E.FileName) + "</td></tr>\n";
    return R + "</table>\n</body>\n</html>\n";
}

bool SaveReport(const TReportDefinition& Report, TReportExportFormat Format,
                const QString& FileName, const std::function<bool(int, int)>& Progress) {
    const std::string Name = QFile::encodeName(FileName).toStdString();
    if (Format == refPdf && Report.Entries.empty() && !Report.PrintIfEmpty)
        throw Exception("The report is empty: there is nothing to write to \"" + Name + "\"");
    std::string Bytes;
    if (Format == refPdf) {
        QBuffer Pages;
        Pages.open(QIODevice::WriteOnly);
        {
            QPdfWriter Pdf(&Pages);
            Pdf.setResolution(static_cast<int>(TReportLayout::Resolution));
            Pdf.setPageSize(
                QPageSize(QSizeF(Report.PageWidthMM, Report.PageHeightMM), QPageSize::Millimeter));
            Pdf.setTitle(QString::fromStdString(Report.Title));
            Pdf.setCreator(QStringLiteral("Quillmark"));
            if (PrintReport(Report, Pdf, Progress) < 0) return false;
        }
        Bytes = Pages.data().toStdString();
    } else {
        Bytes = Format == refText  ? ExportText(Report)
                : Format == refCsv ? ExportCsv(Report)
                : Format == refRtf ? ExportRtf(Report)
                                   : ExportHtml(Report);
    }
    // As a catalog is saved: a regular file or a new name only (never a FIFO, a device or a
    // dangling link), the old file intact until the new one is complete.
    ReplaceFileContents(Name, Bytes);
    return true;
}
