// File helpers: splitting, folders, writing, checksums, the private temporary folder and gzip reading.
#include "base/files.h"
#include "base/gzip.h"
#include "base/paths.h"
#include "base/text.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {
namespace {

QString root()
{
    return test::PrivateFoldersListener::root();
}

mode_t modeOf(const QString &path)
{
    struct stat st { };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode;
}

using test::gzipBytes;
using test::readFile;

TEST(FileUtil, SplitText)
{
    struct Case {
        const char *text;
        const char *separator;
        QStringList pieces;
    };
    const Case cases[] = {
        { "a/b/c", "/", { "a", "b", "c" } },
        { "a//b", "/", { "a", "", "b" } },
        { "a/b/", "/", { "a", "b" } },
        { "/a", "/", { "", "a" } },
        { "/", "/", { "" } },
        { "abc", "/", { "abc" } },
        { "", "/", {} },
        { "a/b", "", {} },
        { "x_-||||-_y_-||||-_", "_-||||-_", { "x", "y" } },
        { "aaa", "aa", { "", "a" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " | " + c.separator);
        EXPECT_EQ(SplitText(QString::fromLatin1(c.text), QString::fromLatin1(c.separator)), c.pieces);
    }
}

TEST(FileUtil, ScanDecimalReadsLikeOneScanfNumber)
{
    struct Case {
        const char *text;
        int width;
        bool read;
        int value;
        qsizetype end; // position after the number
    };
    const Case cases[] = {
        { "42", 0, true, 42, 2 },
        { "  -7x", 0, true, -7, 4 },
        { "\t\n\v\f\r+5", 0, true, 5, 7 },
        { "\xa0"
          "5",
          0, false, 0, 0 }, // a no-break space is no blank
        { "- 5", 0, false, 0, 0 },
        { "", 0, false, 0, 0 },
        { "abc", 0, false, 0, 0 },
        { "99999999999", 0, true, 2147483647, 11 },
        { "-99999999999", 0, true, -2147483647 - 1, 12 },
        { "20240", 4, true, 2024, 4 },
        { " -123", 2, true, -1, 3 }, // the width counts the sign, not the blanks
        { "-1", 1, false, 0, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " width " + std::to_string(c.width));
        qsizetype pos = 0;
        int value = 0;
        EXPECT_EQ(ScanDecimal(QString::fromLatin1(c.text), pos, value, c.width), c.read);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(pos, c.end);
    }

    struct RectCase {
        const char *text;
        int count;
    };
    const RectCase rects[] = {
        { "1,2-3,4", 4 }, { "1,2,3,4", 2 }, { "1 ,2-3,4", 1 }, { "1,2-3", 3 }, { "x", 0 }, { "1,2-3,4,5", 4 },
    };
    for (const RectCase &c : rects) {
        SCOPED_TRACE(c.text);
        int numbers[4] = {};
        EXPECT_EQ(ScanRect(QString::fromLatin1(c.text), numbers), c.count);
    }
}

TEST(FileUtil, DirectoryOf)
{
    const std::pair<const char *, const char *> cases[] = {
        { "/home/u/file.txt", "/home/u/" },
        { "a/b", "a/" },
        { "file.txt", "" },
        { "/file", "/" },
        { "", "" },
        { "/a/b/", "/a/" },
    };
    for (const auto &[path, dir] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(DirectoryOf(QString::fromLatin1(path)), QString::fromLatin1(dir));
    }
}

TEST(FileUtil, EnsureDirectoryCreatesEveryMissingFolder)
{
    const QString deep = root() + QStringLiteral("/one/two/three");
    EXPECT_TRUE(EnsureDirectory(deep));
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_TRUE(EnsureDirectory(deep + QLatin1Char('/'))); // existing folders are fine

    // A single piece is refused and nothing is made.
    QDir::setCurrent(root());
    EXPECT_FALSE(EnsureDirectory(QStringLiteral("lonely")));
    EXPECT_FALSE(FileExists(root() + QStringLiteral("/lonely")));
    EXPECT_FALSE(EnsureDirectory(QString()));

    // A file in the way is a failure.
    ASSERT_TRUE(WriteTextFile(root() + QStringLiteral("/plain"), QStringLiteral("x")));
    EXPECT_FALSE(EnsureDirectory(root() + QStringLiteral("/plain/sub/more")));
    EXPECT_TRUE(FileExists(root() + QStringLiteral("/plain")));
    EXPECT_FALSE(FileExists(root() + QStringLiteral("/nothing-here")));
}

TEST(FileUtil, DataFolderAndImagePaths)
{
    const QString expected = root() + QStringLiteral("/data/Tavrin/");
    EXPECT_EQ(DataFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());

    const std::pair<const char *, const char *> cases[] = {
        { "http://x.example/logo.png", "logo_1.png" },
        { "http://x.example/show.php?id=3.gif&v=2", "logo_1.gif&v=2" },
        { "noextension", "logo_1." },
        { "http://x.example/a.b/../../../../etc/passwd", "logo_1._etc_passwd" },
    };
    for (const auto &[url, name] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(ImagePath(QStringLiteral("logo_1"), QString::fromLatin1(url)),
                  expected + QStringLiteral("images/") + QString::fromLatin1(name));
    }
    EXPECT_EQ(ImagePath(QStringLiteral("../up"), QStringLiteral("a.png")),
              expected + QStringLiteral("images/.._up.png"));

    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DataFolder(), root() + QStringLiteral("/home/.local/share/Tavrin/"));
}

TEST(FileUtil, WritesFilesAsGivenAndNeverThroughLinks)
{
    const QString text = root() + QStringLiteral("/new/folder/page.html");
    const QString html = QString::fromUtf8("<p>línea 1</p>\n<p>€ 2</p>\n");
    ASSERT_TRUE(WriteTextFile(text, html));
    EXPECT_EQ(readFile(text), html.toUtf8()); // line feeds stay line feeds

    const QString bin = root() + QStringLiteral("/bin.dat");
    const QByteArray bytes("\0\x01\xff\r\n", 5);
    ASSERT_TRUE(WriteBinaryFile(bin, bytes));
    EXPECT_EQ(readFile(bin), bytes);
    ASSERT_TRUE(WriteBinaryFile(bin, QByteArray()));
    EXPECT_TRUE(FileExists(bin));
    EXPECT_EQ(readFile(bin), QByteArray());

    // A link planted at the target is replaced by the file, and what it pointed to is untouched.
    const QString victim = root() + QStringLiteral("/victim");
    ASSERT_TRUE(WriteBinaryFile(victim, "precious"));
    const QString planted = root() + QStringLiteral("/planted");
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(planted).constData()), 0);
    ASSERT_TRUE(WriteTextFile(planted, QStringLiteral("mine")));
    EXPECT_EQ(readFile(victim), QByteArray("precious"));
    EXPECT_TRUE(S_ISREG(modeOf(planted)));
    EXPECT_EQ(readFile(planted), QByteArray("mine"));

    // Failures: a folder in the way, a file where a folder should be, a bare name.
    EXPECT_FALSE(WriteTextFile(root() + QStringLiteral("/new/folder"), QStringLiteral("x")));
    EXPECT_TRUE(QFileInfo(root() + QStringLiteral("/new/folder")).isDir());
    EXPECT_FALSE(WriteBinaryFile(bin + QStringLiteral("/inside"), "x"));
    EXPECT_FALSE(WriteTextFile(QStringLiteral("bare.txt"), QStringLiteral("x")));
    // No staging files are left behind by failures.
    EXPECT_EQ(ListFiles(root() + QStringLiteral("/new/folder")), QStringList { text });
}

