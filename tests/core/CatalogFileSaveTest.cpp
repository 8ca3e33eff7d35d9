// The catalog file on disk: saving and loading files, the progress animation, large round
// trips, and saves that keep the previous file, its permissions and the links to it.
#include "CatalogBodies.h"
#include "CatalogTestSupport.h"
#include "tests/TestSupport.h"

#include "bench/SynthCatalog.h"
#include "core/CatalogFile.h"
#include "core/ProgressWindow.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

// ---- files on disk -----------------------------------------------------------------------------

// Records the calls of the animated progress window.
struct AnimationLog {
    AnimationLog() {
        ShowProgressAnimationProc = [this](const std::string& C, uint8_t K,
                                           const TAnimationSource& S) {
            Calls += "show " + C + " " + std::to_string(K) + " " +
                     (std::holds_alternative<int>(S) ? std::to_string(std::get<int>(S))
                                                     : std::get<std::string>(S)) +
                     ";";
        };
        CloseProgressAnimationProc = [this] { Calls += "close;"; };
    }
    ~AnimationLog() {
        ShowProgressAnimationProc = nullptr;
        CloseProgressAnimationProc = nullptr;
    }
    std::string Calls;
};

TEST_F(CatalogFile, SaveAndLoadAFile) {
    TempDir Dir;
    BuildSyntheticCatalog(*Cat.get(), 500, 3);
    Cat->SetCatFile(Dir / "cat.qlmk");
    AnimationLog Log;
    CatalogModified = true;
    Cat->SaveToFile();
    std::string Before = Listing(Cat.get()); // saving has put every collection in name order
    EXPECT_FALSE(CatalogModified);
    EXPECT_EQ(Log.Calls, "show Saving ... 4 SAVEAVI;close;");
    // The file is exactly the compressed body, and nothing else is left in the folder.
    EXPECT_EQ(Inflate(ReadFile(Dir / "cat.qlmk")), SaveBody());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()),
                            std::filesystem::directory_iterator()),
              1);

    Log.Calls.clear();
    Cat->Clear();
    Cat->SetCatFile(Dir / "cat.qlmk");
    CatalogModified = true;
    Cat->LoadFromFile();
    EXPECT_FALSE(CatalogModified);
    EXPECT_EQ(Log.Calls, "show Loading ... 1 1;close;");
    EXPECT_EQ(Listing(Cat.get()), Before);
    EXPECT_EQ(Cat->Name(), "Synthetic catalog");

    // Every loaded item has its type row again.
    EXPECT_NE(Cat->Children()->At(0)->TypeRow(), nullptr);
}

TEST_F(CatalogFile, FailuresShowAndCloseTheAnimationAndKeepTheirErrors) {
    TempDir Dir;
    AnimationLog Log;
    Cat->SetCatFile(Dir / "missing.qlmk");
    try {
        Cat->LoadFromFile();
        FAIL();
    } catch (const EFOpenError&) {
    }
    EXPECT_EQ(Log.Calls, "show Loading ... 1 1;close;");

    WriteFile(Dir / "text.qlmk", "not a zlib stream at all");
    Cat->SetCatFile(Dir / "text.qlmk");
    EXPECT_EQ(ErrorOf([&] { Cat->LoadFromFile(); }), "File is not a catalog file or damaded");

    WriteFile(Dir / "old.qlmk", Compress(Body({}, {}, "QLM 2000")));
    Cat->SetCatFile(Dir / "old.qlmk");
    EXPECT_EQ(ErrorOf([&] { Cat->LoadFromFile(); }), "Unknown version");

    Cat->SetCatFile(Dir.Path()); // a folder
    EXPECT_THROW(Cat->LoadFromFile(), EFOpenError);
    EXPECT_THROW(Cat->SaveToFile(), EFCreateError);
    EXPECT_EQ(Log.Calls, "show Loading ... 1 1;close;show Loading ... 1 1;close;"
                         "show Loading ... 1 1;close;show Loading ... 1 1;close;"
                         "show Saving ... 4 SAVEAVI;close;");

    // Without a file name nothing happens at all.
    Log.Calls.clear();
    Cat->SetCatFile("");
    Cat->SaveToFile();
    Cat->LoadFromFile();
    EXPECT_EQ(Log.Calls, "");
}

TEST_F(CatalogFile, RoundTripOfALargeCatalogGivesTheSameBytes) {
    TempDir Dir;
    int64_t N = BuildSyntheticCatalog(*Cat.get(), 30000, 7);
    EXPECT_EQ(N, 30000);
    Cat->SetCatFile(Dir / "big.qlmk");
    Cat->SaveToFile();
    std::string Before = Listing(Cat.get());
    std::string First = ReadFile(Dir / "big.qlmk");
    Cat->Clear();
    Cat->SetCatFile(Dir / "big.qlmk");
    Cat->LoadFromFile();
    EXPECT_TRUE(Listing(Cat.get()) == Before);
    int64_t Folders = 0, Files = 0;
    uint64_t Bytes = 0;
    CountItems(Cat->Children(), Folders, Files, Bytes);
    EXPECT_EQ(Folders + Files, 30000);
    Cat->SaveToFile();
    EXPECT_TRUE(ReadFile(Dir / "big.qlmk") == First);
}

