// Downloading the publisher's news documents into the news store.
#pragma once

namespace tavrin {

struct ClientConfig;
struct CoreServices;

// Reads the all-sections document and, as the rules say, the sections' own and user-feed documents:
// at start (initial) every section's and registered feed's; afterwards, only while the user wants
// other-media alerts, those of the selected sections that carry user feeds and their selected feeds.
// True when every document it needed was downloaded and read.
bool UpdateNews(const CoreServices &services, const ClientConfig &config, bool initial);

} // namespace tavrin
