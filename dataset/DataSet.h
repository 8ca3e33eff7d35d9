// TDataSet: the small dataset base on which the in-memory datasets stand.
//
// A dataset is a cursor over records with a state (inactive, browse, edit, insert and the
// temporary states of calculation and filtering), field definitions and field objects, and
// record buffers in a layout the descendant chooses: the active buffer holds the current record
// (or the one being edited), a spare buffer takes the next record read so that a failed move
// leaves the current one intact, and a temporary buffer serves filters. The base drives
// navigation (First, Next, Prior, Last, MoveBy, RecNo), the edit cycle (Edit, Insert, Append,
// Post, Cancel, Delete) with its events, bookmarks, filters, calculated and lookup fields,
// Locate/Lookup and data events; a descendant supplies the Internal* operations, the record
// reads (GetRecord) and the field access (GetFieldData, SetFieldData).
//
// Ownership: the dataset owns its field definitions, its field objects and its record buffers.
// A descendant's destructor must call Close(): the base cannot reach overridden operations from
// its own destructor. Not thread-safe: one thread uses a dataset and its fields.
#pragma once

#include "DBErrors.h"
#include "Fields.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

enum TDataSetState : uint8_t {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening,
};

enum TGetMode : uint8_t { gmCurrent, gmNext, gmPrior };
enum TGetResult : uint8_t { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag : uint8_t { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TDataEvent : uint8_t {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
};
enum TDataAction : uint8_t { daFail, daAbort, daRetry };

enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

// Component states that change how property setters behave.
enum TComponentStateFlag : unsigned { csLoading = 1, csReading = 2, csDesigning = 4 };

using TRecordBuffer = char*;
// A bookmark: the bytes the descendant's GetBookmarkData gives; empty for none.
using TBookmark = std::string;

class TDataSet {
public:
    using TNotifyEvent = std::function<void(TDataSet&)>;
    using TFilterRecordEvent = std::function<void(TDataSet&, bool& Accept)>;
    using TErrorEvent = std::function<void(TDataSet&, const EDatabaseError&, TDataAction&)>;
    using TDataEventHandler = std::function<void(TDataEvent, intptr_t Info)>;

    TDataSet() = default;
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(std::string Name) { FName = std::move(Name); }
    unsigned ComponentState() const { return FComponentState; }
    void SetComponentState(unsigned Flags) { FComponentState = Flags; }
    bool Loading() const { return FComponentState & (csLoading | csReading); }
    bool Designing() const { return FComponentState & csDesigning; }

    // ---- opening and state
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    bool Modified() const { return FModified; }

    // ---- fields
    TFieldDefs& FieldDefs() { return FFieldDefs; }
    const TFields& Fields() const { return FFields; }
    // A persistent field (kept across open and close); only while the dataset is closed.
    TField& AddField(std::string FieldName, TFieldType DataType, int Size = 0,
                     TFieldKind Kind = fkData);
    TField* FindField(std::string_view Name) const { return FFields.FindField(Name); }
    TField& FieldByName(std::string_view Name) const { return FFields.FieldByName(Name); }
    // The fields named in Names (separated by ";"); raises "Field '%s' not found".
    std::vector<TField*> GetFieldList(std::string_view Names) const;
    // The value of one field, or an array of the values of several.
    TVariant FieldValues(std::string_view Names) const;
    // True while the fields were made from the definitions at open (no persistent fields).
    bool DefaultFields() const { return FDefaultFields; }

    // ---- navigation
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int Distance);
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const;
    int RecordCount() { return GetRecordCount(); }
    int RecNo() { return GetRecNo(); }
    void SetRecNoValue(int Value) { SetRecNo(Value); }
    // Reads the current record again (after the storage changed underneath).
    void Resync();
    void Refresh();

    // ---- edit cycle
    bool CanModify() { return GetCanModify(); }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Insert or Append, the field values in field order, Post.
    void InsertRecord(const std::vector<TVariant>& Values);
    void AppendRecord(const std::vector<TVariant>& Values);
    // Posts a modified edit, cancels an unmodified one; raises when the dataset is closed.
    void CheckBrowseMode();
    void UpdateRecord();

    // ---- bookmarks
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& Bookmark);
    TBookmark GetBookmarkStr() { return GetBookmark(); }
    void SetBookmarkStr(const TBookmark& Bookmark) { GotoBookmark(Bookmark); }

    // ---- filter
    bool Filtered() const { return FFiltered; }
    void SetFilteredValue(bool Value) { SetFiltered(Value); }
    const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
    void SetOnFilterRecordValue(TFilterRecordEvent Value) { SetOnFilterRecord(std::move(Value)); }

    // ---- searching
    // The first record whose KeyFields (separated by ";") hold KeyValues (an array for several);
    // the cursor moves there, or stays when there is none.
    virtual bool Locate(std::string_view KeyFields, const TVariant& KeyValues,
                        TLocateOptions Options) = 0;
    // ResultFields of the first such record, Null when none; the cursor does not move.
    virtual TVariant Lookup(std::string_view KeyFields, const TVariant& KeyValues,
                            std::string_view ResultFields) = 0;

    // ---- data events
    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    // Listeners of data events (what data-aware views use); the id removes one.
    int AddDataEventHandler(TDataEventHandler Handler);
    void RemoveDataEventHandler(int Id);

