// Configuration cases the tests share: good.xml and edits of it with the loader's verdicts and fields read.
#pragma once

#include "config/clientconfig.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

namespace tavrin::test {

// Label (the edit or @file), document, verdict as check-config prints it, fields read when accepted.
using ConfigCase = std::tuple<QString, QByteArray, QString, QStringList>;

// good.xml as describeConfig gives it: images by id, a CRC above 2^31 whole, colours as 0x00BBGGRR.
inline const char *const kGoodFields = R"(
root ~/clientconfig.xml;1.0.0.11;~/tavrin-setup;~/ok.txt;~/add?name=@USER_RSS_NAME@
sections ~/news.html;~/news.xml
main_window 300;400;0;0;300;20;<div>@SECTIONS@</div>;~/urgent.html;60;120;~/loading.html
alerts_window 8;3;300;<b>alerta</b>
main_border 0000ff;1
main_border 80ff00;2
alerts_border ff0000;3
image logo;logo;12;~/img/logo.gif
image tavrin_icon;tavrin_icon;3735928559;~/img/icon.png
text new_app_version;Hay una versión nueva.
section portada;Portada;1;<p>anuncio</p>;;;
subsection portada_local;local;Local;1;0
subsection portada_mundo;mundo;Mundo;0;0
section otros;Otros medios;0;otros;~/otros.html;~/otros.xml;~/rss/@SUBSECTION@.xml)";
// Every document in tests/data/config (@name) and edit of good.xml the loader has a verdict for, by outcome:
// accepted with this edit of kGoodFields (none or one with "=>"), else rejected for this first broken rule.
inline const std::pair<const char *, std::vector<const char *>> kConfigOutcomes[] = {
    { "",
      { "@good", "id='news' => & url='http://elsewhere/'", "300x400 => 300x400x", "'0' html => '2' html",
        // The first of an image or text id wins; comments, instructions and blank runs add no text.
        "logo.gif</image> => &<image id='logo'>x</image> | nueva.</text> => &<text id='new_app_version'/>",
        "nueva.</text> => nueva.<!-- x --><?pi y?></text> | ><html_code> => > <html_code>" } },
    { "@USER_RSS_NAME@ => &\napp_sha256 0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef",
      { "version='1.0.0.11' => & sha256=' 0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF "
        "'" } },
    { "app: sha256 is not 64 hexadecimal digits",
      { "version='1.0.0.11' => & "
        "sha256='0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdeg'" } },
    { "Portada; => Sección España;", { "@latin1_encoding" } },
    { "subsection portada_mundo...0;0 =>", { "<subsection id='mundo' => <!-- x -->&" } },
    { "subsection portada_local...0;0 => subsection portada_u;u;Ú;1;0",
      { "</subsections> => &<subsections><subsection id='u' name='Ú' active='1'/></subsections>" } },
    { "main_border 80ff00;2 =>", { "<border width='2' => <!-- x -->&" } },
    { "0000ff => ffffff | 80ff00 => ff8000", { "'FF0000' => 'FFF' | '00FF80' => 'zz80FF'" } },
    { "~/urgent.html;60 => ~/2;30", { "</explorers> => <explorer id='urgent' url='~/2' reload='30'/>&" } },
    { "alerts_window 8; => alerts_window  5 segundos;", { "ttl='8' => ttl=' 5 segundos'" } },
    { "300;400;0;0;300;20 => 300;400;-5;-3;-1;2", { "0,0-300,20 => -5, -3--1,+2 y mas" } },
    { "the document is not well-formed XML", { "@malformed" } },
    { "images: holds something other than an image element", { "<images> => &x" } },
    { "texts: holds something other than a text element", { "<text id= => <image id='a'>b</image>&" } },
    { "sections: holds something other than a section element", { "<section id='otros' => <!-- x -->&" } },
    { "section \"otros\": holds something other than ads_html_code or subsections",
      { "<ads_html_code>otros => <![CDATA[x]]>&", "<ads_html_code>otros => <html_url>x</html_url>&" } },
    { "main_window explorers: holds something other than an explorer element", { "<explorers> => &x" } },
    { "main_window explorers: unknown explorer id \"footer\"", { "'ads_and_footer' => 'footer'" } },
    { "main_window: size is not two numbers joined by x", { "300x400 => 300xx400" } },
    // The grammar's rules come before the checks of values, the window's checks before the root's.
    { "prefs_window: add_user_rss_url is missing or empty",
      { "@no_prefs_window", "~/clientconfig.xml => | <prefs_window .../> =>" } },
    { "main_window: title_pos right is not greater than left",
      { "0,0-300,20 => 0,0,300,20", "~/clientconfig.xml => | 0,0-300,20 => 5,0-1,20" } },
    { "main_window: title_pos bottom is not greater than top", { "0,0-300,20 => 0,20-300,20" } },
    { "root element: url is empty", { "~/clientconfig.xml =>" } },
    { "main_window explorer header_and_sections: html_code is empty",
      { "<html_code><![CDATA[...</html_code> => <code>x</code>" } },
    { "images: image \"logo\" has an empty address", { "~/img/logo.gif =>" } },
    { "images: an image has an empty id", { "id='logo' => id=''" } },
    { "texts: text \"new_app_version\" is empty", { "Hay una versión nueva. =>" } },
    { "texts: a text has an empty id", { "<text id='new_app_version'> => <text>" } },
    { "sections: there is no section", { "<section ...</sections> => </sections>" } },
    { "section \"portada\": name is empty", { "name='Portada' => name=''" } },
    { "section \"Portada\": id is empty", { "<section id='portada' => <section" } },
    { "section \"otros\": ads_html_code is missing or empty", { "<ads_html_code>otros</ads_html_code> =>" } },
    { "section \"portada\": subsection \"portada_\" has an empty name or id", { "id='mundo' => id=''" } },
    { "sections: no section has html_url, xml_url and user_rss_xml_url all set", { "user_rss => x" } },
    { "alerts_window: reload is below 1", { "@alerts_reload_zero" } },
    { "alerts_window: ttl is below 1", { "ttl='8' => ttl='ocho'" } },
};

