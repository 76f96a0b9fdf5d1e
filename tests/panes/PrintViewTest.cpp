// Printing to PDF: the header and footer codes, the sentence modes with their numbering and marks, the
// paging of the letter and of large icons, the pocketbook page's size, the margins, and the questions
// a job asks (none for an empty one, none after a cancelled page setup).

#include "panes/PrintView.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/User.h"
#include "panes/Panes.h"
#include "panes/PrintBitmaps.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/ui/Ui.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace lumivo::test;

namespace
{

constexpr std::int32_t kUserId = 5;
constexpr std::int32_t kQuestion = 2365;
constexpr std::int32_t kMissingWord = 4711;

// What poppler reads from a PDF: its text (of one page, or all) or its page count.
QString pdfText(const QString& pdf, int page = 0)
{
    QStringList arguments{"-layout"};
    if (page > 0)
        arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
    QProcess process;
    process.start("pdftotext", arguments << pdf << "-");
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// pdftotext may close up the narrow spaces around a page number.
const QRegularExpression kPageThree(R"(-\s*3\s*-)");

int pdfPages(const QString& pdf)
{
    QProcess process;
    process.start("pdfinfo", {pdf});
    process.waitForFinished();
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    const qsizetype at = info.indexOf("Pages:");
    return at < 0 ? 0 : info.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

} // namespace

class PrintViewTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "poppler-utils is not installed";
        m_file = makeResourceFile(tempPath("user.tvf"));
        storeInFile(m_user, kUserId, m_file, CQuibUser::kType);
        theCurrentUser = &m_user;
        InitPrintView();
    }

    // A sentence of icons labelled with the words, stored under `id` and listed with the user's.
    void addSentence(std::int32_t id, const QStringList& words, std::int32_t marker = 2364)
    {
        CQuibSentence sentence;
        for (const QString& word : words) {
            auto icon = std::make_unique<CQuibIcon>();
            icon->WordName = word;
            icon->WordId = kMissingWord;
            sentence.Icons.push_back(std::move(icon));
        }
        sentence.IntensionMarkerId = marker;
        storeInFile(sentence, id, m_file, CQuibSentence().GetType());
        ASSERT_EQ(SaveResFile(m_file), RES_OK);
        sentence.Detach();
        m_user.Sentences.push_back(id);
    }

    // Prints in `mode` without the print dialog into a PDF; returns its path.
    QString printToPdf(int mode, const QString& name = "out.pdf")
    {
        m_user.PrintMode = m_user.SecondPrintMode = mode;
        const QString pdf = tempPath(name);
        lumivo::ui::ScopedAnswerer answerer;
        answerer.reply(pdf);
        PrintWithFlags(kPrintWriterFlags);
        return pdf;
    }

    CQuibUser m_user;
    int m_file = 0;
};

TEST_F(PrintViewTest, FooterAndHeaderCodesGiveThePageNumberAndTheDate)
{
    EXPECT_EQ(ApplyPrintCodes("&c- &p -", 'p', 3, false, false, nullptr), "- 3 -");
    int alignment = 0;
    ApplyPrintCodes("&c&rx", 's', 1, false, false, &alignment);
    EXPECT_EQ(alignment, Qt::AlignHCenter | Qt::AlignRight) << "every code adds its bit";
    EXPECT_EQ(ApplyPrintCodes("a&nb", 'p', 1, true, true, nullptr), "a\nb");

    // A letter long enough for three pages, with the date in the header.
    QStringList words;
    for (int i = 0; i < 1300; ++i)
        words << QStringLiteral("word%1").arg(i);
    addSentence(1, words);
    m_user.PrintHeader = "&l&d";
    m_user.PrintValues[5] = kModeHeader | kModeFooter;
    const QDate before = QDate::currentDate(); // the print may run across midnight
    const QString pdf = printToPdf(kPrintModeLetter);
    const QDate after = QDate::currentDate();
    ASSERT_EQ(pdfPages(pdf), 3) << "every page of the letter prints";
    EXPECT_TRUE(pdfText(pdf, 3).contains(kPageThree));
    const QString header = pdfText(pdf, 1);
    EXPECT_TRUE(header.contains(before.toString("dd.MM.yyyy")) ||
                header.contains(after.toString("dd.MM.yyyy")));
    EXPECT_TRUE(pdfText(pdf, 3).contains("word1299."));
}

