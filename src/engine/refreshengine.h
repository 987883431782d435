// The refresh engine: the worker thread that keeps configuration, images and news up to date.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace tavrin {

class StopEvent;
struct CoreServices;

// Handed to the thread by the main window; the thread takes both values and frees the block at once.
struct RefreshStart {
    QObject *mainWindow = nullptr; // receives the posted messages
    StopEvent *stop = nullptr; // set by the main window at exit; outlives the thread
};

// The thread's entry: start-up phases, then the periodic loop until the stop event or Exiting.
// Posts WM_CONNECTION_LOST, WM_NEW_APP_VERSION, WM_CONTENT_READY and WM_NEWS_FOR_ALERTS to the main
// window. Always returns 0.
// The services outlive the thread.
int RefreshThreadMain(const CoreServices &services, std::unique_ptr<RefreshStart> start);

// One attempt to download, store and apply a new configuration. The document is stored byte for byte
// as downloaded, and the cached file is only ever replaced whole, after its path has been stored.
void UpdateConfiguration(const CoreServices &services);

// True when the remote configuration announces a newer version than ours; then its app_url has been
// copied into the live configuration. Nothing else of the remote document is applied.
bool CheckAppVersion(const CoreServices &services);

// Compares dotted versions piece by piece as decimal numbers while both have a piece; pieces that are no
// number read as 0; extra pieces on either side are never compared.
bool IsNewerVersion(const QString &remote, const QString &own);

// The periodic phase; returns when the stop event is signalled or the application state is Exiting.
void PeriodicLoop(const CoreServices &services, QObject *mainWindow, StopEvent &stop);

// Seconds of connected running after which the version is checked again.
constexpr int kVersionCheckSeconds = 1800;
// Pause between retries of the images and the initial news.
constexpr int kStartupRetryMs = 5000;
// Pause between connection tests while waiting for the connection at start.
constexpr int kConnectionWaitSeconds = 10;

} // namespace tavrin
