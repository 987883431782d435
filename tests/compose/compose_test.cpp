// Page composition: the template engine, the sections page, the current section, the news address.
#include "compose/htmlescape.h"
#include "compose/htmltemplate.h"
#include "compose/panecomposition.h"
#include "settings/settings.h"
#include "support/testfiles.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

// Template shorthand: "@NAME@" stands for the block marker "<!-- @ NAME @ -->" and "{name}" for the
// placeholder "<!-- {name} -->"; anything else is taken as written.
QString tmpl(const char *text)
{
    return QString::fromUtf8(text)
        .replace(QRegularExpression(u"@([^@ ]*)@"_s), u"<!-- @ \\1 @ -->"_s)
        .replace(QRegularExpression(u"\\{(\\w+)\\}"_s), u"<!-- {\\1} -->"_s);
}

TEST(Sections, ValidCurrentSectionSectionsPageAndNewsAddress)
{
    const auto choices = [](const char *selection, const QStringList &names = {}) {
        QList<SectionChoice> list;
        for (int i = 0; selection[i]; ++i)
            list.append({ QString::number(i + 1), names.value(i, u"s"_s), selection[i] == '+' });
        return list;
    };
    // '+': selected. Past the end: 0; unselected: the first selected; none selected: kept; no sections: -1.
    const std::tuple<int, const char *, int> currents[] = { { 1, "+++", 1 }, { 0, "--+", 2 }, { 7, "++", 0 },
                                                            { 7, "-+", 1 },  { 1, "---", 1 }, { 0, "", -1 } };
    for (const auto &[current, selection, expected] : currents)
        EXPECT_EQ(ValidCurrentSection(current, choices(selection)), expected) << current << selection;

    // Selected sections in order, the current one marked (none when it is not selected); blanks as &nbsp;.
    const QString header = tmpl("<tr>{SECTIONS}</tr>@BLOCK_SECTION@<td><a href=\"?id={section_id}\">"
                                "{section_name_nbsp}</a></td>@BLOCK_SECTION@@BLOCK_SELECTED_SECTION@"
                                "<td class=\"on\">{section_name}</td>@BLOCK_SELECTED_SECTION@\n");
    const auto chosen = choices("++-+", { u"Portada"_s, u"Al día"_s, u"Deportes"_s, u"Cine  y\tTV"_s });
    const QString first = u"<tr><td><a href=\"?id=1\">Portada</a></td>"_s;
    const QString last = u"<td><a href=\"?id=4\">Cine&nbsp;&nbsp;y\tTV</a></td></tr>\n"_s;
    EXPECT_EQ(ComposeSectionsPage(header, chosen, 1), first + u"<td class=\"on\">Al día</td>"_s + last);
    EXPECT_EQ(ComposeSectionsPage(header, chosen, 2),
              first + u"<td><a href=\"?id=2\">Al&nbsp;día</a></td>"_s + last);
    EXPECT_EQ(ComposeSectionsPage(header, {}, -1), u"<tr></tr>\n"_s);
    // Hostile ids and names show as text: escaped first, then the blanks of the escaped name as &nbsp;.
    const QList<SectionChoice> hostile = { { u"1\"><script>x()</script>"_s, u"<b a='1'>&"_s, true } };
    EXPECT_EQ(ComposeSectionsPage(header, hostile, -1),
              u"<tr><td><a href=\"?id=1&quot;&gt;&lt;script&gt;x()&lt;/script&gt;\">"
              "&lt;b&nbsp;a=&#39;1&#39;&gt;&amp;</a></td></tr>\n"_s);
    EXPECT_EQ(ComposeSectionsPage(header, hostile, 0),
              u"<tr><td class=\"on\">&lt;b a=&#39;1&#39;&gt;&amp;</td></tr>\n"_s);

    // News address: the section's own page first, markers filled with the subsections active or chosen in the
    // store (which holds the sections' choices too); with none "@SUBSECTIONS@/" goes, "@SUBSECTIONS@" stays.
    ClientConfig config;
    config.sections_html_url = u"http://n.example/@SECTION@/@SUBSECTIONS@/"_s;
    const QString own
        = u"http://own.example/@SECTION@/@SUBSECTIONS@/@SUBSECTIONS@/?id=@SECTION@&sub=@SUBSECTIONS@"_s;
    const QList<Subsection> subsections
        = { { u"n"_s, u"61"_s, u"6_61"_s, true, false }, { u"n"_s, u"63"_s, u"6_63"_s, false, false } };
    config.sections
        = { { {}, u"5"_s, {}, false, own, {}, {}, {} }, { {}, u"6"_s, {}, false, {}, {}, {}, subsections } };
    ASSERT_TRUE(SetSectionSelected(u"6_63"_s, true) && SetSectionSelected(u"5"_s, true));
    EXPECT_EQ(NewsAddress(config, config.sections[0]), u"http://own.example/5/?id=5&sub=@SUBSECTIONS@"_s);
    EXPECT_EQ(NewsAddress(config, config.sections[1]), u"http://n.example/6/61,63/"_s);
    const QList<SectionChoice> picked = SectionChoices(config); // the second is not active, not chosen
    EXPECT_TRUE(picked.size() == 2 && picked[0].id == u"5" && picked[0].selected && !picked[1].selected);
}

