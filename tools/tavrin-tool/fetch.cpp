// fetch: downloads a URL exactly as the client would and writes the body it receives to stdout.
#include "command.h"

#include "net/httpclient.h"

namespace tavrin::tool {

namespace {

int fetch(const QStringList &args)
{
    bool reload = false;
    bool compressed = false;
    QString url;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--reload"))
            reload = true;
        else if (arg == QLatin1String("--compressed"))
            compressed = true;
        else if (arg.startsWith(QLatin1String("--")) || !url.isEmpty())
            return usage("fetch");
        else
            url = arg;
    }
    if (url.isEmpty())
        return usage("fetch");

    InternetSession session;
    QByteArray body;
    bool ok = false;
    if (compressed) {
        // The client takes an empty document for a failed download.
        body = FetchCompressedText(session, url, reload, nullptr);
        ok = !body.isEmpty();
    } else {
        ok = FetchBytes(session, url, body, reload, nullptr);
    }
    if (!ok) {
        std::fprintf(stderr, "tavrin-tool: fetch of %s failed\n", qPrintable(url));
        return kExitRejected;
    }
    std::fwrite(body.constData(), 1, static_cast<size_t>(body.size()), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitRejected;
}

} // namespace

TAVRIN_TOOL_COMMAND("fetch", "[--reload] [--compressed] URL", fetch);

} // namespace tavrin::tool
