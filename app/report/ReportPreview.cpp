#include "ReportPreview.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

// The current page on a grey desk, drawn at the preview's zoom.
class TReportPageView : public QWidget {
public:
    static constexpr int Border = 16;

    explicit TReportPageView(QWidget* Parent) : QWidget(Parent) {}

    void Show(const TReportLayout* Layout, int Page, double Scale) {
        FLayout = Layout;
        FPage = Page;
        FScale = Scale;
        QSizeF S = Layout->PageSize() * Scale;
        setFixedSize(static_cast<int>(std::ceil(S.width())) + 2 * Border,
                     static_cast<int>(std::ceil(S.height())) + 2 * Border);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter P(this);
        P.fillRect(rect(), palette().color(QPalette::Dark));
        if (!FLayout) return;
        QRectF Paper(Border, Border, FLayout->PageSize().width() * FScale,
                     FLayout->PageSize().height() * FScale);
        P.fillRect(Paper.translated(3, 3), QColor(0, 0, 0, 90));
        P.fillRect(Paper, Qt::white);
        P.setPen(QColor(0, 0, 0, 120));
        P.drawRect(Paper);
        if (FPage < 0 || FPage >= FLayout->PageCount()) return;
        P.setRenderHint(QPainter::Antialiasing);
        P.setRenderHint(QPainter::TextAntialiasing);
        P.translate(Paper.topLeft());
        P.scale(FScale, FScale);
        FLayout->DrawPage(P, FPage);
    }

private:
    const TReportLayout* FLayout = nullptr;
    int FPage = 0;
    double FScale = 1;
};

namespace {

bool AskExportFileDefault(QWidget* Parent, TReportExportFormat Format, QString& FileName) {
    QFileDialog Dialog(Parent, QStringLiteral("Export %1").arg(ExportFormatCaption(Format)));
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setNameFilter(ExportFormatFilter(Format));
    Dialog.setDefaultSuffix(ExportFormatExtension(Format));
    Dialog.selectFile(FileName);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return false;
    FileName = Dialog.selectedFiles().first();
    return true;
}

// Many pages take long enough to print that the user should see them go and may stop them.
constexpr int ProgressPages = 20;

} // namespace

