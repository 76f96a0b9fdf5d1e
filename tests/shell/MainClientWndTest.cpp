// The main client window: the order in which panes get mouse events, the thresholds of click pairs,
// drags and long presses, the automatic save of the user file, scroll bars that move the page, and a
// painted window that shows the main pane's page.

#include "shell/MainClientWnd.h"
#include "shell/Commands.h"

#include "core/FrameSizes.h"
#include "core/IconDrag.h"
#include "core/IconEditing.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/User.h"
#include "panes/MouseState.h"
#include "panes/PaneInput.h"
#include "panes/Panes.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/types/Clock.h"
#include "shell/Clipboard.h"
#include "shell/CurrentUser.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace lumivo::test;

namespace
{

// Writes down every handler call as "<pane>.<event>" and consumes the events it is told to.
class RecordingPane : public CPane
{
public:
    RecordingPane(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}

    std::set<std::string> consumes;

    bool OnKeyDown(unsigned key, unsigned) override { return record("KeyDown" + std::to_string(key)); }
    bool OnChar(unsigned ch, unsigned) override { return record("Char" + std::to_string(ch)); }
    bool OnLButtonDown(unsigned, int, int, std::uint32_t) override { return record("LButtonDown"); }
    bool OnLButtonUp(unsigned, int, int, std::uint32_t) override { return record("LButtonUp"); }
    bool OnRButtonDown(unsigned, int, int, std::uint32_t) override { return record("RButtonDown"); }
    bool OnBeginDrag(unsigned, int, int, std::uint32_t) override { return record("BeginDrag"); }
    bool OnDrag(unsigned, int, int, std::uint32_t) override { return record("Drag"); }
    bool OnEndDrag(unsigned, int, int, std::uint32_t) override { return record("EndDrag"); }
    bool OnClick(unsigned, int, int, std::uint32_t) override { return record("Click"); }
    bool OnDblClick(unsigned, int, int, std::uint32_t) override { return record("DblClick"); }
    bool OnLongMouseDown() override { return record("LongMouseDown"); }

private:
    bool record(const std::string& event)
    {
        m_log.push_back(m_name + "." + event);
        return consumes.count(event) > 0;
    }

    std::string m_name;
    std::vector<std::string>& m_log;
};

using Log = std::vector<std::string>;

} // namespace

class MainClientWndTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_window = std::make_unique<CMainClientWnd>();
        m_window->resize(800, 600);
        m_left.PaneRect = CRect(0, 0, 400, 600);
        m_right.PaneRect = CRect(400, 0, 800, 600);
    }

    void TearDown() override
    {
        m_window.reset();
        LumivoTest::TearDown();
    }

    void showRecordingPanes()
    {
        m_left.SetVisible(true);
        m_right.SetVisible(true);
    }

    void mouse(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(x, y), QPointF(x, y), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(m_window.get(), &event);
    }
    void press(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, x, y, button, button);
    }
    void release(int x, int y) { mouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton); }
    void moveTo(int x, int y, Qt::MouseButtons buttons = Qt::NoButton)
    {
        mouse(QEvent::MouseMove, x, y, Qt::NoButton, buttons);
    }
    // A user stored and saved in the file, made the current user until the test ends.
    void makeCurrentUser(CQuibUser& user, int file)
    {
        storeInFile(user, 1234, file, CQuibUser::kType);
        ASSERT_EQ(user.Write(), RES_OK);
        ASSERT_EQ(SaveResFile(file), RES_OK);
        theCurrentUser = &user;
    }
    static void markChangedSecondsAgo(int file, std::int64_t seconds)
    {
        SetResFileDirty(file, true);
        FindResFileEntry(file)->m_header.saveTime =
            static_cast<std::uint32_t>(CTime::GetCurrentTime().GetTime() - seconds);
    }
    // A press and its release `heldMs` later, both at the point.
    void clickAt(int x, int y, std::uint32_t heldMs = 10)
    {
        press(x, y);
        m_clock.advance(heldMs);
        release(x, y);
    }
    int count(const std::string& entry) const { return int(std::count(m_log.begin(), m_log.end(), entry)); }

    lumivo::clock::TestClock m_clock{100000};
    std::unique_ptr<CMainClientWnd> m_window;
    Log m_log;
    RecordingPane m_left{"left", m_log};
    RecordingPane m_right{"right", m_log};
};

