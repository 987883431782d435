// The web pane against the real engine: navigation filter, completion and error events, measurements.
#include "browser/engineprocesses.h"
#include "browser/proxyauth.h"
#include "browser/webprofile.h"
#include "net/httpclient.h"
#include "support/webpane.h"

#include <QNetworkProxy>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace tavrin::test {
namespace {

using PaneTest = WebPaneTest;

TEST_F(PaneTest, NavigationFilterErrorEventsAndSafeProfile)
{
    ASSERT_TRUE(show("/links", R"(<a id="web" href="/other">web</a>
<a id="command" href="tavrin://select_section/?id=7">command</a>
<a id="blank" href="/popup" target="_blank">window</a>
<div id="script" onclick="location.href='/scripted'">script</div>)"));
    const QString page = server.url("/links");
    EXPECT_EQ(seen, QStringList { u"program "_s + page });
    // What the filter sees of clicks: not the program's own; nothing for a new window, refused at once.
    const QString elements[] = { u"web"_s, u"command"_s, u"script"_s, u"blank"_s };
    const QString urls[]
        = { server.url("/other"), u"tavrin://select_section/?id=7"_s, server.url("/scripted"), {} };
    for (int i = 0; i < 4; ++i) {
        const QString &element = elements[i], &url = urls[i];
        seen.clear();
        pane->page()->runJavaScript(u"document.getElementById('%1').click()"_s.arg(element));
        evaluate(u"1"_s); // a round trip through the page lets the engine act on the click
        ASSERT_TRUE(wait([&] { return seen.size() == (url.isEmpty() ? 0 : 1); })) << element.toStdString();
        EXPECT_EQ(seen.value(0), url) << element.toStdString();
        EXPECT_EQ(pane->GetLocationURL(), page) << element.toStdString();
        EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete) << element.toStdString();
    }
    // The program's own command address passes the filter; the scheme's handler refuses it quietly.
    pane->Navigate(u"tavrin://select_section/?id=7"_s);
    ASSERT_TRUE(wait([&] { return pane->GetReadyState() == ReadyState::Complete; }));
    EXPECT_EQ(pane->GetLocationURL(), page);
    for (const char *path : { "/other", "/scripted", "/popup" })
        EXPECT_EQ(server.hits(path), 0) << path;
    // A cancelled navigation is no error; an HTTP error status or a refused connection is.
    EXPECT_TRUE(failed.empty());
    servePage(server, "/missing", "not here", 404);
    for (const QString &url : { server.url("/missing"), u"http://127.0.0.1:1/"_s }) {
        failed.clear();
        completed.clear();
        pane->Navigate(url);
        ASSERT_TRUE(wait([&] { return !failed.empty(); })) << url.toStdString();
        EXPECT_EQ(failed, QStringList { url });
        EXPECT_NE(pane->GetReadyState(), ReadyState::Complete);
        EXPECT_TRUE(completed.empty());
    }

    // One persistent profile in the private data folder, without new windows or other local files.
    QWebEngineProfile *profile = SharedWebProfile();
    EXPECT_FALSE(profile->isOffTheRecord());
    EXPECT_TRUE(profile->persistentStoragePath().endsWith(u"/Tavrin/webengine/storage"_s));
    EXPECT_FALSE(profile->settings()->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows));
    EXPECT_FALSE(profile->settings()->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    EXPECT_EQ(pane->page()->profile(), profile);
    CWebBrowser2 other(u"other"_s, PaneFlags { true, false });
    EXPECT_EQ(pane->contextMenuPolicy(), Qt::DefaultContextMenu);
    EXPECT_EQ(other.contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_FALSE(pane->page()->settings()->testAttribute(QWebEngineSettings::ShowScrollBars));
    EXPECT_TRUE(other.page()->settings()->testAttribute(QWebEngineSettings::ShowScrollBars));
}

TEST_F(PaneTest, LoadingFromTheNavigationOnAndReplacedNavigationsAreNoError)
{
    server.silence("/slow");
    ASSERT_TRUE(show("/first", "page"));
    servePage(server, "/second", "page");
    // From the call on, a pane sent elsewhere no longer passes for complete with its old page.
    pane->Navigate(server.url("/slow"));
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Loading);
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Loading);
    // A load under way replaced, and one replaced before the engine has seen it: the last one shows.
    ASSERT_TRUE(wait([&] { return server.hits("/slow") > 0; }));
    pane->Navigate(server.url("/first"));
    ASSERT_TRUE(completes([&] { pane->Navigate(server.url("/second")); }));
    EXPECT_EQ(pane->GetLocationURL(), server.url("/second"));
    EXPECT_EQ(pane->GetReadyState(), ReadyState::Complete);
    EXPECT_TRUE(failed.empty());
}

