// The browse callout: where it goes beside the selected icon near each edge of the client area, the
// region that takes clicks (not the corners of its rectangle), when it hides, its buttons, a click on
// it that the pane underneath never sees, and what it paints.

#include "panes/BrowsePane.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/User.h"
#include "panes/MouseState.h"
#include "panes/Panes.h"
#include "platform/types/Clock.h"
#include "shell/MainClientWnd.h"
#include "system/StatusText.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

using namespace lumivo::test;

namespace
{

constexpr CRect kClient{0, 0, 800, 600};
constexpr CSize kIconSize{80, 60};

class ClientOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& rect, bool /*erase*/) override { invalidated.push_back(rect); }
    CRect GetClientRect() const override { return kClient; }
    std::vector<CRect> invalidated;
};

// A pane under the callout that writes down what reaches it and then does what every pane does.
class RecordingPane : public CPane
{
public:
    bool OnLButtonDown(unsigned flags, int x, int y, std::uint32_t tick) override
    {
        log.push_back("LButtonDown");
        return CPane::OnLButtonDown(flags, x, y, tick);
    }
    bool OnLButtonUp(unsigned flags, int x, int y, std::uint32_t tick) override
    {
        log.push_back("LButtonUp");
        return CPane::OnLButtonUp(flags, x, y, tick);
    }
    bool OnClick(unsigned flags, int x, int y, std::uint32_t tick) override
    {
        log.push_back("Click");
        return CPane::OnClick(flags, x, y, tick);
    }
    std::vector<std::string> log;
};

std::unique_ptr<CQuibPict> filledPicture(int side, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    auto picture = std::make_unique<CQuibPict>();
    picture->Width = side;
    picture->Height = side;
    RgbImage image{side, side, {}};
    for (int i = 0; i < side * side; ++i)
        image.pixels.insert(image.pixels.end(), {red, green, blue});
    picture->Image = std::move(image);
    return picture;
}

std::unique_ptr<CQuibPict> redPicture(int side)
{
    return filledPicture(side, 0xE0, 0x10, 0x10);
}

// The callout as it paints itself onto a white client area.
QImage drawnCallout()
{
    QImage image(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    theBrowsePane.Draw(painter);
    return image;
}

bool inside(const CRect& inner, const CRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

class BrowsePaneTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theEditTool = kEditToolBrowse;
        m_page.PaneRect = m_page.PageRect = kClient;
        m_page.SetOwnerWnd(&m_owner);
        m_page.SetVisible(true);
        theBrowsePane.SetOwnerWnd(&m_owner);
        theBrowsePane.RenderQuality = 1;
    }

    // An icon of the page pane at that top-left corner, with a text.
    CQuibIcon& addIcon(CPoint at, const QString& text = QStringLiteral("apple"))
    {
        auto icon = std::make_unique<CQuibIcon>();
        icon->ScreenRect = CRect(at, kIconSize);
        icon->WordName = text;
        CQuibIcon& added = *icon;
        m_page.AddChildIcon(std::move(icon));
        return added;
    }

    // Selects only that icon; the callout follows the selection by itself.
    void select(CQuibIcon& icon)
    {
        m_page.ClearSelection();
        icon.Select();
    }

    // The writer pane shows the current user's first sentence, which the pencil adds to.
    const CQuibIconList& showWritersSentence()
    {
        const int file = makeResourceFile(tempPath("user.tvf"));
        storeInFile(m_user, 5, file, CQuibUser::kType);
        theCurrentUser = &m_user;
        theWriterPane.SetOwnerWnd(&m_owner);
        theWriterPane.PaneRect = CRect(0, 500, 800, 600);
        theWriterPane.SetVisible(true);
        theWriterPane.UpdateLayout(true);
        EXPECT_NE(theWriterPane.ShownSentence(), nullptr);
        return theWriterPane.ShownSentence()->Icons;
    }

    void showFor(CPoint at, std::uint32_t flags)
    {
        theBrowsePane.BrowseFlags = flags;
        select(addIcon(at));
        ASSERT_TRUE(theBrowsePane.IsVisible());
    }

    CRect buttonRect(int id) const
    {
        for (int i = 0; i < kBrowseButtonCount; ++i)
            if (theBrowsePane.ButtonId(i) == id)
                return theBrowsePane.Button(i).Rect;
        return {};
    }

    CQuibUser m_user; // outlives the resets after the test, which let go of the writer's sentence
    ClientOwner m_owner;
    RecordingPane m_page;
};