TfmReportPreview::TfmReportPreview(TReportDefinition Report, TReportPreviewHooks Hooks,
                                   QWidget* Parent)
    : QDialog(Parent), FReport(std::move(Report)), FHooks(std::move(Hooks)),
      FLayout(std::make_unique<TReportLayout>(FReport)) {
    setWindowTitle(QString::fromStdString(FReport.Title));
    setModal(true);
    auto* Bar = new QToolBar(this);
    Bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto Add = [&](const QString& Text, QStyle::StandardPixmap Icon, QKeySequence Key, auto Slot) {
        // No standard picture for printing: the icon theme's, or none.
        QAction* A = Bar->addAction(Icon == QStyle::SP_CustomBase
                                        ? QIcon::fromTheme(QStringLiteral("document-print"))
                                        : style()->standardIcon(Icon),
                                    Text);
        A->setShortcut(Key);
        A->setToolTip(Key.isEmpty() ? Text : QStringLiteral("%1 (%2)").arg(Text, Key.toString()));
        connect(A, &QAction::triggered, this, Slot);
        return A;
    };
    aFirst = Add(QStringLiteral("First"), QStyle::SP_MediaSkipBackward,
                 QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { SetCurrentPage(0); });
    aPrior = Add(QStringLiteral("Prior"), QStyle::SP_MediaSeekBackward,
                 QKeySequence(Qt::Key_PageUp), [this] { SetCurrentPage(FPage - 1); });
    aNext = Add(QStringLiteral("Next"), QStyle::SP_MediaSeekForward, QKeySequence(Qt::Key_PageDown),
                [this] { SetCurrentPage(FPage + 1); });
    aLast = Add(QStringLiteral("Last"), QStyle::SP_MediaSkipForward,
                QKeySequence(Qt::CTRL | Qt::Key_End), [this] { SetCurrentPage(PageCount() - 1); });
    for (QAction* A : {aFirst, aPrior, aNext, aLast})
        A->setPriority(QAction::LowPriority); // icons only
    FPageLabel = new QLabel(Bar);
    FPageLabel->setContentsMargins(8, 0, 8, 0);
    Bar->addWidget(FPageLabel);
    FZoomBox = new QComboBox(Bar);
    FZoomBox->addItems(
        {QStringLiteral("Whole page"), QStringLiteral("Page width"), QStringLiteral("100 %")});
    FZoomBox->setCurrentIndex(FZoom);
    connect(FZoomBox, &QComboBox::activated, this, [this](int I) { SetZoom(TZoom(I)); });
    Bar->addWidget(FZoomBox);
    Bar->addSeparator();
    aPrint = Add(QStringLiteral("Print ..."), QStyle::SP_CustomBase,
                 QKeySequence(Qt::CTRL | Qt::Key_P), [this] { Print(); });
    auto* ExportMenu = new QMenu(this);
    for (int F = refText; F <= refPdf; ++F) {
        auto Format = static_cast<TReportExportFormat>(F);
        aExport[F] = ExportMenu->addAction(ExportFormatCaption(Format) + QStringLiteral(" ..."));
        connect(aExport[F], &QAction::triggered, this, [this, Format] { Export(Format); });
    }
    auto* ExportButton = new QToolButton(Bar);
    ExportButton->setText(QStringLiteral("Export"));
    ExportButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ExportButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ExportButton->setPopupMode(QToolButton::InstantPopup);
    ExportButton->setMenu(ExportMenu);
    Bar->addWidget(ExportButton);
    Bar->addSeparator();
    aClose = Add(QStringLiteral("Close"), QStyle::SP_DialogCloseButton, QKeySequence(),
                 [this] { reject(); });

    FScroll = new QScrollArea(this);
    FScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FScroll->setBackgroundRole(QPalette::Dark);
    FView = new TReportPageView(FScroll);
    FScroll->setWidget(FView);
    FScroll->installEventFilter(this);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    Layout->addWidget(Bar);
    Layout->addWidget(FScroll, 1);

    QSize Size(860, 960);
    if (QScreen* Screen = Parent ? Parent->screen() : QGuiApplication::primaryScreen())
        Size = Size.boundedTo(Screen->availableGeometry().size() * 0.9);
    resize(Size);
    UpdateControls();
    UpdateZoom();
}

TfmReportPreview::~TfmReportPreview() = default;

void TfmReportPreview::SetCurrentPage(int Page) {
    Page = std::clamp(Page, 0, std::max(0, PageCount() - 1));
    if (Page == FPage) return;
    FPage = Page;
    FScroll->verticalScrollBar()->setValue(0);
    UpdateControls();
    UpdateZoom();
}

void TfmReportPreview::SetZoom(TZoom Zoom) {
    FZoom = Zoom;
    FZoomBox->setCurrentIndex(Zoom);
    UpdateZoom();
}

bool TfmReportPreview::eventFilter(QObject* Watched, QEvent* Event) {
    // The zoom that fits the page follows the size of the scroll area.
    if (Watched == FScroll && Event->type() == QEvent::Resize) UpdateZoom();
    return QDialog::eventFilter(Watched, Event);
}

void TfmReportPreview::UpdateControls() {
    const int Count = PageCount();
    FPageLabel->setText(Count ? QStringLiteral("Page %1 of %2").arg(FPage + 1).arg(Count)
                              : QStringLiteral("The report is empty"));
    aFirst->setEnabled(FPage > 0);
    aPrior->setEnabled(FPage > 0);
    aNext->setEnabled(FPage + 1 < Count);
    aLast->setEnabled(FPage + 1 < Count);
    aPrint->setEnabled(Count > 0);
    aExport[refPdf]->setEnabled(Count > 0);
}

