// TDataSet: the edit cycle (Edit, Insert, Append, Post, Cancel, Delete) and its error events.
#include "DataSet.h"

void TDataSet::CheckCanModify() {
    if (!GetCanModify()) DatabaseError(DBConsts::SDataSetReadOnly);
}

void TDataSet::RunWithErrorEvent(const TErrorEvent& Handler, const std::function<void()>& Action) {
    for (;;) {
        try {
            Action();
            return;
        } catch (const EDatabaseError& E) {
            if (!Handler) throw;
            TDataAction A = daFail;
            Handler(*this, E, A);
            if (A == daFail) throw;
            if (A == daAbort) throw EAbort(DBConsts::SOperationAborted);
        }
    }
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (FState != dsEdit && FState != dsInsert) DatabaseError(DBConsts::SNotEditing);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::InitRecord(TRecordBuffer Buffer) {
    InternalInitRecord(Buffer);
    ClearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    CheckActive();
    if (!FRecordValid) {
        Insert();
        return;
    }
    CheckCanModify();
    DoEvent(BeforeEdit);
    RunWithErrorEvent(OnEditError, [this] {
        UpdateCursorPos();
        InternalEdit();
    });
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoEvent(AfterEdit);
}

void TDataSet::BeginInsertAppend(bool Append) {
    CheckBrowseMode();
    CheckCanModify();
    DoEvent(BeforeInsert);
    DoEvent(BeforeScroll);
    if (Append)
        InternalLast();
    else
        UpdateCursorPos();
    InternalInsert();
    // The new record takes the active buffer; Cancel reads the current record back. Its record
    // information still names the record it is inserted before.
    InitRecord(FActive);
    SetBookmarkFlag(FActive, Append ? bfEOF : bfInserted);
    FRecordValid = true;
    FBOF = FEOF = false;
    SetState(dsInsert);
    DoEvent(OnNewRecord);
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterInsert);
    DoEvent(AfterScroll);
}

void TDataSet::Insert() {
    BeginInsertAppend(false);
}

void TDataSet::Append() {
    BeginInsertAppend(true);
}

void TDataSet::CheckRequiredFields() {
    for (int I = 0; I < FFields.Count(); ++I) {
        TField& F = FFields[I];
        if (F.Required && !F.ReadOnly && F.FieldKind() == fkData && F.IsNull())
            DatabaseErrorFmt(DBConsts::SFieldRequired, {F.DisplayName()});
    }
}

void TDataSet::PostWith(const std::function<void()>& Store) {
    DoEvent(BeforePost);
    CheckRequiredFields();
    RunWithErrorEvent(OnPostError, [&] {
        UpdateCursorPos();
        Store();
    });
    SetState(dsBrowse);
    Resync();
    DoEvent(AfterPost);
}

void TDataSet::Post() {
    CheckActive();
    if (FState != dsEdit && FState != dsInsert) return;
    UpdateRecord();
    PostWith([this] { InternalPost(); });
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DoEvent(BeforeCancel);
    InternalCancel();
    SetState(dsBrowse);
    Resync();
    DoEvent(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (!FRecordValid) DatabaseError(DBConsts::SDataSetEmpty);
    DataEvent(deCheckBrowseMode, 0);
    DoEvent(BeforeDelete);
    DoEvent(BeforeScroll);
    RunWithErrorEvent(OnDeleteError, [this] {
        UpdateCursorPos();
        InternalDelete();
    });
    SetState(dsBrowse);
    Resync();
    DoEvent(AfterDelete);
    DoEvent(AfterScroll);
}

void TDataSet::AddRecord(const std::vector<TVariant>& Values, bool Append) {
    BeginInsertAppend(Append);
    try {
        for (size_t I = 0; I < Values.size() && static_cast<int>(I) < FFields.Count(); ++I)
            if (!Values[I].IsEmpty()) FFields[static_cast<int>(I)].SetValue(Values[I]);
        PostWith([this, Append] { InternalAddRecord(FActive, Append); });
    } catch (...) {
        if (FState == dsInsert) Cancel();
        throw;
    }
}

void TDataSet::InsertRecord(const std::vector<TVariant>& Values) {
    AddRecord(Values, false);
}

void TDataSet::AppendRecord(const std::vector<TVariant>& Values) {
    AddRecord(Values, true);
}
