// Loader verdicts over fixture documents, the values read from them, and the untouched target on failure.
#include "settings/settings.h"
#include "config/configloader.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace tavrin;

namespace {

QString fixture(const char *name)
{
    return test::fixturePath("config", name);
}

ClientConfig mustLoad(const char *name)
{
    ClientConfig config;
    QString reason;
    EXPECT_TRUE(LoadConfigurationFile(fixture(name), config, &reason)) << name << ": " << qPrintable(reason);
    return config;
}

struct Verdict {
    const char *file;
    bool accepted;
    const char *reason; // a fragment of the first broken rule, for rejected documents
};

// Every fixture with the verdict the client must give and, when rejected, the rule that decides it.
const Verdict kVerdicts[] = {
    { "good", true, "" },
    { "comment_in_subsections", true, "" },
    { "other_element_in_subsections", true, "" },
    { "comment_in_borders", true, "" },
    { "news_explorer_with_url", true, "" },
    { "size_trailing_x", true, "" },
    { "size_blank_and_sign", true, "" },
    { "active_forms", true, "" },
    { "color_forms", true, "" },
    { "repeated_image", true, "" },
    { "repeated_text", true, "" },
    { "repeated_explorer", true, "" },
    { "several_subsections_lists", true, "" },
    { "ttl_with_letters", true, "" },
    { "title_pos_negative", true, "" },
    { "latin1_encoding", true, "" },

    { "malformed", false, "not well-formed" },
    { "comment_in_images", false, "images: holds" },
    { "text_in_images", false, "images: holds" },
    { "comment_in_texts", false, "texts: holds" },
    { "other_element_in_texts", false, "texts: holds" },
    { "comment_in_sections", false, "sections: holds" },
    { "comment_in_section", false, "section \"otros\": holds" },
    { "other_element_in_section", false, "section \"otros\": holds" },
    { "comment_in_explorers", false, "explorers: holds" },
    { "unknown_explorer", false, "unknown explorer id \"footer\"" },
    { "size_double_x", false, "size is not two numbers" },
    { "size_single_number", false, "size is not two numbers" },
    { "size_missing", false, "size is not two numbers" },
    { "no_main_window", false, "size is not two numbers" },
    { "no_prefs_window", false, "prefs_window: add_user_rss_url is missing" },
    { "empty_add_user_rss_url", false, "prefs_window: add_user_rss_url is missing" },
    { "parse_before_validation", false, "prefs_window" },

    { "title_pos_zero_width", false, "title_pos right" },
    { "title_pos_letters", false, "title_pos right" },
    { "title_pos_commas_only", false, "title_pos right" },
    { "title_pos_zero_height", false, "title_pos bottom" },
    { "validation_order", false, "title_pos right" },
    { "empty_root_url", false, "root element: url" },
    { "empty_monitoring_url", false, "monitoring: url" },
    { "empty_app_version", false, "app: version" },
    { "empty_app_url", false, "app: installer address" },
    { "empty_sections_html_url", false, "sections: html_url" },
    { "empty_sections_xml_url", false, "sections: xml_url" },
    { "missing_header_html", false, "header_and_sections" },
    { "missing_loading", false, "loading: url" },
    { "empty_urgent_url", false, "urgent: url" },
    { "empty_alerts_html", false, "alerts_window: the first explorer" },
    { "image_empty_url", false, "image \"logo\" has an empty address" },
    { "image_empty_id", false, "an image has an empty id" },
    { "text_empty_value", false, "text \"new_app_version\" is empty" },
    { "text_empty_id", false, "a text has an empty id" },
    { "no_sections", false, "there is no section" },
    { "section_empty_name", false, "section \"portada\": name" },
    { "section_empty_id", false, "id is empty" },
    { "section_without_ads", false, "section \"otros\": ads_html_code" },
    { "subsection_empty_name", false, "subsection \"portada_mundo\"" },
    { "subsection_empty_id", false, "subsection \"portada_\"" },
    { "no_user_feed_section", false, "no section has html_url" },
    { "width_below_one", false, "width is below 1" },
    { "height_below_one", false, "height is below 1" },
    { "alerts_reload_zero", false, "alerts_window: reload" },
    { "news_reload_missing", false, "news: reload" },
    { "urgent_reload_zero", false, "urgent: reload" },
    { "ttl_not_a_number", false, "ttl" },
    { "max_news_zero", false, "max_news_per_show" },
};

} // namespace

