// Throughput of the gzip reader on a news-sized document and on a bomb stopped at the cap.
#include "base/gzip.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

namespace {

QByteArray gzip(const QByteArray &data, int repeat)
{
    z_stream zs {};
    deflateInit2(&zs, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out;
    char buffer[16384];
    for (int i = 0; i < repeat; ++i) {
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

void BM_NewsDocument(benchmark::State &state)
{
    QByteArray doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sections_news>";
    for (int i = 0; i < int(state.range(0)); ++i)
        doc += "<news id=\"" + QByteArray::number(i) + "\"><title>Titular de la noticia n\xC3\xBAmero "
            + QByteArray::number(i) + "</title><url>http://n.example/" + QByteArray::number(i * 7919)
            + "</url></news>";
    doc += "</sections_news>";
    const QByteArray packed = gzip(doc, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(tavrin::ReadGzipText(packed));
    state.SetBytesProcessed(state.iterations() * doc.size());
    state.counters["compressed_bytes"] = double(packed.size());
}
BENCHMARK(BM_NewsDocument)->Arg(100)->Arg(10000);

void BM_BombStoppedAtCap(benchmark::State &state)
{
    const QByteArray bomb = gzip(QByteArray(1024 * 1024, '\0'), 80);
    for (auto _ : state)
        benchmark::DoNotOptimize(tavrin::ReadGzipText(bomb));
    state.counters["compressed_bytes"] = double(bomb.size());
}
BENCHMARK(BM_BombStoppedAtCap)->Unit(benchmark::kMillisecond);

void BM_PlainPassThrough(benchmark::State &state)
{
    const QByteArray plain(1024 * 1024, 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(tavrin::ReadGzipText(plain));
}
BENCHMARK(BM_PlainPassThrough);

} // namespace

BENCHMARK_MAIN();
