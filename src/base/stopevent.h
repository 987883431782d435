// An auto-reset event that worker threads wait on with a time-out, so that exit interrupts every wait.
#pragma once

#include <condition_variable>
#include <mutex>

namespace tavrin {

class StopEvent {
public:
    // Signals the event; one waiter (or the next wait) sees it and resets it.
    void set();
    // Clears a pending signal.
    void reset();
    // Waits at most timeoutMs; true when the event was signalled (and is now reset).
    bool wait(int timeoutMs);
    // True when signalled, without waiting or resetting.
    bool isSet() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
};

} // namespace tavrin
