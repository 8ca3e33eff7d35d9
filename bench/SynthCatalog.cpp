#include "SynthCatalog.h"

#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and the same everywhere.
class TRandom {
public:
    explicit TRandom(uint64_t Seed) : FState(Seed) {}
    uint64_t Next() {
        uint64_t Z = (FState += 0x9E3779B97F4A7C15ULL);
        Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBULL;
        return Z ^ (Z >> 31);
    }
    // 0 .. N-1
    uint64_t Below(uint64_t N) { return N ? Next() % N : 0; }
    bool Chance(int PerMille) { return Below(1000) < static_cast<uint64_t>(PerMille); }
    template <size_t N>
    const char* Pick(const char* const (&List)[N]) {
        return List[Below(N)];
    }

private:
    uint64_t FState;
};

const char* const KeyWordNames[] = {
    "Music",    "Photos",   "Backup",  "Work",       "Family",      "Holiday", "Taxes",
    "Software", "Drivers",  "Games",   "Movies",     "Books",       "Scans",   "Projects",
    "Old",      "Keep",     "Delete",  "Important",  "Фото",        "Музыка",  "Private",
    "2019",     "2020",     "2021",    "Originals",  "Edited",      "Raw",     "Archive",
    "Clients",  "Invoices", "Recipes", "Wallpapers", "Screenshots", "Notes",   "Source code",
    "Fonts",    "ISO",      "Mail",    "Video",      "Audio books"};

const char* const FolderWords[] = {
    "Documents",  "Photos",        "src",     "include",  "lib",    "Music",    "Video",
    "Backup",     "old",           "tmp",     "Projects", "assets", "images",   "Downloads",
    "Desktop",    "node_modules",  "build",   "docs",     "Scans",  "Invoices", "Музыка",
    "Фотографии", "写真",          "Camera",  "Raw",      "Export", "data",     ".git",
    ".config",    "Program Files", "drivers", "Setup",    "Disc 1", "Season 2", "Letters"};

const char* const DocWords[] = {"report",  "budget",  "letter", "invoice", "contract",
                                "minutes", "summary", "thesis", "notes",   "presentation",
                                "Отчёт",   "Договор", "plan",   "offer",   "Résumé"};
const char* const DocExts[] = {".pdf", ".docx", ".doc", ".xlsx", ".odt", ".txt", ".rtf", ".pptx"};
const char* const SourceNames[] = {"main",   "util",   "parser",   "window", "catalog", "scan",
                                   "config", "README", "Makefile", "index",  "test_io", "LICENSE"};
const char* const SourceExts[] = {".c", ".cpp", ".h", ".py", ".js", ".html", ".css", ".md", ""};
const char* const MusicWords[] = {"Intro", "Blue Night", "Morning",      "Dance with Me", "Outro",
                                  "Песня", "Remix",      "Live at Home", "Théâtre",       "Rain"};
const char* const Comments[] = {"Holiday pictures, not sorted yet",
                                "Scanned from the paper archive",
                                "Final version",
                                "Copy of the original disc",
                                "Do not delete",
                                "Описание папки",
                                "Backup before reinstall",
                                "Checked 2021-03-04",
                                "See note",
                                "Broken; keep for reference"};

struct TBuilder {
    TCatFileItem& Root;
    TRandom Rnd;
    int64_t Left;
    char Buf[512];

    std::string Text(const char* Fmt, long long A, long long B = 0) {
        std::snprintf(Buf, sizeof Buf, Fmt, A, B);
        return Buf;
    }

    // A file name of one of the kinds found on disks.
    std::string FileName(int64_t Serial) {
        switch (Rnd.Below(16)) {
        case 0:
        case 1:
        case 2: return Text("IMG_%04lld.JPG", Serial % 10000);
        case 3: return Text("DSC%05lld.jpg", Serial % 100000);
        case 4:
        case 5:
            return std::string(Rnd.Pick(DocWords)) +
                   Text("-%lld-q%lld", 2000 + Rnd.Below(25), 1 + Rnd.Below(4)) + Rnd.Pick(DocExts);
        case 6:
        case 7:
        case 8: return std::string(Rnd.Pick(SourceNames)) + Rnd.Pick(SourceExts);
        case 9:
            return Text("%02lld - ", 1 + Rnd.Below(20)) + Rnd.Pick(MusicWords) +
                   (Rnd.Chance(500) ? ".mp3" : ".flac");
        case 10: return Text("libfoo.so.%lld.%lld", Rnd.Below(5), Rnd.Below(20));
        case 11: return Rnd.Chance(500) ? ".bashrc" : ".hidden_settings";
        case 12: return Text("Screenshot %lld-%02lld.png", 2015 + Rnd.Below(10), 1 + Rnd.Below(12));
        case 13: return Text("backup_%lld.tar.gz", 20100000 + Rnd.Below(150000));
        case 14: return Text("Видео %lld.mkv", Serial % 1000);
        default: return Text("file%lld.dat", Serial);
        }
    }

