// File helpers: text and number scanning, paths, folders, writing, checksums, temporary files, gzip.
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

#include <climits>

#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::gzipBytes;
using test::readFile;

// A path in the current test's private folder.
QString at(const QString &name)
{
    return test::PrivateFoldersListener::root() + u'/' + name;
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

mode_t modeOf(const QString &path)
{
    struct stat st { };
    EXPECT_EQ(::lstat(native(path).constData(), &st), 0);
    return st.st_mode;
}

TEST(FileUtil, SplitTextDirectoryOfAndScanning)
{
    // Text, separator, pieces joined by "|" (none: no piece at all).
    const char *const splits[][3]
        = { { "a//b", "/", "a||b" }, { "a/b/", "/", "a|b" }, { "/a", "/", "|a" },  { "abc", "/", "abc" },
            { "", "/", nullptr },    { "a/b", "", nullptr }, { "aaa", "aa", "|a" } };
    for (const auto &[text, separator, pieces] : splits) {
        EXPECT_EQ(SplitText(QString::fromLatin1(text), QString::fromLatin1(separator)),
                  pieces ? QString::fromLatin1(pieces).split(u'|') : QStringList())
            << text << " | " << separator;
    }
    const char *const dirs[][2]
        = { { "/h/u/f.txt", "/h/u/" }, { "f.txt", "" }, { "/f", "/" }, { "/a/b/", "/a/" }, { "a/b", "a/" } };
    for (const auto &[path, dir] : dirs)
        EXPECT_EQ(DirectoryOf(QString::fromLatin1(path)), QString::fromLatin1(dir)) << path;

    // Text, value, position after the number (0: nothing read), width. A no-break space (\240) is no
    // blank; the width counts the sign, not the blanks; values saturate.
    constexpr int kMax = INT_MAX, kMin = INT_MIN;
    const struct {
        const char *text;
        int value;
        qsizetype end;
        int width = 0;
    } numbers[] = { { "  -7x", -7, 4 },
                    { "\t\n\v\f\r+5", 5, 7 },
                    { "\2405", 0, 0 },
                    { "- 5", 0, 0 },
                    { "", 0, 0 },
                    { "20240", 2024, 4, 4 },
                    { " -123", -1, 3, 2 },
                    { "-1", 0, 0, 1 },
                    { "9999999999", kMax, 10 },
                    { "-9999999999", kMin, 11 } };
    for (const auto &c : numbers) {
        SCOPED_TRACE(std::string(c.text) + " width " + std::to_string(c.width));
        qsizetype pos = 0;
        int value = 0;
        EXPECT_EQ(ScanDecimal(QString::fromLatin1(c.text), pos, value, c.width), c.end > 0);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(pos, c.end);
    }
    const std::pair<const char *, int> rects[] = { { "1,2-3,4", 4 }, { "1,2,3,4", 2 }, { "1 ,2-3,4", 1 },
                                                   { "1,2-3", 3 },   { "x", 0 },       { "1,2-3,4,5", 4 } };
    for (const auto &[text, count] : rects) {
        int numbers[4] = {};
        EXPECT_EQ(ScanRect(QString::fromLatin1(text), numbers), count) << text;
    }
}

TEST(FileUtil, EnsureDirectoryAndListFiles)
{
    EXPECT_TRUE(EnsureDirectory(at(u"one/two/three"_s)));
    EXPECT_TRUE(QFileInfo(at(u"one/two/three"_s)).isDir());
    EXPECT_TRUE(EnsureDirectory(at(u"one/two/three/"_s))); // existing folders are fine

    // A single piece is refused and nothing is made.
    QDir::setCurrent(at(QString()));
    EXPECT_FALSE(EnsureDirectory(u"lonely"_s));
    EXPECT_FALSE(FileExists(at(u"lonely"_s)));
    EXPECT_FALSE(EnsureDirectory(QString()));

    // A file in the way is a failure.
    ASSERT_TRUE(WriteTextFile(at(u"plain"_s), u"x"_s));
    EXPECT_FALSE(EnsureDirectory(at(u"plain/sub/more"_s)));
    EXPECT_TRUE(FileExists(at(u"plain"_s)));

    // Listing skips folders but keeps hidden files and dangling links.
    const QString folder = at(u"list"_s);
    ASSERT_TRUE(WriteTextFile(folder + u"/a.txt"_s, u"a"_s));
    ASSERT_TRUE(WriteTextFile(folder + u"/.hidden"_s, u"h"_s));
    ASSERT_TRUE(EnsureDirectory(folder + u"/sub/"_s));
    ASSERT_EQ(::symlink("/nonexistent", native(folder + u"/dangling"_s).constData()), 0);
    QStringList files = ListFiles(folder); // no trailing slash: one is added
    files.sort();
    EXPECT_EQ(files, (QStringList { folder + "/.hidden", folder + "/a.txt", folder + "/dangling" }));
    EXPECT_TRUE(ListFiles(QString()).isEmpty());
    EXPECT_TRUE(ListFiles(folder + u"/missing"_s).isEmpty());
}

TEST(FileUtil, DataFolderAndImagePaths)
{
    const QString data = at(u"data/Tavrin/"_s);
    EXPECT_EQ(DataFolder(), data);
    EXPECT_TRUE(QFileInfo(data).isDir());

    // Neither the id nor the extension can leave the image folder or cut the name short.
    const QString cases[][3] = {
        { u"logo_1"_s, u"http://x.example/show.php?id=3.gif&v=2"_s, u"logo_1.gif&v=2"_s },
        { u"logo_1"_s, u"noextension"_s, u"logo_1."_s },
        { u"logo_1"_s, u"http://x.example/a.b/../../../../etc/passwd"_s, u"logo_1._etc_passwd"_s },
        { u"../up"_s, u"a.png"_s, u".._up.png"_s },
        { u"a\0b"_s, u"x.p\0ng"_s, u"a_b.p_ng"_s },
    };
    for (const auto &[id, url, name] : cases)
        EXPECT_EQ(ImagePath(id, url), data + u"images/"_s + name) << url.toStdString();

    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DataFolder(), at(u"home/.local/share/Tavrin/"_s));
}

