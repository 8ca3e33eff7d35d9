// The registry of catalog item classes: class names to class references, in a fixed order, so
// that items are created by name (collection copies, the catalog file's class table) and a
// file-type row knows the class of its items. One registry for the program: ItemFormats().
#pragma once

#include "core/ItemClass.h"

#include <string>
#include <string_view>
#include <vector>

struct TItemFormat {
    TItemClass Class;
    std::string Caption;
    int32_t Reserved1 = 0;       // never read
    uint16_t Reserved2 = 0xFFFF; // never read
};

class TItemFormatsList {
public:
    TItemFormatsList();
    int Count() const { return static_cast<int>(FFormats.size()); }
    void AddFormat(TItemClass Class, const std::string& Caption, int32_t Reserved1 = 0,
                   uint16_t Reserved2 = 0xFFFF);
    // Exact, case-sensitive class name; the last matching entry wins. Null / -1 when none.
    TItemClass FindClass(std::string_view ClassName) const;
    int IndexOfClassName(std::string_view ClassName) const;
    int IndexOfClass(TItemClass Class) const;
    // Raises EListError outside 0 .. Count-1.
    TItemClass GetClass(int Index) const;
    const TItemFormat& Format(int Index) const;

private:
    std::vector<TItemFormat> FFormats;
};

// The program's registry, created on first use.
TItemFormatsList& ItemFormats();
