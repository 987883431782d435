// Which page or document answers each address of the sample site.
#pragma once

#include "context.h"
#include "reply.h"

#include <ctime>
#include <string>

namespace tavrin::publisher {

// The address the client probes to know it is online; it answers exactly "OK".
constexpr const char *kMonitoringPath = "/monitor.txt";

// Answers a request for `path` (already without scheme, host and query) of the site.
Reply HandleSite(PublisherContext &context, const std::string &path, const std::string &rawQuery,
                 std::time_t now);

} // namespace tavrin::publisher
