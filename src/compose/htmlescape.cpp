// Escaping for composed pages.
#include "compose/htmlescape.h"

#include <QUrl>

namespace tavrin {

QString EscapeHtml(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            result += QLatin1String("&amp;");
            break;
        case '<':
            result += QLatin1String("&lt;");
            break;
        case '>':
            result += QLatin1String("&gt;");
            break;
        case '"':
            result += QLatin1String("&quot;");
            break;
        case '\'':
            result += QLatin1String("&#39;");
            break;
        default:
            result += c;
        }
    }
    return result;
}

QString SafePageHref(const QString &url)
{
    // The scheme as a browser would read it: leading blanks and controls do not hide "javascript:".
    const QUrl parsed(url.trimmed());
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("#");
    return EscapeHtml(url.trimmed());
}

} // namespace tavrin
