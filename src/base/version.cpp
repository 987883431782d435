// Application name and own version.
#include "base/version.h"

#include "base/buildinfo.h"

namespace tavrin {

QString AppName()
{
    return QStringLiteral(TAVRIN_APP_NAME);
}

QString NormaliseFileVersion(const QString &fileVersion)
{
    QString result = fileVersion;
    result.remove(QLatin1Char(' '));
    result.replace(QLatin1Char(','), QLatin1Char('.'));
    return result;
}

QString OwnVersion()
{
    return NormaliseFileVersion(QStringLiteral(TAVRIN_FILE_VERSION));
}

} // namespace tavrin