// A fresh account may have no documents folder: the file chooser then starts in the home folder.
TEST_F(PrintViewTest, ThePdfIsSuggestedInTheDocumentsFolderOrElseTheHomeFolder)
{
    addSentence(1, {"tea"});
    const QDir home = QDir::home();
    ASSERT_FALSE(home.exists("Documents"));
    lumivo::ui::ScopedAnswerer answerer; // cancels
    PrintWithFlags(kPrintWriterFlags);
    ASSERT_TRUE(home.mkdir("Documents"));
    PrintWithFlags(kPrintWriterFlags);
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[0].caption, home.filePath("Print.pdf"));
    EXPECT_EQ(answerer.questions()[1].caption, home.filePath("Documents/Print.pdf"));
}

TEST_F(PrintViewTest, SentenceModesNumberMarkAndEndTheirSentences)
{
    addSentence(1, {"i", "want", "tea"});
    m_user.Sentences.push_back(77); // no such sentence: still counted
    addSentence(3, {"are", "you", "there"}, kQuestion);
    addSentence(4, {});

    const QString all = pdfText(printToPdf(kPrintModeAllText, "text.pdf"));
    const auto numbered = [&](const QString& pattern) {
        return all.contains(QRegularExpression(QStringLiteral("(^|\\n)\\s*") + pattern));
    };
    EXPECT_TRUE(numbered(R"(1\.\s+I want tea\.)")) << all.toStdString();
    EXPECT_TRUE(numbered(R"(3\.\s+Are you there \?)")) << "the missing sentence keeps its number";
    EXPECT_FALSE(numbered(R"(4\.)")) << "an empty sentence is not numbered";

    m_user.CurrentSentence = 2;
    EXPECT_TRUE(pdfText(printToPdf(kPrintModeSentenceIcons, "icons.pdf")).contains("there ?"));
    const QString letter = pdfText(printToPdf(kPrintModeLetter, "letter.pdf"));
    EXPECT_TRUE(letter.contains("I want tea. Are you there?")) << letter.toStdString();

    m_user.CurrentSentence = 9; // beyond the list: no sentence, but the header and footer
    const QString none = pdfText(printToPdf(kPrintModeSentenceText, "none.pdf"));
    EXPECT_FALSE(none.contains("tea"));
    EXPECT_TRUE(none.contains(QRegularExpression(R"(-\s*1\s*-)")));
}

TEST_F(PrintViewTest, LargeIconsOnAShortPageTakeOnePagePerRow)
{
    for (std::int32_t id = 1; id <= 3; ++id)
        addSentence(id, {"tea"});
    m_user.PrintMode = kPrintModeAllIcons;
    m_user.PrintValues[4] = 0xC0; // large, no header or footer
    thePrintView->Margins = CRect(0, 0, 0, 0);
    // At 254 dpi a large row is 200 + 100 pixels high.
    EXPECT_EQ(thePrintView->CountPages(CRect(0, 0, 2000, 350), 254, 254), 3);
    EXPECT_EQ(thePrintView->CountPages(CRect(0, 0, 2000, 2000), 254, 254), 1);
}

