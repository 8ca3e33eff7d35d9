// TFormStorage: the published properties kept with the placement (StoredProps).
#include "Placemnt.h"

#include "uilib/AppUtils.h"
#include "uilib/PropStore.h"

namespace {

// Opens the placement's storage for the duration of a store or load when none is open, so
// that the section erases of string lists and collections reach the store and all items go
// through one open key.
class TOpenedStorage {
public:
    TOpenedStorage(TFormPlacement& P, bool ReadOnly) : FP(P), FOpened(!P.StorageObject()) {
        if (FOpened) FP.OpenStorage(ReadOnly);
    }
    ~TOpenedStorage() {
        if (!FOpened) return;
        try {
            FP.CloseStorage();
        } catch (...) {
            // Only reached when the store or load itself failed; that failure is reported.
        }
    }
    // Writes what changed; raises when it cannot be written.
    void Close() {
        if (FOpened) FP.CloseStorage();
        FOpened = false;
    }

private:
    TFormPlacement& FP;
    bool FOpened;
};

} // namespace

void TFormStorage::SetStoredProps(const TStringList& Value) {
    for (const TStringList::Entry& E : *FStoredProps)
        if (E.Obj) disconnect(static_cast<QObject*>(E.Obj), nullptr, this, nullptr);
    FStoredProps->Assign(Value);
    // As read from a form description: each line bound to the form's component of its name.
    ResolveStoredList(parent(), FStoredProps.get(), true);
    for (const TStringList::Entry& E : *FStoredProps)
        if (E.Obj)
            connect(static_cast<QObject*>(E.Obj), &QObject::destroyed, this,
                    &TFormStorage::StoredComponentDestroyed, Qt::UniqueConnection);
}

void TFormStorage::StoredComponentDestroyed(QObject* Component) {
    if (!FStoredProps) return;
    for (int I = FStoredProps->Count() - 1; I >= 0; --I)
        if (FStoredProps->Objects(I) == Component) FStoredProps->Delete(I);
}

void TFormStorage::SaveProperties() {
    if (FStoredProps->IsEmpty()) return;
    TOpenedStorage Open(*this, false);
    TPropsStorage S;
    S.Section = GetIniSection();
    S.OnWriteString = [this](const std::string& Section, const std::string& Item,
                             const std::string& Value) {
        StorageWriteString(Section, Item, Value);
    };
    S.OnEraseSection = [this](const std::string& Section) {
        StorageEraseSection(StorageObject(), Section);
    };
    S.StoreProperties(parent(), *FStoredProps);
    Open.Close();
}

void TFormStorage::RestoreProperties() {
    if (FStoredProps->IsEmpty()) return;
    try {
        TOpenedStorage Open(*this, true);
        TPropsStorage S;
        S.Section = GetIniSection();
        S.OnReadString = [this](const std::string& Section, const std::string& Item,
                                const std::string& Default) {
            return StorageReadString(Section, Item, Default);
        };
        S.LoadProperties(parent(), *FStoredProps);
    } catch (...) {
        // A store that cannot be read leaves the properties as they are.
    }
}
