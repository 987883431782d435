// The web pane against the real engine: navigation filter, completion and error events, measurements.
#include "browser/webbrowser2.h"
#include "browser/webprofile.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavrin {
namespace {

using test::TestServer;
using test::waitUntil;

constexpr int kLoadTimeoutMs = 20000;

struct SeenRequest {
    QUrl url;
    bool isMainFrame = false;
    bool programNavigation = false;
};

// A shown pane whose filter lets the program's own loads through and cancels the rest, as the
// main window's filter does, recording every request it sees.
class PaneTest : public testing::Test {
protected:
    void SetUp() override
    {
        // No scroll bars, as the measured panes have: the width measured is the pane's whole width.
        pane = std::make_unique<CWebBrowser2>(QStringLiteral("urgent"), PaneFlags { false, true });
        pane->resize(400, 300);
        pane->show();
        pane->setNavigationFilter([this](CWebBrowser2 *from, const NavigationRequest &request) {
            EXPECT_EQ(from, pane.get());
            seen.push_back({ request.url, request.isMainFrame, request.programNavigation });
            return request.programNavigation || !request.isMainFrame ? NavigationVerdict::Allow
                                                                     : NavigationVerdict::Cancel;
        });
        QObject::connect(pane.get(), &CWebBrowser2::DocumentComplete, pane.get(),
                         [this](CWebBrowser2 *, const QUrl &url) { completed.push_back(url); });
        QObject::connect(pane.get(), &CWebBrowser2::NavigateError, pane.get(),
                         [this](CWebBrowser2 *from, const QUrl &url, int) {
                             EXPECT_EQ(from, pane.get());
                             failed.push_back(url);
                         });
    }

    bool loadAndWait(const QString &url)
    {
        const size_t before = completed.size();
        pane->Navigate(url);
        return waitUntil([&] { return completed.size() > before; }, kLoadTimeoutMs);
    }

    void runScript(const QString &script) { pane->page()->runJavaScript(script); }

    bool waitMeasured()
    {
        return waitUntil([&] { return pane->lastMeasure().valid; }, kLoadTimeoutMs);
    }

    TestServer server;
    std::unique_ptr<CWebBrowser2> pane;
    std::vector<SeenRequest> seen;
    std::vector<QUrl> completed;
    std::vector<QUrl> failed;
};

// An HTML page that closes its connection, so the engine keeps no idle connection that would hold
// the server's shutdown for its keep-alive time.
void servePage(TestServer &server, const std::string &path, const std::string &body, int status = 200)
{
    server.route(path, [body, status](const httplib::Request &, httplib::Response &response) {
        response.status = status;
        response.set_header("Connection", "close");
        response.set_content(body, "text/html");
    });
}

const std::string kLinksPage = R"(<html><body style="margin:0">
<a id="web" href="/other">web</a>
<a id="command" href="tavrin://select_section/?id=7">command</a>
<a id="blank" href="/popup" target="_blank">window</a>
<div id="script" onclick="location.href='/scripted'">script</div>
</body></html>)";

TEST_F(PaneTest, ProgramLoadPassesAndUserNavigationsAreCancelled)
{
    servePage(server, "/links", kLinksPage);
    servePage(server, "/other", "<html><body>other</body></html>");
    servePage(server, "/scripted", "<html><body>scripted</body></html>");
    servePage(server, "/popup", "<html><body>popup</body></html>");
    const QString page = server.url("/links");

    ASSERT_TRUE(loadAndWait(page));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().url, QUrl(page));
    EXPECT_TRUE(seen.front().programNavigation);
    EXPECT_FALSE(pane->programNavigation()); // consumed by the load it marked
    EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);

    struct Case {
        const char *element;
        QString expectedUrl; // what the filter sees; empty: the filter sees nothing
    };
    const Case cases[] = {
        { "web", server.url("/other") },
        { "command", QStringLiteral("tavrin://select_section/?id=7") },
        { "script", server.url("/scripted") },
        { "blank", QString() }, // a new window is refused before any navigation
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.element);
        seen.clear();
        runScript(QStringLiteral("document.getElementById('%1').click()").arg(QLatin1String(c.element)));
        if (c.expectedUrl.isEmpty()) {
            // Give the engine a round trip through the page to act on the click.
            bool answered = false;
            pane->page()->runJavaScript(QStringLiteral("1"), [&](const QVariant &) { answered = true; });
            ASSERT_TRUE(waitUntil([&] { return answered; }));
            EXPECT_TRUE(seen.empty());
        } else {
            ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }, kLoadTimeoutMs));
            EXPECT_EQ(seen.front().url, QUrl(c.expectedUrl));
            EXPECT_FALSE(seen.front().programNavigation);
        }
        EXPECT_EQ(pane->GetLocationURL(), page);
        EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);
    }
    EXPECT_EQ(server.hits("/other"), 0);
    EXPECT_EQ(server.hits("/scripted"), 0);
    EXPECT_EQ(server.hits("/popup"), 0);
    EXPECT_EQ(failed.size(), 0); // a cancelled navigation is no error
}

