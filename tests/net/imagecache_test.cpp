// Image caching against a loopback server: integrity, replacement only by intact downloads, order.
#include "base/files.h"
#include "base/paths.h"
#include "net/httpclient.h"
#include "net/imagecache.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <tuple>

namespace tavrin {
namespace {

using test::readFile;

TEST(CacheImages, WalksInIdentifierOrderAndReplacesAnImageOnlyByAnIntactDownload)
{
    test::TestServer server;
    InternetSession session;
    ClientConfig config;
    // Lists the image; the server has its bytes, or answers 404 for null bytes.
    const auto add = [&](const std::string &id, const QByteArray &bytes, std::uint32_t crc32) {
        server.serve("/" + id, bytes.toStdString(), bytes.isNull() ? 404 : 200);
        const ConfigImage image { QString::fromStdString(id), crc32, server.url("/" + id) };
        return ImagePath(config.images.insert_or_assign(image.id, image).first->second);
    };
    const auto hits = [&] { return std::vector { server.hits("/a"), server.hits("/b"), server.hits("/c") }; };
    const QString a = add("a", "image a", BufferCrc32("image a"));
    const QString c = add("c", "image c", BufferCrc32("image c"));
    add("b", QByteArray(), 1234);
    EXPECT_FALSE(CacheImages(session, config));
    EXPECT_EQ(hits(), (std::vector { 1, 1, 0 })) << "none after the failure is looked at";
    EXPECT_EQ(readFile(a), "image a");
    add("b", "image b", BufferCrc32("image b"));
    EXPECT_TRUE(CacheImages(session, config));
    EXPECT_EQ(hits(), (std::vector { 1, 2, 1 })) << "an intact file is kept";
    EXPECT_EQ(readFile(c), "image c");

    const QByteArray good = "GIF89a good", old = "GIF89a old", bad = "GIF89a damaged", none = "<missing>";
    const std::uint32_t crc = BufferCrc32(good);
    const QString other = DataFolder() + "other.txt";
    ASSERT_TRUE(test::writeFile(other, "not an image"));
    // The file on disk (none, or a link to another file), what is served (null: 404), the listed checksum,
    // whether caching then succeeds, and the file it leaves: the old one unless an intact download.
    const std::tuple<QByteArray, QByteArray, std::uint32_t, bool, QByteArray> cases[] = {
        { old, good, crc, true, good },      { old, bad, crc, false, old }, { none, bad, crc, false, none },
        { old, {}, crc, false, old },        { "", {}, 0, true, "" },       { none, {}, 0, false, none },
        { "<link>", good, crc, true, good },
    };
    for (const auto &[onDisk, served, checksum, ok, left] : cases) {
        SCOPED_TRACE((onDisk + " then " + served).toStdString());
        const QString path = add("logo", served, checksum);
        QFile::remove(path);
        ASSERT_TRUE(onDisk == none
                    || (onDisk == "<link>" ? QFile::link(other, path) : test::writeFile(path, onDisk)));
        EXPECT_EQ(CacheImages(session, config), ok);
        EXPECT_EQ(readFile(path), left);
    }
    EXPECT_EQ(readFile(other), "not an image") << "a link at the path is replaced, not written through";
}

TEST(CacheImages, KeepsOnlyTheConfiguredImagesWithinTheCap)
{
    test::TestServer server;
    InternetSession session;
    ClientConfig config;
    for (const char *id : { "a", "b", "c" }) { // nine bytes each
        server.serve(std::string("/") + id + ".gif", std::string("image ") + id + "..", 200, "image/gif");
        const ConfigImage image { id, BufferCrc32("image " + QByteArray(id) + ".."),
                                  server.url(std::string("/") + id + ".gif") };
        config.images.insert_or_assign(image.id, image);
    }
    const QString a = ImagePath(config.images["a"]), c = ImagePath(config.images["c"]);
    const QString folder = QFileInfo(a).path() + '/', outside = DataFolder() + "keep.gif";
    // Earlier configurations' images and a link go; what lies outside the image folder stays.
    ASSERT_TRUE(QDir().mkpath(folder) && test::writeFile(folder + "old.gif", "old")
                && test::writeFile(folder + ".x.part", "x") && test::writeFile(outside, "mine")
                && QFile::link(outside, folder + "link.gif"));
    // Cap, success, last image stored: a download is cut at the bytes left; the first images stay.
    const std::tuple<qint64, bool, bool> cases[]
        = { { 20, false, false }, { 26, false, false }, { 27, true, true } };
    for (const auto &[cap, ok, last] : cases) {
        SCOPED_TRACE(cap);
        QFile::remove(c);
        EXPECT_EQ(CacheImages(session, config, cap), ok);
        EXPECT_EQ(readFile(a), "image a..");
        EXPECT_EQ(QFile::exists(c), last);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), last ? 3 : 2);
    }
    EXPECT_EQ(readFile(outside), "mine");
    config.images.erase("b"); // a configuration that no longer names b
    EXPECT_TRUE(CacheImages(session, config, 20));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList { "a.gif", "c.gif" }));
}

} // namespace
} // namespace tavrin