TEST_F(MainClientWndTest, ThePaneUnderThePointGetsTheEventFirstThenTheFocusPane)
{
    showRecordingPanes();
    SetFocusPane(&m_right);

    clickAt(100, 100);
    EXPECT_EQ(m_log, (Log{"left.LButtonDown", "right.LButtonDown", "left.LButtonUp", "right.LButtonUp",
                          "left.Click", "right.Click"}));
    EXPECT_EQ(theFocusPane, &m_left) << "a click that nobody consumed focuses the clicked pane";

    // The focus pane under the point is called once; what the pane under the point consumes stops there.
    m_log.clear();
    m_right.consumes = {"LButtonDown"};
    press(100, 100);
    EXPECT_EQ(m_log, (Log{"left.LButtonDown"}));
    m_log.clear();
    press(500, 100);
    EXPECT_EQ(m_log, (Log{"right.LButtonDown"}));

    // A consumed release is no click.
    m_log.clear();
    m_left.consumes = {"LButtonUp"};
    release(500, 100);
    EXPECT_EQ(m_log, (Log{"right.LButtonUp", "left.LButtonUp"}));
    EXPECT_EQ(theFocusPane, &m_left);

    // Keys go to the focus pane only: the key, then the character it types.
    m_log.clear();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(m_window.get(), &key);
    EXPECT_EQ(m_log, (Log{"left.KeyDown32", "left.Char32"}));

    // ESC hides or shows the menu bar, once: the frame above does not see it again.
    m_log.clear();
    const std::uint16_t mode = theScreenMode;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    QCoreApplication::sendEvent(m_window.get(), &escape);
    EXPECT_TRUE(escape.isAccepted());
    EXPECT_EQ(theScreenMode, mode ^ 0x1);
    EXPECT_EQ(m_log, (Log{"left.KeyDown27", "left.Char27"}));
}

TEST_F(MainClientWndTest, ADraggedIconIsWelcomeAndNothingElse)
{
    QMimeData icon;
    icon.setData(QString::fromLatin1(kIconMimeType), QByteArray("icon"));
    QDragEnterEvent enterWithIcon(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &icon, Qt::LeftButton,
                                  Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &enterWithIcon);
    EXPECT_TRUE(enterWithIcon.isAccepted());
    EXPECT_EQ(enterWithIcon.dropAction(), Qt::MoveAction);

    QMimeData text;
    text.setText(QStringLiteral("icon"));
    QDragEnterEvent enterWithText(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton,
                                  Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &enterWithText);
    EXPECT_FALSE(enterWithText.isAccepted());

    // The drop places nothing, so it reports no move: the source must not take its icon away.
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &icon, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::IgnoreAction);
}

TEST_F(MainClientWndTest, ThePanesReachTheCommandsAndTheIconWizardWhileTheWindowLives)
{
    ASSERT_EQ(theMainPane.OwnerWnd(), m_window.get());
    EXPECT_FALSE(theMainPane.Owner().PaneCommand(kCommandCopy, true)) << "nothing to copy";
    theCopyText = QStringLiteral("text");
    EXPECT_TRUE(theMainPane.Owner().PaneCommand(kCommandCopy, true));

    int action = 0;
    const auto wizard =
        theRunIconWizardHook.scoped([&](CQuibIcon*, int how, CPane*, int, int) { action = how; });
    theMainPane.Owner().RunIconWizard(nullptr, 1, &theMainPane, 10, 10);
    EXPECT_EQ(action, 1);

    m_window.reset();
    EXPECT_FALSE(theMainPane.Owner().PaneCommand(kCommandCopy, true)) << "gone with the window";
}

TEST_F(MainClientWndTest, ClicksPairWithinTheToolsIntervalAndTolerance)
{
    showRecordingPanes();
    const auto pairsAfter = [&](std::uint32_t gapMs, int dx) {
        clickAt(100, 100);
        m_clock.advance(gapMs - 10); // the release comes 10 ms after its press
        clickAt(100 + dx, 100);
        const bool paired = count("left.DblClick") + count("right.DblClick") > 0;
        m_log.clear();
        m_clock.advance(100000); // the next pair starts afresh
        return paired;
    };
    EXPECT_TRUE(pairsAfter(7999, 4));
    EXPECT_FALSE(pairsAfter(7999, 5));
    EXPECT_FALSE(pairsAfter(8000, 4));

    SetClickThresholdsForTool(kEditToolSelect);
    EXPECT_TRUE(pairsAfter(499, 0));
    EXPECT_FALSE(pairsAfter(500, 0));
    EXPECT_FALSE(pairsAfter(499, 1));

    // A right press in between forgets the first click.
    SetClickThresholdsForTool(kEditToolBrowse);
    clickAt(100, 100);
    press(300, 300, Qt::RightButton);
    clickAt(100, 100);
    EXPECT_EQ(count("left.DblClick"), 0);
    EXPECT_EQ(theMouseState.click.point, CPoint(100, 100));
}

