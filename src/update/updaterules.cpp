// The self-update's decisions as plain values: the progress bar's arithmetic and which installer may run.
#include "update/updaterules.h"

#include <QHostAddress>
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
    constexpr qint64 kIntMax = std::numeric_limits<int>::max();
    const qint64 units = m_length / kIntMax + 1;
    return { int(m_length / units), int(std::min(m_position, m_length) / units) };
}

bool TrustedInstallerAddress(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid())
        return false;
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return !parsed.host().isEmpty();
    if (scheme != QLatin1String("http"))
        return false;
    const QString host = parsed.host().toLower();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
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
