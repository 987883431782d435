// Auto-reset stop event.
#include "base/stopevent.h"

#include <chrono>

namespace tavrin {

void StopEvent::set()
{
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_cv.notify_all();
}

void StopEvent::reset()
{
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool StopEvent::wait(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const bool signalled = m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                                         [this] { return m_signalled; });
    if (signalled)
        m_signalled = false;
    return signalled;
}

bool StopEvent::isSet() const
{
    std::lock_guard lock(m_mutex);
    return m_signalled;
}

} // namespace tavrin
