#include "TreeItems.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/ItemFormats.h"
#include "core/KeyWords.h"
#include "core/LoadWorkers.h"
#include "core/ViewLinks.h"
#include "platform/Filer.h"
#include "platform/Thread.h"

#include <algorithm>

const std::unordered_map<const TKeyWordItem*, int>* SavingKeyWordIndex = nullptr;
const std::vector<TKeyWordItem*>* LoadingKeyWordList = nullptr;

namespace {
const std::vector<TKeyWordItem*> GNoKeyWords;
// Set while a catalog destroys its whole tree on this thread (TCatFileItem::DestroyTree): its
// type rows and keywords have forgotten every item, so the items leave them alone.
thread_local bool GTearingDown = false;
} // namespace

char PathSeparatorOf(std::string_view RootPath) {
    return RootPath.find('/') == std::string_view::npos &&
                   RootPath.find('\\') != std::string_view::npos
               ? '\\'
               : '/';
}

std::string JoinPath(std::string_view Path, std::string_view Name) {
    std::string R(Path);
    char Sep = PathSeparatorOf(Path);
    if (!R.empty() && R.back() != Sep) R += Sep;
    R += Name;
    return R;
}

// ---- TBasicItem --------------------------------------------------------------------------------

struct TBasicItem::Extras {
    PackedString Note;
    PackedString ExtraText;
    int32_t ExtraInt = -1;
    std::vector<TKeyWordItem*> KeyWords;
    TTreeNode* TreeNode = nullptr;
    TListItem* ListItem = nullptr;
    TListItem* ResultItem = nullptr;
};

QM_DEFINE_ITEM_CLASS(TBasicItem, TCustomCatalogItem);

TBasicItem::TBasicItem(TCustomCatalogItems* Collection) : TCustomCatalogItem(Collection) {}

TBasicItem::Extras& TBasicItem::EnsureExtras() {
    if (!FExtras) FExtras = std::make_unique<Extras>();
    return *FExtras;
}

int32_t* TBasicItem::TypeSlotOf(TCustomCatalogItem* Item) {
    return &static_cast<TBasicItem*>(Item)->FTypeSlot;
}

TBasicItem::~TBasicItem() {
    if (!GTearingDown) {
        SetTypeItem(nullptr);
        ClearKeyWords();
    }
    // The folder shown in the list moves to the parent whether or not the item has a tree node.
    if (CurrentFolder == this) CurrentFolder = OwnerItem();
    if (FExtras) {
        if (TTreeNode* Node = FExtras->TreeNode) {
            FExtras->TreeNode = nullptr;
            if (Node->InTree() && !Node->Deleting()) Node->Delete();
        }
        if (TListItem* Row = FExtras->ListItem) {
            FExtras->ListItem = nullptr;
            Row->Delete();
        }
        if (TListItem* Row = FExtras->ResultItem) {
            FExtras->ResultItem = nullptr;
            Row->Delete();
        }
    }
    FImageIndex = -1;
    FSelectedIndex = -1;
}

TBasicItem* TBasicItem::OwnerItem() const {
    auto* C = dynamic_cast<TBasicItems*>(Items());
    return C ? C->OwnerItem() : nullptr;
}

int32_t TBasicItem::GetImageIndex() const {
    if (!DisplayDefaultIcons && FImageIndex != -1) return FImageIndex;
    if (FTypeRow) return FTypeRow->ImageIndex();
    return FImageIndex;
}

int32_t TBasicItem::GetSelectedIndex() const {
    if (!DisplayDefaultIcons && FSelectedIndex != -1) return FSelectedIndex;
    if (FTypeRow) return FTypeRow->SelectedIndex();
    return FSelectedIndex;
}

void TBasicItem::SetImageIndex(int32_t V) {
    if (V == FImageIndex) return;
    FImageIndex = V;
    if (!FExtras) return;
    if (FExtras->TreeNode) FExtras->TreeNode->SetImageIndex(GetImageIndex());
    if (FExtras->ListItem) FExtras->ListItem->SetImageIndex(GetImageIndex());
}

void TBasicItem::SetSelectedIndex(int32_t V) {
    if (V == FSelectedIndex) return;
    FSelectedIndex = V;
    if (FExtras && FExtras->TreeNode) FExtras->TreeNode->SetSelectedIndex(GetSelectedIndex());
}

