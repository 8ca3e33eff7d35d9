// Record value conversions: ReadRecord and FieldsToBuffer of TSampleDataSet, and the text forms
// of slot values.
#include "sbRecordValues.h"

#include "Bcd.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

template <typename T>
void Put(char* P, T V) {
    std::memcpy(P, &V, sizeof V);
}

template <typename T>
T Get(const char* P) {
    T V;
    std::memcpy(&V, P, sizeof V);
    return V;
}

TTimeStamp StampOf(const TVariant& V) {
    TTimeStamp S;
    if (!DateTimeToTimeStamp(V.AsDateTime(), S) || !ValidTimeStamp(S))
        throw EVariantError(Format(DBConsts::SVarTypeCast, {VarTypeName(V.Type()), "Date"}));
    return S;
}

std::string StampText(const TTimeStamp& S, std::string (*ToText)(TDateTime)) {
    return ValidTimeStamp(S) ? ToText(TimeStampToDateTime(S)) : std::string();
}

} // namespace

bool StoreSlotValue(char* Slot, const TFieldInfo& Info, const TVariant& V,
                    const std::string& ErrorName) {
    char* Data = Slot + 1;
    // Whatever the slot held before is gone, so that a value not stored never shows the bytes
    // of the previous record.
    const size_t Capacity = Info.SlotSize > 1 ? static_cast<size_t>(Info.SlotSize - 1) : 0;
    const size_t DataSize = static_cast<size_t>(FieldDataSize(Info.DataType, Info.Size));
    // Room for text that keeps its terminating zero inside the slot.
    const size_t TextRoom = Capacity > 0 ? Capacity - 1 : 0;
    if (Capacity < DataSize) DatabaseErrorFmt(DBConsts::SInvalidFieldSize, {Info.Size, ErrorName});
    std::memset(Data, 0, Capacity);
    if (IsBlobType(Info.DataType)) {
        // The text fills the slot at most up to its last byte, which stays a terminating zero.
        const std::string S = CutText(V.AsString(), static_cast<int>(TextRoom));
        std::memcpy(Data, S.data(), S.size());
        return true;
    }
    switch (Info.DataType) {
    case ftUnknown: DatabaseErrorFmt(DBConsts::SFieldUnknownType, {ErrorName});
    case ftString:
    case ftFixedChar:
    case ftMemo: {
        size_t Max =
            Info.DataType == ftMemo ? TextRoom : std::min(TextRoom, static_cast<size_t>(Info.Size));
        const std::string S = CutText(V.AsString(), static_cast<int>(Max));
        std::memcpy(Data, S.data(), S.size());
        return true;
    }
    case ftSmallint:
    case ftWord: Put(Data, static_cast<uint16_t>(V.AsInteger())); return true;
    case ftInteger:
    case ftAutoInc: Put(Data, V.AsInteger()); return true;
    case ftBoolean: Put(Data, static_cast<int16_t>(V.AsBoolean() ? 1 : 0)); return true;
    case ftFloat:
    case ftCurrency: Put(Data, V.AsDouble()); return true;
    case ftBCD: {
        TBcd B;
        CurrencyToBcd(V.AsCurrency(), B);
        Put(Data, B);
        return true;
    }
    case ftDate: Put(Data, StampOf(V).Date); return true;
    case ftTime: Put(Data, StampOf(V).Time); return true;
    case ftDateTime: {
        TTimeStamp S = StampOf(V);
        Put(Data, double(S.Date) * MSecsPerDay + S.Time);
        return true;
    }
    case ftBytes:
    case ftVarBytes: {
        // Bytes come as an array (or a byte string); anything longer than the field is cut.
        std::string B;
        if (V.Type() == varBytes) {
            B = V.RawBytes();
        } else if (V.IsArray()) {
            for (const TVariant& Item : V.Items())
                B += static_cast<char>(Item.AsInteger());
        } else {
            return false;
        }
        std::memcpy(Data, B.data(), std::min(B.size(), DataSize));
        return true;
    }
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet: return true;
    default: DatabaseErrorFmt(DBConsts::SFieldUnsupportedType, {ErrorName});
    }
}

void TSampleDataSet::ReadRecord(int RecordIndex, TRecordBuffer Buffer) {
    if (!Buffer) return;
    for (const auto& Info : FFieldInfos) {
        if (!Info->InBuffer || Info->Index < 0) continue;
        char* Slot = Buffer + Info->Offset;
        Slot[0] = 1;
        TVariant V;
        ParseRecord(RecordIndex, Info->Index, V);
        try {
            Slot[0] = StoreSlotValue(Slot, *Info, V, Info->Name) ? 1 : 0;
        } catch (...) {
            Slot[0] = 0;
            if (Info->DataType == ftUnknown) throw;
        }
    }
}

