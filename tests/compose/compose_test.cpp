// Page composition: the template engine, the sections page, the current section, the news address.
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

// Sections "1", "2"... selected where `selection` has a '+', named by `names` (else "s").
QList<SectionChoice> choices(const char *selection, const QStringList &names = {})
{
    QList<SectionChoice> list;
    for (int i = 0; selection[i]; ++i)
        list.append({ QString::number(i + 1), names.value(i, u"s"_s), selection[i] == '+' });
    return list;
}

// The idiom every page builder follows: one block copy per item, its fields filled, the list set.
TEST(Sections, ValidCurrentSectionSectionsPageAndNewsAddress)
{
    // Past the end: 0; unselected: the first selected; nothing selected: kept; no sections: none.
    const std::tuple<int, const char *, int> currents[] = { { 1, "+++", 1 }, { 0, "--+", 2 }, { 7, "++", 0 },
                                                            { 7, "-+", 1 },  { 1, "---", 1 }, { 0, "", -1 } };
    for (const auto &[current, selection, expected] : currents)
        EXPECT_EQ(ValidCurrentSection(current, choices(selection)), expected) << current << selection;

    const QString blocks = tmpl("@BLOCK_SECTION@<td><a href=\"?id={section_id}\">{section_name_nbsp}</a></td>"
                                "@BLOCK_SECTION@@BLOCK_SELECTED_SECTION@<td class=\"on\">{section_name}</td>"
                                "@BLOCK_SELECTED_SECTION@\n");
    const QString list = tmpl("<tr>{SECTIONS}</tr>") + blocks;
    const auto chosen = choices("++-+", { u"Portada"_s, u"Última hora"_s, u"Deportes"_s, u"Vida y ocio"_s });
    const QString first = u"<tr><td><a href=\"?id=1\">Portada</a></td>"_s;
    const QString last = u"<td><a href=\"?id=4\">Vida&nbsp;y&nbsp;ocio</a></td></tr>\n"_s;
    const std::tuple<QString, QList<SectionChoice>, int, QString> cases[] = {
        { list, chosen, 1, first + u"<td class=\"on\">Última hora</td>"_s + last },
        // A current section that is not selected marks none.
        { list, chosen, 2, first + u"<td><a href=\"?id=2\">Última&nbsp;hora</a></td>"_s + last },
        { list, {}, -1, u"<tr></tr>\n"_s },
        { u"<p>"_s + blocks + u"</p>"_s, chosen, 1, u"<p>\n</p>"_s },
        { tmpl("<p>{SECTIONS}@BLOCK_SECTION@</p>"), chosen, 0, tmpl("<p>@BLOCK_SECTION@</p>") },
    };
    for (const auto &[header, sectionList, current, page] : cases)
        EXPECT_EQ(ComposeSectionsPage(header, sectionList, current), page) << header.toStdString();

    // News address: every marker filled; with no subsection selected "@SUBSECTIONS@/" goes, one without "/"
    // stays.
    const QString own
        = u"http://own.example/@SECTION@/@SUBSECTIONS@/@SUBSECTIONS@/?id=@SECTION@&sub=@SUBSECTIONS@"_s;
    ClientConfig config;
    config.sections_html_url = u"http://n.example/@SECTION@/@SUBSECTIONS@/"_s;
    const QList<Subsection> subsections
        = { { u"n"_s, u"61"_s, u"6_61"_s, true, false }, { u"n"_s, u"63"_s, u"6_63"_s, false, false } };
    config.sections
        = { { {}, u"5"_s, {}, false, own, {}, {}, {} }, { {}, u"6"_s, {}, false, {}, {}, {}, subsections } };
    EXPECT_EQ(NewsAddress(config, config.sections[0]), u"http://own.example/5/?id=5&sub=@SUBSECTIONS@"_s);
    EXPECT_EQ(NewsAddress(config, config.sections[1]), u"http://n.example/6/61/"_s); // the active one
    ASSERT_TRUE(SetSectionSelected(u"6_63"_s, true));
    EXPECT_EQ(NewsAddress(config, config.sections[1]), u"http://n.example/6/61,63/"_s);
    ASSERT_TRUE(SetSectionSelected(u"6_61"_s, false) && SetSectionSelected(u"6_63"_s, false));
    EXPECT_EQ(NewsAddress(config, config.sections[1]), u"http://n.example/6/"_s);

    // The sections' own selection comes from the same store; the second is not active, with no choice stored.
    ASSERT_TRUE(SetSectionSelected(u"5"_s, true));
    QStringList picked;
    for (const SectionChoice &choice : SectionChoices(config))
        picked << choice.id + (choice.selected ? u"+"_s : u"-"_s);
    EXPECT_EQ(picked, QStringList({ u"5+"_s, u"6-"_s }));
}

TEST(HtmlTemplate, FillsEveryPlaceholderKeepsMalformedMarkupAndRemovalAlwaysTerminates)
{
    // Every occurrence is replaced once; the inserted value is not searched again, nor escaped.
    QString copy = tmpl("{id} and {id} but not {ID}");
    FillValue(copy, u"id"_s, tmpl("<&\"> {id}"));
    EXPECT_EQ(copy, tmpl("<&\"> {id} and <&\"> {id} but not {ID}"));
    HtmlTemplate filled(tmpl("<h1>{title}</h1>{never_set}<p>{v}</p>"));
    filled.SetValue(u"title"_s, u"first"_s);
    filled.SetValue(u"title"_s, u"second"_s); // nothing left to replace
    filled.SetValue(u"v"_s, tmpl("@X@in value@X@")); // markers only in a value have no pair in the source
    EXPECT_EQ(filled.GetResult(), tmpl("<h1>first</h1>{never_set}<p>@X@in value@X@</p>"));
    EXPECT_EQ(ToNbsp(u"a  b\tc\nd"_s), u"a&nbsp;&nbsp;b\tc\nd"_s); // every blank, and only blanks
    EXPECT_EQ(ToFileUrl(u"/run/user/0/Tavrin/a b#.tmp"_s), u"file:///run/user/0/Tavrin/a b#.tmp"_s);

    const auto kept = [](const QString &text) { return std::pair(text, text); };
    const std::pair<QString, QString> cases[] = {
        // Markers that cannot be paired stop the removal; what was removed before that stays removed.
        { tmpl("@A@x@A@@B@tail"), tmpl("@B@tail") },
        kept(tmpl("<!-- @ -->@A@x@A@")),
        kept(u"head <!-- @ unterminated"_s),
        { tmpl("@A@1@A@2@A@3@A@"), u"2"_s },
        { tmpl("@A@1@A@2@A@"), tmpl("2@A@") },
        { tmpl("@@empty name@@"), QString() },
        // Misspelt markers and placeholders stay; the lower-case block is a real block of another name.
        kept(u"<!-- {news_title}--> <!--{news_title} -->"_s),
        kept(u"<!-- @BLOCK_NEWS @ -->x<!-- @BLOCK_NEWS @ -->"_s),
        kept(u"<!--  @ BLOCK_NEWS @ -->x<!--  @ BLOCK_NEWS @ -->"_s),
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