TEST(ConfigLoader, VerdictsOfFixtureDocuments)
{
    for (const Verdict &v : kVerdicts) {
        SCOPED_TRACE(v.file);
        ClientConfig fromFile;
        QString fileReason;
        EXPECT_EQ(LoadConfigurationFile(fixture(v.file), fromFile, &fileReason), v.accepted)
            << qPrintable(fileReason);

        // The downloaded-text entry point gives the same verdict and reason.
        ClientConfig fromText;
        QString textReason;
        EXPECT_EQ(LoadConfigurationText(test::fixtureBytes("config", v.file), fromText, &textReason),
                  v.accepted);
        EXPECT_EQ(textReason, fileReason);
        if (v.accepted) {
            EXPECT_TRUE(fileReason.isEmpty());
            EXPECT_EQ(fromText.url, fromFile.url);
        } else {
            EXPECT_TRUE(fileReason.contains(QString::fromUtf8(v.reason))) << qPrintable(fileReason);
        }
    }
}

TEST(ConfigLoader, EveryFixtureHasAVerdict)
{
    QStringList listed;
    for (const Verdict &v : kVerdicts) {
        listed << QString::fromUtf8(v.file) + QStringLiteral(".xml");
    }
    const QDir dir(QStringLiteral(TAVRIN_SOURCE_DIR "/tests/data/config"));
    for (const QString &name : dir.entryList({ QStringLiteral("*.xml") }, QDir::Files)) {
        EXPECT_TRUE(listed.contains(name)) << qPrintable(name) << " has no expected verdict";
    }
}

TEST(ConfigLoader, ReadsEveryFieldOfAGoodDocument)
{
    const ClientConfig c = mustLoad("good");
    EXPECT_EQ(c.url, QStringLiteral("http://127.0.0.1:8642/clientconfig.xml"));
    EXPECT_EQ(c.app_version, QStringLiteral("1.0.0.11"));
    EXPECT_EQ(c.app_url, QStringLiteral("http://127.0.0.1:8642/tavrin-setup"));
    EXPECT_EQ(c.monitoring_url, QStringLiteral("http://127.0.0.1:8642/ok.txt"));

    ASSERT_EQ(c.images.size(), 2u);
    const ConfigImage &icon = c.images.at(QStringLiteral("tavrin_icon"));
    EXPECT_EQ(icon.id, QStringLiteral("tavrin_icon"));
    EXPECT_EQ(icon.crc32, 3735928559u); // above 2^31: held whole
    EXPECT_EQ(icon.url, QStringLiteral("http://127.0.0.1:8642/img/icon.png"));
    EXPECT_EQ(c.images.begin()->first, QStringLiteral("logo")); // ascending identifier order
    EXPECT_EQ(c.texts.at(QStringLiteral("new_app_version")), QStringLiteral("Hay una versión nueva."));

    EXPECT_EQ(c.sections_html_url, QStringLiteral("http://127.0.0.1:8642/news.html"));
    EXPECT_EQ(c.sections_xml_url, QStringLiteral("http://127.0.0.1:8642/news.xml"));
    ASSERT_EQ(c.sections.size(), 2);
    const Section &front = c.sections[0];
    EXPECT_EQ(front.id, QStringLiteral("portada"));
    EXPECT_EQ(front.name, QStringLiteral("Portada"));
    EXPECT_EQ(front.ads_html_code, QStringLiteral("<p>anuncio</p>"));
    EXPECT_TRUE(front.active);
    EXPECT_TRUE(front.html_url.isEmpty());
    ASSERT_EQ(front.subsections.size(), 2);
    EXPECT_EQ(front.subsections[0].key, QStringLiteral("portada_local"));
    EXPECT_EQ(front.subsections[0].name, QStringLiteral("Local"));
    EXPECT_TRUE(front.subsections[0].active);
    EXPECT_FALSE(front.subsections[0].user_added);
    EXPECT_EQ(front.subsections[1].key, QStringLiteral("portada_mundo"));
    EXPECT_FALSE(front.subsections[1].active);
    const Section &other = c.sections[1];
    EXPECT_EQ(other.user_rss_xml_url, QStringLiteral("http://127.0.0.1:8642/rss/@SUBSECTION@.xml"));
    EXPECT_TRUE(CarriesUserFeeds(other));

    EXPECT_EQ(c.main_width, 300);
    EXPECT_EQ(c.main_height, 400);
    EXPECT_EQ(c.title_rect, (ConfigRect { 0, 0, 300, 20 }));
    ASSERT_EQ(c.main_borders.size(), 2);
    EXPECT_EQ(c.main_borders[0].color, 0x0000FFu);
    EXPECT_EQ(c.main_borders[0].width, 1);
    EXPECT_EQ(c.main_borders[1].color, 0x80FF00u);
    EXPECT_EQ(c.header_html, QStringLiteral("<div>@SECTIONS@</div>"));
    EXPECT_EQ(c.urgent_url, QStringLiteral("http://127.0.0.1:8642/urgent.html"));
    EXPECT_EQ(c.urgent_reload, 60);
    EXPECT_EQ(c.news_reload, 120);
    EXPECT_EQ(c.loading_url, QStringLiteral("http://127.0.0.1:8642/loading.html"));
    EXPECT_EQ(c.add_user_rss_url, QStringLiteral("http://127.0.0.1:8642/add?name=@USER_RSS_NAME@"));
    EXPECT_EQ(c.alerts_ttl, QStringLiteral("8"));
    EXPECT_EQ(c.max_news_per_show, 3);
    EXPECT_EQ(c.alerts_reload, 300);
    EXPECT_EQ(c.alerts_html, QStringLiteral("<b>alerta</b>"));
    ASSERT_EQ(c.alerts_borders.size(), 1);
    EXPECT_EQ(c.alerts_borders[0].color, 0xFF0000u);
    EXPECT_EQ(c.alerts_borders[0].width, 3);
}

