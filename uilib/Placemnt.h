// The settings store of a form and its window placement.
//
// TFormPlacement is a non-visual component owned by a form (its QObject parent). It puts the
// form's window placement back when the form is shown and saves it when the form closes, and it
// is the program's settings store: ReadString, WriteString, ReadInteger and WriteInteger work on
// one section (IniSection) of a registry key or INI file (IniFileName; UseRegistry chooses).
// OnRestorePlacement and OnSavePlacement fire inside every restore and save while the storage
// is open, so every read and write they make goes to that one open key; outside them each of
// the four calls opens the storage, does its work and closes it again (a write is on disk when
// the call returns).
//
// The cycle: show -> RestoreFormPlacement, then the form's own OnShow; close query -> the form's
// own handler, then SaveFormPlacement when the form may close; destroy -> one more save only
// when none ran since the last restore ("Visible" is then written true), then the form's own
// OnDestroy. A placement that never restored does not overwrite stored data while Active is
// set. Exceptions of the automatic restore and saves go to HandleException; the form goes on
// showing, closing or being destroyed.
//
// TFormStorage adds named values (StoredValues) and published properties of the form's
// components (StoredProps) saved and restored with the placement.
// TIniLink lets another component (the recent-files manager) save and load its own data with
// every save and restore. TWinMinMaxInfo holds size limits of the form.
//
// Ownership: the placement owns its open storage object (only between open and close), its
// MinMaxInfo and, in TFormStorage, its StoredValues and StoredProps lines (not the components);
// links are attached, not owned, and detach themselves when either side goes away. UI thread only.
#pragma once

#include "platform/Collection.h"
#include "platform/StringList.h"
#include "uilib/CtlUtils.h"
#include "uilib/Forms.h"

#include <QObject>
#include <QSize>
#include <QVariant>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomIniFile;
class TIniFile;
class TRegIniFile;
class TFormPlacement;
class TFormStorage;

enum TPlacementOption : unsigned { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = unsigned;
enum TPlacementRegRoot {
    prCurrentUser,
    prLocalMachine,
    prCurrentConfig,
    prClassesRoot,
    prUsers,
    prDynData
};

// Optional size and position limits of a form; 0 means no limit. Track sizes become the
// window's minimum and maximum size. The maximized size and position are kept but not applied:
// on Linux the window manager decides where a maximized window goes.
class TWinMinMaxInfo {
public:
    struct TMinMaxInfo {
        TPoint ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
    };

    explicit TWinMinMaxInfo(TFormPlacement* Owner = nullptr) : FOwner(Owner) {}
    TWinMinMaxInfo(const TWinMinMaxInfo&) = delete;
    TWinMinMaxInfo& operator=(const TWinMinMaxInfo&) = delete;

    // By index: 0 MaxPosLeft, 1 MaxPosTop, 2 MaxSizeHeight, 3 MaxSizeWidth, 4 MaxTrackHeight,
    // 5 MaxTrackWidth, 6 MinTrackHeight, 7 MinTrackWidth.
    int GetMinMaxInfo(int Index) const;
    void SetMinMaxInfo(int Index, int Value);

    int MaxPosLeft() const { return GetMinMaxInfo(0); }
    int MaxPosTop() const { return GetMinMaxInfo(1); }
    int MaxSizeHeight() const { return GetMinMaxInfo(2); }
    int MaxSizeWidth() const { return GetMinMaxInfo(3); }
    int MaxTrackHeight() const { return GetMinMaxInfo(4); }
    int MaxTrackWidth() const { return GetMinMaxInfo(5); }
    int MinTrackHeight() const { return GetMinMaxInfo(6); }
    int MinTrackWidth() const { return GetMinMaxInfo(7); }
    void SetMaxPosLeft(int V) { SetMinMaxInfo(0, V); }
    void SetMaxPosTop(int V) { SetMinMaxInfo(1, V); }
    void SetMaxSizeHeight(int V) { SetMinMaxInfo(2, V); }
    void SetMaxSizeWidth(int V) { SetMinMaxInfo(3, V); }
    void SetMaxTrackHeight(int V) { SetMinMaxInfo(4, V); }
    void SetMaxTrackWidth(int V) { SetMinMaxInfo(5, V); }
    void SetMinTrackHeight(int V) { SetMinMaxInfo(6, V); }
    void SetMinTrackWidth(int V) { SetMinMaxInfo(7, V); }

