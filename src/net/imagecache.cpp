// Image caching with CRC-32 integrity; a download replaces a file only when complete and intact.
#include "net/imagecache.h"

#include "base/files.h"
#include "base/logging.h"
#include "base/paths.h"
#include "net/httpclient.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace tavrin {

namespace {

void pruneImages(const ClientConfig &config)
{
    if (DataFolder().isEmpty())
        return; // ImagePath would be relative to the working folder
    // The folder as ImagePath builds it, so the two cannot disagree.
    const QDir folder = QFileInfo(ImagePath(QStringLiteral("x"), QString())).absoluteDir();
    QSet<QString> named;
    for (const auto &[id, image] : config.images)
        named.insert(QFileInfo(ImagePath(image)).fileName());
    // Links (also dangling ones) are removed themselves, never followed; folders are not ours to remove.
    for (const QString &name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (!named.contains(name) && QFile::remove(folder.filePath(name)))
            qCDebug(lcNet) << "removed image" << name << "that the configuration no longer names";
    }
}

} // namespace

bool CacheImages(InternetSession &session, const ClientConfig &config, qint64 capBytes)
{
    pruneImages(config);
    qint64 used = 0;
    for (const auto &[id, image] : config.images) {
        const QString path = ImagePath(image);
        if (FileExists(path) && FileCrc32(path) == image.crc32) {
            used += QFileInfo(path).size();
            if (used > capBytes) {
                qCWarning(lcNet) << "the images up to" << id << "take more than" << capBytes << "bytes";
                return false;
            }
            continue;
        }
        QByteArray bytes;
        const qint64 left = std::min(kMaxDocumentBytes, capBytes - used);
        if (left < 0 || !FetchBytes(session, image.url, bytes, false, nullptr, left))
            return false;
        if (BufferCrc32(bytes) != image.crc32) {
            qCWarning(lcNet) << "image" << id << "from" << image.url << "does not match its checksum";
            return false;
        }
        if (!WriteBinaryFile(path, bytes)) {
            qCWarning(lcNet) << "image" << id << "cannot be written to" << path;
            return false;
        }
        used += bytes.size();
    }
    return true;
}

} // namespace tavrin