TEST(FileUtil, WritesFilesAsGivenAndNeverThroughLinks)
{
    const QString text = at(u"new/folder/page.html"_s);
    const QString html = u"<p>línea 1</p>\n<p>€ 2</p>\n"_s;
    ASSERT_TRUE(WriteTextFile(text, html));
    EXPECT_EQ(readFile(text), html.toUtf8()); // line feeds stay line feeds

    const QString bin = at(u"bin.dat"_s);
    for (const QByteArray &bytes : { QByteArray("\0\x01\xff\r\n", 5), QByteArray() }) {
        ASSERT_TRUE(WriteBinaryFile(bin, bytes));
        EXPECT_EQ(readFile(bin), bytes);
    }

    // A link planted at the target is replaced by the file, and what it pointed to is untouched.
    ASSERT_TRUE(WriteBinaryFile(at(u"victim"_s), "precious"));
    ASSERT_EQ(::symlink(native(at(u"victim"_s)).constData(), native(at(u"planted"_s)).constData()), 0);
    ASSERT_TRUE(WriteTextFile(at(u"planted"_s), u"mine"_s));
    EXPECT_EQ(readFile(at(u"victim"_s)), QByteArray("precious"));
    EXPECT_TRUE(S_ISREG(modeOf(at(u"planted"_s))));
    EXPECT_EQ(readFile(at(u"planted"_s)), QByteArray("mine"));

    // Failures: a folder in the way, a file where a folder should be, a bare name.
    EXPECT_FALSE(WriteTextFile(at(u"new/folder"_s), u"x"_s));
    EXPECT_TRUE(QFileInfo(at(u"new/folder"_s)).isDir());
    EXPECT_FALSE(WriteBinaryFile(bin + u"/inside"_s, "x"));
    EXPECT_FALSE(WriteTextFile(u"bare.txt"_s, u"x"_s));
    // No staging files are left behind by failures.
    EXPECT_EQ(ListFiles(at(u"new/folder"_s)), QStringList { text });
}

