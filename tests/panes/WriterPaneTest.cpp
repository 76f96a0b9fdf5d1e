// The writer pane: stepping between sentences at both ends, deleting with and without the whole
// sentence selected, inserting and moving icons by the click position, the display mode kept in the
// sentence, reading aloud on the test clock, and the strip as drawn.

#include "core/IconEvents.h"
#include "core/IconShapes.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "platform/types/Clock.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/RecordingIcon.h"

#include <QPainter>

#include <memory>

using namespace lumivo::test;

namespace
{

constexpr std::int32_t kUserId = 5;
constexpr QRgb kPictureRgb = 0xFF3070C0;

class RecordingOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
    void SetCopySentence(CQuibSentence* sentence) override { copySources.push_back(sentence); }
    void ClearCopySource() override { ++copySourcesCleared; }

    std::vector<const CQuibSentence*> copySources;
    int copySourcesCleared = 0;
};

std::unique_ptr<CQuibIcon> wordIcon(std::int32_t wordId)
{
    auto icon = std::make_unique<CQuibIcon>();
    icon->WordId = icon->ShownWordId = wordId;
    return icon;
}

std::unique_ptr<CQuibPict> solidPicture()
{
    RgbImage image{48, 48, {}};
    for (int i = 0; i < 48 * 48; ++i)
        image.pixels.insert(image.pixels.end(),
                            {std::uint8_t(qRed(kPictureRgb)), std::uint8_t(qGreen(kPictureRgb)),
                             std::uint8_t(qBlue(kPictureRgb))});
    auto picture = std::make_unique<CQuibPict>();
    picture->Width = picture->Height = 48;
    picture->Image = image;
    return picture;
}

CPoint centreOf(const CRect& rect)
{
    return rect.CenterPoint();
}

} // namespace

class WriterPaneTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_file = makeResourceFile(tempPath("user.tvf"));
        storeInFile(m_user, kUserId, m_file, CQuibUser::kType);
        theCurrentUser = &m_user;
        theWriterPane.SetOwnerWnd(&m_owner);
        theWriterPane.PaneRect = CRect(0, 400, 800, 510);
        theWriterPane.BorderSides = kPaneEdgeTop;
        theWriterPane.SetVisible(true);
        theWriterPane.UpdateLayout(true);
    }

    CQuibSentence& sentence() { return *theWriterPane.ShownSentence(); }

    void click(const CPoint& point) { theWriterPane.OnClick(0, point.x, point.y, 0); }
    void click(WriterTool tool) { click(centreOf(theWriterPane.ToolRect(tool))); }

    // The word ids of the shown sentence's icons, in order.
    std::vector<std::int32_t> words()
    {
        std::vector<std::int32_t> ids;
        for (const auto& icon : sentence().Icons)
            ids.push_back(icon->WordId);
        return ids;
    }

    void addIcon(std::int32_t wordId)
    {
        const auto icon = wordIcon(wordId);
        theWriterPane.InsertIcon(icon.get(), kInsertAtTail, 0);
        theWriterPane.UpdateLayout(false);
    }

    // The sentence of that id as its record holds it now; false when there is none.
    bool storedSentence(std::int32_t id, CQuibSentence& into)
    {
        return into.LoadFrom(id, m_user.GetFile()) == RES_OK;
    }

    RecordingOwner m_owner;
    CQuibUser m_user;
    int m_file = 0;
};

