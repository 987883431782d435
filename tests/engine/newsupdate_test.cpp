// UpdateNews against a real HTTP server on loopback: which documents each run reads, new and moved
// items, quiet first reads of registered feeds, failures.
#include "config/selection.h"
#include "engine/newsupdate.h"
#include "settings/settings.h"
#include "support/newsdocs.h"
#include "support/services.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::newsDoc;

std::string feed(const std::string &id, const std::string &items)
{
    return newsDoc("<section id='mine'><subsection id='" + id + "'>" + items + "</subsection></section>");
}

void registerFeed(const QString &id, bool selected)
{
    ASSERT_TRUE(StoreOtherMedium({ id, u"Feed "_s + id }));
    ASSERT_TRUE(SetSectionSelected(u"mine_"_s + id, selected));
}

// A section of news and the section of the user's feeds, each with its own document; feed 55 selected,
// feed 56 not.
class UpdateNewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        serve("/all.xml", newsDoc("<section id='news'>{n1@0}</section>"));
        serve("/news.xml", newsDoc("<section id='news'>{n2@1}</section>"));
        serve("/mine.xml", newsDoc("<section id='mine'>{m1@2}</section>"));
        serve("/feeds/55.xml", feed("55", "{f55@3}"));
        serve("/feeds/56.xml", feed("56", "{f56@4}"));
        m_config.sections_xml_url = m_server.url("/all.xml");
        Section news;
        news.id = u"news"_s;
        news.active = true;
        news.xml_url = m_server.url("/news.xml");
        Section mine = news;
        mine.id = u"mine"_s;
        mine.html_url = m_server.url("/mine.html");
        mine.xml_url = m_server.url("/mine.xml");
        mine.user_rss_xml_url = m_server.url("/feeds/@SUBSECTION@.xml");
        m_config.sections = { news, mine };
        registerFeed(u"55"_s, true);
        registerFeed(u"56"_s, false);
    }

    void serve(const std::string &path, const std::string &body, int status = 200)
    {
        m_server.serve(path, body, status, "text/xml");
    }
    bool update(bool initial) { return UpdateNews(m_services.core(), m_config, initial); }
    QStringList pending() const { return test::newsIds(m_services.news.copyPendingAlerts()); }
    QStringList unseen(const QStringList &ids) const { return test::unseen(m_services.news, ids); }

    test::TestServer m_server;
    // Goes before the server does, closing the kept-alive connections the server would wait for.
    test::TestServices<> m_services;
    ClientConfig m_config;
};

TEST_F(UpdateNewsTest, DocumentsReadByEachKindOfRun)
{
    const struct {
        const char *what;
        bool initial;
        bool otherMediaAlerts;
        bool mineSelected;
        std::vector<int> hits; // requests so far of all, news, mine, feed 55 and feed 56
    } steps[] = {
        { "initial run reads everything", true, false, true, { 1, 1, 1, 1, 1 } },
        { "other-media alerts off: only the all-sections document", false, false, true, { 2, 1, 1, 1, 1 } },
        { "on: the user-feed section and its selected feeds", false, true, true, { 3, 1, 2, 2, 1 } },
        { "on, but the user-feed section is not selected", false, true, false, { 4, 1, 2, 2, 1 } },
        { "initial run ignores the choices", true, false, false, { 5, 2, 3, 3, 2 } },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(SetOtherMediaAlerts(step.otherMediaAlerts));
        ASSERT_TRUE(SetSectionSelected(u"mine"_s, step.mineSelected));
        EXPECT_TRUE(update(step.initial));
        std::vector<int> hits;
        for (const char *path : { "/all.xml", "/news.xml", "/mine.xml", "/feeds/55.xml", "/feeds/56.xml" })
            hits.push_back(m_server.hits(path));
        EXPECT_EQ(hits, step.hits);
    }
    EXPECT_EQ(unseen({ "n1", "n2", "m1", "f55", "f56" }), QStringList());
}

TEST_F(UpdateNewsTest, OnlyItemsNeverSeenArePendingAfterEachRun)
{
    ASSERT_TRUE(update(true));
    EXPECT_EQ(pending(), (QStringList { "f56", "f55", "m1", "n2", "n1" }));
    // n1 moves to another section, n3 is new: only n3 is news, and the earlier pending set is gone.
    serve("/all.xml", newsDoc("<section id='sports'>{n1@0}</section><section id='news'>{n3@9}</section>"));
    ASSERT_TRUE(update(false));
    EXPECT_EQ(pending(), QStringList { "n3" });
    // An item that disappears and comes back is not announced again either.
    serve("/all.xml", newsDoc("<section id='news'>{n4@10}</section>"));
    ASSERT_TRUE(update(false));
    serve("/all.xml", newsDoc("<section id='news'>{n3@9}{n4@10}</section>"));
    ASSERT_TRUE(update(false));
    EXPECT_TRUE(pending().isEmpty());
}

