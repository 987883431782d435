// Reading gzip documents in memory, bounded.
#include "base/gzip.h"

#include <zlib.h>

#include <algorithm>

namespace tavrin {

namespace {

bool isGzip(const char *p, qsizetype size)
{
    return size >= 2 && static_cast<unsigned char>(p[0]) == 0x1f && static_cast<unsigned char>(p[1]) == 0x8b;
}

} // namespace

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
