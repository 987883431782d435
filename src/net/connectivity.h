// Whether the program is online: the system's word plus the publisher's monitoring document, cached.
#pragma once

#include <QList>
#include <QNetworkInterface>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tavrin {

class Clock;
class InternetSession;
class LiveConfig;
class StopEvent;

// Whether the system reports a network connection; tests and ports give their own.
class NetworkPresence {
public:
    virtual ~NetworkPresence() = default;
    virtual bool systemReportsConnection() const = 0;
    // Whether the system can reach this address at all; by default, whether it reports a connection.
    virtual bool systemReaches(const QString &address) const
    {
        Q_UNUSED(address);
        return systemReportsConnection();
    }
};

// QNetworkInformation's reachability when its backend was loaded (see LoadNetworkInformation), else
// "an interface other than loopback is up and running". An address on this machine needs neither: a
// loopback interface that is up reaches it, on a machine with no other network too.
class SystemNetworkPresence : public NetworkPresence {
public:
    bool systemReportsConnection() const override;
    bool systemReaches(const QString &address) const override;
};

// The URL's host is this machine: "localhost" or a loopback address (127.0.0.0/8, ::1).
bool IsLoopbackAddress(const QString &url);
// Whether one of the interfaces (their flags) is up and running and carries traffic to the target: a
// loopback interface for a loopback target, any other one for the rest of the world.
bool InterfacesCarry(const QList<QNetworkInterface::InterfaceFlags> &interfaces, bool loopbackTarget);

// Loads the reachability backend where one exists; call once on the main thread at start-up.
void LoadNetworkInformation();

// The connection test shared by every thread. Every service it is given must outlive it.
class ConnectionMonitor {
public:
    ConnectionMonitor(InternetSession &session, const LiveConfig &config, const Clock &clock,
                      const NetworkPresence &presence);

    // Uncached test: the system reports a connection and the live configuration's monitoring_url,
    // fetched with reload, answers exactly "OK".
    bool probe();
    // The probe's result, probed again when more than 2 seconds old. Callers arriving during a probe take
    // its result instead of probing the monitoring address once more each, but wait no longer than the
    // probe's own deadline: then they take the last known answer (false when there is none).
    bool isConnected();
    // True at once when connected; else tests again every seconds (scaled by the clock) until connected
    // (true) or until stop is signalled (false).
    bool waitForConnection(StopEvent &stop, int seconds);
    // Forgets the shared result, so the next isConnected probes.
    void reset();

private:
    InternetSession &m_session;
    const LiveConfig &m_config;
    const Clock &m_clock;
    const NetworkPresence &m_presence;
    std::mutex m_mutex;
    std::condition_variable m_probed;
    bool m_probing = false;
    bool m_initialised = false;
    bool m_connected = false;
    std::int64_t m_probeTime = 0;
};

} // namespace tavrin
