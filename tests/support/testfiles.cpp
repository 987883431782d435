// Shared file, fixture, gzip, file-size-limit and tool-run helpers of the tests.
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <zlib.h>

#include <csignal>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace tavrin::test {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString fixturePath(const char *folder, const char *name)
{
    return QStringLiteral(TAVRIN_SOURCE_DIR "/tests/data/") + QString::fromUtf8(folder) + QLatin1Char('/')
        + QString::fromUtf8(name) + QStringLiteral(".xml");
}

QByteArray fixtureBytes(const char *folder, const char *name)
{
    QFile file(fixturePath(folder, name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << folder << '/' << name;
    return file.readAll();
}

QByteArray gzipBytes(const QByteArray &data, qsizetype repeat)
{
    z_stream zs {};
    EXPECT_EQ(deflateInit2(&zs, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out;
    char buffer[16384];
    for (qsizetype i = 0; i < repeat; ++i) {
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
        zs.avail_in = uInt(data.size());
        const int flush = i + 1 == repeat ? Z_FINISH : Z_NO_FLUSH;
        int rc;
        do {
            zs.next_out = reinterpret_cast<Bytef *>(buffer);
            zs.avail_out = sizeof buffer;
            rc = deflate(&zs, flush);
            out.append(buffer, qsizetype(sizeof buffer - zs.avail_out));
        } while (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    }
    deflateEnd(&zs);
    return out;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limited = m_old;
    limited.rlim_cur = bytes;
    m_ok = setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

ToolRun runTool(const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-tool"), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return ToolRun { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

} // namespace tavrin::test
