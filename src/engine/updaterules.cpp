// The self-update's decisions as plain values: the progress bar's arithmetic and which installer may run
// (also what the publisher's site checker reports).
#include "engine/updaterules.h"

#include "net/connectivity.h"

#include <QCryptographicHash>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace tavrin {

void DownloadProgress::announce(qint64 length)
{
    m_length = std::max<qint64>(length, 0);
    m_position = 0;
}

void DownloadProgress::advance(qint64 count)
{
    m_position += std::max<qint64>(count, 0);
}

ProgressBarValues DownloadProgress::bar() const
{
    // A bar with an empty range would animate as "busy"; one unit with nothing done stands still.
    if (m_length <= 0)
        return { 1, 0 };
    // The installer's size cap keeps a length that arrives far below an int's limit.
    const qint64 maximum = std::min<qint64>(m_length, std::numeric_limits<int>::max());
    return { int(maximum), int(std::min(m_position, maximum)) };
}

bool TrustedInstallerAddress(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid())
        return false;
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return !parsed.host().isEmpty();
    return scheme == QLatin1String("http") && IsLoopbackAddress(url);
}

QByteArray Sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString RefusalText(InstallerRefusal refusal)
{
    switch (refusal) {
    case InstallerRefusal::None:
        return QStringLiteral("accepted");
    case InstallerRefusal::InsecureAddress:
        return QStringLiteral("its address is neither https nor a loopback address");
    case InstallerRefusal::HashMismatch:
        return QStringLiteral("its SHA-256 is not the configured one");
    case InstallerRefusal::FileChanged:
        return QStringLiteral("the file changed after it was written");
    }
    return QString();
}

InstallerRefusal JudgeInstaller(const QString &url, const QString &expectedSha256,
                                const QByteArray &downloadedSha256, const QByteArray &writtenSha256)
{
    if (!TrustedInstallerAddress(url))
        return InstallerRefusal::InsecureAddress;
    const QByteArray downloaded = downloadedSha256.toLower();
    if (!expectedSha256.isEmpty() && expectedSha256.toLatin1().toLower() != downloaded)
        return InstallerRefusal::HashMismatch;
    if (writtenSha256.isEmpty() || writtenSha256.toLower() != downloaded)
        return InstallerRefusal::FileChanged;
    return InstallerRefusal::None;
}

} // namespace tavrin