TEST(ConfigLoader, ValuesOfAcceptedEdgeCases)
{
    EXPECT_EQ(mustLoad("comment_in_subsections").sections[0].subsections.size(), 1);
    EXPECT_EQ(mustLoad("other_element_in_subsections").sections[0].subsections.size(), 1);
    EXPECT_EQ(mustLoad("comment_in_borders").main_borders.size(), 1);
    EXPECT_EQ(mustLoad("news_explorer_with_url").news_reload, 120);

    const ClientConfig trailing = mustLoad("size_trailing_x");
    EXPECT_EQ(trailing.main_width, 300);
    EXPECT_EQ(trailing.main_height, 400);
    const ClientConfig signedSize = mustLoad("size_blank_and_sign");
    EXPECT_EQ(signedSize.main_width, 300);
    EXPECT_EQ(signedSize.main_height, 400);

    const ClientConfig active = mustLoad("active_forms");
    EXPECT_TRUE(active.sections[0].active); // "01"
    EXPECT_TRUE(active.sections[0].subsections[0].active); // "1abc"
    EXPECT_FALSE(active.sections[0].subsections[1].active); // "true"
    EXPECT_FALSE(active.sections[1].active); // "2"

    const ClientConfig colors = mustLoad("color_forms");
    EXPECT_EQ(colors.main_borders[0].color, 0xFFFFFFu); // three characters
    EXPECT_EQ(colors.main_borders[1].color, 0xFF8000u); // "zz" reads as 0

    const ClientConfig images = mustLoad("repeated_image");
    ASSERT_EQ(images.images.size(), 2u);
    EXPECT_EQ(images.images.at(QStringLiteral("logo")).crc32, 12u);
    EXPECT_EQ(images.images.at(QStringLiteral("logo")).url,
              QStringLiteral("http://127.0.0.1:8642/img/logo.gif"));
    EXPECT_EQ(mustLoad("repeated_text").texts.at(QStringLiteral("new_app_version")),
              QStringLiteral("Hay una versión nueva."));

    const ClientConfig explorers = mustLoad("repeated_explorer");
    EXPECT_EQ(explorers.urgent_url, QStringLiteral("http://127.0.0.1:8642/urgent2.html"));
    EXPECT_EQ(explorers.urgent_reload, 30);

    const ClientConfig lists = mustLoad("several_subsections_lists");
    ASSERT_EQ(lists.sections[0].subsections.size(), 1);
    EXPECT_EQ(lists.sections[0].subsections[0].key, QStringLiteral("portada_ultima"));
    EXPECT_EQ(lists.sections[0].subsections[0].name, QStringLiteral("Última"));

    EXPECT_EQ(mustLoad("ttl_with_letters").alerts_ttl, QStringLiteral(" 5 segundos"));
    EXPECT_EQ(mustLoad("title_pos_negative").title_rect, (ConfigRect { -5, -3, -1, 2 }));
    EXPECT_EQ(mustLoad("latin1_encoding").sections[0].name, QStringLiteral("Sección España"));
}

