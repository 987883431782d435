// The news store and the reading of sections_news documents.
#include "news/newsstore.h"

#include "base/clock.h"
#include "config/xmldocument.h"
#include "news/newsdate.h"

#include <algorithm>
#include <vector>

namespace tavrin {
namespace {

const QString kSubsectionPlaceholder = QStringLiteral("@SUBSECTION@");

} // namespace

NewsStore::NewsStore(const Clock &clock, qsizetype maxSeenIds)
    : m_clock(clock)
    , m_maxSeenIds(maxSeenIds)
{
}

void NewsStore::clearPending()
{
    std::lock_guard lock(m_mutex);
    m_pending.clear();
    // A round that read nothing (the network was down) must not age the ids.
    if (!m_readThisRound)
        return;
    forgetOldestSeen();
    ++m_round;
    m_readThisRound = false;
}

void NewsStore::forgetOldestSeen()
{
    const qsizetype excess = qsizetype(m_seen.size()) - m_maxSeenIds;
    if (excess <= 0)
        return;
    // Only ids absent from the round that ended and the one before are candidates (a document that
    // failed once does not lose its items); the least recently read go first.
    std::vector<decltype(m_seen)::iterator> absent;
    for (auto it = m_seen.begin(); it != m_seen.end(); ++it) {
        if (it->second + 1 < m_round)
            absent.push_back(it);
    }
    const auto forget = absent.begin() + std::min<qsizetype>(excess, std::ssize(absent));
    std::nth_element(absent.begin(), forget, absent.end(),
                     [](const auto &a, const auto &b) { return a->second < b->second; });
    std::for_each(absent.begin(), forget, [this](const auto &it) { m_seen.erase(it); });
}

bool NewsStore::touchSeen(const QString &id)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_seen.find(id);
    if (it == m_seen.end())
        return false;
    it->second = m_round;
    m_readThisRound = true;
    return true;
}

void NewsStore::addRecord(const NewsRecord &record, bool quiet)
{
    std::lock_guard lock(m_mutex);
    const auto [entry, firstSighting] = m_seen.try_emplace(record.id, m_round);
    entry->second = m_round;
    m_readThisRound = true;
    if (firstSighting && !quiet)
        m_pending.insert(record);
}

void NewsStore::parseNewsItem(const XmlElement &element, const QString &sectionKey, bool quiet,
                              const RecordVisitor &visit)
{
    if (!HasTagName(element, QStringLiteral("news")))
        return;
    NewsRecord record;
    record.id = TokenAttribute(element, QStringLiteral("id"));
    // Storing an item seen before only marks it read this round: unless every record is watched, the rest
    // of it is not read.
    if (!visit && touchSeen(record.id))
        return;
    record.section_key = sectionKey;
    record.title = Text(FirstChild(element, QStringLiteral("title")));
    record.url = TokenText(FirstChild(element, QStringLiteral("url")));
    record.date = Text(FirstChild(element, QStringLiteral("date")));
    if (sectionKey.isEmpty() || record.id.isEmpty() || record.title.isEmpty() || record.url.isEmpty())
        return;
    record.time = ParseNewsDate(record.date, m_clock.nowSeconds());
    addRecord(record, quiet);
    if (visit)
        visit(record);
}

bool NewsStore::parseSectionsNews(const QByteArray &text, const RecordVisitor &visit, QString *reason)
{
    const auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    XmlElement root;
    QString error;
    if (!LoadXmlText(text, root, &error))
        return fail(error);
    if (TagName(root) != QLatin1String("sections_news"))
        return fail(QStringLiteral("the root element is <%1>, not <sections_news>").arg(TagName(root)));

    // A node that is not an element ends the walk it belongs to, as if the list ended there.
    for (const XmlElement &section : Children(root)) {
        if (section.isNull())
            return true;
        if (!HasTagName(section, QStringLiteral("section")))
            return fail(
                QStringLiteral("<sections_news> holds <%1>, not only <section>").arg(TagName(section)));
        const QString sectionId = TokenAttribute(section, QStringLiteral("id"));
        if (sectionId.isEmpty())
            continue;
        for (const XmlElement &child : Children(section)) {
            if (child.isNull())
                break;
            if (HasTagName(child, QStringLiteral("news"))) {
                parseNewsItem(child, sectionId, false, visit);
            } else if (HasTagName(child, QStringLiteral("subsection"))) {
                const QString key
                    = sectionId + QLatin1Char('_') + TokenAttribute(child, QStringLiteral("id"));
                // The first document of a feed registered in this run only teaches which items exist.
                const bool quiet = isJustRegistered(key);
                for (const XmlElement &item : Children(child)) {
                    if (item.isNull())
                        break;
                    parseNewsItem(item, key, quiet, visit);
                }
                if (quiet)
                    forgetJustRegistered(key);
            } else {
                return fail(QStringLiteral("section \"%1\" holds <%2>, not only <news> and <subsection>")
                                .arg(sectionId, TagName(child)));
            }
        }
    }
    return true;
}

NewsSet NewsStore::copyPendingAlerts() const
{
    std::lock_guard lock(m_mutex);
    return m_pending;
}

bool NewsStore::isSeen(const QString &id) const
{
    std::lock_guard lock(m_mutex);
    return m_seen.contains(id);
}

qsizetype NewsStore::seenCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<qsizetype>(m_seen.size());
}

void NewsStore::addJustRegistered(const QString &key)
{
    std::lock_guard lock(m_mutex);
    m_justRegistered.insert(key);
}

bool NewsStore::isJustRegistered(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return m_justRegistered.count(key) > 0;
}

void NewsStore::forgetJustRegistered(const QString &key)
{
    std::lock_guard lock(m_mutex);
    m_justRegistered.erase(key);
}

QString UserFeedUrl(const QString &urlTemplate, const QString &subsectionId)
{
    QString url = urlTemplate;
    url.replace(kSubsectionPlaceholder, subsectionId);
    // Everything an address may hold passes unchanged; only bytes that would make it unusable are escaped.
    const QByteArray bytes = url.toUtf8();
    QByteArray escaped;
    escaped.reserve(bytes.size());
    static const QByteArray notInAddresses = QByteArrayLiteral("\"<>\\^`{|}");
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || notInAddresses.contains(c))
            escaped += '%' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else
            escaped += c;
    }
    return QString::fromLatin1(escaped);
}

} // namespace tavrin
