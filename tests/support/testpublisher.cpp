// A small publisher on loopback for the GUI's end-to-end tests: configuration, pages, news, monitor.
#include "support/testpublisher.h"

#include "config/configloader.h"

#include <gtest/gtest.h>

namespace tavrin::test {

namespace {

// %1: the server's address; %2, %3: the urgent and news reload periods.
const char *const kConfigTemplate = R"XML(<?xml version="1.0" encoding="UTF-8"?>
<clientconfig url="%1/clientconfig.xml">
  <app version="1.0.0.10">%1/setup</app>
  <monitoring url="%1/ok.txt"/>
  <images/>
  <sections html_url="%1/news/@SECTION@/@SUBSECTIONS@/" xml_url="%1/news.xml">
    <section id="1" name="Portada" active="1">
      <ads_html_code><![CDATA[<html><body style="margin:0"><div style="height:40px">Anuncio de portada</div></body></html>]]></ads_html_code>
    </section>
    <section id="2" name="Mundo" active="1">
      <ads_html_code><![CDATA[<html><body style="margin:0"><div style="height:30px">Anuncio del mundo</div></body></html>]]></ads_html_code>
    </section>
    <section id="9" name="Otros medios" active="0" html_url="%1/news/9/" xml_url="%1/others.xml" user_rss_xml_url="%1/rss/@SUBSECTION@.xml">
      <ads_html_code>otros</ads_html_code>
    </section>
  </sections>
  <main_window size="320x480" title_pos="0,0-200,30">
    <borders><border width="2" color="0000FF"/><border width="1" color="FFFFFF"/></borders>
    <explorers>
      <explorer id="header_and_sections"><html_code><![CDATA[<html><body style="margin:0"><div style="height:50px"><!-- {SECTIONS} --></div>
<!-- @ BLOCK_SECTION @ --><a href="tavrin://select_section/?id=<!-- {section_id} -->"><!-- {section_name} --></a> <!-- @ BLOCK_SECTION @ -->
<!-- @ BLOCK_SELECTED_SECTION @ --><b id="current"><!-- {section_name} --></b> <!-- @ BLOCK_SELECTED_SECTION @ -->
</body></html>]]></html_code></explorer>
      <explorer id="urgent" url="%1/urgent.html" reload="%2"/>
      <explorer id="news" reload="%3"/>
      <explorer id="loading" url="%1/loading.html"/>
      <explorer id="ads_and_footer"/>
    </explorers>
  </main_window>
  <prefs_window add_user_rss_url="%1/add?name=@USER_RSS_NAME@"/>
  <alerts_window ttl="8" max_news_per_show="3" reload="300">
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

} // namespace

TestPublisher::TestPublisher(int urgentReload, int newsReload)
{
    m_config = QString::fromUtf8(kConfigTemplate)
                   .arg(QString::fromStdString(m_server.baseUrl()), QString::number(urgentReload),
                        QString::number(newsReload))
                   .toUtf8();
    const std::string config = m_config.toStdString();
    m_server.serve("/clientconfig.xml", config, 200, "text/xml");
    m_server.serve("/news.xml", kNews, 200, "text/xml");
    m_server.serve("/others.xml", "<?xml version=\"1.0\"?><sections_news/>", 200, "text/xml");
    m_server.route("/ok.txt", [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(m_online ? "OK" : "NO", "text/plain");
    });
    m_server.route("/urgent.html", [this](const httplib::Request &, httplib::Response &response) {
        response.status = m_urgentBroken ? 404 : 200;
        response.set_content(m_urgentBroken ? "no" : page("Urgente", 20), "text/html");
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
