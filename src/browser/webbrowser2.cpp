// One web pane: program navigation, ready state, asynchronous measurements, completion and error events.
#include "browser/webbrowser2.h"

#include <QLoggingCategory>
#include <QResizeEvent>
#include <QTimer>
#include <QWebEngineHistory>

#include <utility>

namespace tavrin {

Q_LOGGING_CATEGORY(lcBrowser, "tavrin.browser", QtWarningMsg)

namespace {

// Measures the body independently of the pane's height so a pane can shrink as well as grow:
// in quirks mode the body's own scroll height is at least the viewport's, so the content's extent is
// taken from a range over the body instead.
const QString kMeasureScript = QStringLiteral(R"JS((function() {
    var b = document.body;
    if (!b) return null;
    var cs = window.getComputedStyle(b);
    var px = function(v) { var n = parseFloat(v); return isNaN(n) ? 0 : n; };
    var w = b.scrollWidth + px(cs.marginLeft) + px(cs.marginRight);
    var h;
    if (document.compatMode === 'BackCompat') {
        var r = document.createRange();
        r.selectNodeContents(b);
        var rc = r.getBoundingClientRect();
        h = rc.bottom + window.scrollY + px(cs.paddingBottom) + px(cs.marginBottom);
        if (b.childNodes.length === 0) h = px(cs.marginTop) + px(cs.paddingTop) + px(cs.paddingBottom) + px(cs.marginBottom);
    } else {
        h = b.scrollHeight + px(cs.marginTop) + px(cs.marginBottom);
    }
    return [Math.ceil(w), Math.ceil(h), window.innerWidth, b.innerHTML];
})())JS");

// The engine applies a new width to the page asynchronously; a measurement taken before that is
// repeated a few times.
constexpr int kMeasureRetries = 20;
constexpr int kMeasureRetryMs = 25;

// Chromium's net::ERR_ABORTED: the navigation was cancelled or replaced by a newer one.
constexpr int kErrorAborted = -3;

} // namespace

CWebBrowser2::CWebBrowser2(const QString &name, PaneFlags flags, QWidget *parent)
    : QWebEngineView(parent)
    , m_name(name)
    , m_page(new CWebCtrlInterFace(flags, this))
{
    setPage(m_page);
    setContextMenuPolicy(flags.noContextMenu ? Qt::NoContextMenu : Qt::DefaultContextMenu);
    m_page->setNavigationHook([this](const NavigationRequest &request) {
        return m_filter ? m_filter(this, request) : NavigationVerdict::Allow;
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this, &CWebBrowser2::onLoadingChanged);
}

void CWebBrowser2::setNavigationFilter(NavigationFilter filter)
{
    m_filter = std::move(filter);
}

void CWebBrowser2::Navigate(const QString &url)
{
    m_quietLoad = m_restoreFailed = false;
    m_page->setProgramNavigation(true);
    // The engine reports the start only later; until then the pane must not pass for complete with
    // its old page, or a completion queued by another pane could end a refresh early.
    if (m_readyState != ReadyState::Loading)
        m_readyStateBeforeLoad = m_readyState;
    m_readyState = ReadyState::Loading;
    ++m_programLoadsPending;
    m_page->load(QUrl(url));
}

QString CWebBrowser2::GetLocationURL() const
{
    return m_page->url().toString();
}

bool CWebBrowser2::GetContentSize(int &width, int &height) const
{
    if (!m_measure.valid)
        return false;
    width = m_measure.width;
    height = m_measure.height;
    return true;
}

Qt::CursorShape CWebBrowser2::pageCursorShape() const
{
    const QWidget *input = inputWidget();
    return input ? input->cursor().shape() : cursor().shape();
}

void CWebBrowser2::Remeasure()
{
    requestMeasure(0);
}

void CWebBrowser2::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        if (m_quietLoad) {
            // Whether the engine asked the filter about the reload or not, the next request is a click.
            m_page->setProgramNavigation(false);
            break;
        }
        ++m_loadGeneration;
        if (m_programLoadsPending > 0)
            --m_programLoadsPending;
        else if (m_readyState != ReadyState::Loading)
            m_readyStateBeforeLoad = m_readyState;
        m_readyState = ReadyState::Loading;
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        if (m_quietLoad)
            break;
        // Stopped or replaced: the page shown before stays, and so does its state, unless a load the
        // program asked for is still to come.
        if (m_programLoadsPending == 0)
            m_readyState = m_readyStateBeforeLoad;
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_programLoadsPending = 0;
        m_readyState = ReadyState::Complete;
        // Keeps the pane without history: a navigation never leaves a way back.
        m_page->history()->clear();
        if (std::exchange(m_quietLoad, false)) {
            m_restoreFailed = false; // the page shown before, already measured and announced
            break;
        }
        requestMeasure(0);
        emit DocumentComplete(this, info.url());
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        qCDebug(lcBrowser) << m_name << "load failed" << info.url() << info.errorCode() << info.errorString();
        if (std::exchange(m_quietLoad, false)) {
            // Tried again the next time the pane hides; the program's next load replaces it anyway.
            m_restoreFailed = true;
            m_readyState = ReadyState::Uninitialized;
            break;
        }
        if (info.errorCode() == kErrorAborted || m_page->lastRequestCancelled()) {
            if (m_programLoadsPending == 0)
                m_readyState = m_readyStateBeforeLoad;
            break;
        }
        m_programLoadsPending = 0;
        m_readyState = ReadyState::Uninitialized;
        emit NavigateError(this, info.url(), info.errorCode());
        break;
    }
}

