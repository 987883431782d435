// The built tools run as programs: table-driven tavrin-tool runs and a fixture running the demo publisher.
#pragma once

#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QProcess>
#include <QRegularExpression>

#include <memory>
#include <vector>

namespace tavrin::test {

struct ToolCase {
    QStringList args;
    int exitCode;
    QByteArray out;
};

// The tool runs in a time zone with summer time, so that times print the same everywhere and their local
// conversion shows. Wrong arguments (exit code 2) must also print a usage line on stderr.
inline void expectToolRuns(const std::vector<ToolCase> &cases)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    for (const ToolCase &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ToolRun run = runTool(c.args, environment);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_EQ(run.out, c.out);
        EXPECT_TRUE(c.exitCode != 2 || run.err.contains("usage: tavrin-tool")) << run.err.toStdString();
    }
}

// One demo publisher for the whole suite, on a free port, with a new headline every second and an installer
// of kOfferedVersion; its controls are reset before each test.
class DemoPublisherTest : public testing::Test {
protected:
    static inline const QString kOfferedVersion = QStringLiteral("1.0.0.11");
    static inline std::unique_ptr<QProcess> server;
    static inline QString base, marker; // "http://127.0.0.1:PORT/", the file its installer writes
    static inline int port = 0;
    static void SetUpTestSuite()
    {
        marker = QStringLiteral(TAVRIN_BINARY_DIR "/tests/publisher-installer-ran");
        server = std::make_unique<QProcess>();
        server->start(QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-publisher"),
                      { "--port", "0", "--news-every", "1", "--offer-version", kOfferedVersion,
                        "--installer-marker", marker });
        while (server->waitForStarted(10000) && !server->canReadLine() && server->waitForReadyRead(10000)) { }
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("^listening on (http://127\\.0\\.0\\.1:(\\d+)/)$"))
                  .match(QString::fromUtf8(server->readLine()).trimmed());
        base = match.captured(1);
        port = match.captured(2).toInt();
    }
    static void TearDownTestSuite()
    {
        server->close();
        server.reset();
    }
    void SetUp() override { ASSERT_EQ(control("reset"), 200) << "the publisher did not start"; }

    // A GET of a site path, not decoded; an answer that does not come within timeoutMs gives no result.
    static httplib::Result get(const std::string &path, const httplib::Headers &headers = {},
                               int timeoutMs = 10000)
    {
        httplib::Client http("127.0.0.1", port);
        http.set_decompress(false);
        http.set_read_timeout(std::chrono::milliseconds(timeoutMs));
        return http.Get(path, headers);
    }
    static int status(const httplib::Result &r) { return r ? r->status : -1; }
    static int control(const std::string &query) { return status(get("/_control/" + query)); }
    static QByteArray body(const httplib::Result &r)
    {
        return status(r) == 200 ? QByteArray::fromStdString(r->body) : "";
    }
    static QByteArray body(const std::string &path) { return body(get(path)); }
    // The site path of an address on the publisher.
    static std::string pathOf(const QString &address) { return address.mid(base.size() - 1).toStdString(); }
    // A served document as the client's own downloader receives it (gzip where offered), given to a checker
    // command: the lines it prints before its verdict, which comes last.
    static QList<QByteArray> checked(const std::string &path, const char *command, const char *verdict)
    {
        const ToolRun fetched = runTool({ "fetch", "--compressed", base + &path[1] });
        const QString file = PrivateFoldersListener::root() + QStringLiteral("/document.xml");
        EXPECT_TRUE(fetched.exitCode == 0 && writeFile(file, fetched.out)) << fetched.err.toStdString();
        const ToolRun run = runTool({ QString::fromLatin1(command), file });
        QList<QByteArray> lines = run.out.trimmed().split('\n');
        EXPECT_TRUE(run.exitCode == 0 && lines.takeLast() == verdict) << run.out.toStdString();
        return lines;
    }
};

} // namespace tavrin::test
