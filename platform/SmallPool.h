// Bulk storage for the many small objects of a catalog (its tree items and their strings): a
// catalog holds millions of them, of a few sizes, made in a burst by a load or a scan and freed
// together when the catalog closes.
//
// Objects are carved from blocks of 2 MiB (transparent huge pages where the system offers them,
// so a load of a million items takes a few hundred page faults instead of tens of thousands; the
// next block is mapped and its pages cleared on a helper thread while the current one fills) and
// a freed object goes to a free list of its size, from which the next object of that size is
// made. When the last object is freed every block goes back to the system. Sizes above 512 bytes,
// and builds with AddressSanitizer (which must see every object), use the ordinary heap.
//
// Any thread: a spin lock guards the lists.
#pragma once

#include <cstddef>

void* AllocateSmall(size_t Size);
void FreeSmall(void* P, size_t Size) noexcept;
// Bytes of the blocks held now, for tests and benchmarks.
size_t SmallPoolBytes();
