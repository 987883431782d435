// The one HTTP client of the program: the session, the download routine and its wrappers.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace tavrin {

// Largest body a document or an image may have.
constexpr qint64 kMaxDocumentBytes = 32LL * 1024 * 1024;
// Largest body the installer download may have.
constexpr qint64 kMaxInstallerBytes = 512LL * 1024 * 1024;
// Longest a document or an image download may take, redirects included: a server that trickles bytes
// just fast enough for the low-speed rule must not hold a worker for ever.
constexpr long kDocumentDeadlineMs = 120L * 1000;
// The installer is a thousand times larger and slow lines need long for it; the low-speed rule still ends
// it as soon as progress stops, so this only bounds a download that keeps advancing.
constexpr long kInstallerDeadlineMs = 30L * 60 * 1000;

// User name and password for an authenticating proxy.
struct ProxyCredentials {
    QString user;
    QString password;
    friend bool operator==(const ProxyCredentials &, const ProxyCredentials &) = default;
};

// Asks the user for proxy credentials; the GUI hands its dialog to the session. Called on the thread
// that downloads, so an implementation that shows a window must marshal to the GUI thread itself.
class ProxyCredentialsProvider {
public:
    virtual ~ProxyCredentialsProvider() = default;
    // The credentials to retry with, or nothing when the user declines.
    virtual std::optional<ProxyCredentials> askProxyCredentials(const QString &proxy, const QString &realm)
        = 0;
};

// Limits that keep every download from hanging; tests shorten them.
struct FetchLimits {
    long connectTimeoutMs = 20000;
    // A transfer slower than this many bytes per second for lowSpeedSeconds is aborted.
    long lowSpeedBytesPerSecond = 32;
    long lowSpeedSeconds = 30;
    long maxRedirects = 10;
    // Every download ends within this many milliseconds unless the caller gives its own limit.
    long deadlineMs = kDocumentDeadlineMs;
};

// Bytes that crossed the wire through a session, as libcurl counts them.
struct TransferTotals {
    qint64 requests = 0;
    qint64 requestBytes = 0; // request lines and headers sent
    qint64 headerBytes = 0; // response status lines and headers received
    qint64 bodyBytes = 0; // response bodies received, before any content decoding
    qint64 total() const { return requestBytes + headerBytes + bodyBytes; }
};

// The one internet session: owns libcurl's global state and the connections, DNS and TLS sessions
// shared by every download, the proxy credentials accepted during the run and the limits. The program
// builds one at start-up and hands it to everything that downloads.
class InternetSession {
public:
    InternetSession();
    ~InternetSession();
    InternetSession(const InternetSession &) = delete;
    InternetSession &operator=(const InternetSession &) = delete;

    // Who is asked for proxy credentials; one that always declines unless another was given. The caller
    // keeps ownership of the provider and keeps it alive as long as the session downloads.
    ProxyCredentialsProvider &credentialsProvider() const;
    // Whether downloads read and fill the on-disk HTTP cache (default on); a checker that must leave the
    // user's files alone turns it off.
    bool usesCache() const;
    void setUsesCache(bool on);
    void setCredentialsProvider(ProxyCredentialsProvider *provider);

    FetchLimits limits() const;
    void setLimits(const FetchLimits &limits);

    // An explicit proxy ("http://host:port"); empty means the environment's (http_proxy, no_proxy ...).
    QString proxy() const;
    void setProxy(const QString &proxy);

    // The proxy credentials last given during this session, if any; every download sends them to its proxy.
    std::optional<ProxyCredentials> rememberedProxyCredentials() const;
    void rememberProxyCredentials(const std::optional<ProxyCredentials> &credentials);

    // What every exchange of this session has sent and received so far.
    TransferTotals totals() const;
    void addTotals(const TransferTotals &exchange);

    // "Tavrin/" + OwnVersion().
    static QString userAgent();

    struct Private;
    Private &d() const { return *m_d; }

private:
    std::unique_ptr<Private> m_d;
};

// Downloads url and appends the body to buffer. True when the whole body was read: a status below
// 400 (a 304 of a conditional request gives the cached body), or a readable file: URL. Posts
// WM_DOWNLOAD_LENGTH (announced length, 0 when unknown) and then WM_DOWNLOAD_PROGRESS per chunk of
// at most 8192 bytes to notify (nothing when null). Without reload the request is conditional
// against the on-disk HTTP cache; with reload the cache is bypassed. A body larger than maxBytes fails.
// On failure, when failure is given, it says why (an HTTP status, libcurl's error text, the size cap ...).
// The whole download ends within deadlineMs (0: the session's limits().deadlineMs); time spent asking the
// user for proxy credentials does not count.
bool FetchUrl(InternetSession &session, const QString &url, QByteArray &buffer, bool binary, bool reload,
              QObject *notify, qint64 maxBytes = kMaxDocumentBytes, QString *failure = nullptr,
              long deadlineMs = 0);
// Empties buffer, then FetchUrl in binary mode. The installer passes kMaxInstallerBytes and
// kInstallerDeadlineMs, with notify receiving the progress.
bool FetchBytes(InternetSession &session, const QString &url, QByteArray &buffer, bool reload,
                QObject *notify, qint64 maxBytes = kMaxDocumentBytes, QString *failure = nullptr,
                long deadlineMs = 0);
// The body up to its first NUL byte; empty on failure.
QByteArray FetchText(InternetSession &session, const QString &url, bool reload, QObject *notify);
// The body, gzip-decompressed when it is a gzip file; empty on failure.
QByteArray FetchCompressedText(InternetSession &session, const QString &url, bool reload, QObject *notify);
// Whether a redirect from one URL to another is followed: only to http or https, never from https
// down to http.
bool RedirectAllowed(const QString &from, const QString &to);
// Whether a download of url goes through a proxy: the explicit one, else the environment's for its
// scheme, unless no_proxy (or NO_PROXY) names its host, a domain of it, or "*".
bool ProxyInUse(const QString &url, const QString &configured);
// The URL with its percent-escapes decoded and nothing encoded; the input when that fails.
QString DecodeUrl(const QString &url);

} // namespace tavrin
