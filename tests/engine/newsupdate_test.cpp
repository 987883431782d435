// UpdateNews against a loopback server: documents each run reads, new items, quiet new feeds, failures.
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

// News and user-feed sections (the all-sections document gzipped, news gzip-encoded); feeds 55, 56, "a b".
class UpdateNewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_server.gzipFile("/all.xml", newsDoc("<section id='news'>{n1@0}</section>"));
        m_server.gzipEncoded("/news.xml", newsDoc("<section id='news'>{n2@1}</section>"));
        m_server.serve("/mine.xml", newsDoc("<section id='mine'>{m1@2}</section>"));
        m_config.sections_xml_url = m_server.url("/all.xml");
        Section news, mine;
        news.id = u"news"_s;
        news.xml_url = m_server.url("/news.xml");
        mine.id = u"mine"_s;
        mine.html_url = mine.xml_url = m_server.url("/mine.xml"); // its page is never fetched here
        mine.user_rss_xml_url = m_server.url("/feeds/@SUBSECTION@.xml");
        m_config.sections = { news, mine };
        addFeed("55", true, "{f55@3}");
        addFeed("56", false, "{f56@4}");
        addFeed("a b", true, "{fa b@7}");
    }
    // A user feed, its selection and its document.
    void addFeed(const std::string &id, bool selected, const std::string &items)
    {
        const std::string body
            = "<section id='mine'><subsection id='" + id + "'>" + items + "</subsection></section>";
        m_server.serve("/feeds/" + id + ".xml", newsDoc(body));
        const QString feed = QString::fromStdString(id);
        ASSERT_TRUE(StoreOtherMedium({ feed, feed }) && SetSectionSelected(u"mine_"_s + feed, selected));
    }
    bool update(bool initial) { return UpdateNews(m_services.core(), m_config, initial); }
    QStringList pending() const { return test::newsIds(m_services.news.copyPendingAlerts()); }

    test::TestServer m_server;
    // Goes before the server does, closing the kept-alive connections the server would wait for.
    test::TestServices<> m_services;
    ClientConfig m_config;
};

TEST_F(UpdateNewsTest, DocumentsEachKindOfRunReadsAndItemsNeverSeenPending)
{
    // Run, initial, alerts on, feed section chosen, requests so far (all, news, mine, 55, 56), pending after.
    const std::tuple<const char *, bool, bool, bool, std::vector<int>, QStringList> steps[] = {
        { "initial: all", true, false, true, { 1, 1, 1, 1, 1 }, { "fa b", "f56", "f55", "m1", "n2", "n1" } },
        { "alerts off: only the all-sections document", false, false, true, { 2, 1, 1, 1, 1 }, {} },
        { "alerts on: user-feed section and selected feeds", false, true, true, { 3, 1, 2, 2, 1 }, {} },
        { "alerts on, the user-feed section not selected", false, true, false, { 4, 1, 2, 2, 1 }, {} },
        { "initial: whatever was chosen", true, false, false, { 5, 2, 3, 3, 2 }, {} },
    };
    for (const auto &[what, initial, otherMediaAlerts, mineSelected, expected, news] : steps) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(SetOtherMediaAlerts(otherMediaAlerts) && SetSectionSelected(u"mine"_s, mineSelected));
        EXPECT_TRUE(update(initial));
        std::vector<int> hits;
        for (const char *path : { "/all.xml", "/news.xml", "/mine.xml", "/feeds/55.xml", "/feeds/56.xml" })
            hits.push_back(m_server.hits(path));
        EXPECT_EQ(std::pair(hits, pending()), std::pair(expected, news));
    }
    // n1 moves to another section, n3 is new: only n3 is news.
    m_server.serve("/all.xml", newsDoc("<section id='sports'>{n1@0}{n3@9}</section>"));
    ASSERT_TRUE(update(false));
    EXPECT_EQ(pending(), QStringList { "n3" });
    // A template without the placeholder is fetched once for every feed.
    m_config.sections[1].user_rss_xml_url = m_server.url("/feeds/55.xml");
    ASSERT_TRUE(update(true));
    EXPECT_EQ(m_server.hits("/feeds/55.xml"), 3 + 3);
}

TEST_F(UpdateNewsTest, FailuresEndTheUpdateKeepingWhatWasRead)
{
    // The document that fails, its body and status, how many documents (of one item each) were read before.
    const std::tuple<std::string, std::string, int, int> cases[] = { { "/all.xml", "gone", 404, 0 },
                                                                     { "/mine.xml", "error", 500, 2 },
                                                                     { "/feeds/56.xml", "<html/>", 200, 4 } };
    for (const auto &[path, body, status, read] : cases) {
        SetUp();
        m_server.serve(path, body, status);
        test::TestServices<> fresh; // a store that read nothing yet
        EXPECT_FALSE(UpdateNews(fresh.core(), m_config, true)) << path;
        EXPECT_EQ(fresh.news.seenCount(), read) << path;
    }
}

TEST_F(UpdateNewsTest, JustRegisteredFeedIsFetchedAndReadQuietly)
{
    addFeed("57", true, "{f57@20}");
    m_services.news.addJustRegistered(u"mine_57"_s); // as the registration dialog does
    ASSERT_TRUE(update(true));
    EXPECT_FALSE(m_services.news.isJustRegistered(u"mine_57"_s));
    EXPECT_TRUE(m_services.news.isSeen(u"f57"_s) && !pending().contains(u"f57"_s));
}

} // namespace
} // namespace tavrin
