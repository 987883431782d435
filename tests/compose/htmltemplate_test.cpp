// Template engine: the repetition idiom, alternating and misplaced blocks, malformed markers, helpers.
#include "compose/htmltemplate.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <utility>

namespace tavrin {
namespace {

QString marker(const char *name)
{
    return QStringLiteral("<!-- @ ") + QString::fromLatin1(name) + QStringLiteral(" @ -->");
}

QString slot(const char *name)
{
    return QStringLiteral("<!-- {") + QString::fromLatin1(name) + QStringLiteral("} -->");
}

// The idiom every page builder follows: one block copy per item, fields filled, list set, result taken.
QString buildList(const QString &templateText, const QStringList &titles)
{
    HtmlTemplate page(templateText);
    QString items;
    for (const QString &title : titles) {
        QString copy = page.GetBlock(QStringLiteral("BLOCK_NEWS"));
        FillValue(copy, QStringLiteral("news_title"), title);
        FillValue(copy, QStringLiteral("news_url"), QStringLiteral("http://n.example/") + title);
        items += copy;
    }
    page.SetValue(QStringLiteral("NEWS"), items);
    return page.GetResult();
}

TEST(HtmlTemplate, RepetitionIdiom)
{
    const QString block
        = QStringLiteral("<li><a href=\"%1\">%2</a></li>").arg(slot("news_url"), slot("news_title"));
    const QString placed = QStringLiteral("<ul>") + slot("NEWS") + QStringLiteral("</ul>")
        + marker("BLOCK_NEWS") + block + marker("BLOCK_NEWS");
    const QString afterBody = QStringLiteral("<body><ul>") + slot("NEWS") + QStringLiteral("</ul></body>")
        + marker("BLOCK_NEWS") + block + marker("BLOCK_NEWS") + QStringLiteral("\n");
    const QString noList = QStringLiteral("<p>") + marker("BLOCK_NEWS") + block + marker("BLOCK_NEWS")
        + QStringLiteral("</p>");
    struct Case {
        const char *label;
        QString templateText;
        QStringList titles;
        QString result;
    };
    const Case cases[] = {
        { "three items",
          placed,
          { "a", "b", "c" },
          "<ul><li><a href=\"http://n.example/a\">a</a></li><li><a href=\"http://n.example/b\">b</a></li>"
          "<li><a href=\"http://n.example/c\">c</a></li></ul>" },
        { "no items", placed, {}, "<ul></ul>" },
        { "block after the body",
          afterBody,
          { "x", "y" },
          "<body><ul><li><a href=\"http://n.example/x\">x</a></li><li><a "
          "href=\"http://n.example/y\">y</a></li>"
          "</ul></body>\n" },
        { "no list placeholder", noList, { "lost" }, "<p></p>" },
        { "block missing",
          QStringLiteral("<ul>") + slot("NEWS") + QStringLiteral("</ul>"),
          { "a", "b" },
          "<ul></ul>" },
        { "block marker only once",
          QStringLiteral("<ul>") + slot("NEWS") + marker("BLOCK_NEWS") + QStringLiteral("</ul>"),
          { "a" },
          QStringLiteral("<ul>") + marker("BLOCK_NEWS") + QStringLiteral("</ul>") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(buildList(c.templateText, c.titles), c.result);
    }
}

TEST(HtmlTemplate, AlternatingBlocksAndUnusedOnes)
{
    const QString text = QStringLiteral("<div>") + slot("SECTIONS") + QStringLiteral("</div>")
        + marker("BLOCK_SECTION") + QStringLiteral("[") + slot("section_name") + QStringLiteral("]")
        + marker("BLOCK_SECTION") + marker("BLOCK_SELECTED_SECTION") + QStringLiteral("<b>")
        + slot("section_name") + QStringLiteral("</b>") + marker("BLOCK_SELECTED_SECTION")
        + marker("BLOCK_UNUSED") + QStringLiteral("never") + marker("BLOCK_UNUSED") + QStringLiteral("<i>")
        + slot("footer") + QStringLiteral("</i>");
    HtmlTemplate page(text);
    QString items;
    const QStringList names { "Portada", "Deportes", "Cultura y ocio" };
    for (const QString &name : names) {
        QString copy
            = page.GetBlock(name == QStringLiteral("Deportes") ? QStringLiteral("BLOCK_SELECTED_SECTION")
                                                               : QStringLiteral("BLOCK_SECTION"));
        FillValue(copy, QStringLiteral("section_name"), ToNbsp(name));
        items += copy;
    }
    page.SetValue(QStringLiteral("SECTIONS"), items);
    EXPECT_EQ(page.GetResult(),
              QStringLiteral("<div>[Portada]<b>Deportes</b>[Cultura&nbsp;y&nbsp;ocio]</div><i>")
                  + slot("footer") + QStringLiteral("</i>"));
}

TEST(HtmlTemplate, PlaceholdersAreFilledEverywhereAndValuesStayAsGiven)
{
    QString copy
        = slot("id") + QStringLiteral(" and ") + slot("id") + QStringLiteral(" but not ") + slot("ID");
    FillValue(copy, QStringLiteral("id"), QStringLiteral("<&\"> ") + slot("id"));
    // Every occurrence is replaced once; the inserted value is not searched again, nor escaped.
    EXPECT_EQ(copy,
              QStringLiteral("<&\"> ") + slot("id") + QStringLiteral(" and <&\"> ") + slot("id")
                  + QStringLiteral(" but not ") + slot("ID"));

    HtmlTemplate page(QStringLiteral("<h1>") + slot("title") + QStringLiteral("</h1>") + slot("never_set"));
    page.SetValue(QStringLiteral("title"), QStringLiteral("first"));
    page.SetValue(QStringLiteral("title"), QStringLiteral("second")); // nothing left to replace
    EXPECT_EQ(page.GetResult(), QStringLiteral("<h1>first</h1>") + slot("never_set"));
}

TEST(HtmlTemplate, MalformedMarkupStaysAsWritten)
{
    const QString texts[] = {
        QStringLiteral("<!-- {news_title}--> <!--{news_title} -->"),
        QStringLiteral("<!-- @BLOCK_NEWS @ -->x<!-- @BLOCK_NEWS @ -->"),
        QStringLiteral("<!--  @ BLOCK_NEWS @ -->x<!--  @ BLOCK_NEWS @ -->"),
        QStringLiteral("<!-- @ block_news @ -->x<!-- @ block_news @ -->"),
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        HtmlTemplate page(text);
        EXPECT_EQ(page.GetBlock(QStringLiteral("BLOCK_NEWS")), QString());
        page.SetValue(QStringLiteral("news_title"), QStringLiteral("T"));
        // The lower-case block is a real block of another name and goes; the others stay.
        EXPECT_EQ(page.GetResult(), text.contains(QStringLiteral("block_news")) ? QString() : text);
    }
}

TEST(HtmlTemplate, RemovalAlwaysTerminates)
{
    // Markers that cannot be paired stop the removal; what was removed before that stays removed.
    const std::pair<QString, QString> cases[] = {
        { marker("A") + "x" + marker("A") + marker("B") + "tail", marker("B") + "tail" },
        { "<!-- @ -->" + marker("A") + "x" + marker("A"), "<!-- @ -->" + marker("A") + "x" + marker("A") },
        { "head <!-- @ unterminated", "head <!-- @ unterminated" },
        { marker("A") + "1" + marker("A") + "2" + marker("A") + "3" + marker("A"), "2" },
        { marker("A") + "1" + marker("A") + "2" + marker("A"), "2" + marker("A") },
        { marker("") + "empty name" + marker(""), "" },
        { marker(" @ --><!-- @ ") + marker(" @ --><!-- @ "), "" },
        { marker("A") + marker("A") + "<!-- @ B @ -->", "<!-- @ B @ -->" },
    };
    for (const auto &[text, result] : cases) {
        SCOPED_TRACE(text.toStdString());
        HtmlTemplate page(text);
        EXPECT_EQ(page.GetResult(), result);
    }

    // A name whose marker overlaps its own next occurrence gives an empty block, not the rest of the text.
    HtmlTemplate overlapping(marker("").repeated(3));
    EXPECT_EQ(overlapping.GetBlock(QStringLiteral(" @ --><!-- @ ")), QString());
    EXPECT_EQ(overlapping.GetResult(), QString());

    // Markers that reach the page only through a value have no pair in the source.
    HtmlTemplate page(QStringLiteral("<p>") + slot("v") + QStringLiteral("</p>"));
    page.SetValue(QStringLiteral("v"), marker("X") + QStringLiteral("in value") + marker("X"));
    EXPECT_EQ(page.GetResult(),
              QStringLiteral("<p>") + marker("X") + QStringLiteral("in value") + marker("X")
                  + QStringLiteral("</p>"));
}

TEST(HtmlTemplate, TextHelpers)
{
    const std::pair<const char *, const char *> nbsp[] = {
        { "Cultura y ocio", "Cultura&nbsp;y&nbsp;ocio" },
        { "two  blanks", "two&nbsp;&nbsp;blanks" },
        { "NoBlanks", "NoBlanks" },
        { "tab\there\nline", "tab\there\nline" },
        { "", "" },
    };
    for (const auto &[in, out] : nbsp) {
        SCOPED_TRACE(in);
        EXPECT_EQ(ToNbsp(QString::fromLatin1(in)), QString::fromLatin1(out));
    }
    EXPECT_EQ(ToFileUrl(QStringLiteral("/run/user/0/Tavrin/1A2B.tmp")),
              QStringLiteral("file:///run/user/0/Tavrin/1A2B.tmp"));
    EXPECT_EQ(ToFileUrl(QStringLiteral("C:\\Temp\\a b#.htm")), QStringLiteral("file://C:\\Temp\\a b#.htm"));
}

} // namespace
} // namespace tavrin