TEST(FileUtil, ListFilesSkipsFolders)
{
    const QString folder = root() + QStringLiteral("/list");
    ASSERT_TRUE(WriteTextFile(folder + QStringLiteral("/a.txt"), QStringLiteral("a")));
    ASSERT_TRUE(WriteTextFile(folder + QStringLiteral("/.hidden"), QStringLiteral("h")));
    ASSERT_TRUE(EnsureDirectory(folder + QStringLiteral("/sub/")));
    ASSERT_EQ(::symlink("/nonexistent", QFile::encodeName(folder + QStringLiteral("/dangling")).constData()),
              0);
    QStringList files = ListFiles(folder); // no trailing slash: one is added
    files.sort();
    EXPECT_EQ(files, (QStringList { folder + "/.hidden", folder + "/a.txt", folder + "/dangling" }));
    EXPECT_TRUE(ListFiles(QString()).isEmpty());
    EXPECT_TRUE(ListFiles(folder + QStringLiteral("/missing")).isEmpty());
}

TEST(FileUtil, Crc32)
{
    struct Case {
        QByteArray bytes;
        std::uint32_t crc;
    };
    const Case cases[] = {
        { "123456789", 0xCBF43926u },
        { "", 0u },
        { "a", 0xE8B7BE43u },
        { "The quick brown fox jumps over the lazy dog", 0x414FA339u },
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(n);
        EXPECT_EQ(BufferCrc32(c.bytes), c.crc);
        const QString path = root() + QStringLiteral("/crc") + QString::number(n++);
        ASSERT_TRUE(WriteBinaryFile(path, c.bytes));
        EXPECT_EQ(FileCrc32(path), c.crc);
    }
    EXPECT_EQ(FileCrc32(root() + QStringLiteral("/missing")), 0u);
    EXPECT_EQ(FileCrc32(root()), 0u); // a folder cannot be read
}

