// The alert pop-up's page, size, placement, timer, frame and links.
#include "alerts/alertsdlg.h"

#include "alerts/alertpage.h"
#include "base/appmessage.h"
#include "base/appstate.h"
#include "base/version.h"
#include "browser/proxyauth.h"
#include "compose/commandurl.h"
#include "compose/htmltemplate.h"
#include "config/alertsseconds.h"
#include "config/liveconfig.h"
#include "mainwnd/drawborders.h"
#include "mainwnd/panepages.h"
#include "settings/settings.h"
#include "ui/browseropener.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace tavrin {

namespace {

// The pane's size while a page loads: the width the page is laid out at before it is measured.
constexpr QSize kLayoutSize(213, 137);
// A page loaded but never shown (the alerts were closed meanwhile) is given up after this long.
constexpr int kIdleDiscardMs = 1000;
constexpr int kBusyCursorMs = 1500;

// The body's scroll size with its margins, so that nothing of the page is cut off; null without a body.
const QString kBodySizeScript = QStringLiteral(R"JS((function() {
    var b = document.body;
    if (!b) return null;
    var cs = window.getComputedStyle(b);
    var px = function(v) { var n = parseFloat(v); return isNaN(n) ? 0 : n; };
    return [Math.ceil(b.scrollWidth + px(cs.marginLeft) + px(cs.marginRight)),
            Math.ceil(b.scrollHeight + px(cs.marginTop) + px(cs.marginBottom))];
})())JS");

bool exiting()
{
    return appState() == AppState::Exiting;
}

int bordersWidth(const QList<Border> &borders)
{
    int sum = 0;
    for (const Border &border : borders)
        sum += border.width;
    return sum;
}

} // namespace

CAlertsDlg::CAlertsDlg(const AppServices &services, QObject *notify)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_services(services)
    , m_notify(notify)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(AppName());
    m_pane = new CWebBrowser2(QStringLiteral("alerts"), PaneFlags { true, true }, this);
    AnswerProxyAuthentication(m_pane->page(), m_services.core.http);
    m_pane->setGeometry(QRect(QPoint(0, 0), kLayoutSize));
    resize(kLayoutSize);
    m_pane->setNavigationFilter(
        [this](CWebBrowser2 *, const NavigationRequest &request) { return BeforeNavigate2(request); });
    connect(m_pane, &CWebBrowser2::DocumentComplete, this, [this](CWebBrowser2 *, const QUrl &url) {
        if (url == m_pageUrl)
            OnDocumentComplete();
    });
    connect(m_pane, &CWebBrowser2::NavigateError, this, [this] { OnNavigateError(); });
    m_alertTimer = new QTimer(this);
    m_alertTimer->setObjectName(QStringLiteral("ALERT_TIMER_ID"));
    connect(m_alertTimer, &QTimer::timeout, this, &CAlertsDlg::OnTimer);
}

CAlertsDlg::~CAlertsDlg()
{
    m_destroying = true;
}

void CAlertsDlg::ShowAlertBatch(const NewsSet &batch)
{
    ++m_batch;
    m_pageSize.reset();
    m_pane->hostPage()->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    m_pane->resize(kLayoutSize);
    // Written as the main window's pages are, and deleted once the next one has loaded.
    const QString path = ShowLocalPage(m_pane, ComposeAlertPage(*m_services.core.config.snapshot(), batch));
    m_loading = !path.isEmpty();
    m_pageUrl = m_loading ? QUrl(ToFileUrl(path)) : QUrl();
    if (!m_loading)
        postMessage(m_notify, WM_ALERTS_CLOSE); // nothing could be written: as a page that failed to load
}

void CAlertsDlg::OnDocumentComplete()
{
    if (exiting())
        return;
    // The page's size is known only to the page: it is asked for now, and the page counts as ready once
    // it has answered, whatever the answer.
    const quint64 batch = m_batch;
    QPointer<CAlertsDlg> self(this);
    m_pane->page()->runJavaScript(kBodySizeScript, [self, batch](const QVariant &result) {
        if (!self || self->m_batch != batch || !self->m_loading)
            return;
        const QVariantList size = result.toList();
        if (size.size() == 2 && size[0].toInt() > 0 && size[1].toInt() > 0)
            self->m_pageSize = QSize(size[0].toInt(), size[1].toInt());
        self->m_loading = false;
        postMessage(self->m_notify, WM_ALERTS_PAGE_READY);
        QTimer::singleShot(kIdleDiscardMs, self, [self] { self->discardWhileIdle(); });
    });
}

