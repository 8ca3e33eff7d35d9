// The list view and the tree view of the program's windows, on Qt's model/view classes.
//
// TCustomListView keeps its rows (TListViewItem) in one table model and shows them in one of four
// styles: large icons, small icons and list through a QListView, report (details, with a header
// whose columns the user may drag to another order) through a QTreeView. Both views share one
// selection model, so the selection and the focused row survive a change of style. Rows are plain
// objects of the model, never widgets, so a folder of a hundred thousand files costs one row
// object each and only the visible rows are drawn.
//
// TCustomTreeView is a QTreeView over a model of TTreeViewNode objects. Nodes and rows implement
// the core's view links (core/ViewLinks.h): each carries the catalog item it shows as Data, and
// the core renames, re-images and deletes them through these links.
//
// Update brackets (BeginUpdate/EndUpdate): inside them rows and nodes are added, deleted and
// sorted without telling the views one by one; the outermost EndUpdate tells them once (a model
// reset) and puts the selection, the focused row and the expanded nodes back. Deleting a row or
// node inside a bracket only marks it; it leaves the list at the next look at the rows or at the
// end of the bracket, so clearing a folder of many entries costs no quadratic time. Outside a
// bracket every change reaches the views at once.
//
// OnDeletion is told of every row (node) that leaves the view, with its data as it is then; a
// row deleted by the core (TListItem::Delete) has lost its data first, since its item is the
// one going away. Handlers use it to clear the item's link to the row.
//
// Ownership: the view owns its model, the model owns its rows and nodes. Image lists are
// plain links and must outlive the view. UI thread only.
#pragma once

#include "core/ViewLinks.h"

#include <QIcon>
#include <QListView>
#include <QTreeView>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QItemSelection;
class QItemSelectionModel;
class QMenu;
class QStackedWidget;
class TBasicItem;
class TCustomCatalogItem;
class TCustomListView;
class TCustomTreeView;
class TListViewModel;
class TTreeViewModel;

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

// ---- list view ---------------------------------------------------------------------------------

class TListViewItem final : public TListItem {
public:
    // TListItem
    void SetCaption(const std::string& Caption) override;
    void SetImageIndex(int Index) override;
    void Delete() override;
    TBasicItem* Data() const override { return FData; }
    void SetData(TBasicItem* Item) override { FData = Item; }
    void SetSubItems(const std::vector<std::string>& Texts) override;
    bool Selected() const override { return FSelected; }
    void SetSelected(bool Selected) override;

    // What a row stands for when that is no tree item (a keyword of the keyword pane).
    TCustomCatalogItem* Object() const { return FObject; }
    void SetObject(TCustomCatalogItem* Object) { FObject = Object; }

    const std::string& Caption() const { return FCaption; }
    int ImageIndex() const { return FImageIndex; }
    // The texts of the columns after the first; sub-item k shows under the column with ID k+1.
    const std::vector<std::string>& SubItems() const { return FSubItems; }
    void SetSubItem(int Index, const std::string& Text);
    void ClearSubItems();
    // Position in the list; -1 once the row has been deleted.
    int Index() const { return FIndex; }
    bool Focused() const;
    TCustomListView* ListView() const { return FView; }

private:
    friend class TCustomListView;
    friend class TListViewModel;
    explicit TListViewItem(TCustomListView* View) : FView(View) {}

    TCustomListView* FView;
    int FIndex = -1;
    int FImageIndex = -1;
    TBasicItem* FData = nullptr;
    TCustomCatalogItem* FObject = nullptr;
    std::string FCaption;
    std::vector<std::string> FSubItems;
    bool FSelected = false;
    bool FDeleted = false;
};

class TCustomListView : public QWidget, public TListView {
    Q_OBJECT

public:
    explicit TCustomListView(QWidget* Parent = nullptr);
    ~TCustomListView() override;

