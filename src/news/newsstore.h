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
#include <unordered_map>

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

    // Ids remembered across rounds: a real publisher lists a few hundred items at a time, so this is
    // reached only by feeds that invent ids (about 2.5 MB of memory at this count).
    static constexpr qsizetype kMaxSeenIds = 20000;

    // The clock dates items whose date text cannot be read; it must outlive the store. Beyond maxSeenIds,
    // ids absent from the last two rounds that read items are forgotten, least recently read first.
    explicit NewsStore(const Clock &clock, qsizetype maxSeenIds = kMaxSeenIds);

    // Empties the pending set: a new round of documents begins. Ids read in the last two rounds are kept
    // whatever their number, so an item still listed never alerts twice.
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
    void forgetOldestSeen();
    // Marks a seen id read in this round; false when it was never seen.
    bool touchSeen(const QString &id);

    const Clock &m_clock;
    const qsizetype m_maxSeenIds;
    mutable std::mutex m_mutex;
    // Hashed: every item of every document is looked up here, and an ordered set of many thousand ids
    // made that lookup the largest cost of reading a document. Id -> the last round it was read in.
    std::unordered_map<QString, quint64, SeenIdHash> m_seen;
    quint64 m_round = 0; // rounds that read at least one item
    bool m_readThisRound = false;
    NewsSet m_pending;
    std::set<QString> m_justRegistered;
};

// The address of a user feed's document: every "@SUBSECTION@" of the template replaced by the feed's id.
// Characters that cannot stand in an address (blanks, controls, non-ASCII) are percent-encoded.
QString UserFeedUrl(const QString &urlTemplate, const QString &subsectionId);

} // namespace tavrin