void CAlertsDlg::OnNavigateError()
{
    if (exiting())
        return;
    m_loading = false;
    m_pane->Navigate(QStringLiteral("about:blank"));
    postMessage(m_notify, WM_ALERTS_CLOSE);
}

void CAlertsDlg::StartSlideIn()
{
    if (m_state != SlideState::Hidden)
        HidePopup();
    const int border = bordersWidth(m_services.core.config.snapshot()->alerts_borders);
    if (m_pageSize) {
        setGeometry(0, 0, m_pageSize->width() + 2 * border, m_pageSize->height() + 2 * border);
        m_pane->setGeometry(border, border, m_pageSize->width(), m_pageSize->height());
    } else {
        // Shown for a moment, then hidden when the close is handled.
        postMessage(m_notify, WM_ALERTS_CLOSE);
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen->geometry();
    const QRect workArea = screen->availableGeometry();
    const TaskbarSide side = FindTaskbarSide(workArea.translated(-screenArea.topLeft()), screenArea.size());
    m_plan = PlanSlide(side, workArea, size());
    m_position = m_plan.start;
    move(m_position);
    show();
    raise();
    m_alertTimer->start(m_plan.intervalMs);
    m_state = SlideState::SlidingIn;
}

void CAlertsDlg::HidePopup()
{
    m_alertTimer->stop();
    m_state = SlideState::Hidden;
    hide();
    QTimer::singleShot(0, this, [this] { discardWhileIdle(); });
}

void CAlertsDlg::discardWhileIdle()
{
    // The engine frees the hidden page's document and layers; the next batch brings it back.
    if (m_state == SlideState::Hidden && !m_loading && !isVisible() && !m_destroying)
        m_pane->hostPage()->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
}

bool CAlertsDlg::mouseOver() const
{
    return QRect(QPoint(0, 0), size()).contains(mapFromGlobal(QCursor::pos()));
}

void CAlertsDlg::OnTimer()
{
    // The display time is read when the pop-up arrives, so a changed preference counts from the next one.
    const bool arriving = m_state == SlideState::SlidingIn && Reached(m_position, m_plan.shown, m_plan.step);
    const int displayMs
        = arriving ? DisplayTimeMs(AlertsDisplaySeconds(*m_services.core.config.snapshot())) : 0;
    const SlideTick tick = NextSlideTick(m_state, m_position, m_plan, mouseOver(), displayMs);
    m_state = tick.state;
    m_position = tick.position;
    if (tick.timerMs)
        m_alertTimer->start(*tick.timerMs);
    if (tick.move)
        move(m_position);
    if (tick.hide)
        HidePopup();
    if (tick.finished)
        postMessage(m_notify, WM_ALERTS_FINISHED);
}

NavigationVerdict CAlertsDlg::BeforeNavigate2(const NavigationRequest &request)
{
    if (exiting() || !request.isMainFrame || request.programNavigation)
        return NavigationVerdict::Allow;
    // A click: nothing runs inside the pop-up.
    const QString url = request.url.toString(QUrl::FullyEncoded);
    const std::optional<CommandUrl> command = ParseCommandUrl(url);
    if (!command) {
        // The browser takes a moment to come up: the pointer says so meanwhile.
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        QTimer::singleShot(kBusyCursorMs, qApp, [] { QGuiApplication::restoreOverrideCursor(); });
        OpenInWebBrowser(m_services.browser, url);
    } else if (command->command == Command::close_window) {
        postMessage(m_notify, WM_ALERTS_CLOSE);
    }
    return NavigationVerdict::Cancel;
}

void CAlertsDlg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    DrawBorders(painter, m_services.core.config.snapshot()->alerts_borders, rect());
}

void CAlertsDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape never close the pop-up.
    event->accept();
}

void CAlertsDlg::closeEvent(QCloseEvent *event)
{
    // Only the alerts actor ends the pop-up; the window system's close does nothing.
    event->ignore();
}

} // namespace tavrin