TEST_F(WriterPaneTest, NextAndPreviousMakeANewSentenceOnlyAfterOneWithIconsAndBelowTheMaximum)
{
    ASSERT_NE(theWriterPane.ShownSentence(), nullptr);
    EXPECT_EQ(m_user.Sentences, std::vector<std::int32_t>{1}) << "the first layout made the first sentence";

    click(WriterTool::Next);
    EXPECT_EQ(m_user.Sentences.size(), 1u) << "an empty last sentence is followed by the first";
    EXPECT_EQ(m_user.CurrentSentence, 0);

    addIcon(11);
    click(WriterTool::Next);
    EXPECT_EQ(m_user.Sentences, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(m_user.CurrentSentence, 1);
    EXPECT_TRUE(sentence().Icons.empty());

    click(WriterTool::Next);
    EXPECT_EQ(m_user.CurrentSentence, 0) << "past the empty last sentence round to the first";
    click(WriterTool::Previous);
    EXPECT_EQ(m_user.CurrentSentence, 1) << "before the first: the last, and no new one after an empty one";
    EXPECT_EQ(m_user.Sentences.size(), 2u);

    addIcon(12);
    // Leaving a sentence deletes its icons: none stays selected, under the mouse or kept above.
    std::vector<const CQuibIcon*> destroyed;
    QObject receiver;
    QObject::connect(&thePageEvents, &CPageEvents::iconAboutToBeDestroyed, &receiver,
                     [&](const CQuibIcon* icon) { destroyed.push_back(icon); });
    CQuibIcon* left = sentence().Icons.front().get();
    left->Select();
    theHoverIcon = left;
    click(WriterTool::Previous);
    EXPECT_EQ(destroyed, std::vector<const CQuibIcon*>{left});
    EXPECT_TRUE(theSelectedIcons.empty());
    EXPECT_EQ(theHoverIcon, nullptr);
    click(WriterTool::Previous);
    EXPECT_EQ(m_user.Sentences, (std::vector<std::int32_t>{1, 2, 3})) << "the last has icons: a new one";
    EXPECT_EQ(m_user.CurrentSentence, 2);

    addIcon(13);
    m_user.MaxSentences = 3;
    click(WriterTool::Next);
    EXPECT_EQ(m_user.CurrentSentence, 0) << "at the maximum, next goes round";
    click(WriterTool::Previous);
    EXPECT_EQ(m_user.CurrentSentence, 2);
    EXPECT_EQ(m_user.Sentences.size(), 3u);
    EXPECT_EQ(words(), std::vector<std::int32_t>{13}) << "a sentence left is written and read back";
    EXPECT_FALSE(theWriterPane.NewSentence(0));
}

TEST_F(WriterPaneTest, NextInflexionOfASentenceIconBecomesItsWordAndChangesTheSentence)
{
    theActiveFiles = {m_file};
    theCurrentLanguage = 1;
    theSearchLanguages = {1};
    for (const auto& [id, name] : {std::pair{10, "hus"}, std::pair{11, "huse"}}) {
        CQuibWord word;
        word.WordName = QString::fromLatin1(name);
        word.FamilyList = {10};
        ASSERT_EQ(word.Create(), RES_OK);
        ASSERT_EQ(word.SaveAs(id, m_file, MakeWordType(1)), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
    }
    CQuibObjIndex::LoadWords();
    addIcon(10);
    CQuibIcon& icon = *sentence().Icons.front();
    theWriterPane.Style &= ~kWriterLayoutNeeded;

    StepInflexion(icon);
    EXPECT_EQ(icon.ShownWordId, 11);
    EXPECT_EQ(icon.WordId, 11) << "the sentence says the inflexion";
    EXPECT_TRUE(theWriterPane.Style & kWriterLayoutNeeded) << "the sentence is laid out again";

    const auto elsewhere = wordIcon(10); // shown by no pane
    StepInflexion(*elsewhere);
    EXPECT_EQ(elsewhere->ShownWordId, 11);
    EXPECT_EQ(elsewhere->WordId, 10) << "only shown";
}

TEST_F(WriterPaneTest, NewSentenceGoesAfterTheGivenPositionOrAtTheHead)
{
    addIcon(11);
    ASSERT_TRUE(theWriterPane.NewSentence(0));
    ASSERT_TRUE(theWriterPane.NewSentence(-1));
    EXPECT_EQ(m_user.Sentences, (std::vector<std::int32_t>{3, 1, 2}));
    EXPECT_EQ(m_user.CurrentSentence, 0);
    ASSERT_TRUE(theWriterPane.NewSentence(7));
    EXPECT_EQ(m_user.Sentences, (std::vector<std::int32_t>{3, 1, 2, 4})) << "past the end: after the last";
    EXPECT_EQ(m_user.CurrentSentence, 3);
}

TEST_F(WriterPaneTest, DeleteRemovesTheSelectedIconOrEmptiesOrRemovesTheWholeSentence)
{
    const std::vector<const CQuibSentence*>& copySources = m_owner.copySources;
    addIcon(11);
    addIcon(12);
    CQuibIcon* second = sentence().Icons[1].get();
    second->Select();
    ASSERT_EQ(theSelectedIcons, std::vector<CQuibIcon*>{second});

    click(WriterTool::Delete);
    EXPECT_EQ(words(), std::vector<std::int32_t>{11});
    EXPECT_TRUE(theSelectedIcons.empty());

    click(centreOf(theWriterPane.NavigationRect())); // the number: the whole sentence
    ASSERT_EQ(copySources, std::vector<const CQuibSentence*>{&sentence()});
    click(WriterTool::Delete);
    EXPECT_EQ(m_user.Sentences.size(), 1u) << "the only sentence is emptied, not removed";
    CQuibSentence stored;
    ASSERT_TRUE(storedSentence(1, stored));
    EXPECT_TRUE(stored.Icons.empty()) << "the emptied sentence is written";
    stored.Detach();

    ASSERT_TRUE(theWriterPane.NewSentence(0));
    ASSERT_EQ(m_user.Sentences, (std::vector<std::int32_t>{1, 2}));
    click(WriterTool::Delete);
    EXPECT_EQ(m_user.Sentences, std::vector<std::int32_t>{1}) << "an empty sentence among others is removed";
    EXPECT_EQ(m_user.CurrentSentence, 0);
    ASSERT_EQ(SaveResFile(m_user.GetFile()), RES_OK);
    CQuibSentence removed;
    EXPECT_FALSE(storedSentence(2, removed)) << "nothing wrote the removed sentence back";

    // A single icon selected in the browse tool ends the whole-sentence selection and its copy.
    m_owner.copySourcesCleared = 0;
    const auto elsewhere = wordIcon(30);
    theSelectedIcons = {elsewhere.get()};
    emit thePageEvents.selectionChanged();
    EXPECT_EQ(m_owner.copySourcesCleared, 1);
    emit thePageEvents.selectionChanged();
    EXPECT_EQ(m_owner.copySourcesCleared, 1);
    theSelectedIcons.clear();
}

TEST_F(WriterPaneTest, AClickIntoTheStripInsertsACopyAtItsPlaceAndASentenceIconMoves)
{
    addIcon(11);
    addIcon(12);
    const auto elsewhere = wordIcon(20);
    const int y = theWriterPane.SentenceRect().top + 3; // above the icons, inside the strip
    // The middle of a sentence icon in client coordinates: strip coordinates start at the draw
    // rectangle, the pane without its top edge.
    const auto middleOf = [&](std::size_t position) {
        const CQuibIcon& icon = *sentence().Icons[position];
        return theWriterPane.PaneRect.left + (icon.DrawnRect.left + icon.DrawnRect.right) / 2;
    };

    theSelectedIcons = {elsewhere.get()};
    click(CPoint(middleOf(1) - 1, y));
    EXPECT_EQ(words(), (std::vector<std::int32_t>{11, 20, 12})) << "before the first middle right of x";
    EXPECT_NE(sentence().Icons[1].get(), elsewhere.get()) << "a copy, not the icon itself";
    EXPECT_EQ(sentence().Icons[1]->Flags & 0x2004u, 0x2004u);
    EXPECT_TRUE(theSelectedIcons.empty());

    theWriterPane.UpdateLayout(false);
    theSelectedIcons = {elsewhere.get()};
    click(CPoint(theWriterPane.VisibleRect().left + 1, y));
    EXPECT_EQ(words().front(), 20) << "left of the first icon's middle: the head";

    theWriterPane.UpdateLayout(false);
    theSelectedIcons = {elsewhere.get()};
    click(CPoint(theWriterPane.SentenceRect().right - 40, y));
    EXPECT_EQ(words(), (std::vector<std::int32_t>{20, 11, 20, 12, 20})) << "right of every icon: the tail";

    theWriterPane.UpdateLayout(false);
    theSelectedIcons = {elsewhere.get()};
    click(CPoint(middleOf(0), theWriterPane.SentenceRect().top + 40)); // on an icon: nothing inserted
    EXPECT_EQ(words().size(), 5u);
    theSelectedIcons.clear();

    // A sentence icon moves: the third to the head (at the strip's left edge), the count stays.
    CQuibIcon* third = sentence().Icons[2].get();
    theWriterPane.InsertIcon(third, theWriterPane.SentenceRect().left, y);
    EXPECT_EQ(words(), (std::vector<std::int32_t>{20, 20, 11, 12, 20}));
    EXPECT_EQ(sentence().Icons.front().get(), third) << "the icon itself moved";
    theWriterPane.UpdateLayout(false);
    theWriterPane.InsertIcon(third, middleOf(3) + 1, y);
    EXPECT_EQ(words(), (std::vector<std::int32_t>{20, 11, 12, 20, 20}))
        << "moved right: before the next middle";
    EXPECT_EQ(sentence().Icons[3].get(), third);
}

TEST_F(WriterPaneTest, ScrollToolsWorkOnlyWhileTheRowOverflowsAndTheInsertCursorShowsOverEmptyStrip)
{
    CWriterToolIcon* back = theWriterPane.Tool(WriterTool::ScrollBack);
    CWriterToolIcon* forward = theWriterPane.Tool(WriterTool::ScrollForward);
    addIcon(11);
    EXPECT_FALSE(back->Flags & kIconVisible);
    EXPECT_FALSE(forward->Flags & kIconVisible);
    click(WriterTool::ScrollForward);
    EXPECT_EQ(sentence().ScrollOffset, 0) << "a disabled scroll tool does nothing";

    for (int word = 12; word < 30; ++word)
        addIcon(word);
    EXPECT_FALSE(back->Flags & kIconVisible);
    EXPECT_TRUE(forward->Flags & kIconVisible);
    EXPECT_FALSE(sentence().Icons.back()->Flags & kIconVisible) << "an icon outside the strip is not shown";
    click(WriterTool::ScrollForward);
    theWriterPane.UpdateLayout(false);
    EXPECT_EQ(sentence().ScrollOffset, -kWriterScrollStep);
    EXPECT_TRUE(back->Flags & kIconVisible);
    EXPECT_FALSE(sentence().Icons.front()->Flags & kIconVisible);
    click(WriterTool::ScrollBack);
    theWriterPane.UpdateLayout(false);
    EXPECT_EQ(sentence().ScrollOffset, 0);
    EXPECT_TRUE(sentence().Icons.front()->Flags & kIconVisible);

    const auto elsewhere = wordIcon(40);
    theSelectedIcons = {elsewhere.get()};
    const CRect strip = theWriterPane.SentenceRect();
    SetAppCursor(CURSOR_ARROW);
    theWriterPane.OnMouseMove(0, strip.left + 30, strip.top + 3, 0, true);
    EXPECT_EQ(GetAppCursor(), kWriterInsertCursor) << "where a click would insert";
    SetAppCursor(CURSOR_ARROW);
    const CRect first = theWriterPane.VisibleRect();
    theWriterPane.OnMouseMove(0, first.left + kWriterPictureSize / 2, strip.top + strip.Height() / 2, 0,
                              true);
    EXPECT_NE(GetAppCursor(), kWriterInsertCursor) << "over an icon";
    theSelectedIcons.clear();
}

TEST_F(WriterPaneTest, TheDisplayModeToolCyclesAndTheSentenceKeepsTheMode)
{
    EXPECT_EQ(NextSentenceDisplayMode(2367), 2364);
    EXPECT_EQ(NextSentenceDisplayMode(77), 2364);
    const std::int32_t id = m_user.Sentences.front();
    for (const std::int32_t expected : {2365, 2366, 2367, 2364, 2365}) {
        click(WriterTool::DisplayMode);
        EXPECT_EQ(theWriterPane.Tool(WriterTool::DisplayMode)->WordId, expected);
        EXPECT_EQ(sentence().IntensionMarkerId, expected);
    }
    addIcon(11);
    click(WriterTool::Next); // leaves the sentence: written
    theWriterPane.UpdateLayout(false);
    CQuibSentence stored;
    ASSERT_TRUE(storedSentence(id, stored));
    EXPECT_EQ(stored.IntensionMarkerId, 2365);
    stored.Detach();
    EXPECT_EQ(theWriterPane.Tool(WriterTool::DisplayMode)->WordId, 2364) << "the new sentence's own mode";
}

class WriterReadAloudTest : public WriterPaneTest
{
protected:
    void addRecordingIcons(int count)
    {
        for (int i = 0; i < count; ++i)
            sentence().Icons.push_back(std::make_unique<lumivo::test::RecordingIcon>(m_activated));
        theWriterPane.Style |= kWriterLayoutNeeded;
        theWriterPane.UpdateLayout(false);
    }

    std::vector<std::uint32_t> m_activated;
};

TEST_F(WriterReadAloudTest, TheToolReadsTheShownSentenceAndAChangeOfItEndsTheReading)
{
    lumivo::clock::TestClock clock(200000);
    addRecordingIcons(2);
    click(WriterTool::ReadAloud);
    ASSERT_TRUE(theWriterPane.IsReadingAloud());
    EXPECT_EQ(m_activated, std::vector<std::uint32_t>{200000}) << "the first icon at once";
    EXPECT_TRUE(sentence().Icons[0]->Highlighted);
    addIcon(40); // the sentence changes under the reading
    clock.advance(1000);
    theWriterPane.Reader().OnTick();
    EXPECT_FALSE(theWriterPane.IsReadingAloud());
    EXPECT_EQ(m_activated.size(), 1u) << "what was to come is gone";
    EXPECT_FALSE(sentence().Icons[0]->Highlighted);
}

TEST_F(WriterPaneTest, TheStripIsDrawnInItsColourWithAHighlightedIconOnTheSelectionColour)
{
    theWriterPane.SetPictureFinder([](std::int32_t, int, int) { return solidPicture(); });
    addIcon(11);
    addIcon(12);
    sentence().Icons[1]->Highlighted = true;
    theWriterPane.FocusColor = 0x0000FF; // red
    theWriterPane.Style |= kWriterSentenceSelected;
    QImage image(800, 510, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        theWriterPane.Draw(painter);
    }
    image.save(tempPath("writer.png"));

    const CRect visible = theWriterPane.VisibleRect();
    const QRgb strip = toQColor(kWriterStripColor).rgb();
    EXPECT_EQ(image.pixel(visible.right - 10, visible.top + 5), strip) << "empty strip";
    EXPECT_EQ(image.pixel(theWriterPane.NavigationRect().left + 3, theWriterPane.NavigationRect().top + 10),
              strip);
    const CRect sentenceRect = theWriterPane.SentenceRect();
    const int middle = (sentenceRect.top + sentenceRect.bottom) / 2;
    EXPECT_EQ(image.pixel(sentenceRect.left, middle), qRgb(255, 0, 0)) << "the selected sentence's frame";
    EXPECT_EQ(image.pixel(theWriterPane.NavigationRect().left, middle), qRgb(0, 0, 0))
        << "the number's frame";

    const CQuibIcon& plain = *sentence().Icons[0];
    const CQuibIcon& lit = *sentence().Icons[1];
    const int stripLeft = theWriterPane.PaneRect.left;
    const int stripTop = theWriterPane.PaneRect.top + kPaneEdgeWidth;
    const auto at = [&](const CQuibIcon& icon, int dx, int dy) {
        return image.pixel(stripLeft + icon.ScreenRect.left + dx, stripTop + icon.ScreenRect.top + dy);
    };
    EXPECT_EQ(at(plain, 24, 24), kPictureRgb) << "the picture";
    EXPECT_EQ(at(lit, 24, 24), kPictureRgb);
    EXPECT_EQ(at(plain, 24, -2), strip) << "no highlight behind an icon not being read";
    EXPECT_EQ(at(lit, 24, -2), qRgb(255, 0, 0)) << "the selection colour behind the icon being read";
}
