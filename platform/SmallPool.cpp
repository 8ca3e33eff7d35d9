#include "SmallPool.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_ASAN 1
#endif
#endif

#ifdef QM_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// AddressSanitizer sees the pool as it sees the heap: everything of a block that is not a live
// object is poisoned (free objects, the uncarved rest, the bytes of a size class beyond the size
// asked for), so a use after free or an overrun of a pooled object is reported. The links of
// the free lists are read and written without instrumentation, inside the poisoned objects.
// LeakSanitizer scans the blocks for the heap pointers that pooled objects hold.
#ifdef QM_ASAN
void Poison(void* P, size_t N) {
    ASAN_POISON_MEMORY_REGION(P, N);
}
void Unpoison(void* P, size_t N) {
    ASAN_UNPOISON_MEMORY_REGION(P, N);
}
void BlockMapped(void* B, size_t N) {
    Poison(B, N);
    __lsan_register_root_region(B, N);
}
void BlockUnmapping(void* B, size_t N) {
    __lsan_unregister_root_region(B, N);
    Unpoison(B, N); // the next mapping here may be anyone's
}
#define QM_NO_ASAN __attribute__((no_sanitize_address, noinline))
#else
void Poison(void*, size_t) {}
void Unpoison(void*, size_t) {}
void BlockMapped(void*, size_t) {}
void BlockUnmapping(void*, size_t) {}
#define QM_NO_ASAN
#endif

} // namespace

namespace {

// Objects need at most 8-byte alignment; a finer granule wastes less on odd sizes (a file item
// of 104 bytes, a name of 8 + 19 bytes).
constexpr size_t Granule = 8;
constexpr size_t MaxPooled = 512;
constexpr size_t BlockSize = size_t(2) << 20;
// Arenas carve their objects from slabs of a shared block: several threads fill one huge page,
// and what an arena leaves unused at its end is little.
constexpr size_t SlabSize = size_t(256) << 10;

struct TFree {
    TFree* Next;
};

QM_NO_ASAN TFree* NextOf(const TFree* F) {
    return F->Next;
}
QM_NO_ASAN void SetNext(TFree* F, TFree* Next) {
    F->Next = Next;
}

// The lists are held for a few instructions at a time, by one thread nearly always: a spin lock
// costs less than a mutex there.
class TSpinLock {
public:
    void lock() noexcept {
        while (FBusy.exchange(true, std::memory_order_acquire))
            while (FBusy.load(std::memory_order_relaxed))
                std::this_thread::yield();
    }
    void unlock() noexcept { FBusy.store(false, std::memory_order_release); }

private:
    std::atomic<bool> FBusy{false};
};

// A stretch of a block not carved yet.
struct TRange {
    char* Next;
    size_t Left;
};

class TPool {
public:
    void* Allocate(size_t Size) {
        size_t Class = (Size + Granule - 1) / Granule;
        std::lock_guard<TSpinLock> L(FM);
        ++FLive;
        if (TFree* F = FFree[Class]) {
            FFree[Class] = NextOf(F);
            Unpoison(F, Size);
            return F;
        }
        size_t Bytes = Class * Granule;
        if (FLeft < Bytes) {
            if (!FLeftovers.empty() && FLeftovers.back().Left >= Bytes) {
                FNext = FLeftovers.back().Next;
                FLeft = FLeftovers.back().Left;
                FLeftovers.pop_back();
            } else {
                NewBlock();
            }
        }
        void* P = FNext;
        FNext += Bytes;
        FLeft -= Bytes;
        Unpoison(P, Size);
        return P;
    }
    void Free(void* P, size_t Size) noexcept {
        size_t Class = (Size + Granule - 1) / Granule;
        Poison(P, Class * Granule);
        std::lock_guard<TSpinLock> L(FM);
        auto* F = static_cast<TFree*>(P);
        SetNext(F, FFree[Class]);
        FFree[Class] = F;
        if (--FLive == 0 && FArenas == 0) ReleaseAll();
    }
    size_t Bytes() {
        std::lock_guard<TSpinLock> L(FM);
        return FBlocks.size() * BlockSize;
    }

