// Composition of the main window's pane pages: the current section, the sections page, the news address.
#pragma once

#include "config/clientconfig.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tavrin {

// What the sections page needs of one section.
struct SectionChoice {
    QString id;
    QString name;
    bool selected = false;
};

// The sections of a configuration with their selection as the settings store answers it.
QList<SectionChoice> SectionChoices(const ClientConfig &config);

// The valid current index: an index past the end becomes 0; an unselected current section gives way
// to the first selected one; with nothing selected the index stays. -1 when there are no sections.
int ValidCurrentSection(int currentIndex, const QList<SectionChoice> &sections);

// The sections page: one BLOCK_SECTION copy per selected section but the current one, which gets
// BLOCK_SELECTED_SECTION, in section order, as the SECTIONS list. `current` must be valid (or -1).
// Ids and names are inserted escaped (EscapeHtml; the _nbsp form gets its &nbsp; after escaping).
QString ComposeSectionsPage(const QString &headerHtml, const QList<SectionChoice> &sections, int current);

// The news page address: "@SECTION@" becomes the section's identifier; "@SUBSECTIONS@" becomes the
// selected subsections joined by ",", and with none selected "@SUBSECTIONS@/" disappears.
QString ComposeNewsAddress(const QString &pageUrl, const QString &sectionId,
                           const QStringList &subsectionIds);

// The identifiers of the section's selected subsections (user feeds included), in order.
QStringList SelectedSubsectionIds(const Section &section);

// ComposeNewsAddress for a section of the configuration, with its selection from the settings.
QString NewsAddress(const ClientConfig &config, const Section &section);

} // namespace tavrin
