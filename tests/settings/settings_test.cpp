// Settings store and autostart entry: defaults, location, types, size limit, hostile names, failed saves.
#include "base/paths.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSettings>

#include <thread>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using enum RegistryType;
using Listing = QMap<QString, RegistryType>;

bool write(const QString &name, const QString &text, const QString &key = kSettingsKeyPath,
           RegistryType type = String)
{
    return WriteRegistryString(RegistryRoot::CurrentUser, name, text, key, type);
}

// The value's text; "<absent>" when it cannot be read.
QString read(const QString &name, const QString &key = kSettingsKeyPath)
{
    QString text = u"<absent>"_s;
    ReadRegistryString(RegistryRoot::CurrentUser, name, key, text);
    return text;
}

Listing listed(const QString &key)
{
    Listing names;
    for (const RegistryValueName &entry : ListRegistryValueNames(RegistryRoot::CurrentUser, key))
        names.insert(entry.name, entry.type);
    return names;
}

TEST(Settings, TypedSettingsTheirDefaultsAndTheirText)
{
    // Absent (null): defaults, out-parameter kept, configured flag (false) used; stored: only "1" is true.
    const char *const texts[] = { nullptr, "1", "0", " 1", "01", "true", "" };
    for (const char *text : texts) {
        SCOPED_TRACE(text ? text : "<absent>");
        const bool one = text && text == std::string("1");
        for (const char *name : { "alerts", "other_media_alerts", "first_time_close", "section_news_local" })
            ASSERT_TRUE(!text || write(QString::fromLatin1(name), QString::fromLatin1(text)));
        bool on = !one;
        EXPECT_EQ((std::tuple { GetSectionSelected(u"news_local"_s, on), on,
                                IsSelected(u"news_local"_s, text && !one), GetAlertsEnabled(),
                                GetOtherMediaAlerts(), IsFirstTimeClose() }),
                  (text ? std::tuple { true, one, one, one, one, one }
                        : std::tuple { false, true, false, true, false, true }));
    }
    WindowRect rect { 5, 5, 5, 5 }; // kept when absent, stored as text, all zeros for fewer than four numbers
    EXPECT_TRUE(!LoadMainWindowRect(rect) && rect == WindowRect(5, 5, 5, 5));
    ASSERT_TRUE(SaveMainWindowRect({ -8, 12, 1024, 768 }));
    EXPECT_EQ(read(u"main_window_rect"_s), u"-8,12-1024,768"_s);
    EXPECT_TRUE(LoadMainWindowRect(rect) && rect == WindowRect(-8, 12, 1024, 768));
    ASSERT_TRUE(write(u"main_window_rect"_s, u"1,2-3"_s));
    EXPECT_TRUE(LoadMainWindowRect(rect) && rect == WindowRect());
}

TEST(Settings, StoreIsCreatedUnderXdgConfigHomeByTheFirstWriteForTheCurrentUserOnly)
{
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Belmoreta"_s;
    EXPECT_EQ(SettingsFilePath(), folder + u"/Tavrin.conf"_s);
    EXPECT_EQ((std::tuple { GetAlertsSeconds(u"12"_s), GetConfigurationPath(), QFileInfo::exists(folder) }),
              (std::tuple { u"12"_s, QString(), false })); // reading made nothing
    // Where the store cannot be written (its folder is a file, or it is a folder), nothing is stored.
    for (const bool folderIsAFile : { true, false }) {
        SCOPED_TRACE(folderIsAFile);
        ASSERT_TRUE(QDir().mkpath(folderIsAFile ? QFileInfo(folder).absolutePath() : SettingsFilePath()));
        ASSERT_TRUE(!folderIsAFile || test::writeFile(folder, {}));
        EXPECT_EQ((std::tuple { SetAlertsEnabled(false), GetAlertsEnabled(), DeleteOtherMedium(u"alerts"_s),
                                listed(kSettingsKeyPath).size() }),
                  (std::tuple { false, true, false, 0 }));
        ASSERT_TRUE(QFile::remove(folder) || QDir(folder).removeRecursively());
    }
    ASSERT_TRUE(write(u"Version"_s, u"6"_s, u"X"_s));
    // The other roots read as absent and refuse writes.
    QString text;
    EXPECT_EQ((std::tuple { WriteRegistryString(RegistryRoot::LocalMachine, u"Version"_s, u"7"_s, u"X"_s),
                            ReadRegistryString(RegistryRoot::LocalMachine, u"Version"_s, u"X"_s, text),
                            ListRegistryValueNames(RegistryRoot::LocalMachine, u"X"_s).size(),
                            DeleteRegistryValue(RegistryRoot::LocalMachine, u"Version"_s, u"X"_s) }),
              (std::tuple { false, false, 0, false }));
}

