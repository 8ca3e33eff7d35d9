#include "ItemFormats.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Exceptions.h"

TItemFormatsList::TItemFormatsList() {
    AddFormat(&TFileItem::Class, SFile);
    AddFormat(&TFileFolder::Class, SFileFolder);
    AddFormat(&TFileCollection::Class, SArchiveFolder);
    AddFormat(&TFileLocItem::Class, SFileLocItem);
    AddFormat(&TBasicFolder::Class, SVirtualFolder);
    AddFormat(&TCatFileItem::Class, SCatalog);
    AddFormat(&TTypeItem::Class, "TypeItem");
    AddFormat(&TKeyWordItem::Class, "KeyWordItem");
    AddFormat(&TBasicItem::Class, "BasicItem");
    AddFormat(&TCatalogClientItem::Class, "CatalogClientItem");
    AddFormat(&TCustomCatalogItem::Class, "CustomCatalogItem");
}

void TItemFormatsList::AddFormat(TItemClass Class, const std::string& Caption, int32_t Reserved1,
                                 uint16_t Reserved2) {
    FFormats.push_back(TItemFormat{Class, Caption, Reserved1, Reserved2});
}

int TItemFormatsList::IndexOfClassName(std::string_view ClassName) const {
    for (int I = Count() - 1; I >= 0; --I)
        if (FFormats[I].Class->ClassName() == ClassName) return I;
    return -1;
}

int TItemFormatsList::IndexOfClass(TItemClass Class) const {
    for (int I = Count() - 1; I >= 0; --I)
        if (FFormats[I].Class == Class) return I;
    return -1;
}

TItemClass TItemFormatsList::FindClass(std::string_view ClassName) const {
    int I = IndexOfClassName(ClassName);
    return I < 0 ? nullptr : FFormats[I].Class;
}

TItemClass TItemFormatsList::GetClass(int Index) const {
    return Format(Index).Class;
}

const TItemFormat& TItemFormatsList::Format(int Index) const {
    if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
    return FFormats[Index];
}

TItemFormatsList& ItemFormats() {
    static TItemFormatsList* List = new TItemFormatsList; // lives until the program ends
    return *List;
}
