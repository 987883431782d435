// The installer's download, checks and start against a loopback server, and the whole update in the program.
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

#include <sys/stat.h>

namespace tavrin {
namespace {

using namespace test;
using namespace Qt::StringLiterals;
using enum UpdateOutcome;

QString markerPath()
{
    return PrivateFoldersListener::root() + u"/marker"_s;
}

TEST(UpdateDownload, RetriesUntilItHasTheInstallerThenStartsItOnlyWhenItPassesTheChecks)
{
    TestServices<> services;
    TestServer server;
    const std::string script = "#!/bin/sh\nprintf x >> '" + markerPath().toStdString() + "'\n";
    const QString good = QString::fromLatin1(Sha256Hex(QByteArray::fromStdString(script)));
    std::atomic<int> failures = 0; // answers 503 while above 0
    server.route("/setup", [&](const httplib::Request &, httplib::Response &response) {
        response.status = failures-- > 0 ? 503 : 200;
        response.set_content(script, "application/octet-stream");
    });
    server.chunked("/chunked", script);
    const qint64 size = qint64(script.size()), none = -1;
    const struct {
        const char *name, *path;
        int failures;
        QString sha256;
        UpdateOutcome outcome;
        InstallerRefusal refusal;
        qint64 announced; // the length the dialog is told
    } cases[] = {
        { "fails twice, then starts", "/setup", 2, {}, Started, InstallerRefusal::None, size },
        { "no Content-Length, the hash matches", "/chunked", 0, good, Started, InstallerRefusal::None, 0 },
        { "another hash", "/setup", 0, QString(64, u'0'), Refused, InstallerRefusal::HashMismatch, size },
        { "plain http elsewhere",
          "http://192.0.2.1/",
          0,
          {},
          Refused,
          InstallerRefusal::InsecureAddress,
          none },
        { "cancelled while it fails", "/setup", 1 << 30, {}, Cancelled, InstallerRefusal::None, none },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        failures = c.failures;
        QFile::remove(markerPath());
        DeleteTempFiles(); // as the exit after the last case would
        MessageRecorder dialog, window;
        int releases = 0;
        UpdateDownload download;
        const QString url = *c.path == '/' ? server.url(c.path) : QString::fromLatin1(c.path);
        const int hits = server.hits("/setup");
        ASSERT_TRUE(download.start({ &services.http, &services.clock, url, c.sha256, [&] { ++releases; } },
                                   &dialog, &window));
        if (c.outcome == Cancelled) {
            ASSERT_TRUE(waitUntil([&] { return server.hits("/setup") > hits + 2; }));
            download.cancel();
        }
        ASSERT_TRUE(waitUntil([&] { return !download.running(); }));
        EXPECT_TRUE(window.waitFor([&] { return window.count(ID_EXIT) == (c.outcome != Cancelled); }));
        EXPECT_TRUE(download.outcome() == c.outcome && download.refusal() == c.refusal);
        EXPECT_EQ(releases, int(c.outcome == Started)) << "the lock goes only for a started installer";
        // The length is announced for the attempt that got the body; its chunks add up to the body.
        dialog.drain();
        qint64 announced = none, received = 0;
        for (size_t i = 0; i < dialog.numbers.size(); ++i)
            dialog.numbers[i] == WM_DOWNLOAD_LENGTH ? announced = dialog.wParams[i]
                                                    : received += dialog.wParams[i];
        EXPECT_TRUE(announced == c.announced && received == (announced == none ? 0 : size));
        if (c.outcome == Started)
            EXPECT_TRUE(waitUntil([&] { return readFile(markerPath()) == "x"; })) << "started once";
        else
            EXPECT_TRUE(ListFiles(TempFolder()).isEmpty() && !QFile::exists(markerPath())) << "nothing left";
    }
}

TEST(InstallerFile, AnAlteredOrReplacedFileIsRefusedAndRemoved)
{
    const QByteArray bytes = "#!/bin/sh\nexit 0\n";
    const std::function<bool(const QString &)> alterations[] = {
        [](const QString &path) { return writeFile(path, "#!/bin/sh\nrm -rf ~\n"); }, // written over
        [](const QString &path) { // replaced by another file
            return writeFile(path + u"2"_s, "x") && QFile::remove(path) && QFile::rename(path + u"2"_s, path);
        },
        [](const QString &path) { return QFile::remove(path); },
    };
    for (const auto &alter : alterations) {
        InstallerFile file;
        ASSERT_TRUE(file.write(bytes));
        struct stat st { };
        EXPECT_TRUE(file.path().startsWith(TempFolder()) && ::stat(qPrintable(file.path()), &st) == 0
                    && (st.st_mode & 07777) == 0700);
        EXPECT_EQ(file.sha256(), Sha256Hex(bytes));
        ASSERT_TRUE(alter(file.path()));
        EXPECT_EQ(JudgeInstaller(u"https://e.example/"_s, {}, Sha256Hex(bytes), file.sha256()),
                  InstallerRefusal::FileChanged);
        file.remove();
        EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
    }
}

// The program against the demo publisher offering a newer version: Cancel ends it with nothing run;
// Yes downloads the installer, starts it once, lets go of the lock and ends the program.
TEST(UpdateEndToEnd, CancelEndsTheProgramAndYesRunsTheInstallerOnce)
{
    PublisherProcess publisher(
        { u"--offer-version"_s, u"1.0.0.11"_s, u"--installer-marker"_s, markerPath() });
    const QString config = PrivateFoldersListener::root() + u"/c.xml"_s;
    httplib::Client http("127.0.0.1", publisher.port);
    const httplib::Result document = http.Get("/clientconfig.xml");
    ASSERT_TRUE(document && writeFile(config, QByteArray::fromStdString(document->body))
                && SetConfigurationPath(config));
    for (const bool cancel : { true, false }) {
        SCOPED_TRACE(cancel ? "cancel" : "yes");
        ASSERT_TRUE(
            publisher.control(cancel ? "status?path=/descargas/tavrin-instalador.sh&code=503" : "reset"));
        RecordingBoxes boxes;
        SwitchablePresence presence;
        boxes.answer = [](const MessageBoxRequest &) { return QMessageBox::Yes; };
        QStringList seen; // the dialog's caption, text and button, then how the bar stood
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<CUpdatingAppDlg *>(QApplication::activeModalWidget());
            if (!dialog || !cancel || !seen.isEmpty())
                return;
            seen << dialog->windowTitle() << dialog->findChild<QLabel *>()->text()
                 << dialog->findChild<QPushButton *>()->text()
                 << QString::number(dialog->progressBar()->value());
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
        const QStringList texts { u"Tavrin - Actualizando"_s, u"Descargando la nueva versión de Tavrin ..."_s,
                                  u"Cancelar"_s, u"0"_s };
        EXPECT_EQ(seen, cancel ? texts : QStringList());
        EXPECT_TRUE(cancel || waitUntil([] { return readFile(markerPath()).count('\n') == 1; }));
        EXPECT_EQ(readFile(markerPath()).count('\n'), cancel ? 0 : 1);
        EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
        SingleInstanceLock lock; // the installer's start let go of the lock; a cancel keeps it to the end
        EXPECT_EQ(lock.acquire(SingleInstanceLockPath()),
                  cancel ? SingleInstanceLock::Result::HeldElsewhere : SingleInstanceLock::Result::Acquired);
    }
}

} // namespace
} // namespace tavrin
