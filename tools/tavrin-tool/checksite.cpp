// check-site: the publisher's whole site as the client would read it, one verdict per address.
#include "command.h"

#include "base/clock.h"
#include "base/files.h"
#include "base/gzip.h"
#include "compose/panecomposition.h"
#include "config/configloader.h"
#include "engine/updaterules.h"
#include "net/httpclient.h"
#include "news/newsstore.h"

#include <QUrl>

namespace tavrin::tool {

namespace {

const QString kPlaceholder = QStringLiteral("@SUBSECTION@");

class SiteCheck {
public:
    SiteCheck() { m_session.setUsesCache(false); }

    // One line per address: what it is, the address, and the verdict; a failure counts.
    void report(const QString &what, const QString &url, bool ok, const QString &verdict)
    {
        ++m_checked;
        m_failed += ok ? 0 : 1;
        std::printf("%s %s %s: %s\n", ok ? "ok  " : "FAIL", qPrintable(what), qPrintable(url),
                    qPrintable(verdict));
    }

    // The body, or nothing with the reason reported as a failure.
    std::optional<QByteArray> download(const QString &what, const QString &url,
                                       qint64 maxBytes = kMaxDocumentBytes)
    {
        QByteArray body;
        QString failure;
        if (!FetchBytes(m_session, url, body, true, nullptr, maxBytes, &failure)) {
            report(what, url, false, failure);
            return std::nullopt;
        }
        return body;
    }

    void newsDocument(const QString &what, const QString &url)
    {
        const std::optional<QByteArray> body = download(what, url);
        if (!body)
            return;
        NewsStore store(m_clock);
        int items = 0;
        QString reason;
        const bool read = store.parseSectionsNews(
            ReadGzipText(*body), [&](const NewsRecord &) { ++items; }, &reason);
        report(what, url, read, read ? QStringLiteral("read, %1 items").arg(items) : reason);
    }

    void page(const QString &what, const QString &url)
    {
        if (url.isEmpty())
            return;
        if (const std::optional<QByteArray> body = download(what, url))
            report(what, url, !body->isEmpty(), QStringLiteral("%1 bytes").arg(body->size()));
    }

    void image(const ConfigImage &image)
    {
        const QString what = QStringLiteral("image ") + image.id;
        const std::optional<QByteArray> body = download(what, image.url);
        if (!body)
            return;
        const std::uint32_t crc = BufferCrc32(*body);
        report(what, image.url, crc == image.crc32,
               QStringLiteral("%1 bytes, crc32 %2 (configured %3)")
                   .arg(body->size())
                   .arg(crc, 8, 16, QLatin1Char('0'))
                   .arg(image.crc32, 8, 16, QLatin1Char('0')));
    }

    void monitoring(const QString &url)
    {
        const std::optional<QByteArray> body = download(QStringLiteral("monitoring"), url);
        if (body)
            report(QStringLiteral("monitoring"), url, *body == "OK",
                   *body == "OK" ? QStringLiteral("answers OK") : QStringLiteral("does not answer OK"));
    }

    // Passes only when the client would start it: https or loopback, and the configured SHA-256 if any.
    void installer(const ClientConfig &config)
    {
        const std::optional<QByteArray> body
            = download(QStringLiteral("installer"), config.app_url, kMaxInstallerBytes);
        if (!body)
            return;
        const QByteArray sha256 = Sha256Hex(*body);
        const InstallerRefusal refusal = JudgeInstaller(config.app_url, config.app_sha256, sha256, sha256);
        report(QStringLiteral("installer"), config.app_url,
               !body->isEmpty() && refusal == InstallerRefusal::None,
               QStringLiteral("%1 bytes, sha256 %2, %3")
                   .arg(body->size())
                   .arg(QString::fromLatin1(sha256),
                        refusal == InstallerRefusal::None
                            ? QStringLiteral("the client would run it")
                            : "the client refuses it: " + RefusalText(refusal)));
    }

    void sections(const ClientConfig &config)
    {
        for (const Section &section : config.sections) {
            const QString name = QStringLiteral("section ") + section.id;
            QStringList active;
            for (const Subsection &subsection : section.subsections) {
                if (subsection.active)
                    active.append(subsection.id);
            }
            page(name + QStringLiteral(" page"),
                 ComposeNewsAddress(config.SectionPageUrl(section), section.id, active));
            if (!section.xml_url.isEmpty())
                newsDocument(name + QStringLiteral(" news"), section.xml_url);
            if (CarriesUserFeeds(section)) {
                const bool placeholder = section.user_rss_xml_url.contains(kPlaceholder);
                report(name + QStringLiteral(" user feeds"), section.user_rss_xml_url, placeholder,
                       placeholder ? QStringLiteral("template holds ") + kPlaceholder
                                   : QStringLiteral("template lacks ") + kPlaceholder);
            }
        }
    }

    int finish()
    {
        std::printf("%s: %d addresses checked, %d failed\n", m_failed == 0 ? "passed" : "failed", m_checked,
                    m_failed);
        return m_failed == 0 ? kExitOk : kExitRejected;
    }

private:
    SystemClock m_clock;
    InternetSession m_session;
    int m_checked = 0;
    int m_failed = 0;
};

int checkSite(const QStringList &args)
{
    if (args.size() != 1)
        return usage("check-site");
    const QString url = args.first();
    SiteCheck check;
    const std::optional<QByteArray> body = check.download(QStringLiteral("configuration"), url);
    if (!body)
        return check.finish();
    ClientConfig config;
    QString reason;
    if (!LoadConfigurationText(ReadGzipText(*body), config, &reason)) {
        check.report(QStringLiteral("configuration"), url, false, QStringLiteral("rejected: ") + reason);
        return check.finish();
    }
    check.report(QStringLiteral("configuration"), url, true, QStringLiteral("accepted"));

    check.monitoring(config.monitoring_url);
    check.newsDocument(QStringLiteral("all-sections news"), config.sections_xml_url);
    check.sections(config);
    check.page(QStringLiteral("urgent page"), config.urgent_url);
    check.page(QStringLiteral("loading page"), config.loading_url);
    for (const auto &[id, image] : config.images)
        check.image(image);
    check.installer(config);
    return check.finish();
}

} // namespace

TAVRIN_TOOL_COMMAND("check-site", "URL", checkSite);

} // namespace tavrin::tool
