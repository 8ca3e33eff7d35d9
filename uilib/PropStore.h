// Keeping chosen published properties of a form's components across runs.
//
// A stored list names what is kept: one line per property, the component's name, a point and
// the property's name ("edName.text"), with the component in the line's Objects entry.
// TPropsStorage turns each such property into one text item of a section of a settings store
// and back. It never touches a store itself: three callbacks read a string, write a string and
// erase a section, so the same machinery serves an INI file or the registry. The settings
// store TFormStorage (Placemnt.h) keeps its StoredProps through it.
//
// The item names and value texts are a format that stored settings rely on. The property P of
// a component C kept under the section X is the item C_P of X. A string list lies in the
// section X.C_P ("Count", "Item0", "Item1", ...); a collection's count is the item C_P.Count of
// X and the properties of its item i lie in X.C_P under "Item<i>_<property>"; the properties of
// a nested object (a TPersistent) are items of X named C_P<property>, with no delimiter between.
// A property that refers to another component stores that component's name, with its form's
// name and a point in front when it lies on another form; "(null)" loads as no component.
//
// Values are texts: integers in decimal, a character as itself, a wide character as its UTF-8
// bytes, an enumeration (and bool: False, True) by its identifier, a set as "[a,b]" of member
// identifiers, floating point with "." whatever the locale, strings as their UTF-8 bytes, a
// variant as its text. Loading never reports a failure: a text that does not fit leaves the
// property as it was (a non-number loads as 0 into an integer) and the next one is loaded.
// Stored counts are not trusted: loading a string list or a collection stops at the first item
// that is not stored, and a negative collection count leaves the collection as it is.
//
// Objects of these classes live for one store or load and hold no component. UI thread only.
#pragma once

#include "platform/TypInfo.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class TPersistentCollection;
class TStringList;

// Between a component's name and a property's name in item names.
extern std::string PropNameDelimiter;

// CompName + "." + PropName, or empty when either is empty.
std::string MakeStoredItem(const std::string& CompName, const std::string& PropName);
// The two parts of a line, split at its first point and trimmed; false when either is empty.
bool SplitStoredItem(const std::string& Item, std::string& CompName, std::string& PropName);
// The line with another component name, empty when the line does not split.
std::string RenameStoredItem(const std::string& Item, const std::string& CompName);
// From the last line to the first: drops lines that do not split; FromForm binds each line to
// Owner's component of its name (dropping it when there is none); otherwise each line takes
// the current name of its bound component (dropping it when it has none).
void ResolveStoredList(QObject* Owner, TStringList* List, bool FromForm);
// The component of Owner named Name (letter case ignored): an object inside Owner, not inside
// another window below it; null when none.
QObject* FindComponent(const QObject* Owner, std::string_view Name);
// The first top-level window named Name (letter case ignored), or null.
QObject* FindFormOrDataModule(std::string_view Name);

// The published properties of one object whose kind is in a filter, sorted by name.
class TPropInfoList {
public:
    TPropInfoList(const QObject* Object, TTypeKinds Filter) : FList(GetPropList(Object, Filter)) {}

    int Count() const { return static_cast<int>(FList.size()); }
    PPropInfo Items(int Index) const { return &FList.at(static_cast<size_t>(Index)); }
    // The first property named Name (letter case ignored), or null.
    PPropInfo Find(std::string_view Name) const;

private:
    std::vector<QMetaProperty> FList;
};

class TPropsStorage {
public:
    using TReadStrEvent = std::function<std::string(
        const std::string& Section, const std::string& Item, const std::string& Default)>;
    using TWriteStrEvent = std::function<void(const std::string& Section, const std::string& Item,
                                              const std::string& Value)>;
    using TEraseSectEvent = std::function<void(const std::string& Section)>;

    TPropsStorage() = default;
    virtual ~TPropsStorage() = default;
    TPropsStorage(const TPropsStorage&) = delete;
    TPropsStorage& operator=(const TPropsStorage&) = delete;

    // The object whose properties are handled now, and the component in which plain component
    // names are looked up (set only during StoreProperties and LoadProperties). Not owned.
    QObject* Object = nullptr;
    QObject* Owner = nullptr;
    // Put before every property name to form the item name.
    std::string Prefix;
    std::string Section;
    TReadStrEvent OnReadString;
    TWriteStrEvent OnWriteString;
    TEraseSectEvent OnEraseSection;

    // OnReadString's answer, or empty (not Default) without a handler.
    virtual std::string ReadString(const std::string& Section, const std::string& Item,
                                   const std::string& Default);
    virtual void WriteString(const std::string& Section, const std::string& Item,
                             const std::string& Value);
    virtual void EraseSection(const std::string& Section);
    // Prefix + PropName.
    virtual std::string ItemName(const std::string& PropName);
    // The storage of nested objects; a descendant may give its own class.
    virtual std::unique_ptr<TPropsStorage> CreateInfo();

    // Every property List names, of Owner's components. Storing passes failures of the
    // callbacks on; loading swallows every failure.
    void StoreProperties(QObject* Owner, TStringList& List);
    void LoadProperties(QObject* Owner, TStringList& List);
    // One property of Object; nothing for null.
    void StoreProperty(PPropInfo PropInfo);
    void LoadProperty(PPropInfo PropInfo);

private:
    void RunProperties(QObject* AOwner, TStringList& List, bool Store);
    std::unique_ptr<TPropsStorage> Nested(QObject* Obj, const std::string& NewPrefix,
                                          const std::string& NewSection);
    std::string ValueText(const QMetaProperty& P, TTypeKind Kind) const;
    void SetValueText(const QMetaProperty& P, TTypeKind Kind, const std::string& Value);
    std::string StoreClass(const QMetaProperty& P);
    void LoadClass(const QMetaProperty& P, const std::string& Value);
    void LoadCollection(TPersistentCollection* C, const std::string& Name);
    std::string ComponentReference(const QObject* V) const;
    void LoadComponentReference(const QMetaProperty& P, const std::string& Value);
};
