// The list and tree views on their own: rows and nodes as view links, update brackets, the
// shared selection of the styles, sorting by columns with the header marks, in-place editing
// and file drops.
#include "app/ImageLists.h"
#include "app/ListPanes.h"
#include "app/SListView.h"
#include "core/TreeItems.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> Captions(const TCustomListView& L) {
    std::vector<std::string> R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(L.Item(I)->Caption());
    return R;
}

TListViewItem* AddRow(TCustomListView& L, const std::string& Caption,
                      std::vector<std::string> Sub = {}) {
    TListViewItem* R = L.Add();
    R->SetCaption(Caption);
    if (!Sub.empty()) R->SetSubItems(Sub);
    return R;
}

// A sorted list with the program's three text columns.
struct SortedList {
    SortedList() {
        L.AddColumn("Name", 100);
        L.AddColumn("Size", 60);
        L.AddColumn("Type", 80);
        L.SetAscImgIndex(7);
        L.SetDescImgIndex(8);
    }
    TSortedListView L;
};

QString HeaderText(TCustomListView& L, int Column) {
    return L.Model()->headerData(Column, Qt::Horizontal, Qt::DisplayRole).toString();
}

} // namespace

// ---- rows, brackets and selection --------------------------------------------------------------

TEST(ListView, RowsReachTheModelAndTheViewsShareOneSelection) {
    TCustomListView L;
    L.AddColumn("Name", 100);
    L.AddColumn("Size", 60);
    L.SetMultiSelect(true);
    L.SetViewStyle(vsReport);
    AddRow(L, "a", {"1KB"});
    TListViewItem* B = AddRow(L, "b", {"2KB"});
    AddRow(L, "c");
    EXPECT_EQ(L.Model()->rowCount({}), 3);
    EXPECT_EQ(L.Model()->data(L.Model()->index(1, 1), Qt::DisplayRole).toString(), "2KB");
    EXPECT_EQ(L.Model()->data(L.Model()->index(2, 1), Qt::DisplayRole).toString(), "");

    B->SetSelected(true);
    EXPECT_EQ(L.SelCount(), 1);
    EXPECT_TRUE(L.ReportPane()->selectionModel()->isRowSelected(1, {}));
    // Another style shows the same selection: both panes have one selection model.
    L.SetViewStyle(vsIcon);
    EXPECT_EQ(L.ActivePane(), static_cast<QAbstractItemView*>(L.IconPane()));
    EXPECT_EQ(L.IconPane()->selectionModel(), L.ReportPane()->selectionModel());
    EXPECT_TRUE(L.IconPane()->selectionModel()->isSelected(L.IndexOfItem(B)));
    EXPECT_EQ(L.Selected(), B);

    L.SelectAll();
    EXPECT_EQ(L.SelCount(), 3);
    L.SetSelected(B);
    EXPECT_EQ(L.SelCount(), 1);
    EXPECT_EQ(L.ItemFocused(), B);
    L.SetSelected(nullptr);
    EXPECT_EQ(L.SelCount(), 0);
}

TEST(ListView, DeletingManyRowsInsideABracketKeepsTheOthersAndTheirSelection) {
    TCustomListView L;
    L.AddColumn("Name", 100);
    L.SetMultiSelect(true);
    std::vector<TListViewItem*> Rows;
    for (int I = 0; I < 1000; ++I)
        Rows.push_back(AddRow(L, "r" + std::to_string(I)));
    Rows[1]->SetSelected(true);
    Rows[999]->SetSelected(true);
    Rows[500]->SetSelected(true);
    L.SetItemFocused(Rows[999]);
    std::vector<std::string> Told;
    L.OnDeletion = [&](TListViewItem* R) { Told.push_back(R->Caption()); };
    int Changes = 0;
    L.OnChange = [&] { ++Changes; };

    L.BeginUpdate();
    for (int I = 0; I < 1000; I += 2)
        Rows[static_cast<size_t>(I)]->Delete();
    Rows[500] = nullptr;
    // Looking at the rows inside the bracket already sees them gone.
    EXPECT_EQ(L.Count(), 500);
    EXPECT_EQ(L.Item(0)->Caption(), "r1");
    L.EndUpdate();

    EXPECT_EQ(Told.size(), 500u);
    EXPECT_EQ(L.Model()->rowCount({}), 500);
    EXPECT_EQ(L.SelCount(), 2);
    EXPECT_TRUE(Rows[1]->Selected());
    EXPECT_TRUE(Rows[999]->Selected());
    EXPECT_EQ(Rows[999]->Index(), 499);
    EXPECT_EQ(L.ItemFocused(), Rows[999]);
    EXPECT_TRUE(L.ReportPane()->selectionModel()->isRowSelected(499, {}));
    EXPECT_GE(Changes, 1); // a selected row went away
}

