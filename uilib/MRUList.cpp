#include "MRUList.h"

#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/StringList.h"
#include "uilib/AppUtils.h"
#include "uilib/Placemnt.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

// ---- TRecentStrings --------------------------------------------------------------------------

const std::string& TRecentStrings::Strings(int I) const {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    return FItems[static_cast<size_t>(I)].Name;
}

int TRecentStrings::UserData(int I) const {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    return FItems[static_cast<size_t>(I)].UserData;
}

void TRecentStrings::SetUserData(int I, int Value) {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    FItems[static_cast<size_t>(I)].UserData = Value;
}

int TRecentStrings::IndexOf(std::string_view S) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].Name == S) return static_cast<int>(I);
    return -1;
}

void TRecentStrings::Changed() {
    if (FUpdateCount > 0) {
        FChanged = true;
        return;
    }
    if (OnChange) OnChange();
}

void TRecentStrings::EndUpdate() {
    if (FUpdateCount <= 0 || --FUpdateCount > 0 || !FChanged) return;
    FChanged = false;
    if (OnChange) OnChange();
}

void TRecentStrings::Place(const std::string& S, int UserData, int Index, uint64_t Received) {
    FItems.insert(FItems.begin() + Index, TEntry{S, UserData, Received});
}

int TRecentStrings::AddObject(const std::string& S, int UserData) {
    BeginUpdate();
    const int I = IndexOf(S);
    if (I >= 0) FItems.erase(FItems.begin() + I);
    Place(S, UserData, FMode == rmAppend ? Count() : 0, ++FClock);
    Changed();
    TrimToMaxSize();
    EndUpdate();
    return FMode == rmAppend ? Count() - 1 : 0;
}

void TRecentStrings::Insert(int Index, const std::string& S, int UserData) {
    if (Index < 0 || Index > Count()) RaiseListIndexError(Index);
    BeginUpdate();
    const int I = IndexOf(S);
    if (I >= 0) {
        FItems.erase(FItems.begin() + I);
        if (I < Index) --Index;
    }
    Place(S, UserData, Index, ++FClock);
    Changed();
    TrimToMaxSize();
    EndUpdate();
}

void TRecentStrings::AddStrings(const TStringList& Source) {
    const int N = std::min(Source.Count(), FMaxSize);
    BeginUpdate();
    if (FMode == rmAppend) {
        for (int I = 0; I < N; ++I)
            AddObject(Source[I], static_cast<int>(Source.IntObject(I)));
    } else {
        for (int I = N - 1; I >= 0; --I)
            AddObject(Source[I], static_cast<int>(Source.IntObject(I)));
    }
    // The source lists its newest name first, whichever end of this list it went to.
    const uint64_t Base = FClock;
    FClock += static_cast<uint64_t>(N);
    for (int I = N - 1; I >= 0; --I) {
        const int At = IndexOf(Source[I]);
        if (At >= 0) FItems[static_cast<size_t>(At)].Received = Base + static_cast<uint64_t>(N - I);
    }
    TrimToMaxSize();
    EndUpdate();
}

void TRecentStrings::Delete(int I) {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    FItems.erase(FItems.begin() + I);
    Changed();
}

void TRecentStrings::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Changed();
}

void TRecentStrings::RemoveName(std::string_view S) {
    const int I = IndexOf(S);
    if (I >= 0) Delete(I);
}

void TRecentStrings::TrimToMaxSize() {
    if (Count() <= FMaxSize) return;
    // Keep the MaxSize entries received last, in their order.
    std::vector<uint64_t> Times;
    Times.reserve(FItems.size());
    for (const TEntry& E : FItems)
        Times.push_back(E.Received);
    std::nth_element(Times.begin(), Times.begin() + (FMaxSize - 1), Times.end(),
                     std::greater<uint64_t>());
    const uint64_t Oldest = Times[static_cast<size_t>(FMaxSize - 1)];
    std::erase_if(FItems, [Oldest](const TEntry& E) { return E.Received < Oldest; });
    Changed();
}

void TRecentStrings::SetMaxSize(int Value) {
    if (Value < 0) return;
    Value = std::clamp(Value, 1, RecentMaxSizeLimit);
    if (Value == FMaxSize) return;
    FMaxSize = Value;
    TrimToMaxSize();
}

std::string TRecentStrings::CommaText() const {
    TStringList L;
    for (const TEntry& E : FItems)
        L.Add(E.Name);
    return L.CommaText();
}

void TRecentStrings::SetCommaText(std::string_view Text) {
    TStringList L(Text);
    BeginUpdate();
    Clear();
    AddStrings(L);
    EndUpdate();
}

// ---- TMRUManager -----------------------------------------------------------------------------

