// Pane pages against the real engine: composed local pages, their clean-up, encoding and file access.
#include "base/files.h"
#include "base/paths.h"
#include "browser/webbrowser2.h"
#include "compose/htmltemplate.h"
#include "mainwnd/panepages.h"
#include "support/testfiles.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavrin {
namespace {

using test::TestServer;
using test::waitUntil;

constexpr int kLoadTimeoutMs = 20000;

using test::readFile;

class PanePagesTest : public testing::Test {
protected:
    void SetUp() override
    {
        pane = std::make_unique<CWebBrowser2>(QStringLiteral("sections"), PaneFlags { true, true });
        pane->resize(300, 200);
        pane->show();
        QObject::connect(pane.get(), &CWebBrowser2::DocumentComplete, pane.get(),
                         [this](CWebBrowser2 *, const QUrl &url) { completed.push_back(url); });
    }

    bool waitComplete(const QUrl &url)
    {
        return waitUntil([&] { return !completed.empty() && completed.back() == url; }, kLoadTimeoutMs);
    }

    QVariant evaluate(const QString &script)
    {
        QVariant result;
        bool done = false;
        pane->page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        EXPECT_TRUE(waitUntil([&] { return done; }, kLoadTimeoutMs));
        return result;
    }

    LocalPageKeeper *keeper() const { return pane->findChild<LocalPageKeeper *>(); }

    std::unique_ptr<CWebBrowser2> pane;
    std::vector<QUrl> completed;
};

TEST_F(PanePagesTest, EachPaneDeletesThePageItReplacesOnceTheNewOneHasLoaded)
{
    const QString first = ShowLocalPage(pane.get(), QStringLiteral("<p>one</p>"));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_TRUE(first.startsWith(TempFolder()));
    ASSERT_TRUE(waitComplete(QUrl(ToFileUrl(first))));
    EXPECT_EQ(keeper()->currentPage(), first);

    // Two pages in a row: the one overtaken before it showed goes as well.
    const QString second = ShowLocalPage(pane.get(), QStringLiteral("<p>two</p>"));
    const QString third = ShowLocalPage(pane.get(), QStringLiteral("<p>three</p>"));
    EXPECT_NE(second, third);
    ASSERT_TRUE(waitComplete(QUrl(ToFileUrl(third))));
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(second));
    EXPECT_TRUE(FileExists(third));
    EXPECT_EQ(keeper()->currentPage(), third);
    EXPECT_TRUE(keeper()->pendingPages().isEmpty());

    // An address replaces the local page too.
    pane->Navigate(QStringLiteral("about:blank"));
    ASSERT_TRUE(waitComplete(QUrl(QStringLiteral("about:blank"))));
    EXPECT_FALSE(FileExists(third));
    EXPECT_EQ(keeper()->currentPage(), QString());
    EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
}

TEST_F(PanePagesTest, AnUnwritablePageShowsABlankPageAndNoFolderListing)
{
    const QString first = ShowLocalPage(pane.get(), QStringLiteral("<p id=\"t\">one</p>"));
    ASSERT_TRUE(waitComplete(QUrl(ToFileUrl(first))));

    // A link in place of the temporary folder is refused, so no page can be written.
    const QString folder = TempFolder().chopped(1);
    const QString elsewhere = DataFolder() + QStringLiteral("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    ASSERT_TRUE(TempFolder().isEmpty());

    EXPECT_EQ(ShowLocalPage(pane.get(), QStringLiteral("<p>two</p>")), QString());
    ASSERT_TRUE(waitComplete(QUrl(QStringLiteral("about:blank"))));
    EXPECT_EQ(evaluate(QStringLiteral("document.body ? document.body.innerText : ''")).toString(), QString());
    EXPECT_EQ(keeper()->currentPage(), QString());
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());
    QFile::remove(folder);
}

TEST_F(PanePagesTest, PagesAreUtf8WithAByteOrderMarkWhateverTheTemplateDeclares)
{
    const QString html = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"></head>"
        "<body><p id=\"t\">España, canción</p></body></html>");
    const QString path = ShowLocalPage(pane.get(), html);
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.mid(3), html.toUtf8());
    ASSERT_TRUE(waitComplete(QUrl(ToFileUrl(path))));
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('t').textContent")).toString(),
              QStringLiteral("España, canción"));
}

