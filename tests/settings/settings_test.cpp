// Settings store: defaults, text formats, size limit, other-media list, autostart, hostile names, failures.
#include "settings/autostart.h"
#include "settings/settings.h"
#include "base/paths.h"
#include "config/clientconfig.h"
#include "news/newsstore.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include <thread>

namespace tavrin {
namespace {

const RegistryRoot kUser = RegistryRoot::CurrentUser;

bool writeMain(const QString &name, const QString &text)
{
    return WriteRegistryString(kUser, name, text, kSettingsKeyPath);
}

QSet<QString> listedNames(const QString &keyPath)
{
    QSet<QString> names;
    for (const RegistryValueName &entry : ListRegistryValueNames(kUser, keyPath))
        names.insert(entry.name);
    return names;
}

QByteArray storeBytes()
{
    return test::readFile(SettingsFilePath());
}

Subsection userFeed(const QString &id, const QString &name)
{
    Subsection feed;
    feed.id = id;
    feed.name = name;
    feed.key = QStringLiteral("mine_") + id;
    feed.active = true;
    feed.user_added = true;
    return feed;
}

TEST(Settings, EmptyStoreGivesEveryDefault)
{
    EXPECT_TRUE(GetAlertsEnabled());
    EXPECT_FALSE(GetOtherMediaAlerts());
    EXPECT_TRUE(IsFirstTimeClose());
    EXPECT_EQ(GetAlertsSeconds(QStringLiteral("12")), QStringLiteral("12"));
    WindowRect rect { 1, 2, 3, 4 };
    EXPECT_FALSE(LoadMainWindowRect(rect));
    EXPECT_EQ(rect, (WindowRect { 1, 2, 3, 4 }));
    EXPECT_EQ(GetConfigurationPath(), QString());
    bool on = true;
    EXPECT_FALSE(GetSectionSelected(QStringLiteral("sports"), on));
    EXPECT_TRUE(IsSelected(QStringLiteral("sports"), true));
    EXPECT_FALSE(IsSelected(QStringLiteral("sports"), false));
    QString sound = QStringLiteral("unchanged");
    EXPECT_FALSE(GetPreviousNavigationSound(sound));
    EXPECT_EQ(sound, QStringLiteral("unchanged"));
    EXPECT_FALSE(IsStartWithWindows());
    EXPECT_TRUE(LoadOtherMedia(QStringLiteral("mine")).isEmpty());
    EXPECT_TRUE(ListRegistryValueNames(kUser, kSettingsKeyPath).isEmpty());
    // Reading never creates the store.
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
}

TEST(Settings, StoreFollowsXdgConfigHome)
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePath(), home + QStringLiteral("/Belmoreta/Tavrin.conf"));
    ASSERT_TRUE(SetConfigurationPath(QStringLiteral("/data/clientconfig.xml")));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Belmoreta/Tavrin.conf")));
    EXPECT_EQ(GetConfigurationPath(), QStringLiteral("/data/clientconfig.xml"));
}