std::string_view TBasicItem::Note() const {
    return FExtras ? FExtras->Note.View() : std::string_view();
}

void TBasicItem::SetNote(std::string_view V) {
    if (V == Note()) return;
    CatalogModified = true;
    EnsureExtras().Note = PackedString(V);
}

void TBasicItem::SetNoteField(const PackedString& V) {
    if (V.empty() && !FExtras) return;
    EnsureExtras().Note = V;
}

std::string_view TBasicItem::ExtraText() const {
    return FExtras ? FExtras->ExtraText.View() : std::string_view();
}

int32_t TBasicItem::ExtraInt() const {
    return FExtras ? FExtras->ExtraInt : -1;
}

void TBasicItem::SetExtraFields(const PackedString& Text, int32_t Int, bool Flag) {
    FExtraFlag = Flag;
    if (Text.empty() && Int == -1 && !FExtras) return;
    Extras& E = EnsureExtras();
    E.ExtraText = Text;
    E.ExtraInt = Int;
}

const std::vector<TKeyWordItem*>& TBasicItem::KeyWords() const {
    return FExtras ? FExtras->KeyWords : GNoKeyWords;
}

void TBasicItem::LinkKeyWord(TKeyWordItem* K) {
    std::vector<TKeyWordItem*>& Keys = EnsureExtras().KeyWords;
    if (std::find(Keys.begin(), Keys.end(), K) == Keys.end()) Keys.push_back(K);
}

void TBasicItem::UnlinkKeyWord(TKeyWordItem* K) {
    if (!FExtras) return;
    std::vector<TKeyWordItem*>& Keys = FExtras->KeyWords;
    // From the back: ClearKeyWords removes the last keyword first, so clearing an item that
    // carries many keywords stays linear.
    auto It = std::find(Keys.rbegin(), Keys.rend(), K);
    if (It != Keys.rend()) Keys.erase(std::next(It).base());
}

void TBasicItem::ClearKeyWords() {
    while (FExtras && !FExtras->KeyWords.empty()) {
        TKeyWordItem* K = FExtras->KeyWords.back();
        K->RemoveClient(this);
        // A keyword always removes itself; guard against a list out of step all the same.
        if (!FExtras->KeyWords.empty() && FExtras->KeyWords.back() == K)
            FExtras->KeyWords.pop_back();
    }
}

void TBasicItem::SetTypeItem(TTypeItem* Row) {
    if (FTypeRow) FTypeRow->RemoveClient(this);
    FTypeRow = Row;
    if (Row) Row->AddClient(this);
}

TTreeNode* TBasicItem::TreeNode() const {
    return FExtras ? FExtras->TreeNode : nullptr;
}

void TBasicItem::SetTreeNode(TTreeNode* Node) {
    if (Node || FExtras) EnsureExtras().TreeNode = Node;
}

TListItem* TBasicItem::ListItem() const {
    return FExtras ? FExtras->ListItem : nullptr;
}

void TBasicItem::SetListItem(TListItem* Row) {
    if (Row || FExtras) EnsureExtras().ListItem = Row;
}

TListItem* TBasicItem::ResultItem() const {
    return FExtras ? FExtras->ResultItem : nullptr;
}

void TBasicItem::SetResultItem(TListItem* Row) {
    if (Row || FExtras) EnsureExtras().ResultItem = Row;
}

void TBasicItem::SetDisplayName(std::string_view Value) {
    TCustomCatalogItem::SetDisplayName(Value);
    if (!FExtras) return;
    std::string Caption = DisplayName();
    if (FExtras->TreeNode) FExtras->TreeNode->SetText(Caption);
    if (FExtras->ListItem) FExtras->ListItem->SetCaption(Caption);
    if (FExtras->ResultItem) FExtras->ResultItem->SetCaption(Caption);
}

void TBasicItem::Assign(const TCollectionItem& Source) {
    TCustomCatalogItem::Assign(Source);
    auto* Src = dynamic_cast<const TBasicItem*>(&Source);
    if (!Src || Src == this) return; // assigning an item to itself keeps its keywords
    SetNoteField(Src->FExtras ? Src->FExtras->Note : PackedString());
    SetExtraFields(Src->FExtras ? Src->FExtras->ExtraText : PackedString(), Src->ExtraInt(),
                   Src->FExtraFlag);
    FImageIndex = -1;
    FSelectedIndex = -1;
    ClearKeyWords();
    for (TKeyWordItem* K : std::vector<TKeyWordItem*>(Src->KeyWords()))
        K->AddClient(this);
    SetTypeItem(Src->FTypeRow);
}

