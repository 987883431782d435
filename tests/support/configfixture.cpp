// The configuration cases: the seed documents, edits of good.xml with their verdicts, and a field dump.
#include "support/configfixture.h"

#include "support/testfiles.h"

#include <gtest/gtest.h>

namespace tavrin::test {

namespace {

const QByteArray kServer = "http://127.0.0.1:8642";

// The whole documents kept in tests/data/config (the fuzzer's seeds) with their verdicts.
const struct {
    const char *file;
    const char *verdict;
    QStringList changes;
} kSeeds[] = {
    { "good", "accepted", {} },
    { "latin1_encoding",
      "accepted",
      { R"(section portada: "Sección España" active ads "<p>anuncio</p>" urls "" "" "")" } },
    { "malformed", "rejected: the document is not well-formed XML", {} },
    { "no_prefs_window", "rejected: prefs_window: add_user_rss_url is missing or empty", {} },
    { "alerts_reload_zero", "rejected: alerts_window: reload is below 1", {} },
};

// Edits of good.xml the loader accepts, each group with the lines of describeConfig its edits change.
const std::pair<std::vector<const char *>, QStringList> kAccepted[] = {
    { { "id='news' => & url='http://elsewhere/'", "300x400 => 300x400x", "'300x400' => ' +300x 400px'",
        "'Portada' active='1' => 'Portada' active='01'", "'Local' active='1' => 'Local' active='1abc'",
        "'Mundo' active='0' => 'Mundo' active='true'",
        "'Otros medios' active='0' => 'Otros medios' active='2'",
        "logo.gif</image> => &<image id='logo' crc32='99'></image>", // the first of an id wins
        "nueva.</text> => &<text id='new_app_version'></text>" },
      {} },
    { { "<subsection id='mundo' => <!-- x -->&", "<subsection id='mundo' => <separator/>&" },
      { R"(subsections portada: local=portada_local "Local" active)" } },
    { { "</subsections> => &<subsections><subsection id='ultima' name='Última' active='1'/></subsections>" },
      { R"(subsections portada: ultima=portada_ultima "Última" active)" } },
    { { "<border width='2' => <!-- x -->&" }, { "main borders: 0000ff/1" } },
    { { "'FF0000' => 'FFF'" }, { "main borders: ffffff/1 80ff00/2" } },
    { { "'00FF80' => 'zz80FF'" }, { "main borders: 0000ff/1 ff8000/2" } },
    { { "<explorer id='ads_and_footer'/> => &<explorer id='urgent' url='~/urgent2.html' reload='30'/>" },
      { "urgent: ~/urgent2.html 30" } },
    { { "ttl='8' => ttl=' 5 segundos'" }, { R"(alerts: ttl " 5 segundos" max 3 reload 300)" } },
    { { "0,0-300,20 => -5, -3--1,+2 y mas" }, { "window: 300x400 title -5,-3,-1,2" } },
};

// Edits of good.xml the loader rejects, each group with the first rule its edits break.
const std::pair<const char *, std::vector<const char *>> kRejected[] = {
    { "images: holds something other than an image element",
      { "<image id='logo' => <!-- x -->&", "<image id='logo' => suelto&" } },
    { "texts: holds something other than a text element",
      { "<text id= => <!-- x -->&", "<text id= => <image id='a'>b</image>&" } },
    { "sections: holds something other than a section element", { "<section id='otros' => <!-- x -->&" } },
    { "section \"otros\": holds something other than ads_html_code or subsections",
      { "<ads_html_code>otros => <!-- x -->&", "<ads_html_code>otros => <html_url>x</html_url>&" } },
    { "main_window explorers: holds something other than an explorer element",
      { "<explorer id='loading' => <!-- x -->&" } },
    { "main_window explorers: unknown explorer id \"footer\"", { "'ads_and_footer' => 'footer'" } },
    { "main_window: size is not two numbers joined by x",
      { "300x400 => 300xx400", "300x400 => 300", "size='300x400' =>",
        "<main_window => <main_windows | </main_window> => </main_windows>",
        "<clientconfig ...</clientconfig> => <clientconfig/>" } },
    { "prefs_window: add_user_rss_url is missing or empty",
      { "add_user_rss_url='...' => add_user_rss_url=''",
        // The grammar's rules come before the checks of values.
        "<clientconfig url='...' => <clientconfig url='' | <prefs_window .../> =>" } },
    { "main_window: title_pos right is not greater than left",
      { "0,0-300,20 => 10,0-10,20", "0,0-300,20 => a,b-c,d", "0,0-300,20 => 0,0,300,20",
        // The window's checks come before the root's.
        "<clientconfig url='...' => <clientconfig url='' | 0,0-300,20 => 5,0-1,20" } },
    { "main_window: title_pos bottom is not greater than top", { "0,0-300,20 => 0,20-300,20" } },
    { "root element: url is empty", { "<clientconfig url='...' => <clientconfig url=''" } },
    { "monitoring: url is empty", { "<monitoring .../> => <monitoring/>" } },
    { "app: version is empty", { "version='1.0.0.11' => version=''" } },
    { "app: installer address (text) is empty",
      { "<app version='1.0.0.11'>...</app> => <app version='1.0.0.11'/>" } },
    { "sections: html_url is empty", { "<sections html_url='...' => <sections" } },
    { "sections: xml_url is empty", { "xml_url='...' =>" } },
    { "main_window explorer header_and_sections: html_code is empty",
      { "<html_code><![CDATA[...</html_code> => <code>x</code>" } },
    { "main_window explorer loading: url is empty", { "<explorer id='loading' .../> =>" } },
    { "main_window explorer urgent: url is empty",
      { "<explorer id='urgent' url='...' => <explorer id='urgent'" } },
    { "alerts_window: the first explorer's text is empty",
      { "<explorer><html_code>...</explorer> => <explorer/>" } },
    { "images: image \"logo\" has an empty address", { "crc32='12'>...</image> => crc32='12'></image>" } },
    { "images: an image has an empty id", { "id='logo' => id=''" } },
    { "texts: text \"new_app_version\" is empty",
      { "<text id='new_app_version'>...</text> => <text id='new_app_version'/>" } },
    { "texts: a text has an empty id", { "<text id='new_app_version'> => <text>" } },
    { "sections: there is no section", { "<section ...</sections> => </sections>" } },
    { "section \"portada\": name is empty", { "name='Portada' => name=''" } },
    { "section \"Portada\": id is empty", { "<section id='portada' => <section" } },
    { "section \"otros\": ads_html_code is missing or empty", { "<ads_html_code>otros</ads_html_code> =>" } },
    { "section \"portada\": subsection \"portada_mundo\" has an empty name or id",
      { "name='Mundo' => name=''" } },
    { "section \"portada\": subsection \"portada_\" has an empty name or id", { "id='mundo' => id=''" } },
    { "sections: no section has html_url, xml_url and user_rss_xml_url all set",
      { "user_rss_xml_url='...' =>" } },
    { "main_window: size width is below 1", { "300x400 => 0x400" } },
    { "main_window: size height is below 1", { "300x400 => 300x-4" } },
    { "main_window explorer news: reload is below 1", { "id='news' reload='120' => id='news'" } },
    { "main_window explorer urgent: reload is below 1", { "reload='60' => reload='cero'" } },
    { "alerts_window: ttl is below 1", { "ttl='8' => ttl='ocho'" } },
    { "alerts_window: max_news_per_show is below 1", { "max_news_per_show='3' => max_news_per_show='0'" } },
};

// In edits ' stands for the document's double quote and ~ for the fixtures' server.
QByteArray expand(const QByteArray &text)
{
    return text.trimmed().replace('\'', '"').replace("~", kServer);
}

} // namespace

std::vector<ConfigCase> configCases()
{
    std::vector<ConfigCase> cases;
    for (const auto &seed : kSeeds)
        cases.push_back({ QString::fromUtf8(seed.file) + ".xml", fixtureBytes("config", seed.file),
                          QString::fromUtf8(seed.verdict), seed.changes });
    for (const auto &[edits, changes] : kAccepted) {
        for (const char *edit : edits)
            cases.push_back({ QString::fromUtf8(edit), editedGoodConfig(edit), "accepted", changes });
    }
    for (const auto &[reason, edits] : kRejected) {
        for (const char *edit : edits)
            cases.push_back({ QString::fromUtf8(edit),
                              editedGoodConfig(edit),
                              "rejected: " + QString::fromUtf8(reason),
                              {} });
    }
    return cases;
}

QByteArray editedGoodConfig(const char *edit)
{
    QByteArray doc = fixtureBytes("config", "good");
    for (const QByteArray &step : QByteArray(edit).split('|')) {
        const qsizetype arrow = step.indexOf("=>");
        const QByteArray from = expand(step.left(arrow));
        const qsizetype dots = from.indexOf("...");
        const QByteArray head = dots < 0 ? from : from.left(dots);
        const QByteArray tail = dots < 0 ? QByteArray() : from.mid(dots + 3);
        const qsizetype start = doc.indexOf(head);
        const qsizetype end = start < 0 ? -1 : doc.indexOf(tail, start + head.size());
        if (arrow < 0 || head.isEmpty() || end < 0) {
            ADD_FAILURE() << "the edit does not apply to good.xml: " << step.toStdString();
            return {};
        }
        const qsizetype length = end + tail.size() - start;
        doc.replace(start, length, expand(step.mid(arrow + 2)).replace('&', doc.mid(start, length)));
    }
    return doc;
}

QStringList describeConfig(const ClientConfig &c)
{
    const auto q = [](const QString &text) { return '"' + text + '"'; };
    const auto borders = [](const QList<Border> &list) {
        QString text;
        for (const Border &b : list)
            text += QString::asprintf(" %06x/%d", b.color, b.width);
        return text;
    };
    QStringList lines
        = { "url: " + c.url, "app: " + c.app_version + ' ' + c.app_url, "monitoring: " + c.monitoring_url };
    for (const auto &[key, image] : c.images)
        lines << "image " + key + ": " + image.id + ' ' + QString::number(image.crc32) + ' ' + image.url;
    for (const auto &[key, text] : c.texts)
        lines << "text " + key + ": " + text;
    lines << "sections: " + c.sections_html_url + ' ' + c.sections_xml_url;
    for (const Section &s : c.sections) {
        lines << "section " + s.id + ": " + q(s.name) + (s.active ? " active" : "") + " ads "
                + q(s.ads_html_code) + " urls " + q(s.html_url) + ' ' + q(s.xml_url) + ' '
                + q(s.user_rss_xml_url);
        QStringList subsections;
        for (const Subsection &sub : s.subsections)
            subsections << sub.id + '=' + sub.key + ' ' + q(sub.name) + (sub.active ? " active" : "")
                    + (sub.user_added ? " user" : "");
        lines << ("subsections " + s.id + ": " + subsections.join(", ")).trimmed();
    }
    const ConfigRect &r = c.title_rect;
    lines << QString::asprintf("window: %dx%d title %d,%d,%d,%d", c.main_width, c.main_height, r.left, r.top,
                               r.right, r.bottom)
          << "main borders:" + borders(c.main_borders) << "header: " + c.header_html
          << "urgent: " + c.urgent_url + ' ' + QString::number(c.urgent_reload)
          << "news: " + QString::number(c.news_reload) << "loading: " + c.loading_url
          << "add feed: " + c.add_user_rss_url
          << QString::asprintf("alerts: ttl %ls max %d reload %d", qUtf16Printable(q(c.alerts_ttl)),
                               c.max_news_per_show, c.alerts_reload)
          << "alerts html: " + c.alerts_html << "alerts borders:" + borders(c.alerts_borders);
    for (QString &line : lines)
        line.replace(QString::fromLatin1(kServer), "~");
    return lines;
}

} // namespace tavrin::test
