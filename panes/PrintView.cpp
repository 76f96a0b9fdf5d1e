#include "panes/PrintView.h"

#include "core/User.h"
#include "panes/Panes.h"
#include "panes/WriterPane.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "system/SystemStrings.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTextDocument>

#include <exception>

std::unique_ptr<CPrintView> thePrintView;

namespace
{

constexpr int kBadPrinterSettings = 9414;
constexpr int kPdfNotWritten = 9416;
constexpr int kPrintToPdfTitle = 9455;
constexpr int kPdfFilesText = 9456;

std::unique_ptr<QPrinter>& printerSlot()
{
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

// Sets the flags word for one job and puts the old one back however the job ends.
class FlagsForJob
{
public:
    explicit FlagsForJob(std::uint32_t flags) : m_saved(thePrintView->PrintFlags)
    {
        thePrintView->PrintFlags = flags;
    }
    ~FlagsForJob()
    {
        if (thePrintView)
            thePrintView->PrintFlags = m_saved;
    }
    FlagsForJob(const FlagsForJob&) = delete;
    FlagsForJob& operator=(const FlagsForJob&) = delete;

private:
    std::uint32_t m_saved;
};

bool printerInstalled()
{
    return !QPrinterInfo::availablePrinters().isEmpty();
}

// The person's documents folder; the home folder on a system that has none (a fresh account often
// lacks it, and a file chooser cannot start in a folder that is not there).
QString pdfFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Without a printer the job is a PDF file; the person names it. False when they cancel.
bool choosePdfFile(QPrinter& printer)
{
    const QString suggested = QDir(pdfFolder()).filePath("Print.pdf");
    const std::optional<QString> file = lumivo::ui::chooseSaveFile(
        LoadSystemString(kPrintToPdfTitle), suggested,
        LoadSystemString(kPdfFilesText) + QStringLiteral(" (*.pdf)"), nullptr, "pdf");
    if (!file)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*file);
    return true;
}

// The destination of a job: the print dialog unless the job is direct; a PDF file without a printer.
bool chooseDestination(QPrinter& printer, bool direct)
{
    if (!printerInstalled())
        return choosePdfFile(printer);
    printer.setOutputFormat(QPrinter::NativeFormat);
    if (direct)
        return true;
    QPrintDialog dialog(&printer);
    return lumivo::ui::runModal(dialog) == lumivo::ui::IDOK;
}

void reportPrintFailure(const char* what)
{
    constexpr int kMaxMessage = 260;
    ShowSevereError(QStringLiteral("OnPrint:") + QString::fromLocal8Bit(what).left(kMaxMessage));
}

// The whole sheet in device pixels: the view's margins are the only ones.
CRect paperRect(const QPagedPaintDevice& device, int resolution)
{
    const QRect paper = device.pageLayout().fullRectPixels(resolution);
    return CRect(0, 0, paper.width(), paper.height());
}

enum class JobOutcome { Printed, NotPrinted, PdfNotWritten };

// Qt's PDF writer says it finished even when its file took only part of the bytes (a full disk), so the
// PDF is made in memory and written through the file system seam, which writes it beside its name,
// flushes it and renames it over an older file only when every byte is on the disk: a job that fails
// leaves no part of a file, and an older file of that name as it was.
JobOutcome printPdf(QPrinter& printer)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(printer.resolution());
        QPageLayout layout = printer.pageLayout();
        layout.setMode(QPageLayout::FullPageMode);
        writer.setPageLayout(layout);
        writer.setTitle(printer.docName());
        writer.setCreator(printer.creator());
        if (!thePrintView->PrintToDevice(writer, writer.resolution()))
            return JobOutcome::NotPrinted;
    }
    const QByteArray& bytes = pdf.data();
    return lumivo::files::writeFileAtomically(printer.outputFileName(), bytes.constData(),
                                              static_cast<std::size_t>(bytes.size()))
               ? JobOutcome::Printed
               : JobOutcome::PdfNotWritten;
}

