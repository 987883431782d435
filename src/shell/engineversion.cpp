// The web engine's version, and the check of its major number that start-up makes.
#include "shell/engineversion.h"

#include "config/configloader.h"

#include <QRegularExpression>
#include <QWebEngineProfile>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace tavrin {

QString ChromeVersionFromUserAgent(const QString &userAgent)
{
    static const QRegularExpression token(QStringLiteral("Chrome/([0-9][0-9.]*)"));
    const QRegularExpressionMatch match = token.match(userAgent);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString WebEngineVersion()
{
    const QString chromium = QString::fromLatin1(qWebEngineChromiumVersion());
    if (!chromium.isEmpty())
        return chromium;
    return ChromeVersionFromUserAgent(QWebEngineProfile::defaultProfile()->httpUserAgent());
}

bool EngineVersionAccepted(const QString &version)
{
    if (version.trimmed().isEmpty())
        return false;
    return ParseDecimal(version) >= kMinimumEngineMajor;
}

} // namespace tavrin