TEST_F(BrowsePaneTest, TheBalloonTakesTheFirstSideThatFitsNearEachEdge)
{
    const std::uint32_t balloon = kBrowseDefaultFlags | kBrowsePencil | kBrowseSpeaker;
    struct Case {
        CPoint iconAt;
        bool bodyRight;
        bool bodyAbove;
    };
    // Middle: up and right; top right corner: down and left; top left corner: down and right; bottom
    // right corner: nothing fits, so right of the last tail point and above, where there is more room.
    for (const Case& c :
         {Case{{360, 270}, true, true}, Case{{kClient.right - 80, 0}, false, false},
          Case{{0, 0}, true, false}, Case{{kClient.right - 80, kClient.bottom - 60}, true, true}}) {
        SCOPED_TRACE(testing::Message() << c.iconAt.x << "," << c.iconAt.y);
        showFor(c.iconAt, balloon);
        const CRect body = theBrowsePane.BodyRect();
        const CPoint tail = theBrowsePane.TailPoint();
        EXPECT_EQ(c.bodyRight ? body.left : body.right, tail.x);
        EXPECT_EQ(c.bodyAbove ? body.bottom : body.top,
                  tail.y + (c.bodyAbove ? -1 : 1) * (body.Height() / 2));
        EXPECT_TRUE(theBrowsePane.AnchorRect().PtInRect(tail));
        if (c.iconAt.y + 60 < kClient.bottom) {
            EXPECT_TRUE(inside(theBrowsePane.RegionBounds(), kClient));
        }
    }
}

TEST_F(BrowsePaneTest, RoundRectanglesMoveBackIntoTheClientArea)
{
    showFor({kClient.right - 40, 100}, kBrowseStyleRoundRectBelow | kBrowseShowText | kBrowsePencil);
    EXPECT_EQ(theBrowsePane.RegionBounds().right, kClient.right);
    EXPECT_EQ(theBrowsePane.BodyRect().top, theBrowsePane.AnchorRect().bottom + 4);

    showFor({kClient.right - 20, kClient.bottom - 20},
            kBrowseStyleRoundRectAround | kBrowseShowText | kBrowseShadow | kBrowsePencil);
    EXPECT_LE(theBrowsePane.PaneRect.right, kClient.right - 6);
    EXPECT_LE(theBrowsePane.PaneRect.bottom, kClient.bottom);
    EXPECT_EQ(theBrowsePane.ShadowOffset(), CSize(8, 8));
    // The outer rectangle holds the callout, its shadow and 3 pixels more.
    EXPECT_EQ(theBrowsePane.PaneRect.right, theBrowsePane.RegionBounds().right + 8 + 3);
}

TEST_F(BrowsePaneTest, AroundTheIconTheEnlargedCopyShowsItsPictureInTheMiddle)
{
    theBrowsePane.SetPictureFinder(
        [](std::int32_t id, int width, int) { return id == 7 ? redPicture(width) : nullptr; });
    theBrowsePane.BrowseFlags = kBrowseStyleRoundRectAround | kBrowseShowText | kBrowseSpeaker;
    CQuibIcon& icon = addIcon({300, 200});
    icon.WordId = icon.ShownWordId = 7;
    select(icon);
    ASSERT_TRUE(theBrowsePane.IsVisible());
    const CRect picture = theBrowsePane.PictureRect();
    EXPECT_EQ(picture.Size(), CSize(64, 64));
    EXPECT_EQ(picture.CenterPoint(), theBrowsePane.AnchorRect().CenterPoint());
    EXPECT_EQ(theBrowsePane.EnlargedIcon()->ScreenRect + theBrowsePane.PaneRect.TopLeft(), picture);
    EXPECT_GE(theBrowsePane.TextRect().top, picture.bottom + 4);
    EXPECT_GE(theBrowsePane.ButtonRowRect().top, theBrowsePane.TextRect().bottom + 4);

    QImage image(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        theBrowsePane.Draw(painter);
    }
    const QColor middle = image.pixelColor(picture.CenterPoint().x, picture.CenterPoint().y);
    EXPECT_GT(middle.red(), 200);
    EXPECT_LT(middle.green(), 60);
}

