#include "CatalogItems.h"

#include "core/CatalogGlobals.h"
#include "core/ItemFormats.h"
#include "core/LoadWorkers.h"
#include "platform/Filer.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"
#include "platform/Thread.h"

#include <algorithm>
#include <cstdio>

// ---- errors ----------------------------------------------------------------------------------

std::function<void(const std::string& Message)> ShowCatalogErrorHook;

void RaiseCatalogError(const std::string& Msg, std::string_view ContextName) {
    if (!ContextName.empty()) throw ECatalogError(Format("%s: %s", {ContextName, Msg}));
    throw ECatalogError(Msg);
}

void RaiseCatalogErrorFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args,
                          std::string_view ContextName) {
    RaiseCatalogError(Format(Fmt, Args), ContextName);
}

void ShowCatalogError(const std::exception& E) {
    if (ShowCatalogErrorHook) {
        ShowCatalogErrorHook(E.what());
        return;
    }
    std::printf("%s\n", E.what());
    std::fflush(stdout);
}

// ---- TCustomCatalogItem ------------------------------------------------------------------------

const TItemClassInfo TCustomCatalogItem::Class{
    "TCustomCatalogItem", nullptr,
    [](TCustomCatalogItems* C) -> TCustomCatalogItem* { return new TCustomCatalogItem(C); }};

TCustomCatalogItem::TCustomCatalogItem(TCustomCatalogItems* Collection) : TCollectionItem(nullptr) {
    // Joins the collection only now, so the collection sees a whole catalog item.
    SetCollection(Collection);
    // Helpers of a load make items beside the UI thread; the load decides the mark at its end.
    TLoadThread* T = TLoadThread::Current();
    if (!T || !T->Quiet) CatalogModified = true;
}

TCustomCatalogItem::~TCustomCatalogItem() {
    FName = PackedString();
    FComment = PackedString();
    CatalogModified = true;
    // The collection item's destructor then leaves the collection.
}

TCustomCatalogItems* TCustomCatalogItem::Items() const {
    return static_cast<TCustomCatalogItems*>(Collection());
}

std::string TCustomCatalogItem::GetDisplayName() const {
    if (!FName.empty()) return FName.Str();
    if (Items()) return Items()->MakeUniqueName(ClassCaption());
    return ClassCaption();
}

void TCustomCatalogItem::SetDisplayName(std::string_view Value) {
    if (!Value.empty() && Value == FName.View()) return;
    CatalogModified = true;
    std::string Candidate(Value);
    if (FUniqueNames && Items()) {
        // The item itself is passed over, so a change of letter case (or naming an unnamed item
        // "" again) does not earn a suffix.
        for (int N = 1; Items()->NameTaken(Candidate, this); ++N)
            Candidate = std::string(Value) + "(" + std::to_string(N) + ")";
    }
    SetNameField(PackedString(Candidate));
    Changed(false);
}

void TCustomCatalogItem::SetNameField(const PackedString& Value) {
    FName = Value;
    if (Items()) Items()->NameChanged(this);
}

void TCustomCatalogItem::SetComment(std::string_view Value) {
    if (Value == FComment.View()) return;
    FComment = PackedString(Value);
    CatalogModified = true;
}

void TCustomCatalogItem::Assign(const TCollectionItem& Source) {
    auto* Src = dynamic_cast<const TCustomCatalogItem*>(&Source);
    if (!Src) {
        TCollectionItem::Assign(Source);
        return;
    }
    CatalogModified = true;
    if (Src == this) return;
    SetNameField(Src->FName);
    FComment = Src->FComment;
}

void TCustomCatalogItem::LoadFromReader(TReader& Reader) {
    ReadHeader(Reader);
    ReadFields(Reader);
}

void TCustomCatalogItem::ReadHeader(TReader& Reader) {
    SetNameField(Reader.ReadPackedString());
    FComment = Reader.ReadPackedString();
}

void TCustomCatalogItem::SaveToWriter(TWriter& Writer) {
    Writer.WriteString(FName.View());
    Writer.WriteString(FComment.View());
    WriteFields(Writer);
}

void TCustomCatalogItem::ReadFields(TReader&) {}
void TCustomCatalogItem::WriteFields(TWriter&) {}

// ---- TCustomCatalogItems -----------------------------------------------------------------------

TCustomCatalogItems::TCustomCatalogItems(TItemClass ItemClass) : FItemClass(ItemClass) {}

