// Run-time type information of published properties, over Qt's meta-objects.
//
// The published properties of an object are the readable, writable, stored properties its
// meta-object declares below QObject (so QObject's objectName, the component's name, is not
// one), listed by name, letters compared without regard to case. Each has a kind:
//
//   integer       int, unsigned, short, unsigned short, signed and unsigned char (and long
//                 where it has 32 bits)
//   64-bit        long long, unsigned long long (and long where it has 64 bits)
//   character     char
//   wide char     QChar, char16_t, char32_t
//   enumeration   Q_ENUM types, and bool with the identifiers "False" and "True"
//   set           Q_FLAG types; member n is the flag whose value is 1 << n
//   float         float (7 significant digits) and double (15)
//   long string   QString (read and written as UTF-8) and QByteArray (bytes as they are)
//   variant       QVariant
//   class         QObject pointers and QStringList
//   record        everything else (a point, a colour, a font): listed, never stored
//
// Ordinal values (integer, character, wide char, enumeration, set) are read and written as
// long long. Setting a value the property's type cannot take leaves the property as it was
// and returns false. Callers hold the object; these functions keep nothing. Any thread that
// owns the object.
#pragma once

#include <QMetaProperty>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class QVariant;

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray
};
using TTypeKinds = uint32_t;
constexpr TTypeKinds KindSet(TTypeKind K) {
    return TTypeKinds(1) << K;
}
// Every kind except method and unknown: what the property storage lists.
inline constexpr TTypeKinds tkProperties = ~(KindSet(tkMethod) | KindSet(tkUnknown));

using PPropInfo = const QMetaProperty*;

TTypeKind PropKind(const QMetaProperty& Prop);
// The published properties of Object whose kind is in Filter, sorted by name without regard
// to case (empty for a null Object).
std::vector<QMetaProperty> GetPropList(const QObject* Object, TTypeKinds Filter);
std::string PropName(const QMetaProperty& Prop);

long long GetOrdProp(const QObject* Object, const QMetaProperty& Prop);
bool SetOrdProp(QObject* Object, const QMetaProperty& Prop, long long Value);
// The unsigned 64-bit type reads and writes its bits through the signed value.
long long GetInt64Prop(const QObject* Object, const QMetaProperty& Prop);
bool SetInt64Prop(QObject* Object, const QMetaProperty& Prop, long long Value);
double GetFloatProp(const QObject* Object, const QMetaProperty& Prop);
bool SetFloatProp(QObject* Object, const QMetaProperty& Prop, double Value);
// Significant digits of the property's floating-point type.
int FloatPropPrecision(const QMetaProperty& Prop);
std::string GetStrProp(const QObject* Object, const QMetaProperty& Prop);
bool SetStrProp(QObject* Object, const QMetaProperty& Prop, std::string_view Value);
QVariant GetVariantProp(const QObject* Object, const QMetaProperty& Prop);
bool SetVariantProp(QObject* Object, const QMetaProperty& Prop, const QVariant& Value);
QObject* GetObjectProp(const QObject* Object, const QMetaProperty& Prop);
// False (and nothing changes) when Value is not of the property's class.
bool SetObjectProp(QObject* Object, const QMetaProperty& Prop, QObject* Value);
bool IsStringListProp(const QMetaProperty& Prop);
std::vector<std::string> GetStringsProp(const QObject* Object, const QMetaProperty& Prop);
bool SetStringsProp(QObject* Object, const QMetaProperty& Prop,
                    const std::vector<std::string>& Lines);

// The identifier of an enumeration value (or of set member number Ordinal), empty when the
// value has none.
std::string GetEnumName(const QMetaProperty& Prop, long long Value);
// The value whose identifier is Name without regard to case, the lowest such value first;
// false when there is none. For a set: the member's ordinal.
bool GetEnumValue(const QMetaProperty& Prop, std::string_view Name, long long& Value);