    // Columns (report style). Returns the new column's ID.
    int AddColumn(const std::string& Caption, int Width, Qt::Alignment Alignment = Qt::AlignLeft,
                  int MinWidth = 0);
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    const TListColumn& Column(int ID) const { return FColumns.at(static_cast<size_t>(ID)); }
    void SetColumnTag(int ID, int Tag) { FColumns.at(static_cast<size_t>(ID)).Tag = Tag; }
    int ColumnWidth(int ID) const;
    void SetColumnWidth(int ID, int Width);
    // Where the column shows on the screen (0 = leftmost) and moving it there.
    int ColumnPosition(int ID) const;
    void MoveColumn(int ID, int Position);
    void SetColumnImage(int ID, int ImageIndex);
    void SetHeaderDragDrop(bool Value);

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle Value);
    TSortType SortType() const { return FSortType; }
    void SetSortType(TSortType Value) { FSortType = Value; }
    void SetMultiSelect(bool Value);
    void SetSmallImages(const TIconSource* Images);
    void SetLargeImages(const TIconSource* Images);
    void SetHeaderImages(const TIconSource* Images);
    const TIconSource* HeaderImages() const { return FHeaderImages; }
    // The pop-up menu shown on a right click (not owned).
    void SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }

    // TListView
    int Count() const override;
    TListViewItem* Item(int Index) const override;
    int IndexOf(const TListItem* Row) const override;
    TListViewItem* Add() override;
    void BeginUpdate() override;
    void EndUpdate() override;
    int SelCount() const override { return FSelCount; }
    void SetSelected(TListItem* Row) override;

    bool Updating() const { return FUpdateCount > 0; }
    // Deletes every row (OnDeletion is told of each).
    void Clear();
    // Deletes one row of the view's own accord (OnDeletion is told).
    void DeleteItem(TListViewItem* Row);
    // The first selected row, and the next selected row after Row (null: none).
    TListViewItem* Selected() const;
    TListViewItem* GetNextSelected(const TListViewItem* Row) const;
    std::vector<TListViewItem*> SelectedItems() const;
    TListViewItem* ItemFocused() const;
    void SetItemFocused(TListViewItem* Row);
    void SelectAll();
    void ClearSelection();
    // Scrolls Row fully into view.
    void MakeVisible(TListViewItem* Row);
    // The row at a point of the active pane's viewport, null when none.
    TListViewItem* ItemAt(const QPoint& Point) const;

    // Sorts the rows with OnCompare (captions when unassigned), keeping the order of rows that
    // compare equal.
    void AlphaSort();
    int CompareItems(const TListViewItem* I1, const TListViewItem* I2) const;

    // In-place editing of a caption: OnEditing decides, OnEdited receives the text and may change
    // it, OnEditEnd follows every edit, whether it was taken or cancelled.
    bool IsEditing() const;
    bool EditCaption(TListViewItem* Row);
    // Ends a running edit, taking its text.
    void EndEditing();
    void Invalidate();

    QAbstractItemView* ActivePane() const;
    QListView* IconPane() const { return FIconPane; }
    QTreeView* ReportPane() const { return FReportPane; }
    QAbstractItemModel* Model() const;
    QModelIndex IndexOfItem(const TListViewItem* Row, int Column = 0) const;
    TListViewItem* ItemOfIndex(const QModelIndex& Index) const;

    std::function<void()> OnChange; // the selection changed
    std::function<void()> OnDblClick;
    // A key pressed in the view while no caption is edited; setting Key to 0 consumes it.
    std::function<void(int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(int ColumnID)> OnColumnClick;
    std::function<int(const TListViewItem* I1, const TListViewItem* I2)> OnCompare;
    std::function<void(TListViewItem* Row, bool& AllowEdit)> OnEditing;
    std::function<void(TListViewItem* Row, std::string& Text)> OnEdited;
    std::function<void()> OnEditEnd;
    std::function<void(TListViewItem* Row)> OnDeletion;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    // Drops of files from the desktop onto a pane; unhandled by default.
    virtual bool AcceptsFileDrops() const { return false; }
    virtual void FilesDropped(TListViewItem* Row, const std::vector<std::string>& FileNames) {
        (void)Row;
        (void)FileNames;
    }

private:
    friend class TListViewItem;
    friend class TListViewModel;
    template <class>
    friend class TListPane;

    void ApplyStyle();
    void ItemChanged(TListViewItem* Row, bool CaptionChanged, bool ImageOnly = false);
    void RemoveItem(TListViewItem* Row);
    void BeginStructureChange();
    void Compact() const;
    void Renumber(size_t From) const;
    void SelectionChanged(const QItemSelection& Selected, const QItemSelection& Deselected);
    void SetRowSelected(TListViewItem* Row, bool Value);
    void RestoreSelection();
    void RepositionItem(TListViewItem* Row);
    bool StartEdit(TListViewItem* Row);
    void CommitEdit(TListViewItem* Row, const QString& Text);
    void EditClosed();

    TListViewModel* FModel;
    QItemSelectionModel* FSelection;
    QStackedWidget* FStack;
    QListView* FIconPane;
    QTreeView* FReportPane;
    std::vector<TListColumn> FColumns;
    // The rows, in list order; mutable because looking at them settles pending deletions.
    mutable std::vector<std::unique_ptr<TListViewItem>> FRows;
    mutable bool FHasDeleted = false;
    int FSelCount = 0;
    int FUpdateCount = 0;
    bool FResetting = false;     // a model reset is open for the current bracket
    bool FNeedsSort = false;     // a caption changed inside a bracket
    bool FRestoring = false;     // putting the selection back: no OnChange
    bool FSelectionLost = false; // a selected row went inside the bracket
    bool FEditApproved = false;  // EditCaption asked OnEditing already
    TListViewItem* FFocusedRow = nullptr;
    TViewStyle FViewStyle = vsIcon;
    TSortType FSortType = stNone;
    const TIconSource* FSmallImages = nullptr;
    const TIconSource* FLargeImages = nullptr;
    const TIconSource* FHeaderImages = nullptr;
    QMenu* FPopupMenu = nullptr;
};

