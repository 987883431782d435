// A configuration for the dialogs' tests: a section with two subsections, and one that carries user feeds.
#pragma once

#include "config/clientconfig.h"

namespace tavrin::test {

// "News" (on) with "Local" (on) and "World" (off); "Others" (off) carries the user's feeds unless told not
// to.
inline ClientConfig prefsConfig(const QString &registration = {}, bool carriesFeeds = true)
{
    const QString feeds = carriesFeeds ? QStringLiteral("http://x.test/@SUBSECTION@") : QString();
    Section news { "News", "news", {}, true, {}, {}, {}, {} };
    news.subsections = { { "Local", "local", "news_local", true, false },
                         { "World", "world", "news_world", false, false } };
    ClientConfig config;
    config.sections = { news, { "Others", "mine", {}, false, feeds, feeds, feeds, {} } };
    config.add_user_rss_url = registration;
    config.alerts_ttl = QStringLiteral("8");
    return config;
}

} // namespace tavrin::test
