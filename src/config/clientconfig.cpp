// Queries over the configuration model: page addresses, user-feed sections and subsection lookup.
#include "config/clientconfig.h"

#include "base/paths.h"
#include "settings/settings.h"

#include <algorithm>

namespace tavrin {

namespace {

// Moves surrogates above U+E000..U+FFFF so that UTF-16 units compare in code point order,
// which is the byte order of the UTF-8 form.
char16_t codePointOrder(char16_t unit)
{
    if (unit >= 0xD800) {
        return unit < 0xE000 ? char16_t(unit + 0x2000) : char16_t(unit - 0x800);
    }
    return unit;
}

} // namespace

bool Utf8ByteLess::operator()(const QString &a, const QString &b) const
{
    const qsizetype common = std::min(a.size(), b.size());
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t ua = pa[i].unicode();
        const char16_t ub = pb[i].unicode();
        if (ua != ub) {
            return codePointOrder(ua) < codePointOrder(ub);
        }
    }
    return a.size() < b.size();
}

QString ClientConfig::SectionPageUrl(const Section &section) const
{
    return section.html_url.isEmpty() ? sections_html_url : section.html_url;
}

std::optional<Section> ClientConfig::FindUserFeedSection() const
{
    for (const Section &section : sections) {
        if (CarriesUserFeeds(section)) {
            return section;
        }
    }
    return std::nullopt;
}

std::optional<Subsection> ClientConfig::FindSubsectionByKey(const QString &key) const
{
    for (const Section &section : sections) {
        for (const Subsection &subsection : EffectiveSubsections(section)) {
            if (subsection.key == key) {
                return subsection;
            }
        }
    }
    return std::nullopt;
}

bool CarriesUserFeeds(const Section &section)
{
    return !section.html_url.isEmpty() && !section.xml_url.isEmpty() && !section.user_rss_xml_url.isEmpty();
}

QList<Subsection> EffectiveSubsections(const Section &section)
{
    QList<Subsection> result = section.subsections;
    if (CarriesUserFeeds(section)) {
        result.append(LoadOtherMedia(section.id));
    }
    return result;
}

QList<Subsection> LoadOtherMedia(const QString &sectionId)
{
    QList<Subsection> result;
    for (const OtherMedium &medium : ListOtherMedia()) {
        Subsection feed;
        feed.name = medium.name;
        feed.id = medium.id;
        feed.key = sectionId + QLatin1Char('_') + medium.id;
        feed.active = true;
        feed.user_added = true;
        result.append(feed);
    }
    return result;
}

QString ImagePath(const ConfigImage &image)
{
    return ImagePath(image.id, image.url);
}

} // namespace tavrin
