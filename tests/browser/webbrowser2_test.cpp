// The web pane against the real engine: navigation filter, completion and error events, measurements.
#include "browser/webbrowser2.h"
#include "browser/webprofile.h"
#include "support/webpane.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::kLoadTimeoutMs;
using test::servePage;
using test::waitUntil;
using PaneTest = test::WebPaneTest;

TEST_F(PaneTest, ProgramLoadPassesAndUserNavigationsAreCancelled)
{
    servePage(server, "/links", R"(<html><body style="margin:0">
<a id="web" href="/other">web</a>
<a id="command" href="tavrin://select_section/?id=7">command</a>
<a id="blank" href="/popup" target="_blank">window</a>
<div id="script" onclick="location.href='/scripted'">script</div>
</body></html>)");
    const QString page = server.url("/links");

    ASSERT_TRUE(loadAndWait(page));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().url, QUrl(page));
    EXPECT_TRUE(seen.front().programNavigation);
    EXPECT_FALSE(pane->programNavigation()); // consumed by the load it marked
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete);

    // What the filter sees of each click; nothing for a new window, refused before any navigation.
    const std::pair<const char *, QString> cases[] = {
        { "web", server.url("/other") },
        { "command", u"tavrin://select_section/?id=7"_s },
        { "script", server.url("/scripted") },
        { "blank", QString() },
    };
    for (const auto &[element, expectedUrl] : cases) {
        SCOPED_TRACE(element);
        seen.clear();
        pane->page()->runJavaScript(u"document.getElementById('%1').click()"_s.arg(QLatin1String(element)));
        if (expectedUrl.isEmpty()) {
            evaluate(u"1"_s); // a round trip through the page lets the engine act on the click
            EXPECT_TRUE(seen.empty());
        } else {
            ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }, kLoadTimeoutMs));
            EXPECT_EQ(seen.front().url, QUrl(expectedUrl));
            EXPECT_FALSE(seen.front().programNavigation);
        }
        EXPECT_EQ(pane->GetLocationURL(), page);
        EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete);
    }
    for (const char *path : { "/other", "/scripted", "/popup" })
        EXPECT_EQ(server.hits(path), 0) << path;
    EXPECT_EQ(failed.size(), 0u); // a cancelled navigation is no error
}

TEST_F(PaneTest, CommandLinksLetThroughFailQuietly)
{
    // The filter lets the program's command address through: the scheme's handler refuses the load
    // without an error page and without a navigation error, and the page shown before stays.
    servePage(server, "/page", "<html><body>page</body></html>");
    ASSERT_TRUE(loadAndWait(server.url("/page")));
    std::vector<QWebEngineLoadingInfo::LoadStatus> commandLoads;
    QObject::connect(pane->hostPage(), &QWebEnginePage::loadingChanged, pane.get(),
                     [&](const QWebEngineLoadingInfo &info) {
                         if (info.url().scheme() == QLatin1String("tavrin"))
                             commandLoads.push_back(info.status());
                     });
    pane->Navigate(u"tavrin://select_section/?id=7"_s);
    ASSERT_TRUE(waitUntil(
        [&] {
            return !commandLoads.empty() && commandLoads.back() != QWebEngineLoadingInfo::LoadStartedStatus;
        },
        kLoadTimeoutMs));
    EXPECT_EQ(failed.size(), 0u);
    EXPECT_EQ(pane->GetLocationURL(), server.url("/page"));
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete);
}

TEST_F(PaneTest, FailedLoadsRaiseNavigateError)
{
    servePage(server, "/missing-page", "<html><body>not here</body></html>", 404);
    servePage(server, "/broken", "<html><body>oops</body></html>", 500);
    for (const QString &url :
         { server.url("/missing-page"), server.url("/broken"), u"http://127.0.0.1:1/"_s }) {
        SCOPED_TRACE(url.toStdString());
        const size_t before = failed.size();
        const size_t completeBefore = completed.size();
        pane->Navigate(url);
        ASSERT_TRUE(waitUntil([&] { return failed.size() > before; }, kLoadTimeoutMs));
        EXPECT_EQ(failed.back(), QUrl(url));
        EXPECT_NE(pane->GetReadyState(), ReadyState::Complete);
        EXPECT_EQ(completed.size(), completeBefore);
    }
}

