// Composition of the main window's pane pages: the current section, the sections page, the news address.
#include "compose/panecomposition.h"

#include "compose/htmlescape.h"
#include "compose/htmltemplate.h"
#include "config/selection.h"

namespace tavrin {

QList<SectionChoice> SectionChoices(const ClientConfig &config)
{
    QList<SectionChoice> choices;
    choices.reserve(config.sections.size());
    for (const Section &section : config.sections)
        choices.append({ section.id, section.name, IsSelected(section) });
    return choices;
}

int ValidCurrentSection(int currentIndex, const QList<SectionChoice> &sections)
{
    if (sections.isEmpty())
        return -1;
    if (currentIndex < 0 || currentIndex >= sections.size())
        currentIndex = 0;
    if (sections.at(currentIndex).selected)
        return currentIndex;
    for (int i = 0; i < sections.size(); ++i) {
        if (sections.at(i).selected)
            return i;
    }
    return currentIndex;
}

QString ComposeSectionsPage(const QString &headerHtml, const QList<SectionChoice> &sections, int current)
{
    HtmlTemplate page(headerHtml);
    QString list;
    for (int i = 0; i < sections.size(); ++i) {
        const SectionChoice &section = sections.at(i);
        if (!section.selected)
            continue;
        QString copy = page.GetBlock(i == current ? QStringLiteral("BLOCK_SELECTED_SECTION")
                                                  : QStringLiteral("BLOCK_SECTION"));
        // Ids and names come from the configuration and, for user feeds, from other media: text only.
        const QString name = EscapeHtml(section.name);
        FillValue(copy, QStringLiteral("section_id"), EscapeHtml(section.id));
        FillValue(copy, QStringLiteral("section_name"), name);
        FillValue(copy, QStringLiteral("section_name_nbsp"), ToNbsp(name));
        list += copy;
    }
    page.SetValue(QStringLiteral("SECTIONS"), list);
    return page.GetResult();
}

QString ComposeNewsAddress(const QString &pageUrl, const QString &sectionId, const QStringList &subsectionIds)
{
    QString address = pageUrl;
    address.replace(QStringLiteral("@SECTION@"), sectionId);
    if (subsectionIds.isEmpty())
        address.replace(QStringLiteral("@SUBSECTIONS@/"), QString());
    else
        address.replace(QStringLiteral("@SUBSECTIONS@"), subsectionIds.join(QLatin1Char(',')));
    return address;
}

QStringList SelectedSubsectionIds(const Section &section)
{
    QStringList ids;
    for (const Subsection &subsection : EffectiveSubsections(section)) {
        if (IsSelected(subsection))
            ids.append(subsection.id);
    }
    return ids;
}

QString NewsAddress(const ClientConfig &config, const Section &section)
{
    return ComposeNewsAddress(config.SectionPageUrl(section), section.id, SelectedSubsectionIds(section));
}

} // namespace tavrin