TCustomCatalogItems::~TCustomCatalogItems() {
    // Items are destroyed while this class is still whole, so they can reach it.
    Clear();
}

void TCustomCatalogItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    if (Action != cnAdded || !FInOrder) return;
    if (!FSorted) {
        FInOrder = false; // checked again when sorting is switched back on
        return;
    }
    int N = Count();
    if (N > 1) {
        auto* Added = static_cast<TCustomCatalogItem*>(Item);
        if (AnsiCompareText(At(N - 2)->Name(), Added->Name()) > 0) FInOrder = false;
    }
}

void TCustomCatalogItems::NameChanged(TCustomCatalogItem* Item) {
    if (!FInOrder) return;
    int I = Item->Index();
    if ((I > 0 && Compare(I - 1, I) > 0) || (I + 1 < Count() && Compare(I, I + 1) > 0))
        FInOrder = false;
}

int TCustomCatalogItems::Compare(int I, int J) const {
    return AnsiCompareText(At(I)->Name(), At(J)->Name());
}

bool TCustomCatalogItems::IsInOrder() const {
    for (int I = 1; I < Count(); ++I)
        if (Compare(I - 1, I) > 0) return false;
    return true;
}

void TCustomCatalogItems::SetSorted(bool Value) {
    if (Value == FSorted) return;
    FSorted = Value;
    if (FSorted) Sort();
}

void TCustomCatalogItems::Sort() {
    if (!FSorted || Count() < 2) return;
    if (FInOrder || IsInOrder()) {
        FInOrder = true;
        return;
    }
    std::vector<TCollectionItem*> Order(TCollection::Items().begin(), TCollection::Items().end());
    std::stable_sort(Order.begin(), Order.end(), [](TCollectionItem* A, TCollectionItem* B) {
        return AnsiCompareText(static_cast<TCustomCatalogItem*>(A)->Name(),
                               static_cast<TCustomCatalogItem*>(B)->Name()) < 0;
    });
    Reorder(std::move(Order));
    FInOrder = true;
}

bool TCustomCatalogItems::PrepareLookup() {
    if (!FSorted) return false;
    if (FInOrder) return true;
    if (!IsMainThread()) return false;
    Sort();
    return true;
}

int TCustomCatalogItems::LinearIndexOfName(std::string_view Name,
                                           const TCustomCatalogItem* Skip) const {
    for (int I = 0; I < Count(); ++I)
        if (At(I) != Skip && AnsiSameText(At(I)->Name(), Name)) return I;
    return -1;
}

int TCustomCatalogItems::IndexOfName(std::string_view Name) {
    if (!PrepareLookup()) return LinearIndexOfName(Name, nullptr);
    int Lo = 0, Hi = Count() - 1, Result = -1;
    while (Lo <= Hi) {
        int Mid = (Lo + Hi) / 2;
        int C = AnsiCompareText(At(Mid)->Name(), Name);
        if (C < 0) {
            Lo = Mid + 1;
        } else {
            Hi = Mid - 1;
            if (C == 0) Result = Mid;
        }
    }
    return Result;
}

bool TCustomCatalogItems::NameTaken(std::string_view Name, const TCustomCatalogItem* Self) {
    if (!PrepareLookup()) return LinearIndexOfName(Name, Self) >= 0;
    int I = IndexOfName(Name); // the first of the run of equal names
    for (; I >= 0 && I < Count() && AnsiCompareText(At(I)->Name(), Name) == 0; ++I)
        if (At(I) != Self) return true;
    return false;
}

int TCustomCatalogItems::IndexOfItem(const TCustomCatalogItem* Item) const {
    return Item && Item->Collection() == this ? Item->Index() : -1;
}

std::string TCustomCatalogItems::MakeUniqueName(std::string_view Base) {
    for (int N = 1;; ++N) {
        std::string Candidate = std::string(Base) + std::to_string(N);
        if (IndexOfName(Candidate) == -1) return Candidate;
    }
}

TCustomCatalogItem* TCustomCatalogItems::CreateItemByClassName(std::string_view ClassName) {
    TItemClass C = ItemFormats().FindClass(ClassName);
    if (!C) RaiseCatalogErrorFmt(SCantCreateItem, {this->ClassName(), ClassName});
    return C->Create(this);
}

TCustomCatalogItem* TCustomCatalogItems::CreateItemOfClass(TItemClass ItemClass) {
    if (!ItemClass) RaiseCatalogErrorFmt(SCantCreateItem, {this->ClassName(), ""});
    return ItemClass->Create(this);
}

