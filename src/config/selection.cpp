// The user's stored choices applied to the configuration's sections and feeds.
#include "config/selection.h"

#include "settings/settings.h"

namespace tavrin {

bool IsSelected(const Section &section)
{
    return IsSelected(section.id, section.active);
}

bool IsSelected(const Subsection &subsection)
{
    return IsSelected(subsection.key, subsection.active);
}

bool IsKeySelected(const ClientConfig &config, const QString &sectionKey)
{
    for (const Section &section : config.sections) {
        if (section.id == sectionKey)
            return IsSelected(section);
    }
    const std::optional<Subsection> subsection = config.FindSubsectionByKey(sectionKey);
    return subsection && IsSelected(*subsection);
}

QString KeyDisplayName(const ClientConfig &config, const QString &sectionKey)
{
    for (const Section &section : config.sections) {
        if (section.id == sectionKey)
            return section.name;
    }
    const std::optional<Subsection> subsection = config.FindSubsectionByKey(sectionKey);
    return subsection ? subsection->name : QString();
}

bool AddOtherMedia(const Subsection &record)
{
    if (!record.user_added || !StoreOtherMedium({ record.id, record.name }))
        return false;
    SetSectionSelected(record.key, record.active);
    return true;
}

bool RemoveOtherMedia(const Subsection &record)
{
    return record.user_added && DeleteOtherMedium(record.id);
}

} // namespace tavrin
