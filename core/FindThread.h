// TFindThread: searches the open catalog in the background for the items that match the find
// dialog's criteria: keywords attached to the item, words in its Comment, words in its Note and
// masks on its name, each as an include and an exclude list, combined with "all" (Mode 0) or
// "any" (Mode 1), in the whole catalog (Scope 0) or the current folder (Scope 1), with or without
// subfolders. The results are appended to the result list view when the search ends, also when
// it was cancelled, in batches of rows (one update bracket each) between which the UI thread
// goes on with its events. A cancel (Terminate) ends the search, never the filling: every row
// found reaches the view. Only Abandon, for a window that no longer wants the rows (it closes
// the catalog), ends the filling too.
//
// Lifecycle: the main window creates it (suspended), fills the eight lists (comma texts, words
// already upper-cased), Mode, Scope, Subfolders and OnTerminate, calls PrepareCriteria and
// Resume, and keeps it until it has ended; it stops a running search with Terminate and WaitFor
// and deletes the thread itself (nothing frees itself). The progress window (mode 1, no owner)
// lives as long as the thread; its Cancel terminates it.
//
// Threads: PrepareCriteria resolves keyword names, compiles masks and fixes the folder searched,
// on the UI thread (Execute does it in a call on the UI thread when the owner did not). The walk
// reads items on the worker while the main window is disabled (BeginFind to EndFind, the
// filling of the rows included); views and the progress window are touched only in calls on the
// UI thread. EndFind runs on every path.
// Priority lowest.
//
// A keyword name that the catalog does not hold is a keyword no item carries: as an include
// term it is never met, as an exclude term it removes nothing. An invalid mask matches nothing
// (the find action checks masks with IsValidMask first).
#pragma once

#include "platform/Masks.h"
#include "platform/StringList.h"
#include "platform/Thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TBasicItem;
class TBasicItems;
class TKeyWordItem;
class TListView;
class TProgressWindow;

class TFindThread : public TThread {
public:
    // ResultView receives the results (null: none, as without a window).
    explicit TFindThread(TListView* ResultView);
    ~TFindThread() override;

    TStringList KeyWordsIncluded, KeyWordsExcluded;
    TStringList NoteIncluded, NoteExcluded;
    TStringList CommentIncluded, CommentExcluded;
    TStringList MasksIncluded, MasksExcluded;
    uint8_t Mode = 0;        // 0 every criterion must hold, 1 any criterion suffices
    uint8_t Scope = 0;       // 0 the whole catalog, 1 the current folder
    bool Subfolders = false; // descend into the children of every examined item
    // Runs on the worker when the walk has ended, before the rows are filled (also after a
    // cancel): may put the results in another order, the order in which the view will show
    // them, so that each batch of rows goes in at the view's end. It reads items only.
    std::function<void(std::vector<TBasicItem*>& Results)> OnOrderResults;

    // UI thread, before Resume.
    void PrepareCriteria();
    // Terminates the search and drops the rows not yet in the view. Any thread.
    void Abandon();

    // The items found, in the order found (the items are not owned).
    const std::vector<TBasicItem*>& Results() const { return FResults; }
    // The position in Results of the item just added, -1 when the item examined last was not.
    int FoundIndex() const { return FFoundIndex; }
    // Appends Item unless it is there already (then FoundIndex keeps its value).
    void AddResult(TBasicItem* Item);
    void RemoveResult(TBasicItem* Item);
    TProgressWindow* Form() const { return FForm.get(); }

protected:
    void Execute() override;

private:
    // The set of results: open addressing on the item pointers, so that a search finding a
    // million items allocates no node per item.
    class TItemSet {
    public:
        bool Insert(const TBasicItem* Item); // false when it was there already
        bool Erase(const TBasicItem* Item);  // false when it was not there
        void Clear();

    private:
        size_t Home(const TBasicItem* Item) const;
        void Grow();
        std::vector<const TBasicItem*> FSlots; // null: free
        size_t FCount = 0;
        int FShift = 64;
    };

    void Search();
    void Examine(TBasicItem* X);
    // AddResult for an item the walk has just reached (never one found before).
    void AddFound(TBasicItem* Item);
    void ShowFound();
    void BeginFind();
    void FillResults();
    void EndFind();

    TListView* FResultView;
    std::unique_ptr<TProgressWindow> FForm;
    std::vector<TBasicItem*> FResults;
    TItemSet FResultSet;
    bool FSetBuilt = false; // FResultSet holds FResults (built on the first AddResult)
    int FFoundIndex = -1;

    // The prepared criteria.
    bool FPrepared = false;
    std::atomic<bool> FAbandoned{false};
    TBasicItems* FSearchRoot = nullptr;
    std::vector<TKeyWordItem*> FKeysIn, FKeysOut; // null for names the catalog does not hold
    std::vector<TMask> FMasksIn, FMasksOut;
    std::vector<std::string> FCommentIn, FCommentOut, FNoteIn, FNoteOut;

    // Walk state, reused from item to item.
    std::string FMatchName, FUpperComment, FUpperNote;
    TMask::TFoldedName FFolded;
    size_t FShownCount = 0;
    double FLastShown = 0;
};
