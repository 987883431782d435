// Pane pages against the real engine: composed local pages, their clean-up, encoding and file access.
#include "base/files.h"
#include "base/paths.h"
#include "compose/htmltemplate.h"
#include "mainwnd/panepages.h"
#include "support/templatetext.h"
#include "support/testfiles.h"
#include "support/webpane.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::readFile;
using test::servePage;
using PanePagesTest = test::WebPaneTest;

LocalPageKeeper *keeperOf(const CWebBrowser2 *pane)
{
    return pane->findChild<LocalPageKeeper *>();
}

TEST_F(PanePagesTest, EachPaneDeletesThePageItReplacesOnceTheNewOneHasLoaded)
{
    const QString first = ShowLocalPage(pane.get(), u"<p>one</p>"_s);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_TRUE(first.startsWith(TempFolder()));
    ASSERT_TRUE(waitCompleted(QUrl(ToFileUrl(first))));
    EXPECT_EQ(keeperOf(pane.get())->currentPage(), first);

    // Two pages in a row: the one overtaken before it showed goes as well.
    const QString second = ShowLocalPage(pane.get(), u"<p>two</p>"_s);
    const QString third = ShowLocalPage(pane.get(), u"<p>three</p>"_s);
    EXPECT_NE(second, third);
    ASSERT_TRUE(waitCompleted(QUrl(ToFileUrl(third))));
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(second));
    EXPECT_TRUE(FileExists(third));
    EXPECT_EQ(keeperOf(pane.get())->currentPage(), third);
    EXPECT_TRUE(keeperOf(pane.get())->pendingPages().isEmpty());

    // An address replaces the local page too.
    pane->Navigate(u"about:blank"_s);
    ASSERT_TRUE(waitCompleted(QUrl(u"about:blank"_s)));
    EXPECT_FALSE(FileExists(third));
    EXPECT_EQ(keeperOf(pane.get())->currentPage(), QString());
    EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
}

TEST_F(PanePagesTest, AnUnwritablePageShowsABlankPageAndNoFolderListing)
{
    ASSERT_TRUE(waitCompleted(QUrl(ToFileUrl(ShowLocalPage(pane.get(), u"<p>one</p>"_s)))));
    // A link in place of the temporary folder is refused, so no page can be written.
    const QString folder = TempFolder().chopped(1);
    const QString elsewhere = DataFolder() + u"elsewhere"_s;
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    ASSERT_TRUE(TempFolder().isEmpty());

    EXPECT_EQ(ShowLocalPage(pane.get(), u"<p>two</p>"_s), QString());
    ASSERT_TRUE(waitCompleted(QUrl(u"about:blank"_s)));
    EXPECT_EQ(evaluate(u"document.body ? document.body.innerText : ''"_s).toString(), QString());
    EXPECT_EQ(keeperOf(pane.get())->currentPage(), QString());
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());
    QFile::remove(folder);
}

TEST_F(PanePagesTest, PagesAreUtf8AndReachRemoteResourcesButNoOtherLocalFile)
{
    const QByteArray png = readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/icons/tavrin.png"));
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    server.route("/img.png", [png](const httplib::Request &, httplib::Response &response) {
        response.set_header("Connection", "close");
        response.set_content(png.toStdString(), "image/png");
    });
    const QString local = DataFolder() + u"private.png"_s;
    ASSERT_TRUE(WriteBinaryFile(local, png));

    // Written with a byte-order mark, so a template that declares another charset still shows right.
    const QString html
        = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
          "</head><body><p id=\"t\">España, canción</p><img id=\"remote\" src=\"%1\">"
          "<img id=\"local\" src=\"%2\"></body></html>"_s.arg(server.url("/img.png"),
                                                              QUrl::fromLocalFile(local).toString());
    const QString path = ShowLocalPage(pane.get(), html);
    EXPECT_EQ(readFile(path), "\xEF\xBB\xBF" + html.toUtf8());
    ASSERT_TRUE(waitCompleted(QUrl(ToFileUrl(path))));
    EXPECT_EQ(evaluate(u"document.getElementById('t').textContent"_s).toString(), u"España, canción"_s);
    EXPECT_EQ(evaluate(u"document.getElementById('remote').naturalWidth"_s).toInt(), 32);
    EXPECT_EQ(evaluate(u"document.getElementById('local').naturalWidth"_s).toInt(), 0);
    EXPECT_EQ(server.hits("/img.png"), 1);
}

TEST_F(PanePagesTest, PaneOperationsLoadWhatTheConfigurationNames)
{
    for (const char *path : { "/news/5/51/", "/urgent", "/loading" })
        servePage(server, path, std::string("<html><body>") + path + "</body></html>");
    ClientConfig config;
    config.header_html = test::tmpl("<ul>{SECTIONS}</ul>@BLOCK_SECTION@<li>{section_name}</li>@BLOCK_SECTION@"
                                    "@BLOCK_SELECTED_SECTION@<li class=\"on\">{section_name}</li>"
                                    "@BLOCK_SELECTED_SECTION@");
    config.sections_html_url = server.url("/news/@SECTION@/@SUBSECTIONS@/");
    config.urgent_url = server.url("/urgent");
    config.loading_url = server.url("/loading");
    Section section;
    section.name = u"Portada"_s;
    section.id = u"5"_s;
    section.ads_html_code = u"<b>ads</b>"_s;
    section.active = true;
    section.subsections = { { u"Local"_s, u"51"_s, u"5_51"_s, true, false } };
    Section other = section;
    other.id = u"6"_s;
    other.name = u"Deportes"_s;
    config.sections = { section, other };

    const QString local = ToFileUrl(TempFolder());
    const struct {
        const char *name;
        std::function<void()> show;
        QString urlPrefix, body;
    } cases[] = {
        { "sections", [&] { PanePages::ShowSectionsPage(pane.get(), config, 1); }, local,
          u"<ul><li>Portada</li><li class=\"on\">Deportes</li></ul>"_s },
        { "news", [&] { PanePages::ShowNewsPage(pane.get(), config, section); }, server.url("/news/5/51/"),
          u"/news/5/51/"_s },
        { "news reload", [&] { PanePages::ReloadPage(pane.get()); }, server.url("/news/5/51/"),
          u"/news/5/51/"_s },
        { "ads", [&] { PanePages::ShowAdsPage(pane.get(), section); }, local, u"<b>ads</b>"_s },
        { "urgent", [&] { PanePages::ShowUrgentPage(pane.get(), config); }, server.url("/urgent"),
          u"/urgent"_s },
        { "loading", [&] { PanePages::ShowLoadingPage(pane.get(), config); }, server.url("/loading"),
          u"/loading"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(completes(c.show));
        EXPECT_TRUE(pane->GetLocationURL().startsWith(c.urlPrefix)) << pane->GetLocationURL().toStdString();
        EXPECT_EQ(evaluate(u"document.body.innerHTML"_s).toString(), c.body);
    }
    EXPECT_EQ(server.hits("/news/5/51/"), 2);
}

} // namespace
} // namespace tavrin