TEST(Settings, OnlyTheTextOneIsTrue)
{
    struct Case {
        const char *text;
        bool expected;
    };
    const Case cases[] = {
        { "1", true },   { "0", false },    { "1 ", false }, { " 1", false },
        { "01", false }, { "true", false }, { "", false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromLatin1(c.text);
        ASSERT_TRUE(writeMain(QStringLiteral("alerts"), text));
        ASSERT_TRUE(writeMain(QStringLiteral("other_media_alerts"), text));
        ASSERT_TRUE(writeMain(QStringLiteral("first_time_close"), text));
        ASSERT_TRUE(writeMain(QStringLiteral("section_news_local"), text));
        EXPECT_EQ(GetAlertsEnabled(), c.expected);
        EXPECT_EQ(GetOtherMediaAlerts(), c.expected);
        EXPECT_EQ(IsFirstTimeClose(), c.expected);
        bool on = !c.expected;
        EXPECT_TRUE(GetSectionSelected(QStringLiteral("news_local"), on));
        EXPECT_EQ(on, c.expected);
        EXPECT_EQ(IsSelected(QStringLiteral("news_local"), !c.expected), c.expected);
    }
}

TEST(Settings, WindowRectangleParsing)
{
    struct Case {
        const char *text;
        WindowRect expected;
    };
    const Case cases[] = {
        { "10,20-300,400", { 10, 20, 300, 400 } },
        { "-1920,-5-0,1080", { -1920, -5, 0, 1080 } },
        { " 1, 2- 3, 4", { 1, 2, 3, 4 } },
        { "+7,8-9,10 trailing", { 7, 8, 9, 10 } },
        { "10,20,300,400", {} }, // wrong separator before the third number
        { "10,20-300", {} },
        { "10,20-300,", {} },
        { "", {} },
        { "left,top-right,bottom", {} },
        { "1 ,2-3,4", {} }, // a literal separator does not skip blanks
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(writeMain(QStringLiteral("main_window_rect"), QString::fromLatin1(c.text)));
        WindowRect rect { 5, 5, 5, 5 };
        EXPECT_TRUE(LoadMainWindowRect(rect));
        EXPECT_EQ(rect, c.expected);
    }
    const WindowRect saved { -8, 12, 1024, 768 };
    ASSERT_TRUE(SaveMainWindowRect(saved));
    QString text;
    ASSERT_TRUE(ReadRegistryString(kUser, QStringLiteral("main_window_rect"), kSettingsKeyPath, text));
    EXPECT_EQ(text, QStringLiteral("-8,12-1024,768"));
    WindowRect loaded;
    EXPECT_TRUE(LoadMainWindowRect(loaded));
    EXPECT_EQ(loaded, saved);
}

TEST(Settings, ValuesOfAKilobyteOrMoreReadAsAbsent)
{
    struct Case {
        QString text;
        bool readable;
    };
    const Case cases[] = {
        { QString(1023, QLatin1Char('9')), true },
        { QString(1024, QLatin1Char('9')), false },
        { QString(5000, QLatin1Char('9')), false },
        { QString(511, QChar(0xE9)), true }, // 1022 bytes of UTF-8
        { QString(512, QChar(0xE9)), false }, // 1024 bytes
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.size());
        ASSERT_TRUE(SetAlertsSeconds(c.text));
        QString text = QStringLiteral("before");
        EXPECT_EQ(ReadRegistryString(kUser, QStringLiteral("alerts_seconds"), kSettingsKeyPath, text),
                  c.readable);
        EXPECT_EQ(text, c.readable ? c.text : QStringLiteral("before"));
        EXPECT_EQ(GetAlertsSeconds(QStringLiteral("9")), c.readable ? c.text : QStringLiteral("9"));
    }
}

TEST(Settings, ValuesThatAreNotStringsReadAsAbsent)
{
    ASSERT_TRUE(SetAlertsSeconds(QStringLiteral("5")));
    {
        // A hand-edited file: an unquoted list and a binary value.
        QSettings raw(SettingsFilePath(), QSettings::IniFormat);
        const QString group = raw.childGroups().value(0);
        ASSERT_FALSE(group.isEmpty());
        raw.setValue(group + QStringLiteral("/alerts"),
                     QStringList { QStringLiteral("1"), QStringLiteral("2") });
        raw.setValue(group + QStringLiteral("/first_time_close"), QByteArray("\x00\x01", 2));
        raw.sync();
        ASSERT_EQ(raw.status(), QSettings::NoError);
    }
    EXPECT_TRUE(GetAlertsEnabled());
    EXPECT_TRUE(IsFirstTimeClose());
    QList<RegistryValueName> names = ListRegistryValueNames(kUser, kSettingsKeyPath);
    std::sort(names.begin(), names.end(), [](auto &a, auto &b) { return a.name < b.name; });
    const QList<RegistryValueName> expected {
        { QStringLiteral("alerts"), RegistryType::Other },
        { QStringLiteral("alerts_seconds"), RegistryType::String },
        { QStringLiteral("first_time_close"), RegistryType::Other },
    };
    EXPECT_EQ(names, expected);
}

