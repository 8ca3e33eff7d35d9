#include "ReportForm.h"

#include "platform/Format.h"

#include <algorithm>

std::string QuoteReportField(std::string_view Text) {
    std::string R;
    R.reserve(Text.size() + 2);
    for (char C : Text) {
        R += C;
        if (C == '"') R += '"';
    }
    return R;
}

void FillReportData(TStringList& Strings, const std::vector<TReportRow>& Rows) {
    std::vector<std::string> Lines;
    Lines.reserve(Rows.size());
    for (const TReportRow& Row : Rows)
        Lines.push_back(Format("\"%s\", \"%s\"",
                               {QuoteReportField(Row.Caption), QuoteReportField(Row.FilePath)}));
    // A sorted list takes lines in its own order far faster than in any other (no entry moves);
    // a stable sort keeps the first of equal lines first, as adding them one by one would.
    if (Strings.Sorted())
        std::stable_sort(Lines.begin(), Lines.end(),
                         [&](const std::string& A, const std::string& B) {
                             return Strings.CompareStrings(A, B) < 0;
                         });
    Strings.BeginUpdate();
    try {
        Strings.Clear();
        for (std::string& Line : Lines)
            Strings.Add(std::move(Line));
    } catch (...) {
        Strings.EndUpdate();
        throw;
    }
    Strings.EndUpdate();
}

bool ReportActionEnabled(int ResultRows, bool SearchRunning) {
    return ResultRows > 0 && !SearchRunning;
}

TfmReport::TfmReport()
    : sbDatasetName(sbDataset.AddField("Name", ftString, ReportFieldSize)),
      sbDatasetFileName(sbDataset.AddField("FileName", ftString, ReportFieldSize)) {
    sbDataset.SetName("sbDataset");
    sbDataset.SetMode(sdmCustom);
    sbDataset.Strings().SetExactTies(true);
    sbDataset.SetSorted(true);
    sbDataset.SetDuplicates(dupIgnore);
    sbDataset.SetCapacity(28);
    sbDataset.SetDefaultStringLength(20);
    sbDataset.SetReadOnly(true);
}

TReportDefinition TfmReport::Prepare(const std::vector<TReportRow>& Rows) {
    sbDataset.Close();
    FillReportData(sbDataset.Strings(), Rows);
    sbDataset.Open();
    return CollectReport(sbDataset);
}
