// Opening addresses in the reader's own web browser, as a service that tests replace.
#pragma once

#include <QUrl>

namespace tavrin {

class BrowserOpener {
public:
    virtual ~BrowserOpener() = default;
    // Hands the address to the desktop's default browser.
    virtual void open(const QUrl &url);
};

// Opens the address through the opener when OpensInBrowser allows it; any other address is ignored.
void OpenInWebBrowser(BrowserOpener &opener, const QString &url);

} // namespace tavrin
