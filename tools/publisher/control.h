// The /_control/ endpoints that make the server misbehave on request, for tests and demos.
#pragma once

#include "context.h"
#include "reply.h"

#include <ctime>
#include <map>
#include <string>

namespace tavrin::publisher {

constexpr const char *kControlPrefix = "/_control/";

// Answers /_control/<name> with its decoded query parameters; documented in README.md beside this file.
Reply HandleControl(PublisherContext &context, const std::string &name,
                    const std::multimap<std::string, std::string> &params, std::time_t now);

} // namespace tavrin::publisher
