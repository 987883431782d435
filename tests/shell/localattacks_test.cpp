// Start-up against a hostile local user or a killed writer: files planted at the lock's place, no private
// folder left, debris beside the settings store.
#include "shell/tavrinapp.h"

#include "base/paths.h"
#include "settings/settings.h"
#include "settings/settingsdebris.h"
#include "support/appservices.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <QDir>
#include <QLockFile>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {
namespace {

using namespace test;
using namespace Qt::StringLiterals;

const auto native = [](const QString &path) { return QFile::encodeName(path); };

// Starts the program with no configuration anywhere (none stored, none beside the program): what it answers
// and the critical boxes it showed.
std::pair<CTavrinApp::StartResult, std::vector<QString>> start()
{
    RecordingBoxes boxes;
    int argc = 0;
    CTavrinApp app(argc, nullptr);
    app.setInstallFolder(PrivateFoldersListener::root() + u"/empty/"_s);
    app.setMessageBoxes(&boxes);
    const CTavrinApp::StartResult result = app.InitInstance();
    std::vector<QString> texts;
    for (const MessageBoxRequest &box : boxes.asked)
        texts.push_back(box.icon == QMessageBox::Critical ? box.text : u"not critical"_s);
    return { result, texts };
}

TEST(LocalAttacks, ALockThatCannotBeTakenIsAFatalErrorAndAHeldOneEndsQuietly)
{
    const QString fatal = GetText({}, TextId::FatalError), lock = SingleInstanceLockPath();
    const QByteArray cache = native(FallbackRuntimeFolder().chopped(1));
    ASSERT_FALSE(lock.isEmpty());
    // Planted at the lock's place: a dangling link, a folder; then no private runtime folder at all (the
    // desktop's is open to others and ours in the cache folder a link).
    const std::function<bool()> plants[] = {
        [&] { return ::symlink("/nonexistent", native(lock).constData()) == 0; },
        [&] { return ::mkdir(native(lock).constData(), 0700) == 0; },
        [&] {
            return ::rmdir(native(lock).constData()) == 0
                && ::chmod(qgetenv("XDG_RUNTIME_DIR").constData(), 0777) == 0
                && ::rmdir(cache.constData()) == 0 && ::symlink("/nonexistent", cache.constData()) == 0
                && SingleInstanceLockPath().isEmpty();
        },
    };
    for (const auto &plant : plants) {
        ::unlink(native(lock).constData());
        ASSERT_TRUE(plant());
        EXPECT_EQ(start(), std::pair(CTavrinApp::StartResult::FatalError, std::vector { fatal }));
    }

    // Held by another copy: the start ends at once and says nothing.
    ASSERT_TRUE(::chmod(qgetenv("XDG_RUNTIME_DIR").constData(), 0700) == 0
                && lock == SingleInstanceLockPath());
    SingleInstanceLock other;
    ASSERT_EQ(other.acquire(lock), SingleInstanceLock::Result::Acquired);
    EXPECT_EQ(start(), std::pair(CTavrinApp::StartResult::OtherCopyRuns, std::vector<QString> {}));
}

TEST(LocalAttacks, DebrisOfKilledSettingsWritersIsSweptAtStartButNotUnderALiveWriter)
{
    ASSERT_TRUE(SetFirstTimeClose(false)); // the store exists
    const QString store = SettingsFilePath(), folder = QFileInfo(store).absolutePath() + u'/';
    const QString victim = PrivateFoldersListener::root() + u"/victim"_s;
    ASSERT_TRUE(writeFile(victim, "precious") && QDir().mkpath(store + u".d"_s));
    // Side files, their check copies and their lock files; a link among them; names that are not ours.
    const QStringList debris { u".a1B2c3"_s, u".a1B2c3.new"_s, u".a1B2c3.lock"_s, u".Zz9.new.lock"_s };
    const QStringList kept { u"Other.conf"_s, u"Other.conf.lock"_s, store.section(u'/', -1) + u"x"_s };
    for (const QString &name : debris)
        ASSERT_TRUE(writeFile(store + name, "[x]\nv=1\n"));
    for (const QString &name : kept)
        ASSERT_TRUE(writeFile(folder + name, "other"));
    ASSERT_EQ(::symlink(native(victim).constData(), native(store + u".link"_s).constData()), 0);
    const auto present = [&] {
        QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    };
    const QStringList before = present();

    {
        QLockFile writer(store + u".lock"_s); // a live writer of this store
        ASSERT_TRUE(writer.tryLock(0));
        EXPECT_EQ(SweepSettingsDebris(0), -1);
        EXPECT_EQ(present(), QStringList(before) << QFileInfo(store).fileName() + u".lock"_s);
    }
    // A writer killed while holding the lock left it behind too, long ago, naming a process that is gone.
    ASSERT_TRUE(writeFile(store + u".lock"_s, "2147483647\ntavrin\n\n"));
    QFile stale(store + u".lock"_s);
    ASSERT_TRUE(stale.open(QIODevice::ReadWrite)
                && stale.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
    stale.close();
    EXPECT_EQ(start().first, CTavrinApp::StartResult::FatalError);
    QStringList after = kept;
    after << QFileInfo(store).fileName() << QFileInfo(store).fileName() + u".d"_s;
    after.sort();
    EXPECT_EQ(present(), after);
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(IsFirstTimeClose()) << "the store itself is intact";
}

} // namespace
} // namespace tavrin