TEST(Settings, NavigationSoundKeepsItsTypeAndDefaultValue)
{
    ASSERT_TRUE(WriteRegistryString(kUser, QString(), QStringLiteral("%SystemRoot%\\click.wav"),
                                    kNavigationSoundKeyPath, RegistryType::ExpandString));
    QString sound;
    ASSERT_TRUE(ReadRegistryString(kUser, QString(), kNavigationSoundKeyPath, sound));
    EXPECT_EQ(sound, QStringLiteral("%SystemRoot%\\click.wav"));
    EXPECT_EQ(ListRegistryValueNames(kUser, kNavigationSoundKeyPath),
              (QList<RegistryValueName> { { QString(), RegistryType::ExpandString } }));
    // Silenced while running, written back as a plain string later: the type follows the last write.
    ASSERT_TRUE(SetPreviousNavigationSound(sound));
    ASSERT_TRUE(
        WriteRegistryString(kUser, QString(), QString(), kNavigationSoundKeyPath, RegistryType::String));
    EXPECT_EQ(ListRegistryValueNames(kUser, kNavigationSoundKeyPath),
              (QList<RegistryValueName> { { QString(), RegistryType::String } }));
    QString saved;
    ASSERT_TRUE(GetPreviousNavigationSound(saved));
    EXPECT_EQ(saved, sound);
    EXPECT_TRUE(DeletePreviousNavigationSound());
    EXPECT_FALSE(DeletePreviousNavigationSound());
    EXPECT_FALSE(GetPreviousNavigationSound(saved));
}

TEST(Settings, OnlyTheCurrentUsersStoreExists)
{
    for (const RegistryRoot root : { RegistryRoot::LocalMachine, RegistryRoot::ClassesRoot }) {
        EXPECT_FALSE(
            WriteRegistryString(root, QStringLiteral("Version"), QStringLiteral("6"), QStringLiteral("X")));
        QString text;
        EXPECT_FALSE(ReadRegistryString(root, QStringLiteral("Version"), QStringLiteral("X"), text));
        EXPECT_TRUE(ListRegistryValueNames(root, QStringLiteral("X")).isEmpty());
        EXPECT_FALSE(DeleteRegistryValue(root, QStringLiteral("Version"), QStringLiteral("X")));
    }
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
}

TEST(Settings, MarkedOtherMediaValuesAreDeletedOnLoad)
{
    const QString marker = kOtherMediaDeleteMarker;
    const struct {
        QString id;
        QString name;
        bool kept;
    } values[] = {
        { QStringLiteral("feed1"), QStringLiteral("First"), true },
        { QStringLiteral("x") + marker + QStringLiteral("y"), QStringLiteral("Gone"), false },
        { marker, QStringLiteral("Gone too"), false },
        { QStringLiteral("end") + marker, QStringLiteral("Also gone"), false },
        { QStringLiteral("_-|||-_"), QStringLiteral("Three bars stay"), true },
        { QStringLiteral("feed2"), QStringLiteral("Second"), true },
    };
    for (const auto &v : values)
        ASSERT_TRUE(WriteRegistryString(kUser, v.id, v.name, kOtherMediaKeyPath));

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const QList<Subsection> feeds = LoadOtherMedia(QStringLiteral("mine"));
        QSet<QString> expectedIds;
        for (const auto &v : values) {
            if (v.kept)
                expectedIds.insert(v.id);
        }
        QSet<QString> gotIds;
        for (const Subsection &feed : feeds) {
            gotIds.insert(feed.id);
            EXPECT_EQ(feed.key, QStringLiteral("mine_") + feed.id);
            EXPECT_TRUE(feed.active);
            EXPECT_TRUE(feed.user_added);
            for (const auto &v : values) {
                if (v.id == feed.id) {
                    EXPECT_EQ(feed.name, v.name);
                }
            }
        }
        EXPECT_EQ(gotIds, expectedIds);
        EXPECT_EQ(listedNames(kOtherMediaKeyPath), expectedIds);
    }
}

