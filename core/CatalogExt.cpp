#include "CatalogExt.h"

#include "core/CatalogGlobals.h"

void MapSystemIcon(int& Index) {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    (void)Index;
}
