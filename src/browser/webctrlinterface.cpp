// The page behind every pane: look flags, navigation hook, no new windows, silent script errors.
#include "browser/webctrlinterface.h"

#include "base/paths.h"
#include "browser/webprofile.h"

#include <QDir>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineSettings>

namespace tavrin {

namespace {

// Never another local file (the composed pages live in the private temporary folder), and never an
// address that the desktop would hand to another program.
bool FrameMayLoad(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("about") || scheme == QLatin1String("data"))
        return true;
    if (scheme != QLatin1String("file") || !url.host().isEmpty())
        return false;
    const QString folder = TempFolder();
    return !folder.isEmpty() && QDir::cleanPath(url.toLocalFile()).startsWith(folder);
}

} // namespace

CWebCtrlInterFace::CWebCtrlInterFace(PaneFlags flags, QObject *parent)
    : QWebEnginePage(SharedWebProfile(), parent)
    , m_flags(flags)
{
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, !flags.noScrollBars);
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        // A load that ended without its page leaves nothing for a later redirect to continue. Reports of
        // other, replaced loads may come late and are not taken for it.
        const bool ended = info.status() == QWebEngineLoadingInfo::LoadFailedStatus
            || info.status() == QWebEngineLoadingInfo::LoadStoppedStatus;
        if (ended && m_letThrough && m_letThrough->url == info.url())
            m_letThrough.reset();
    });
}

CWebCtrlInterFace::CommitMark CWebCtrlInterFace::commitMark() const
{
    return { url(), history()->currentItem().lastVisited() };
}

// A server redirect continues a main-frame load that was let through, and comes before that load's page
// has committed. A script or a meta refresh that changes the address comes from a committed page, even
// when the engine reports it as a redirect too: it is filtered like a click. The engine stamps every
// commit, so "the same document as when the load was let through" holds only before the commit, also when
// the address does not change.
bool CWebCtrlInterFace::passesUnfiltered(const QUrl &url, NavigationType type)
{
    if (type == NavigationTypeRedirect && m_letThrough && m_letThrough->before == commitMark()) {
        m_letThrough->url = url;
        return true;
    }
    // A reload (the context menu's, or a page's own) shows the address that the pane shows already: it
    // takes the reader nowhere, so it is no click to hand to the browser.
    if ((type == NavigationTypeReload || type == NavigationTypeRedirect) && url == this->url()) {
        m_letThrough = LetThrough { url, commitMark() };
        return true;
    }
    return false;
}

bool CWebCtrlInterFace::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && passesUnfiltered(url, type)) {
        m_lastCancelled = false;
        return true;
    }
    NavigationRequest request;
    request.url = url;
    request.isMainFrame = isMainFrame;
    if (isMainFrame) {
        request.programNavigation = m_programNavigation;
        m_programNavigation = false;
    }
    const bool allow = !m_hook || m_hook(request) == NavigationVerdict::Allow;
    if (!isMainFrame)
        return allow && FrameMayLoad(url);
    m_lastCancelled = !allow;
    if (allow)
        m_letThrough = LetThrough { url, commitMark() };
    else
        m_letThrough.reset();
    return allow;
}

QWebEnginePage *CWebCtrlInterFace::createWindow(WebWindowType)
{
    return nullptr; // no pane ever opens a window of its own
}

// Script errors never reach the user; the page's other scripts keep running.
void CWebCtrlInterFace::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                                 const QString &)
{
}

} // namespace tavrin
