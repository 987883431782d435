// The update's download thread: fetches the installer until it has it, checks it, starts it, ends the
// program.
#include "update/updatedownload.h"

#include "base/appmessage.h"
#include "base/clock.h"
#include "base/logging.h"
#include "net/httpclient.h"
#include "update/installerfile.h"

#include <QCoreApplication>

namespace tavrin {

UpdateDownload::~UpdateDownload()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

bool UpdateDownload::start(UpdateJob job, QObject *progressTarget, QObject *mainWindow)
{
    if (m_thread.joinable() || !job.http || !job.clock)
        return false;
    m_progressTarget = progressTarget;
    m_mainWindow = mainWindow;
    m_running = true;
    m_thread = std::thread([this, job = std::move(job)] { run(job); });
    return true;
}

void UpdateDownload::cancel()
{
    m_cancelled = true;
    m_wake.set();
}

void UpdateDownload::run(const UpdateJob &job)
{
    UpdateOutcome outcome = UpdateOutcome::Refused;
    // Nothing is fetched from an address whose installer would be refused anyway.
    if (!TrustedInstallerAddress(job.url)) {
        m_refusal = InstallerRefusal::InsecureAddress;
        qCWarning(lcUi) << "installer refused:" << RefusalText(InstallerRefusal::InsecureAddress) << job.url;
    } else {
        QByteArray bytes;
        QString failure;
        // No limit on the attempts: the user leaves with Cancel, which ends the program.
        while (!m_cancelled
               && !FetchBytes(*job.http, job.url, bytes, false, this, kMaxInstallerBytes, &failure,
                              kInstallerDeadlineMs)) {
            qCInfo(lcUi) << "installer download failed, trying again:" << failure;
            m_wake.wait(WaitMs(*job.clock, kUpdateRetryMs));
        }
        outcome = m_cancelled ? UpdateOutcome::Cancelled : install(job, bytes);
    }
    m_outcome = outcome;
    // A cancelled update ends through the dialog's cancel; every other end goes to the main window here.
    if (outcome != UpdateOutcome::Cancelled)
        postMessage(this, ID_EXIT);
    m_running = false;
}

UpdateOutcome UpdateDownload::install(const UpdateJob &job, const QByteArray &bytes)
{
    InstallerFile file;
    if (!file.write(bytes))
        return UpdateOutcome::WriteFailed;
    const InstallerRefusal refusal = JudgeInstaller(job.url, job.sha256, Sha256Hex(bytes), file.sha256());
    if (refusal != InstallerRefusal::None || m_cancelled) {
        file.remove();
        m_refusal = refusal;
        if (refusal == InstallerRefusal::None)
            return UpdateOutcome::Cancelled;
        qCWarning(lcUi) << "installer refused:" << RefusalText(refusal) << job.url;
        return UpdateOutcome::Refused;
    }
    if (job.releaseLock)
        job.releaseLock();
    return file.start() ? UpdateOutcome::Started : UpdateOutcome::NotStarted;
}

bool UpdateDownload::event(QEvent *event)
{
    AppMessage *message = asAppMessage(event);
    if (!message)
        return QObject::event(event);
    if (message->number() == ID_EXIT) {
        postMessage(m_mainWindow, ID_EXIT);
        emit finished();
    } else if (m_progressTarget) {
        QCoreApplication::sendEvent(m_progressTarget, message);
    }
    return true;
}

} // namespace tavrin
