// Composition of the pane pages: current section, sections page, news page address.
#include "settings/settings.h"
#include "compose/panecomposition.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

const QString kHeader = QStringLiteral(
    "<html><body><table><tr><!-- {SECTIONS} --></tr></table>"
    "<!-- @ BLOCK_SECTION @ --><td><a href=\"tavrin://select_section/?id=<!-- {section_id} -->\">"
    "<!-- {section_name_nbsp} --></a></td><!-- @ BLOCK_SECTION @ -->"
    "<!-- @ BLOCK_SELECTED_SECTION @ --><td class=\"on\"><!-- {section_name} --></td>"
    "<!-- @ BLOCK_SELECTED_SECTION @ --></body></html>");

QString link(const char *id, const char *nbspName)
{
    return QStringLiteral("<td><a href=\"tavrin://select_section/?id=%1\">%2</a></td>")
        .arg(QLatin1String(id), QString::fromUtf8(nbspName));
}

QString selected(const char *name)
{
    return QStringLiteral("<td class=\"on\">%1</td>").arg(QString::fromUtf8(name));
}

QString page(const QString &list)
{
    return QStringLiteral("<html><body><table><tr>") + list + QStringLiteral("</tr></table></body></html>");
}

TEST(ComposeSectionsPage, SelectedSectionsInOrderWithTheCurrentOneMarked)
{
    const QList<SectionChoice> sections {
        { QStringLiteral("1"), QStringLiteral("Portada"), true },
        { QStringLiteral("2"), QStringLiteral("Última hora"), true },
        { QStringLiteral("3"), QStringLiteral("Deportes"), false },
        { QStringLiteral("4"), QStringLiteral("Vida y ocio"), true },
    };
    struct Case {
        const char *name;
        int current;
        QString expected;
    };
    const Case cases[] = {
        { "second current", 1,
          page(link("1", "Portada") + selected("Última hora") + link("4", "Vida&nbsp;y&nbsp;ocio")) },
        { "first current", 0,
          page(selected("Portada") + link("2", "Última&nbsp;hora") + link("4", "Vida&nbsp;y&nbsp;ocio")) },
        { "current unselected (nothing selected anywhere else)", 2,
          page(link("1", "Portada") + link("2", "Última&nbsp;hora") + link("4", "Vida&nbsp;y&nbsp;ocio")) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComposeSectionsPage(kHeader, sections, c.current), c.expected);
    }
    EXPECT_EQ(ComposeSectionsPage(kHeader, {}, -1), page(QString()));
    // A template without the blocks yields a page without a list.
    EXPECT_EQ(ComposeSectionsPage(QStringLiteral("<p><!-- {SECTIONS} --></p>"), sections, 0),
              QStringLiteral("<p></p>"));
}

TEST(ValidCurrentSection, FallsBackToTheFirstSelected)
{
    auto choices = [](std::initializer_list<bool> selection) {
        QList<SectionChoice> list;
        int i = 0;
        for (bool on : selection)
            list.append({ QString::number(++i), QStringLiteral("s"), on });
        return list;
    };
    struct Case {
        const char *name;
        int current;
        QList<SectionChoice> sections;
        int expected;
    };
    const Case cases[] = {
        { "current selected stays", 1, choices({ true, true, true }), 1 },
        { "current deselected: first selected", 0, choices({ false, false, true }), 2 },
        { "index past the end: first section", 7, choices({ true, true }), 0 },
        { "index past the end, first unselected: first selected", 7, choices({ false, true }), 1 },
        { "nothing selected: index kept", 1, choices({ false, false, false }), 1 },
        { "no sections: none", 0, {}, -1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ValidCurrentSection(c.current, c.sections), c.expected);
    }
}

TEST(ComposeNewsAddress, FillsSectionAndSubsectionMarkers)
{
    struct Case {
        const char *name;
        QString url;
        QString section;
        QStringList subsections;
        QString expected;
    };
    const QString url = QStringLiteral("http://news.example/@SECTION@/@SUBSECTIONS@/index.html");
    const Case cases[] = {
        { "no subsection selected: the marker goes with its slash",
          url,
          QStringLiteral("5"),
          {},
          QStringLiteral("http://news.example/5/index.html") },
        { "two subsections: joined by commas, both slashes stay",
          url,
          QStringLiteral("5"),
          { QStringLiteral("51"), QStringLiteral("53") },
          QStringLiteral("http://news.example/5/51,53/index.html") },
        { "marker without a slash stays when none is selected",
          QStringLiteral("http://n.example/s?id=@SECTION@&sub=@SUBSECTIONS@"),
          QStringLiteral("5"),
          {},
          QStringLiteral("http://n.example/s?id=5&sub=@SUBSECTIONS@") },
        { "marker without a slash is filled when some are selected",
          QStringLiteral("http://n.example/s?sub=@SUBSECTIONS@"),
          QStringLiteral("5"),
          { QStringLiteral("7") },
          QStringLiteral("http://n.example/s?sub=7") },
        { "every marker is replaced",
          QStringLiteral("@SECTION@/@SECTION@/@SUBSECTIONS@/@SUBSECTIONS@/"),
          QStringLiteral("9"),
          {},
          QStringLiteral("9/9/") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComposeNewsAddress(c.url, c.section, c.subsections), c.expected);
    }
}

TEST(NewsAddress, UsesTheSectionPageAndTheStoredSelection)
{
    ClientConfig config;
    config.sections_html_url = QStringLiteral("http://n.example/@SECTION@/@SUBSECTIONS@/");
    Section own;
    own.id = QStringLiteral("5");
    own.html_url = QStringLiteral("http://own.example/@SECTION@");
    Section shared;
    shared.id = QStringLiteral("6");
    shared.subsections = {
        { QStringLiteral("A"), QStringLiteral("61"), QStringLiteral("6_61"), true, false },
        { QStringLiteral("B"), QStringLiteral("62"), QStringLiteral("6_62"), false, false },
        { QStringLiteral("C"), QStringLiteral("63"), QStringLiteral("6_63"), false, false },
    };
    config.sections = { own, shared };

    EXPECT_EQ(NewsAddress(config, own), QStringLiteral("http://own.example/5"));
    EXPECT_EQ(NewsAddress(config, shared), QStringLiteral("http://n.example/6/61/"));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("6_63"), true));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("6_61"), false));
    EXPECT_EQ(NewsAddress(config, shared), QStringLiteral("http://n.example/6/63/"));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("6_63"), false));
    EXPECT_EQ(NewsAddress(config, shared), QStringLiteral("http://n.example/6/"));

    // The selection of the sections themselves comes from the same store.
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("5"), true));
    const QList<SectionChoice> choices = SectionChoices(config);
    ASSERT_EQ(choices.size(), 2);
    EXPECT_TRUE(choices.at(0).selected);
    EXPECT_FALSE(choices.at(1).selected); // not active and no stored choice
    EXPECT_EQ(choices.at(1).id, QStringLiteral("6"));
}

} // namespace
} // namespace tavrin
