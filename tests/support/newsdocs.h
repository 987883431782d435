// Small sections_news documents for the news and refresh tests.
#pragma once

#include "news/newsstore.h"

#include <QStringList>

#include <cstdio>
#include <string>

namespace tavrin::test {

// A news element dated `minute` minutes after 2024-01-15 10:00:00 local time.
inline std::string newsItem(const std::string &id, int minute, const std::string &extra = {})
{
    char date[32];
    std::snprintf(date, sizeof date, "2024-01-15 %02d:%02d:00", 10 + minute / 60, minute % 60);
    return "<news id=\"" + id + "\"><title>T " + id + "</title><url>http://x.test/" + id + "</url><date>"
        + date + "</date>" + extra + "</news>";
}

inline std::string newsSection(const std::string &id, const std::string &body)
{
    return "<section id=\"" + id + "\">" + body + "</section>";
}

inline std::string newsDocument(const std::string &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news>" + body + "</sections_news>";
}

// A document from a short pattern (single-quoted attributes keep it readable): each "{id}" becomes a news
// element dated its position among the pattern's items in minutes, each "{id@m}" one dated minute m.
inline std::string newsDoc(const std::string &pattern)
{
    std::string body;
    int position = 0;
    std::size_t at = 0;
    for (std::size_t open; (open = pattern.find('{', at)) != std::string::npos; ++position) {
        const std::size_t close = pattern.find('}', open);
        std::string id = pattern.substr(open + 1, close - open - 1);
        int minute = position;
        if (const std::size_t sign = id.find('@'); sign != std::string::npos) {
            minute = std::stoi(id.substr(sign + 1));
            id.resize(sign);
        }
        body += pattern.substr(at, open - at) + newsItem(id, minute);
        at = close + 1;
    }
    return newsDocument(body + pattern.substr(at));
}

// The records' identifiers, newest first.
inline QStringList newsIds(const NewsSet &set)
{
    QStringList list;
    for (const NewsRecord &r : set)
        list.append(r.id);
    return list;
}

// The identifiers among ids that the store has not seen, in the order given.
inline QStringList unseen(const NewsStore &store, const QStringList &ids)
{
    QStringList list;
    for (const QString &id : ids) {
        if (!store.isSeen(id))
            list.append(id);
    }
    return list;
}

} // namespace tavrin::test
