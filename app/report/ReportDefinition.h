// The report of search results as plain data: its title, page, fonts and one entry per record
// (NAME, then FILENAME). It is collected from the report's dataset in one step that needs no
// display, and every renderer and exporter works from it alone. A value type; any thread.
#pragma once

#include <string>
#include <vector>

class TSBStringsDataset;

struct TReportEntry {
    std::string Name;
    std::string FileName;
};

struct TReportDefinition {
    std::string Title = "Report";
    // A4 portrait, in millimetres.
    double PageWidthMM = 210;
    double PageHeightMM = 297;
    double MarginMM = 10;
    // The title band (centred) and the detail band (name, then file name, word-wrapped).
    double TitlePointSize = 14;
    double DetailPointSize = 10;
    bool WordWrap = true;
    // An empty report prints no page at all.
    bool PrintIfEmpty = false;
    // Captions of the detail band's two texts, for the exports that name their columns.
    std::string NameCaption = "Name";
    std::string FileNameCaption = "FileName";
    std::vector<TReportEntry> Entries;
};

// The records of the open DataSet, first to last, with its fields NAME and FILENAME (an empty
// text for a null field). The cursor ends where it started.
TReportDefinition CollectReport(TSBStringsDataset& DataSet);
