// The alerts queue without windows: selection, alerts off, duplicates, batches, closes and stray messages.
#include "alerts/alertnotifications.h"
#include "alerts/alertsqueue.h"
#include "config/configloader.h"
#include "config/liveconfig.h"
#include "settings/settings.h"
#include "support/messagerecorder.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <map>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

// Records the queue's calls as "b:ids newest first", "s" (slide in) and "h" (hide).
struct RecordingPopup : AlertsPopup {
    void ShowAlertBatch(const NewsSet &batch) override
    {
        QStringList ids;
        for (const NewsRecord &record : batch)
            ids.append(record.id);
        calls += u"b:"_s + ids.join(u',') + u' ';
    }
    void StartSlideIn() override { calls += u"s "_s; }
    void HidePopup() override { calls += u"h "_s; }
    QString calls;
};

// Records "id@time" (section "portada") or "id@time@section_key", newest first.
std::optional<NewsSet> recordsOf(const QString &text)
{
    NewsSet set;
    for (const QString &item : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList f = (item + u"@portada"_s).split(u'@');
        set.insert({ f[0], f[2], u"t-"_s + f[0], u"https://x/"_s + f[0], QString(), f[1].toLongLong() });
    }
    return set;
}

TEST(AlertsQueue, AddsShowsInBatchesAndFollowsThePopup)
{
    // Steps: "+records" WM_ALERTS_ADD ("0": one without a set), "r" PAGE_READY, "f" FINISHED, "c" CLOSE,
    // "off" alerts off. Expected: the pop-up's calls, "=", the state and how many records wait.
    const struct {
        const char *name;
        int perShow;
        QString steps, expected;
    } cases[] = {
        { "unselected sections", 3, u"+x@9@otros y@8@portada_mundo z@7@nada; 0"_s, u"=0 0"_s },
        { "alerts off", 3, u"off; +a@9 b@8@portada_local"_s, u"=0 0"_s },
        { "a duplicate still waiting is dropped, one already shown comes again", 1,
          u"+a@9 b@8; +a@7 b@6; r; f; r; f; r; f"_s, u"b:a s b:b s b:a s =0 0"_s },
        { "same time in one batch: the second is lost", 3, u"+a@9; +b@5; +c@5; +d@4; r; f"_s,
          u"b:a s b:b,d =1 0"_s },
        { "7 records, 3 per pop-up", 3, u"+a@1 b@2 c@3 d@4 e@5 f@6 g@7; r; f; r; f; r; f"_s,
          u"b:g,f,e s b:d,c,b s b:a s =0 0"_s },
        { "close while idle", 3, u"c"_s, u"h =0 0"_s },
        { "close while loading; its late ready is ignored", 1, u"+a@9 b@8; c; r; f"_s, u"b:a h =0 0"_s },
        { "close while showing; the next add starts afresh", 1, u"+a@9 b@8; r; c; f; +c@7"_s,
          u"b:a s h b:c =1 0"_s },
        { "stray ready and finished", 3, u"r; f; +a@9 b@8 c@7 d@6; f; r; r"_s, u"b:a,b,c s =2 1"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ClientConfig config;
        ASSERT_TRUE(LoadConfigurationText(test::fixtureBytes("config", "good"), config));
        config.max_news_per_show = c.perShow;
        LiveConfig live;
        live.replace(config);
        ASSERT_TRUE(SetAlertsEnabled(true));
        RecordingPopup popup;
        AlertsQueue queue(live, popup);
        const std::map<QString, void (AlertsQueue::*)()> messages = { { u"r"_s, &AlertsQueue::OnPageReady },
                                                                      { u"f"_s, &AlertsQueue::OnFinished },
                                                                      { u"c"_s, &AlertsQueue::OnClose } };
        for (const QString &step : c.steps.split(u"; "_s)) {
            if (step == u"off")
                ASSERT_TRUE(SetAlertsEnabled(false));
            else if (step.startsWith(u'+') || step == u"0")
                queue.OnAdd(step == u"0" ? std::nullopt : recordsOf(step.mid(1)));
            else
                (queue.*messages.at(step))();
        }
        EXPECT_EQ(popup.calls + u'=' + QString::number(int(queue.state())) + u' '
                      + QString::number(queue.waiting().size()),
                  c.expected);
    }
}

// Without a place for pop-ups, a batch is one notification, over after the display time (0 s here).
TEST(AlertsQueue, NotificationsStandInForThePopup)
{
    test::MessageRecorder actor;
    LiveConfig live;
    QString shown;
    ASSERT_TRUE(SetAlertsSeconds(u"0"_s));
    AlertNotifications popup(
        live, [&](const QString &title, const QString &text) { shown = title + u'|' + text; }, &actor);
    popup.ShowAlertBatch(*recordsOf(u"a@8 b@9"_s));
    popup.StartSlideIn();
    EXPECT_EQ(shown, u"Tavrin|t-b\nt-a"_s);
    EXPECT_TRUE(actor.waitFor([&] {
        return actor.numbers == std::vector { WM_ALERTS_PAGE_READY, WM_ALERTS_FINISHED };
    }));
}

} // namespace
} // namespace tavrin