TEST(ListView, ARowDeletedByItsItemHasLostItsDataWhenTheViewIsTold) {
    TCustomListView L;
    L.AddColumn("Name", 100);
    TBasicFolder Item(nullptr);
    TListViewItem* R = AddRow(L, "x");
    R->SetData(&Item);
    TBasicItem* Seen = &Item;
    L.OnDeletion = [&](TListViewItem* Row) { Seen = Row->Data(); };
    R->Delete();
    EXPECT_EQ(Seen, nullptr);
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.IndexOf(R), -1); // compared only, never followed
}

TEST(ListView, ClearTellsEveryRowAndEmptiesTheSelection) {
    TCustomListView L;
    L.AddColumn("Name", 100);
    L.SetMultiSelect(true);
    for (int I = 0; I < 5; ++I)
        AddRow(L, std::to_string(I))->SetSelected(true);
    int Told = 0;
    L.OnDeletion = [&](TListViewItem*) { ++Told; };
    L.Clear();
    EXPECT_EQ(Told, 5);
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.SelCount(), 0);
    EXPECT_EQ(L.Selected(), nullptr);
}

// ---- sorting -----------------------------------------------------------------------------------

TEST(SortedListView, SortsByCaptionsUntilAHeaderIsClickedAndTogglesOnlyTheSortedColumn) {
    SortedList S;
    AddRow(S.L, "b", {"2", "z"});
    AddRow(S.L, "C", {"1", "y"});
    AddRow(S.L, "a", {"3", "x"});
    EXPECT_EQ(S.L.SortedColumn(), -1);
    S.L.AlphaSort();
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"a", "b", "C"}));

    // Never sorted: the first click on the first column stays ascending.
    S.L.ColumnClickHandler(0);
    EXPECT_TRUE(S.L.Ascending());
    EXPECT_EQ(S.L.Column(0).ImageIndex, 7);
    S.L.ColumnClickHandler(0);
    EXPECT_FALSE(S.L.Ascending());
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"C", "b", "a"}));
    EXPECT_EQ(S.L.Column(0).ImageIndex, 8);

    // Ascending by Name, a click on Size sorts by Size ascending; again: descending; a click on
    // Type then sorts by Type, still descending.
    S.L.SortByColumn(0, true);
    S.L.ColumnClickHandler(1);
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"C", "b", "a"}));
    EXPECT_EQ(S.L.Column(0).ImageIndex, -1);
    EXPECT_EQ(S.L.Column(1).ImageIndex, 7);
    S.L.ColumnClickHandler(1);
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"a", "b", "C"}));
    S.L.ColumnClickHandler(2);
    EXPECT_FALSE(S.L.Ascending());
    EXPECT_EQ(S.L.SortedColumn(), 2);
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"b", "C", "a"}));
    EXPECT_EQ(S.L.Column(1).ImageIndex, -1);
    EXPECT_EQ(S.L.Column(2).ImageIndex, 8);
    // The mark is the header's picture from the view's header images.
    TIconList Images;
    for (int I = 0; I < 9; ++I)
        Images.Add(QIcon(QStringLiteral(":/window/16/sort-descending.png")));
    S.L.SetHeaderImages(&Images);
    EXPECT_FALSE(
        qvariant_cast<QIcon>(S.L.Model()->headerData(2, Qt::Horizontal, Qt::DecorationRole))
            .isNull());
    EXPECT_FALSE(S.L.Model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());
    // The header is clickable and shows no sort indicator of its own.
    EXPECT_TRUE(S.L.ReportPane()->header()->sectionsClickable());
    EXPECT_FALSE(S.L.ReportPane()->header()->isSortIndicatorShown());
    EXPECT_EQ(HeaderText(S.L, 2), "Type");
}

