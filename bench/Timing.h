#pragma once
// The clock of the benchmarks that time a run themselves: one run's wall time, and the middle of many.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace lumivo::bench
{

// The wall time of one run of `work`, in milliseconds.
inline double millisecondsFor(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The middle one of the measured times (of at least one).
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace lumivo::bench
