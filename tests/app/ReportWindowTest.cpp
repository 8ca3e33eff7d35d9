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
    // Siblings differing in letter case, quotes, a name beyond ASCII, a path of 300 bytes.
    AddFile(Disc, "README.txt");
    AddFile(Disc, "say \"hi\".txt");
    AddFile(Disc, "Gr\u00f6\u00dfe.txt");
    AddFile(AddFolder(Disc, std::string(280, 'd')), "long.txt");
    Main->RefreshTreeNode(RootNode());
    Dialogs->Find({"", "", "", "*.txt"});
    Trigger("FindAction");
    WaitForSearch();
    ASSERT_EQ(lvResult()->Count(), 5);

    // The program's own factory shows the preview; its questions come to the script.
    auto Factory = NewQtDialogFactory();
    SetDialogFactory(Factory.get());
    const std::string Csv = Dir->Path() + "results.csv", Pdf = Dir->Path() + "results.pdf";
    Dialogs->ChooseFile(Csv);
    Dialogs->ChooseFile(Pdf);
    int Pages = 0;
    QTimer::singleShot(0, [&] {
        auto* Preview = qobject_cast<TfmReportPreview*>(QApplication::activeModalWidget());
        ASSERT_NE(Preview, nullptr);
        Pages = Preview->PageCount();
        Preview->Export(refCsv);
        Preview->Export(refPdf);
        Preview->aClose->trigger();
    });
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
    Main->UpdateActions();
    QTest::keyClick(Main.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Pages, 1);
    ASSERT_EQ(Dialogs->Asked.size(), 3u);
    EXPECT_EQ(Dialogs->Asked[1].Text, "Export Spreadsheet (CSV)");

    // One line per row, sorted by name (letter case breaks ties), the whole path beside it.
    const std::string Path = Dir->Path() + "disc/";
    const std::string Lines[][2] = {
        {"Gr\u00f6\u00dfe.txt", Path + "Gr\u00f6\u00dfe.txt"},
        {"long.txt", Path + std::string(280, 'd') + "/long.txt"},
        {"README.txt", Path + "README.txt"},
        {"readme.txt", Path + "readme.txt"},
        {"say \"\"hi\"\".txt", Path + "say \"\"hi\"\".txt"},
    };
    std::string Want = "\xEF\xBB\xBF\"Name\",\"FileName\"\r\n";
    for (const auto& L : Lines)
        Want += "\"" + L[0] + "\",\"" + L[1] + "\"\r\n";
    EXPECT_EQ(ReadFile(Csv), Want);
    const std::string Text = RunTool("pdftotext", {QString::fromStdString(Pdf), "-"});
    EXPECT_NE(Text.find("Report"), std::string::npos) << Text;
    EXPECT_NE(Text.find("say \"hi\".txt"), std::string::npos) << Text;
    EXPECT_NE(Text.find(Path + "readme.txt"), std::string::npos) << Text;
}
