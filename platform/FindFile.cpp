#include "FindFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

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

void FillRec(const char* Name, const struct stat& St, TSearchRec& Rec) {
    Rec.Name = Name;
    Rec.Attr = AttributesOf(Name, St.st_mode);
    Rec.Size = S_ISDIR(St.st_mode) ? 0 : static_cast<uint64_t>(St.st_size);
    Rec.MTimeSec = St.st_mtim.tv_sec;
    Rec.MTimeNsec = St.st_mtim.tv_nsec;
    Rec.Device = St.st_dev;
    Rec.Inode = St.st_ino;
}

} // namespace

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

bool FindNext(TSearchRec& Rec, TSearchHandle& H) {
    if (!H.Dir) return false;
    for (;;) {
        errno = 0;
        struct dirent* E = ::readdir(H.Dir);
        if (!E) {
            H.Error = errno;
            return false;
        }
        const char* N = E->d_name;
        if (N[0] == '.' && (N[1] == 0 || (N[1] == '.' && N[2] == 0))) continue;
        struct stat St;
        if (::fstatat(::dirfd(H.Dir), N, &St, AT_SYMLINK_NOFOLLOW) != 0) {
            // The entry vanished between readdir and stat; it is no longer there to report.
            if (errno == ENOENT) continue;
            // Otherwise report what the directory entry says, without facts.
            std::memset(&St, 0, sizeof St);
            St.st_mode = E->d_type == DT_DIR ? S_IFDIR | 0755 : S_IFREG | 0644;
        }
        FillRec(N, St, Rec);
        return true;
    }
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
    struct stat St;
    if (::fstatat(AT_FDCWD, P.c_str(), &St, AT_SYMLINK_NOFOLLOW) != 0) return false;
    size_t Slash = P.rfind('/');
    std::string Name = Slash == std::string::npos ? P : P.substr(Slash + 1);
    if (Name.empty()) Name = P;
    FillRec(Name.c_str(), St, Rec);
    return true;
}
