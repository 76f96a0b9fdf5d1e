// Panes: the visible list and hit order, pages taken and refused, the lock of pages another file owns,
// a page drawn into a back buffer, the pocketbook print and the user's settings applied to the panes.

#include "core/FrameSizes.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/User.h"
#include "panes/Panes.h"
#include "panes/UserSettings.h"
#include "platform/ui/Ui.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/PageEventLog.h"
#include "tests/support/Pictures.h"

#include <QPainter>

#include <memory>

using namespace lumivo::test;
using namespace lumivo::ui;

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

    // The current user, kept in a file of its own; gives that file.
    int makeCurrentUser()
    {
        const int userFile = makeResourceFile(tempPath("user.tvf"));
        m_user.PrimaryLanguage = kLanguage;
        storeInFile(m_user, 1234, userFile, CQuibUser::kType);
        theCurrentUser = &m_user;
        return userFile;
    }

    RecordingOwner m_owner;
    int m_file = 0;
    CQuibUser m_user;
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
    icon->Select();
    SetHoverIcon(icon);
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
    const int userFile = makeCurrentUser();
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

TEST_F(PaneTest, TheIconsAndPagesBelowReachThePanesThroughTheModelsEvents)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    CQuibBg* page = theMainPane.GetPage();
    CQuibIcon* icon = page->Icons.front().get();
    EXPECT_EQ(CPane::FindPaneOfIcon(icon), &theMainPane);
    EXPECT_EQ(icon->GetBackground(), page);

    m_owner.invalidated.clear();
    icon->Redraw(false);
    ASSERT_EQ(m_owner.invalidated.size(), 1u);
    EXPECT_EQ(m_owner.invalidated.front(), icon->GetBoundsRect() + theMainPane.PageRect.TopLeft());

    // A link asks for a page: the main pane shows it, though it showed none before; a page it cannot
    // show gives way to the fallback page.
    theMainPane.SetVisible(false);
    EXPECT_EQ(icon->GetBackground(), nullptr) << "a hidden pane shows nothing";
    theMainPane.SetVisible(true);
    EXPECT_EQ(icon->GetBackground(), page);
    theMainPane.SetPage(nullptr);
    emit thePageEvents.linkRequested(kOtherPage);
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(theMainPane.GetPage()->GetID(), kOtherPage);
    storePage(kLinkFallbackPage, "Start", false);
    emit thePageEvents.linkRequested(55);
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(theMainPane.GetPage()->GetID(), kLinkFallbackPage);
}

TEST_F(PaneTest, APageOfThePanesOwnOutlivesItsRemovalAndThePaneShowsItsDefaultPage)
{
    makeDataFile();
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    CQuibBg* own = theMainPane.GetPage();
    ASSERT_FALSE(theBgIndex.Contains(own)) << "found in the file, the pane's own";
    PageEventLog log;

    EXPECT_TRUE(CQuibBg::Remove(own, false));
    EXPECT_EQ(theMainPane.GetPage(), nullptr) << "the default page is in no file";
    EXPECT_EQ(FindBackgroundById(kHomePage, 1), nullptr) << "gone from its file";
    const std::vector<PageEventLog::Event> events = log.take(); // the page's icons die in between
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front(), (PageEventLog::Event{"pageAboutToBeRemoved", own}));
    EXPECT_EQ(events.back(), (PageEventLog::Event{"pageRemoved", nullptr, nullptr, kHomePage}));
    EXPECT_EQ(theMainPane.LoadPage(kOtherPage), 0u) << "nothing was shown";
    EXPECT_EQ(theMainPane.GetPage()->GetID(), kOtherPage);
}

