// The report's preview window: the pages of the report as they will print, with page
// navigation and zoom, Print (through the system print dialog), Export (Text, Spreadsheet as
// CSV, RTF, HTML, PDF) and Close. It is modal and made for one report.
//
// The main window shows it with one call, ShowReportPreview(parent, rows), which fills the
// report form's dataset from the rows of the result pane, collects the report and runs the
// window until it closes. The questions it asks (the file to export to, the printer, error
// messages) go through hooks, so that the program can route them through its own dialogs and
// tests can answer them; empty hooks use Qt's file dialog, print dialog and message box.
//
// Ownership: the window owns its copy of the report and its page layout. UI thread only.
#pragma once

#include "ReportDefinition.h"
#include "ReportExport.h"
#include "ReportForm.h"
#include "ReportRenderer.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class TReportPageView;

struct TReportPreviewHooks {
    // The file to export Format to; true with FileName set when the user chose one.
    std::function<bool(QWidget* Parent, TReportExportFormat Format, QString& FileName)>
        AskExportFile;
    // Lets the user set up Printer; true to print.
    std::function<bool(QWidget* Parent, QPrinter& Printer)> AskPrinter;
    // Shows an error message in a box titled "Error".
    std::function<void(QWidget* Parent, const QString& Message)> ShowError;
};

class TfmReportPreview : public QDialog {
    Q_OBJECT
public:
    enum TZoom { zmWholePage, zmPageWidth, zmActualSize };

    TfmReportPreview(TReportDefinition Report, TReportPreviewHooks Hooks,
                     QWidget* Parent = nullptr);
    ~TfmReportPreview() override;

    const TReportDefinition& Report() const { return FReport; }
    int PageCount() const { return FLayout->PageCount(); }
    int CurrentPage() const { return FPage; }
    void SetCurrentPage(int Page);
    void SetZoom(TZoom Zoom);

    // The commands of the buttons.
    void Print();
    void Export(TReportExportFormat Format);

    QAction *aFirst, *aPrior, *aNext, *aLast;
    QAction* aPrint;
    QAction* aClose;
    QAction* aExport[5];

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void UpdateControls();
    void UpdateZoom();
    void ShowError(const QString& Message);
    using TProgress = std::function<bool(int Done, int Count)>;
    // Runs Work with a progress window that can stop it; the window shows only when the work
    // has many pages. Errors are shown, not raised.
    void WithProgress(const QString& Caption, const std::function<bool(const TProgress&)>& Work);

    TReportDefinition FReport;
    TReportPreviewHooks FHooks;
    std::unique_ptr<TReportLayout> FLayout;
    int FPage = 0;
    TZoom FZoom = zmPageWidth;
    TReportPageView* FView;
    QScrollArea* FScroll;
    QLabel* FPageLabel;
    QComboBox* FZoomBox;
};

// Builds the report of Rows (the result pane's rows) and shows its preview modally; returns
// when the user closes it.
void ShowReportPreview(QWidget* Parent, const std::vector<TReportRow>& Rows,
                       const TReportPreviewHooks& Hooks = {});
