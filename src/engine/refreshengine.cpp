// The refresh engine's thread: start-up phases, configuration and version updates, the periodic cycle.
#include "engine/refreshengine.h"

#include "base/appmessage.h"
#include "base/appstate.h"
#include "base/clock.h"
#include "base/files.h"
#include "base/logging.h"
#include "base/paths.h"
#include "base/stopevent.h"
#include "base/text.h"
#include "base/version.h"
#include "config/configloader.h"
#include "config/liveconfig.h"
#include "engine/newsupdate.h"
#include "engine/services.h"
#include "net/connectivity.h"
#include "net/httpclient.h"
#include "net/imagecache.h"
#include "news/newsstore.h"
#include "settings/settings.h"

#include <algorithm>

namespace tavrin {

namespace {

// True when the stop event was signalled during the wait.
bool waitMs(const CoreServices &services, StopEvent &stop, qint64 milliseconds)
{
    return stop.wait(WaitMs(services.clock, milliseconds));
}

bool waitOnePeriod(const CoreServices &services, StopEvent &stop)
{
    // Read before every wait, so a new configuration sets the pace from the next wait on. Loaded
    // configurations have a positive period; an empty one must still not make the loop spin.
    return waitMs(services, stop, qint64(std::max(1, services.config.snapshot()->alerts_reload)) * 1000);
}

// The downloaded configuration document and its parsed form; false when either step failed.
bool fetchConfiguration(const CoreServices &services, QByteArray &text, ClientConfig &config)
{
    const QString url = services.config.snapshot()->url;
    text = FetchCompressedText(services.http, url, false, nullptr);
    if (text.isEmpty())
        return false;
    QString reason;
    if (!LoadConfigurationText(text, config, &reason)) {
        qCWarning(lcEngine) << "the configuration downloaded from" << url << "was rejected:" << reason;
        return false;
    }
    return true;
}

// Puts the downloaded bytes, unchanged, at path. The new file is written completely beside the old one
// before the path is stored, and only renamed over it afterwards: when the path cannot be stored, or
// anything else fails, the cached file is left exactly as it was.
bool storeConfigurationFile(const QString &path, const QByteArray &bytes)
{
    StagedFile file(path);
    if (!file.write(bytes))
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

void UpdateConfiguration(const CoreServices &services)
{
    QByteArray text;
    ClientConfig fresh;
    if (!fetchConfiguration(services, text, fresh))
        return; // the configuration in use stays
    const QString folder = DataFolder();
    if (folder.isEmpty())
        return;
    if (!storeConfigurationFile(folder + QStringLiteral("clientconfig.xml"), text))
        return;
    services.config.replace(std::move(fresh));
}

bool CheckAppVersion(const CoreServices &services)
{
    QByteArray text;
    ClientConfig remote;
    if (!fetchConfiguration(services, text, remote))
        return false;
    if (!IsNewerVersion(remote.app_version, OwnVersion()))
        return false;
    services.config.setAppUrl(remote.app_url, remote.app_sha256);
    return true;
}

void PeriodicLoop(const CoreServices &services, QObject *mainWindow, StopEvent &stop)
{
    int elapsed = 0;
    if (waitOnePeriod(services, stop))
        return;
    for (;;) {
        const AppState state = appState();
        if (state == AppState::Exiting)
            return;
        if (state != AppState::Offline) {
            if (!services.connection.isConnected()) {
                postMessage(mainWindow, WM_CONNECTION_LOST);
            } else {
                const std::shared_ptr<const ClientConfig> config = services.config.snapshot();
                elapsed += config->alerts_reload;
                if (elapsed >= kVersionCheckSeconds) {
                    elapsed = 0;
                    if (CheckAppVersion(services))
                        postMessage(mainWindow, WM_NEW_APP_VERSION);
                }
                if (UpdateNews(services, *config, false)) {
                    // The main window takes its own copy when it handles the message.
                    if (!services.news.copyPendingAlerts().isEmpty())
                        postMessage(mainWindow, WM_NEWS_FOR_ALERTS);
                } else if (!services.connection.isConnected()) {
                    postMessage(mainWindow, WM_CONNECTION_LOST);
                }
            }
        }
        if (waitOnePeriod(services, stop))
            return;
    }
}

int RefreshThreadMain(const CoreServices &services, std::unique_ptr<RefreshStart> start)
{
    if (!start || !start->stop)
        return 0;
    QObject *const mainWindow = start->mainWindow;
    StopEvent &stop = *start->stop;
    start.reset();

    if (!services.connection.isConnected()) {
        postMessage(mainWindow, WM_CONNECTION_LOST);
        if (!services.connection.waitForConnection(stop, kConnectionWaitSeconds))
            return 0;
    }

    UpdateConfiguration(services);
    if (stop.wait(0))
        return 0;

    while (!CacheImages(services.http, *services.config.snapshot())) {
        if (waitMs(services, stop, kStartupRetryMs))
            return 0;
    }
    while (!UpdateNews(services, *services.config.snapshot(), true)) {
        if (waitMs(services, stop, kStartupRetryMs))
            return 0;
    }

    if (CheckAppVersion(services))
        postMessage(mainWindow, WM_NEW_APP_VERSION);
    postMessage(mainWindow, WM_CONTENT_READY);

    PeriodicLoop(services, mainWindow, stop);
    return 0;
}

} // namespace tavrin
