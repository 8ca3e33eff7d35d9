// The properties dialog over the window: what each page shows for each kind of item, edits
// that reach the item only through Apply and Ok, keywords, notes in plain and DOS text, walking
// the tree and the list with Up and Down, and volume records that only a real read replaces.
#include "AppTestSupport.h"

#include "app/dialogs/CatProp.h"
#include "app/dialogs/CatPropNote.h"
#include "core/KeyWords.h"
#include "platform/CodePages.h"
#include "platform/SysUtils.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

template <class T = QWidget>
T* Child(QWidget& Dialog, const char* Name) {
    return DialogChild<T>(Dialog, Name);
}

std::string Text(QWidget& Dialog, const char* Name) {
    return FromQString(Child<QLineEdit>(Dialog, Name)->text());
}

void Click(QWidget& Dialog, const char* Name) {
    Child<QAbstractButton>(Dialog, Name)->click();
}

// The pages the dialog shows, in their order.
std::vector<std::string> Pages(QWidget& Dialog) {
    auto* Tabs = Child<QTabWidget>(Dialog, "PageControl1");
    std::vector<std::string> R;
    for (int I = 0; I < Tabs->count(); ++I)
        if (Tabs->isTabVisible(I)) R.push_back(FromQString(Tabs->tabText(I)));
    return R;
}

std::vector<std::string> Entries(QListWidget* L) {
    std::vector<std::string> R;
    for (int I = 0; I < L->count(); ++I)
        R.push_back(FromQString(L->item(I)->text()));
    return R;
}

} // namespace

class PropertiesTest : public MainWindowTest {
protected:
    // Opens the dialog of Item as the core's hook does and lets Work use it.
    void Show(TBasicItem* Item, std::function<void(TCatPropForm&)> Work) {
        Dialogs->OnProperties(std::move(Work));
        ShowItemPropertiesProc(Item);
    }
};

TEST_F(PropertiesTest, EachKindOfItemShowsItsOwnPagesAndFacts) {
    CreateWindow();
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    TFileCollection* Disc = AddScanned(Docs, "Disc1", "/media/disc/");
    Disc->Volume().VolumeName = "PHOTOS";
    Disc->Volume().FileSystem = "iso9660";
    Disc->Volume().Serial = 0x1A2B3C4D;
    Disc->Volume().DriveType = 5;
    TFileFolder* Trip = AddFolder(Disc, "Trip");
    AddFile(AddFolder(Trip, "Day1"), "a.jpg", 500);
    AddFolder(Trip, "Empty");
    TFileItem* Readme = AddFile(Disc, "readme.txt", 1999, 32 | 1);
    Readme->FileInfoRef().Date = EncodeDateTime(2023, 3, 15, 0, 0, 0, 0);
    Main->RefreshTreeNode(RootNode());

    Show(CurrentCatalog, [&](TCatPropForm& F) {
        EXPECT_EQ(Pages(F), std::vector<std::string>{"General"});
        EXPECT_EQ(Text(F, "e_FullName"), "\\");
        EXPECT_TRUE(Child(F, "e_Name")->isEnabled());
    });
    Show(Docs, [&](TCatPropForm& F) {
        EXPECT_EQ(F.windowTitle().toStdString(), "Properties : Docs");
        EXPECT_EQ(Pages(F), (std::vector<std::string>{"General", "KeyWords"}));
    });
    Show(Disc, [&](TCatPropForm& F) {
        EXPECT_EQ(Pages(F), (std::vector<std::string>{"General", "KeyWords", "Location"}));
        EXPECT_EQ(Text(F, "e_FullName"), "\\Docs\\Disc1");
        EXPECT_EQ(Text(F, "e_RelatedDir"), "/media/disc/");
        EXPECT_TRUE(Child(F, "e_RelatedDir")->isEnabled());
        EXPECT_EQ(Text(F, "e_VolName"), "PHOTOS");
        EXPECT_EQ(Text(F, "e_VolSerial"), "1A2B-3C4D");
        EXPECT_EQ(Text(F, "e_FileSystem"), "iso9660");
        EXPECT_EQ(Text(F, "e_DriveType"), "CDROM");
    });
    // Folders on disk count what lies below them; kilobytes are rounded down, 1 to 999 bytes
    // give 1.
    Show(Trip, [&](TCatPropForm& F) {
        EXPECT_EQ(Pages(F),
                  (std::vector<std::string>{"General", "FileSystem Info", "KeyWords", "Location"}));
        EXPECT_EQ(Text(F, "e_Size"), "2 Folder, 1 File, 1 KB");
        EXPECT_EQ(Text(F, "e_FilePath"), "/media/disc/Trip");
    });
    Show(AddFolder(Trip, "Nothing"),
         [&](TCatPropForm& F) { EXPECT_EQ(Text(F, "e_Size"), "0 Folder, 0 File, 0 KB"); });
    Show(Readme, [&](TCatPropForm& F) {
        EXPECT_FALSE(Child(F, "e_Name")->isEnabled());
        EXPECT_EQ(Text(F, "e_Size"), "1999");
        EXPECT_EQ(Text(F, "e_RelatedLocation"), "readme.txt");
        EXPECT_EQ(Text(F, "e_FilePath"), "/media/disc/readme.txt");
        // Midnight: the date alone.
        EXPECT_EQ(Child<QLineEdit>(F, "e_Date")->text(),
                  QLocale().toString(QDate(2023, 3, 15), QLocale::ShortFormat));
        EXPECT_TRUE(Child<QAbstractButton>(F, "CheckBox1")->isChecked());
        EXPECT_TRUE(Child<QAbstractButton>(F, "CheckBox2")->isChecked());
        EXPECT_FALSE(Child<QAbstractButton>(F, "CheckBox3")->isChecked());
        EXPECT_EQ(Text(F, "e_RelatedDir"), "/media/disc/");
        EXPECT_FALSE(Child(F, "e_RelatedDir")->isEnabled());
        EXPECT_EQ(Text(F, "e_VolSerial"), "1A2B-3C4D");
    });
}

