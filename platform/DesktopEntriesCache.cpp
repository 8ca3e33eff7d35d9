#include "DesktopEntriesCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Bounds of a walk below an applications folder, which other programs fill.
constexpr int MaxDepth = 8;
constexpr size_t MaxEntries = 100000;

long long Nanoseconds(const struct timespec& T) {
    return static_cast<long long>(T.tv_sec) * 1000000000LL + T.tv_nsec;
}

bool EndsWithDesktop(const std::string& Name) {
    return Name.size() > 8 && Name.compare(Name.size() - 8, 8, ".desktop") == 0;
}

// Lists Folder and the folders below it into Ids, each folder with its stamp into Walked.
void Walk(const std::string& Folder, const std::string& Prefix, int Depth, TDesktopIds& Ids,
          std::vector<std::pair<std::string, TDesktopFileCache::TStamp>>& Walked) {
    Walked.emplace_back(Folder, TDesktopFileCache::StampOf(Folder));
    DIR* D = ::opendir(Folder.c_str());
    if (!D) return;
    std::vector<std::string> Below;
    while (const struct dirent* E = ::readdir(D)) {
        const std::string Name = E->d_name;
        if (Name.empty() || Name[0] == '.' || Ids.size() >= MaxEntries) continue;
        bool IsFolder = E->d_type == DT_DIR;
        if (E->d_type == DT_UNKNOWN) {
            // Links to folders are not followed: a link may lead anywhere, or round in a circle.
            struct stat St {};
            IsFolder = ::fstatat(::dirfd(D), E->d_name, &St, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(St.st_mode);
        }
        if (IsFolder)
            Below.push_back(Name);
        else if (EndsWithDesktop(Name))
            Ids.try_emplace(Prefix + Name, Folder + "/" + Name);
    }
    ::closedir(D);
    if (Depth >= MaxDepth) return;
    for (const std::string& Name : Below)
        Walk(Folder + "/" + Name, Prefix + Name + "-", Depth + 1, Ids, Walked);
}

} // namespace

TDesktopFileCache::TStamp TDesktopFileCache::StampOf(const std::string& Path) {
    TStamp S;
    struct stat St {};
    if (::stat(Path.c_str(), &St) != 0) return S;
    S.Exists = true;
    S.Dev = St.st_dev;
    S.Ino = St.st_ino;
    S.Size = St.st_size;
    S.MTime = Nanoseconds(St.st_mtim);
    S.CTime = Nanoseconds(St.st_ctim);
    return S;
}

std::shared_ptr<const TKeyFile> TDesktopFileCache::KeyFile(const std::string& Path) {
    const TStamp Now = StampOf(Path);
    {
        std::lock_guard<std::mutex> L(FLock);
        auto It = FFiles.find(Path);
        if (It != FFiles.end() && It->second.Stamp == Now) return It->second.Keys;
        if (It != FFiles.end()) FFiles.erase(It);
        if (!Now.Exists) return nullptr;
        ++FReads;
    }
    // Read without the lock; a file that changes meanwhile is read again next time, as its
    // stamp no longer matches the one kept.
    auto Keys = std::make_shared<TKeyFile>();
    if (!Keys->Load(Path)) return nullptr;
    std::lock_guard<std::mutex> L(FLock);
    FFiles[Path] = TFile{Now, Keys};
    return Keys;
}

std::shared_ptr<const TDesktopIds> TDesktopFileCache::DesktopIds(const std::string& Folder) {
    {
        std::lock_guard<std::mutex> L(FLock);
        auto It = FFolders.find(Folder);
        if (It != FFolders.end()) {
            bool Same = true;
            for (const auto& [Path, Stamp] : It->second.Walked)
                if (!(StampOf(Path) == Stamp)) {
                    Same = false;
                    break;
                }
            if (Same) return It->second.Ids;
        }
        ++FReads;
    }
    TFolder F;
    auto Ids = std::make_shared<TDesktopIds>();
    Walk(Folder, "", 0, *Ids, F.Walked);
    F.Ids = Ids;
    std::lock_guard<std::mutex> L(FLock);
    FFolders[Folder] = std::move(F);
    return Ids;
}

size_t TDesktopFileCache::Reads() const {
    std::lock_guard<std::mutex> L(FLock);
    return FReads;
}

TDesktopFileCache& DesktopCache() {
    static TDesktopFileCache Cache;
    return Cache;
}