    bool AllLimitsZero() const;
    const TMinMaxInfo& Info() const { return FInfo; }
    // Copies the whole record, then tells the owner once.
    void Assign(const TWinMinMaxInfo& Source);

private:
    TFormPlacement* FOwner;
    TMinMaxInfo FInfo{};
};

// A component's share of a placement's save and restore.
class TIniLink {
public:
    using TLinkEvent = std::function<void(TIniLink* Sender)>;

    TIniLink() = default;
    virtual ~TIniLink();
    TIniLink(const TIniLink&) = delete;
    TIniLink& operator=(const TIniLink&) = delete;

    TFormPlacement* Storage() const { return FStorage; }
    // Detaches from the old placement, attaches to the new one.
    void SetStorage(TFormPlacement* Value);
    // The placement's open storage object, null when unlinked or closed.
    TCustomIniFile* StorageObject() const;
    // The placement's own IniSection text (not its default) followed by "\", or empty.
    std::string SectionPrefix() const;

    TLinkEvent OnSave;
    TLinkEvent OnLoad;

    virtual void FireSave();
    virtual void FireLoad();

private:
    friend class TFormPlacement;
    TFormPlacement* FStorage = nullptr;
};

class TFormPlacement : public QObject, protected TFormHook {
    Q_OBJECT

public:
    // A placement whose owner is a form follows that form's show, close query and destroy.
    explicit TFormPlacement(QObject* AOwner);
    ~TFormPlacement() override;

    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& Value) { setObjectName(QString::fromStdString(Value)); }

    // Switches all automatic saving and restoring.
    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    // The stored texts; GetIniFileName/GetIniSection give the defaults of AppUtils.h when empty.
    const std::string& IniFileName() const { return FIniFileName; }
    void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
    const std::string& IniSection() const { return FIniSection; }
    void SetIniSection(const std::string& Value) { FIniSection = Value; }
    std::string GetIniFileName() const;
    std::string GetIniSection() const;
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool Value) { FUseRegistry = Value; }
    TPlacementRegRoot RegistryRoot() const { return FRegistryRoot; }
    void SetRegistryRoot(TPlacementRegRoot Value) { FRegistryRoot = Value; }
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions Value) { FOptions = Value; }
    // Stored placement data older than Version is ignored.
    int Version() const { return FVersion; }
    void SetVersion(int Value) { FVersion = Value; }
    // The form keeps the size it has (and loses its maximize button); code that wants to
    // resize it switches this off first.
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool Value);
    TWinMinMaxInfo& MinMaxInfo() { return *FMinMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo& Value) { FMinMaxInfo->Assign(Value); }

    bool Saved() const { return FSaved; }
    bool Restored() const { return FRestored; }
    bool Destroying() const { return FDestroying; }

    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    // The open storage object, or null; RegIniFile/IniFile give it typed.
    TCustomIniFile* StorageObject() const { return FStorage.get(); }
    TRegIniFile* RegIniFile() const;
    TIniFile* IniFile() const;

    // On the section GetIniSection(), through the open storage or a temporary one.
    std::string ReadString(const std::string& Ident, const std::string& Default = "");
    void WriteString(const std::string& Ident, const std::string& Value);
    int ReadInteger(const std::string& Ident, int Default);
    void WriteInteger(const std::string& Ident, int Value);

    void SaveFormPlacement();
    void RestoreFormPlacement();

    // Nothing when a storage is open. Opening a registry key read-only never creates it.
    void OpenStorage(bool ReadOnly = false);
    // Writes pending changes (raising when they cannot be written) and frees the storage.
    void CloseStorage();

    void AttachLink(TIniLink* Link);
    void DetachLink(TIniLink* Link);

    virtual void SavePlacement();
    virtual void RestorePlacement();
    virtual std::string StorageReadString(const std::string& Section, const std::string& Ident,
                                          const std::string& Default);
    virtual void StorageWriteString(const std::string& Section, const std::string& Ident,
                                    const std::string& Value);

