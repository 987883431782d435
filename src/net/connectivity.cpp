// Connectivity test with its shared two-second cache.
#include "net/connectivity.h"

#include "base/clock.h"
#include "base/logging.h"
#include "base/stopevent.h"
#include "config/liveconfig.h"
#include "net/httpclient.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

#include <algorithm>

namespace tavrin {

bool SystemNetworkPresence::systemReportsConnection() const
{
    if (QNetworkInformation *info = QNetworkInformation::instance()) {
        const auto reachability = info->reachability();
        if (reachability == QNetworkInformation::Reachability::Disconnected)
            return false;
        if (reachability != QNetworkInformation::Reachability::Unknown)
            return true;
    }
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
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
    if (!m_presence.systemReportsConnection()) {
        qCDebug(lcNet) << "the system reports no network connection";
        return false;
    }
    const QString monitoringUrl = m_config.snapshot()->monitoring_url;
    const QByteArray answer = FetchText(m_session, monitoringUrl, true, nullptr);
    if (answer != "OK")
        qCDebug(lcNet) << "the monitoring address" << monitoringUrl << "did not answer OK";
    return answer == "OK";
}

bool ConnectionMonitor::isConnected()
{
    std::lock_guard lock(m_mutex);
    if (!m_initialised || m_clock.nowSeconds() > m_probeTime + 2) {
        m_connected = probe();
        m_probeTime = m_clock.nowSeconds();
        m_initialised = true;
    }
    return m_connected;
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
