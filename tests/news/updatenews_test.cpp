// UpdateNews against a real HTTP server on loopback: which documents each run reads, new and moved
// items, quiet first reads of registered feeds, failures.
#include "settings/settings.h"
#include "config/clientconfig.h"
#include "config/liveconfig.h"
#include "net/httpclient.h"
#include "news/newsstore.h"
#include "support/newsdocs.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using test::TestServer;

using test::newsIds;
auto item = [](const std::string &id, int minute) { return test::newsItem(id, minute); };
auto doc = test::newsDocument;
auto section = test::newsSection;

std::string feed(const std::string &feedId, const std::string &body)
{
    return doc(section("mine", "<subsection id=\"" + feedId + "\">" + body + "</subsection>"));
}

void registerFeed(const QString &id, bool selected)
{
    ASSERT_TRUE(
        WriteRegistryString(RegistryRoot::CurrentUser, id, QStringLiteral("Feed ") + id, kOtherMediaKeyPath));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("mine_") + id, selected));
}

class UpdateNewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_server.serve("/all.xml", doc(section("news", item("n1", 0))), 200, "text/xml");
        m_server.serve("/news.xml", doc(section("news", item("n2", 1))), 200, "text/xml");
        m_server.serve("/mine.xml", doc(section("mine", item("m1", 2))), 200, "text/xml");
        m_server.serve("/feeds/55.xml", feed("55", item("f55", 3)), 200, "text/xml");
        m_server.serve("/feeds/56.xml", feed("56", item("f56", 4)), 200, "text/xml");

        m_config.sections_xml_url = m_server.url("/all.xml");
        Section news;
        news.id = QStringLiteral("news");
        news.name = QStringLiteral("Noticias");
        news.active = true;
        news.xml_url = m_server.url("/news.xml");
        Section mine;
        mine.id = QStringLiteral("mine");
        mine.name = QStringLiteral("Otros medios");
        mine.active = true;
        mine.html_url = m_server.url("/mine.html");
        mine.xml_url = m_server.url("/mine.xml");
        mine.user_rss_xml_url = m_server.url("/feeds/@SUBSECTION@.xml");
        m_config.sections = { news, mine };
        registerFeed(QStringLiteral("55"), true);
        registerFeed(QStringLiteral("56"), false);
    }

    std::map<std::string, int> hits() const
    {
        std::map<std::string, int> all;
        for (const char *path : { "/all.xml", "/news.xml", "/mine.xml", "/feeds/55.xml", "/feeds/56.xml" })
            all[path] = m_server.hits(path);
        return all;
    }

    TestServer m_server;
    // Goes before the server does, closing the kept-alive connections the server would wait for.
    InternetSession m_session;
    ClientConfig m_config;
    NewsStore m_store;
};

TEST_F(UpdateNewsTest, DocumentsReadByEachKindOfRun)
{
    using Hits = std::map<std::string, int>;
    struct Step {
        const char *what;
        bool initial;
        bool otherMediaAlerts;
        bool mineSelected;
        Hits expected; // requests so far
    };
    const Step steps[] = {
        { "initial run reads everything",
          true,
          false,
          true,
          { { "/all.xml", 1 },
            { "/news.xml", 1 },
            { "/mine.xml", 1 },
            { "/feeds/55.xml", 1 },
            { "/feeds/56.xml", 1 } } },
        { "other-media alerts off: only the all-sections document",
          false,
          false,
          true,
          { { "/all.xml", 2 },
            { "/news.xml", 1 },
            { "/mine.xml", 1 },
            { "/feeds/55.xml", 1 },
            { "/feeds/56.xml", 1 } } },
        { "on: the user-feed section and its selected feeds",
          false,
          true,
          true,
          { { "/all.xml", 3 },
            { "/news.xml", 1 },
            { "/mine.xml", 2 },
            { "/feeds/55.xml", 2 },
            { "/feeds/56.xml", 1 } } },
        { "on, but the user-feed section is not selected",
          false,
          true,
          false,
          { { "/all.xml", 4 },
            { "/news.xml", 1 },
            { "/mine.xml", 2 },
            { "/feeds/55.xml", 2 },
            { "/feeds/56.xml", 1 } } },
        { "initial run ignores the choices",
          true,
          false,
          false,
          { { "/all.xml", 5 },
            { "/news.xml", 2 },
            { "/mine.xml", 3 },
            { "/feeds/55.xml", 3 },
            { "/feeds/56.xml", 2 } } },
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(SetOtherMediaAlerts(step.otherMediaAlerts));
        ASSERT_TRUE(SetSectionSelected(QStringLiteral("mine"), step.mineSelected));
        EXPECT_TRUE(m_store.updateNews(m_config, step.initial));
        EXPECT_EQ(hits(), step.expected);
    }
    for (const char *id : { "n1", "n2", "m1", "f55", "f56" })
        EXPECT_TRUE(m_store.isSeen(QString::fromLatin1(id))) << id;
}

