// Image caching with CRC-32 integrity; a download replaces a file only when complete and intact.
#include "net/imagecache.h"

#include "base/fileutil.h"
#include "config/liveconfig.h"
#include "net/httpclient.h"

namespace tavrin {

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
        if (!WriteBinaryFile(path, bytes))
            return false;
    }
    return true;
}

bool CacheImages()
{
    return CacheImages(*currentConfig());
}

} // namespace tavrin
