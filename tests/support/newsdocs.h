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

// The records' identifiers, newest first.
inline QStringList newsIds(const NewsSet &set)
{
    QStringList list;
    for (const NewsRecord &r : set)
        list.append(r.id);
    return list;
}

} // namespace tavrin::test
