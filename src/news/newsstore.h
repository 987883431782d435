// The news store: which items were seen since start, which are pending for alerts, and reading the
// publisher's news documents into it.
#pragma once

#include "news/newsset.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>
#include <set>

namespace tavrin {

struct ClientConfig;
class XmlElement;

class NewsStore {
public:
    // Sees every record as it is read and stored, in document order (duplicates and quiet ones too).
    using RecordVisitor = std::function<void(const NewsRecord &)>;

    NewsStore();

    // Reads the all-sections document and, as the rules say, the sections' own and user-feed documents.
    // True when every document it needed was downloaded and read.
    bool updateNews(const ClientConfig &config, bool initial);
    // True when the text is a well-formed document whose root is sections_news and whose walk ended
    // normally; items read before a failure stay stored.
    bool parseSectionsNews(const QByteArray &text, const RecordVisitor &visit = {});
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
    bool fetchAndParse(const QString &url);

    mutable std::mutex m_mutex;
    std::set<QString> m_seen;
    NewsSet m_pending;
    std::set<QString> m_justRegistered;
};

// The process's one store.
NewsStore &newsStore();

// The operations of the process's store, on the live configuration.
bool UpdateNews(bool initial);
NewsSet CopyPendingAlerts();
bool ParseSectionsNews(const QByteArray &text);
void ParseNewsItem(const XmlElement &element, const QString &sectionKey, bool quiet);
bool IsJustRegistered(const QString &key);
void ForgetJustRegistered(const QString &key);
// Called when the user registers a feed: its first document is then read without alerts.
void AddJustRegistered(const QString &key);

// Whether the news of a section key are wanted: the first section with that id gives its selection,
// else the subsection (user feeds included) with that key; a key found nowhere is not selected.
bool IsKeySelected(const QString &sectionKey);
bool IsKeySelected(const ClientConfig &config, const QString &sectionKey);
// The name of the section or subsection found the same way; "" when none.
QString KeyDisplayName(const QString &sectionKey);
QString KeyDisplayName(const ClientConfig &config, const QString &sectionKey);

// The address of a user feed's document: every "@SUBSECTION@" of the template replaced by the feed's id.
// Characters that cannot stand in an address (blanks, controls, non-ASCII) are percent-encoded.
QString UserFeedUrl(const QString &urlTemplate, const QString &subsectionId);

} // namespace tavrin
