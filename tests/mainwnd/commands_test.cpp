// The main window's links on the real engine: the reader's browser, command links, scripts, frames, reloads.
#include "base/paths.h"
#include "mainwnd/tavrindlg.h"
#include "news/newsdate.h"
#include "support/appservices.h"
#include "support/messagerecorder.h"
#include "support/testpublisher.h"
#include "support/webpane.h"

#include <QMouseEvent>
#include <QWebEngineSettings>

namespace tavrin::test {
namespace {

TEST(FrameGateTest, FramesShowWebPagesInlineDocumentsAndOurOwnComposedPagesOnly)
{
    struct Page : CWebCtrlInterFace {
        using CWebCtrlInterFace::acceptNavigationRequest, CWebCtrlInterFace::CWebCtrlInterFace;
    } page(PaneFlags {});
    // Else the engine itself would hand an smb: or mailto: address to the desktop, frames included.
    EXPECT_EQ(page.settings()->unknownUrlSchemePolicy(), QWebEngineSettings::DisallowUnknownUrlSchemes);
    const QString own = u"file://"_s + TempFolder(), host = u"file://host"_s + TempFolder();
    QList<bool> shown;
    for (const QString &url :
         { u"HTTPS://host/"_s, u"about:blank"_s, u"data:text/html,x"_s, own + u"a.html"_s, host + u"a.html"_s,
           own + u"../a.html"_s, u"smb://host/share"_s, u"mailto:a@b.example"_s })
        shown << page.acceptNavigationRequest(QUrl(url), QWebEnginePage::NavigationTypeLinkClicked, false);
    EXPECT_EQ(shown, QList<bool>({ true, true, true, true, false, false, false, false }));
}

// Every link is a 20-pixel row, "c" the command link; the title says when the document takes input.
const QStringList kRows = u"web window js reload c"_s.split(u' ');
const QString kLinks = uR"-(<style>body { margin: 0 } a { display: block; height: 20px }</style>
<a href="/web">web</a><a href="/window" target="_blank">new window</a>
<a href="javascript:location.href='/away?js'">js</a><a href="javascript:location.reload()">reload</a>
<a href="%1">command</a><script>onmousemove = () => document.title = 'input'</script>)-"_s;

// A press and release with the reader's gesture, once the page sees the pointer (a page just shown may not).
void click(CWebBrowser2 *pane, const QString &row)
{
    const QPointF at(5, 10 + 20 * kRows.indexOf(row));
    const auto send = [&](QEvent::Type type, Qt::MouseButton button = {}, Qt::MouseButtons held = {}) {
        QMouseEvent event(type, at, pane->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(pane->focusProxy(), &event);
    };
    ASSERT_TRUE(waitUntil([&] { return pane->title() == u"input"_s || (send(QEvent::MouseMove), false); }));
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
}

TEST(CommandLinksTest, LinksOpenTheBrowserRunCommandsOrNothingAndNeverLeaveThePane)
{
    TestAppServices services { 1000000 };
    TestPublisher site; // the window's publisher serves the pages under test too
    site.serve("/news/2/", "<html><body>Mundo</body></html>", 200, "text/html"); // select_section's
    QStringList &done = services.browser.opened; // what went to the browser, and what the commands did
    NewsSet link; // what the show_alert link describes
    link.insert({ u"n1"_s, u"2"_s, u"Hola mundo"_s, u"http://127.0.0.1/n1?a=1&b=2"_s,
                  u"2024-05-01 10:00:00"_s, ParseNewsDate(u"2024-05-01 10:00:00"_s, 0) });
    MessageRecorder alerts;
    alerts.takePayload
        = [&](AppMessage &m) { done += QStringList(m.takePayloadAs<NewsSet>() == link, u"alert"_s); };
    services.config.replace(site.configuration());
    CTavrinDlg dlg(services.app(), CTavrinDlg::Options { 200 });
    dlg.setTrayAvailability([] { return true; });
    dlg.setAlertsTarget(&alerts);
    dlg.setAboutHandler([&](CTavrinDlg *) { done << u"about"_s; });
    dlg.setPreferencesHandler([&](CTavrinDlg *) { return done << u"prefs"_s, false; }); // declined
    QObject::connect(&dlg, &CTavrinDlg::stateChanged, [&](AppState state) {
        done += QStringList(state == AppState::Refreshing, u"refreshed"_s);
    });
    dlg.OnInitDialog();
    CWebBrowser2 *news = dlg.newsPane();
    const auto complete = [&] { return news->GetReadyState() == ReadyState::Complete; };
    // The page's requests, what was done, whether the window was hidden, where the pane is.
    const auto observed = [&](const char *path) {
        QStringList seen = done + QStringList(dlg.isHidden(), u"hidden"_s);
        seen.replaceInStrings(site.url(""), QString()).sort();
        seen.prepend(QString::number(site.hits(path)));
        return (seen << u"@"_s + QUrl(news->GetLocationURL()).path()).join(u' ');
    };
    // `path` (kLinks to `command`), loaded via a redirect, then `act`: clicks, "menu" reload, HTML to reload.
    const char *cases[][5] = {
        // clang-format off
        { "web, new window and script links", "/p1", "", "web window js", "1 /away?js /web @/p1" }, // the script's comes after all the others caused
        { "script in the program's reload", "/p2", "", "<script>location.href = '/away?script'</script>", "2 /away?script @/p2" },
        { "meta refresh in the program's reload", "/p3", "", "<meta http-equiv=refresh content='0; url=/away?meta'>", "2 /away?meta @/p3" },
        { "the context menu's reload", "/p4", "", "menu", "2 @/p4" },
        { "the page's own reload", "/p5", "", "reload", "2 @/p5" },
        { "prefs", "/c1", "tavrin://prefs", "c", "1 prefs @/c1" },
        { "about", "/c2", "tavrin://about/", "c", "1 about @/c2" },
        { "show_alert", "/c3", "tavrin://show_alert/?id=n1&section_id=2&title=Hola%20mundo&url=http%3A%2F%2F127.0.0.1%2Fn1%3Fa%3D1%26b%3D2&date=2024-05-01%2010%3A00%3A00", "c", "1 alert @/c3" },
        { "select_section", "/c4", "tavrin://select_section/?id=2", "c", "1 refreshed @/news/2/" },
        { "select_section of no section", "/c5", "tavrin://select_section/?id=99", "c", "1 refreshed @/news/2/" },
        { "navigate_internal", "/c6", "tavrin://navigate_internal/?url=data%3A%2Cinternal", "c", "1 refreshed @,internal" },
        { "navigate_explorer_news", "/c7", "tavrin://navigate_explorer_news/?url=data%3A%2Cexplorer", "c", "1 refreshed @,explorer" },
        { "mail link", "/c9", "mailto:redaccion@example.com?subject=Hola", "c", "1 mailto:redaccion@example.com?subject=Hola @/c9" },
        { "close_window", "/c8", "tavrin://close_window", "c", "1 hidden @/c8" },
    }; // clang-format on
    for (const auto &[name, path, command, how, expected] : cases) {
        SCOPED_TRACE(name);
        const QString act = QString::fromUtf8(how), page = kLinks.arg(QString::fromUtf8(command));
        servePage(site, path, page.toStdString());
        site.redirect("/moved" + std::string(path), path);
        ASSERT_TRUE(waitUntil([&] { return appState() == AppState::Running && complete(); }, 60000));
        news->Navigate(site.url("/moved" + std::string(path)));
        ASSERT_TRUE(waitUntil(complete));
        done.clear();
        if (act.startsWith(u'<')) {
            servePage(site, path, (page + act).toStdString());
            news->Navigate(news->GetLocationURL());
        } else {
            for (const QString &row : act.split(u' ', Qt::SkipEmptyParts))
                row == u"menu"_s ? news->triggerPageAction(QWebEnginePage::Reload) : click(news, row);
        }
        EXPECT_TRUE(waitUntil([&] { return observed(path) == QLatin1String(expected); }))
            << observed(path).toStdString();
    }
    EXPECT_EQ(site.hits("/web") + site.hits("/window") + site.hits("/away"), 0);
}

} // namespace
} // namespace tavrin::test