void TBasicItem::ReadFields(TReader& Reader) {
    PackedString NoteText = Reader.ReadPackedString();
    PackedString Text = Reader.ReadPackedString();
    int32_t Int = Reader.ReadInteger();
    bool Flag = Reader.ReadBoolean();
    SetNoteField(NoteText);
    SetExtraFields(Text, Int, Flag);
    int32_t K = Reader.ReadInteger();
    if (K < 0 || K > Reader.Remaining() / 2) throw EReadError(SysConsts::SReadError);
    TLoadThread* Load = K > 0 ? TLoadThread::Current() : nullptr;
    TLoadLinks* Links = Load ? Load->Links : nullptr;
    if (Links) Links->Cache().NewItem();
    for (int32_t I = 0; I < K; ++I) {
        int32_t Index = Reader.ReadInteger();
        TKeyWordItem* Key = nullptr;
        if (LoadingKeyWordList) {
            if (Index >= 0 && static_cast<size_t>(Index) < LoadingKeyWordList->size())
                Key = (*LoadingKeyWordList)[Index];
        } else if (LoadingKeyWords && Index >= 0 && Index < LoadingKeyWords->Count()) {
            Key = LoadingKeyWords->At(Index);
        }
        if (!Key) throw EReadError(SysConsts::SReadError);
        if (Links) {
            // In a load the keyword's side waits for its turn (core/LoadLinks.h); a repeated
            // index is told by the marks of this item's indices.
            if (!Links->Cache().FirstUse(Index)) continue;
            EnsureExtras().KeyWords.push_back(Key);
            Links->AddKeyWord(Key, this);
            continue;
        }
        // Both sides are linked here directly: the two lists are kept in step, so a keyword that
        // does not list this item yet is not in the item's list either, and a file that puts
        // thousands of keywords on one item costs no search per keyword. A repeated index links
        // once, as AddClient would.
        if (Key->Clients().Contains(this)) continue;
        Key->TCatalogClientItem::AddClient(this);
        EnsureExtras().KeyWords.push_back(Key);
    }
}

void TBasicItem::WriteFields(TWriter& Writer) {
    Writer.WriteString(Note());
    Writer.WriteString(ExtraText());
    Writer.WriteInteger(ExtraInt());
    Writer.WriteBoolean(FExtraFlag);
    const std::vector<TKeyWordItem*>& Keys = KeyWords();
    Writer.WriteInteger(static_cast<int32_t>(Keys.size()));
    for (TKeyWordItem* K : Keys) {
        int Index = K->Index();
        if (SavingKeyWordIndex) {
            auto It = SavingKeyWordIndex->find(K);
            if (It != SavingKeyWordIndex->end()) Index = It->second;
        }
        Writer.WriteInteger(Index);
    }
}

// ---- TBasicItems -------------------------------------------------------------------------------

TBasicItems::TBasicItems(TBasicItem* Owner, TItemClass ItemClass)
    : TCustomCatalogItems(ItemClass), FOwner(Owner) {}

// ItemLoaded and ReadRecordElsewhere: core/LoadWorkers.cpp, with the rest of a load's parts.

bool TBasicItems::AcceptsClass(TItemClass C) const {
    return C->InheritsFrom(&TBasicItem::Class) && !C->InheritsFrom(&TCatFileItem::Class);
}

// ---- TBasicFolder ------------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TBasicFolder, TBasicItem);

TBasicFolder::TBasicFolder(TCustomCatalogItems* Collection)
    : TBasicItem(Collection), FChildren(std::make_unique<TBasicItems>(this, &TBasicItem::Class)) {
    SetImageIndex(iiVirtualFolder);
    SetSelectedIndex(iiVirtualFolder);
}

TBasicFolder::~TBasicFolder() {
    ClearChildren();
}

std::string TBasicFolder::ClassCaption() const {
    return SVirtualFolder;
}

