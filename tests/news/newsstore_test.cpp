// The news set and the reading of sections_news documents into the store: walking rules, seen items,
// pending alerts, quiet first reads, selection and names of section keys, thread safety.
#include "base/clock.h"
#include "settings/settings.h"
#include "config/clientconfig.h"
#include "config/xmldocument.h"
#include "news/newsstore.h"
#include "support/newsdocs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tavrin {
namespace {

NewsRecord record(const char *id, std::int64_t time, const char *key = "s")
{
    NewsRecord r;
    r.id = QString::fromLatin1(id);
    r.section_key = QString::fromLatin1(key);
    r.title = QStringLiteral("Title ") + r.id;
    r.url = QStringLiteral("http://example.test/") + r.id;
    r.time = time;
    return r;
}

using test::newsIds;

std::string item(const std::string &id, int minute, const std::string &extra = {})
{
    return test::newsItem(id, minute, extra);
}

QByteArray doc(const std::string &body)
{
    return QByteArray::fromStdString(test::newsDocument(body));
}

TEST(NewsSet, NewestFirstAndOneRecordPerTime)
{
    NewsSet set;
    EXPECT_TRUE(set.insert(record("b", 200)));
    EXPECT_TRUE(set.insert(record("a", 100)));
    EXPECT_TRUE(set.insert(record("c", 300)));
    EXPECT_FALSE(set.insert(record("d", 200))); // same time: the one already there stays
    EXPECT_EQ(newsIds(set), (QStringList { "c", "b", "a" }));
    EXPECT_EQ(set.newest().id, QStringLiteral("c"));
    EXPECT_TRUE(set.containsTime(200));
    EXPECT_TRUE(set.erase(300));
    EXPECT_FALSE(set.erase(300));
    EXPECT_EQ(set.size(), 2);
    NewsSet copy = set;
    set.clear();
    EXPECT_TRUE(set.isEmpty());
    EXPECT_EQ(newsIds(copy), (QStringList { "b", "a" }));
}

TEST(NewsStore, WalkingRules)
{
    struct Case {
        const char *what;
        QByteArray text;
        bool ok;
        QStringList seen; // in document order
    };
    const Case cases[] = {
        { "plain",
          doc("<section id=\"a\">" + item("1", 0) + item("2", 1) + "</section><section id=\"b\">"
              + item("3", 2) + "</section>"),
          true,
          { "1", "2", "3" } },
        { "empty text", QByteArray(), false, {} },
        { "not xml", QByteArray("sections_news"), false, {} },
        { "malformed", QByteArray("<sections_news><section id=\"a\">") + item("1", 0).c_str(), false, {} },
        { "wrong root", QByteArray("<news id=\"1\"><title>t</title><url>u</url></news>"), false, {} },
        { "root with other case",
          QByteArray("<Sections_News><section id=\"a\">") + item("1", 0).c_str()
              + "</section></Sections_News>",
          false,
          {} },
        { "empty document", doc(""), true, {} },
        { "comment between sections ends the document",
          doc("<section id=\"a\">" + item("1", 0) + "</section><!-- x --><section id=\"b\">" + item("2", 1)
              + "</section>"),
          true,
          { "1" } },
        { "text between sections ends the document",
          doc("<section id=\"a\">" + item("1", 0) + "</section>stray<section id=\"b\">" + item("2", 1)
              + "</section>"),
          true,
          { "1" } },
        { "foreign element at the root fails after what came before",
          doc("<section id=\"a\">" + item("1", 0) + "</section><other/><section id=\"b\">" + item("2", 1)
              + "</section>"),
          false,
          { "1" } },
        { "foreign element in a section fails after what came before",
          doc("<section id=\"a\">" + item("1", 0) + "<ad/>" + item("2", 1) + "</section><section id=\"b\">"
              + item("3", 2) + "</section>"),
          false,
          { "1" } },
        { "comment in a section ends that section only",
          doc("<section id=\"a\">" + item("1", 0) + "<!-- x -->" + item("2", 1)
              + "<ad/></section><section id=\"b\">" + item("3", 2) + "</section>"),
          true,
          { "1", "3" } },
        { "section without id is skipped with its content",
          doc("<section name=\"n\">" + item("1", 0) + "<ad/></section><section id=\"\">" + item("2", 1)
              + "</section><section id=\"b\">" + item("3", 2) + "</section>"),
          true,
          { "3" } },
        { "subsection: other elements skipped, a comment ends it",
          doc("<section id=\"a\"><subsection id=\"s\">" + item("1", 0) + "<ad/>" + item("2", 1) + "<!-- x -->"
              + item("3", 2) + "</subsection>" + item("4", 3) + "</section>"),
          true,
          { "1", "2", "4" } },
        { "items without id, title or url are skipped",
          doc("<section id=\"a\"><news><title>t</title><url>u</url></news>"
              "<news id=\"n1\"><url>u</url></news><news id=\"n2\"><title>t</title></news>"
              "<news id=\"n3\"><title></title><url>u</url></news>"
              + item("ok", 0) + "</section>"),
          true,
          { "ok" } },
        { "an item with children of other names still reads",
          doc("<section id=\"a\">" + item("1", 0, "<extra>e</extra>") + "</section>"),
          true,
          { "1" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        NewsStore store;
        QStringList visited;
        EXPECT_EQ(store.parseSectionsNews(c.text, [&](const NewsRecord &r) { visited.append(r.id); }), c.ok);
        EXPECT_EQ(visited, c.seen);
        EXPECT_EQ(store.seenCount(), c.seen.size());
        for (const QString &id : c.seen)
            EXPECT_TRUE(store.isSeen(id));
        EXPECT_EQ(store.copyPendingAlerts().size(), c.seen.size());
    }
}

TEST(NewsStore, RecordFieldsAndKeys)
{
    NewsStore store;
    std::vector<NewsRecord> read;
    const QByteArray text
        = doc("<section id=\"eco\" name=\"Economy\">"
              "<news id=\"e1\"><title>Rates &amp; more</title><url>http://x.test/e1</url>"
              "<date>2024-01-15 10:00:00</date></news>"
              "<subsection id=\"bolsa\" name=\"n\"><news id=\"b1\"><title><![CDATA[Ibex <up>]]></title>"
              "<url>http://x.test/b1</url><date>2024-01-15 10:01:00</date></news></subsection>"
              "<subsection>"
              + item("anon", 2) + "</subsection></section>");
    ASSERT_TRUE(store.parseSectionsNews(text, [&](const NewsRecord &r) { read.push_back(r); }));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].section_key, QStringLiteral("eco"));
    EXPECT_EQ(read[0].title, QStringLiteral("Rates & more"));
    EXPECT_EQ(read[0].url, QStringLiteral("http://x.test/e1"));
    EXPECT_EQ(read[0].date, QStringLiteral("2024-01-15 10:00:00"));
    EXPECT_EQ(read[1].section_key, QStringLiteral("eco_bolsa"));
    EXPECT_EQ(read[1].title, QStringLiteral("Ibex <up>"));
    EXPECT_EQ(read[1].time - read[0].time, 60);
    EXPECT_EQ(read[2].section_key, QStringLiteral("eco_"));
}

TEST(NewsStore, SameSecondItemsAndMovedItems)
{
    NewsStore store;
    // Two new items dated the same second: both are seen, only the first read is pending.
    ASSERT_TRUE(store.parseSectionsNews(
        doc("<section id=\"a\">" + item("first", 5) + item("second", 5) + "</section>")));
    EXPECT_TRUE(store.isSeen(QStringLiteral("first")));
    EXPECT_TRUE(store.isSeen(QStringLiteral("second")));
    EXPECT_EQ(newsIds(store.copyPendingAlerts()), QStringList { "first" });

    // The same item under another section is no news.
    ASSERT_TRUE(store.parseSectionsNews(
        doc("<section id=\"b\">" + item("first", 5) + item("third", 9) + "</section>")));
    const NewsSet pending = store.copyPendingAlerts();
    EXPECT_EQ(newsIds(pending), (QStringList { "third", "first" }));
    EXPECT_EQ(pending.newest().section_key, QStringLiteral("b"));
    EXPECT_EQ(std::next(pending.begin())->section_key, QStringLiteral("a"));
}

TEST(NewsStore, UnreadableDatesTakeTheCurrentTime)
{
    ManualClock clock(1800000000);
    setClock(&clock);
    NewsStore store;
    const bool ok
        = store.parseSectionsNews(doc("<section id=\"a\"><news id=\"m13\"><title>t</title><url>u</url>"
                                      "<date>2024-13-01 10:00:00</date></news>"
                                      "<news id=\"nodate\"><title>t</title><url>u</url></news>"
                                      + item("old", 0) + "</section>"));
    setClock(nullptr);
    ASSERT_TRUE(ok);
    const NewsSet pending = store.copyPendingAlerts();
    // Both undated items take the same current second, so the first one read holds it.
    EXPECT_EQ(newsIds(pending), (QStringList { "m13", "old" }));
    EXPECT_EQ(pending.newest().time, 1800000000);
    EXPECT_TRUE(store.isSeen(QStringLiteral("nodate")));
}

TEST(NewsStore, JustRegisteredFeedsAreReadQuietlyOnce)
{
    NewsStore store;
    store.addJustRegistered(QStringLiteral("mine_77"));
    const std::string feed = "<section id=\"mine\"><subsection id=\"77\">" + item("f1", 0) + item("f2", 1)
        + "</subsection><subsection id=\"78\">" + item("g1", 2) + "</subsection></section>";
    ASSERT_TRUE(store.parseSectionsNews(doc(feed)));
    EXPECT_FALSE(store.isJustRegistered(QStringLiteral("mine_77")));
    EXPECT_TRUE(store.isSeen(QStringLiteral("f1")));
    EXPECT_TRUE(store.isSeen(QStringLiteral("f2")));
    EXPECT_EQ(newsIds(store.copyPendingAlerts()), QStringList { "g1" });

    // From the second document on, the feed's new items are news.
    ASSERT_TRUE(store.parseSectionsNews(doc("<section id=\"mine\"><subsection id=\"77\">" + item("f1", 0)
                                            + item("f3", 4) + "</subsection></section>")));
    EXPECT_EQ(newsIds(store.copyPendingAlerts()), (QStringList { "f3", "g1" }));
}

TEST(NewsStore, SelectionAndNamesOfSectionKeys)
{
    ClientConfig config;
    Section news;
    news.id = QStringLiteral("news");
    news.name = QStringLiteral("Noticias");
    news.active = true;
    Subsection local;
    local.id = QStringLiteral("local");
    local.key = QStringLiteral("news_local");
    local.name = QStringLiteral("Local");
    local.active = false;
    news.subsections.append(local);
    Section mine;
    mine.id = QStringLiteral("mine");
    mine.name = QStringLiteral("Otros medios");
    mine.active = false;
    mine.html_url = QStringLiteral("http://x.test/h");
    mine.xml_url = QStringLiteral("http://x.test/x");
    mine.user_rss_xml_url = QStringLiteral("http://x.test/u?f=@SUBSECTION@");
    // A subsection whose key equals a later section's id: the section wins.
    Subsection shadow;
    shadow.id = QStringLiteral("x");
    shadow.key = QStringLiteral("mine");
    shadow.name = QStringLiteral("Shadow");
    shadow.active = true;
    news.subsections.append(shadow);
    config.sections = { news, mine };
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("55"),
                                    QStringLiteral("El Faro"), kOtherMediaKeyPath));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("mine_55"), false));

    struct Case {
        const char *key;
        bool selected;
        const char *name;
    };
    const Case before[] = {
        { "news", true, "Noticias" },
        { "news_local", false, "Local" },
        { "mine", false, "Otros medios" },
        { "mine_55", false, "El Faro" },
        { "mine_56", false, "" },
        { "nowhere", false, "" },
        { "", false, "" },
    };
    for (const Case &c : before) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(IsKeySelected(config, QString::fromLatin1(c.key)), c.selected);
        EXPECT_EQ(KeyDisplayName(config, QString::fromLatin1(c.key)), QString::fromUtf8(c.name));
    }
    // The user's choices override the configured flags.
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("news"), false));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("news_local"), true));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("mine"), true));
    ASSERT_TRUE(SetSectionSelected(QStringLiteral("mine_55"), true));
    for (const char *key : { "news_local", "mine", "mine_55" }) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(IsKeySelected(config, QString::fromLatin1(key)));
    }
    EXPECT_FALSE(IsKeySelected(config, QStringLiteral("news")));
}