TEST(SortedListView, RowsAddedInBracketsGoToTheirPlacesAsTheViewsAreTold) {
    SortedList S;
    S.L.SetMultiSelect(true);
    S.L.show();
    QAbstractItemModel* M = S.L.Model();
    int Inserted = 0, Resets = 0;
    QObject::connect(
        M, &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex&, int First, int Last) { Inserted += Last - First + 1; });
    QObject::connect(M, &QAbstractItemModel::modelReset, [&] { ++Resets; });
    // The views and the rows agree at every position.
    auto Consistent = [&] {
        ASSERT_EQ(M->rowCount(), S.L.Count());
        for (int I = 0; I < S.L.Count(); ++I) {
            ASSERT_EQ(S.L.ItemOfIndex(M->index(I, 0)), S.L.Item(I));
            ASSERT_EQ(S.L.Item(I)->Index(), I);
        }
    };
    // Batches of names in a shuffled order, some repeated; the list takes them in sorted order,
    // rows of equal names in the order they came, and keeps the row selected and focused.
    std::vector<std::pair<std::string, int>> All;
    unsigned Seed = 7;
    for (int Batch = 0; Batch < 12; ++Batch) {
        S.L.BeginUpdate();
        for (int I = 0; I < 40; ++I) {
            Seed = Seed * 1103515245u + 12345u;
            const std::string Name = "n" + std::to_string((Seed >> 8) % 200);
            AddRow(S.L, Name, {std::to_string(All.size())});
            All.emplace_back(Name, static_cast<int>(All.size()));
        }
        S.L.EndUpdate();
        if (Batch == 0) {
            S.L.Item(5)->SetSelected(true);
            S.L.SetItemFocused(S.L.Item(5));
        }
        Consistent();
    }
    EXPECT_EQ(Resets, 0);
    EXPECT_EQ(Inserted, 480);
    std::stable_sort(All.begin(), All.end(), [](const auto& A, const auto& B) {
        return CompareCaptions(A.first, B.first) < 0;
    });
    for (int I = 0; I < S.L.Count(); ++I) {
        ASSERT_EQ(S.L.Item(I)->Caption(), All[static_cast<size_t>(I)].first);
        ASSERT_EQ(S.L.Item(I)->SubItems()[0], std::to_string(All[static_cast<size_t>(I)].second));
    }
    ASSERT_EQ(S.L.SelCount(), 1);
    EXPECT_EQ(S.L.Selected(), S.L.ItemFocused());
    EXPECT_EQ(S.L.ReportPane()->selectionModel()->selectedRows().value(0).row(),
              S.L.Selected()->Index());

    // Selecting a row that waits inside a bracket shows it with the others at once.
    S.L.BeginUpdate();
    TListViewItem* Early = AddRow(S.L, "a0");
    Early->SetSelected(true);
    S.L.EndUpdate();
    EXPECT_EQ(Resets, 1);
    EXPECT_EQ(S.L.Item(0), Early);
    EXPECT_EQ(S.L.SelCount(), 2);
    Consistent();
}

TEST(SortedListView, RowsWithFewerTextsThanTheColumnCompareByCaption) {
    SortedList S;
    AddRow(S.L, "b", {"9", "b-type"});
    AddRow(S.L, "d"); // no sub-items: compares by caption against everybody
    AddRow(S.L, "a", {"1", "z-type"});
    AddRow(S.L, "c", {"5", "a-type"});
    S.L.SortByColumn(2, true);
    // "d" against the others falls back to captions ("d" > every caption); the rest by type.
    auto C = Captions(S.L);
    ASSERT_EQ(C.size(), 4u);
    EXPECT_EQ(C.back(), "d");
    EXPECT_EQ((std::vector<std::string>{C[0], C[1], C[2]}),
              (std::vector<std::string>{"c", "b", "a"}));
}

TEST(SortedListView, AHookThatFindsEverythingEqualKeepsTheOrderInBothDirections) {
    SortedList S;
    for (const char* N : {"k", "c", "x", "a"})
        AddRow(S.L, N);
    int Calls = 0;
    S.L.OnCompareStr = [&](const TListViewItem*, const TListViewItem*, int& Compare) {
        ++Calls;
        Compare = 0;
    };
    const auto Before = Captions(S.L);
    S.L.SortByColumn(0, true);
    EXPECT_EQ(Captions(S.L), Before);
    S.L.SortByColumn(0, false);
    EXPECT_EQ(Captions(S.L), Before);
    EXPECT_GT(Calls, 0);
}

