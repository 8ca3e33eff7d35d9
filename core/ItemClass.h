// Class references of the catalog items: what the original framework's metaclasses gave.
// A TItemClass names a class, knows its base class and creates an item of that class in a
// collection (the virtual constructor). Every item class has one static TItemClassInfo, Class.
#pragma once

#include <string_view>

class TCustomCatalogItem;
class TCustomCatalogItems;

struct TItemClassInfo {
    const char* Name;
    const TItemClassInfo* Parent;
    // Creates an item of the class, appended to Collection (which may be null).
    TCustomCatalogItem* (*Create)(TCustomCatalogItems* Collection);

    bool InheritsFrom(const TItemClassInfo* Other) const {
        for (const TItemClassInfo* C = this; C; C = C->Parent)
            if (C == Other) return true;
        return false;
    }
    std::string_view ClassName() const { return Name; }
};

using TItemClass = const TItemClassInfo*;

// Declares the class reference and the overrides that report it.
#define QM_ITEM_CLASS(Cls)                                                                         \
public:                                                                                            \
    static const TItemClassInfo Class;                                                             \
    TItemClass ClassType() const override {                                                        \
        return &Class;                                                                             \
    }

// Defines the class reference of Cls with base class Base.
#define QM_DEFINE_ITEM_CLASS(Cls, Base)                                                            \
    const TItemClassInfo Cls::Class {                                                              \
#Cls, &Base::Class,                                                                        \
            [](TCustomCatalogItems * C) -> TCustomCatalogItem* { return new Cls(C); }              \
    }