TEST(Settings, ValueTypesAndTheSizeLimit)
{
    // Text and NUL must fit 1024 bytes of UTF-8: 1023 nines or 511 two-byte characters do, one more does not.
    const QString texts[]
        = { QString(1023, u'9'), QString(511, QChar(0xE9)), QString(1024, u'9'), QString(512, QChar(0xE9)) };
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(SetAlertsSeconds(texts[i]));
        EXPECT_EQ(read(u"alerts_seconds"_s), i < 2 ? texts[i] : u"<absent>"_s) << i;
    }
    { // A hand-edited file: an unquoted list and a binary value read as absent.
        QSettings raw(SettingsFilePath(), QSettings::IniFormat);
        raw.setValue(raw.childGroups().value(0) + u"/alerts"_s, QStringList { u"0"_s, u"2"_s });
        raw.setValue(raw.childGroups().value(0) + u"/first_time_close"_s, QByteArray("\x00\x01", 2));
    }
    EXPECT_TRUE(GetAlertsEnabled() && IsFirstTimeClose());
    EXPECT_EQ(listed(kSettingsKeyPath),
              (Listing { { u"alerts"_s, Other },
                         { u"alerts_seconds"_s, String },
                         { u"first_time_close"_s, Other } }));
    // The navigation sound's default (unnamed) value keeps the type of its last write.
    for (const RegistryType type : { ExpandString, String }) {
        ASSERT_TRUE(write(QString(), u"%SystemRoot%\\click.wav"_s, kNavigationSoundKeyPath, type));
        EXPECT_EQ(listed(kNavigationSoundKeyPath), (Listing { { QString(), type } }));
    }
}

TEST(Settings, HostileNamesFromTwoWritersAtOnceRoundTripAndMarkedOnesArePurged)
{
    // Empty: the key's default value; then near misses of the delete marker and the longest listed name.
    QStringList kept = QString::fromUtf8("|a/b|/leading/and/trailing/|back\\slash|..\\other_media\\feed|"
                                         "key=value|other_media/alerts|semi;colon|#comment|[General]|"
                                         "General|with space |per%cent%2F|@default|@type|quote\"d'|alerts|"
                                         "ALERTS|tab\there\nnewline|ni\u00f1o \u65b0\u805e \U0001F4F0")
                           .split(u'|')
        << u"_-|||-_"_s << u"_-||||-"_s << QString(kMaxValueNameChars, u'n');
    QStringList names
        = kept + QStringList { u"x"_s + kOtherMediaDeleteMarker + u"y"_s, kOtherMediaDeleteMarker };
    kept.sort();
    names.sort();
    ASSERT_TRUE(SetAlertsEnabled(false)); // a real setting next to them must stay as it is
    // Two writers at once (another thread and this one) lose none of each other's values.
    const auto store = [&](int from) {
        for (int i = from; i < names.size(); i += 2)
            EXPECT_TRUE(StoreOtherMedium({ names[i], names[i] + u'!' })) << i;
    };
    std::thread other(store, 1);
    store(0);
    other.join();
    ASSERT_TRUE(write(QString(kMaxValueNameChars + 1, u'n'), {}, kOtherMediaKeyPath)); // never listed
    // Listing skips the marked values but leaves them stored; purging deletes those and only those.
    for (const OtherMedium &medium : ListOtherMedia())
        EXPECT_TRUE(kept.contains(medium.id) && medium.name == medium.id + u'!') << medium.id.toStdString();
    EXPECT_EQ(ListOtherMedia().size(), kept.size());
    EXPECT_EQ(listed(kOtherMediaKeyPath).keys(), names);
    PurgeMarkedOtherMedia();
    EXPECT_EQ(listed(kOtherMediaKeyPath).keys(), kept);
    // Nothing spilled into the main key or anywhere else in the file (each feed has its order beside it).
    EXPECT_EQ(listed(kSettingsKeyPath).keys(), QStringList { u"alerts"_s });
    EXPECT_EQ(QSettings(SettingsFilePath(), QSettings::IniFormat).allKeys().size(), kept.size() * 2 + 2);
    // Each deletion finds its own value only (one that took another along would find nothing later).
    for (const QString &name : kept)
        EXPECT_TRUE(DeleteOtherMedium(name)) << name.toStdString();
    EXPECT_FALSE(DeleteOtherMedium(kept[0]) || GetAlertsEnabled());
    EXPECT_TRUE(listed(kOtherMediaKeyPath).isEmpty());
}

