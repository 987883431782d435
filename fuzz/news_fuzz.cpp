// libFuzzer target: the news document reader over arbitrary document bytes.
#include "base/clock.h"
#include "news/newsdate.h"
#include "news/newsstore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Quiet reads of registered feeds consult nothing on disk, but keep the settings private anyway.
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tavrin-fuzz-XXXXXX"));
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()).constData(), 1);
    static std::unique_ptr<QCoreApplication> app(new QCoreApplication(*argc, *argv));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const tavrin::ManualClock clock;
    tavrin::NewsStore store(clock);
    store.addJustRegistered(QStringLiteral("a_b"));
    qsizetype visited = 0;
    bool complete = true;
    store.parseSectionsNews(text, [&](const tavrin::NewsRecord &record) {
        ++visited;
        // Every stored record has the fields the alerts need.
        if (record.id.isEmpty() || record.title.isEmpty() || record.url.isEmpty()
            || record.section_key.isEmpty() || record.time < 0)
            complete = false;
        tavrin::FormatNewsTime(record);
    });
    const qsizetype seen = store.seenCount();
    // Every record read is seen, and nothing pending was never read.
    if (!complete || seen > visited || store.copyPendingAlerts().size() > seen)
        std::abort();
    tavrin::ParseNewsDate(QString::fromUtf8(text.left(64)), clock.nowSeconds());
    return 0;
}
