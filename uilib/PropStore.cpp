#include "PropStore.h"

#include "platform/Persistent.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"
#include "uilib/StrUtils.h"

#include <QApplication>
#include <QLocale>
#include <QVariant>
#include <QWidget>

#include <charconv>
#include <cstdint>
#include <map>

std::string PropNameDelimiter = "_";

namespace {

// What a read gives back for an item that is not stored: no settings file holds a NUL byte
// followed by a line feed in a value.
const std::string MissingItem("\0\n<missing>", 11);

bool Storable(TTypeKind K) {
    switch (K) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkFloat:
    case tkString:
    case tkLString:
    case tkSet:
    case tkVariant:
    case tkClass: return true;
    default: return false;
    }
}

// Kinds whose item is written and read also when its text is empty.
bool TextMayBeEmpty(TTypeKind K) {
    return K == tkString || K == tkLString || K == tkWChar || K == tkVariant;
}

std::string VariantText(const QVariant& V) {
    if (!V.isValid() || V.isNull()) return {};
    if (V.typeId() == QMetaType::QByteArray) return V.toByteArray().toStdString();
    return V.toString().toStdString();
}

// UTF-8 of any code point up to U+10FFFF (a lone surrogate of a QChar included), so that
// every wide character comes back as it was.
std::string CodePointText(uint32_t C) {
    std::string S;
    if (C < 0x80) {
        S += static_cast<char>(C);
    } else if (C < 0x800) {
        S += static_cast<char>(0xC0 | (C >> 6));
        S += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        S += static_cast<char>(0xE0 | (C >> 12));
        S += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        S += static_cast<char>(0xF0 | (C >> 18));
        S += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
        S += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (C & 0x3F));
    }
    return S;
}

// The first character of a text: its code point when the text begins with a UTF-8 sequence,
// else the first byte (a text of another 8-bit character set).
uint32_t FirstCodePoint(std::string_view S) {
    const auto B0 = static_cast<unsigned char>(S[0]);
    const int N = B0 >= 0xF0 && B0 < 0xF5 ? 3 : B0 >= 0xE0 && B0 < 0xF0 ? 2 : B0 >= 0xC2 ? 1 : 0;
    if (N == 0 || S.size() < static_cast<size_t>(N) + 1) return B0;
    uint32_t C = B0 & (0x3F >> N);
    for (int I = 1; I <= N; ++I) {
        const auto B = static_cast<unsigned char>(S[static_cast<size_t>(I)]);
        if ((B & 0xC0) != 0x80) return B0;
        C = (C << 6) | (B & 0x3F);
    }
    static constexpr uint32_t Least[] = {0, 0x80, 0x800, 0x10000};
    return C >= Least[N] && C <= 0x10FFFF ? C : B0;
}

// Decimal (or "$"/"0x" hexadecimal) text; the unsigned 64-bit type also takes values above the
// signed range. False for anything else.
bool ParseInteger(const std::string& S, bool Unsigned64, long long& Value) {
    if (TryStrToInt64(S, Value)) return true;
    if (!Unsigned64) return false;
    unsigned long long U = 0;
    const auto [End, Err] = std::from_chars(S.data(), S.data() + S.size(), U);
    if (Err != std::errc() || End != S.data() + S.size()) return false;
    Value = static_cast<long long>(U);
    return true;
}

bool IsUnsigned64(const QMetaProperty& P) {
    return P.metaType().id() == QMetaType::ULongLong ||
           (P.metaType().id() == QMetaType::ULong && sizeof(long) == 8);
}

// The window a component lies on (the nearest window above it), else its topmost ancestor;
// null for an object without a parent.
QObject* ComponentOwner(const QObject* V) {
    QObject* Top = nullptr;
    for (QObject* P = V->parent(); P; P = P->parent()) {
        if (P->isWidgetType() && static_cast<QWidget*>(P)->isWindow()) return P;
        Top = P;
    }
    return Top;
}

