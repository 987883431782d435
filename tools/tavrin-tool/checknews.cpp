// check-news: shows a publisher every news record the client reads from a sections_news document.
#include "command.h"

#include "base/clock.h"
#include "news/newsdate.h"
#include "news/newsstore.h"

#include <QFile>
#include <QFileInfo>

namespace tavrin::tool {

namespace {

// One record per line: tabs and line breaks inside a field would split it.
QByteArray field(const QString &text)
{
    QString flat = text;
    for (QChar &c : flat) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return flat.toUtf8();
}

int checkNews(const QStringList &args)
{
    if (args.size() != 1)
        return usage("check-news");
    const QString path = args.first();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tavrin-tool: cannot read %s\n", qPrintable(path));
        return usage("check-news");
    }
    const QByteArray text = file.readAll();
    file.close();

    const SystemClock clock;
    NewsStore store(clock);
    QString reason;
    const bool read = store.parseSectionsNews(
        text,
        [](const NewsRecord &record) {
            const QByteArray line = field(record.section_key) + '\t' + field(record.id) + '\t'
                + FormatNewsDateTime(record.time).toUtf8() + '\t' + field(record.title) + '\t'
                + field(record.url) + '\n';
            std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
        },
        &reason);
    if (read)
        std::printf("read\n");
    else
        std::printf("failed: %s\n", field(reason).constData());
    return read ? kExitOk : kExitRejected;
}

} // namespace

TAVRIN_TOOL_COMMAND("check-news", "FILE", checkNews);

} // namespace tavrin::tool
