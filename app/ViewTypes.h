// The small types the list view and the tree view of the program's windows share: the picture
// lists they draw from, the list styles, the sort types, a list column, the update bracket and
// the comparison of captions. UI thread only.
#pragma once

#include <QIcon>
#include <Qt>

#include <algorithm>
#include <string>

// A numbered list of pictures a view draws from.
class TIconSource {
public:
    virtual ~TIconSource() = default;
    // The picture at Index; a null icon for an index the list does not hold.
    virtual QIcon Icon(int Index) const = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TSortType { stNone, stText };

// A column of a list view. Its ID is its position in the view's column collection, which never
// changes; the user may drag it to another place on the screen.
struct TListColumn {
    std::string Caption;
    int Width = 50;
    int MinWidth = 0;
    Qt::Alignment Alignment = Qt::AlignLeft;
    int Tag = 0;
    int ImageIndex = -1; // picture of the header (from the view's header images)
};

// Holds an update bracket of a view (a list or a tree) for as long as it lives.
template <class TView>
class TUpdateBracket {
public:
    explicit TUpdateBracket(TView* View) : FView(View) { FView->BeginUpdate(); }
    ~TUpdateBracket() { FView->EndUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TView* FView;
};

// The case-insensitive comparison of captions that sorted views use.
int CompareCaptions(const std::string& A, const std::string& B);

// Where the entry at At of Items (pointers, sorted by Cmp but for that one entry) belongs: the
// position it goes before, counted before the move as Qt's beginMoveRows counts it, or At when
// it is in place. Cmp is a three-way comparison; entries that compare equal keep their order.
template <class TItems, class TCmp>
int SortedPlace(const TItems& Items, int At, TCmp Cmp) {
    const int N = static_cast<int>(Items.size());
    const auto* X = Items[At].get();
    const bool AfterPrev = At == 0 || Cmp(Items[At - 1].get(), X) <= 0;
    const bool BeforeNext = At == N - 1 || Cmp(X, Items[At + 1].get()) <= 0;
    if (AfterPrev && BeforeNext) return At;
    // The first position in [Lo, Hi) whose entry sorts after X.
    int Lo = AfterPrev ? At + 1 : 0, Hi = AfterPrev ? N : At;
    while (Lo < Hi) {
        const int Mid = (Lo + Hi) / 2;
        if (Cmp(Items[Mid].get(), X) > 0)
            Hi = Mid;
        else
            Lo = Mid + 1;
    }
    return Lo;
}

// Moves the entry at At of Items to Place, as SortedPlace gives it.
template <class TItems>
void MoveToPlace(TItems& Items, int At, int Place) {
    if (Place < At)
        std::rotate(Items.begin() + Place, Items.begin() + At, Items.begin() + At + 1);
    else
        std::rotate(Items.begin() + At, Items.begin() + At + 1, Items.begin() + Place);
}
