#include "sbStringsDataset.h"

#include "sbRecordValues.h"

#include <algorithm>
#include <limits>

namespace {

// Decimal integer with optional blanks and sign; false for anything else or out of range.
bool DecimalToInt64(std::string_view S, long long& V) {
    std::string T = Trim(S);
    if (T.empty()) return false;
    size_t P = T[0] == '-' || T[0] == '+' ? 1 : 0;
    if (P == T.size()) return false;
    unsigned long long Acc = 0;
    for (; P < T.size(); ++P) {
        if (T[P] < '0' || T[P] > '9') return false;
        unsigned D = static_cast<unsigned>(T[P] - '0');
        if (Acc > (9223372036854775808ull - D) / 10) return false;
        Acc = Acc * 10 + D;
    }
    bool Neg = T[0] == '-';
    if (!Neg && Acc > 9223372036854775807ull) return false;
    V = Neg ? static_cast<long long>(0ull - Acc) : static_cast<long long>(Acc);
    return true;
}

// The value written for field Name by FieldInfosToStrings ("<Prefix><Name>=<value>").
std::string ValueOf(const TStringList& Values, const std::string& Key) {
    for (const auto& E : Values)
        if (E.Str.compare(0, Key.size() + 1, Key + "=") == 0) return E.Str.substr(Key.size() + 1);
    return {};
}

const char* const ValuePrefix = "~~~";

} // namespace

TSBStringsDataset::TSBStringsDataset() : FStrings(std::make_unique<TStringList>()) {
    FStrings->OnChange = [this] {
        if (!Loading()) DoStringsChange();
    };
    FStrings->OnChanging = [this] {
        if (!Loading()) DoStringsChanging();
    };
}

TSBStringsDataset::~TSBStringsDataset() {
    Close();
    FStrings->OnChange = nullptr;
    FStrings->OnChanging = nullptr;
}

void TSBStringsDataset::DoStringsChange() {
    if (OnStringsChange) OnStringsChange(*this);
}

void TSBStringsDataset::DoStringsChanging() {
    if (OnStringsChanging) OnStringsChanging(*this);
}

// ---- properties --------------------------------------------------------------------------------

void TSBStringsDataset::SetProperty(bool Unchanged, const std::function<void()>& Store) {
    if (Loading()) {
        Store();
        return;
    }
    if (Unchanged) return;
    const bool WasActive = Active();
    if (WasActive) {
        if (!Designing()) DatabaseError(DBConsts::SDataSetOpen);
        Close();
    }
    Store();
    if (WasActive && Designing()) Open();
}

void TSBStringsDataset::SetStrings(const TStringList& Value) {
    SetProperty(false, [&] { FStrings->Assign(Value); });
}

void TSBStringsDataset::SetCapacity(int Value) {
    SetProperty(Value == Capacity(), [&] { FStrings->SetCapacity(Value); });
}

void TSBStringsDataset::SetDuplicates(TDuplicates Value) {
    SetProperty(Value == Duplicates(), [&] { FStrings->SetDuplicates(Value); });
}

void TSBStringsDataset::SetSorted(bool Value) {
    SetProperty(Value == Sorted(), [&] { FStrings->SetSorted(Value); });
}

void TSBStringsDataset::SetMode(TSBStringsDataSetMode Value) {
    SetProperty(Value == FMode, [&] { FMode = Value; });
}

void TSBStringsDataset::SetDefaultStringLength(int Value) {
    // The length becomes a field size, which travels as 16 bits: 0 or 65536 would wrap.
    if (Value < 1 || Value > MaxFieldSize)
        DatabaseErrorFmt(DBConsts::SInvalidStringLength, {Value});
    SetProperty(Value == FDefaultStringLength, [&] { FDefaultStringLength = Value; });
}

// ---- records -----------------------------------------------------------------------------------

void TSBStringsDataset::CreateFieldInfos(TFieldInfos& FieldInfos) {
    switch (FMode) {
    case sdmStrings:
        AddFieldInfo(FieldInfos, "CODE", ftInteger, 0, true, true, true);
        AddFieldInfo(FieldInfos, "STRINGS", ftString, FDefaultStringLength, false, true, true);
        break;
    case sdmNamesValues:
        AddFieldInfo(FieldInfos, "NAMES", ftString, FDefaultStringLength, false, true, true);
        AddFieldInfo(FieldInfos, "VALUES", ftString, FDefaultStringLength, false, true, true);
        break;
    case sdmCustom:
        for (int I = 0; I < Fields().Count(); ++I) {
            const TField& F = Fields()[I];
            if (F.FieldKind() == fkData)
                AddFieldInfo(FieldInfos, F.FieldName(), F.DataType(), F.Size(), !F.Required, true,
                             true);
        }
        break;
    }
}

TGetResult TSBStringsDataset::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    if (FStrings->IsEmpty()) return grEOF;
    return TSampleDataSet::GetRecord(Buffer, GetMode, DoCheck);
}

