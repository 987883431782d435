// Small sections_news documents for the news and refresh tests.
#pragma once

#include "news/newsstore.h"

#include <QStringList>

#include <regex>
#include <string>

namespace tavrin::test {

// A news element dated `minute` minutes after 2024-01-15 10:00:00 local time.
inline std::string newsItem(const std::string &id, int minute)
{
    const QString date = QString::asprintf("2024-01-15 %02d:%02d:00", 10 + minute / 60, minute % 60);
    return "<news id=\"" + id + "\"><title>T " + id + "</title><url>http://x.test/" + id + "</url><date>"
        + date.toStdString() + "</date></news>";
}

inline std::string newsSection(const std::string &id, const std::string &body)
{
    return "<section id=\"" + id + "\">" + body + "</section>";
}

inline std::string newsDocument(const std::string &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news>" + body + "</sections_news>";
}

// A document from a pattern: each "{id}" is an item dated its position in minutes, "{id@m}" one of minute m.
inline std::string newsDoc(const std::string &pattern)
{
    static const std::regex item(R"(\{([^}@]*)(@(\d+))?\})");
    std::string body;
    int position = 0;
    std::smatch last;
    for (std::sregex_iterator it(pattern.begin(), pattern.end(), item), end; it != end; ++it, ++position) {
        last = *it;
        body += last.prefix().str() + newsItem(last[1], last[3].matched ? std::stoi(last[3]) : position);
    }
    return newsDocument(body + (position ? last.suffix().str() : pattern));
}

// The records newest first: their ids, or with `keyed` "section key/id".
inline QStringList newsIds(const NewsSet &set, bool keyed = false)
{
    QStringList list;
    for (const NewsRecord &r : set)
        list << (keyed ? r.section_key + u'/' + r.id : r.id);
    return list;
}

// The identifiers among ids that the store has not seen, in the order given.
inline QStringList unseen(const NewsStore &store, QStringList ids)
{
    ids.removeIf([&](const QString &id) { return store.isSeen(id); });
    return ids;
}

} // namespace tavrin::test
