// The template compositions: the sections page for 100 sections, and a 50-item block expansion.
#include "compose/htmltemplate.h"
#include "compose/panecomposition.h"

#include <benchmark/benchmark.h>

namespace {

void setThroughput(benchmark::State &state, qsizetype items, qsizetype bytes)
{
    state.SetItemsProcessed(state.iterations() * items);
    state.SetBytesProcessed(state.iterations() * bytes * static_cast<qsizetype>(sizeof(QChar)));
}

// The sections bar of the demo site: a list placeholder and one block for plain and one for the
// current section.
const QString kSectionsHeader = QStringLiteral(
    "<!DOCTYPE html><html><head><link rel=\"stylesheet\" href=\"http://127.0.0.1:8642/css/secciones.css\">"
    "</head><body><table><tr><!-- {SECTIONS} --></tr></table>"
    "<!-- @ BLOCK_SECTION @ --><td><a href=\"tavrin://select_section/?id=<!-- {section_id} -->\">"
    "<!-- {section_name_nbsp} --></a></td><!-- @ BLOCK_SECTION @ -->"
    "<!-- @ BLOCK_SELECTED_SECTION @ --><td class=\"on\"><!-- {section_name} --></td>"
    "<!-- @ BLOCK_SELECTED_SECTION @ --></body></html>\n");

void BM_ComposeSectionsPage(benchmark::State &state)
{
    QList<tavrin::SectionChoice> sections;
    for (int i = 0; i < state.range(0); ++i)
        sections.append(
            { QString::number(i + 1), QStringLiteral("Secci\u00f3n n\u00famero %1").arg(i), true });
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QString page = tavrin::ComposeSectionsPage(kSectionsHeader, sections, 3);
        bytes = page.size();
        benchmark::DoNotOptimize(page.constData());
    }
    setThroughput(state, state.range(0), bytes);
}

// A list of items as a page lists headlines: one block copied and filled per item.
const QString kListTemplate = QStringLiteral(
    "<html><body><h1><!-- {title} --></h1><ul><!-- {ITEMS} --></ul>"
    "<!-- @ BLOCK_ITEM @ --><li><span class=\"hora\"><!-- {time} --></span> <a href=\"<!-- {url} -->\">"
    "<!-- {headline} --></a></li><!-- @ BLOCK_ITEM @ --></body></html>\n");

void BM_ExpandItemBlock(benchmark::State &state)
{
    qsizetype bytes = 0;
    for (auto _ : state) {
        tavrin::HtmlTemplate page(kListTemplate);
        const QString block = page.GetBlock(QStringLiteral("BLOCK_ITEM"));
        QString items;
        for (int i = 0; i < state.range(0); ++i) {
            QString copy = block;
            tavrin::FillValue(copy, QStringLiteral("time"),
                              QStringLiteral("10h%1").arg(i % 60, 2, 10, QLatin1Char('0')));
            tavrin::FillValue(copy, QStringLiteral("url"),
                              QStringLiteral("http://127.0.0.1:8642/articulo/%1.html").arg(i));
            tavrin::FillValue(copy, QStringLiteral("headline"),
                              QStringLiteral("Titular n\u00famero %1 de hoy").arg(i));
            items += copy;
        }
        page.SetValue(QStringLiteral("ITEMS"), items);
        page.SetValue(QStringLiteral("title"), QStringLiteral("Alertas"));
        const QString result = page.GetResult();
        bytes = result.size();
        benchmark::DoNotOptimize(result.constData());
    }
    setThroughput(state, state.range(0), bytes);
}

BENCHMARK(BM_ComposeSectionsPage)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExpandItemBlock)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
