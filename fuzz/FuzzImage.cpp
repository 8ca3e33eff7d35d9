// Reads arbitrary bytes as the header of one image kind (QM_FUZZ_READER names the reader):
// every field must be read from bytes the file really holds.
#include "FuzzFileInput.h"
#include "core/CatalogGlobals.h"
#include "core/Descriptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const bool Init = [] {
        SetDefaultOptions();
        GraphicDescription = true;
        return true;
    }();
    (void)Init;
    const std::string& Path = WriteFuzzInput(Data, Size, ".img");
    std::string Comment;
    if (!QM_FUZZ_READER(Path, Comment)) __builtin_trap();
    return 0;
}