protected:
    virtual void FireSavePlacement();
    virtual void FireRestorePlacement();
    // The owner as a form, or null (also once the form has begun to go away).
    TCustomForm* Form() const { return HookedForm(); }
    void MarkRestored() { FRestored = true; }

    void FormShow() override;
    void FormCloseQuery(bool& CanClose) override;
    void FormDestroy() override;

private:
    friend class TWinMinMaxInfo;

    void CloseStorageAfterError() noexcept;
    void CallLinks(bool Save);
    void UpdatePlacement();
    void UpdateWindowHook();
    void ApplyPreventResize();
    void MinMaxInfoChanged();
    void RestoreActiveControl();

    bool FActive = true;
    std::string FIniFileName;
    std::string FIniSection;
    std::unique_ptr<TCustomIniFile> FStorage;
    bool FUseRegistry = false;
    TPlacementRegRoot FRegistryRoot = prCurrentUser;
    std::vector<TIniLink*> FLinks;
    TPlacementOptions FOptions;
    int FVersion = 0;
    bool FSaved = false;
    bool FRestored = false;
    bool FDestroying = false;
    bool FPreventResize = false;
    std::unique_ptr<TWinMinMaxInfo> FMinMaxInfo;
    bool FDefaultMaximize = false;
    // The size limits in force while PreventResize or a MinMaxInfo limit is set, and the form's
    // own limits to put back afterwards.
    bool FLimitsApplied = false;
    QSize FFormMinSize, FFormMaxSize;
};

class TStoredValue : public TCollectionItem {
public:
    using TStoredValueEvent = std::function<void(TStoredValue* Sender, QVariant& Value)>;

    explicit TStoredValue(TCollection* Collection);

    const std::string& Name() const { return FName; }
    // Raises EListError "String list does not allow duplicates" when another value of the
    // collection has the name (letter case ignored); the old name stays.
    void SetName(const std::string& Value);
    std::string DisplayName() const;

    QVariant Value;
    // When set, the value is stored XOR-ed with it as hexadecimal text.
    std::string KeyString;
    TStoredValueEvent OnSave;
    TStoredValueEvent OnRestore;

    void Clear() { Value = QVariant(); }
    virtual void SaveValue();
    virtual void RestoreValue();
    void Assign(const TCollectionItem& Source) override;
    const char* ClassName() const override { return "TStoredValue"; }

private:
    TFormStorage* Storage() const;
    std::string FName;
};

class TStoredValues : public TCollection {
public:
    explicit TStoredValues(TFormStorage* Storage) : FStorage(Storage) {}

    TFormStorage* Storage() const { return FStorage; }
    TStoredValue* Add() { return new TStoredValue(this); }
    TStoredValue* GetItem(int Index) const {
        return static_cast<TStoredValue*>(TCollection::GetItem(Index));
    }
    // Index of the value named Name (letter case ignored), -1 when none.
    int IndexOf(const std::string& Name) const;
    virtual void SaveValues();
    virtual void RestoreValues();
    const char* ClassName() const override { return "TStoredValues"; }

private:
    TFormStorage* FStorage;
};

class TFormStorage : public TFormPlacement {
    Q_OBJECT

public:
    explicit TFormStorage(QObject* AOwner);
    ~TFormStorage() override;

    TStoredValues& StoredValues() { return *FStoredValues; }

    // Published properties of the owner form's components kept with the placement
    // (PropStore.h): one line "Component.property" each, the component in its Objects entry.
    // Setting copies the lines, binds each line without a component to the form's component
    // of that name and drops lines that name none (so set it once the components exist). A
    // component that goes away takes its lines with it.
    const TStringList& StoredProps() const { return *FStoredProps; }
    void SetStoredProps(const TStringList& Value);

    void SavePlacement() override;
    void RestorePlacement() override;
    // Store and load the StoredProps items in the placement's section, through the open
    // storage or one opened for the call. Loading swallows every failure.
    virtual void SaveProperties();
    virtual void RestoreProperties();

private:
    void StoredComponentDestroyed(QObject* Component);

    std::unique_ptr<TStoredValues> FStoredValues;
    std::unique_ptr<TStringList> FStoredProps;
};