void TBasicFolder::ClearChildren() {
    if (!FChildren || FChildren->Count() == 0) return;
    TTreeNode* Node = TreeNode();
    bool Bracket = Node && Node->InTree();
    if (Bracket) Node->BeginTreeUpdate();
    DestroyItems(*FChildren);
    if (Bracket && TreeNode()) TreeNode()->EndTreeUpdate();
}

void TBasicFolder::Assign(const TCollectionItem& Source) {
    TBasicItem::Assign(Source);
    auto* Src = dynamic_cast<const TBasicFolder*>(&Source);
    if (Src && Src != this) FChildren->Assign(*Src->FChildren);
}

void TBasicFolder::ReadFields(TReader& Reader) {
    TBasicItem::ReadFields(Reader);
    FChildren->ReadItems(Reader);
}

void TBasicFolder::WriteFields(TWriter& Writer) {
    TBasicItem::WriteFields(Writer);
    FChildren->WriteItems(Writer);
}

// ---- TCatFileItem ------------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TCatFileItem, TBasicFolder);

TCatFileItem::TCatFileItem(TCustomCatalogItems* Collection)
    : TBasicFolder(Collection),
      FKeyWords(std::make_unique<TKeyWordItems>(this, &TKeyWordItem::Class)),
      FTypes(std::make_unique<TTypeItems>(this, &TTypeItem::Class)) {
    SetImageIndex(iiCatalog);
    SetSelectedIndex(iiCatalog);
}

TCatFileItem::~TCatFileItem() {
    // Children first, while the keywords and type rows they link to still exist.
    DestroyTree();
    FTypes.reset();
    FKeyWords.reset();
}

void TCatFileItem::DestroyTree() {
    // The root stays (Clear) or goes last: its own links go one by one, as for any item.
    SetTypeItem(nullptr);
    ClearKeyWords();
    if (ScanThreads.Count() > 0) {
        // A scan stopped below serves its calls meanwhile, which may add or delete items one by
        // one: every link is kept in step (the type links of every item go in one pass per row).
        FTypes->DropAllClients();
        ClearChildren();
        return;
    }
    // Everything that links to the items goes with them: the rows and keywords forget all their
    // clients at once, and the items skip unlinking themselves, so the tree goes in one pass with
    // no list or hash upkeep per item. Views are still told of items they show. The objects go
    // back to an arena of this thread's, without the pool's lock, and the arena gives them back
    // to the pool in one step (the pool's blocks are unmapped when nothing else lives in them).
    for (int I = 0; I < FTypes->Count(); ++I)
        FTypes->At(I)->ForgetClients();
    for (int I = 0; I < FKeyWords->Count(); ++I)
        FKeyWords->At(I)->ForgetClients();
    struct TTeardown {
        TTeardown() { GTearingDown = true; }
        ~TTeardown() { GTearingDown = false; }
        TSmallArena Arena;
    } Teardown;
    ClearChildren();
}

std::string TCatFileItem::ClassCaption() const {
    return SCatalog;
}

void TCatFileItem::Clear() {
    // The root's own keyword links go while the keywords exist: a load that failed may have set
    // the root's side of a link whose keyword side was still to come.
    DestroyTree();
    FTypes->Clear();
    FKeyWords->Clear();
    FCatFile.clear();
    // A new catalog must not carry the texts of the previous one; the root keeps its name
    // ("Desktop" for a catalog made in the window), and a load takes the file's.
    SetCommentField(PackedString());
    SetNoteField(PackedString());
    SetExtraFields(PackedString(), -1, false);
    FTypes->AddItem(this);
}

void TCatFileItem::Assign(const TCollectionItem& Source) {
    TBasicFolder::Assign(Source);
    if (auto* Src = dynamic_cast<const TCatFileItem*>(&Source)) FCatFile = Src->FCatFile;
}

// ---- TFileItem ---------------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TFileItem, TBasicItem);

TFileItem::TFileItem(TCustomCatalogItems* Collection) : TBasicItem(Collection) {}

TFileItem::~TFileItem() {
    // Most file records share their name with the item's (ReadFields).
    FFileInfo.Name.ReleaseBeside(PackedName());
}

