// The per-user settings store: four generic value primitives and one typed operation per setting.
#pragma once

#include "base/buildinfo.h"

#include <QList>
#include <QString>

namespace tavrin {

// Where a value lives. Only the current user's store exists on this platform; the other roots
// read as absent and refuse writes.
enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };

// How a value was written. Both string kinds read back the same way; anything else reads as absent.
enum class RegistryType { String, ExpandString, Other };

struct RegistryValueName {
    QString name;
    RegistryType type = RegistryType::String;
    friend bool operator==(const RegistryValueName &, const RegistryValueName &) = default;
};

// Key paths and value names used by the program.
inline const QString kSettingsKeyPath
    = QStringLiteral("Software\\" TAVRIN_ORGANIZATION_NAME "\\" TAVRIN_APP_NAME);
inline const QString kOtherMediaKeyPath = kSettingsKeyPath + QStringLiteral("\\other_media");
inline const QString kNavigationSoundKeyPath
    = QStringLiteral("AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.Current");
// The marker of an other-media value to delete: listings skip it, the start-up purge removes it.
inline const QString kOtherMediaDeleteMarker = QStringLiteral("_-||||-_");

// A value's text, including its terminating NUL, must fit this many bytes to be read.
constexpr int kMaxValueBytes = 1024;
// Value names longer than this are not listed.
constexpr int kMaxValueNameChars = 255;

// True and the text when the value exists, is a string and is shorter than kMaxValueBytes in UTF-8;
// otherwise false and text unchanged. An empty value name addresses the key's default value.
bool ReadRegistryString(RegistryRoot root, const QString &valueName, const QString &keyPath, QString &text);
// True when the value was stored durably (the store file was replaced whole).
bool WriteRegistryString(RegistryRoot root, const QString &valueName, const QString &text,
                         const QString &keyPath, RegistryType type = RegistryType::String);
// True when the value existed and its deletion was stored; a missing key or value gives false.
bool DeleteRegistryValue(RegistryRoot root, const QString &valueName, const QString &keyPath);
// The values of the key as (name, type) pairs; empty when the key cannot be read.
QList<RegistryValueName> ListRegistryValueNames(RegistryRoot root, const QString &keyPath);

// Left, top, right and bottom of the main window in screen pixels.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const WindowRect &, const WindowRect &) = default;
};

bool SaveMainWindowRect(const WindowRect &rect);
// False when absent; true otherwise, with an all-zero rectangle when the text does not hold four numbers.
bool LoadMainWindowRect(WindowRect &rect);

// The autostart entry exists.
bool IsStartWithWindows();
// On: writes the autostart entry for the running executable; off: removes it (false when there was none).
bool SetStartWithWindows(bool on);

bool GetAlertsEnabled(); // default true
bool SetAlertsEnabled(bool on);
bool GetOtherMediaAlerts(); // default false
bool SetOtherMediaAlerts(bool on);
// The stored text, else the default the caller gives (the configuration's alerts_ttl).
QString GetAlertsSeconds(const QString &defaultTtl);
bool SetAlertsSeconds(const QString &text);
QString GetConfigurationPath(); // default ""
bool SetConfigurationPath(const QString &path);
bool IsFirstTimeClose(); // default true
bool SetFirstTimeClose(bool on);
// The navigation sound in force before the program silenced it; false when nothing is saved.
bool GetPreviousNavigationSound(QString &sound);
bool SetPreviousNavigationSound(const QString &sound);
bool DeletePreviousNavigationSound();

// "section_" + key.
QString SectionValueName(const QString &key);
// False when no choice is stored (the caller then uses the configured active flag); else true and the flag.
bool GetSectionSelected(const QString &key, bool &on);
bool SetSectionSelected(const QString &key, bool on);
// The stored choice for the selection key, else the configured active flag.
bool IsSelected(const QString &key, bool active);

// A feed of other media the user registered: the stored value's name and its text.
struct OtherMedium {
    QString id;
    QString name;
    friend bool operator==(const OtherMedium &, const OtherMedium &) = default;
};

// The registered feeds in the order they were first stored (feeds stored before that order was kept come
// last, in the store's order); values whose name holds kOtherMediaDeleteMarker are skipped.
QList<OtherMedium> ListOtherMedia();
// Deletes the values whose name holds kOtherMediaDeleteMarker (done once at start-up).
void PurgeMarkedOtherMedia();
// Stores the feed; false when the value could not be stored.
bool StoreOtherMedium(const OtherMedium &medium);
// Deletes the feed's value; false when there was none or the deletion could not be stored.
bool DeleteOtherMedium(const QString &id);

} // namespace tavrin
