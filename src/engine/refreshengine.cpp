// The refresh engine's thread: start-up phases, configuration and version updates, the periodic cycle.
#include "engine/refreshengine.h"

#include "base/appmessage.h"
#include "base/appstate.h"
#include "base/fileutil.h"
#include "base/messages.h"
#include "settings/settings.h"
#include "base/stopevent.h"
#include "base/version.h"
#include "config/configloader.h"
#include "config/liveconfig.h"
#include "net/connectivity.h"
#include "net/httpclient.h"
#include "net/imagecache.h"
#include "news/newsstore.h"

#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <climits>

namespace tavrin {

namespace {

std::atomic<int> g_microsecondsPerSecond { 1000000 };

int scaledMs(qint64 milliseconds)
{
    const qint64 scaled = milliseconds * g_microsecondsPerSecond.load() / 1000000;
    // A positive wait never shrinks to zero, which would turn a loop that waits into one that spins.
    return int(std::clamp<qint64>(scaled, milliseconds > 0 ? 1 : 0, INT_MAX));
}

// True when the stop event was signalled during the wait.
bool waitMs(StopEvent &stop, qint64 milliseconds)
{
    return stop.wait(scaledMs(milliseconds));
}

bool waitOnePeriod(StopEvent &stop)
{
    // Read before every wait, so a new configuration sets the pace from the next wait on. Loaded
    // configurations have a positive period; an empty one must still not make the loop spin.
    return waitMs(stop, qint64(std::max(1, currentConfig()->alerts_reload)) * 1000);
}

// Testing the connection every few seconds until it is there (true) or the stop event is set (false).
bool waitForConnection(StopEvent &stop)
{
    if (IsConnected())
        return true;
    for (;;) {
        if (waitMs(stop, qint64(kConnectionWaitSeconds) * 1000))
            return false;
        if (IsConnected())
            return true;
    }
}

// The downloaded configuration document and its parsed form; false when either step failed.
bool fetchConfiguration(QByteArray &text, ClientConfig &config)
{
    text = FetchCompressedText(currentConfig()->url, false, nullptr);
    return !text.isEmpty() && LoadConfigurationText(text, config);
}

// Puts the downloaded bytes, unchanged, at path. The new file is written completely beside the old one
// before the path is stored, and only renamed over it afterwards: when the path cannot be stored, or
// anything else fails, the cached file is left exactly as it was.
bool storeConfigurationFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size() || !file.flush())
        return false; // the destructor removes the unfinished file
    const QString previousPath = GetConfigurationPath();
    if (!SetConfigurationPath(path))
        return false;
    if (!file.commit()) {
        // The stored path must not name a file that never came to be.
        if (previousPath != path)
            SetConfigurationPath(previousPath);
        return false;
    }
    return true;
}

} // namespace

void setRefreshMicrosecondsPerSecond(int microseconds)
{
    g_microsecondsPerSecond.store(microseconds > 0 ? microseconds : 1000000);
}

int refreshMicrosecondsPerSecond()
{
    return g_microsecondsPerSecond.load();
}

bool IsNewerVersion(const QString &remote, const QString &own)
{
    const QString dot = QStringLiteral(".");
    const QStringList remotePieces = SplitText(remote, dot);
    const QStringList ownPieces = SplitText(own, dot);
    const qsizetype common = std::min(remotePieces.size(), ownPieces.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int remoteNumber = ParseDecimal(remotePieces[i]);
        const int ownNumber = ParseDecimal(ownPieces[i]);
        if (remoteNumber != ownNumber)
            return remoteNumber > ownNumber;
    }
    return false;
}

void UpdateConfiguration()
{
    QByteArray text;
    ClientConfig fresh;
    if (!fetchConfiguration(text, fresh))
        return; // the configuration in use stays
    const QString folder = DataFolder();
    if (folder.isEmpty())
        return;
    if (!storeConfigurationFile(folder + QStringLiteral("clientconfig.xml"), text))
        return;
    liveConfig().replace(std::move(fresh));
}

bool CheckAppVersion()
{
    QByteArray text;
    ClientConfig remote;
    if (!fetchConfiguration(text, remote))
        return false;
    if (!IsNewerVersion(remote.app_version, OwnVersion()))
        return false;
    liveConfig().setAppUrl(remote.app_url);
    return true;
}

void PeriodicLoop(QObject *mainWindow, StopEvent &stop)
{
    int elapsed = 0;
    if (waitOnePeriod(stop))
        return;
    for (;;) {
        const AppState state = appState();
        if (state == AppState::Exiting)
            return;
        if (state != AppState::Offline) {
            if (!IsConnected()) {
                postMessage(mainWindow, WM_CONNECTION_LOST);
            } else {
                elapsed += currentConfig()->alerts_reload;
                if (elapsed >= kVersionCheckSeconds) {
                    elapsed = 0;
                    if (CheckAppVersion())
                        postMessage(mainWindow, WM_NEW_APP_VERSION);
                }
                if (UpdateNews(false)) {
                    // The main window takes its own copy when it handles the message.
                    if (!CopyPendingAlerts().isEmpty())
                        postMessage(mainWindow, WM_NEWS_FOR_ALERTS);
                } else if (!IsConnected()) {
                    postMessage(mainWindow, WM_CONNECTION_LOST);
                }
            }
        }
        if (waitOnePeriod(stop))
            return;
    }
}

int RefreshThreadMain(std::unique_ptr<RefreshStart> start)
{
    if (!start || !start->stop)
        return 0;
    QObject *const mainWindow = start->mainWindow;
    StopEvent &stop = *start->stop;
    start.reset();

    if (!IsConnected()) {
        postMessage(mainWindow, WM_CONNECTION_LOST);
        if (!waitForConnection(stop))
            return 0;
    }

    UpdateConfiguration();
    if (stop.wait(0))
        return 0;

    while (!CacheImages()) {
        if (waitMs(stop, kStartupRetryMs))
            return 0;
    }
    while (!UpdateNews(true)) {
        if (waitMs(stop, kStartupRetryMs))
            return 0;
    }

    if (CheckAppVersion())
        postMessage(mainWindow, WM_NEW_APP_VERSION);
    postMessage(mainWindow, WM_CONTENT_READY);

    PeriodicLoop(mainWindow, stop);
    return 0;
}

} // namespace tavrin
