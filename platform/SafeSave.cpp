#include "SafeSave.h"

#include "Exceptions.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& Path) {
    size_t Slash = Path.rfind('/');
    return Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
}

std::string NameOf(const std::string& Path) {
    size_t Slash = Path.rfind('/');
    return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

// Gives the temporary file the old file's owner, group and permission bits (when there is one),
// writes Bytes, flushes them to disk and closes the file; returns 0 or the errno of the first
// failure.
int WriteAndSync(int Fd, std::string_view Bytes, const struct stat* Old) {
    int Error = 0;
    if (Old) {
        // The owner first: a change of owner clears set-id bits, which fchmod then restores.
        // A user who may not give the file away (not root) keeps what the system allows.
        if (::fchown(Fd, Old->st_uid, Old->st_gid) != 0 && ::fchown(Fd, -1, Old->st_gid) != 0) {
            // Neither: the file is this user's, in the user's group, as any new file would be.
        }
        if (::fchmod(Fd, Old->st_mode & 07777) != 0) Error = errno;
    }
    size_t Done = 0;
    while (!Error && Done < Bytes.size()) {
        ssize_t N = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0)
            Error = N < 0 ? errno : EIO;
        else
            Done += static_cast<size_t>(N);
    }
    if (!Error && ::fsync(Fd) != 0) Error = errno;
    // A delayed write error may show up only when the file is closed.
    if (::close(Fd) != 0 && !Error) Error = errno;
    return Error;
}

std::string TemporaryName(const std::string& Target) {
    static std::atomic<unsigned> Counter{0};
    auto Tick = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    unsigned long long Mix = Tick * 6364136223846793005ULL + Counter.fetch_add(1);
    char Buf[48];
    std::snprintf(Buf, sizeof Buf, "%ld-%08llx.tmp", static_cast<long>(::getpid()),
                  Mix & 0xFFFFFFFFULL);
    // A short hidden name in the same folder: the rename stays on one file system, and a long
    // catalog name cannot push the temporary name over the name length limit.
    return FolderOf(Target) + TemporaryPrefixFor(Target) + Buf;
}

// Removes the leftovers of killed saves of Target: temporary files of its own prefix whose
// process is gone (or is this one, which saves one target at a time).
void RemoveLeftovers(const std::string& Target) {
    std::string Dir = FolderOf(Target), Prefix = TemporaryPrefixFor(Target);
    DIR* D = ::opendir(Dir.empty() ? "." : Dir.c_str());
    if (!D) return;
    while (struct dirent* E = ::readdir(D)) {
        std::string_view N = E->d_name;
        if (N.size() <= Prefix.size() + 4 || N.substr(0, Prefix.size()) != Prefix ||
            N.substr(N.size() - 4) != ".tmp")
            continue;
        char* End = nullptr;
        long Pid = std::strtol(E->d_name + Prefix.size(), &End, 10);
        if (End == E->d_name + Prefix.size() || *End != '-' || Pid <= 0) continue;
        if (Pid != ::getpid() && !(::kill(static_cast<pid_t>(Pid), 0) != 0 && errno == ESRCH))
            continue; // another process may be saving this very catalog now
        struct stat St;
        // Only regular files this user owns; never a link or what a link points to.
        if (::fstatat(::dirfd(D), E->d_name, &St, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(St.st_mode) || (St.st_uid != ::geteuid() && ::geteuid() != 0))
            continue;
        ::unlinkat(::dirfd(D), E->d_name, 0);
    }
    ::closedir(D);
}

} // namespace

std::string TemporaryPrefixFor(const std::string& Target) {
    // FNV-1a of the target's own name: leftovers of other catalogs in the folder are not touched.
    uint32_t H = 2166136261u;
    for (unsigned char C : NameOf(Target)) {
        H ^= C;
        H *= 16777619u;
    }
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, ".quillmark-%08x-", H);
    return Buf;
}

void ReplaceFileContents(const std::string& FileName, std::string_view Bytes) {
    std::string Target = FileName;
    struct stat Link;
    if (::lstat(FileName.c_str(), &Link) == 0 && S_ISLNK(Link.st_mode)) {
        // Follow the link to its file; a dangling or looping link fails the save, so the link
        // itself is never replaced by a regular file.
        char* Real = ::realpath(FileName.c_str(), nullptr);
        if (!Real) RaiseFileCreateError(FileName, errno);
        Target = Real;
        std::free(Real);
    }
    struct stat Old;
    bool Exists = ::stat(Target.c_str(), &Old) == 0;
    if (Exists && !S_ISREG(Old.st_mode))
        RaiseFileCreateError(FileName, S_ISDIR(Old.st_mode) ? EISDIR : EINVAL);
    // A read-only file stays as it is, also for root, whom the kernel would let write it.
    if (Exists && ((Old.st_mode & 0222) == 0 || ::access(Target.c_str(), W_OK) != 0))
        RaiseFileCreateError(FileName, EACCES);

    std::string Temp;
    int Fd = -1;
    for (int Attempt = 0; Fd < 0 && Attempt < 100; ++Attempt) {
        Temp = TemporaryName(Target);
        Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (Fd < 0 && errno != EEXIST) RaiseFileCreateError(FileName, errno);
    }
    if (Fd < 0) RaiseFileCreateError(FileName, EEXIST);
    int Error = WriteAndSync(Fd, Bytes, Exists ? &Old : nullptr);
    if (!Error && ::rename(Temp.c_str(), Target.c_str()) != 0) Error = errno;
    if (Error) {
        ::unlink(Temp.c_str());
        RaiseFileCreateError(FileName, Error);
    }
    // The rename itself reaches the disk with the folder; a failure here loses nothing.
    std::string Dir = FolderOf(Target);
    int DirFd = ::open(Dir.empty() ? "." : Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DirFd >= 0) {
        ::fsync(DirFd);
        ::close(DirFd);
    }
    RemoveLeftovers(Target);
}
