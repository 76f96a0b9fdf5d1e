// Panes: the visible list and hit order, pages taken and refused, the lock of pages another file owns,
// a page drawn into a back buffer, the pocketbook print and the user's settings applied to the panes.

#include "core/FrameSizes.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/PageHooks.h"
#include "core/Picture.h"
#include "core/User.h"
#include "panes/Panes.h"
#include "panes/UserSettings.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/Pictures.h"

#include <QPainter>

#include <memory>

using namespace lumivo::test;

namespace
{

constexpr std::uint16_t kLanguage = 1;
constexpr std::int32_t kHomePage = 31;
constexpr std::int32_t kOtherPage = 32;
constexpr QRgb kPictureRgb = 0xFF2060A0;
constexpr QRgb kIconRgb = 0xFF0000FF;

class RecordingOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& rect, bool /*erase*/) override { invalidated.push_back(rect); }
    std::vector<CRect> invalidated;
};

std::unique_ptr<CQuibPict> iconPicture()
{
    auto picture = std::make_unique<CQuibPict>();
    picture->Width = 40;
    picture->Height = 40;
    picture->Image = solidRgbImage(40, 40, kIconRgb);
    return picture;
}

} // namespace

class PaneTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        for (CPane* pane : {static_cast<CPane*>(&theMainPane), &theWordPane})
            pane->SetOwnerWnd(&m_owner);
        theMainPane.PaneRect = CRect(100, 0, 740, 427);
        theWordPane.PaneRect = CRect(0, 0, 120, 427);
    }

    // A data file with two pages; the first has a picture for frame-size mode 2 and one icon.
    void makeDataFile()
    {
        m_file = makeResourceFile(tempPath("pages.tvf"));
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
        storePage(kHomePage, "Home", true);
        storePage(kOtherPage, "Other", false);
        m_file = saveAndReopen(m_file);
        theActiveFiles = {m_file};
        theMainPane.SetPictureFinder([](std::int32_t, int, int) { return iconPicture(); });
    }

    void storePage(std::int32_t id, const char* name, bool withPicture)
    {
        CQuibBg page;
        page.Name = QString::fromLatin1(name);
        auto icon = std::make_unique<CQuibIcon>();
        icon->WordId = 7;
        icon->StoredRect = CRect(500, 500, 625, 750); // (320, 213) to (400, 320) on a 640 x 427 page
        page.Icons.push_back(std::move(icon));
        storeInFile(page, id, m_file, MakeBgType(1, kLanguage));
        page.Write();
        if (!withPicture)
            return;
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(solidRgbImage(640, 427, kPictureRgb), 640, 427, pictRawRgb));
        ASSERT_EQ(picture.SaveAs(id, m_file, MakePictType(std::int16_t(FrameSizeToLayoutId(2)), kLanguage)),
                  RES_OK);
        picture.Write();
    }

    RecordingOwner m_owner;
    int m_file = 0;
};

TEST_F(PaneTest, VisibleListKeepsEachPaneOnceAndHitsTheHeadFirst)
{
    theWordPane.SetVisible(false);
    EXPECT_TRUE(theVisiblePanes.empty()) << "hiding an unlisted pane changes nothing";
    EXPECT_TRUE(m_owner.invalidated.empty());

    theMainPane.SetVisible(true);
    theMainPane.SetVisible(true);
    theWordPane.SetVisible(true);
    EXPECT_EQ(theVisiblePanes, (std::vector<CPane*>{&theMainPane, &theWordPane}));
    EXPECT_EQ(m_owner.invalidated.size(), 2u);

    // Both cover x 100 to 119: the head of the list wins, until the other moves to the head.
    EXPECT_EQ(CPane::FindPaneAt(110, 10), &theMainPane);
    theWordPane.MoveToHead();
    EXPECT_EQ(CPane::FindPaneAt(110, 10), &theWordPane);
    EXPECT_EQ(CPane::FindPaneAt(500, 10), &theMainPane);
    EXPECT_EQ(CPane::FindPaneAt(800, 10), nullptr);
    theNavigatorPane.MoveToHead(); // hidden: stays out of the list
    EXPECT_EQ(theVisiblePanes.size(), 2u);

    theWordPane.SetVisible(false);
    EXPECT_EQ(theVisiblePanes, std::vector<CPane*>{&theMainPane});
    EXPECT_EQ(CPane::FindPaneAt(110, 10), &theMainPane);
}

