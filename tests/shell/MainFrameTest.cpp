// The main frame's status bar: the lock-key indicators show their texts while the keys' lights are on,
// stay blank where the platform cannot tell, keep their room, and are read on the idle tick at most every
// interval while the status bar shows.

#include "shell/MainFrame.h"
#include "platform/types/Clock.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <QLabel>
#include <QStatusBar>

#include <memory>

using lumivo::keyboard::LockKeys;

namespace
{

class MainFrameTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theLockKeysHook.set([this] {
            ++m_reads;
            return m_keys;
        });
        m_frame = std::make_unique<CMainFrame>();
    }
    void TearDown() override
    {
        m_frame.reset();
        LumivoTest::TearDown();
    }

    QStringList indicatorTexts() const
    {
        QStringList texts;
        for (const int id : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL})
            texts << m_frame->Indicator(id)->text();
        return texts;
    }

    std::optional<LockKeys> m_keys;
    int m_reads = 0;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

TEST_F(MainFrameTest, IndicatorsShowTheLitKeysAndStayBlankWhereThePlatformCannotTell)
{
    m_keys = LockKeys{true, false, true};
    m_frame->UpdateKeyIndicators();
    EXPECT_EQ(indicatorTexts(), QStringList({"CAPS", "", "SCRL"}));
    const int width = m_frame->Indicator(ID_INDICATOR_CAPS)->minimumWidth();
    EXPECT_GT(width, m_frame->Indicator(ID_INDICATOR_CAPS)->fontMetrics().horizontalAdvance("CAPS"));

    m_keys = LockKeys{false, true, false};
    m_frame->UpdateKeyIndicators();
    EXPECT_EQ(indicatorTexts(), QStringList({"", "NUM", ""}));
    EXPECT_EQ(m_frame->Indicator(ID_INDICATOR_CAPS)->minimumWidth(), width)
        << "an unlit indicator keeps its room";

    m_keys.reset();
    m_frame->UpdateKeyIndicators();
    EXPECT_EQ(indicatorTexts(), QStringList({"", "", ""}));
}

TEST_F(MainFrameTest, TheIdleTickReadsTheKeysAtMostEveryIntervalAndOnlyWhileTheStatusBarShows)
{
    lumivo::clock::TestClock clock;
    m_frame->RunClientIdleTick();
    EXPECT_EQ(m_reads, 0) << "the frame is not shown";

    m_frame->show();
    m_frame->statusBar()->show();
    m_keys = LockKeys{true, false, false};
    m_frame->RunClientIdleTick();
    EXPECT_EQ(m_reads, 1);
    EXPECT_EQ(indicatorTexts().first(), "CAPS");
    clock.advance(CMainFrame::kIndicatorIntervalMs - 1);
    m_frame->RunClientIdleTick();
    EXPECT_EQ(m_reads, 1);
    clock.advance(1);
    m_frame->RunClientIdleTick();
    EXPECT_EQ(m_reads, 2);

    m_frame->statusBar()->hide();
    clock.advance(CMainFrame::kIndicatorIntervalMs);
    m_frame->RunClientIdleTick();
    EXPECT_EQ(m_reads, 2);
}