TEST_F(PropertiesTest, EditsReachTheItemOnlyThroughApplyAndOk) {
    CreateWindow();
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    // A name that is no valid UTF-8 survives a dialog that did not touch it.
    TFileItem* Odd = AddFile(Docs, "caf\xe9.txt", 5);
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(Docs);
    CatalogModified = false;
    Show(Odd, [&](TCatPropForm& F) { Click(F, "Button1"); });
    EXPECT_EQ(Odd->Name(), "caf\xe9.txt");
    EXPECT_FALSE(CatalogModified);

    Main->SetCurrentFolder(CurrentCatalog);
    SelectRows({"Docs"});
    Dialogs->OnProperties([&](TCatPropForm& F) {
        EXPECT_FALSE(Child(F, "ApplyButton")->isEnabled());
        QTest::keyClicks(Child(F, "e_Comment"), "papers");
        EXPECT_TRUE(Child(F, "ApplyButton")->isEnabled());
        EXPECT_EQ(Docs->Comment(), "");
        Click(F, "ApplyButton");
        EXPECT_FALSE(Child(F, "ApplyButton")->isEnabled());
        EXPECT_EQ(Docs->Comment(), "papers");
        // The list row shows it at once.
        EXPECT_EQ(RowOf("Docs")->SubItems()[4], "papers");
        Child<QLineEdit>(F, "e_Name")->setText("Letters");
        Child<QPlainTextEdit>(F, "e_note")->setPlainText("two\nlines");
        Click(F, "Button2");
    });
    Trigger("aMainProperty");
    EXPECT_EQ(Docs->Name(), "Docs");
    EXPECT_EQ(Docs->Note(), "");

    Show(Docs, [&](TCatPropForm& F) {
        Child<QLineEdit>(F, "e_Name")->setText("Letters");
        Child<QPlainTextEdit>(F, "e_note")->setPlainText("two\nlines");
        Click(F, "Button1");
    });
    EXPECT_EQ(Docs->Name(), "Letters");
    EXPECT_EQ(Docs->Note(), "two\r\nlines");
    EXPECT_EQ(NodeTexts(RootNode()), std::vector<std::string>{"Letters"});
}

