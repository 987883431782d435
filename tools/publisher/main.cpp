// The demo publisher: serves the sample site on 127.0.0.1 so the client runs end to end on one machine.
#include "options.h"
#include "pages.h"
#include "server.h"

#include <csignal>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#ifndef TAVRIN_PUBLISHER_SITE
#define TAVRIN_PUBLISHER_SITE "site"
#endif
#ifndef TAVRIN_PUBLISHER_CLIENT_VERSION
#define TAVRIN_PUBLISHER_CLIENT_VERSION "1.0.0.10"
#endif

using namespace tavrin::publisher;

namespace {

std::unique_ptr<PublisherContext> MakeContext(const PublisherOptions &options, int port, std::string &error)
{
    const std::string folder = options.siteFolder.empty() ? TAVRIN_PUBLISHER_SITE : options.siteFolder;
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
    std::ifstream in(folder + "/datos/titulares.txt", std::ios::binary);
    if (!in) {
        error = "cannot read " + folder + "/datos/titulares.txt";
        return nullptr;
    }
    std::ostringstream text;
    text << in.rdbuf();
    HeadlinePool pool;
    if (!ParseHeadlines(text.str(), pool, error)) {
        error = folder + "/datos/titulares.txt: " + error;
        return nullptr;
    }
    if (pool.feedSectionId.empty()) {
        error = folder + "/datos/titulares.txt: no [id_*] pool for the feeds of other media";
        return nullptr;
    }
    ControlSettings initial;
    initial.offeredVersion = options.offeredVersion.empty() ? std::string(TAVRIN_PUBLISHER_CLIENT_VERSION)
                                                            : options.offeredVersion;
    const std::time_t start = std::time(nullptr);
    const std::string feedSection = pool.feedSectionId;
    const std::string feedName = pool.feedSectionName;
    std::vector<std::string> feedHeadlines = pool.feedHeadlines;
    auto context = std::unique_ptr<PublisherContext>(new PublisherContext {
        Site(folder, base), NewsGenerator(std::move(pool), base, start, options.newsEverySeconds),
        UserFeeds(feedSection, std::move(feedHeadlines), base, start, options.newsEverySeconds),
        ControlState(initial), RequestLog(options.logFile, options.verbose), options.installerMarker,
        feedName });
    if (!options.logFile.empty() && !context->log.fileOpen()) {
        error = "cannot open the log file " + options.logFile;
        return nullptr;
    }
    return context;
}

} // namespace

int main(int argc, char **argv)
{
    std::string error;
    const std::optional<PublisherOptions> options
        = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "tavrin-publisher: " << error << "\n" << UsageText();
        return 2;
    }
    if (options->help) {
        std::cout << UsageText();
        return 0;
    }
    if (options->printConfig) {
        std::unique_ptr<PublisherContext> context = MakeContext(*options, options->port, error);
        if (!context) {
            std::cerr << "tavrin-publisher: " << error << "\n";
            return 1;
        }
        const Reply config = ConfigurationDocument(*context);
        if (config.status != 200) {
            std::cerr << "tavrin-publisher: the site has no clientconfig.xml\n";
            return 1;
        }
        std::cout << config.body;
        return 0;
    }

    // Signals are taken by one thread that stops the server, so every worker finishes cleanly.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    PublisherServer server;
    const int port = server.Bind(options->port);
    if (port <= 0) {
        std::cerr << "tavrin-publisher: cannot listen on 127.0.0.1:" << options->port << "\n";
        return 1;
    }
    std::unique_ptr<PublisherContext> context = MakeContext(*options, port, error);
    if (!context) {
        std::cerr << "tavrin-publisher: " << error << "\n";
        return 1;
    }
    std::cout << "listening on " << context->site.base() << std::endl;

    std::thread stopper([&server, signals] {
        int received = 0;
        sigwait(&signals, &received);
        server.Stop();
    });
    const bool served = server.Run(*context);
    // Run also ends when listening fails; wake the stopper thread so it can be joined.
    if (stopper.joinable()) {
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
    }
    return served ? 0 : 1;
}
