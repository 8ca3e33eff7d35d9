#include "SmallPool.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QM_SMALL_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_SMALL_POOL 0
#endif
#endif
#ifndef QM_SMALL_POOL
#define QM_SMALL_POOL 1
#endif

namespace {

constexpr size_t Granule = 16;
constexpr size_t MaxPooled = 512;
constexpr size_t BlockSize = size_t(2) << 20;

struct TFree {
    TFree* Next;
};

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

class TPool {
public:
    void* Allocate(size_t Size) {
        size_t Class = (Size + Granule - 1) / Granule;
        std::lock_guard<TSpinLock> L(FM);
        ++FLive;
        if (TFree* F = FFree[Class]) {
            FFree[Class] = F->Next;
            return F;
        }
        size_t Bytes = Class * Granule;
        if (FLeft < Bytes) NewBlock();
        void* P = FNext;
        FNext += Bytes;
        FLeft -= Bytes;
        return P;
    }
    void Free(void* P, size_t Size) noexcept {
        size_t Class = (Size + Granule - 1) / Granule;
        std::lock_guard<TSpinLock> L(FM);
        auto* F = static_cast<TFree*>(P);
        F->Next = FFree[Class];
        FFree[Class] = F;
        if (--FLive == 0) ReleaseAll();
    }
    size_t Bytes() {
        std::lock_guard<TSpinLock> L(FM);
        return FBlocks.size() * BlockSize;
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
    void ReleaseAll() noexcept {
        if (char* Spare = TakeSpare()) ::munmap(Spare, BlockSize);
        for (char* B : FBlocks)
            ::munmap(B, BlockSize);
        FBlocks.clear();
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
    size_t FLive = 0;
    TFree* FFree[MaxPooled / Granule + 1] = {};
};

TPool& Pool() {
    // Never destroyed: items of a catalog still open at exit may be freed after statics go.
    static TPool* P = new TPool;
    return *P;
}

} // namespace

void* AllocateSmall(size_t Size) {
    if (!QM_SMALL_POOL || Size > MaxPooled) return ::operator new(Size);
    return Pool().Allocate(Size);
}

void FreeSmall(void* P, size_t Size) noexcept {
    if (!P) return;
    if (!QM_SMALL_POOL || Size > MaxPooled) {
        ::operator delete(P);
        return;
    }
    Pool().Free(P, Size);
}

size_t SmallPoolBytes() {
    return QM_SMALL_POOL ? Pool().Bytes() : 0;
}