// ---- tree view ---------------------------------------------------------------------------------

class TTreeViewNode final : public TTreeNode {
public:
    ~TTreeViewNode() override;

    // TTreeNode
    void SetText(const std::string& Text) override;
    void SetImageIndex(int Index) override;
    void SetSelectedIndex(int Index) override;
    bool Deleting() const override { return FDeleted; }
    bool InTree() const override;
    void Delete() override;
    void BeginTreeUpdate() override;
    void EndTreeUpdate() override;
    void Expand(bool Recurse) override;
    TBasicItem* Data() const override { return FData; }
    int ChildCount() const override;
    TTreeViewNode* Child(int Index) const override;

    void SetData(TBasicItem* Item) { FData = Item; }
    const std::string& Text() const { return FText; }
    int ImageIndex() const { return FImageIndex; }
    int SelectedIndex() const { return FSelectedIndex; }
    // The parent node; null for a node at the top level.
    TTreeViewNode* Parent() const;
    int Index() const { return FIndex; }
    bool HasChildren() const { return ChildCount() > 0; }
    void DeleteChildren();
    bool Expanded() const { return FExpanded; }
    void Collapse();
    bool Selected() const;
    TCustomTreeView* TreeView() const { return FView; }

private:
    friend class TCustomTreeView;
    friend class TTreeViewModel;
    TTreeViewNode(TCustomTreeView* View, TTreeViewNode* Parent) : FView(View), FParent(Parent) {}

    TCustomTreeView* FView;
    TTreeViewNode* FParent; // the invisible root for top-level nodes
    mutable std::vector<std::unique_ptr<TTreeViewNode>> FChildren;
    std::string FText;
    TBasicItem* FData = nullptr;
    int FIndex = 0;
    int FImageIndex = -1;
    int FSelectedIndex = -1;
    bool FDeleted = false;
    bool FExpanded = false;
    mutable bool FHasDeleted = false; // some child is marked deleted
    bool FUnsorted = false;           // children were appended inside a bracket
};

class TCustomTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit TCustomTreeView(QWidget* Parent = nullptr);
    ~TCustomTreeView() override;

    // Adds a node under Parent (null: at the top level); in sorted trees at its sorted place.
    TTreeViewNode* AddChild(TTreeViewNode* Parent, const std::string& Text,
                            TBasicItem* Data = nullptr);
    int TopCount() const;
    TTreeViewNode* TopItem(int Index) const;
    // Every node, depth first (for tests and walks).
    int NodeCount() const;
    void Clear();
    // Deletes Node and everything below it of the view's own accord (OnDeletion is told).
    void DeleteNode(TTreeViewNode* Node);

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }
    TSortType SortType() const { return FSortType; }
    // Switching to stText sorts the whole tree.
    void SetSortType(TSortType Value);
    void AlphaSort();

    TTreeViewNode* Selected() const { return FSelectedNode; }
    // Selects Node (null: none) as a click would, with OnChanging and OnChange.
    void SetSelected(TTreeViewNode* Node);
    void SetImages(const TIconSource* Images) { FImages = Images; }
    void SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }

    bool IsEditing() const { return state() == EditingState; }
    bool EditText(TTreeViewNode* Node);
    void EndEditing();
    TTreeViewNode* NodeAt(const QPoint& Point) const;
    TTreeViewNode* NodeOfIndex(const QModelIndex& Index) const;
    QModelIndex IndexOfNode(const TTreeViewNode* Node) const;

    std::function<void(TTreeViewNode* Node, bool& AllowChange)> OnChanging;
    std::function<void(TTreeViewNode* Node)> OnChange;
    std::function<void(TTreeViewNode* Node, bool& AllowEdit)> OnEditing;
    std::function<void(TTreeViewNode* Node, std::string& Text)> OnEdited;
    std::function<void()> OnEditEnd;
    std::function<void(TTreeViewNode* Node)> OnDeletion;
    // The outermost update bracket begins (true) or ends (false).
    std::function<void(bool Begin)> OnUpdate;

protected:
    bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
    void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    virtual bool AcceptsFileDrops() const { return false; }
    virtual void FilesDropped(TTreeViewNode* Node, const std::vector<std::string>& FileNames) {
        (void)Node;
        (void)FileNames;
    }

private:
    friend class TTreeViewNode;
    friend class TTreeViewModel;

    void BeginStructureChange();
    void RemoveNode(TTreeViewNode* Node, bool ByCore);
    void TellDeletion(TTreeViewNode* Node);
    void Compact() const;
    void CompactChildren(TTreeViewNode* Parent) const;
    void SortChildren(TTreeViewNode* Parent, bool Recurse);
    void NodeTextChanged(TTreeViewNode* Node);
    void NodeImageChanged(TTreeViewNode* Node);
    void RestoreState();
    void RestoreExpanded(TTreeViewNode* Node);
    bool Alive(const TTreeViewNode* Node) const;
    void SelectSilently(TTreeViewNode* Node);
    void CommitEdit(TTreeViewNode* Node, const QString& Text);

    TTreeViewModel* FModel;
    std::unique_ptr<TTreeViewNode> FRoot; // invisible; its children are the top-level nodes
    TTreeViewNode* FSelectedNode = nullptr;
    const TIconSource* FImages = nullptr;
    QMenu* FPopupMenu = nullptr;
    TSortType FSortType = stNone;
    int FUpdateCount = 0;
    bool FResetting = false;
    bool FSilent = false; // selection changes made by the view itself: no events
    mutable bool FHasDeleted = false;
    bool FNeedsSort = false;
    bool FEditApproved = false; // EditText asked OnEditing already
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
