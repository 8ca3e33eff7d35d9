// Bulk storage for the many small objects of a catalog (its tree items and their strings): a
// catalog holds millions of them, of a few sizes, made in a burst by a load or a scan and freed
// together when the catalog closes.
//
// Objects are carved from blocks of 2 MiB (transparent huge pages where the system offers them,
// so a load of a million items takes a few hundred page faults instead of tens of thousands; the
// next block is mapped and its pages cleared on a helper thread while the current one fills) and
// a freed object goes to a free list of its size, from which the next object of that size is
// made. When the last object is freed every block goes back to the system. Sizes above 512 bytes
// use the ordinary heap. Under AddressSanitizer the pool poisons whatever is not a live object,
// so the sanitizer build checks the pool that the release build runs.
//
// Any thread: a spin lock guards the lists. A thread that makes many objects beside others (a
// worker of a load) holds a TSmallArena meanwhile: it then carves from slabs of its own without
// the lock.
#pragma once

#include <cstddef>
#include <cstdint>

void* AllocateSmall(size_t Size);
void FreeSmall(void* P, size_t Size) noexcept;
// Bytes of the blocks held now, for tests and benchmarks.
size_t SmallPoolBytes();

// While it lives, AllocateSmall and FreeSmall on the thread that made it (or on a thread it was
// handed to with Install) use slabs (256 KiB of a block) and free lists of its own, unlocked.
// Its end gives what it holds back to the pool: the rest of its slab, its free lists and its
// count of live objects, in a time that does not grow with what it freed. A thread that frees
// many objects at once (a catalog's teardown) holds one to free them without the lock.
// Objects it made may be freed on any thread, before or after its end. The blocks stay mapped at
// least while any arena lives.
//
// One thread at a time: a stand-in thread (one that runs while its caller waits for it) may
// Install the caller's arena and must Install the previous one (usually null) before it ends.
class TSmallArena {
public:
    TSmallArena();
    ~TSmallArena();
    TSmallArena(const TSmallArena&) = delete;
    TSmallArena& operator=(const TSmallArena&) = delete;

    // The arena of the calling thread, or null.
    static TSmallArena* Current();
    // Makes A (may be null) the arena of the calling thread; returns the previous one.
    static TSmallArena* Install(TSmallArena* A);

    void* Allocate(size_t Size);
    void Free(void* P, size_t Size) noexcept;

    // Size classes: multiples of 8 bytes up to 512.
    static constexpr size_t Classes = 512 / 8 + 1;

private:
    char* FNext = nullptr;
    size_t FLeft = 0;
    int64_t FLive = 0;         // objects made here less objects freed here
    void* FFree[Classes] = {}; // free lists by size class, linked through their first word
    void* FTail[Classes] = {}; // the last object of each list that is not empty
    TSmallArena* FPrevious;
};
