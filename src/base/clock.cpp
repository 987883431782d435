// System clock and the test seam.
#include "base/clock.h"

#include <QElapsedTimer>

#include <atomic>
#include <ctime>

namespace tavrin {

namespace {
class SystemClock : public Clock {
public:
    SystemClock() { m_timer.start(); }
    std::int64_t nowSeconds() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
    std::int64_t monotonicMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

const SystemClock &systemClock()
{
    static const SystemClock instance;
    return instance;
}

std::atomic<const Clock *> g_clock { nullptr };
} // namespace

const Clock &clock()
{
    const Clock *installed = g_clock.load();
    return installed ? *installed : systemClock();
}

void setClock(const Clock *clockToUse)
{
    g_clock.store(clockToUse);
}

} // namespace tavrin
