// The report of search results from the window: a search fills the result pane, Ctrl+P opens
// the preview through the program's dialogs, and its exports write every row.
#include "AppTestSupport.h"

#include "app/report/ReportPreview.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {

std::string RunTool(const QString& Program, const QStringList& Args) {
    QProcess P;
    P.start(Program, Args);
    if (!P.waitForFinished(30000) || P.exitCode() != 0) return "<" + Program.toStdString() + ">";
    return P.readAllStandardOutput().toStdString();
}

} // namespace

TEST_F(MainWindowTest, CtrlPPreviewsTheResultsAndItsExportsWriteEveryRow) {
    CreateWindow();
    BuildSampleCatalog();
    TBasicItem* Disc = CurrentCatalog->Children()->At(0)->Children()->At(0);
    AddFile(Disc, "say \"hi\".txt");
    AddFile(Disc, "Gr\xc3\xb6\xc3\x9f"
                  "e.txt");
    Main->RefreshTreeNode(RootNode());
    Dialogs->Find({"", "", "", "*.txt"});
    Trigger("FindAction");
    WaitForSearch();
    ASSERT_EQ(lvResult()->Count(), 3);

    // The program's own factory shows the preview; its questions come to the script.
    auto Factory = NewQtDialogFactory();
    SetDialogFactory(Factory.get());
    const std::string Csv = Dir->Path() + "results.csv", Pdf = Dir->Path() + "results.pdf";
    Dialogs->ChooseFile(Csv);
    Dialogs->ChooseFile(Pdf);
    int Pages = 0;
    size_t Entries = 0;
    QTimer::singleShot(0, [&] {
        auto* Preview = qobject_cast<TfmReportPreview*>(QApplication::activeModalWidget());
        ASSERT_NE(Preview, nullptr);
        Pages = Preview->PageCount();
        Entries = Preview->Report().Entries.size();
        Preview->Export(refCsv);
        Preview->Export(refPdf);
        Preview->aClose->trigger();
    });
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
    Main->UpdateActions();
    QTest::keyClick(Main.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Pages, 1);
    EXPECT_EQ(Entries, 3u);
    ASSERT_EQ(Dialogs->Asked.size(), 3u);
    EXPECT_EQ(Dialogs->Asked[1].Text, "Export Spreadsheet (CSV)");

    // One line per row, sorted by name, the path of each beside it.
    const std::string Path = Dir->Path() + "disc/";
    EXPECT_EQ(ReadFile(Csv), "\xEF\xBB\xBF\"Name\",\"FileName\"\r\n"
                             "\"Gr\xc3\xb6\xc3\x9f"
                             "e.txt\",\"" +
                                 Path +
                                 "Gr\xc3\xb6\xc3\x9f"
                                 "e.txt\"\r\n"
                                 "\"readme.txt\",\"" +
                                 Path +
                                 "readme.txt\"\r\n"
                                 "\"say \"\"hi\"\".txt\",\"" +
                                 Path + "say \"\"hi\"\".txt\"\r\n");
    const std::string Text = RunTool("pdftotext", {QString::fromStdString(Pdf), "-"});
    EXPECT_NE(Text.find("Report"), std::string::npos) << Text;
    EXPECT_NE(Text.find("say \"hi\".txt"), std::string::npos) << Text;
    EXPECT_NE(Text.find(Path + "readme.txt"), std::string::npos) << Text;
}
