// One web pane: program navigation, state, asynchronous body measurements and the pane's events.
#pragma once

#include "browser/readystate.h"
#include "browser/webctrlinterface.h"

#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

#include <functional>
#include <memory>

namespace tavrin {

class CWebBrowser2;

// The latest measurement of a pane's page body, taken by script after its load and after every
// change of the pane's width. `valid` is false until the page has a body that could be measured.
struct ContentMeasure {
    bool valid = false;
    int width = 0; // content width in pixels, body margins included
    int height = 0; // content height in pixels, body margins included
    int viewportWidth = 0; // the page's width when it was measured
    QString bodyHtml; // innerHTML of the body

    friend bool operator==(const ContentMeasure &, const ContentMeasure &) = default;
};

// The owner's decision on a navigation of one of its panes. For frames inside a page
// `request.isMainFrame` is false and `programNavigation` is always false.
using NavigationFilter
    = std::function<NavigationVerdict(CWebBrowser2 *pane, const NavigationRequest &request)>;

class CWebBrowser2 : public QWebEngineView {
    Q_OBJECT
public:
    // `name` is the pane's name ("sections", "news"...), the identity its events carry.
    CWebBrowser2(const QString &name, PaneFlags flags, QWidget *parent = nullptr);

    QString paneName() const { return m_name; }
    CWebCtrlInterFace *hostPage() const { return m_page; }
    void setNavigationFilter(NavigationFilter filter);

    // Loads the address as the program's own navigation (the filter sees programNavigation true);
    // the pane keeps no history.
    void Navigate(const QString &url);
    bool programNavigation() const { return m_page->programNavigation(); }
    // The pane's identity token: compare it with the page an event came from.
    const QWebEnginePage *GetApplication() const { return m_page; }
    QString GetLocationURL() const;
    // ReadyState::Complete when the last load of the page now shown succeeded.
    ReadyState GetReadyState() const { return m_readyState; }
    // The latest measurement; false (outputs untouched) while nothing has been measured.
    bool GetContentSize(int &width, int &height) const;
    // The body's HTML from the latest measurement; "" when there is none.
    QString GetBodyHtml() const { return m_measure.valid ? m_measure.bodyHtml : QString(); }
    const ContentMeasure &lastMeasure() const { return m_measure; }
    // Asks the page for a new measurement (answered later through measurementChanged).
    void Remeasure();

    // Unloads the hidden pane's page and loads it again from the cache, without DocumentComplete or
    // NavigateError: a page hidden mid-animation kept the engine's compositor waking sixty times a
    // second until the pane's next load. Done from the event loop, and only if the pane is still hidden
    // then and its page had completed (or the last of these reloads failed).
    void RestoreWhileHidden();

    // The child widget that receives the pane's mouse and keys (the engine creates it with the
    // page's first rendering; null before). An event filter on it sees presses before the page.
    QWidget *inputWidget() const { return focusProxy(); }
    // The cursor the page shows now (CSS cursors included), for the resize-grip rule.
    Qt::CursorShape pageCursorShape() const;

signals:
    // The main frame finished loading successfully.
    void DocumentComplete(tavrin::CWebBrowser2 *pane, const QUrl &url);
    // The main frame failed to load (network error, HTTP error status). Never raised for a
    // navigation that the filter cancelled or that a newer load replaced.
    void NavigateError(tavrin::CWebBrowser2 *pane, const QUrl &url, int errorCode);
    // A new measurement differs from the previous one.
    void measurementChanged(tavrin::CWebBrowser2 *pane);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void requestMeasure(int attempt);
    void applyMeasure(const QVariant &result, quint64 generation, int attempt);

    QString m_name;
    CWebCtrlInterFace *m_page;
    NavigationFilter m_filter;
    ReadyState m_readyState = ReadyState::Uninitialized;
    ReadyState m_readyStateBeforeLoad = ReadyState::Uninitialized;
    // Navigate calls whose start the engine has not reported yet.
    int m_programLoadsPending = 0;
    bool m_quietLoad = false; // the load under way is RestoreWhileHidden's
    bool m_restoreFailed = false;
    quint64 m_loadGeneration = 0; // bumped by every load start; stale measurements are dropped
    ContentMeasure m_measure;
    int m_measuredWidth = -1; // widget width of the last measurement request
    // The page outlives this class's part of the object and answers pending scripts while it is
    // deleted; those answers hold this token weakly and find it gone.
    std::shared_ptr<const int> m_lifetime = std::make_shared<const int>(0);
};

} // namespace tavrin