TEST_F(PaneTest, ReplacedNavigationIsNoError)
{
    server.silence("/slow");
    for (const char *path : { "/fast", "/first", "/second" })
        servePage(server, path, "<html><body>page</body></html>");
    pane->Navigate(server.url("/slow"));
    ASSERT_TRUE(waitUntil([&] { return server.hits("/slow") > 0; }, kLoadTimeoutMs));
    ASSERT_TRUE(loadAndWait(server.url("/fast")));
    EXPECT_EQ(pane->GetLocationURL(), server.url("/fast"));
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete);

    // From the call on, a pane sent elsewhere no longer passes for complete with its old page.
    pane->Navigate(server.url("/slow"));
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Loading);
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Loading);
    ASSERT_TRUE(loadAndWait(server.url("/fast")));
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete);

    // Two loads in a row before the engine has seen the first: the second still shows.
    pane->Navigate(server.url("/first"));
    ASSERT_TRUE(loadAndWait(server.url("/second")));
    EXPECT_EQ(completed.back(), QUrl(server.url("/second")));
    EXPECT_EQ(pane->GetLocationURL(), server.url("/second"));
    EXPECT_EQ(failed.size(), 0u);
}

TEST_F(PaneTest, MeasuresTheBodyAfterLoadAndAfterWidthChanges)
{
    int width = -1, height = -1;
    EXPECT_FALSE(pane->GetContentSize(width, height)); // nothing loaded yet
    EXPECT_EQ(width, -1);
    EXPECT_EQ(pane->GetBodyHtml(), QString());

    servePage(
        server, "/fixed",
        R"(<!DOCTYPE html><html><body style="margin:0"><div id="d" style="height:120px">x</div></body></html>)");
    ASSERT_TRUE(loadAndWait(server.url("/fixed")));
    ASSERT_TRUE(waitUntil([&] { return pane->lastMeasure().valid; }, kLoadTimeoutMs));
    ASSERT_TRUE(pane->GetContentSize(width, height));
    EXPECT_EQ(height, 120);
    EXPECT_EQ(width, 400);
    EXPECT_TRUE(pane->GetBodyHtml().contains(u"id=\"d\""_s));

    // Forty words that wrap: a narrower pane makes the page taller.
    std::string words;
    for (int i = 0; i < 40; ++i)
        words += "word ";
    servePage(server, "/wrapping",
              "<html><body style=\"margin:0;font:20px monospace\">" + words + "</body></html>");
    ASSERT_TRUE(loadAndWait(server.url("/wrapping")));
    ASSERT_TRUE(waitUntil([&] { return pane->lastMeasure().bodyHtml.contains(u"word"_s); }, kLoadTimeoutMs));
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
    ASSERT_TRUE(waitUntil([&] { return pane->lastMeasure().valid; }, kLoadTimeoutMs));
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
    EXPECT_TRUE(profile->persistentStoragePath().endsWith(u"/Tavrin/webengine/storage"_s));
    QWebEngineSettings *settings = profile->settings();
    EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows));
    EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    EXPECT_TRUE(settings->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));
    EXPECT_NE(profile->urlSchemeHandler(QByteArrayLiteral("tavrin")), nullptr);

    const std::pair<const char *, PaneFlags> cases[]
        = { { "sections", { true, true } }, { "urgent", { false, true } }, { "news", { false, false } } };
    for (const auto &[name, flags] : cases) {
        SCOPED_TRACE(name);
        CWebBrowser2 pane(QString::fromLatin1(name), flags);
        EXPECT_EQ(pane.page()->profile(), profile);
        EXPECT_EQ(pane.contextMenuPolicy(), flags.noContextMenu ? Qt::NoContextMenu : Qt::DefaultContextMenu);
        EXPECT_EQ(pane.page()->settings()->testAttribute(QWebEngineSettings::ShowScrollBars),
                  !flags.noScrollBars);
        EXPECT_EQ(pane.paneName(), QString::fromLatin1(name));
        EXPECT_EQ(pane.GetApplication(), pane.page());
    }
}

} // namespace
} // namespace tavrin
