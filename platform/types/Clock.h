#pragma once
// The program's one clock. Every tick (GetTickCount, stopwatches, status text, busy cursor, sound and
// speech ends) and every polling wait reads it, so a test can put the whole program on a test clock:
// while a TestClock exists the clock stands still except when the test advances it, and sleeping
// advances it at once instead of sleeping. Safe to read from any thread (the audio thread notes the
// ends of sounds on it). See "Seams" in doc/design.md.

#include <cstdint>
#include <functional>

namespace lumivo::clock
{

// Milliseconds from a monotonic clock as a 32-bit count that wraps after about 49.7 days; compare two
// ticks only by their unsigned difference.
std::uint32_t tickCount();

// Sleeps the calling thread; on a test clock, advances the clock instead.
void sleepFor(std::uint32_t ms);

// Polls `done` every few milliseconds until it holds, at most `timeoutMs` on this clock; true when it
// held. On a test clock the wait costs no real time: use it only where the code decides by ticks, not
// for what another thread must really do in the meantime.
bool waitUntil(const std::function<bool()>& done, std::uint32_t timeoutMs);

// Puts the program on a test clock for its lifetime (starting at `start`), then back on the clock it
// was on before.
class TestClock
{
public:
    explicit TestClock(std::uint32_t start = 1000);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    void advance(std::uint32_t ms);
    void set(std::uint32_t tick);

private:
    bool m_previousOn;
    std::uint32_t m_previousTick;
};

} // namespace lumivo::clock