QObject* FindIn(const QObject* Parent, std::string_view Name) {
    for (QObject* C : Parent->children()) {
        if (AnsiSameText(C->objectName().toStdString(), Name)) return C;
        if (C->isWidgetType() && static_cast<QWidget*>(C)->isWindow()) continue;
        if (QObject* Found = FindIn(C, Name)) return Found;
    }
    return nullptr;
}

} // namespace

// ---- Stored lists ----------------------------------------------------------------------------

std::string MakeStoredItem(const std::string& CompName, const std::string& PropName) {
    if (CompName.empty() || PropName.empty()) return {};
    return CompName + "." + PropName;
}

bool SplitStoredItem(const std::string& Item, std::string& CompName, std::string& PropName) {
    const size_t Dot = Item.find('.');
    if (Item.empty() || Dot == std::string::npos) return false;
    CompName = Trim(std::string_view(Item).substr(0, Dot));
    PropName = Trim(std::string_view(Item).substr(Dot + 1));
    return !CompName.empty() && !PropName.empty();
}

std::string RenameStoredItem(const std::string& Item, const std::string& CompName) {
    std::string Comp, Prop;
    return SplitStoredItem(Item, Comp, Prop) ? MakeStoredItem(CompName, Prop) : std::string();
}

void ResolveStoredList(QObject* Owner, TStringList* List, bool FromForm) {
    if (!Owner || !List) return;
    for (int I = List->Count() - 1; I >= 0; --I) {
        std::string Comp, Prop;
        if (!SplitStoredItem(List->Strings(I), Comp, Prop)) {
            List->Delete(I);
        } else if (FromForm) {
            if (QObject* C = FindComponent(Owner, Comp))
                List->SetObject(I, C);
            else
                List->Delete(I);
        } else if (auto* C = static_cast<QObject*>(List->Objects(I))) {
            List->SetString(I, RenameStoredItem(List->Strings(I), C->objectName().toStdString()));
        } else {
            List->Delete(I);
        }
    }
}

QObject* FindComponent(const QObject* Owner, std::string_view Name) {
    return Owner && !Name.empty() ? FindIn(Owner, Name) : nullptr;
}

