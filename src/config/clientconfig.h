// The in-memory form of the publisher's configuration document and the queries every module uses.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

namespace tavrin {

// Orders texts by the bytes of their UTF-8 form (that is, by Unicode code point), case-sensitively.
// QString's own operator< compares UTF-16 code units, which differs for characters above U+FFFF.
struct Utf8ByteLess {
    bool operator()(const QString &a, const QString &b) const;
};

struct ConfigImage {
    QString id; // also the key of ClientConfig::images
    std::uint32_t crc32 = 0; // CRC-32 of the image file
    QString url; // where it is downloaded from; the text after its last "." is the file's extension
};

struct Border {
    std::uint32_t color = 0; // 0x00BBGGRR
    int width = 0; // pixels
};

struct Subsection {
    QString name;
    QString id;
    QString key; // owning section's id + "_" + id: the selection key
    bool active = false; // selected when the user's settings hold no choice
    bool user_added = false; // a feed of other media registered by the user
};

struct Section {
    QString name;
    QString id; // also the section's selection key
    QString ads_html_code;
    bool active = false;
    QString html_url; // empty: the configuration's sections_html_url
    QString xml_url;
    QString user_rss_xml_url; // template with "@SUBSECTION@"
    QList<Subsection> subsections; // the configured ones, document order
};

// Left, top, right and bottom as the document gives them (right and bottom are exclusive bounds).
struct ConfigRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const ConfigRect &, const ConfigRect &) = default;
};

using ImageMap = std::map<QString, ConfigImage, Utf8ByteLess>;
using TextMap = std::map<QString, QString, Utf8ByteLess>;

// Plain value: copying copies everything. A fresh one has empty texts, maps and lists and zero numbers.
struct ClientConfig {
    QString url;
    QString app_version;
    QString app_url;
    QString app_sha256; // the installer's SHA-256 in lower-case hexadecimal; "" when not given
    QString monitoring_url;
    ImageMap images; // the first occurrence of an identifier wins
    TextMap texts; // overrides of the built-in texts, by key; the first occurrence wins
    QString sections_html_url;
    QString sections_xml_url;
    QList<Section> sections;
    QList<Border> main_borders;
    int main_width = 0;
    int main_height = 0;
    ConfigRect title_rect;
    QString header_html;
    QString loading_url;
    QString urgent_url;
    int news_reload = 0;
    int urgent_reload = 0;
    QString add_user_rss_url;
    QList<Border> alerts_borders;
    QString alerts_ttl; // seconds, kept as the document's text
    int max_news_per_show = 0;
    int alerts_reload = 0;
    QString alerts_html;

    // The section's own news page, else sections_html_url.
    QString SectionPageUrl(const Section &section) const;
    // The first section, in document order, that carries user feeds.
    std::optional<Section> FindUserFeedSection() const;
    // The first subsection (configured or user feed) with that selection key, sections in order.
    std::optional<Subsection> FindSubsectionByKey(const QString &key) const;
};

// True when html_url, xml_url and user_rss_xml_url are all non-empty: the home of the user's feeds.
bool CarriesUserFeeds(const Section &section);
// The configured subsections, followed, for a section that carries user feeds, by the user's
// registered feeds of that section as the settings store lists them.
QList<Subsection> EffectiveSubsections(const Section &section);
// The user's registered feeds as subsections of the section with that identifier, in listing order.
QList<Subsection> LoadOtherMedia(const QString &sectionId);

// Local file of a cached image (data folder + "images/" + id + "." + extension of its url).
QString ImagePath(const ConfigImage &image);

} // namespace tavrin