TEST_F(PrintViewTest, PocketbookPageAt600DpiIs4016By2008Pixels)
{
    m_user.PrintMode = kPrintModePocketbook;
    QImage sheet(5000, 2400, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    PrintSheet page;
    page.painter = &painter;
    page.rect = CRect(0, 0, 5000, 2400);
    page.currentPage = 1;
    thePrintView->PrintPage(page);
    painter.end();
    // The frame lies just outside the area: (5000 - 4016) / 2 = 492 from the left, 200 from the top.
    const QRgb frame = qRgb(0x80, 0x80, 0x80);
    EXPECT_EQ(sheet.pixel(491, 1000), frame);
    EXPECT_NE(sheet.pixel(492, 1000), frame);
    EXPECT_NE(sheet.pixel(492 + 4015, 1000), frame);
    EXPECT_EQ(sheet.pixel(492 + 4016, 1000), frame);
    EXPECT_EQ(sheet.pixel(1000, 199), frame);
    EXPECT_NE(sheet.pixel(1000, 200 + 2007), frame);
    EXPECT_EQ(sheet.pixel(1000, 200 + 2008), frame);
}

TEST_F(PrintViewTest, FreshMarginsAreTenMillimetres)
{
    EXPECT_EQ(thePrintView->Margins, CRect(1000, 1000, 1000, 1000));
    addSentence(1, {"margin"});
    m_user.PrintValues[1] = 0; // no header or footer
    const QString pdf = printToPdf(kPrintModeSentenceText);
    QProcess process;
    process.start("pdftotext", {"-bbox", pdf, "-"});
    process.waitForFinished();
    const QString box = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression word(R"re(xMin="([\d.]+)" yMin="([\d.]+)")re");
    const auto match = word.match(box.mid(box.indexOf("<word")));
    ASSERT_TRUE(match.hasMatch()) << box.toStdString();
    // 10 mm is 28.35 points; the glyph box starts at the margin.
    EXPECT_NEAR(match.captured(1).toDouble(), 28.35, 1.5);
    EXPECT_NEAR(match.captured(2).toDouble(), 28.35, 3.0);
}

TEST_F(PrintViewTest, NoUserGivesAnEmptyJobThatAsksNothingAndAFileThatCannotBeWrittenSaysSo)
{
    addSentence(1, {"tea"});
    theCurrentUser = nullptr;
    lumivo::ui::ScopedAnswerer answerer;
    answerer.reply(tempPath("none.pdf"));
    PrintWithFlags(kPrintMenuFlags);
    EXPECT_TRUE(answerer.questions().empty());
    EXPECT_FALSE(QFile::exists(tempPath("none.pdf")));

    theCurrentUser = &m_user;
    // A folder where the file should go: nothing can be written there.
    ASSERT_TRUE(QDir().mkpath(tempPath("taken.pdf")));
    lumivo::ui::ScopedAnswerer failing;
    failing.reply(tempPath("taken.pdf"));
    PrintWithFlags(kPrintMenuFlags);
    ASSERT_EQ(failing.questions().size(), 2u) << "the file, then the failure";
    EXPECT_EQ(failing.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
}

TEST_F(PrintViewTest, PageSetupCancelAsksNothingMoreAndOkTakesTheMargins)
{
    {
        lumivo::ui::ScopedAnswerer answerer;
        answerer.reply(lumivo::ui::IDCANCEL);
        ShowPageSetup();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].kind, lumivo::ui::QuestionKind::Dialog);
        EXPECT_EQ(thePrintView->Margins, CRect(1000, 1000, 1000, 1000));
    }
    lumivo::ui::ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        static_cast<QPageSetupDialog&>(dialog).printer()->setPageMargins(QMarginsF(20, 15, 12.5, 10),
                                                                         QPageLayout::Millimeter);
        return lumivo::ui::IDOK;
    });
    ShowPageSetup();
    EXPECT_EQ(thePrintView->Margins, CRect(2000, 1500, 1250, 1000));
}

TEST_F(PrintViewTest, AFailingJobShowsItsErrorLeavesNoFileAndPutsTheFlagsBack)
{
    addSentence(1, {"tea"});
    m_user.PrintMode = m_user.SecondPrintMode = kPrintModeAllIcons;
    // The count passes; the drawing fails half-way.
    int searches = 0;
    thePrintView->IconPainter = CIconPainter([&](std::int32_t, int, int) -> std::unique_ptr<CQuibPict> {
        if (++searches > 1)
            throw std::runtime_error("out of paper");
        return nullptr;
    });
    lumivo::ui::ScopedAnswerer answerer;
    answerer.reply(tempPath("failed.pdf"));
    PrintWithFlags(kPrintWriterFlags);
    EXPECT_EQ(thePrintView->PrintFlags, kPrintMenuFlags);
    EXPECT_TRUE(QDir(tempDir()).entryList({"*.pdf*"}).isEmpty()) << "no file, not even a part of one";
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_TRUE(answerer.questions()[1].text.contains("OnPrint:out of paper"))
        << answerer.questions()[1].text.toStdString();
}

