// Feeds of other media registered by users, and the news documents the publisher offers for them.
#pragma once

#include "newsgenerator.h"

#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tavrin::publisher {

// A feed's identifier is derived from its address, so the same address gets the same identifier
// again, even after a restart of the server, and a client that registered feeds earlier still finds
// their documents.
class UserFeeds {
public:
    UserFeeds(std::string sectionId, std::vector<std::string> headlines, std::string base, std::time_t start,
              int everySeconds);

    // The answer document to a registration of `address`: a new identifier for a new address, the
    // same identifier for an address registered before, an error for an address that is not http(s).
    std::string RegisterXml(const std::string &address);
    // The news document of feed `feedId` at `now`: a few headlines, one more every few periods.
    std::string FeedXml(const std::string &feedId, std::time_t now) const;
    std::vector<NewsItem> ItemsFor(const std::string &feedId, std::time_t now) const;
    // The address registered under `feedId`; empty when unknown.
    std::string AddressOf(const std::string &feedId) const;
    const std::string &sectionId() const { return m_sectionId; }
    // Feed identifiers hold only letters and digits.
    static bool IsFeedId(const std::string &text);

private:
    std::string m_sectionId;
    std::vector<std::string> m_headlines;
    std::string m_base;
    std::time_t m_start;
    int m_every;
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_idByAddress;
    std::map<std::string, std::string> m_addressById;
};

} // namespace tavrin::publisher
