// Loads the main window's pane pages: composed local pages and configured addresses.
#include "mainwnd/panepages.h"

#include "base/files.h"
#include "base/logging.h"
#include "browser/webbrowser2.h"
#include "compose/htmltemplate.h"
#include "compose/panecomposition.h"

#include <QFile>

namespace tavrin {

LocalPageKeeper::LocalPageKeeper(CWebBrowser2 *pane)
    : QObject(pane)
{
    connect(pane, &CWebBrowser2::DocumentComplete, this,
            [this](CWebBrowser2 *, const QUrl &url) { onDocumentComplete(url); });
}

void LocalPageKeeper::addPending(const QString &path)
{
    if (!path.isEmpty())
        m_pending.append(path);
}

void LocalPageKeeper::onDocumentComplete(const QUrl &url)
{
    const QString shown = url.isLocalFile() ? url.toLocalFile() : QString();
    // Everything written for this pane but the page now shown is done with: the page replaced, and
    // pages that a newer load overtook before they were shown.
    QStringList done = m_pending;
    if (!m_current.isEmpty())
        done.append(m_current);
    m_current.clear();
    m_pending.clear();
    for (const QString &path : std::as_const(done)) {
        if (path == shown)
            m_current = path;
        else
            QFile::remove(path);
    }
}

namespace {

// The engine tells a local file's type by its name: a page without ".html" is shown as plain text
// (a byte-order mark also defeats its content sniffing). The reserved ".tmp" name is renamed, which
// never replaces an existing file; a clash with a page still kept takes another name.
QString NewLocalPageName()
{
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QString reserved = NewTempFileName(QString());
        if (reserved.isEmpty())
            return QString();
        const QString page = reserved.chopped(4) + QStringLiteral(".html");
        if (QFile::rename(reserved, page))
            return page;
        QFile::remove(reserved);
    }
    return QString();
}

} // namespace

QString ShowLocalPage(CWebBrowser2 *pane, const QString &html)
{
    auto *keeper = pane->findChild<LocalPageKeeper *>(QString(), Qt::FindDirectChildrenOnly);
    if (!keeper)
        keeper = new LocalPageKeeper(pane);
    QString path;
    const QString name = NewLocalPageName();
    if (!name.isEmpty() && WriteBinaryFile(name, QByteArrayLiteral("\xEF\xBB\xBF") + html.toUtf8()))
        path = name;
    else {
        qCWarning(lcUi) << "the page of pane" << pane->objectName() << "cannot be written to"
                        << (name.isEmpty() ? QStringLiteral("the temporary folder") : name);
        if (!name.isEmpty())
            QFile::remove(name);
    }
    keeper->addPending(path);
    // "file://" alone would show the engine's listing of the root folder in the pane.
    pane->Navigate(path.isEmpty() ? QStringLiteral("about:blank") : ToFileUrl(path));
    return path;
}

namespace PanePages {

void ShowSectionsPage(CWebBrowser2 *pane, const ClientConfig &config, int current)
{
    ShowLocalPage(pane, ComposeSectionsPage(config.header_html, SectionChoices(config), current));
}

void ShowNewsPage(CWebBrowser2 *pane, const ClientConfig &config, const Section &section)
{
    pane->Navigate(NewsAddress(config, section));
}

void ReloadPage(CWebBrowser2 *pane)
{
    pane->Navigate(pane->GetLocationURL());
}

void ShowAdsPage(CWebBrowser2 *pane, const Section &section)
{
    ShowLocalPage(pane, section.ads_html_code);
}

void ShowUrgentPage(CWebBrowser2 *pane, const ClientConfig &config)
{
    pane->Navigate(config.urgent_url);
}

void ShowLoadingPage(CWebBrowser2 *pane, const ClientConfig &config)
{
    pane->Navigate(config.loading_url);
}

} // namespace PanePages

} // namespace tavrin
