#include "Variants.h"

#include "DBErrors.h"

#include <cmath>
#include <limits>

const char* VarTypeName(TVarType T) {
    static const char* const Names[] = {"Empty",  "Null",    "Smallint", "Integer",  "Word",
                                        "Int64",  "Boolean", "Double",   "Currency", "Date",
                                        "String", "Bytes",   "Array"};
    return T <= varArray ? Names[T] : "Unknown";
}

TVariant TVariant::Null() {
    TVariant V;
    V.FType = varNull;
    return V;
}

TVariant TVariant::Integer(int64_t Value, TVarType Type) {
    TVariant V;
    V.FType = Type;
    V.FInt = Value;
    return V;
}

TVariant TVariant::Boolean(bool Value) {
    TVariant V;
    V.FType = varBoolean;
    V.FBool = Value;
    return V;
}

TVariant TVariant::Double(double Value) {
    TVariant V;
    V.FType = varDouble;
    V.FDouble = Value;
    return V;
}

TVariant TVariant::Currency(TCurrency Value) {
    TVariant V;
    V.FType = varCurrency;
    V.FInt = Value;
    return V;
}

TVariant TVariant::Date(TDateTime Value) {
    TVariant V;
    V.FType = varDate;
    V.FDouble = Value;
    return V;
}

TVariant TVariant::String(std::string Value) {
    TVariant V;
    V.FType = varString;
    V.FStr = std::move(Value);
    return V;
}

TVariant TVariant::Bytes(std::string Value) {
    TVariant V;
    V.FType = varBytes;
    V.FStr = std::move(Value);
    return V;
}

TVariant TVariant::Array(std::vector<TVariant> Value) {
    TVariant V;
    V.FType = varArray;
    V.FArray = std::move(Value);
    return V;
}

void TVariant::CastError(TVarType To) const {
    throw EVariantError(Format(DBConsts::SVarTypeCast, {VarTypeName(FType), VarTypeName(To)}));
}

static bool IsIntegerType(TVarType T) {
    return T == varSmallint || T == varInteger || T == varWord || T == varInt64;
}

int64_t TVariant::AsInt64() const {
    if (IsIntegerType(FType)) return FInt;
    double D;
    switch (FType) {
    case varBoolean: return FBool ? -1 : 0;
    case varCurrency:
        return FInt / 10000 + (std::llabs(FInt % 10000) >= 5000 ? (FInt < 0 ? -1 : 1) : 0);
    case varDouble:
    case varDate: D = FDouble; break;
    case varString: {
        long long V;
        if (TryStrToInt64(FStr, V)) return V;
        if (!TextToFloat(FStr, D)) CastError(varInt64);
        break;
    }
    default: CastError(varInt64);
    }
    D = std::round(D);
    if (!(D >= -9223372036854775808.0 && D < 9223372036854775808.0)) CastError(varInt64);
    return static_cast<int64_t>(D);
}

int32_t TVariant::AsInteger() const {
    int64_t V = AsInt64();
    if (V < std::numeric_limits<int32_t>::min() || V > std::numeric_limits<int32_t>::max())
        CastError(varInteger);
    return static_cast<int32_t>(V);
}

bool TVariant::AsBoolean() const {
    if (FType == varBoolean) return FBool;
    if (FType == varString) {
        if (AnsiSameText(Trim(FStr), "True")) return true;
        if (AnsiSameText(Trim(FStr), "False")) return false;
    }
    switch (FType) {
    case varDouble:
    case varDate: return FDouble != 0;
    case varString: return AsDouble() != 0;
    default:
        if (IsIntegerType(FType) || FType == varCurrency) return FInt != 0;
        CastError(varBoolean);
    }
}

double TVariant::AsDouble() const {
    if (IsIntegerType(FType)) return static_cast<double>(FInt);
    switch (FType) {
    case varBoolean: return FBool ? -1.0 : 0.0;
    case varDouble:
    case varDate: return FDouble;
    case varCurrency: return CurrencyToFloat(FInt);
    case varString: {
        double D;
        if (!TextToFloat(FStr, D)) CastError(varDouble);
        return D;
    }
    default: CastError(varDouble);
    }
}

TCurrency TVariant::AsCurrency() const {
    TCurrency C;
    switch (FType) {
    case varCurrency: return FInt;
    case varString:
        if (!TextToCurrency(FStr, C)) CastError(varCurrency);
        return C;
    default:
        if (IsIntegerType(FType) && FInt <= std::numeric_limits<int64_t>::max() / 10000 &&
            FInt >= std::numeric_limits<int64_t>::min() / 10000)
            return FInt * 10000;
        if (!FloatToCurrency(AsDouble(), C)) CastError(varCurrency);
        return C;
    }
}

TDateTime TVariant::AsDateTime() const {
    switch (FType) {
    case varDate:
    case varDouble: return FDouble;
    case varString: {
        TDateTime D;
        if (!TextToDateTime(FStr, D)) CastError(varDate);
        return D;
    }
    default:
        if (IsIntegerType(FType) || FType == varCurrency) return AsDouble();
        CastError(varDate);
    }
}

std::string TVariant::AsString() const {
    if (IsIntegerType(FType)) return std::to_string(FInt);
    switch (FType) {
    case varBoolean: return FBool ? "True" : "False";
    case varDouble: return FloatToText(FDouble);
    case varCurrency: return CurrencyToText(FInt);
    case varDate: return DateTimeToText(FDouble);
    case varString:
    case varBytes: return FStr;
    default: CastError(varString);
    }
}

TVariant TVariant::ChangeType(TVarType Type) const {
    if (Type == FType) return *this;
    switch (Type) {
    case varSmallint:
    case varWord: {
        int64_t V = AsInt64();
        bool Fits = Type == varSmallint ? V >= -32768 && V <= 32767 : V >= 0 && V <= 65535;
        if (!Fits) CastError(Type);
        return Integer(V, Type);
    }
    case varInteger: return Integer(AsInteger());
    case varInt64: return Integer(AsInt64(), varInt64);
    case varBoolean: return Boolean(AsBoolean());
    case varDouble: return Double(AsDouble());
    case varCurrency: return Currency(AsCurrency());
    case varDate: return Date(AsDateTime());
    case varString: return String(AsString());
    case varBytes:
        if (FType == varString) return Bytes(FStr);
        CastError(Type);
    case varNull:
    case varEmpty:
    case varArray: CastError(Type);
    }
    CastError(Type);
}

bool TVariant::operator==(const TVariant& Other) const {
    if (FType == varEmpty || FType == varNull || Other.FType == varEmpty || Other.FType == varNull)
        return FType == Other.FType;
    if (FType == varArray || Other.FType == varArray)
        return FType == Other.FType && FArray == Other.FArray;
    if ((FType == varString || FType == varBytes) &&
        (Other.FType == varString || Other.FType == varBytes))
        return FStr == Other.FStr;
    if (IsIntegerType(FType) && IsIntegerType(Other.FType)) return FInt == Other.FInt;
    if (FType == varCurrency && Other.FType == varCurrency) return FInt == Other.FInt;
    if (FType == varBoolean && Other.FType == varBoolean) return FBool == Other.FBool;
    try {
        // Text against a number or a date: the text is read as the other side's kind.
        if (FType == varString) return ChangeType(Other.FType) == Other;
        if (Other.FType == varString) return *this == Other.ChangeType(FType);
        return AsDouble() == Other.AsDouble();
    } catch (const EVariantError&) {
        return false;
    }
}