TEST_F(UpdateNewsTest, CompressedDocuments)
{
    m_server.gzipFile("/all.xml", newsDoc("<section id='news'>{gz1}{gz2}</section>"));
    m_server.gzipEncoded("/news.xml", newsDoc("<section id='news'>{gz3@2}</section>"));
    ASSERT_TRUE(update(true));
    EXPECT_EQ(unseen({ "gz1", "gz2", "gz3" }), QStringList());
}

TEST_F(UpdateNewsTest, FailuresEndTheUpdateKeepingWhatWasRead)
{
    const std::tuple<std::string, std::string, int, const char *> cases[] = {
        // The document that fails, its body and status, the ids read before the update ended.
        { "/all.xml", "gone", 404, "" }, // the all-sections document missing, of the wrong root, empty
        { "/all.xml", "<news/>", 200, "" },
        { "/all.xml", "", 200, "" },
        { "/mine.xml", "error", 500, "n1 n2" }, // a section's document fails or breaks off
        { "/news.xml", newsDoc("<section id='news'>{n2@1}<ad/>{n9@5}</section>"), 200, "n1 n2" },
        { "/feeds/56.xml", "<html/>", 200, "n1 n2 m1 f55" }, // a user feed fails
    };
    for (const auto &[path, body, status, ids] : cases) {
        SCOPED_TRACE(path + " " + body);
        SetUp();
        serve(path, body, status);
        test::TestServices<> fresh; // a store that read nothing yet
        const QStringList seen = QString::fromLatin1(ids).split(u' ', Qt::SkipEmptyParts);
        EXPECT_FALSE(UpdateNews(fresh.core(), m_config, true));
        EXPECT_EQ(fresh.news.seenCount(), seen.size());
        EXPECT_EQ(test::unseen(fresh.news, seen), QStringList());
    }
}

TEST_F(UpdateNewsTest, FeedAddressesFromTheTemplate)
{
    // Identifiers with blanks still reach the server.
    registerFeed(u"two words"_s, true);
    serve("/feeds/two words.xml", feed("two words", "{tw@7}"));
    ASSERT_TRUE(update(true));
    EXPECT_EQ(m_server.hits("/feeds/two words.xml"), 1);
    EXPECT_EQ(unseen({ "tw" }), QStringList());
    // A template without the placeholder is fetched once for every feed.
    m_config.sections[1].user_rss_xml_url = m_server.url("/feeds/all.xml");
    serve("/feeds/all.xml", feed("55", "{f@3}"));
    ASSERT_TRUE(update(true));
    EXPECT_EQ(m_server.hits("/feeds/all.xml"), 3);
    EXPECT_EQ(m_server.hits("/feeds/55.xml"), 1);
}

TEST_F(UpdateNewsTest, RegisteredFeedIsReadQuietlyThroughTheServices)
{
    // The live configuration and the news store, as the refresh engine and the registration dialog use them.
    m_services.config.replace(m_config);
    ASSERT_TRUE(SetOtherMediaAlerts(true));
    ASSERT_TRUE(update(true));
    Subsection added;
    added.id = u"57"_s;
    added.name = u"Nuevo"_s;
    added.key = u"mine_57"_s;
    added.active = true;
    added.user_added = true;
    serve("/feeds/57.xml", feed("57", "{r1@20}{r2@21}"));
    ASSERT_TRUE(AddOtherMedia(added));
    m_services.news.addJustRegistered(added.key);

    const auto live = m_services.config.snapshot();
    ASSERT_TRUE(UpdateNews(m_services.core(), *live, false));
    EXPECT_EQ(m_server.hits("/feeds/57.xml"), 1);
    EXPECT_FALSE(m_services.news.isJustRegistered(added.key));
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(unseen({ "r1", "r2" }), QStringList());
    EXPECT_TRUE(IsKeySelected(*live, added.key));
    EXPECT_EQ(KeyDisplayName(*live, added.key), u"Nuevo"_s);
}

} // namespace
} // namespace tavrin
