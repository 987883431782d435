// The alert pop-up on the real web engine, driven through the alerts actor's messages.
#include "alerts/alertsdlg.h"
#include "alerts/alertsthread.h"
#include "base/appmessage.h"
#include "config/configloader.h"
#include "support/appservices.h"
#include "support/testfiles.h"
#include "support/waituntil.h"

#include <QGuiApplication>
#include <QScreen>

#include <memory>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

TEST(AlertsDlg, RendersEscapedNewestFirstBesideTheTaskbarOpensClicksAndClosesAll)
{
    test::TestAppServices services;
    ClientConfig config;
    ASSERT_TRUE(LoadConfigurationText(test::fixtureBytes("config", "good"), config)); // 3 per pop-up
    config.alerts_html = uR"(<!DOCTYPE html><html><body style="margin:0;width:220px">
<a id="x" href="tavrin://close_window/">x</a><!-- {NEWS} --><!-- @ BLOCK_NEWS @ --><p><!-- {news_time} -->
<!-- {section_name} --><a class="n" href="<!-- {news_url} -->"><!-- {news_title} --></a></p><!-- @ BLOCK_NEWS @ -->
</body></html>)"_s;
    // Out for an hour: a slow machine must not see the pop-up leave (and its page go) mid-test.
    config.alerts_ttl = u"3600"_s;
    services.config.replace(config);
    CAlertsThread alerts(services.app(), nullptr);
    ASSERT_TRUE(alerts.InitInstance());
    CAlertsDlg *popup = alerts.popupWindow();
    const auto evaluate = [&](const QString &script) {
        // Shared with the callback, which may still come after a timed-out wait.
        const auto result = std::make_shared<std::optional<QVariant>>();
        popup->pane()->page()->runJavaScript(script, [result](const QVariant &value) { *result = value; });
        EXPECT_TRUE(test::waitUntil([&] { return result->has_value(); }, 20000));
        return result->value_or(QVariant());
    };

    // Four records a minute apart, the first newest: three show, one waits.
    const QString hostile = uR"("><script>window.hit=1</script><img src=x onerror="window.hit=2">)"_s;
    const QStringList titles { u"Primera"_s, hostile, u"Tercera <b>"_s, u"Cuarta"_s };
    const QStringList urls {
        u"https://example.org/1"_s, u"javascript:window.hit=3"_s, u"http://e.org/3?a=1&b=2"_s, {}
    };
    NewsSet set;
    for (qsizetype i = 0; i < titles.size(); ++i)
        set.insert({ QString::number(i), u"portada"_s, titles[i], urls[i], {}, 1700000000 - 60 * i });
    postMessage(&alerts, WM_ALERTS_ADD, 0, 0, makePayload(set));
    ASSERT_TRUE(test::waitUntil([&] { return popup->slideState() != SlideState::Hidden; }, 20000));
    EXPECT_EQ(alerts.queue()->waiting().size(), 1u);

    // Titles keep their text, markup shows as text, only web addresses stay; no script ran.
    EXPECT_EQ(evaluate(u"[...document.querySelectorAll('a.n')].map(a => a.textContent + ' ' + "
                       "a.getAttribute('href')).join('|')"_s)
                  .toString(),
              u"Primera https://example.org/1|"_s + hostile + u" #|Tercera <b> http://e.org/3?a=1&b=2"_s);
    EXPECT_EQ(
        evaluate(u"document.scripts.length + document.querySelectorAll('img,[onerror],b').length"
                 " + ('hit' in window) + !document.querySelector('p').textContent.includes('Portada')"_s)
            .toInt(),
        0);
    // The page plus the 3-pixel border, at the right end of the work area, rising from its bottom edge.
    const QVariantList body = evaluate(u"[document.body.scrollWidth, document.body.scrollHeight]"_s).toList();
    EXPECT_EQ(popup->pane()->geometry(), QRect(3, 3, body.value(0).toInt(), body.value(1).toInt()));
    EXPECT_EQ(popup->size(), QSize(body.value(0).toInt() + 6, body.value(1).toInt() + 6));
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(popup->plan().start, QPoint(work.right() + 1 - popup->width(), work.bottom() + 1));
    EXPECT_TRUE(popup->windowFlags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
                && popup->testAttribute(Qt::WA_ShowWithoutActivating));

    // A headline opens in the browser and the pop-up stays; close_window hides it and drops the waiting one.
    evaluate(u"document.querySelector('a.n').click(); 0"_s);
    ASSERT_TRUE(test::waitUntil([&] { return !services.browser.opened.isEmpty(); }, 20000));
    EXPECT_EQ(services.browser.opened, QStringList { u"https://example.org/1"_s });
    EXPECT_NE(popup->slideState(), SlideState::Hidden);
    evaluate(u"document.getElementById('x').click(); 0"_s);
    ASSERT_TRUE(test::waitUntil([&] { return popup->slideState() == SlideState::Hidden; }, 20000));
    EXPECT_TRUE(alerts.queue()->waiting().empty());
    // While nothing shows, the pop-up's page gives its memory back.
    EXPECT_TRUE(test::waitUntil([&] {
        return popup->pane()->page()->lifecycleState() == QWebEnginePage::LifecycleState::Discarded;
    }));
}

} // namespace
} // namespace tavrin
