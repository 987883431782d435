// Feeds arbitrary bytes, raw and behind a gzip magic, to the gzip reader.
#include "base/gzip.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray out = tavrin::ReadGzipText(bytes);
    if (out.size() > tavrin::kMaxInflatedSize)
        std::abort();
    if (!(bytes.size() >= 2 && bytes.startsWith("\x1f\x8b")) && out != bytes)
        std::abort(); // anything that is not gzip must pass through unchanged
    (void)tavrin::ReadGzipText(QByteArray("\x1f\x8b\x08\x00", 4) + bytes);
    return 0;
}