TEST_F(PaneTest, MeasuresTheBodyAfterLoadAndWidthChangesAndTakesNoAnswerOnceDeleted)
{
    int width = -1, height = -1;
    EXPECT_FALSE(pane->GetContentSize(width, height)); // nothing loaded yet
    EXPECT_EQ(width, -1);
    EXPECT_EQ(pane->GetBodyHtml(), QString());
    // Quirks mode (no doctype) and an empty body: the height follows the content, not the pane.
    ASSERT_TRUE(show("/empty", "<html><body style=\"margin:0\"></body></html>"));
    ASSERT_TRUE(wait([&] { return pane->lastMeasure().valid && pane->lastMeasure().height == 0; }));
    EXPECT_EQ(pane->GetBodyHtml(), QString());
    // 120 pixels and a quarter of the width: the height follows the pane's width.
    ASSERT_TRUE(show("/page", R"(<!DOCTYPE html><html><body style="margin:0"><div id="d" style="height:120px">
</div><div style="padding-top:25%"></div></body></html>)"));
    ASSERT_TRUE(wait([&] { return pane->GetBodyHtml().contains(u"id=\"d\""_s); }));
    ASSERT_TRUE(pane->GetContentSize(width, height));
    EXPECT_EQ(QSize(width, height), QSize(400, 220));
    int changed = 0;
    QObject::connect(pane.get(), &CWebBrowser2::measurementChanged, pane.get(), [&] { ++changed; });
    pane->resize(200, 300);
    ASSERT_TRUE(wait([&] { return pane->lastMeasure().viewportWidth == 200; }));
    EXPECT_EQ(QSize(pane->lastMeasure().width, pane->lastMeasure().height), QSize(200, 170));
    EXPECT_GE(changed, 1);

    // The page answers scripts still pending while it is deleted, after the pane's own part is gone (no
    // event is handled before the deletion, so every answer counted comes while or after it).
    QObject guard;
    int afterDelete = 0;
    QObject::connect(pane.get(), &CWebBrowser2::measurementChanged, &guard, [&] { ++afterDelete; });
    for (int i = 0; i < 3; ++i)
        pane->Remeasure();
    pane->resize(250, 300); // and one more request from the width change
    pane.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(afterDelete, 0);
}

} // namespace
} // namespace tavrin::test

namespace tavrin::test {
namespace {

TEST_F(PaneTest, PanesOfDifferentSitesShareOneRendererAndTheUsersOwnLimitStays)
{
    ASSERT_TRUE(show("/a", "<p>a</p>"));
    CWebBrowser2 other(u"ads"_s, PaneFlags { false, true });
    other.resize(200, 100);
    other.show();
    bool loaded = false;
    QObject::connect(&other, &CWebBrowser2::DocumentComplete, [&] { loaded = true; });
    other.Navigate(server.url("/a").replace(u"127.0.0.1"_s, u"localhost"_s)); // another site
    ASSERT_TRUE(wait([&] { return loaded; }));
    EXPECT_NE(other.page()->renderProcessPid(), 0);
    EXPECT_EQ(other.page()->renderProcessPid(), pane->page()->renderProcessPid());
    EXPECT_EQ(WithProcessModel(" --disable-gpu "), "--disable-gpu --renderer-process-limit=1");
    EXPECT_EQ(WithProcessModel("--renderer-process-limit=3"), "--renderer-process-limit=3");
}

} // namespace
} // namespace tavrin::test