void TSampleDataSet::FieldsToBuffer(const TFields& Fields, TRecordBuffer Buffer) {
    if (!Buffer) return;
    for (const auto& Info : FFieldInfos) {
        if (!Info->InBuffer || Info->Index < 0) continue;
        char* Slot = Buffer + Info->Offset;
        Slot[0] = 1;
        const TField* F = DataFieldOf(Fields, Info->Index);
        if (!F) {
            // No field object is bound to this record: the field is null.
            Slot[0] = 0;
            std::memset(Slot + 1, 0, static_cast<size_t>(Info->SlotSize - 1));
            continue;
        }
        TVariant V;
        switch (Info->DataType) {
        case ftSmallint:
        case ftWord:
        case ftInteger:
        case ftAutoInc: V = TVariant::Integer(F->AsInteger()); break;
        case ftBoolean: V = TVariant::Boolean(F->AsBoolean()); break;
        case ftFloat:
        case ftCurrency: V = TVariant::Double(F->AsFloat()); break;
        case ftBCD: V = TVariant::Currency(F->AsCurrency()); break;
        case ftDate:
        case ftTime:
        case ftDateTime: V = TVariant::Date(F->AsDateTime()); break;
        case ftBytes:
        case ftVarBytes: V = F->Value(); break;
        default: V = TVariant::String(F->AsString()); break;
        }
        StoreSlotValue(Slot, *Info, V, F->FieldName());
    }
}

void FieldValueToString(const char* Data, int Capacity, TFieldType DataType, std::string& Text) {
    Text.clear();
    const size_t Cap = static_cast<size_t>(std::max(Capacity, 0));
    try {
        // The blob kinds hold zero-terminated text here, as the memo does.
        switch (IsBlobType(DataType) ? ftMemo : DataType) {
        case ftString:
        case ftMemo:
        case ftFixedChar: Text.assign(Data, ::strnlen(Data, Cap)); break;
        case ftSmallint:
        case ftBoolean: Text = std::to_string(Get<int16_t>(Data)); break;
        case ftWord: Text = std::to_string(Get<uint16_t>(Data)); break;
        case ftInteger:
        case ftAutoInc: Text = std::to_string(Get<int32_t>(Data)); break;
        case ftFloat: Text = FloatToText(Get<double>(Data)); break;
        case ftCurrency: {
            TCurrency C;
            if (FloatToCurrency(Get<double>(Data), C)) Text = CurrencyToText(C);
            break;
        }
        case ftBCD: {
            TCurrency C;
            Text = BcdToCurrency(Get<TBcd>(Data), C) ? CurrencyToText(C) : "0";
            break;
        }
        // A stamp that is no date or time gives no text (a time of 86,400,000 ms would read as
        // midnight, a day number of 0 as a year before the first).
        case ftDate: Text = StampText({Get<int32_t>(Data), 0}, DateToText); break;
        case ftTime: Text = StampText({DateDelta, Get<int32_t>(Data)}, TimeToText); break;
        case ftDateTime: {
            double Ms = Get<double>(Data);
            double Days = std::floor(Ms / MSecsPerDay);
            if (Days >= INT32_MIN && Days <= INT32_MAX)
                Text = StampText(
                    {static_cast<int32_t>(Days), static_cast<int32_t>(Ms - Days * MSecsPerDay)},
                    DateTimeToText);
            break;
        }
        default: break;
        }
    } catch (...) {
        Text.clear();
    }
}

void FieldInfosToStrings(const TFieldInfos& FieldInfos, const char* Buffer, TStringList& Strings,
                         std::string_view Prefix, bool NowForEmptyDates) {
    Strings.Clear();
    for (const auto& Info : FieldInfos) {
        if (!Info->InText) continue;
        const char* Slot = Buffer + Info->Offset;
        std::string Value;
        if (Slot[0] != 0) {
            FieldValueToString(Slot + 1, Info->SlotSize - 1, Info->DataType, Value);
        } else {
            switch (Info->DataType) {
            case ftInteger:
            case ftFloat:
            case ftCurrency:
            case ftBCD: Value = "0"; break;
            case ftDate:
            case ftTime:
            case ftDateTime:
                if (NowForEmptyDates) Value = DateTimeToText(Now());
                break;
            default: break;
            }
        }
        Strings.Add(std::string(Prefix) + Info->Name + "=" + Value);
    }
}
