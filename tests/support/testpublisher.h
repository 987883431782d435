// A small publisher on loopback for the GUI's end-to-end tests: configuration, pages, news, monitor.
#pragma once

#include "config/clientconfig.h"
#include "support/testserver.h"

#include <atomic>

namespace tavrin::test {

// Serves /clientconfig.xml (the urgent pane reloads every 30 s, the news every 60 s; its own text for an old
// engine: "Motor viejo"), /ok.txt (monitoring), /urgent.html, /loading.html, /news/1/ and the news document.
class TestPublisher : public TestServer {
public:
    TestPublisher();
    // The configuration document naming this server, and the same parsed (the test fails if rejected).
    QByteArray configurationText() const { return m_config; }
    ClientConfig configuration() const;

    // While set, the urgent page answers 404 and the monitoring document "NO".
    std::atomic<bool> urgentBroken { false }, offline { false };

private:
    QByteArray m_config;
};

} // namespace tavrin::test
