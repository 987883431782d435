// The small parsers met on every click and every version check: command links and version comparison.
#include "compose/commandurl.h"
#include "engine/refreshengine.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

// Links as the demo pages write them, one of each kind, and one address that is no command.
const std::array<QString, 5> kLinks = {
    QStringLiteral("tavrin://select_section/?id=3"),
    QStringLiteral("tavrin://show_alert/"
                   "?id=n12345&section_id=1&title=Titular%20de%20hoy&url=http%3A%2F%2F127.0.0.1%3A8642%"
                   "2Farticulo%2F12345.html&date=2024-01-15%2010%3A00%3A00"),
    QStringLiteral("tavrin://navigate_internal/?url=http%3A%2F%2F127.0.0.1%3A8642%2Farticulo%2F7.html"),
    QStringLiteral("tavrin://prefs/"),
    QStringLiteral("http://127.0.0.1:8642/noticias/1/"),
};

void BM_ParseCommandUrl(benchmark::State &state)
{
    qsizetype bytes = 0;
    for (const QString &link : kLinks)
        bytes += link.size() * static_cast<qsizetype>(sizeof(QChar));
    for (auto _ : state) {
        for (const QString &link : kLinks)
            benchmark::DoNotOptimize(tavrin::ParseCommandUrl(link));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<qsizetype>(kLinks.size()));
    state.SetBytesProcessed(state.iterations() * bytes);
}

// Newer, older, equal and differently long versions.
const std::array<std::pair<QString, QString>, 4> kVersions = { {
    { QStringLiteral("1.0.0.12"), QStringLiteral("1.0.0.11") },
    { QStringLiteral("1.0.0.9"), QStringLiteral("1.0.0.11") },
    { QStringLiteral("2.3.1.0"), QStringLiteral("2.3.1.0") },
    { QStringLiteral("2.4"), QStringLiteral("2.3.9.9") },
} };

void BM_IsNewerVersion(benchmark::State &state)
{
    qsizetype bytes = 0;
    for (const auto &[remote, own] : kVersions)
        bytes += (remote.size() + own.size()) * static_cast<qsizetype>(sizeof(QChar));
    for (auto _ : state) {
        for (const auto &[remote, own] : kVersions)
            benchmark::DoNotOptimize(tavrin::IsNewerVersion(remote, own));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<qsizetype>(kVersions.size()));
    state.SetBytesProcessed(state.iterations() * bytes);
}

BENCHMARK(BM_ParseCommandUrl);
BENCHMARK(BM_IsNewerVersion);

} // namespace

BENCHMARK_MAIN();