TEST(SortedListView, TheHookWorksInAscendingTermsAndDescendingTurnsItsResultRound) {
    SortedList S;
    AddRow(S.L, "two", {"2"});
    AddRow(S.L, "ten", {"10"});
    AddRow(S.L, "one", {"1"});
    // Numbers, not texts: "10" after "2".
    S.L.OnCompareStr = [](const TListViewItem* A, const TListViewItem* B, int& Compare) {
        int X = std::stoi(A->SubItems()[0]), Y = std::stoi(B->SubItems()[0]);
        Compare = X < Y ? -1 : X > Y;
    };
    S.L.SortByColumn(1, true);
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"one", "two", "ten"}));
    S.L.SortByColumn(1, false);
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"ten", "two", "one"}));
}

TEST(SortedListView, ChangingTheImageIndexChangesTheVisibleMarkOnlyInItsOwnDirection) {
    SortedList S;
    AddRow(S.L, "a");
    S.L.SortByColumn(0, true);
    S.L.SetAscImgIndex(3);
    EXPECT_EQ(S.L.Column(0).ImageIndex, 3);
    S.L.SetDescImgIndex(4); // the header shows the ascending mark: nothing visible changes
    EXPECT_EQ(S.L.Column(0).ImageIndex, 3);
    S.L.SortByColumn(0, false);
    EXPECT_EQ(S.L.Column(0).ImageIndex, 4);
}

TEST(SortedListView, ARenamedRowMovesToItsPlaceAndKeepsItsSelection) {
    SortedList S;
    S.L.SetMultiSelect(true);
    for (const char* N : {"b", "d", "f", "h"})
        AddRow(S.L, N);
    S.L.SortByColumn(0, true);
    TListViewItem* D = S.L.Item(1);
    D->SetSelected(true);
    D->SetCaption("z");
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"b", "f", "h", "z"}));
    EXPECT_EQ(D->Index(), 3);
    EXPECT_TRUE(S.L.ReportPane()->selectionModel()->isRowSelected(3, {}));
    D->SetCaption("a");
    EXPECT_EQ(Captions(S.L), (std::vector<std::string>{"a", "b", "f", "h"}));
    EXPECT_EQ(S.L.Selected(), D);
}

// ---- editing and drops -------------------------------------------------------------------------

TEST(ListView, EditingAsksFirstAndHandsTheTextToOnEdited) {
    TCustomListView L;
    L.AddColumn("Name", 100);
    L.SetViewStyle(vsReport);
    L.show();
    TListViewItem* R = AddRow(L, "old");
    bool Allow = false;
    int Ends = 0;
    L.OnEditing = [&](TListViewItem*, bool& A) { A = Allow; };
    L.OnEdited = [&](TListViewItem*, std::string& S) { S = S + " (1)"; };
    L.OnEditEnd = [&] { ++Ends; };
    EXPECT_FALSE(L.EditCaption(R));
    Allow = true;
    ASSERT_TRUE(L.EditCaption(R));
    EXPECT_TRUE(L.IsEditing());
    auto Editors = L.ReportPane()->viewport()->findChildren<QLineEdit*>();
    ASSERT_FALSE(Editors.isEmpty());
    Editors.first()->setText(QStringLiteral("new"));
    L.EndEditing();
    EXPECT_EQ(R->Caption(), "new (1)");
    EXPECT_FALSE(L.IsEditing());
    EXPECT_EQ(Ends, 1);
}

TEST(CatalogListView, DroppedFilesReachTheEventWithTheRowUnderThem) {
    TCatalogListView L;
    L.AddColumn("Name", 100);
    L.resize(300, 200);
    L.show();
    TListViewItem* R = AddRow(L, "target");
    AddRow(L, "other");
    int Calls = 0;
    TListViewItem* Where = nullptr;
    std::vector<std::string> Names;
    L.OnDragOverFiles = [&](QObject* Sender, TListViewItem* Row,
                            const std::vector<std::string>& Files) {
        ++Calls;
        EXPECT_EQ(Sender, &L);
        Where = Row;
        Names = Files;
    };
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b c.txt"),
                  QUrl::fromLocalFile("/tmp/d")});
    QWidget* Port = L.ReportPane()->viewport();
    // As the desktop delivers a drop: the drag enters the view, then drops where it is.
    auto Drop = [&](QPoint At) {
        QDragEnterEvent Enter(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Port, &Enter);
        QDropEvent E(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Port, &E);
    };
    // Off: nothing.
    Drop(L.ReportPane()->visualRect(L.IndexOfItem(R)).center());
    EXPECT_EQ(Calls, 0);
    L.SetDropFiles(true);
    Drop(L.ReportPane()->visualRect(L.IndexOfItem(R)).center());
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(Where, R);
    EXPECT_EQ(Names, (std::vector<std::string>{"/tmp/a.txt", "/tmp/b c.txt", "/tmp/d"}));
    Drop(QPoint(5, Port->height() - 5));
    EXPECT_EQ(Calls, 2);
    EXPECT_EQ(Where, nullptr);
}

