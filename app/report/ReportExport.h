// The exports of a report: pure functions from the collected report to the bytes of a file
// (UTF-8 text, CSV for spreadsheets, RTF, HTML), PDF through the renderer, and the saving of
// any of them without harm to an existing file.
//
// Every export is valid UTF-8 (or 7-bit RTF): a name that is not valid UTF-8 shows its bad bytes
// as U+FFFD, and control characters (a tab or a newline in a name) show as their pictures
// (U+2400 onwards), as on the page; blanks are kept, runs of them too. UI thread for PDF (fonts);
// the text exports on any thread.
#pragma once

#include "ReportDefinition.h"

#include <QString>

#include <functional>
#include <string>

enum TReportExportFormat { refText, refCsv, refRtf, refHtml, refPdf };

// The caption of a format in the Export menu ("Text", "Spreadsheet (CSV)", ...), its file
// dialog filter and its extension (without the dot).
QString ExportFormatCaption(TReportExportFormat Format);
QString ExportFormatFilter(TReportExportFormat Format);
QString ExportFormatExtension(TReportExportFormat Format);

// The title, a blank line, then one line per entry: the name padded to a common column, two
// blanks, the file name. Lines end with LF. Names are exact, tabs included, but for the control
// characters that would break the lines.
std::string ExportText(const TReportDefinition& Report);
// A byte-order mark, a header line, then one line per entry; every field in double quotes
// with its quotes doubled, exact otherwise, but that a field beginning with "=", "+", "-", "@",
// a tab or a carriage return, which a spreadsheet would take for a formula, gets an apostrophe
// in front; lines end with CR LF.
std::string ExportCsv(const TReportDefinition& Report);
// A document with the title centred and a two-column table; "\", "{" and "}" escaped, every
// character beyond ASCII as \uN?.
std::string ExportRtf(const TReportDefinition& Report);
// A UTF-8 HTML page declaring its charset, with the title and a table; text escaped, blanks
// kept as they are (white-space: pre-wrap).
std::string ExportHtml(const TReportDefinition& Report);

// Writes Report in Format to FileName through a temporary file renamed over the old one, with
// the checks of saving a catalog (platform/SafeSave.h): only a regular file or a new name is
// written. Returns false when Progress stopped it (nothing is written); raises Exception with a
// message naming the file when it cannot be written (a FIFO or a device among them), and for a
// PDF of an empty report.
bool SaveReport(const TReportDefinition& Report, TReportExportFormat Format,
                const QString& FileName, const std::function<bool(int, int)>& Progress = {});