TEST(FileUtil, TempFolderIsPrivate)
{
    const QString folder = TempFolder();
    EXPECT_EQ(folder, root() + QStringLiteral("/runtime/Tavrin/"));
    EXPECT_EQ(modeOf(folder) & 0777, 0700u);

    // Without a runtime folder: under the system temporary path, named for the user.
    qunsetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(root()));
    const QString fallback
        = root() + QStringLiteral("/Tavrin-") + QString::number(::geteuid()) + QLatin1Char('/');
    EXPECT_EQ(TempFolder(), fallback);
    EXPECT_EQ(modeOf(fallback) & 0777, 0700u);
    if (savedTmp.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

TEST(FileUtil, TempFolderRefusesUnsafeFolders)
{
    const QString base = root() + QStringLiteral("/runtime");
    const QByteArray path = QFile::encodeName(base + QStringLiteral("/Tavrin"));
    const QByteArray elsewhere = QFile::encodeName(root() + QStringLiteral("/elsewhere"));
    ASSERT_EQ(::mkdir(elsewhere.constData(), 0700), 0);
    struct Case {
        const char *label;
        std::function<void()> plant;
        bool needsRoot = false;
    };
    const Case cases[] = {
        { "link to a private folder",
          [&] { ASSERT_EQ(::symlink(elsewhere.constData(), path.constData()), 0); } },
        { "dangling link", [&] { ASSERT_EQ(::symlink("/nonexistent/x", path.constData()), 0); } },
        { "writable by others",
          [&] {
              ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
              ASSERT_EQ(::chmod(path.constData(), 0777), 0);
          } },
        { "writable by the group",
          [&] {
              ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
              ASSERT_EQ(::chmod(path.constData(), 0770), 0);
          } },
        { "another user's",
          [&] {
              ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
              ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
          },
          true },
        { "a plain file", [&] { ASSERT_TRUE(WriteTextFile(QFile::decodeName(path), QStringLiteral("x"))); } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        if (c.needsRoot && ::geteuid() != 0)
            continue; // only root can give a folder away
        c.plant();
        EXPECT_EQ(TempFolder(), QString());
        EXPECT_EQ(NewTempFileName(QString()), QString());
        EXPECT_EQ(WriteTempTextFile(QStringLiteral("secret")), QString());
        DeleteTempFiles();
        EXPECT_TRUE(QDir(QFile::decodeName(elsewhere)).isEmpty());
        // Clear the plant for the next case.
        if (::unlink(path.constData()) != 0) {
            ASSERT_EQ(::rmdir(path.constData()), 0);
        }
    }
}

TEST(FileUtil, TempFilesAreNewUniqueAndCleanedUp)
{
    const QRegularExpression shape(QStringLiteral("^[0-9A-F]{4,8}\\.tmp$"));
    QSet<QString> names;
    for (int i = 0; i < 100; ++i) {
        const QString name = NewTempFileName(QString());
        ASSERT_FALSE(name.isEmpty());
        EXPECT_TRUE(name.startsWith(TempFolder()));
        EXPECT_TRUE(shape.match(QFileInfo(name).fileName()).hasMatch()) << name.toStdString();
        EXPECT_EQ(modeOf(name) & 0777, 0600u);
        EXPECT_EQ(QFileInfo(name).size(), 0);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 100);

    const QString page = WriteTempTextFile(QStringLiteral("<html>\n</html>"));
    EXPECT_EQ(readFile(page), QByteArray("<html>\n</html>"));
    const QString data = WriteTempBinaryFile(QByteArray("\x1f\x8b", 2));
    EXPECT_EQ(readFile(data), QByteArray("\x1f\x8b", 2));

    const QString sub = TempFolder() + QStringLiteral("sub/");
    ASSERT_TRUE(WriteTextFile(sub + QStringLiteral("kept.txt"), QStringLiteral("k")));
    DeleteTempFiles();
    EXPECT_EQ(ListFiles(TempFolder()), QStringList());
    EXPECT_TRUE(FileExists(sub + QStringLiteral("kept.txt")));
}

TEST(FileUtil, TempFileNamesNeverReuseOrFollowExistingOnes)
{
    // Every four-digit name is taken by a link to a file that must stay untouched. Sixty-five thousand
    // links are made much faster in memory than on disk, so the folder goes there when it can.
    QTemporaryDir memory(QStringLiteral("/dev/shm/tavrin-test-XXXXXX"));
    if (memory.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(memory.path()));
    const QString folder = TempFolder();
    ASSERT_FALSE(folder.isEmpty());
    const QByteArray victim = QFile::encodeName(root() + QStringLiteral("/victim"));
    ASSERT_TRUE(WriteBinaryFile(QFile::decodeName(victim), "precious"));
    for (int n = 0; n <= 0xffff; ++n) {
        const QString name = folder + QStringLiteral("%1").arg(n, 4, 16, QLatin1Char('0')).toUpper() + ".tmp";
        ASSERT_EQ(::symlink(victim.constData(), QFile::encodeName(name).constData()), 0);
    }
    const QString path = WriteTempTextFile(QStringLiteral("page"));
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFileInfo(path).fileName().size(), 12); // eight digits once the short names ran out
    EXPECT_EQ(readFile(path), QByteArray("page"));
    EXPECT_EQ(readFile(QFile::decodeName(victim)), QByteArray("precious"));
    DeleteTempFiles();
    EXPECT_EQ(ListFiles(folder), QStringList());
    EXPECT_EQ(readFile(QFile::decodeName(victim)), QByteArray("precious"));
}

TEST(FileUtil, ReadGzipText)
{
    const QByteArray doc = "<?xml version=\"1.0\"?><news>ñ</news>\n";
    const QByteArray packed = gzipBytes(doc);
    QByteArray corrupt = packed;
    corrupt[corrupt.size() - 6] = char(corrupt[corrupt.size() - 6] ^ 0x55); // break the CRC
    struct Case {
        const char *label;
        QByteArray input;
        QByteArray output;
    };
    const Case cases[] = {
        { "compressed", packed, doc },
        { "plain", doc, doc },
        { "plain binary", QByteArray("\0\x8b\x1f", 3), QByteArray("\0\x8b\x1f", 3) },
        { "empty", QByteArray(), QByteArray() },
        { "single magic byte", QByteArray("\x1f"), QByteArray("\x1f") },
        { "members in a row", gzipBytes("first,") + gzipBytes("second,") + gzipBytes("third"),
          "first,second,third" },
        { "empty member between", gzipBytes("a") + gzipBytes("") + gzipBytes("b"), "ab" },
        { "large", gzipBytes("0123456789", 100000), QByteArray("0123456789").repeated(100000) },
        { "trailing bytes ignored", packed + "\0\0junk", doc },
        { "truncated", packed.left(packed.size() / 2), QByteArray() },
        { "truncated trailer", packed.left(packed.size() - 3), QByteArray() },
        { "truncated second member", packed + gzipBytes("more").left(12), QByteArray() },
        { "corrupt checksum", corrupt, QByteArray() },
        { "magic then garbage", "\x1f\x8bnot really gzip", QByteArray() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ReadGzipText(c.input), c.output);
    }
}

TEST(FileUtil, ReadGzipTextStopsAtTheCap)
{
    const QByteArray zeros(1024 * 1024, '\0');
    const QByteArray atCap = gzipBytes(zeros, kMaxInflatedSize / zeros.size());
    EXPECT_EQ(ReadGzipText(atCap).size(), kMaxInflatedSize);
    const QByteArray bomb = gzipBytes(zeros, kMaxInflatedSize / zeros.size() + 1);
    EXPECT_LT(bomb.size(), 200 * 1024);
    EXPECT_EQ(ReadGzipText(bomb), QByteArray());
    // Split over members, the total counts.
    EXPECT_EQ(ReadGzipText(atCap + gzipBytes("x")), QByteArray());
}

} // namespace
} // namespace tavrin
