#include "Fields.h"

#include "Bcd.h"
#include "DataSet.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

template <typename T>
T Load(const char* P) {
    T V;
    std::memcpy(&V, P, sizeof V);
    return V;
}

template <typename T>
void Store(char* P, T V) {
    std::memcpy(P, &V, sizeof V);
}

// The date-time of a stored stamp; null for a stamp that is no date or time.
TVariant StampValue(const TTimeStamp& S) {
    return ValidTimeStamp(S) ? TVariant::Date(TimeStampToDateTime(S)) : TVariant::Null();
}

// A variant value in a 16-byte slot: its type, then a number in the last eight bytes.
constexpr int VariantValueOffset = 8;

} // namespace

void TFieldDefs::Add(std::string Name, TFieldType DataType, int Size, bool Required, int FieldNo) {
    FItems.push_back(TFieldDef{std::move(Name), DataType, Size, Required, FieldNo});
}

int TFieldDefs::IndexOf(std::string_view Name) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (AnsiSameText(FItems[I].Name, Name)) return static_cast<int>(I);
    return -1;
}

TField::TField(TDataSet& DataSet, std::string FieldName, TFieldType DataType, int Size,
               TFieldKind Kind)
    : FDataSet(DataSet), FFieldName(std::move(FieldName)), FDataType(DataType), FSize(Size),
      FKind(Kind) {
    bool Valid = IsSizedType(DataType) ? Size >= 1 && Size <= MaxFieldSize
                                       : Size >= 0 && Size <= MaxFieldSize;
    if (!Valid) DatabaseErrorFmt(DBConsts::SInvalidFieldSize, {Size, FFieldName});
}

std::string TField::Name() const {
    return FDataSet.Name() + FFieldName;
}

bool TField::GetData(void* Buffer) const {
    return FDataSet.GetFieldData(*this, Buffer);
}

void TField::SetData(const void* Buffer) {
    FDataSet.SetFieldData(*this, Buffer);
}

void TField::Validate(const void* Buffer) {
    if (OnValidate)
        OnValidate(*this, Buffer ? Decode(static_cast<const char*>(Buffer)) : TVariant::Null());
}

bool TField::IsNull() const {
    return !GetData(nullptr);
}

TVariant TField::Value() const {
    std::vector<char> Buf(static_cast<size_t>(DataSize()) + 1, 0);
    if (!GetData(Buf.data())) return TVariant::Null();
    return Decode(Buf.data());
}

void TField::SetValue(const TVariant& V) {
    if (V.IsNull() || V.IsEmpty()) {
        SetData(nullptr);
        return;
    }
    std::vector<char> Buf(static_cast<size_t>(DataSize()) + 1, 0);
    Encode(V, Buf.data());
    SetData(Buf.data());
}

std::string TField::AsString() const {
    TVariant V = Value();
    if (V.IsNull()) return {};
    if (FDataType == ftDate) return DateToText(V.AsDateTime());
    if (FDataType == ftTime) return TimeToText(V.AsDateTime());
    return V.AsString();
}

void TField::SetAsString(const std::string& V) {
    bool Text = FDataType == ftString || FDataType == ftFixedChar || FDataType == ftWideString ||
                FDataType == ftGuid || FDataType == ftMemo || IsBlobType(FDataType);
    // An empty text empties a number or a date.
    SetValue(V.empty() && !Text ? TVariant::Null() : TVariant::String(V));
}

int32_t TField::AsInteger() const {
    TVariant V = Value();
    return V.IsNull() ? 0 : V.AsInteger();
}

double TField::AsFloat() const {
    TVariant V = Value();
    return V.IsNull() ? 0.0 : V.AsDouble();
}

bool TField::AsBoolean() const {
    TVariant V = Value();
    return V.IsNull() ? false : V.AsBoolean();
}

TDateTime TField::AsDateTime() const {
    TVariant V = Value();
    return V.IsNull() ? 0.0 : V.AsDateTime();
}

TCurrency TField::AsCurrency() const {
    TVariant V = Value();
    return V.IsNull() ? 0 : V.AsCurrency();
}

