// Writes the seed corpus of the fuzz targets with the program's own writers:
//   qm-fuzz-seeds DIR   creates DIR/<target>/seed-N files.
#include "bench/SynthCatalog.h"
#include "core/CatalogFile.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Filer.h"
#include "platform/Thread.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace {

void Seed(const std::string& Dir, const std::string& Target, int N,
          const std::function<void(TWriter&)>& Fn) {
    std::filesystem::create_directories(Dir + "/" + Target);
    TMemoryStream S;
    {
        TWriter W(S);
        Fn(W);
    }
    S.SaveToFile(Dir + "/" + Target + "/seed-" + std::to_string(N));
}

void SeedBytes(const std::string& Dir, const std::string& Target, int N, std::string_view Bytes) {
    std::filesystem::create_directories(Dir + "/" + Target);
    WriteFileBytes(Dir + "/" + Target + "/seed-" + std::to_string(N), Bytes);
}

// Catalog bodies as the program writes them, each also compressed for the file target.
void SeedCatalogs(const std::string& Dir) {
    SetMainThread();
    auto Cat = std::make_unique<TCatFileItem>();
    CurrentCatalog = Cat.get();
    Cat->Types()->SetPaused(true);
    int N = 0;
    auto Emit = [&](std::string_view Body) {
        ++N;
        SeedBytes(Dir, "fuzz_catalog_body", N, Body);
        TMemoryStream S;
        S.Write(Body.data(), Body.size());
        CompressStream(S);
        SeedBytes(Dir, "fuzz_catalog_file", N, S.View());
    };
    auto Save = [&] {
        TMemoryStream S;
        SaveCatalogBody(*Cat, S);
        return std::string(S.View());
    };

    Cat->Clear();
    Emit(Save()); // the empty catalog

    // Every class, keywords on items, volume records, sizes beyond 32 bits.
    for (uint64_t Seed : {1, 2}) {
        Cat->Clear();
        BuildSyntheticCatalog(*Cat, 40, Seed);
        Emit(Save());
    }

    // The old format: no trailer, volume records with their paths only.
    TMemoryStream S;
    {
        TWriter W(S);
        W.Write("QLM 1.01", 8);
        WriteClassTable(W);
        W.WriteInteger(1);
        W.WriteRaw32(15);
        W.WriteInteger(9); // TKeyWordItem
        W.WriteString("Music");
        W.WriteString("");
        W.WriteString("Root");
        W.WriteString("");
        W.WriteString("");
        W.WriteString("");
        W.WriteInteger(-1);
        W.WriteBoolean(false);
        W.WriteInteger(0);
        W.WriteInteger(1);
        TMemoryStream Rec;
        {
            TWriter R(Rec);
            R.WriteInteger(5); // TFileCollection
            R.WriteString("Disc");
            R.WriteString("");
            R.WriteString("");
            R.WriteString("");
            R.WriteInteger(-1);
            R.WriteBoolean(false);
            R.WriteInteger(1);
            R.WriteInteger(0);
            R.WriteInteger(0); // no children
            R.WriteString("E:\\");
        }
        W.WriteRaw32(static_cast<uint32_t>(Rec.Size() + 4));
        W.Write(Rec.Memory(), Rec.Size());
    }
    Emit(S.View());
    Cat.reset();
    CurrentCatalog = nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm-fuzz-seeds DIR\n");
        return 2;
    }
    std::string Dir = argv[1];
    Seed(Dir, "fuzz_filer", 1, [](TWriter& W) {
        W.WriteRaw32(15);
        W.WriteInteger(9);
        W.WriteString("Music");
        W.WriteString("");
    });
    Seed(Dir, "fuzz_filer", 2, [](TWriter& W) {
        for (long long V : {0LL, -129LL, 40000LL, 3000000000LL})
            W.WriteInt64(V);
        W.WriteString(std::string(300, 'x'));
        W.WriteBoolean(true);
        W.WriteDate(36526.5);
    });
    SeedCatalogs(Dir);
    return 0;
}