TEST(NewsStore, UserFeedAddresses)
{
    struct Case {
        const char *urlTemplate;
        QString id;
        const char *url;
    };
    const Case cases[] = {
        { "http://x.test/u?f=@SUBSECTION@", QStringLiteral("42"), "http://x.test/u?f=42" },
        { "http://x.test/@SUBSECTION@/@SUBSECTION@.xml", QStringLiteral("a"), "http://x.test/a/a.xml" },
        { "http://x.test/all.xml", QStringLiteral("42"), "http://x.test/all.xml" },
        { "http://x.test/u?f=@SUBSECTION@", QStringLiteral("a&b=c/d%20e"), "http://x.test/u?f=a&b=c/d%20e" },
        { "http://x.test/u?f=@SUBSECTION@", QStringLiteral("two words"), "http://x.test/u?f=two%20words" },
        { "http://x.test/u?f=@SUBSECTION@", QStringLiteral("ni\u00f1o|\"x\"\n"),
          "http://x.test/u?f=ni%C3%B1o%7C%22x%22%0A" },
        { "http://x.test/u?f=@subsection@", QStringLiteral("42"), "http://x.test/u?f=@subsection@" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.urlTemplate);
        EXPECT_EQ(UserFeedUrl(QString::fromLatin1(c.urlTemplate), c.id), QString::fromLatin1(c.url));
    }
}

TEST(NewsStore, ParsesWhileOtherThreadsCopyAndRegister)
{
    NewsStore store;
    std::atomic<bool> done { false };
    std::thread reader([&] {
        while (!done.load()) {
            const NewsSet copy = store.copyPendingAlerts();
            for (const NewsRecord &r : copy)
                ASSERT_FALSE(r.id.isEmpty());
            store.addJustRegistered(QStringLiteral("a_q"));
            store.isSeen(QStringLiteral("x"));
        }
    });
    for (int round = 0; round < 30; ++round) {
        std::string body = "<section id=\"a\">";
        for (int i = 0; i < 20; ++i)
            body += item(std::to_string(round) + "-" + std::to_string(i), round * 20 + i);
        body += "<subsection id=\"q\">" + item("q" + std::to_string(round), 700 + round)
            + "</subsection></section>";
        ASSERT_TRUE(store.parseSectionsNews(doc(body)));
    }
    done = true;
    reader.join();
    EXPECT_EQ(store.seenCount(), 30 * 21);
}

} // namespace
} // namespace tavrin