    // Sizes as disks hold them: mostly small files, a few large ones, now and then a disc image
    // beyond 4 GiB (stored in its 64-bit form).
    uint64_t FileSize(const std::string& Name) {
        uint64_t R = Rnd.Below(1000);
        if (R < 20) return 0;
        if (R < 700) return 100 + Rnd.Below(64 * 1024);
        if (R < 960) return 64 * 1024 + Rnd.Below(8 << 20);
        if (R < 995) return (8 << 20) + Rnd.Below(700ULL << 20);
        if (Name.ends_with(".mkv") || R >= 998) return (4ULL << 30) + Rnd.Below(20ULL << 30);
        return (2ULL << 30) + Rnd.Below(2ULL << 30); // between 2 and 4 GiB: unsigned 32 bits
    }

    // Days since 1899-12-30 between 2003 and 2024, to the millisecond as scans record them.
    double FileDate() {
        return 37622.0 + static_cast<double>(Rnd.Below(7670)) +
               static_cast<double>(Rnd.Below(86400000)) / 86400000.0;
    }

    // Comments, notes, keywords and the extra fields on a few items.
    void Describe(TBasicItem* Item) {
        if (Rnd.Chance(20)) Item->SetCommentField(PackedString(Rnd.Pick(Comments)));
        if (Rnd.Chance(5))
            Item->SetNoteField(
                PackedString(Text("Line one\r\nLine two\twith a tab\r\n#%lld", Left)));
        if (Rnd.Chance(10)) {
            TKeyWordItems* Keys = Root.KeyWords();
            int N = 1 + static_cast<int>(Rnd.Below(3));
            for (int I = 0; I < N; ++I)
                Keys->At(static_cast<int>(Rnd.Below(Keys->Count())))->AddClient(Item);
        }
        if (Rnd.Chance(2))
            Item->SetExtraFields(PackedString("extra"), static_cast<int32_t>(Rnd.Below(100000)),
                                 Rnd.Chance(500));
    }

    TFileItem* AddFile(TBasicItem* Parent, const std::string& Name) {
        auto* F = new TFileItem(Parent->Children());
        PackedString P(Name);
        F->SetNameField(P);
        TFileInfo& Info = F->FileInfoRef();
        Info.Name = P;
        Info.Size = FileSize(Name);
        Info.Date = FileDate();
        Info.Attr = 32 | (Name[0] == '.' ? 2u : 0u) | (Rnd.Chance(30) ? 1u : 0u);
        Describe(F);
        Root.Types()->AddItem(F);
        --Left;
        return F;
    }

    TFileFolder* AddFolder(TBasicItem* Parent, const std::string& Name) {
        auto* F = new TFileFolder(Parent->Children());
        PackedString P(Name);
        F->SetNameField(P);
        F->FileInfoRef().Name = P;
        F->FileInfoRef().Date = FileDate();
        F->FileInfoRef().Attr = 16 | (Name[0] == '.' ? 2u : 0u);
        Describe(F);
        Root.Types()->AddItem(F);
        --Left;
        return F;
    }

    // Fills a scanned folder with a tree of about Budget entries, breadth first, at most eight
    // levels deep.
    void FillTree(TFileCollection* Disk, int64_t Budget) {
        struct Pending {
            TBasicItem* Folder;
            int Depth;
        };
        std::vector<Pending> Queue{{Disk, 0}};
        int64_t Serial = 0;
        for (size_t Q = 0; Q < Queue.size() && Budget > 0; ++Q) {
            auto [Folder, Depth] = Queue[Q];
            int64_t Files = std::min<int64_t>(Budget, 2 + static_cast<int64_t>(Rnd.Below(30)));
            for (int64_t I = 0; I < Files; ++I, --Budget)
                AddFile(Folder, FileName(++Serial));
            int64_t Subs = Depth >= 8 ? 0 : 1 + static_cast<int64_t>(Rnd.Below(5));
            for (int64_t I = 0; I < Subs && Budget > 0; ++I, --Budget) {
                std::string Name = Rnd.Pick(FolderWords);
                if (Rnd.Chance(400)) Name += Text(" %lld", static_cast<long long>(Q), 0);
                Queue.push_back({AddFolder(Folder, Name), Depth + 1});
            }
            // Keep the walk going while the budget lasts, even in a shallow tree.
            if (Q + 1 == Queue.size() && Budget > 0) {
                Queue.push_back({AddFolder(Disk, Text("more-%lld", static_cast<long long>(Q))), 1});
                --Budget;
            }
        }
    }

