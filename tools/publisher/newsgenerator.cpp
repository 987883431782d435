// The newsroom of the demo: headlines that keep appearing, and the news documents that list them.
#include "newsgenerator.h"

#include "textutil.h"

#include <algorithm>

namespace tavrin::publisher {

namespace {
constexpr std::size_t kFirstItemsPerKey = 3;
constexpr int kMinutesBetweenFirstItems = 3;
// After a long pause only the latest headlines matter; older ones would drop out at once.
constexpr long long kMostItemsPerAdvance = 64;
} // namespace

NewsGenerator::NewsGenerator(HeadlinePool pool, std::string base, std::time_t start, int everySeconds)
    : m_pool(std::move(pool))
    , m_base(std::move(base))
    , m_start(start)
    , m_every(std::max(1, everySeconds))
    , m_items(m_pool.keys.size())
    , m_lastChange(start)
{
    // The first items of every key, spread over the last hours, oldest added first.
    std::size_t slot = 0;
    for (std::size_t i = 0; i < m_pool.keys.size(); ++i)
        slot += std::min(kFirstItemsPerKey, m_pool.keys[i].headlines.size());
    for (std::size_t round = kFirstItemsPerKey; round-- > 0;) {
        for (std::size_t i = 0; i < m_pool.keys.size(); ++i) {
            if (round < m_pool.keys[i].headlines.size()) {
                const std::time_t when
                    = start - static_cast<std::time_t>(slot--) * kMinutesBetweenFirstItems * 60;
                AddLocked(m_pool.keys[i].key, m_pool.keys[i].headlines[round], when);
            }
        }
    }
    for (std::size_t round = kFirstItemsPerKey;; ++round) {
        bool any = false;
        for (std::size_t i = 0; i < m_pool.keys.size(); ++i) {
            if (round < m_pool.keys[i].headlines.size()) {
                m_rotation.emplace_back(i, m_pool.keys[i].headlines[round]);
                any = true;
            }
        }
        if (!any)
            break;
    }
    // A pool with only first items still keeps news coming, by repeating them.
    if (m_rotation.empty()) {
        for (std::size_t i = 0; i < m_pool.keys.size(); ++i) {
            for (const std::string &headline : m_pool.keys[i].headlines)
                m_rotation.emplace_back(i, headline);
        }
    }
    m_lastChange = start;
}

void NewsGenerator::AddLocked(const std::string &key, const std::string &title, std::time_t time)
{
    for (std::size_t i = 0; i < m_pool.keys.size(); ++i) {
        if (m_pool.keys[i].key != key)
            continue;
        std::vector<NewsItem> &items = m_items[i];
        items.insert(items.begin(), NewsItem { "n" + std::to_string(m_nextId++), key, title, time });
        if (items.size() > kItemsPerKey)
            items.resize(kItemsPerKey);
        m_lastChange = std::max(m_lastChange, time);
        return;
    }
}

void NewsGenerator::AdvanceTo(std::time_t now)
{
    std::lock_guard lock(m_mutex);
    if (m_rotation.empty() || now < m_start)
        return;
    const long long due = (now - m_start) / m_every;
    if (due - m_generated > kMostItemsPerAdvance)
        m_generated = due - kMostItemsPerAdvance;
    while (m_generated < due) {
        ++m_generated;
        const auto &[keyIndex, title]
            = m_rotation[static_cast<std::size_t>(m_generated - 1) % m_rotation.size()];
        AddLocked(m_pool.keys[keyIndex].key, title,
                  m_start + static_cast<std::time_t>(m_generated) * m_every);
    }
}

std::optional<std::string> NewsGenerator::Publish(const std::string &key, const std::string &title,
                                                  std::time_t now)
{
    std::lock_guard lock(m_mutex);
    if (m_pool.keys.empty())
        return std::nullopt;
    const std::string target = key.empty() ? m_pool.keys.front().key : key;
    const auto known = std::find_if(m_pool.keys.begin(), m_pool.keys.end(),
                                    [&](const NewsKey &entry) { return entry.key == target; });
    if (known == m_pool.keys.end())
        return std::nullopt;
    const std::string id = "n" + std::to_string(m_nextId);
    // One headline per second at most: the client keeps a single news item per time value.
    AddLocked(target, title.empty() ? known->headlines.front() : title, std::max(now, m_lastChange + 1));
    return id;
}

static std::string SectionOf(const std::string &key)
{
    const std::size_t underscore = key.find('_');
    return underscore == std::string::npos ? key : key.substr(0, underscore);
}

std::string NewsGenerator::SectionsNewsXml(const std::string &sectionId) const
{
    std::lock_guard lock(m_mutex);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news>\n";
    auto writeItems = [&](const std::vector<NewsItem> &items, const char *indent) {
        for (const NewsItem &item : items) {
            xml += std::string(indent) + "<news id=\"" + EscapeMarkup(item.id) + "\"><title>"
                + EscapeMarkup(item.title) + "</title><url>" + EscapeMarkup(ArticleUrl(item.id))
                + "</url><date>" + NewsDateText(item.time) + "</date></news>\n";
        }
    };
    std::string openSection;
    for (std::size_t i = 0; i < m_pool.keys.size(); ++i) {
        const NewsKey &key = m_pool.keys[i];
        const std::string section = SectionOf(key.key);
        if (!sectionId.empty() && section != sectionId)
            continue;
        if (section != openSection) {
            if (!openSection.empty())
                xml += "  </section>\n";
            // The section's name comes from its own key when the pool has one.
            xml += "  <section id=\"" + EscapeMarkup(section) + "\" name=\""
                + EscapeMarkup(key.key == section ? key.name : section) + "\">\n";
            openSection = section;
        }
        if (key.key == section) {
            writeItems(m_items[i], "    ");
        } else {
            const std::string sub = key.key.substr(section.size() + 1);
            xml += "    <subsection id=\"" + EscapeMarkup(sub) + "\" name=\"" + EscapeMarkup(key.name)
                + "\">\n";
            writeItems(m_items[i], "      ");
            xml += "    </subsection>\n";
        }
    }
    if (!openSection.empty())
        xml += "  </section>\n";
    xml += "</sections_news>\n";
    return xml;
}

std::vector<NewsItem> NewsGenerator::ItemsFor(const std::string &sectionId,
                                              const std::vector<std::string> &subsections) const
{
    std::lock_guard lock(m_mutex);
    std::vector<NewsItem> result;
    for (std::size_t i = 0; i < m_pool.keys.size(); ++i) {
        const std::string &key = m_pool.keys[i].key;
        bool wanted = key == sectionId;
        for (const std::string &sub : subsections)
            wanted = wanted || key == sectionId + "_" + sub;
        if (wanted)
            result.insert(result.end(), m_items[i].begin(), m_items[i].end());
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const NewsItem &a, const NewsItem &b) { return a.time > b.time; });
    return result;
}

std::optional<NewsItem> NewsGenerator::Find(const std::string &id) const
{
    std::lock_guard lock(m_mutex);
    for (const std::vector<NewsItem> &items : m_items) {
        for (const NewsItem &item : items) {
            if (item.id == id)
                return item;
        }
    }
    return std::nullopt;
}

std::optional<NewsItem> NewsGenerator::Newest() const
{
    std::lock_guard lock(m_mutex);
    std::optional<NewsItem> newest;
    for (const std::vector<NewsItem> &items : m_items) {
        if (!items.empty() && (!newest || items.front().time > newest->time))
            newest = items.front();
    }
    return newest;
}

std::string NewsGenerator::NameOf(const std::string &key) const
{
    for (const NewsKey &entry : m_pool.keys) {
        if (entry.key == key)
            return entry.name;
    }
    return {};
}

bool NewsGenerator::HasSection(const std::string &sectionId) const
{
    return std::any_of(m_pool.keys.begin(), m_pool.keys.end(),
                       [&](const NewsKey &entry) { return SectionOf(entry.key) == sectionId; });
}

std::time_t NewsGenerator::LastChange() const
{
    std::lock_guard lock(m_mutex);
    return m_lastChange;
}

} // namespace tavrin::publisher