TEST(ConfigLoader, TargetUntouchedOnFailureAndReplacedWholeOnSuccess)
{
    ClientConfig config = mustLoad("repeated_explorer");
    const QString before = config.urgent_url;
    ASSERT_FALSE(before.isEmpty());

    for (const char *rejected : { "malformed", "no_prefs_window", "max_news_zero", "comment_in_images" }) {
        SCOPED_TRACE(rejected);
        EXPECT_FALSE(LoadConfigurationFile(fixture(rejected), config));
        EXPECT_EQ(config.urgent_url, before);
        EXPECT_EQ(config.urgent_reload, 30);
    }

    // A good document after a rejected one: exactly the good document, nothing of the earlier ones.
    ASSERT_TRUE(LoadConfigurationFile(fixture("comment_in_subsections"), config));
    EXPECT_EQ(config.urgent_url, QStringLiteral("http://127.0.0.1:8642/urgent.html"));
    EXPECT_EQ(config.urgent_reload, 60);
    EXPECT_EQ(config.sections[0].subsections.size(), 1);
}

TEST(ConfigLoader, MissingFileAndEmptyTextAreRejected)
{
    ClientConfig config = mustLoad("good");
    QTemporaryDir dir;
    QString reason;
    EXPECT_FALSE(LoadConfigurationFile(dir.filePath(QStringLiteral("absent.xml")), config, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(LoadConfigurationText(QByteArray(), config));
    EXPECT_FALSE(LoadConfigurationText(QByteArray("<clientconfig/>"), config, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("size"))) << qPrintable(reason);
    EXPECT_EQ(config.main_width, 300);
}

TEST(ConfigLoader, UserFeedsTakePartInValidation)
{
    // A stored feed with a name passes, and it belongs to the section that carries user feeds.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("feed/1"),
                                    QStringLiteral("Mi blog"), kOtherMediaKeyPath));
    const ClientConfig config = mustLoad("good");
    const auto feed = config.FindSubsectionByKey(QStringLiteral("otros_feed/1"));
    ASSERT_TRUE(feed.has_value());
    EXPECT_EQ(feed->name, QStringLiteral("Mi blog"));

    // One feed stored with an empty name makes every document with a user-feed section fail.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("feed2"), QString(),
                                    kOtherMediaKeyPath));
    for (const char *name : { "good", "latin1_encoding" }) {
        SCOPED_TRACE(name);
        ClientConfig target;
        QString reason;
        EXPECT_FALSE(LoadConfigurationFile(fixture(name), target, &reason));
        EXPECT_TRUE(reason.contains(QStringLiteral("the user's feed \"feed2\""))) << qPrintable(reason);
    }
    // A document whose checks stop earlier still reports its own first broken rule.
    ClientConfig target;
    QString reason;
    EXPECT_FALSE(LoadConfigurationFile(fixture("no_sections"), target, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("there is no section")));
}

TEST(ConfigLoader, PlainDecimalParse)
{
    const struct {
        const char *text;
        int value;
    } cases[] = {
        // The number a scanf-style read finds, 0 when it finds none.
        { "1abc", 1 },
        { "abc", 0 },
        { "- 4", 0 },
        { "99999999999", 2147483647 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDecimal(QString::fromUtf8(c.text)), c.value);
    }
}
