#include "Placemnt.h"

#include "platform/Exceptions.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "uilib/AppUtils.h"
#include "uilib/StrUtils.h"
#include "uilib/WindowPlacement.h"

#include <QWidget>

#include <algorithm>

// ---- TWinMinMaxInfo --------------------------------------------------------------------------

namespace {

int* InfoField(TWinMinMaxInfo::TMinMaxInfo& I, int Index) {
    switch (Index) {
    case 0: return &I.ptMaxPosition.X;
    case 1: return &I.ptMaxPosition.Y;
    case 2: return &I.ptMaxSize.Y;
    case 3: return &I.ptMaxSize.X;
    case 4: return &I.ptMaxTrackSize.Y;
    case 5: return &I.ptMaxTrackSize.X;
    case 6: return &I.ptMinTrackSize.Y;
    case 7: return &I.ptMinTrackSize.X;
    default: return nullptr;
    }
}

} // namespace

int TWinMinMaxInfo::GetMinMaxInfo(int Index) const {
    const int* F = InfoField(const_cast<TMinMaxInfo&>(FInfo), Index);
    return F ? *F : 0;
}

void TWinMinMaxInfo::SetMinMaxInfo(int Index, int Value) {
    int* F = InfoField(FInfo, Index);
    if (!F || *F == Value) return;
    *F = Value;
    if (FOwner) FOwner->MinMaxInfoChanged();
}

bool TWinMinMaxInfo::AllLimitsZero() const {
    for (int I = 0; I < 8; ++I)
        if (GetMinMaxInfo(I) != 0) return false;
    return true;
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& Source) {
    if (&Source == this) return;
    FInfo = Source.FInfo;
    if (FOwner) FOwner->MinMaxInfoChanged();
}

// ---- TIniLink --------------------------------------------------------------------------------

TIniLink::~TIniLink() {
    OnSave = nullptr;
    OnLoad = nullptr;
    SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement* Value) {
    if (Value == FStorage) return;
    if (FStorage) FStorage->DetachLink(this);
    if (Value) Value->AttachLink(this);
}

TCustomIniFile* TIniLink::StorageObject() const {
    return FStorage ? FStorage->StorageObject() : nullptr;
}

std::string TIniLink::SectionPrefix() const {
    if (!FStorage || FStorage->IniSection().empty()) return {};
    return FStorage->IniSection() + "\\";
}

void TIniLink::FireSave() {
    if (OnSave) OnSave(this);
}

void TIniLink::FireLoad() {
    if (OnLoad) OnLoad(this);
}

// ---- TFormPlacement --------------------------------------------------------------------------

TFormPlacement::TFormPlacement(QObject* AOwner)
    : QObject(AOwner), FMinMaxInfo(std::make_unique<TWinMinMaxInfo>(this)) {
    auto* F = qobject_cast<TCustomForm*>(AOwner);
    FOptions = F ? fpState | fpPosition : 0;
    if (F) {
        F->AttachHook(this);
        FDefaultMaximize = (F->BorderIcons() & biMaximize) != 0;
    }
}

TFormPlacement::~TFormPlacement() {
    CloseStorageAfterError();
    while (!FLinks.empty())
        DetachLink(FLinks.back());
    if (TCustomForm* F = Form()) {
        FPreventResize = false;
        FMinMaxInfo.reset(new TWinMinMaxInfo(nullptr));
        UpdateWindowHook();
        F->DetachHook(this);
    }
}

std::string TFormPlacement::GetIniFileName() const {
    if (!FIniFileName.empty()) return FIniFileName;
    return FUseRegistry ? DefaultRegistryKey() : DefaultIniFileName();
}

std::string TFormPlacement::GetIniSection() const {
    if (!FIniSection.empty()) return FIniSection;
    return DefaultStorageSection(parent());
}

TRegIniFile* TFormPlacement::RegIniFile() const {
    return dynamic_cast<TRegIniFile*>(FStorage.get());
}

TIniFile* TFormPlacement::IniFile() const {
    return dynamic_cast<TIniFile*>(FStorage.get());
}

void TFormPlacement::OpenStorage(bool ReadOnly) {
    if (FStorage) return;
    if (FUseRegistry) {
        static constexpr TRegistryRoot Roots[] = {
            TRegistryRoot::CurrentUser, TRegistryRoot::LocalMachine, TRegistryRoot::CurrentConfig,
            TRegistryRoot::ClassesRoot, TRegistryRoot::Users,        TRegistryRoot::DynData};
        FStorage = std::make_unique<TRegIniFile>(GetIniFileName(), Roots[FRegistryRoot], ReadOnly);
    } else {
        FStorage = std::make_unique<TIniFile>(GetIniFileName());
    }
}