QObject* FindFormOrDataModule(std::string_view Name) {
    if (Name.empty() || !qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    for (QWidget* W : QApplication::topLevelWidgets())
        if (AnsiSameText(W->objectName().toStdString(), Name)) return W;
    return nullptr;
}

PPropInfo TPropInfoList::Find(std::string_view Name) const {
    for (const QMetaProperty& P : FList)
        if (AnsiSameText(P.name(), Name)) return &P;
    return nullptr;
}

// ---- TPropsStorage ---------------------------------------------------------------------------

std::string TPropsStorage::ReadString(const std::string& ASection, const std::string& Item,
                                      const std::string& Default) {
    return OnReadString ? OnReadString(ASection, Item, Default) : std::string();
}

void TPropsStorage::WriteString(const std::string& ASection, const std::string& Item,
                                const std::string& Value) {
    if (OnWriteString) OnWriteString(ASection, Item, Value);
}

void TPropsStorage::EraseSection(const std::string& ASection) {
    if (OnEraseSection) OnEraseSection(ASection);
}

std::string TPropsStorage::ItemName(const std::string& PropName) {
    return Prefix + PropName;
}

std::unique_ptr<TPropsStorage> TPropsStorage::CreateInfo() {
    return std::make_unique<TPropsStorage>();
}

std::unique_ptr<TPropsStorage> TPropsStorage::Nested(QObject* Obj, const std::string& NewPrefix,
                                                     const std::string& NewSection) {
    std::unique_ptr<TPropsStorage> N = CreateInfo();
    N->OnReadString = OnReadString;
    N->OnWriteString = OnWriteString;
    N->OnEraseSection = OnEraseSection;
    N->Owner = Owner;
    N->Object = Obj;
    N->Prefix = NewPrefix;
    N->Section = NewSection;
    return N;
}

void TPropsStorage::StoreProperties(QObject* AOwner, TStringList& List) {
    RunProperties(AOwner, List, true);
}

void TPropsStorage::LoadProperties(QObject* AOwner, TStringList& List) {
    RunProperties(AOwner, List, false);
}

void TPropsStorage::RunProperties(QObject* AOwner, TStringList& List, bool Store) {
    // The property lists by component (not by name: two components of one name on different
    // forms are two classes).
    std::map<const QObject*, TPropInfoList> Infos;
    try {
        ResolveStoredList(AOwner, &List, false);
        for (int I = 0; I < List.Count(); ++I)
            if (auto* C = static_cast<const QObject*>(List.Objects(I)))
                Infos.try_emplace(C, C, tkProperties);
    } catch (...) {
        return;
    }
    Owner = AOwner;
    struct TResetOwner {
        TPropsStorage* S;
        ~TResetOwner() { S->Owner = nullptr; }
    } Reset{this};
    for (int I = 0; I < List.Count(); ++I) {
        std::string Comp, Prop;
        if (!SplitStoredItem(List.Strings(I), Comp, Prop)) continue;
        Object = static_cast<QObject*>(List.Objects(I));
        const auto It = Infos.find(Object);
        if (It == Infos.end()) continue;
        Prefix = Object->objectName().toStdString() + PropNameDelimiter;
        if (Store)
            StoreProperty(It->second.Find(Prop));
        else
            LoadProperty(It->second.Find(Prop));
    }
}

void TPropsStorage::StoreProperty(PPropInfo PropInfo) {
    if (!PropInfo || !Object) return;
    const TTypeKind K = PropKind(*PropInfo);
    if (!Storable(K)) return;
    const std::string Text = K == tkClass ? StoreClass(*PropInfo) : ValueText(*PropInfo, K);
    if (Text.empty() && !TextMayBeEmpty(K)) return;
    WriteString(Section, ItemName(PropName(*PropInfo)), Trim(Text));
}

void TPropsStorage::LoadProperty(PPropInfo PropInfo) {
    if (!PropInfo || !Object) return;
    const TTypeKind K = PropKind(*PropInfo);
    if (!Storable(K)) return;
    try {
        const std::string Default = K == tkClass ? std::string() : ValueText(*PropInfo, K);
        std::string Value;
        if (!Default.empty() || TextMayBeEmpty(K) || K == tkClass)
            Value = Trim(ReadString(Section, ItemName(PropName(*PropInfo)), Default));
        SetValueText(*PropInfo, K, Value);
    } catch (...) {
        // A value that cannot be loaded leaves its property as it was.
    }
}

std::string TPropsStorage::ValueText(const QMetaProperty& P, TTypeKind Kind) const {
    switch (Kind) {
    case tkInteger: return IntToStr(GetOrdProp(Object, P));
    case tkInt64: {
        const long long V = GetInt64Prop(Object, P);
        return IsUnsigned64(P) ? std::to_string(static_cast<unsigned long long>(V)) : IntToStr(V);
    }
    case tkChar: return std::string(1, static_cast<char>(GetOrdProp(Object, P)));
    case tkWChar: return CodePointText(static_cast<uint32_t>(GetOrdProp(Object, P)));
    case tkEnumeration: return GetEnumName(P, GetOrdProp(Object, P));
    case tkFloat:
        // Formatted without the locale: "." and no digit grouping.
        return QString::number(GetFloatProp(Object, P), 'g', FloatPropPrecision(P)).toStdString();
    case tkString:
    case tkLString: return GetStrProp(Object, P);
    case tkSet: {
        const auto Bits = static_cast<uint32_t>(GetOrdProp(Object, P));
        std::string S;
        for (int Ordinal = 0; Ordinal < 32; ++Ordinal) {
            if (!(Bits & (1u << Ordinal))) continue;
            const std::string Name = GetEnumName(P, Ordinal);
            if (Name.empty()) continue;
            if (!S.empty()) S += ',';
            S += Name;
        }
        return "[" + S + "]";
    }
    case tkVariant: return VariantText(GetVariantProp(Object, P));
    default: return {};
    }
}

void TPropsStorage::SetValueText(const QMetaProperty& P, TTypeKind Kind, const std::string& Value) {
    switch (Kind) {
    case tkInteger: {
        long long V = 0;
        if (!ParseInteger(Value, false, V) || !SetOrdProp(Object, P, V)) SetOrdProp(Object, P, 0);
        break;
    }
    case tkInt64: {
        long long V = 0;
        if (!ParseInteger(Value, IsUnsigned64(P), V)) V = 0;
        SetInt64Prop(Object, P, V);
        break;
    }
    case tkChar:
        if (!Value.empty()) SetOrdProp(Object, P, static_cast<unsigned char>(Value[0]));
        break;
    case tkWChar:
        if (!Value.empty()) SetOrdProp(Object, P, FirstCodePoint(Value));
        break;
    case tkEnumeration: {
        long long V;
        if (GetEnumValue(P, Value, V)) SetOrdProp(Object, P, V);
        break;
    }
    case tkFloat: {
        QLocale L;
        L.setNumberOptions(QLocale::RejectGroupSeparator);
        bool Ok = false;
        const std::string Local = ReplaceAll(Value, ".", L.decimalPoint().toStdString());
        const double V = L.toDouble(QString::fromStdString(Local), &Ok);
        if (Ok) SetFloatProp(Object, P, V);
        break;
    }
    case tkString:
    case tkLString: SetStrProp(Object, P, Value); break;
    case tkSet: {
        static const TCharSet Delims(" ,[]");
        uint32_t Bits = 0;
        for (int I = 1, N = CountWords(Value, Delims); I <= N; ++I) {
            long long Ordinal;
            if (GetEnumValue(P, GetWord(I, Value, Delims), Ordinal) && Ordinal >= 0 && Ordinal < 32)
                Bits |= 1u << Ordinal;
        }
        SetOrdProp(Object, P, static_cast<int32_t>(Bits));
        break;
    }
    case tkVariant:
        // An empty text is an empty variant, so that an empty value round-trips.
        SetVariantProp(Object, P,
                       Value.empty() ? QVariant() : QVariant(QString::fromStdString(Value)));
        break;
    case tkClass: LoadClass(P, Value); break;
    default: break;
    }
}

// ---- Class-valued properties -----------------------------------------------------------------

std::string TPropsStorage::StoreClass(const QMetaProperty& P) {
    const std::string Name = PropName(P);
    if (IsStringListProp(P)) {
        const std::string S = Section + "." + ItemName(Name);
        EraseSection(S);
        const std::vector<std::string> Lines = GetStringsProp(Object, P);
        if (!Lines.empty()) {
            WriteString(S, "Count", IntToStr(static_cast<long long>(Lines.size())));
            for (size_t I = 0; I < Lines.size(); ++I)
                WriteString(S, "Item" + std::to_string(I), Lines[I]);
        }
        return {};
    }
    QObject* V = GetObjectProp(Object, P);
    if (!V) return {};
    if (auto* C = qobject_cast<TPersistentCollection*>(V)) {
        const std::string S = Section + "." + Prefix + Name;
        EraseSection(S);
        WriteString(Section, Prefix + Name + ".Count", IntToStr(C->Count()));
        for (int I = 0; I < C->Count(); ++I) {
            const auto N = Nested(C->Item(I), "Item" + std::to_string(I) + PropNameDelimiter, S);
            const TPropInfoList Props(N->Object, tkProperties);
            for (int J = 0; J < Props.Count(); ++J)
                N->StoreProperty(Props.Items(J));
        }
    } else if (!qobject_cast<TPersistent*>(V)) {
        return ComponentReference(V);
    }
    const auto N = Nested(V, Prefix + Name, Section);
    const TPropInfoList Props(V, tkProperties);
    for (int J = 0; J < Props.Count(); ++J)
        N->StoreProperty(Props.Items(J));
    return {};
}

void TPropsStorage::LoadClass(const QMetaProperty& P, const std::string& Value) {
    const std::string Name = PropName(P);
    if (IsStringListProp(P)) {
        const std::string S = Section + "." + ItemName(Name);
        const int N = StrToIntDef(Trim(ReadString(S, "Count", "0")), 0);
        if (N <= 0) return;
        std::vector<std::string> Lines;
        for (int I = 0; I < N; ++I) {
            std::string Line = ReadString(S, "Item" + std::to_string(I), MissingItem);
            if (Line == MissingItem) break;
            Lines.push_back(std::move(Line));
        }
        SetStringsProp(Object, P, Lines);
        return;
    }
    QObject* V = GetObjectProp(Object, P);
    if (!V) return;
    if (auto* C = qobject_cast<TPersistentCollection*>(V)) {
        LoadCollection(C, Name);
    } else if (!qobject_cast<TPersistent*>(V)) {
        LoadComponentReference(P, Value);
        return;
    }
    const auto N = Nested(V, Prefix + Name, Section);
    const TPropInfoList Props(V, tkProperties);
    for (int J = 0; J < Props.Count(); ++J)
        N->LoadProperty(Props.Items(J));
}

void TPropsStorage::LoadCollection(TPersistentCollection* C, const std::string& Name) {
    const std::string S = Section + "." + Prefix + Name;
    const int Current = C->Count();
    const int Count =
        StrToIntDef(ReadString(Section, Prefix + Name + ".Count", IntToStr(Current)), Current);
    if (Count < 0) return;
    C->BeginUpdate();
    struct TEndUpdate {
        TPersistentCollection* C;
        ~TEndUpdate() { C->EndUpdate(); }
    } End{C};
    const auto N = Nested(nullptr, {}, S);
    bool Found = false;
    if (Count != Current) {
        C->Clear();
        // New items are taken only as long as the store holds something of them: a count
        // that claims more items than are stored must not make the collection huge.
        if (OnReadString)
            N->OnReadString = [&Found, Read = OnReadString](const std::string& Sec,
                                                            const std::string& Item,
                                                            const std::string& Default) {
                std::string V = Read(Sec, Item, MissingItem);
                if (V == MissingItem) return Default;
                Found = true;
                return V;
            };
    }
    for (int I = 0; I < Count; ++I) {
        Found = false;
        N->Object = Count != Current ? C->Add() : C->Item(I);
        N->Prefix = "Item" + std::to_string(I) + PropNameDelimiter;
        const TPropInfoList Props(N->Object, tkProperties);
        for (int J = 0; J < Props.Count(); ++J)
            N->LoadProperty(Props.Items(J));
        if (Count != Current && !Found) {
            C->Delete(C->Count() - 1);
            break;
        }
    }
}

std::string TPropsStorage::ComponentReference(const QObject* V) const {
    const std::string Name = V->objectName().toStdString();
    // An object without a name could not be found again.
    if (Name.empty()) return {};
    const QObject* O = ComponentOwner(V);
    if (!O || O == Owner) return Name;
    std::string OwnerName = O->objectName().toStdString();
    if (OwnerName.empty()) {
        OwnerName = O->metaObject()->className();
        const size_t Colon = OwnerName.rfind("::");
        if (Colon != std::string::npos) OwnerName.erase(0, Colon + 2);
        if (!OwnerName.empty() && (OwnerName[0] == 'T' || OwnerName[0] == 't'))
            OwnerName.erase(0, 1);
    }
    return OwnerName + "." + Name;
}

void TPropsStorage::LoadComponentReference(const QMetaProperty& P, const std::string& Value) {
    if (Value.empty()) return;
    if (AnsiSameText(Value, "(null)")) {
        SetObjectProp(Object, P, nullptr);
        return;
    }
    const size_t Dot = Value.find('.');
    const std::string OwnerPart = Dot == std::string::npos ? "" : Trim(Value.substr(0, Dot));
    const std::string NamePart = Trim(Dot == std::string::npos ? Value : Value.substr(Dot + 1));
    const QObject* O = OwnerPart.empty() ? Owner : FindFormOrDataModule(OwnerPart);
    if (O) SetObjectProp(Object, P, FindComponent(O, NamePart));
}