TEST_F(PanePagesTest, LocalPagesReachRemoteResourcesButNoOtherLocalFile)
{
    TestServer server;
    const QByteArray png = readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/icons/tavrin.png"));
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    server.route("/img.png", [png](const httplib::Request &, httplib::Response &response) {
        response.set_header("Connection", "close");
        response.set_content(png.toStdString(), "image/png");
    });
    const QString local = DataFolder() + QStringLiteral("private.png");
    ASSERT_TRUE(WriteBinaryFile(local, png));

    const QString html
        = QStringLiteral("<html><body><img id=\"remote\" src=\"%1\"><img id=\"local\" src=\"%2\">"
                         "</body></html>")
              .arg(server.url("/img.png"), QUrl::fromLocalFile(local).toString());
    const QString path = ShowLocalPage(pane.get(), html);
    ASSERT_TRUE(waitComplete(QUrl(ToFileUrl(path))));
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('remote').naturalWidth")).toInt(), 32);
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('local').naturalWidth")).toInt(), 0);
    EXPECT_EQ(server.hits("/img.png"), 1);
}

TEST_F(PanePagesTest, PaneOperationsLoadWhatTheConfigurationNames)
{
    TestServer server;
    for (const char *path : { "/news/5/51/", "/urgent", "/loading" }) {
        server.route(path, [](const httplib::Request &request, httplib::Response &response) {
            response.set_header("Connection", "close");
            response.set_content("<html><body>" + request.path + "</body></html>", "text/html");
        });
    }
    ClientConfig config;
    config.header_html
        = QStringLiteral("<ul><!-- {SECTIONS} --></ul><!-- @ BLOCK_SECTION @ --><li>"
                         "<!-- {section_name} --></li><!-- @ BLOCK_SECTION @ -->"
                         "<!-- @ BLOCK_SELECTED_SECTION @ --><li class=\"on\"><!-- {section_name} -->"
                         "</li><!-- @ BLOCK_SELECTED_SECTION @ -->");
    config.sections_html_url = server.url("/news/@SECTION@/@SUBSECTIONS@/");
    config.urgent_url = server.url("/urgent");
    config.loading_url = server.url("/loading");
    Section section;
    section.id = QStringLiteral("5");
    section.name = QStringLiteral("Portada");
    section.active = true;
    section.ads_html_code = QStringLiteral("<b>ads</b>");
    section.subsections
        = { { QStringLiteral("Local"), QStringLiteral("51"), QStringLiteral("5_51"), true, false } };
    Section other = section;
    other.id = QStringLiteral("6");
    other.name = QStringLiteral("Deportes");
    config.sections = { section, other };

    struct Case {
        const char *name;
        std::function<void()> show;
        QString expectedUrlPrefix;
        QString expectedBody;
    };
    const Case cases[] = {
        { "sections", [&] { PanePages::ShowSectionsPage(pane.get(), config, 1); }, ToFileUrl(TempFolder()),
          QStringLiteral("<ul><li>Portada</li><li class=\"on\">Deportes</li></ul>") },
        { "news", [&] { PanePages::ShowNewsPage(pane.get(), config, section); }, server.url("/news/5/51/"),
          QStringLiteral("/news/5/51/") },
        { "news reload", [&] { PanePages::ReloadPage(pane.get()); }, server.url("/news/5/51/"),
          QStringLiteral("/news/5/51/") },
        { "ads", [&] { PanePages::ShowAdsPage(pane.get(), section); }, ToFileUrl(TempFolder()),
          QStringLiteral("<b>ads</b>") },
        { "urgent", [&] { PanePages::ShowUrgentPage(pane.get(), config); }, server.url("/urgent"),
          QStringLiteral("/urgent") },
        { "loading", [&] { PanePages::ShowLoadingPage(pane.get(), config); }, server.url("/loading"),
          QStringLiteral("/loading") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = completed.size();
        c.show();
        ASSERT_TRUE(waitUntil([&] { return completed.size() > before; }, kLoadTimeoutMs));
        EXPECT_TRUE(pane->GetLocationURL().startsWith(c.expectedUrlPrefix))
            << pane->GetLocationURL().toStdString();
        EXPECT_EQ(evaluate(QStringLiteral("document.body.innerHTML")).toString(), c.expectedBody);
    }
    EXPECT_EQ(server.hits("/news/5/51/"), 2);
}

} // namespace
} // namespace tavrin
