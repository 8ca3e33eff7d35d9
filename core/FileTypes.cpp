#include "FileTypes.h"

#include "core/CatalogGlobals.h"
#include "core/ItemFormats.h"
#include "core/TreeItems.h"
#include "core/TypeInfoThread.h"
#include "platform/Format.h"

#include <algorithm>
#include <system_error>

// ---- TTypeItem ---------------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TTypeItem, TCatalogClientItem);

TTypeItem::TTypeItem(TCustomCatalogItems* Collection)
    : TCatalogClientItem(Collection, &TBasicItem::TypeSlotOf) {
    SetUniqueNames(false);
}

TTypeItem::~TTypeItem() {
    // Every item of the type loses its row link.
    ClearClients();
}

std::string TTypeItem::GetDisplayName() const {
    return Name().empty() ? FDefaultName : std::string(Name());
}

void TTypeItem::AddClient(TCustomCatalogItem* Item) {
    if (!Item) return;
    // An item belongs to one row: it leaves its previous one first, so that no row keeps it as a
    // client after it has moved on (and its slot in that row's list is given back).
    auto* B = static_cast<TBasicItem*>(Item);
    if (B->FTypeRow && B->FTypeRow != this) B->FTypeRow->RemoveClient(Item);
    TCatalogClientItem::AddClient(Item);
    B->FTypeRow = this;
}

void TTypeItem::RemoveClient(TCustomCatalogItem* Item) {
    if (!Item) return;
    TCatalogClientItem::RemoveClient(Item);
    auto* B = static_cast<TBasicItem*>(Item);
    if (B->FTypeRow == this) B->FTypeRow = nullptr;
}

void TTypeItem::AddLoadedClients(const std::vector<TCustomCatalogItem*>& Items) {
    CatalogModified = true;
    MutableClients().AddFresh(Items.data(), Items.size());
    for (TCustomCatalogItem* C : Items)
        static_cast<TBasicItem*>(C)->FTypeRow = this;
}

void TTypeItem::DropClients() {
    for (TCustomCatalogItem* C : Clients()) {
        auto* B = static_cast<TBasicItem*>(C);
        if (B->FTypeRow == this) B->FTypeRow = nullptr;
        B->FTypeSlot = -1;
    }
    MutableClients().Forget();
}

void TTypeItem::SetImageIndex(int32_t V) {
    if (V == FImageIndex) return;
    FImageIndex = V;
    for (TCustomCatalogItem* C : Clients().Snapshot())
        static_cast<TBasicItem*>(C)->SetImageIndex(V);
}

void TTypeItem::Assign(const TCollectionItem& Source) {
    TCatalogClientItem::Assign(Source);
    auto* Src = dynamic_cast<const TTypeItem*>(&Source);
    if (!Src || Src == this) return;
    FImageIndex = Src->FImageIndex;
    FSelectedIndex = Src->FSelectedIndex;
    FItemClass = Src->FItemClass;
    FKey = Src->FKey;
}

void TTypeItem::ReadFields(TReader&) {
    RaiseCatalogError("Internal Error: Type:Load Data");
}
void TTypeItem::WriteFields(TWriter&) {
    RaiseCatalogError("Internal Error: Type:Save Data");
}

// ---- TTypeItems --------------------------------------------------------------------------------

std::string ExtensionKey(std::string_view FileName) {
    size_t Dot = FileName.rfind('.');
    if (Dot == std::string_view::npos) return {};
    return UpperCase(FileName.substr(Dot));
}

TTypeItems::TTypeItems(TBasicItem* Owner, TItemClass ItemClass)
    : TCustomCatalogItems(ItemClass), FOwner(Owner) {
    SetSorted(false);
    StartThread();
}

TTypeItems::~TTypeItems() {
    // Terminate wakes a paused thread, so it can end.
    StopThread();
    TCustomCatalogItems::Clear();
}

int TTypeItems::KeyIndex(const std::string& Key) const {
    auto It = FKeyList.find(AnsiLowerCase(Key));
    return It == FKeyList.end() ? -1 : It->second;
}

int TTypeItems::IndexOfClass(TItemClass C) const {
    return C ? KeyIndex(C->Name) : -1;
}

int TTypeItems::IndexOfExtension(const std::string& Ext) const {
    return KeyIndex(Ext);
}

void TTypeItems::SetTypeDefaults(TTypeItem* Row) {
    TItemClass C = Row->ItemClass();
    if (C == &TFileItem::Class || C == &TFileLocItem::Class) {
        Row->SetImageIndexField(iiDefaultFile);
        Row->SetSelectedIndexField(iiDefaultFile);
    }
}

void TTypeItems::ItemLoaded(TCustomCatalogItem* Item) {
    SetTypeDefaults(static_cast<TTypeItem*>(Item));
}

TTypeKind TypeKindOf(TItemClass C) {
    // Plain files first: they are nearly every item of a catalog.
    if (C == &TFileItem::Class) return tkFile;
    if (C->InheritsFrom(&TBasicFolder::Class) || C->InheritsFrom(&TFileFolder::Class))
        return tkClass;
    return C->InheritsFrom(&TFileItem::Class) ? tkFile : tkNone;
}

