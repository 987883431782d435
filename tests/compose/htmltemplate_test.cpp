// Template engine: the repetition idiom, misplaced and unused blocks, malformed markers, helpers.
#include "compose/htmltemplate.h"
#include "support/templatetext.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::tmpl;

// The idiom every page builder follows: one block copy per item, its field filled, list set, result taken.
// (Two blocks taken in turn, as the sections page does, are covered by the composition tests.)
QString buildList(const QString &templateText, const QStringList &titles)
{
    HtmlTemplate page(templateText);
    QString items;
    for (const QString &title : titles) {
        QString copy = page.GetBlock(u"BLOCK_NEWS"_s);
        FillValue(copy, u"title"_s, title);
        items += copy;
    }
    page.SetValue(u"NEWS"_s, items);
    return page.GetResult();
}

TEST(HtmlTemplate, RepetitionIdiom)
{
    const char *placed = "<ul>{NEWS}</ul>@BLOCK_NEWS@<li>{title}</li>@BLOCK_NEWS@";
    const struct {
        const char *label, *text;
        QStringList titles;
        const char *result;
    } cases[] = {
        { "block after the body",
          "<body><ul>{NEWS}</ul></body>@BLOCK_NEWS@<li>{title}</li>@BLOCK_NEWS@\n",
          { "x", "y" },
          "<body><ul><li>x</li><li>y</li></ul></body>\n" },
        { "no items", placed, {}, "<ul></ul>" },
        { "no list placeholder", "<p>@BLOCK_NEWS@<li>{title}</li>@BLOCK_NEWS@</p>", { "lost" }, "<p></p>" },
        { "block missing", "<ul>{NEWS}</ul>", { "a", "b" }, "<ul></ul>" },
        { "block marker only once", "<ul>{NEWS}@BLOCK_NEWS@</ul>", { "a" }, "<ul>@BLOCK_NEWS@</ul>" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(buildList(tmpl(c.text), c.titles), tmpl(c.result)) << c.label;
}

TEST(HtmlTemplate, PlaceholdersAreFilledEverywhereAndValuesStayAsGiven)
{
    // Every occurrence is replaced once; the inserted value is not searched again, nor escaped.
    QString copy = tmpl("{id} and {id} but not {ID}");
    FillValue(copy, u"id"_s, tmpl("<&\"> {id}"));
    EXPECT_EQ(copy, tmpl("<&\"> {id} and <&\"> {id} but not {ID}"));

    HtmlTemplate page(tmpl("<h1>{title}</h1>{never_set}"));
    page.SetValue(u"title"_s, u"first"_s);
    page.SetValue(u"title"_s, u"second"_s); // nothing left to replace
    EXPECT_EQ(page.GetResult(), tmpl("<h1>first</h1>{never_set}"));
}

TEST(HtmlTemplate, MalformedMarkupStaysAsWritten)
{
    const QString texts[] = {
        u"<!-- {news_title}--> <!--{news_title} -->"_s,
        u"<!-- @BLOCK_NEWS @ -->x<!-- @BLOCK_NEWS @ -->"_s,
        u"<!--  @ BLOCK_NEWS @ -->x<!--  @ BLOCK_NEWS @ -->"_s,
        u"<!-- @ block_news @ -->x<!-- @ block_news @ -->"_s,
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        HtmlTemplate page(text);
        EXPECT_EQ(page.GetBlock(u"BLOCK_NEWS"_s), QString());
        page.SetValue(u"news_title"_s, u"T"_s);
        // The lower-case block is a real block of another name and goes; the others stay.
        EXPECT_EQ(page.GetResult(), text.contains(u"block_news"_s) ? QString() : text);
    }
}

TEST(HtmlTemplate, RemovalAlwaysTerminates)
{
    // Markers that cannot be paired stop the removal; what was removed before that stays removed.
    const char *const cases[][2] = {
        { "@A@x@A@@B@tail", "@B@tail" },
        { "<!-- @ -->@A@x@A@", "<!-- @ -->@A@x@A@" },
        { "head <!-- @ unterminated", "head <!-- @ unterminated" },
        { "@A@1@A@2@A@3@A@", "2" },
        { "@A@1@A@2@A@", "2@A@" },
        { "@@empty name@@", "" },
    };
    for (const auto &[text, result] : cases)
        EXPECT_EQ(HtmlTemplate(tmpl(text)).GetResult(), tmpl(result)) << text;

    // A name whose marker overlaps its own next occurrence gives an empty block, not the rest of the text.
    HtmlTemplate overlapping(tmpl("@@@@@@"));
    EXPECT_EQ(overlapping.GetBlock(u" @ --><!-- @ "_s), QString());
    EXPECT_EQ(overlapping.GetResult(), QString());

    // Markers that reach the page only through a value have no pair in the source.
    HtmlTemplate page(tmpl("<p>{v}</p>"));
    page.SetValue(u"v"_s, tmpl("@X@in value@X@"));
    EXPECT_EQ(page.GetResult(), tmpl("<p>@X@in value@X@</p>"));
}

TEST(HtmlTemplate, TextHelpers)
{
    EXPECT_EQ(ToNbsp(u"two  blanks"_s), u"two&nbsp;&nbsp;blanks"_s);
    EXPECT_EQ(ToNbsp(u"tab\there\nline"_s), u"tab\there\nline"_s); // only spaces
    // Nothing is escaped.
    EXPECT_EQ(ToFileUrl(u"/run/user/0/Tavrin/a b#.tmp"_s), u"file:///run/user/0/Tavrin/a b#.tmp"_s);
}

} // namespace
} // namespace tavrin
