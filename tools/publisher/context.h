// Everything one running publisher holds: its site, newsroom, registered feeds, controls and log.
#pragma once

#include "controlstate.h"
#include "newsgenerator.h"
#include "requestlog.h"
#include "site.h"
#include "userfeeds.h"

#include <ctime>
#include <string>

namespace tavrin::publisher {

struct PublisherContext {
    Site site;
    NewsGenerator news;
    UserFeeds feeds;
    ControlState control;
    RequestLog log;
    std::string installerMarker; // where the demo installer writes its marker; empty for the default
    std::string feedSectionName;
};

} // namespace tavrin::publisher