void TFormPlacement::CloseStorage() {
    std::unique_ptr<TCustomIniFile> S = std::move(FStorage);
    if (S) S->UpdateFile();
}

void TFormPlacement::CloseStorageAfterError() noexcept {
    try {
        CloseStorage();
    } catch (...) {
        // The first failure is the one reported.
    }
}

namespace {

// Runs Fn on the placement's open storage, or on one opened for this call only.
template <class Fn>
auto WithStorage(TFormPlacement& P, bool ReadOnly, Fn&& F) {
    if (P.StorageObject()) return F(P.StorageObject());
    P.OpenStorage(ReadOnly);
    try {
        if constexpr (std::is_void_v<decltype(F(P.StorageObject()))>) {
            F(P.StorageObject());
            P.CloseStorage();
        } else {
            auto R = F(P.StorageObject());
            P.CloseStorage();
            return R;
        }
    } catch (...) {
        try {
            P.CloseStorage();
        } catch (...) {
        }
        throw;
    }
}

} // namespace

std::string TFormPlacement::StorageReadString(const std::string& Section, const std::string& Ident,
                                              const std::string& Default) {
    return WithStorage(*this, true, [&](TCustomIniFile* S) {
        return ::StorageReadString(S, Section, Ident, Default);
    });
}

void TFormPlacement::StorageWriteString(const std::string& Section, const std::string& Ident,
                                        const std::string& Value) {
    WithStorage(*this, false,
                [&](TCustomIniFile* S) { ::StorageWriteString(S, Section, Ident, Value); });
}

std::string TFormPlacement::ReadString(const std::string& Ident, const std::string& Default) {
    return StorageReadString(GetIniSection(), Ident, Default);
}

void TFormPlacement::WriteString(const std::string& Ident, const std::string& Value) {
    StorageWriteString(GetIniSection(), Ident, Value);
}

int TFormPlacement::ReadInteger(const std::string& Ident, int Default) {
    const std::string Section = GetIniSection();
    return WithStorage(*this, true, [&](TCustomIniFile* S) {
        return ::StorageReadInteger(S, Section, Ident, Default);
    });
}

void TFormPlacement::WriteInteger(const std::string& Ident, int Value) {
    const std::string Section = GetIniSection();
    WithStorage(*this, false,
                [&](TCustomIniFile* S) { ::StorageWriteInteger(S, Section, Ident, Value); });
}

void TFormPlacement::AttachLink(TIniLink* Link) {
    if (!Link || Link->FStorage == this) return;
    if (Link->FStorage) Link->FStorage->DetachLink(Link);
    FLinks.push_back(Link);
    Link->FStorage = this;
}

void TFormPlacement::DetachLink(TIniLink* Link) {
    auto It = std::find(FLinks.begin(), FLinks.end(), Link);
    if (It == FLinks.end()) return;
    FLinks.erase(It);
    Link->FStorage = nullptr;
}

void TFormPlacement::CallLinks(bool Save) {
    const std::vector<TIniLink*> Links = FLinks;
    for (TIniLink* L : Links) {
        if (std::find(FLinks.begin(), FLinks.end(), L) == FLinks.end()) continue;
        if (Save)
            L->FireSave();
        else
            L->FireLoad();
    }
}

void TFormPlacement::FireSavePlacement() {
    if (OnSavePlacement) OnSavePlacement(this);
}

void TFormPlacement::FireRestorePlacement() {
    if (OnRestorePlacement) OnRestorePlacement(this);
}

void TFormPlacement::SavePlacement() {
    if (TCustomForm* F = Form()) {
        const std::string Section = GetIniSection();
        if (FOptions & (fpState | fpPosition)) {
            if (TRegIniFile* R = RegIniFile())
                SaveWindowPlacementToRegistry(F, R, Section);
            else if (TIniFile* I = IniFile())
                SaveWindowPlacementToIni(F, I, Section);
            if (FStorage) FStorage->WriteBool(Section, "Visible", FDestroying);
        }
        if (FOptions & fpActiveControl) {
            if (QWidget* W = F->focusWidget())
                WriteString("ActiveControl", W->objectName().toStdString());
        }
    }
    CallLinks(true);
}