TEST_F(PropertiesTest, KeywordsAreChosenInTheDialogAndLinkedOnce) {
    CreateWindow();
    TKeyWordItems* K = CurrentCatalog->KeyWords();
    for (const char* Name : {"red", "Blue", "Green"})
        (new TKeyWordItem(K))->SetItemName(Name);
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    TBasicItem* Letter = AddFile(Docs, "letter.txt");
    K->At(K->IndexOfName("Green"))->AddClient(Letter);
    Main->SetCurrentFolder(Docs);

    Show(Letter, [&](TCatPropForm& F) {
        auto* Choice = Child<QComboBox>(F, "e_List");
        auto* List = Child<QListWidget>(F, "ListBox1");
        EXPECT_EQ(Choice->itemText(0), "Blue");
        EXPECT_EQ(Choice->itemText(2), "red");
        EXPECT_EQ(Entries(List), std::vector<std::string>{"Green"});
        Choice->setCurrentIndex(2);
        Click(F, "BitBtn1");
        Click(F, "BitBtn1");
        EXPECT_EQ(Entries(List), (std::vector<std::string>{"Green", "red", "red"}));
        Click(F, "ApplyButton");
        EXPECT_EQ(Letter->KeyWords().size(), 2u);
        Click(F, "BitBtn3"); // nothing selected: nothing changes
        EXPECT_FALSE(Child(F, "ApplyButton")->isEnabled());
        List->item(0)->setSelected(true);
        Click(F, "BitBtn3");
        EXPECT_EQ(Entries(List), (std::vector<std::string>{"red", "red"}));
        Click(F, "BitBtn4");
        Click(F, "BitBtn2");
        EXPECT_EQ(Entries(List), (std::vector<std::string>{"Blue", "Green", "red"}));
        Click(F, "Button1");
    });
    EXPECT_EQ(Letter->KeyWords().size(), 3u);
    EXPECT_EQ(K->At(K->IndexOfName("red"))->Clients().Count(), 1);
}

TEST_F(PropertiesTest, UpAndDownWalkTheTreeOrTheListAndDropWhatWasNotApplied) {
    CreateWindow();
    TBasicFolder* A = AddVirtual(CurrentCatalog, "A");
    TBasicFolder* A1 = AddVirtual(A, "A1");
    TBasicFolder* B = AddVirtual(CurrentCatalog, "B");
    TBasicItem* File = AddFile(CurrentCatalog, "z.txt");
    (new TKeyWordItem(CurrentCatalog->KeyWords()))->SetItemName("Tag");
    CurrentCatalog->KeyWords()->At(0)->AddClient(A);
    Main->RefreshTreeNode(RootNode());
    Main->SetCurrentFolder(A);

    // The dialog of the current folder walks the tree in depth-first order, selecting nodes.
    Show(A, [&](TCatPropForm& F) {
        EXPECT_TRUE(F.FollowTree());
        auto* Up = F.findChild<QAction*>("UpAction");
        auto* Down = F.findChild<QAction*>("DownAction");
        QTest::keyClicks(Child(F, "e_Comment"), "dropped");
        Down->trigger();
        EXPECT_EQ(F.Item(), A1);
        EXPECT_EQ(tvMain()->Selected()->Data(), A1);
        Down->trigger();
        EXPECT_EQ(F.Item(), B);
        EXPECT_FALSE(Down->isEnabled());
        Up->trigger();
        Up->trigger();
        Up->trigger();
        EXPECT_EQ(F.Item(), CurrentCatalog);
        EXPECT_FALSE(Up->isEnabled());
        EXPECT_EQ(CurrentFolder, CurrentCatalog);
        // The root shows no keyword page: Ok leaves what the folder before listed alone.
        Click(F, "Button1");
    });
    EXPECT_EQ(A->Comment(), "");
    EXPECT_TRUE(CurrentCatalog->TBasicItem::KeyWords().empty());
    EXPECT_EQ(A->KeyWords().size(), 1u);

    // Any other item walks the rows of its list, selecting them.
    Show(B, [&](TCatPropForm& F) {
        EXPECT_FALSE(F.FollowTree());
        auto* Up = F.findChild<QAction*>("UpAction");
        auto* Down = F.findChild<QAction*>("DownAction");
        EXPECT_EQ(lvMain()->Selected()->Data(), B);
        Down->trigger();
        EXPECT_EQ(F.Item(), File);
        EXPECT_EQ(lvMain()->SelCount(), 1);
        EXPECT_EQ(lvMain()->Selected()->Data(), File);
        EXPECT_FALSE(Down->isEnabled());
        Up->trigger();
        Up->trigger();
        EXPECT_EQ(F.Item(), A);
        EXPECT_FALSE(Up->isEnabled());
    });
}