// ---- tree --------------------------------------------------------------------------------------

namespace {
std::vector<std::string> Texts(const TTreeViewNode* N) {
    std::vector<std::string> R;
    for (int I = 0; I < N->ChildCount(); ++I)
        R.push_back(N->Child(I)->Text());
    return R;
}
} // namespace

TEST(TreeView, SortedNodesGoToTheirPlaceAndMoveWhenRenamed) {
    TCatalogTreeView T;
    T.SetSortType(stText);
    TTreeViewNode* Root = T.AddChild(nullptr, "Root");
    TTreeViewNode* B = T.AddChild(Root, "b");
    T.AddChild(Root, "C");
    TTreeViewNode* A = T.AddChild(Root, "a");
    EXPECT_EQ(Texts(Root), (std::vector<std::string>{"a", "b", "C"}));
    A->SetText("z");
    EXPECT_EQ(Texts(Root), (std::vector<std::string>{"b", "C", "z"}));
    EXPECT_EQ(T.IndexOfNode(A).row(), 2);
    EXPECT_EQ(T.IndexOfNode(B).row(), 0);
    EXPECT_EQ(B->Parent(), Root);
    EXPECT_EQ(Root->Parent(), nullptr);
    // Unsorted while filling, sorted once when sorting is switched on again.
    T.SetSortType(stNone);
    T.AddChild(Root, "a2");
    EXPECT_EQ(Texts(Root).back(), "a2");
    T.SetSortType(stText);
    EXPECT_EQ(Texts(Root).front(), "a2");
}

TEST(TreeView, ABracketKeepsExpandedNodesAndTheSelectionAndSortsOnce) {
    TCatalogTreeView T;
    T.SetSortType(stText);
    T.show();
    TTreeViewNode* Root = T.AddChild(nullptr, "Root");
    TTreeViewNode* B = T.AddChild(Root, "b");
    TTreeViewNode* C = T.AddChild(Root, "c");
    TTreeViewNode* Deep = T.AddChild(B, "deep");
    T.AddChild(C, "under c");
    Root->Expand(false);
    B->Expand(false);
    T.SetSelected(Deep);
    std::vector<std::string> Told;
    T.OnDeletion = [&](TTreeViewNode* N) { Told.push_back(N->Text()); };
    int Brackets = 0;
    T.OnUpdate = [&](bool Begin) { Brackets += Begin ? 1 : 0; };

    T.BeginUpdate();
    T.AddChild(Root, "a");
    C->Delete();
    EXPECT_FALSE(C->InTree());
    // The nodes below a deleted node are told at once; their count is right inside the bracket.
    EXPECT_EQ(Told, (std::vector<std::string>{"c", "under c"}));
    EXPECT_EQ(Root->ChildCount(), 2);
    T.EndUpdate();

    EXPECT_EQ(Brackets, 1);
    EXPECT_EQ(Texts(Root), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(T.isExpanded(T.IndexOfNode(Root)));
    EXPECT_TRUE(T.isExpanded(T.IndexOfNode(B)));
    EXPECT_EQ(T.Selected(), Deep);
    EXPECT_EQ(T.currentIndex(), T.IndexOfNode(Deep));
    EXPECT_EQ(T.NodeCount(), 4);
}

TEST(TreeView, DeletingTheBranchOfTheSelectedNodeLeavesNoSelectionAndNoEvents) {
    TCatalogTreeView T;
    TTreeViewNode* Root = T.AddChild(nullptr, "Root");
    TTreeViewNode* B = T.AddChild(Root, "b");
    TTreeViewNode* Deep = T.AddChild(B, "deep");
    T.SetSelected(Deep);
    int Changes = 0;
    T.OnChanging = [&](TTreeViewNode*, bool&) { ++Changes; };
    T.OnChange = [&](TTreeViewNode*) { ++Changes; };
    TBasicFolder Item(nullptr);
    B->SetData(&Item);
    TBasicItem* Seen = &Item;
    T.OnDeletion = [&](TTreeViewNode* N) {
        if (N == B) Seen = N->Data();
    };
    B->Delete(); // as an item being destroyed does: the data is gone first
    EXPECT_EQ(Seen, nullptr);
    EXPECT_EQ(T.Selected(), nullptr);
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Root->ChildCount(), 0);
}

