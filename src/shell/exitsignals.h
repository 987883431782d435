// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so the program exits in order.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavrin {

// One per process. The handlers only write a byte to a socket pair; the notifier reads it on the GUI
// thread, where the orderly exit can run.
class ExitSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit ExitSignalWatcher(QObject *parent = nullptr);
    ~ExitSignalWatcher() override;
    bool installed() const { return m_notifier != nullptr; }

signals:
    void exitRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tavrin
