// The core's services as a test builds them: its own clock, configuration, news store, session and
// connection monitor, with a network presence the test switches.
#pragma once

#include "base/clock.h"
#include "config/liveconfig.h"
#include "engine/services.h"
#include "net/connectivity.h"
#include "net/httpclient.h"
#include "news/newsstore.h"

#include <atomic>
#include <chrono>

namespace tavrin::test {

// The system's word on the network, as the test sets it.
class SwitchablePresence : public NetworkPresence {
public:
    bool systemReportsConnection() const override { return connected.load(); }
    std::atomic<bool> connected { true };
};

// Real time, with every wait of the program shortened to microsecondsPerSecond of real time per second,
// so that many periods pass in milliseconds. With steppingSeconds above 0, each reading of the time is
// that many seconds after the previous one (so a cached connection result is never reused).
class FastClock : public Clock {
public:
    explicit FastClock(int microsecondsPerSecond = 1000, int steppingSeconds = 0)
        : m_usPerSecond(microsecondsPerSecond)
        , m_step(steppingSeconds)
    {
    }
    std::int64_t nowSeconds() const override
    {
        return m_step > 0 ? m_seconds.fetch_add(m_step) : m_system.nowSeconds();
    }
    std::int64_t monotonicMs() const override { return m_system.monotonicMs(); }
    std::int64_t realWaitMs(std::int64_t ms) const override { return ms * m_usPerSecond.load() / 1000000; }
    // Rescales the waits that start from now on (a test that needs long waits after quick ones).
    void setMicrosecondsPerSecond(int microsecondsPerSecond) { m_usPerSecond = microsecondsPerSecond; }

private:
    SystemClock m_system;
    std::atomic<int> m_usPerSecond;
    int m_step;
    mutable std::atomic<std::int64_t> m_seconds { 1700000000 };
};

// Owns one of each service; core() hands them out as the program's shell does.
template <typename ClockType = FastClock> class TestServices {
public:
    template <typename... ClockArgs>
    explicit TestServices(ClockArgs &&...clockArgs)
        : clock(std::forward<ClockArgs>(clockArgs)...)
    {
    }
    CoreServices core() { return CoreServices { clock, config, news, http, connection }; }

    ClockType clock;
    LiveConfig config;
    NewsStore news { clock };
    InternetSession http;
    SwitchablePresence presence;
    ConnectionMonitor connection { http, config, clock, presence };
};

} // namespace tavrin::test
