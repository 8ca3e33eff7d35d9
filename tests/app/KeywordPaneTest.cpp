// The keyword pane and "Setup KeyWord": keywords added, renamed and deleted with their
// questions, their search states, and the keyword search into the result pane.
#include "AppTestSupport.h"

#include "app/dialogs/CatKeyWord.h"
#include "core/KeyWords.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

class KeywordPaneTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        BuildSampleCatalog();
        TBasicItem* Disc = CurrentCatalog->Children()->At(0)->Children()->At(0);
        Beach = Disc->Children()->At(0)->Children()->At(0);
        Readme = Disc->Children()->At(1);
        Setup = Disc->Children()->At(2);
        Holiday = AddKeyWord("Holiday", {Beach, Readme});
        Old = AddKeyWord("Old", {Readme});
        AddKeyWord("Spare", {});
        // As a loaded catalog has them.
        CurrentCatalog->KeyWords()->Sort();
        RefreshKeyWordsProc();
        CatalogModified = false;
    }

    TKeyWordItem* AddKeyWord(const std::string& Name, const std::vector<TBasicItem*>& Items) {
        auto* K = new TKeyWordItem(CurrentCatalog->KeyWords());
        K->SetItemName(Name);
        for (TBasicItem* X : Items)
            K->AddClient(X);
        return K;
    }
    // Types Text into the open editor of the keyword pane and takes it.
    void TypeIntoEditor(const char* Text) {
        // The open one: a closed editor may still wait to be deleted.
        QLineEdit* Editor = nullptr;
        for (QLineEdit* E : lvKey()->ReportPane()->viewport()->findChildren<QLineEdit*>())
            if (E->isVisible()) Editor = E;
        ASSERT_NE(Editor, nullptr);
        Editor->setText(QString::fromUtf8(Text));
        lvKey()->EndEditing();
    }
    TBasicItem *Beach = nullptr, *Readme = nullptr, *Setup = nullptr;
    TKeyWordItem *Holiday = nullptr, *Old = nullptr;
};

