// The connectivity thread: answers connection checks and watches for the connection's return.
#include "engine/connectionchecker.h"

#include "base/appmessage.h"
#include "base/appstate.h"
#include "net/connectivity.h"

#include <QThread>
#include <QTimer>

namespace tavrin {

ConnectionCheckerThread::ConnectionCheckerThread(ConnectionMonitor &monitor, QObject *mainWindow,
                                                 int watchIntervalMs)
    : m_monitor(monitor)
    , m_mainWindow(mainWindow)
    , m_watchIntervalMs(watchIntervalMs)
{
}

ConnectionCheckerThread *ConnectionCheckerThread::start(ConnectionMonitor &monitor, QObject *mainWindow,
                                                        int watchIntervalMs)
{
    auto *thread = new QThread;
    thread->setObjectName(QStringLiteral("ConnectionCheckerThread"));
    auto *checker = new ConnectionCheckerThread(monitor, mainWindow, watchIntervalMs);
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
    if (appState() != AppState::Offline && !m_monitor.isConnected())
        postMessage(m_mainWindow, WM_CONNECTION_LOST);
}

void ConnectionCheckerThread::watchConnection()
{
    // Every request starts its own timer; each one stops itself after its first successful poll.
    auto *timer = new QTimer(this);
    timer->setInterval(m_watchIntervalMs);
    ++m_runningTimers;
    connect(timer, &QTimer::timeout, this, [this, timer] {
        if (!m_monitor.isConnected())
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
