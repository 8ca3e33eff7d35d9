// TDataSet: opening and closing, fields, navigation, bookmarks and data events. The edit cycle
// is in DataSetEdit.cpp.
#include "DataSet.h"

#include <QtGlobal>

#include <algorithm>

std::function<void(const std::exception&)> TDataSet::ApplicationHandleException;

TDataSet::~TDataSet() = default;

// ---- opening and state -------------------------------------------------------------------------

void TDataSet::SetActive(bool Value) {
    if (Value == Active()) return;
    if (Value) {
        DoEvent(BeforeOpen);
        OpenCursor();
        DoEvent(AfterOpen);
    } else {
        DoEvent(BeforeClose);
        SetState(dsInactive);
        CloseCursor();
        DoEvent(AfterClose);
    }
}

void TDataSet::OpenCursor() {
    FState = dsOpening;
    try {
        FDefaultFields = FFields.Count() == 0;
        InternalOpen();
        FActive = AllocRecordBuffer();
        FSpare = AllocRecordBuffer();
        FTemp = AllocRecordBuffer();
        FState = dsBrowse;
        FModified = false;
        InternalFirst();
        FRecordValid = ReadInto(gmNext);
        FBOF = true;
        FEOF = !FRecordValid;
    } catch (...) {
        FState = dsInactive;
        CloseCursor();
        throw;
    }
    DataEvent(deUpdateState, 0);
}

void TDataSet::CloseCursor() {
    ClearBuffers();
    if (IsCursorOpen()) InternalClose();
    FRecordValid = false;
    FBOF = FEOF = true;
    FModified = false;
    FCalcFieldsSize = 0;
}

void TDataSet::ClearBuffers() {
    for (TRecordBuffer* B : {&FActive, &FSpare, &FTemp})
        if (*B) FreeRecordBuffer(*B);
    FActive = FSpare = FTemp = nullptr;
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
    TDataSetState Old = FState;
    FState = Value;
    return Old;
}

void TDataSet::RestoreState(TDataSetState Value) {
    FState = Value;
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(DBConsts::SDataSetClosed);
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(DBConsts::SDataSetOpen);
}

void TDataSet::InternalHandleException(const std::exception& E) {
    if (ApplicationHandleException)
        ApplicationHandleException(E);
    else
        qWarning("%s", E.what());
}

// ---- fields ------------------------------------------------------------------------------------

TField& TDataSet::AddField(std::string FieldName, TFieldType DataType, int Size, TFieldKind Kind) {
    CheckInactive();
    if (FindField(FieldName)) DatabaseErrorFmt(DBConsts::SDuplicateFieldName, {FieldName});
    auto F = std::make_unique<TField>(*this, std::move(FieldName), DataType, Size, Kind);
    TField& R = *F;
    FFields.Add(std::move(F));
    return R;
}

std::vector<TField*> TDataSet::GetFieldList(std::string_view Names) const {
    std::vector<TField*> R;
    size_t P = 0;
    while (P <= Names.size()) {
        size_t E = std::min(Names.find(';', P), Names.size());
        std::string Name = Trim(Names.substr(P, E - P));
        if (!Name.empty()) R.push_back(&FieldByName(Name));
        P = E + 1;
    }
    return R;
}

TVariant TDataSet::FieldValues(std::string_view Names) const {
    std::vector<TField*> List = GetFieldList(Names);
    if (List.size() == 1) return List[0]->Value();
    std::vector<TVariant> Values;
    for (TField* F : List)
        Values.push_back(F->Value());
    return TVariant::Array(std::move(Values));
}

void TDataSet::CreateFields() {
    for (int I = 0; I < FFieldDefs.Count(); ++I) {
        const TFieldDef& D = FFieldDefs[I];
        auto F = std::make_unique<TField>(*this, D.Name, D.DataType, D.Size, fkData);
        F->Required = D.Required;
        FFields.Add(std::move(F));
    }
}

void TDataSet::DestroyFields() {
    FFields.Clear();
}

void TDataSet::BindFields(bool Binding) {
    FCalcFieldsSize = 0;
    for (int I = 0; I < FFields.Count(); ++I) {
        TField& F = FFields[I];
        if (!Binding) {
            F.FFieldNo = 0;
            continue;
        }
        if (F.FieldKind() != fkData) {
            F.FOffset = FCalcFieldsSize;
            FCalcFieldsSize += F.DataSize() + 1;
            continue;
        }
        int Def = FFieldDefs.IndexOf(F.FieldName());
        if (Def < 0) DatabaseErrorFmt(DBConsts::SFieldNotFound, {F.DisplayName()});
        const TFieldDef& D = FFieldDefs[Def];
        if (D.DataType != F.DataType())
            DatabaseErrorFmt(
                DBConsts::SFieldTypeMismatch,
                {F.DisplayName(), FieldTypeName(F.DataType()), FieldTypeName(D.DataType)});
        if (IsSizedType(D.DataType) && D.Size != F.Size())
            DatabaseErrorFmt(DBConsts::SFieldSizeMismatch, {F.DisplayName(), F.Size(), D.Size});
        F.FFieldNo = D.FieldNo;
    }
}

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
    if (FCalcFieldsSize == 0) return;
    TDataSetState Old = SetTempState(dsCalcFields);
    TRecordBuffer OldCalc = FCalcBuffer;
    FCalcBuffer = Buffer;
    const bool WasLookingUp = FLookingUp;
    auto Restore = [&] {
        FLookingUp = WasLookingUp;
        FCalcBuffer = OldCalc;
        RestoreState(Old);
    };
    try {
        ClearCalcFields(Buffer);
        for (int I = 0; I < FFields.Count(); ++I) {
            TField& F = FFields[I];
            if (F.FieldKind() != fkLookup || !F.LookupDataSet || !F.LookupDataSet->Active())
                continue;
            // A lookup dataset that reads this one's records while a lookup of this one is under
            // way (its own lookup fields lead back here) would recurse without end.
            if (F.LookupDataSet == this || WasLookingUp)
                DatabaseErrorFmt(F.LookupDataSet == this ? DBConsts::SSelfLookup
                                                         : DBConsts::SCircularLookup,
                                 {F.DisplayName()});
            FLookingUp = true;
            TVariant Key = FieldValues(F.KeyFields);
            F.SetValue(F.LookupDataSet->Lookup(F.LookupKeyFields, Key, F.LookupResultField));
        }
        FLookingUp = WasLookingUp;
        DoEvent(OnCalcFields);
    } catch (...) {
        Restore();
        throw;
    }
    Restore();
}

