#include "LoadWorkers.h"

#include "core/CatalogFile.h"
#include "core/CatalogGlobals.h"
#include "core/CatalogItems.h"
#include "core/FileTypes.h"
#include "core/TreeItems.h"
#include "platform/Exceptions.h"
#include "platform/Filer.h"
#include "platform/SmallPool.h"
#include "platform/Thread.h"

#include <algorithm>
#include <thread>

namespace {

thread_local TLoadThread* GLoadThread = nullptr;

// Records handed off: large enough that the hand-off costs little against reading them, small
// enough that the parts balance between the helpers and the last one ends soon after the file.
constexpr size_t DefaultMinPart = size_t(48) << 10;
constexpr size_t DefaultMaxPart = size_t(1) << 20;
size_t GMinPart = DefaultMinPart, GMaxPart = DefaultMaxPart;
// Bytes handed off and not yet read: a few parts per helper keeps them busy.
constexpr size_t InFlightCap = size_t(6) << 20;
constexpr unsigned MaxHelpers = 4;
// The stack of a helper: reading switches to a fresh stack every few levels anyway.
constexpr size_t HelperStack = size_t(8) << 20;
// Links of the reading thread's own stretch are made in batches of about this many items.
constexpr size_t StretchBatch = 16384;

} // namespace

TLoadThread* TLoadThread::Current() {
    return GLoadThread;
}

TLoadThread* TLoadThread::Install(TLoadThread* T) {
    TLoadThread* Old = GLoadThread;
    GLoadThread = T;
    return Old;
}

// A part of the file: a stretch read on the reading thread, or a record handed off.
struct TLoadWorkers::TPart {
    TLoadLinks Links;
    bool HandedOff = false;
    // Handed-off records: the item, the rest of its record, the nesting level it lies at.
    TBasicItem* Item = nullptr;
    std::unique_ptr<uint8_t[]> Bytes;
    size_t Size = 0;
    int Level = 0;
    TState State = psWaiting; // under FM
    std::exception_ptr Error; // of a failed part, set before its state
};

void TLoadWorkers::SetPartBytes(size_t Min, size_t Max) {
    GMinPart = Min || Max ? Min : DefaultMinPart;
    GMaxPart = Min || Max ? Max : DefaultMaxPart;
}

TLoadWorkers::TLoadWorkers(TTypeItems& Types) : FTypes(Types) {
    FThread.Workers = this;
    FThread.Links = &NewStretch()->Links;
    FPrevious = TLoadThread::Install(&FThread);
}

TLoadWorkers::~TLoadWorkers() {
    Stop(false);
    TLoadThread::Install(FPrevious);
}

TLoadWorkers::TPart* TLoadWorkers::NewStretch() {
    FParts.push_back(std::make_unique<TPart>());
    FParts.back()->Links.SetCache(&FCache);
    return FParts.back().get();
}

void TLoadWorkers::StartHelpers() {
    FHelpersTried = true;
    unsigned N = std::clamp<unsigned>(std::thread::hardware_concurrency(), 2, MaxHelpers + 2) - 2;
    for (unsigned I = 0; I < std::max(N, 1u); ++I) {
        try {
            auto T = std::make_unique<TStackThread>(HelperStack, [this] { HelperLoop(); });
            if (!T->Started()) break;
            FHelpers.push_back(std::move(T));
        } catch (...) {
            break; // fewer helpers, or none: the reading thread then reads everything itself
        }
    }
}

bool TLoadWorkers::Offer(TReader& Reader, TBasicItem* Item, int64_t End) {
    int64_t Here = Reader.Position();
    if (End <= Here) return false;
    size_t Size = static_cast<size_t>(End - Here);
    if (Size < GMinPart || Size > GMaxPart || FStopping) return false;
    if (!FHelpersTried) StartHelpers();
    if (FHelpers.empty()) return false;
    // Only bytes that are all there: a record that runs into damaged compression is read here,
    // so that what fails first is what a reading from start to end meets first.
    if (!Reader.CanRead(Size)) return false;
    {
        std::lock_guard<std::mutex> L(FM);
        if (FInFlight + Size > InFlightCap) return false;
        FInFlight += Size;
    }
    auto P = std::make_unique<TPart>();
    try {
        P->Bytes.reset(new uint8_t[Size]);
        Reader.Read(P->Bytes.get(), Size);
    } catch (...) {
        std::lock_guard<std::mutex> L(FM);
        FInFlight -= Size;
        throw;
    }
    P->HandedOff = true;
    P->Item = Item;
    P->Size = Size;
    P->Level = ReadNestingLevel();
    TPart* Part = P.get();
    FParts.push_back(std::move(P));
    FThread.Links = &NewStretch()->Links;
    ++FHandedOff;
    {
        std::lock_guard<std::mutex> L(FM);
        FWaiting.push_back(Part);
    }
    FWork.notify_one();
    Pump();
    return true;
}

void TLoadWorkers::Pump() {
    if (FFailed.load(std::memory_order_relaxed)) throw EReadError(SysConsts::SReadError);
    while (!FParts.empty()) {
        TPart& Front = *FParts.front();
        if (Front.HandedOff) {
            std::lock_guard<std::mutex> L(FM);
            if (Front.State == psFailed) throw EReadError(SysConsts::SReadError);
            if (Front.State != psDone) return;
        }
        Front.Links.Apply(FTypes);
        if (FParts.size() == 1) return; // the stretch being read here stays
        FParts.pop_front();
    }
}

