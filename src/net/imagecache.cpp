// Image caching with CRC-32 integrity; a download replaces a file only when complete and intact.
#include "net/imagecache.h"

#include "base/files.h"
#include "base/logging.h"
#include "base/paths.h"
#include "net/httpclient.h"

namespace tavrin {

bool CacheImages(InternetSession &session, const ClientConfig &config)
{
    for (const auto &[id, image] : config.images) {
        const QString path = ImagePath(image);
        if (FileExists(path) && FileCrc32(path) == image.crc32)
            continue;
        QByteArray bytes;
        if (!FetchBytes(session, image.url, bytes, false, nullptr))
            return false;
        if (BufferCrc32(bytes) != image.crc32) {
            qCWarning(lcNet) << "image" << id << "from" << image.url << "does not match its checksum";
            return false;
        }
        if (!WriteBinaryFile(path, bytes)) {
            qCWarning(lcNet) << "image" << id << "cannot be written to" << path;
            return false;
        }
    }
    return true;
}

} // namespace tavrin
