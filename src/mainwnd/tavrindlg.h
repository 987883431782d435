// The main window: five web panes in a drawn frame, the application state, messages, timers and exit.
#pragma once

#include "base/appstate.h"
#include "base/messages.h"
#include "base/stopevent.h"
#include "browser/webbrowser2.h"
#include "config/clientconfig.h"
#include "tray/trayicon.h"
#include "ui/services.h"

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QThread;
class QMenu;

namespace tavrin {

class AppMessage;

class CTavrinDlg : public QWidget {
    Q_OBJECT
public:
    // Reload timer ids, kept as the names of their timers.
    static constexpr int TIMER_URGENT_RELOAD = 100;
    static constexpr int TIMER_NEWS_RELOAD = 101;
    // Longest wait for each worker thread at exit.
    static constexpr int kThreadWaitMs = 250;

    struct Options {
        // How often the connectivity thread tests while the connection is away.
        int watchIntervalMs = 10000;
    };

    // Builds the window hidden, with its panes, and starts the connectivity thread. The services outlive
    // the window.
    explicit CTavrinDlg(const AppServices &services, QWidget *parent = nullptr);
    CTavrinDlg(const AppServices &services, const Options &options, QWidget *parent = nullptr);
    ~CTavrinDlg() override;

    // Titles the window and starts the refresh engine.
    bool OnInitDialog();

    // Commands of the tray menu and the pages (ID_ABOUT ... ID_EXIT).
    void OnCommand(MessageId id);
    // Escape and the window's cancel: the window hides; the program keeps running.
    void OnCancel();
    void ShowMainWindow();
    void HideMainWindow();

    // The pages of the panes.
    std::optional<Section> CurrentSection();
    int currentSectionIndex() const { return m_currentSection; }
    bool SelectSectionById(const QString &id);
    bool ShowSectionsPage();
    bool ShowNewsPage(bool reload);
    bool ShowAdsPage();
    bool ShowUrgentPage();
    bool ShowLoadingPage();
    void RefreshAll();

    // Places the five panes from their latest measurements (only in the states that show pages).
    void LayoutPanes();
    // Restores the saved rectangle, or centres the design size.
    void PlaceMainWindow();

    // The five panes, in the order sections, urgent, news, loading, ads.
    CWebBrowser2 *sectionsPane() const { return m_sections; }
    CWebBrowser2 *urgentPane() const { return m_urgent; }
    CWebBrowser2 *newsPane() const { return m_news; }
    CWebBrowser2 *loadingPane() const { return m_loading; }
    CWebBrowser2 *adsPane() const { return m_ads; }
    QList<CWebBrowser2 *> panes() const { return { m_sections, m_urgent, m_news, m_loading, m_ads }; }
    // The pane and its name for an event's page; null for any other source.
    CWebBrowser2 *FindPane(const QWebEnginePage *page) const;

    bool firstLoadDone() const { return m_firstLoadDone; }
    QTimer *urgentTimer() const { return m_urgentTimer; }
    QTimer *newsTimer() const { return m_newsTimer; }
    // True once exit has run and every worker thread it waited for has ended.
    bool threadsEnded() const;
    bool exited() const { return m_exited; }

    // Where the pending news for alerts go (the alerts actor); null posts nothing.
    void setAlertsTarget(QObject *target) { m_alertsTarget = target; }
    // Runs the update dialog modally once the user accepted a new version; returns its result
    // (QDialog::Rejected when the user cancelled). Without one, accepting changes nothing.
    using UpdateRunner = std::function<int(CTavrinDlg *)>;
    void setUpdateRunner(UpdateRunner runner) { m_updateRunner = std::move(runner); }
    // The about box and the preferences (the latter returns true when accepted); each handler keeps its
    // dialog single and brings an open one forward on a second request.
    void setAboutHandler(std::function<void(CTavrinDlg *)> handler) { m_aboutHandler = std::move(handler); }
    void setPreferencesHandler(std::function<bool(CTavrinDlg *)> handler)
    {
        m_preferencesHandler = std::move(handler);
    }
    // What a navigation the user started in a pane (a click, a script) does instead of running there: a
    // command link ("tavrin://...") is carried out, any other address goes to the reader's browser. The
    // result is the address to load into the clicked pane ("" for none).
    QString ExecuteCommandUrl(const QString &url);
    // How the event loop is ended at exit (tests keep their own loop running).
    void setQuitHandler(std::function<void()> handler) { m_quit = std::move(handler); }