namespace {

const char* const CaptionProperty = "qmRecentCaption";

// An entry shown as a menu text: "&" is itself, not a mnemonic.
QString MenuText(const std::string& S) {
    return QString::fromStdString(S).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

TMRUManager::TMRUManager(QObject* AOwner) : QObject(AOwner), FIniLink(new TIniLink) {
    FList.OnChange = [this] { ListChanged(); };
    FIniLink->OnSave = [this](TIniLink*) { StorageSave(); };
    FIniLink->OnLoad = [this](TIniLink*) { StorageLoad(); };
}

TMRUManager::~TMRUManager() {
    ClearMenu();
    FIniLink.reset();
    FList.OnChange = nullptr;
    disconnect(FMenuGone);
}

QMenu* TMRUManager::RecentMenu() const {
    return FRecentMenu;
}

TFormPlacement* TMRUManager::IniStorage() const {
    return FIniLink->Storage();
}

void TMRUManager::SetIniStorage(TFormPlacement* Value) {
    FIniLink->SetStorage(Value);
}

void TMRUManager::SetRecentMenu(QMenu* Value) {
    if (Value == FRecentMenu) return;
    ClearMenu();
    disconnect(FMenuGone);
    FRecentMenu = Value;
    if (Value) {
        FMenuGone = connect(Value, &QObject::destroyed, this, [this] {
            // The menu took its actions with it.
            FItems.clear();
            FRecentMenu = nullptr;
        });
    }
    RebuildMenu();
}

void TMRUManager::SetSeparateSize(unsigned Value) {
    if (Value == FSeparateSize) return;
    FSeparateSize = Value;
    if (FAutoUpdate) RebuildMenu();
}

void TMRUManager::SetAutoEnable(bool Value) {
    if (Value == FAutoEnable) return;
    FAutoEnable = Value;
    UpdateEnabled();
}

void TMRUManager::SetShowAccelChar(bool Value) {
    if (Value == FShowAccelChar) return;
    FShowAccelChar = Value;
    if (FAutoUpdate) RebuildMenu();
}

void TMRUManager::SetStartAccel(unsigned Value) {
    if (Value == FStartAccel) return;
    FStartAccel = Value;
    if (FAutoUpdate) RebuildMenu();
}

void TMRUManager::SetAccelDelimiter(TAccelDelimiter Value) {
    if (Value == FAccelDelimiter) return;
    FAccelDelimiter = Value;
    if (FAutoUpdate && FShowAccelChar) RebuildMenu();
}

void TMRUManager::AddItem(const std::string& RecentName, int UserData) {
    FList.AddObject(RecentName, UserData);
}

void TMRUManager::RemoveItem(const std::string& RecentName) {
    FList.RemoveName(RecentName);
}

void TMRUManager::UpdateEnabled() {
    if (FRecentMenu && FAutoEnable) FRecentMenu->setEnabled(!FRecentMenu->actions().isEmpty());
}

void TMRUManager::ClearMenu() {
    QMenu* Menu = FRecentMenu;
    while (!FItems.empty()) {
        QPointer<QAction> A = FItems.back();
        FItems.pop_back();
        if (!A || !Menu || !Menu->actions().contains(A.data())) continue;
        Menu->removeAction(A);
        // The action may be the one whose click is being handled right now: it is released
        // once control is back in the event loop.
        A->deleteLater();
    }
    UpdateEnabled();
}

QAction* TMRUManager::AppendMenuItem(QAction* Item) {
    FRecentMenu->addAction(Item);
    FItems.emplace_back(Item);
    return Item;
}

void TMRUManager::RebuildMenu() {
    ClearMenu();
    QMenu* Menu = FRecentMenu;
    if (!Menu) return;
    auto Separator = [&] {
        auto* Sep = new QAction(Menu);
        Sep->setSeparator(true);
        AppendMenuItem(Sep);
    };
    if (FList.Count() > 0 && !Menu->actions().isEmpty()) Separator();
    for (int I = 0; I < FList.Count(); ++I) {
        if (FSeparateSize > 0 && I > 0 && static_cast<unsigned>(I) % FSeparateSize == 0)
            Separator();
        const std::string& Entry = FList[I];
        std::string Caption = Entry, Hint;
        QKeySequence ShortCut;
        FireGetItemData(Caption, ShortCut, FList.UserData(I));
        size_t Bar = Caption != Entry ? Caption.find('|') : std::string::npos;
        if (Bar != std::string::npos) {
            Hint = Caption.substr(Bar + 1);
            Caption.resize(Bar);
        } else {
            Hint = Caption;
        }

        QString Text = MenuText(Caption);
        std::string Full = Caption;
        if (FShowAccelChar) {
            const unsigned long long A = static_cast<unsigned long long>(I) + FStartAccel;
            QString Prefix;
            if (A < 10)
                Prefix = QLatin1Char('&') + QChar(static_cast<char16_t>('0' + A));
            else if (A <= 100)
                Prefix = QLatin1Char('&') + QChar(static_cast<char16_t>(65 + (A - 10)));
            else
                Prefix = QLatin1String(" ");
            const QChar Delim = FAccelDelimiter == adTab ? QLatin1Char('\t') : QLatin1Char(' ');
            Text = Prefix + Delim + Text;
            Full = (Prefix + Delim).toStdString() + Full;
        }
        auto* Item = new QAction(Text, Menu);
        Item->setShortcut(ShortCut);
        Item->setCheckable(false);
        Item->setEnabled(true);
        Item->setStatusTip(QString::fromStdString(Hint));
        Item->setToolTip(QString::fromStdString(Hint));
        Item->setData(I);
        Item->setProperty(CaptionProperty, QByteArray::fromStdString(Full));
        connect(Item, &QAction::triggered, this, [this, Item] {
            try {
                ItemClick(Item);
            } catch (...) {
                HandleException();
            }
        });
        AppendMenuItem(Item);
    }
    UpdateEnabled();
}

void TMRUManager::ItemClick(QAction* Item) {
    bool Ok = false;
    const int I = Item ? Item->data().toInt(&Ok) : -1;
    if (!Ok || I < 0 || I >= FList.Count()) return;
    const std::string Caption = Item->property(CaptionProperty).toByteArray().toStdString();
    const std::string Name = FList[I];
    const int UserData = FList.UserData(I);
    // The handler may change the list (and so rebuild the menu) or even free this manager;
    // from here on neither the action nor the index is used again.
    QPointer<TMRUManager> Self(this);
    try {
        FireClick(Name, Caption, UserData);
    } catch (...) {
        if (Self && FRemoveOnSelect) RemoveItem(Name);
        throw;
    }
    if (Self && FRemoveOnSelect) RemoveItem(Name);
}

void TMRUManager::ListChanged() {
    FireChange();
    if (FAutoUpdate) RebuildMenu();
}

void TMRUManager::FireChange() {
    if (OnChange) OnChange(this);
}

void TMRUManager::FireGetItemData(std::string& Caption, QKeySequence& ShortCut, int UserData) {
    if (OnGetItemData) OnGetItemData(this, Caption, ShortCut, UserData);
}

void TMRUManager::FireClick(const std::string& RecentName, const std::string& Caption,
                            int UserData) {
    if (OnClick) OnClick(this, RecentName, Caption, UserData);
}

void TMRUManager::FireReadItem(TCustomIniFile* IniFile, const std::string& Section, int Index,
                               std::string& RecentName, int& UserData) {
    if (OnReadItem) {
        OnReadItem(this, IniFile, Section, Index, RecentName, UserData);
        return;
    }
    RecentName = StorageReadString(IniFile, Section, Format("Item_%d", {Index}), RecentName);
    UserData = StorageReadInteger(IniFile, Section, Format("User_%d", {Index}), UserData);
}

void TMRUManager::FireWriteItem(TCustomIniFile* IniFile, const std::string& Section, int Index,
                                const std::string& RecentName, int UserData) {
    if (OnWriteItem) {
        OnWriteItem(this, IniFile, Section, Index, RecentName, UserData);
        return;
    }
    StorageWriteString(IniFile, Section, Format("Item_%d", {Index}), RecentName);
    if (UserData == 0)
        StorageDeleteKey(IniFile, Section, Format("User_%d", {Index}));
    else
        StorageWriteInteger(IniFile, Section, Format("User_%d", {Index}), UserData);
}

void TMRUManager::LoadFromStorage(TCustomIniFile* IniFile, const std::string& Section) {
    const TRecentMode Old = FList.Mode();
    FList.BeginUpdate();
    try {
        FList.Clear();
        FList.SetMode(rmInsert);
        for (int I = FList.MaxSize() - 1; I >= 0; --I) {
            std::string Name;
            int UserData = 0;
            FireReadItem(IniFile, Section, I, Name, UserData);
            if (!Name.empty()) AddItem(Name, UserData);
        }
    } catch (...) {
        FList.SetMode(Old);
        FList.EndUpdate();
        throw;
    }
    FList.SetMode(Old);
    FList.EndUpdate();
}

void TMRUManager::SaveToStorage(TCustomIniFile* IniFile, const std::string& Section) {
    StorageEraseSection(IniFile, Section);
    for (int I = 0; I < FList.Count(); ++I)
        FireWriteItem(IniFile, Section, I, FList[I], FList.UserData(I));
}

void TMRUManager::StorageSave() {
    TCustomIniFile* S = FIniLink->StorageObject();
    if (Name().empty() || !S) return;
    SaveToStorage(S, FIniLink->SectionPrefix() + DefaultStorageSection(this));
}

void TMRUManager::StorageLoad() {
    TCustomIniFile* S = FIniLink->StorageObject();
    if (Name().empty() || !S) return;
    LoadFromStorage(S, FIniLink->SectionPrefix() + DefaultStorageSection(this));
}
