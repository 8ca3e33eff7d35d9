#include "Volumes.h"

#include "SysUtils.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes in paths as \ooo.
std::string UnescapeOctal(std::string_view S) {
    std::string R;
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\\' && I + 3 < S.size() &&
            std::isdigit(static_cast<unsigned char>(S[I + 1])) &&
            std::isdigit(static_cast<unsigned char>(S[I + 2])) &&
            std::isdigit(static_cast<unsigned char>(S[I + 3]))) {
            R += static_cast<char>((S[I + 1] - '0') * 64 + (S[I + 2] - '0') * 8 + (S[I + 3] - '0'));
            I += 3;
        } else {
            R += S[I];
        }
    }
    return R;
}

// udev escapes labels in /dev/disk/by-label names as \xHH.
std::string UnescapeHex(std::string_view S) {
    std::string R;
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\\' && I + 3 < S.size() && S[I + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(S[I + 2])) &&
            std::isxdigit(static_cast<unsigned char>(S[I + 3]))) {
            R += static_cast<char>(std::stoi(std::string(S.substr(I + 2, 2)), nullptr, 16));
            I += 3;
        } else {
            R += S[I];
        }
    }
    return R;
}

std::string ReadSmallFile(const std::string& Path) {
    std::ifstream F(Path);
    std::string S;
    std::getline(F, S);
    return S;
}

std::string RealPath(const std::string& Path) {
    char Buf[PATH_MAX];
    return ::realpath(Path.c_str(), Buf) ? std::string(Buf) : std::string();
}

// The device a symbolic link under /dev/disk/by-* points to.
std::string LinkTarget(const std::string& Link) {
    char Buf[PATH_MAX];
    ssize_t N = ::readlink(Link.c_str(), Buf, sizeof Buf - 1);
    if (N <= 0) return {};
    std::string T(Buf, static_cast<size_t>(N));
    if (!T.empty() && T[0] != '/') T = ExtractFilePath(Link) + T;
    // Normalise "a/b/../../sdb1" without asking the file system (tests use fake folders).
    std::vector<std::string> Parts;
    std::stringstream SS(T);
    std::string Part;
    while (std::getline(SS, Part, '/')) {
        if (Part.empty() || Part == ".") continue;
        if (Part == "..") {
            if (!Parts.empty()) Parts.pop_back();
        } else {
            Parts.push_back(Part);
        }
    }
    std::string R;
    for (const auto& P : Parts)
        R += "/" + P;
    return R;
}

// Finds the entry of a /dev/disk/by-* folder whose link leads to Device (by name of the device
// node, e.g. "sdb1").
std::string FindByLink(const std::string& Dir, const std::string& Device) {
    DIR* D = ::opendir(Dir.c_str());
    if (!D) return {};
    std::string Found;
    std::string DevName = ExtractFileName(Device);
    while (struct dirent* E = ::readdir(D)) {
        if (E->d_name[0] == '.') continue;
        std::string Target = LinkTarget(Dir + "/" + E->d_name);
        if (!Target.empty() && (Target == Device || ExtractFileName(Target) == DevName)) {
            Found = E->d_name;
            break;
        }
    }
    ::closedir(D);
    return Found;
}

bool StartsWithPath(const std::string& Path, const std::string& Mount) {
    if (Mount == "/") return !Path.empty() && Path[0] == '/';
    if (Path.compare(0, Mount.size(), Mount) != 0) return false;
    return Path.size() == Mount.size() || Path[Mount.size()] == '/';
}

bool IsRemovableDevice(const TVolumeEnvironment& Env, const std::string& DeviceId) {
    if (DeviceId.empty()) return false;
    std::string Link = Env.SysDevBlockDir + "/" + DeviceId;
    std::string Real = RealPath(Link);
    if (Real.empty()) return false;
    if (Real.find("/usb") != std::string::npos) return true;
    // A partition has no "removable" of its own; its disk (the parent folder) has.
    std::string Dir = Real;
    for (int Depth = 0; Depth < 3; ++Depth) {
        std::string R = ReadSmallFile(Dir + "/removable");
        if (!R.empty()) return R == "1";
        size_t Slash = Dir.rfind('/');
        if (Slash == 0 || Slash == std::string::npos) break;
        Dir.resize(Slash);
    }
    return false;
}

} // namespace