// Makes a folder unwritable for the test's lifetime, also for root (immutable flag); reports
// whether that worked.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& Path) : FPath(Path) {
        ::chmod(Path.c_str(), 0555);
        if (::geteuid() == 0) SetImmutable(true);
        std::string Probe = Path + "/probe";
        int Fd = ::open(Probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        FWorks = Fd < 0;
        if (Fd >= 0) {
            ::close(Fd);
            ::unlink(Probe.c_str());
        }
    }
    ~ReadOnlyFolder() {
        if (FImmutable) SetImmutable(false);
        ::chmod(FPath.c_str(), 0755);
    }
    bool Works() const { return FWorks; }

private:
    void SetImmutable(bool On) {
        int Fd = ::open(FPath.c_str(), O_RDONLY | O_DIRECTORY);
        if (Fd < 0) return;
        int Flags = 0;
        if (::ioctl(Fd, FS_IOC_GETFLAGS, &Flags) == 0) {
            Flags = On ? Flags | FS_IMMUTABLE_FL : Flags & ~FS_IMMUTABLE_FL;
            if (::ioctl(Fd, FS_IOC_SETFLAGS, &Flags) == 0) FImmutable = On;
        }
        ::close(Fd);
    }
    std::string FPath;
    bool FWorks = false;
    bool FImmutable = false;
};

TEST_F(CatalogFile, FailedSaveInAReadOnlyFolderKeepsTheOldFile) {
    // As root the folder's mode stops nothing (only the immutable flag would, where it exists).
    if (RunTestUnprivileged()) return;
    TempDir Dir;
    MakeDir(Dir / "ro");
    std::string Name = Dir / "ro/cat.qlmk";
    AddFile(Cat.get(), "old.txt");
    Cat->SetCatFile(Name);
    Cat->SaveToFile();
    std::string Old = ReadFile(Name);
    AddFile(Cat.get(), "new.txt");
    ASSERT_TRUE(CatalogModified);
    {
        ReadOnlyFolder Guard(Dir / "ro");
        if (!Guard.Works()) GTEST_SKIP() << "cannot make a folder read-only here";
        EXPECT_THROW(Cat->SaveToFile(), EFCreateError);
    }
    EXPECT_TRUE(CatalogModified);
    EXPECT_TRUE(ReadFile(Name) == Old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir / "ro"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(CatalogFile, FailedWriteKeepsTheOldFile) {
    // A file size limit makes the write fail halfway, as a full disk would.
    TempDir Dir;
    std::string Name = Dir / "cat.qlmk";
    AddFile(Cat.get(), "old.txt");
    Cat->SetCatFile(Name);
    Cat->SaveToFile();
    std::string Old = ReadFile(Name);
    Cat->Clear();
    BuildSyntheticCatalog(*Cat.get(), 20000, 5);
    Cat->SetCatFile(Name);
    CatalogModified = true;

    struct rlimit Saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &Saved), 0);
    auto OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit Small = Saved;
    Small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &Small), 0);
    std::string Error = ErrorOf([&] { Cat->SaveToFile(); });
    ::setrlimit(RLIMIT_FSIZE, &Saved);
    std::signal(SIGXFSZ, OldHandler);

    EXPECT_NE(Error.find("Cannot create file"), std::string::npos) << Error;
    EXPECT_TRUE(CatalogModified);
    EXPECT_TRUE(ReadFile(Name) == Old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(CatalogFile, SavingKeepsPermissionsAndFollowsLinks) {
    TempDir Dir;
    MakeDir(Dir / "real");
    std::string Target = Dir / "real/cat.qlmk";
    WriteFile(Target, "previous");
    ::chmod(Target.c_str(), 0640);
    ASSERT_EQ(::symlink(Target.c_str(), (Dir / "link.qlmk").c_str()), 0);
    AddFile(Cat.get(), "a.txt");
    Cat->SetCatFile(Dir / "link.qlmk");
    Cat->SaveToFile();
    struct stat St;
    ASSERT_EQ(::lstat((Dir / "link.qlmk").c_str(), &St), 0);
    EXPECT_TRUE(S_ISLNK(St.st_mode));
    ASSERT_EQ(::stat(Target.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, 0640u);
    EXPECT_EQ(Inflate(ReadFile(Target)), SaveBody());

    // A new file gets the usual permissions (0666 less the umask), not a temporary file's 0600.
    mode_t Mask = ::umask(022);
    Cat->SetCatFile(Dir / "new.qlmk");
    Cat->SaveToFile();
    ::umask(Mask);
    ASSERT_EQ(::stat((Dir / "new.qlmk").c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, 0644u);
}

} // namespace