JobOutcome printWhole(QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return printPdf(printer);
    return thePrintView->PrintTo(printer) ? JobOutcome::Printed : JobOutcome::NotPrinted;
}

} // namespace

CPrintView::CPrintView() = default;

CPrintView::~CPrintView() = default;

QTextDocument& CPrintView::RichText()
{
    if (!m_richText)
        m_richText = std::make_unique<QTextDocument>();
    return *m_richText;
}

int CPrintView::CountPages(const CRect& rect, int dpiX, int dpiY)
{
    PrintSheet page;
    page.rect = rect;
    page.dpiX = dpiX;
    page.dpiY = dpiY;
    PrintPage(page);
    return page.pages;
}

void CPrintView::PrintPage(PrintSheet& page)
{
    if (!theCurrentUser)
        return;
    const CQuibUserSettings& settings = theCurrentUser->Settings();
    const int mode = (PrintFlags & kPrintSecondMode) ? settings.SecondPrintMode : settings.PrintMode;
    if (mode == kPrintModePocketbook) {
        page.pages = 1;
        if (page.drawing(1)) {
            PrinterDC printer{*page.painter, page.dpiX, page.dpiY, page.rect.Width()};
            theMainPane.PrintPocketbook(printer);
        }
    } else if (mode >= kPrintModeSentenceText && mode <= kPrintModeLetter) {
        PrintSentences(page, mode);
    }
}

bool CPrintView::PrintTo(QPrinter& printer, bool preview)
{
    printer.setFullPage(true);
    return PrintToDevice(printer, printer.resolution(), preview);
}

bool CPrintView::PrintToDevice(QPagedPaintDevice& device, int resolution, bool preview)
{
    const CRect rect = paperRect(device, resolution);
    const int pages = CountPages(rect, device.logicalDpiX(), device.logicalDpiY());
    if (pages <= 0)
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int number = 1; number <= pages; ++number) {
        if (number > 1)
            device.newPage();
        PrintSheet page;
        page.painter = &painter;
        page.dpiX = device.logicalDpiX();
        page.dpiY = device.logicalDpiY();
        page.rect = rect;
        page.currentPage = number;
        page.preview = preview;
        PrintPage(page);
    }
    return painter.end();
}

QPrinter& ThePrinter()
{
    std::unique_ptr<QPrinter>& printer = printerSlot();
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The view's own margins place everything; the printer adds none.
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        printer->setFullPage(true);
        if (!printerInstalled())
            printer->setOutputFormat(QPrinter::PdfFormat);
    }
    return *printer;
}

void InitPrintView()
{
    WriteDebugLog(QStringLiteral("InitPrintView,1"));
    if (!thePrintView)
        thePrintView = std::make_unique<CPrintView>();
    WriteDebugLog(QStringLiteral("InitPrintView,10"));
    // The view is never shown, so it needs no window of its own: it is ready once it exists.
    WriteDebugLog(QStringLiteral("InitPrintView,20"));
    thePrintView->RichText();
    WriteDebugLog(QStringLiteral("InitPrintView,30"));
    WriteDebugLog(QStringLiteral("InitPrintView,1"));
}

void ExitPrintView()
{
    thePrintView.reset();
    printerSlot().reset();
}

void RunPrintJob()
{
    if (!thePrintView)
        return;
    QPrinter& printer = ThePrinter();
    try {
        // A job with nothing to print asks nothing and makes no file.
        if (thePrintView->CountPages(paperRect(printer, printer.resolution()), printer.logicalDpiX(),
                                     printer.logicalDpiY()) <= 0)
            return;
        if (!chooseDestination(printer, (thePrintView->PrintFlags & kPrintDirect) != 0))
            return;
        // A printer that cannot take the job says so; a PDF that cannot be written names its file.
        const JobOutcome outcome = printWhole(printer);
        if (outcome == JobOutcome::NotPrinted)
            MessageBoxById(kBadPrinterSettings, lumivo::ui::MB_ICONEXCLAMATION);
        else if (outcome == JobOutcome::PdfNotWritten)
            MessageBoxById(kPdfNotWritten, lumivo::ui::MB_ICONEXCLAMATION, printer.outputFileName());
    } catch (const std::exception& error) {
        reportPrintFailure(error.what());
    }
}

