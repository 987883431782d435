// The news set and the reading of sections_news documents into the store: walking rules, seen items,
// pending alerts, quiet first reads, unreadable dates, user-feed addresses, thread safety.
#include "base/clock.h"
#include "news/newsstore.h"
#include "support/newsdocs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::newsIds;
using test::unseen;

QByteArray doc(const std::string &pattern)
{
    return QByteArray::fromStdString(test::newsDoc(pattern));
}

TEST(NewsSet, NewestFirstAndOneRecordPerTime)
{
    NewsSet set;
    // Records by id and time only.
    EXPECT_TRUE(set.insert({ u"b"_s, {}, {}, {}, {}, 200 }));
    EXPECT_TRUE(set.insert({ u"a"_s, {}, {}, {}, {}, 100 }));
    EXPECT_TRUE(set.insert({ u"c"_s, {}, {}, {}, {}, 300 }));
    EXPECT_FALSE(set.insert({ u"d"_s, {}, {}, {}, {}, 200 })); // same time: the one already there stays
    EXPECT_EQ(newsIds(set), (QStringList { "c", "b", "a" }));
    EXPECT_EQ(set.newest().id, u"c"_s);
    EXPECT_TRUE(set.containsTime(200));
    EXPECT_TRUE(set.erase(300));
    EXPECT_FALSE(set.erase(300));
    EXPECT_EQ(set.size(), 2);
    const NewsSet copy = set; // a plain value: the copy keeps its records
    set.clear();
    EXPECT_TRUE(set.isEmpty());
    EXPECT_EQ(newsIds(copy), (QStringList { "b", "a" }));
}

class NewsStoreTest : public testing::Test {
protected:
    bool parse(const std::string &pattern) { return m_store.parseSectionsNews(doc(pattern)); }
    QStringList pending() const { return newsIds(m_store.copyPendingAlerts()); }

    ManualClock m_clock { 1800000000 };
    NewsStore m_store { m_clock };
};

TEST(NewsStore, WalkingRules)
{
    // No sections_news document at all: nothing is read.
    for (const char *text :
         { "", "sections_news", "<news id='1'><title>t</title><url>u</url></news>",
           "<Sections_News><section id='a'><news id='1'><title>t</title><url>u</url></news>"
           "</section></Sections_News>" }) {
        ManualClock clock;
        NewsStore store(clock);
        EXPECT_FALSE(store.parseSectionsNews(text)) << text;
        EXPECT_EQ(store.seenCount(), 0) << text;
    }
    const std::tuple<bool, const char *, std::string> cases[] = {
        // Whether the walk ended normally, the ids read in document order, the document.
        { true, "1 2 3", "<section id='a'>{1}{2}</section><section id='b'>{3}</section>" },
        { true, "", "" },
        { false, "", "<section id='a'>{1}" }, // malformed
        // Between sections, a comment or text ends the document, a foreign element fails it.
        { true, "1", "<section id='a'>{1}</section><!-- x --><section id='b'>{2}</section>" },
        { true, "1", "<section id='a'>{1}</section>stray<section id='b'>{2}</section>" },
        { false, "1", "<section id='a'>{1}</section><other/><section id='b'>{2}</section>" },
        // In a section, a foreign element fails the document, a comment ends the section only.
        { false, "1", "<section id='a'>{1}<ad/>{2}</section><section id='b'>{3}</section>" },
        { true, "1 3", "<section id='a'>{1}<!-- x -->{2}<ad/></section><section id='b'>{3}</section>" },
        // A section without id is skipped with its content.
        { true, "3",
          "<section name='n'>{1}<ad/></section><section id=''>{2}</section><section id='b'>{3}</section>" },
        // In a subsection, other elements are skipped and a comment ends it.
        { true, "1 2 4",
          "<section id='a'><subsection id='s'>{1}<ad/>{2}<!-- x -->{3}</subsection>{4}</section>" },
        // Items without id, title or url are skipped; children of other names do not matter.
        { true, "ok x",
          "<section id='a'><news><title>t</title><url>u</url></news><news id='n1'><url>u</url></news>"
          "<news id='n2'><title>t</title></news><news id='n3'><title></title><url>u</url></news>{ok}"
          "<news id='x'><title>t</title><url>u</url><extra>e</extra></news></section>" },
    };
    for (const auto &[ok, ids, pattern] : cases) {
        SCOPED_TRACE(pattern);
        const QStringList seen = QString::fromLatin1(ids).split(u' ', Qt::SkipEmptyParts);
        ManualClock clock;
        NewsStore store(clock);
        QStringList visited;
        EXPECT_EQ(store.parseSectionsNews(doc(pattern), [&](const NewsRecord &r) { visited.append(r.id); }),
                  ok);
        EXPECT_EQ(visited, seen);
        EXPECT_EQ(store.seenCount(), seen.size());
        EXPECT_EQ(unseen(store, seen), QStringList());
        EXPECT_EQ(store.copyPendingAlerts().size(), seen.size());
    }
}