TEST(Settings, AddingAndRemovingOtherMedia)
{
    Subsection configured = userFeed(QStringLiteral("cfg"), QStringLiteral("Configured"));
    configured.user_added = false;
    EXPECT_FALSE(AddOtherMedia(configured));
    EXPECT_FALSE(RemoveOtherMedia(configured));
    EXPECT_FALSE(IsJustRegistered(configured.key));
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));

    Subsection feed = userFeed(QStringLiteral("4711"), QStringLiteral("El Diario"));
    feed.active = false;
    ASSERT_TRUE(AddOtherMedia(feed));
    EXPECT_TRUE(IsJustRegistered(QStringLiteral("mine_4711")));
    bool on = true;
    ASSERT_TRUE(GetSectionSelected(QStringLiteral("mine_4711"), on));
    EXPECT_FALSE(on);
    const QList<Subsection> feeds = LoadOtherMedia(QStringLiteral("mine"));
    ASSERT_EQ(feeds.size(), 1);
    EXPECT_EQ(feeds[0].name, QStringLiteral("El Diario"));
    EXPECT_EQ(feeds[0].key, QStringLiteral("mine_4711"));

    EXPECT_TRUE(RemoveOtherMedia(feed));
    EXPECT_FALSE(RemoveOtherMedia(feed));
    EXPECT_TRUE(LoadOtherMedia(QStringLiteral("mine")).isEmpty());

    // A feed that cannot be stored is not announced and leaves no selection behind.
    QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME"));
    QFile::remove(SettingsFilePath());
    QDir(QFileInfo(SettingsFilePath()).absolutePath()).removeRecursively();
    QFile blocker(QFileInfo(SettingsFilePath()).absolutePath());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(AddOtherMedia(userFeed(QStringLiteral("9"), QStringLiteral("Nine"))));
    EXPECT_FALSE(IsJustRegistered(QStringLiteral("mine_9")));
    ForgetJustRegistered(QStringLiteral("mine_4711"));
}

TEST(Settings, HostileValueNamesRoundTripWithoutTouchingOtherKeys)
{
    const QStringList names {
        QStringLiteral("a/b"),
        QStringLiteral("/leading/and/trailing/"),
        QStringLiteral("back\\slash"),
        QStringLiteral("..\\other_media\\feed"),
        QStringLiteral("other_media/alerts"),
        QStringLiteral("key=value"),
        QStringLiteral("semi;colon"),
        QStringLiteral("#comment"),
        QStringLiteral("[General]"),
        QStringLiteral("with space "),
        QStringLiteral("per%cent%2F"),
        QStringLiteral("@default"),
        QStringLiteral("@type"),
        QStringLiteral("quote\"d'"),
        QStringLiteral("ni\u00f1o \u65b0\u805e \U0001F4F0"),
        QStringLiteral("tab\there\nnewline"),
        QStringLiteral("alerts"),
        QStringLiteral("ALERTS"),
        QStringLiteral("General"),
        QStringLiteral("_-||||-"),
    };
    // A real setting next to them must stay as it is.
    ASSERT_TRUE(SetAlertsEnabled(false));
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        ASSERT_TRUE(
            WriteRegistryString(kUser, names[i], QStringLiteral("value %1").arg(i), kOtherMediaKeyPath));
    }
    EXPECT_EQ(listedNames(kOtherMediaKeyPath), QSet<QString>(names.begin(), names.end()));
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        QString text;
        ASSERT_TRUE(ReadRegistryString(kUser, names[i], kOtherMediaKeyPath, text));
        EXPECT_EQ(text, QStringLiteral("value %1").arg(i));
    }
    // Nothing spilled into the main key or into new groups.
    EXPECT_EQ(listedNames(kSettingsKeyPath), QSet<QString> { QStringLiteral("alerts") });
    EXPECT_FALSE(GetAlertsEnabled());
    {
        QSettings raw(SettingsFilePath(), QSettings::IniFormat);
        EXPECT_EQ(raw.childGroups().size(), 2);
        EXPECT_TRUE(raw.childKeys().isEmpty());
    }
    EXPECT_EQ(LoadOtherMedia(QStringLiteral("s")).size(), names.size());

    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        EXPECT_TRUE(DeleteRegistryValue(kUser, names[i], kOtherMediaKeyPath));
        EXPECT_FALSE(listedNames(kOtherMediaKeyPath).contains(names[i]));
        EXPECT_EQ(listedNames(kOtherMediaKeyPath).size(), names.size() - i - 1);
    }
    EXPECT_FALSE(GetAlertsEnabled());
}

