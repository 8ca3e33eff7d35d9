// The recent-files list and its menu.
//
// TRecentStrings is a bounded list of names (newest at the top in rmInsert mode, at the bottom
// in rmAppend mode), each with an integer UserData. Names are compared byte for byte: on Linux
// two files whose names differ only in letter case are two files, so they are two entries.
// Whatever way entries come in, the list knows which it received last: trimming to MaxSize
// (after an add or insert, or when MaxSize shrinks) always drops the entries received longest
// ago, never the newest, also in a list that its user keeps newest first by inserting at the
// top while the mode says append. A list read back in one piece (AddStrings, SetCommaText) is
// taken as newest first: it keeps the source's first MaxSize names. MaxSize lies between 1 and
// RecentMaxSizeLimit, so a damaged stored capacity cannot make the list, or a load of it, huge;
// a negative size changes nothing.
//
// TMRUManager mirrors the list as actions of a QMenu (RecentMenu): accelerator prefixes, group
// separators, hints (the action's status tip). A triggered action reports its name through
// OnClick. The manager's actions belong to the menu; when the list changes inside the click
// handler (opening a catalog moves it in the list), the menu is rebuilt at once but the old
// actions are only released later (deleteLater), never while they are still emitting, and the
// click path touches nothing of the clicked action after the handler. With an IniStorage the
// list also saves and loads itself with that placement, one "Item_%d" (and "User_%d") value
// per entry in its own section.
//
// UI thread only.
#pragma once

#include "uilib/Forms.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class TCustomIniFile;
class TFormPlacement;
class TIniLink;
class TStringList;

enum TRecentMode { rmInsert, rmAppend };
enum TAccelDelimiter { adTab, adSpace };

inline constexpr int RecentMaxSizeLimit = 1000;

class TRecentStrings {
public:
    TRecentStrings() = default;
    TRecentStrings(const TRecentStrings&) = delete;
    TRecentStrings& operator=(const TRecentStrings&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    // Raise EListError outside 0 .. Count-1.
    const std::string& Strings(int I) const;
    const std::string& operator[](int I) const { return Strings(I); }
    int UserData(int I) const;
    void SetUserData(int I, int Value);

    int MaxSize() const { return FMaxSize; }
    void SetMaxSize(int Value);
    // Changing the mode neither reorders nor trims.
    TRecentMode Mode() const { return FMode; }
    void SetMode(TRecentMode Value) { FMode = Value; }

    // A new name goes to the mode's end (rmInsert: index 0, rmAppend: last) and the list is
    // trimmed; a present name moves there and takes the new UserData. Returns its index.
    int Add(const std::string& S) { return AddObject(S, 0); }
    int AddObject(const std::string& S, int UserData);
    // Puts S at Index (a present S is moved there), then trims.
    void Insert(int Index, const std::string& S, int UserData = 0);
    // The first min(Count, MaxSize) names of Source (UserData from its objects), in Source's
    // order, at the mode's end; then trims.
    void AddStrings(const TStringList& Source);
    void Delete(int I);
    void Clear();
    int IndexOf(std::string_view S) const;
    // Deletes S when present.
    void RemoveName(std::string_view S);
    void TrimToMaxSize();

    std::string CommaText() const;
    // Clear, then AddStrings of the comma text.
    void SetCommaText(std::string_view Text);

    // Changes inside an update bracket report one OnChange at its end.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    std::function<void()> OnChange;

private:
    struct TEntry {
        std::string Name;
        int UserData = 0;
        uint64_t Received = 0; // when the entry came in; larger is newer
    };
    void Changed();
    void Place(const std::string& S, int UserData, int Index, uint64_t Received);

    std::vector<TEntry> FItems;
    int FMaxSize = 10;
    TRecentMode FMode = rmInsert;
    uint64_t FClock = 0;
    int FUpdateCount = 0;
    bool FChanged = false;
};

class TMRUManager : public QObject {
    Q_OBJECT

public:
    using TGetItemEvent = std::function<void(QObject* Sender, std::string& Caption,
                                             QKeySequence& ShortCut, int UserData)>;
    using TClickMenuEvent = std::function<void(QObject* Sender, const std::string& RecentName,
                                               const std::string& Caption, int UserData)>;
    using TReadItemEvent =
        std::function<void(QObject* Sender, TCustomIniFile* IniFile, const std::string& Section,
                           int Index, std::string& RecentName, int& UserData)>;
    using TWriteItemEvent =
        std::function<void(QObject* Sender, TCustomIniFile* IniFile, const std::string& Section,
                           int Index, const std::string& RecentName, int UserData)>;

