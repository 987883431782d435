// What the user follows: stored choices over the configured sections and feeds, and registering user feeds.
#include "base/paths.h"
#include "config/alertsseconds.h"
#include "config/selection.h"
#include "settings/settings.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

TEST(Selection, KeysAreSelectedAndNamedByTheirSectionOrSubsectionAndChoicesOverrideFlags)
{
    // Subsections as name, id, key, active, user-added; one key is the id of the later section of user feeds.
    const QList<Subsection> subsections = { { u"Local"_s, u"local"_s, u"news_local"_s, false, false },
                                            { u"Shadow"_s, u"x"_s, u"mine"_s, true, false } };
    // Sections as name, id, ads, active, page, document, feed documents, subsections.
    const QString feeds = u"http://x.test/@SUBSECTION@"_s;
    ClientConfig config;
    config.sections = { { u"News"_s, u"news"_s, {}, true, {}, {}, {}, subsections },
                        { u"Others"_s, u"mine"_s, {}, false, feeds, feeds, feeds, {} } };
    ASSERT_TRUE(AddOtherMedia({ u"Faro"_s, u"55"_s, u"mine_55"_s, false, true })); // user feed chosen off
    ASSERT_TRUE(StoreOtherMedium({ u"56"_s, u"Free"_s })); // one with no choice stored
    const std::tuple<const char *, bool, const char *> cases[]
        = { { "news", true, "News" },    { "news_local", false, "Local" },
            { "mine", false, "Others" }, { "mine_55", false, "Faro" },
            { "mine_56", true, "Free" }, { "mine_57", false, "" },
            { "nowhere", false, "" },    { "", false, "" } };
    for (const auto &[key, selected, name] : cases) {
        const QString k = QString::fromLatin1(key);
        EXPECT_EQ(IsKeySelected(config, k), selected) << key;
        EXPECT_EQ(KeyDisplayName(config, k), QString::fromUtf8(name)) << key;
        // A stored choice overrides the configured flag of a key that is found.
        ASSERT_TRUE(SetSectionSelected(k, !selected));
        EXPECT_EQ(IsKeySelected(config, k), *name && !selected) << key;
    }
}

TEST(Selection, OnlyUserFeedsAreStoredAndOneThatCannotBeLeavesNoChoice)
{
    Subsection feed { u"El Diario"_s, u"4711"_s, u"mine_4711"_s, false, false };
    EXPECT_FALSE(AddOtherMedia(feed) || RemoveOtherMedia(feed)); // a configured feed changes nothing
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
    feed.user_added = true;
    ASSERT_TRUE(AddOtherMedia(feed));
    EXPECT_EQ(ListOtherMedia(), (QList<OtherMedium> { { u"4711"_s, u"El Diario"_s } }));
    EXPECT_TRUE(RemoveOtherMedia(feed));
    EXPECT_FALSE(RemoveOtherMedia(feed) || !ListOtherMedia().isEmpty());
    { // A feed that cannot be stored leaves no choice behind (which alone would still fit).
        test::FileSizeLimit limit(static_cast<rlim_t>(test::readFile(SettingsFilePath()).size() + 100));
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(AddOtherMedia({ QString(300, u'n'), u"9"_s, u"mine_9"_s, true, true }));
    }
    EXPECT_FALSE(IsSelected(u"mine_9"_s, false) || !ListOtherMedia().isEmpty());
}

TEST(Selection, AlertSecondsReadAsTheDigitsMakeAndNeverBelowOne)
{
    ClientConfig config;
    // Stored text (null: none stored), configured ttl, seconds given to callers.
    const std::tuple<const char *, const char *, int> cases[] = {
        { nullptr, "8", 8 }, { "15x", "8", 15 }, { " 20", "8", 20 }, { "0", "8", 8 },
        { "-3", "8", 8 },    { "abc", "8", 8 },  { "", "ocho", 1 },  { "-1", "0", 1 },
    };
    for (const auto &[stored, ttl, seconds] : cases) {
        SCOPED_TRACE(stored ? stored : "<none>");
        config.alerts_ttl = QString::fromLatin1(ttl);
        ASSERT_TRUE(!stored || SetAlertsSeconds(QString::fromLatin1(stored)));
        EXPECT_EQ(AlertsDisplaySeconds(config), seconds);
    }
}

} // namespace
} // namespace tavrin
