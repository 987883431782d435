// The self-update's decisions as plain values: the progress bar's arithmetic and which installer may run
// (also what the publisher's site checker reports).
#pragma once

#include <QByteArray>
#include <QString>

namespace tavrin {

// A failed installer download is tried again after this wait (scaled by the clock service).
constexpr int kUpdateRetryMs = 5000;

// What the progress bar shows.
struct ProgressBarValues {
    int maximum = 1;
    int value = 0;
    friend bool operator==(const ProgressBarValues &, const ProgressBarValues &) = default;
};

// The download's progress as its two notifications report it: the announced length (range 0..length,
// position 0), then the bytes of each chunk added to the position.
class DownloadProgress {
public:
    void announce(qint64 length);
    void advance(qint64 count);
    qint64 length() const { return m_length; }
    qint64 position() const { return m_position; }
    // Bar values: the position kept inside the range, so an unknown length (0) leaves an empty bar that
    // stays still.
    ProgressBarValues bar() const;

private:
    qint64 m_length = 0;
    qint64 m_position = 0;
};

// Whether an installer may come from this address: https (the HTTP client always verifies the
// certificate, and never follows a redirect from https down to http), or http from a loopback host for
// development and tests. Anything else could be replaced by whoever sits on the network path.
bool TrustedInstallerAddress(const QString &url);

// Why an installer is not started.
enum class InstallerRefusal {
    None, // accepted
    InsecureAddress, // not https and not loopback
    HashMismatch, // the configuration names a SHA-256 the downloaded bytes do not have
    FileChanged, // the file about to run no longer holds the downloaded bytes
};
// Hexadecimal SHA-256 of the bytes.
QByteArray Sha256Hex(const QByteArray &bytes);
// Why, in words, for the log and the site checker.
QString RefusalText(InstallerRefusal refusal);
// The verdict on a downloaded installer. Hashes are hexadecimal SHA-256 texts, compared without regard to
// case; expectedSha256 is "" when the configuration gives none, writtenSha256 "" when the file could not
// be read back.
InstallerRefusal JudgeInstaller(const QString &url, const QString &expectedSha256,
                                const QByteArray &downloadedSha256, const QByteArray &writtenSha256);

} // namespace tavrin
