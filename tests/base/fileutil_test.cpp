// Base helpers: text and number scanning, folders and paths, files written whole, temporary files, gzip.
#include "base/files.h"
#include "base/gzip.h"
#include "base/paths.h"
#include "base/text.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin;
using namespace Qt::StringLiterals;
using test::gzipBytes;
using test::readFile;

// A path in the current test's private folder, and the same path for the C library.
const auto at = [](QStringView n) { return test::PrivateFoldersListener::root() + u'/' + n.toString(); };
const auto native = [](const QString &path) { return QFile::encodeName(path); };

// The mode of what is at the path itself, not of what a link there points to; 0 when nothing is.
static mode_t modeOf(const QString &path)
{
    struct stat st { };
    return ::lstat(native(path).constData(), &st) == 0 ? st.st_mode : 0;
}

TEST(FileUtil, SplittingAndScanningFollowTheCLibrary)
{
    // Empty pieces count, but not a trailing one; an empty separator gives no piece.
    EXPECT_EQ(SplitText(u"/a//b/"_s, u"/"_s), (QStringList { "", "a", "", "b" }));
    EXPECT_EQ(SplitText(u"aaa"_s, u"aa"_s), (QStringList { "", "a" }));
    EXPECT_TRUE(SplitText(u""_s, u"/"_s).isEmpty() && SplitText(u"a/b"_s, {}).isEmpty());
    EXPECT_TRUE(DirectoryOf(u"/f"_s) == u"/" && DirectoryOf(u"/a/b/"_s) == u"/a/");

    // "value@position after it" ("": nothing read, nothing changed). A no-break space (\240) is no blank;
    // a sign must touch its digits; a width counts the sign, not the blanks; values saturate.
    const auto scan = [](const char *text, int width = 0) {
        qsizetype pos = 0;
        int value = 0;
        const bool read = ScanDecimal(QString::fromLatin1(text), pos, value, width);
        return read || pos || value ? u"%1@%2"_s.arg(value).arg(pos) : QString();
    };
    using Scan = std::tuple<const char *, int, const char *>; // text, width (0: none), result
    const Scan numbers[]
        = { { "\t\n\v\f\r +5x", 0, "5@8" }, { "\2405", 0, "" },     { "- 5", 0, "" }, { "", 0, "" },
            { "20240", 4, "2024@4" },       { " -123", 2, "-1@3" }, { "-1", 1, "" } };
    for (const auto &[text, width, expected] : numbers)
        EXPECT_EQ(scan(text, width), QLatin1String(expected)) << text;
    EXPECT_EQ(scan("9999999999"), u"2147483647@10"_s);
    EXPECT_EQ(scan("-9999999999"), u"-2147483648@11"_s);
    // A separator matches only itself, with no blank before it; text after the fourth number is ignored.
    const std::pair<const char *, int> rects[]
        = { { "1,2-3,4,5", 4 }, { "1,2,3,4", 2 }, { "1 ,2-3,4", 1 }, { "1,2-3", 3 }, { "x", 0 }, { "", 0 } };
    int four[4] = {};
    for (const auto &[text, count] : rects)
        EXPECT_EQ(ScanRect(QString::fromLatin1(text), four), count) << text;
}

