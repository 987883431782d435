// The publisher's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavrin::publisher {

struct PublisherOptions {
    int port = 8642;
    std::string siteFolder;
    int newsEverySeconds = 20;
    std::string offeredVersion; // empty: the client's own version, so no update is offered
    std::string installerMarker;
    std::string logFile;
    bool verbose = false;
    bool printConfig = false;
    bool help = false;
};

// Reads the arguments after the program name; nothing, with `error` set, when they are wrong.
std::optional<PublisherOptions> ParseOptions(const std::vector<std::string> &arguments, std::string &error);
std::string UsageText();

} // namespace tavrin::publisher