// Qt's PDF writer reports a job as printed even when the disk took only part of the file: a PDF that
// cannot be written whole replaces nothing, says so naming the file, and leaves no part of itself.
TEST_F(PrintViewTest, APdfTheDiskCannotTakeKeepsTheOlderFileAndSaysSo)
{
    QStringList words;
    for (int i = 0; i < 1300; ++i)
        words << QStringLiteral("word%1").arg(i);
    addSentence(1, words);
    const QString pdf = printToPdf(kPrintModeLetter, "Print.pdf");
    ASSERT_EQ(pdfPages(pdf), 3);
    const QByteArray older = fileContent(pdf);
    ASSERT_GT(older.size(), 8 * 1024);

    lumivo::files::FaultyFileSystem faulty(lumivo::files::fileSystem());
    faulty.setRoomLeft(8 * 1024);
    lumivo::files::ScopedFileSystem nearlyFull(faulty);
    lumivo::ui::ScopedAnswerer answerer;
    answerer.reply(pdf);
    PrintWithFlags(kPrintWriterFlags);
    ASSERT_EQ(answerer.questions().size(), 2u) << "the file, then the failure";
    EXPECT_EQ(answerer.questions()[1].text, LoadSystemString(9416).replace("[#1]", pdf));
    EXPECT_EQ(fileContent(pdf), older);
    EXPECT_EQ(QDir(tempDir()).entryList({"Print.pdf*"}), QStringList{"Print.pdf"}) << "no part is left";
}

TEST_F(PrintViewTest, IconPicturesKeepTheirAspectAndAPictureWithoutSizeIsMissing)
{
    // Word 1 has a picture twice as wide as high; word 2's picture claims no width.
    thePrintView->IconPainter = CIconPainter([](std::int32_t id, int, int) -> std::unique_ptr<CQuibPict> {
        if (id != 1 && id != 2)
            return nullptr;
        auto picture = std::make_unique<CQuibPict>();
        picture->Width = id == 1 ? 96 : 0;
        picture->Height = 48;
        RgbImage image{96, 48, {}};
        for (int i = 0; i < 96 * 48; ++i)
            image.pixels.insert(image.pixels.end(), {0x30, 0x70, 0xC0});
        picture->Image = image;
        return picture;
    });
    addSentence(1, {"wide", "none"});
    CQuibSentence sentence;
    ASSERT_EQ(sentence.LoadFrom(1, m_file), RES_OK);
    sentence.Icons[0]->WordId = 1;
    sentence.Icons[1]->WordId = 2;
    ASSERT_EQ(sentence.Commit(), RES_OK);
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    sentence.Detach();
    m_user.PrintValues[2] = 0xC0; // large icons alone
    const QString pdf = printToPdf(kPrintModeSentenceIcons);
    QProcess::execute("pdftoppm",
                      {"-r", "127", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, tempPath("page")});
    const QImage page(tempPath("page.png"));
    ASSERT_FALSE(page.isNull());
    // At 127 dpi a millimetre is 5 pixels: the 20 mm band starts 10 mm down and in; the wide picture
    // is 20 x 10 mm, centred in the band, and the picture without a size leaves its cell blank.
    const auto blue = [&](int x, int y) {
        return qBlue(page.pixel(x, y)) > 150 && qRed(page.pixel(x, y)) < 100;
    };
    EXPECT_TRUE(blue(122, 80));
    EXPECT_TRUE(blue(122, 120));
    EXPECT_FALSE(blue(122, 65)) << "no taller than half its width";
    EXPECT_FALSE(blue(122, 130));
    for (int x = 180; x < 400; x += 5)
        EXPECT_FALSE(blue(x, 100)) << x;
}

