// Bytes on the wire for a news document: the first download, and an unchanged poll answered by 304.
#include "net/httpclient.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <thread>

namespace {

// A news document of the usual shape, about 100 KB before compression.
std::string newsDocument()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news>\n";
    for (int i = 0; i < 400; ++i) {
        const std::string n = std::to_string(i);
        xml += "  <news section=\"portada\" id=\"n" + n + "\" date=\"2024-01-15 10:" + std::to_string(i % 60)
            + ":00\" url=\"http://noticias.example/portada/articulo-" + n + ".html\">Titular n\xC3\xBAmero "
            + n + " de la portada de hoy</news>\n";
    }
    return xml + "</sections_news>\n";
}

struct Server {
    httplib::Server http;
    std::thread thread;
    int port = 0;
    const std::string body = newsDocument();
    const std::string etag = "\"news-1\"";

    Server()
    {
        http.Get("/news.xml", [this](const httplib::Request &request, httplib::Response &response) {
            response.set_header("ETag", etag);
            if (request.get_header_value("If-None-Match") == etag) {
                response.status = 304;
                return;
            }
            response.set_content(body, "text/xml");
        });
        port = http.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { http.listen_after_bind(); });
        while (!http.is_running())
            std::this_thread::yield();
    }
    ~Server()
    {
        http.stop();
        thread.join();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/news.xml").arg(port); }
};

Server *g_server = nullptr;

void measure(benchmark::State &state, bool reload)
{
    tavrin::InternetSession session;
    const QString url = g_server->url();
    QByteArray warm;
    tavrin::FetchBytes(session, url, warm, false, nullptr);
    const tavrin::TransferTotals before = session.totals();
    for (auto _ : state) {
        QByteArray body;
        if (!tavrin::FetchBytes(session, url, body, reload, nullptr)) {
            state.SkipWithError("download failed");
            return;
        }
        benchmark::DoNotOptimize(body.size());
    }
    const tavrin::TransferTotals after = session.totals();
    const double requests = static_cast<double>(after.requests - before.requests);
    state.counters["wire_bytes"] = static_cast<double>(after.total() - before.total()) / requests;
    state.counters["request_bytes"]
        = static_cast<double>(after.requestBytes - before.requestBytes) / requests;
    state.counters["header_bytes"] = static_cast<double>(after.headerBytes - before.headerBytes) / requests;
    state.counters["body_bytes"] = static_cast<double>(after.bodyBytes - before.bodyBytes) / requests;
    state.counters["document_bytes"] = static_cast<double>(g_server->body.size());
}

// A reload downloads the whole document (compressed on the wire).
void BM_FullDownload(benchmark::State &state)
{
    measure(state, true);
}
BENCHMARK(BM_FullDownload)->Unit(benchmark::kMicrosecond);

// The engine's periodic poll of an unchanged document: a conditional request answered by 304.
void BM_UnchangedPoll(benchmark::State &state)
{
    measure(state, false);
}
BENCHMARK(BM_UnchangedPoll)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // The HTTP cache goes to a private folder, never the user's.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    Server server;
    g_server = &server;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_server = nullptr;
    return 0;
}
