// Files written whole, listed, checksummed; temporary files in the private folder.
#include "base/files.h"

#include "base/paths.h"
#include "base/text.h"

#include <QFile>
#include <QRandomGenerator>

#include <zlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tavrin {

namespace {

const QString kSlash = QStringLiteral("/");

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Closes a descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the data reached the file system.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(size, qsizetype(1) << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

QString DirectoryOf(const QString &path)
{
    const QStringList pieces = SplitText(path, kSlash);
    QString dir;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        dir += pieces[i] + kSlash;
    return dir;
}

bool EnsureDirectory(const QString &path)
{
    const QStringList pieces = SplitText(path, kSlash);
    if (pieces.size() < 2)
        return false;
    // The first piece is the root (or the start of a relative path) and is never created.
    QString current = pieces.first() + kSlash;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        current += pieces[i] + kSlash;
        if (::mkdir(nativePath(current).constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool FileExists(const QString &path)
{
    struct stat st { };
    return ::stat(nativePath(path).constData(), &st) == 0;
}

QStringList ListFiles(const QString &folder)
{
    QStringList files;
    if (folder.isEmpty())
        return files;
    const QString prefix = folder.endsWith(kSlash) ? folder : folder + kSlash;
    DIR *dir = ::opendir(nativePath(prefix).constData());
    if (!dir)
        return files;
    while (const dirent *entry = ::readdir(dir)) {
        struct stat st { };
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
            continue;
        files.append(prefix + QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    return files;
}

StagedFile::StagedFile(QString path)
    : m_path(std::move(path))
{
}

StagedFile::~StagedFile()
{
    if (!m_staging.isEmpty())
        ::unlink(nativePath(m_staging).constData());
}

bool StagedFile::write(const QByteArray &bytes)
{
    if (!m_staging.isEmpty() || !EnsureDirectory(DirectoryOf(m_path)))
        return false;
    QByteArray staging = nativePath(m_path) + ".XXXXXX";
    Fd fd(::mkostemp(staging.data(), O_CLOEXEC));
    if (!fd.valid())
        return false;
    m_staging = QFile::decodeName(staging);
    const bool written = writeAll(fd.get(), bytes.constData(), bytes.size());
    return fd.close() && written;
}

bool StagedFile::commit()
{
    if (m_staging.isEmpty()
        || ::rename(nativePath(m_staging).constData(), nativePath(m_path).constData()) != 0)
        return false;
    m_staging.clear();
    return true;
}

bool WriteTextFile(const QString &path, const QString &text)
{
    return WriteBinaryFile(path, text.toUtf8());
}

bool WriteBinaryFile(const QString &path, const QByteArray &bytes)
{
    StagedFile file(path);
    return file.write(bytes) && file.commit();
}

std::uint32_t FileCrc32(const QString &path)
{
    Fd fd(::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return 0;
    uLong crc = ::crc32(0, nullptr, 0);
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        if (n == 0)
            break;
        crc = ::crc32(crc, reinterpret_cast<const Bytef *>(buffer), uInt(n));
    }
    return std::uint32_t(crc);
}

std::uint32_t BufferCrc32(const QByteArray &bytes)
{
    const uLong start = ::crc32(0, nullptr, 0);
    return std::uint32_t(
        ::crc32_z(start, reinterpret_cast<const Bytef *>(bytes.constData()), z_size_t(bytes.size())));
}

QString NewTempFileName(const QString &prefix)
{
    if (prefix.contains(kSlash))
        return QString();
    const QString folder = TempFolder();
    if (folder.isEmpty())
        return QString();
    // Four hex digits like the platform's own names; when those are crowded, wider ones.
    constexpr int kAttempts = 256;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const quint32 number = QRandomGenerator::global()->generate();
        const int digits = attempt < kAttempts / 2 ? 4 : 8;
        const QString name = folder + prefix.left(3)
            + QStringLiteral("%1")
                  .arg(digits == 4 ? (number & 0xffff) : number, digits, 16, QLatin1Char('0'))
                  .toUpper()
            + QStringLiteral(".tmp");
        const int fd = ::open(nativePath(name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

QString WriteTempTextFile(const QString &text)
{
    const QString path = NewTempFileName(QString());
    if (!path.isEmpty())
        WriteTextFile(path, text);
    return path;
}

QString WriteTempBinaryFile(const QByteArray &bytes)
{
    const QString path = NewTempFileName(QString());
    if (!path.isEmpty())
        WriteBinaryFile(path, bytes);
    return path;
}

void DeleteTempFiles()
{
    const QString folder = TempFolder();
    if (folder.isEmpty())
        return;
    for (const QString &file : ListFiles(folder))
        ::unlink(nativePath(file).constData());
}

} // namespace tavrin
