// The news set and the store: walking rules, record fields, pending and seen items, quiet first reads.
#include "base/clock.h"
#include "news/newsstore.h"
#include "support/newsdocs.h"

#include <gtest/gtest.h>

#include <thread>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

QByteArray doc(const std::string &pattern)
{
    return QByteArray::fromStdString(test::newsDoc(pattern));
}

class NewsStoreTest : public testing::Test {
protected:
    bool parse(const std::string &pattern) { return m_store.parseSectionsNews(doc(pattern), m_keep); }
    QStringList pending() const { return test::newsIds(m_store.copyPendingAlerts(), true); }

    ManualClock m_clock { 1800000000 };
    NewsStore m_store { m_clock };
    QList<NewsRecord> m_read; // every record read, in document order
    const NewsStore::RecordVisitor m_keep = [this](const NewsRecord &r) { m_read << r; };
};

TEST_F(NewsStoreTest, WalkingRules)
{
    // Whether the walk ended normally, the records read in document order, the document (none: nothing read).
    const std::tuple<bool, const char *, QByteArray> cases[] = {
        { false, "", "" },
        { false, "", doc("<section id='a'>{1}</section>").replace("sections_news", "Sections_News") },
        { false, "", doc("<section id='a'>{1}") }, // malformed
        { true, "", doc("") },
        { true, "a/1 a/2 b/3", doc("<section id='a'>{1}{2}</section><section id='b'>{3}</section>") },
        // Between sections, a comment or text ends the document, a foreign element fails it.
        { true, "a/1", doc("<section id='a'>{1}</section><!-- x --><other/>") },
        { true, "a/1", doc("<section id='a'>{1}</section>stray<other/>") },
        { false, "a/1", doc("<section id='a'>{1}</section><other/>") },
        // In a section a foreign element fails the document, a comment ends it; id-less sections are skipped.
        { false, "a/1", doc("<section id='a'>{1}<ad/>{2}</section>") },
        { true, "a/1 b/5",
          doc("<section id='a'>{1}<!-- x -->{2}<ad/></section><section name='n'>{3}<ad/></section>"
              "<section id=''>{4}</section><section id='b'>{5}</section>") },
        // In a subsection (keyed section_subsection), other elements are skipped and a comment ends it.
        { true, "a_s/1 a_s/2 a/4 a_/5",
          doc("<section id='a'><subsection id='s'>{1}<ad/>{2}<!-- x -->{3}</subsection>{4}"
              "<subsection>{5}</subsection></section>") },
        // Items without id, title or url are skipped; children of other names do not matter.
        { true, "a/x",
          doc("<section id='a'>{}<news id='n1'><url>u</url></news><news id='n2'><title>t</title></news>"
              "<news id='x'><title>t</title><url>u</url><b/></news></section>") },
    };
    for (const auto &[ok, records, text] : cases) {
        SCOPED_TRACE(text.toStdString());
        const QStringList expected = QString::fromLatin1(records).split(u' ', Qt::SkipEmptyParts);
        NewsStore store(m_clock);
        QStringList read;
        const auto visit = [&](const NewsRecord &r) { read << r.section_key + u'/' + r.id; };
        EXPECT_EQ(store.parseSectionsNews(text, visit), ok);
        EXPECT_EQ(std::pair(read, store.seenCount()), std::pair(expected, expected.size()));
    }
}

TEST_F(NewsStoreTest, RecordFieldsPendingAndSeenItems)
{
    ASSERT_TRUE(parse("<section id='a'>{e1@0}{b1@1}{s1@1}<news id='nd'>"
                      "<title>R &amp; <![CDATA[<up>]]></title><url>u</url></news></section>"));
    ASSERT_EQ(m_read.size(), 4);
    EXPECT_EQ((QStringList { m_read[0].title, m_read[0].url, m_read[0].date, m_read[3].title }),
              (QStringList { "T e1", "http://x.test/e1", "2024-01-15 10:00:00", "R & <up>" }));
    // Without a date, the clock's time; of two new items of one second only the first read is pending.
    EXPECT_EQ(std::tuple(m_read[1].time - m_read[0].time, m_read[3].time), std::tuple(60, 1800000000));
    EXPECT_EQ(pending(), (QStringList { "a/nd", "a/b1", "a/e1" }));
    EXPECT_TRUE(m_store.isSeen(u"s1"_s));
    // The pending set is a copy, newest first with one record per time.
    NewsSet set = m_store.copyPendingAlerts();
    EXPECT_TRUE(set.containsTime(1800000000) && set.erase(1800000000) && !set.erase(1800000000));
    EXPECT_EQ(std::tuple(set.newest().id, pending().size()), std::tuple(u"b1"_s, 3));
    // A new round: the same item under another section is no news.
    m_store.clearPending();
    ASSERT_TRUE(parse("<section id='b'>{e1}{n1@9}</section>"));
    EXPECT_EQ(pending(), QStringList { "b/n1" });
}

