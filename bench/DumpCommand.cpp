// qm-bench dump FILE: loads a catalog file and lists every item, one line each: the root first,
// then depth first with children in collection order. Columns, separated by tabs:
//
//   class name, catalog path, file name, size in bytes, date, attributes (decimal), comment,
//   note, keyword names joined by commas; then, for scanned folders and located files only:
//   path, drive type, volume name, file system, serial (as 1A2B-3C4D).
//
// File name, size, date and attributes are empty for items without a file record. Inside texts
// a backslash, tab, CR and LF are written as \\, \t, \r, \n; in the catalog path, whose
// separator is the backslash, only tab, CR and LF are escaped.
#include "BenchCommands.h"

#include "core/CatalogGlobals.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

void AppendEscaped(std::string& Out, std::string_view S, bool KeepBackslash) {
    for (char C : S) {
        switch (C) {
        case '\\': Out += KeepBackslash ? "\\" : "\\\\"; break;
        case '\t': Out += "\\t"; break;
        case '\r': Out += "\\r"; break;
        case '\n': Out += "\\n"; break;
        default: Out += C;
        }
    }
}

// "2021-03-04 15:16:17.189"; a value no calendar holds (a damaged file) as the number itself.
void AppendDate(std::string& Out, double D) {
    char Buf[64];
    if (std::isfinite(D) && D > -657434.0 && D < 2958466.0) {
        int Y, M, Dd, H, Mi, S, Ms;
        DecodeDateTime(D, Y, M, Dd, H, Mi, S, Ms);
        std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", Y, M, Dd, H, Mi, S,
                      Ms);
    } else {
        std::snprintf(Buf, sizeof Buf, "%.17g", D);
    }
    Out += Buf;
}

void AppendItem(std::string& Out, const TBasicItem* Item) {
    Out += Item->ClassName();
    Out += '\t';
    AppendEscaped(Out, GetCatalogPath(Item), true);
    Out += '\t';
    if (auto* F = dynamic_cast<const TFileItem*>(Item)) {
        const TFileInfo& Info = F->FileInfo();
        AppendEscaped(Out, Info.Name.View(), false);
        Out += '\t';
        Out += std::to_string(Info.Size);
        Out += '\t';
        AppendDate(Out, Info.Date);
        Out += '\t';
        Out += std::to_string(Info.Attr);
    } else {
        Out += "\t\t\t";
    }
    Out += '\t';
    AppendEscaped(Out, Item->Comment(), false);
    Out += '\t';
    AppendEscaped(Out, Item->Note(), false);
    Out += '\t';
    bool First = true;
    for (const TKeyWordItem* K : Item->KeyWords()) {
        if (!First) Out += ',';
        First = false;
        AppendEscaped(Out, K->Name(), false);
    }
    const TVolumeInfo* V = nullptr;
    if (auto* C = dynamic_cast<const TFileCollection*>(Item)) V = &C->Volume();
    if (auto* L = dynamic_cast<const TFileLocItem*>(Item)) V = &L->Volume();
    if (V) {
        Out += '\t';
        AppendEscaped(Out, V->Path, false);
        Out += '\t';
        Out += std::to_string(V->DriveType);
        Out += '\t';
        AppendEscaped(Out, V->VolumeName, false);
        Out += '\t';
        AppendEscaped(Out, V->FileSystem, false);
        Out += '\t';
        Out += VolumeSerialText(V->Serial);
    }
    Out += '\n';
}

int RunDump(const std::vector<std::string>& Args) {
    if (Args.size() != 1) {
        std::fprintf(stderr, "usage: qm-bench dump FILE\n");
        return 2;
    }
    auto Root = std::make_unique<TCatFileItem>();
    CurrentCatalog = Root.get();
    Root->Clear();
    Root->SetCatFile(Args[0]);
    Root->LoadFromFile();

    std::string Out;
    auto Flush = [&Out](bool Force) {
        if (!Force && Out.size() < (1 << 20)) return;
        std::fwrite(Out.data(), 1, Out.size(), stdout);
        Out.clear();
    };
    AppendItem(Out, Root.get());
    // Depth first without recursion: catalogs may nest deeply.
    struct Level {
        const TBasicItems* Items;
        int Next;
    };
    std::vector<Level> Stack{{Root->Children(), 0}};
    while (!Stack.empty()) {
        Level& L = Stack.back();
        if (!L.Items || L.Next >= L.Items->Count()) {
            Stack.pop_back();
            continue;
        }
        const TBasicItem* Item = L.Items->At(L.Next++);
        AppendItem(Out, Item);
        Flush(false);
        if (Item->Children()) Stack.push_back({Item->Children(), 0});
    }
    Flush(true);
    std::fflush(stdout);
    Root.reset();
    CurrentCatalog = nullptr;
    return std::ferror(stdout) ? 1 : 0;
}

} // namespace

QM_BENCH_COMMAND(GDumpCommand, "dump", "FILE", "list every item of a catalog file, one a line",
                 RunDump);
