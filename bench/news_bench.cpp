// The news parser and store on documents of 1k, 10k and 100k items, beside libxml2's own tree build
// (what `xmllint --noout` does) on the same bytes. `news_bench --save-document FILE [ITEMS]` writes the
// document instead, for timing the command-line tools on it.
#include "base/clock.h"
#include "benchdocs.h"
#include "news/newsstore.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstring>
#include <memory>

namespace {

void setThroughput(benchmark::State &state, const QByteArray &document)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * document.size());
}

// The floor: libxml2 building the tree of the document, with the options the client reads it with.
void BM_LibxmlTree(benchmark::State &state)
{
    const QByteArray document = tavrin::bench::newsDocument(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(document.constData(), static_cast<int>(document.size()), nullptr,
                                      nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    setThroughput(state, document);
}

// A first download: every item is new, so every one is stored as seen and as pending.
void BM_ParseNewDocument(benchmark::State &state)
{
    const tavrin::SystemClock clock;
    const QByteArray document = tavrin::bench::newsDocument(static_cast<int>(state.range(0)));
    std::unique_ptr<tavrin::NewsStore> store;
    for (auto _ : state) {
        // A new store each time, made and dropped outside the timing: only reading and storing count.
        state.PauseTiming();
        store.reset();
        store = std::make_unique<tavrin::NewsStore>(clock);
        state.ResumeTiming();
        if (!store->parseSectionsNews(document)) {
            state.SkipWithError("the document was refused");
            return;
        }
    }
    setThroughput(state, document);
}

// The usual poll once the document has changed a little: every item already seen.
void BM_ParseSeenDocument(benchmark::State &state)
{
    const tavrin::SystemClock clock;
    const QByteArray document = tavrin::bench::newsDocument(static_cast<int>(state.range(0)));
    tavrin::NewsStore store(clock);
    store.parseSectionsNews(document);
    for (auto _ : state) {
        store.clearPending();
        if (!store.parseSectionsNews(document)) {
            state.SkipWithError("the document was refused");
            return;
        }
    }
    setThroughput(state, document);
}

BENCHMARK(BM_LibxmlTree)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseNewDocument)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSeenDocument)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--save-document") == 0) {
        const int items = argc >= 4 ? std::atoi(argv[3]) : 100000;
        QFile file(QString::fromLocal8Bit(argv[2]));
        const QByteArray document = tavrin::bench::newsDocument(items);
        if (items <= 0 || !file.open(QIODevice::WriteOnly) || file.write(document) != document.size()) {
            std::fprintf(stderr, "usage: news_bench --save-document FILE [ITEMS]\n");
            return 2;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
