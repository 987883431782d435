// The application object: start-up checks around the event loop and the orderly end of the process.
#pragma once

#include "base/clock.h"
#include "config/liveconfig.h"
#include "config/texts.h"
#include "dialogs/dialogrunner.h"
#include "net/connectivity.h"
#include "shell/singleinstance.h"
#include "ui/browseropener.h"
#include "ui/messagebox.h"
#include "ui/services.h"

#include <QString>

#include <functional>
#include <memory>

class QApplication;

namespace tavrin {

class CTavrinDlg;
class DialogOpener;
class ExitSignalWatcher;
class ProxyPasswordPrompt;
class InternetSession;
class NewsStore;

class CTavrinApp {
public:
    // How InitInstance ended.
    enum class StartResult { Started, OtherCopyRuns, FatalError, EngineTooOld };

    // Names the application, registers the tavrin scheme and creates the Qt application, unless one exists
    // already (tests).
    CTavrinApp(int &argc, char **argv);
    // Gives the navigation sound back and ends the internet session.
    ~CTavrinApp();
    CTavrinApp(const CTavrinApp &) = delete;
    CTavrinApp &operator=(const CTavrinApp &) = delete;

    // The start-up steps in order; Started leaves the main window created and its workers running.
    StartResult InitInstance();
    // InitInstance, then the event loop until the main window ends it; the process's exit code.
    int run();

    // Full path of the running executable; "" when unknown.
    static QString ModulePath();
    InternetSession *internetSession() const { return m_session.get(); }
    // The services built by InitInstance; only valid after it started the program.
    const AppServices &services() const { return *m_services; }
    LiveConfig &liveConfig() { return m_config; }
    // Lets the installer and the new program start while this copy ends.
    void ReleaseSingleInstance();
    CTavrinDlg *mainWindow() const { return m_mainWindow.get(); }
    // The user's navigation sound kept to be given back at the end ("" when nothing is).
    QString savedNavigationSound() const { return m_savedSound; }

    // Test seams: the folder searched for the clientconfig.xml installed with the program (default:
    // the executable's folder), the engine version read (default: WebEngineVersion), and the
    // options of the main window.
    void setInstallFolder(const QString &folder) { m_installFolder = folder; }
    void setEngineVersionSource(std::function<QString()> source) { m_engineVersion = std::move(source); }
    void setConnectivityWatchInterval(int ms) { m_watchIntervalMs = ms; }
    // Who answers the message boxes (default: real boxes); the caller keeps it alive.
    void setMessageBoxes(MessageBoxes *boxes) { m_boxes = boxes; }
    // Who opens addresses in the reader's browser (default: the desktop); the caller keeps it alive.
    void setBrowserOpener(BrowserOpener *browser) { m_browser = browser; }
    // What says whether the system has a network (default: the system's word); the caller keeps it alive.
    void setNetworkPresence(const NetworkPresence *presence) { m_presence = presence; }
    // Who runs the dialogs (default: modally, for the user); the caller keeps it alive.
    void setDialogRunner(DialogRunner *runner) { m_runner = runner; }
    DialogOpener *dialogs() const { return m_dialogs.get(); }

private:
    void installExitTriggers();
    void showError(TextId text);

    std::unique_ptr<QApplication> m_ownApplication;
    SingleInstanceLock m_singleInstance;
    SystemClock m_clock;
    LiveConfig m_config;
    SystemNetworkPresence m_systemPresence;
    const NetworkPresence *m_presence = &m_systemPresence;
    MessageBoxes m_realBoxes;
    MessageBoxes *m_boxes = &m_realBoxes;
    BrowserOpener m_realBrowser;
    BrowserOpener *m_browser = &m_realBrowser;
    std::unique_ptr<NewsStore> m_news;
    std::unique_ptr<InternetSession> m_session;
    std::unique_ptr<ConnectionMonitor> m_connection;
    std::unique_ptr<AppServices> m_services;
    QString m_savedSound;
    bool m_soundTaken = false;
    DialogRunner m_realRunner;
    DialogRunner *m_runner = &m_realRunner;
    std::unique_ptr<DialogOpener> m_dialogs;
    std::unique_ptr<ProxyPasswordPrompt> m_proxyPrompt;
    std::unique_ptr<CTavrinDlg> m_mainWindow;
    std::unique_ptr<ExitSignalWatcher> m_exitSignals;
    QString m_installFolder;
    std::function<QString()> m_engineVersion;
    int m_watchIntervalMs = 10000;
};

} // namespace tavrin
