#include "TypInfo.h"

#include "platform/SysUtils.h"

#include <QMetaEnum>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <type_traits>

namespace {

// Whether Value fits the integer type Id, and the value in that type.
template <class T>
bool Fits(long long Value) {
    if constexpr (std::is_unsigned_v<T>)
        return Value >= 0 && static_cast<unsigned long long>(Value) <=
                                 static_cast<unsigned long long>(std::numeric_limits<T>::max());
    else
        return Value >= std::numeric_limits<T>::min() && Value <= std::numeric_limits<T>::max();
}

template <class T>
bool WriteAs(QObject* Object, const QMetaProperty& Prop, long long Value) {
    if (!Fits<T>(Value)) return false;
    return Prop.write(Object, QVariant::fromValue(static_cast<T>(Value)));
}

// (value, identifier) of an enumeration's keys, or of a set's single-bit keys as (ordinal,
// identifier); bool has False and True.
std::vector<std::pair<long long, std::string>> EnumKeys(const QMetaProperty& Prop) {
    std::vector<std::pair<long long, std::string>> Keys;
    if (Prop.metaType().id() == QMetaType::Bool) return {{0, "False"}, {1, "True"}};
    const QMetaEnum E = Prop.enumerator();
    if (!E.isValid()) return Keys;
    for (int I = 0; I < E.keyCount(); ++I) {
        const long long V = static_cast<unsigned>(E.value(I));
        if (!Prop.isFlagType()) {
            Keys.emplace_back(E.value(I), E.key(I));
            continue;
        }
        // A set's member is a flag of one bit; combinations and 0 are no members.
        if (V == 0 || (V & (V - 1)) != 0) continue;
        int Ordinal = 0;
        while ((1LL << Ordinal) != V)
            ++Ordinal;
        Keys.emplace_back(Ordinal, E.key(I));
    }
    std::stable_sort(Keys.begin(), Keys.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    return Keys;
}

} // namespace

TTypeKind PropKind(const QMetaProperty& Prop) {
    if (Prop.isFlagType()) return tkSet;
    if (Prop.isEnumType()) return tkEnumeration;
    switch (Prop.metaType().id()) {
    case QMetaType::Bool: return tkEnumeration;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar: return tkInteger;
    case QMetaType::Long:
    case QMetaType::ULong: return sizeof(long) == 8 ? tkInt64 : tkInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return tkInt64;
    case QMetaType::Char: return tkChar;
    case QMetaType::QChar:
    case QMetaType::Char16:
    case QMetaType::Char32: return tkWChar;
    case QMetaType::Float:
    case QMetaType::Double: return tkFloat;
    case QMetaType::QString:
    case QMetaType::QByteArray: return tkLString;
    case QMetaType::QVariant: return tkVariant;
    case QMetaType::QStringList: return tkClass;
    default: break;
    }
    if (Prop.metaType().flags() & QMetaType::PointerToQObject) return tkClass;
    return tkRecord;
}

std::vector<QMetaProperty> GetPropList(const QObject* Object, TTypeKinds Filter) {
    std::vector<QMetaProperty> List;
    if (!Object) return List;
    const QMetaObject* M = Object->metaObject();
    for (int I = QObject::staticMetaObject.propertyCount(); I < M->propertyCount(); ++I) {
        const QMetaProperty P = M->property(I);
        if (P.isReadable() && P.isWritable() && P.isStored() && (Filter & KindSet(PropKind(P))))
            List.push_back(P);
    }
    std::stable_sort(List.begin(), List.end(), [](const QMetaProperty& A, const QMetaProperty& B) {
        return AnsiCompareText(A.name(), B.name()) < 0;
    });
    return List;
}

std::string PropName(const QMetaProperty& Prop) {
    return Prop.name();
}

long long GetOrdProp(const QObject* Object, const QMetaProperty& Prop) {
    const QVariant V = Prop.read(Object);
    switch (Prop.metaType().id()) {
    case QMetaType::Bool: return V.toBool() ? 1 : 0;
    case QMetaType::Char: return static_cast<unsigned char>(V.value<char>());
    case QMetaType::QChar: return V.value<QChar>().unicode();
    case QMetaType::Char16: return V.value<char16_t>();
    case QMetaType::Char32: return V.value<char32_t>();
    default: return V.toLongLong();
    }
}

bool SetOrdProp(QObject* Object, const QMetaProperty& Prop, long long Value) {
    switch (Prop.metaType().id()) {
    case QMetaType::Bool: return Prop.write(Object, QVariant(Value != 0));
    case QMetaType::Int: return WriteAs<int>(Object, Prop, Value);
    case QMetaType::UInt: return WriteAs<unsigned>(Object, Prop, Value);
    case QMetaType::Short: return WriteAs<short>(Object, Prop, Value);
    case QMetaType::UShort: return WriteAs<unsigned short>(Object, Prop, Value);
    case QMetaType::SChar: return WriteAs<signed char>(Object, Prop, Value);
    case QMetaType::UChar: return WriteAs<unsigned char>(Object, Prop, Value);
    case QMetaType::Long: return WriteAs<long>(Object, Prop, Value);
    case QMetaType::ULong: return WriteAs<unsigned long>(Object, Prop, Value);
    case QMetaType::Char:
        if (Value < 0 || Value > 255) return false;
        return Prop.write(Object, QVariant::fromValue(static_cast<char>(Value)));
    case QMetaType::QChar:
        if (!Fits<char16_t>(Value)) return false;
        return Prop.write(Object, QVariant::fromValue(QChar(static_cast<char16_t>(Value))));
    case QMetaType::Char16: return WriteAs<char16_t>(Object, Prop, Value);
    case QMetaType::Char32:
        if (Value < 0 || Value > 0x10FFFF) return false;
        return Prop.write(Object, QVariant::fromValue(static_cast<char32_t>(Value)));
    default: break;
    }
    if (!Prop.isEnumType() || !Fits<int>(Value)) return false;
    QVariant V = QVariant::fromValue(static_cast<int>(Value));
    return V.convert(Prop.metaType()) && Prop.write(Object, V);
}

long long GetInt64Prop(const QObject* Object, const QMetaProperty& Prop) {
    const QVariant V = Prop.read(Object);
    if (Prop.metaType().id() == QMetaType::ULongLong || Prop.metaType().id() == QMetaType::ULong)
        return static_cast<long long>(V.toULongLong());
    return V.toLongLong();
}

bool SetInt64Prop(QObject* Object, const QMetaProperty& Prop, long long Value) {
    switch (Prop.metaType().id()) {
    case QMetaType::ULongLong:
        return Prop.write(Object, QVariant::fromValue(static_cast<qulonglong>(Value)));
    case QMetaType::ULong:
        return Prop.write(Object, QVariant::fromValue(static_cast<unsigned long>(Value)));
    case QMetaType::Long: return Prop.write(Object, QVariant::fromValue(static_cast<long>(Value)));
    default: return Prop.write(Object, QVariant::fromValue(static_cast<qlonglong>(Value)));
    }
}

double GetFloatProp(const QObject* Object, const QMetaProperty& Prop) {
    return Prop.read(Object).toDouble();
}

bool SetFloatProp(QObject* Object, const QMetaProperty& Prop, double Value) {
    if (Prop.metaType().id() == QMetaType::Float)
        return Prop.write(Object, QVariant::fromValue(static_cast<float>(Value)));
    return Prop.write(Object, QVariant(Value));
}

int FloatPropPrecision(const QMetaProperty& Prop) {
    return Prop.metaType().id() == QMetaType::Float ? 7 : 15;
}

std::string GetStrProp(const QObject* Object, const QMetaProperty& Prop) {
    const QVariant V = Prop.read(Object);
    if (Prop.metaType().id() == QMetaType::QByteArray) return V.toByteArray().toStdString();
    return V.toString().toStdString();
}

bool SetStrProp(QObject* Object, const QMetaProperty& Prop, std::string_view Value) {
    const QByteArray Bytes(Value.data(), static_cast<qsizetype>(Value.size()));
    if (Prop.metaType().id() == QMetaType::QByteArray) return Prop.write(Object, Bytes);
    return Prop.write(Object, QString::fromUtf8(Bytes));
}

QVariant GetVariantProp(const QObject* Object, const QMetaProperty& Prop) {
    return Prop.read(Object);
}

bool SetVariantProp(QObject* Object, const QMetaProperty& Prop, const QVariant& Value) {
    return Prop.write(Object, Value);
}

QObject* GetObjectProp(const QObject* Object, const QMetaProperty& Prop) {
    return Prop.read(Object).value<QObject*>();
}

bool SetObjectProp(QObject* Object, const QMetaProperty& Prop, QObject* Value) {
    const QMetaObject* Class = Prop.metaType().metaObject();
    if (Value && Class && !Value->metaObject()->inherits(Class)) return false;
    QVariant V = QVariant::fromValue(Value);
    return V.convert(Prop.metaType()) && Prop.write(Object, V);
}

bool IsStringListProp(const QMetaProperty& Prop) {
    return Prop.metaType().id() == QMetaType::QStringList;
}

std::vector<std::string> GetStringsProp(const QObject* Object, const QMetaProperty& Prop) {
    std::vector<std::string> Lines;
    for (const QString& S : Prop.read(Object).toStringList())
        Lines.push_back(S.toStdString());
    return Lines;
}

bool SetStringsProp(QObject* Object, const QMetaProperty& Prop,
                    const std::vector<std::string>& Lines) {
    QStringList L;
    L.reserve(static_cast<qsizetype>(Lines.size()));
    for (const std::string& S : Lines)
        L << QString::fromStdString(S);
    return Prop.write(Object, L);
}

std::string GetEnumName(const QMetaProperty& Prop, long long Value) {
    for (const auto& [V, Name] : EnumKeys(Prop))
        if (V == Value) return Name;
    return {};
}

bool GetEnumValue(const QMetaProperty& Prop, std::string_view Name, long long& Value) {
    for (const auto& [V, Key] : EnumKeys(Prop))
        if (AnsiSameText(Key, Name)) {
            Value = V;
            return true;
        }
    return false;
}
