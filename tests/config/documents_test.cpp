// Documents as the publisher's staff write them: undeclared 8-bit encodings, values on indented lines.
#include "base/files.h"
#include "base/paths.h"
#include "config/configloader.h"
#include "net/imagecache.h"
#include "support/services.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

using namespace tavrin;
using namespace Qt::StringLiterals;

TEST(Documents, EveryEncodingGivesTheSameRecordsAndTokensLoseTheirBlanks)
{
    const QByteArray utf8 = "A\xC3\xB1o 5 \xE2\x82\xAC", cp1252 = "A\xF1o 5 \x80", latin1 = "A\xF1o";
    // Declaration, title bytes, title read; the id and the address stand among blanks and line breaks.
    const std::tuple<QByteArray, QByteArray, QString> cases[] = {
        { "<?xml version='1.0'?>", utf8, u"Año 5 €"_s },
        { "", cp1252, u"Año 5 €"_s },
        { "<?xml version='1.0' encoding='ISO-8859-1'?>", latin1, u"Año"_s },
        { "<?xml version='1.0'?>", latin1, u"Año"_s },
    };
    for (const auto &[declaration, title, expected] : cases) {
        SCOPED_TRACE(title.toStdString());
        test::TestServices<> services;
        QList<NewsRecord> read;
        ASSERT_TRUE(services.news.parseSectionsNews(
            declaration + "<sections_news><section id='1'><news id=' a '><title>" + title
                + "</title><url>\n  http://x.example/a\n</url><date>2024-01-01 "
                  "10:00:00</date></news></section>"
                  "</sections_news>",
            [&](const NewsRecord &r) { read.append(r); }));
        ASSERT_EQ(read.size(), 1);
        EXPECT_TRUE(read[0].title == expected && read[0].id == u"a"_s
                    && read[0].url == u"http://x.example/a"_s);
    }
}

TEST(Documents, AddressesOnIndentedLinesAreUsedWithoutTheirBlanks)
{
    test::TestServer server;
    const QByteArray icon("\x89PNG icon"), base = server.baseUrl().c_str();
    server.serve("/img/icon.png", icon.toStdString(), 200, "image/png");
    QByteArray document = test::fixtureBytes("config", "good").replace("http://127.0.0.1:8642", base);
    document.replace(">" + base + "/img/icon.png<", "> \n      " + base + "/img/icon.png\n    <")
        .replace("3735928559", QByteArray::number(BufferCrc32(icon)))
        .replace("<image id=\"logo\" crc32=\"12\">" + base + "/img/logo.gif</image>", "")
        .replace(">" + base + "/tavrin-setup<", ">\n\t" + base + "/tavrin-setup \r\n<");
    ClientConfig config;
    ASSERT_TRUE(LoadConfigurationText(document, config));
    EXPECT_EQ(config.app_url, server.url("/tavrin-setup"));
    test::TestServices<> services;
    ASSERT_TRUE(CacheImages(services.http, config));
    const QString path = ImagePath(config.images.at(u"tavrin_icon"_s));
    EXPECT_TRUE(path.endsWith(u"images/tavrin_icon.png"_s) && test::readFile(path) == icon)
        << path.toStdString();
}
