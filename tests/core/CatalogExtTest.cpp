#include "CatalogTestSupport.h"
#include "IconTestSupport.h"
#include "ViewFakes.h"
#include "tests/TestSupport.h"

#include "core/CatalogExt.h"
#include "core/PIDLWork.h"
#include "platform/ShellInfo.h"

#include <QMimeDatabase>
#include <QUrl>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// One of the program's image lists: the seven fixed pictures, then what the core adds.
class FakeImageList : public TImageList {
public:
    int AddIcon(const TSystemIcon& Icon) override {
        Added.push_back(Icon);
        return Count++;
    }
    int Count = 7;
    std::vector<TSystemIcon> Added;
};

// Installs two fresh lists for one test and removes them after it.
struct ProgramLists {
    FakeImageList Small, Large;
    ProgramLists() { SetProgramImageLists(&Small, &Large); }
    ~ProgramLists() { SetProgramImageLists(nullptr, nullptr); }
};

struct DefaultIconsOption {
    explicit DefaultIconsOption(bool V) { DisplayDefaultIcons = V; }
    ~DefaultIconsOption() { DisplayDefaultIcons = false; }
};

} // namespace

TEST(IconCache, WithoutProgramListsIndicesStayAsTheyAre) {
    SetProgramImageLists(nullptr, nullptr);
    int I = 42;
    MapSystemIcon(I);
    EXPECT_EQ(I, 42);
    FakeImageList Only;
    SetProgramImageLists(&Only, nullptr); // one list alone is no lists
    MapSystemIcon(I);
    EXPECT_EQ(I, 42);
    EXPECT_TRUE(Only.Added.empty());
    SetProgramImageLists(nullptr, nullptr);
}

TEST(IconCache, EachSystemIconIsCopiedOnceIntoBothListsAtOnePosition) {
    ProgramLists Lists;
    int Text = AddSystemThemeIcon("text-plain", "text-x-generic");
    int Image = AddSystemThemeIcon("image-png", "image-x-generic");
    int A = Text, B = Image, C = Text;
    MapSystemIcon(A);
    MapSystemIcon(B);
    MapSystemIcon(C);
    EXPECT_EQ(A, 7); // behind the seven fixed pictures
    EXPECT_EQ(B, 8);
    EXPECT_EQ(C, 7);
    ASSERT_EQ(Lists.Small.Added.size(), 2u);
    ASSERT_EQ(Lists.Large.Added.size(), 2u);
    EXPECT_EQ(Lists.Small.Added[0].ThemeName, "text-plain");
    EXPECT_EQ(Lists.Large.Added[1].ThemeName, "image-png");

    // Two icon files with the same picture share one system index and so one entry.
    TIconImage S, L;
    S.Width = S.Height = 1;
    S.Pixels = {0xFFAA0000};
    L.Width = L.Height = 2;
    L.Pixels = {1, 2, 3, 4};
    int X = AddSystemImageIcon(S, L), Y = AddSystemImageIcon(S, L);
    MapSystemIcon(X);
    MapSystemIcon(Y);
    EXPECT_EQ(X, 9);
    EXPECT_EQ(Y, 9);
    // Each list receives the picture of its own size.
    EXPECT_EQ(Lists.Small.Added[2].Image, S);
    EXPECT_EQ(Lists.Large.Added[2].Image, L);
}

TEST(IconCache, ListsOutOfStepRaiseAndTheLockIsReleased) {
    ProgramLists Lists;
    Lists.Large.Count = 9; // a picture went into one list only
    int I = AddSystemThemeIcon("qm-step", "");
    try {
        MapSystemIcon(I);
        FAIL();
    } catch (const ECatalogError& E) {
        EXPECT_STREQ(E.what(), "k<>k1");
    }
    // Another thread can still take the lock.
    std::thread T([] { std::lock_guard<std::recursive_mutex> G(IconCacheLock); });
    T.join();
}

TEST(IconCache, ThreadsMappingTheSameIconsAddEachOnce) {
    ProgramLists Lists;
    std::vector<int> System;
    for (int I = 0; I < 50; ++I)
        System.push_back(AddSystemThemeIcon("qm-race-" + std::to_string(I), ""));
    std::vector<std::vector<int>> Got(8);
    std::vector<std::thread> Threads;
    for (size_t T = 0; T < Got.size(); ++T)
        Threads.emplace_back([&, T] {
            for (size_t K = 0; K < System.size(); ++K) {
                int I = System[(K * (T + 1)) % System.size()];
                MapSystemIcon(I);
                Got[T].push_back(I);
            }
        });
    for (auto& T : Threads)
        T.join();
    EXPECT_EQ(Lists.Small.Added.size(), 50u);
    EXPECT_EQ(Lists.Large.Added.size(), 50u);
    for (size_t K = 0; K < 50; ++K)
        EXPECT_EQ(Lists.Small.Added[K].ThemeName, Lists.Large.Added[K].ThemeName);
    for (size_t T = 1; T < Got.size(); ++T)
        for (size_t K = 0; K < System.size(); ++K) {
            size_t From0 = ((K * (T + 1)) % System.size()); // same system icon in thread 0
            EXPECT_EQ(Got[T][K], Got[0][From0]);
        }
}

