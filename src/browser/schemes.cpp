// Registration of the link schemes, so their links reach the navigation filter instead of being refused
// as unknown before the filter sees them (the engine refuses every scheme it does not know).
#include "browser/schemes.h"

#include <QWebEngineUrlScheme>

namespace tavrin {

QList<QByteArray> LinkSchemes()
{
    return { QByteArrayLiteral("tavrin"), QByteArrayLiteral("mailto") };
}

void registerLinkSchemes()
{
    for (const QByteArray &name : LinkSchemes()) {
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        scheme.setFlags(QWebEngineUrlScheme::LocalAccessAllowed);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

} // namespace tavrin
