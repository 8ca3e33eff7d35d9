// The files and folders that the lookup of the desktop's applications reads (desktop entries,
// mimeapps.list and mimeinfo.cache files, the applications folders), each read once and read
// again only when it has changed: a file is known by its device, inode, size and the times of
// its last change of contents and of status, a folder by the same of itself and of every folder
// below it. A right-click then costs a few stat calls, however large the association files are.
//
// One cache serves the process (DesktopCache()); it is safe on any thread, and what it hands
// out is shared and never changed.
#pragma once

#include "DesktopEntries.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

// Desktop file IDs of the entries below an applications folder ("kde4/x.desktop" is
// "kde4-x.desktop"), with their paths; an entry directly in a folder comes before one of the
// same ID in a folder below it.
using TDesktopIds = std::map<std::string, std::string>;

class TDesktopFileCache {
public:
    // The key file at Path, or null when it is missing, unreadable or too large.
    std::shared_ptr<const TKeyFile> KeyFile(const std::string& Path);
    // The desktop entries below the applications folder Folder (none when it is missing).
    std::shared_ptr<const TDesktopIds> DesktopIds(const std::string& Folder);
    // How many files and folders were read from disk so far.
    size_t Reads() const;

    // What a file or folder was when it was read; Exists is false for one that was not there.
    struct TStamp {
        bool Exists = false;
        dev_t Dev = 0;
        ino_t Ino = 0;
        off_t Size = 0;
        long long MTime = 0, CTime = 0; // nanoseconds
        bool operator==(const TStamp&) const = default;
    };
    static TStamp StampOf(const std::string& Path);

private:
    struct TFile {
        TStamp Stamp;
        std::shared_ptr<const TKeyFile> Keys;
    };
    struct TFolder {
        std::vector<std::pair<std::string, TStamp>> Walked; // every folder listed
        std::shared_ptr<const TDesktopIds> Ids;
    };

    mutable std::mutex FLock;
    std::map<std::string, TFile> FFiles;
    std::map<std::string, TFolder> FFolders;
    size_t FReads = 0;
};

TDesktopFileCache& DesktopCache();