TEST(FileUtil, FilesAreWrittenWholeNeverThroughLinks)
{
    const QString page = at(u"new/folder/page.html"), html = u"<p>línea 1</p>\n<p>€ 2</p>\n"_s;
    ASSERT_TRUE(WriteTextFile(page, html)); // the folders are made piece by piece
    EXPECT_EQ(readFile(page), html.toUtf8()); // line feeds stay line feeds
    for (const QByteArray &bytes : { QByteArray("\0\x01\xff\r\n", 5), QByteArray() })
        EXPECT_TRUE(WriteBinaryFile(at(u"bin"), bytes) && readFile(at(u"bin")) == bytes) << bytes.size();
    // A file's checksum takes several reads here; an unreadable file (missing, a folder) gives 0.
    ASSERT_TRUE(WriteBinaryFile(at(u"crc"), QByteArray(10000, 'x')));
    EXPECT_EQ(FileCrc32(at(u"crc")), 0x0D55A4A3u);
    EXPECT_EQ(FileCrc32(at(u"missing")) + FileCrc32(at(u"")), 0u);

    // A link planted at the target is replaced by the file, and what it pointed to is untouched.
    ASSERT_TRUE(WriteBinaryFile(at(u"victim"), "precious"));
    ASSERT_EQ(::symlink(native(at(u"victim")).constData(), native(at(u"planted")).constData()), 0);
    ASSERT_TRUE(WriteTextFile(at(u"planted"), u"mine"_s));
    EXPECT_TRUE(S_ISREG(modeOf(at(u"planted"))) && readFile(at(u"planted")) == "mine");
    EXPECT_EQ(readFile(at(u"victim")), QByteArray("precious"));

    // Failures (a folder in the way, a file where a folder should be, a bare name) leave no staging file;
    // the first piece of a path is never made.
    EXPECT_FALSE(WriteTextFile(at(u"new/folder"), u"x"_s) || WriteBinaryFile(at(u"bin/inside"), "x")
                 || WriteTextFile(u"bare.txt"_s, u"x"_s) || EnsureDirectory(at(u"bin/sub/more")));
    EXPECT_EQ(ListFiles(at(u"new/folder")), QStringList { page });
    QDir::setCurrent(at(u""));
    EXPECT_FALSE(EnsureDirectory(u"lonely"_s) || FileExists(at(u"lonely")));

    const QString data = at(u"data/Tavrin/");
    EXPECT_TRUE(DataFolder() == data && QFileInfo(data).isDir()) << DataFolder().toStdString();
    // The extension follows the last dot; neither piece can leave the image folder or cut the name short.
    const QString images[][3] = {
        { u"logo_1"_s, u"http://x.example/show.php?id=3.gif&v=2"_s, u"logo_1.gif&v=2"_s },
        { u"logo_1"_s, u"noextension"_s, u"logo_1."_s },
        { u"../a\0b"_s, u"http://x.example/a.b/../../../etc/pass\0wd"_s, u".._a_b._etc_pass_wd"_s },
    };
    for (const auto &[id, url, name] : images)
        EXPECT_EQ(ImagePath(id, url), data + u"images/"_s + name) << url.toStdString();
}

