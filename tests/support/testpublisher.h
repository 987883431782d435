// A small publisher on loopback for the main window's end-to-end tests: configuration, pages, news, monitor.
#pragma once

#include "config/clientconfig.h"
#include "net/connectivity.h"
#include "support/testserver.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <string>

namespace tavrin::test {

// The system always reports a network: tests decide connectivity through the monitoring answer.
class AlwaysConnected : public NetworkPresence {
public:
    bool systemReportsConnection() const override { return true; }
};

struct PublisherTimes {
    int urgentReload = 30; // seconds
    int newsReload = 60; // seconds
    int alertsReload = 300; // seconds
};

class TestPublisher {
public:
    explicit TestPublisher(PublisherTimes times = {});

    TestServer &server() { return m_server; }
    // The configuration document with this server's address in it.
    QByteArray configurationText() const { return m_config; }
    // The same, parsed (the test fails when the document is not accepted).
    ClientConfig configuration() const;
    std::string urgentPath() const { return "/urgent.html"; }
    std::string newsPath(const std::string &section) const { return "/news/" + section + "/"; }

    // The urgent page answers 404 while broken.
    void setUrgentBroken(bool broken) { m_urgentBroken = broken; }
    // The monitoring document answers "OK" while online, "NO" otherwise.
    void setOnline(bool online) { m_online = online; }

private:
    TestServer m_server;
    QByteArray m_config;
    std::atomic<bool> m_urgentBroken { false };
    std::atomic<bool> m_online { true };
};

} // namespace tavrin::test
