// Documents as the publisher's staff write them: undeclared 8-bit encodings, values on indented lines.
#include "base/files.h"
#include "base/paths.h"
#include "config/configloader.h"
#include "net/imagecache.h"
#include "news/newsstore.h"
#include "support/services.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

using namespace tavrin;

TEST(Documents, EveryEncodingGivesTheSameRecords)
{
    const auto news = [](const QByteArray &declaration, const QByteArray &title) {
        return declaration + "<sections_news><section id='1'><news id=' a '><title>" + title
            + "</title><url>\n      http://x.example/a\n    </url><date>2024-01-01 10:00:00</date></news>"
              "</section></sections_news>";
    };
    const struct {
        const char *label;
        QByteArray document;
        QString title;
    } cases[] = {
        { "UTF-8", news("<?xml version='1.0'?>", "A\xC3\xB1o 5 \xE2\x82\xAC"), QStringLiteral("Año 5 €") },
        { "undeclared windows-1252", news("", "A\xF1o 5 \x80"), QStringLiteral("Año 5 €") },
        { "declared Latin-1", news("<?xml version='1.0' encoding='ISO-8859-1'?>", "A\xF1o"),
          QStringLiteral("Año") },
        { "undeclared Latin-1", news("<?xml version='1.0'?>", "A\xF1o"), QStringLiteral("Año") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const ManualClock clock;
        NewsStore store(clock);
        QList<NewsRecord> records;
        ASSERT_TRUE(store.parseSectionsNews(c.document, [&](const NewsRecord &r) { records.append(r); }));
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(records.first().title, c.title);
        EXPECT_EQ(records.first().id, QStringLiteral("a"));
        EXPECT_EQ(records.first().url, QStringLiteral("http://x.example/a"));
    }
}

TEST(Documents, AddressesOnIndentedLinesAreUsedWithoutTheirBlanks)
{
    test::TestServer server;
    const QByteArray icon("\x89PNG icon");
    server.serve("/img/icon.png", icon.toStdString(), 200, "image/png");
    QByteArray document = test::fixtureBytes("config", "good");
    document.replace("http://127.0.0.1:8642", server.baseUrl().c_str());
    document.replace(">" + server.baseUrl() + "/img/icon.png<",
                     "> \n      " + server.baseUrl() + "/img/icon.png\n    <");
    document.replace("crc32=\"3735928559\"", "crc32=\"" + QByteArray::number(BufferCrc32(icon)) + "\"");
    document.replace("<image id=\"logo\" crc32=\"12\">" + server.baseUrl() + "/img/logo.gif</image>", "");
    document.replace(">" + server.baseUrl() + "/tavrin-setup<",
                     ">\n\t" + server.baseUrl() + "/tavrin-setup \r\n<");
    ClientConfig config;
    QString reason;
    ASSERT_TRUE(LoadConfigurationText(document, config, &reason)) << reason.toStdString();
    EXPECT_EQ(config.app_url, server.url("/tavrin-setup"));

    test::TestServices<> services;
    ASSERT_TRUE(CacheImages(services.http, config));
    const QString path = ImagePath(config.images.at(QStringLiteral("tavrin_icon")));
    EXPECT_TRUE(path.endsWith(QStringLiteral("images/tavrin_icon.png"))) << path.toStdString();
    EXPECT_EQ(test::readFile(path), icon);
}