TEST_F(PrintViewTest, PrinterBitmapsAreDeviceIndependentAndOtherDevicesGetACopy)
{
    QImage paletted(4, 2, QImage::Format_Indexed8);
    paletted.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    paletted.fill(1);
    EXPECT_TRUE(BitmapToDIB(paletted, BI_BITFIELDS).isNull()) << "bit fields are refused";
    const QVector<QRgb> greens{qRgb(0, 255, 0), qRgb(0, 128, 0)};
    const QImage dib = BitmapToDIB(paletted, BI_RGB, &greens);
    EXPECT_EQ(dib.format(), QImage::Format_Indexed8);
    EXPECT_EQ(dib.pixel(0, 0), qRgb(0, 128, 0)) << "the palette given colours the indices";

    QImage screen(10, 10, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QImage source(10, 10, QImage::Format_RGB32);
    source.fill(Qt::black);
    QPainter painter(&screen);
    EXPECT_TRUE(DrawBitmapToDC(painter, paletted, 2, 2, 3, 3, source, 0, 0));
    EXPECT_EQ(DrawDIB(painter, QImage(), 0, 0), 0);
    painter.end();
    EXPECT_EQ(screen.pixel(3, 3), qRgb(0, 0, 0)) << "the source's rectangle, copied";
    EXPECT_EQ(screen.pixel(6, 6), qRgb(255, 255, 255));
    EXPECT_EQ(PrintDialogErrorText(0), "");
    EXPECT_EQ(PrintDialogErrorText(10), "( no form selected )");
    EXPECT_EQ(PrintDialogErrorText(0x1001), "");
}

TEST_F(PrintViewTest, AnIconWiderThanTheRowStandsAloneScaledToTheRow)
{
    addSentence(1, {"a", QString(60, 'w'), "b"});
    m_user.PrintMode = kPrintModeSentenceIcons;
    m_user.PrintValues[2] = 0x40; // small icons at 254 dpi: 60 + 30 pixels a row, rows 20 apart
    thePrintView->Margins = CRect(0, 0, 0, 0);
    QImage sheet(400, 400, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    PrintSheet page;
    page.painter = &painter;
    page.dpiX = page.dpiY = 254;
    page.rect = CRect(0, 0, 300, 400);
    page.currentPage = 1;
    thePrintView->PrintPage(page);
    painter.end();
    // The ink of a text band between two heights: its leftmost and rightmost columns (-1: none).
    const auto ink = [&](int top, int bottom) {
        int left = -1;
        int right = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < sheet.width(); ++x)
                if (qGray(sheet.pixel(x, y)) < 128) {
                    left = left < 0 ? x : std::min(left, x);
                    right = std::max(right, x);
                }
        return std::pair{left, right};
    };
    EXPECT_GE(ink(60, 90).first, 0) << "the first icon on the first row";
    const auto [left, right] = ink(170, 200);
    EXPECT_LT(left, 30) << "the wide one alone on the second row, from its start";
    EXPECT_GT(right, 270);
    EXPECT_LT(right, 300) << "scaled into the row";
    EXPECT_GE(ink(280, 310).first, 0) << "the next icon goes on below";
}

TEST_F(PrintViewTest, TheLetterFontHeightIsScreenPixelsTurnedIntoPoints)
{
    addSentence(1, {"hello"});
    m_user.LetterHead = m_user.LetterEnd = "";
    m_user.PrintValues[5] = 0;                                             // no header or footer
    m_user.PrintFont = "-32,0,0,0,400,0,0,0,0,3,2,1,18,Times New Roman,0"; // 24 points
    const QString pdf = printToPdf(kPrintModeLetter);
    QProcess process;
    process.start("pdftotext", {"-bbox", pdf, "-"});
    process.waitForFinished();
    const QString box = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression word(R"re(yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">Hello)re");
    const auto match = word.match(box);
    ASSERT_TRUE(match.hasMatch()) << box.toStdString();
    const double height = match.captured(2).toDouble() - match.captured(1).toDouble();
    EXPECT_GT(height, 22.0) << "a 24-point line";
    EXPECT_LT(height, 32.0);
}