TEST(Settings, OverlongValueNamesAreNotListed)
{
    const QString longest(kMaxValueNameChars, QLatin1Char('n'));
    const QString tooLong(kMaxValueNameChars + 1, QLatin1Char('n'));
    ASSERT_TRUE(WriteRegistryString(kUser, longest, QStringLiteral("a"), kOtherMediaKeyPath));
    ASSERT_TRUE(WriteRegistryString(kUser, tooLong, QStringLiteral("b"), kOtherMediaKeyPath));
    ASSERT_TRUE(WriteRegistryString(kUser, QStringLiteral("zz"), QStringLiteral("c"), kOtherMediaKeyPath));
    // The long name does not hide the names after it.
    EXPECT_EQ(listedNames(kOtherMediaKeyPath), (QSet<QString> { longest, QStringLiteral("zz") }));
}

TEST(Settings, UnwritableLocationReportsFailure)
{
    const QString folder = QFileInfo(SettingsFilePath()).absolutePath();
    struct Case {
        const char *what;
        void (*block)(const QString &folder);
    };
    const Case cases[] = {
        { "folder is a file",
          [](const QString &f) {
              QFile file(f);
              ASSERT_TRUE(file.open(QIODevice::WriteOnly));
          } },
        { "store is a folder",
          [](const QString &f) { ASSERT_TRUE(QDir().mkpath(f + QStringLiteral("/Tavrin.conf"))); } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(folder);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).absolutePath()));
        c.block(folder);
        EXPECT_FALSE(SetAlertsEnabled(false));
        EXPECT_TRUE(GetAlertsEnabled());
        EXPECT_FALSE(SaveMainWindowRect({ 1, 2, 3, 4 }));
        WindowRect rect;
        EXPECT_FALSE(LoadMainWindowRect(rect));
        EXPECT_FALSE(DeleteRegistryValue(kUser, QStringLiteral("alerts"), kSettingsKeyPath));
        EXPECT_TRUE(ListRegistryValueNames(kUser, kSettingsKeyPath).isEmpty());
    }
}

TEST(Settings, FailedSaveKeepsThePreviousStore)
{
    ASSERT_TRUE(SetAlertsSeconds(QStringLiteral("7")));
    ASSERT_TRUE(SetConfigurationPath(QStringLiteral("/data/a.xml")));
    ASSERT_TRUE(SetOtherMediaAlerts(true));
    const QByteArray before = storeBytes();
    ASSERT_FALSE(before.isEmpty());
    {
        test::FileSizeLimit limit(static_cast<rlim_t>(before.size() + 100));
        ASSERT_TRUE(limit.ok());
        // Each new version is larger than the limit: the save is cut short part-way.
        EXPECT_FALSE(SetConfigurationPath(QString(900, QLatin1Char('p'))));
        EXPECT_FALSE(SetAlertsSeconds(QString(800, QLatin1Char('3'))));
        EXPECT_FALSE(WriteRegistryString(kUser, QString(200, QLatin1Char('f')),
                                         QString(500, QLatin1Char('x')), kOtherMediaKeyPath));
    }
    EXPECT_EQ(storeBytes(), before);
    EXPECT_EQ(GetConfigurationPath(), QStringLiteral("/data/a.xml"));
    EXPECT_EQ(GetAlertsSeconds(QStringLiteral("1")), QStringLiteral("7"));
    EXPECT_TRUE(ListRegistryValueNames(kUser, kOtherMediaKeyPath).isEmpty());

    // A later save must not carry the failed changes along.
    ASSERT_TRUE(SetFirstTimeClose(false));
    EXPECT_EQ(GetConfigurationPath(), QStringLiteral("/data/a.xml"));
    EXPECT_EQ(GetAlertsSeconds(QStringLiteral("1")), QStringLiteral("7"));
    EXPECT_TRUE(ListRegistryValueNames(kUser, kOtherMediaKeyPath).isEmpty());
    EXPECT_LT(storeBytes().size(), before.size() + 100);
    // No work files are left beside the store.
    const QStringList left = QDir(QFileInfo(SettingsFilePath()).absolutePath()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList { QStringLiteral("Tavrin.conf") });
}