TEST_F(PropertiesTest, NotesComeFromAndGoToPlainAndDosTextFiles) {
    struct TCodePage {
        TCodePage() { SetOemCodePage(866); }
        ~TCodePage() { SetOemCodePage(0); }
    } Pinned;
    CreateWindow();
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    const std::string Note =
        "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n\xe2\x95\x94\xe2\x95\x90\n";
    // "Привет" and two box-drawing characters in code page 866, lines ended by CR LF.
    const std::string Dos = "\x8f\xe0\xa8\xa2\xa5\xe2\r\n\xc9\xcd\r\n";
    WriteFile(Dir->Path() + "dos.txt", Dos);
    WriteFile(Dir->Path() + "plain.txt", Note);
    WriteFile(Dir->Path() + "keep.txt", "old");
    WriteFile(Dir->Path() + "latin1.txt", "caf\xe9\n");
    // Places that are no files: a FIFO, and (as root, as CI runs) a device node.
    const std::string Fifo = Dir->Path() + "fifo", Device = Dir->Path() + "null";
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0644), 0);
    const bool HaveDevice = ::mknod(Device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;

    Show(Docs, [&](TCatPropForm& F) {
        auto* Memo = Child<QPlainTextEdit>(F, "e_note");
        Dialogs->ChooseFile(Dir->Path() + "dos.txt", 2);
        Click(F, "BitBtn5");
        EXPECT_EQ(FromQString(Memo->toPlainText()), Note);
        EXPECT_TRUE(Child(F, "ApplyButton")->isEnabled());
        Memo->clear();
        Dialogs->ChooseFile(Dir->Path() + "plain.txt", 1);
        Click(F, "BitBtn5");
        EXPECT_EQ(FromQString(Memo->toPlainText()), Note);
        // A file that is no UTF-8 text replaces the note only when the user says so.
        for (TModalResult Answer : {mrNo, mrYes}) {
            Dialogs->ChooseFile(Dir->Path() + "latin1.txt", 1);
            Dialogs->Answer(Answer);
            Click(F, "BitBtn5");
            EXPECT_EQ(Dialogs->Asked.back().Type, mtWarning);
            EXPECT_EQ(FromQString(Memo->toPlainText()),
                      Answer == mrNo ? Note : "caf\xEF\xBF\xBD\n");
        }
        Memo->setPlainText(ToQString(Note));

        Dialogs->ChooseFile(Dir->Path() + "out-dos.txt", 2);
        Click(F, "BitBtn6");
        EXPECT_EQ(ReadFile(Dir->Path() + "out-dos.txt"), Dos);
        Dialogs->ChooseFile(Dir->Path() + "out-plain.txt", 1);
        Click(F, "BitBtn6");
        EXPECT_EQ(
            ReadFile(Dir->Path() + "out-plain.txt"),
            "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\r\n\xe2\x95\x94\xe2\x95\x90\r\n");

        // Text code page 866 cannot hold, and a place that cannot be written: the failure is
        // told and nothing is written.
        Memo->setPlainText(QStringLiteral("\u65e5\u672c"));
        Dialogs->ChooseFile(Dir->Path() + "keep.txt", 2);
        Dialogs->Answer(mrOk);
        Click(F, "BitBtn6");
        EXPECT_EQ(ReadFile(Dir->Path() + "keep.txt"), "old");
        Dialogs->ChooseFile(Dir->Path() + "no-such-folder/x.txt", 1);
        Dialogs->Answer(mrOk);
        Click(F, "BitBtn6");
        EXPECT_FALSE(FileExists(Dir->Path() + "no-such-folder/x.txt"));
        for (const std::string& Place : {Fifo, Device}) {
            if (Place == Device && !HaveDevice) continue;
            Dialogs->ChooseFile(Place, 1);
            Dialogs->Answer(mrOk);
            Click(F, "BitBtn6");
        }
        Click(F, "Button2");
    });
    ASSERT_EQ(Dialogs->Messages().size(), HaveDevice ? 6u : 5u);
    EXPECT_NE(Dialogs->Messages()[2].find("866"), std::string::npos);
    EXPECT_NE(Dialogs->Messages()[3].find("no-such-folder"), std::string::npos);
    EXPECT_NE(Dialogs->Messages()[4].find(Fifo), std::string::npos);
    struct stat St {};
    ASSERT_EQ(::lstat(Fifo.c_str(), &St), 0);
    EXPECT_TRUE(S_ISFIFO(St.st_mode));
    if (HaveDevice) {
        ASSERT_EQ(::lstat(Device.c_str(), &St), 0);
        EXPECT_TRUE(S_ISCHR(St.st_mode));
    }
    EXPECT_EQ(Docs->Note(), "");
}

