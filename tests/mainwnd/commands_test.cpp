// The main window's links on the real engine: the reader's browser, command links, scripts, frames, reloads.
#include "base/paths.h"
#include "browser/webprofile.h"
#include "mainwnd/tavrindlg.h"
#include "news/newsdate.h"
#include "support/appservices.h"
#include "support/messagerecorder.h"
#include "support/testpublisher.h"
#include "support/webpane.h"

#include <QMouseEvent>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace tavrin::test {
namespace {

TEST(FrameGateTest, FramesShowWebPagesInlineDocumentsAndOurOwnComposedPagesOnly)
{
    struct Page : CWebCtrlInterFace {
        using CWebCtrlInterFace::acceptNavigationRequest;
        using CWebCtrlInterFace::CWebCtrlInterFace;
    } page(PaneFlags {});
    // Else the engine itself would hand an smb: or mailto: address to the desktop, frames included.
    EXPECT_EQ(page.settings()->unknownUrlSchemePolicy(), QWebEngineSettings::DisallowUnknownUrlSchemes);
    const QString own = QUrl::fromLocalFile(TempFolder() + u"page.html"_s).toString();
    const std::pair<QString, bool> cases[] = {
        // clang-format off
        { u"http://127.0.0.1/a"_s, true }, { u"HTTPS://host/"_s, true }, { u"about:blank"_s, true }, { u"data:text/html,x"_s, true },
        { own, true }, { QString(own).replace(u"file://"_s, u"file://host"_s), false }, { u"smb://host/share"_s, false },
        { QUrl::fromLocalFile(TempFolder() + u"../x.html"_s).toString(), false }, { u"mailto:a@b.c"_s, false },
        { QUrl::fromLocalFile(DataFolder() + u"x.html"_s).toString(), false }, { u"tavrin://prefs"_s, false },
    }; // clang-format on
    for (const auto &[url, shown] : cases)
        EXPECT_EQ(page.acceptNavigationRequest(QUrl(url), QWebEnginePage::NavigationTypeLinkClicked, false),
                  shown)
            << url.toStdString();
}

// Every link is a 20-pixel row: a press on a row is a click with the reader's gesture. "f:" rows are in the
// frame.
const QStringList kRows = { u"web"_s,      u"window"_s, u"smb"_s,   u"file"_s,   u"js"_s,
                            u"sentinel"_s, u"c"_s,      u"f:smb"_s, u"f:file"_s, u"f:js"_s };
const QString kLinks = uR"(<html><style>body { margin: 0 } a { display: block; height: 20px }</style><body>
<a id=web href="/web">web</a><a id=window href="/window" target="_blank">new window</a>
<a id=smb href="smb://host/share">smb</a><a id=file href="file:///etc/hostname">file</a>
<a id=js href="javascript:location.href='smb://host/js'">js</a><a id=sentinel href="/sentinel">sentinel</a>%1
<iframe src="/frame" style="position: absolute; top: 140px; border: 0"></iframe></body></html>)"_s;

