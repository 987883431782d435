// The clock service: the time of day, a monotonic counter, and how long the program's waits really last.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavrin {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the epoch (the C library's time()).
    virtual std::int64_t nowSeconds() const = 0;
    // A monotonic millisecond counter for intervals.
    virtual std::int64_t monotonicMs() const = 0;
    // How many milliseconds of real time a wait of that many milliseconds lasts; a clock for tests
    // shortens it so that long periods pass quickly.
    virtual std::int64_t realWaitMs(std::int64_t ms) const { return ms; }
};

// A wait as the stop event takes it: the clock's real duration, at least 1 ms for a positive wait (a wait
// that shrank to zero would turn a loop that waits into one that spins), at most INT_MAX.
int WaitMs(const Clock &clock, std::int64_t ms);

// The time of the system.
class SystemClock : public Clock {
public:
    SystemClock();
    std::int64_t nowSeconds() const override;
    std::int64_t monotonicMs() const override;

private:
    std::int64_t m_startNs;
};

// A clock that tests move by hand.
class ManualClock : public Clock {
public:
    explicit ManualClock(std::int64_t seconds = 1700000000)
        : m_seconds(seconds)
        , m_ms(seconds * 1000)
    {
    }
    std::int64_t nowSeconds() const override { return m_seconds; }
    std::int64_t monotonicMs() const override { return m_ms; }
    void advanceMs(std::int64_t ms)
    {
        m_ms += ms;
        m_seconds += ms / 1000;
    }
    void setSeconds(std::int64_t seconds) { m_seconds = seconds; }

private:
    std::atomic<std::int64_t> m_seconds;
    std::atomic<std::int64_t> m_ms;
};

} // namespace tavrin
