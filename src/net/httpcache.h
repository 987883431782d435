// The small on-disk HTTP cache that lets unchanged documents be answered with 304 Not Modified.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavrin {

// A stored response: its validators and its (decoded) body.
struct HttpCacheEntry {
    QByteArray etag;
    QByteArray lastModified;
    QByteArray body;
};

// Entries live in $XDG_CACHE_HOME/Tavrin/http/ (default ~/.cache), one file per URL, each
// written to a temporary file and renamed, so a reader never sees half an entry.
class HttpCache {
public:
    // Bodies larger than this are not kept (an installer, for example).
    static constexpr qint64 kMaxEntryBytes = 8LL * 1024 * 1024;
    // When the folder grows past this, the least recently written entries go.
    static constexpr qint64 kMaxTotalBytes = 64LL * 1024 * 1024;

    static QString folder();
    static std::optional<HttpCacheEntry> load(const QString &url);
    // False when the entry cannot or should not be kept (no validator, too large, write failed).
    static bool store(const QString &url, const HttpCacheEntry &entry);
    static void remove(const QString &url);

private:
    static QString entryPath(const QString &url);
    static void trim();
};

} // namespace tavrin
