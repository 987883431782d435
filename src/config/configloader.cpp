// The configuration document's grammar (parse) and the checks that decide whether the client runs with it.
#include "config/configloader.h"

#include "base/logging.h"
#include "base/text.h"
#include "config/xmldocument.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tavrin {

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\v' || u == '\f' || u == '\r';
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The checksum is an unsigned 32-bit number: read it modulo 2^32 so that every CRC above 2^31 survives.
std::uint32_t parseCrc(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t value = 0;
    while (i < text.size() && isDigit(text[i])) {
        value = value * 10u + std::uint32_t(text[i].unicode() - '0');
        ++i;
    }
    return negative ? std::uint32_t(0u - value) : value;
}

// "%d,%d-%d,%d": all four numbers or an all-zero rectangle.
ConfigRect parseTitleRect(const QString &text)
{
    int numbers[4] = {};
    if (ScanRect(text, numbers) < 4) {
        return ConfigRect();
    }
    return ConfigRect { numbers[0], numbers[1], numbers[2], numbers[3] };
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'f') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1;
}

// A pair of characters read as a hexadecimal number up to its first non-hex character.
std::uint32_t hexPair(const QString &text, qsizetype at)
{
    std::uint32_t value = 0;
    for (qsizetype i = at; i < at + 2; ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0) {
            break;
        }
        value = value * 16 + std::uint32_t(digit);
    }
    return value;
}

// RRGGBB to 0x00BBGGRR; anything that is not six characters is white.
std::uint32_t parseColor(const QString &text)
{
    if (text.size() != 6) {
        return 0xFFFFFF;
    }
    return hexPair(text, 0) | (hexPair(text, 2) << 8) | (hexPair(text, 4) << 16);
}

bool isElement(const XmlElement &node, const QString &name)
{
    return !node.isNull() && TagName(node) == name;
}

// Children up to the first that is not a border element; the rest do not count.
QList<Border> readBorders(const XmlElement &borders)
{
    QList<Border> result;
    for (const XmlElement &child : Children(borders)) {
        if (!isElement(child, QStringLiteral("border"))) {
            break;
        }
        result.append(Border { parseColor(Attribute(child, QStringLiteral("color"))),
                               ParseDecimal(Attribute(child, QStringLiteral("width"))) });
    }
    return result;
}

class Reader {
public:
    Reader(QString *reason, const ConfigLimits &limits)
        : m_reason(reason)
        , m_limits(limits)
    {
    }

    bool parse(const XmlElement &root, ClientConfig &c);
    bool validate(const ClientConfig &c);

private:
    bool fail(const QString &why)
    {
        if (m_reason) {
            *m_reason = why;
        }
        return false;
    }
    bool parseImages(const XmlElement &root, ClientConfig &c);
    bool parseTexts(const XmlElement &root, ClientConfig &c);
    bool parseSections(const XmlElement &root, ClientConfig &c);
    bool parseMainWindow(const XmlElement &root, ClientConfig &c);

    QString *m_reason;
    const ConfigLimits &m_limits;
    int m_subsections = 0;
};

bool Reader::parse(const XmlElement &root, ClientConfig &c)
{
    c.url = TokenAttribute(root, QStringLiteral("url"));
    const XmlElement app = FirstChild(root, QStringLiteral("app"));
    c.app_version = Attribute(app, QStringLiteral("version"));
    c.app_url = TokenText(app);
    c.app_sha256 = TokenAttribute(app, QStringLiteral("sha256")).toLower();
    c.monitoring_url = TokenAttribute(FirstChild(root, QStringLiteral("monitoring")), QStringLiteral("url"));

    if (!parseImages(root, c) || !parseTexts(root, c) || !parseSections(root, c)
        || !parseMainWindow(root, c)) {
        return false;
    }

    c.add_user_rss_url = TokenAttribute(FirstChild(root, QStringLiteral("prefs_window")),
                                        QStringLiteral("add_user_rss_url"));
    if (c.add_user_rss_url.isEmpty()) {
        return fail(QStringLiteral("prefs_window: add_user_rss_url is missing or empty"));
    }

    const XmlElement alerts = FirstChild(root, QStringLiteral("alerts_window"));
    c.alerts_ttl = Attribute(alerts, QStringLiteral("ttl"));
    c.max_news_per_show = ParseDecimal(Attribute(alerts, QStringLiteral("max_news_per_show")));
    c.alerts_html
        = Text(FirstChild(FirstChild(alerts, QStringLiteral("explorers")), QStringLiteral("explorer")));
    c.alerts_borders = readBorders(FirstChild(alerts, QStringLiteral("borders")));
    c.alerts_reload = ParseDecimal(Attribute(alerts, QStringLiteral("reload")));
    return true;
}

