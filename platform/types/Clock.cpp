#include "platform/types/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace lumivo::clock
{

namespace
{

constexpr std::uint32_t kPollMs = 2;

std::atomic<bool> testClockOn{false};
std::atomic<std::uint32_t> testTick{0};

std::uint32_t realTick()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

} // namespace

std::uint32_t tickCount()
{
    return testClockOn.load() ? testTick.load() : realTick();
}

void sleepFor(std::uint32_t ms)
{
    if (testClockOn.load())
        testTick.fetch_add(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool waitUntil(const std::function<bool()>& done, std::uint32_t timeoutMs)
{
    const std::uint32_t start = tickCount();
    while (!done()) {
        if (tickCount() - start >= timeoutMs)
            return false;
        sleepFor(kPollMs);
    }
    return true;
}

TestClock::TestClock(std::uint32_t start) : m_previousOn(testClockOn.load()), m_previousTick(testTick.load())
{
    testTick.store(start);
    testClockOn.store(true);
}

// Another thread may read the clock meanwhile: it sees the test tick or the clock put back, never a
// mixture of the two.
TestClock::~TestClock()
{
    if (m_previousOn)
        testTick.store(m_previousTick);
    else
        testClockOn.store(false);
}

void TestClock::advance(std::uint32_t ms)
{
    testTick.fetch_add(ms);
}

void TestClock::set(std::uint32_t tick)
{
    testTick.store(tick);
}

} // namespace lumivo::clock