TEST(ItemImages, ImageRulesForEveryClass) {
    TestCatalog Cat;
    Cat->Types()->SetPaused(true);
    auto* Disk = Add<TFileCollection>(Cat.get(), "Disk");
    Disk->Volume().Path = "/qm-no-such-disk/";
    Cat->Types()->AddItem(Disk);
    auto* Virtual = Add<TBasicFolder>(Cat.get(), "Virtual");
    Cat->Types()->AddItem(Virtual);
    auto* Folder = AddFolder(Disk, "docs");
    auto* File = AddFile(Folder, "a.txt");
    auto* Plain = Add<TBasicItem>(Virtual, "plain");
    auto* Loose = new TFileItem(Virtual->Children()); // no type row, no icon of its own
    Loose->SetNameField(PackedString("loose.exe"));

    EXPECT_EQ(GetItemImageIndex(Cat.get(), false), 0);
    EXPECT_EQ(GetItemImageIndex(Disk, false), 4);
    EXPECT_EQ(GetItemImageIndex(Disk, true), 5);
    EXPECT_EQ(GetItemImageIndex(Virtual, true), 3);
    EXPECT_EQ(GetItemImageIndex(Folder, false), 1); // its type row's folder pictures
    EXPECT_EQ(GetItemImageIndex(Folder, true), 2);
    EXPECT_EQ(GetItemImageIndex(File, false), iiDefaultFile);
    EXPECT_EQ(GetItemImageIndex(Plain, false), -1);
    EXPECT_EQ(GetItemImageIndex(Loose, false), -1);
    EXPECT_EQ(GetItemImageIndex(nullptr, false), -1);

    // A stored index wins, unless default icons are asked for.
    File->SetImageIndex(17);
    Disk->SetSelectedIndex(12);
    EXPECT_EQ(GetItemImageIndex(File, false), 17);
    EXPECT_EQ(GetItemImageIndex(Disk, true), 12);
    {
        DefaultIconsOption Default(true);
        EXPECT_EQ(GetItemImageIndex(File, false), iiDefaultFile);
        EXPECT_EQ(GetItemImageIndex(Disk, true), 5);
        EXPECT_EQ(GetItemImageIndex(Cat.get(), true), 0);
        EXPECT_EQ(GetItemImageIndex(Virtual, false), 3);
    }
    Cat->Types()->SetPaused(false);
}

TEST(ItemImages, FilesWithTheirOwnIconShowItUnlessDefaultIconsAreAsked) {
    TempDir Dir;
    WriteFile(Dir / "app.ico",
              MakeIcoFile({PatternPicture(16, 16, 32), PatternPicture(32, 32, 8)}));
    WriteFile(Dir / "same.ICON", ReadFile(Dir / "app.ico"));
    WriteFile(Dir / "setup.exe", "MZ");
    ProgramLists Lists;
    TestCatalog Cat;
    Cat->Types()->SetPaused(true);
    auto* Disk = Add<TFileCollection>(Cat.get(), "Disk");
    Disk->Volume().Path = Dir.Path();
    auto* Ico = AddFile(Disk, "app.ico");
    auto* Same = AddFile(Disk, "same.ICON");
    auto* Exe = AddFile(Disk, "setup.exe");
    int A = GetItemImageIndex(Ico, false);
    EXPECT_EQ(A, 7);
    EXPECT_EQ(GetItemImageIndex(Same, false), A); // one entry for one picture
    EXPECT_EQ(Lists.Small.Added.size(), 1u);
    EXPECT_EQ(Lists.Small.Added[0].Image.Width, 16);
    EXPECT_EQ(Lists.Large.Added[0].Image.Width, 32);
    EXPECT_EQ(GetItemImageIndex(Exe, false), iiDefaultFile); // no icon of its own here
    DefaultIconsOption Default(true);
    EXPECT_EQ(GetItemImageIndex(Ico, false), iiDefaultFile);
    Cat->Types()->SetPaused(false);
}