    void FillVolume(TVolumeInfo& V, int64_t N) {
        static const char* const Systems[] = {"iso9660", "udf", "vfat", "ext4", "ntfs", "cifs"};
        static const uint8_t Types[] = {5, 5, 2, 3, 3, 4};
        size_t K = Rnd.Below(6);
        V.FileSystem = Systems[K];
        V.DriveType = Types[K];
        V.VolumeName = K == 3 && Rnd.Chance(300) ? "" : Text("DISC_%04lld", N);
        V.Serial = static_cast<uint32_t>(Rnd.Next());
        // Catalogs made on Windows keep their drive paths.
        V.Path = Rnd.Chance(200) ? Text("D:\\Archive\\Disc %lld\\", N)
                                 : Text("/media/archive/disc-%04lld/", N);
    }
};

} // namespace

int64_t BuildSyntheticCatalog(TCatFileItem& Root, int64_t Entries, uint64_t Seed, int64_t Depth) {
    TBuilder B{Root, TRandom(Seed), Entries, {}};
    Root.SetNameField(PackedString("Synthetic catalog"));
    Root.SetCommentField(PackedString("Made by qm-bench synth"));
    Root.SetNoteField(PackedString("The root's own note.\r\nSecond line."));
    TKeyWordItems* Keys = Root.KeyWords();
    for (const char* Name : KeyWordNames) {
        auto* K = new TKeyWordItem(Keys);
        K->SetNameField(PackedString(Name));
        if (B.Rnd.Chance(200)) K->SetCommentField(PackedString("keyword comment"));
    }
    Keys->At(0)->AddClient(&Root);

    // A handful of fixed items, so that every class and the awkward names are always there.
    auto* Discs = new TBasicFolder(Root.Children());
    Discs->SetNameField(PackedString("Archive discs"));
    auto* Located = new TBasicFolder(Root.Children());
    Located->SetNameField(PackedString("Located files"));
    auto* Plain = new TBasicItem(Root.Children());
    Plain->SetNameField(PackedString("A plain item"));
    Plain->SetCommentField(PackedString("An item that is neither folder nor file"));
    auto* Unnamed = new TBasicFolder(Root.Children()); // shows a default name
    for (TBasicItem* I : {Discs, Located, Unnamed})
        Root.Types()->AddItem(I);
    B.Left -= 4;

    int64_t Disks = std::clamp<int64_t>(Entries / 40000, 1, 250);
    int64_t LocatedCount = std::clamp<int64_t>(Entries / 2000, 2, 500);
    std::vector<TFileCollection*> Collections;
    for (int64_t D = 0; D < Disks && B.Left > 0; ++D) {
        auto* Disk = new TFileCollection(D % 3 == 2 ? Root.Children() : Discs->Children());
        Disk->SetNameField(PackedString(B.Text("Disc %04lld", D)));
        B.FillVolume(Disk->Volume(), D);
        B.Describe(Disk);
        Root.Types()->AddItem(Disk);
        --B.Left;
        Collections.push_back(Disk);
    }
    for (int64_t L = 0; L < LocatedCount && B.Left > 0; ++L) {
        auto* F = new TFileLocItem(Located->Children());
        std::string Name = B.FileName(L);
        PackedString P(Name);
        F->SetNameField(P);
        F->FileInfoRef().Name = P;
        F->FileInfoRef().Size = B.FileSize(Name);
        F->FileInfoRef().Date = B.FileDate();
        F->FileInfoRef().Attr = 32;
        B.FillVolume(F->Volume(), 1000 + L);
        F->Volume().Path = B.Text("/home/user/located/%lld/", L);
        B.Describe(F);
        Root.Types()->AddItem(F);
        --B.Left;
    }
    if (!Collections.empty() && B.Left > 0) {
        // Siblings that differ only in letter case, a file of exactly 4 GiB, one of 5 GiB, and a
        // name in Latin-1 from an old disk (not UTF-8).
        TFileCollection* First = Collections.front();
        B.AddFile(First, "Readme");
        B.AddFile(First, "README");
        B.AddFile(First, "caf\xE9 cr\xE8me.txt");
        B.AddFile(First, "disc.iso")->FileInfoRef().Size = 4ULL << 30;
        B.AddFile(First, "backup.img")->FileInfoRef().Size = 5ULL << 30;
        TBasicItem* Level = First;
        for (int64_t D = 1; D <= Depth && B.Left >= 2; ++D) {
            Level = B.AddFolder(Level, B.Text("level %lld", static_cast<long long>(D)));
            B.AddFile(Level, B.Text("file at %lld.txt", static_cast<long long>(D)));
        }
    }
    for (size_t D = 0; D < Collections.size() && B.Left > 0; ++D) {
        int64_t Share = B.Left / static_cast<int64_t>(Collections.size() - D);
        B.FillTree(Collections[D], std::max<int64_t>(Share, 1));
    }
    return Entries - B.Left;
}
