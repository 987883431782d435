// The one seam through which the program reads the time, so tests can step it.
#pragma once

#include <QDateTime>

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
};

// The clock in use: the system clock unless a test installed another.
const Clock &clock();
// Installs a clock for tests; null restores the system clock. The caller keeps ownership.
void setClock(const Clock *clock);

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
