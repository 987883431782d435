// The configuration cases: good.xml and its fields as read, edits of both with verdicts, the field dump.
#include "support/configfixture.h"

#include "support/testfiles.h"

#include <gtest/gtest.h>

namespace tavrin::test {
namespace {

// good.xml as describeConfig gives it: images by id, a CRC above 2^31 whole, colours as 0x00BBGGRR.
const char *const kGoodFields = R"(
root ~/clientconfig.xml;1.0.0.11;~/tavrin-setup;~/ok.txt;~/add?name=@USER_RSS_NAME@
sections ~/news.html;~/news.xml
main_window 300;400;0;0;300;20;0000ff/1 80ff00/2;<div>@SECTIONS@</div>;~/urgent.html;60;120;~/loading.html
alerts_window 8;3;300;<b>alerta</b>;ff0000/3
image logo;logo;12;~/img/logo.gif
image tavrin_icon;tavrin_icon;3735928559;~/img/icon.png
text new_app_version;Hay una versión nueva.
section portada;Portada;1;<p>anuncio</p>;;;
subsection portada_local;local;Local;1;0
subsection portada_mundo;mundo;Mundo;0;0
section otros;Otros medios;0;otros;~/otros.html;~/otros.xml;~/rss/@SUBSECTION@.xml)";

// Edits of good.xml the loader accepts with the edit of kGoodFields; @x is tests/data/config/x.xml.
const std::pair<const char *, std::vector<const char *>> kAccepted[] = {
    { "",
      { "@good", "id='news' => & url='http://elsewhere/'", "300x400 => 300x400x",
        "'300x400' => ' +300x 400px'", "'1'/> => '1abc'/>", "'0'/> => 'true'/>", "'0' html => '2' html",
        "logo.gif</image> => &<image id='logo' crc32='99'></image>", // the first of an image or text id wins
        "nueva.</text> => &<text id='new_app_version'></text>",
        "nueva.</text> => nueva.<!-- x --><?pi y?></text>", // comments, instructions, blank runs: no text
        "<explorer><html_code> => <explorer> <html_code>" } },
    { "Portada; => Sección España;", { "@latin1_encoding" } },
    { "subsection portada_mundo...0;0 =>",
      { "<subsection id='mundo' => <!-- x -->&", "<subsection id='mundo' => <separator/>&" } },
    { "subsection portada_local...0;0 => subsection portada_u;u;Ú;1;0",
      { "</subsections> => &<subsections><subsection id='u' name='Ú' active='1'/></subsections>" } },
    { "/1 80ff00/2 => /1", { "<border width='2' => <!-- x -->&" } },
    { "0000ff/1 => ffffff/1", { "'FF0000' => 'FFF'" } },
    { "80ff00/2 => ff8000/2", { "'00FF80' => 'zz80FF'" } },
    { "~/urgent.html;60 => ~/2;30", { "</explorers> => <explorer id='urgent' url='~/2' reload='30'/>&" } },
    { "urgent.html;60 => urgent.html;2147483647", { "reload='60' => reload='99999999999'" } }, // saturated
    { "alerts_window 8; => alerts_window  5 segundos;", { "ttl='8' => ttl=' 5 segundos'" } },
    { "300;400;0;0;300;20 => 300;400;-5;-3;-1;2", { "0,0-300,20 => -5, -3--1,+2 y mas" } },
};

// Edits of good.xml the loader rejects, each group with the first rule its edits break.
const std::pair<const char *, std::vector<const char *>> kRejected[] = {
    { "the document is not well-formed XML", { "@malformed" } },
    { "images: holds something other than an image element", { "<images> => &<?pi x?>", "<images> => &x" } },
    { "texts: holds something other than a text element", { "<text id= => <image id='a'>b</image>&" } },
    { "sections: holds something other than a section element", { "<section id='otros' => <!-- x -->&" } },
    { "section \"otros\": holds something other than ads_html_code or subsections",
      { "<ads_html_code>otros => <![CDATA[x]]>&", "<ads_html_code>otros => <html_url>x</html_url>&" } },
    { "main_window explorers: holds something other than an explorer element", { "<explorers> => &x" } },
    { "main_window explorers: unknown explorer id \"footer\"", { "'ads_and_footer' => 'footer'" } },
    { "main_window: size is not two numbers joined by x",
      { "300x400 => 300xx400", "300x400 => 300", "<clientconfig ...</clientconfig> => <clientconfig/>" } },
    // The grammar's rules come before the checks of values, the window's checks before the root's.
    { "prefs_window: add_user_rss_url is missing or empty",
      { "@no_prefs_window", "~/clientconfig.xml => | <prefs_window .../> =>" } },
    { "main_window: title_pos right is not greater than left",
      { "0,0-300,20 => 10,0-10,20", "0,0-300,20 => 0,0,300,20",
        "~/clientconfig.xml => | 0,0-300,20 => 5,0-1,20" } },
    { "main_window: title_pos bottom is not greater than top", { "0,0-300,20 => 0,20-300,20" } },
    { "root element: url is empty", { "~/clientconfig.xml =>" } },
    { "monitoring: url is empty", { "~/ok.txt =>" } },
    { "app: version is empty", { "1.0.0.11 =>" } },
    { "app: installer address (text) is empty", { "~/tavrin-setup =>" } },
    { "sections: html_url is empty", { "~/news.html =>" } },
    { "sections: xml_url is empty", { "xml_url='...' =>" } },
    { "main_window explorer header_and_sections: html_code is empty",
      { "<html_code><![CDATA[...</html_code> => <code>x</code>" } },
    { "main_window explorer loading: url is empty", { "<explorer id='loading' .../> =>" } },
    { "main_window explorer urgent: url is empty", { "url='~/urgent.html' =>" } },
    { "alerts_window: the first explorer's text is empty", { "&lt;b&gt;alerta&lt;/b&gt; =>" } },
    { "images: image \"logo\" has an empty address", { "~/img/logo.gif =>" } },
    { "images: an image has an empty id", { "id='logo' => id=''" } },
    { "texts: text \"new_app_version\" is empty", { "Hay una versión nueva. =>" } },
    { "texts: a text has an empty id", { "<text id='new_app_version'> => <text>" } },
    { "sections: there is no section", { "<section ...</sections> => </sections>" } },
    { "section \"portada\": name is empty", { "name='Portada' => name=''" } },
    { "section \"Portada\": id is empty", { "<section id='portada' => <section" } },
    { "section \"otros\": ads_html_code is missing or empty", { "<ads_html_code>otros</ads_html_code> =>" } },
    { "section \"portada\": subsection \"portada_mundo\" has an empty name or id", { "'Mundo' => ''" } },
    { "section \"portada\": subsection \"portada_\" has an empty name or id", { "id='mundo' => id=''" } },
    { "sections: no section has html_url, xml_url and user_rss_xml_url all set", { "user_rss => x" } },
    { "main_window: size width is below 1", { "300x400 => 0x400" } },
    { "main_window: size height is below 1", { "300x400 => 300x-4" } },
    { "main_window explorer news: reload is below 1", { "reload='120' =>" } },
    { "main_window explorer urgent: reload is below 1", { "reload='60' => reload='cero'" } },
    { "alerts_window: reload is below 1", { "@alerts_reload_zero" } },
    { "alerts_window: ttl is below 1", { "ttl='8' => ttl='ocho'" } },
    { "alerts_window: max_news_per_show is below 1", { "show='3' => show='0'" } },
};

// In edits ' stands for a double quote and ~ for the fixtures' server.
QByteArray expand(const QByteArray &text)
{
    return text.trimmed().replace('\'', '"').replace("~", "http://127.0.0.1:8642");
}

// The text edited by "from => to" replacements joined by " | ", each on the first match of `from`;
// "..." in `from` matches the shortest text that lets the rest follow, and & in `to` is the text replaced.
QByteArray edited(QByteArray text, const char *edits)
{
    for (const QByteArray &step : *edits ? QByteArray(edits).split('|') : QList<QByteArray>()) {
        const qsizetype arrow = step.indexOf("=>");
        const QList<QByteArray> ends = expand(step.left(arrow)).replace("...", "\n").split('\n');
        const qsizetype start = text.indexOf(ends[0]);
        const qsizetype end = start < 0 ? -1 : text.indexOf(ends.value(1), start + ends[0].size());
        if (arrow < 0 || ends[0].isEmpty() || end < 0) {
            ADD_FAILURE() << "the edit does not apply: " << step.toStdString();
            return {};
        }
        const qsizetype length = end + ends.value(1).size() - start;
        text.replace(start, length, expand(step.mid(arrow + 2)).replace('&', text.mid(start, length)));
    }
    return text;
}

} // namespace