    // ---- arenas ----
    void ArenaStarts() {
        std::lock_guard<TSpinLock> L(FM);
        ++FArenas;
    }
    // A slab for an arena. The arena's thread clears the pages it writes, beside the others.
    TRange ArenaSlab() {
        std::lock_guard<TSpinLock> L(FM);
        if (!FLeftovers.empty() && FLeftovers.back().Left >= SlabSize / 4) {
            TRange R = FLeftovers.back();
            FLeftovers.pop_back();
            return R;
        }
        if (FSlabs.Left < SlabSize) {
            FBlocks.reserve(FBlocks.size() + 1);
            char* B = MapBlock(false);
            FBlocks.push_back(B);
            FSlabs = {B, BlockSize};
        }
        TRange R{FSlabs.Next, SlabSize};
        FSlabs.Next += SlabSize;
        FSlabs.Left -= SlabSize;
        return R;
    }
    // Takes back an arena's uncarved rest, its free lists (Heads[C] .. Tails[C]) and its count.
    // Each list is spliced whole: an arena that freed a catalog's millions of objects is not
    // walked again.
    void ArenaEnds(TRange Rest, void* const* Heads, void* const* Tails, size_t NLists,
                   int64_t Live) noexcept {
        std::lock_guard<TSpinLock> L(FM);
        for (size_t C = 0; C < NLists; ++C) {
            if (!Heads[C]) continue;
            SetNext(static_cast<TFree*>(Tails[C]), FFree[C]);
            FFree[C] = static_cast<TFree*>(Heads[C]);
        }
        if (Rest.Left >= Granule) {
            try {
                FLeftovers.push_back(Rest);
            } catch (...) {
                // the rest is then left unused until the pool is released
            }
        }
        FLive += Live;
        if (--FArenas == 0 && FLive == 0) ReleaseAll();
    }

private:
    void NewBlock() {
        char* B = TakeSpare();
        if (!B) B = MapBlock(false);
        FBlocks.push_back(B);
        FNext = B;
        FLeft = BlockSize;
        // The kernel clears a fresh page when it is first written, which costs as much as
        // filling it: the next block is mapped and written on a helper thread meanwhile.
        StartSpare();
    }
    static char* MapBlock(bool Populate) {
        // Twice the size, so that a 2 MiB-aligned block can be cut out (huge pages need it).
        void* Raw = ::mmap(nullptr, 2 * BlockSize, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (Raw == MAP_FAILED) throw std::bad_alloc();
        auto Start = reinterpret_cast<uintptr_t>(Raw);
        uintptr_t Aligned = (Start + BlockSize - 1) & ~(BlockSize - 1);
        if (Aligned > Start) ::munmap(Raw, Aligned - Start);
        uintptr_t End = Start + 2 * BlockSize;
        if (End > Aligned + BlockSize)
            ::munmap(reinterpret_cast<void*>(Aligned + BlockSize), End - Aligned - BlockSize);
        auto* B = reinterpret_cast<char*>(Aligned);
        ::madvise(B, BlockSize, MADV_HUGEPAGE);
        if (Populate) ::madvise(B, BlockSize, MADV_POPULATE_WRITE);
        BlockMapped(B, BlockSize);
        return B;
    }
    char* TakeSpare() {
        if (!FSpareThread.joinable()) return nullptr;
        FSpareThread.join();
        char* B = FSpare;
        FSpare = nullptr;
        return B;
    }
    void StartSpare() {
        try {
            FSpareThread = std::thread([this] {
                try {
                    FSpare = MapBlock(true);
                } catch (...) {
                    FSpare = nullptr; // the next block is then mapped where it is needed
                }
            });
        } catch (...) {
        }
    }
    static void UnmapBlock(char* B) noexcept {
        BlockUnmapping(B, BlockSize);
        ::munmap(B, BlockSize);
    }
    void ReleaseAll() noexcept {
        if (char* Spare = TakeSpare()) UnmapBlock(Spare);
        for (char* B : FBlocks)
            UnmapBlock(B);
        FBlocks.clear();
        FLeftovers.clear();
        FSlabs = {nullptr, 0};
        for (TFree*& F : FFree)
            F = nullptr;
        FNext = nullptr;
        FLeft = 0;
    }

    TSpinLock FM;
    std::vector<char*> FBlocks;
    std::thread FSpareThread; // maps and writes FSpare, the next block, ahead of need
    char* FSpare = nullptr;
    char* FNext = nullptr;
    size_t FLeft = 0;
    // Objects made less objects freed, over the pool and the ended arenas; it may dip below
    // zero while an arena lives whose objects were freed elsewhere.
    int64_t FLive = 0;
    int FArenas = 0;                // arenas alive: the blocks stay while any is
    std::vector<TRange> FLeftovers; // rests of ended arenas' slabs
    TRange FSlabs{nullptr, 0};      // the block arenas' slabs are cut from
    TFree* FFree[MaxPooled / Granule + 1] = {};
};

TPool& Pool() {
    // Never destroyed: items of a catalog still open at exit may be freed after statics go.
    static TPool* P = new TPool;
    return *P;
}

} // namespace

namespace {
thread_local TSmallArena* GArena = nullptr;
} // namespace

void* AllocateSmall(size_t Size) {
    if (Size > MaxPooled) return ::operator new(Size);
    if (TSmallArena* A = GArena) return A->Allocate(Size);
    return Pool().Allocate(Size);
}

void FreeSmall(void* P, size_t Size) noexcept {
    if (!P) return;
    if (Size > MaxPooled) {
        ::operator delete(P);
        return;
    }
    if (TSmallArena* A = GArena) {
        A->Free(P, Size);
        return;
    }
    Pool().Free(P, Size);
}

// ---- TSmallArena -------------------------------------------------------------------------------

static_assert(TSmallArena::Classes == MaxPooled / Granule + 1);

TSmallArena::TSmallArena() {
    Pool().ArenaStarts();
    FPrevious = Install(this);
}

TSmallArena::~TSmallArena() {
    Install(FPrevious);
    Pool().ArenaEnds({FNext, FLeft}, FFree, FTail, Classes, FLive);
}

TSmallArena* TSmallArena::Current() {
    return GArena;
}

TSmallArena* TSmallArena::Install(TSmallArena* A) {
    TSmallArena* Old = GArena;
    GArena = A;
    return Old;
}

void* TSmallArena::Allocate(size_t Size) {
    size_t Class = (Size + Granule - 1) / Granule;
    ++FLive;
    if (auto* F = static_cast<TFree*>(FFree[Class])) {
        FFree[Class] = NextOf(F);
        Unpoison(F, Size);
        return F;
    }
    size_t Bytes = Class * Granule;
    if (FLeft < Bytes) {
        TRange R;
        try {
            R = Pool().ArenaSlab();
        } catch (...) {
            --FLive;
            throw;
        }
        // The rest of the old slab is given up: less than one object of this size.
        FNext = R.Next;
        FLeft = R.Left;
    }
    void* P = FNext;
    FNext += Bytes;
    FLeft -= Bytes;
    Unpoison(P, Size);
    return P;
}

void TSmallArena::Free(void* P, size_t Size) noexcept {
    size_t Class = (Size + Granule - 1) / Granule;
    Poison(P, Class * Granule);
    auto* F = static_cast<TFree*>(P);
    auto* Next = static_cast<TFree*>(FFree[Class]);
    SetNext(F, Next);
    // The first object of an empty list stays its last until the list is empty again.
    if (!Next) FTail[Class] = F;
    FFree[Class] = F;
    --FLive;
}

size_t SmallPoolBytes() {
    return Pool().Bytes();
}
