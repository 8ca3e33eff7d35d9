// Drag and drop inside the main window: when a drag starts, which drops the tree and the list
// take from each pane, the moves and their refusals, keywords dropped onto items, and the order
// of the folder list. Drags start from real mouse events on the panes' viewports; drops are
// synthetic drag events there, as the desktop delivers them.
#include "AppTestSupport.h"

#include "app/ListPanes.h"
#include "core/KeyWords.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>

class DragDropTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        // Root: A (virtual) holding A1 (virtual); B (virtual); Disc (scanned) holding Sub, f.txt;
        // a located file Loc.
        A = AddVirtual(CurrentCatalog, "A");
        A1 = AddVirtual(A, "A1");
        B = AddVirtual(CurrentCatalog, "B");
        Disc = AddScanned(CurrentCatalog, "Disc");
        Sub = AddFolder(Disc, "Sub");
        File = AddFile(Disc, "f.txt", 3);
        Loc = new TFileLocItem(CurrentCatalog->Children());
        Loc->SetNameField(PackedString("Loc"));
        Main->RefreshTreeNode(RootNode());
        tvMain()->expandAll();
        Main->SetCurrentFolder(CurrentCatalog);
        CatalogModified = false;
    }

    QWidget* ListViewport() const { return lvMain()->ReportPane()->viewport(); }
    QPoint PointOf(TTreeViewNode* Node) const {
        return tvMain()->visualRect(tvMain()->IndexOfNode(Node)).center();
    }
    QPoint PointOf(TListViewItem* Row) const {
        return lvMain()->ReportPane()->visualRect(lvMain()->IndexOfItem(Row)).center();
    }
    TTreeViewNode* NodeOf(TBasicItem* Item) const {
        return static_cast<TTreeViewNode*>(Item->TreeNode());
    }
    // A drag from Source over (or dropped on) Viewport at P; true when the pane takes it.
    bool DragTo(TDragSource Source, QWidget* Viewport, const QPoint& P, bool Drop) {
        std::unique_ptr<QMimeData> Data(Main->NewPaneDragData(Source));
        QDragEnterEvent Enter(P, Qt::MoveAction | Qt::CopyAction, Data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport, &Enter);
        QDragMoveEvent Move(P, Qt::MoveAction | Qt::CopyAction, Data.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport, &Move);
        if (!Drop) return Move.isAccepted();
        QDropEvent D(P, Qt::MoveAction | Qt::CopyAction, Data.get(), Qt::LeftButton,
                     Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport, &D);
        return D.isAccepted();
    }
    bool TreeTakes(TDragSource S, TBasicItem* Target, bool Drop = false) {
        return DragTo(S, tvMain()->viewport(), PointOf(NodeOf(Target)), Drop);
    }
    bool ListTakes(TDragSource S, TBasicItem* Target, bool Drop = false) {
        return DragTo(S, ListViewport(), PointOf(static_cast<TListViewItem*>(Target->ListItem())),
                      Drop);
    }
    void Mouse(QEvent::Type Type, QWidget* Viewport, const QPoint& P) {
        QMouseEvent E(Type, P, Viewport->mapToGlobal(P), Qt::LeftButton,
                      Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport, &E);
    }

    // A press on From, a move pixel by pixel Down pixels down, as a hand moves a mouse, and the
    // release. Each drag that starts meanwhile is told to Started with the captions of the
    // rows selected in L at that moment, sorted.
    void DragRows(TCustomListView* L, const std::string& From, int Down,
                  const std::function<void(std::vector<std::string> Selected)>& Started) {
        QWidget* V = L->ReportPane()->viewport();
        const QPoint P = L->ReportPane()->visualRect(L->IndexOfItem(RowOf(L, From))).center();
        Main->OnStartDrag = [&](TDragSource) {
            std::vector<std::string> Selected;
            for (TListViewItem* Row : L->SelectedItems())
                Selected.push_back(Row->Caption());
            std::sort(Selected.begin(), Selected.end());
            Started(Selected);
        };
        QTest::mousePress(V, Qt::LeftButton, {}, P);
        for (int Y = 1; Y <= Down; ++Y)
            QTest::mouseMove(V, P + QPoint(0, Y));
        QTest::mouseRelease(V, Qt::LeftButton, {}, P + QPoint(0, Down));
        Main->OnStartDrag = nullptr;
    }

    TBasicFolder *A = nullptr, *A1 = nullptr, *B = nullptr;
    TFileCollection* Disc = nullptr;
    TFileFolder* Sub = nullptr;
    TFileItem* File = nullptr;
    TFileLocItem* Loc = nullptr;
};