bool Reader::parseImages(const XmlElement &root, ClientConfig &c)
{
    int count = 0;
    for (const XmlElement &child : Children(FirstChild(root, QStringLiteral("images")))) {
        if (!isElement(child, QStringLiteral("image"))) {
            return fail(QStringLiteral("images: holds something other than an image element"));
        }
        if (++count > m_limits.images) {
            return fail(QStringLiteral("images: more than %1 images").arg(m_limits.images));
        }
        ConfigImage image;
        image.id = TokenAttribute(child, QStringLiteral("id"));
        image.crc32 = parseCrc(Attribute(child, QStringLiteral("crc32")));
        image.url = TokenText(child);
        c.images.try_emplace(image.id, image);
    }
    return true;
}

bool Reader::parseTexts(const XmlElement &root, ClientConfig &c)
{
    for (const XmlElement &child : Children(FirstChild(root, QStringLiteral("texts")))) {
        if (!isElement(child, QStringLiteral("text"))) {
            return fail(QStringLiteral("texts: holds something other than a text element"));
        }
        c.texts.try_emplace(TokenAttribute(child, QStringLiteral("id")), Text(child));
    }
    return true;
}

bool Reader::parseSections(const XmlElement &root, ClientConfig &c)
{
    const XmlElement sections = FirstChild(root, QStringLiteral("sections"));
    c.sections_html_url = TokenAttribute(sections, QStringLiteral("html_url"));
    c.sections_xml_url = TokenAttribute(sections, QStringLiteral("xml_url"));
    for (const XmlElement &node : Children(sections)) {
        if (!isElement(node, QStringLiteral("section"))) {
            return fail(QStringLiteral("sections: holds something other than a section element"));
        }
        if (c.sections.size() >= m_limits.sections) {
            return fail(QStringLiteral("sections: more than %1 sections").arg(m_limits.sections));
        }
        Section section;
        const QString sectionId = TokenAttribute(node, QStringLiteral("id"));
        for (const XmlElement &child : Children(node)) {
            const QString tag = TagName(child);
            if (!child.isNull() && tag == QStringLiteral("ads_html_code")) {
                section.ads_html_code = Text(child);
            } else if (!child.isNull() && tag == QStringLiteral("subsections")) {
                section.subsections.clear();
                for (const XmlElement &item : Children(child)) {
                    if (!isElement(item, QStringLiteral("subsection"))) {
                        break;
                    }
                    if (++m_subsections > m_limits.subsections) {
                        return fail(QStringLiteral("sections: more than %1 subsections in all")
                                        .arg(m_limits.subsections));
                    }
                    Subsection subsection;
                    subsection.name = Attribute(item, QStringLiteral("name"));
                    subsection.id = TokenAttribute(item, QStringLiteral("id"));
                    subsection.key = sectionId + u'_' + subsection.id;
                    subsection.active = ParseDecimal(Attribute(item, QStringLiteral("active"))) == 1;
                    subsection.user_added = false;
                    section.subsections.append(subsection);
                }
            } else {
                return fail(QStringLiteral("section \"%1\": holds something other than ads_html_code or "
                                           "subsections")
                                .arg(sectionId));
            }
        }
        section.name = Attribute(node, QStringLiteral("name"));
        section.id = sectionId;
        section.active = ParseDecimal(Attribute(node, QStringLiteral("active"))) == 1;
        section.html_url = TokenAttribute(node, QStringLiteral("html_url"));
        section.xml_url = TokenAttribute(node, QStringLiteral("xml_url"));
        section.user_rss_xml_url = TokenAttribute(node, QStringLiteral("user_rss_xml_url"));
        c.sections.append(section);
    }
    return true;
}

