// Feeds of other media registered by users, and the news documents the publisher offers for them.
#include "userfeeds.h"

#include "textutil.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>

namespace tavrin::publisher {

namespace {
constexpr int kFirstItems = 3;
constexpr int kPeriodsPerItem = 3;
constexpr std::size_t kItemsShown = 6;

unsigned long Crc(const std::string &text)
{
    return crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(text.data()),
                 static_cast<uInt>(text.size()));
}

bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}
} // namespace

UserFeeds::UserFeeds(std::string sectionId, std::vector<std::string> headlines, std::string base,
                     std::time_t start, int everySeconds)
    : m_sectionId(std::move(sectionId))
    , m_headlines(std::move(headlines))
    , m_base(std::move(base))
    , m_start(start)
    , m_every(std::max(1, everySeconds))
{
    if (m_headlines.empty())
        m_headlines.push_back("Última hora");
}

bool UserFeeds::IsFeedId(const std::string &text)
{
    return !text.empty() && text.size() <= 32 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c));
    });
}

std::string UserFeeds::RegisterXml(const std::string &address)
{
    static const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const bool web = (StartsWithNoCase(address, "http://") && address.size() > 7)
        || (StartsWithNoCase(address, "https://") && address.size() > 8);
    if (!web) {
        return kHeader
            + "<add_user_rss_result><error>La dirección del medio debe empezar por http:// o https://"
              "</error></add_user_rss_result>\n";
    }
    std::lock_guard lock(m_mutex);
    auto found = m_idByAddress.find(address);
    if (found == m_idByAddress.end()) {
        std::string id = "m" + Hex32(Crc(address));
        // Two addresses with one checksum still get two identifiers.
        for (int suffix = 2; m_addressById.count(id) != 0; ++suffix)
            id = "m" + Hex32(Crc(address)) + "x" + std::to_string(suffix);
        m_addressById[id] = address;
        found = m_idByAddress.emplace(address, id).first;
    }
    return kHeader + "<add_user_rss_result id=\"" + found->second + "\"/>\n";
}

std::string UserFeeds::AddressOf(const std::string &feedId) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_addressById.find(feedId);
    return found == m_addressById.end() ? std::string() : found->second;
}

std::vector<NewsItem> UserFeeds::ItemsFor(const std::string &feedId, std::time_t now) const
{
    std::vector<NewsItem> items;
    if (!IsFeedId(feedId))
        return items;
    const long long later
        = now > m_start ? (now - m_start) / (static_cast<long long>(m_every) * kPeriodsPerItem) : 0;
    const long long count = kFirstItems + later;
    const unsigned long offset = Crc(feedId);
    for (long long j = count; j-- > 0 && items.size() < kItemsShown;) {
        NewsItem item;
        item.id = feedId + "-" + std::to_string(j);
        item.key = m_sectionId + "_" + feedId;
        item.title = m_headlines[(offset + static_cast<unsigned long>(j)) % m_headlines.size()];
        item.time = j < kFirstItems
            ? m_start - (kFirstItems - j) * 11 * 60
            : m_start + static_cast<std::time_t>(j - kFirstItems + 1) * m_every * kPeriodsPerItem;
        // Feeds share one schedule; a per-feed shift keeps their times apart, since the client keeps
        // one news item per second.
        item.time -= static_cast<std::time_t>(offset % 53);
        items.push_back(item);
    }
    return items;
}

std::string UserFeeds::FeedXml(const std::string &feedId, std::time_t now) const
{
    const std::string address = AddressOf(feedId);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news>\n  <section id=\""
        + EscapeMarkup(m_sectionId) + "\">\n    <subsection id=\"" + EscapeMarkup(feedId) + "\">\n";
    for (const NewsItem &item : ItemsFor(feedId, now)) {
        const std::string url = address.empty() ? m_base + "otros-medios/" + item.id + ".html" : address;
        xml += "      <news id=\"" + EscapeMarkup(item.id) + "\"><title>" + EscapeMarkup(item.title)
            + "</title><url>" + EscapeMarkup(url) + "</url><date>" + NewsDateText(item.time)
            + "</date></news>\n";
    }
    xml += "    </subsection>\n  </section>\n</sections_news>\n";
    return xml;
}

} // namespace tavrin::publisher
