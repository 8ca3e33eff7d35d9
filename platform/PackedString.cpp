#include "PackedString.h"

#include "SmallPool.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

void PackedString::Assign(std::string_view S) {
    FRep = nullptr;
    if (S.empty()) return;
    std::memcpy(Allocate(S.size()), S.data(), S.size());
}

char* PackedString::Allocate(size_t Len) {
    if (Len > UINT32_MAX) throw std::length_error("PackedString too long");
    void* Mem = AllocateSmall(sizeof(Rep) + Len);
    Rep* R = new (Mem) Rep;
    R->Refs.store(1, std::memory_order_relaxed);
    R->Len = static_cast<uint32_t>(Len);
    FRep = R;
    return reinterpret_cast<char*>(R + 1);
}

void PackedString::Release() noexcept {
    if (!FRep) return;
    // The only reference (nearly every string of a catalog): no other thread can reach the count,
    // so it is only read. A locked decrement would stall a teardown of millions of strings on
    // each one's cache miss in turn.
    if (FRep->Refs.load(std::memory_order_acquire) == 1 ||
        FRep->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        size_t Size = sizeof(Rep) + FRep->Len;
        FRep->~Rep();
        FreeSmall(FRep, Size);
    }
    FRep = nullptr;
}
