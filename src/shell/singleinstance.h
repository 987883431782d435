// The per-user lock that lets only one copy of the program run at a time.
#pragma once

#include <QString>

namespace tavrin {

// An exclusive flock on a lock file, held until release or destruction; the kernel drops it when
// the process dies, so a crash never leaves a stale lock behind.
class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    enum class Result {
        Acquired, // this is the only copy
        HeldElsewhere, // another copy holds the lock
        Unavailable, // the file could not be created, opened or locked: the program cannot tell
    };
    Result acquire(const QString &path);
    bool held() const { return m_fd >= 0; }
    // Gives the lock up (the self-update does so before it starts the installer).
    void release();

private:
    int m_fd = -1;
};

} // namespace tavrin
