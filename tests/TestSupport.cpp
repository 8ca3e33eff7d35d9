#include "TestSupport.h"

#include "platform/Thread.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sstream>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

TempDir::TempDir() {
    const char* Base = std::getenv("TMPDIR");
    std::string Tmpl = std::string(Base && *Base ? Base : "/tmp") + "/qm-test-XXXXXX";
    if (!mkdtemp(Tmpl.data())) throw std::runtime_error("mkdtemp failed");
    FPath = Tmpl + "/";
}

namespace {

// Empties the folder open as Top and removes it, whatever it holds: every subfolder is first
// moved up to Top and emptied there, so no path grows long and at most two folders are open at
// once (trees deeper than the path limit, folders without permissions, links and FIFOs).
void RemoveTree(const std::string& Path) {
    int Top = ::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (Top < 0) return;
    ::fchmod(Top, 0755);
    for (unsigned Round = 0;; ++Round) {
        DIR* D = ::fdopendir(::dup(Top));
        if (!D) break;
        std::vector<std::string> Folders;
        while (struct dirent* E = ::readdir(D)) {
            std::string N = E->d_name;
            if (N == "." || N == "..") continue;
            struct stat St;
            if (::fstatat(Top, N.c_str(), &St, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(St.st_mode))
                Folders.push_back(N);
            else
                ::unlinkat(Top, N.c_str(), 0);
        }
        ::closedir(D);
        if (Folders.empty()) break;
        unsigned Hoisted = 0;
        for (const std::string& F : Folders) {
            ::fchmodat(Top, F.c_str(), 0755, 0);
            int Fd = ::openat(Top, F.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (Fd < 0) continue;
            DIR* Sub = ::fdopendir(Fd);
            if (!Sub) {
                ::close(Fd);
                continue;
            }
            while (struct dirent* E = ::readdir(Sub)) {
                std::string N = E->d_name;
                if (N == "." || N == "..") continue;
                struct stat St;
                if (::fstatat(Fd, N.c_str(), &St, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISDIR(St.st_mode)) {
                    std::string Up =
                        ".up-" + std::to_string(Round) + "-" + std::to_string(Hoisted++);
                    ::renameat(Fd, N.c_str(), Top, Up.c_str());
                } else {
                    ::unlinkat(Fd, N.c_str(), 0);
                }
            }
            ::closedir(Sub);
            ::unlinkat(Top, F.c_str(), AT_REMOVEDIR);
        }
    }
    ::close(Top);
    ::rmdir(Path.c_str());
}

} // namespace

TempDir::~TempDir() {
    RemoveTree(FPath);
}

void WriteFile(const std::string& Path, std::string_view Bytes) {
    std::ofstream F(Path, std::ios::binary | std::ios::trunc);
    if (!F) throw std::runtime_error("cannot write " + Path);
    F.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string ReadFile(const std::string& Path) {
    std::ifstream F(Path, std::ios::binary);
    std::ostringstream S;
    S << F.rdbuf();
    return S.str();
}

void MakeDir(const std::string& Path) {
    std::filesystem::create_directories(Path);
}

std::string HexBytes(std::string_view Bytes) {
    std::string R;
    char Buf[4];
    for (unsigned char C : Bytes) {
        std::snprintf(Buf, sizeof Buf, "%02X", C);
        if (!R.empty()) R += ' ';
        R += Buf;
    }
    return R;
}

namespace {

constexpr uid_t Nobody = 65534;
const char* const ChildFlag = "QM_TEST_UNPRIVILEGED";

// Whether every folder on the way to Path may be passed by a user who is not its owner.
bool ReachableByOthers(const std::string& Path) {
    std::string P = Path;
    while (!P.empty()) {
        struct stat St;
        if (::stat(P.c_str(), &St) != 0 || !(St.st_mode & S_IXOTH)) return false;
        size_t Slash = P.find_last_of('/', P.size() > 1 ? P.size() - 2 : 0);
        if (Slash == std::string::npos || P == "/") break;
        P = P.substr(0, Slash == 0 ? 1 : Slash);
    }
    return true;
}

bool DropToNobody(std::initializer_list<const TempDir*> Dirs) {
    for (const TempDir* D : Dirs) {
        std::error_code Ec;
        ::chown(D->Path().c_str(), Nobody, Nobody);
        for (auto& E : std::filesystem::recursive_directory_iterator(D->Path(), Ec))
            ::lchown(E.path().c_str(), Nobody, Nobody);
    }
    return ::setgroups(0, nullptr) == 0 && ::setresgid(Nobody, Nobody, Nobody) == 0 &&
           ::setresuid(Nobody, Nobody, Nobody) == 0 && ::geteuid() == Nobody &&
           ::getegid() == Nobody && ::setresuid(0, 0, 0) != 0; // and no way back
}

} // namespace

namespace {

// In the parent: runs the current test again in a child process of this program with the
// variable Flag set, passes its output on when it fails, and returns true. BadAlloc: the
// sanitizers' allocators of the child raise std::bad_alloc where an allocation fails.
bool RunThisTestInChild(const char* Flag, bool BadAlloc = false) {
    const ::testing::TestInfo* Info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string Filter =
        std::string("--gtest_filter=") + Info->test_suite_name() + "." + Info->name();
    int Pipe[2];
    if (::pipe(Pipe) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return true;
    }
    pid_t Pid = ::fork();
    if (Pid == 0) {
        ::dup2(Pipe[1], 1);
        ::dup2(Pipe[1], 2);
        ::close(Pipe[0]);
        ::setenv(Flag, "1", 1);
        if (BadAlloc)
            for (const char* Var : {"ASAN_OPTIONS", "TSAN_OPTIONS"}) {
                const char* Old = std::getenv(Var);
                std::string Options = Old && *Old ? std::string(Old) + ":" : std::string();
                ::setenv(Var, (Options + "allocator_may_return_null=1").c_str(), 1);
            }
        // The child's folders must be reachable by nobody.
        const char* Base = std::getenv("TMPDIR");
        if (!Base || !*Base || !ReachableByOthers(Base)) ::setenv("TMPDIR", "/tmp", 1);
        char Self[] = "/proc/self/exe";
        char* Argv[] = {Self, Filter.data(), nullptr};
        ::execv(Self, Argv);
        _exit(127);
    }
    ::close(Pipe[1]);
    std::string Output;
    char Buf[4096];
    for (ssize_t N; (N = ::read(Pipe[0], Buf, sizeof Buf)) != 0;) {
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) break;
        Output.append(Buf, static_cast<size_t>(N));
    }
    ::close(Pipe[0]);
    int Status = 0;
    while (Pid > 0 && ::waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
    }
    bool Passed = Pid > 0 && WIFEXITED(Status) && WEXITSTATUS(Status) == 0 &&
                  Output.find("[  PASSED  ] 1 test") != std::string::npos;
    EXPECT_TRUE(Passed) << "the test run in a child process (" << Flag << ") failed:\n" << Output;
    return true;
}

bool IsChild(const char* Flag) {
    const char* F = std::getenv(Flag);
    return F && std::string(F) == "1";
}

} // namespace

bool RunTestUnprivileged(std::initializer_list<const TempDir*> Dirs) {
    if (IsChild(ChildFlag)) {
        if (!DropToNobody(Dirs)) {
            ADD_FAILURE() << "cannot drop privileges to uid " << Nobody << ": "
                          << std::strerror(errno);
            return true;
        }
        return false;
    }
    if (::geteuid() != 0) return false;
    return RunThisTestInChild(ChildFlag);
}

bool RunTestInOwnProcess() {
    const char* Flag = "QM_TEST_OWN_PROCESS";
    if (IsChild(Flag)) return false;
    return RunThisTestInChild(Flag, true);
}

ScopedLimit::ScopedLimit(int Resource, uint64_t Value) : FResource(Resource) {
    struct rlimit L;
    ::getrlimit(Resource, &L);
    FOld = L.rlim_cur;
    L.rlim_cur = std::min<uint64_t>(Value, L.rlim_max);
    ::setrlimit(Resource, &L);
}

ScopedLimit::~ScopedLimit() {
    struct rlimit L;
    ::getrlimit(FResource, &L);
    L.rlim_cur = FOld;
    ::setrlimit(FResource, &L);
}

uint64_t MappedBytes() {
    std::ifstream F("/proc/self/statm");
    uint64_t Pages = 0;
    F >> Pages;
    return Pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

bool RunTestWithPrivateMounts() {
    const char* Flag = "QM_TEST_PRIVATE_MOUNTS";
    if (IsChild(Flag)) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ADD_FAILURE() << "no mount namespace of its own: " << std::strerror(errno);
            return true;
        }
        return false;
    }
    if (::geteuid() != 0) {
        ADD_FAILURE() << "mounting needs the suite to run as root";
        return true;
    }
    return RunThisTestInChild(Flag);
}

void RunOnStackOf(size_t StackBytes, const std::function<void()>& Fn) {
    // The thread stands in for the UI thread, as the main thread of a process would.
    RunWithStack(StackBytes, Fn);
}
