#include "sbCustomDataset.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int RecordInfoSize = 1 + 4; // bookmark flag, record index
constexpr int IndexBookmarkSize = 4;

bool IsSlotType(TFieldType T) {
    return (T >= ftString && T <= ftAutoInc) || (T >= ftFixedChar && T <= ftADT) ||
           T == ftVariant || T == ftGuid;
}

} // namespace

TSampleDataSet::TSampleDataSet() = default;

TSampleDataSet::~TSampleDataSet() {
    Close();
}

void TSampleDataSet::SetReadOnly(bool Value) {
    if (Loading()) {
        FReadOnly = Value;
        return;
    }
    if (Value == FReadOnly) return;
    if (Active()) {
        if (!Designing()) DatabaseError(DBConsts::SDataSetOpen);
        Close();
    }
    FReadOnly = Value;
}

void TSampleDataSet::AddFieldInfo(TFieldInfos& FieldInfos, std::string_view Name,
                                  TFieldType DataType, int Size, bool NotRequired, bool InText,
                                  bool InBuffer) {
    if (Size < 0 || Size > MaxFieldSize) return;
    auto Info = std::make_unique<TFieldInfo>();
    Info->InBuffer = InBuffer;
    Info->DataType = DataType;
    Info->Size = DataType == ftBCD ? 4 : Size;
    Info->Name = std::string(Name.substr(0, 255));
    Info->NotRequired = NotRequired;
    Info->InText = InText;
    FieldInfos.push_back(std::move(Info));
}

// ---- opening and layout ------------------------------------------------------------------------

void TSampleDataSet::InternalOpen() {
    FCursorOpen = true;
    FCurrentIndex = -1;
    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    FBookmarkOffset = FRecordDataSize + CalcFieldsSize();
    FRecordBufferSize = FBookmarkOffset + RecordInfoSize;
    SetBookmarkSize(IndexBookmarkSize);
}

void TSampleDataSet::InternalClose() {
    FCurrentIndex = -1;
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    ClearFieldInfos(FFieldInfos);
    FCursorOpen = false;
}

void TSampleDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    ClearFieldInfos(FFieldInfos);
    CreateFieldInfos(FFieldInfos);
    int Offset = 0;
    for (size_t I = 0; I < FFieldInfos.size(); ++I) {
        TFieldInfo& Info = *FFieldInfos[I];
        Info.Name = UpperCase(Info.Name.substr(0, 255));
        Info.Offset = Offset;
        Info.SlotSize = FieldDataSize(Info.DataType, Info.Size) + Info.Size + 1;
        Offset += Info.SlotSize;
        FieldDefs().Add(Info.Name, Info.DataType, Info.Size, !Info.NotRequired,
                        FieldDefs().Count() + 1);
        Info.Index = static_cast<int>(I);
    }
    FRecordDataSize = Offset;
}

TField* TSampleDataSet::DataFieldOf(const TFields& Fields, int Index) const {
    for (int I = 0; I < Fields.Count(); ++I)
        if (Fields[I].FieldKind() == fkData && Fields[I].FieldNo() == Index + 1) return &Fields[I];
    return nullptr;
}

// ---- buffers -----------------------------------------------------------------------------------

TRecordBuffer TSampleDataSet::AllocRecordBuffer() {
    return new char[static_cast<size_t>(FRecordBufferSize)]();
}

void TSampleDataSet::FreeRecordBuffer(TRecordBuffer& Buffer) {
    delete[] Buffer;
    Buffer = nullptr;
}

void TSampleDataSet::InternalInitRecord(TRecordBuffer Buffer) {
    std::memset(Buffer, 0, static_cast<size_t>(FBookmarkOffset));
}

void TSampleDataSet::ClearCalcFields(TRecordBuffer Buffer) {
    std::memset(Buffer + FRecordDataSize, 0, static_cast<size_t>(CalcFieldsSize()));
}

void TSampleDataSet::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
    std::memcpy(Data, Buffer + FBookmarkOffset + 1, IndexBookmarkSize);
}

void TSampleDataSet::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
    std::memcpy(Buffer + FBookmarkOffset + 1, Data, IndexBookmarkSize);
}

TBookmarkFlag TSampleDataSet::GetBookmarkFlag(TRecordBuffer Buffer) {
    return static_cast<TBookmarkFlag>(Buffer[FBookmarkOffset]);
}

void TSampleDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    Buffer[FBookmarkOffset] = static_cast<char>(Value);
}

// ---- reading and moving ------------------------------------------------------------------------

TGetResult TSampleDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    const int Count = GetRecordCount();
    TGetResult Result = grOK;
    bool Accepted = true;
    switch (GetMode) {
    case gmCurrent:
        if (FCurrentIndex < 0 || FCurrentIndex >= Count || (Filtered() && !RecordFiltered()))
            Result = grError;
        break;
    case gmNext:
        if (FCurrentIndex >= Count - 1) {
            Result = grEOF;
            break;
        }
        do {
            ++FCurrentIndex;
            if (Filtered()) Accepted = RecordFiltered();
        } while (!Accepted && FCurrentIndex <= Count - 1);
        if (!Accepted) {
            Result = grEOF;
            FCurrentIndex = Count - 1;
        }
        break;
    case gmPrior:
        if (FCurrentIndex <= 0) {
            Result = grBOF;
            FCurrentIndex = -1;
            break;
        }
        do {
            --FCurrentIndex;
            if (Filtered()) Accepted = RecordFiltered();
        } while (!Accepted && FCurrentIndex >= 0);
        if (!Accepted) {
            Result = grBOF;
            FCurrentIndex = -1;
        }
        break;
    }
    switch (Result) {
    case grOK: {
        ReadRecord(FCurrentIndex, Buffer);
        SetBookmarkFlag(Buffer, bfCurrent);
        int32_t Index = FCurrentIndex;
        SetBookmarkData(Buffer, &Index);
        GetCalcFields(Buffer);
        break;
    }
    case grBOF: SetBookmarkFlag(Buffer, bfBOF); break;
    case grEOF: SetBookmarkFlag(Buffer, bfEOF); break;
    case grError:
        if (DoCheck) DatabaseError(DBConsts::SNoDataFound);
        break;
    }
    return Result;
}

bool TSampleDataSet::RecordFiltered() {
    const TFilterRecordEvent& Handler = OnFilterRecord();
    if (!Handler) return true;
    if (FCurrentIndex < 0 || FCurrentIndex >= GetRecordCount()) return false;
    bool Accept = true;
    TDataSetState Old = SetTempState(dsFilter);
    try {
        ReadRecord(FCurrentIndex, TempBuffer());
        Handler(*this, Accept);
    } catch (const std::exception& E) {
        InternalHandleException(E);
    }
    RestoreState(Old);
    return Accept;
}

void TSampleDataSet::InternalGotoBookmark(const void* Bookmark) {
    int32_t I;
    std::memcpy(&I, Bookmark, sizeof I);
    if (I < -1 || I >= GetRecordCount()) return;
    int Saved = FCurrentIndex;
    FCurrentIndex = I;
    if (Filtered() && !RecordFiltered()) FCurrentIndex = Saved;
}

void TSampleDataSet::InternalSetToRecord(TRecordBuffer Buffer) {
    InternalGotoBookmark(Buffer + FBookmarkOffset + 1);
}

int TSampleDataSet::GetRecNo() {
    CheckActive();
    UpdateCursorPos();
    // An empty dataset has no record number, wherever its cursor was left.
    if (GetRecordCount() == 0) return 0;
    return FCurrentIndex == -1 ? 1 : FCurrentIndex + 1;
}

void TSampleDataSet::SetRecNo(int Value) {
    CheckActive();
    // A pending edit is posted (or cancelled when unchanged) before the cursor leaves it.
    CheckBrowseMode();
    if (Value <= 0 || Value > GetRecordCount()) return;
    DoBeforeScroll();
    FCurrentIndex = Value - 1;
    Resync();
    DoAfterScroll();
}

void TSampleDataSet::SetFiltered(bool Value) {
    if (Active()) {
        CheckBrowseMode();
        if (Value != Filtered()) {
            TDataSet::SetFiltered(Value);
            First();
        }
    } else {
        TDataSet::SetFiltered(Value);
    }
}

void TSampleDataSet::SetOnFilterRecord(TFilterRecordEvent Value) {
    if (Active()) {
        CheckBrowseMode();
        TDataSet::SetOnFilterRecord(std::move(Value));
        if (Filtered()) First();
    } else {
        TDataSet::SetOnFilterRecord(std::move(Value));
    }
}

void TSampleDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    TDataSet::DataEvent(Event, Info);
    AfterDataEvent(Event, Info);
}

// ---- changes -----------------------------------------------------------------------------------

void TSampleDataSet::ModifyRecord(TModifyKind, TRecordBuffer) {
    DatabaseError(DBConsts::SDataSetReadOnly);
}

void TSampleDataSet::InternalEdit() {
    if (!GetCanModify()) DatabaseError(DBConsts::SDataSetReadOnly);
}

void TSampleDataSet::InternalInsert() {
    if (!GetCanModify()) DatabaseError(DBConsts::SDataSetReadOnly);
}

void TSampleDataSet::InternalPost() {
    ModifyRecord(State() == dsEdit ? mkEdit : mkInsert, ActiveBuffer());
}

void TSampleDataSet::InternalAddRecord(TRecordBuffer Buffer, bool) {
    ModifyRecord(mkInsert, Buffer);
}

void TSampleDataSet::InternalDelete() {
    ModifyRecord(mkDelete, ActiveBuffer());
    if (FCurrentIndex >= GetRecordCount()) --FCurrentIndex;
    // Back to the nearest accepted record, but never before "before the first".
    while (FCurrentIndex >= 0 && Filtered() && !RecordFiltered())
        --FCurrentIndex;
    FCurrentIndex = std::max(FCurrentIndex, -1);
}

// ---- field access ------------------------------------------------------------------------------

bool TSampleDataSet::GetActiveRecordBuffer(TRecordBuffer& Buffer) {
    switch (State()) {
    case dsBrowse: Buffer = IsEmpty() ? nullptr : ActiveBuffer(); break;
    case dsEdit:
    case dsInsert: Buffer = ActiveBuffer(); break;
    case dsCalcFields: Buffer = CalcBuffer(); break;
    case dsFilter: Buffer = TempBuffer(); break;
    default: Buffer = nullptr; break;
    }
    return Buffer != nullptr;
}

char* TSampleDataSet::GetFieldDataPointer(TRecordBuffer Buffer, const TField& Field) {
    int I = FieldDefs().IndexOf(Field.FieldName());
    if (I < 0 || !Buffer || I >= static_cast<int>(FFieldInfos.size())) return nullptr;
    if (!IsSlotType(FieldDefs()[I].DataType)) return nullptr;
    return Buffer + FFieldInfos[static_cast<size_t>(I)]->Offset;
}

bool TSampleDataSet::GetFieldData(const TField& Field, void* Buffer) {
    TRecordBuffer Record;
    if (!GetActiveRecordBuffer(Record)) return false;
    if (Field.FieldNo() > 0) {
        char* Slot = GetFieldDataPointer(Record, Field);
        if (!Slot) return false;
        bool HasValue = Slot[0] != 0;
        if (HasValue && Field.DataType() == ftString) HasValue = Slot[1] != 0;
        if (HasValue && Buffer)
            std::memcpy(Buffer, Slot + 1, static_cast<size_t>(Field.DataSize()));
        return HasValue;
    }
    TDataSetState S = State();
    if (S != dsBrowse && S != dsEdit && S != dsInsert && S != dsCalcFields) return false;
    const char* Place = Record + FRecordDataSize + Field.Offset();
    bool HasValue = Place[0] != 0;
    if (HasValue && Buffer) std::memcpy(Buffer, Place + 1, static_cast<size_t>(Field.DataSize()));
    return HasValue;
}