TEST(HtmlTemplate, FillsEveryPlaceholderKeepsMalformedMarkupAndRemovalAlwaysTerminates)
{
    // Every occurrence is replaced once, by name as written; the inserted value is not searched again, nor
    // escaped, and markers only in a value have no pair in the source.
    HtmlTemplate filled(tmpl("<h1>{title}</h1>{never_set}<p>{v}</p>{v}{V}"));
    filled.SetValue(u"title"_s, u"first"_s);
    filled.SetValue(u"title"_s, u"second"_s); // nothing left to replace
    filled.SetValue(u"v"_s, tmpl("<&\"> {v}@X@in@X@"));
    EXPECT_EQ(filled.GetResult(),
              tmpl("<h1>first</h1>{never_set}<p><&\"> {v}@X@in@X@</p><&\"> {v}@X@in@X@{V}"));

    const auto kept = [](const QString &text) { return std::pair(text, text); };
    const std::pair<QString, QString> cases[] = {
        // Markers that cannot be paired stop the removal; what was removed before that stays removed.
        { tmpl("@A@x@A@@B@tail"), tmpl("@B@tail") },
        kept(tmpl("<!-- @ -->@A@x@A@")),
        { tmpl("@A@1@A@2@A@3@A@"), u"2"_s },
        { tmpl("@A@1@A@2@A@"), tmpl("2@A@") },
        { tmpl("@@empty name@@"), QString() },
        { tmpl("x@BLOCK_NEWS@{news_title}"), tmpl("x@BLOCK_NEWS@T") }, // a lone marker gives no block
        // Misspelt and unterminated markers and misspelt placeholders stay; the lower-case block is another.
        kept(u"<!-- {news_title}--> <!--{news_title} --> <!-- @BLOCK_NEWS @ -->x<!--  @ BLOCK_NEWS @ -->"
             " <!-- @ unterminated"_s),
        { u"<!-- @ block_news @ -->x<!-- @ block_news @ -->"_s, QString() },
    };
    for (const auto &[text, result] : cases) {
        HtmlTemplate page(text);
        EXPECT_EQ(page.GetBlock(u"BLOCK_NEWS"_s), QString()) << text.toStdString();
        page.SetValue(u"news_title"_s, u"T"_s);
        EXPECT_EQ(page.GetResult(), result) << text.toStdString();
    }
    // A name whose marker overlaps its own next occurrence gives an empty block, not the rest of the text.
    HtmlTemplate overlapping(tmpl("@@@@@@"));
    EXPECT_EQ(overlapping.GetBlock(u" @ --><!-- @ "_s), QString());
    EXPECT_EQ(overlapping.GetResult(), QString());
}

} // namespace
} // namespace tavrin

namespace tavrin {
namespace {

TEST(HtmlEscape, MarkupBecomesTextAndOnlyWebAddressesStay)
{
    EXPECT_EQ(EscapeHtml(QStringLiteral("\"><script>a&b</script>'")),
              QStringLiteral("&quot;&gt;&lt;script&gt;a&amp;b&lt;/script&gt;&#39;"));
    const struct {
        const char *url, *href;
    } cases[] = {
        { "http://a.example/x?a=1&b=2", "http://a.example/x?a=1&amp;b=2" },
        { " HTTPS://a.example/\"x", "HTTPS://a.example/&quot;x" },
        { "javascript:alert(1)", "#" },
        { " \tjavascript:alert(1)", "#" },
        { "java\tscript:alert(1)", "#" },
        { "JaVaScRiPt:alert(1)", "#" },
        { "data:text/html,<b>", "#" },
        { "file:///etc/passwd", "#" },
        { "tavrin://close_window/", "#" },
        { "mailto:a@b.example", "#" },
        { "relative/page.html", "#" },
        { "", "#" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(SafePageHref(QString::fromUtf8(c.url)), QString::fromUtf8(c.href));
    }
}

} // namespace
} // namespace tavrin
