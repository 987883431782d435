// The downloaded installer on disk: written once, read back through the same file, started from it.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace tavrin {

// A new temporary file in the private temporary folder, created exclusively, written and synced, made
// executable by its owner only, and kept open for reading. Its hash is read through that descriptor and it
// is started through it too, so the program that runs is the file that was checked, even when its name is
// replaced or removed in between (the exit clears the temporary folder right after the start).
class InstallerFile {
public:
    InstallerFile() = default;
    // Closes the descriptor; the file stays unless remove() was called.
    ~InstallerFile();
    InstallerFile(const InstallerFile &) = delete;
    InstallerFile &operator=(const InstallerFile &) = delete;

    // Creates the file and writes every byte; false on any failure (a half-made file is removed).
    bool write(const QByteArray &bytes);
    QString path() const { return m_path; }
    // Hexadecimal SHA-256 of what the file holds now; "" when it cannot be read or its name no longer
    // leads to it.
    QByteArray sha256() const;
    // Starts the file as a detached process: no shell, no arguments, the program's environment and folder.
    bool start();
    // Deletes the file and closes the descriptor.
    void remove();

private:
    QString m_path;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace tavrin
