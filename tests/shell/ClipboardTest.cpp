// The icon clipboard: what a copy puts there, where a paste goes in browse and in the editing tools, the
// size and place of a pasted icon, a cut the page editor keeps, a page that cannot be written, bytes of
// other programs in the icon format, and text pasted as sentences with their own endings.

#include "shell/Clipboard.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Sentence.h"
#include "core/User.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <climits>
#include <iterator>
#include <memory>

using namespace lumivo::test;

namespace
{

constexpr std::int32_t kUserId = 5;
constexpr std::int16_t kLanguage = 2;

class QuietOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
};

QString iconFormat()
{
    return QString::fromLatin1(kIconClipboardMimeType);
}

void putOnClipboard(const QByteArray& iconBytes, const QString& text = {})
{
    auto* data = new QMimeData;
    data->setData(iconFormat(), iconBytes);
    if (!text.isEmpty())
        data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

class ClipboardTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        QGuiApplication::clipboard()->clear();
        theMainPane.SetOwnerWnd(&m_owner);
        theMainPane.PaneRect = CRect(0, 0, 600, 400);
        theMainPane.PaneFlags = kPaneFlagEditable;
        theMainPane.SetVisible(true);
        auto shown = std::make_unique<CQuibBg>();
        ASSERT_EQ(shown->Create(), RES_OK);
        ASSERT_EQ(theMainPane.AdoptPage(std::move(shown)), nullptr);
        theMainPane.PageRect = theMainPane.PaneRect; // the page origin is the client origin
        theEditTool = kEditToolSelect;
    }

    CQuibBg& page() { return *theMainPane.GetPage(); }

    CQuibIcon& addIcon(const CRect& rect)
    {
        auto icon = std::make_unique<CQuibIcon>();
        icon->ScreenRect = rect;
        icon->BgColor = 0x123456;
        page().Icons.push_back(std::move(icon));
        return *page().Icons.back();
    }

    // Text in the writer: a user in a file of its own, with words the word list names.
    void setUpWriterAndWords(const QStringList& names)
    {
        m_file = makeResourceFile(tempPath("user.tvf"));
        storeInFile(m_user, kUserId, m_file, CQuibUser::kType);
        theCurrentUser = &m_user;
        theWriterPane.SetOwnerWnd(&m_owner);
        theWriterPane.PaneRect = CRect(0, 400, 800, 510);
        theWriterPane.SetVisible(true);
        theWriterPane.UpdateLayout(true);
        std::int32_t id = 100;
        for (const QString& name : names) {
            auto word = std::make_unique<CQuibWord>();
            ASSERT_EQ(word->Create(), RES_OK);
            word->WordName = name;
            storeInFile(*word, ++id, m_file, MakeWordType(kLanguage));
            theWordIndex.Names().InsertSorted(name, word.get());
            m_words.push_back(std::move(word));
        }
    }

    std::vector<std::int32_t> shownSentenceWords() const
    {
        std::vector<std::int32_t> ids;
        for (const auto& icon : theWriterPane.ShownSentence()->Icons)
            ids.push_back(icon->WordId);
        return ids;
    }

    QuietOwner m_owner;
    CQuibUser m_user;
    int m_file = 0;
    std::vector<std::unique_ptr<CQuibWord>> m_words;
};

// The shown page is one of the user's file, on a disk that fills up (in place before the file opens).
class ClipboardOnFullDiskTest : public ClipboardTest
{
protected:
    static constexpr std::int32_t kPageId = 700;

    void SetUp() override
    {
        ClipboardTest::SetUp();
        m_file = makeResourceFile(tempPath("user.tvf"));
        storeInFile(m_user, kUserId, m_file, CQuibUser::kType);
        theCurrentUser = &m_user;
        auto stored = std::make_unique<CQuibBg>();
        ASSERT_EQ(stored->SaveAs(kPageId, m_file, MakeBgType(1, kLanguage)), RES_OK);
        ASSERT_EQ(stored->Write(), RES_OK);
        CQuibBg* filed = stored.get();
        theBgIndex.Add(std::move(stored));
        theMainPane.ClearPage();
        theMainPane.SetPage(filed);
        theMainPane.PageRect = theMainPane.PaneRect;
    }

    std::size_t storedIconCount()
    {
        CQuibBg stored;
        EXPECT_EQ(AttachResource(&stored, kPageId, MakeBgType(1, kLanguage), m_file), RES_OK);
        EXPECT_EQ(stored.Load(), RES_OK);
        return stored.Icons.size();
    }

    FullDisk m_disk;
};

