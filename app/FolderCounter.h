// TFolderCounter: counts the folders, files and bytes below a set of folders for the status
// line, as CountItems does, without holding the window up: the first slice runs at once (a
// folder of some ten thousand items is counted before Start returns), the rest in slices the
// event loop breathes between, so that a catalog of millions shows and answers while it is
// counted.
//
// Between slices the counter keeps pointers into the catalog's tree. The window therefore
// starts it anew after every change of the catalog and stops it before the catalog is emptied;
// changes made behind the window's back (a scan or a search) run while the window is disabled,
// and a slice walks nothing then (MayWalk): the count ends unfinished and the window starts it
// again when it is enabled.
//
// Owned by the main window (a Qt child). UI thread only.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class TBasicItems;

class TFolderCounter : public QObject {
public:
    // What a count found below its folders.
    struct TTotals {
        int64_t Folders = 0;
        int64_t Files = 0;
        uint64_t Size = 0;
    };
    using TDone = std::function<void(const TTotals& Totals)>;

    explicit TFolderCounter(QObject* Parent);

    // Counts below each collection of Folders anew (a count under way is dropped); Done is told
    // the totals once, from inside Start when the first slice gets to the end.
    void Start(std::vector<const TBasicItems*> Folders, TDone Done);
    // Drops a count under way: Done is not told.
    void Stop();
    bool Counting() const { return !FStack.empty(); }
    // Asked before every slice; false ends the count unfinished.
    std::function<bool()> MayWalk;

private:
    void Slice(int Milliseconds);

    std::vector<std::pair<const TBasicItems*, int>> FStack; // each collection and its next index
    TTotals FTotals;
    TDone FDone;
    QTimer FNext;
};