TEST_F(DragDropTest, ADragStartsAtNinePixelsFromAFolderOrLocatedFileRowOnly) {
    EXPECT_FALSE(DragStarts({10, 10}, {10, 18}, false));
    EXPECT_TRUE(DragStarts({10, 10}, {10, 19}, false));
    EXPECT_TRUE(DragStarts({10, 10}, {10, 1}, false));
    // Across only counts over another entry.
    EXPECT_FALSE(DragStarts({10, 10}, {40, 10}, false));
    EXPECT_TRUE(DragStarts({10, 10}, {19, 10}, true));
    EXPECT_FALSE(DragStarts({-1, -1}, {40, 40}, true));

    std::vector<TDragSource> Started;
    Main->OnStartDrag = [&](TDragSource S) { Started.push_back(S); };
    auto Press = [&](const char* Caption, int Down) {
        SelectRows({Caption});
        const QPoint P = PointOf(RowOf(Caption));
        Mouse(QEvent::MouseButtonPress, ListViewport(), P);
        Mouse(QEvent::MouseMove, ListViewport(), P + QPoint(0, Down));
        Mouse(QEvent::MouseButtonRelease, ListViewport(), P + QPoint(0, Down));
    };
    Press("B", 8);
    EXPECT_TRUE(Started.empty());
    Press("B", 9);
    Press("Loc", 9);
    EXPECT_EQ(Started, (std::vector<TDragSource>{TDragSource::List, TDragSource::List}));
    Main->SetCurrentFolder(Disc);
    Press("f.txt", 20); // a plain file of a disc is never dragged
    EXPECT_EQ(Started.size(), 2u);
}

TEST_F(DragDropTest, EverySelectedRowGoesWhereTheMouseDragsOne) {
    auto* V = AddVirtual(CurrentCatalog, "V");
    Main->RefreshTreeNode(RootNode());
    tvMain()->expandAll();
    Main->RefreshList(false);
    // Three rows: the press lands on the middle one; moving selects nothing else.
    SelectRows({"A", "Loc", "V"});
    int Drags = 0;
    DragRows(lvMain(), "Loc", 12, [&](std::vector<std::string> Selected) {
        ++Drags;
        EXPECT_EQ(Selected, (std::vector<std::string>{"A", "Loc", "V"}));
        EXPECT_TRUE(TreeTakes(TDragSource::List, B, true));
    });
    EXPECT_EQ(Drags, 1);
    for (TBasicItem* X : std::initializer_list<TBasicItem*>{A, Loc, V})
        EXPECT_EQ(X->OwnerItem(), B) << X->DisplayName();

    // Keywords: both dragged keywords are attached.
    auto* K1 = new TKeyWordItem(CurrentCatalog->KeyWords());
    K1->SetItemName("k1");
    auto* K2 = new TKeyWordItem(CurrentCatalog->KeyWords());
    K2->SetItemName("k2");
    RefreshKeyWordsProc();
    Trigger("aRight");
    ProcessEvents();
    SelectRowsOf(lvKey(), {"k1", "k2"});
    DragRows(lvKey(), "k2", 12, [&](std::vector<std::string> Selected) {
        ++Drags;
        EXPECT_EQ(Selected, (std::vector<std::string>{"k1", "k2"}));
        EXPECT_TRUE(TreeTakes(TDragSource::KeyWords, B, true));
    });
    EXPECT_EQ(Drags, 2);
    EXPECT_EQ(B->KeyWords().size(), 2u);
}

