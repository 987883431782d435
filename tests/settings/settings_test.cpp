// Settings store: defaults, text formats, size limit, other-media list, autostart, hostile names, failures.
#include "base/paths.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include <atomic>
#include <thread>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
const RegistryRoot kUser = RegistryRoot::CurrentUser;

bool write(const QString &name, const QString &text, const QString &keyPath = kSettingsKeyPath,
           RegistryType type = RegistryType::String)
{
    return WriteRegistryString(kUser, name, text, keyPath, type);
}

// The value's text; "<absent>" when it cannot be read.
QString read(const QString &name, const QString &keyPath = kSettingsKeyPath)
{
    QString text = u"<absent>"_s;
    ReadRegistryString(kUser, name, keyPath, text);
    return text;
}

QSet<QString> listedNames(const QString &keyPath)
{
    QSet<QString> names;
    for (const RegistryValueName &entry : ListRegistryValueNames(kUser, keyPath))
        names.insert(entry.name);
    return names;
}

TEST(Settings, EmptyStoreGivesEveryDefaultAndFollowsXdgConfigHome)
{
    WindowRect rect { 1, 2, 3, 4 };
    bool on = true;
    QString sound = u"unchanged"_s;
    EXPECT_EQ(
        (std::tuple { GetAlertsEnabled(), GetOtherMediaAlerts(), IsFirstTimeClose(), IsStartWithWindows(),
                      IsSelected(u"sports"_s, true), IsSelected(u"sports"_s, false) }),
        (std::tuple { true, false, true, false, true, false }));
    // What is absent reads as false and leaves the out-parameter as it was.
    EXPECT_EQ((std::tuple { LoadMainWindowRect(rect), GetSectionSelected(u"sports"_s, on),
                            GetPreviousNavigationSound(sound) }),
              (std::tuple { false, false, false }));
    EXPECT_EQ((std::tuple { rect, on, sound }),
              (std::tuple { WindowRect { 1, 2, 3, 4 }, true, u"unchanged"_s }));
    EXPECT_EQ(GetAlertsSeconds(u"12"_s), u"12"_s);
    EXPECT_EQ(GetConfigurationPath(), QString());
    EXPECT_TRUE(ListOtherMedia().isEmpty());
    EXPECT_TRUE(ListRegistryValueNames(kUser, kSettingsKeyPath).isEmpty());
    // Only the current user's store exists: the other roots read as absent and refuse writes.
    for (const RegistryRoot root : { RegistryRoot::LocalMachine, RegistryRoot::ClassesRoot }) {
        EXPECT_FALSE(WriteRegistryString(root, u"Version"_s, u"6"_s, u"X"_s));
        EXPECT_FALSE(ReadRegistryString(root, u"Version"_s, u"X"_s, sound));
        EXPECT_TRUE(ListRegistryValueNames(root, u"X"_s).isEmpty());
        EXPECT_FALSE(DeleteRegistryValue(root, u"Version"_s, u"X"_s));
    }
    // Nothing so far created the store; the first write creates it under XDG_CONFIG_HOME.
    const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Belmoreta/Tavrin.conf"_s;
    EXPECT_EQ(SettingsFilePath(), path);
    EXPECT_FALSE(QFileInfo::exists(path));
    ASSERT_TRUE(SetConfigurationPath(u"/data/clientconfig.xml"_s));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(GetConfigurationPath(), u"/data/clientconfig.xml"_s);
}

TEST(Settings, OnlyTheTextOneIsTrue)
{
    for (const char *text : { "1", "0", "1 ", " 1", "01", "true", "" }) {
        SCOPED_TRACE(text);
        const bool expected = text == std::string("1");
        for (const char *name : { "alerts", "other_media_alerts", "first_time_close", "section_news_local" })
            ASSERT_TRUE(write(QString::fromLatin1(name), QString::fromLatin1(text)));
        bool on = !expected;
        EXPECT_TRUE(GetSectionSelected(u"news_local"_s, on));
        EXPECT_EQ((std::tuple { GetAlertsEnabled(), GetOtherMediaAlerts(), IsFirstTimeClose(), on,
                                IsSelected(u"news_local"_s, !expected) }),
                  (std::tuple { expected, expected, expected, expected, expected }));
    }
}

