// The main window's life: construction, the messages of the worker threads, the timers and the exit.
#include "mainwnd/tavrindlg.h"

#include "base/appmessage.h"
#include "base/files.h"
#include "base/version.h"
#include "browser/proxyauth.h"
#include "config/liveconfig.h"
#include "config/texts.h"
#include "engine/connectionchecker.h"
#include "engine/refreshengine.h"
#include "mainwnd/appicon.h"
#include "mainwnd/mainwndstate.h"
#include "mainwnd/panelayout.h"
#include "news/newsstore.h"
#include "settings/settings.h"
#include "tray/windowanimation.h"
#include "ui/messagebox.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QKeyEvent>
#include <QThread>

namespace tavrin {

CTavrinDlg::CTavrinDlg(const AppServices &services, QWidget *parent)
    : CTavrinDlg(services, Options(), parent)
{
}

CTavrinDlg::CTavrinDlg(const AppServices &services, const Options &options, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_services(services)
{
    construct(options);
}

void CTavrinDlg::construct(const Options &options)
{
    // A new window starts a new run of the state machine.
    setAppState(AppState::Starting);
    setStateBeforeOffline(AppState::Starting);
    setMouseTracking(true);
    m_trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    m_quit = [] { QCoreApplication::exit(0); };

    m_sections = createPane(QStringLiteral("sections"), { true, true });
    m_urgent = createPane(QStringLiteral("urgent"), { false, true });
    m_news = createPane(QStringLiteral("news"), { false, false });
    m_loading = createPane(QStringLiteral("loading"), { true, true });
    m_ads = createPane(QStringLiteral("ads"), { true, true });

    m_currentSection = 0;

    m_checker = ConnectionCheckerThread::start(m_services.core.connection, this, options.watchIntervalMs);
    m_checkerThread = m_checker->thread();
    m_checkerEnded = false;

    m_firstLoadDone = false;
    reloadIcons();

    m_urgentTimer = new QTimer(this);
    m_urgentTimer->setObjectName(QStringLiteral("TIMER_URGENT_RELOAD"));
    connect(m_urgentTimer, &QTimer::timeout, this, &CTavrinDlg::OnUrgentTimer);
    m_newsTimer = new QTimer(this);
    m_newsTimer->setObjectName(QStringLiteral("TIMER_NEWS_RELOAD"));
    connect(m_newsTimer, &QTimer::timeout, this, &CTavrinDlg::OnNewsTimer);

    const auto cfg = config();
    const QSize design(std::max(1, cfg->main_width), std::max(1, cfg->main_height));
    setMinimumSize(design);
    resize(design);
    const int b = FrameWidth(cfg->main_borders);
    for (CWebBrowser2 *pane : panes())
        pane->setGeometry(b, b, std::max(1, design.width() - 2 * b), 1);
}

CTavrinDlg::~CTavrinDlg()
{
    if (!m_exited) {
        setAppState(AppState::Exiting);
        m_stopEvent.set();
        postMessage(m_checker, WM_STOP_CHECKER);
    }
    // The workers post to this window: it may not go while one of them still runs.
    if (m_engineThread) {
        m_engineThread->wait();
        delete m_engineThread;
    }
    if (m_checkerThread)
        m_checkerThread->wait();
}

CWebBrowser2 *CTavrinDlg::createPane(const QString &name, PaneFlags flags)
{
    auto *pane = new CWebBrowser2(name, flags, this);
    AnswerProxyAuthentication(pane->page(), m_services.core.http);
    pane->setNavigationFilter([this](CWebBrowser2 *source, const NavigationRequest &request) {
        return BeforeNavigate2(source, request);
    });
    connect(pane, &CWebBrowser2::DocumentComplete, this,
            [this](CWebBrowser2 *source, const QUrl &) { OnDocumentComplete(source); });
    connect(pane, &CWebBrowser2::NavigateError, this,
            [this](CWebBrowser2 *source, const QUrl &, int) { OnNavigateError(source); });
    connect(pane, &CWebBrowser2::measurementChanged, this, [this](CWebBrowser2 *) { LayoutPanes(); });
    watchPaneInput(pane);
    return pane;
}

bool CTavrinDlg::OnInitDialog()
{
    setWindowTitle(AppName());
    if (!m_tray)
        m_tray = std::make_unique<TrayIcon>(m_trayDisabledIcon,
                                            GetText(*config(), TextId::TooltipInitializing), m_trayAvailable);
    connect(m_tray.get(), &TrayIcon::activated, this, &CTavrinDlg::OnTrayNotify);
    auto *start = new RefreshStart { this, &m_stopEvent };
    m_engineThread = QThread::create([services = m_services.core, start] {
        RefreshThreadMain(services, std::unique_ptr<RefreshStart>(start));
    });
    m_engineThread->setObjectName(QStringLiteral("RefreshThreadMain"));
    m_engineEnded = false;
    m_engineThread->start();
    return true;
}

std::shared_ptr<const ClientConfig> CTavrinDlg::config() const
{
    return m_services.core.config.snapshot();
}

void CTavrinDlg::setState(AppState state)
{
    if (appState() == state)
        return;
    setAppState(state);
    emit stateChanged(state);
}

CWebBrowser2 *CTavrinDlg::FindPane(const QWebEnginePage *page) const
{
    for (CWebBrowser2 *pane : panes()) {
        if (pane->GetApplication() == page)
            return pane;
    }
    return nullptr;
}

bool CTavrinDlg::threadsEnded() const
{
    return m_exited && m_engineEnded && m_checkerEnded;
}

void CTavrinDlg::reloadIcons()
{
    const auto cfg = config();
    m_windowIcon = LoadAppIcon(*cfg, IconId::App);
    m_trayIcon = LoadAppIcon(*cfg, IconId::Taskbar);
    m_trayDisabledIcon = LoadAppIcon(*cfg, IconId::TaskbarDisabled);
}

bool CTavrinDlg::event(QEvent *event)
{
    AppMessage *message = asAppMessage(event);
    if (!message)
        return QWidget::event(event);
    switch (message->number()) {
    case WM_CONTENT_READY:
        OnContentReady();
        break;
    case WM_CONNECTION_LOST:
        OnConnectionLost();
        break;
    case WM_CONNECTION_RESTORED:
        OnConnectionRestored();
        break;
    case WM_NEWS_FOR_ALERTS:
        OnNewsForAlerts();
        break;
    case WM_NEW_APP_VERSION:
        OnNewAppVersion();
        break;
    case ID_ABOUT:
    case ID_SHOW_HIDE:
    case ID_PREFERENCES:
    case ID_EXIT:
        OnCommand(message->number());
        break;
    default:
        return QWidget::event(event);
    }
    return true;
}

void CTavrinDlg::OnContentReady()
{
    if (exiting())
        return;
    setState(AppState::FirstLoad);
    PlaceMainWindow();
    ShowUrgentPage();
    ShowNewsPage(false);
    ShowSectionsPage();
    ShowAdsPage();
    ShowLoadingPage();
}

void CTavrinDlg::OnDocumentComplete(CWebBrowser2 *pane)
{
    if (exiting() || !FindPane(pane->GetApplication()))
        return;
    const AppState state = appState();
    const bool fiveComplete
        = AllPanesComplete({ m_sections->GetReadyState(), m_urgent->GetReadyState(), m_news->GetReadyState(),
                             m_loading->GetReadyState(), m_ads->GetReadyState() });
    // A refresh that ends before the first load ever completed (the connection came back during the
    // first load) completes the first load, or the window would never show and the timers never run.
    if (state == AppState::FirstLoad || (state == AppState::Refreshing && !m_firstLoadDone)) {
        if (!fiveComplete)
            return;
        setState(AppState::Running);
        m_firstLoadDone = true;
        reloadIcons();
        setWindowIcon(m_windowIcon);
        LayoutPanes();
        const auto cfg = config();
        m_urgentTimer->start(ReloadPeriodMs(cfg->urgent_reload));
        m_newsTimer->start(ReloadPeriodMs(cfg->news_reload));
        if (m_tray) {
            m_tray->SetTooltip(GetText(*cfg, TextId::TooltipRunning));
            m_tray->SetIcon(m_trayIcon);
        }
        ShowMainWindow();
        return;
    }
    if (state == AppState::Refreshing) {
        if (!AllPanesComplete({ m_sections->GetReadyState(), m_urgent->GetReadyState(),
                                m_news->GetReadyState(), m_ads->GetReadyState() }))
            return;
        setState(AppState::Running);
        LayoutPanes();
    }
}

void CTavrinDlg::OnNavigateError(CWebBrowser2 *pane)
{
    if (exiting() || !FindPane(pane->GetApplication()))
        return;
    pane->Navigate(QStringLiteral("about:blank"));
    postMessage(this, WM_CONNECTION_LOST);
}

void CTavrinDlg::OnConnectionLost()
{
    if (!TakesConnectionLost(appState()))
        return;
    setStateBeforeOffline(appState());
    postMessage(m_checker, WM_WATCH_CONNECTION);
    setState(AppState::Offline);
    HideMainWindow();
    if (m_tray) {
        const auto cfg = config();
        m_tray->ShowBalloonById(*cfg, TextId::BalloonTitleNoConnection, TextId::BalloonTextNoConnection,
                                BalloonIcon::Warning);
        m_tray->SetTooltip(GetText(*cfg, TextId::TooltipNoConnection));
        m_tray->SetIcon(m_trayDisabledIcon);
    }
}

void CTavrinDlg::OnConnectionRestored()
{
    // Only a window that is offline has a kept state to go back to; a late or repeated report
    // would otherwise put back a state that no longer holds.
    if (appState() != AppState::Offline)
        return;
    const RestoreStep step = StateAfterRestore(stateBeforeOffline());
    setState(stateBeforeOffline());
    if (!step.rebuild) {
        if (m_tray && step.state == AppState::Starting)
            m_tray->SetTooltip(GetText(*config(), TextId::TooltipInitializing));
        return;
    }
    setState(step.state);
    if (!m_firstLoadDone)
        ShowLoadingPage();
    RefreshAll();
    ShowUrgentPage();
    if (m_tray) {
        m_tray->SetTooltip(GetText(*config(), TextId::TooltipRunning));
        m_tray->SetIcon(m_trayIcon);
    }
}

void CTavrinDlg::OnNewsForAlerts()
{
    if (!ShowsPages(appState()))
        return;
    postMessage(m_alertsTarget, WM_ALERTS_ADD, 0, 0, makePayload(m_services.core.news.copyPendingAlerts()));
}

void CTavrinDlg::OnNewAppVersion()
{
    if (!AsksNewVersion(appState(), m_questionOpen))
        return;
    if (ShowsPages(appState()))
        ShowMainWindow();
    m_questionOpen = true;
    MessageBoxRequest question;
    question.icon = QMessageBox::Information;
    question.text = GetText(*config(), TextId::NewAppVersion);
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    const QMessageBox::StandardButton answer = m_services.boxes.ask(this, question);
    m_questionOpen = false;
    // The user may have ended the program while the question was open.
    if (answer != QMessageBox::Yes || exiting() || !m_updateRunner)
        return;
    setState(AppState::Updating);
    if (m_updateRunner(this) == QDialog::Rejected)
        postMessage(this, ID_EXIT);
}

void CTavrinDlg::OnUrgentTimer()
{
    if (!ShowsPages(appState()))
        return;
    setState(AppState::Refreshing);
    LayoutPanes();
    ShowUrgentPage();
}

void CTavrinDlg::OnNewsTimer()
{
    if (!ShowsPages(appState()))
        return;
    setState(AppState::Refreshing);
    LayoutPanes();
    ShowNewsPage(true);
    ShowAdsPage();
}

void CTavrinDlg::OnCommand(MessageId id)
{
    if (id == ID_EXIT) {
        OnExit();
        return;
    }
    if (exiting())
        return;
    switch (id) {
    case ID_SHOW_HIDE:
        if (isVisible() && !isMinimized())
            HideMainWindow();
        else
            ShowMainWindow();
        break;
    // The handlers keep one dialog of each kind and bring an open one forward.
    case ID_ABOUT:
        if (m_aboutHandler)
            m_aboutHandler(this);
        break;
    case ID_PREFERENCES:
        if (m_preferencesHandler && m_preferencesHandler(this) && ShowsPages(appState()))
            RefreshAll();
        break;
    default:
        break;
    }
}

void CTavrinDlg::OnExit()
{
    if (exiting() || m_exited)
        return;
    setState(AppState::Exiting);
    m_stopEvent.set();
    postMessage(m_alertsTarget, WM_ALERTS_QUIT);
    QPointer<QThread> checkerThread = m_checkerThread;
    postMessage(m_checker, WM_STOP_CHECKER);
    m_urgentTimer->stop();
    m_newsTimer->stop();
    hide();
    if (m_tray)
        m_tray->Remove();
    // A window that was never placed in this run has no rectangle of the user's to keep; saving it
    // would overwrite the one of an earlier run.
    if (m_placed) {
        const QRect r = geometry();
        SaveMainWindowRect({ r.left(), r.top(), r.left() + r.width(), r.top() + r.height() });
    }
    if (m_engineThread)
        m_engineEnded = m_engineThread->wait(QDeadlineTimer(kThreadWaitMs));
    m_checkerEnded = !checkerThread || checkerThread->wait(QDeadlineTimer(kThreadWaitMs));
    DeleteTempFiles();
    m_exited = true;
    if (m_quit)
        m_quit();
}

void CTavrinDlg::OnCancel()
{
    if (exiting())
        return;
    HideMainWindow();
}

void CTavrinDlg::ShowMainWindow()
{
    if (exiting())
        return;
    if (isHidden() || isMinimized()) {
        AnimateWindowRect(GetTrayRect(), frameGeometry());
        if (isMinimized())
            showNormal();
        else
            show();
    }
    raise();
    activateWindow();
}

void CTavrinDlg::HideMainWindow()
{
    if (exiting())
        return;
    if (isVisible() && !isMinimized()) {
        // The first-close hint is a balloon of the notification-area icon; without one the flag stays
        // set so the hint still comes once the desktop has a notification area.
        if (m_tray && trayAvailable() && IsFirstTimeClose()) {
            m_tray->ShowBalloonById(*config(), TextId::BalloonTitleAppMinimized,
                                    TextId::BalloonTextAppMinimized, BalloonIcon::Information);
            SetFirstTimeClose(false);
        }
        AnimateWindowRect(frameGeometry(), GetTrayRect());
        // Without a notification area the window must stay reachable: its taskbar entry stays.
        if (trayAvailable())
            hide();
        else
            showMinimized();
    }
    postMessage(m_alertsTarget, WM_ALERTS_CLOSE);
}

NavigationVerdict CTavrinDlg::BeforeNavigate2(CWebBrowser2 *pane, const NavigationRequest &request)
{
    if (exiting())
        return NavigationVerdict::Allow;
    postMessage(m_checker, WM_CHECK_CONNECTION);
    if (!request.isMainFrame || !FindPane(pane->GetApplication()))
        return NavigationVerdict::Allow;
    if (request.programNavigation)
        return NavigationVerdict::Allow;
    // The user's own navigation never runs inside the pane.
    const QString next = ExecuteCommandUrl(request.url.toString(QUrl::FullyEncoded));
    if (!next.isEmpty()) {
        QPointer<CWebBrowser2> target(pane);
        QTimer::singleShot(0, pane, [target, next] {
            if (target)
                target->Navigate(next);
        });
    }
    return NavigationVerdict::Cancel;
}

void CTavrinDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        OnCancel();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CTavrinDlg::closeEvent(QCloseEvent *event)
{
    // Closing only hides: the program ends through ID_EXIT alone.
    event->ignore();
    OnCancel();
}

} // namespace tavrin
