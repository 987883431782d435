// The per-user lock that lets only one copy of the program run at a time.
#include "shell/singleinstance.h"

#include "base/version.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

SingleInstanceLock::~SingleInstanceLock()
{
    release();
}

SingleInstanceLock::Result SingleInstanceLock::acquire(const QString &path)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return Result::Unavailable;
    // Only our own plain file says anything about our copies: a pipe, a device or another user's file that
    // was put in its place is refused like a link.
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return Result::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

void SingleInstanceLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd); // closing the last descriptor drops the lock
        m_fd = -1;
    }
}

} // namespace tavrin
