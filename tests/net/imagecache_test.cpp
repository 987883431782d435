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

using test::readFile;

class CacheImagesTest : public testing::Test {
protected:
    // Lists the image; the server has its bytes, or answers 404 for null bytes.
    void add(const char *id, const QByteArray &bytes, std::uint32_t crc32)
    {
        const std::string path = std::string("/") + id + ".gif";
        server.serve(path, bytes.toStdString(), bytes.isNull() ? 404 : 200, "image/gif");
        const ConfigImage image { id, crc32, server.url(path) };
        config.images.insert_or_assign(image.id, image);
    }
    QString pathOf(const char *id) const { return ImagePath(config.images.at(id)); }

    test::TestServer server;
    InternetSession session;
    ClientConfig config;
};

TEST_F(CacheImagesTest, AnImageIsReplacedOnlyByAnIntactDownload)
{
    const QByteArray good = "GIF89a good image bytes";
    const QByteArray old = "GIF89a old image bytes";
    const QByteArray bad = "GIF89a damaged in transit";
    const QByteArray link = "<a link to another file>";
    const QString elsewhere = DataFolder() + QStringLiteral("elsewhere.txt");
    ASSERT_TRUE(test::writeFile(elsewhere, "not an image"));
    struct Case {
        const char *name;
        std::optional<QByteArray> onDisk; // nothing: no file
        QByteArray served; // null: 404
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
        { "wrong-checksum download of no file stores none", std::nullopt, bad, BufferCrc32(good), false, 1,
          "<missing>" },
        { "failed download keeps the old file", old, QByteArray(), BufferCrc32(good), false, 1, old },
        { "checksum 0 and an empty file pass", "", QByteArray(), 0, true, 0, "" },
        { "checksum 0 and no file needs a download", std::nullopt, QByteArray(), 0, false, 1, "<missing>" },
        { "a link in its place is replaced, not written through", link, good, BufferCrc32(good), true, 1,
          good },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        add("logo", c.served, c.crc);
        const QString path = pathOf("logo");
        const int before = server.hits("/logo.gif");
        QFile::remove(path);
        ASSERT_TRUE(EnsureDirectory(DirectoryOf(path)));
        ASSERT_TRUE(!c.onDisk
                    || (c.onDisk == link ? QFile::link(elsewhere, path) : test::writeFile(path, *c.onDisk)));

        EXPECT_EQ(CacheImages(session, config), c.ok);
        EXPECT_EQ(server.hits("/logo.gif") - before, c.downloads);
        EXPECT_EQ(readFile(path), c.finalFile);
        EXPECT_FALSE(QFileInfo(path).isSymLink());
    }
    EXPECT_EQ(readFile(elsewhere), "not an image");
}

TEST_F(CacheImagesTest, WalksInIdentifierOrderAndStopsAtTheFirstFailure)
{
    add("c", "image c", BufferCrc32("image c"));
    add("b", QByteArray(), 1234);
    add("a", "image a", BufferCrc32("image a"));
    const auto hits = [this] {
        return std::vector { server.hits("/a.gif"), server.hits("/b.gif"), server.hits("/c.gif") };
    };
    EXPECT_FALSE(CacheImages(session, config));
    EXPECT_EQ(hits(), (std::vector { 1, 1, 0 }))
        << "in identifier order; none after the failure is looked at";
    EXPECT_EQ(readFile(pathOf("a")), "image a");

    // Once "b" is served, the next attempt completes and fetches only what is missing.
    add("b", "image b", BufferCrc32("image b"));
    EXPECT_TRUE(CacheImages(session, config));
    EXPECT_EQ(hits(), (std::vector { 1, 2, 1 }));
    EXPECT_EQ(readFile(pathOf("c")), "image c");
}

} // namespace
} // namespace tavrin