TEST_F(BrowsePaneTest, TheCalloutShowsThePictureStoredNowWhenItIsReplacedOrRemoved)
{
    enum class Stored { Red, Blue, None } stored = Stored::Red;
    theBrowsePane.SetPictureFinder([&stored](std::int32_t id, int width, int) -> std::unique_ptr<CQuibPict> {
        if (id != 7 || stored == Stored::None)
            return nullptr;
        return stored == Stored::Red ? redPicture(width) : filledPicture(width, 0x10, 0x10, 0xE0);
    });
    theBrowsePane.BrowseFlags = kBrowseStyleRoundRectAround | kBrowseShowText | kBrowseSpeaker;
    CQuibIcon& icon = addIcon({300, 200});
    icon.WordId = icon.ShownWordId = 7;
    select(icon);
    const CPoint middle = theBrowsePane.PictureRect().CenterPoint();
    ASSERT_GT(drawnCallout().pixelColor(middle.x, middle.y).red(), 200);

    stored = Stored::Blue;
    emit thePageEvents.storedMediaChanged(8); // another word's: the picture drawn stays
    EXPECT_GT(drawnCallout().pixelColor(middle.x, middle.y).red(), 200);
    emit thePageEvents.storedMediaChanged(7);
    EXPECT_GT(drawnCallout().pixelColor(middle.x, middle.y).blue(), 200);

    // Without a picture the callout keeps no room for one.
    stored = Stored::None;
    emit thePageEvents.storedMediaChanged(7);
    EXPECT_TRUE(theBrowsePane.PictureRect().IsRectEmpty());
    EXPECT_TRUE(theBrowsePane.IsVisible());
    const QImage drawn = drawnCallout();
    int pictured = 0;
    for (int y = middle.y - 32; y < middle.y + 32; ++y) {
        for (int x = middle.x - 32; x < middle.x + 32; ++x) {
            const QColor pixel = drawn.pixelColor(x, y);
            pictured += pixel.green() < 60 && (pixel.red() > 200 || pixel.blue() > 200);
        }
    }
    EXPECT_EQ(pictured, 0);
}

TEST_F(BrowsePaneTest, OnlyTheRegionTakesThePointNotTheCornersOfItsRectangle)
{
    for (const std::uint32_t style :
         {kBrowseStyleBalloon, kBrowseStyleRoundRectBelow, kBrowseStyleRoundRectAround}) {
        SCOPED_TRACE(style);
        showFor({360, 270}, style | kBrowseShowText | kBrowsePencil);
        const CRect bounds = theBrowsePane.RegionBounds();
        const CPoint middle = theBrowsePane.BodyRect().CenterPoint();
        EXPECT_TRUE(theBrowsePane.HitTest(middle.x, middle.y));
        EXPECT_EQ(CPane::FindPaneAt(middle.x, middle.y), &theBrowsePane);
        for (const CPoint corner :
             {bounds.TopLeft(), CPoint(bounds.right - 1, bounds.top), CPoint(bounds.left, bounds.bottom - 1),
              CPoint(bounds.right - 1, bounds.bottom - 1)})
            EXPECT_EQ(CPane::FindPaneAt(corner.x, corner.y), &m_page) << corner.x << "," << corner.y;
    }
    // The balloon's tail reaches the icon; beside the tail point lies the page again.
    showFor({360, 270}, kBrowseDefaultFlags);
    const CPoint tail = theBrowsePane.TailPoint();
    EXPECT_TRUE(theBrowsePane.HitTest(tail.x + 9, tail.y - 3));
    EXPECT_FALSE(theBrowsePane.HitTest(tail.x - 4, tail.y - 1));
}