    QObject *connectivityThread() const { return m_checker; }

    // The notification-area icon (null before OnInitDialog and after exit), its clicks and its menu.
    TrayIcon *trayIcon() const { return m_tray.get(); }
    // An icon the program put in the notification area before the window existed (with the disabled
    // picture and the initializing tooltip); OnInitDialog takes it instead of adding its own.
    void adoptTrayIcon(std::unique_ptr<TrayIcon> icon) { m_tray = std::move(icon); }
    void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);
    void ShowTrayMenu();
    // Where the show and hide animations start or end: the icon, else the work area's corner.
    QRect GetTrayRect() const;
    // Whether hiding puts the window in the notification area (else it is minimised to its taskbar entry).
    bool trayAvailable() const;
    // Who says whether the desktop has a notification area (default: the desktop); set before OnInitDialog.
    void setTrayAvailability(std::function<bool()> available) { m_trayAvailable = std::move(available); }

signals:
    // The application state changed through this window.
    void stateChanged(tavrin::AppState state);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void construct(const Options &options);
    CWebBrowser2 *createPane(const QString &name, PaneFlags flags);
    void watchPaneInput(QObject *object);
    void setState(AppState state);

    void OnContentReady();
    void OnConnectionLost();
    void OnConnectionRestored();
    void OnNewsForAlerts();
    void OnNewAppVersion();
    void OnDocumentComplete(CWebBrowser2 *pane);
    void OnNavigateError(CWebBrowser2 *pane);
    void OnUrgentTimer();
    void OnNewsTimer();
    void OnExit();
    NavigationVerdict BeforeNavigate2(CWebBrowser2 *pane, const NavigationRequest &request);

    // A press over a pane, seen before the page: true when it started a move or a resize.
    bool pressStartsMoveOrResize(QWidget *target, const QPoint &globalPos);
    // Moves (no edges) or resizes the window from a press; the window system does it where it can,
    // else the window follows the mouse itself until the button is released.
    void startMoveOrResize(Qt::Edges edges, const QPoint &globalPos);
    bool followMouse(QEvent *event);
    void reloadIcons();

    std::shared_ptr<const ClientConfig> config() const;
    bool exiting() const { return appState() == AppState::Exiting; }

    AppServices m_services;
    CWebBrowser2 *m_sections = nullptr;
    CWebBrowser2 *m_urgent = nullptr;
    CWebBrowser2 *m_news = nullptr;
    CWebBrowser2 *m_loading = nullptr;
    CWebBrowser2 *m_ads = nullptr;
    int m_currentSection = 0;
    StopEvent m_stopEvent;
    QIcon m_windowIcon;
    QIcon m_trayIcon;
    QIcon m_trayDisabledIcon;
    QThread *m_engineThread = nullptr;
    QPointer<QObject> m_alertsTarget;
    QObject *m_checker = nullptr;
    QPointer<QThread> m_checkerThread;
    bool m_firstLoadDone = false;
    bool m_placed = false; // PlaceMainWindow ran in this run
    bool m_questionOpen = false;
    bool m_exited = false;
    bool m_engineEnded = true;
    bool m_checkerEnded = true;

    struct ManualDrag {
        bool active = false;
        Qt::Edges edges; // none: move
        QPoint startGlobal;
        QRect startGeometry;
    } m_drag;

    std::unique_ptr<TrayIcon> m_tray;
    std::function<bool()> m_trayAvailable;
    QTimer *m_urgentTimer = nullptr;
    QTimer *m_newsTimer = nullptr;
    UpdateRunner m_updateRunner;
    std::function<void(CTavrinDlg *)> m_aboutHandler;
    std::function<bool(CTavrinDlg *)> m_preferencesHandler;
    std::function<void()> m_quit;
};

} // namespace tavrin