TEST_F(PaneTest, CommandLinksLetThroughFailQuietly)
{
    // An owner that lets a command address through: the scheme's handler refuses the load without
    // an error page and without a navigation error, and the page shown before stays.
    servePage(server, "/page", "<html><body>page</body></html>");
    ASSERT_TRUE(loadAndWait(server.url("/page")));
    std::vector<QWebEngineLoadingInfo::LoadStatus> commandLoads;
    QObject::connect(pane->hostPage(), &QWebEnginePage::loadingChanged, pane.get(),
                     [&](const QWebEngineLoadingInfo &info) {
                         if (info.url().scheme() == QLatin1String("tavrin"))
                             commandLoads.push_back(info.status());
                     });
    pane->Navigate(QStringLiteral("tavrin://select_section/?id=7"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return !commandLoads.empty() && commandLoads.back() != QWebEngineLoadingInfo::LoadStartedStatus;
        },
        kLoadTimeoutMs));
    EXPECT_EQ(failed.size(), 0u);
    EXPECT_EQ(pane->GetLocationURL(), server.url("/page"));
    EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);
}

TEST_F(PaneTest, FailedLoadsRaiseNavigateError)
{
    servePage(server, "/missing-page", "<html><body>not here</body></html>", 404);
    servePage(server, "/broken", "<html><body>oops</body></html>", 500);

    struct Case {
        const char *name;
        QString url;
    };
    const Case cases[] = {
        { "404", server.url("/missing-page") },
        { "500", server.url("/broken") },
        { "no server", QStringLiteral("http://127.0.0.1:1/") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = failed.size();
        const size_t completeBefore = completed.size();
        pane->Navigate(c.url);
        ASSERT_TRUE(waitUntil([&] { return failed.size() > before; }, kLoadTimeoutMs));
        EXPECT_EQ(failed.back(), QUrl(c.url));
        EXPECT_NE(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);
        EXPECT_EQ(completed.size(), completeBefore);
    }
}

TEST_F(PaneTest, ReplacedNavigationIsNoError)
{
    server.silence("/slow");
    servePage(server, "/fast", "<html><body>fast</body></html>");
    pane->Navigate(server.url("/slow"));
    ASSERT_TRUE(waitUntil([&] { return server.hits("/slow") > 0; }, kLoadTimeoutMs));
    ASSERT_TRUE(loadAndWait(server.url("/fast")));
    EXPECT_EQ(pane->GetLocationURL(), server.url("/fast"));
    EXPECT_EQ(failed.size(), 0);
    EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);

    // From the call on, a pane sent elsewhere no longer passes for complete with its old page.
    pane->Navigate(server.url("/slow"));
    EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateLoading);
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateLoading);
    ASSERT_TRUE(loadAndWait(server.url("/fast")));
    EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);

    // Two loads in a row before the engine has seen the first: the second still shows.
    servePage(server, "/first", "<html><body>first</body></html>");
    servePage(server, "/second", "<html><body>second</body></html>");
    pane->Navigate(server.url("/first"));
    ASSERT_TRUE(loadAndWait(server.url("/second")));
    EXPECT_EQ(completed.back(), QUrl(server.url("/second")));
    EXPECT_EQ(pane->GetLocationURL(), server.url("/second"));
    EXPECT_EQ(failed.size(), 0u);
}

