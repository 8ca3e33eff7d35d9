#include "FindFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

uint32_t AttributesOf(const char* Name, mode_t Mode) {
    uint32_t A = 0;
    if (S_ISLNK(Mode))
        A |= faReparsePoint;
    else if (S_ISDIR(Mode))
        A |= faDirectory;
    else if (S_ISREG(Mode))
        A |= faArchive;
    else
        A |= faSysFile; // devices, FIFOs, sockets
    if (!(Mode & (S_IWUSR | S_IWGRP | S_IWOTH))) A |= faReadOnly;
    if (Name[0] == '.') A |= faHidden;
    return A;
}

namespace {

// The mount id of a statx result (kernels before 5.8 do not give it).
uint64_t MountIdOf(const struct statx& X) {
    return X.stx_mask & STATX_MNT_ID ? X.stx_mnt_id : 0;
}

void FillRec(const char* Name, const struct statx& X, TSearchRec& Rec) {
    mode_t Mode = X.stx_mode;
    Rec.Name = Name;
    Rec.Attr = AttributesOf(Name, Mode);
    Rec.Size = S_ISDIR(Mode) ? 0 : static_cast<uint64_t>(X.stx_size);
    Rec.MTimeSec = X.stx_mtime.tv_sec;
    Rec.MTimeNsec = X.stx_mtime.tv_nsec;
    Rec.Device = makedev(X.stx_dev_major, X.stx_dev_minor);
    Rec.Inode = X.stx_ino;
    Rec.MountId = MountIdOf(X);
    Rec.HasFacts = true;
}

int StatAt(int Fd, const char* Name, int Flags, struct statx& X) {
    return ::statx(Fd, Name, Flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                   STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_INO | STATX_MNT_ID,
                   &X);
}

// The facts of the entry Name that a listing of the open folder Fd gave, with its kind from the
// listing (DType): false when it vanished meanwhile. An entry whose facts cannot be read is
// reported with the name and the kind only.
bool ListedEntry(int Fd, const char* Name, unsigned char DType, TSearchRec& Rec) {
    struct statx X;
    if (StatAt(Fd, Name, 0, X) != 0) {
        // The entry vanished between the listing and stat; it is no longer there to report.
        if (errno == ENOENT) return false;
        // Listed but not searchable: only the name and the kind are known.
        Rec = TSearchRec();
        Rec.Name = Name;
        Rec.Attr = AttributesOf(Name, DType == DT_DIR ? S_IFDIR | 0755 : S_IFREG | 0644);
        Rec.HasFacts = false;
        return true;
    }
    FillRec(Name, X, Rec);
    return true;
}

bool IsDotOrDotDot(const char* N) {
    return N[0] == '.' && (N[1] == 0 || (N[1] == '.' && N[2] == 0));
}

// Reads the folder open as Fd from its start through a buffer of its own (getdents64), calling
// Fn(Name, DType) for each entry but "." and ".." until Fn returns false. False when the folder
// cannot be read to its end.
template <typename F>
bool ReadFolderAt(int Fd, F&& Fn) {
    // The record of one entry as getdents64 gives it (the C library declares none).
    struct TDirent64 {
        uint64_t d_ino;
        int64_t d_off;
        unsigned short d_reclen;
        unsigned char d_type;
        char d_name[1];
    };
    if (::lseek(Fd, 0, SEEK_SET) < 0) return false;
    // On the stack: a walk lists many folders, and its readers should leave no heap behind.
    alignas(8) char Bytes[32 * 1024];
    constexpr size_t Size = sizeof Bytes;
    for (;;) {
        long N = ::syscall(SYS_getdents64, Fd, Bytes, Size);
        if (N < 0) return false;
        if (N == 0) return true;
        for (long At = 0; At < N;) {
            auto* E = reinterpret_cast<TDirent64*>(Bytes + At);
            At += E->d_reclen;
            if (IsDotOrDotDot(E->d_name)) continue;
            if (!Fn(E->d_name, E->d_type)) return true;
        }
    }
}

} // namespace

