// The demo publisher run as a process on a free port, for tests of what talks to a whole site.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <httplib.h>

namespace tavrin::test {

class PublisherProcess {
public:
    explicit PublisherProcess(const QStringList &options = {})
    {
        m_process.start(QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-publisher"),
                        QStringList { QStringLiteral("--port"), QStringLiteral("0") } + options);
        while (m_process.waitForStarted(10000) && !m_process.canReadLine()
               && m_process.waitForReadyRead(10000)) { }
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("^listening on (http://127\\.0\\.0\\.1:(\\d+)/)$"))
                  .match(QString::fromUtf8(m_process.readLine()).trimmed());
        base = match.captured(1);
        port = match.captured(2).toInt();
    }
    ~PublisherProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    // GET /_control/<what>; true when the publisher answered 200.
    bool control(const std::string &what) const
    {
        httplib::Client http("127.0.0.1", port);
        const httplib::Result result = http.Get("/_control/" + what);
        return result && result->status == 200;
    }

    QString base; // "http://127.0.0.1:PORT/"
    int port = 0;

private:
    QProcess m_process;
};

} // namespace tavrin::test
