// The report form: the string dataset sbDataset that the report reads, set up once, and the
// filling of its lines from the rows of the result pane.
//
// sbDataset is in custom mode with the string fields Name and FileName (definitions NAME and
// FILENAME), sized for Linux paths; its list is sorted case-insensitively in the user's locale,
// ignores duplicates, and keeps lines that differ only in letter case as two entries (two Linux
// files "Readme" and "README" are two results). It is read-only.
//
// Ownership: the form owns its dataset. UI thread (or any one thread).
#pragma once

#include "ReportDefinition.h"
#include "dataset/sbStringsDataset.h"
#include "platform/StringList.h"

#include <string>
#include <string_view>
#include <vector>

// One row of the result pane: its caption and its "FilePath" column.
struct TReportRow {
    std::string Caption;
    std::string FilePath;
};

// Text with every double quote doubled.
std::string QuoteReportField(std::string_view Text);
// Empties Strings and adds one line per row: "<caption>", "<path>" with quotes doubled.
void FillReportData(TStringList& Strings, const std::vector<TReportRow>& Rows);
// Whether the report may be made: the result pane has rows and no search runs.
bool ReportActionEnabled(int ResultRows, bool SearchRunning);

// Room of each report field: the longest Linux path, so that nothing is cut.
inline constexpr int ReportFieldSize = 4096;

class TfmReport {
public:
    TfmReport();
    TfmReport(const TfmReport&) = delete;
    TfmReport& operator=(const TfmReport&) = delete;

    TSBStringsDataset sbDataset;
    TField& sbDatasetName;
    TField& sbDatasetFileName;

    // Closes the dataset, fills it from Rows, opens it and collects the report.
    TReportDefinition Prepare(const std::vector<TReportRow>& Rows);
};