bool ListFolderAt(int FolderFd, const std::function<bool(const TSearchRec&)>& Each) {
    TSearchRec R; // one record for all: its name keeps its room from one entry to the next
    return ReadFolderAt(FolderFd, [&](const char* Name, unsigned char DType) {
        return !ListedEntry(FolderFd, Name, DType, R) || Each(R);
    });
}

int FolderHoldsEntriesAt(int FolderFd) {
    bool Any = false;
    if (!ReadFolderAt(FolderFd, [&](const char*, unsigned char) { return !(Any = true); }))
        return -1;
    return Any ? 1 : 0;
}

bool FindFirst(const std::string& Dir, TSearchRec& Rec, TSearchHandle& H) {
    FindClose(H);
    H.Error = 0;
    H.Dir = ::opendir(Dir.empty() ? "." : Dir.c_str());
    if (!H.Dir) {
        H.Error = errno;
        return false;
    }
    return FindNext(Rec, H);
}

bool FindFirstAt(int FolderFd, TSearchRec& Rec, TSearchHandle& H) {
    FindClose(H);
    H.Error = 0;
    // The listing gets a descriptor of its own: closedir closes it, the caller's stays open. (A
    // duplicate, not "." opened again: a folder that may be listed but not searched has no ".")
    int Fd = ::fcntl(FolderFd, F_DUPFD_CLOEXEC, 0);
    if (Fd < 0 || !(H.Dir = ::fdopendir(Fd))) {
        H.Error = errno;
        if (Fd >= 0) ::close(Fd);
        return false;
    }
    return FindNext(Rec, H);
}

bool FindNext(TSearchRec& Rec, TSearchHandle& H) {
    if (!H.Dir) return false;
    for (;;) {
        errno = 0;
        struct dirent* E = ::readdir(H.Dir);
        if (!E) {
            H.Error = errno;
            return false;
        }
        if (IsDotOrDotDot(E->d_name)) continue;
        if (ListedEntry(::dirfd(H.Dir), E->d_name, E->d_type, Rec)) return true;
    }
}

int OpenFolderAt(int ParentFd, const char* Name, TSearchRec* Rec) {
    // O_NOFOLLOW: a folder swapped for a link after it was listed is not followed.
    int Fd = ::openat(ParentFd, Name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (Fd < 0 || !Rec) return Fd;
    struct statx X;
    if (StatAt(Fd, "", AT_EMPTY_PATH, X) != 0) {
        int E = errno;
        ::close(Fd);
        errno = E;
        return -1;
    }
    const char* Slash = std::strrchr(Name, '/');
    FillRec(Slash && Slash[1] ? Slash + 1 : Name, X, *Rec);
    return Fd;
}

void FindClose(TSearchHandle& H) {
    if (H.Dir) ::closedir(H.Dir);
    H.Dir = nullptr;
}

bool FindEntry(const std::string& Path, TSearchRec& Rec) {
    if (Path.empty()) return false;
    std::string P = Path;
    // "dir/" names the folder itself.
    while (P.size() > 1 && P.back() == '/')
        P.pop_back();
    struct statx X;
    if (StatAt(AT_FDCWD, P.c_str(), 0, X) != 0) return false;
    size_t Slash = P.rfind('/');
    std::string Name = Slash == std::string::npos ? P : P.substr(Slash + 1);
    if (Name.empty()) Name = P;
    FillRec(Name.c_str(), X, Rec);
    return true;
}

bool FindEntryAt(int FolderFd, const std::string& Name, TSearchRec& Rec) {
    struct statx X;
    if (StatAt(FolderFd, Name.c_str(), 0, X) == 0) {
        FillRec(Name.c_str(), X, Rec);
        return true;
    }
    if (errno == ENOENT || errno == ENOTDIR) return false;
    Rec = TSearchRec();
    Rec.Name = Name;
    Rec.HasFacts = false;
    return true;
}