TEST_F(DragDropTest, DropsGoOnlyIntoFoldersOfTheUserOutsideScannedFolders) {
    // From the tree, the selected node A is dragged.
    Main->SetCurrentFolder(A);
    EXPECT_TRUE(TreeTakes(TDragSource::Tree, B));
    EXPECT_FALSE(TreeTakes(TDragSource::Tree, A));              // itself
    EXPECT_FALSE(TreeTakes(TDragSource::Tree, CurrentCatalog)); // where it already lies
    EXPECT_FALSE(TreeTakes(TDragSource::Tree, A1));             // below itself
    EXPECT_FALSE(TreeTakes(TDragSource::Tree, Disc));           // a scanned folder
    Main->RefreshTreeNode(NodeOf(Disc));
    tvMain()->expandAll();
    EXPECT_FALSE(TreeTakes(TDragSource::Tree, Sub)); // inside a scanned folder
    // The catalog's root can go nowhere: everything lies below it.
    Main->SetCurrentFolder(CurrentCatalog);
    EXPECT_FALSE(TreeTakes(TDragSource::Tree, B));

    // From the list (the root shown).
    SelectRows({"A"});
    EXPECT_TRUE(ListTakes(TDragSource::List, B));
    EXPECT_FALSE(ListTakes(TDragSource::List, A));              // the one row dragged
    EXPECT_FALSE(ListTakes(TDragSource::List, Disc));           // a scanned folder
    EXPECT_FALSE(ListTakes(TDragSource::List, Loc));            // a file row
    EXPECT_FALSE(TreeTakes(TDragSource::List, CurrentCatalog)); // the folder shown
    EXPECT_FALSE(TreeTakes(TDragSource::List, A1));             // below the one folder dragged
    EXPECT_TRUE(TreeTakes(TDragSource::List, B));
    SelectRows({"Loc"});
    EXPECT_TRUE(TreeTakes(TDragSource::List, A1));
    EXPECT_FALSE(TreeTakes(TDragSource::List, Sub));
    // A tree node dropped on a list row would go below itself.
    EXPECT_FALSE(ListTakes(TDragSource::Tree, B));

    // Keywords go anywhere; a drop of another window or program is no move at all.
    EXPECT_TRUE(ListTakes(TDragSource::KeyWords, Loc));
    EXPECT_TRUE(TreeTakes(TDragSource::KeyWords, Sub));
    QMimeData Foreign;
    Foreign.setData(PaneDragMimeType, QByteArray("lvMain 1 0x1"));
    QDragMoveEvent Move(PointOf(NodeOf(B)), Qt::MoveAction, &Foreign, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(tvMain()->viewport(), &Move);
    EXPECT_FALSE(Move.isAccepted());
}

TEST_F(DragDropTest, MovesMarkTheCatalogChangedAndRefusalsSayWhy) {
    // A located file from the list onto a folder's node: it leaves the list.
    SelectRows({"Loc"});
    EXPECT_TRUE(TreeTakes(TDragSource::List, B, true));
    EXPECT_EQ(Loc->OwnerItem(), B);
    EXPECT_EQ(RowOf("Loc"), nullptr);
    EXPECT_TRUE(CatalogModified);
    // A folder dragged in the tree onto another: its node with its children follows, and what
    // was open below either stays open.
    TBasicFolder* C = AddVirtual(B, "C");
    TBasicFolder* C1 = AddVirtual(C, "C1");
    Main->RefreshTreeNode(RootNode());
    tvMain()->expandAll();
    // A branch that no node shows yet: the drop makes no more of it than shows.
    TBasicFolder* C3 = AddVirtual(AddVirtual(C1, "C2"), "C3");
    CatalogModified = false;
    Main->SetCurrentFolder(A);
    EXPECT_TRUE(TreeTakes(TDragSource::Tree, B, true));
    EXPECT_EQ(A->OwnerItem(), B);
    EXPECT_TRUE(CatalogModified);
    ASSERT_NE(ChildNode(RootNode(), "B"), nullptr);
    EXPECT_EQ(NodeTexts(ChildNode(RootNode(), "B")), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(NodeTexts(ChildNode(ChildNode(RootNode(), "B"), "A")),
              std::vector<std::string>{"A1"});
    EXPECT_EQ(tvMain()->Selected(), NodeOf(A));
    for (TBasicItem* Open : std::initializer_list<TBasicItem*>{B, A, C})
        EXPECT_TRUE(tvMain()->isExpanded(tvMain()->IndexOfNode(NodeOf(Open))))
            << Open->DisplayName();
    EXPECT_EQ(C3->TreeNode(), nullptr);
    EXPECT_TRUE(Dialogs->Messages().empty());

    // Two folders dropped on one of them: the other moves in, that one says why it stays.
    Main->SetCurrentFolder(B);
    SelectRows({"A", "C"});
    Dialogs->Answer(mrOk);
    EXPECT_TRUE(ListTakes(TDragSource::List, A, true));
    EXPECT_EQ(Dialogs->Messages(),
              std::vector<std::string>{
                  "Cannot move A: The destination folder is the same as the source folder."});
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"A", "Loc"}));
    EXPECT_EQ(C->OwnerItem(), A);
    // The other two refusals, through the move itself.
    Dialogs->Answer(mrOk);
    Dialogs->Answer(mrOk);
    EXPECT_FALSE(MoveItem(A, A1));
    EXPECT_FALSE(MoveItem(Sub, B));
    const std::vector<std::string> Said = Dialogs->Messages();
    EXPECT_EQ(std::vector<std::string>(Said.begin() + 1, Said.end()),
              (std::vector<std::string>{
                  "Cannot move A: The destination folder is a subfolder of the source folder.",
                  "Cannot move Sub: Invalid move"}));
    EXPECT_EQ(Sub->OwnerItem(), Disc);
    // A namesake in the destination: the newcomer takes another name.
    auto* Twin = AddVirtual(CurrentCatalog, "A");
    EXPECT_TRUE(MoveItem(Twin, B));
    EXPECT_EQ(Twin->DisplayName(), "A(1)");
}