void TFormPlacement::RestorePlacement() {
    if (TCustomForm* F = Form()) {
        const std::string Section = GetIniSection();
        const bool State = FOptions & fpState, Position = FOptions & fpPosition;
        if (TRegIniFile* R = RegIniFile())
            LoadWindowPlacementFromRegistry(F, R, Section, State, Position);
        else if (TIniFile* I = IniFile())
            LoadWindowPlacementFromIni(F, I, Section, State, Position);
    }
    CallLinks(false);
}

void TFormPlacement::RestoreActiveControl() {
    TCustomForm* F = Form();
    if (!F) return;
    const std::string Name =
        ::StorageReadString(FStorage.get(), GetIniSection(), "ActiveControl", "");
    if (Name.empty()) return;
    for (QWidget* W : F->findChildren<QWidget*>()) {
        if (!AnsiSameText(W->objectName().toStdString(), Name)) continue;
        if (W->isVisibleTo(F) && W->isEnabled() && W->focusPolicy() != Qt::NoFocus) W->setFocus();
        return;
    }
}

void TFormPlacement::RestoreFormPlacement() {
    FSaved = false;
    OpenStorage(true);
    try {
        if (ReadInteger("FormVersion", 0) >= FVersion) {
            RestorePlacement();
            FRestored = true;
            FireRestorePlacement();
            if (FOptions & fpActiveControl) RestoreActiveControl();
        }
        FRestored = true;
    } catch (...) {
        CloseStorageAfterError();
        throw;
    }
    CloseStorage();
    UpdatePlacement();
}

void TFormPlacement::SaveFormPlacement() {
    // A placement that never restored must not overwrite what an earlier run stored.
    if (FActive && !FRestored) return;
    OpenStorage(false);
    try {
        WriteInteger("FormVersion", FVersion);
        SavePlacement();
        FireSavePlacement();
        FSaved = true;
    } catch (...) {
        CloseStorageAfterError();
        throw;
    }
    CloseStorage();
}

void TFormPlacement::FormShow() {
    if (!FActive) return;
    try {
        RestoreFormPlacement();
    } catch (...) {
        HandleException();
    }
}

void TFormPlacement::FormCloseQuery(bool& CanClose) {
    TCustomForm* F = Form();
    if (!CanClose || !FActive || !F || !F->windowHandle()) return;
    try {
        SaveFormPlacement();
    } catch (...) {
        HandleException();
    }
}

void TFormPlacement::FormDestroy() {
    if (!FActive || FSaved) return;
    FDestroying = true;
    try {
        SaveFormPlacement();
    } catch (...) {
        HandleException();
    }
    FDestroying = false;
}

void TFormPlacement::UpdatePlacement() {
    TCustomForm* F = Form();
    if (!F || !F->windowHandle() || FPreventResize || !FMinMaxInfo->AllLimitsZero()) return;
    TWindowPlacement WP;
    GetWindowPlacement(*F, WP);
    if (!F->isVisible()) WP.showCmd = SW_HIDE;
    const TPoint M = BorderMetrics(F->BorderStyle());
    WP.ptMaxPosition = {-M.X, -M.Y};
    SetWindowPlacement(*F, WP);
}

void TFormPlacement::UpdateWindowHook() {
    TCustomForm* F = Form();
    if (!F) return;
    const bool Needed = FPreventResize || (FMinMaxInfo && !FMinMaxInfo->AllLimitsZero());
    if (!Needed) {
        if (FLimitsApplied) {
            F->setMinimumSize(FFormMinSize);
            F->setMaximumSize(FFormMaxSize);
            FLimitsApplied = false;
        }
        return;
    }
    if (!FLimitsApplied) {
        FFormMinSize = F->minimumSize();
        FFormMaxSize = F->maximumSize();
        FLimitsApplied = true;
    }
    if (FPreventResize) {
        F->setMinimumSize(F->size());
        F->setMaximumSize(F->size());
        return;
    }
    const TWinMinMaxInfo::TMinMaxInfo& I = FMinMaxInfo->Info();
    F->setMinimumSize(I.ptMinTrackSize.X ? I.ptMinTrackSize.X : FFormMinSize.width(),
                      I.ptMinTrackSize.Y ? I.ptMinTrackSize.Y : FFormMinSize.height());
    F->setMaximumSize(I.ptMaxTrackSize.X ? I.ptMaxTrackSize.X : FFormMaxSize.width(),
                      I.ptMaxTrackSize.Y ? I.ptMaxTrackSize.Y : FFormMaxSize.height());
}