TEST(ResultRows, FillResultListItemFillsEveryColumn) {
    TestCatalog Cat;
    Cat->Types()->SetPaused(true);
    auto* Disk = Add<TFileCollection>(Cat.get(), "Disk");
    Disk->Volume().Path = "/data/";
    Cat->Types()->AddItem(Disk);
    auto* Docs = AddFolder(Disk, "docs");
    auto* File = AddFile(Docs, "a.txt");
    auto* Virtual = Add<TBasicFolder>(Cat.get(), "Notes");
    Cat->Types()->AddItem(Virtual);

    FakeListView Main, Results;
    FakeListView::Row* MainRow = Main.AddMainRow(File);
    auto* Row = static_cast<FakeListView::Row*>(Results.Add());
    File->SetImageIndex(23);
    FillResultListItem(Row, File, false);
    EXPECT_EQ(Row->Caption, "a.txt");
    EXPECT_EQ(Row->Image, 23);
    EXPECT_EQ(Row->SubItems,
              (std::vector<std::string>{"\\Disk\\docs\\a.txt", "TXT File", "/data/docs/a.txt"}));
    EXPECT_EQ(Row->Item, File);
    // The result row is the item's own link; its row in the main list is not taken over.
    EXPECT_EQ(File->ResultItem(), Row);
    EXPECT_EQ(File->ListItem(), MainRow);
    File->SetItemName("b.txt");
    EXPECT_EQ(Row->Caption, "b.txt");
    EXPECT_EQ(MainRow->Caption, "b.txt");

    auto* FolderRow = static_cast<FakeListView::Row*>(Results.Add());
    FillResultListItem(FolderRow, Virtual, true);
    EXPECT_EQ(FolderRow->Image, 3);
    EXPECT_EQ(FolderRow->SubItems, (std::vector<std::string>{"\\Notes", "Virtual Folder", ""}));

    // Refilling a row with another item unlinks the first item; an item put on a second row
    // leaves the first one without an item (a refresh drops such rows).
    FillResultListItem(FolderRow, File, true);
    EXPECT_EQ(Virtual->ResultItem(), nullptr);
    EXPECT_EQ(Row->Item, nullptr);
    EXPECT_EQ(File->ResultItem(), FolderRow);

    // Destroying the item removes its result row and its main row.
    delete File;
    EXPECT_EQ(Results.Count(), 1);
    EXPECT_EQ(Results.At(0), Row);
    EXPECT_EQ(Main.Count(), 0);
    Cat->Types()->SetPaused(false);
}

TEST(ResultRows, ClearListSelection) {
    FakeListView View;
    for (int I = 0; I < 4; ++I)
        View.Add();
    ClearListSelection(&View);
    EXPECT_EQ(View.SelectionSets, 0);
    View.At(2)->IsSelected = true;
    ClearListSelection(&View);
    EXPECT_EQ(View.SelectionSets, 1);
    EXPECT_EQ(View.SelCount(), 0);
    View.At(0)->IsSelected = View.At(3)->IsSelected = true;
    ClearListSelection(&View);
    EXPECT_EQ(View.SelCount(), 0);
    EXPECT_EQ(View.SelectionSets, 1); // row by row
    ClearListSelection(nullptr);
}

TEST(CatalogExtNames, DriveTypeAndFolderTypeNames) {
    const char* Want[] = {"Unknown Drive", "Invalid Location", "REMOVABLE", "FIXED", "NETWORK",
                          "CDROM",         "RAMDISK"};
    for (int I = 0; I < 7; ++I)
        EXPECT_EQ(DriveTypeName(I), Want[I]);
    EXPECT_EQ(DriveTypeName(7), "");
    EXPECT_EQ(DriveTypeName(-1), "");

    std::string Saved = FolderTypeName;
    InitCatalogExt();
    QString Dir = QMimeDatabase().mimeTypeForName("inode/directory").comment();
    EXPECT_EQ(FolderTypeName, Dir.isEmpty() ? "File Folder" : Dir.toStdString());
    FolderTypeName = Saved;
    EXPECT_EQ(std::string(FixedImageNames[iiDefaultFile]), "file.png");
}

// ---- shell namespace helpers ----------------------------------------------------------------