std::vector<ConfigCase> configCases()
{
    const QByteArray good = fixtureBytes("config", "good");
    std::vector<ConfigCase> cases;
    const auto add = [&](const char *edit, const QString &verdict, const char *changes) {
        const QByteArray document = *edit == '@' ? fixtureBytes("config", edit + 1) : edited(good, edit);
        const QString fields = QString::fromUtf8(edited(expand(kGoodFields), changes));
        cases.push_back(
            { QString::fromUtf8(edit), document, verdict, fields.split(u'\n', Qt::SkipEmptyParts) });
    };
    for (const auto &[changes, edits] : kAccepted)
        for (const char *edit : edits)
            add(edit, "accepted", changes);
    for (const auto &[reason, edits] : kRejected)
        for (const char *edit : edits)
            add(edit, "rejected: " + QString::fromUtf8(reason), "");
    return cases;
}

QStringList describeConfig(const ClientConfig &c)
{
    const auto n = [](qint64 number) { return QString::number(number); };
    const auto borders = [](const QList<Border> &list) {
        QStringList text;
        for (const Border &b : list)
            text << QString::asprintf("%06x/%d", b.color, b.width);
        return text.join(u' ');
    };
    const ConfigRect &r = c.title_rect;
    QList<QStringList> parts = {
        { "root " + c.url, c.app_version, c.app_url, c.monitoring_url, c.add_user_rss_url },
        { "sections " + c.sections_html_url, c.sections_xml_url },
        { "main_window " + n(c.main_width), n(c.main_height), n(r.left), n(r.top), n(r.right), n(r.bottom),
          borders(c.main_borders), c.header_html, c.urgent_url, n(c.urgent_reload), n(c.news_reload),
          c.loading_url },
        { "alerts_window " + c.alerts_ttl, n(c.max_news_per_show), n(c.alerts_reload), c.alerts_html,
          borders(c.alerts_borders) },
    };
    for (const auto &[key, image] : c.images)
        parts.append({ "image " + key, image.id, n(image.crc32), image.url });
    for (const auto &[key, text] : c.texts)
        parts.append({ "text " + key, text });
    for (const Section &s : c.sections) {
        parts.append({ "section " + s.id, s.name, n(s.active), s.ads_html_code, s.html_url, s.xml_url,
                       s.user_rss_xml_url });
        for (const Subsection &sub : s.subsections)
            parts.append({ "subsection " + sub.key, sub.id, sub.name, n(sub.active), n(sub.user_added) });
    }
    QStringList lines;
    for (const QStringList &part : parts)
        lines << part.join(u';');
    return lines;
}

} // namespace tavrin::test