TEST_F(UpdateNewsTest, OnlyItemsNeverSeenArePending)
{
    ASSERT_TRUE(m_store.updateNews(m_config, true));
    EXPECT_EQ(newsIds(m_store.copyPendingAlerts()), (QStringList { "f56", "f55", "m1", "n2", "n1" }));

    // n1 moves to another section, n3 is new: only n3 is news, and the earlier pending set is gone.
    m_server.serve("/all.xml", doc(section("sports", item("n1", 0)) + section("news", item("n3", 9))), 200,
                   "text/xml");
    ASSERT_TRUE(m_store.updateNews(m_config, false));
    EXPECT_EQ(newsIds(m_store.copyPendingAlerts()), QStringList { "n3" });

    // An item that disappears and comes back is not announced again either.
    m_server.serve("/all.xml", doc(section("news", item("n4", 10))), 200, "text/xml");
    ASSERT_TRUE(m_store.updateNews(m_config, false));
    EXPECT_EQ(newsIds(m_store.copyPendingAlerts()), QStringList { "n4" });
    m_server.serve("/all.xml", doc(section("news", item("n3", 9) + item("n4", 10))), 200, "text/xml");
    ASSERT_TRUE(m_store.updateNews(m_config, false));
    EXPECT_TRUE(m_store.copyPendingAlerts().isEmpty());
}

TEST_F(UpdateNewsTest, CompressedDocuments)
{
    m_server.gzipFile("/all.xml", doc(section("news", item("gz1", 0) + item("gz2", 1))));
    m_server.gzipEncoded("/news.xml", doc(section("news", item("gz3", 2))));
    ASSERT_TRUE(m_store.updateNews(m_config, true));
    for (const char *id : { "gz1", "gz2", "gz3" })
        EXPECT_TRUE(m_store.isSeen(QString::fromLatin1(id))) << id;
}

TEST_F(UpdateNewsTest, FailuresEndTheUpdateKeepingWhatWasRead)
{
    struct Case {
        const char *what;
        std::string path;
        std::string body;
        int status;
        QStringList seen;
    };
    const Case cases[] = {
        { "all-sections document missing", "/all.xml", "gone", 404, {} },
        { "all-sections document with the wrong root", "/all.xml", "<news/>", 200, {} },
        { "empty all-sections document", "/all.xml", "", 200, {} },
        { "a section's document fails", "/mine.xml", "error", 500, { "n1", "n2" } },
        { "a section's document breaks off",
          "/news.xml",
          doc(section("news", item("n2", 1) + "<ad/>" + item("n9", 5))),
          200,
          { "n1", "n2" } },
        { "a user feed fails", "/feeds/56.xml", "<html/>", 200, { "n1", "n2", "m1", "f55" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        m_server.serve(c.path, c.body, c.status, "text/xml");
        NewsStore store;
        EXPECT_FALSE(store.updateNews(m_config, true));
        EXPECT_EQ(store.seenCount(), c.seen.size());
        for (const QString &id : c.seen)
            EXPECT_TRUE(store.isSeen(id)) << id.toStdString();
    }
}

TEST_F(UpdateNewsTest, TemplateWithoutPlaceholderIsFetchedForEveryFeed)
{
    m_config.sections[1].user_rss_xml_url = m_server.url("/feeds/all.xml");
    m_server.serve("/feeds/all.xml",
                   doc(section("mine", "<subsection id=\"55\">" + item("f", 3) + "</subsection>")), 200,
                   "text/xml");
    ASSERT_TRUE(m_store.updateNews(m_config, true));
    EXPECT_EQ(m_server.hits("/feeds/all.xml"), 2);
    EXPECT_EQ(m_server.hits("/feeds/55.xml"), 0);
}

TEST_F(UpdateNewsTest, FeedIdentifiersWithBlanksStillReachTheServer)
{
    registerFeed(QStringLiteral("two words"), true);
    m_server.serve("/feeds/two words.xml", feed("two words", item("tw", 7)), 200, "text/xml");
    ASSERT_TRUE(m_store.updateNews(m_config, true));
    EXPECT_EQ(m_server.hits("/feeds/two words.xml"), 1);
    EXPECT_TRUE(m_store.isSeen(QStringLiteral("tw")));
}

TEST_F(UpdateNewsTest, RegisteredFeedIsReadQuietlyThroughTheLiveStore)
{
    // The process's store and configuration, as the refresh engine and the registration dialog use them.
    liveConfig().replace(m_config);
    ASSERT_TRUE(SetOtherMediaAlerts(true));
    ASSERT_TRUE(UpdateNews(true));

    Subsection added;
    added.id = QStringLiteral("57");
    added.name = QStringLiteral("Nuevo");
    added.key = QStringLiteral("mine_57");
    added.active = true;
    added.user_added = true;
    m_server.serve("/feeds/57.xml", feed("57", item("r1", 20) + item("r2", 21)), 200, "text/xml");
    ASSERT_TRUE(AddOtherMedia(added));
    EXPECT_TRUE(IsJustRegistered(QStringLiteral("mine_57")));

    ASSERT_TRUE(UpdateNews(false));
    EXPECT_EQ(m_server.hits("/feeds/57.xml"), 1);
    EXPECT_FALSE(IsJustRegistered(QStringLiteral("mine_57")));
    EXPECT_TRUE(CopyPendingAlerts().isEmpty());

    m_server.serve("/feeds/57.xml", feed("57", item("r1", 20) + item("r2", 21) + item("r3", 22)), 200,
                   "text/xml");
    ASSERT_TRUE(UpdateNews(false));
    EXPECT_EQ(newsIds(CopyPendingAlerts()), QStringList { "r3" });
    EXPECT_TRUE(IsKeySelected(QStringLiteral("mine_57")));
    EXPECT_EQ(KeyDisplayName(QStringLiteral("mine_57")), QStringLiteral("Nuevo"));
    liveConfig().replace(ClientConfig {});
}

} // namespace
} // namespace tavrin
