// qm-bench find CATALOG MASK [WORD...]: loads a catalog file as the program opens one, then runs
// the find thread over the whole catalog with subfolders, as the find dialog starts it ("all"
// criteria), and prints the number of results and the seconds of the load and of the search.
//
// MASK is a mask on names ("-" for none). Each WORD is a word looked for in comments, or
// "key:NAME" for a keyword, or "note:WORD" for a word in notes; words are upper-cased as the find
// dialog does. CATALOG "mem:N" builds a catalog of N files in memory instead of loading one.
#include "BenchCommands.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/FindThread.h"
#include "core/TreeItems.h"
#include "platform/SysUtils.h"

#include <cstdio>
#include <memory>

namespace {

// N files in folders of 20 under one scanned folder, every 50th with a comment.
void BuildInMemory(TCatFileItem& Root, long long Files) {
    static const char* const Ext[] = {".txt", ".jpg", ".c", ".html", "", ".tar.gz", ".png", ".pdf"};
    Root.Types()->SetPaused(true);
    auto* Disk = new TFileCollection(Root.Children());
    Disk->SetNameField(PackedString("Disk"));
    Disk->Volume().Path = "/data/";
    Root.Types()->AddItem(Disk);
    TFileFolder* Folder = nullptr;
    for (long long I = 0; I < Files; ++I) {
        if (I % 20 == 0) {
            Folder = new TFileFolder(Disk->Children());
            PackedString P("folder_" + std::to_string(I / 20));
            Folder->SetNameField(P);
            Folder->FileInfoRef().Name = P;
            Root.Types()->AddItem(Folder);
        }
        auto* F = new TFileItem(Folder->Children());
        PackedString P("document_file_" + std::to_string(I) + Ext[I % 8]);
        F->SetNameField(P);
        F->FileInfoRef().Name = P;
        if (I % 50 == 0) F->SetCommentField(PackedString("Annual report " + std::to_string(I)));
        Root.Types()->AddItem(F);
    }
    Root.Types()->SetPaused(false);
}

int RunFind(const std::vector<std::string>& Args) {
    if (Args.size() < 2) {
        std::fprintf(stderr, "usage: qm-bench find CATALOG MASK [WORD...]\n");
        return 2;
    }
    auto Root = std::make_unique<TCatFileItem>();
    CurrentCatalog = Root.get();
    CurrentFolder = Root.get();
    Root->Clear();
    double Start = BenchSeconds();
    if (Args[0].starts_with("mem:")) {
        BuildInMemory(*Root, std::stoll(Args[0].substr(4)));
    } else {
        Root->SetCatFile(Args[0]);
        Root->LoadFromFile();
    }
    double Loaded = BenchSeconds();

    auto T = std::make_unique<TFindThread>(nullptr);
    if (Args[1] != "-") T->MasksIncluded.Add(UpperCase(Args[1]));
    for (size_t I = 2; I < Args.size(); ++I) {
        std::string W = UpperCase(Args[I]);
        if (W.starts_with("KEY:"))
            T->KeyWordsIncluded.Add(W.substr(4));
        else if (W.starts_with("NOTE:"))
            T->NoteIncluded.Add(W.substr(5));
        else
            T->CommentIncluded.Add(W);
    }
    T->Mode = 0;
    T->Scope = 0;
    T->Subfolders = true;
    // The type thread names file types meanwhile, as in the program; the search does not wait.
    double Begin = BenchSeconds();
    T->PrepareCriteria();
    T->Resume();
    T->WaitFor();
    double End = BenchSeconds();
    if (T->FatalException()) std::rethrow_exception(T->FatalException());
    std::printf("results %zu\nload_seconds %.3f\nsearch_seconds %.3f\npeak_rss_bytes %lld\n",
                T->Results().size(), Loaded - Start, End - Begin, BenchPeakRss());
    T.reset();
    Root.reset();
    CurrentCatalog = nullptr;
    CurrentFolder = nullptr;
    return 0;
}

} // namespace

QM_BENCH_COMMAND(GFindCommand, "find", "CATALOG MASK [WORD...]",
                 "search a catalog: results and seconds of load and search", RunFind);
