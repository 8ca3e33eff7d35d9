// Reads arbitrary bytes as an HTML file: title and META description are cut at positions found
// in the upper-case copy and must stay inside the text.
#include "FuzzFileInput.h"
#include "core/CatalogGlobals.h"
#include "core/Descriptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const bool Init = [] {
        SetDefaultOptions();
        HTMLDescription = true;
        return true;
    }();
    (void)Init;
    ConvertKOI8 = Size && (Data[0] & 1);
    const std::string& Path = WriteFuzzInput(Data, Size, ".html");
    std::string Comment, Note;
    if (!ReadFileDescription(Path, Comment, Note)) __builtin_trap();
    // The texts are cut out of the input; KOI-8 conversion at most triples them.
    if (Comment.size() > 3 * Size || Note.size() > 3 * Size) __builtin_trap();
    return 0;
}
