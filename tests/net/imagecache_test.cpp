// Image caching against a loopback server: integrity, replacement only by intact downloads, order.
#include "base/files.h"
#include "base/paths.h"
#include "config/clientconfig.h"
#include "net/httpclient.h"
#include "net/imagecache.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

namespace tavrin {
namespace {

using test::TestServer;

using test::readFile;

void writeFile(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(EnsureDirectory(DirectoryOf(path)));
    ASSERT_TRUE(test::writeFile(path, bytes));
}

TEST(CacheImages, OneImage)
{
    const QByteArray good = "\x89PNG good image bytes";
    const QByteArray old = "\x89PNG old image bytes";
    const QByteArray bad = "\x89PNG damaged in transit";
    struct Case {
        const char *name;
        std::optional<QByteArray> onDisk; // nothing: no file
        std::optional<QByteArray> served; // nothing: 404
        std::uint32_t crc;
        bool ok;
        int downloads;
        QByteArray finalFile;
    };
    const Case cases[] = {
        { "missing file is downloaded", std::nullopt, good, BufferCrc32(good), true, 1, good },
        { "intact file is kept", good, bad, BufferCrc32(good), true, 0, good },
        { "corrupt file is replaced", old, good, BufferCrc32(good), true, 1, good },
        { "wrong-checksum download keeps the old file", old, bad, BufferCrc32(good), false, 1, old },
        { "wrong-checksum download of a missing file stores nothing", std::nullopt, bad, BufferCrc32(good),
          false, 1, "<missing>" },
        { "failed download keeps the old file", old, std::nullopt, BufferCrc32(good), false, 1, old },
        { "checksum 0 and an empty file pass", QByteArray(), std::nullopt, 0, true, 0, QByteArray() },
        { "checksum 0 and no file needs a download", std::nullopt, std::nullopt, 0, false, 1, "<missing>" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestServer server;
        InternetSession session;
        if (c.served)
            server.serve("/logo.png", c.served->toStdString(), 200, "image/png");
        ClientConfig config;
        const ConfigImage image { "logo", c.crc, server.url("/logo.png") };
        config.images.emplace(image.id, image);
        const QString path = ImagePath(image);
        QFile::remove(path);
        if (c.onDisk)
            writeFile(path, *c.onDisk);

        EXPECT_EQ(CacheImages(config), c.ok);
        EXPECT_EQ(server.hits("/logo.png"), c.downloads);
        EXPECT_EQ(readFile(path), c.finalFile);
    }
}

TEST(CacheImages, ALinkAtTheImagePathIsReplacedNotWrittenThrough)
{
    const QByteArray good = "\x89PNG good image bytes";
    TestServer server;
    InternetSession session;
    server.serve("/logo.png", good.toStdString(), 200, "image/png");
    ClientConfig config;
    const ConfigImage image { "logo", BufferCrc32(good), server.url("/logo.png") };
    config.images.emplace(image.id, image);
    const QString path = ImagePath(image);
    const QString elsewhere = DataFolder() + QStringLiteral("elsewhere.txt");
    writeFile(elsewhere, "not an image");
    QFile::remove(path);
    ASSERT_TRUE(EnsureDirectory(DirectoryOf(path)));
    ASSERT_TRUE(QFile::link(elsewhere, path));

    EXPECT_TRUE(CacheImages(config));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(readFile(path), good);
    EXPECT_EQ(readFile(elsewhere), "not an image");
}

TEST(CacheImages, WalksInIdentifierOrderAndStopsAtTheFirstFailure)
{
    TestServer server;
    InternetSession session;
    const QByteArray a = "image a";
    const QByteArray c = "image c";
    server.serve("/a.gif", a.toStdString());
    server.serve("/c.gif", c.toStdString());
    // "b" is not served.
    ClientConfig config;
    for (const ConfigImage &image : { ConfigImage { "c", BufferCrc32(c), server.url("/c.gif") },
                                      ConfigImage { "b", 1234, server.url("/b.gif") },
                                      ConfigImage { "a", BufferCrc32(a), server.url("/a.gif") } })
        config.images.emplace(image.id, image);

    EXPECT_FALSE(CacheImages(config));
    EXPECT_EQ(server.hits("/a.gif"), 1);
    EXPECT_EQ(server.hits("/b.gif"), 1);
    EXPECT_EQ(server.hits("/c.gif"), 0) << "images after the failure are not looked at";
    EXPECT_EQ(readFile(ImagePath(config.images.at("a"))), a);

    // Once "b" is served, the next attempt completes and fetches only what is missing.
    const QByteArray b = "image b";
    server.serve("/b.gif", b.toStdString());
    config.images["b"].crc32 = BufferCrc32(b);
    EXPECT_TRUE(CacheImages(config));
    EXPECT_EQ(server.hits("/a.gif"), 1);
    EXPECT_EQ(server.hits("/b.gif"), 2);
    EXPECT_EQ(server.hits("/c.gif"), 1);
    EXPECT_EQ(readFile(ImagePath(config.images.at("c"))), c);
}

} // namespace
} // namespace tavrin
