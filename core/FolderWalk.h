// TFolderWalk: reads the folders of a tree on several threads and hands them on, one at a time,
// in the order a sequential walk takes them: a folder, then each of its subfolders in name order
// with everything below it, before the next. So the thread that pulls them (a folder scan) sees
// exactly what a walk on one thread would see, and the catalog it builds comes out the same,
// item for item.
//
// The readers open each folder relative to its parent (openat), list it (getdents64), take the
// facts of every entry (statx relative to the folder), sort the entries by the bytes of their
// names, match them with the children the catalog holds of the folder, read the descriptions
// the options ask for, and decide which subfolders the walk enters: those whose facts are known,
// that lie on the walk's own file system (no other file system, no mount point, no bind mount)
// and whose contents may still nest in a catalog. They work on the folders the walk needs next
// first, and read ahead at most a bounded number of entries; when nobody has started the folder
// needed now, the thread that pulls reads it itself.
//
// Threads: made by the folder scan's thread, which alone calls Next. The readers read the
// children collections of the folders they list, which the UI thread changes only when it
// applies that folder's own batch, after the folder was handed on. The walk ends its readers
// when it is destroyed, and stops early once its owner thread is terminated.
#pragma once

#include "core/FileRecords.h"
#include "platform/FolderHandles.h"
#include "platform/Thread.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class TBasicItem;
class TBasicItems;
class TStackThread;

// The item a folder new to the catalog becomes: the UI thread sets it when it applies the
// folder's entry, and reads it when it applies the folder's own entries later.
struct TMadeFolder {
    TBasicItem* Item = nullptr;
};

// One disk entry of a folder, as the catalog takes it.
struct TWalkEntry {
    TFileInfo Info;
    int32_t ExistingIndex = -1; // position among the folder's children; -1 for a new entry
    bool IsFolder = false;
    bool HasFacts = true;       // false: listed, but its facts could not be read
    bool NotEntered = false;    // a folder the walk does not enter (other file system, no facts)
    PackedString Comment, Note; // its description (empty: none)
    std::shared_ptr<TMadeFolder> Made; // a folder new to the catalog that the walk enters
};

// Blocks of entries that the folders of a walk take and give back, on any thread: whichever
// reader read a folder, its entries go back to one stock once the UI thread has applied them,
// so the memory of a walk stays within what waits at once.
class TEntryBlocks {
public:
    static constexpr size_t Count = 8; // entries a block holds
    TEntryBlocks() = default;
    ~TEntryBlocks();
    TEntryBlocks(const TEntryBlocks&) = delete;
    TEntryBlocks& operator=(const TEntryBlocks&) = delete;
    // Room for Count entries (not made yet).
    TWalkEntry* Take();
    void Give(TWalkEntry* Block) noexcept;

private:
    TBusyMutex FLock;
    std::vector<TWalkEntry*> FFree;
};

// The entries of one folder, in blocks of a TEntryBlocks.
class TWalkEntries {
public:
    TWalkEntries() = default;
    explicit TWalkEntries(std::shared_ptr<TEntryBlocks> Blocks) : FBlocks(std::move(Blocks)) {}
    ~TWalkEntries() { clear(); }
    TWalkEntries(TWalkEntries&& O) noexcept { swap(O); }
    TWalkEntries& operator=(TWalkEntries&& O) noexcept {
        TWalkEntries(std::move(O)).swap(*this);
        return *this;
    }
    void swap(TWalkEntries& O) noexcept {
        FBlocks.swap(O.FBlocks);
        FParts.swap(O.FParts);
        std::swap(FSize, O.FSize);
    }

    size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    TWalkEntry& operator[](size_t I) {
        return FParts[I / TEntryBlocks::Count][I % TEntryBlocks::Count];
    }
    TWalkEntry& emplace_back();
    // Drops the entries from N on.
    void truncate(size_t N) noexcept;
    void clear() noexcept { truncate(0); }
    // Puts the entries in the order Less (a comparison of two entries) gives.
    template <typename TLess>
    void sort(TLess Less);

private:
    std::shared_ptr<TEntryBlocks> FBlocks;
    std::vector<TWalkEntry*> FParts;
    size_t FSize = 0;
};

template <typename TLess>
void TWalkEntries::sort(TLess Less) {
    // The order is found on positions, then the entries move along its cycles in place: a large
    // folder is never held twice.
    std::vector<uint32_t> From(FSize);
    for (uint32_t I = 0; I < FSize; ++I)
        From[I] = I;
    std::sort(From.begin(), From.end(),
              [this, &Less](uint32_t A, uint32_t B) { return Less((*this)[A], (*this)[B]); });
    for (uint32_t I = 0; I < FSize; ++I) {
        if (From[I] == I) continue;
        TWalkEntry Held = std::move((*this)[I]);
        uint32_t J = I;
        while (From[J] != I) {
            uint32_t Next = From[J];
            (*this)[J] = std::move((*this)[Next]);
            From[J] = J;
            J = Next;
        }
        (*this)[J] = std::move(Held);
        From[J] = J;
    }
}