TEST_F(PropertiesTest, OneSizeCutsNothingAndKeysReachOnlyShownPagesAndFieldsToEdit) {
    CreateWindow();
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    TFileCollection* Disc = AddScanned(Docs, "Disc", "/media/disc/");
    TFileItem* File = AddFile(Disc, "a.txt", 5);
    // Not sizeable, never below the designed client area, every tab and page whole.
    Show(File, [&](TCatPropForm& F) {
        EXPECT_EQ(Pages(F).size(), 4u);
        EXPECT_EQ(F.minimumSize(), F.maximumSize());
        EXPECT_TRUE(F.width() >= 308 && F.height() >= 243);
        ExpectNothingCut(*Child<QTabWidget>(F, "PageControl1"));
    });
    // Tab goes from the name to the comment past the read-only path; Ctrl+Tab walks the pages
    // shown (General, KeyWords) and never a hidden one.
    Show(Docs, [&](TCatPropForm& F) {
        auto* Tabs = Child<QTabWidget>(F, "PageControl1");
        ASSERT_EQ(QApplication::focusWidget(), Child(F, "e_Name"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Child(F, "e_Comment"));
        std::vector<std::string> Walked;
        for (int I = 0; I < 3; ++I) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            Walked.push_back(FromQString(Tabs->tabText(Tabs->currentIndex())));
        }
        EXPECT_EQ(Walked, (std::vector<std::string>{"KeyWords", "General", "KeyWords"}));
    });
}

TEST(NoteEdit, EveryNoteComesBackFromTheMemoExactlyAndNoShownLineIsLong) {
    const QString J(QChar(0x2060)), Smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    QString AtBoundary = QString(8191, QLatin1Char('a')) + Smile + QString(9000, QLatin1Char('b'));
    QString Blanks;
    for (int I = 0; I < 5000; ++I)
        Blanks += QStringLiteral("word ");
    // Joiners of the note where a piece ends, before a line break, and last.
    QString Joiners = QString(8191, QLatin1Char('c')) + J + QString(9000, QLatin1Char('d')) + J +
                      QLatin1Char('\n') + J;
    for (const QString& Note : {QString(), J, J + QLatin1Char('\n'), QStringLiteral("a\n\nb\n"),
                                AtBoundary, Blanks, Joiners, QString(100000, QLatin1Char('x'))}) {
        const QString Shown = NoteForShowing(Note);
        EXPECT_EQ(NoteFromShown(Shown), Note) << Note.left(40).toStdString();
        for (const QString& Line : Shown.split(QLatin1Char('\n'))) {
            EXPECT_LE(Line.size(), 8192 * 2 + 1); // a piece, its joiners doubled, the mark
            EXPECT_FALSE(!Line.isEmpty() && Line.back().isHighSurrogate());
        }
    }
    // Blanks near a piece's end take the break, so that words stay whole.
    EXPECT_TRUE(
        NoteForShowing(Blanks).split(QLatin1Char('\n'))[0].endsWith(QStringLiteral(" ") + J));
    EXPECT_GT(NoteForShowing(QString(100000, QLatin1Char('x'))).count(QLatin1Char('\n')), 10);
}