void TDataSet::ClearCalcFields(TRecordBuffer) {}

// ---- navigation --------------------------------------------------------------------------------

bool TDataSet::ReadInto(TGetMode Mode, bool DoCheck) {
    if (GetRecord(FSpare, Mode, DoCheck) != grOK) return false;
    std::swap(FActive, FSpare);
    FRecordValid = true;
    return true;
}

void TDataSet::UpdateCursorPos() {
    if (!FRecordValid) return;
    TBookmarkFlag Flag = GetBookmarkFlag(FActive);
    // An appended record has no place yet: the cursor stays behind the last record.
    if (Flag == bfCurrent || Flag == bfInserted) InternalSetToRecord(FActive);
}

bool TDataSet::IsEmpty() const {
    return !FRecordValid;
}

void TDataSet::First() {
    CheckBrowseMode();
    DoEvent(BeforeScroll);
    InternalFirst();
    if (!ReadInto(gmNext)) FRecordValid = false;
    FBOF = true;
    FEOF = !FRecordValid;
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoEvent(BeforeScroll);
    InternalLast();
    if (!ReadInto(gmPrior)) FRecordValid = false;
    FEOF = true;
    FBOF = !FRecordValid;
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterScroll);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    if (Distance == 0 || (Distance > 0 && FEOF) || (Distance < 0 && FBOF)) return 0;
    DoEvent(BeforeScroll);
    UpdateCursorPos();
    int Moved = 0;
    FBOF = FEOF = false;
    const int Step = Distance > 0 ? 1 : -1;
    while (Moved != Distance) {
        if (!ReadInto(Step > 0 ? gmNext : gmPrior)) {
            (Step > 0 ? FEOF : FBOF) = true;
            break;
        }
        Moved += Step;
    }
    DataEvent(deDataSetScroll, 0);
    DoEvent(AfterScroll);
    return Moved;
}

void TDataSet::Resync() {
    CheckActive();
    bool Got = ReadInto(gmCurrent) || ReadInto(gmNext) || ReadInto(gmPrior);
    if (!Got) FRecordValid = false;
    FBOF = FEOF = !Got;
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    DoEvent(BeforeRefresh);
    UpdateCursorPos();
    InternalRefresh();
    Resync();
    DoEvent(AfterRefresh);
}

// ---- bookmarks ---------------------------------------------------------------------------------

TBookmark TDataSet::GetBookmark() {
    if (!Active() || !FRecordValid || GetBookmarkFlag(FActive) != bfCurrent) return {};
    TBookmark B(static_cast<size_t>(FBookmarkSize), '\0');
    GetBookmarkData(FActive, B.data());
    return B;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
    if (Bookmark.empty()) return;
    CheckBrowseMode();
    if (Bookmark.size() != static_cast<size_t>(FBookmarkSize))
        DatabaseError(DBConsts::SRecordNotFound);
    DoEvent(BeforeScroll);
    InternalGotoBookmark(Bookmark.data());
    Resync();
    DoEvent(AfterScroll);
}

// ---- data events -------------------------------------------------------------------------------

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deFieldChange && (FState == dsEdit || FState == dsInsert)) {
        FModified = true;
        auto* F = reinterpret_cast<TField*>(Info);
        if (AutoCalcFields && F && F->FieldKind() == fkData) GetCalcFields(FActive);
    }
    if (FDisableCount > 0) {
        FChangedWhileDisabled = true;
        return;
    }
    std::vector<TDataEventHandler> Handlers;
    for (auto& [Id, H] : FHandlers)
        Handlers.push_back(H);
    for (auto& H : Handlers)
        H(Event, Info);
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0 || --FDisableCount > 0) return;
    if (FChangedWhileDisabled) {
        FChangedWhileDisabled = false;
        DataEvent(deDataSetChange, 0);
    }
}

int TDataSet::AddDataEventHandler(TDataEventHandler Handler) {
    FHandlers[FNextHandlerId] = std::move(Handler);
    return FNextHandlerId++;
}

void TDataSet::RemoveDataEventHandler(int Id) {
    FHandlers.erase(Id);
}
