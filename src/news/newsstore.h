// The news store: which items were seen since start, which are pending for alerts, and reading the
// publisher's news documents into it (the engine downloads them).
#pragma once

#include "news/newsset.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <functional>
#include <mutex>
#include <set>
#include <unordered_set>

namespace tavrin {

class Clock;
class XmlElement;

// The hash of a seen id. Not noexcept on purpose: libstdc++ then keeps each hash beside its id, so growing
// the table and walking a bucket never read the ids' text again.
struct SeenIdHash {
    std::size_t operator()(const QString &id) const { return qHash(id); }
};

class NewsStore {
public:
    // Sees every record as it is read and stored, in document order (duplicates and quiet ones too).
    using RecordVisitor = std::function<void(const NewsRecord &)>;

    // The clock dates items whose date text cannot be read; it must outlive the store.
    explicit NewsStore(const Clock &clock);

    // Empties the pending set: a new round of documents begins.
    void clearPending();
    // True when the text is a well-formed document whose root is sections_news and whose walk ended
    // normally; items read before a failure stay stored.
    // On false, when reason is given, it says why (not well-formed at line N, wrong root, ...).
    bool parseSectionsNews(const QByteArray &text, const RecordVisitor &visit = {},
                           QString *reason = nullptr);
    // Reads one news element into a record and stores it (nothing when its key, id, title or url is empty).
    void parseNewsItem(const XmlElement &element, const QString &sectionKey, bool quiet,
                       const RecordVisitor &visit = {});
    // Stores one record: its id becomes seen; a first sighting that is not quiet becomes pending.
    void addRecord(const NewsRecord &record, bool quiet);

    NewsSet copyPendingAlerts() const;
    bool isSeen(const QString &id) const;
    qsizetype seenCount() const;

    void addJustRegistered(const QString &key);
    bool isJustRegistered(const QString &key) const;
    void forgetJustRegistered(const QString &key);

private:
    const Clock &m_clock;
    mutable std::mutex m_mutex;
    // Hashed: every item of every document is looked up here, and an ordered set of many thousand ids
    // made that lookup the largest cost of reading a document.
    std::unordered_set<QString, SeenIdHash> m_seen;
    NewsSet m_pending;
    std::set<QString> m_justRegistered;
};

// The address of a user feed's document: every "@SUBSECTION@" of the template replaced by the feed's id.
// Characters that cannot stand in an address (blanks, controls, non-ASCII) are percent-encoded.
QString UserFeedUrl(const QString &urlTemplate, const QString &subsectionId);

} // namespace tavrin
