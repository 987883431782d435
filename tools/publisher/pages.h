// The dynamic pages of the sample site: news pages, articles, the urgent strip, the installer.
#pragma once

#include "context.h"
#include "reply.h"

#include <map>
#include <string>
#include <vector>

namespace tavrin::publisher {

// Repeats the region between "<!--NAME-->" and "<!--/NAME-->" once per row, replacing "@KEY@" by each
// row's values; the markers go. A template without the region is returned unchanged.
std::string RepeatRegion(const std::string &text, const std::string &name,
                         const std::vector<std::map<std::string, std::string>> &rows);

// The news page of a section and its selected subsections (feed identifiers for the feed section).
Reply NewsPage(PublisherContext &context, const std::string &sectionId,
               const std::vector<std::string> &subsections, std::time_t now);
// The full story of a headline; 404 when the identifier is unknown.
Reply ArticlePage(PublisherContext &context, const std::string &id);
// The story page of an item of another medium's feed.
Reply OtherMediumPage(PublisherContext &context, const std::string &itemId);
// The urgent strip: the control's text, or else the newest headline; an empty body when the control
// set an empty text, so the client hides the strip.
Reply UrgentPage(PublisherContext &context);
// The demo installer: a shell script that only writes its marker file.
Reply InstallerScript(PublisherContext &context);
// The configuration document as served now (announcing the offered version, or broken on request).
Reply ConfigurationDocument(PublisherContext &context);

} // namespace tavrin::publisher
