// TVariant: the value a dataset hands between its storage, its field objects and its callers:
// empty, null, a number of one of the framework's kinds, a boolean, a date-time, 8-bit text, raw
// bytes, or an array of variants (several key values or result fields at once).
//
// Conversions follow the framework's variant rules: text reads as a number, a boolean or a date
// when it is one, and anything that cannot be converted raises EVariantError naming both types.
// Numbers are written with "." (ValueText). A value type; any thread.
#pragma once

#include "ValueText.h"

#include <cstdint>
#include <string>
#include <vector>

enum TVarType : uint8_t {
    varEmpty,
    varNull,
    varSmallint,
    varInteger,
    varWord,
    varInt64,
    varBoolean,
    varDouble,
    varCurrency,
    varDate,
    varString,
    varBytes,
    varArray,
};

class TVariant {
public:
    TVariant() = default;
    static TVariant Null();
    static TVariant Integer(int64_t V, TVarType Type = varInteger);
    static TVariant Boolean(bool V);
    static TVariant Double(double V);
    static TVariant Currency(TCurrency V);
    static TVariant Date(TDateTime V);
    static TVariant String(std::string V);
    static TVariant Bytes(std::string V);
    static TVariant Array(std::vector<TVariant> V);

    TVarType Type() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsArray() const { return FType == varArray; }
    const std::vector<TVariant>& Items() const { return FArray; }
    // The bytes of a varBytes or varString value.
    const std::string& RawBytes() const { return FStr; }

    // Conversions; each raises EVariantError when the value cannot become that type.
    int64_t AsInt64() const;
    int32_t AsInteger() const;
    bool AsBoolean() const;
    double AsDouble() const;
    TCurrency AsCurrency() const;
    TDateTime AsDateTime() const;
    std::string AsString() const;
    // This value as a variant of Type (the same value when it already is one).
    TVariant ChangeType(TVarType Type) const;

    // The framework's comparison: equal values of comparable kinds; null and empty equal
    // nothing but themselves.
    bool operator==(const TVariant& Other) const;

private:
    [[noreturn]] void CastError(TVarType To) const;

    TVarType FType = varEmpty;
    union {
        int64_t FInt = 0;
        double FDouble;
        bool FBool;
    };
    std::string FStr;
    std::vector<TVariant> FArray;
};

const char* VarTypeName(TVarType T);
