// The small types the list view and the tree view of the program's windows share: the picture
// lists they draw from, the list styles, the sort types, a list column, the update bracket and
// the comparison of captions. UI thread only.
#pragma once

#include <QIcon>
#include <Qt>

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
