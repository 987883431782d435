// The configuration loader on the demo publisher's configuration document.
#include "benchdocs.h"
#include "config/configloader.h"

#include <benchmark/benchmark.h>

namespace {

void BM_LoadConfiguration(benchmark::State &state)
{
    const QByteArray text = tavrin::bench::demoConfiguration();
    for (auto _ : state) {
        tavrin::ClientConfig config;
        QString reason;
        if (!tavrin::LoadConfigurationText(text, config, &reason)) {
            state.SkipWithError(qPrintable(QStringLiteral("refused: ") + reason));
            return;
        }
        benchmark::DoNotOptimize(config);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * text.size());
}

BENCHMARK(BM_LoadConfiguration)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