std::string_view TypeSpelling(const TBasicItem* Item) {
    // The type follows the file record's name, never the display name.
    auto* F = static_cast<const TFileItem*>(Item);
    std::string_view Name = F->FileInfo().Name.empty() ? Item->Name() : F->FileInfo().Name.View();
    size_t Dot = Name.rfind('.');
    return Dot == std::string_view::npos ? std::string_view() : Name.substr(Dot);
}

void TTypeItems::AddItem(TBasicItem* Item) {
    if (!Item) return;
    int Position = -1;
    std::string Ext;
    std::string_view Spelling;
    bool Learn = false;
    TItemClass C = Item->ClassType();
    TTypeKind Kind = TypeKindOf(C);
    if (Kind == tkClass) {
        Position = IndexOfClass(C);
    } else if (Kind == tkFile) {
        Spelling = TypeSpelling(Item);
        auto Known = FSpellings.find(Spelling);
        if (Known != FSpellings.end()) {
            Position = Known->second;
        } else {
            Ext = ExtensionKey(Spelling);
            Position = IndexOfExtension(Ext);
            Learn = true;
        }
    } else {
        // Only tree items of the known kinds have a type; nothing else joins a row.
        Item->SetTypeItem(nullptr);
        return;
    }
    if (Position == -1) Position = MakeRow(C, Ext, TypeRowKey(C, Ext))->Index();
    if (Learn) FSpellings.emplace(std::string(Spelling), Position);
    TTypeItem* Row = At(Position);
    // An item moving to another type leaves its old row first.
    if (Item->TypeRow() != Row) Item->SetTypeItem(Row);
    StartThread();
}

std::string TypeRowKey(TItemClass C, const std::string& Ext) {
    return AnsiLowerCase(TypeKindOf(C) == tkFile ? Ext : std::string(C->Name));
}

TTypeItem* TTypeItems::MakeRow(TItemClass C, const std::string& Ext, const std::string& Key) {
    auto* Row = new TTypeItem(this);
    // The built-in rows of the folder kinds: name and images.
    struct TBuiltIn {
        TItemClass Class;
        std::string Name;
        int32_t Image, Selected;
    };
    const TBuiltIn BuiltIns[] = {
        {&TCatFileItem::Class, SCatalog, iiCatalog, iiCatalog},
        {&TFileCollection::Class, SArchiveFolder, iiArchiveClosed, iiArchiveOpen},
        {&TBasicFolder::Class, SVirtualFolder, iiVirtualFolder, iiVirtualFolder},
        {&TFileFolder::Class, FolderTypeName, iiFolderClosed, iiFolderOpen},
    };
    auto B = std::find_if(std::begin(BuiltIns), std::end(BuiltIns),
                          [C](const TBuiltIn& X) { return X.Class == C; });
    if (B != std::end(BuiltIns)) {
        Row->SetNameField(PackedString(B->Name));
        Row->SetDefaultName(B->Name);
        Row->SetImageIndexField(B->Image);
        Row->SetSelectedIndexField(B->Selected);
    } else {
        Row->SetTypeKey(Ext);
        Row->SetDefaultName(Ext.empty() ? std::string(SFile)
                                        : Format(SFileTypeFmt, {std::string_view(Ext).substr(1)}));
    }
    Row->SetItemClass(C);
    Row->SetCommentField(PackedString());
    FKeyList.emplace(Key, Row->Index());
    // Defaults only for a new row: a row whose icon the type thread has found keeps it.
    SetTypeDefaults(Row);
    return Row;
}

TTypeItem* TTypeItems::RowOfKey(TItemClass C, const std::string& Ext, const std::string& Key) {
    auto It = FKeyList.find(Key);
    if (It != FKeyList.end()) return At(It->second);
    return MakeRow(C, Ext, Key);
}

void TTypeItems::AddLoadedItems(TTypeItem* Row, const std::vector<TCustomCatalogItem*>& Items) {
    if (Items.empty()) return;
    Row->AddLoadedClients(Items);
    StartThread();
}

void TTypeItems::DropAllClients() {
    for (int I = 0; I < Count(); ++I)
        At(I)->DropClients();
}

void TTypeItems::Clear() {
    bool WasPaused = Paused();
    if (!WasPaused) StopThread();
    TCustomCatalogItems::Clear();
    FKeyList.clear();
    FSpellings.clear();
    if (!WasPaused) StartThread();
}

void TTypeItems::SetPaused(bool P) {
    if (P) {
        if (++FPauseCount == 1 && FThread) FThread->Suspend();
    } else if (FPauseCount > 0) {
        if (--FPauseCount == 0 && FThread) FThread->Resume();
    }
}

void TTypeItems::StartThread() {
    if (FThread) return;
    FThread = new TTypeInfoThread(this);
    FThread->OnTerminate = [this](TThread* T) {
        if (FThread == T) FThread = nullptr;
    };
    if (Paused()) FThread->Suspend();
    try {
        FThread->Resume();
    } catch (const std::system_error&) {
        // No thread to spare (the user's thread limit): type names and icons wait for the next
        // start, the catalog works without them meanwhile.
        delete FThread;
        FThread = nullptr;
    }
}

void TTypeItems::StopThread() {
    if (TTypeInfoThread* T = FThread) {
        T->Terminate();
        T->WaitFor(); // the thread frees itself; its end clears FThread
        FThread = nullptr;
    }
}
