// Standard folders of the program: settings, data, runtime and temporary folders, the lock file.
#include "base/paths.h"

#include "base/buildinfo.h"
#include "base/files.h"
#include "base/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavrin {

namespace {

// The folder is usable as a private folder: a real directory (not a link), ours, and nobody else may
// add or replace entries in it.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat st { };
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Creates the folder 0700 when missing; the folder ("/"-terminated) or "" when it is not private.
QString privateFolder(const QString &folder)
{
    // Without the final "/", so that a link in its place is seen rather than followed.
    const QByteArray native = QFile::encodeName(folder.chopped(1));
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateFolder(native) ? folder : QString();
}

QString safeNamePart(QString text)
{
    text.replace(QLatin1Char('/'), QLatin1Char('_'));
    text.replace(QChar(0), QLatin1Char('_'));
    return text;
}

} // namespace

void SetApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral(TAVRIN_ORGANIZATION_NAME));
    QCoreApplication::setApplicationName(AppName());
    QCoreApplication::setApplicationVersion(OwnVersion());
}

QString SettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/" TAVRIN_ORGANIZATION_NAME "/") + AppName() + QStringLiteral(".conf");
}

QString DataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return QString();
    const QString folder = base + QLatin1Char('/') + AppName() + QLatin1Char('/');
    if (!QDir().mkpath(folder))
        return QString();
    return folder;
}

QString CacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1Char('/')
        + AppName() + QLatin1Char('/');
}

QString ImagePath(const QString &imageId, const QString &imageUrl)
{
    const qsizetype dot = imageUrl.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : imageUrl.mid(dot + 1);
    return DataFolder() + QStringLiteral("images/") + safeNamePart(imageId) + QLatin1Char('.')
        + safeNamePart(extension);
}

namespace {

// The runtime folder the desktop gives, or ours in the shared temporary folder; "" when not private.
QString primaryRuntimeFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith('/'))
        return privateFolder(QFile::decodeName(runtime) + QLatin1Char('/'));
    return privateFolder(QDir::tempPath() + QLatin1Char('/') + AppName() + QLatin1Char('-')
                         + QString::number(::geteuid()) + QLatin1Char('/'));
}

QString tempFolderIn(const QString &runtime)
{
    return runtime.isEmpty() ? QString() : privateFolder(runtime + AppName() + QLatin1Char('/'));
}

} // namespace

QString FallbackRuntimeFolder()
{
    const QString cache = CacheFolder();
    if (!cache.startsWith(QLatin1Char('/')) || !QDir().mkpath(cache))
        return QString();
    return privateFolder(cache + QStringLiteral("runtime/"));
}

QString RuntimeFolder()
{
    const QString primary = primaryRuntimeFolder();
    return primary.isEmpty() ? FallbackRuntimeFolder() : primary;
}

QString TempFolder()
{
    // A folder planted in the shared place would leave the panes without pages: ours in the user's tree
    // serves instead.
    const QString primary = tempFolderIn(primaryRuntimeFolder());
    return primary.isEmpty() ? tempFolderIn(FallbackRuntimeFolder()) : primary;
}

QString SingleInstanceLockPath()
{
    const QString runtime = RuntimeFolder();
    return runtime.isEmpty() ? QString() : runtime + AppName() + QStringLiteral("_ONE_AND_ONLY");
}

} // namespace tavrin