bool Reader::parseMainWindow(const XmlElement &root, ClientConfig &c)
{
    const XmlElement window = FirstChild(root, QStringLiteral("main_window"));
    const QStringList size = SplitText(Attribute(window, QStringLiteral("size")), QStringLiteral("x"));
    if (size.size() != 2) {
        return fail(QStringLiteral("main_window: size is not two numbers joined by x"));
    }
    c.main_width = ParseDecimal(size[0]);
    c.main_height = ParseDecimal(size[1]);
    c.title_rect = parseTitleRect(Attribute(window, QStringLiteral("title_pos")));
    c.main_borders = readBorders(FirstChild(window, QStringLiteral("borders")));

    for (const XmlElement &node : Children(FirstChild(window, QStringLiteral("explorers")))) {
        if (!isElement(node, QStringLiteral("explorer"))) {
            return fail(
                QStringLiteral("main_window explorers: holds something other than an explorer element"));
        }
        const QString id = TokenAttribute(node, QStringLiteral("id"));
        if (id == QStringLiteral("header_and_sections")) {
            c.header_html = Text(FirstChild(node, QStringLiteral("html_code")));
        } else if (id == QStringLiteral("urgent")) {
            c.urgent_url = TokenAttribute(node, QStringLiteral("url"));
            c.urgent_reload = ParseDecimal(Attribute(node, QStringLiteral("reload")));
        } else if (id == QStringLiteral("news")) {
            c.news_reload = ParseDecimal(Attribute(node, QStringLiteral("reload")));
        } else if (id == QStringLiteral("loading")) {
            c.loading_url = TokenAttribute(node, QStringLiteral("url"));
        } else if (id != QStringLiteral("ads_and_footer")) {
            return fail(QStringLiteral("main_window explorers: unknown explorer id \"%1\"").arg(id));
        }
    }
    return true;
}

