// On-disk HTTP cache: validators and body per URL, written atomically, bounded in size.
#include "net/httpcache.h"

#include "base/paths.h"
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <vector>

namespace tavrin {

namespace {

const QByteArray kMagic = "TAVRIN-HTTP-CACHE 1\n";

// Header values go one per line; a value that holds a line break cannot be stored faithfully.
bool isSingleLine(const QByteArray &value)
{
    return !value.contains('\n') && !value.contains('\r');
}

} // namespace

QString HttpCache::folder()
{
    return CacheFolder() + QStringLiteral("http/");
}

QString HttpCache::entryPath(const QString &url)
{
    const QByteArray hash = QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha256).toHex();
    return folder() + QString::fromLatin1(hash);
}

std::optional<HttpCacheEntry> HttpCache::load(const QString &url)
{
    QFile file(entryPath(url));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxEntryBytes + 64 * 1024)
        return std::nullopt;
    const QByteArray data = file.readAll();
    if (!data.startsWith(kMagic))
        return std::nullopt;

    // Four header lines after the magic: url, etag, last-modified, body length.
    qsizetype pos = kMagic.size();
    QByteArray lines[4];
    for (QByteArray &line : lines) {
        const qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            return std::nullopt;
        line = data.mid(pos, end - pos);
        pos = end + 1;
    }
    if (lines[0] != url.toUtf8())
        return std::nullopt;
    bool ok = false;
    const qint64 length = lines[3].toLongLong(&ok);
    if (!ok || length < 0 || data.size() - pos != length)
        return std::nullopt;
    if (lines[1].isEmpty() && lines[2].isEmpty())
        return std::nullopt;
    return HttpCacheEntry { lines[1], lines[2], data.mid(pos) };
}

bool HttpCache::store(const QString &url, const HttpCacheEntry &entry)
{
    if (entry.etag.isEmpty() && entry.lastModified.isEmpty())
        return false;
    if (entry.body.size() > kMaxEntryBytes)
        return false;
    const QByteArray urlBytes = url.toUtf8();
    if (!isSingleLine(urlBytes) || !isSingleLine(entry.etag) || !isSingleLine(entry.lastModified))
        return false;
    if (!QDir().mkpath(folder()))
        return false;

    QSaveFile file(entryPath(url));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray header = kMagic;
    header += urlBytes + '\n' + entry.etag + '\n' + entry.lastModified + '\n'
        + QByteArray::number(entry.body.size()) + '\n';
    if (file.write(header) != header.size() || file.write(entry.body) != entry.body.size())
        return false;
    if (!file.commit())
        return false;
    trim();
    return true;
}

void HttpCache::remove(const QString &url)
{
    QFile::remove(entryPath(url));
}

void HttpCache::trim()
{
    QDir dir(folder());
    const QFileInfoList infos
        = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    qint64 total = 0;
    for (const QFileInfo &info : infos)
        total += info.size();
    // Oldest first, thanks to the reversed time order.
    for (const QFileInfo &info : infos) {
        if (total <= kMaxTotalBytes)
            break;
        if (QFile::remove(info.absoluteFilePath()))
            total -= info.size();
    }
}

} // namespace tavrin
