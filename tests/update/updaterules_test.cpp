// The update's plain decisions: the version question, the progress bar, which installer may run.
#include "mainwnd/mainwndstate.h"
#include "update/updaterules.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrin {
namespace {

using enum AppState;
using enum InstallerRefusal;

TEST(UpdateRules, QuestionAskedOnlyOutsideOfflineUpdatingExitingAndOnlyOnce)
{
    for (const AppState state : { Starting, FirstLoad, Running, Refreshing, Offline, Updating, Exiting }) {
        SCOPED_TRACE(int(state));
        EXPECT_EQ(AsksNewVersion(state, false), state != Offline && state != Updating && state != Exiting);
        EXPECT_FALSE(AsksNewVersion(state, true)) << "a question is open already";
    }
}

TEST(UpdateRules, ProgressBarFollowsTheAnnouncedLengthAndTheChunks)
{
    // Notifications: a length (announce) when positive or zero, else minus a chunk's bytes.
    const struct {
        const char *name;
        std::vector<qint64> notifications;
        ProgressBarValues bar;
    } cases[] = {
        { "chunks advance the bar", { 100, -30, -50 }, { 100, 80 } },
        { "never past the end", { 100, -80, -80 }, { 100, 100 } },
        { "no Content-Length: still and empty", { 0, -8192, -8192 }, { 1, 0 } },
        { "another attempt starts again from 0", { 100, -60, 100 }, { 100, 0 } },
        { "beyond an int, scaled", { 6000000000, -3000000000 }, { 2000000000, 1000000000 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DownloadProgress progress;
        for (const qint64 n : c.notifications)
            n >= 0 ? progress.announce(n) : progress.advance(-n);
        EXPECT_EQ(progress.bar(), c.bar);
    }
}

TEST(UpdateRules, OnlyAnInstallerFromHttpsOrLoopbackWithTheRightBytesRuns)
{
    const QByteArray a(64, 'a'), b(64, 'b');
    const struct {
        const char *url, *expected;
        QByteArray downloaded, written;
        InstallerRefusal verdict;
    } cases[] = {
        { "https://descargas.example/setup", "", a, a, None },
        { "HTTPS://descargas.example/setup",
          "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", a, a, None },
        { "http://127.0.0.1:8642/setup", "", a, a, None },
        { "http://127.9.9.9/setup", "", a, a, None },
        { "http://localhost/setup", "", a, a, None },
        { "http://[::1]:80/setup", "", a, a, None },
        { "http://descargas.example/setup", "", a, a, InsecureAddress },
        { "http://10.0.0.1/setup", "", a, a, InsecureAddress },
        { "http://127.0.0.1.descargas.example/setup", "", a, a, InsecureAddress },
        { "ftp://127.0.0.1/setup", "", a, a, InsecureAddress },
        { "file:///tmp/setup", "", a, a, InsecureAddress },
        { "https:///setup", "", a, a, InsecureAddress },
        { "https://descargas.example/setup",
          "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", a, a, HashMismatch },
        { "https://descargas.example/setup", "", a, b, FileChanged },
        { "https://descargas.example/setup", "", a, "", FileChanged },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(JudgeInstaller(QString::fromLatin1(c.url), QString::fromLatin1(c.expected), c.downloaded,
                                 c.written),
                  c.verdict);
    }
}

} // namespace
} // namespace tavrin
