// The self-update: the bar, the installer rules, the download against a loopback server, and
// the whole update in the program against the demo publisher.
#include "base/files.h"
#include "base/paths.h"
#include "mainwnd/tavrindlg.h"
#include "settings/settings.h"
#include "shell/tavrinapp.h"
#include "support/appservices.h"
#include "support/messagerecorder.h"
#include "support/privatefolders.h"
#include "support/publisherprocess.h"
#include "support/testfiles.h"
#include "support/testserver.h"
#include "update/installerfile.h"
#include "update/updatingappdlg.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tavrin {
namespace {

using namespace test;
using namespace Qt::StringLiterals;
using enum UpdateOutcome;
using enum InstallerRefusal;

QString markerPath()
{
    return PrivateFoldersListener::root() + u"/marker"_s;
}

TEST(UpdateRules, TheBarFollowsTheDownloadAndOnlyAnInstallerFromHttpsOrLoopbackWithTheRightBytesRuns)
{
    // Notifications in order: a length (announced) when 0 or more, else minus a chunk's size; the bar after.
    const std::pair<std::vector<qint64>, ProgressBarValues> cases[] = {
        { { 100, -30, -50 }, { 100, 80 } },
        { { 100, -80, -80 }, { 100, 100 } }, // never past the end
        { { 0, -8192, -8192 }, { 1, 0 } }, // no Content-Length: still and empty
        { { 100, -60, 100 }, { 100, 0 } }, // another attempt starts from 0
    };
    for (const auto &[notifications, bar] : cases) {
        DownloadProgress progress;
        for (const qint64 n : notifications)
            n >= 0 ? progress.announce(n) : progress.advance(-n);
        EXPECT_EQ(progress.bar(), bar) << notifications[1];
    }

    // Address, configured hash, hash of the file read back (the download's is "a..."), verdict.
    const QString a(64, u'a'), https = u"https://descargas.example/setup"_s;
    const std::tuple<QString, QString, QString, InstallerRefusal> verdicts[] = {
        { https, "", a, None },
        { "http://[::1]:8642/setup", a.toUpper(), a, None },
        { "http://localhost/setup", "", a, None },
        { "http://descargas.example/setup", "", a, InsecureAddress },
        { "http://127.0.0.1.descargas.example/setup", "", a, InsecureAddress },
        { "file:///tmp/setup", "", a, InsecureAddress },
        { https, QString(64, u'b'), a, HashMismatch },
        { https, "", QString(64, u'b'), FileChanged },
        { https, "", "", FileChanged }, // unreadable, or its name leads elsewhere
    };
    for (const auto &[url, expected, written, verdict] : verdicts)
        EXPECT_EQ(JudgeInstaller(url, expected, a.toLatin1(), written.toLatin1()), verdict)
            << qPrintable(url + expected);
}

TEST(UpdateDownload, RetriesUntilItHasTheInstallerThenStartsItOnlyWhenItPassesTheChecks)
{
    TestServices<> services;
    TestServer server;
    const QByteArray script = "#!/bin/sh\nprintf x >> '" + QFile::encodeName(markerPath()) + "'\n";
    std::atomic<int> failures = 0; // answers 503 while above 0
    server.route("/setup", [&](const httplib::Request &, httplib::Response &response) {
        response.status = failures-- > 0 ? 503 : 200;
        response.set_content(script.toStdString(), "application/octet-stream");
    });
    const qint64 size = script.size(), none = -1;
    // Address, answers that fail first, configured hash; how it ends, and the length the dialog is told.
    const std::tuple<QString, int, QString, UpdateOutcome, InstallerRefusal, qint64> cases[] = {
        { server.url("/setup"), 2, Sha256Hex(script), Started, None, size },
        { server.url("/setup"), 0, QString(64, u'0'), Refused, HashMismatch, size },
        { "http://192.0.2.1/", 0, "", Refused, InsecureAddress, none },
    };
    for (const auto &[url, failing, sha256, outcome, refusal, length] : cases) {
        SCOPED_TRACE(url.toStdString() + " " + sha256.toStdString());
        failures = failing;
        QFile::remove(markerPath());
        DeleteTempFiles(); // as the exit after the previous case would
        MessageRecorder dialog, window;
        int releases = 0;
        UpdateDownload download;
        ASSERT_TRUE(download.start({ &services.http, &services.clock, url, sha256, [&] { ++releases; } },
                                   &dialog, &window));
        ASSERT_TRUE(waitUntil([&] { return !download.running(); }));
        EXPECT_TRUE(window.waitFor([&] { return window.count(ID_EXIT) == 1; }));
        EXPECT_TRUE(download.outcome() == outcome && download.refusal() == refusal);
        EXPECT_EQ(releases, int(outcome == Started)) << "the lock goes only for a started installer";
        // The attempt that got the body announces its length first, then its chunks add up to the body.
        const std::vector<qintptr> &w = dialog.wParams;
        EXPECT_EQ(w.empty() ? none : w[0], length);
        EXPECT_EQ(std::reduce(w.begin() + !w.empty(), w.end()), length == none ? 0 : size);
        EXPECT_TRUE(waitUntil([&] {
            return readFile(markerPath()) == (outcome == Started ? "x" : "<missing>");
        })) << "started once, or never";
        // Only a started installer's file is left for the exit to delete: in the private folder, the owner's.
        const QStringList left = ListFiles(TempFolder());
        EXPECT_TRUE(left.size() == (outcome == Started)
                    && (left.isEmpty() || QFile::permissions(left[0]) == QFile::Permissions(0x7700)));
    }
}

TEST(InstallerFile, AnAlteredOrReplacedFileIsRefused)
{
    const QByteArray bytes = "#!/bin/sh\nexit 0\n";
    for (const bool replace : { false, true }) {
        InstallerFile file;
        ASSERT_TRUE(file.write(bytes) && file.sha256() == Sha256Hex(bytes));
        ASSERT_TRUE((!replace || QFile::remove(file.path()))
                    && writeFile(file.path(), replace ? bytes : "#!/bin/sh\nexit 1\n"));
        EXPECT_EQ(JudgeInstaller(u"https://e.example/"_s, {}, Sha256Hex(bytes), file.sha256()), FileChanged);
        file.remove();
        EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
    }
}

// The program against the demo publisher offering a newer version; Yes also lets go of the lock.
TEST(UpdateEndToEnd, CancelEndsTheProgramAndYesRunsTheInstallerOnce)
{
    PublisherProcess publisher(
        { u"--offer-version"_s, u"1.0.0.11"_s, u"--installer-marker"_s, markerPath() });
    const QString config = PrivateFoldersListener::root() + u"/c.xml"_s;
    const httplib::Result document = httplib::Client("127.0.0.1", publisher.port).Get("/clientconfig.xml");
    ASSERT_TRUE(document && writeFile(config, QByteArray::fromStdString(document->body))
                && SetConfigurationPath(config));
    for (const bool cancel : { true, false }) {
        SCOPED_TRACE(cancel ? "cancel" : "yes");
        ASSERT_TRUE(
            publisher.control(cancel ? "status?path=/descargas/tavrin-instalador.sh&code=503" : "reset"));
        RecordingBoxes boxes;
        SwitchablePresence presence;
        boxes.answer = [](const MessageBoxRequest &) { return QMessageBox::Yes; };
        QString seen; // the dialog's caption, text and button, and where the bar stood
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<CUpdatingAppDlg *>(QApplication::activeModalWidget());
            if (!dialog || !cancel || !seen.isEmpty())
                return;
            seen = dialog->windowTitle() + '|' + dialog->findChild<QLabel *>()->text() + '|'
                + dialog->findChild<QPushButton *>()->text() + '|'
                + QString::number(dialog->progressBar()->value());
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(dialog, &escape);
        });
        poll.start(20);
        int argc = 0;
        CTavrinApp app(argc, nullptr);
        app.setMessageBoxes(&boxes);
        app.setNetworkPresence(&presence);
        ASSERT_EQ(app.InitInstance(), CTavrinApp::StartResult::Started);
        app.mainWindow()->setQuitHandler([] {});
        ASSERT_TRUE(waitUntil([&] { return app.mainWindow()->exited(); }, 60000));
        EXPECT_EQ(boxes.asked.size(), 1u);
        EXPECT_EQ(seen,
                  cancel ? u"Tavrin - Actualizando|Descargando la nueva versión de Tavrin ...|Cancelar|0"_s
                         : "");
        EXPECT_TRUE(waitUntil([&] { return readFile(markerPath()).count('\n') == int(!cancel); }))
            << "ran once";
        SingleInstanceLock lock; // the installer's start let go of the lock; a cancel keeps it to the end
        EXPECT_EQ(lock.acquire(SingleInstanceLockPath()),
                  cancel ? SingleInstanceLock::Result::HeldElsewhere : SingleInstanceLock::Result::Acquired);
    }
}

} // namespace
} // namespace tavrin