TEST_F(PaneTest, ThePaneFollowsItsIndexedPageThroughSavesRevertsAndRemoval)
{
    makeDataFile();
    theCurrentLanguage = kLanguage;
    CQuibObjIndex::LoadBackgrounds();
    const int userFile = makeCurrentUser();
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(kHomePage);
    CQuibBg* original = theMainPane.GetPage();
    ASSERT_TRUE(theBgIndex.Contains(original));
    const auto userCopy = [&] {
        return static_cast<CQuibBg*>(theBgIndex.Find(userFile, kLanguage, kHomePage));
    };

    // Saved as a copy in the user's file: the pane shows the copy.
    original->Name = "Home edited";
    original->Commit();
    ASSERT_TRUE(CQuibBg::SaveChanges(original, false));
    ASSERT_NE(userCopy(), nullptr);
    EXPECT_EQ(theMainPane.GetPage(), userCopy());
    EXPECT_EQ(theMainPane.GetPage()->Icons.front()->GetBackground(), userCopy());
    theWordPane.SetVisible(true);
    EXPECT_EQ(theWordPane.ShowPage(*userCopy()), userCopy()) << "refused: the main pane shows it";
    EXPECT_EQ(theWordPane.GetPage(), nullptr);

    // The original saved over that copy: the pane lets go of the copy while it still exists, and shows
    // the one filed in its place.
    CQuibBg* firstCopy = userCopy();
    bool letGoOfFirstCopy = false;
    QObject receiver; // connected after the panes, so it hears after them
    QObject::connect(&thePageEvents, &CPageEvents::pageReplaced, &receiver,
                     [&](CQuibBg* old, CQuibBg* replacement) {
                         if (old == firstCopy && !replacement)
                             letGoOfFirstCopy = theMainPane.GetPage() == nullptr;
                     });
    original->Name = "Home again";
    original->Commit();
    {
        ScopedAnswerer answerer;
        answerer.reply(IDYES);
        ASSERT_TRUE(CQuibBg::SaveChanges(original, false));
    }
    EXPECT_TRUE(letGoOfFirstCopy);
    CQuibBg* secondCopy = userCopy();
    ASSERT_NE(secondCopy, nullptr);
    EXPECT_EQ(theMainPane.GetPage(), secondCopy);
    EXPECT_EQ(theMainPane.GetPage()->Name, "Home again");

    // Changes dropped: the pane lays the page read back out again.
    const CRect laidOut = secondCopy->Icons.front()->ScreenRect;
    secondCopy->Icons.clear();
    secondCopy->Commit();
    {
        ScopedAnswerer answerer;
        answerer.reply(IDNO);
        ASSERT_TRUE(CQuibBg::SaveChanges(secondCopy, true));
    }
    EXPECT_EQ(theMainPane.GetPage(), secondCopy);
    ASSERT_EQ(secondCopy->Icons.size(), 1u);
    EXPECT_EQ(secondCopy->Icons.front()->ScreenRect, laidOut) << "laid out again";

    // Removed: the pane lets go and shows its default page (in no file).
    ASSERT_TRUE(CQuibBg::Remove(secondCopy, false));
    EXPECT_EQ(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(userCopy(), nullptr);
}

TEST_F(PaneTest, LeavingTheEditingToolStoresThePanesOwnPageAsACopyThatThePaneThenShows)
{
    makeDataFile();
    const int userFile = makeCurrentUser();
    theMainPane.SetVisible(true);
    theMainPane.PaneFlags = kPaneFlagEditable;
    theMainPane.LoadPage(kHomePage);
    CQuibBg* own = theMainPane.GetPage();
    ASSERT_FALSE(theBgIndex.Contains(own)) << "found in the data file, the pane's own";

    // The store gives the pane the copy while it is still at work on the page it stores.
    own->Name = "Home edited";
    own->Commit();
    theEditTool = kEditToolSelect;
    EXPECT_TRUE(theMainPane.CanSetEditTool(kEditToolBrowse));
    CQuibBg* copy = static_cast<CQuibBg*>(theBgIndex.Find(userFile, kLanguage, kHomePage));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(theMainPane.GetPage(), copy);
    EXPECT_EQ(copy->Name, "Home edited");
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
