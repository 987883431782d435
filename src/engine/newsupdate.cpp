// Downloading the publisher's news documents into the news store.
#include "engine/newsupdate.h"

#include "base/logging.h"
#include "config/clientconfig.h"
#include "config/selection.h"
#include "engine/services.h"
#include "net/httpclient.h"
#include "news/newsstore.h"
#include "settings/settings.h"

namespace tavrin {

namespace {

bool fetchAndParse(const CoreServices &services, const QString &url)
{
    const bool read
        = services.news.parseSectionsNews(FetchCompressedText(services.http, url, false, nullptr));
    if (!read)
        qCDebug(lcEngine) << "news document not read:" << url;
    return read;
}

} // namespace

bool UpdateNews(const CoreServices &services, const ClientConfig &config, bool initial)
{
    services.news.clearPending();
    if (!fetchAndParse(services, config.sections_xml_url))
        return false;
    if (!initial && !GetOtherMediaAlerts())
        return true;
    for (const Section &section : config.sections) {
        if (!initial && !(IsSelected(section) && CarriesUserFeeds(section)))
            continue;
        if (!section.xml_url.isEmpty() && !fetchAndParse(services, section.xml_url))
            return false;
        if (section.user_rss_xml_url.isEmpty())
            continue;
        for (const Subsection &subsection : EffectiveSubsections(section)) {
            if (!subsection.user_added || (!initial && !IsSelected(subsection)))
                continue;
            if (!fetchAndParse(services, UserFeedUrl(section.user_rss_xml_url, subsection.id)))
                return false;
        }
    }
    return true;
}

} // namespace tavrin
