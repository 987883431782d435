// What the user follows: stored choices over the configured sections and feeds, and registering user feeds.
#include "base/paths.h"
#include "config/selection.h"
#include "settings/settings.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

Subsection subsection(const char *id, const char *key, const char *name, bool active, bool userAdded = false)
{
    Subsection s;
    s.id = QString::fromUtf8(id);
    s.key = QString::fromUtf8(key);
    s.name = QString::fromUtf8(name);
    s.active = active;
    s.user_added = userAdded;
    return s;
}

TEST(Selection, KeysAreSelectedAndNamedByTheirSectionOrSubsection)
{
    Section news;
    news.id = u"news"_s;
    news.name = u"Noticias"_s;
    news.active = true;
    // A subsection whose key equals a later section's id: the section wins.
    news.subsections
        = { subsection("local", "news_local", "Local", false), subsection("x", "mine", "Shadow", true) };
    Section mine; // the home of the user's feeds
    mine.id = u"mine"_s;
    mine.name = u"Otros medios"_s;
    mine.html_url = mine.xml_url = mine.user_rss_xml_url = u"http://x.test/@SUBSECTION@"_s;
    ClientConfig config;
    config.sections = { news, mine };
    ASSERT_TRUE(StoreOtherMedium({ u"55"_s, u"El Faro"_s }));
    ASSERT_TRUE(SetSectionSelected(u"mine_55"_s, false));

    const std::tuple<const char *, bool, const char *> cases[] = { { "news", true, "Noticias" },
                                                                   { "news_local", false, "Local" },
                                                                   { "mine", false, "Otros medios" },
                                                                   { "mine_55", false, "El Faro" },
                                                                   { "mine_56", false, "" },
                                                                   { "nowhere", false, "" },
                                                                   { "", false, "" } };
    for (const auto &[key, selected, name] : cases) {
        EXPECT_EQ(IsKeySelected(config, QString::fromLatin1(key)), selected) << key;
        EXPECT_EQ(KeyDisplayName(config, QString::fromLatin1(key)), QString::fromUtf8(name)) << key;
    }
    // The user's choices override the configured flags.
    for (const char *key : { "news", "news_local", "mine", "mine_55" }) {
        const bool before = IsKeySelected(config, QString::fromLatin1(key));
        ASSERT_TRUE(SetSectionSelected(QString::fromLatin1(key), !before));
        EXPECT_EQ(IsKeySelected(config, QString::fromLatin1(key)), !before) << key;
    }
}

TEST(Selection, UserFeedsAreStoredWithTheirSelection)
{
    // Only user feeds are stored or deleted; a configured one changes nothing.
    const Subsection configured = subsection("cfg", "mine_cfg", "Configured", true);
    EXPECT_FALSE(AddOtherMedia(configured));
    EXPECT_FALSE(RemoveOtherMedia(configured));
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));

    const Subsection feed = subsection("4711", "mine_4711", "El Diario", false, true);
    ASSERT_TRUE(AddOtherMedia(feed));
    EXPECT_EQ(ListOtherMedia(), (QList<OtherMedium> { { u"4711"_s, u"El Diario"_s } }));
    // Read back as a subsection of the section that carries the user's feeds.
    const Subsection loaded = LoadOtherMedia(u"mine"_s).value(0);
    EXPECT_EQ(loaded.key, u"mine_4711"_s);
    EXPECT_TRUE(loaded.active && loaded.user_added);
    bool on = true;
    ASSERT_TRUE(GetSectionSelected(u"mine_4711"_s, on));
    EXPECT_FALSE(on);
    EXPECT_TRUE(RemoveOtherMedia(feed));
    EXPECT_FALSE(RemoveOtherMedia(feed));
    EXPECT_TRUE(ListOtherMedia().isEmpty());

    // A feed that cannot be stored leaves no selection behind (which alone would still fit).
    {
        test::FileSizeLimit limit(static_cast<rlim_t>(test::readFile(SettingsFilePath()).size() + 100));
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(AddOtherMedia(subsection("9", "mine_9", std::string(300, 'n').c_str(), true, true)));
    }
    EXPECT_FALSE(GetSectionSelected(u"mine_9"_s, on));
    EXPECT_TRUE(ListOtherMedia().isEmpty());
}

} // namespace
} // namespace tavrin
