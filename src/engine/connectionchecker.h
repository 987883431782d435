// The connectivity thread: tests the connection on request and watches for its return.
#pragma once

#include <QObject>

#include <atomic>

namespace tavrin {

class ConnectionMonitor;

// A QObject in its own QThread that answers WM_CHECK_CONNECTION, WM_WATCH_CONNECTION and
// WM_STOP_CHECKER, and posts WM_CONNECTION_LOST / WM_CONNECTION_RESTORED to the main window.
class ConnectionCheckerThread : public QObject {
public:
    static constexpr int kWatchIntervalMs = 10000;

    // Creates the object, moves it to a new running thread and returns it. After WM_STOP_CHECKER
    // the thread ends and deletes the object and itself, so keep thread() before posting it if
    // you want to wait for the end. The monitor outlives the thread.
    static ConnectionCheckerThread *start(ConnectionMonitor &monitor, QObject *mainWindow,
                                          int watchIntervalMs = kWatchIntervalMs);

    // Reconnection timers now running.
    int runningTimers() const { return m_runningTimers.load(); }

protected:
    bool event(QEvent *event) override;

private:
    ConnectionCheckerThread(ConnectionMonitor &monitor, QObject *mainWindow, int watchIntervalMs);
    void checkConnection();
    void watchConnection();
    void stopChecker();

    ConnectionMonitor &m_monitor;
    QObject *m_mainWindow;
    int m_watchIntervalMs;
    std::atomic<int> m_runningTimers { 0 };
};

} // namespace tavrin
