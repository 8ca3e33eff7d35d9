// The list in its four styles over a folder of 2,000 entries: every row is reached by the keys,
// the scroll bars and the wheel; names get the room of the widest, not of the first; a change
// of style keeps the selection and shows the focused row.
#include "AppTestSupport.h"

#include <QApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

namespace {

const TViewStyle AllStyles[] = {vsIcon, vsSmallIcon, vsList, vsReport};

// A shown list of 2,000 rows, named so that their names differ in length.
struct BigList {
    BigList() {
        L.AddColumn("Name", 150);
        L.SetMultiSelect(true);
        L.resize(520, 320);
        L.BeginUpdate();
        for (int I = 0; I < 2000; ++I)
            L.Add()->SetCaption((I % 3 ? "file " : "a photograph of the sea, number ") +
                                std::to_string(10000 + I));
        L.EndUpdate();
        L.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&L));
    }
    void Style(TViewStyle S) {
        L.SetViewStyle(S);
        QApplication::processEvents();
    }
    // Whether Row is drawn inside the visible part of the pane.
    bool InView(TListViewItem* Row) const {
        QAbstractItemView* P = L.ActivePane();
        return P->viewport()->rect().contains(P->visualRect(L.IndexOfItem(Row)).center());
    }
    void Key(int K) { QTest::keyClick(L.ActivePane(), static_cast<Qt::Key>(K)); }
    TCustomListView L;
};

} // namespace

TEST(ListStyles, EveryRowIsReachedByTheKeysInEveryStyle) {
    BigList B;
    TListViewItem* First = B.L.Item(0);
    TListViewItem* Last = B.L.Item(1999);
    for (TViewStyle S : AllStyles) {
        SCOPED_TRACE(S);
        B.Style(S);
        // No focused row, as after a refill: End still goes to the end, not to the first row.
        B.L.SetItemFocused(nullptr);
        B.Key(Qt::Key_End);
        EXPECT_EQ(B.L.ItemFocused(), Last);
        EXPECT_TRUE(Last->Selected());
        EXPECT_TRUE(B.InView(Last));
        B.Key(Qt::Key_Home);
        EXPECT_EQ(B.L.ItemFocused(), First);
        EXPECT_TRUE(B.InView(First));
        B.Key(Qt::Key_PageDown);
        TListViewItem* Paged = B.L.ItemFocused();
        ASSERT_NE(Paged, nullptr);
        EXPECT_GT(Paged->Index(), 0);
        EXPECT_TRUE(B.InView(Paged));
        B.Key(Qt::Key_PageUp);
        EXPECT_LT(B.L.ItemFocused()->Index(), Paged->Index());
    }
}

TEST(ListStyles, TheScrollBarsAndTheWheelReachTheEnd) {
    BigList B;
    for (TViewStyle S : AllStyles) {
        SCOPED_TRACE(S);
        B.Style(S);
        QAbstractItemView* P = B.L.ActivePane();
        // The list runs in columns from left to right; the others in rows from the top.
        QScrollBar* Bar = S == vsList ? P->horizontalScrollBar() : P->verticalScrollBar();
        ASSERT_GT(Bar->maximum(), 0);
        Bar->setValue(Bar->maximum());
        QApplication::processEvents();
        EXPECT_TRUE(B.InView(B.L.Item(1999)));
        Bar->setValue(0);
        const QPointF At = P->viewport()->rect().center();
        QWheelEvent Wheel(At, P->viewport()->mapToGlobal(At), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(P->viewport(), &Wheel);
        EXPECT_GT(Bar->value(), 0);
    }
}

TEST(ListStyles, NamesGetTheRoomOfTheWidestName) {
    BigList B;
    const QFontMetrics M = B.L.IconPane()->fontMetrics();
    const int Widest = M.horizontalAdvance(QStringLiteral("a photograph of the sea, number 10000"));
    for (TViewStyle S : {vsSmallIcon, vsList}) {
        SCOPED_TRACE(S);
        B.Style(S);
        // The first row's name is a short one: every row has the room of the longest.
        const QRect Row = B.L.IconPane()->visualRect(B.L.IndexOfItem(B.L.Item(1)));
        EXPECT_GT(Row.width(), 16 + Widest);
    }
    // A name that grows later widens them all.
    B.L.Item(5)->SetCaption(std::string(60, 'W'));
    EXPECT_GT(B.L.IconPane()->gridSize().width(), 16 + Widest);
    // Large icons lie in cells of one size on a grid; a long name has lines of its own.
    B.Style(vsIcon);
    const QRect Cell = B.L.IconPane()->visualRect(B.L.IndexOfItem(B.L.Item(0)));
    EXPECT_GE(Cell.height(), 32 + 3 * M.height());
}

TEST(ListStyles, ACellTheDetailsCutShowsItsWholeTextOnHoverAndOnlyThen) {
    BigList B;
    B.Style(vsReport);
    QAbstractItemView* P = B.L.ReportPane();
    const auto Hover = [&](int Row) {
        // A hint leaves a moment after it is told to.
        QToolTip::hideText();
        for (int I = 0; I < 100 && QToolTip::isVisible(); ++I)
            QTest::qWait(10);
        const QPoint At = P->visualRect(B.L.IndexOfItem(B.L.Item(Row))).center();
        QHelpEvent Help(QEvent::ToolTip, At, P->viewport()->mapToGlobal(At));
        QApplication::sendEvent(P->viewport(), &Help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(Hover(0), QStringLiteral("a photograph of the sea, number 10000"));
    EXPECT_EQ(Hover(1), QString());
    // Wide enough, the long name is whole and has no hint either.
    B.L.SetColumnWidth(0, 400);
    QApplication::processEvents();
    EXPECT_EQ(Hover(0), QString());
}

TEST(ListStyles, AChangeOfStyleKeepsTheSelectionAndShowsTheFocusedRow) {
    BigList B;
    TListViewItem* A = B.L.Item(1500);
    TListViewItem* Focus = B.L.Item(1501);
    B.L.SetSelected(Focus);
    A->SetSelected(true);
    for (TViewStyle S : {vsReport, vsList, vsSmallIcon, vsIcon}) {
        SCOPED_TRACE(S);
        B.Style(S);
        EXPECT_EQ(B.L.SelCount(), 2);
        EXPECT_TRUE(A->Selected());
        EXPECT_EQ(B.L.ItemFocused(), Focus);
        EXPECT_TRUE(B.InView(Focus));
    }
}

// ---- in the window -----------------------------------------------------------------------------

TEST_F(MainWindowTest, DetailsRefillsTheRowsAndKeepsTheSelectionAndFocusedRow) {
    CreateWindow();
    TBasicFolder* V = AddVirtual(CurrentCatalog, "V");
    for (int I = 0; I < 300; ++I)
        AddFile(V, "f" + std::to_string(1000 + I));
    Main->SetCurrentFolder(V);
    Trigger("aList");
    SelectRows({"f1200", "f1250"});
    lvMain()->SetItemFocused(RowOf("f1250"));
    Trigger("aDetail");
    EXPECT_EQ(lvMain()->ViewStyle(), vsReport);
    EXPECT_EQ(RowOf("f1250")->SubItems()[0], "1KB"); // refilled
    EXPECT_EQ(lvMain()->SelCount(), 2);
    EXPECT_TRUE(RowOf("f1200")->Selected());
    EXPECT_EQ(lvMain()->ItemFocused(), RowOf("f1250"));
}