TEST(Settings, WindowRectangleParsing)
{
    const auto load = [](const char *text) {
        WindowRect rect { 5, 5, 5, 5 };
        EXPECT_TRUE(write(u"main_window_rect"_s, QString::fromLatin1(text)) && LoadMainWindowRect(rect))
            << text;
        return rect;
    };
    // The numbers as the base's rectangle reader reads them; fewer than four give all zeros.
    EXPECT_EQ(load("10,20-300,400"), (WindowRect { 10, 20, 300, 400 }));
    EXPECT_EQ(load(" -1920,-5- 0,+1080 trailing"), (WindowRect { -1920, -5, 0, 1080 }));
    for (const char *text : { "10,20,300,400", "1 ,2-3,4", "10,20-300,", "left,top-right,bottom", "" })
        EXPECT_EQ(load(text), WindowRect()) << text;
    ASSERT_TRUE(SaveMainWindowRect({ -8, 12, 1024, 768 }));
    EXPECT_EQ(read(u"main_window_rect"_s), u"-8,12-1024,768"_s);
    WindowRect loaded;
    EXPECT_TRUE(LoadMainWindowRect(loaded));
    EXPECT_EQ(loaded, (WindowRect { -8, 12, 1024, 768 }));
}

TEST(Settings, ValuesOfAKilobyteOrMoreOrNotStringsReadAsAbsent)
{
    // The text and its terminating NUL must fit a kilobyte of UTF-8: 1023 nines or 511 two-byte
    // characters (1022 bytes) are read, 1024 nines or 512 such characters are not.
    const std::pair<QString, bool> cases[] = { { QString(1023, u'9'), true },
                                               { QString(1024, u'9'), false },
                                               { QString(5000, u'9'), false },
                                               { QString(511, QChar(0xE9)), true },
                                               { QString(512, QChar(0xE9)), false } };
    for (const auto &[text, readable] : cases) {
        SCOPED_TRACE(text.size());
        ASSERT_TRUE(SetAlertsSeconds(text));
        EXPECT_EQ(read(u"alerts_seconds"_s), readable ? text : u"<absent>"_s);
        EXPECT_EQ(GetAlertsSeconds(u"9"_s), readable ? text : u"9"_s);
    }
    {
        // A hand-edited file: an unquoted list and a binary value.
        QSettings raw(SettingsFilePath(), QSettings::IniFormat);
        const QString group = raw.childGroups().value(0);
        ASSERT_FALSE(group.isEmpty());
        raw.setValue(group + u"/alerts"_s, QStringList { u"1"_s, u"2"_s });
        raw.setValue(group + u"/first_time_close"_s, QByteArray("\x00\x01", 2));
        raw.sync();
        ASSERT_EQ(raw.status(), QSettings::NoError);
    }
    EXPECT_TRUE(GetAlertsEnabled());
    EXPECT_TRUE(IsFirstTimeClose());
    QList<RegistryValueName> names = ListRegistryValueNames(kUser, kSettingsKeyPath);
    std::sort(names.begin(), names.end(), [](auto &a, auto &b) { return a.name < b.name; });
    EXPECT_EQ(names,
              (QList<RegistryValueName> { { u"alerts"_s, RegistryType::Other },
                                          { u"alerts_seconds"_s, RegistryType::String },
                                          { u"first_time_close"_s, RegistryType::Other } }));
}

TEST(Settings, NavigationSoundKeepsItsTypeAndDefaultValue)
{
    const auto listedAs = [](RegistryType type) {
        return ListRegistryValueNames(kUser, kNavigationSoundKeyPath)
            == QList<RegistryValueName> { { {}, type } };
    };
    const QString sound = u"%SystemRoot%\\click.wav"_s;
    ASSERT_TRUE(write(QString(), sound, kNavigationSoundKeyPath, RegistryType::ExpandString));
    EXPECT_EQ(read(QString(), kNavigationSoundKeyPath), sound);
    EXPECT_TRUE(listedAs(RegistryType::ExpandString));
    // Silenced while running, written back as a plain string later: the type follows the last write.
    ASSERT_TRUE(SetPreviousNavigationSound(sound));
    ASSERT_TRUE(write(QString(), QString(), kNavigationSoundKeyPath, RegistryType::String));
    EXPECT_TRUE(listedAs(RegistryType::String));
    QString saved;
    ASSERT_TRUE(GetPreviousNavigationSound(saved));
    EXPECT_EQ(saved, sound);
    EXPECT_TRUE(DeletePreviousNavigationSound());
    EXPECT_FALSE(DeletePreviousNavigationSound());
    EXPECT_FALSE(GetPreviousNavigationSound(saved));
}