void TCustomCatalogItems::Assign(const TCollection& Source) {
    auto* Src = dynamic_cast<const TCustomCatalogItems*>(&Source);
    if (!Src) {
        TCollection::Assign(Source);
        return;
    }
    if (Src == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int I = 0; I < Src->Count(); ++I) {
            TCustomCatalogItem* S = Src->At(I);
            CreateItemByClassName(S->ClassName())->Assign(*S);
        }
        Sort();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TCatalogClientItem ------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TCatalogClientItem, TCustomCatalogItem);

TCatalogClientItem::TCatalogClientItem(TCustomCatalogItems* Collection, TClientList::SlotFn Slot)
    : TCustomCatalogItem(Collection), FClients(Slot) {}

TCatalogClientItem::~TCatalogClientItem() {
    ClearClients();
}

void TCatalogClientItem::AddClient(TCustomCatalogItem* Item) {
    CatalogModified = true;
    FClients.Add(Item);
}

void TCatalogClientItem::AddFreshClient(TCustomCatalogItem* Item) {
    CatalogModified = true;
    FClients.AddFresh(Item);
}

void TCatalogClientItem::RemoveClient(TCustomCatalogItem* Item) {
    CatalogModified = true;
    FClients.Remove(Item);
}

void TCatalogClientItem::ClearClients() {
    while (TCustomCatalogItem* Last = FClients.Last()) {
        size_t Before = FClients.Count();
        RemoveClient(Last);
        if (static_cast<size_t>(FClients.Count()) == Before) FClients.Remove(Last);
    }
}

void TCatalogClientItem::Assign(const TCollectionItem& Source) {
    TCustomCatalogItem::Assign(Source);
    if (&Source != this && dynamic_cast<const TCatalogClientItem*>(&Source)) ClearClients();
}

// ---- the collection record of the catalog file -------------------------------------------------