TEST(PIDLWork, IdentifiersAreCanonicalPathsOfExistingEntries) {
    TempDir Dir;
    MakeDir(Dir / "sub");
    WriteFile(Dir / "sub/f.txt", "x");
    ASSERT_EQ(::symlink((Dir / "sub").c_str(), (Dir / "link").c_str()), 0);
    PItemIDList Id = PathToPIDL(Dir / "link/../sub/./f.txt");
    ASSERT_TRUE(Id);
    char Real[PATH_MAX];
    ASSERT_NE(::realpath((Dir / "sub/f.txt").c_str(), Real), nullptr);
    EXPECT_EQ(Id->Path, Real);
    EXPECT_EQ(PathToPIDL(Dir / "link/f.txt")->Path, Real);

    std::unique_ptr<TShellFolder> Sub = BindToShellFolder(Dir / "sub");
    EXPECT_EQ(Sub->ParseDisplayName("f.txt")->Path, Real);
    EXPECT_EQ(PathToPIDL("f.txt", Sub.get())->Path, Real);
    FreePIDL(Id);
    EXPECT_FALSE(Id);
    FreePIDL(Id); // none is ignored

    try {
        PathToPIDL(Dir / "missing");
        FAIL();
    } catch (const ECatalogError& E) {
        EXPECT_EQ(std::string(E.what()), Dir / "missing" + ": No such file or directory");
    }
    EXPECT_THROW(PathToPIDL(""), ECatalogError);
    EXPECT_THROW(BindToShellFolder(Dir / "sub/f.txt"), ECatalogError); // not a folder
    EXPECT_THROW(Sub->ParseDisplayName("nothing"), ECatalogError);
    EXPECT_EQ(DesktopFolder().Path(), "/");
}

TEST(PIDLWork, SelfIconsOnlyForIconFiles) {
    TempDir Dir;
    std::string Ico = MakeIcoFile({PatternPicture(16, 16, 8), PatternPicture(32, 32, 24)});
    WriteFile(Dir / "a.ICO", Ico);
    WriteFile(Dir / "b.icon", Ico); // lower case counts too
    WriteFile(Dir / "c.cur", MakeIcoFile({PatternPicture(32, 32, 1)}, 2));
    WriteFile(Dir / "README.TXT", Ico);
    WriteFile(Dir / "bad.ico", "not an icon");
    WriteFile(Dir / "x.lnk", Ico);
    ASSERT_EQ(::mkfifo((Dir / "pipe.ico").c_str(), 0600), 0);
    int A = GetSelfIconIndex(Dir / "a.ICO", false);
    EXPECT_GE(A, 1);
    EXPECT_EQ(GetSelfIconIndex(Dir / "b.icon", true), A);
    EXPECT_GE(GetSelfIconIndex(Dir / "c.cur", false), 1);
    EXPECT_EQ(GetSelfIconIndex(Dir / "README.TXT", false), -1);
    EXPECT_EQ(GetSelfIconIndex(Dir / "bad.ico", false), -1);
    EXPECT_EQ(GetSelfIconIndex(Dir / "x.lnk", false), -1);
    EXPECT_EQ(GetSelfIconIndex(Dir / "pipe.ico", false), -1);
    EXPECT_EQ(GetSelfIconIndex("/qm-no-such-disk/SETUP.EXE", false), -1);
    EXPECT_EQ(GetSelfIconIndex("/qm-no-such-disk/app.ico", false), -1);
    for (const char* E : {".exe", ".PIF", ".Lnk", ".ico", ".ICON", ".cur", ".ANI"})
        EXPECT_TRUE(IsSelfIconedExtension(E)) << E;
    for (const char* E : {".txt", "", ".icons", "ico"})
        EXPECT_FALSE(IsSelfIconedExtension(E)) << E;
}

TEST(PIDLWork, ShellOpenHandsOnlyFilesAndWebAddressesToTheDesktop) {
    std::vector<QUrl> Opened;
    OpenUrlProc = [&](const QUrl& U) {
        Opened.push_back(U);
        return true;
    };
    TempDir Dir;
    WriteFile(Dir / "a b.txt", "x");
    EXPECT_TRUE(ShellOpen(Dir / "a b.txt"));
    EXPECT_TRUE(ShellOpen("https://example.org/a?b=c"));
    EXPECT_TRUE(ShellOpen("HTTP://example.org"));
    EXPECT_TRUE(ShellOpen("mailto:someone@example.org"));
    for (const char* Refused : {"javascript:alert(1)", "file:///etc/passwd", "www.example.org",
                                "ftp://example.org", "http://", "mailto:", "", "/qm-no-such-file",
                                "http://exa mple.org", "; rm -rf /tmp/x", "$(reboot)"})
        EXPECT_FALSE(ShellOpen(Refused)) << Refused;
    ASSERT_EQ(Opened.size(), 4u);
    EXPECT_TRUE(Opened[0].isLocalFile());
    EXPECT_EQ(Opened[0].toLocalFile().toStdString(), Dir / "a b.txt");
    EXPECT_EQ(Opened[1].scheme(), "https");
    EXPECT_EQ(Opened[3].scheme(), "mailto");
    OpenUrlProc = nullptr;
    EXPECT_FALSE(ShellOpen(Dir / "a b.txt")); // no desktop to hand it to
}