void TFormPlacement::SetPreventResize(bool Value) {
    if (!Form() || Value == FPreventResize) return;
    FPreventResize = Value;
    UpdatePlacement();
    ApplyPreventResize();
}

void TFormPlacement::ApplyPreventResize() {
    TCustomForm* F = Form();
    if (!F) return;
    if (FPreventResize) FDefaultMaximize = (F->BorderIcons() & biMaximize) != 0;
    // New border icons re-create the window; that must not restore or save anything.
    const bool WasActive = FActive;
    FActive = false;
    try {
        TBorderIcons Icons = F->BorderIcons();
        if (!FPreventResize && FDefaultMaximize && F->BorderStyle() != bsDialog)
            Icons |= biMaximize;
        else
            Icons &= ~static_cast<TBorderIcons>(biMaximize);
        F->SetBorderIcons(Icons);
    } catch (...) {
        FActive = WasActive;
        throw;
    }
    FActive = WasActive;
    UpdateWindowHook();
}

void TFormPlacement::MinMaxInfoChanged() {
    UpdatePlacement();
    UpdateWindowHook();
}

// ---- TStoredValue, TStoredValues -------------------------------------------------------------

namespace {

std::string VariantText(const QVariant& V) {
    if (!V.isValid() || V.isNull()) return {};
    if (V.typeId() == QMetaType::QByteArray) return V.toByteArray().toStdString();
    return V.toString().toStdString();
}

} // namespace

TStoredValue::TStoredValue(TCollection* Collection) : TCollectionItem(Collection) {}

TFormStorage* TStoredValue::Storage() const {
    auto* Values = dynamic_cast<TStoredValues*>(Collection());
    return Values ? Values->Storage() : nullptr;
}

void TStoredValue::SetName(const std::string& Value) {
    if (!Value.empty() && !AnsiSameText(Value, FName)) {
        auto* Values = dynamic_cast<TStoredValues*>(Collection());
        if (Values && Values->IndexOf(Value) >= 0) throw EListError(SysConsts::SDuplicateString);
    }
    FName = Value;
}

std::string TStoredValue::DisplayName() const {
    return FName.empty() ? ClassName() : FName;
}

void TStoredValue::SaveValue() {
    QVariant V = Value;
    if (OnSave) OnSave(this, V);
    std::string S = VariantText(V);
    if (!KeyString.empty()) S = XorToHex(KeyString, S);
    if (TFormStorage* St = Storage()) St->WriteString(FName, S);
}

void TStoredValue::RestoreValue() {
    std::string Default = VariantText(Value);
    if (!KeyString.empty()) Default = XorToHex(KeyString, Default);
    TFormStorage* St = Storage();
    std::string S = St ? St->ReadString(FName, Default) : Default;
    if (!KeyString.empty()) S = XorFromHex(KeyString, S);
    QVariant V(QString::fromStdString(S));
    if (OnRestore) OnRestore(this, V);
    Value = V;
}

void TStoredValue::Assign(const TCollectionItem& Source) {
    auto* S = dynamic_cast<const TStoredValue*>(&Source);
    if (!S) return;
    Value = S->Value;
    SetName(S->FName);
    KeyString = S->KeyString;
}

int TStoredValues::IndexOf(const std::string& Name) const {
    for (int I = 0; I < Count(); ++I)
        if (AnsiSameText(GetItem(I)->Name(), Name)) return I;
    return -1;
}

void TStoredValues::SaveValues() {
    for (int I = 0; I < Count(); ++I)
        GetItem(I)->SaveValue();
}

void TStoredValues::RestoreValues() {
    for (int I = 0; I < Count(); ++I)
        GetItem(I)->RestoreValue();
}

// ---- TFormStorage ----------------------------------------------------------------------------

TFormStorage::TFormStorage(QObject* AOwner)
    : TFormPlacement(AOwner), FStoredValues(std::make_unique<TStoredValues>(this)),
      FStoredProps(std::make_unique<TStringList>()) {}

TFormStorage::~TFormStorage() {
    FStoredProps.reset();
    FStoredValues.reset();
}

void TFormStorage::SavePlacement() {
    TFormPlacement::SavePlacement();
    SaveProperties();
    FStoredValues->SaveValues();
}

void TFormStorage::RestorePlacement() {
    TFormPlacement::RestorePlacement();
    MarkRestored();
    RestoreProperties();
    FStoredValues->RestoreValues();
}
