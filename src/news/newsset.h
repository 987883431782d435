// The news record and the news set: records ordered newest first, at most one per time value.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>

namespace tavrin {

struct NewsRecord {
    QString id; // identity of the item, compared case-sensitively
    QString section_key; // section id, or section id + "_" + subsection id
    QString title;
    QString url;
    QString date; // the date text as received
    std::int64_t time = 0; // seconds since 1970-01-01 00:00 UTC
    friend bool operator==(const NewsRecord &, const NewsRecord &) = default;
};

// Records ordered newest first, at most one per time value.
class NewsSet {
    using Map = std::map<std::int64_t, NewsRecord, std::greater<>>;

public:
    class const_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = NewsRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = const NewsRecord *;
        using reference = const NewsRecord &;

        const_iterator() = default;
        explicit const_iterator(Map::const_iterator it)
            : m_it(it)
        {
        }
        reference operator*() const { return m_it->second; }
        pointer operator->() const { return &m_it->second; }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator old = *this;
            ++m_it;
            return old;
        }
        const_iterator &operator--()
        {
            --m_it;
            return *this;
        }
        friend bool operator==(const const_iterator &, const const_iterator &) = default;

    private:
        Map::const_iterator m_it;
    };

    NewsSet() = default;
    NewsSet(const NewsSet &) = default;
    NewsSet(NewsSet &&) noexcept = default;
    NewsSet &operator=(const NewsSet &) = default;
    NewsSet &operator=(NewsSet &&) noexcept = default;
    ~NewsSet() = default;

    // Adds the record unless one with the same time is present (that one stays); true when added.
    bool insert(const NewsRecord &record) { return m_records.emplace(record.time, record).second; }
    // Removes the record with that time; true when there was one.
    bool erase(std::int64_t time) { return m_records.erase(time) > 0; }
    void clear() { m_records.clear(); }

    bool isEmpty() const { return m_records.empty(); }
    qsizetype size() const { return static_cast<qsizetype>(m_records.size()); }
    bool containsTime(std::int64_t time) const { return m_records.count(time) > 0; }
    // Newest first.
    const_iterator begin() const { return const_iterator(m_records.begin()); }
    const_iterator end() const { return const_iterator(m_records.end()); }
    const NewsRecord &newest() const { return m_records.begin()->second; }
    QList<NewsRecord> records() const;

    friend bool operator==(const NewsSet &a, const NewsSet &b) { return a.m_records == b.m_records; }

private:
    Map m_records;
};

} // namespace tavrin