// Every field of the configuration, one line per element or entry, ';' between fields.
inline QStringList describeConfig(const ClientConfig &c)
{
    QStringList lines;
    const auto add = [&lines](const QStringList &fields) { lines << fields.join(u';'); };
    const auto n = [](qint64 number) { return QString::number(number); };
    const ConfigRect &r = c.title_rect;
    add({ "root " + c.url, c.app_version, c.app_url, c.monitoring_url, c.add_user_rss_url });
    if (!c.app_sha256.isEmpty())
        add({ "app_sha256 " + c.app_sha256 });
    add({ "sections " + c.sections_html_url, c.sections_xml_url });
    add({ "main_window " + n(c.main_width), n(c.main_height), n(r.left), n(r.top), n(r.right), n(r.bottom),
          c.header_html, c.urgent_url, n(c.urgent_reload), n(c.news_reload), c.loading_url });
    add({ "alerts_window " + c.alerts_ttl, n(c.max_news_per_show), n(c.alerts_reload), c.alerts_html });
    for (const auto &[window, list] : { std::pair("main", c.main_borders), { "alerts", c.alerts_borders } })
        for (const Border &b : list)
            add({ QString::asprintf("%s_border %06x", window, b.color), n(b.width) });
    for (const auto &[key, image] : c.images)
        add({ "image " + key, image.id, n(image.crc32), image.url });
    for (const auto &[key, text] : c.texts)
        add({ "text " + key, text });
    for (const Section &s : c.sections) {
        add({ "section " + s.id, s.name, n(s.active), s.ads_html_code, s.html_url, s.xml_url,
              s.user_rss_xml_url });
        for (const Subsection &sub : s.subsections)
            add({ "subsection " + sub.key, sub.id, sub.name, n(sub.active), n(sub.user_added) });
    }
    return lines;
}

inline std::vector<ConfigCase> configCases()
{
    const auto expand = [](QByteArray text) {
        return text.trimmed().replace('\'', '"').replace("~", "http://127.0.0.1:8642");
    };
    // The text edited by "from => to" replacements joined by " | ", each on the first match of `from`, where
    // "..." matches the shortest text that lets the rest follow; & in `to` is the text replaced, ' a double
    // quote, ~ the fixtures' server.
    const auto edited = [&](QByteArray text, const char *edits) {
        for (const QByteArray &step : *edits ? QByteArray(edits).split('|') : QList<QByteArray>()) {
            const qsizetype arrow = step.indexOf("=>");
            const QList<QByteArray> ends = expand(step.left(arrow)).replace("...", "\n").split('\n');
            const qsizetype start = text.indexOf(ends[0]);
            const qsizetype end = start < 0 ? -1 : text.indexOf(ends.value(1), start + ends[0].size());
            const qsizetype len = end + ends.value(1).size() - start;
            if (arrow < 0 || ends[0].isEmpty() || end < 0)
                ADD_FAILURE() << "the edit does not apply: " << step.toStdString();
            else
                text.replace(start, len, expand(step.mid(arrow + 2)).replace('&', text.mid(start, len)));
        }
        return text;
    };
    std::vector<ConfigCase> cases;
    for (const auto &[outcome, edits] : kConfigOutcomes) {
        const bool accepted = !*outcome || QByteArray(outcome).contains("=>");
        const QString verdict = accepted ? QString("accepted") : "rejected: " + QString::fromUtf8(outcome);
        const QString fields = QString::fromUtf8(edited(expand(kGoodFields), accepted ? outcome : ""));
        for (const char *edit : edits)
            cases.push_back({ QString::fromUtf8(edit),
                              *edit == '@' ? fixtureBytes("config", edit + 1)
                                           : edited(fixtureBytes("config", "good"), edit),
                              verdict, fields.split(u'\n', Qt::SkipEmptyParts) });
    }
    return cases;
}

} // namespace tavrin::test