TEST(TreeView, ASelectionChangeAsksFirstAndCanBeRefused) {
    TCatalogTreeView T;
    TTreeViewNode* Root = T.AddChild(nullptr, "Root");
    TTreeViewNode* A = T.AddChild(Root, "a");
    TTreeViewNode* B = T.AddChild(Root, "b");
    T.SetSelected(A);
    std::vector<std::string> Events;
    bool Allow = false;
    T.OnChanging = [&](TTreeViewNode* N, bool& AllowChange) {
        Events.push_back("changing " + N->Text());
        AllowChange = Allow;
    };
    T.OnChange = [&](TTreeViewNode* N) { Events.push_back("change " + N->Text()); };
    T.setCurrentIndex(T.IndexOfNode(B));
    EXPECT_EQ(T.Selected(), A);
    EXPECT_EQ(T.currentIndex(), T.IndexOfNode(A));
    Allow = true;
    T.setCurrentIndex(T.IndexOfNode(B));
    EXPECT_EQ(T.Selected(), B);
    EXPECT_EQ(Events, (std::vector<std::string>{"changing b", "changing b", "change b"}));
}

TEST(TreeView, PendingChildrenAreMadeWhenFirstNeededAndADeletedBranchGoesWhole) {
    // Every node's children are "c", "a", "b", each pending, three levels down.
    TCatalogTreeView T;
    T.SetSortType(stText);
    auto Depth = [](const TTreeViewNode* N) {
        int D = 0;
        for (; N->Parent(); N = N->Parent())
            ++D;
        return D;
    };
    int Fills = 0;
    T.OnFill = [&](TTreeViewNode* N) {
        ++Fills;
        for (const char* Text : {"c", "a", "b"})
            T.AddChild(N, Text, nullptr, Depth(N) < 2);
    };
    T.OnHasChildren = [&](const TTreeViewNode* N) { return Depth(N) < 3; };
    TTreeViewNode* Root = T.AddChild(nullptr, "Root", nullptr, true);
    EXPECT_TRUE(Root->HasChildren());
    EXPECT_EQ(T.NodeCount(), 1);

    // The view opens the root: its children are made, sorted, each with its sign but no nodes.
    T.resize(300, 300);
    T.show();
    T.setFocus();
    T.setCurrentIndex(T.IndexOfNode(Root));
    QTest::keyClick(&T, Qt::Key_Right);
    EXPECT_EQ(Texts(Root), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(T.NodeCount(), 4);
    TTreeViewNode* A = Root->Child(0);
    EXPECT_TRUE(A->Pending());
    EXPECT_TRUE(T.model()->hasChildren(T.IndexOfNode(A)));
    QTest::keyClick(&T, Qt::Key_Down);
    QTest::keyClick(&T, Qt::Key_Right);
    EXPECT_TRUE(T.isExpanded(T.IndexOfNode(A)));
    EXPECT_EQ(T.NodeCount(), 7);
    EXPECT_EQ(Fills, 2);
    // A caller walking down makes what it walks through, and only that.
    TTreeViewNode* Leaf = A->Child(2)->Child(0);
    EXPECT_EQ(Leaf->Text(), "a");
    EXPECT_FALSE(Leaf->HasChildren());
    EXPECT_EQ(T.NodeCount(), 10);

    // A branch deleted inside a bracket takes its nodes along at once, the selected one among
    // them, and tells of each once.
    T.SetSelected(Leaf);
    std::vector<std::string> Told;
    T.OnDeletion = [&](TTreeViewNode* N) { Told.push_back(N->Text()); };
    T.BeginUpdate();
    A->Child(2)->Delete();
    A->Delete();
    EXPECT_FALSE(Leaf->InTree());
    EXPECT_EQ(T.Selected(), nullptr);
    EXPECT_EQ(Told.size(), 7u);
    T.EndUpdate();
    EXPECT_EQ(Texts(Root), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(T.NodeCount(), 3);
}