void click(CWebBrowser2 *pane, const QString &row)
{
    bool answered = false; // a round trip through the page first: the press meets the document now shown
    pane->page()->runJavaScript(u"0"_s, [&](const QVariant &) { answered = true; });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    const QPointF at(5, 10 + 20 * kRows.indexOf(row));
    for (auto [type, buttons] : { std::pair(QEvent::MouseButtonPress, Qt::LeftButton),
                                  std::pair(QEvent::MouseButtonRelease, Qt::NoButton) }) {
        QMouseEvent event(type, at, pane->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(pane->focusProxy(), &event);
    }
}

TEST(CommandLinksTest, LinksOpenTheBrowserRunCommandsOrNothingAndNeverLeaveThePane)
{
    using enum AppState;
    TestAppServices services { 1000000 };
    TestPublisher publisher;
    publisher.serve("/news/2/", "<html><body>Mundo</body></html>", 200, "text/html"); // select_section's
    TestServer pages;
    // The alerts actor takes each set, as the real one does; `alerts` counts the ones the link described.
    struct AlertsActor : MessageRecorder {
        NewsSet expected;
        int taken = 0;
        bool event(QEvent *e) override
        {
            if (AppMessage *message = asAppMessage(e))
                taken += message->takePayloadAs<NewsSet>() == expected;
            return MessageRecorder::event(e);
        }
    } alertsActor;
    QList<AppState> states;
    int preferences = 0, abouts = 0;
    services.config.replace(publisher.configuration());
    CTavrinDlg dlg(services.app(), CTavrinDlg::Options { 200 });
    dlg.setTrayAvailability([] { return true; });
    dlg.setAlertsTarget(&alertsActor);
    dlg.setAboutHandler([&](CTavrinDlg *) { ++abouts; });
    dlg.setPreferencesHandler([&](CTavrinDlg *) { return ++preferences < 0; });
    QObject::connect(&dlg, &CTavrinDlg::stateChanged, [&](AppState state) { states.append(state); });
    dlg.OnInitDialog();
    ASSERT_TRUE(waitUntil([] { return appState() == Running; }, 60000));

    CWebBrowser2 *news = dlg.newsPane();
    servePage(
        pages, "/frame",
        R"(<style>body { margin: 0 } a { display: block; height: 20px }</style><a href="smb://host/f">smb
</a><a href="file:///etc/hostname">file</a><a href="javascript:location.href='smb://host/fjs'">js</a>)");
    for (const char *path : { "/landing", "/internal", "/explorer" })
        servePage(pages, path, kLinks.arg(QString()).toStdString());
    pages.redirect("/moved", "/landing");
    alertsActor.expected.insert({ u"n1"_s, u"2"_s, u"Hola mundo"_s, u"http://127.0.0.1/n1?a=1&b=2"_s,
                                  u"2024-05-01 10:00:00"_s, ParseNewsDate(u"2024-05-01 10:00:00"_s, 0) });
    int &alerts = alertsActor.taken;
    // Requests of the page, what went to the browser, what the commands did, where the news pane is.
    const auto observed = [&](const char *path) {
        QStringList seen = services.browser.opened;
        seen.replaceInStrings(pages.url(""), QString()).sort();
        seen.prepend(QString::number(pages.hits(path)));
        seen += QStringList(preferences, u"prefs"_s) + QStringList(abouts, u"about"_s)
            + QStringList(alerts, u"alert"_s);
        if (states.contains(Refreshing) && appState() == Running)
            seen << u"refreshed"_s;
        seen += QStringList(alertsActor.count(WM_ALERTS_CLOSE), u"closed"_s)
            + QStringList(!dlg.isVisible(), u"hidden"_s);
        return (seen << u"@"_s + QUrl(news->GetLocationURL()).path()).join(' ');
    };
    // The program loads `path` (kLinks with `extra`), then `act`: rows to click, a script ("js:"), the
    // context menu's reload, or new HTML for the program's next load of the same address (the news pane's
    // reload).
    const struct {
        const char *name, *path, *extra, *act, *expected;
    } cases[] = {
        // clang-format off
        { "web link", "/p1", "", "web", "1 /sentinel /web @/p1" },
        { "links that open nothing", "/p2", "", "smb file js f:smb f:file f:js window", "1 /sentinel @/p2" },
        { "script during the load", "/p3", "<script>location.href = '/away?during'</script>", "", "1 /away?during /sentinel @/p3" },
        { "meta refresh", "/p4", "<meta http-equiv=refresh content='0; url=/away?meta'>", "", "1 /away?meta /sentinel @/p4" },
        { "script after the load", "/p5", "", "js:location.href = '/away?after'", "1 /away?after /sentinel @/p5" },
        { "script in a reload", "/p6", "", "<script>location.href = '/away?again'</script>", "2 /away?again /sentinel @/p6" },
        { "server redirect of the program's load", "/moved", "", "", "1 /sentinel @/landing" },
        { "the context menu's reload", "/p7", "", "reload", "2 @/p7" },
        { "the page's own reload", "/p8", "", "js:location.reload()", "2 @/p8" },
        { "prefs", "/c1", "tavrin://prefs", "c", "1 prefs @/c1" },
        { "about", "/c2", "tavrin://about/", "c", "1 about @/c2" },
        { "show_alert", "/c3", "tavrin://show_alert/?id=n1&section_id=2&title=Hola%20mundo&url=http%3A%2F%2F127.0.0.1%2Fn1%3Fa%3D1%26b%3D2&date=2024-05-01%2010%3A00%3A00", "c", "1 alert @/c3" },
        { "select_section", "/c4", "tavrin://select_section/?id=2", "c", "1 refreshed @/news/2/" },
        { "select_section of no section", "/c5", "tavrin://select_section/?id=99", "c", "1 refreshed @/news/2/" },
        { "navigate_internal", "/c6", "tavrin://navigate_internal/?url={pages}%2Finternal", "c", "1 refreshed @/internal" },
        { "navigate_explorer_news", "/c7", "tavrin://navigate_explorer_news/?url={pages}%2Fexplorer", "c", "1 refreshed @/explorer" },
        { "close_window", "/c8", "tavrin://close_window", "c", "1 closed hidden @/c8" },
    }; // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString extra = QString::fromUtf8(c.extra).replace(
            u"{pages}"_s, QString::fromLatin1(QUrl::toPercentEncoding(pages.url(""))));
        if (extra.startsWith(u"tavrin:"_s))
            extra = u"<a id=c href=\"%1\">command</a>"_s.arg(extra);
        if (c.path != std::string("/moved"))
            servePage(pages, c.path, kLinks.arg(extra).toStdString());
        ASSERT_TRUE(waitUntil(
            [&] { return appState() == Running && news->GetReadyState() == ReadyState::Complete; }));
        services.browser.opened.clear();
        news->Navigate(pages.url(c.path));
        ASSERT_TRUE(waitUntil([&] { return news->GetReadyState() == ReadyState::Complete; }));
        states.clear();
        alertsActor.clear();
        preferences = abouts = alerts = 0;
        const QString act = QString::fromUtf8(c.act);
        if (act == u"reload"_s)
            news->triggerPageAction(QWebEnginePage::Reload);
        else if (act.startsWith(u"js:"_s))
            news->page()->runJavaScript(act.mid(3));
        else if (act.startsWith('<')) {
            servePage(pages, c.path, kLinks.arg(act).toStdString());
            news->Navigate(news->GetLocationURL());
        } else {
            for (const QString &row : act.split(' ', Qt::SkipEmptyParts))
                click(news, row);
        }
        if (QString::fromUtf8(c.expected)
                .contains(u"/sentinel"_s)) { // it comes after whatever the case caused
            ASSERT_TRUE(waitUntil([&] { return news->GetReadyState() == ReadyState::Complete; }));
            click(news, u"sentinel"_s);
        }
        EXPECT_TRUE(waitUntil([&] { return observed(c.path) == QLatin1String(c.expected); }))
            << observed(c.path).toStdString();
    }
    EXPECT_EQ(pages.hits("/web") + pages.hits("/window") + pages.hits("/away") + pages.hits("/sentinel"), 0);
}

} // namespace
} // namespace tavrin::test
