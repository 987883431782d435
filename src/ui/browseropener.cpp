// Opening addresses in the reader's own web browser.
#include "ui/browseropener.h"

#include "base/logging.h"
#include "compose/commandurl.h"

#include <QDesktopServices>

namespace tavrin {

void BrowserOpener::open(const QUrl &url)
{
    if (!QDesktopServices::openUrl(url))
        qCWarning(lcUi) << "the desktop could not open" << url.toString();
}

void OpenInWebBrowser(BrowserOpener &opener, const QString &url)
{
    if (OpensInBrowser(url))
        opener.open(QUrl(url));
    else
        qCDebug(lcUi) << "not opened in the browser:" << url;
}

} // namespace tavrin
