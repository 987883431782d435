// Per-user settings over one INI file: every operation opens, reads or writes, syncs and closes.
#include "settings/settings.h"

#include "base/paths.h"
#include "base/text.h"
#include "base/version.h"
#include "settings/autostart.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryFile>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <mutex>

namespace tavrin {
namespace {

// Stored names only ever contain [A-Za-z0-9_.-] and "%XX"; these two cannot be produced by the escape,
// so they never meet a real value: the key's default (unnamed) value, and the group recording types.
const QString kDefaultValueName = QStringLiteral("@default");
const QString kTypeGroup = QStringLiteral("@type");
const QString kExpandTypeText = QStringLiteral("expand");

// QSettings gives "/" and "\" a meaning of their own and rewrites other characters in INI keys, so
// every name is reduced to bytes it leaves alone; decoding gives back exactly the original text.
QString escapeName(const QString &name)
{
    if (name.isEmpty())
        return kDefaultValueName;
    return QString::fromLatin1(name.toUtf8().toPercentEncoding(QByteArray(), QByteArray("~")));
}

bool unescapeName(const QString &stored, QString &name)
{
    if (stored == kDefaultValueName) {
        name.clear();
        return true;
    }
    for (const QChar c : stored) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
            || u == u'_' || u == u'.' || u == u'-' || u == u'%';
        if (!plain)
            return false; // not written by this store
    }
    name = QString::fromUtf8(QByteArray::fromPercentEncoding(stored.toLatin1()));
    return true;
}

QString groupOf(const QString &keyPath)
{
    return escapeName(keyPath.isEmpty() ? QStringLiteral("\\") : keyPath);
}

QString storedKey(const QString &keyPath, const QString &valueName)
{
    return groupOf(keyPath) + QLatin1Char('/') + escapeName(valueName);
}

QString typeKey(const QString &keyPath, const QString &valueName)
{
    return groupOf(keyPath) + QLatin1Char('/') + kTypeGroup + QLatin1Char('/') + escapeName(valueName);
}

bool fitsBuffer(const QString &text)
{
    return text.toUtf8().size() + 1 <= kMaxValueBytes;
}

// Reads the stored text of a value; false for anything that is not a plain string.
bool storedText(const QSettings &store, const QString &key, QString &text)
{
    const QVariant value = store.value(key);
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return false;
    text = value.toString();
    return true;
}

using Snapshot = QList<QPair<QString, QVariant>>;

Snapshot snapshotOf(const QSettings &store)
{
    Snapshot all;
    const QStringList keys = store.allKeys();
    for (const QString &key : keys)
        all.append({ key, store.value(key) });
    return all;
}

// A name in the store's folder that nothing uses yet (and that QSettings has therefore never cached).
QString freshFileName(const QString &folder)
{
    QTemporaryFile file(folder + QLatin1Char('/') + AppName() + QStringLiteral(".conf.XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // flush() reports a short write that write() on a buffered file would hide.
    const bool ok = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

std::mutex g_writeMutex;

// Applies one change to the store so that the store file is either replaced by a complete new version or
// left exactly as it was. QSettings' own save can rename a short-written file over the store and still report
// success when the disk fills up mid-write, so the change is saved to a separate file, read back under a new
// name (so it is parsed from disk, not from QSettings' cache) and compared, and only then renamed over the
// store. Writers of this and of other processes take turns through a mutex and a lock file.
bool commitChange(const std::function<bool(QSettings &)> &change)
{
    const QString path = SettingsFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    std::lock_guard processLock(g_writeMutex);
    QLockFile fileLock(path + QStringLiteral(".lock"));
    if (!fileLock.tryLock(10000))
        return false;

    const QFileInfo current(path);
    QByteArray currentBytes;
    if (current.exists() || current.isSymLink()) {
        QFile file(path);
        if (!current.isFile() || !file.open(QIODevice::ReadOnly))
            return false;
        currentBytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
    }

    const QString work = freshFileName(folder);
    if (work.isEmpty())
        return false;
    const QString check = work + QStringLiteral(".new");
    const auto cleanUp = qScopeGuard([&] {
        QFile::remove(work);
        QFile::remove(check);
    });
    if (!writeWholeFile(work, currentBytes))
        return false;

    Snapshot expected;
    {
        QSettings store(work, QSettings::IniFormat);
        if (store.status() == QSettings::AccessError || !change(store))
            return false;
        store.sync();
        if (store.status() != QSettings::NoError)
            return false;
        expected = snapshotOf(store);
    }
    if (!QFile::rename(work, check))
        return false;
    {
        QSettings written(check, QSettings::IniFormat);
        if (written.status() != QSettings::NoError || snapshotOf(written) != expected)
            return false;
    }
    // Readers keep a parsed copy of the store while its size and modification time stay the same, so every
    // new version gets a later time than the one it replaces.
    QDateTime stamp = QDateTime::currentDateTimeUtc();
    const QDateTime previous = current.lastModified().toUTC();
    if (previous.isValid() && stamp <= previous)
        stamp = previous.addMSecs(1);
    {
        QFile file(check);
        if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(stamp, QFileDevice::FileModificationTime))
            return false;
    }
    return std::rename(QFile::encodeName(check).constData(), QFile::encodeName(path).constData()) == 0;
}

bool currentUserOnly(RegistryRoot root)
{
    return root == RegistryRoot::CurrentUser;
}

bool readSetting(const QString &valueName, QString &text)
{
    return ReadRegistryString(RegistryRoot::CurrentUser, valueName, kSettingsKeyPath, text);
}

bool writeSetting(const QString &valueName, const QString &text)
{
    return WriteRegistryString(RegistryRoot::CurrentUser, valueName, text, kSettingsKeyPath);
}

bool readFlag(const QString &valueName, bool defaultValue)
{
    QString text;
    if (!readSetting(valueName, text))
        return defaultValue;
    return text == QLatin1String("1");
}

bool writeFlag(const QString &valueName, bool on)
{
    return writeSetting(valueName, on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace

bool ReadRegistryString(RegistryRoot root, const QString &valueName, const QString &keyPath, QString &text)
{
    if (!currentUserOnly(root))
        return false;
    QSettings store(SettingsFilePath(), QSettings::IniFormat);
    QString value;
    if (!storedText(store, storedKey(keyPath, valueName), value) || !fitsBuffer(value))
        return false;
    text = value;
    return true;
}

bool WriteRegistryString(RegistryRoot root, const QString &valueName, const QString &text,
                         const QString &keyPath, RegistryType type)
{
    if (!currentUserOnly(root) || type == RegistryType::Other)
        return false;
    const QString key = storedKey(keyPath, valueName);
    const QString tKey = typeKey(keyPath, valueName);
    return commitChange([&](QSettings &store) {
        store.setValue(key, text);
        if (type == RegistryType::ExpandString)
            store.setValue(tKey, kExpandTypeText);
        else
            store.remove(tKey);
        return true;
    });
}

bool DeleteRegistryValue(RegistryRoot root, const QString &valueName, const QString &keyPath)
{
    if (!currentUserOnly(root) || !QFileInfo::exists(SettingsFilePath()))
        return false;
    const QString key = storedKey(keyPath, valueName);
    const QString tKey = typeKey(keyPath, valueName);
    return commitChange([&](QSettings &store) {
        if (!store.contains(key))
            return false;
        store.remove(key);
        store.remove(tKey);
        return true;
    });
}

QList<RegistryValueName> ListRegistryValueNames(RegistryRoot root, const QString &keyPath)
{
    QList<RegistryValueName> result;
    if (!currentUserOnly(root))
        return result;
    QSettings store(SettingsFilePath(), QSettings::IniFormat);
    if (store.status() != QSettings::NoError)
        return result;
    store.beginGroup(groupOf(keyPath));
    const QStringList keys = store.childKeys();
    for (const QString &stored : keys) {
        RegistryValueName entry;
        if (!unescapeName(stored, entry.name) || entry.name.size() > kMaxValueNameChars)
            continue;
        const QVariant value = store.value(stored);
        if (value.typeId() != QMetaType::QString)
            entry.type = RegistryType::Other;
        else if (store.value(kTypeGroup + QLatin1Char('/') + stored).toString() == kExpandTypeText)
            entry.type = RegistryType::ExpandString;
        result.append(entry);
    }
    return result;
}

bool SaveMainWindowRect(const WindowRect &rect)
{
    return writeSetting(QStringLiteral("main_window_rect"),
                        QString::asprintf("%d,%d-%d,%d", rect.left, rect.top, rect.right, rect.bottom));
}

bool LoadMainWindowRect(WindowRect &rect)
{
    QString text;
    if (!readSetting(QStringLiteral("main_window_rect"), text))
        return false;
    int numbers[4] = {};
    if (ScanRect(text, numbers) < 4)
        rect = WindowRect {};
    else
        rect = WindowRect { numbers[0], numbers[1], numbers[2], numbers[3] };
    return true;
}

bool IsStartWithWindows()
{
    return AutostartEntryExists();
}

bool SetStartWithWindows(bool on)
{
    if (on)
        return WriteAutostartEntry(RunningExecutablePath());
    return RemoveAutostartEntry();
}

bool GetAlertsEnabled()
{
    return readFlag(QStringLiteral("alerts"), true);
}

bool SetAlertsEnabled(bool on)
{
    return writeFlag(QStringLiteral("alerts"), on);
}

bool GetOtherMediaAlerts()
{
    return readFlag(QStringLiteral("other_media_alerts"), false);
}

bool SetOtherMediaAlerts(bool on)
{
    return writeFlag(QStringLiteral("other_media_alerts"), on);
}

QString GetAlertsSeconds(const QString &defaultTtl)
{
    QString text;
    if (!readSetting(QStringLiteral("alerts_seconds"), text))
        return defaultTtl;
    return text;
}

bool SetAlertsSeconds(const QString &text)
{
    return writeSetting(QStringLiteral("alerts_seconds"), text);
}

QString GetConfigurationPath()
{
    QString text;
    readSetting(QStringLiteral("configuration_path"), text);
    return text;
}

bool SetConfigurationPath(const QString &path)
{
    return writeSetting(QStringLiteral("configuration_path"), path);
}

bool IsFirstTimeClose()
{
    return readFlag(QStringLiteral("first_time_close"), true);
}

bool SetFirstTimeClose(bool on)
{
    return writeFlag(QStringLiteral("first_time_close"), on);
}

bool GetPreviousNavigationSound(QString &sound)
{
    return readSetting(QStringLiteral("previous_ie_sound"), sound);
}

bool SetPreviousNavigationSound(const QString &sound)
{
    return writeSetting(QStringLiteral("previous_ie_sound"), sound);
}

bool DeletePreviousNavigationSound()
{
    return DeleteRegistryValue(RegistryRoot::CurrentUser, QStringLiteral("previous_ie_sound"),
                               kSettingsKeyPath);
}

QString SectionValueName(const QString &key)
{
    return QStringLiteral("section_") + key;
}

bool GetSectionSelected(const QString &key, bool &on)
{
    QString text;
    if (!readSetting(SectionValueName(key), text))
        return false;
    on = text == QLatin1String("1");
    return true;
}

bool SetSectionSelected(const QString &key, bool on)
{
    return writeFlag(SectionValueName(key), on);
}

bool IsSelected(const QString &key, bool active)
{
    bool on = false;
    return GetSectionSelected(key, on) ? on : active;
}

namespace {

// The registration order of each feed, kept beside the feeds (same value names, the sequence number as
// text) so the stored feed values stay exactly as they were while listings follow the order of adding.
const QString kOtherMediaOrderKeyPath = kOtherMediaKeyPath + QStringLiteral("_order");

qint64 registrationNumber(const QString &id)
{
    QString text;
    if (!ReadRegistryString(RegistryRoot::CurrentUser, id, kOtherMediaOrderKeyPath, text))
        return -1;
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return ok ? number : -1;
}

} // namespace

QList<OtherMedium> ListOtherMedia()
{
    QList<std::pair<qint64, OtherMedium>> found;
    const QList<RegistryValueName> names
        = ListRegistryValueNames(RegistryRoot::CurrentUser, kOtherMediaKeyPath);
    for (const RegistryValueName &entry : names) {
        if (entry.name.contains(kOtherMediaDeleteMarker))
            continue;
        QString displayName;
        if (ReadRegistryString(RegistryRoot::CurrentUser, entry.name, kOtherMediaKeyPath, displayName)) {
            const qint64 number = registrationNumber(entry.name);
            // Feeds stored before the order was kept come last, in the store's order.
            found.append({ number < 0 ? std::numeric_limits<qint64>::max() : number,
                           OtherMedium { entry.name, displayName } });
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<OtherMedium> result;
    for (const auto &entry : found)
        result.append(entry.second);
    return result;
}

void PurgeMarkedOtherMedia()
{
    const QList<RegistryValueName> names
        = ListRegistryValueNames(RegistryRoot::CurrentUser, kOtherMediaKeyPath);
    for (const RegistryValueName &entry : names) {
        if (entry.name.contains(kOtherMediaDeleteMarker)) {
            DeleteRegistryValue(RegistryRoot::CurrentUser, entry.name, kOtherMediaKeyPath);
            DeleteRegistryValue(RegistryRoot::CurrentUser, entry.name, kOtherMediaOrderKeyPath);
        }
    }
}

bool StoreOtherMedium(const OtherMedium &medium)
{
    if (!WriteRegistryString(RegistryRoot::CurrentUser, medium.id, medium.name, kOtherMediaKeyPath))
        return false;
    // A feed stored again keeps its place; a new one goes after every other. Two threads registering at
    // once must not take the same number.
    static std::mutex numbering;
    std::lock_guard lock(numbering);
    if (registrationNumber(medium.id) < 0) {
        qint64 last = 0;
        for (const RegistryValueName &entry :
             ListRegistryValueNames(RegistryRoot::CurrentUser, kOtherMediaOrderKeyPath))
            last = std::max(last, registrationNumber(entry.name));
        WriteRegistryString(RegistryRoot::CurrentUser, medium.id, QString::number(last + 1),
                            kOtherMediaOrderKeyPath);
    }
    return true;
}

bool DeleteOtherMedium(const QString &id)
{
    const bool deleted = DeleteRegistryValue(RegistryRoot::CurrentUser, id, kOtherMediaKeyPath);
    DeleteRegistryValue(RegistryRoot::CurrentUser, id, kOtherMediaOrderKeyPath);
    return deleted;
}

} // namespace tavrin