const TStringList& TSBStringsDataset::LineItems(int Row) {
    const std::string& Line = FStrings->Strings(Row);
    if (Row != FSplitRow || Line != FSplitLine) {
        FSplitItems.SetCommaText(Line);
        FSplitRow = Row;
        FSplitLine = Line;
    }
    return FSplitItems;
}

TVariant TSBStringsDataset::CustomValue(const TField& F, const std::string& Item) const {
    long long I = 0;
    double D = 0;
    TCurrency C = 0;
    TDateTime T = 0;
    const TVariant Empty = TVariant::String("");
    if (IsBlobType(F.DataType())) return TVariant::String(Item);
    switch (F.DataType()) {
    case ftString:
    case ftMemo:
    case ftFixedChar: return TVariant::String(CutText(Item, F.Size()));
    case ftSmallint:
        return DecimalToInt64(Item, I) ? TVariant::Integer(static_cast<int16_t>(I), varSmallint)
                                       : Empty;
    case ftWord:
    case ftBoolean:
        return DecimalToInt64(Item, I) ? TVariant::Integer(static_cast<uint16_t>(I), varWord)
                                       : Empty;
    case ftInteger:
    case ftAutoInc:
        return DecimalToInt64(Item, I) && I >= std::numeric_limits<int32_t>::min() &&
                       I <= std::numeric_limits<int32_t>::max()
                   ? TVariant::Integer(I)
                   : Empty;
    case ftFloat:
    case ftCurrency: return TextToFloat(Item, D) ? TVariant::Double(D) : Empty;
    case ftBCD: return TextToCurrency(Item, C) ? TVariant::Currency(C) : Empty;
    case ftDate: return TextToDate(Item, T) ? TVariant::Date(T) : Empty;
    case ftTime: return TextToTime(Item, T) ? TVariant::Date(T) : Empty;
    case ftDateTime: return TextToDateTime(Item, T) ? TVariant::Date(T) : Empty;
    default:
        // Byte arrays, cursors, nested and unsupported types cannot come from text.
        return Empty;
    }
}

void TSBStringsDataset::ParseRecord(int RecordIndex, int FieldIndex, TVariant& Value) {
    const int Count = FStrings->Count();
    if (Count == 0) {
        Value = TVariant::String("");
        return;
    }
    const int Row = RecordIndex <= 0 ? 0 : std::min(RecordIndex, Count - 1);
    const std::string& Line = FStrings->Strings(Row);
    try {
        switch (FMode) {
        case sdmStrings:
            if (FieldIndex == 0) Value = TVariant::Integer(Row);
            if (FieldIndex == 1) Value = TVariant::String(CutText(Line, FDefaultStringLength));
            break;
        case sdmNamesValues: {
            size_t Eq = Line.find('=');
            std::string Name = Eq == std::string::npos ? "" : Line.substr(0, Eq);
            std::string Val = Eq == std::string::npos ? "" : Line.substr(Eq + 1);
            if (FieldIndex == 0) Value = TVariant::String(CutText(Name, FDefaultStringLength));
            if (FieldIndex == 1) Value = TVariant::String(CutText(Val, FDefaultStringLength));
            break;
        }
        case sdmCustom: {
            const TStringList& Items = LineItems(Row);
            const TField* F = DataFieldOf(FieldIndex);
            Value = F && Items.Count() > FieldIndex ? CustomValue(*F, Items[FieldIndex])
                                                    : TVariant::String("");
            break;
        }
        }
    } catch (const std::exception&) {
        Value = TVariant::String("");
    }
}

void TSBStringsDataset::ModifyRecord(TModifyKind Kind, TRecordBuffer Buffer) {
    if (!GetCanModify()) {
        TSampleDataSet::ModifyRecord(Kind, Buffer);
        return;
    }
    struct Scratch {
        TSBStringsDataset& D;
        TRecordBuffer B;
        ~Scratch() { D.FreeRecordBuffer(B); }
    } S{*this, AllocRecordBuffer()};
    TStringList Values;
    FieldInfosToStrings(FFieldInfos, Buffer, Values, ValuePrefix, false);
    std::string Line;
    if (Kind != mkDelete) {
        switch (FMode) {
        case sdmStrings: Line = ValueOf(Values, std::string(ValuePrefix) + "STRINGS"); break;
        case sdmNamesValues:
            Line = ValueOf(Values, std::string(ValuePrefix) + "NAMES") + "=" +
                   ValueOf(Values, std::string(ValuePrefix) + "VALUES");
            break;
        case sdmCustom:
            for (const auto& Info : FFieldInfos) {
                if (!Info->InText) continue;
                std::string V = ValueOf(Values, ValuePrefix + Info->Name);
                Line += AnsiQuotedStr(V, '"') + ",";
            }
            break;
        }
    }
    const int P = GetRecNo() - 1;
    switch (Kind) {
    case mkInsert:
        // Before the first line of an empty list, after the last one when appending.
        FStrings->Insert(std::clamp(P, 0, FStrings->Count()), Line);
        break;
    case mkEdit: FStrings->SetString(P, Line); break;
    case mkDelete: FStrings->Delete(P); break;
    }
    InternalRefresh();
    GetRecord(S.B, gmCurrent, false);
}
