// The downloaded installer on disk: written once, read back through the same file, started from it.
#include "update/installerfile.h"

#include "base/files.h"
#include "base/logging.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

InstallerFile::~InstallerFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InstallerFile::write(const QByteArray &bytes)
{
    m_path = NewTempFileName(QString());
    if (m_path.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(m_path);
    const int out = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat made { };
    // Only the empty file of our own just made is written into.
    bool ok = out >= 0 && ::fstat(out, &made) == 0 && S_ISREG(made.st_mode) && made.st_uid == ::geteuid()
        && made.st_nlink == 1 && made.st_size == 0;
    ok = ok && writeAll(out, bytes) && ::fsync(out) == 0 && ::fchmod(out, S_IRWXU) == 0;
    // A file still open for writing cannot be executed, so it is read back through a new descriptor,
    // which must reach the very file that was written.
    if (out >= 0)
        ok = ::close(out) == 0 && ok;
    if (ok) {
        m_fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        struct stat opened { };
        ok = m_fd >= 0 && ::fstat(m_fd, &opened) == 0 && opened.st_dev == made.st_dev
            && opened.st_ino == made.st_ino;
        m_device = made.st_dev;
        m_inode = made.st_ino;
    }
    if (!ok) {
        qCWarning(lcUi) << "the installer could not be written to" << m_path;
        remove();
    }
    return ok;
}

QByteArray InstallerFile::sha256() const
{
    struct stat named { };
    if (m_fd < 0 || ::lstat(QFile::encodeName(m_path).constData(), &named) != 0 || named.st_dev != m_device
        || named.st_ino != m_inode)
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(m_fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            return hash.result().toHex();
        hash.addData(QByteArrayView(buffer, n));
        offset += n;
    }
}

bool InstallerFile::start()
{
    if (m_fd < 0)
        return false;
    // The child runs the open file itself; an interpreter named by "#!" reads the script through the same
    // descriptor. Without /proc, the name in the private folder is the next best thing.
    QString program = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
    if (!QFileInfo::exists(program))
        program = m_path;
    const int flags = ::fcntl(m_fd, F_GETFD);
    ::fcntl(m_fd, F_SETFD, flags & ~FD_CLOEXEC);
    const bool started = QProcess::startDetached(program, {});
    ::fcntl(m_fd, F_SETFD, flags);
    if (!started)
        qCWarning(lcUi) << "the installer did not start:" << m_path;
    return started;
}

void InstallerFile::remove()
{
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace tavrin
