// Loads the main window's pane pages: composed local pages and configured addresses.
#pragma once

#include "config/clientconfig.h"

#include <QObject>
#include <QStringList>

namespace tavrin {

class CWebBrowser2;

// Writes `html` to a new page in the private temporary folder (UTF-8 with a byte-order mark, so a
// template that declares another charset still shows accented letters right) and loads it into the
// pane. The pane keeps its current local page; the page it replaces is deleted once the new one has
// loaded, so the temporary folder does not grow with every refresh. Returns the file's path ("" when
// it could not be written: the pane then shows a blank page).
QString ShowLocalPage(CWebBrowser2 *pane, const QString &html);

// The operations the main window runs on its panes. They take the configuration snapshot and the
// section to show; the window keeps the current section index and the application state.
namespace PanePages {

// The sections page composed from header_html with `current` marked (use ValidCurrentSection first).
void ShowSectionsPage(CWebBrowser2 *pane, const ClientConfig &config, int current);
// The section's news page address with its section and subsection markers filled in.
void ShowNewsPage(CWebBrowser2 *pane, const ClientConfig &config, const Section &section);
// The pane's present address again.
void ReloadPage(CWebBrowser2 *pane);
// The section's ads_html_code as it stands, as a local page.
void ShowAdsPage(CWebBrowser2 *pane, const Section &section);
void ShowUrgentPage(CWebBrowser2 *pane, const ClientConfig &config);
void ShowLoadingPage(CWebBrowser2 *pane, const ClientConfig &config);

} // namespace PanePages

// Tracks the local pages of one pane (a child of the pane, made by ShowLocalPage).
class LocalPageKeeper : public QObject {
    Q_OBJECT
public:
    explicit LocalPageKeeper(CWebBrowser2 *pane);

    void addPending(const QString &path);
    // The local page the pane shows now; "" when it shows an address.
    QString currentPage() const { return m_current; }
    QStringList pendingPages() const { return m_pending; }

private:
    void onDocumentComplete(const QUrl &url);

    QString m_current;
    QStringList m_pending;
};

} // namespace tavrin
