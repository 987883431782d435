// XDG autostart entry of the running executable.
#include "settings/autostart.h"

#include "base/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tavrin {
namespace {

QString configHome()
{
    const QString fromEnv = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!fromEnv.isEmpty() && QDir::isAbsolutePath(fromEnv))
        return fromEnv;
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace

QString AutostartEntryPath()
{
    return configHome() + QStringLiteral("/autostart/tavrin.desktop");
}

QString RunningExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString QuotedExecValue(const QString &executablePath)
{
    if (executablePath.isEmpty() || executablePath.contains(QLatin1Char('\n'))
        || executablePath.contains(QLatin1Char('\r')))
        return {};
    // Inside a quoted argument ", `, $ and \ take a backslash; the entry's string syntax then doubles
    // every backslash once more, and % is the field-code escape.
    QString quoted;
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            quoted += QStringLiteral("\\\\") + c;
        else if (c == QLatin1Char('\\'))
            quoted += QStringLiteral("\\\\\\\\");
        else if (c == QLatin1Char('%'))
            quoted += QStringLiteral("%%");
        else
            quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool AutostartEntryExists()
{
    return QFileInfo::exists(AutostartEntryPath());
}

bool WriteAutostartEntry(const QString &executablePath)
{
    const QString exec = QuotedExecValue(executablePath);
    if (exec.isEmpty())
        return false;
    const QString path = AutostartEntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(AppName(), exec);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = entry.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool RemoveAutostartEntry()
{
    const QString path = AutostartEntryPath();
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    return QFile::remove(path);
}

} // namespace tavrin