TEST(Settings, MarkedOtherMediaAreSkippedByListingAndDeletedByPurging)
{
    const QString marker = kOtherMediaDeleteMarker;
    // Near misses of the marker are kept.
    const QList<OtherMedium> kept { { u"_-|||-_"_s, u"Three bars"_s },
                                    { u"_-||||-"_s, u"No end"_s },
                                    { u"feed1"_s, u"First"_s },
                                    { u"feed2"_s, u"Second"_s } };
    for (const OtherMedium &medium : kept)
        ASSERT_TRUE(StoreOtherMedium(medium));
    for (const QString &id : { u"x"_s + marker + u"y"_s, marker, u"end"_s + marker })
        ASSERT_TRUE(StoreOtherMedium({ id, u"Gone"_s }));
    // Listing leaves the marked values stored; purging deletes those and only those.
    for (const int stored : { 7, 4 }) {
        QList<OtherMedium> listed = ListOtherMedia();
        std::sort(listed.begin(), listed.end(), [](auto &a, auto &b) { return a.id < b.id; });
        EXPECT_EQ(listed, kept);
        EXPECT_EQ(listedNames(kOtherMediaKeyPath).size(), stored);
        PurgeMarkedOtherMedia();
    }
    EXPECT_TRUE(DeleteOtherMedium(u"feed1"_s));
    EXPECT_FALSE(DeleteOtherMedium(u"feed1"_s));
    EXPECT_EQ(ListOtherMedia().size(), 3);
}

TEST(Settings, HostileValueNamesRoundTripWithoutTouchingOtherKeys)
{
    const QStringList names
        = QString::fromUtf8(
              "a/b|/leading/and/trailing/|back\\slash|..\\other_media\\feed|key=value|other_media/alerts|"
              "semi;colon|#comment|[General]|General|with space |per%cent%2F|@default|@type|quote\"d'|"
              "alerts|ALERTS|tab\there\nnewline|ni\u00f1o \u65b0\u805e \U0001F4F0")
              .split(u'|');
    ASSERT_TRUE(SetAlertsEnabled(false)); // a real setting next to them must stay as it is
    for (int i = 0; i < names.size(); ++i)
        ASSERT_TRUE(write(names[i], u"value %1"_s.arg(i), kOtherMediaKeyPath)) << i;
    EXPECT_EQ(listedNames(kOtherMediaKeyPath), QSet<QString>(names.begin(), names.end()));
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(read(names[i], kOtherMediaKeyPath), u"value %1"_s.arg(i));
    EXPECT_EQ(ListOtherMedia().size(), names.size());
    // Nothing spilled into the main key or into new groups.
    EXPECT_EQ(listedNames(kSettingsKeyPath), QSet<QString> { u"alerts"_s });
    EXPECT_EQ(QSettings(SettingsFilePath(), QSettings::IniFormat).childGroups().size(), 2);
    EXPECT_TRUE(QSettings(SettingsFilePath(), QSettings::IniFormat).childKeys().isEmpty());
    // Each deletion finds its own value only (one that took another along would find nothing later).
    for (const QString &name : names)
        EXPECT_TRUE(DeleteRegistryValue(kUser, name, kOtherMediaKeyPath)) << name.toStdString();
    EXPECT_TRUE(listedNames(kOtherMediaKeyPath).isEmpty());
    EXPECT_FALSE(GetAlertsEnabled());

    // Names longer than the limit are not listed, and do not hide the names after them.
    const QString longest(kMaxValueNameChars, u'n');
    for (const QString &name : { longest, longest + u'n', u"zz"_s })
        ASSERT_TRUE(write(name, u"a"_s, kOtherMediaKeyPath));
    EXPECT_EQ(listedNames(kOtherMediaKeyPath), (QSet<QString> { longest, u"zz"_s }));
}

TEST(Settings, UnwritableLocationReportsFailure)
{
    const QString folder = QFileInfo(SettingsFilePath()).absolutePath();
    for (const bool folderIsAFile : { true, false }) {
        SCOPED_TRACE(folderIsAFile ? "the folder is a file" : "the store is a folder");
        QFile::remove(folder);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).absolutePath()));
        ASSERT_TRUE(folderIsAFile ? test::writeFile(folder, {}) : QDir().mkpath(SettingsFilePath()));
        EXPECT_FALSE(SetAlertsEnabled(false));
        EXPECT_TRUE(GetAlertsEnabled());
        EXPECT_FALSE(SaveMainWindowRect({ 1, 2, 3, 4 }));
        WindowRect rect;
        EXPECT_FALSE(LoadMainWindowRect(rect));
        EXPECT_FALSE(DeleteRegistryValue(kUser, u"alerts"_s, kSettingsKeyPath));
        EXPECT_TRUE(ListRegistryValueNames(kUser, kSettingsKeyPath).isEmpty());
    }
}

