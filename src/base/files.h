// Files written whole, listed and checksummed; temporary files in the program's private folder.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace tavrin {

// Every piece of the path but the last, each followed by "/"; "" when the path has no "/".
QString DirectoryOf(const QString &path);
// Creates every missing folder of the path (the root piece is never created); false on failure.
bool EnsureDirectory(const QString &path);
bool FileExists(const QString &path);
// Every entry of the folder that is not a directory, as folder + name.
QStringList ListFiles(const QString &folder);

// The one way the program replaces a file: the bytes go to a new, exclusively created file beside the
// target, which is renamed over the target only on commit. A failed write leaves the previous file whole,
// a link planted at the target is replaced, never followed, and an uncommitted file is removed.
class StagedFile {
public:
    explicit StagedFile(QString path);
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // Creates the staging file and writes every byte to disk; false on any failure (once per object).
    bool write(const QByteArray &bytes);
    // Puts the written file in place; false when nothing was written or the rename failed.
    bool commit();

private:
    QString m_path;
    QString m_staging;
};

// StagedFile write and commit in one step.
bool WriteTextFile(const QString &path, const QString &text);
bool WriteBinaryFile(const QString &path, const QByteArray &bytes);
// CRC-32 of the file's bytes; 0 when it cannot be opened or read.
std::uint32_t FileCrc32(const QString &path);
std::uint32_t BufferCrc32(const QByteArray &bytes);

// A new, exclusively created, empty file "XXXX.tmp" in TempFolder(); "" on failure.
QString NewTempFileName(const QString &prefix);
// NewTempFileName("") then WriteTextFile/WriteBinaryFile; the path, also when writing failed.
QString WriteTempTextFile(const QString &text);
QString WriteTempBinaryFile(const QByteArray &bytes);
// Deletes every file of TempFolder() (subfolders are left).
void DeleteTempFiles();

} // namespace tavrin
