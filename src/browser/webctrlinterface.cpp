// The page behind every pane: look flags, navigation hook, no new windows, silent script errors.
#include "browser/webctrlinterface.h"

#include "browser/webprofile.h"

#include <QWebEngineSettings>

namespace tavrin {

CWebCtrlInterFace::CWebCtrlInterFace(PaneFlags flags, QObject *parent)
    : QWebEnginePage(SharedWebProfile(), parent)
    , m_flags(flags)
{
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, !flags.noScrollBars);
}

bool CWebCtrlInterFace::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A server redirect continues a navigation that was already let through.
    if (type == NavigationTypeRedirect)
        return true;
    NavigationRequest request;
    request.url = url;
    request.isMainFrame = isMainFrame;
    if (isMainFrame) {
        request.programNavigation = m_programNavigation;
        m_programNavigation = false;
    }
    const bool cancel = m_hook && m_hook(request) == NavigationVerdict::Cancel;
    if (isMainFrame)
        m_lastCancelled = cancel;
    return !cancel;
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