TEST(Settings, FailedDeleteKeepsTheValue)
{
    ASSERT_TRUE(
        WriteRegistryString(kUser, QStringLiteral("a"), QString(200, QLatin1Char('a')), kOtherMediaKeyPath));
    ASSERT_TRUE(WriteRegistryString(kUser, QStringLiteral("b"), QStringLiteral("B"), kOtherMediaKeyPath));
    {
        // Every write fails, even of a smaller file.
        test::FileSizeLimit limit(1);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(DeleteRegistryValue(kUser, QStringLiteral("a"), kOtherMediaKeyPath));
    }
    EXPECT_EQ(listedNames(kOtherMediaKeyPath), (QSet<QString> { QStringLiteral("a"), QStringLiteral("b") }));
    ASSERT_TRUE(DeleteRegistryValue(kUser, QStringLiteral("b"), kOtherMediaKeyPath));
    EXPECT_EQ(listedNames(kOtherMediaKeyPath), QSet<QString> { QStringLiteral("a") });
}

TEST(Settings, ConcurrentWritersKeepEachOthersValues)
{
    constexpr int kPerThread = 25;
    auto writer = [](const QString &prefix, bool *allOk) {
        for (int i = 0; i < kPerThread; ++i) {
            if (!SetSectionSelected(prefix + QString::number(i), i % 2 == 0))
                *allOk = false;
        }
    };
    bool okA = true;
    bool okB = true;
    std::thread a(writer, QStringLiteral("a"), &okA);
    std::thread b(writer, QStringLiteral("b"), &okB);
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
    EXPECT_EQ(ListRegistryValueNames(kUser, kSettingsKeyPath).size(), 2 * kPerThread);
    for (const char *prefix : { "a", "b" }) {
        for (int i = 0; i < kPerThread; ++i) {
            bool on = false;
            const QString key = QString::fromLatin1(prefix) + QString::number(i);
            ASSERT_TRUE(GetSectionSelected(key, on)) << key.toStdString();
            EXPECT_EQ(on, i % 2 == 0);
        }
    }
}

TEST(Autostart, EntryFollowsTheSetting)
{
    EXPECT_FALSE(IsStartWithWindows());
    // Turning off what does not exist reports false and creates nothing.
    EXPECT_FALSE(SetStartWithWindows(false));
    EXPECT_FALSE(QFileInfo::exists(AutostartEntryPath()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(AutostartEntryPath()).absolutePath()));

    ASSERT_TRUE(SetStartWithWindows(true));
    EXPECT_TRUE(IsStartWithWindows());
    EXPECT_EQ(AutostartEntryPath(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/tavrin.desktop"));
    QFile entry(AutostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(entry.readAll());
    entry.close();
    EXPECT_TRUE(content.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(content.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(content.contains(QStringLiteral("\nExec=") + QuotedExecValue(RunningExecutablePath())
                                 + QLatin1Char('\n')));
    EXPECT_TRUE(QFileInfo(RunningExecutablePath()).isExecutable());

    ASSERT_TRUE(SetStartWithWindows(true)); // again: replaced, still one entry
    EXPECT_TRUE(IsStartWithWindows());
    EXPECT_TRUE(SetStartWithWindows(false));
    EXPECT_FALSE(IsStartWithWindows());
    EXPECT_FALSE(SetStartWithWindows(false));
}

TEST(Autostart, ExecValueQuoting)
{
    struct Case {
        QString path;
        QString exec;
    };
    const Case cases[] = {
        { QStringLiteral("/usr/bin/tavrin"), QStringLiteral("\"/usr/bin/tavrin\"") },
        { QStringLiteral("/opt/my apps/tavrin"), QStringLiteral("\"/opt/my apps/tavrin\"") },
        { QStringLiteral("/opt/a\"b/t"), QStringLiteral("\"/opt/a\\\\\"b/t\"") },
        { QStringLiteral("/opt/$HOME/`x`"), QStringLiteral("\"/opt/\\\\$HOME/\\\\`x\\\\`\"") },
        { QStringLiteral("/opt/back\\slash"), QStringLiteral("\"/opt/back\\\\\\\\slash\"") },
        { QStringLiteral("/opt/100%/t"), QStringLiteral("\"/opt/100%%/t\"") },
        { QStringLiteral("/opt/line\nbreak"), QString() },
        { QString(), QString() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(QuotedExecValue(c.path), c.exec);
    }
    EXPECT_FALSE(WriteAutostartEntry(QStringLiteral("/opt/line\nbreak")));
    EXPECT_FALSE(AutostartEntryExists());
}

} // namespace
} // namespace tavrin
