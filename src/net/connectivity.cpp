// Connectivity test with its shared two-second cache, and the thread that watches for reconnection.
#include "net/connectivity.h"

#include "base/appmessage.h"
#include "base/appstate.h"
#include "base/clock.h"
#include "base/messages.h"
#include "base/stopevent.h"
#include "config/liveconfig.h"
#include "net/httpclient.h"

#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <mutex>

namespace tavrin {

namespace {

class DefaultPresence : public NetworkPresence {
public:
    bool systemReportsConnection() const override
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
};

const DefaultPresence g_defaultPresence;
std::atomic<const NetworkPresence *> g_presence { nullptr };

// The shared result. The mutex is held through a probe, so callers arriving meanwhile take its
// result instead of probing the monitoring address once more each.
struct ConnectionCache {
    std::mutex mutex;
    bool initialised = false;
    bool connected = false;
    std::int64_t probeTime = 0;
};

ConnectionCache &connectionCache()
{
    static ConnectionCache cache;
    return cache;
}

} // namespace

const NetworkPresence &networkPresence()
{
    const NetworkPresence *presence = g_presence.load();
    return presence ? *presence : g_defaultPresence;
}

void setNetworkPresence(const NetworkPresence *presence)
{
    g_presence.store(presence);
}

void LoadNetworkInformation()
{
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
}

bool ProbeConnection()
{
    if (!networkPresence().systemReportsConnection())
        return false;
    const QString monitoringUrl = currentConfig()->monitoring_url;
    return FetchText(monitoringUrl, true, nullptr) == "OK";
}

bool IsConnected()
{
    ConnectionCache &cache = connectionCache();
    std::lock_guard lock(cache.mutex);
    if (!cache.initialised || clock().nowSeconds() > cache.probeTime + 2) {
        cache.connected = ProbeConnection();
        cache.probeTime = clock().nowSeconds();
        cache.initialised = true;
    }
    return cache.connected;
}

void ResetConnectionCache()
{
    ConnectionCache &cache = connectionCache();
    std::lock_guard lock(cache.mutex);
    cache.initialised = false;
}

bool WaitForConnection(StopEvent &stop, int seconds)
{
    if (IsConnected())
        return true;
    // A zero or negative period would turn the wait into a busy loop.
    const int waitMs = std::max(seconds, 1) * 1000;
    for (;;) {
        if (stop.wait(waitMs))
            return false;
        if (IsConnected())
            return true;
    }
}

ConnectionCheckerThread::ConnectionCheckerThread(QObject *mainWindow, int watchIntervalMs)
    : m_mainWindow(mainWindow)
    , m_watchIntervalMs(watchIntervalMs)
{
}

ConnectionCheckerThread *ConnectionCheckerThread::start(QObject *mainWindow, int watchIntervalMs)
{
    auto *thread = new QThread;
    thread->setObjectName(QStringLiteral("ConnectionCheckerThread"));
    auto *checker = new ConnectionCheckerThread(mainWindow, watchIntervalMs);
    checker->moveToThread(thread);
    QObject::connect(thread, &QThread::finished, checker, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return checker;
}

bool ConnectionCheckerThread::event(QEvent *event)
{
    AppMessage *message = asAppMessage(event);
    if (!message)
        return QObject::event(event);
    switch (message->number()) {
    case WM_CHECK_CONNECTION:
        checkConnection();
        return true;
    case WM_WATCH_CONNECTION:
        watchConnection();
        return true;
    case WM_STOP_CHECKER:
        stopChecker();
        return true;
    default:
        return QObject::event(event);
    }
}

void ConnectionCheckerThread::checkConnection()
{
    if (appState() != AppState::Offline && !IsConnected())
        postMessage(m_mainWindow, WM_CONNECTION_LOST);
}

void ConnectionCheckerThread::watchConnection()
{
    // Every request starts its own timer; each one stops itself after its first successful poll.
    auto *timer = new QTimer(this);
    timer->setInterval(m_watchIntervalMs);
    ++m_runningTimers;
    connect(timer, &QTimer::timeout, this, [this, timer] {
        if (!IsConnected())
            return;
        postMessage(m_mainWindow, WM_CONNECTION_RESTORED);
        timer->stop();
        timer->deleteLater();
        --m_runningTimers;
    });
    timer->start();
}

void ConnectionCheckerThread::stopChecker()
{
    thread()->quit();
}

} // namespace tavrin