TLoadWorkers::TPart* TLoadWorkers::TakeWaiting() {
    std::lock_guard<std::mutex> L(FM);
    if (FWaiting.empty()) return nullptr;
    TPart* P = FWaiting.front();
    FWaiting.pop_front();
    P->State = psRunning;
    ++FRunning;
    return P;
}

void TLoadWorkers::Done(TPart& P, std::exception_ptr Error) {
    P.Bytes.reset();
    bool Ok = !Error;
    {
        std::lock_guard<std::mutex> L(FM);
        P.Error = std::move(Error);
        P.State = Ok ? psDone : psFailed;
        FInFlight -= P.Size;
        --FRunning;
        if (!Ok) FFailed = true;
    }
    FDone.notify_all();
}

void TLoadWorkers::Read(TPart& P, TLoadCache& Cache, TLoadThread& T) {
    std::exception_ptr Error;
    TLoadLinks* Links = T.Links;
    TLoadWorkers* Workers = T.Workers;
    int Level = ReadNestingLevel();
    P.Links.SetCache(&Cache);
    T.Links = &P.Links;
    T.Workers = nullptr; // a part is read where it is, all of it
    try {
        if (FCancel.load(std::memory_order_relaxed)) throw EReadError(SysConsts::SReadError);
        SetReadNestingLevel(P.Level);
        TCatalogReader Reader(P.Bytes.get(), P.Size);
        P.Item->ReadFields(Reader);
        // A record may hold more than this reader knows (fields of a newer writer): its end is
        // where the record says, as when it is read in place.
        P.Links.AddType(P.Item);
    } catch (...) {
        Error = std::current_exception();
    }
    SetReadNestingLevel(Level);
    T.Links = Links;
    T.Workers = Workers;
    Done(P, std::move(Error));
}

void TLoadWorkers::HelperLoop() {
    TSmallArena Arena;
    TLoadCache Cache;
    TLoadThread T;
    T.Quiet = true;
    T.Cancel = &FCancel;
    TLoadThread::Install(&T);
    for (;;) {
        TPart* P;
        {
            std::unique_lock<std::mutex> L(FM);
            FWork.wait(L, [&] { return FStopping || !FWaiting.empty(); });
            if (FWaiting.empty()) break;
            P = FWaiting.front();
            FWaiting.pop_front();
            P->State = psRunning;
            ++FRunning;
        }
        Read(*P, Cache, T);
    }
    TLoadThread::Install(nullptr);
}

void TLoadWorkers::Finish() {
    for (;;) {
        Pump();
        if (FParts.size() == 1) break;
        // What no helper has begun is read here rather than waited for.
        if (TPart* P = TakeWaiting()) {
            FThread.Cancel = &FCancel;
            Read(*P, FCache, FThread);
            FThread.Cancel = nullptr;
            continue;
        }
        std::unique_lock<std::mutex> L(FM);
        TPart& Front = *FParts.front();
        FDone.wait(L, [&] { return Front.State >= psDone || !FWaiting.empty() || FFailed; });
    }
    Stop(false);
}

std::exception_ptr TLoadWorkers::Stop(bool Complete) {
    if (Complete) {
        while (TPart* P = TakeWaiting())
            Read(*P, FCache, FThread);
    } else {
        FCancel = true;
    }
    {
        std::lock_guard<std::mutex> L(FM);
        FStopping = true;
        // Parts never begun count as not read; the load fails anyway.
        FWaiting.clear();
    }
    FWork.notify_all();
    for (auto& H : FHelpers)
        H->Join();
    FHelpers.clear();
    // Parts lie in file order: the first that failed is what a reading from start to end meets
    // first. The helpers are gone, so the states need no lock.
    for (const auto& P : FParts)
        if (P->HandedOff && P->State == psFailed) return P->Error;
    return nullptr;
}

// ---- the collection's side ----------------------------------------------------------------------

void TBasicItems::ItemLoaded(TCustomCatalogItem* Item) {
    if (!LoadingTypes) return;
    auto* B = static_cast<TBasicItem*>(Item);
    TLoadThread* Load = TLoadThread::Current();
    if (!Load || !Load->Links) {
        LoadingTypes->AddItem(B);
        return;
    }
    Load->Links->AddType(B);
    // The reading thread makes its links in batches, as soon as the parts before are done.
    if (Load->Workers && Load->Links->Count() >= StretchBatch) Load->Workers->Pump();
}

bool TBasicItems::ReadRecordElsewhere(TReader& Reader, TCustomCatalogItem* Item, int64_t End) {
    TLoadThread* Load = TLoadThread::Current();
    auto* B = static_cast<TBasicItem*>(Item);
    if (!Load || !Load->Workers || !LoadingTypes || !B->Children()) return false;
    // The name and comment are read here, so that the collection sees them in order; the rest
    // of a folder large enough goes to a helper of the load.
    B->ReadHeader(Reader);
    if (!Load->Workers->Offer(Reader, B, End)) {
        B->ReadFields(Reader);
        ItemLoaded(B);
    }
    return true;
}
