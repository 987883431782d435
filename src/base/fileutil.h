// Text, path, file, checksum and temporary-file helpers used all over the program.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace tavrin {

// Pieces of text cut at every separator; see the rules in fileutil.cpp.
QStringList SplitText(const QString &text, const QString &separator);
// One "%d" of sscanf at pos: blanks (space, tab, line breaks, vertical tab, form feed), an optional sign,
// digits; with a width above 0, at most that many characters after the blanks, sign included. True and
// pos after the number when a digit was read; false otherwise. Saturates at the int range.
bool ScanDecimal(const QString &text, qsizetype &pos, int &value, int width = 0);
// How many of the four numbers of "%d,%d-%d,%d" (left, top, right, bottom) the text yields, as sscanf
// counts them.
int ScanRect(const QString &text, int (&numbers)[4]);
// Every piece of the path but the last, each followed by "/"; "" when the path has no "/".
QString DirectoryOf(const QString &path);
// Creates every missing folder of the path (the root piece is never created); false on failure.
bool EnsureDirectory(const QString &path);
bool FileExists(const QString &path);

// $XDG_DATA_HOME/Tavrin/ (created when missing), ending with "/".
QString DataFolder();
// DataFolder() + "images/" + id + "." + the text after the last "." of url.
QString ImagePath(const QString &imageId, const QString &imageUrl);
// Every entry of the folder that is not a directory, as folder + name.
QStringList ListFiles(const QString &folder);

bool WriteTextFile(const QString &path, const QString &text);
bool WriteBinaryFile(const QString &path, const QByteArray &bytes);
// CRC-32 of the file's bytes; 0 when it cannot be opened or read.
std::uint32_t FileCrc32(const QString &path);
std::uint32_t BufferCrc32(const QByteArray &bytes);

// The private per-user temporary folder ending with "/", created on demand (0700);
// "" when it cannot be made safe (a link, or a folder of another user or open to others).
QString TempFolder();
// A new, exclusively created, empty file "XXXX.tmp" in TempFolder(); "" on failure.
QString NewTempFileName(const QString &prefix);
// NewTempFileName("") then WriteTextFile/WriteBinaryFile; the path, also when writing failed.
QString WriteTempTextFile(const QString &text);
QString WriteTempBinaryFile(const QByteArray &bytes);
// Deletes every file of TempFolder() (subfolders are left).
void DeleteTempFiles();

// Decompressed bytes of a gzip document (members in a row read as one stream); anything
// that is not gzip passes through unchanged; "" when decompression fails or exceeds the cap.
QByteArray ReadGzipText(const QByteArray &bytes);
// The largest document ReadGzipText inflates (64 MiB).
constexpr qsizetype kMaxInflatedSize = 64 * 1024 * 1024;

} // namespace tavrin