// A new version a full disk cuts short is no save: the file stays byte for byte, no work files are left.
TEST(Settings, FailedSaveOrDeleteKeepsThePreviousStore)
{
    ASSERT_TRUE(SetAlertsSeconds(u"7"_s) && write(u"b"_s, QString(200, u'b'), kOtherMediaKeyPath));
    const QByteArray bytes = test::readFile(SettingsFilePath());
    const auto values = [] { return std::pair { GetAlertsSeconds({}), listed(kOtherMediaKeyPath).keys() }; };
    {
        test::FileSizeLimit limit(static_cast<rlim_t>(bytes.size() + 100)); // each new version is cut short
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(SetAlertsSeconds(QString(900, u'3'))
                     || StoreOtherMedium({ u"f"_s, QString(900, u'x') }));
    }
    {
        test::FileSizeLimit limit(1); // every write fails, even of a smaller file
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(DeleteOtherMedium(u"b"_s));
    }
    EXPECT_EQ(test::readFile(SettingsFilePath()), bytes);
    EXPECT_EQ(values(), (std::pair { u"7"_s, QStringList { u"b"_s } }));
    ASSERT_TRUE(SetFirstTimeClose(false)); // a later save must not carry the failed changes along
    EXPECT_EQ(values(), (std::pair { u"7"_s, QStringList { u"b"_s } }));
    EXPECT_EQ(QFileInfo(SettingsFilePath()).dir().entryList(QDir::Files), QStringList { u"Tavrin.conf"_s });
}

TEST(Settings, OtherMediaListInTheOrderTheyWereRegisteredWithTheirValuesUnchanged)
{
    ASSERT_TRUE(write(u"old"_s, u"Old"_s, kOtherMediaKeyPath)); // stored before the order was kept
    for (const char *id : { "9", "10", "b", "A", "zz", "1" })
        ASSERT_TRUE(StoreOtherMedium({ QString::fromLatin1(id), QString::fromLatin1(id) }));
    ASSERT_TRUE(StoreOtherMedium({ u"b"_s, u"B"_s }) && DeleteOtherMedium(u"A"_s)
                && StoreOtherMedium({ u"A"_s, u"A"_s })); // b keeps its place; A, registered again, is last
    QStringList listed;
    for (const OtherMedium &medium : ListOtherMedia())
        listed.append(medium.id + u'=' + medium.name);
    EXPECT_EQ(listed.join(u','), u"9=9,10=10,b=B,zz=zz,1=1,A=A,old=Old"_s);
}

TEST(Autostart, EntryFollowsTheSettingAndQuotesThePath)
{
    EXPECT_FALSE(IsStartWithWindows() || SetStartWithWindows(false)); // nothing to turn off
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(AutostartEntryPath()).absolutePath())); // and nothing made
    for (int round = 0; round < 2; ++round) // the second time replaces the entry
        ASSERT_TRUE(SetStartWithWindows(true) && IsStartWithWindows());
    EXPECT_EQ(AutostartEntryPath(), qEnvironmentVariable("XDG_CONFIG_HOME") + u"/autostart/tavrin.desktop"_s);
    const QString content = QString::fromUtf8(test::readFile(AutostartEntryPath()));
    EXPECT_TRUE(content.startsWith(u"[Desktop Entry]\nType=Application\n"_s)
                && content.contains(u"\nExec="_s + QuotedExecValue(RunningExecutablePath()) + u'\n'));
    EXPECT_TRUE(QFileInfo(RunningExecutablePath()).isExecutable());
    EXPECT_TRUE(SetStartWithWindows(false) && !IsStartWithWindows());
    EXPECT_FALSE(WriteAutostartEntry(u"/opt/a\nb"_s) || AutostartEntryExists()); // no line break in an entry
    // In quotes, ", `, $ and \ take a backslash, which the entry's syntax doubles; % is doubled.
    EXPECT_EQ(QuotedExecValue(u"/my apps/a\"$H`\\100%"_s), u"\"/my apps/a\\\\\"\\\\$H\\\\`\\\\\\\\100%%\""_s);
}

} // namespace
} // namespace tavrin
