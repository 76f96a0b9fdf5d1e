#pragma once
// The print view: every print and print preview of the program goes through it. It keeps the page
// margins and the flags word of the job running now, decides from the current user's print mode what a
// job prints, and lays each page out twice: once to count the pages, once to draw them. Both passes run
// the same layout code, so the count and the drawing always agree.
//
// One application-wide QPrinter carries the printer, the paper and its orientation. Where no printer is
// installed the job goes to a PDF file the person names (by default in the documents folder).

#include "panes/IconPainter.h"
#include "platform/types/WinTypes.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QTextDocument;

// Bits of the print-flags word.
constexpr std::uint32_t kPrintFontSizeMask = 0x0000000F;
constexpr std::uint32_t kPrintNumberSentences = 0x00000200;
constexpr std::uint32_t kPrintDirect = 0x00001000;
constexpr std::uint32_t kPrintSecondMode = 0x00010000;
constexpr std::uint32_t kPrintParagraphsMask = 0xFF000000;
constexpr std::uint32_t kPrintParagraphs = 0x05000000; // an empty line after each sentence
// The menu's print and preview, and the writer pane's print button.
constexpr std::uint32_t kPrintMenuFlags = 0x05000208;
constexpr std::uint32_t kPrintWriterFlags = 0x05011208;

// Print modes (the menu commands that choose them).
constexpr int kPrintModePocketbook = 5026;
constexpr int kPrintModeSettings = 5027;
constexpr int kPrintModeSentenceText = 5028;
constexpr int kPrintModeSentenceIcons = 5029;
constexpr int kPrintModeAllText = 5030;
constexpr int kPrintModeAllIcons = 5031;
constexpr int kPrintModeLetter = 5032;

// Bits of a sentence mode's flags word.
constexpr std::uint32_t kModeMarker = 0x0001;
constexpr std::uint32_t kModeNumber = 0x0002;
constexpr std::uint32_t kModeKeepKeyColor = 0x0004;
constexpr std::uint32_t kModeSeparator = 0x0008;
constexpr std::uint32_t kModeIconSizeMask = 0x00F0;
constexpr std::uint32_t kModeHeader = 0x0100;
constexpr std::uint32_t kModeFooter = 0x0200;

// The sentence marker that makes a question.
constexpr std::int32_t kQuestionMarkerId = 2365;

// A page being laid out: where to draw, at what resolution, which page is drawn (0 in the count pass)
// and how many pages the layout has used so far.
struct PrintSheet {
    QPainter* painter = nullptr; // null in the count pass
    int dpiX = 600;
    int dpiY = 600;
    CRect rect;          // the drawing rectangle in device pixels
    int currentPage = 0; // the page drawn; 0 draws nothing
    int pages = 0;       // pages used by the layout
    std::uint32_t modeFlags = 0;
    bool preview = false;

    bool drawing(int page) const { return painter && page == currentPage; }
};

class CPrintView
{
public:
    CPrintView();
    ~CPrintView();
    CPrintView(const CPrintView&) = delete;
    CPrintView& operator=(const CPrintView&) = delete;

    // Margins in 0.01 mm (10 mm each at the start).
    CRect Margins{1000, 1000, 1000, 1000};
    std::uint32_t PrintFlags = kPrintMenuFlags;
    // What the icon layouts draw icons with and find their pictures through.
    CIconPainter IconPainter;

    // The number of pages a job on a page of that size and resolution has (0: nothing to print).
    int CountPages(const CRect& rect, int dpiX, int dpiY);
    // Lays the job out and draws page `page.currentPage` (counting with no painter).
    void PrintPage(PrintSheet& page);
    // Prints the job on the printer (or the preview's): counts, then draws every page. False when
    // nothing was printed.
    bool PrintTo(QPrinter& printer, bool preview = false);
    // The same on any paged device (a PDF made in memory) of that resolution, full page.
    bool PrintToDevice(QPagedPaintDevice& device, int resolution, bool preview = false);

    // The document the text layouts are composed in, made on first use.
    QTextDocument& RichText();

    // The layouts (panes/PrintLayouts.cpp).
    void PrintSentences(PrintSheet& page, int mode);
    int PrintHeader(PrintSheet& page);
    int PrintFooter(PrintSheet& page);

private:
    void layoutText(PrintSheet& page, const std::vector<std::int32_t>& sentences);
    void layoutIcons(PrintSheet& page, const std::vector<std::int32_t>& sentences);
    void layoutLetter(PrintSheet& page, const std::vector<std::int32_t>& sentences);
    void formatRichText(PrintSheet& page);

    std::unique_ptr<QTextDocument> m_richText;
};

// The one print view; null before InitPrintView and after ExitPrintView.
extern std::unique_ptr<CPrintView> thePrintView;
// The printer every job uses (made on first use).
QPrinter& ThePrinter();

void InitPrintView();
void ExitPrintView();
// Runs one job with the flags word set to `flags`, restored afterwards whatever happens.
void PrintWithFlags(std::uint32_t flags);
void PreviewWithFlags(std::uint32_t flags);
void PrintWriterSentence();
void RunPrintJob();
// Lets the person set the margins and choose the printer.
void ShowPageSetup();
// The header, footer and letter codes: "&l", "&c", "&r" are removed and set the alignment (with
// `lastAlignmentWins` the last one found decides, else each adds its bit); "&d" becomes today's date;
// `pageCode` ('s' or 'p') becomes the page number; with `lineBreaks`, "&n" breaks the line.
QString ApplyPrintCodes(const QString& text, QChar pageCode, int page, bool lineBreaks,
                        bool lastAlignmentWins, int* alignment);
// The text of a print dialog's error code (empty for 0, a plain cancel).
QString PrintDialogErrorText(unsigned code);
// Puts the view and the printer back (tests).
void ResetPrintView();
