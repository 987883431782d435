// Image caching with CRC-32 integrity; a download replaces a file only when complete and intact.
#include "net/imagecache.h"

#include "app/fileutil.h"
#include "config/liveconfig.h"
#include "net/httpclient.h"

#include <QSaveFile>

namespace tavrin {

namespace {

// Written beside the target and renamed over it, so a failed write keeps the old image.
bool writeImageAtomically(const QString &path, const QByteArray &bytes)
{
    if (!EnsureDirectory(DirectoryOf(path)))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace

bool CacheImages(const ClientConfig &config)
{
    for (const auto &[id, image] : config.images) {
        const QString path = ImagePath(image);
        if (FileExists(path) && FileCrc32(path) == image.crc32)
            continue;
        QByteArray bytes;
        if (!FetchBytes(image.url, bytes, false, nullptr))
            return false;
        if (BufferCrc32(bytes) != image.crc32)
            return false;
        if (!writeImageAtomically(path, bytes))
            return false;
    }
    return true;
}

bool CacheImages()
{
    return CacheImages(*currentConfig());
}

} // namespace tavrin
