// The update's download thread: fetches the installer until it has it, checks it, starts it, ends the
// program.
#pragma once

#include "base/stopevent.h"
#include "engine/updaterules.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace tavrin {

class Clock;
class InternetSession;

// What the download needs; the session and the clock outlive the thread.
struct UpdateJob {
    InternetSession *http = nullptr;
    const Clock *clock = nullptr;
    QString url; // the configuration's installer address
    QString sha256; // its hexadecimal SHA-256, "" when the configuration gives none
    std::function<void()> releaseLock; // lets the installer and the new program start (any thread)
};

// How the download thread ended.
enum class UpdateOutcome {
    Running, // not ended yet (or never started)
    Started, // the installer was started
    NotStarted, // checked and written, but it did not start
    WriteFailed, // no file could be made or written
    Refused, // refused: see refusal()
    Cancelled, // the user cancelled: nothing was written or started
};

// Lives on the GUI thread for the rest of the process, so the thread always has somewhere to post:
// the progress notifications go on to the dialog, and the end to the main window as ID_EXIT.
class UpdateDownload : public QObject {
    Q_OBJECT
public:
    UpdateDownload() = default;
    // Cancels and waits for the thread (the shell ends the process first while it still downloads).
    ~UpdateDownload() override;

    // Starts the thread once; false when it was started before or the job lacks its session or clock.
    bool start(UpdateJob job, QObject *progressTarget, QObject *mainWindow);
    // No installer starts from now on; a wait between attempts ends at once.
    void cancel();
    bool running() const { return m_running.load(); }
    UpdateOutcome outcome() const { return m_outcome.load(); }
    InstallerRefusal refusal() const { return m_refusal.load(); }

signals:
    // The thread has ended the update and asked the main window to exit.
    void finished();

protected:
    bool event(QEvent *event) override;

private:
    void run(const UpdateJob &job);
    UpdateOutcome install(const UpdateJob &job, const QByteArray &bytes);

    QPointer<QObject> m_progressTarget;
    QPointer<QObject> m_mainWindow;
    StopEvent m_wake;
    std::atomic<bool> m_cancelled { false };
    std::atomic<bool> m_running { false };
    std::atomic<UpdateOutcome> m_outcome { UpdateOutcome::Running };
    std::atomic<InstallerRefusal> m_refusal { InstallerRefusal::None };
    std::thread m_thread;
};

} // namespace tavrin