TEST_F(BrowsePaneTest, TheCalloutHidesWithoutOneIconOrWithoutAnythingToShow)
{
    showFor({100, 100}, kBrowseDefaultFlags);
    CQuibIcon& second = addIcon({300, 300});
    second.Select();
    EXPECT_FALSE(theBrowsePane.IsVisible());
    EXPECT_EQ(CPane::FindPaneAt(120, 60), &m_page);

    // An icon of the writer's sentence.
    m_page.ClearSelection();
    theWriterPane.PaneRect = CRect(0, 500, 800, 600);
    theWriterPane.SetVisible(true);
    auto writerIcon = std::make_unique<CQuibIcon>();
    writerIcon->ScreenRect = CRect(10, 10, 60, 60);
    CQuibIcon& inWriter = *writerIcon;
    theWriterPane.AddChildIcon(std::move(writerIcon));
    select(inWriter);
    EXPECT_FALSE(theBrowsePane.IsVisible());

    // No text and no button: never shown, whatever the style.
    for (const std::uint32_t style :
         {kBrowseStyleBalloon, kBrowseStyleRoundRectBelow, kBrowseStyleRoundRectAround}) {
        theBrowsePane.BrowseFlags = style | kBrowseShadow;
        select(second);
        EXPECT_FALSE(theBrowsePane.IsVisible()) << style;
    }
    theBrowsePane.BrowseFlags = kBrowseDefaultFlags & ~kBrowseStyleMask;
    select(second);
    EXPECT_FALSE(theBrowsePane.IsVisible());
}

TEST_F(BrowsePaneTest, ThePencilAppendsTheIconToTheWritersSentenceAndTheWatchDoesNothing)
{
    const CQuibIconList& sentence = showWritersSentence();
    auto first = std::make_unique<CQuibIcon>();
    first->WordId = first->ShownWordId = 41;
    theWriterPane.InsertIcon(first.get(), 0, 0);

    theBrowsePane.BrowseFlags = kBrowseDefaultFlags | kBrowsePencil | kBrowseWatch;
    CQuibIcon& icon = addIcon({360, 270});
    icon.WordId = icon.ShownWordId = 42;
    select(icon);
    ASSERT_TRUE(theBrowsePane.IsVisible());
    const CPoint watch = buttonRect(kBrowseButtonWatch).CenterPoint();
    EXPECT_TRUE(theBrowsePane.OnClick(0, watch.x, watch.y, 0));
    EXPECT_EQ(sentence.size(), 1u);
    const CPoint pencil = buttonRect(kBrowseButtonPencil).CenterPoint();
    EXPECT_TRUE(theBrowsePane.OnClick(0, pencil.x, pencil.y, 0));
    ASSERT_EQ(sentence.size(), 2u);
    EXPECT_EQ(sentence.back()->WordId, 42);
}

TEST_F(BrowsePaneTest, AClickOnTheCalloutNeverReachesThePaneUnderneath)
{
    lumivo::clock::TestClock clock{100000};
    CMainClientWnd window;
    window.resize(kClient.Width(), kClient.Height());
    const CQuibIconList& sentence = showWritersSentence();
    m_page.SetOwnerWnd(&window);
    SetFocusPane(&m_page);
    showFor({360, 270}, kBrowseDefaultFlags | kBrowsePencil);
    EXPECT_EQ(theVisiblePanes.front(), &theBrowsePane);
    EXPECT_NE(theFocusPane, &theBrowsePane);
    const auto click = [&](CPoint at) {
        for (const auto& [type, buttons] :
             {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
              std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons()}}) {
            QMouseEvent event(type, QPointF(at.x, at.y), QPointF(at.x, at.y), Qt::LeftButton, buttons,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &event);
            clock.advance(10);
        }
    };
    CQuibIcon& selected = *theSelectedIcons.front();
    // An icon of the page lies under the whole callout and reaches out beside it.
    CRect under = theBrowsePane.RegionBounds();
    under.InflateRect(20, 20);
    CQuibIcon& beneath = addIcon(under.TopLeft());
    beneath.ScreenRect = under;

    click(theBrowsePane.BodyRect().TopLeft() + CSize(6, theBrowsePane.BodyRect().Height() / 2));
    EXPECT_EQ(theSelectedIcons, std::vector<CQuibIcon*>{&selected});
    // The pencil: the writer takes the icon, and the selection goes (the callout with it).
    click(buttonRect(kBrowseButtonPencil).CenterPoint());
    EXPECT_EQ(sentence.size(), 1u) << "inserted once";
    EXPECT_TRUE(m_page.log.empty());
    EXPECT_EQ(theFocusPane, &m_page);

    click({under.left + 5, under.top + 5}); // beside the callout the page takes the click
    EXPECT_EQ(m_page.log, (std::vector<std::string>{"LButtonDown", "LButtonUp", "Click"}));
    EXPECT_EQ(theSelectedIcons, std::vector<CQuibIcon*>{&beneath});
}