    // ---- field access in native form (the field objects' road)
    virtual bool GetFieldData(const TField& Field, void* Buffer) = 0;
    virtual void SetFieldData(TField& Field, const void* Buffer) = 0;

    bool AutoCalcFields = true;
    TNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeScroll, AfterScroll,
        BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel,
        AfterCancel, BeforeDelete, AfterDelete, BeforeRefresh, AfterRefresh, OnNewRecord,
        OnCalcFields;
    TErrorEvent OnPostError, OnEditError, OnDeleteError;

    // The program's display of an exception that no caller can take, such as one raised by a
    // filter handler (InternalHandleException's default road); a warning on stderr when unset.
    static std::function<void(const std::exception&)> ApplicationHandleException;

protected:
    // ---- what a descendant supplies
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& Buffer) = 0;
    virtual void GetBookmarkData(TRecordBuffer Buffer, void* Data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) = 0;
    virtual void SetBookmarkData(TRecordBuffer Buffer, const void* Data) = 0;
    virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) = 0;
    virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) = 0;
    virtual int GetRecordSize() = 0;
    virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) = 0;
    virtual void InternalClose() = 0;
    virtual void InternalDelete() = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalGotoBookmark(const void* Bookmark) = 0;
    virtual void InternalHandleException(const std::exception& E);
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalInitRecord(TRecordBuffer Buffer) = 0;
    virtual void InternalLast() = 0;
    virtual void InternalOpen() = 0;
    virtual void InternalPost() = 0;
    virtual void InternalSetToRecord(TRecordBuffer Buffer) = 0;
    virtual bool IsCursorOpen() = 0;
    virtual void ClearCalcFields(TRecordBuffer Buffer);
    virtual void DataEvent(TDataEvent Event, intptr_t Info);
    virtual bool GetCanModify() { return true; }
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual void SetRecNo(int) {}
    virtual void InternalCancel() {}
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalRefresh() {}
    virtual void SetFiltered(bool Value) { FFiltered = Value; }
    virtual void SetOnFilterRecord(TFilterRecordEvent Value) { FOnFilterRecord = std::move(Value); }

    // ---- services for descendants
    TRecordBuffer ActiveBuffer() const { return FActive; }
    TRecordBuffer TempBuffer() const { return FTemp; }
    TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
    int CalcFieldsSize() const { return FCalcFieldsSize; }
    int BookmarkSize() const { return FBookmarkSize; }
    void SetBookmarkSize(int Size) { FBookmarkSize = Size; }
    // Switches into a temporary state (filter, calculation) and back.
    TDataSetState SetTempState(TDataSetState Value);
    void RestoreState(TDataSetState Value);
    void CheckActive() const;
    void CheckInactive() const;
    // Puts the descendant's cursor on the active record.
    void UpdateCursorPos();
    // The descendant moved its cursor itself; the active record follows it at the next read.
    void CursorPosChanged() {}
    // Fills the calculated and lookup fields of Buffer.
    void GetCalcFields(TRecordBuffer Buffer);
    // Field objects from the definitions (default fields) and their removal.
    void CreateFields();
    void DestroyFields();
    // Binds data fields to their definitions (FieldNo) and lays out the calculated-fields area;
    // raises for a field without a definition or whose type or size differs from it.
    void BindFields(bool Binding);
    void DoBeforeScroll() { DoEvent(BeforeScroll); }
    void DoAfterScroll() { DoEvent(AfterScroll); }

private:
    void OpenCursor();
    void CloseCursor();
    void SetState(TDataSetState Value);
    void DoEvent(const TNotifyEvent& E) {
        if (E) E(*this);
    }
    // Reads a record into the spare buffer and swaps it in when the read succeeds.
    bool ReadInto(TGetMode Mode, bool DoCheck = false);
    void ClearBuffers();
    void InitRecord(TRecordBuffer Buffer);
    void CheckRequiredFields();
    void CheckCanModify();
    void BeginInsertAppend(bool Append);
    void AddRecord(const std::vector<TVariant>& Values, bool Append);
    // The end of Post and of InsertRecord/AppendRecord: Store writes the record.
    void PostWith(const std::function<void()>& Store);
    // Runs Action, asking Handler what to do when it raises a database error.
    void RunWithErrorEvent(const TErrorEvent& Handler, const std::function<void()>& Action);

    std::string FName;
    unsigned FComponentState = 0;
    TDataSetState FState = dsInactive;
    bool FModified = false;
    bool FBOF = true, FEOF = true;
    // The active buffer holds a record of the storage (false on an empty dataset).
    bool FRecordValid = false;
    bool FDefaultFields = false;
    bool FFiltered = false;
    TFilterRecordEvent FOnFilterRecord;
    TFieldDefs FFieldDefs;
    TFields FFields;
    TRecordBuffer FActive = nullptr, FSpare = nullptr, FTemp = nullptr;
    TRecordBuffer FCalcBuffer = nullptr;
    int FCalcFieldsSize = 0;
    // A lookup field of this dataset is being filled (GetCalcFields).
    bool FLookingUp = false;
    int FBookmarkSize = 0;
    int FDisableCount = 0;
    bool FChangedWhileDisabled = false;
    int FNextHandlerId = 1;
    std::map<int, TDataEventHandler> FHandlers;
};
