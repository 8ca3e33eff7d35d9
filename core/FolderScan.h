// TFolderScanThread: reads a part of the catalog tree against the disk in the background.
//
//   Mode 0, first scan: a newly added scanned folder gets one item per file and folder below its
//     root path, with file records and descriptions; its properties dialog opens at the end.
//   Mode 1, synchronise: any item (scanned folder, folder or file inside one, located file,
//     virtual folder, the root) is refreshed against the disk: new entries are added (roAdd),
//     vanished ones dropped (roDelete), and the right volume is asked for first (roCheck).
//
// The worker walks the disk (its folders are read on several threads by a TFolderWalk, which
// hands them on in the order of a sequential walk), reads description files and file headers,
// and decides. Every change of the catalog, the views, the progress window and the main window
// happens on the UI thread, in batches handed to it in walk order: the entries of one or more
// folders at a time. The walk does not wait for the UI thread to apply a batch, unless more than
// a bounded number of entries wait for it; the checks of the volume and the end of the run are
// synchronous calls, which the UI thread serves after every batch handed to it before. Disk
// entries are matched with catalog items by the exact bytes of their names (Linux names are
// case-sensitive). The walk follows no symbolic link, opens nothing but folders and regular
// files, and stays on the file system of the folder it started from (a mount point below it is
// recorded, not entered).
//
// Ownership: created suspended on the UI thread (it enters ScanThreads), started by its creator,
// frees itself when it ends. Closing a catalog stops it with Abandon() (then no properties dialog
// opens); the Cancel button of its progress window terminates it (the dialog of a first scan
// still opens). A cancelled run deletes nothing. Freeing items stops first every scan that may
// touch them (StopScansWithin), so a catalog may be cleared or destroyed while scans run.
//
// What a run keeps whatever the disk shows: an entry is deleted only when it was found gone and
// is still gone when looked for once more at the end; a scanned folder whose root is now empty or
// lies on another file system than its volume record (an unplugged disk's mount point) is taken
// for an absent disk when the volume is not checked; folders whose contents would nest deeper
// than a catalog file holds are recorded but not entered. The user is told of the last two at
// the end of the run.
#pragma once

#include "core/FileRecords.h"
#include "core/ProgressWindow.h"
#include "platform/FolderHandles.h"
#include "platform/Thread.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TBasicItem;
class TBasicItems;
class TFileItem;
struct TFolderBatch;
class TTypeItems;

class TFolderScanThread : public TThread {
public:
    // On the UI thread. Mode 0 first scan, 1 synchronise.
    TFolderScanThread(TBasicItem* Item, uint8_t Mode);
    ~TFolderScanThread() override;

    // Stops the scan because its catalog or folder goes away: terminates it and marks it so
    // that no properties dialog opens at its end.
    void Abandon();

    TBasicItem* Item() const { return FItem; }
    uint8_t Mode() const { return FMode; }
    TProgressWindow* Form() const { return FForm.get(); }
    bool AddsEntries() const { return FRoAdd; }

    // Figures of the run, for tests and benchmarks (read after the end).
    struct TStats {
        int64_t Added = 0, Refreshed = 0, Deleted = 0, Folders = 0, Batches = 0, Failed = 0;
        int64_t TooDeep = 0; // folders not entered because their contents would nest too deep
    };
    const TStats& Stats() const { return FStats; }
    // Called on the UI thread when the run has ended, with its figures.
    std::function<void(const TStats&)> OnStats;

protected:
    void Execute() override;

private:
    void ScanItem(TBasicItem* X);
    void RescanItem(TFileItem* X);
    // Walks the tree below RootPath, whose existing children are Children (at nesting level
    // Level), and queues a batch per folder in walk order. Volume is the record of a scanned
    // folder's root when the walk starts there.
    void Walk(const std::string& RootPath, TBasicItems* Children, int Level,
              const TVolumeInfo* Volume);
    // A folder that could not be listed or entered keeps everything the catalog holds of it.
    void KeepUnlisted(TBasicItems* Children);
    // Adds a step for the UI thread; hands the steps on once they weigh enough or have waited.
    void Queue(std::function<void()> Op, size_t Weight);
    // Hands the steps waiting here to the UI thread, then waits while more than MaxQueued
    // entries wait there.
    void Flush();
    // Waits until at most Most entries wait for the UI thread (or the run is terminated).
    void WaitForQueue(size_t Most);
    // The folder being read, for the progress window's label (Dir is empty for a folder whose
    // path is too long to be used).
    void SetCurrentPath(const std::string& Dir, const TFolderHandles::TRef& Node);
    // Looks once more for every entry found gone; those there again are kept. RecheckWalk does it
    // for the entries found gone in the folders of a walk, before its handles go.
    void RecheckGone();
    void RecheckWalk(TFolderHandles& Handles);
    void ApplyFolder(TFolderBatch& B);
    void Finalize();
    // Clears the marks below Top (whose owner had the marks TopFlags) and deletes the disk items
    // the walk found gone, where MayDelete and the folder's own marks allow it.
    void PruneItems(TBasicItems* Top, uint8_t TopFlags, bool MayDelete);
    void NotifyViews();

    TBasicItem* FItem;
    uint8_t FMode;
    std::unique_ptr<TProgressWindow> FForm;
    TTypeItems* FTypes = nullptr;
    bool FRoAdd, FRoDelete, FRoCheck;
    bool FMarks = true; // the items below carry scan marks (not in a first scan of an empty folder)
    std::atomic<bool> FAbandoned{false};
    std::string FCurrentPath, FShownPath;
    double FLastLongLabel = 0;

    // Steps not yet handed to the UI thread, in walk order, and the entries handed to it that it
    // has not applied yet.
    std::vector<std::function<void()>> FPending;
    size_t FPendingWeight = 0;
    double FLastFlush = 0;
    std::mutex FQueueLock;
    std::condition_variable FApplied;
    size_t FQueued = 0;
    // Entries found gone: deleted only when they are still gone at the end. Those of a run's
    // walks are named in the folder that held them, the others by their whole path.
    struct TGoneEntry {
        TBasicItem* Item;
        TFolderHandles::TRef Folder;
        std::string Name;
    };
    std::vector<TGoneEntry> FGoneInWalk;
    std::vector<std::pair<TBasicItem*, std::string>> FGone;
    // What the user is told at the end of the run.
    std::vector<std::string> FNotes;
    TStats FStats;
};

// Stops every scan whose walk starts at Item or below it, serving their calls meanwhile, so that
// nothing a scan may touch is freed under it (a stopped scan opens no properties dialog). UI
// thread.
void StopScansWithin(const TBasicItem* Item);
