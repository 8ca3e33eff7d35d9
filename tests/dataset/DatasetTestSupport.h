// A string-list dataset that lets the tests see its cursor, step into the temporary states and
// record what reaches ModifyRecord.
#pragma once

#include "dataset/sbStringsDataset.h"

#include <string>
#include <vector>

class TProbeDataset : public TSBStringsDataset {
public:
    int Index() const { return FCurrentIndex; }
    int RecordSize() { return GetRecordSize(); }
    TGetResult Read(TGetMode Mode) { return GetRecord(TempBuffer(), Mode, false); }
    void GotoIndex(int32_t I) { InternalGotoBookmark(&I); }
    TDataSetState EnterState(TDataSetState S) { return SetTempState(S); }
    void LeaveState(TDataSetState S) { RestoreState(S); }
    TRecordBuffer Active() { return ActiveBuffer(); }
    void Parse(int Record, int Field, TVariant& V) { ParseRecord(Record, Field, V); }
    void Fill(TRecordBuffer Buffer) { FieldsToBuffer(Fields(), Buffer); }

    std::vector<TModifyKind> Kinds;
    // The next FailModify writes raise a database error.
    int FailModify = 0;

protected:
    void ModifyRecord(TModifyKind Kind, TRecordBuffer Buffer) override {
        if (FailModify > 0 && FailModify--) throw EDatabaseError("disk full");
        Kinds.push_back(Kind);
        TSBStringsDataset::ModifyRecord(Kind, Buffer);
    }
};

inline std::vector<std::string> Lines(const TStringList& L) {
    std::vector<std::string> R;
    for (const auto& E : L)
        R.push_back(E.Str);
    return R;
}

// A dataset in sdmStrings over Text's lines.
inline void FillLines(TSBStringsDataset& D, std::initializer_list<const char*> Text) {
    for (const char* S : Text)
        D.Strings().Add(S);
}