TEST_F(NewsStoreTest, RecordFieldsAndKeys)
{
    std::vector<NewsRecord> read;
    ASSERT_TRUE(m_store.parseSectionsNews(
        doc("<section id='eco' name='Economy'><news id='e1'><title>Rates &amp; more</title>"
            "<url>http://x.test/e1</url><date>2024-01-15 10:00:00</date></news>"
            "<subsection id='bolsa' name='n'><news id='b1'><title><![CDATA[Ibex <up>]]></title><url>u</url>"
            "<date>2024-01-15 10:01:00</date></news></subsection><subsection>{anon}</subsection></section>"),
        [&](const NewsRecord &r) { read.push_back(r); }));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ((QStringList { read[0].section_key, read[0].title, read[0].url, read[0].date }),
              (QStringList { "eco", "Rates & more", "http://x.test/e1", "2024-01-15 10:00:00" }));
    EXPECT_EQ(read[1].section_key, u"eco_bolsa"_s);
    EXPECT_EQ(read[1].title, u"Ibex <up>"_s);
    EXPECT_EQ(read[1].time - read[0].time, 60);
    EXPECT_EQ(read[2].section_key, u"eco_"_s);
}

TEST_F(NewsStoreTest, SameSecondItemsMovedItemsAndClearing)
{
    // Two new items dated the same second: both are seen, only the first read is pending.
    ASSERT_TRUE(parse("<section id='a'>{first@5}{second@5}</section>"));
    EXPECT_EQ(unseen(m_store, { "first", "second" }), QStringList());
    EXPECT_EQ(pending(), QStringList { "first" });

    // The same item under another section is no news.
    ASSERT_TRUE(parse("<section id='b'>{first@5}{third@9}</section>"));
    const NewsSet set = m_store.copyPendingAlerts();
    EXPECT_EQ(newsIds(set), (QStringList { "third", "first" }));
    EXPECT_EQ(set.newest().section_key, u"b"_s);
    EXPECT_EQ(std::next(set.begin())->section_key, u"a"_s);

    m_store.clearPending();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_TRUE(m_store.isSeen(u"third"_s));
}

TEST_F(NewsStoreTest, UnreadableDatesTakeTheClocksTime)
{
    ASSERT_TRUE(
        parse("<section id='a'><news id='m13'><title>t</title><url>u</url><date>2024-13-01 10:00:00</date>"
              "</news><news id='nodate'><title>t</title><url>u</url></news>{old}</section>"));
    // Both undated items take the same current second, so the first one read holds it.
    EXPECT_EQ(pending(), (QStringList { "m13", "old" }));
    EXPECT_EQ(m_store.copyPendingAlerts().newest().time, 1800000000);
    EXPECT_TRUE(m_store.isSeen(u"nodate"_s));
}

TEST_F(NewsStoreTest, JustRegisteredFeedsAreReadQuietlyOnce)
{
    m_store.addJustRegistered(u"mine_77"_s);
    EXPECT_TRUE(m_store.isJustRegistered(u"mine_77"_s));
    ASSERT_TRUE(parse("<section id='mine'><subsection id='77'>{f1}{f2}</subsection>"
                      "<subsection id='78'>{g1}</subsection></section>"));
    EXPECT_FALSE(m_store.isJustRegistered(u"mine_77"_s));
    EXPECT_EQ(unseen(m_store, { "f1", "f2" }), QStringList());
    EXPECT_EQ(pending(), QStringList { "g1" });

    // From the second document on, the feed's new items are news.
    ASSERT_TRUE(parse("<section id='mine'><subsection id='77'>{f1}{f3@4}</subsection></section>"));
    EXPECT_EQ(pending(), (QStringList { "f3", "g1" }));

    m_store.addJustRegistered(u"mine_79"_s);
    m_store.forgetJustRegistered(u"mine_79"_s);
    EXPECT_FALSE(m_store.isJustRegistered(u"mine_79"_s));
}

TEST(NewsStore, UserFeedAddresses)
{
    const char *const cases[][3] = {
        // template, feed id, address
        { "http://x.test/u?f=@SUBSECTION@", "42", "http://x.test/u?f=42" },
        { "http://x.test/@SUBSECTION@/@SUBSECTION@.xml", "a", "http://x.test/a/a.xml" },
        { "http://x.test/all.xml", "42", "http://x.test/all.xml" },
        { "http://x.test/u?f=@SUBSECTION@", "a&b=c/d%20e", "http://x.test/u?f=a&b=c/d%20e" },
        { "http://x.test/u?f=@SUBSECTION@", "two words", "http://x.test/u?f=two%20words" },
        { "http://x.test/u?f=@SUBSECTION@", "ni\u00f1o|\"x\"\n", "http://x.test/u?f=ni%C3%B1o%7C%22x%22%0A" },
        { "http://x.test/u?f=@subsection@", "42", "http://x.test/u?f=@subsection@" }
    };
    for (const auto &c : cases)
        EXPECT_EQ(UserFeedUrl(QString::fromUtf8(c[0]), QString::fromUtf8(c[1])), QString::fromUtf8(c[2]))
            << c[0];
}

TEST_F(NewsStoreTest, ParsesWhileOtherThreadsCopyAndRegister)
{
    std::atomic<bool> done { false };
    std::thread reader([&] {
        while (!done.load()) {
            for (const NewsRecord &r : m_store.copyPendingAlerts())
                ASSERT_FALSE(r.id.isEmpty());
            m_store.addJustRegistered(u"a_q"_s);
            m_store.isSeen(u"x"_s);
        }
    });
    for (int round = 0; round < 30; ++round) {
        std::string body = "<section id='a'>";
        for (int i = 0; i < 20; ++i)
            body += "{" + std::to_string(round) + "-" + std::to_string(i) + "@"
                + std::to_string(round * 20 + i) + "}";
        ASSERT_TRUE(
            parse(body + "<subsection id='q'>{q" + std::to_string(round) + "}</subsection></section>"));
    }
    done = true;
    reader.join();
    EXPECT_EQ(m_store.seenCount(), 30 * 21);
}

} // namespace
} // namespace tavrin
