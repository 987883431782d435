// A small publisher on loopback for the GUI's end-to-end tests: configuration, pages, news, monitor.
#pragma once

#include "config/clientconfig.h"
#include "support/testserver.h"

#include <QByteArray>

#include <atomic>
#include <string>

namespace tavrin::test {

// Serves /clientconfig.xml, /ok.txt (monitoring), /urgent.html, /loading.html, /news/1/, /news/2/ and the
// news documents; the urgent and news panes reload at the given periods (seconds), the alerts every 300.
class TestPublisher {
public:
    explicit TestPublisher(int urgentReload = 30, int newsReload = 60);

    int hits(const std::string &path) const { return m_server.hits(path); }
    // The configuration document with this server's address in it, and the same parsed (the test fails
    // when it is not accepted).
    QByteArray configurationText() const { return m_config; }
    ClientConfig configuration() const;

    // The urgent page answers 404 while broken; the monitoring document answers "NO" while offline.
    void setUrgentBroken(bool broken) { m_urgentBroken = broken; }
    void setOnline(bool online) { m_online = online; }

private:
    TestServer m_server;
    QByteArray m_config;
    std::atomic<bool> m_urgentBroken { false };
    std::atomic<bool> m_online { true };
};

} // namespace tavrin::test
