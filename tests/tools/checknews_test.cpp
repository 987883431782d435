// check-news run as a program: the records it lists, in document order, and its verdicts.
#include "support/privatefolders.h"
#include "support/toolcases.h"

using namespace Qt::StringLiterals;
using tavrin::test::fixturePath;

TEST(CheckNewsTool, ListsRecordsAndGivesTheVerdict)
{
    // Expected output, "|" for a tab and "H/" for the demo publisher; a tab in a title is flattened.
    const auto out = [](QString text) {
        return text.replace(u'|', u'\t').replace(u"H/"_s, u"http://127.0.0.1:8642/"_s).toUtf8();
    };
    const QByteArray read = out(u"portada|p1|2024-01-15 10:30:00|Año nuevo en la ciudad|H/news/p1.html\n"
                                u"portada|p2|2024-01-15 10:30:00|Same second as p1|H/news/p2.html\n"
                                u"portada_local|l1|2024-07-15 08:05:09|Tab inside a title|H/news/l1.html\n"
                                u"deportes|d1|2023-05-01 12:00:00|Final|H/news/d1.html\nread\n"_s);
    // What was read before a document failed is listed too; the last line says why it failed.
    const QByteArray failed = out(u"portada|p1|2024-01-15 10:30:00|España|H/p1\nfailed: section \"portada\" "
                                  u"holds <advert>, not only <news> and <subsection>\n"_s);
    const QString good = fixturePath("news", "good"), folder = tavrin::test::PrivateFoldersListener::root();
    ASSERT_TRUE(tavrin::test::writeFile(folder + u"/cut.xml"_s, "<sections_news>\n<section id='a'>\n"));
    tavrin::test::expectToolRuns({
        { { "check-news", good }, 0, read },
        { { "check-news", fixturePath("news", "foreign") }, 1, failed },
        { { "check-news", fixturePath("news", "wrong_root") },
          1,
          "failed: the root element is <news>, not <sections_news>\n" },
        { { "check-news", folder + u"/cut.xml"_s },
          1,
          "failed: not well-formed at line 3: Premature end of data in tag section line 2\n" },
        { { "check-news", good, good }, 2, "" },
        { { "check-news", folder + u"/absent.xml"_s }, 2, "" },
        { { "check-news", folder }, 2, "" },
    });
}
