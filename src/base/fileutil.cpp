// Text, path, file, checksum, temporary-file and gzip helpers.
#include "base/fileutil.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

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

// Writes into a new exclusively created file beside the target and renames it over the target, so a
// failed write leaves the previous file whole and a link planted at the target is replaced, never
// followed.
bool replaceFile(const QString &path, const QByteArray &bytes)
{
    if (!EnsureDirectory(DirectoryOf(path)))
        return false;
    QByteArray staging = nativePath(path) + ".XXXXXX";
    Fd fd(::mkostemp(staging.data(), O_CLOEXEC));
    if (!fd.valid())
        return false;
    const bool written = writeAll(fd.get(), bytes.constData(), bytes.size());
    const bool closed = fd.close();
    if (!written || !closed || ::rename(staging.constData(), nativePath(path).constData()) != 0) {
        ::unlink(staging.constData());
        return false;
    }
    return true;
}

// The folder is usable as our private temporary folder: a real directory (not a link), ours, and
// nobody else may add or replace entries in it.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat st { };
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString tempFolderPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith('/'))
        return QFile::decodeName(runtime) + QStringLiteral("/Tavrin/");
    return QDir::tempPath() + QStringLiteral("/Tavrin-") + QString::number(::geteuid()) + kSlash;
}

// Characters that would take an image file out of the image folder or cut its name short.
QString safeNamePart(QString text)
{
    text.replace(QLatin1Char('/'), QLatin1Char('_'));
    text.replace(QChar(0), QLatin1Char('_'));
    return text;
}

bool isGzip(const char *p, qsizetype size)
{
    return size >= 2 && static_cast<unsigned char>(p[0]) == 0x1f && static_cast<unsigned char>(p[1]) == 0x8b;
}

} // namespace

QStringList SplitText(const QString &text, const QString &separator)
{
    QStringList pieces;
    if (separator.isEmpty())
        return pieces;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            break;
        pieces.append(text.mid(start, at - start));
        start = at + separator.size();
    }
    if (start < text.size())
        pieces.append(text.mid(start));
    return pieces;
}

bool ScanDecimal(const QString &text, qsizetype &pos, int &value, int width)
{
    const auto isBlank = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
    };
    const auto isDigit = [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; };
    qsizetype i = pos;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype end = width > 0 ? std::min(text.size(), i + width) : text.size();
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= end || !isDigit(text[i]))
        return false;
    const qint64 limit = negative ? -qint64(INT_MIN) : qint64(INT_MAX);
    qint64 magnitude = 0;
    while (i < end && isDigit(text[i])) {
        magnitude = std::min<qint64>(magnitude * 10 + (text[i].unicode() - u'0'), limit);
        ++i;
    }
    value = int(negative ? -magnitude : magnitude);
    pos = i;
    return true;
}

int ScanRect(const QString &text, int (&numbers)[4])
{
    // A literal separator matches only itself: no blanks are skipped before it.
    const char16_t separators[3] = { u',', u'-', u',' };
    qsizetype pos = 0;
    for (int n = 0; n < 4; ++n) {
        if (!ScanDecimal(text, pos, numbers[n]))
            return n;
        if (n < 3) {
            if (pos >= text.size() || text[pos] != separators[n])
                return n + 1;
            ++pos;
        }
    }
    return 4;
}

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

QString DataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return QString();
    const QString folder = base + QStringLiteral("/Tavrin/");
    if (!QDir().mkpath(folder))
        return QString();
    return folder;
}

QString ImagePath(const QString &imageId, const QString &imageUrl)
{
    const qsizetype dot = imageUrl.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : imageUrl.mid(dot + 1);
    return DataFolder() + QStringLiteral("images/") + safeNamePart(imageId) + QLatin1Char('.')
        + safeNamePart(extension);
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

bool WriteTextFile(const QString &path, const QString &text)
{
    return replaceFile(path, text.toUtf8());
}

bool WriteBinaryFile(const QString &path, const QByteArray &bytes)
{
    return replaceFile(path, bytes);
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

QString TempFolder()
{
    const QString folder = tempFolderPath();
    EnsureDirectory(DirectoryOf(folder));
    // Without the final "/", so that a link in its place is seen rather than followed.
    const QByteArray native = nativePath(folder.chopped(1));
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateFolder(native) ? folder : QString();
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

// Inflated in memory: a truncated or corrupt stream, or one that grows past the cap, gives the empty
// text, which every caller already treats as a failed download. Bytes after the last complete member
// that do not start another member are ignored, as zlib's file reader does.
QByteArray ReadGzipText(const QByteArray &bytes)
{
    if (!isGzip(bytes.constData(), bytes.size()))
        return bytes;

    z_stream zs {};
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK)
        return QByteArray();
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    QByteArray out;
    char buffer[64 * 1024];
    bool ok = false;
    for (;;) {
        if (zs.avail_in == 0 && left > 0) {
            const qsizetype chunk = std::min<qsizetype>(left, qsizetype(1) << 30);
            zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(next));
            zs.avail_in = uInt(chunk);
            next += chunk;
            left -= chunk;
        }
        zs.next_out = reinterpret_cast<Bytef *>(buffer);
        zs.avail_out = sizeof buffer;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof buffer) - qsizetype(zs.avail_out);
        if (out.size() + produced > kMaxInflatedSize)
            break;
        out.append(buffer, produced);
        if (rc == Z_STREAM_END) {
            const char *rest = reinterpret_cast<const char *>(zs.next_in);
            const qsizetype restSize = qsizetype(zs.avail_in) + left;
            if (isGzip(rest, restSize) && inflateReset(&zs) == Z_OK)
                continue;
            ok = true;
            break;
        }
        if (rc == Z_OK)
            continue;
        // Z_BUF_ERROR here means the input ended inside a member; anything else is corrupt data.
        break;
    }
    inflateEnd(&zs);
    return ok ? out : QByteArray();
}

} // namespace tavrin
