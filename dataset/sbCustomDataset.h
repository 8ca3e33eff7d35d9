// TSampleDataSet: an in-memory dataset whose records live behind four operations a descendant
// supplies: how many records there are (GetRecordCount), what the fields are (CreateFieldInfos),
// how field k of record i reads (ParseRecord) and how a record is written back (ModifyRecord).
//
// The base lays out the record buffer as one flat block: a data area of slots (a null-flag byte,
// then the value in native form, at unaligned offsets, so every access goes through memcpy),
// the calculated-fields area, and the record information (bookmark flag and record index, the
// bookmark). It reads records through ParseRecord on every move (nothing is cached), filters
// them through OnFilterRecord, finds them by scanning (Locate, Lookup) and refuses every change
// while ReadOnly (the default). The value conversions (ReadRecord, FieldsToBuffer) are in
// sbRecordValues.cpp.
//
// Ownership: the dataset owns its field records (FieldInfos) and its buffers. One thread.
#pragma once

#include "DataSet.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What a dataset knows of one field of its records.
struct TFieldInfo {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int SlotSize = 0; // flag byte, native value, and Size once more
    bool NotRequired = false;
    int Offset = 0; // of the slot in the record buffer
    int Index = 0;  // in FieldInfos; the field index ParseRecord receives
    bool InText = false;
    bool InBuffer = false;
};
using TFieldInfos = std::vector<std::unique_ptr<TFieldInfo>>;

enum TModifyKind : uint8_t { mkInsert = 0, mkEdit = 1, mkDelete = 2 };

class TSampleDataSet : public TDataSet {
public:
    TSampleDataSet();
    ~TSampleDataSet() override;

    bool ReadOnly() const { return FReadOnly; }
    // Raises "Cannot perform this operation on an open dataset" on an open dataset at run time.
    void SetReadOnly(bool Value);
    const TFieldInfos& FieldInfos() const { return FFieldInfos; }

    bool Locate(std::string_view KeyFields, const TVariant& KeyValues,
                TLocateOptions Options) override;
    TVariant Lookup(std::string_view KeyFields, const TVariant& KeyValues,
                    std::string_view ResultFields) override;
    bool GetFieldData(const TField& Field, void* Buffer) override;
    void SetFieldData(TField& Field, const void* Buffer) override;

    // Appends a zero-filled field record; a record that cannot be made (a size outside
    // 0..MaxFieldSize) is not added, and nothing is reported.
    static void AddFieldInfo(TFieldInfos& FieldInfos, std::string_view Name, TFieldType DataType,
                             int Size, bool NotRequired, bool InText, bool InBuffer);
    static void ClearFieldInfos(TFieldInfos& FieldInfos) { FieldInfos.clear(); }

protected:
    // ---- what a descendant supplies
    virtual void CreateFieldInfos(TFieldInfos& FieldInfos) = 0;
    virtual void ParseRecord(int RecordIndex, int FieldIndex, TVariant& Value) = 0;
    // Writes a change back; the base raises "Cannot modify a read-only dataset".
    virtual void ModifyRecord(TModifyKind Kind, TRecordBuffer Buffer);
    virtual void AfterDataEvent(TDataEvent, intptr_t) {}

    // ---- value conversions (sbRecordValues.cpp)
    // Fills every slot of Buffer for record RecordIndex through ParseRecord; a value that cannot
    // be stored leaves its field null.
    virtual void ReadRecord(int RecordIndex, TRecordBuffer Buffer);
    // Fills every slot of Buffer from the data fields of Fields, each field record from the field
    // bound to it; the first error ends the run.
    virtual void FieldsToBuffer(const TFields& Fields, TRecordBuffer Buffer);
    virtual bool RecordFiltered();

    // ---- the dataset base's operations
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, void* Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    int GetRecordSize() override { return FBookmarkOffset; }
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalClose() override;
    void InternalDelete() override;
    void InternalFirst() override { FCurrentIndex = -1; }
    void InternalGotoBookmark(const void* Bookmark) override;
    void InternalInitFieldDefs() override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void InternalLast() override { FCurrentIndex = GetRecordCount(); }
    void InternalOpen() override;
    void InternalPost() override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    bool IsCursorOpen() override { return FCursorOpen; }
    void ClearCalcFields(TRecordBuffer Buffer) override;
    void DataEvent(TDataEvent Event, intptr_t Info) override;
    bool GetCanModify() override { return !FReadOnly; }
    int GetRecordCount() override { return 0; }
    int GetRecNo() override;
    void SetRecNo(int Value) override;
    void InternalEdit() override;
    void InternalInsert() override;
    void SetFiltered(bool Value) override;
    void SetOnFilterRecord(TFilterRecordEvent Value) override;

    // The buffer field access works on in the present state; false when there is none.
    bool GetActiveRecordBuffer(TRecordBuffer& Buffer);
    // The slot of a data field in Buffer, or nullptr (no buffer, no definition, or a type held
    // outside the slots, such as the blob kinds).
    char* GetFieldDataPointer(TRecordBuffer Buffer, const TField& Field);
    bool LocateRecord(std::string_view KeyFields, const TVariant& KeyValues,
                      TLocateOptions Options);
    // Runs Scan from the first record with the controls disabled; when it raises, the cursor
    // goes back to where it was (Saved) before the error goes on.
    void ScanFromFirst(const std::function<void(const TBookmark& Saved)>& Scan);
    // The data field bound to field record Index (matched by data position, so calculated and
    // lookup fields anywhere in the field list do not shift it), or nullptr.
    TField* DataFieldOf(const TFields& Fields, int Index) const;
    TField* DataFieldOf(int Index) const { return DataFieldOf(Fields(), Index); }

    bool FCursorOpen = false;
    int FCurrentIndex = -1;
    int FRecordDataSize = 0;
    int FBookmarkOffset = 0;
    int FRecordBufferSize = 0;
    bool FReadOnly = true;
    TFieldInfos FFieldInfos;
};
