// Configuration model: the key order of its maps, the live holder under readers and writers.
#include "config/clientconfig.h"
#include "config/liveconfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace tavrin;
using namespace Qt::StringLiterals;

TEST(ClientConfig, KeysIterateInUtf8ByteOrder)
{
    // Ascending in UTF-8 bytes (checked first), case-sensitively; UTF-16 order puts the last two earlier.
    const QStringList keys
        = { u"B"_s,      u"a"_s,      u"ab"_s,     u"abc"_s,    u"z"_s,          u"é"_s,
            u"\u00FF"_s, u"\u0100"_s, u"\uE000"_s, u"\uFFFD"_s, u"\U00010000"_s, u"\U0001F600"_s };
    ASSERT_TRUE(std::ranges::is_sorted(keys, {}, [](const QString &key) { return key.toUtf8(); }));
    ImageMap images;
    for (const QString &key : keys)
        images[key];
    QStringList order;
    for (const auto &[key, image] : images)
        order << key;
    EXPECT_EQ(order, keys);
}

TEST(LiveConfig, ReadersKeepWholeSnapshotsWhileWritersReplaceThem)
{
    LiveConfig live;
    ASSERT_TRUE(live.snapshot() && live.snapshot()->url.isEmpty());
    std::atomic<int> stop { 0 }, mismatches { 0 }, reads { 0 }, started { 0 };
    std::vector<std::jthread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            for (++started; !stop || reads == 0; ++reads) {
                const auto c = live.snapshot();
                mismatches += c->url != c->monitoring_url || c->sections.size() != c->main_width;
            }
        });
    }
    while (started < 3)
        std::this_thread::yield();
    for (int i = 0; i < 2000; ++i) {
        ClientConfig next;
        next.url = next.monitoring_url = QString::number(i);
        next.sections.resize(next.main_width = i % 5);
        live.replace(next);
        if (i % 7 == 0)
            live.setAppUrl(QString::number(i), {});
    }
    stop = 1;
    readers.clear(); // joins them
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(reads, 0);
    // A new installer address keeps the rest; a reader's snapshot never changes under it.
    const auto held = live.snapshot();
    live.setAppUrl(u"setup"_s, {});
    EXPECT_TRUE(held->app_url.isEmpty());
    EXPECT_EQ(live.snapshot()->app_url + live.snapshot()->url, u"setup1999"_s);
    live.replace(std::shared_ptr<const ClientConfig>());
    EXPECT_TRUE(live.snapshot() && live.snapshot()->url.isEmpty()); // never null
}