TEST_F(MainClientWndTest, OnlyAnEditingToolStartsADragAtItsTolerance)
{
    showRecordingPanes();
    press(100, 100);
    moveTo(300, 300, Qt::LeftButton);
    release(300, 300);
    EXPECT_EQ(count("left.BeginDrag"), 0) << "the browse tool never drags";
    EXPECT_FALSE(theMouseState.dragging);

    theEditTool = kEditToolSelect;
    SetClickThresholdsForTool(kEditToolSelect);
    SetFocusPane(&m_left);
    m_log.clear();
    press(100, 100);
    moveTo(100, 100, Qt::LeftButton);
    EXPECT_FALSE(theMouseState.dragging);
    moveTo(101, 100, Qt::LeftButton);
    EXPECT_TRUE(theMouseState.dragging);
    moveTo(500, 100, Qt::LeftButton);
    release(500, 100);
    EXPECT_EQ(m_log, (Log{"left.LButtonDown", "left.BeginDrag", "left.Drag", "right.Drag", "left.Drag",
                          "left.EndDrag", "right.EndDrag", "right.LButtonUp", "left.LButtonUp"}))
        << "the drag ends at the focus pane first; a drag is no click";
    EXPECT_FALSE(theMouseState.dragging);
}

TEST_F(MainClientWndTest, APressHeldStillFiresALongPressOnEveryTickUntilMovedOrReleased)
{
    showRecordingPanes();
    press(100, 100);
    m_clock.advance(500);
    m_window->OnIdleTick();
    EXPECT_EQ(count("left.LongMouseDown"), 0) << "not before 500 ms";
    m_clock.advance(100);
    m_window->OnIdleTick();
    m_window->OnIdleTick();
    EXPECT_EQ(count("left.LongMouseDown"), 2);
    EXPECT_EQ(theFocusPane, &m_left);

    moveTo(149, 149, Qt::LeftButton);
    m_window->OnIdleTick();
    EXPECT_EQ(count("left.LongMouseDown"), 3) << "49 pixels away is still held";
    moveTo(150, 100, Qt::LeftButton);
    m_window->OnIdleTick();
    EXPECT_EQ(count("left.LongMouseDown"), 3) << "50 pixels away is not";

    moveTo(100, 100, Qt::LeftButton);
    release(100, 100);
    m_clock.advance(1000);
    m_window->OnIdleTick();
    EXPECT_EQ(count("left.LongMouseDown"), 3) << "released";
}

TEST_F(MainClientWndTest, TheUserFileIsSavedWhenItsIntervalHasPassedAndTheMouseRests)
{
    const int file = makeResourceFile(tempPath("user.tvf"));
    CQuibUser user;
    makeCurrentUser(user, file);

    markChangedSecondsAgo(file, 100);
    theAutoFileSave = 0;
    m_window->OnIdleTick();
    EXPECT_TRUE(IsResFileDirty(file)) << "AutoFileSave 0 never saves";

    theAutoFileSave = 200;
    m_window->OnIdleTick();
    EXPECT_TRUE(IsResFileDirty(file)) << "not yet due";

    theAutoFileSave = 60;
    moveTo(10, 10);
    m_clock.advance(20000);
    m_window->OnIdleTick();
    EXPECT_TRUE(IsResFileDirty(file)) << "the mouse moved within 20 seconds";

    m_clock.advance(1);
    m_window->OnIdleTick();
    EXPECT_FALSE(IsResFileDirty(file));
    EXPECT_EQ(LastStatusText(), LoadSystemString(9223));
    EXPECT_NE(theStatusTime, 0u);
    m_clock.advance(5001);
    m_window->OnIdleTick();
    EXPECT_EQ(theStatusTime, 0u) << "the status text expired";
    EXPECT_TRUE(LastStatusText().isEmpty());
    theCurrentUser = nullptr;
}

// On a full disk the automatic save fails: it tries again after its interval, not on every tick.
TEST_F(MainClientWndTest, AFailedAutomaticSaveWaitsItsIntervalBeforeTryingAgain)
{
    lumivo::files::FaultyFileSystem faulty(lumivo::files::fileSystem());
    lumivo::files::ScopedFileSystem scoped(faulty);
    const int file = makeResourceFile(tempPath("user.tvf"));
    {
        CQuibUser user;
        makeCurrentUser(user, file);
        theAutoFileSave = 60;
        faulty.setRoomLeft(0);
        markChangedSecondsAgo(file, 100);
        m_clock.advance(20001);
        m_window->OnIdleTick();
        const int tried = faulty.count(lumivo::files::FaultyFileSystem::Operation::Write);
        m_clock.advance(59000);
        m_window->OnIdleTick();
        m_window->OnIdleTick();
        EXPECT_EQ(faulty.count(lumivo::files::FaultyFileSystem::Operation::Write), tried)
            << "within the interval";
        m_clock.advance(1001);
        m_window->OnIdleTick();
        EXPECT_GT(faulty.count(lumivo::files::FaultyFileSystem::Operation::Write), tried);
        EXPECT_TRUE(IsResFileDirty(file));
        theCurrentUser = nullptr;
    }
    CloseResFile(file);
}

