// Parses arbitrary bytes as the lines of a description list file, converted from the OEM code
// page or not, and looks up the names it found: nothing may crash, hang or grow without bound.
#include "core/CatalogGlobals.h"
#include "core/Descriptions.h"
#include "platform/CodePages.h"
#include "platform/StringList.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    static const bool Init = [] {
        SetDefaultOptions();
        FileDescription = true;
        SetOemCodePage(CP_DOS866);
        return true;
    }();
    (void)Init;
    // The first byte picks the conversion a description file would go through.
    int Mode = Size ? Data[0] % 3 : 0;
    std::string Text = Mode == 0   ? std::string(Bytes)
                       : Mode == 1 ? OemToAnsiStr(Bytes)
                                   : OemToAnsiHighChars(Bytes);
    TStringList Lines;
    Lines.SetText(Text);
    TDescriptionList List;
    ParseDescriptionList(Lines, List);
    // Every name kept is found again.
    std::string Comment, Note;
    for (int I = 0; I < Lines.Count() && I < 64; ++I)
        if (!FindListDescription(&List, Lines[I], Comment, Note) && List.Find(Lines[I]))
            __builtin_trap();
    if (List.Count() > Lines.Count()) __builtin_trap();
    return 0;
}