TEST_F(PaneTest, APageObjectIsShownByOneVisiblePaneAndTheSameIdIsNotReloaded)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theWordPane.SetVisible(true);
    EXPECT_EQ(theMainPane.LoadPage(kHomePage), 0u);
    CQuibBg* home = theMainPane.GetPage();
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->Name, "Home");

    EXPECT_EQ(theMainPane.LoadPage(kHomePage), std::uint32_t(kHomePage));
    EXPECT_EQ(theMainPane.GetPage(), home) << "the same id is not loaded again";

    EXPECT_EQ(theWordPane.SetPage(home), home) << "refused: the main pane shows it";
    EXPECT_EQ(theWordPane.GetPage(), nullptr);
    EXPECT_EQ(theWordPane.LoadPage(kHomePage), 0u);
    ASSERT_NE(theWordPane.GetPage(), nullptr);
    EXPECT_NE(theWordPane.GetPage(), home) << "a copy of its own from the store";
    EXPECT_EQ(CPane::FindPaneShowingPage(home), &theMainPane);

    EXPECT_EQ(theMainPane.LoadPage(kOtherPage), std::uint32_t(kHomePage));
    EXPECT_EQ(theMainPane.LoadPage(999), 0u) << "a page nobody has leaves the pane as it was";
    EXPECT_EQ(theMainPane.GetPage()->Name, "Other");
}

TEST_F(PaneTest, ANewPageLetsGoOfTheSelectionBeforeTheOldPageIsFreed)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    CQuibIcon* icon = theMainPane.GetPage()->Icons.front().get();
    icon->Select(nullptr);
    theHoverIcon = icon;
    ASSERT_EQ(theSelectedIcons.size(), 1u);

    theMainPane.LoadPage(kOtherPage); // the home page was the pane's own and is deleted
    EXPECT_TRUE(theSelectedIcons.empty());
    EXPECT_EQ(theHoverIcon, nullptr);
}

TEST_F(PaneTest, ReloadShowsTheStartPageOfAPaneWithoutPage)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theWordPane.SetVisible(true);
    theMainPane.StartPageId = kHomePage;
    theWordPane.StartPageId = kHomePage;
    theWordPane.LoadPage(kOtherPage);

    CPane::ReloadAllPanes(false);
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(theMainPane.GetPage()->GetID(), kHomePage);
    EXPECT_EQ(theWordPane.GetPage()->GetID(), kOtherPage) << "a pane keeps its page";

    CPane::ReloadAllPanes(true);
    EXPECT_EQ(theWordPane.GetPage()->GetID(), kHomePage);
    EXPECT_NE(theWordPane.GetPage(), theMainPane.GetPage());

    EXPECT_EQ(theWordPane.LoadPage(0), std::uint32_t(kHomePage)) << "page 0 is no page";
    EXPECT_EQ(theWordPane.GetPage(), nullptr);
}