TEST_F(NewsStoreTest, JustRegisteredFeedsAreReadQuietlyOnce)
{
    m_store.addJustRegistered(u"mine_77"_s);
    m_store.addJustRegistered(u"mine_79"_s);
    m_store.forgetJustRegistered(u"mine_79"_s); // registration undone: its items are news
    ASSERT_TRUE(parse("<section id='mine'><subsection id='77'>{f1}{f2}</subsection>"
                      "<subsection id='79'>{g1}</subsection></section>"));
    EXPECT_EQ(test::unseen(m_store, { "f1", "f2" }), QStringList());
    EXPECT_EQ(pending(), QStringList { "mine_79/g1" });
    // From the second document on, the feed's new items are news.
    ASSERT_TRUE(parse("<section id='mine'><subsection id='77'>{f1}{f3@4}</subsection></section>"));
    EXPECT_EQ(pending(), (QStringList { "mine_77/f3", "mine_79/g1" }));
}

TEST(NewsStore, SeenIdsBeyondTheBoundForgetOnlyItemsNoLongerListed)
{
    ManualClock clock { 1800000000 };
    NewsStore store { clock, 2 };
    // Each round's items (null: the round's download failed), the pending ones, the ids then remembered:
    // beyond two, those absent from the last two rounds that read items go, least recently read first.
    const std::tuple<const char *, const char *, qsizetype> rounds[] = {
        { "abc", "cba", 3 }, { "cd", "d", 4 }, { "de", "e", 5 }, { nullptr, "", 3 }, // a and b forgotten
        { "e", "", 3 }, // the failed round aged nothing
        { "ace", "ca", 4 }, // c forgotten; back, a and c are news again
    };
    for (const auto &[items, pending, remembered] : rounds) {
        SCOPED_TRACE(items ? items : "failed");
        store.clearPending();
        std::string body;
        for (const char *c = items; c && *c; ++c)
            body += test::newsItem(std::string(1, *c), *c);
        store.parseSectionsNews(items ? doc("<section id='s'>" + body + "</section>") : QByteArray());
        EXPECT_EQ(test::newsIds(store.copyPendingAlerts()).join(""), pending);
        EXPECT_EQ(store.seenCount(), remembered);
    }
    // A flood of invented ids: an item listed all along never comes back, the store stays bounded.
    for (int round = 0; round < 20; ++round) {
        store.clearPending();
        std::string body = test::newsItem("e", 0);
        for (int i = 1; i <= 50; ++i)
            body += test::newsItem(std::to_string(round * 100 + i), i);
        ASSERT_TRUE(store.parseSectionsNews(doc("<section id='s'>" + body + "</section>")));
        EXPECT_EQ(store.copyPendingAlerts().size(), 50);
        EXPECT_LE(store.seenCount(), 2 + 3 * 51); // the bound and three rounds' items
    }
}

TEST(NewsStore, UserFeedAddresses)
{
    // Template, feed id, address: what an address may hold passes unescaped.
    const char *const cases[][3] = { { "@SUBSECTION@/@SUBSECTION@.xml", "a", "a/a.xml" },
                                     { "f=@SUBSECTION@", "a&b=c/d%20e", "f=a&b=c/d%20e" },
                                     { "f=@SUBSECTION@", "\u00f1 |\"\n", "f=%C3%B1%20%7C%22%0A" },
                                     { "f=@subsection@", "42", "f=@subsection@" } };
    for (const auto &c : cases)
        EXPECT_EQ(UserFeedUrl(QString::fromUtf8(c[0]), QString::fromUtf8(c[1])), QString::fromUtf8(c[2]));
}

TEST_F(NewsStoreTest, ParsesWhileOtherThreadsCopyAndRegister)
{
    std::jthread reader([&](std::stop_token stop) { // stops and joins at the end
        for (; !stop.stop_requested(); m_store.addJustRegistered(u"a_q"_s))
            for (const NewsRecord &r : m_store.copyPendingAlerts())
                EXPECT_TRUE(m_store.isSeen(r.id)); // whatever is pending was seen
    });
    for (int round = 0; round < 30; ++round) {
        std::string body = "<section id='a'><subsection id='q'>{q" + std::to_string(round) + "}</subsection>";
        for (int i = round * 20; i < round * 20 + 20; ++i)
            body += test::newsItem(std::to_string(i), i);
        EXPECT_TRUE(parse(body + "</section>"));
    }
    EXPECT_EQ(m_store.seenCount(), 30 * 21);
}

} // namespace
} // namespace tavrin