TEST_F(PropertiesTest, ANoteShownInPiecesStaysAsItIsAndTakesKeysWhereThePiecesMeet) {
    CreateWindow();
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    // One line of a megabyte whose first piece ends with a joiner of the note's own, and
    // another joiner further on.
    const std::string J = "\xE2\x81\xA0";
    std::string Line(1 << 20, 'x');
    Line.replace(8191, 1, J);
    Line.replace(20000, 1, J);
    const std::string Note = Line + "\r\nend";
    const auto With = [&](size_t At, size_t Erase, const std::string& Put) {
        std::string R = Line;
        R.replace(At, Erase, Put);
        return R + "\r\nend";
    };
    // The cursor put where the first piece ends, or where the second begins (a click there).
    const auto At = [](TNoteEdit* Memo, bool SecondPiece) {
        const QTextBlock First = Memo->document()->firstBlock();
        QTextCursor C(Memo->document());
        C.setPosition(SecondPiece ? First.next().position()
                                  : First.position() + First.length() - 1);
        Memo->setTextCursor(C);
    };
    const struct {
        const char* What;
        std::function<void(TNoteEdit*)> Keys;
        std::string Stored;
    } Cases[] = {
        {"nothing", [](TNoteEdit*) {}, Note},
        {"typed at the first piece's end",
         [&](TNoteEdit* M) {
             At(M, false);
             QTest::keyClicks(M, "Z");
         },
         With(8194, 0, "Z")},
        {"typed at the second piece's start",
         [&](TNoteEdit* M) {
             At(M, true);
             QTest::keyClicks(M, "Z");
         },
         With(8194, 0, "Z")},
        {"typed before the note's joiner",
         [&](TNoteEdit* M) {
             At(M, false);
             QTest::keyClick(M, Qt::Key_Left);
             QTest::keyClicks(M, "Z");
         },
         With(8191, 0, "Z")},
        {"Enter at the first piece's end",
         [&](TNoteEdit* M) {
             At(M, false);
             QTest::keyClick(M, Qt::Key_Return);
         },
         With(8194, 0, "\r\n")},
        {"Delete at the first piece's end",
         [&](TNoteEdit* M) {
             At(M, false);
             QTest::keyClick(M, Qt::Key_Delete);
         },
         With(8194, 1, "")},
        {"Backspace at the second piece's start",
         [&](TNoteEdit* M) {
             At(M, true);
             QTest::keyClick(M, Qt::Key_Backspace);
         },
         With(8191, 3, "")},
        {"Ctrl+Delete at the first piece's end",
         [&](TNoteEdit* M) {
             At(M, false);
             QTest::keyClick(M, Qt::Key_Delete, Qt::ControlModifier);
         },
         With(8194, 8192, "")},
        {"Ctrl+Backspace at the second piece's start",
         [&](TNoteEdit* M) {
             At(M, true);
             QTest::keyClick(M, Qt::Key_Backspace, Qt::ControlModifier);
         },
         With(0, 8194, "")},
    };
    for (const auto& Case : Cases) {
        Docs->SetNote(Note);
        Show(Docs, [&](TCatPropForm& F) {
            auto* Memo = Child<TNoteEdit>(F, "e_note");
            Memo->setFocus();
            Case.Keys(Memo);
            Click(F, "Button1");
        });
        EXPECT_TRUE(Docs->Note() == Case.Stored) << Case.What;
    }
}

