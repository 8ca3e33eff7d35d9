// The catalog reader on arbitrary bytes: a damaged or crafted file must fail with the catalog's
// own message, never crash, hang or allocate what it claims. Built twice: fuzz_catalog_body reads
// the input as a decompressed body, fuzz_catalog_file as the compressed file (inflate included).
//
// Whatever loads must also save, load again and save to the same bytes. Every input is read twice:
// with its folder records handed to helper threads (core/LoadWorkers.h) however small they are,
// and on one thread; both readings must agree on whether it loads and on what it holds (bodies:
// also on the message).
#include "core/CatalogFile.h"
#include "core/CatalogGlobals.h"
#include "core/CatalogItems.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/LoadWorkers.h"
#include "core/TreeItems.h"
#include "platform/Thread.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

#ifdef QM_FUZZ_COMPRESSED
// Inflated bodies beyond this are refused: enough for every input the fuzzer makes, small enough
// for its memory limit.
constexpr uint64_t FuzzBodyCap = 16u << 20;
#endif

TCatFileItem* Root() {
    static TCatFileItem* R = [] {
        auto* Cat = new TCatFileItem(); // lives for the whole run
        // The type thread stays paused: loads would otherwise restart it for every input.
        Cat->Types()->SetPaused(true);
        CurrentCatalog = Cat;
        return Cat;
    }();
    return R;
}

std::string SaveBody(TCatFileItem& Cat) {
    TMemoryStream S;
    SaveCatalogBody(Cat, S);
    return std::string(S.View());
}

void LoadBody(TCatFileItem& Cat, std::string_view Bytes) {
    Cat.Clear();
    TMemoryStream S;
    S.Write(Bytes.data(), Bytes.size());
    LoadCatalogBody(Cat, S);
}

} // namespace

#ifdef QM_FUZZ_COMPRESSED
extern "C" size_t LLVMFuzzerMutate(uint8_t* Data, size_t Size, size_t MaxSize);

// Mutations of compressed bytes nearly always break the stream; most of the time the body is
// mutated instead and compressed again, so the reader behind the inflater is reached too.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* Data, size_t Size, size_t MaxSize,
                                          unsigned int Seed) {
    if (Seed % 4 == 0) return LLVMFuzzerMutate(Data, Size, MaxSize);
    std::vector<uint8_t> Body(64 * 1024);
    uLongf BodySize = Body.size();
    if (uncompress(Body.data(), &BodySize, Data, Size) != Z_OK)
        return LLVMFuzzerMutate(Data, Size, MaxSize);
    BodySize = LLVMFuzzerMutate(Body.data(), BodySize, Body.size());
    std::vector<uint8_t> Out(compressBound(BodySize));
    uLongf OutSize = Out.size();
    if (compress2(Out.data(), &OutSize, Body.data(), BodySize, 9) != Z_OK || OutSize > MaxSize)
        return LLVMFuzzerMutate(Data, Size, MaxSize);
    std::copy(Out.begin(), Out.begin() + OutSize, Data);
    return OutSize;
}
#endif

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetMainThread();
    Root();
    return 0;
}

namespace {

// Loads the input; returns the saved body of what loaded, or the error.
std::string Load(TCatFileItem& Cat, const uint8_t* Data, size_t Size, bool& Loaded) {
    Cat.Clear();
    TMemoryStream S;
    S.Write(Data, Size);
    Loaded = false;
    try {
#ifdef QM_FUZZ_COMPRESSED
        LoadCatalogData(Cat, S, FuzzBodyCap);
#else
        LoadCatalogBody(Cat, S);
#endif
    } catch (const ECatalogError& E) {
        if (Cat.Children()->Count() || Cat.KeyWords()->Count()) std::abort(); // half-read
        return E.what();
    }
    Loaded = true;
    return SaveBody(Cat);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TCatFileItem& Cat = *Root();
    bool Loaded, LoadedInPlace;
    TLoadWorkers::SetPartBytes(SIZE_MAX, SIZE_MAX);
    std::string InPlace = Load(Cat, Data, Size, LoadedInPlace);
    TLoadWorkers::SetPartBytes(8, SIZE_MAX);
    std::string First = Load(Cat, Data, Size, Loaded);
#ifdef QM_FUZZ_COMPRESSED
    // A file damaged both in its compression and in a record may name either.
    bool Agree = Loaded == LoadedInPlace && (!Loaded || First == InPlace);
#else
    bool Agree = Loaded == LoadedInPlace && First == InPlace;
#endif
    if (!Agree) {
        std::fprintf(stderr, "helpers read otherwise: %s / %s\n", Loaded ? "loaded" : First.c_str(),
                     LoadedInPlace ? "loaded" : InPlace.c_str());
        std::abort();
    }
    if (!Loaded) return 0;
    LoadBody(Cat, First);
    if (SaveBody(Cat) != First) {
        std::fprintf(stderr, "a loaded catalog does not save to the same bytes twice\n");
        std::abort();
    }
    return 0;
}
