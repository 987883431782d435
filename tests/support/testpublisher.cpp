// A small publisher on loopback for the main window's end-to-end tests: configuration, pages, news, monitor.
#include "support/testpublisher.h"

#include "config/configloader.h"

#include <gtest/gtest.h>

namespace tavrin::test {

namespace {

const char *const kConfigTemplate = R"XML(<?xml version="1.0" encoding="UTF-8"?>
<clientconfig url="@BASE@/clientconfig.xml">
  <app version="1.0.0.10">@BASE@/setup</app>
  <monitoring url="@BASE@/ok.txt"/>
  <images/>
  <sections html_url="@BASE@/news/@SECTION@/@SUBSECTIONS@/" xml_url="@BASE@/news.xml">
    <section id="1" name="Portada" active="1">
      <ads_html_code><![CDATA[<html><body style="margin:0"><div style="height:40px">Anuncio de portada</div></body></html>]]></ads_html_code>
    </section>
    <section id="2" name="Mundo" active="1">
      <ads_html_code><![CDATA[<html><body style="margin:0"><div style="height:30px">Anuncio del mundo</div></body></html>]]></ads_html_code>
    </section>
    <section id="9" name="Otros medios" active="0" html_url="@BASE@/news/9/" xml_url="@BASE@/others.xml" user_rss_xml_url="@BASE@/rss/@SUBSECTION@.xml">
      <ads_html_code>otros</ads_html_code>
    </section>
  </sections>
  <main_window size="320x480" title_pos="0,0-200,30">
    <borders>
      <border width="2" color="0000FF"/>
      <border width="1" color="FFFFFF"/>
    </borders>
    <explorers>
      <explorer id="header_and_sections"><html_code><![CDATA[<html><body style="margin:0"><div style="height:50px"><!-- {SECTIONS} --></div>
<!-- @ BLOCK_SECTION @ --><a href="tavrin://select_section/?id=<!-- {section_id} -->"><!-- {section_name} --></a> <!-- @ BLOCK_SECTION @ -->
<!-- @ BLOCK_SELECTED_SECTION @ --><b id="current"><!-- {section_name} --></b> <!-- @ BLOCK_SELECTED_SECTION @ -->
</body></html>]]></html_code></explorer>
      <explorer id="urgent" url="@BASE@/urgent.html" reload="@URGENT@"/>
      <explorer id="news" reload="@NEWS@"/>
      <explorer id="loading" url="@BASE@/loading.html"/>
      <explorer id="ads_and_footer"/>
    </explorers>
  </main_window>
  <prefs_window add_user_rss_url="@BASE@/add?name=@USER_RSS_NAME@"/>
  <alerts_window ttl="8" max_news_per_show="3" reload="@ALERTS@">
    <explorers><explorer><html_code>alerta</html_code></explorer></explorers>
    <borders><border width="3" color="0000FF"/></borders>
  </alerts_window>
</clientconfig>
)XML";

const char *const kNews = R"XML(<?xml version="1.0" encoding="UTF-8"?>
<sections_news>
  <section id="1" name="Portada">
    <news id="a1"><title>Primera noticia</title><url>http://127.0.0.1/a1</url><date>2024-05-01 10:00:00</date></news>
  </section>
  <section id="2" name="Mundo">
    <news id="b1"><title>Segunda noticia</title><url>http://127.0.0.1/b1</url><date>2024-05-01 11:00:00</date></news>
  </section>
</sections_news>
)XML";

std::string page(const std::string &text, int height)
{
    return "<html><body style=\"margin:0\"><div style=\"height:" + std::to_string(height) + "px\">" + text
        + "</div></body></html>";
}

void replaceAll(std::string &text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

TestPublisher::TestPublisher(PublisherTimes times)
{
    std::string config = kConfigTemplate;
    replaceAll(config, "@BASE@", m_server.baseUrl());
    replaceAll(config, "@URGENT@", std::to_string(times.urgentReload));
    replaceAll(config, "@NEWS@", std::to_string(times.newsReload));
    replaceAll(config, "@ALERTS@", std::to_string(times.alertsReload));
    m_config = QByteArray::fromStdString(config);

    m_server.serve("/clientconfig.xml", config, 200, "text/xml");
    m_server.serve("/news.xml", kNews, 200, "text/xml");
    m_server.serve("/others.xml", "<?xml version=\"1.0\"?><sections_news/>", 200, "text/xml");
    m_server.route("/ok.txt", [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(m_online ? "OK" : "NO", "text/plain");
    });
    m_server.route("/urgent.html", [this](const httplib::Request &, httplib::Response &response) {
        if (m_urgentBroken) {
            response.status = 404;
            response.set_content("no", "text/plain");
            return;
        }
        response.set_content(page("Urgente", 20), "text/html");
    });
    m_server.serve("/loading.html", page("Cargando", 10), 200, "text/html");
    m_server.serve("/news/1/", page("Noticias de portada", 200), 200, "text/html");
    m_server.serve("/news/2/", page("Noticias del mundo", 200), 200, "text/html");
}

ClientConfig TestPublisher::configuration() const
{
    ClientConfig config;
    QString reason;
    EXPECT_TRUE(LoadConfigurationText(m_config, config, &reason)) << reason.toStdString();
    return config;
}

} // namespace tavrin::test
