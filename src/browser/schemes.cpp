// Registration of the command-link scheme, so links reach the navigation filter instead of failing as
// unknown.
#include "browser/schemes.h"

#include <QWebEngineUrlScheme>

namespace tavrin {

void registerTavrinScheme()
{
    QWebEngineUrlScheme scheme(QByteArrayLiteral("tavrin"));
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

} // namespace tavrin