TEST_F(ClipboardTest, TheSelectedIconIsCopiedAndWithoutTextOnlyInTheIconFormat)
{
    CQuibIcon& icon = addIcon(CRect(10, 10, 110, 110));
    EXPECT_FALSE(CanCopy());
    icon.Select();
    ASSERT_EQ(theCopyIcon, &icon) << "the single selected icon is the copy source";
    EXPECT_TRUE(CanCopy());
    EXPECT_TRUE(CanCut());

    CopyToClipboard();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{iconFormat()}) << "an empty word text puts no plain text";
    CQuibIcon read;
    ASSERT_TRUE(ReadIconStream(data->data(iconFormat()), read));
    EXPECT_EQ(read.StoredRect, CRect(10, 10, 110, 110)) << "the stream carries the pixel rectangle";
    EXPECT_EQ(read.BgColor, 0x123456u);

    theEditTool = kEditToolBrowse;
    EXPECT_FALSE(CanCut()) << "never in browse";
    theEditTool = kEditToolSelect;
    page().Icons.clear();
    EXPECT_EQ(theCopyIcon, nullptr) << "a deleted icon leaves the copy source";
    EXPECT_FALSE(CanCopy());
}

TEST_F(ClipboardTest, ASmallIconIsPastedAs48SquareCentredOnThePaneInFrontAndSelectedNowhere)
{
    CQuibIcon& icon = addIcon(CRect(5, 7, 35, 27)); // 30 x 20
    ASSERT_TRUE(CopyIconToClipboard(icon));
    addIcon(CRect(300, 300, 400, 380)).Select();
    theMainPane.UpdateLayout(true); // the page's layout size: 640 x 427 at the page origin 0, 0
    std::cerr << "layout " << page().LayoutSize.cx << "x" << page().LayoutSize.cy << " pagerect "
              << theMainPane.PageRect.left << "," << theMainPane.PageRect.top << ","
              << theMainPane.PageRect.right << "," << theMainPane.PageRect.bottom << "\n";
    ASSERT_TRUE(CanPaste());

    PasteFromClipboard();
    ASSERT_EQ(page().Icons.size(), 3u);
    const CQuibIcon& pasted = *page().Icons.back();
    EXPECT_EQ(pasted.ScreenRect, CRect(276, 176, 324, 224));
    EXPECT_EQ(pasted.StoredRect, CRect(431, 412, 506, 525)) << "per mille of the 640 x 427 page";
    EXPECT_TRUE(theSelectedIcons.empty());
    ASSERT_NE(pasted.DragCopy, nullptr);
    EXPECT_EQ(pasted.DragCopy->ScreenRect, pasted.ScreenRect);

    theMainPane.PaneFlags = kPaneFlagEditable | kPaneFlagLocked;
    EXPECT_FALSE(CanPaste()) << "no pane may take it";
    EXPECT_FALSE(PasteFromClipboard());
    EXPECT_EQ(page().Icons.size(), 3u);
}

TEST_F(ClipboardTest, AnIconOfAnySizeIsPastedInsideThePaneOrNotAtAll)
{
    theMainPane.UpdateLayout(true); // the page origin is the client origin
    const CRect carried[] = {CRect(INT_MIN, 0, INT_MAX, 100), CRect(202, -1878982657, 1868785926, 137568366),
                             CRect(0, 0, 4000, 1000), CRect(100, 100, 40, 60)};
    const CRect expected[] = {CRect(0, 176, 600, 224), CRect(115, 0, 485, 400), CRect(0, 125, 600, 275),
                              CRect(276, 176, 324, 224)};
    for (std::size_t i = 0; i < std::size(carried); ++i) {
        CQuibIcon source;
        source.ScreenRect = carried[i];
        putOnClipboard(IconClipboardBytes(source));
        ASSERT_TRUE(PasteFromClipboard());
        const CQuibIcon& pasted = *page().Icons.back();
        EXPECT_EQ(pasted.ScreenRect, expected[i]) << "proportions kept, inside the pane, centred";
        EXPECT_EQ(FrontIconAt(page().Icons, pasted.ScreenRect.CenterPoint()), &pasted) << "it can be hit";
    }

    // A pane off the grid: the grid line before its edge lies outside it.
    theMainPane.PaneRect = CRect(10, 10, 610, 410);
    theEditOptions = kEditOptionSnapToGrid;
    theGridStepX = theGridStepY = 64;
    CQuibIcon whole;
    whole.ScreenRect = CRect(0, 0, 600, 400);
    putOnClipboard(IconClipboardBytes(whole));
    ASSERT_TRUE(PasteFromClipboard());
    EXPECT_EQ(page().Icons.back()->ScreenRect, theMainPane.PaneRect) << "the grid gives way to the pane";

    const std::size_t count = page().Icons.size();
    theMainPane.PaneRect = CRect(0, 0, 600, 40);
    EXPECT_FALSE(PasteFromClipboard()) << "a pane lower than the smallest icon takes none";
    EXPECT_EQ(page().Icons.size(), count);
}