// What the UI thread applies for one folder.
struct TFolderBatch {
    TBasicItems* Children = nullptr; // an existing collection, or
    std::shared_ptr<TMadeFolder>
        Made;                     // the folder made earlier in this run whose children these are
    bool Unlisted = false;        // the folder could not be listed: keep all of it
    std::vector<int32_t> Missing; // existing children not found on disk
    std::vector<int32_t> Keep;    // existing children that are not disk entries
    TWalkEntries Entries;         // in byte order of their names
    bool Complete = false;        // listed and read to the end (not cut short by a cancel)
};

// One folder as the walk hands it on.
struct TWalkFolder {
    std::shared_ptr<TFolderBatch> Batch;
    std::shared_ptr<const std::string> Path; // ending with '/'; empty when too long to use
    TFolderHandles::TRef Node;               // null when the folder could not be opened
    int64_t TooDeep = 0; // subfolders not entered because their contents would nest too deep
    bool Absent = false; // the walk's root was empty though the catalog held entries of it
    // Existing children found gone, with their names (complete listings only).
    std::vector<std::pair<TBasicItem*, std::string>> Gone;
};

// The path of the entry Name (followed by Tail) in the folder Dir; empty when Dir is (its path
// is too long) or the path would reach PATH_MAX: the system refuses such paths, so nothing is
// read through them, and a deep walk builds no path whose length grows with its depth.
std::string PathIn(const std::string& Dir, std::string_view Name, std::string_view Tail = {});

class TFolderWalk {
public:
    struct TSettings {
        bool ListAll = true;      // every entry on disk (roAdd); else only those the catalog holds
        bool NoteGone = false;    // hand on the existing children found gone (roDelete)
        bool KeepIfEmpty = false; // an empty root whose catalog holds entries is an absent disk
        dev_t Device = 0;         // the walk's file system and mount
        uint64_t Mount = 0;
        TThreadPriority Priority = tpNormal; // of the readers
    };

    // Starts reading the tree of Root (open in Handles, path Dir or empty when too long), whose
    // children the catalog holds in Children (null: none), at nesting level Level. Owner is the
    // thread that pulls; its termination stops the walk.
    TFolderWalk(TFolderHandles& Handles, const TThread& Owner, const TSettings& Settings,
                TFolderHandles::TRef Root, std::string Dir, TBasicItems* Children, int Level);
    ~TFolderWalk();
    TFolderWalk(const TFolderWalk&) = delete;
    TFolderWalk& operator=(const TFolderWalk&) = delete;

    // The next folder in walk order; null at the end, or once the owner is terminated. Throws
    // what stopped a reader, which ends the walk as any failure of the thread that pulls does.
    std::unique_ptr<TWalkFolder> Next();

private:
    struct TJob;
    struct TScratch;
    void ReaderLoop();
    // Under FLock: J is started (it leaves the folders not started), J is read.
    void Claim(TJob& J);
    void Finish(TJob& J);
    // Lists the folder of J and decides what is entered below it.
    void Read(TJob& J, TScratch& S);
    void ReadEntries(TJob& J, TWalkFolder& F, int Fd, TScratch& S);
    bool OnWalkFileSystem(const TSearchRec& R) const;

    TFolderHandles& FHandles;
    const TThread& FOwner;
    TSettings FSettings;
    TBusyMutex FLock;
    std::condition_variable_any FWork;  // readers wait here for folders to read
    std::condition_variable_any FReady; // the thread that pulls waits here for the next folder
    TJob* FHead = nullptr;              // the folders known and not yet handed on, in walk order
    TJob* FPendingHead = nullptr;       // the folders known and not started, in walk order
    TJob* FPendingTail = nullptr;
    size_t FAhead = 0;     // entries read and not yet handed on
    int FIdle = 0;         // readers waiting for a folder to read
    bool FPulling = false; // the thread that pulls waits for the next folder
    bool FStop = false;
    // What stopped a reader (memory that ran out): the walk ends with it at the next Next.
    std::exception_ptr FFailure;
    std::vector<std::unique_ptr<TStackThread>> FReaders;
    std::unique_ptr<TScratch> FPullScratch; // of the thread that pulls
    std::shared_ptr<TEntryBlocks> FBlocks;
};
