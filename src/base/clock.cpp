// The system clock and the scaling of waits.
#include "base/clock.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <ctime>

namespace tavrin {

namespace {
std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

int WaitMs(const Clock &clock, std::int64_t ms)
{
    const std::int64_t real = clock.realWaitMs(ms);
    return int(std::clamp<std::int64_t>(real, ms > 0 ? 1 : 0, INT_MAX));
}

SystemClock::SystemClock()
    : m_startNs(steadyNs())
{
}

std::int64_t SystemClock::nowSeconds() const
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::int64_t SystemClock::monotonicMs() const
{
    return (steadyNs() - m_startNs) / 1000000;
}

} // namespace tavrin