TEST_F(ClipboardTest, ACutWhileThePageEditorHasThePageLeavesTheSavingToIt)
{
    const auto editorHasIt =
        theBgEditorEditsPageHook.scoped([this](const CQuibBg* shown) { return shown == &page(); });
    addIcon(CRect(10, 10, 110, 110)).Select();
    ASSERT_TRUE(CanCut());

    CutToClipboard();
    EXPECT_TRUE(page().Icons.empty());
    EXPECT_TRUE(page().IsChanged()) << "not stored behind the editor's back";
    EXPECT_EQ(theCopyIcon, nullptr);
    EXPECT_TRUE(theSelectedIcons.empty());
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(iconFormat()));
}

TEST_F(ClipboardTest, BytesThatAreNoWholeIconStreamPasteNothing)
{
    const QByteArray good = IconClipboardBytes(addIcon(CRect(10, 10, 110, 110)));
    ASSERT_FALSE(page().IsChanged());
    std::vector<QByteArray> bad{QByteArray(300, '\xff'), QByteArray("garbage"), good + '\0'};
    for (qsizetype length = 0; length < good.size(); ++length)
        bad.push_back(good.left(length));
    // Whole, but larger than any icon's stream: a name no person typed.
    CQuibIcon huge(kIconShapeRect);
    huge.CopyFrom(*page().Icons.front());
    huge.Name = QString(70000, QLatin1Char('n'));
    bad.push_back(IconClipboardBytes(huge));
    for (const QByteArray& bytes : bad) {
        putOnClipboard(bytes);
        EXPECT_FALSE(PasteFromClipboard()) << bytes.left(80).toHex().toStdString();
    }
    EXPECT_EQ(page().Icons.size(), 1u);
    EXPECT_FALSE(page().IsChanged());
}

TEST_F(ClipboardTest, BrowsePastesTextIntoTheWriterAndEditingPastesTheIconOntoThePage)
{
    setUpWriterAndWords({"du", "er", "glad", "jeg"});
    const QByteArray icon = IconClipboardBytes(addIcon(CRect(10, 10, 110, 110)));
    putOnClipboard(icon, "Jeg er glad. Er du?");

    theEditTool = kEditToolBrowse;
    ASSERT_TRUE(PasteFromClipboard());
    EXPECT_EQ(page().Icons.size(), 1u) << "browse never touches the pages";
    ASSERT_EQ(m_user.Sentences.size(), 2u);
    EXPECT_EQ(m_user.CurrentSentence, 1);
    EXPECT_EQ(shownSentenceWords(), (std::vector<std::int32_t>{102, 101}));
    EXPECT_EQ(theWriterPane.ShownSentence()->IntensionMarkerId, 2365) << "the second sentence is a question";
    theWriterPane.ShowSentence(0);
    EXPECT_EQ(shownSentenceWords(), (std::vector<std::int32_t>{104, 102, 103}));
    EXPECT_EQ(theWriterPane.ShownSentence()->IntensionMarkerId, 2364);

    theEditTool = kEditToolSelect;
    ASSERT_TRUE(PasteFromClipboard());
    EXPECT_EQ(page().Icons.size(), 2u);
    EXPECT_EQ(m_user.Sentences.size(), 2u) << "an editing tool never touches the writer";
    EXPECT_EQ(shownSentenceWords().size(), 3u);
}

TEST_F(ClipboardTest, ASentenceIsCopiedAsTextWithACapitalAndItsEnding)
{
    CQuibSentence sentence;
    EXPECT_FALSE(CopySentenceToClipboard(sentence)) << "nothing to copy";
    for (const char* label : {"jeg", "er", "glad"}) {
        sentence.Icons.push_back(std::make_unique<CQuibIcon>());
        sentence.Icons.back()->WordName = label;
    }
    sentence.IntensionMarkerId = 2365;
    SetCopySentence(&sentence);
    ASSERT_EQ(theCopySentence, &sentence);
    CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Jeg er glad?");

    {
        CQuibSentence dying;
        dying.Icons.push_back(std::make_unique<CQuibIcon>());
        SetCopySentence(&dying);
        ASSERT_EQ(theCopySentence, &dying);
    }
    EXPECT_EQ(theCopySentence, nullptr) << "a sentence that dies leaves the copy source";
}

TEST_F(ClipboardOnFullDiskTest, AnIconPastedOnAFullDiskStaysOnThePageThePersonIsToldAndTheNextSaveStoresIt)
{
    CQuibIcon source;
    source.ScreenRect = CRect(10, 10, 110, 110);
    putOnClipboard(IconClipboardBytes(source));
    m_disk.Fill();
    lumivo::ui::ScopedAnswerer answerer;
    ASSERT_TRUE(PasteFromClipboard());
    ASSERT_EQ(&page(), theBgIndex.Find(m_file, kLanguage, kPageId));
    EXPECT_EQ(page().Icons.size(), 1u);
    EXPECT_TRUE(page().IsChanged());
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9803).replace("[#1]", GetResFilePath(m_file)));

    m_disk.MakeRoom();
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    EXPECT_EQ(storedIconCount(), 1u);
}
