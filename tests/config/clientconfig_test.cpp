// Configuration model: key order, first-occurrence maps, section queries with the user's feeds, live holder.
#include "config/clientconfig.h"
#include "config/liveconfig.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tavrin;

namespace {

// A section with one configured subsection "s" and, when it carries user feeds, addresses of its own.
Section makeSection(const QString &id, bool userFeeds)
{
    const auto url = [&](const char *base) { return userFeeds ? QString::fromLatin1(base) + id : QString(); };
    return Section { id.toUpper(),
                     id,
                     QStringLiteral("ads"),
                     false,
                     url("http://h/"),
                     url("http://x/"),
                     url("http://r/@SUBSECTION@"),
                     { Subsection { QStringLiteral("S"), QStringLiteral("s"), id + QStringLiteral("_s") } } };
}

} // namespace

TEST(ClientConfig, KeysIterateInUtf8ByteOrder)
{
    // Each pair: the first sorts before the second in the bytes of UTF-8.
    const std::pair<QString, QString> cases[] = {
        { QStringLiteral("B"), QStringLiteral("a") }, // case-sensitive: upper case first
        { QStringLiteral("ab"), QStringLiteral("abc") },
        { QStringLiteral("z"), QStringLiteral("é") },
        { QString(QChar(0xFFFD)), QString::fromUcs4(U"\U0001F600") }, // UTF-16 order would reverse these
        { QString(QChar(0xE000)), QString::fromUcs4(U"\U00010000") },
        { QString(QChar(0x00FF)), QString(QChar(0x0100)) },
    };
    const Utf8ByteLess less;
    ImageMap images;
    for (const auto &[a, b] : cases) {
        SCOPED_TRACE(a.toStdString() + " < " + b.toStdString());
        EXPECT_LT(a.toUtf8(), b.toUtf8()); // the premise
        EXPECT_TRUE(less(a, b));
        EXPECT_FALSE(less(b, a));
        EXPECT_FALSE(less(a, a));
        images.try_emplace(b, ConfigImage { b, 0, QStringLiteral("u") });
        images.try_emplace(a, ConfigImage { a, 0, QStringLiteral("u") });
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
    const Section plain = makeSection(QStringLiteral("a"), false);
    Section halfway = makeSection(QStringLiteral("b"), true);
    halfway.user_rss_xml_url.clear(); // html and xml addresses alone carry no feeds
    const Section feeds = makeSection(QStringLiteral("c"), true);
    config.sections = { plain, halfway, feeds, makeSection(QStringLiteral("d"), true) };

    EXPECT_EQ(config.SectionPageUrl(plain), QStringLiteral("http://all/"));
    EXPECT_EQ(config.SectionPageUrl(feeds), QStringLiteral("http://h/c"));
    EXPECT_FALSE(CarriesUserFeeds(plain));
    EXPECT_FALSE(CarriesUserFeeds(halfway));
    EXPECT_TRUE(CarriesUserFeeds(feeds));
    ASSERT_TRUE(config.FindUserFeedSection().has_value());
    EXPECT_EQ(config.FindUserFeedSection()->id, QStringLiteral("c")); // the first in document order
    ClientConfig none;
    none.sections = { plain, halfway };
    EXPECT_FALSE(none.FindUserFeedSection().has_value());

    for (const char *feed : { "f1", "f2" }) {
        ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QString::fromLatin1(feed),
                                        QStringLiteral("Feed ") + QString::fromLatin1(feed),
                                        kOtherMediaKeyPath));
    }
    EXPECT_EQ(EffectiveSubsections(halfway).size(), 1); // exactly the configured list
    const QList<Subsection> effective = EffectiveSubsections(feeds);
    ASSERT_EQ(effective.size(), 3);
    EXPECT_EQ(effective[0].key, QStringLiteral("c_s"));
    EXPECT_FALSE(effective[0].user_added);
    for (const Subsection &feed : effective.mid(1)) {
        EXPECT_TRUE(feed.user_added && feed.active);
        EXPECT_EQ(feed.key, QStringLiteral("c_") + feed.id);
    }

    // Configured subsections and the user's feeds by key, sections in order; "" when not found.
    const std::pair<const char *, const char *> lookups[]
        = { { "a_s", "S" }, { "c_f1", "Feed f1" }, { "d_f2", "Feed f2" },
            { "a_f1", "" }, { "nada", "" },        { "", "" } };
    for (const auto &[key, name] : lookups) {
        SCOPED_TRACE(key);
        const auto found = config.FindSubsectionByKey(QString::fromUtf8(key));
        EXPECT_EQ(found.has_value() ? found->name : QString(), QString::fromUtf8(name));
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
                mismatches += c->url != c->monitoring_url || c->sections.size() != c->main_width;
                ++reads;
            } while (!stop);
        });
    }
    while (started < 3)
        std::this_thread::yield();
    for (int i = 0; i < 2000; ++i) {
        ClientConfig next;
        next.url = next.monitoring_url = QString::number(i);
        next.main_width = i % 5;
        next.sections.resize(next.main_width);
        live.replace(next);
        if (i % 7 == 0)
            live.setAppUrl(QString::number(i));
    }
    stop = true;
    for (auto &reader : readers)
        reader.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(live.snapshot()->url, QStringLiteral("1999"));
}