void TfmReportPreview::UpdateZoom() {
    const QSizeF Page = FLayout->PageSize();
    // The room inside the scroll area's frame, whether its scroll bars show or not, so that a
    // new zoom never feeds back into the size it was taken from.
    const QSize Room = FScroll->contentsRect().size() -
                       QSize(2 * TReportPageView::Border, 2 * TReportPageView::Border);
    double Scale;
    switch (FZoom) {
    case zmWholePage:
        Scale = std::min(Room.width() / Page.width(), Room.height() / Page.height());
        break;
    case zmPageWidth:
        // Leave room for the vertical scroll bar that a page this wide needs.
        Scale = (Room.width() - FScroll->verticalScrollBar()->sizeHint().width()) / Page.width();
        break;
    default: Scale = logicalDpiX() / TReportLayout::Resolution; break;
    }
    FView->Show(FLayout.get(), FPage, std::max(Scale, 0.02));
}

void TfmReportPreview::ShowError(const QString& Message) {
    if (FHooks.ShowError)
        FHooks.ShowError(this, Message);
    else
        QMessageBox::critical(this, QStringLiteral("Error"), Message);
}

void TfmReportPreview::WithProgress(const QString& Caption,
                                    const std::function<bool(const TProgress&)>& Work) {
    std::unique_ptr<QProgressDialog> Progress;
    if (PageCount() > ProgressPages) {
        Progress = std::make_unique<QProgressDialog>(Caption, QStringLiteral("Cancel"), 0,
                                                     PageCount(), this);
        Progress->setWindowModality(Qt::WindowModal);
        Progress->setMinimumDuration(300);
    }
    try {
        Work([&](int Done, int Count) {
            if (!Progress) return true;
            Progress->setMaximum(Count);
            Progress->setValue(Done);
            return !Progress->wasCanceled();
        });
    } catch (const std::exception& E) {
        ShowError(QString::fromUtf8(E.what()));
    }
}

void TfmReportPreview::Print() {
    if (PageCount() == 0) return;
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setPageSize(
        QPageSize(QSizeF(FReport.PageWidthMM, FReport.PageHeightMM), QPageSize::Millimeter));
    Printer.setPageOrientation(QPageLayout::Portrait);
    Printer.setDocName(QString::fromStdString(FReport.Title));
    Printer.setFullPage(true);
    bool Go;
    if (FHooks.AskPrinter) {
        Go = FHooks.AskPrinter(this, Printer);
    } else {
        QPrintDialog Dialog(&Printer, this);
        Go = Dialog.exec() == QDialog::Accepted;
    }
    if (!Go) return;
    WithProgress(QStringLiteral("Printing ..."), [&](const TProgress& P) {
        if (PrintReport(FReport, Printer, P) >= 0) return true;
        Printer.abort();
        return false;
    });
}

void TfmReportPreview::Export(TReportExportFormat Format) {
    if (Format == refPdf && PageCount() == 0) return;
    QString FileName = QStringLiteral("Report.") + ExportFormatExtension(Format);
    bool Go = FHooks.AskExportFile ? FHooks.AskExportFile(this, Format, FileName)
                                   : AskExportFileDefault(this, Format, FileName);
    if (!Go || FileName.isEmpty()) return;
    WithProgress(QStringLiteral("Exporting ..."),
                 [&](const TProgress& P) { return SaveReport(FReport, Format, FileName, P); });
}

void ShowReportPreview(QWidget* Parent, const std::vector<TReportRow>& Rows,
                       const TReportPreviewHooks& Hooks) {
    TReportDefinition Report;
    {
        // The form and its dataset are needed only to collect the report.
        TfmReport Form;
        Report = Form.Prepare(Rows);
    }
    TfmReportPreview Preview(std::move(Report), Hooks, Parent);
    Preview.exec();
}
