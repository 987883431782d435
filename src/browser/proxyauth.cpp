// Proxy authentication for the web panes.
#include "browser/proxyauth.h"

#include "net/httpclient.h"

#include <QAuthenticator>
#include <QWebEnginePage>

namespace tavrin {

void AnswerProxyAuthentication(QWebEnginePage *page, InternetSession &session)
{
    QObject::connect(page, &QWebEnginePage::proxyAuthenticationRequired, page,
                     [&session, page](const QUrl &, QAuthenticator *authenticator, const QString &proxyHost) {
                         // The engine asks again when the proxy refused what it was given: the remembered
                         // credentials are offered once per refusal-free run, then the reader is asked.
                         std::optional<ProxyCredentials> credentials = session.rememberedProxyCredentials();
                         const bool refused = page->property("tavrinProxyTried").toBool();
                         if (!credentials || refused) {
                             credentials = session.credentialsProvider().askProxyCredentials(
                                 proxyHost, authenticator->realm());
                             if (!credentials) {
                                 *authenticator = QAuthenticator(); // the load fails, no prompt loop
                                 return;
                             }
                             session.rememberProxyCredentials(credentials);
                         }
                         page->setProperty("tavrinProxyTried", true);
                         authenticator->setUser(credentials->user);
                         authenticator->setPassword(credentials->password);
                     });
    // A load that got through resets the refusal mark, so a later change of password asks again once.
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [page](bool ok) {
        if (ok)
            page->setProperty("tavrinProxyTried", false);
    });
}

} // namespace tavrin