TEST_F(DragDropTest, KeyWordsDroppedOnAnItemAreAttachedOnce) {
    auto* K1 = new TKeyWordItem(CurrentCatalog->KeyWords());
    K1->SetItemName("k1");
    auto* K2 = new TKeyWordItem(CurrentCatalog->KeyWords());
    K2->SetItemName("k2");
    K1->AddClient(Loc);
    RefreshKeyWordsProc();
    SelectRowsOf(lvKey(), {"k1", "k2"});
    CatalogModified = false;
    EXPECT_TRUE(ListTakes(TDragSource::KeyWords, Loc, true));
    EXPECT_EQ(Loc->KeyWords(), (std::vector<TKeyWordItem*>{K1, K2}));
    EXPECT_TRUE(CatalogModified);
    // Onto a node too; the keyword pane takes no drop.
    EXPECT_TRUE(TreeTakes(TDragSource::KeyWords, B, true));
    EXPECT_EQ(B->KeyWords().size(), 2u);
    EXPECT_FALSE(DragTo(TDragSource::KeyWords, lvKey()->ReportPane()->viewport(), {5, 5}, false));
}

TEST_F(DragDropTest, TheListPutsFoldersFirstAndDescendingReversesEverything) {
    auto* V = AddVirtual(CurrentCatalog, "V");
    AddFile(V, "big", 5000000000ULL)->FileInfoRef().Date = 3;
    AddFile(V, "small", 3000000000ULL)->FileInfoRef().Date = 1;
    AddFile(V, "Tiny", 7)->FileInfoRef().Date = 2;
    AddVirtual(V, "zeta");
    AddFolder(V, "alpha");
    // Twins that differ only in letter case, as a Linux disk may hold them.
    AddFile(V, "TINY", 8)->FileInfoRef().Date = 4;
    AddFile(V, "tiny", 9)->FileInfoRef().Date = 5;
    AddFolder(V, "Alpha");
    Main->SetCurrentFolder(V);
    Main->SetActiveControl(lvMain());
    Part<QAction>("aDetail")->trigger();
    using N = std::vector<std::string>;
    lvMain()->SortByColumn(1, true);
    EXPECT_EQ(ListCaptions(),
              (N{"alpha", "Alpha", "zeta", "Tiny", "TINY", "tiny", "small", "big"}));
    lvMain()->SortByColumn(1, false);
    EXPECT_EQ(ListCaptions(),
              (N{"big", "small", "tiny", "TINY", "Tiny", "zeta", "Alpha", "alpha"}));
    lvMain()->SortByColumn(3, true);
    const N ByDate = ListCaptions();
    ASSERT_EQ(ByDate.size(), 8u);
    EXPECT_EQ(N(ByDate.begin() + 3, ByDate.end()), (N{"small", "Tiny", "big", "TINY", "tiny"}));

    // By name, clicked on the header: letter case orders names that differ only in it (lower
    // case first), and the second click reverses them with everything else.
    QHeaderView* Header = lvMain()->ReportPane()->header();
    auto ClickName = [&] {
        const QPoint P(Header->sectionViewportPosition(0) + 20, Header->height() / 2);
        QTest::mouseClick(Header->viewport(), Qt::LeftButton, {}, P);
    };
    ClickName();
    EXPECT_EQ(ListCaptions(),
              (N{"alpha", "Alpha", "zeta", "big", "small", "tiny", "Tiny", "TINY"}));
    ClickName();
    EXPECT_EQ(ListCaptions(),
              (N{"TINY", "Tiny", "tiny", "small", "big", "zeta", "Alpha", "alpha"}));
}
