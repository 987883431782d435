// The loader's verdict on every configuration case, the values it reads, and the target it leaves alone.
#include "config/configloader.h"
#include "settings/settings.h"
#include "support/configfixture.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>

using namespace tavrin;
using test::describeConfig;

namespace {

// Every field of good.xml as read.
const QStringList kGood = {
    "url: ~/clientconfig.xml",
    "app: 1.0.0.11 ~/tavrin-setup",
    "monitoring: ~/ok.txt",
    "image logo: logo 12 ~/img/logo.gif", // ascending identifier order
    "image tavrin_icon: tavrin_icon 3735928559 ~/img/icon.png", // above 2^31: held whole
    "text new_app_version: Hay una versión nueva.",
    "sections: ~/news.html ~/news.xml",
    R"(section portada: "Portada" active ads "<p>anuncio</p>" urls "" "" "")",
    R"(subsections portada: local=portada_local "Local" active, mundo=portada_mundo "Mundo")",
    R"(section otros: "Otros medios" ads "otros" urls "~/otros.html" "~/otros.xml" "~/rss/@SUBSECTION@.xml")",
    "subsections otros:",
    "window: 300x400 title 0,0,300,20",
    "main borders: 0000ff/1 80ff00/2", // colours as 0x00BBGGRR
    "header: <div>@SECTIONS@</div>",
    "urgent: ~/urgent.html 60",
    "news: 120",
    "loading: ~/loading.html",
    "add feed: ~/add?name=@USER_RSS_NAME@",
    R"(alerts: ttl "8" max 3 reload 300)",
    "alerts html: <b>alerta</b>",
    "alerts borders: ff0000/3",
};

// A configuration unlike every case's, so that a load merging into its target instead of replacing it shows.
ClientConfig earlier()
{
    ClientConfig c;
    c.url = c.app_version = c.app_url = c.monitoring_url = c.sections_html_url = c.sections_xml_url
        = c.header_html = c.loading_url = c.urgent_url = c.add_user_rss_url = c.alerts_ttl = c.alerts_html
        = QStringLiteral("earlier");
    c.main_width = c.main_height = c.news_reload = c.urgent_reload = c.max_news_per_show = c.alerts_reload
        = 7;
    c.title_rect = { 1, 2, 3, 4 };
    c.images.try_emplace(c.url, ConfigImage { c.url, 7, c.url });
    c.texts.try_emplace(c.url, c.url);
    c.sections.append(Section { c.url, c.url, c.url, true, c.url, c.url, c.url, {} });
    c.main_borders = c.alerts_borders = { Border { 7, 7 } };
    return c;
}

} // namespace

TEST(ConfigLoader, VerdictOfEveryCase)
{
    const QString path = test::PrivateFoldersListener::root() + QStringLiteral("/clientconfig.xml");
    QStringList labels;
    for (const test::ConfigCase &c : test::configCases()) {
        SCOPED_TRACE(c.label.toStdString());
        labels << c.label;
        ASSERT_TRUE(test::writeFile(path, c.document));
        ClientConfig fromFile = earlier();
        ClientConfig fromText;
        QString fileReason;
        QString textReason;
        const bool accepted = LoadConfigurationFile(path, fromFile, &fileReason);
        const QString verdict
            = accepted ? QStringLiteral("accepted") : QStringLiteral("rejected: ") + fileReason;
        EXPECT_EQ(verdict, c.verdict);
        EXPECT_EQ(fileReason.isEmpty(), accepted);

        // The downloaded-text entry point agrees; the target is replaced whole or left untouched.
        EXPECT_EQ(LoadConfigurationText(c.document, fromText, &textReason), accepted);
        EXPECT_EQ(textReason, fileReason);
        EXPECT_EQ(describeConfig(fromFile), describeConfig(accepted ? fromText : earlier()));
        if (accepted) {
            QStringList expected = kGood;
            for (const QString &change : c.changes) {
                const auto line = std::find_if(expected.begin(), expected.end(), [&](const QString &l) {
                    return l.section(u':', 0, 0) == change.section(u':', 0, 0);
                });
                ASSERT_NE(line, expected.end()) << qPrintable(change);
                *line = change;
            }
            EXPECT_EQ(describeConfig(fromText), expected);
        }
    }
    // Every document kept in the folder is one of the cases.
    const QDir dir(QStringLiteral(TAVRIN_SOURCE_DIR "/tests/data/config"));
    for (const QString &name : dir.entryList({ QStringLiteral("*.xml") }, QDir::Files)) {
        EXPECT_TRUE(labels.contains(name)) << qPrintable(name) << " has no expected verdict";
    }
}

TEST(ConfigLoader, MissingFileAndEmptyTextAreRejected)
{
    ClientConfig config = earlier();
    QString reason;
    EXPECT_FALSE(LoadConfigurationFile(test::PrivateFoldersListener::root() + QStringLiteral("/absent.xml"),
                                       config, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(LoadConfigurationText(QByteArray(), config, &reason));
    EXPECT_EQ(reason, QStringLiteral("the document is not well-formed XML"));
    EXPECT_EQ(describeConfig(config), describeConfig(earlier()));
}

TEST(ConfigLoader, UserFeedsTakePartInValidation)
{
    // A stored feed with a name passes, and it belongs to the section that carries user feeds.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("feed/1"),
                                    QStringLiteral("Mi blog"), kOtherMediaKeyPath));
    ClientConfig config;
    ASSERT_TRUE(LoadConfigurationText(test::fixtureBytes("config", "good"), config));
    const auto feed = config.FindSubsectionByKey(QStringLiteral("otros_feed/1"));
    ASSERT_TRUE(feed.has_value());
    EXPECT_EQ(feed->name, QStringLiteral("Mi blog"));

    // One feed stored with an empty name makes every accepted document fail; a document whose checks stop
    // earlier still reports its own first broken rule.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("feed2"), QString(),
                                    kOtherMediaKeyPath));
    const QString noSection = QStringLiteral("rejected: sections: there is no section");
    for (const test::ConfigCase &c : test::configCases()) {
        if (c.verdict != QStringLiteral("accepted") && c.verdict != noSection)
            continue;
        SCOPED_TRACE(c.label.toStdString());
        QString reason;
        EXPECT_FALSE(LoadConfigurationText(c.document, config, &reason));
        EXPECT_EQ("rejected: " + reason,
                  c.verdict == noSection
                      ? noSection
                      : R"(rejected: section "otros": the user's feed "feed2" has an empty name or id)");
    }
}

TEST(ConfigLoader, PlainDecimalParse)
{
    // The number a scanf-style read finds, 0 when it finds none.
    const std::pair<const char *, int> cases[]
        = { { "1abc", 1 }, { "abc", 0 }, { "- 4", 0 }, { "99999999999", 2147483647 } };
    for (const auto &[text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseDecimal(QString::fromUtf8(text)), value);
    }
}