TEST(FileUtil, Crc32)
{
    const std::pair<QByteArray, std::uint32_t> cases[] = {
        { "123456789", 0xCBF43926u },
        { "", 0u },
        { QByteArray(10000, 'x'), 0x0D55A4A3u }, // more than one read of the file
    };
    for (const auto &[bytes, crc] : cases) {
        EXPECT_EQ(BufferCrc32(bytes), crc) << bytes.size();
        ASSERT_TRUE(WriteBinaryFile(at(u"crc"_s), bytes));
        EXPECT_EQ(FileCrc32(at(u"crc"_s)), crc) << bytes.size();
    }
    EXPECT_EQ(FileCrc32(at(u"missing"_s)), 0u);
    EXPECT_EQ(FileCrc32(at(QString())), 0u); // a folder cannot be read
}

TEST(FileUtil, TempFolderIsPrivate)
{
    EXPECT_EQ(TempFolder(), at(u"runtime/Tavrin/"_s));
    EXPECT_EQ(modeOf(TempFolder()) & 0777, 0700u);
    EXPECT_EQ(SingleInstanceLockPath(), at(u"runtime/Tavrin_ONE_AND_ONLY"_s));

    // Without a runtime folder: a private one of our own under the system temporary path, named for the
    // user, holding the temporary folder and the lock.
    qunsetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", native(at(QString())));
    const QString runtime = at(u"Tavrin-"_s + QString::number(::geteuid()) + u'/');
    EXPECT_EQ(TempFolder(), runtime + u"Tavrin/"_s);
    EXPECT_EQ(SingleInstanceLockPath(), runtime + u"Tavrin_ONE_AND_ONLY"_s);
    EXPECT_EQ(modeOf(runtime) & 0777, 0700u);
    // A runtime folder another user could write to is refused, and nothing is made inside it.
    ASSERT_EQ(::chmod(native(runtime).constData(), 0777), 0);
    EXPECT_EQ(RuntimeFolder(), QString());
    EXPECT_EQ(SingleInstanceLockPath(), QString());
    if (savedTmp.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

TEST(FileUtil, TempFolderRefusesUnsafeFolders)
{
    const QByteArray path = native(at(u"runtime/Tavrin"_s));
    const QByteArray elsewhere = native(at(u"elsewhere"_s));
    ASSERT_EQ(::mkdir(elsewhere.constData(), 0700), 0);
    // What is planted at the folder's place: a link, a plain file, or a folder with this mode and owner.
    const struct {
        const char *label;
        const char *linkTo = nullptr;
        bool file = false;
        mode_t mode = 0700;
        uid_t owner = uid_t(-1); // -1: left as made
    } cases[] = {
        { "link to a private folder", elsewhere.constData() },
        { "dangling link", "/nonexistent/x" },
        { "a plain file", nullptr, true },
        { "writable by others", nullptr, false, 0777 },
        { "writable by the group", nullptr, false, 0770 },
        { "another user's", nullptr, false, 0700, 65534 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        if (c.owner != uid_t(-1) && ::geteuid() != 0)
            continue; // only root can give a folder away
        if (c.linkTo) {
            ASSERT_EQ(::symlink(c.linkTo, path.constData()), 0);
        } else if (c.file) {
            ASSERT_TRUE(WriteTextFile(QFile::decodeName(path), u"x"_s));
        } else {
            ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
            ASSERT_EQ(::chmod(path.constData(), c.mode), 0);
            ASSERT_EQ(::chown(path.constData(), c.owner, c.owner), 0);
        }
        EXPECT_EQ(TempFolder(), QString());
        EXPECT_EQ(NewTempFileName(QString()), QString());
        EXPECT_EQ(WriteTempTextFile(u"secret"_s), QString());
        DeleteTempFiles();
        EXPECT_TRUE(QDir(QFile::decodeName(elsewhere)).isEmpty());
        if (::unlink(path.constData()) != 0) {
            ASSERT_EQ(::rmdir(path.constData()), 0);
        }
    }
}

TEST(FileUtil, TempFilesAreNewUniqueAndCleanedUp)
{
    const QRegularExpression shape(u"^[0-9A-F]{4,8}\\.tmp$"_s);
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

    EXPECT_EQ(readFile(WriteTempTextFile(u"<html>\n</html>"_s)), QByteArray("<html>\n</html>"));
    EXPECT_EQ(readFile(WriteTempBinaryFile(QByteArray("\x1f\x8b", 2))), QByteArray("\x1f\x8b", 2));

    const QString kept = TempFolder() + u"sub/kept.txt"_s;
    ASSERT_TRUE(WriteTextFile(kept, u"k"_s));
    DeleteTempFiles();
    EXPECT_EQ(ListFiles(TempFolder()), QStringList());
    EXPECT_TRUE(FileExists(kept)); // subfolders stay
}

TEST(FileUtil, TempFileNamesNeverReuseOrFollowExistingOnes)
{
    // Every four-digit name is taken by a link to a file that must stay untouched. Sixty-five thousand
    // links are made much faster in memory than on disk, so the folder goes there when it can.
    QTemporaryDir memory(u"/dev/shm/tavrin-test-XXXXXX"_s);
    if (memory.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(memory.path()));
    const QString folder = TempFolder();
    ASSERT_FALSE(folder.isEmpty());
    const QString victim = at(u"victim"_s);
    ASSERT_TRUE(WriteBinaryFile(victim, "precious"));
    for (int n = 0; n <= 0xffff; ++n) {
        const QString name = folder + u"%1"_s.arg(n, 4, 16, QLatin1Char('0')).toUpper() + u".tmp"_s;
        ASSERT_EQ(::symlink(native(victim).constData(), native(name).constData()), 0);
    }
    const QString path = WriteTempTextFile(u"page"_s);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFileInfo(path).fileName().size(), 12); // eight digits once the short names ran out
    EXPECT_EQ(readFile(path), QByteArray("page"));
    DeleteTempFiles();
    EXPECT_EQ(ListFiles(folder), QStringList());
    EXPECT_EQ(readFile(victim), QByteArray("precious"));
}

TEST(FileUtil, ReadGzipText)
{
    const QByteArray doc = "<?xml version=\"1.0\"?><news>ñ</news>\n";
    const QByteArray packed = gzipBytes(doc);
    QByteArray corrupt = packed;
    corrupt[corrupt.size() - 6] = char(corrupt[corrupt.size() - 6] ^ 0x55); // break the CRC
    const struct {
        const char *label;
        QByteArray input, output;
    } cases[] = {
        { "compressed", packed, doc },
        { "plain binary", QByteArray("\0\x8b\x1f", 3), QByteArray("\0\x8b\x1f", 3) },
        { "single magic byte", QByteArray("\x1f"), QByteArray("\x1f") },
        { "members in a row, one empty", gzipBytes("first,") + gzipBytes("") + gzipBytes("second"),
          "first,second" },
        { "large", gzipBytes("0123456789", 100000), QByteArray("0123456789").repeated(100000) },
        { "trailing bytes ignored", packed + "\0\0junk", doc },
        { "truncated trailer", packed.left(packed.size() - 3), QByteArray() },
        { "truncated second member", packed + gzipBytes("more").left(12), QByteArray() },
        { "corrupt checksum", corrupt, QByteArray() },
        { "magic then garbage", "\x1f\x8bnot really gzip", QByteArray() },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadGzipText(c.input), c.output) << c.label;

    // A bomb stops at the cap, also when split over members.
    const QByteArray zeros(1024 * 1024, '\0');
    const QByteArray atCap = gzipBytes(zeros, kMaxInflatedSize / zeros.size());
    EXPECT_EQ(ReadGzipText(atCap).size(), kMaxInflatedSize);
    const QByteArray bomb = gzipBytes(zeros, kMaxInflatedSize / zeros.size() + 1);
    EXPECT_LT(bomb.size(), 200 * 1024);
    EXPECT_EQ(ReadGzipText(bomb), QByteArray());
    EXPECT_EQ(ReadGzipText(atCap + gzipBytes("x")), QByteArray());
}

} // namespace
} // namespace tavrin
