// Silences the web engine's navigation sound for the life of the process and gives it back at the end.
#include "shell/navigationsound.h"

#include "settings/settings.h"

namespace tavrin {

namespace {
bool writeSound(const QString &text)
{
    return WriteRegistryString(RegistryRoot::CurrentUser, QString(), text, kNavigationSoundKeyPath,
                               RegistryType::ExpandString);
}
} // namespace

QString CurrentNavigationSound()
{
    QString text;
    ReadRegistryString(RegistryRoot::CurrentUser, QString(), kNavigationSoundKeyPath, text);
    return text;
}

QString TakeOverNavigationSound()
{
    QString left;
    if (GetPreviousNavigationSound(left))
        writeSound(left);
    QString current;
    if (!ReadRegistryString(RegistryRoot::CurrentUser, QString(), kNavigationSoundKeyPath, current))
        return QString();
    if (!SetPreviousNavigationSound(current))
        return QString();
    if (!writeSound(QString()))
        return QString();
    return current;
}

void RestoreNavigationSound(const QString &saved)
{
    if (saved.isEmpty())
        return;
    writeSound(saved);
    DeletePreviousNavigationSound();
}

} // namespace tavrin