void CWebBrowser2::resizeEvent(QResizeEvent *event)
{
    QWebEngineView::resizeEvent(event);
    if (event->size().width() != m_measuredWidth && m_readyState == ReadyState::Complete)
        requestMeasure(0);
}

void CWebBrowser2::RestoreWhileHidden()
{
    // The caller may be inside another page's navigation callback. And the two steps go together: a page
    // left unloaded stalled another pane's navigation to a new site while the engine ran one renderer.
    QTimer::singleShot(0, this, [this] {
        if (!isHidden() || (m_readyState != ReadyState::Complete && !m_restoreFailed))
            return;
        m_quietLoad = true;
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    });
}

void CWebBrowser2::showEvent(QShowEvent *event)
{
    QWebEngineView::showEvent(event);
    if (m_readyState == ReadyState::Complete)
        requestMeasure(0);
}

void CWebBrowser2::requestMeasure(int attempt)
{
    m_measuredWidth = width();
    const quint64 generation = m_loadGeneration;
    // Not a QPointer: it stays set until QObject's own destructor, after this pane's members are gone.
    std::weak_ptr<const int> alive = m_lifetime;
    m_page->runJavaScript(kMeasureScript, [this, alive, generation, attempt](const QVariant &result) {
        if (!alive.expired())
            applyMeasure(result, generation, attempt);
    });
}

void CWebBrowser2::applyMeasure(const QVariant &result, quint64 generation, int attempt)
{
    if (generation != m_loadGeneration)
        return; // measured a page that has since been replaced
    const QVariantList values = result.toList();
    ContentMeasure measure;
    if (values.size() == 4) {
        measure.valid = true;
        measure.width = values.at(0).toInt();
        measure.height = values.at(1).toInt();
        measure.viewportWidth = values.at(2).toInt();
        measure.bodyHtml = values.at(3).toString();
    }
    const bool stale = measure.valid && measure.viewportWidth != width() && isVisible();
    if (measure.valid || !m_measure.valid) {
        if (!(measure == m_measure)) {
            m_measure = measure;
            emit measurementChanged(this);
        }
    }
    if (stale && attempt < kMeasureRetries) {
        std::weak_ptr<const int> alive = m_lifetime;
        QTimer::singleShot(kMeasureRetryMs, this, [this, alive, attempt] {
            if (!alive.expired())
                requestMeasure(attempt + 1);
        });
    }
}

} // namespace tavrin
