#include "ReportDefinition.h"

#include "dataset/sbStringsDataset.h"

TReportDefinition CollectReport(TSBStringsDataset& DataSet) {
    TReportDefinition R;
    TField& Name = DataSet.FieldByName("NAME");
    TField& FileName = DataSet.FieldByName("FILENAME");
    DataSet.DisableControls();
    TBookmark Saved = DataSet.GetBookmark();
    try {
        R.Entries.reserve(static_cast<size_t>(DataSet.RecordCount()));
        for (DataSet.First(); !DataSet.Eof(); DataSet.Next())
            R.Entries.push_back({Name.AsString(), FileName.AsString()});
        DataSet.GotoBookmark(Saved);
    } catch (...) {
        DataSet.EnableControls();
        throw;
    }
    DataSet.EnableControls();
    return R;
}
