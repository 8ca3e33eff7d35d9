// The helpers of one load: large folder records are read on helper threads while the thread
// that reads the file goes on past them.
//
// Every record holds its size, so the reading thread can take the bytes of a folder's record
// (after its name and comment, which it reads itself) and hand them to a helper instead of
// reading them. The helper reads the rest of the folder, everything below it included, into the
// item that the reading thread made and placed in its collection. The file is thus cut into
// parts in file order: stretches read on the reading thread and records read by helpers. Each
// part records the links of its items (core/LoadLinks.h); the reading thread makes them part by
// part in file order as soon as every earlier part is done, so the catalog comes out exactly as
// a reading from start to end would give it.
//
// Bounds: only records of a middle size are handed off (a larger one is entered and its own
// children are offered; a smaller one is read at once), and the bytes handed off and not yet read
// are capped, so neither the body nor a large share of it is ever held; beyond the cap the
// reading thread reads the record itself. A helper reads only the bytes it was given: a record
// that claims more than it holds fails there, as it fails when read in place. Nesting goes on
// counting from the level of the record, under the same cap, on the same fresh stacks.
//
// Failures: a helper catches what its part raises and keeps it with the part; the reading thread
// raises EReadError when it comes to a failed part (or, sooner, when any part has failed: the
// load fails either way). Only records whose bytes are all there (inflated whole, CanRead) are
// handed off, and a record read in place reads nothing beyond its end: a part fails, or not, as
// it would in place. Every path ends with the helpers stopped and joined: Finish on success,
// Stop on failure (Complete: the parts handed off are read to their end first, so the caller
// learns the first failure in file order, which is what a reading from start to end meets), the
// destructor in any case.
//
// Threads: the object belongs to the thread that reads the file (the UI thread); helpers reach
// only their parts and the queue, under the object's lock. While it lives, the reading thread's
// TLoadThread points at it.
#pragma once

#include "core/LoadLinks.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

class TBasicItem;
class TReader;
class TStackThread;
class TTypeItems;
class TLoadWorkers;

// What the calling thread does with the items it reads, while it reads a part of a load.
struct TLoadThread {
    TLoadLinks* Links = nullptr;               // where their links go; null: made at once
    TLoadWorkers* Workers = nullptr;           // the reading thread: where large records may go
    const std::atomic<bool>* Cancel = nullptr; // set: stop reading
    bool Quiet = false;                        // items made here leave CatalogModified alone

    static TLoadThread* Current();
    // Makes T (may be null) the calling thread's; returns the previous one.
    static TLoadThread* Install(TLoadThread* T);
};

class TLoadWorkers {
public:
    // Types: the table the links go to. Installs the reading thread's TLoadThread.
    explicit TLoadWorkers(TTypeItems& Types);
    ~TLoadWorkers();
    TLoadWorkers(const TLoadWorkers&) = delete;
    TLoadWorkers& operator=(const TLoadWorkers&) = delete;

    // Reading thread: Item's record ends at End, and Reader stands after its name and comment.
    // Takes the rest of the record for a helper (Reader then stands at End) and returns true, or
    // returns false and leaves everything as it was.
    bool Offer(TReader& Reader, TBasicItem* Item, int64_t End);
    // Reading thread: makes the links of the parts done, in file order. Raises EReadError when a
    // part failed.
    void Pump();
    // Reading thread, at the end of the body: reads what no helper has begun, waits for the
    // rest, makes every link and stops the helpers. Raises EReadError when a part failed.
    void Finish();
    // Reading thread, after its own failure: stops the helpers (Complete: after they have read
    // every part handed off) and returns the failure of the first part in file order that
    // failed, or null. Makes no links.
    std::exception_ptr Stop(bool Complete);

    // Parts handed to helpers so far (for tests and benchmarks).
    int PartsHandedOff() const { return FHandedOff; }
    // The sizes of records handed off: at least Min and at most Max bytes (for tests, which make
    // small catalogs take the same roads as large ones; 0, 0 restores the defaults). UI thread.
    static void SetPartBytes(size_t Min, size_t Max);

private:
    struct TPart;
    enum TState { psWaiting, psRunning, psDone, psFailed };
    void StartHelpers();
    void HelperLoop();
    // Reads a part handed off on the calling thread (a helper's, or the reading thread's).
    void Read(TPart& P, TLoadCache& Cache, TLoadThread& T);
    // Takes the next part no helper has begun, or null.
    TPart* TakeWaiting();
    void Done(TPart& P, std::exception_ptr Error);
    TPart* NewStretch();

    TTypeItems& FTypes;
    TLoadCache FCache; // the reading thread's
    TLoadThread FThread;
    TLoadThread* FPrevious;
    std::deque<std::unique_ptr<TPart>> FParts; // in file order; the last is being read here
    std::vector<std::unique_ptr<TStackThread>> FHelpers;
    bool FHelpersTried = false;
    int FHandedOff = 0;

    std::mutex FM;
    std::condition_variable FWork; // helpers: a part waits, or stop
    std::condition_variable FDone; // reading thread: a part ended
    std::deque<TPart*> FWaiting;
    size_t FInFlight = 0; // bytes handed off and not yet read
    int FRunning = 0;
    bool FStopping = false;
    std::atomic<bool> FCancel{false};
    std::atomic<bool> FFailed{false};
};