TEST_F(PaneTest, MeasuresTheBodyAfterLoadAndAfterWidthChanges)
{
    int width = -1;
    int height = -1;
    EXPECT_FALSE(pane->GetContentSize(width, height)); // nothing loaded yet
    EXPECT_EQ(width, -1);
    EXPECT_EQ(pane->GetBodyHtml(), QString());

    servePage(
        server, "/fixed",
        R"(<!DOCTYPE html><html><body style="margin:0"><div id="d" style="height:120px">x</div></body></html>)");
    ASSERT_TRUE(loadAndWait(server.url("/fixed")));
    ASSERT_TRUE(waitMeasured());
    ASSERT_TRUE(pane->GetContentSize(width, height));
    EXPECT_EQ(height, 120);
    EXPECT_EQ(width, 400);
    EXPECT_TRUE(pane->GetBodyHtml().contains(QStringLiteral("id=\"d\"")));

    // Forty words that wrap: a narrower pane makes the page taller.
    std::string wrapping = "<html><body style=\"margin:0;font:20px monospace\">";
    for (int i = 0; i < 40; ++i)
        wrapping += "word ";
    wrapping += "</body></html>";
    servePage(server, "/wrapping", wrapping);
    ASSERT_TRUE(loadAndWait(server.url("/wrapping")));
    ASSERT_TRUE(waitUntil([&] { return pane->lastMeasure().bodyHtml.contains(QStringLiteral("word")); },
                          kLoadTimeoutMs));
    const int wideHeight = pane->lastMeasure().height;
    int changed = 0;
    QObject::connect(pane.get(), &CWebBrowser2::measurementChanged, pane.get(), [&] { ++changed; });
    pane->resize(200, 300);
    ASSERT_TRUE(waitUntil([&] { return pane->lastMeasure().viewportWidth == 200; }, kLoadTimeoutMs));
    EXPECT_GT(pane->lastMeasure().height, wideHeight);
    EXPECT_EQ(pane->lastMeasure().width, 200);
    EXPECT_GE(changed, 1);

    // Quirks mode (no doctype) and an empty body: the height follows the content, not the pane.
    servePage(server, "/empty", "<html><body style=\"margin:0\"></body></html>");
    ASSERT_TRUE(loadAndWait(server.url("/empty")));
    ASSERT_TRUE(waitUntil([&] { return pane->lastMeasure().valid && pane->lastMeasure().height == 0; },
                          kLoadTimeoutMs));
    EXPECT_EQ(pane->GetBodyHtml(), QString());
}

TEST_F(PaneTest, DeletedWithMeasurementsPendingTakesNoAnswer)
{
    servePage(server, "/page", "<html><body style=\"margin:0\"><p>text</p></body></html>");
    ASSERT_TRUE(loadAndWait(server.url("/page")));
    ASSERT_TRUE(waitMeasured());
    // The page answers scripts still pending while it is deleted, after the pane's own part is gone.
    QObject guard;
    int afterDelete = 0;
    bool deleting = false;
    QObject::connect(pane.get(), &CWebBrowser2::measurementChanged, &guard, [&] {
        if (deleting)
            ++afterDelete;
    });
    for (int i = 0; i < 3; ++i)
        pane->Remeasure();
    pane->resize(250, 300); // and one more request from the width change
    deleting = true;
    pane.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(afterDelete, 0);
}

TEST(WebProfile, OneSharedProfileWithSafeDefaults)
{
    QWebEngineProfile *profile = SharedWebProfile();
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(SharedWebProfile(), profile);
    EXPECT_FALSE(profile->isOffTheRecord());
    EXPECT_TRUE(profile->persistentStoragePath().endsWith(QStringLiteral("/Tavrin/webengine/storage")));
    QWebEngineSettings *settings = profile->settings();
    EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows));
    EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    EXPECT_TRUE(settings->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));
    EXPECT_NE(profile->urlSchemeHandler(QByteArrayLiteral("tavrin")), nullptr);

    struct Case {
        const char *name;
        PaneFlags flags;
    };
    const Case cases[]
        = { { "sections", { true, true } }, { "urgent", { false, true } }, { "news", { false, false } } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CWebBrowser2 pane(QString::fromLatin1(c.name), c.flags);
        EXPECT_EQ(pane.page()->profile(), profile);
        EXPECT_EQ(pane.contextMenuPolicy(),
                  c.flags.noContextMenu ? Qt::NoContextMenu : Qt::DefaultContextMenu);
        EXPECT_EQ(pane.page()->settings()->testAttribute(QWebEngineSettings::ShowScrollBars),
                  !c.flags.noScrollBars);
        EXPECT_EQ(pane.paneName(), QString::fromLatin1(c.name));
        EXPECT_EQ(pane.GetApplication(), pane.page());
    }
}

} // namespace
} // namespace tavrin