namespace tavrin::test {
namespace {

// Answers the proxy prompt from a list and counts the questions.
struct ListedAnswers : ProxyCredentialsProvider {
    std::optional<ProxyCredentials> askProxyCredentials(const QString &, const QString &) override
    {
        ++asked;
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }
    QList<ProxyCredentials> answers;
    int asked = 0;
};

TEST_F(PaneTest, BehindAPasswordProxyPanesAskOnceAndShareTheDownloadsCredentials)
{
    InternetSession session;
    ListedAnswers prompt;
    session.setCredentialsProvider(&prompt);
    AnswerProxyAuthentication(pane->page(), session);
    server.requireProxyAuth("ana", "s3creta");
    servePage(server, "/p", "<title>por el proxy</title>");
    QNetworkProxy::setApplicationProxy({ QNetworkProxy::HttpProxy, u"127.0.0.1"_s, quint16(server.port()) });
    // From another page each time, so the engine asks the proxy again; true when the page came through.
    const auto load = [&] {
        EXPECT_TRUE(completes([&] { pane->Navigate(u"about:blank"_s); }));
        const qsizetype ended = completed.size() + failed.size();
        pane->Navigate(u"http://news.example/p"_s);
        return wait([&] { return completed.size() + failed.size() > ended; })
            && pane->title() == u"por el proxy"_s;
    };
    // Declined: the load fails, with no second question.
    EXPECT_FALSE(load());
    EXPECT_EQ(prompt.asked, 1);
    // Asked until the proxy takes the answer, which is remembered: later loads and the downloads use it.
    prompt.answers = { { u"ana"_s, u"mala"_s }, { u"ana"_s, u"s3creta"_s } };
    EXPECT_TRUE(load());
    EXPECT_EQ(prompt.asked, 3);
    EXPECT_EQ(session.rememberedProxyCredentials(), (ProxyCredentials { u"ana"_s, u"s3creta"_s }));
    EXPECT_TRUE(load());
    EXPECT_EQ(prompt.asked, 3);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

TEST_F(PaneTest, AHiddenPageIsReloadedQuietlyFromTheCache)
{
    bool broken = false; // an endless animation, served afresh each time so that a reload can fail
    server.route("/spinner", [&](const httplib::Request &, httplib::Response &response) {
        response.status = broken ? 503 : 200;
        response.set_header("Cache-Control", "no-store");
        response.set_content("<style>p{animation:a 1s infinite}@keyframes a{to{opacity:0}}</style><p>.",
                             "text/html");
    });
    ASSERT_TRUE(completes([&] { pane->Navigate(server.url("/spinner")); }));
    const auto document = [&] { return evaluate(u"performance.timeOrigin"_s).toDouble(); };
    // Shown, or shown again before the event loop came round: kept. Hidden: a new document, no event. A
    // failed reload is as quiet, and tried again at the next hide.
    for (const auto &[name, hide, showAgain, failOnce, reloads] :
         { std::tuple { "shown", false, false, false, 0 },
           { "shown again", true, true, false, 0 },
           { "hidden", true, false, false, 1 },
           { "hidden, failing once", true, false, true, 2 } }) {
        SCOPED_TRACE(name);
        const double before = document();
        const qsizetype events = seen.size() + completed.size() + failed.size();
        const int hits = server.hits("/spinner");
        broken = failOnce;
        pane->setVisible(!hide);
        pane->RestoreWhileHidden();
        pane->setVisible(!hide || showAgain);
        if (failOnce) {
            ASSERT_TRUE(wait([&] { return pane->GetReadyState() == ReadyState::Uninitialized; }));
            broken = false;
            pane->RestoreWhileHidden();
        }
        ASSERT_TRUE(
            wait([&] { return server.hits("/spinner") == hits + reloads && !pane->page()->isLoading(); }));
        pane->show();
        EXPECT_TRUE(pane->GetReadyState() == ReadyState::Complete && (document() > before) == (reloads > 0));
        EXPECT_EQ(seen.size() + completed.size() + failed.size(), events)
            << "no click, no completion, no error";
    }
}

} // namespace
} // namespace tavrin::test
