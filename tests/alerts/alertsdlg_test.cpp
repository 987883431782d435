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

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

class AlertsDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        ClientConfig config;
        ASSERT_TRUE(LoadConfigurationText(test::fixtureBytes("config", "good"), config));
        config.alerts_html = uR"(<!DOCTYPE html><html><body style="margin:0;width:220px">
<a id="x" href="tavrin://close_window/">x</a><!-- {NEWS} --><!-- @ BLOCK_NEWS @ --><p><!-- {news_time} -->
<!-- {section_name} --><a class="n" href="<!-- {news_url} -->"><!-- {news_title} --></a></p><!-- @ BLOCK_NEWS @ -->
</body></html>)"_s;
        services.config.replace(config);
        ASSERT_TRUE(alerts.InitInstance());
        popup = alerts.popupWindow();
    }
    // Adds records one minute apart, the first newest; waits until the pop-up slides in.
    bool add(const QStringList &titles, const QStringList &urls)
    {
        NewsSet set;
        for (qsizetype i = 0; i < titles.size(); ++i)
            set.insert({ QString::number(i), u"portada"_s, titles[i], urls[i], {}, 1700000000 - 60 * i });
        postMessage(&alerts, WM_ALERTS_ADD, 0, 0, makePayload(set));
        return test::waitUntil([&] { return popup->slideState() != SlideState::Hidden; }, 20000);
    }
    QVariant evaluate(const QString &script)
    {
        std::optional<QVariant> result;
        popup->pane()->page()->runJavaScript(script, [&](const QVariant &value) { result = value; });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }, 20000));
        return result.value_or(QVariant());
    }

    test::TestAppServices services;
    CAlertsThread alerts { services.app(), nullptr };
    CAlertsDlg *popup = nullptr;
};

TEST_F(AlertsDlgTest, RendersNewestFirstWithHostileValuesAsTextBesideTheTaskbar)
{
    const QString hostile = uR"("><script>window.hit=1</script><img src=x onerror="window.hit=2">)"_s;
    ASSERT_TRUE(
        add({ u"Primera"_s, hostile, u"Tercera <b>"_s },
            { u"https://example.org/1"_s, u"javascript:window.hit=3"_s, u"http://example.org/3?a=1&b=2"_s }));
    EXPECT_EQ(evaluate(u"[...document.querySelectorAll('a.n')].map(a => a.textContent + ' ' + "
                       "a.getAttribute('href')).join('|')"_s)
                  .toString(),
              u"Primera https://example.org/1|"_s + hostile
                  + u" #|Tercera <b> http://example.org/3?a=1&b=2"_s);
    EXPECT_EQ(
        evaluate(u"document.scripts.length + document.querySelectorAll('img,[onerror],b').length"_s).toInt(),
        0);
    EXPECT_TRUE(evaluate(u"document.querySelector('p').textContent.includes('Portada')"_s).toBool());
    EXPECT_FALSE(evaluate(u"'hit' in window"_s).toBool());
    // The page plus the 3-pixel border, at the right end of the work area, rising from its bottom edge.
    const QVariantList body = evaluate(u"[document.body.scrollWidth, document.body.scrollHeight]"_s).toList();
    EXPECT_EQ(popup->pane()->geometry(), QRect(3, 3, body.value(0).toInt(), body.value(1).toInt()));
    EXPECT_EQ(popup->size(), QSize(body.value(0).toInt() + 6, body.value(1).toInt() + 6));
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(popup->plan().start, QPoint(work.right() + 1 - popup->width(), work.bottom() + 1));
    EXPECT_TRUE(
        popup->windowFlags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(AlertsDlgTest, ClicksGoToTheBrowserAndCloseWindowEmptiesTheQueue)
{
    ClientConfig config = *services.config.snapshot();
    config.max_news_per_show = 1;
    services.config.replace(config);
    ASSERT_TRUE(add({ u"Uno"_s, u"Dos"_s }, { u"https://example.org/1"_s, u"https://example.org/2"_s }));
    evaluate(u"document.querySelector('a.n').click(); 0"_s);
    ASSERT_TRUE(test::waitUntil([&] { return !services.browser.opened.isEmpty(); }, 20000));
    EXPECT_EQ(services.browser.opened, QStringList { u"https://example.org/1"_s });
    EXPECT_NE(popup->slideState(), SlideState::Hidden);
    EXPECT_EQ(alerts.queue()->waiting().size(), 1u);

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
