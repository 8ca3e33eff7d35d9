// Directory search: the find-first / find-next / find-close trio over opendir, readdir and
// statx, and the facts of one entry named literally. A folder may also be opened relative to an
// open parent folder (OpenFolderAt, FindFirstAt), so that walks reach paths of any length.
//
// Names are taken byte for byte as the kernel gives them; nothing is expanded, so a name holding
// '*', '?' or '[' is just a name. Nothing follows a symbolic link (a link is reported as itself,
// with the reparse-point attribute and never as a folder), and nothing is opened but the folder.
//
// File attributes, as the catalog stores them:
//   faReadOnly 1   no write bit is set            faHidden 2     the name begins with a dot
//   faSysFile 4    a device, FIFO or socket       faDirectory 16 a folder
//   faArchive 32   a regular file                 faReparsePoint 1024 a symbolic link
#pragma once

#include <cstdint>
#include <dirent.h>
#include <functional>
#include <string>
#include <sys/types.h>

enum : uint32_t {
    faReadOnly = 1,
    faHidden = 2,
    faSysFile = 4,
    faDirectory = 16,
    faArchive = 32,
    faReparsePoint = 1024,
};

struct TSearchRec {
    std::string Name;
    uint32_t Attr = 0;
    uint64_t Size = 0;
    int64_t MTimeSec = 0; // last write time (Unix seconds and nanoseconds)
    long MTimeNsec = 0;
    dev_t Device = 0; // the file system the entry lies on
    ino_t Inode = 0;
    uint64_t MountId = 0; // the mount the entry lies on (0 when the kernel does not tell)
    // False when the entry was listed but its facts could not be read (a folder that may be
    // listed but not searched): only Name and the folder bit of Attr are then known.
    bool HasFacts = true;
};

struct TSearchHandle {
    DIR* Dir = nullptr;
    int Error = 0; // errno of the last failure (0 at the end of a folder)
};

// Opens folder Dir (with or without a trailing '/') and reads its first entry other than "." and
// "..". False when the folder cannot be listed (H.Error tells why) or holds nothing.
bool FindFirst(const std::string& Dir, TSearchRec& Rec, TSearchHandle& H);
// The same for the folder open as FolderFd (which stays open and owned by the caller).
bool FindFirstAt(int FolderFd, TSearchRec& Rec, TSearchHandle& H);
// The next entry; false at the end or on an error (H.Error is then set).
bool FindNext(TSearchRec& Rec, TSearchHandle& H);
void FindClose(TSearchHandle& H);

// The facts of the entry at Path, which is taken literally (the entry itself, not what a link
// points to). False when there is nothing there.
bool FindEntry(const std::string& Path, TSearchRec& Rec);

// Opens the folder Name inside the open folder ParentFd (AT_FDCWD: Name is a path) without
// following a symbolic link; -1 with errno set when it cannot be opened. The facts of the folder
// opened go to Rec when it is given.
int OpenFolderAt(int ParentFd, const char* Name, TSearchRec* Rec = nullptr);

// The facts of the entry Name inside the open folder FolderFd. False when there is no such entry
// (errno ENOENT or ENOTDIR); an entry whose facts cannot be read is reported with HasFacts false.
bool FindEntryAt(int FolderFd, const std::string& Name, TSearchRec& Rec);

// Calls Each with every entry of the open folder FolderFd but "." and ".." and its facts (as
// FindNext gives them), in the order the system lists them, until Each returns false; the folder
// is read from its start. False when it cannot be read to its end (errno set). The descriptor is
// only read through, never closed, so another thread may open names inside it meanwhile.
bool ListFolderAt(int FolderFd, const std::function<bool(const TSearchRec&)>& Each);
// Whether the open folder FolderFd holds any entry but "." and "..": 1 yes, 0 no, -1 when it
// cannot be read.
int FolderHoldsEntriesAt(int FolderFd);

// Attributes of an entry from its name and stat mode.
uint32_t AttributesOf(const char* Name, mode_t Mode);
