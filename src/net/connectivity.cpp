// Connectivity test with its shared two-second cache.
#include "net/connectivity.h"

#include "base/clock.h"
#include "base/logging.h"
#include "base/stopevent.h"
#include "config/liveconfig.h"
#include "net/httpclient.h"

#include <QHostAddress>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QUrl>

#include <algorithm>
#include <chrono>

namespace tavrin {

namespace {

QList<QNetworkInterface::InterfaceFlags> interfaceFlags()
{
    QList<QNetworkInterface::InterfaceFlags> flags;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces)
        flags.append(interface.flags());
    return flags;
}

} // namespace

bool IsLoopbackAddress(const QString &url)
{
    const QString host = QUrl(url).host().toLower();
    if (host == QLatin1String("localhost") || host == QLatin1String("localhost."))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool InterfacesCarry(const QList<QNetworkInterface::InterfaceFlags> &interfaces, bool loopbackTarget)
{
    for (const auto flags : interfaces) {
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && flags.testFlag(QNetworkInterface::IsLoopBack) == loopbackTarget)
            return true;
    }
    return false;
}

bool SystemNetworkPresence::systemReportsConnection() const
{
    if (QNetworkInformation *info = QNetworkInformation::instance()) {
        const auto reachability = info->reachability();
        if (reachability == QNetworkInformation::Reachability::Disconnected)
            return false;
        if (reachability != QNetworkInformation::Reachability::Unknown)
            return true;
    }
    return InterfacesCarry(interfaceFlags(), false);
}

bool SystemNetworkPresence::systemReaches(const QString &address) const
{
    // The system's reachability speaks of other machines; it says "disconnected" on a machine whose only
    // interface is loopback, where a publisher on 127.0.0.1 answers all the same.
    if (IsLoopbackAddress(address))
        return InterfacesCarry(interfaceFlags(), true);
    return systemReportsConnection();
}

void LoadNetworkInformation()
{
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
}

ConnectionMonitor::ConnectionMonitor(InternetSession &session, const LiveConfig &config, const Clock &clock,
                                     const NetworkPresence &presence)
    : m_session(session)
    , m_config(config)
    , m_clock(clock)
    , m_presence(presence)
{
}

bool ConnectionMonitor::probe()
{
    const QString monitoringUrl = m_config.snapshot()->monitoring_url;
    if (!m_presence.systemReaches(monitoringUrl)) {
        qCDebug(lcNet) << "the system reports no network connection";
        return false;
    }
    const QByteArray answer = FetchText(m_session, monitoringUrl, true, nullptr);
    if (answer != "OK")
        qCDebug(lcNet) << "the monitoring address" << monitoringUrl << "did not answer OK";
    return answer == "OK";
}

bool ConnectionMonitor::isConnected()
{
    std::unique_lock lock(m_mutex);
    if (m_initialised && m_clock.nowSeconds() <= m_probeTime + 2)
        return m_connected;
    if (m_probing) {
        // The probe's download ends by its deadline; this bound only keeps a caller from waiting longer.
        const auto deadline = std::chrono::milliseconds(m_session.limits().deadlineMs);
        m_probed.wait_for(lock, deadline, [this] { return !m_probing; });
        return m_connected;
    }
    // The probe runs without the lock, so that a slow monitoring address never holds a caller longer than
    // the wait above allows and reset() never waits for the network.
    m_probing = true;
    lock.unlock();
    bool connected = false;
    try {
        connected = probe();
    } catch (...) {
        // Counted as offline; the probing mark must be cleared, or every later caller would wait in vain.
    }
    lock.lock();
    m_connected = connected;
    m_probeTime = m_clock.nowSeconds();
    m_initialised = true;
    m_probing = false;
    m_probed.notify_all();
    return connected;
}

void ConnectionMonitor::reset()
{
    std::lock_guard lock(m_mutex);
    m_initialised = false;
}

bool ConnectionMonitor::waitForConnection(StopEvent &stop, int seconds)
{
    if (isConnected())
        return true;
    // A zero or negative period would turn the wait into a busy loop.
    const int waitMs = WaitMs(m_clock, std::int64_t(std::max(seconds, 1)) * 1000);
    for (;;) {
        if (stop.wait(waitMs))
            return false;
        if (isConnected())
            return true;
    }
}

} // namespace tavrin