std::vector<TMountEntry> ParseMountInfo(std::string_view Text) {
    std::vector<TMountEntry> R;
    size_t P = 0;
    while (P < Text.size()) {
        size_t E = Text.find('\n', P);
        if (E == std::string_view::npos) E = Text.size();
        std::string_view Line = Text.substr(P, E - P);
        P = E + 1;
        // id parent major:minor root mountpoint options [optional...] - fstype source superopts
        std::vector<std::string_view> F;
        size_t Q = 0;
        while (Q < Line.size()) {
            size_t S = Line.find(' ', Q);
            if (S == std::string_view::npos) S = Line.size();
            if (S > Q) F.push_back(Line.substr(Q, S - Q));
            Q = S + 1;
        }
        size_t Dash = 0;
        for (size_t I = 6; I < F.size(); ++I)
            if (F[I] == "-") {
                Dash = I;
                break;
            }
        if (F.size() < 5 || Dash == 0) continue;
        TMountEntry M;
        M.DeviceId = std::string(F[2]);
        M.MountPoint = UnescapeOctal(F[4]);
        M.FsType = Dash + 1 < F.size() ? std::string(F[Dash + 1]) : std::string();
        M.Source = Dash + 2 < F.size() ? UnescapeOctal(F[Dash + 2]) : std::string();
        R.push_back(std::move(M));
    }
    return R;
}

const TMountEntry* FindMountFor(const std::vector<TMountEntry>& Mounts, const std::string& Path) {
    const TMountEntry* Best = nullptr;
    for (const TMountEntry& M : Mounts) {
        // Later entries of the same mount point cover earlier ones (stacked mounts).
        if (StartsWithPath(Path, M.MountPoint) &&
            (!Best || M.MountPoint.size() >= Best->MountPoint.size()))
            Best = &M;
    }
    return Best;
}

bool IsRemoteFileSystem(std::string_view T) {
    static const char* const Remote[] = {
        "nfs",        "nfs4",  "cifs",        "smb3",      "smbfs",       "ncpfs",         "9p",
        "afs",        "ceph",  "coda",        "glusterfs", "lustre",      "gfs2",          "ocfs2",
        "fuse.sshfs", "sshfs", "fuse.rclone", "davfs",     "fuse.davfs2", "fuse.glusterfs"};
    for (const char* R : Remote)
        if (T == R) return true;
    return false;
}

uint32_t SerialFromUuid(std::string_view Uuid) {
    std::string Hex;
    for (char C : Uuid)
        if (std::isxdigit(static_cast<unsigned char>(C))) Hex += C;
    if (Hex.empty()) return 0;
    // FAT ("1A2B-3C4D"): the whole id. NTFS (16 digits): its low 32 bits. UUIDs: the first 32.
    std::string Part;
    if (Hex.size() <= 8)
        Part = Hex;
    else if (Hex.size() == 16)
        Part = Hex.substr(8);
    else
        Part = Hex.substr(0, 8);
    return static_cast<uint32_t>(std::stoul(Part, nullptr, 16));
}

TVolumeFacts GetVolumeFacts(const std::string& Path, const TVolumeEnvironment& Env) {
    TVolumeFacts F;
    std::string Text = Env.MountInfoText;
    if (Text.empty()) {
        std::ifstream In(Env.MountInfoFile);
        std::stringstream SS;
        SS << In.rdbuf();
        Text = SS.str();
    }
    std::vector<TMountEntry> Mounts = ParseMountInfo(Text);

    // The path as the kernel sees it (links resolved), for the mount lookup; a path that does not
    // exist has no volume.
    std::string Abs = Path;
    if (!Env.AssumeExists) {
        struct stat St;
        if (::stat(Path.c_str(), &St) != 0) {
            F.DriveType = DRIVE_NO_ROOT_DIR;
            if (const TMountEntry* M = FindMountFor(Mounts, Path)) F.Root = M->MountPoint;
            return F;
        }
        std::string Real = RealPath(Path);
        if (!Real.empty()) Abs = Real;
    }
    const TMountEntry* M = FindMountFor(Mounts, Abs);
    if (!M) return F;
    F.Root = M->MountPoint;
    const std::string& T = M->FsType;

    if (T == "iso9660" || T == "udf")
        F.DriveType = DRIVE_CDROM;
    else if (IsRemoteFileSystem(T))
        F.DriveType = DRIVE_REMOTE;
    else if (T == "tmpfs" || T == "ramfs")
        F.DriveType = DRIVE_RAMDISK;
    else if (IsRemovableDevice(Env, M->DeviceId))
        F.DriveType = DRIVE_REMOVABLE;
    else
        F.DriveType = DRIVE_FIXED;

    F.HasInfo = true;
    F.FileSystem = T;
    if (!M->Source.empty() && M->Source[0] == '/') {
        std::string Label = FindByLink(Env.DevDiskDir + "/by-label", M->Source);
        F.Label = UnescapeHex(Label);
        std::string Uuid = FindByLink(Env.DevDiskDir + "/by-uuid", M->Source);
        F.Serial = SerialFromUuid(Uuid);
    }
    if (F.Serial == 0 && !Env.AssumeExists) {
        struct statfs S;
        if (::statfs(Path.c_str(), &S) == 0) {
            int V[2];
            static_assert(sizeof V == sizeof S.f_fsid);
            std::memcpy(V, &S.f_fsid, sizeof V);
            F.Serial = static_cast<uint32_t>(V[0]) ^ static_cast<uint32_t>(V[1]);
        }
    }
    return F;
}
