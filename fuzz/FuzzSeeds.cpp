// Writes the seed corpus of the fuzz targets with the program's own writers:
//   qm-fuzz-seeds DIR   creates DIR/<target>/seed-N files.
#include "platform/Filer.h"
#include "platform/IniFiles.h"

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
        for (long long V : {0LL, -129LL, 40000LL, 3000000000LL}) W.WriteInt64(V);
        W.WriteString(std::string(300, 'x'));
        W.WriteBoolean(true);
        W.WriteDate(36526.5);
    });
    std::filesystem::create_directories(Dir + "/fuzz_ini_file");
    TIniFile Ini("/nonexistent-qm-fuzz/seed.ini");
    Ini.WriteString("General", "NormPos", "100,120,500,420");
    Ini.WriteString("General", "Quoted", "\"'abc'\"");
    Ini.WriteString("General\\TfmX.MRUManager1", "Item_0", "/data/a.qlmk");
    WriteFileBytes(Dir + "/fuzz_ini_file/seed-1", "; comment\n" + Ini.Text() + "[Broken\nx\n");
    return 0;
}
