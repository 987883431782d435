// The newsroom of the demo: headlines that keep appearing, and the news documents that list them.
#pragma once

#include "headlines.h"

#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::publisher {

struct NewsItem {
    std::string id;
    std::string key; // section identifier or section "_" subsection
    std::string title;
    std::time_t time = 0;
};

// Starts with a few recent headlines per key and adds one more every `everySeconds`, taking the pool's
// headlines in turns across the keys. Time is passed in, so the state follows from the start time and
// the clock alone; nothing runs in the background.
class NewsGenerator {
public:
    NewsGenerator(HeadlinePool pool, std::string base, std::time_t start, int everySeconds);

    // Adds the headlines due up to `now`.
    void AdvanceTo(std::time_t now);
    // Adds one headline at `now` at once; an empty key takes the first key. Returns its identifier,
    // or nothing when the key is unknown.
    std::optional<std::string> Publish(const std::string &key, const std::string &title, std::time_t now);

    // The all-sections document; with `sectionId`, only that section.
    std::string SectionsNewsXml(const std::string &sectionId = {}) const;
    // Newest first: the section's own items and those of the listed subsections.
    std::vector<NewsItem> ItemsFor(const std::string &sectionId,
                                   const std::vector<std::string> &subsections) const;
    std::optional<NewsItem> Find(const std::string &id) const;
    // The newest headline of all.
    std::optional<NewsItem> Newest() const;
    // Display name of a key; empty when unknown.
    std::string NameOf(const std::string &key) const;
    bool HasSection(const std::string &sectionId) const;
    // When the headlines last changed.
    std::time_t LastChange() const;
    const std::string &base() const { return m_base; }
    std::string ArticleUrl(const std::string &id) const { return m_base + "articulo/" + id + ".html"; }

    static constexpr std::size_t kItemsPerKey = 8;

private:
    void AddLocked(const std::string &key, const std::string &title, std::time_t time);

    HeadlinePool m_pool;
    std::string m_base;
    std::time_t m_start;
    int m_every;
    // Headlines not used for the first items, in turns across the keys: {key index, headline}.
    std::vector<std::pair<std::size_t, std::string>> m_rotation;
    mutable std::mutex m_mutex;
    std::vector<std::vector<NewsItem>> m_items; // per key, newest first
    long long m_generated = 0; // periodic headlines added so far
    long long m_nextId = 1001;
    std::time_t m_lastChange;
};

} // namespace tavrin::publisher