TVariant TField::Decode(const char* Data) const {
    const size_t N = static_cast<size_t>(DataSize());
    switch (FDataType) {
    case ftString:
    case ftFixedChar:
    case ftGuid: return TVariant::String(std::string(Data, ::strnlen(Data, N)));
    case ftWideString: {
        std::u16string U(N / 2, u'\0');
        std::memcpy(U.data(), Data, U.size() * 2);
        U.resize(std::min(U.find(u'\0'), U.size()));
        return TVariant::String(
            QString::fromUtf16(U.data(), static_cast<qsizetype>(U.size())).toStdString());
    }
    case ftSmallint: return TVariant::Integer(Load<int16_t>(Data), varSmallint);
    case ftWord: return TVariant::Integer(Load<uint16_t>(Data), varWord);
    case ftInteger:
    case ftAutoInc: return TVariant::Integer(Load<int32_t>(Data));
    case ftLargeint: return TVariant::Integer(Load<int64_t>(Data), varInt64);
    case ftBoolean: return TVariant::Boolean(Load<int16_t>(Data) != 0);
    case ftFloat: return TVariant::Double(Load<double>(Data));
    case ftCurrency: {
        TCurrency C;
        return FloatToCurrency(Load<double>(Data), C) ? TVariant::Currency(C) : TVariant::Null();
    }
    case ftBCD: {
        TCurrency C;
        return BcdToCurrency(Load<TBcd>(Data), C) ? TVariant::Currency(C) : TVariant::Null();
    }
    case ftDate: return StampValue({Load<int32_t>(Data), 0});
    case ftTime: return StampValue({DateDelta, Load<int32_t>(Data)});
    case ftDateTime: {
        double Ms = Load<double>(Data);
        double Days = std::floor(Ms / MSecsPerDay);
        if (!(Days >= INT32_MIN && Days <= INT32_MAX)) return TVariant::Null();
        return StampValue(
            {static_cast<int32_t>(Days), static_cast<int32_t>(Ms - Days * MSecsPerDay)});
    }
    case ftBytes:
    case ftVarBytes: return TVariant::Bytes(std::string(Data, N));
    case ftVariant: {
        auto Type = static_cast<TVarType>(Load<uint16_t>(Data));
        const char* P = Data + VariantValueOffset;
        switch (Type) {
        case varSmallint:
        case varInteger:
        case varWord:
        case varInt64: return TVariant::Integer(Load<int64_t>(P), Type);
        case varBoolean: return TVariant::Boolean(Load<int64_t>(P) != 0);
        case varCurrency: return TVariant::Currency(Load<int64_t>(P));
        case varDouble: return TVariant::Double(Load<double>(P));
        case varDate: return TVariant::Date(Load<double>(P));
        default: return TVariant::Null();
        }
    }
    default: return TVariant::Null();
    }
}

void TField::Encode(const TVariant& V, char* Data) const {
    const size_t N = static_cast<size_t>(DataSize());
    std::memset(Data, 0, N);
    auto Ranged = [&](int64_t Lo, int64_t Hi) {
        int64_t X = V.AsInt64();
        if (X < Lo || X > Hi)
            DatabaseErrorFmt(DBConsts::SFieldRangeError, {V.AsString(), FFieldName});
        return X;
    };
    auto Stamp = [&]() {
        TTimeStamp S;
        if (!DateTimeToTimeStamp(V.AsDateTime(), S) || !ValidTimeStamp(S))
            DatabaseErrorFmt(DBConsts::SFieldRangeError, {V.AsString(), FFieldName});
        return S;
    };
    switch (FDataType) {
    case ftString:
    case ftFixedChar:
    case ftGuid: {
        // Cut at a character boundary: half a character would read back as a bad byte.
        const std::string S = CutText(V.AsString(), static_cast<int>(N - 1));
        std::memcpy(Data, S.data(), S.size());
        break;
    }
    case ftWideString: {
        QString Q = QString::fromStdString(V.AsString());
        std::memcpy(Data, Q.utf16(), std::min(static_cast<size_t>(Q.size()), N / 2 - 1) * 2);
        break;
    }
    case ftSmallint: Store(Data, static_cast<int16_t>(Ranged(INT16_MIN, INT16_MAX))); break;
    case ftWord: Store(Data, static_cast<uint16_t>(Ranged(0, UINT16_MAX))); break;
    case ftInteger:
    case ftAutoInc: Store(Data, static_cast<int32_t>(Ranged(INT32_MIN, INT32_MAX))); break;
    case ftLargeint: Store(Data, V.AsInt64()); break;
    case ftBoolean: Store(Data, static_cast<int16_t>(V.AsBoolean() ? 1 : 0)); break;
    case ftFloat:
    case ftCurrency: Store(Data, V.AsDouble()); break;
    case ftBCD: {
        TBcd B;
        CurrencyToBcd(V.AsCurrency(), B);
        Store(Data, B);
        break;
    }
    case ftDate: Store(Data, Stamp().Date); break;
    case ftTime: Store(Data, Stamp().Time); break;
    case ftDateTime: {
        TTimeStamp S = Stamp();
        Store(Data, double(S.Date) * MSecsPerDay + S.Time);
        break;
    }
    case ftBytes:
    case ftVarBytes: {
        const std::string& B = V.Type() == varBytes ? V.RawBytes() : V.AsString();
        std::memcpy(Data, B.data(), std::min(B.size(), N));
        break;
    }
    case ftVariant: {
        Store(Data, static_cast<uint16_t>(V.Type()));
        char* P = Data + VariantValueOffset;
        switch (V.Type()) {
        case varSmallint:
        case varInteger:
        case varWord:
        case varInt64:
        case varCurrency: Store(P, V.Type() == varCurrency ? V.AsCurrency() : V.AsInt64()); break;
        case varBoolean: Store(P, static_cast<int64_t>(V.AsBoolean())); break;
        case varDouble:
        case varDate: Store(P, V.AsDouble()); break;
        default: DatabaseErrorFmt(DBConsts::SVariantFieldValue, {FFieldName});
        }
        break;
    }
    default: break;
    }
}

TField* TFields::FindField(std::string_view Name) const {
    for (const auto& F : FItems)
        if (AnsiSameText(F->FieldName(), Name)) return F.get();
    return nullptr;
}

TField& TFields::FieldByName(std::string_view Name) const {
    TField* F = FindField(Name);
    if (!F) DatabaseErrorFmt(DBConsts::SFieldNotFound, {Name});
    return *F;
}

int TFields::IndexOf(const TField* F) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].get() == F) return static_cast<int>(I);
    return -1;
}
