// Whether the program is online: the system's word plus the publisher's monitoring document, cached.
#pragma once

#include <QObject>

#include <atomic>

namespace tavrin {

class StopEvent;

// Whether the system reports a network connection; tests and ports install their own.
class NetworkPresence {
public:
    virtual ~NetworkPresence() = default;
    virtual bool systemReportsConnection() const = 0;
};

// The presence in use: QNetworkInformation's reachability when its backend was loaded (see
// LoadNetworkInformation), else "an interface other than loopback is up and running".
const NetworkPresence &networkPresence();
// Installs a presence; null restores the default. The caller keeps ownership.
void setNetworkPresence(const NetworkPresence *presence);
// Loads the reachability backend where one exists; call once on the main thread at start-up.
void LoadNetworkInformation();

// Uncached test: the system reports a connection and the live configuration's monitoring_url,
// fetched with reload, answers exactly "OK".
bool ProbeConnection();
// The probe's result shared by every thread, probed again when more than 2 seconds old.
bool IsConnected();
// True at once when connected; else tests again every seconds until connected (true) or until
// stop is signalled (false).
bool WaitForConnection(StopEvent &stop, int seconds);
// Forgets the shared result, so the next IsConnected probes.
void ResetConnectionCache();

// The connectivity thread: a QObject in its own QThread that answers WM_CHECK_CONNECTION,
// WM_WATCH_CONNECTION and WM_STOP_CHECKER, and posts WM_CONNECTION_LOST / WM_CONNECTION_RESTORED
// to the main window.
class ConnectionCheckerThread : public QObject {
public:
    static constexpr int kWatchIntervalMs = 10000;

    // Creates the object, moves it to a new running thread and returns it. After WM_STOP_CHECKER
    // the thread ends and deletes the object and itself, so keep thread() before posting it if
    // you want to wait for the end.
    static ConnectionCheckerThread *start(QObject *mainWindow, int watchIntervalMs = kWatchIntervalMs);

    // Reconnection timers now running.
    int runningTimers() const { return m_runningTimers.load(); }

protected:
    bool event(QEvent *event) override;

private:
    ConnectionCheckerThread(QObject *mainWindow, int watchIntervalMs);
    void checkConnection();
    void watchConnection();
    void stopChecker();

    QObject *m_mainWindow;
    int m_watchIntervalMs;
    std::atomic<int> m_runningTimers { 0 };
};

} // namespace tavrin
