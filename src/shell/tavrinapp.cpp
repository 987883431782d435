// The application object: start-up checks around the event loop and the orderly end of the process.
#include "shell/tavrinapp.h"

#include "alerts/alertnotifications.h"
#include "alerts/alertsthread.h"
#include "base/files.h"
#include "base/logging.h"
#include "base/paths.h"
#include "browser/engineprocesses.h"
#include "browser/schemes.h"
#include "config/configloader.h"
#include "config/texts.h"
#include "dialogs/dialogopener.h"
#include "dialogs/proxypassworddlg.h"
#include "mainwnd/appicon.h"
#include "mainwnd/tavrindlg.h"
#include "net/httpclient.h"
#include "news/newsstore.h"
#include "settings/settings.h"
#include "settings/settingsdebris.h"
#include "shell/engineversion.h"
#include "shell/exitsignals.h"
#include "shell/navigationsound.h"
#include "shell/qttranslation.h"
#include "tray/trayicon.h"
#include "update/updatingappdlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <exception>
#include <unistd.h>

namespace tavrin {

namespace {

// The web engine reports its start-up at info level; that stays quiet unless the user asks for it.
void quietWebEngineStartup()
{
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

} // namespace

void CTavrinApp::showError(TextId text)
{
    MessageBoxRequest request;
    request.icon = QMessageBox::Critical;
    request.text = GetText(*m_config.snapshot(), text);
    request.buttons = QMessageBox::Ok;
    m_boxes->ask(nullptr, request);
}

CTavrinApp::CTavrinApp(int &argc, char **argv)
{
    SetApplicationIdentity();
    quietWebEngineStartup();
    if (!QCoreApplication::instance()) {
        // Alerts slide out beside the taskbar only where the program may place its own windows.
        const QByteArray platform = PreferredPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"),
                                                      qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
        if (!platform.isEmpty())
            qputenv("QT_QPA_PLATFORM", platform);
        registerLinkSchemes();
        ConfigureWebEngineProcesses();
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        m_ownApplication = std::make_unique<QApplication>(argc, argv);
        InstallQtSpanishTranslation();
    }
    // The window lives in the notification area: hiding it must not end the program.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

CTavrinApp::~CTavrinApp()
{
    m_alerts.reset();
    m_mainWindow.reset();
    m_update.reset();
    if (m_session)
        m_session->setCredentialsProvider(nullptr);
    m_proxyPrompt.reset();
    m_dialogs.reset();
    m_exitSignals.reset();
    if (m_soundTaken)
        RestoreNavigationSound(m_savedSound);
    m_services.reset();
    m_connection.reset();
    m_session.reset();
}

QString CTavrinApp::ModulePath()
{
    const QString path = QCoreApplication::applicationFilePath();
    return QFileInfo(path).isFile() ? path : QString();
}

void CTavrinApp::ReleaseSingleInstance()
{
    m_singleInstance.release();
}

CTavrinApp::StartResult CTavrinApp::InitInstance()
{
    // Another copy runs: end without a word and without touching the other copy's state. A lock that
    // cannot be taken at all is said, not run past: two copies would share one store and one folder.
    const QString lockPath = SingleInstanceLockPath();
    switch (m_singleInstance.acquire(lockPath)) {
    case SingleInstanceLock::Result::Acquired:
        break;
    case SingleInstanceLock::Result::HeldElsewhere:
        return StartResult::OtherCopyRuns;
    case SingleInstanceLock::Result::Unavailable:
        qCWarning(lcShell) << "the single-instance lock cannot be taken:" << lockPath;
        showError(TextId::FatalError);
        return StartResult::FatalError;
    }
    // Taken over only now, so a second copy that ends at once never gives the sound back under the first.
    m_savedSound = TakeOverNavigationSound();
    m_soundTaken = true;

    DeleteTempFiles();
    SweepSettingsDebris();

    try {
        m_session = std::make_unique<InternetSession>();
    } catch (const std::exception &) {
        m_session.reset();
    } catch (...) {
        m_session.reset();
    }
    if (!m_session) {
        showError(TextId::FatalError);
        return StartResult::FatalError;
    }
    LoadNetworkInformation();
    m_news = std::make_unique<NewsStore>(m_clock);
    m_connection = std::make_unique<ConnectionMonitor>(*m_session, m_config, m_clock, *m_presence);
    m_services = std::make_unique<AppServices>(AppServices {
        CoreServices { m_clock, m_config, *m_news, *m_session, *m_connection }, *m_boxes, *m_browser });
    // Feeds the user removed are gone for good once the program starts again.
    PurgeMarkedOtherMedia();

    ClientConfig loaded;
    QString reason;
    bool configured = LoadConfigurationFile(GetConfigurationPath(), loaded, &reason);
    if (!configured)
        qCInfo(lcShell) << "stored configuration not used:" << reason;
    if (!configured) {
        QString folder = m_installFolder;
        if (folder.isEmpty())
            folder = DirectoryOf(ModulePath());
        else if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        configured = LoadConfigurationFile(folder + QStringLiteral("clientconfig.xml"), loaded, &reason);
    }
    if (!configured) {
        qCWarning(lcShell) << "no usable configuration:" << reason;
        showError(TextId::FatalError);
        return StartResult::FatalError;
    }
    m_config.replace(std::move(loaded));

    const QString engineVersion = m_engineVersion ? m_engineVersion() : WebEngineVersion();
    if (!EngineVersionAccepted(engineVersion)) {
        showError(TextId::WebEngineTooOld);
        return StartResult::EngineTooOld;
    }

    CTavrinDlg::Options options;
    options.watchIntervalMs = m_watchIntervalMs;
    // The icon shows before the window's panes start the web engine, which takes most of the start-up.
    const auto cfg = m_config.snapshot();
    auto tray = std::make_unique<TrayIcon>(LoadAppIcon(*cfg, IconId::TaskbarDisabled),
                                           GetText(*cfg, TextId::TooltipInitializing),
                                           [] { return QSystemTrayIcon::isSystemTrayAvailable(); });
    QCoreApplication::processEvents();
    m_mainWindow = std::make_unique<CTavrinDlg>(*m_services, options);
    m_mainWindow->adoptTrayIcon(std::move(tray));
    // The dialogs: preferences and about box for the main window, the proxy password for every download.
    const DialogServices dialogServices { *m_services, *m_runner };
    m_dialogs = std::make_unique<DialogOpener>(dialogServices);
    m_proxyPrompt = std::make_unique<ProxyPasswordPrompt>(*m_runner);
    m_session->setCredentialsProvider(m_proxyPrompt.get());
    m_mainWindow->setPreferencesHandler(
        [this](CTavrinDlg *window) { return m_dialogs->preferences(window); });
    m_mainWindow->setAboutHandler([this](CTavrinDlg *window) { m_dialogs->about(window); });
    CTavrinDlg *window = m_mainWindow.get();
    m_alerts
        = std::make_unique<CAlertsThread>(*m_services, [window](const QString &title, const QString &text) {
              if (TrayIcon *tray = window->trayIcon())
                  tray->ShowBalloon(title, text, BalloonIcon::Information);
          });
    m_alerts->InitInstance();
    m_mainWindow->setAlertsTarget(m_alerts.get());
    m_mainWindow->OnInitDialog();
    m_update = std::make_unique<UpdateDownload>();
    m_mainWindow->setUpdateRunner([this](CTavrinDlg *window) {
        const std::shared_ptr<const ClientConfig> config = m_config.snapshot();
        return RunUpdate(*m_update,
                         UpdateJob { m_session.get(), &m_clock, config->app_url, config->app_sha256,
                                     [this] { ReleaseSingleInstance(); } },
                         window);
    });
    installExitTriggers();
    return StartResult::Started;
}

void CTavrinApp::installExitTriggers()
{
    CTavrinDlg *window = m_mainWindow.get();
    // The desktop session ends, or something else ends the loop: exit in order all the same.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                     [window] { window->OnCommand(ID_EXIT); });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [window] { window->OnCommand(ID_EXIT); });
    m_exitSignals = std::make_unique<ExitSignalWatcher>();
    QObject::connect(m_exitSignals.get(), &ExitSignalWatcher::exitRequested, window,
                     [window] { window->OnCommand(ID_EXIT); });
}

int CTavrinApp::run()
{
    switch (InitInstance()) {
    case StartResult::Started:
        break;
    case StartResult::OtherCopyRuns:
        return 0;
    case StartResult::FatalError:
    case StartResult::EngineTooOld:
        return 1;
    }
    const int code = QCoreApplication::exec();
    if (!m_mainWindow->threadsEnded() || m_update->running()) {
        // A worker is still inside a download (the update's too, after a cancel): settings, rectangle and
        // temporary folder are in order, so end here rather than tear the session down under it.
        if (m_soundTaken)
            RestoreNavigationSound(m_savedSound);
        std::fflush(nullptr);
        ::_exit(code);
    }
    return code;
}

} // namespace tavrin