TEST_F(PaneTest, AnEditablePaneIsLockedWhenTheUsersFileHasItsOwnCopy)
{
    makeDataFile();
    const int userFile = makeResourceFile(tempPath("user.tvf"));
    CQuibUser user;
    user.PrimaryLanguage = kLanguage;
    storeInFile(user, 1234, userFile, CQuibUser::kType);
    theCurrentUser = &user;
    theMainPane.SetVisible(true);
    theMainPane.PaneFlags = kPaneFlagEditable;

    theMainPane.LoadPage(kHomePage);
    EXPECT_TRUE(theMainPane.IsEditable());

    CQuibBg copy;
    storeInFile(copy, kHomePage, userFile, MakeBgType(1, kLanguage));
    theMainPane.UpdateLayout(false);
    EXPECT_EQ(theMainPane.PaneFlags & kPaneFlagLocked, kPaneFlagLocked);
    EXPECT_FALSE(theMainPane.IsEditable());

    theMainPane.PaneFlags &= ~kPaneFlagEditable;
    theMainPane.UpdateLayout(false);
    EXPECT_EQ(theMainPane.PaneFlags & kPaneFlagLocked, 0) << "only editable panes are locked";
    theMainPane.SetPage(nullptr);
    theCurrentUser = nullptr;
}

TEST_F(PaneTest, APageIsDrawnCentredWithItsPictureAndIcons)
{
    makeDataFile();
    theFrameSizeMode = 2;
    theMainPane.PaneRect = CRect(0, 0, 800, 500);
    theMainPane.PaneFlags = kPaneFlagCentred;
    theMainPane.BorderSides = kPaneEdgeTop | kPaneBandLeft;
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    ASSERT_FALSE(theMainPane.PagePicture().isNull());

    QImage buffer(800, 500, QImage::Format_RGB32);
    buffer.fill(Qt::black);
    {
        QPainter painter(&buffer);
        theMainPane.Draw(painter);
    }
    buffer.save(tempPath("pane.png"));
    // The draw rectangle is (1, 6)-(800, 500) after the edge and the band: 799 x 494; the 640 x 427
    // page is centred in it.
    EXPECT_EQ(theMainPane.PageRect, CRect(80, 39, 720, 466));
    EXPECT_EQ(buffer.pixel(0, 100), qRgb(255, 0, 0)) << "the frame band in the frame colour";
    EXPECT_EQ(buffer.pixel(40, 100), qRgb(0xAD, 0xCE, 0xD3)) << "the background colour";
    EXPECT_EQ(buffer.pixel(100, 60), kPictureRgb);
    EXPECT_EQ(buffer.pixel(80 + 360, 39 + 266), kIconRgb) << "the icon at its place on the page";

    // Nothing outside a clip that misses the pane.
    QImage untouched(800, 500, QImage::Format_RGB32);
    untouched.fill(Qt::black);
    {
        QPainter painter(&untouched);
        painter.setClipRect(QRect(900, 0, 10, 10));
        theMainPane.Draw(painter);
    }
    EXPECT_EQ(untouched.pixel(100, 60), qRgb(0, 0, 0));
}

TEST_F(PaneTest, TheIconsAndPagesBelowReachThePanesThroughTheirHooks)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    CQuibBg* page = theMainPane.GetPage();
    CQuibIcon* icon = page->Icons.front().get();
    EXPECT_EQ(icon->GetPane(), &theMainPane);
    EXPECT_EQ(icon->GetBackground(), page);

    m_owner.invalidated.clear();
    icon->Redraw(false);
    ASSERT_EQ(m_owner.invalidated.size(), 1u);
    EXPECT_EQ(m_owner.invalidated.front(), icon->GetBoundsRect() + theMainPane.PageRect.TopLeft());

    // The page code takes the page away to delete it itself: the pane lets go without deleting it.
    const std::unique_ptr<CQuibBg> released{page};
    EXPECT_EQ(ReleasePageFromPane(page), &theMainPane);
    EXPECT_EQ(theMainPane.GetPage(), nullptr);
    EXPECT_TRUE(theMainPaneLoadPage(kOtherPage)); // shown, though no page was shown before
    EXPECT_EQ(theMainPane.GetPage()->GetID(), kOtherPage);
}

