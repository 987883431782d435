// Helpers the tests share: reading and writing files, fixtures, gzip members, a file-size limit, tool runs.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <ostream>

#include <sys/resource.h>

// Readable failure messages for texts.
void PrintTo(const QString &text, std::ostream *os);

namespace tavrin::test {

// The whole file, or "<missing>" when it cannot be read.
QByteArray readFile(const QString &path);
// Creates or truncates the file (its folder must exist); true when every byte was written.
bool writeFile(const QString &path, const QByteArray &bytes);

// tests/data/<folder>/<name>.xml in the source tree.
QString fixturePath(const char *folder, const char *name);
QByteArray fixtureBytes(const char *folder, const char *name);

// One gzip member holding `data` `repeat` times, compressed piece by piece so large outputs need no
// large input.
QByteArray gzipBytes(const QByteArray &data, qsizetype repeat = 1);

// Limits the size of files this process may write for the scope, as a full disk would: larger writes
// fail instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

// Runs the built tavrin-tool with these arguments and waits for it (the test fails when it hangs or
// crashes).
struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
ToolRun runTool(const QStringList &args,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

} // namespace tavrin::test