void PrintWithFlags(std::uint32_t flags)
{
    if (!thePrintView)
        return;
    FlagsForJob job(flags);
    RunPrintJob();
}

void PreviewWithFlags(std::uint32_t flags)
{
    if (!thePrintView)
        return;
    FlagsForJob job(flags);
    QPrinter& printer = ThePrinter();
    QPrintPreviewDialog dialog(&printer);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [](QPrinter* target) {
        try {
            if (thePrintView)
                thePrintView->PrintTo(*target, true);
        } catch (const std::exception& error) {
            reportPrintFailure(error.what());
        }
    });
    lumivo::ui::runModal(dialog);
}

void PrintWriterSentence()
{
    PrintWithFlags(kPrintWriterFlags);
}

void ShowPageSetup()
{
    if (!thePrintView)
        return;
    QPrinter& printer = ThePrinter();
    if (!printer.isValid()) {
        MessageBoxById(kBadPrinterSettings, lumivo::ui::MB_ICONEXCLAMATION);
        return;
    }
    const CRect& m = thePrintView->Margins;
    printer.setPageMargins(QMarginsF(m.left / 100.0, m.top / 100.0, m.right / 100.0, m.bottom / 100.0),
                           QPageLayout::Millimeter);
    QPageSetupDialog dialog(&printer);
    // Cancel is a person's choice, not a fault: nothing is said and nothing changes.
    if (lumivo::ui::runModal(dialog) == lumivo::ui::IDOK) {
        const QMarginsF chosen = printer.pageLayout().margins(QPageLayout::Millimeter);
        thePrintView->Margins = CRect(qRound(chosen.left() * 100), qRound(chosen.top() * 100),
                                      qRound(chosen.right() * 100), qRound(chosen.bottom() * 100));
    }
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString PrintDialogErrorText(unsigned code)
{
    if (code == 0)
        return {};
    int id = 29;
    if (code >= 1 && code <= 11)
        id = static_cast<int>(code) + 1;
    else if (code == 0x1001)
        id = 13;
    else if (code >= 0x1002 && code <= 0x100B)
        id = static_cast<int>(code - 0x1002) + 14;
    else if (code == 0x2001)
        id = 24;
    else if (code >= 0x3001 && code <= 0x3003)
        id = static_cast<int>(code - 0x3001) + 25;
    else if (code == 0xFFFF)
        id = 1;
    // Only "( no form selected )" has a text; the other codes have none.
    return id == 11 ? QObject::tr("( no form selected )") : QString();
}

QString ApplyPrintCodes(const QString& text, QChar pageCode, int page, bool lineBreaks,
                        bool lastAlignmentWins, int* alignment)
{
    QString result = text;
    int align = Qt::AlignLeft;
    const std::pair<const char*, int> codes[] = {
        {"&c", Qt::AlignHCenter}, {"&l", Qt::AlignLeft}, {"&r", Qt::AlignRight}};
    for (const auto& [code, bit] : codes) {
        if (!result.contains(QLatin1String(code)))
            continue;
        result.remove(QLatin1String(code));
        align = lastAlignmentWins ? bit : (align | bit);
    }
    if ((align & Qt::AlignHCenter) || (align & Qt::AlignRight))
        align &= ~Qt::AlignLeft;
    result.replace(QLatin1String("&d"), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    result.replace(QStringLiteral("&") + pageCode, QString::number(page));
    if (lineBreaks)
        result.replace(QLatin1String("&n"), QStringLiteral("\n"));
    if (alignment)
        *alignment = align;
    return result;
}

void ResetPrintView()
{
    thePrintView.reset();
    printerSlot().reset();
}
