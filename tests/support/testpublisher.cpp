// A small publisher on loopback for the GUI's end-to-end tests: configuration, pages, news, monitor.
#include "support/testpublisher.h"

#include "config/configloader.h"
#include "support/newsdocs.h"

#include <gtest/gtest.h>

namespace tavrin::test {

namespace {

// %1: the server's address. Sections page 50 px, first ad 40 px; only section 1's news page is served.
const char *const kConfigTemplate = R"XML(<?xml version="1.0" encoding="UTF-8"?>
<clientconfig url="%1/clientconfig.xml">
  <app version="1.0.0.10">%1/setup</app>
  <monitoring url="%1/ok.txt"/>
  <texts><text id="ie6_not_installed">Motor viejo</text></texts>
  <sections html_url="%1/news/@SECTION@/@SUBSECTIONS@/" xml_url="%1/news.xml">
    <section id="1" name="Portada" active="1"><ads_html_code><![CDATA[<html><body style="margin:0"><div style="height:40px">Anuncio</div></body></html>]]></ads_html_code></section>
    <section id="2" name="Mundo" active="1"><ads_html_code>Anuncio del mundo</ads_html_code></section>
    <section id="9" name="Otros medios" active="0" html_url="%1/news/1/" xml_url="%1/news.xml" user_rss_xml_url="%1/rss/@SUBSECTION@.xml"><ads_html_code>otros</ads_html_code></section>
  </sections>
  <main_window size="320x480" title_pos="0,0-200,30">
    <borders><border width="2" color="0000FF"/><border width="1" color="FFFFFF"/></borders>
    <explorers>
      <explorer id="header_and_sections"><html_code><![CDATA[<html><body style="margin:0"><div style="height:50px"><!-- {SECTIONS} --></div></body></html>]]></html_code></explorer>
      <explorer id="urgent" url="%1/urgent.html" reload="30"/>
      <explorer id="news" reload="60"/>
      <explorer id="loading" url="%1/loading.html"/>
      <explorer id="ads_and_footer"/>
    </explorers>
  </main_window>
  <prefs_window add_user_rss_url="%1/add?name=@USER_RSS_NAME@"/>
  <alerts_window ttl="8" max_news_per_show="3" reload="300"><explorers><explorer><html_code>alerta</html_code></explorer></explorers></alerts_window>
</clientconfig>
)XML";

std::string page(int height)
{
    return "<body style='margin:0'><div style='height:" + std::to_string(height) + "px'></div></body>";
}

} // namespace

TestPublisher::TestPublisher()
    : m_config(QString::fromUtf8(kConfigTemplate).arg(QString::fromStdString(baseUrl())).toUtf8())
{
    serve("/clientconfig.xml", m_config.toStdString(), 200, "text/xml");
    serve("/news.xml", newsDoc("<section id='1'>{a1}{a2}</section>"), 200, "text/xml");
    route("/ok.txt", [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(offline ? "NO" : "OK", "text/plain");
    });
    route("/urgent.html", [this](const httplib::Request &, httplib::Response &response) {
        response.status = urgentBroken ? 404 : 200;
        response.set_content(urgentBroken ? "no" : page(20), "text/html");
    });
    serve("/loading.html", page(10), 200, "text/html");
    serve("/news/1/", page(200), 200, "text/html");
}

ClientConfig TestPublisher::configuration() const
{
    ClientConfig config;
    QString reason;
    EXPECT_TRUE(LoadConfigurationText(m_config, config, &reason)) << reason.toStdString();
    return config;
}

} // namespace tavrin::test