void TSampleDataSet::SetFieldData(TField& Field, const void* Buffer) {
    const TDataSetState S = State();
    if (S != dsEdit && S != dsInsert && S != dsSetKey && S != dsCalcFields && S != dsFilter &&
        S != dsNewValue && S != dsInternalCalc)
        DatabaseError(DBConsts::SDataSetReadOnly);
    TRecordBuffer Record;
    // Without a record buffer there is nowhere to write.
    if (!GetActiveRecordBuffer(Record)) return;
    const size_t Size = static_cast<size_t>(Field.DataSize());
    if (Field.FieldNo() > 0) {
        if (S == dsCalcFields || S == dsFilter) DatabaseError(DBConsts::SDataSetReadOnly);
        if (Field.ReadOnly && S != dsSetKey)
            DatabaseErrorFmt(DBConsts::SFieldReadOnly, {Field.DisplayName()});
        Field.Validate(Buffer);
        if (Field.FieldKind() != fkInternalCalc) {
            if (char* Slot = GetFieldDataPointer(Record, Field)) {
                bool HasValue = Buffer != nullptr;
                if (HasValue && Field.DataType() == ftVariant) {
                    uint16_t Type;
                    std::memcpy(&Type, Buffer, sizeof Type);
                    HasValue = Type != varNull && Type != varEmpty;
                }
                Slot[0] = HasValue ? 1 : 0;
                if (HasValue)
                    std::memcpy(Slot + 1, Buffer, Size);
                else
                    std::memset(Slot + 1, 0, Size);
            }
        }
    } else {
        char* Place = Record + FRecordDataSize + Field.Offset();
        Place[0] = Buffer ? 1 : 0;
        if (Buffer)
            std::memcpy(Place + 1, Buffer, Size);
        else
            std::memset(Place + 1, 0, Size);
    }
    if (S != dsCalcFields && S != dsFilter && S != dsNewValue)
        DataEvent(deFieldChange, reinterpret_cast<intptr_t>(&Field));
}

// ---- searching ---------------------------------------------------------------------------------

bool TSampleDataSet::LocateRecord(std::string_view KeyFields, const TVariant& KeyValues,
                                  TLocateOptions Options) {
    std::vector<TField*> Keys = GetFieldList(KeyFields);
    const size_t N = Keys.size();
    TBookmark Saved = GetBookmark();
    bool Found = false;
    while (!Found && !Eof()) {
        Found = true;
        for (size_t K = 0; Found && K < N; ++K) {
            TVariant Key = KeyValues;
            if (N > 1) {
                if (!KeyValues.IsArray() || KeyValues.Items().size() <= K) {
                    Found = false;
                    break;
                }
                Key = KeyValues.Items()[K];
            }
            TVariant Value = Keys[K]->Value();
            Found = !Key.IsNull() && !Key.IsEmpty() && !Value.IsNull();
            if (!Found) break;
            try {
                Value = Value.ChangeType(Key.Type());
            } catch (const EVariantError&) {
                Found = false;
                break;
            }
            if (Keys[K]->DataType() == ftString) {
                std::string A = Key.AsString(), B = Value.AsString();
                if (Options & loCaseInsensitive) {
                    A = AnsiUpperCase(A);
                    B = AnsiUpperCase(B);
                }
                A = TrimRight(A);
                B = TrimRight(B);
                // An empty key names nothing (as a prefix it would match every record).
                Found = !A.empty() &&
                        ((Options & loPartialKey) ? B.compare(0, A.size(), A) == 0 : A == B);
            } else {
                Found = Key == Value;
            }
        }
        if (!Found) Next();
    }
    if (!Found)
        GotoBookmark(Saved);
    else
        CursorPosChanged();
    return Found;
}

void TSampleDataSet::ScanFromFirst(const std::function<void(const TBookmark& Saved)>& Scan) {
    DisableControls();
    TBookmark Saved = GetBookmark();
    try {
        First();
        Scan(Saved);
    } catch (...) {
        // A failed search (an unknown key field) leaves the cursor where it was.
        try {
            GotoBookmark(Saved);
        } catch (...) {
        }
        EnableControls();
        throw;
    }
    EnableControls();
}

bool TSampleDataSet::Locate(std::string_view KeyFields, const TVariant& KeyValues,
                            TLocateOptions Options) {
    bool Result = false;
    ScanFromFirst([&](const TBookmark& Saved) {
        Result = LocateRecord(KeyFields, KeyValues, Options);
        if (!Result) GotoBookmark(Saved);
    });
    return Result;
}

TVariant TSampleDataSet::Lookup(std::string_view KeyFields, const TVariant& KeyValues,
                                std::string_view ResultFields) {
    TVariant Result = TVariant::Null();
    ScanFromFirst([&](const TBookmark& Saved) {
        if (LocateRecord(KeyFields, KeyValues, 0) && !Trim(ResultFields).empty())
            Result = FieldValues(ResultFields);
        GotoBookmark(Saved);
    });
    return Result;
}