TEST_F(BrowsePaneTest, TheSpeakerAndALongPressActivateTheIconOnceEach)
{
    lumivo::clock::TestClock clock{100000};
    CMainClientWnd window;
    window.resize(kClient.Width(), kClient.Height());
    showFor({360, 270}, kBrowseDefaultFlags | kBrowseSpeaker);
    // Activating an icon without a sound or a word says so in the status bar: one line per activation.
    int activations = 0;
    QObject receiver;
    QObject::connect(&theStatusText, &CStatusText::changed, &receiver, [&](const QString& text) {
        activations += text == QString::fromUtf8(kNoSoundText) ? 1 : 0;
    });
    const CPoint speaker = buttonRect(kBrowseButtonSpeaker).CenterPoint();
    EXPECT_TRUE(theBrowsePane.OnClick(0, speaker.x, speaker.y, 0));
    EXPECT_EQ(activations, 1);

    // Held still on the body, with no move before (a touch screen): the pane beneath, whose icon was
    // the hover icon, does not activate it as well.
    theHoverIcon = theSelectedIcons.front();
    const CPoint body = theBrowsePane.BodyRect().TopLeft() + CSize(6, theBrowsePane.BodyRect().Height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(body.x, body.y), QPointF(body.x, body.y),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    clock.advance(kLongPressMs + 1);
    window.OnIdleTick();
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(theHoverIcon, theBrowsePane.EnlargedIcon());
}

TEST_F(BrowsePaneTest, TheCalloutPaintsItsBodyShadowAndButtons)
{
    theBrowsePane.RenderQuality = kBrowseQualitySmooth;
    showFor({360, 270}, kBrowseDefaultFlags | kBrowsePencil | kBrowseSpeaker);
    QImage image(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        theBrowsePane.Draw(painter);
    }
    image.save(tempPath("callout.png"));
    const CRect body = theBrowsePane.BodyRect();
    const QColor callout = image.pixelColor(body.left + 2, body.CenterPoint().y);
    EXPECT_EQ(callout, QColor(0xFF, 0xFF, 0x86));
    // The shadow lies below and to the right of the body, grey on the white page.
    const QColor shadow = image.pixelColor(body.CenterPoint().x, body.bottom + 5);
    EXPECT_LT(shadow.lightness(), 235);
    EXPECT_GT(shadow.lightness(), 60);
    EXPECT_EQ(image.pixelColor(body.CenterPoint().x, body.top - 12), QColor(Qt::white));
    // The speaker's picture is drawn in its button; a hot button is lit.
    const CRect speaker = buttonRect(kBrowseButtonSpeaker);
    int dark = 0;
    for (int y = speaker.top; y < speaker.bottom; ++y)
        for (int x = speaker.left; x < speaker.right; ++x)
            dark += image.pixelColor(x, y).lightness() < 80;
    EXPECT_GT(dark, 20);
    const CPoint over = speaker.CenterPoint();
    EXPECT_TRUE(theBrowsePane.OnMouseMove(0, over.x, over.y, 0, true));
    QImage lit(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    {
        QPainter painter(&lit);
        theBrowsePane.Draw(painter);
    }
    EXPECT_EQ(lit.pixelColor(speaker.left + 1, speaker.top + 2), toQColor(kPictureButtonLitColor));
    ASSERT_EQ(theHoverIcon, theBrowsePane.EnlargedIcon());
    // The page underneath takes the hover: the button goes dark.
    theHoverIcon->OnLeave();
    EXPECT_EQ(theBrowsePane.Button(1).GetState(), 0);
}

TEST_F(BrowsePaneTest, APictureButtonsStateAndRepaintedRectangle)
{
    CPictureButton button;
    button.SetPane(&theBrowsePane);
    button.Rect = CRect(100, 40, 116, 56);
    EXPECT_TRUE(button.SetState(kPictureButtonHot));
    EXPECT_FALSE(button.SetState(kPictureButtonHot));
    EXPECT_TRUE(button.SetState(kPictureButtonPressed));
    EXPECT_EQ(button.GetState(), kPictureButtonPressed);
    EXPECT_FALSE(button.ClearState(kPictureButtonHot));
    m_owner.invalidated.clear();
    button.Invalidate(true);
    // Its own rectangle in the client window with the frame's margin, wherever the bars are.
    EXPECT_EQ(m_owner.invalidated, std::vector<CRect>{CRect(98, 38, 118, 58)});
}
