// Composition of the pane pages: current section, sections page, news page address.
#include "compose/panecomposition.h"
#include "settings/settings.h"
#include "support/templatetext.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::tmpl;

// Sections "1", "2"... selected where `selection` has a '+', named by `names` (else "s").
QList<SectionChoice> choices(const char *selection, const QStringList &names = {})
{
    QList<SectionChoice> list;
    for (int i = 0; selection[i]; ++i)
        list.append({ QString::number(i + 1), names.value(i, u"s"_s), selection[i] == '+' });
    return list;
}

TEST(ComposeSectionsPage, SelectedSectionsInOrderWithTheCurrentOneMarked)
{
    const QString header = tmpl("<tr>{SECTIONS}</tr>@BLOCK_SECTION@<td><a href=\"?id={section_id}\">"
                                "{section_name_nbsp}</a></td>@BLOCK_SECTION@@BLOCK_SELECTED_SECTION@"
                                "<td class=\"on\">{section_name}</td>@BLOCK_SELECTED_SECTION@");
    const auto sections
        = choices("++-+", { u"Portada"_s, u"Última hora"_s, u"Deportes"_s, u"Vida y ocio"_s });
    const QString first = u"<td><a href=\"?id=1\">Portada</a></td>"_s;
    const QString last = u"<td><a href=\"?id=4\">Vida&nbsp;y&nbsp;ocio</a></td>"_s;
    EXPECT_EQ(ComposeSectionsPage(header, sections, 1),
              u"<tr>"_s + first + u"<td class=\"on\">Última hora</td>"_s + last + u"</tr>"_s);
    // A current section that is not selected marks none.
    EXPECT_EQ(ComposeSectionsPage(header, sections, 2),
              u"<tr>"_s + first + u"<td><a href=\"?id=2\">Última&nbsp;hora</a></td>"_s + last + u"</tr>"_s);
    EXPECT_EQ(ComposeSectionsPage(header, {}, -1), u"<tr></tr>"_s);
    // A template without the blocks yields a page without a list.
    EXPECT_EQ(ComposeSectionsPage(tmpl("<p>{SECTIONS}</p>"), sections, 0), u"<p></p>"_s);
}

TEST(ValidCurrentSection, FallsBackToTheFirstSelected)
{
    const struct {
        const char *name;
        int current;
        const char *selection;
        int expected;
    } cases[] = {
        { "current selected stays", 1, "+++", 1 },
        { "current deselected: first selected", 0, "--+", 2 },
        { "index past the end: first section", 7, "++", 0 },
        { "index past the end, first unselected: first selected", 7, "-+", 1 },
        { "nothing selected: index kept", 1, "---", 1 },
        { "no sections: none", 0, "", -1 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ValidCurrentSection(c.current, choices(c.selection)), c.expected) << c.name;
}

TEST(ComposeNewsAddress, FillsSectionAndSubsectionMarkers)
{
    // With no subsection selected the marker goes with its slash, and a marker without one stays.
    const char *const cases[][4] = {
        { "http://n.example/@SECTION@/@SUBSECTIONS@/index.html", "5", "", "http://n.example/5/index.html" },
        { "http://n.example/@SECTION@/@SUBSECTIONS@/index.html", "5", "51,53",
          "http://n.example/5/51,53/index.html" },
        { "http://n.example/s?id=@SECTION@&sub=@SUBSECTIONS@", "5", "",
          "http://n.example/s?id=5&sub=@SUBSECTIONS@" },
        { "@SECTION@/@SECTION@/@SUBSECTIONS@/@SUBSECTIONS@/", "9", "", "9/9/" },
    };
    for (const auto &[url, section, subsections, expected] : cases) {
        EXPECT_EQ(ComposeNewsAddress(QString::fromLatin1(url), QString::fromLatin1(section),
                                     QString::fromLatin1(subsections).split(u',', Qt::SkipEmptyParts)),
                  QString::fromLatin1(expected));
    }
}

TEST(NewsAddress, UsesTheSectionPageAndTheStoredSelection)
{
    ClientConfig config;
    config.sections_html_url = u"http://n.example/@SECTION@/@SUBSECTIONS@/"_s;
    Section own, shared;
    own.id = u"5"_s;
    own.html_url = u"http://own.example/@SECTION@"_s;
    shared.id = u"6"_s;
    for (int i = 1; i <= 3; ++i)
        shared.subsections.append({ u"n"_s, u"6%1"_s.arg(i), u"6_6%1"_s.arg(i), i == 1 });
    config.sections = { own, shared };

    EXPECT_EQ(NewsAddress(config, own), u"http://own.example/5"_s);
    EXPECT_EQ(NewsAddress(config, shared), u"http://n.example/6/61/"_s); // the active one
    ASSERT_TRUE(SetSectionSelected(u"6_63"_s, true));
    ASSERT_TRUE(SetSectionSelected(u"6_61"_s, false));
    EXPECT_EQ(NewsAddress(config, shared), u"http://n.example/6/63/"_s);
    ASSERT_TRUE(SetSectionSelected(u"6_63"_s, false));
    EXPECT_EQ(NewsAddress(config, shared), u"http://n.example/6/"_s);

    // The selection of the sections themselves comes from the same store.
    ASSERT_TRUE(SetSectionSelected(u"5"_s, true));
    const QList<SectionChoice> choices = SectionChoices(config);
    ASSERT_EQ(choices.size(), 2);
    EXPECT_TRUE(choices.at(0).selected);
    EXPECT_FALSE(choices.at(1).selected); // not active and no stored choice
    EXPECT_EQ(choices.at(1).id, u"6"_s);
}

} // namespace
} // namespace tavrin