TEST_F(PropertiesTest, ANoteOfAMegabyteInOneLineIsEditedPastedAndCopiedExactly) {
    CreateWindow();
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    std::string Line(1 << 20, 'x');
    Line.replace(20000, 3, "\xE2\x81\xA0"); // a word joiner of the note's own
    Docs->SetNote(Line + "\r\nend");
    Show(Docs, [&](TCatPropForm& F) {
        auto* Memo = Child<QPlainTextEdit>(F, "e_note");
        int Longest = 0;
        for (QTextBlock B = Memo->document()->begin(); B.isValid(); B = B.next())
            Longest = std::max(Longest, B.length());
        EXPECT_LE(Longest, 8200);
        Memo->setFocus();
        QTest::keyClick(Memo, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(Memo, "ab");
        // A copy of everything is the note; a long line pasted at the end is shown in pieces.
        QTest::keyClick(Memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Memo, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(FromQString(QGuiApplication::clipboard()->text()), "ab" + Line + "\nend");
        const int Blocks = Memo->document()->blockCount();
        QTest::keyClick(Memo, Qt::Key_End, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(QString(50000, QLatin1Char('y')));
        QTest::keyClick(Memo, Qt::Key_V, Qt::ControlModifier);
        EXPECT_GE(Memo->document()->blockCount(), Blocks + 6);
        Click(F, "Button1");
    });
    EXPECT_EQ(Docs->Note(), "ab" + Line + "\r\nend" + std::string(50000, 'y'));
}

TEST_F(PropertiesTest, OnlyAVolumeThatWasReallyReadReplacesTheRecordedOne) {
    MakeDir(Dir->Path() + "disc");
    CreateWindow();
    TFileCollection* Disc = AddScanned(CurrentCatalog, "Disc", Dir->Path() + "disc/");
    ReadVolumeInfo(Disc->Volume());
    const TVolumeInfo Recorded = Disc->Volume();
    ASSERT_EQ(Recorded.DriveType != 0 && Recorded.DriveType != 1, true);
    Disc->Volume().Serial = 0xDEADBEEF; // as if recorded from another disk

    // The disk is not there: the recorded identity stays, and the user is told.
    Show(Disc, [&](TCatPropForm& F) {
        auto* Location = Child<QLineEdit>(F, "e_RelatedDir");
        Location->selectAll();
        QTest::keyClicks(Location, FileNameToQString(Dir->Path() + "absent"));
        Dialogs->Answer(mrOk);
        Click(F, "Button3");
        EXPECT_EQ(Text(F, "e_VolSerial"), "DEAD-BEEF");
        Dialogs->Answer(mrOk);
        Click(F, "Button1");
    });
    EXPECT_EQ(Dialogs->Messages().size(), 2u);
    EXPECT_EQ(Disc->GetRootPath(), Dir->Path() + "absent/");
    EXPECT_EQ(Disc->Volume().Serial, 0xDEADBEEFu);
    EXPECT_EQ(Disc->Volume().FileSystem, Recorded.FileSystem);
    EXPECT_EQ(Disc->Volume().DriveType, Recorded.DriveType);

    // A disk that is there is read and replaces the record.
    Show(Disc, [&](TCatPropForm& F) {
        auto* Location = Child<QLineEdit>(F, "e_RelatedDir");
        Location->selectAll();
        QTest::keyClicks(Location, FileNameToQString(Dir->Path() + "disc"));
        Click(F, "Button3");
        EXPECT_EQ(Text(F, "e_VolSerial"), VolumeSerialText(Recorded.Serial));
        Click(F, "Button1");
    });
    EXPECT_EQ(Disc->GetRootPath(), Dir->Path() + "disc/");
    EXPECT_EQ(Disc->Volume().Serial, Recorded.Serial);
    // Later checks recognise the disk without asking.
    TVolumeInfo Required = Disc->Volume();
    EXPECT_TRUE(CheckVolume(Required));
}