bool Reader::validate(const ClientConfig &c)
{
    // In 64 bits: extreme numbers in the document must not overflow the subtraction.
    if (std::int64_t(c.title_rect.right) - c.title_rect.left < 1) {
        return fail(QStringLiteral("main_window: title_pos right is not greater than left"));
    }
    if (std::int64_t(c.title_rect.bottom) - c.title_rect.top < 1) {
        return fail(QStringLiteral("main_window: title_pos bottom is not greater than top"));
    }

    const std::pair<const QString *, const char *> required[] = {
        { &c.url, "root element: url is empty" },
        { &c.monitoring_url, "monitoring: url is empty" },
        { &c.app_version, "app: version is empty" },
        { &c.app_url, "app: installer address (text) is empty" },
        { &c.sections_html_url, "sections: html_url is empty" },
        { &c.sections_xml_url, "sections: xml_url is empty" },
        { &c.header_html, "main_window explorer header_and_sections: html_code is empty" },
        { &c.loading_url, "main_window explorer loading: url is empty" },
        { &c.urgent_url, "main_window explorer urgent: url is empty" },
        { &c.add_user_rss_url, "prefs_window: add_user_rss_url is empty" },
        { &c.alerts_html, "alerts_window: the first explorer's text is empty" },
    };
    for (const auto &[field, why] : required) {
        if (field->isEmpty()) {
            return fail(QString::fromUtf8(why));
        }
    }

    // Optional; when given, an installer whose bytes have another hash is never started.
    static const QRegularExpression sha256(QStringLiteral("^[0-9a-f]{64}$"));
    if (!c.app_sha256.isEmpty() && !sha256.match(c.app_sha256).hasMatch()) {
        return fail(QStringLiteral("app: sha256 is not 64 hexadecimal digits"));
    }

    for (const auto &[id, image] : c.images) {
        if (image.id.isEmpty()) {
            return fail(QStringLiteral("images: an image has an empty id"));
        }
        if (image.url.isEmpty()) {
            return fail(QStringLiteral("images: image \"%1\" has an empty address").arg(image.id));
        }
    }
    for (const auto &[id, text] : c.texts) {
        if (id.isEmpty()) {
            return fail(QStringLiteral("texts: a text has an empty id"));
        }
        if (text.isEmpty()) {
            return fail(QStringLiteral("texts: text \"%1\" is empty").arg(id));
        }
    }

    if (c.sections.isEmpty()) {
        return fail(QStringLiteral("sections: there is no section"));
    }
    bool anyUserFeeds = false;
    for (const Section &section : c.sections) {
        anyUserFeeds = anyUserFeeds || CarriesUserFeeds(section);
        if (section.name.isEmpty()) {
            return fail(QStringLiteral("section \"%1\": name is empty").arg(section.id));
        }
        if (section.id.isEmpty()) {
            return fail(QStringLiteral("section \"%1\": id is empty").arg(section.name));
        }
        if (section.ads_html_code.isEmpty()) {
            return fail(QStringLiteral("section \"%1\": ads_html_code is missing or empty").arg(section.id));
        }
        for (const Subsection &subsection : EffectiveSubsections(section)) {
            if (subsection.name.isEmpty() || subsection.id.isEmpty()) {
                return fail(QStringLiteral("section \"%1\": %2 \"%3\" has an empty name or id")
                                .arg(section.id,
                                     subsection.user_added ? QStringLiteral("the user's feed")
                                                           : QStringLiteral("subsection"),
                                     subsection.user_added ? subsection.id : subsection.key));
            }
        }
    }
    if (!anyUserFeeds) {
        return fail(
            QStringLiteral("sections: no section has html_url, xml_url and user_rss_xml_url all set"));
    }

    const std::pair<int, const char *> positive[] = {
        { c.main_width, "main_window: size width is below 1" },
        { c.main_height, "main_window: size height is below 1" },
        { c.alerts_reload, "alerts_window: reload is below 1" },
        { c.news_reload, "main_window explorer news: reload is below 1" },
        { c.urgent_reload, "main_window explorer urgent: reload is below 1" },
        { ParseDecimal(c.alerts_ttl), "alerts_window: ttl is below 1" },
        { c.max_news_per_show, "alerts_window: max_news_per_show is below 1" },
    };
    for (const auto &[value, why] : positive) {
        if (value < 1) {
            return fail(QString::fromUtf8(why));
        }
    }
    return true;
}

bool tooLarge(qint64 size, const ConfigLimits &limits, QString *reason)
{
    if (size <= limits.bytes) {
        return false;
    }
    if (reason) {
        *reason = QStringLiteral("the document is larger than %1 bytes").arg(limits.bytes);
    }
    return true;
}

bool loadFrom(bool loaded, const XmlElement &root, ClientConfig &config, QString *reason,
              const ConfigLimits &limits)
{
    if (!loaded) {
        if (reason) {
            *reason = QStringLiteral("the document is not well-formed XML");
        }
        return false;
    }
    ClientConfig fresh;
    Reader reader(reason, limits);
    if (!reader.parse(root, fresh) || !reader.validate(fresh)) {
        return false;
    }
    config = std::move(fresh);
    return true;
}

} // namespace

int ParseDecimal(const QString &text)
{
    qsizetype pos = 0;
    int value = 0;
    return ScanDecimal(text, pos, value) ? value : 0;
}

bool LoadConfigurationFile(const QString &path, ClientConfig &config, QString *reason,
                           const ConfigLimits &limits)
{
    if (tooLarge(QFileInfo(path).size(), limits, reason)) {
        return false;
    }
    XmlElement root;
    QString error;
    const bool loaded = LoadXmlFile(path, root, &error);
    if (!loaded)
        qCDebug(lcConfig) << "configuration" << path << "not read:" << error;
    return loadFrom(loaded, root, config, reason, limits);
}

bool LoadConfigurationText(const QByteArray &text, ClientConfig &config, QString *reason,
                           const ConfigLimits &limits)
{
    if (tooLarge(text.size(), limits, reason)) {
        return false;
    }
    XmlElement root;
    QString error;
    const bool loaded = LoadXmlText(text, root, &error);
    if (!loaded)
        qCDebug(lcConfig) << "configuration not read:" << error;
    return loadFrom(loaded, root, config, reason, limits);
}

} // namespace tavrin