TVolumeInfo* TFileItem::GetVolume() const {
    TBasicItem* Owner = OwnerItem();
    if (auto* FC = dynamic_cast<TFileCollection*>(Owner)) return &FC->Volume();
    if (auto* FI = dynamic_cast<TFileItem*>(Owner)) return FI->GetVolume();
    return nullptr;
}

std::string TFileItem::GetFullPath(std::string_view Suffix) const {
    // A disk item's path uses its file record's name; an item never filled from the disk has
    // only its display name. Names are joined with the separator of the scanned folder's root.
    // One walk up finds the folders on disk above the item and the scanned folder they lie in.
    std::vector<const TFileItem*> Chain{this};
    const TFileCollection* FC = nullptr;
    for (TBasicItem* Owner = OwnerItem(); Owner;) {
        if ((FC = dynamic_cast<const TFileCollection*>(Owner))) break;
        auto* FI = dynamic_cast<const TFileItem*>(Owner);
        if (!FI) break;
        Chain.push_back(FI);
        Owner = FI->OwnerItem();
    }
    const char Sep = FC ? PathSeparatorOf(FC->GetRootPath()) : '/';
    auto Join = [Sep](std::string& Text, std::string_view Below) {
        if (Below.empty()) return;
        if (Text.empty() || Text.back() != Sep) Text += Sep;
        Text += Below;
    };
    auto NameOf = [](const TFileItem* X) {
        return X->FFileInfo.Name.empty() ? X->DisplayName() : X->FFileInfo.Name.Str();
    };
    std::string Text = NameOf(Chain.back());
    for (size_t I = Chain.size() - 1; I-- > 0;)
        Join(Text, NameOf(Chain[I]));
    Join(Text, Suffix);
    return FC ? JoinPath(FC->GetRootPath(), Text) : Text;
}

void TFileItem::Assign(const TCollectionItem& Source) {
    if (auto* Src = dynamic_cast<const TFileItem*>(&Source)) FFileInfo = Src->FFileInfo;
    TBasicItem::Assign(Source);
}

void TFileItem::ReadFields(TReader& Reader) {
    TBasicItem::ReadFields(Reader);
    // Most items are named after their file: both share one buffer.
    FFileInfo.Name = Reader.ReadPackedString(&PackedName());
    FFileInfo.Date = Reader.ReadDate();
    // A size written in the 32-bit Integer form is unsigned: -1294967296 stands for 3,000,000,000.
    FFileInfo.Size = Reader.NextValue() == vaInt64 ? static_cast<uint64_t>(Reader.ReadInt64())
                                                   : static_cast<uint32_t>(Reader.ReadInteger());
    FFileInfo.Attr = static_cast<uint32_t>(Reader.ReadInt64());
}

void TFileItem::WriteFields(TWriter& Writer) {
    TBasicItem::WriteFields(Writer);
    Writer.WriteString(FFileInfo.Name.View());
    Writer.WriteDate(FFileInfo.Date);
    Writer.WriteInt64(static_cast<int64_t>(FFileInfo.Size));
    Writer.WriteInt64(static_cast<int64_t>(FFileInfo.Attr));
}

// ---- TFileFolder -------------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TFileFolder, TFileItem);

TFileFolder::TFileFolder(TCustomCatalogItems* Collection)
    : TFileItem(Collection), FChildren(std::make_unique<TBasicItems>(this, &TFileItem::Class)) {}

TFileFolder::~TFileFolder() {
    TTreeNode* Node = TreeNode();
    bool Bracket = Node && Node->InTree() && FChildren->Count() > 0;
    if (Bracket) Node->BeginTreeUpdate();
    DestroyItems(*FChildren);
    if (Bracket && TreeNode()) TreeNode()->EndTreeUpdate();
}

std::string TFileFolder::ClassCaption() const {
    return FolderTypeName;
}

void TFileFolder::Assign(const TCollectionItem& Source) {
    auto* Src = dynamic_cast<const TFileFolder*>(&Source);
    if (Src && Src != this) FChildren->Assign(*Src->FChildren);
    TFileItem::Assign(Source);
}

void TFileFolder::ReadFields(TReader& Reader) {
    TFileItem::ReadFields(Reader);
    FChildren->ReadItems(Reader);
}

void TFileFolder::WriteFields(TWriter& Writer) {
    TFileItem::WriteFields(Writer);
    FChildren->WriteItems(Writer);
}