namespace
{

constexpr std::uint16_t kLanguage = 1;
constexpr std::int32_t kPageId = 31;
constexpr QRgb kPictureRgb = 0xFF2060A0;

RgbImage solidPicture(int width, int height, QRgb rgb)
{
    RgbImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        image.pixels.insert(image.pixels.end(),
                            {std::uint8_t(qRed(rgb)), std::uint8_t(qGreen(rgb)), std::uint8_t(qBlue(rgb))});
    return image;
}

} // namespace

class MainClientWndPageTest : public MainClientWndTest
{
protected:
    // The main pane shows a 640 x 427 page whose left half is the picture's colour and right half white.
    void showPageInMainPane(const CRect& paneRect)
    {
        const int file = makeResourceFile(tempPath("pages.tvf"));
        CQuibBg page;
        storeInFile(page, kPageId, file, MakeBgType(1, kLanguage));
        ASSERT_EQ(page.Write(), RES_OK);
        RgbImage image = solidPicture(640, 427, kPictureRgb);
        for (int y = 0; y < 427; ++y)
            std::fill_n(image.pixels.begin() + (y * 640 + 320) * 3, 320 * 3, std::uint8_t(255));
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(image, 640, 427, pictRawRgb));
        ASSERT_EQ(
            picture.SaveAs(kPageId, file, MakePictType(std::int16_t(FrameSizeToLayoutId(2)), kLanguage)),
            RES_OK);
        ASSERT_EQ(picture.Write(), RES_OK);
        theActiveFiles = {saveAndReopen(file)};
        theSearchLanguages = {kLanguage};
        theFrameSizeMode = 2;
        theMainPane.PaneRect = paneRect;
        theMainPane.SetVisible(true);
        theMainPane.LoadPage(kPageId);
        ASSERT_FALSE(theMainPane.PagePicture().isNull());
    }
};

TEST_F(MainClientWndPageTest, APaintedWindowShowsTheMainPanesPageUnderThePaneAtTheHead)
{
    showPageInMainPane(CRect(0, 0, 800, 600));
    theMainPane.PaneFlags = kPaneFlagCentred;
    theWordPane.PaneRect = CRect(0, 0, 100, 600);
    theWordPane.BgColor = 0x0000FF00; // green
    theWordPane.SetVisible(true);
    theWordPane.MoveToHead();

    const QImage shot = m_window->grab().toImage();
    shot.save(tempPath("client.png"));
    // The page is centred: (80, 86) to (720, 513).
    EXPECT_EQ(theMainPane.PageRect, CRect(80, 86, 720, 513));
    EXPECT_EQ(shot.pixel(200, 300), kPictureRgb);
    EXPECT_EQ(shot.pixel(600, 300), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(50, 300), qRgb(0, 255, 0)) << "the pane at the head of the list lies on top";
}

TEST_F(MainClientWndPageTest, EveryChangeOfAScrollBarsValueMovesThePage)
{
    showPageInMainPane(CRect(0, 0, 300, 600));
    theMainPane.ScrollFlags = kPaneWantsHorizontalBar;
    m_window->show();
    m_window->grab();
    QScrollBar* bar = m_window->ScrollBarOf(theMainPane.HorizontalBar);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry(), QRect(0, 584, 300, 16));
    EXPECT_EQ(bar->maximum(), 340) << "640 pixels of page, 300 shown";
    EXPECT_EQ(theMainPane.PageRect.left, 0);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // an arrow, not the thumb
    const int step = bar->value();
    EXPECT_GT(step, 0);
    QImage shot = m_window->grab().toImage();
    EXPECT_EQ(theMainPane.PageRect.left, -step);

    bar->setValue(330);
    shot = m_window->grab().toImage();
    EXPECT_EQ(theMainPane.PageRect.left, -330);
    EXPECT_EQ(shot.pixel(10, 300), qRgb(255, 255, 255)) << "the right half of the page shows";

    theMainPane.SetVisible(false);
    m_window->grab();
    EXPECT_FALSE(bar->isVisible()) << "a hidden pane's bar goes with it";
}
