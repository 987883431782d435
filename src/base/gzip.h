// Reading gzip documents in memory, with a cap on what they inflate to.
#pragma once

#include <QByteArray>

namespace tavrin {

// Decompressed bytes of a gzip document (members in a row read as one stream); anything
// that is not gzip passes through unchanged; "" when decompression fails or exceeds the cap.
QByteArray ReadGzipText(const QByteArray &bytes);
// The largest document ReadGzipText inflates (64 MiB).
constexpr qsizetype kMaxInflatedSize = 64 * 1024 * 1024;

} // namespace tavrin
