// Configuration model: key order, first-occurrence maps, section queries with the user's feeds, live holder.
#include "settings/settings.h"
#include "config/clientconfig.h"
#include "config/liveconfig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tavrin;

namespace {

Section makeSection(const QString &id, bool userFeeds)
{
    Section s;
    s.id = id;
    s.name = id.toUpper();
    s.ads_html_code = QStringLiteral("ads");
    if (userFeeds) {
        s.html_url = QStringLiteral("http://h/") + id;
        s.xml_url = QStringLiteral("http://x/") + id;
        s.user_rss_xml_url = QStringLiteral("http://r/@SUBSECTION@");
    }
    Subsection sub;
    sub.id = QStringLiteral("s");
    sub.name = QStringLiteral("S");
    sub.key = id + QStringLiteral("_s");
    s.subsections.append(sub);
    return s;
}

bool storeFeed(const QString &id, const QString &name)
{
    return WriteRegistryString(RegistryRoot::CurrentUser, id, name, kOtherMediaKeyPath);
}

} // namespace

TEST(ClientConfig, KeysIterateInUtf8ByteOrder)
{
    // Each pair: a sorts before b in the bytes of UTF-8.
    const struct {
        QString a;
        QString b;
    } cases[] = {
        { QStringLiteral("B"), QStringLiteral("a") }, // case-sensitive: upper case first
        { QStringLiteral("ab"), QStringLiteral("abc") },
        { QStringLiteral("z"), QStringLiteral("é") },
        { QString(QChar(0xFFFD)), QString::fromUcs4(U"\U0001F600") }, // UTF-16 order would reverse these
        { QString(QChar(0xE000)), QString::fromUcs4(U"\U00010000") },
        { QString(QChar(0x00FF)), QString(QChar(0x0100)) },
    };
    const Utf8ByteLess less;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.a.toStdString() + " < " + c.b.toStdString());
        EXPECT_LT(c.a.toUtf8(), c.b.toUtf8()); // the premise
        EXPECT_TRUE(less(c.a, c.b));
        EXPECT_FALSE(less(c.b, c.a));
        EXPECT_FALSE(less(c.a, c.a));
    }

    ImageMap images;
    for (const auto &c : cases) {
        images.try_emplace(c.b, ConfigImage { c.b, 0, QStringLiteral("u") });
        images.try_emplace(c.a, ConfigImage { c.a, 0, QStringLiteral("u") });
    }
    QByteArray previous;
    for (const auto &[key, image] : images) {
        EXPECT_LT(previous, key.toUtf8());
        previous = key.toUtf8();
    }
}

TEST(ClientConfig, SectionQueries)
{
    ClientConfig config;
    config.sections_html_url = QStringLiteral("http://all/");
    Section plain = makeSection(QStringLiteral("a"), false);
    Section halfway = makeSection(QStringLiteral("b"), true);
    halfway.user_rss_xml_url.clear(); // html and xml addresses alone carry no feeds
    const Section feeds = makeSection(QStringLiteral("c"), true);
    const Section laterFeeds = makeSection(QStringLiteral("d"), true);
    config.sections = { plain, halfway, feeds, laterFeeds };

    EXPECT_EQ(config.SectionPageUrl(plain), QStringLiteral("http://all/"));
    EXPECT_EQ(config.SectionPageUrl(feeds), QStringLiteral("http://h/c"));
    EXPECT_FALSE(CarriesUserFeeds(plain));
    EXPECT_FALSE(CarriesUserFeeds(halfway));
    EXPECT_TRUE(CarriesUserFeeds(feeds));

    const auto home = config.FindUserFeedSection();
    ASSERT_TRUE(home.has_value());
    EXPECT_EQ(home->id, QStringLiteral("c"));
    ClientConfig none;
    none.sections = { plain, halfway };
    EXPECT_FALSE(none.FindUserFeedSection().has_value());

    ASSERT_TRUE(storeFeed(QStringLiteral("f1"), QStringLiteral("Feed uno")));
    ASSERT_TRUE(storeFeed(QStringLiteral("f2"), QStringLiteral("Feed dos")));

    EXPECT_EQ(EffectiveSubsections(halfway).size(), 1); // exactly the configured list
    const QList<Subsection> effective = EffectiveSubsections(feeds);
    ASSERT_EQ(effective.size(), 3);
    EXPECT_EQ(effective[0].key, QStringLiteral("c_s"));
    EXPECT_FALSE(effective[0].user_added);
    for (const Subsection &feed : effective.mid(1)) {
        EXPECT_TRUE(feed.user_added);
        EXPECT_TRUE(feed.active);
        EXPECT_EQ(feed.key, QStringLiteral("c_") + feed.id);
    }

    const struct {
        const char *key;
        const char *name; // "" when not found
    } lookups[] = {
        { "a_s", "S" }, { "c_f1", "Feed uno" }, { "d_f2", "Feed dos" },
        { "a_f1", "" }, { "nada", "" },         { "", "" },
    };
    for (const auto &l : lookups) {
        SCOPED_TRACE(l.key);
        const auto found = config.FindSubsectionByKey(QString::fromUtf8(l.key));
        EXPECT_EQ(found.has_value(), *l.name != '\0');
        if (found) {
            EXPECT_EQ(found->name, QString::fromUtf8(l.name));
        }
    }
}

TEST(LiveConfig, SnapshotsStayWholeWhileReplaced)
{
    LiveConfig live;
    ASSERT_NE(live.snapshot(), nullptr);
    EXPECT_TRUE(live.snapshot()->url.isEmpty());

    ClientConfig first;
    first.url = QStringLiteral("one");
    first.app_url = QStringLiteral("setup-1");
    live.replace(first);
    const auto held = live.snapshot();

    live.setAppUrl(QStringLiteral("setup-2"));
    EXPECT_EQ(held->app_url, QStringLiteral("setup-1")); // a reader's snapshot never changes under it
    EXPECT_EQ(live.snapshot()->app_url, QStringLiteral("setup-2"));
    EXPECT_EQ(live.snapshot()->url, QStringLiteral("one"));

    live.replace(std::shared_ptr<const ClientConfig>());
    ASSERT_NE(live.snapshot(), nullptr);
}

TEST(LiveConfig, ConcurrentReadersSeeConsistentConfigurations)
{
    LiveConfig live;
    std::atomic<bool> stop { false };
    std::atomic<int> mismatches { 0 };
    std::atomic<int> reads { 0 };
    std::atomic<int> started { 0 };
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            ++started;
            do {
                const auto c = live.snapshot();
                if (c->url != c->monitoring_url || c->sections.size() != c->main_width) {
                    ++mismatches;
                }
                ++reads;
            } while (!stop);
        });
    }
    while (started < 3) {
        std::this_thread::yield();
    }
    for (int i = 0; i < 2000; ++i) {
        ClientConfig next;
        next.url = next.monitoring_url = QString::number(i);
        next.main_width = i % 5;
        for (int s = 0; s < next.main_width; ++s) {
            next.sections.append(Section());
        }
        live.replace(next);
        if (i % 7 == 0) {
            live.setAppUrl(QString::number(i));
        }
    }
    stop = true;
    for (auto &reader : readers) {
        reader.join();
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(live.snapshot()->url, QStringLiteral("1999"));
}