TEST(FileUtil, TempFolderAndFilesArePrivateAndNeverFollowLinks)
{
    // 65536 links are made much faster in memory than on disk, so the runtime folder goes there when it can.
    QTemporaryDir memory(u"/dev/shm/tavrin-test-XXXXXX"_s);
    if (memory.isValid())
        qputenv("XDG_RUNTIME_DIR", native(memory.path()));
    const QString folder = TempFolder();
    EXPECT_TRUE(folder == qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/Tavrin/"_s
                && (modeOf(folder) & 0777) == 0700);
    const QByteArray folderBytes = native(folder.chopped(1)), elsewhereBytes = native(at(u"elsewhere"));
    const char *path = folderBytes.constData(), *elsewhere = elsewhereBytes.constData();
    ASSERT_TRUE(::rmdir(path) == 0 && ::mkdir(elsewhere, 0700) == 0);
    // Planted at the folder's place: a link, a plain file, or a folder of this mode and owner (-1: ours).
    const std::tuple<const char *, const char *, mode_t, int> cases[] = {
        { "link to a private folder", elsewhere, 0, -1 }, { "dangling link", "/nonexistent/x", 0, -1 },
        { "a plain file", nullptr, S_IFREG | 0600, -1 },  { "writable by others", nullptr, 0702, -1 },
        { "writable by the group", nullptr, 0720, -1 },   { "another user's", nullptr, 0700, 65534 },
    };
    for (const auto &[label, linkTo, mode, owner] : cases) {
        SCOPED_TRACE(label);
        if (owner >= 0 && ::geteuid() != 0)
            continue; // only root can give a folder away
        if (linkTo)
            ASSERT_EQ(::symlink(linkTo, path), 0);
        else
            ASSERT_TRUE((S_ISREG(mode) ? ::mknod(path, mode, 0) : ::mkdir(path, mode)) == 0
                        && ::chmod(path, mode & 0777) == 0 && ::chown(path, uid_t(owner), gid_t(owner)) == 0);
        EXPECT_TRUE(TempFolder() != folder && !WriteTempTextFile(u"secret"_s).isEmpty());
        DeleteTempFiles();
        EXPECT_TRUE(QDir(QFile::decodeName(elsewhere)).isEmpty());
        ASSERT_TRUE(::unlink(path) == 0 || ::rmdir(path) == 0);
    }

    // A new, empty, private file with a four-digit name.
    const QString name = NewTempFileName(QString());
    const QRegularExpression shape(u"^"_s + QRegularExpression::escape(folder) + u"[0-9A-F]{4}\\.tmp$"_s);
    EXPECT_TRUE(shape.match(name).hasMatch() && modeOf(name) == (S_IFREG | 0600)) << name.toStdString();
    EXPECT_EQ(readFile(name), QByteArray());
    EXPECT_EQ(readFile(WriteTempBinaryFile(QByteArray("\x1f\x8b", 2))), QByteArray("\x1f\x8b", 2));
    // Cleaning up removes every file, hidden ones and dangling links too, but not subfolders.
    ASSERT_TRUE(WriteTextFile(folder + u".hidden"_s, {}) && WriteTextFile(folder + u"sub/kept"_s, {}));
    ASSERT_EQ(::symlink("/nonexistent", native(folder + u"dangling"_s).constData()), 0);
    EXPECT_TRUE(ListFiles(folder.chopped(1)).contains(folder + u".hidden"_s)); // a slash is added
    DeleteTempFiles();
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList { u"sub"_s });
    EXPECT_TRUE(ListFiles(folder).isEmpty() && ListFiles({}).isEmpty() && ListFiles(at(u"no")).isEmpty());

    // Every four-digit name is taken by a link to a file that must stay untouched.
    ASSERT_TRUE(WriteBinaryFile(at(u"victim"), "precious"));
    for (int n = 0; n <= 0xffff; ++n) {
        const QString link = folder + u"%1"_s.arg(n, 4, 16, QLatin1Char('0')).toUpper() + u".tmp"_s;
        ASSERT_EQ(::symlink(native(at(u"victim")).constData(), native(link).constData()), 0);
    }
    const QString page = WriteTempTextFile(u"page"_s);
    EXPECT_EQ(QFileInfo(page).fileName().size(), 12); // eight digits once the short names ran out
    EXPECT_EQ(readFile(page), QByteArray("page"));
    DeleteTempFiles();
    EXPECT_TRUE(ListFiles(folder).isEmpty() && readFile(at(u"victim")) == "precious");

    // Without a runtime folder: a private one under the system temporary path, named for the user.
    qunsetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", native(at(u"")));
    const QString fallback = at(u"Tavrin-%1/"_s.arg(::geteuid()));
    EXPECT_TRUE(RuntimeFolder() == fallback && TempFolder() == fallback + u"Tavrin/"_s)
        << TempFolder().toStdString();
    EXPECT_TRUE((modeOf(fallback) & 0777) == 0700 && (modeOf(TempFolder()) & 0777) == 0700);
    EXPECT_EQ(SingleInstanceLockPath(), fallback + u"Tavrin_ONE_AND_ONLY"_s);
    // A runtime folder others may write to is refused: the temporary folder and the lock go to our own.
    ASSERT_EQ(::chmod(native(fallback).constData(), 0777), 0);
    EXPECT_TRUE(TempFolder() == at(u"cache/Tavrin/runtime/Tavrin/")
                && SingleInstanceLockPath() == at(u"cache/Tavrin/runtime/Tavrin_ONE_AND_ONLY"));
    savedTmp.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", savedTmp);
}

TEST(FileUtil, ReadGzipTextIsBoundedAndRefusesDamage)
{
    const QByteArray doc = "<?xml version=\"1.0\"?><news>ñ</news>\n", packed = gzipBytes(doc);
    const QByteArray zeros(1024 * 1024, '\0'), atCap = gzipBytes(zeros, kMaxInflatedSize / zeros.size());
    const QByteArray bomb = gzipBytes(zeros, kMaxInflatedSize / zeros.size() + 1);
    const std::tuple<const char *, QByteArray, QByteArray> cases[] = {
        { "plain binary", QByteArray("\0\x8b\x1f", 3), QByteArray("\0\x8b\x1f", 3) },
        { "single magic byte", "\x1f", "\x1f" },
        { "members in a row, one empty", gzipBytes("first,") + gzipBytes("") + gzipBytes("second"),
          "first,second" },
        { "trailing bytes ignored", packed + QByteArray("\0\0junk", 6), doc },
        { "truncated trailer", packed.chopped(3), {} },
        { "truncated second member", packed + gzipBytes("more").left(12), {} },
        { "corrupt checksum", packed.chopped(8) + QByteArray(4, '\0') + packed.right(4), {} },
        { "exactly at the cap", atCap, QByteArray(kMaxInflatedSize, '\0') },
        { "a bomb past the cap", bomb, {} },
        { "past the cap over members", atCap + gzipBytes("x"), {} },
    };
    for (const auto &[label, input, output] : cases)
        EXPECT_TRUE(ReadGzipText(input) == output) << label; // no print of 64 MiB
}