namespace {
// Folders nest at most this deep in a catalog file: deeper than any tree a scan meets in
// practice (scans reach any depth, walking folders relative to their parents).
constexpr int MaxNesting = 65536;
// Reading and writing recurse once per level. Every StackSpan levels the rest of the subtree is
// read or written on a helper thread with a stack of SpanStackSize, so the depth a catalog may
// have does not depend on the stack of the thread that loads it (a process under `ulimit -s
// 512` included), while the catalogs of every day never leave the caller's thread.
constexpr int StackSpan = 128;
constexpr size_t SpanStackSize = size_t(16) << 20;
// Levels of the reading and writing on this thread (helpers of a load read beside it).
thread_local int GReadDepth = 0, GWriteDepth = 0;

struct DepthGuard {
    explicit DepthGuard(int& Depth) : FDepth(Depth) {
        if (++FDepth > MaxNesting) {
            --FDepth;
            throw EReadError(SysConsts::SReadError);
        }
    }
    ~DepthGuard() { --FDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    // Runs Fn here, or on a fresh stack at every StackSpan-th level. The thread of the fresh
    // stack stands in for this one, which waits: it takes over its levels, its load part and
    // its small-object arena.
    void Run(const std::function<void()>& Fn) const {
        if (FDepth % StackSpan != 0) {
            Fn();
            return;
        }
        int Read = GReadDepth, Write = GWriteDepth;
        TLoadThread* Load = TLoadThread::Current();
        TSmallArena* Arena = TSmallArena::Current();
        RunWithStack(SpanStackSize, [&] {
            GReadDepth = Read;
            GWriteDepth = Write;
            TLoadThread::Install(Load);
            TSmallArena::Install(Arena);
            Fn();
        });
    }

private:
    int& FDepth;
};
// The end of one record as the reader's limit while the record is read; the enclosing one's
// after it.
class TRecordLimit {
public:
    TRecordLimit(TReader& Reader, int64_t End) : FReader(Reader), FOuter(Reader.Limit()) {
        Reader.SetLimit(End);
    }
    ~TRecordLimit() { Restore(); }
    TRecordLimit(const TRecordLimit&) = delete;
    TRecordLimit& operator=(const TRecordLimit&) = delete;
    void Restore() { FReader.SetLimit(FOuter); }

private:
    TReader& FReader;
    int64_t FOuter;
};

} // namespace

int ReadNestingLevel() {
    return GReadDepth;
}

void SetReadNestingLevel(int Level) {
    GReadDepth = Level;
}

void TCustomCatalogItems::ReadItems(TReader& Reader) {
    DepthGuard Depth(GReadDepth);
    Depth.Run([&] { ReadItemsHere(Reader); });
}

void TCustomCatalogItems::ReadItemsHere(TReader& Reader) {
    BeginUpdate();
    try {
        SetSorted(true);
        Clear();
        int32_t N = Reader.ReadInteger();
        // Each record takes at least its size, a class index and two strings.
        if (N < 0 || N > Reader.Remaining() / 10) throw EReadError(SysConsts::SReadError);
        TLoadThread* Load = TLoadThread::Current();
        const std::atomic<bool>* Cancel = Load ? Load->Cancel : nullptr;
        for (int32_t I = 0; I < N; ++I) {
            if (Cancel && Cancel->load(std::memory_order_relaxed))
                throw EReadError(SysConsts::SReadError);
            // Room from the stored count, but never far ahead of the records really read: a
            // count a damaged file claims costs at most a few times what its records cost.
            if (I == Count() && I == Capacity())
                Reserve(static_cast<size_t>(std::min<int64_t>(N, std::max(16, 8 * I))));
            int64_t Start = Reader.Position();
            int64_t RecordSize = Reader.ReadRaw32();
            int64_t End = Start + RecordSize;
            if (RecordSize < 6 || RecordSize - 4 > Reader.Remaining())
                throw EReadError(SysConsts::SReadError);
            // What the record holds must lie inside it: read here, it then fails where it fails
            // when a helper reads it, and never reaches into bytes beyond it.
            TRecordLimit Limit(Reader, End);
            int32_t ClassIndex = Reader.ReadInteger();
            if (!StreamClassNames || ClassIndex < 0 || ClassIndex >= StreamClassNames->Count())
                throw EReadError(SysConsts::SReadError);
            int RegistryIndex = static_cast<int>(StreamClassNames->IntObject(ClassIndex));
            if (RegistryIndex < 0) throw EReadError(SysConsts::SReadError);
            TItemClass C = ItemFormats().GetClass(RegistryIndex);
            // A record's class must fit the collection it lies in.
            if (!AcceptsClass(C)) throw EReadError(SysConsts::SReadError);
            TCustomCatalogItem* Item = CreateItemOfClass(C);
            if (!ReadRecordElsewhere(Reader, Item, End)) {
                Item->LoadFromReader(Reader);
                ItemLoaded(Item);
            }
            Limit.Restore();
            int64_t Pos = Reader.Position();
            if (Pos < End) {
                // Fields of a newer writer that this reader does not know.
                Reader.SetPosition(End);
            } else if (Pos > End) {
                RaiseCatalogErrorFmt("InternalError: Reader: Position %d > %d", {Pos, End});
            }
        }
    } catch (...) {
        SetSorted(true);
        EndUpdate();
        throw;
    }
    SetSorted(true);
    EndUpdate();
}

void TCustomCatalogItems::WriteItems(TWriter& Writer) {
    DepthGuard Depth(GWriteDepth);
    Depth.Run([&] { WriteItemsHere(Writer); });
}

void TCustomCatalogItems::WriteItemsHere(TWriter& Writer) {
    Sort();
    // Registry position -> position in the class table of the file being written.
    std::vector<int> TableIndex(ItemFormats().Count(), -1);
    if (StreamClassNames)
        for (int I = 0; I < StreamClassNames->Count(); ++I) {
            intptr_t R = StreamClassNames->IntObject(I);
            if (R >= 0 && R < static_cast<intptr_t>(TableIndex.size())) TableIndex[R] = I;
        }
    Writer.WriteInteger(Count());
    for (int I = 0; I < Count(); ++I) {
        TCustomCatalogItem* Item = At(I);
        int64_t Start = Writer.Position();
        Writer.WriteRaw32(0);
        int R = ItemFormats().IndexOfClass(Item->ClassType());
        int ClassIndex = R >= 0 ? TableIndex[R] : -1;
        if (ClassIndex < 0)
            RaiseCatalogError(std::string("Error: SaveToStream: Cannot find Classname : ") +
                              Item->ClassName());
        Writer.WriteInteger(ClassIndex);
        Item->SaveToWriter(Writer);
        int64_t End = Writer.Position();
        Writer.SetPosition(Start);
        Writer.WriteRaw32(static_cast<uint32_t>(End - Start));
        Writer.SetPosition(End);
    }
}
