// The publisher's command line.
#include "options.h"

#include <charconv>

namespace tavrin::publisher {

namespace {
std::optional<int> ParseNumber(const std::string &text, int lowest, int highest)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}
} // namespace

std::string UsageText()
{
    return "usage: tavrin-publisher [options]\n"
           "  --port N              listen on 127.0.0.1:N (default 8642; 0 picks a free port)\n"
           "  --site DIR            folder of the sample site (default: the one in the source tree)\n"
           "  --news-every N        a new headline every N seconds (default 20)\n"
           "  --offer-version X     announce client version X and serve its installer\n"
           "  --installer-marker P  the demo installer writes file P when it runs\n"
           "  --log FILE            append one line per request (bytes sent) to FILE\n"
           "  --verbose             also write the request log to stderr\n"
           "  --print-config        print the configuration document for --port and exit\n"
           "  --help                this text\n";
}

std::optional<PublisherOptions> ParseOptions(const std::vector<std::string> &arguments, std::string &error)
{
    PublisherOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &name = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--verbose") {
            options.verbose = true;
        } else if (name == "--print-config") {
            options.printConfig = true;
        } else if (name == "--port" || name == "--news-every") {
            const std::optional<std::string> text = value();
            if (!text)
                return std::nullopt;
            const std::optional<int> number
                = name == "--port" ? ParseNumber(*text, 0, 65535) : ParseNumber(*text, 1, 86400);
            if (!number) {
                error = name + ": not a valid number: " + *text;
                return std::nullopt;
            }
            (name == "--port" ? options.port : options.newsEverySeconds) = *number;
        } else if (name == "--site" || name == "--offer-version" || name == "--installer-marker"
                   || name == "--log") {
            const std::optional<std::string> text = value();
            if (!text)
                return std::nullopt;
            if (text->empty()) {
                error = name + " needs a non-empty value";
                return std::nullopt;
            }
            if (name == "--site")
                options.siteFolder = *text;
            else if (name == "--offer-version")
                options.offeredVersion = *text;
            else if (name == "--installer-marker")
                options.installerMarker = *text;
            else
                options.logFile = *text;
        } else {
            error = "unknown option: " + name;
            return std::nullopt;
        }
    }
    return options;
}

} // namespace tavrin::publisher