TEST_F(KeywordPaneTest, KeyWordsAreAddedRenamedAndDeletedWithTheirQuestions) {
    ASSERT_EQ(Captions(lvKey()), (std::vector<std::string>{"Holiday", "Old", "Spare"}));
    Trigger("aAddKeyWord");
    EXPECT_TRUE(Part("RightPanel")->isVisible());
    EXPECT_EQ(Captions(lvKey()).back(), "KeyWord1");
    ASSERT_TRUE(lvKey()->IsEditing());
    TypeIntoEditor("Spare");
    EXPECT_EQ(Captions(lvKey()).back(), "Spare(1)"); // no question: nothing carries it
    EXPECT_EQ(Action("aAddKeyWord")->shortcut(), QKeySequence(Qt::Key_Insert));
    EXPECT_EQ(Action("DeleteAction")->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_TRUE(CatalogModified);

    // A keyword that items carry asks first; No keeps its name.
    Dialogs->Answer(mrNo);
    ASSERT_TRUE(lvKey()->EditCaption(RowOf(lvKey(), "Holiday")));
    TypeIntoEditor("Trips");
    ASSERT_EQ(Dialogs->Asked.size(), 1u);
    EXPECT_EQ(Dialogs->Asked[0].Text, "KeyWord \"Holiday\" has 2 depended\nRename to \"Trips\"?");
    EXPECT_EQ(Dialogs->Asked[0].Caption, "Rename KeyWord");
    EXPECT_EQ(Dialogs->Asked[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(Holiday->DisplayName(), "Holiday");
    EXPECT_NE(RowOf(lvKey(), "Holiday"), nullptr);
    Dialogs->Answer(mrYes);
    ASSERT_TRUE(lvKey()->EditCaption(RowOf(lvKey(), "Holiday")));
    TypeIntoEditor("Trips");
    EXPECT_EQ(Holiday->DisplayName(), "Trips");
    EXPECT_NE(RowOf(lvKey(), "Trips"), nullptr);

    // Delete, front to back: a keyword nothing carries goes without a question; Cancel ends it.
    SelectRowsOf(lvKey(), {"Trips", "Old", "Spare"});
    Dialogs->Answer(mrNo);     // Trips
    Dialogs->Answer(mrCancel); // Old
    Trigger("DeleteAction");
    EXPECT_EQ(Dialogs->Messages().back(), "KeyWord \"Old\" has 1 depended\nDelete?");
    EXPECT_EQ(Captions(lvKey()), (std::vector<std::string>{"Trips", "Old", "Spare", "Spare(1)"}));
    SelectRowsOf(lvKey(), {"Old", "Spare", "Spare(1)"});
    Dialogs->Answer(mrYes);
    Trigger("DeleteAction");
    EXPECT_EQ(Captions(lvKey()), (std::vector<std::string>{"Trips"}));
    EXPECT_TRUE(Readme->KeyWords() == std::vector<TKeyWordItem*>{Holiday});
    EXPECT_EQ(CurrentCatalog->KeyWords()->Count(), 1);
}

TEST_F(KeywordPaneTest, StatesFollowDoubleClicksAndTheStateMenu) {
    TListViewItem* Row = RowOf(lvKey(), "Holiday");
    lvKey()->SetItemFocused(Row);
    const TKeyWordState After[] = {ksInclude, ksExclude, ksNormal};
    for (TKeyWordState S : After) {
        lvKey()->OnDblClick();
        EXPECT_EQ(Holiday->State(), S);
        EXPECT_EQ(Row->ImageIndex(), S);
    }
    auto* Menu = Part<QMenu>("pmKeyword");
    auto* State = Part<QMenu>("State1");
    lvKey()->ClearSelection();
    emit Menu->aboutToShow();
    EXPECT_FALSE(State->isEnabled());
    SelectRowsOf(lvKey(), {"Holiday", "Old"});
    emit Menu->aboutToShow();
    EXPECT_TRUE(State->isEnabled());
    Action("Exclude1")->trigger();
    EXPECT_EQ(Old->State(), ksExclude);
    EXPECT_EQ(RowOf(lvKey(), "Holiday")->ImageIndex(), ksExclude);
    EXPECT_EQ(RowOf(lvKey(), "Spare")->ImageIndex(), ksNormal);
    EXPECT_FALSE(CatalogModified); // a state is a search setting only
}

TEST_F(KeywordPaneTest, TheKeyWordSearchListsCarriersOfEveryIncludedAndNoExcluded) {
    Action("aRight")->trigger();
    ProcessEvents();
    Trigger("aFindKeyWord");
    EXPECT_EQ(Main->StatusText(), "Files not found");
    EXPECT_FALSE(Part("BottomPanel")->isVisible());

    Holiday->SetState(ksInclude);
    Trigger("aFindKeyWord");
    EXPECT_EQ(Main->StatusText(), "2 Files found");
    EXPECT_EQ(Captions(lvResult()), (std::vector<std::string>{"beach.jpg", "readme.txt"}));
    EXPECT_TRUE(Part("BottomPanel")->isVisible());
    Old->SetState(ksExclude);
    Trigger("aFindKeyWord");
    EXPECT_EQ(Captions(lvResult()), std::vector<std::string>{"beach.jpg"});
    Old->SetState(ksInclude);
    Trigger("aFindKeyWord");
    EXPECT_EQ(Captions(lvResult()), std::vector<std::string>{"readme.txt"});
    EXPECT_EQ(Main->StatusText(), "1 Files found");
    Holiday->SetState(ksExclude);
    Trigger("aFindKeyWord");
    EXPECT_EQ(Main->StatusText(), "Files not found");
    EXPECT_EQ(lvResult()->Count(), 0);

    // Nothing to search with an empty pane.
    CatalogModified = false;
    Trigger("aNew");
    Main->UpdateActions();
    EXPECT_FALSE(Action("aFindKeyWord")->isEnabled());
}

TEST_F(KeywordPaneTest, SetupKeyWordEditsTheKeyWordsAndThePaneShowsThemAtOnce) {
    TfmKeyWord D(Main.get());
    D.FormShow();
    auto Entries = [&] {
        std::vector<std::string> R;
        for (int I = 0; I < D.Count(); ++I)
            R.push_back(D.EntryText(I));
        return R;
    };
    auto Select = [&](const std::vector<std::string>& Texts) {
        D.ListBox1->clearSelection();
        for (int I = 0; I < D.Count(); ++I)
            for (const std::string& T : Texts)
                if (D.EntryText(I) == T) D.ListBox1->item(I)->setSelected(true);
        D.ActionList1Update();
    };
    // A name the catalog has, in any letter case, is not added again.
    EXPECT_EQ(D.Edit1->text(), "Category 1");
    D.bbAddClick();
    D.Edit1->setText(QStringLiteral("CATEGORY 1"));
    D.bbAddClick();
    D.Edit1->setText(QStringLiteral("Apples"));
    D.bbAddClick();
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"Apples", "Category 1", "Holiday", "Old", "Spare"}));
    // Added by the user's clicks while another entry is selected: the new entry alone is, so
    // Delete takes only it (and asks nothing: no item carries it).
    D.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&D));
    QListWidget* List = D.ListBox1;
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {},
                      List->visualItemRect(List->item(2)).center());
    EXPECT_EQ(D.Edit1->text(), "Holiday");
    D.Edit1->setText(QStringLiteral("Zebra"));
    QTest::mouseClick(D.findChild<QWidget*>(QStringLiteral("bbAdd")), Qt::LeftButton);
    ASSERT_EQ(List->selectedItems().size(), 1);
    EXPECT_EQ(List->selectedItems().front()->text(), "Zebra");
    const size_t Questions = Dialogs->Asked.size();
    QTest::mouseClick(D.findChild<QWidget*>(QStringLiteral("bbDelete")), Qt::LeftButton);
    EXPECT_EQ(Dialogs->Asked.size(), Questions);
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"Apples", "Category 1", "Holiday", "Old", "Spare"}));
    D.hide();

    Select({"Holiday"});
    EXPECT_TRUE(D.aRename->isEnabled());
    D.Edit1->setText(QStringLiteral("Old"));
    Dialogs->Answer(mrYes);
    D.aRenameExecute();
    EXPECT_EQ(Dialogs->Asked.back().Text, "KeyWord \"Holiday\" has 2 depended\nRename to \"Old\"?");
    EXPECT_EQ(Dialogs->Asked.back().Caption, "Rename KeyWord");
    EXPECT_EQ(Holiday->DisplayName(), "Old(1)");
    EXPECT_EQ(D.EntryKeyWord(D.ListBox1->currentRow()), Holiday);

    // From the lowest entry up: Old(1) yes, Old cancel; Apples is left and never asked about.
    Select({"Apples", "Old", "Old(1)"});
    EXPECT_FALSE(D.aRename->isEnabled());
    Dialogs->Answer(mrYes);
    Dialogs->Answer(mrCancel);
    D.bbDeleteClick();
    EXPECT_EQ(Dialogs->Messages().back(), "KeyWord \"Old\" has 1 depended\nDelete?");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Apples", "Category 1", "Old", "Spare"}));
    EXPECT_TRUE(Beach->KeyWords().empty());

    // Through the program's factory: the pane shows what the dialog made when it closes.
    auto Factory = NewQtDialogFactory();
    QTimer::singleShot(0, [] {
        auto* K = qobject_cast<TfmKeyWord*>(QApplication::activeModalWidget());
        ASSERT_NE(K, nullptr);
        K->Edit1->setText(QStringLiteral("Fresh"));
        K->aAdd->trigger();
        K->bbClose->click();
    });
    Factory->ShowKeyWordSetup();
    // One row per keyword, each showing its own keyword.
    std::vector<std::string> Rows = Captions(lvKey());
    std::sort(Rows.begin(), Rows.end());
    EXPECT_EQ(Rows, (std::vector<std::string>{"Apples", "Category 1", "Fresh", "Old", "Spare"}));
    for (int I = 0; I < lvKey()->Count(); ++I) {
        const TListViewItem* Row = lvKey()->Item(I);
        const auto* K = static_cast<const TKeyWordItem*>(Row->Object());
        EXPECT_GE(CurrentCatalog->KeyWords()->IndexOfItem(K), 0);
        EXPECT_EQ(K->DisplayName(), Row->Caption());
        EXPECT_EQ(Row->ImageIndex(), K->State());
    }
}