TEST(Settings, FailedSaveOrDeleteKeepsThePreviousStore)
{
    ASSERT_TRUE(SetAlertsSeconds(u"7"_s));
    ASSERT_TRUE(SetConfigurationPath(u"/data/a.xml"_s));
    ASSERT_TRUE(write(u"b"_s, QString(200, u'b'), kOtherMediaKeyPath));
    const QByteArray before = test::readFile(SettingsFilePath());
    const auto unchanged = [] {
        EXPECT_EQ(GetConfigurationPath(), u"/data/a.xml"_s);
        EXPECT_EQ(GetAlertsSeconds(u"1"_s), u"7"_s);
        EXPECT_EQ(listedNames(kOtherMediaKeyPath), QSet<QString> { u"b"_s });
    };
    {
        test::FileSizeLimit limit(static_cast<rlim_t>(before.size() + 100));
        ASSERT_TRUE(limit.ok());
        // Each new version is larger than the limit: the save is cut short part-way.
        EXPECT_FALSE(SetConfigurationPath(QString(900, u'p')));
        EXPECT_FALSE(SetAlertsSeconds(QString(800, u'3')));
        EXPECT_FALSE(write(QString(200, u'f'), QString(500, u'x'), kOtherMediaKeyPath));
    }
    {
        // Every write fails, even of a smaller file.
        test::FileSizeLimit limit(1);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(DeleteRegistryValue(kUser, u"b"_s, kOtherMediaKeyPath));
    }
    EXPECT_EQ(test::readFile(SettingsFilePath()), before);
    unchanged();
    // A later save must not carry the failed changes along, and leaves no work files beside the store.
    ASSERT_TRUE(SetFirstTimeClose(false));
    unchanged();
    EXPECT_LT(test::readFile(SettingsFilePath()).size(), before.size() + 100);
    EXPECT_EQ(QFileInfo(SettingsFilePath()).dir().entryList(QDir::Files), QStringList { u"Tavrin.conf"_s });
}

TEST(Settings, ConcurrentWritersKeepEachOthersValues)
{
    constexpr int kPerThread = 25;
    std::atomic<int> failed { 0 };
    const auto writer = [&](QChar prefix) {
        for (int i = 0; i < kPerThread; ++i)
            failed += SetSectionSelected(prefix + QString::number(i), i % 2 == 0) ? 0 : 1;
    };
    std::thread a(writer, u'a');
    std::thread b(writer, u'b');
    a.join();
    b.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(ListRegistryValueNames(kUser, kSettingsKeyPath).size(), 2 * kPerThread);
    for (const QChar prefix : { u'a', u'b' }) {
        for (int i = 0; i < kPerThread; ++i) {
            bool on = false;
            ASSERT_TRUE(GetSectionSelected(prefix + QString::number(i), on)) << i;
            EXPECT_EQ(on, i % 2 == 0) << i;
        }
    }
}

TEST(Autostart, EntryFollowsTheSetting)
{
    // Turning off what does not exist reports false and creates nothing.
    EXPECT_FALSE(SetStartWithWindows(false));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(AutostartEntryPath()).absolutePath()));

    ASSERT_TRUE(SetStartWithWindows(true));
    EXPECT_TRUE(IsStartWithWindows());
    EXPECT_EQ(AutostartEntryPath(), qEnvironmentVariable("XDG_CONFIG_HOME") + u"/autostart/tavrin.desktop"_s);
    const QString content = QString::fromUtf8(test::readFile(AutostartEntryPath()));
    EXPECT_TRUE(content.startsWith(u"[Desktop Entry]\n"_s));
    EXPECT_TRUE(content.contains(u"\nType=Application\n"_s));
    EXPECT_TRUE(content.contains(u"\nExec="_s + QuotedExecValue(RunningExecutablePath()) + u'\n'));
    EXPECT_TRUE(QFileInfo(RunningExecutablePath()).isExecutable());

    ASSERT_TRUE(SetStartWithWindows(true)); // again: replaced, still one entry
    EXPECT_TRUE(IsStartWithWindows());
    EXPECT_TRUE(SetStartWithWindows(false));
    EXPECT_FALSE(IsStartWithWindows());
    EXPECT_FALSE(SetStartWithWindows(false));

    // A path that cannot stand in an entry gives no entry at all.
    EXPECT_FALSE(WriteAutostartEntry(u"/opt/line\nbreak"_s));
    EXPECT_FALSE(AutostartEntryExists());
}

TEST(Autostart, ExecValueQuoting)
{
    const std::pair<QString, QString> cases[] = {
        { u"/usr/bin/tavrin"_s, u"\"/usr/bin/tavrin\""_s },
        { u"/opt/my apps/tavrin"_s, u"\"/opt/my apps/tavrin\""_s },
        { u"/opt/a\"b/t"_s, u"\"/opt/a\\\\\"b/t\""_s },
        { u"/opt/$HOME/`x`"_s, u"\"/opt/\\\\$HOME/\\\\`x\\\\`\""_s },
        { u"/opt/back\\slash"_s, u"\"/opt/back\\\\\\\\slash\""_s },
        { u"/opt/100%/t"_s, u"\"/opt/100%%/t\""_s },
        { u"/opt/line\nbreak"_s, QString() },
        { QString(), QString() },
    };
    for (const auto &[path, exec] : cases)
        EXPECT_EQ(QuotedExecValue(path), exec) << path.toStdString();
}

} // namespace
} // namespace tavrin
