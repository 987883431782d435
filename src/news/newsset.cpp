// News set helpers.
#include "news/newsset.h"

namespace tavrin {

QList<NewsRecord> NewsSet::records() const
{
    QList<NewsRecord> list;
    list.reserve(size());
    for (const NewsRecord &record : *this)
        list.append(record);
    return list;
}

} // namespace tavrin
