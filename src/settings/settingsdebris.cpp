// The start-up sweep of side and lock files that killed writers left beside the settings store.
#include "settings/settingsdebris.h"

#include "base/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

int SweepSettingsDebris(int waitMs)
{
    const QString path = SettingsFilePath();
    const QFileInfo store(path);
    const QString folder = store.absolutePath();
    if (!QFileInfo(folder).isDir())
        return 0;
    // The same lock file every writer takes; QLockFile itself takes over one whose owner has died.
    const QString lockName = store.fileName() + QStringLiteral(".lock");
    QLockFile lock(folder + QLatin1Char('/') + lockName);
    if (!lock.tryLock(waitMs))
        return -1;
    const QString prefix = store.fileName() + QLatin1Char('.');
    const QStringList names
        = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    int removed = 0;
    for (const QString &name : names) {
        if (!name.startsWith(prefix) || name == lockName)
            continue;
        const QByteArray native = QFile::encodeName(folder + QLatin1Char('/') + name);
        // lstat: a link is judged, and removed, as itself; what it points to is never touched.
        struct stat st { };
        if (::lstat(native.constData(), &st) != 0 || st.st_uid != ::geteuid() || S_ISDIR(st.st_mode))
            continue;
        if (::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace tavrin