TEST_F(PaneTest, APageLargerThanThePaneAsksForScrollBars)
{
    makeDataFile();
    theFrameSizeMode = 2;
    theMainPane.PaneRect = CRect(0, 0, 300, 500);
    theMainPane.ScrollFlags = kPaneWantsHorizontalBar | kPaneWantsVerticalBar;
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    theMainPane.HorizontalBar.position = 100;
    QImage buffer(300, 500, QImage::Format_RGB32);
    QPainter painter(&buffer);
    theMainPane.Draw(painter);

    const PaneScrollBar& across = theMainPane.HorizontalBar;
    EXPECT_TRUE(across.shown);
    EXPECT_EQ(across.rect, CRect(0, 484, 300, 500)) << "along the bottom, before the vertical bar";
    EXPECT_EQ(across.rangeMax, 640);
    EXPECT_EQ(across.pageSize, 300);
    EXPECT_EQ(theMainPane.PageRect.left, -100);
    EXPECT_TRUE(theMainPane.VerticalBar.exists);
    EXPECT_FALSE(theMainPane.VerticalBar.shown) << "427 pixels fit in 500";
    EXPECT_EQ(theMainPane.DrawRect, CRect(0, 0, 300, 484));
}

TEST_F(PaneTest, PocketbookOfAPartWithNoWidthPrintsOnlyTheFrame)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    QImage sheet(1000, 1000, QImage::Format_RGB32);
    const auto print = [&](const CRect& part) {
        sheet.fill(Qt::white);
        theMainPane.RelativeRect = part;
        QPainter painter(&sheet);
        PrinterDC printer{painter, 100, 100, 1000};
        theMainPane.PrintPocketbook(printer);
    };
    // 170 x 85 mm at 100 dpi: 669 x 335 pixels, from x 165 and y 200.
    print(CRect(0, 0, 1000, 1000));
    EXPECT_EQ(sheet.pixel(300, 300), kPictureRgb);
    EXPECT_EQ(sheet.pixel(164, 300), qRgb(0x80, 0x80, 0x80)) << "the frame just outside";

    print(CRect(500, 0, 500, 1000));
    EXPECT_EQ(sheet.pixel(300, 300), qRgb(255, 255, 255));
    EXPECT_EQ(sheet.pixel(164, 300), qRgb(0x80, 0x80, 0x80));
}

TEST_F(PaneTest, UserSettingsFollowTheRememberedScreenStateOrForceTheirOwn)
{
    CQuibUser user; // screen flags 0x00F7: every element as remembered
    user.MainPane.StartPage = 55;
    user.MainPane.Color = 0xFF123456; // no palette entry: kept as it is
    user.BrowseFlags = 0x77;
    theCurrentUser = &user;
    theScreenMode = 0x10 | 0x40 | SCREENMODE_STATUSBAR; // menu bar and toolbars remembered on

    UpdateUserSettings();
    EXPECT_EQ(theScreenMode, 0x10 | 0x40 | SCREENMODE_MENUBAR | SCREENMODE_TOOLBARS);
    EXPECT_EQ(theMainPane.StartPageId, 55u);
    EXPECT_EQ(theMainPane.BgColor, 0xFF123456u);
    EXPECT_EQ(theBrowsePane.BrowseFlags, 0x77u);
    EXPECT_EQ(theEditOptions, 0x3600);

    const std::uint16_t screenMode = theScreenMode;
    const COLORREF focus = theMainPane.FocusColor;
    UpdateUserSettings();
    EXPECT_EQ(theScreenMode, screenMode) << "a second run changes nothing";
    EXPECT_EQ(theMainPane.FocusColor, focus);

    user.ScreenFlags = 0x0008;
    UpdateUserSettings();
    EXPECT_EQ(theScreenMode, 0x10 | 0x40 | SCREENMODE_FULLSCREEN) << "full screen only; remembered bits kept";

    theCurrentUser = nullptr;
    UpdateUserSettings();
    EXPECT_EQ(theScreenMode, 0x10 | 0x40 | SCREENMODE_MENUBAR | SCREENMODE_TOOLBARS);
}