    explicit TMRUManager(QObject* AOwner);
    ~TMRUManager() override;

    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& Value) { setObjectName(QString::fromStdString(Value)); }

    TRecentStrings& RecentList() { return FList; }
    const TRecentStrings& RecentList() const { return FList; }

    int Capacity() const { return FList.MaxSize(); }
    void SetCapacity(int Value) { FList.SetMaxSize(Value); }
    TRecentMode Mode() const { return FList.Mode(); }
    void SetMode(TRecentMode Value) { FList.SetMode(Value); }
    TFormPlacement* IniStorage() const;
    void SetIniStorage(TFormPlacement* Value);

    QMenu* RecentMenu() const;
    void SetRecentMenu(QMenu* Value);
    unsigned SeparateSize() const { return FSeparateSize; }
    void SetSeparateSize(unsigned Value);
    bool AutoEnable() const { return FAutoEnable; }
    void SetAutoEnable(bool Value);
    bool AutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool Value) { FAutoUpdate = Value; }
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    bool RemoveOnSelect() const { return FRemoveOnSelect; }
    void SetRemoveOnSelect(bool Value) { FRemoveOnSelect = Value; }
    unsigned StartAccel() const { return FStartAccel; }
    void SetStartAccel(unsigned Value);
    TAccelDelimiter AccelDelimiter() const { return FAccelDelimiter; }
    void SetAccelDelimiter(TAccelDelimiter Value);

    TNotifyEvent OnChange;
    // May change the caption and give a shortcut. A caption it changes may hold "short|long":
    // the item shows the part before the first "|" and hints the part after it. An entry's own
    // name is never split: a "|" is an ordinary character of a Linux file name.
    TGetItemEvent OnGetItemData;
    TClickMenuEvent OnClick;
    TReadItemEvent OnReadItem;
    TWriteItemEvent OnWriteItem;

    void AddItem(const std::string& RecentName, int UserData = 0);
    void RemoveItem(const std::string& RecentName);
    void RebuildMenu();
    void ClearMenu();
    // Reads MaxSize entries ("Item_%d" from MaxSize-1 down to 0); the entry stored under 0 ends
    // at the top.
    void LoadFromStorage(TCustomIniFile* IniFile, const std::string& Section);
    void SaveToStorage(TCustomIniFile* IniFile, const std::string& Section);

    // What a triggered recent action does: reports entry Tag of the list (nothing when Tag is
    // out of range) and, with RemoveOnSelect, removes that name afterwards, also when the
    // handler raised (which then passes on).
    void ItemClick(QAction* Item);

protected:
    virtual void FireChange();
    virtual void FireReadItem(TCustomIniFile* IniFile, const std::string& Section, int Index,
                              std::string& RecentName, int& UserData);
    virtual void FireWriteItem(TCustomIniFile* IniFile, const std::string& Section, int Index,
                               const std::string& RecentName, int UserData);
    virtual void FireGetItemData(std::string& Caption, QKeySequence& ShortCut, int UserData);
    virtual void FireClick(const std::string& RecentName, const std::string& Caption, int UserData);

private:
    void ListChanged();
    void StorageSave();
    void StorageLoad();
    void UpdateEnabled();
    QAction* AppendMenuItem(QAction* Item);

    TRecentStrings FList;
    std::vector<QPointer<QAction>> FItems;
    std::unique_ptr<TIniLink> FIniLink;
    unsigned FSeparateSize = 0;
    bool FAutoEnable = true;
    bool FAutoUpdate = true;
    bool FShowAccelChar = true;
    bool FRemoveOnSelect = false;
    unsigned FStartAccel = 1;
    TAccelDelimiter FAccelDelimiter = adTab;
    QPointer<QMenu> FRecentMenu;
    QMetaObject::Connection FMenuGone;
};
