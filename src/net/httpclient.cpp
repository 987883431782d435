// Downloads over libcurl with the program's status, progress, cache, proxy and safety rules.
#include "net/httpclient.h"

#include "base/logging.h"

#include "base/appmessage.h"
#include "base/gzip.h"
#include "base/messages.h"
#include "base/version.h"
#include "net/httpcache.h"

#include <QFile>
#include <QMutex>
#include <QStringDecoder>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <limits>
#include <mutex>

namespace tavrin {

namespace {

constexpr qsizetype kChunkBytes = 8192;
constexpr int kMaxProxyAsks = 10;
// Longest text the decoded URL may have (the original's fixed buffer held 2084 with its terminator).
constexpr qsizetype kMaxDecodedUrlLength = 2083;

class DecliningProvider : public ProxyCredentialsProvider {
public:
    std::optional<ProxyCredentials> askProxyCredentials(const QString &, const QString &) override
    {
        return std::nullopt;
    }
};

DecliningProvider g_decliningProvider;

bool isRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Lower-case scheme of a URL, "" when it has none.
QString schemeOf(const QString &url)
{
    return QUrl(url).scheme().toLower();
}

} // namespace

// Shared connection cache, DNS cache and TLS sessions; libcurl calls the lock functions from
// every thread that uses the share.
struct InternetSession::Private {
    CURLSH *share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
    mutable QMutex mutex;
    ProxyCredentialsProvider *provider = nullptr;
    bool useCache = true;
    FetchLimits limits;
    QString proxy;
    std::optional<ProxyCredentials> credentials;
    TransferTotals totals;
    // Held while the user is asked, so that however many downloads meet the proxy's 407 at once, one
    // prompt is shown and the others retry with what it gave.
    QMutex promptMutex;

    static void lock(CURL *, curl_lock_data data, curl_lock_access, void *user)
    {
        static_cast<Private *>(user)->locks[data].lock();
    }
    static void unlock(CURL *, curl_lock_data data, void *user)
    {
        static_cast<Private *>(user)->locks[data].unlock();
    }
};

bool InternetSession::usesCache() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->useCache;
}

void InternetSession::setUsesCache(bool on)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->useCache = on;
}

ProxyCredentialsProvider &InternetSession::credentialsProvider() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->provider ? *m_d->provider : g_decliningProvider;
}

void InternetSession::setCredentialsProvider(ProxyCredentialsProvider *provider)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->provider = provider;
}

InternetSession::InternetSession()
    : m_d(std::make_unique<Private>())
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_d->share = curl_share_init();
    curl_share_setopt(m_d->share, CURLSHOPT_LOCKFUNC, &Private::lock);
    curl_share_setopt(m_d->share, CURLSHOPT_UNLOCKFUNC, &Private::unlock);
    curl_share_setopt(m_d->share, CURLSHOPT_USERDATA, m_d.get());
    curl_share_setopt(m_d->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(m_d->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(m_d->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
}

InternetSession::~InternetSession()
{
    curl_share_cleanup(m_d->share);
    curl_global_cleanup();
}

FetchLimits InternetSession::limits() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->limits;
}

void InternetSession::setLimits(const FetchLimits &limits)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->limits = limits;
}

QString InternetSession::proxy() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->proxy;
}

void InternetSession::setProxy(const QString &proxy)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->proxy = proxy;
}

std::optional<ProxyCredentials> InternetSession::rememberedProxyCredentials() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->credentials;
}

void InternetSession::rememberProxyCredentials(const std::optional<ProxyCredentials> &credentials)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->credentials = credentials;
}

TransferTotals InternetSession::totals() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->totals;
}

void InternetSession::addTotals(const TransferTotals &exchange)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->totals.requests += exchange.requests;
    m_d->totals.requestBytes += exchange.requestBytes;
    m_d->totals.headerBytes += exchange.headerBytes;
    m_d->totals.bodyBytes += exchange.bodyBytes;
}

QString InternetSession::userAgent()
{
    return AppName() + QLatin1Char('/') + OwnVersion();
}

namespace {

// What one request/response exchange saw and did.
struct Transfer {
    QByteArray *buffer = nullptr;
    QObject *notify = nullptr;
    qint64 maxBytes = 0;
    bool cachedAnswer = false; // a 304 will be answered from the cache
    QString failure; // why the exchange failed

    long status = 0;
    qint64 contentLength = 0;
    QByteArray etag;
    QByteArray lastModified;
    QByteArray proxyRealm;
    bool hasLocation = false;
    bool encoded = false; // libcurl decodes the body, so Content-Length does not count what arrives
    bool noStore = false;

    bool decided = false;
    bool keep = false; // the body goes to the buffer
    bool announced = false;
    bool tooLarge = false;
    qint64 received = 0;

    // The length of what the caller receives: unknown (0) when the body was compressed on the wire.
    qint64 announcedLength() const { return encoded ? 0 : contentLength; }

    void resetResponse()
    {
        status = 0;
        contentLength = 0;
        etag.clear();
        lastModified.clear();
        proxyRealm.clear();
        hasLocation = false;
        encoded = false;
        noStore = false;
    }
};

void announce(Transfer &t, qint64 length)
{
    if (t.announced)
        return;
    t.announced = true;
    postMessage(t.notify, WM_DOWNLOAD_LENGTH, static_cast<qintptr>(length));
}

void appendChunks(QByteArray &buffer, QObject *notify, const char *data, qsizetype size)
{
    for (qsizetype offset = 0; offset < size; offset += kChunkBytes) {
        const qsizetype count = std::min(kChunkBytes, size - offset);
        buffer.append(data + offset, count);
        postMessage(notify, WM_DOWNLOAD_PROGRESS, static_cast<qintptr>(count));
    }
}

// A plain decimal parse of the leading digits, as the original did with the header text.
qint64 parseDecimal(const QByteArray &text)
{
    qint64 value = 0;
    for (char c : text.trimmed()) {
        if (c < '0' || c > '9')
            break;
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

size_t onHeader(char *data, size_t size, size_t count, void *user)
{
    auto &t = *static_cast<Transfer *>(user);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(bytes)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new response starts (after an interim one, or a retry): forget the earlier headers.
        t.resetResponse();
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() >= 2)
            t.status = parts[1].toLong();
        return bytes;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return bytes;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-encoding")
        t.encoded = !value.isEmpty() && value.toLower() != "identity";
    else if (name == "content-length")
        t.contentLength = parseDecimal(value);
    else if (name == "etag")
        t.etag = value;
    else if (name == "last-modified")
        t.lastModified = value;
    else if (name == "location")
        t.hasLocation = !value.isEmpty();
    else if (name == "cache-control" && value.toLower().contains("no-store"))
        t.noStore = true;
    else if (name == "proxy-authenticate") {
        const qsizetype realm = value.toLower().indexOf("realm=");
        if (realm >= 0)
            t.proxyRealm = value.mid(realm + 6).replace('"', "");
    }
    return bytes;
}

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto &t = *static_cast<Transfer *>(user);
    const size_t bytes = size * count;
    if (!t.decided) {
        t.decided = true;
        // Error bodies are never read; redirect bodies and the (empty) body of a 304 that the cache
        // answers are skipped.
        if (t.status >= 400)
            return 0;
        t.keep = !(isRedirect(t.status) && t.hasLocation) && !(t.status == 304 && t.cachedAnswer);
        if (t.keep)
            announce(t, t.announcedLength());
    }
    t.received += static_cast<qint64>(bytes);
    if (t.received > t.maxBytes) {
        t.tooLarge = true;
        return 0;
    }
    if (t.keep)
        appendChunks(*t.buffer, t.notify, data, static_cast<qsizetype>(bytes));
    return bytes;
}

} // namespace

bool RedirectAllowed(const QString &from, const QString &to)
{
    const QString fromScheme = schemeOf(from);
    const QString toScheme = schemeOf(to);
    if (toScheme != QLatin1String("http") && toScheme != QLatin1String("https"))
        return false;
    return !(fromScheme == QLatin1String("https") && toScheme == QLatin1String("http"));
}

QString proxyFor(const QString &url, const QString &configured)
{
    if (!configured.isEmpty())
        return configured;
    const char *name = schemeOf(url) == QLatin1String("https") ? "https_proxy" : "http_proxy";
    QString proxy = qEnvironmentVariable(name);
    if (proxy.isEmpty())
        proxy = qEnvironmentVariable(QByteArray(name).toUpper().constData());
    return proxy;
}

bool ProxyInUse(const QString &url, const QString &configured)
{
    if (proxyFor(url, configured).isEmpty())
        return false;
    // libcurl honours no_proxy for an explicit proxy too, so the same hosts go direct here.
    QString noProxy = qEnvironmentVariable("no_proxy");
    if (noProxy.isEmpty())
        noProxy = qEnvironmentVariable("NO_PROXY");
    const QString host = QUrl(url).host().toLower();
    for (QString entry : noProxy.split(u',', Qt::SkipEmptyParts)) {
        entry = entry.trimmed().toLower();
        if (entry == QLatin1String("*"))
            return false;
        if (entry.startsWith(u'.'))
            entry.remove(0, 1);
        if (!entry.isEmpty() && (host == entry || host.endsWith(u'.' + entry)))
            return false;
    }
    return true;
}

namespace {

// Credentials to retry with after the proxy refused `tried`: those another download was given while
// this one waited its turn, else the user's answer; nothing when the user declines.
std::optional<ProxyCredentials> credentialsAfterRefusal(InternetSession &session, const QString &proxy,
                                                        const QString &realm,
                                                        const std::optional<ProxyCredentials> &tried)
{
    QMutexLocker prompt(&session.d().promptMutex);
    const std::optional<ProxyCredentials> remembered = session.rememberedProxyCredentials();
    if (remembered && remembered != tried)
        return remembered;
    // Asked with only the prompt's lock held: the provider may wait for the user.
    std::optional<ProxyCredentials> answer = session.credentialsProvider().askProxyCredentials(proxy, realm);
    if (answer)
        session.rememberProxyCredentials(answer);
    return answer;
}

struct CurlHandle {
    CURL *easy = curl_easy_init();
    curl_slist *headers = nullptr;
    ~CurlHandle()
    {
        curl_slist_free_all(headers);
        if (easy)
            curl_easy_cleanup(easy);
    }
};

enum class Outcome { Body, Redirect, Failed };

// The end of a whole download, redirects and proxy retries included.
struct Deadline {
    using Clock = std::chrono::steady_clock;
    long totalMs = 0;
    Clock::time_point end;

    explicit Deadline(long ms)
        : totalMs(ms)
        , end(Clock::now() + std::chrono::milliseconds(ms))
    {
    }
    // Whole milliseconds left, 0 once none is (libcurl would read a time-out of 0 as "no limit").
    long remainingMs() const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        return left <= 0 ? 0 : static_cast<long>(left);
    }
    // libcurl's timer may end a transfer a millisecond or so before the end it was given.
    bool passed() const { return remainingMs() <= 20; }
    QString failure() const { return QStringLiteral("no complete answer within %1 ms").arg(totalMs); }
};

void recordTotals(CURL *easy, InternetSession &session)
{
    long requestSize = 0;
    long headerSize = 0;
    curl_off_t bodySize = 0;
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &requestSize);
    curl_easy_getinfo(easy, CURLINFO_HEADER_SIZE, &headerSize);
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &bodySize);
    session.addTotals(TransferTotals { 1, requestSize, headerSize, static_cast<qint64>(bodySize) });
}

// One request to url: proxy authentication retries included, no redirect followed.
Outcome exchange(const QString &url, Transfer &t, bool reload, const std::optional<HttpCacheEntry> &cached,
                 QString &location, InternetSession &session, Deadline &deadline)
{
    CurlHandle handle;
    if (!handle.easy)
        return Outcome::Failed;
    CURL *easy = handle.easy;
    const FetchLimits limits = session.limits();
    const QByteArray urlBytes = url.toUtf8();
    const QByteArray agent = InternetSession::userAgent().toUtf8();
    const QString proxyText = session.proxy();
    const QByteArray proxy = proxyText.toUtf8();

    // Only headers the server acts on: every poll pays for each byte, times every reader. "Accept: */*"
    // says nothing, and a server that sent an entity tag compares that and ignores the date.
    handle.headers = curl_slist_append(handle.headers, "Accept:");
    if (reload) {
        handle.headers = curl_slist_append(handle.headers, "Cache-Control: no-cache");
        handle.headers = curl_slist_append(handle.headers, "Pragma: no-cache");
    } else if (cached) {
        if (!cached->etag.isEmpty())
            handle.headers
                = curl_slist_append(handle.headers, ("If-None-Match: " + cached->etag).constData());
        else if (!cached->lastModified.isEmpty())
            handle.headers = curl_slist_append(handle.headers,
                                               ("If-Modified-Since: " + cached->lastModified).constData());
    }

    curl_easy_setopt(easy, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(easy, CURLOPT_SHARE, session.d().share);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(t.maxBytes));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip");
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, static_cast<long>(kChunkBytes));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, handle.headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    if (!proxy.isEmpty())
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());

    const bool viaProxy = ProxyInUse(url, proxyText);
    std::optional<ProxyCredentials> credentials = session.rememberedProxyCredentials();
    int asks = 0;
    QByteArray user;
    QByteArray password;
    for (;;) {
        if (credentials) {
            user = credentials->user.toUtf8();
            password = credentials->password.toUtf8();
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, user.constData());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, password.constData());
            curl_easy_setopt(easy, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
        }
        t.resetResponse();
        t.decided = t.keep = t.tooLarge = false;
        t.received = 0;
        const long remainingMs = deadline.remainingMs();
        if (remainingMs == 0) {
            t.failure = deadline.failure();
            return Outcome::Failed;
        }
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, remainingMs);
        const CURLcode rc = curl_easy_perform(easy);
        recordTotals(easy, session);

        long status = t.status;
        long connectStatus = 0;
        curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
        if (connectStatus == 407)
            status = 407;
        // Only the proxy's own refusal asks the user: the answer to a tunnel's CONNECT, or a plain http
        // answer through a proxy. A 407 from an origin server (no proxy, or inside a tunnel) is a failure.
        const bool proxyRefused
            = viaProxy && (connectStatus == 407 || (status == 407 && schemeOf(url) == QLatin1String("http")));
        if (proxyRefused) {
            const std::optional<ProxyCredentials> tried = credentials;
            // The user's time, and a turn behind another download's prompt, is not the server's.
            const auto asking = Deadline::Clock::now();
            credentials = credentialsAfterRefusal(session, proxyFor(url, proxyText),
                                                  QString::fromUtf8(t.proxyRealm), tried);
            deadline.end += Deadline::Clock::now() - asking;
            // A provider that keeps answering with refused credentials must not loop for ever.
            if (!credentials || ++asks > kMaxProxyAsks) {
                t.failure = QStringLiteral("proxy authentication required");
                return Outcome::Failed;
            }
            continue;
        }
        if (status >= 400 || status == 0 || rc != CURLE_OK || t.tooLarge) {
            if (t.tooLarge)
                t.failure = QStringLiteral("the body is over the size cap");
            else if (rc == CURLE_OPERATION_TIMEDOUT && deadline.passed())
                t.failure = deadline.failure();
            else if (status >= 400)
                t.failure = QStringLiteral("HTTP status %1").arg(status);
            else
                t.failure = QString::fromUtf8(curl_easy_strerror(rc));
            qCDebug(lcNet) << "download failed:" << url << "status" << status << t.failure;
            return Outcome::Failed;
        }
        if (isRedirect(status) && t.hasLocation) {
            char *target = nullptr;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &target);
            if (!target) {
                t.failure = QStringLiteral("a redirect without a usable address");
                return Outcome::Failed;
            }
            location = QString::fromUtf8(target);
            return Outcome::Redirect;
        }
        return Outcome::Body;
    }
}

bool fetchFile(const QString &url, QByteArray &buffer, QObject *notify, qint64 maxBytes, QString &failure)
{
    QFile file(QUrl(url).toLocalFile());
    failure = QStringLiteral("the file cannot be read");
    if (!file.open(QIODevice::ReadOnly))
        return false;
    postMessage(notify, WM_DOWNLOAD_LENGTH, 0);
    qint64 total = 0;
    char chunk[kChunkBytes];
    for (;;) {
        const qint64 count = file.read(chunk, kChunkBytes);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        total += count;
        if (total > maxBytes) {
            failure = QStringLiteral("the body is over the size cap");
            return false;
        }
        appendChunks(buffer, notify, chunk, count);
    }
}

} // namespace

bool FetchUrl(InternetSession &session, const QString &url, QByteArray &buffer, bool binary, bool reload,
              QObject *notify, qint64 maxBytes, QString *failure, long deadlineMs)
{
    // Bytes are never translated here, so the transfer mode changes nothing.
    Q_UNUSED(binary);
    QString why;
    const auto fail = [&](const QString &text) {
        if (failure)
            *failure = text;
        return false;
    };
    try {
        const QString scheme = schemeOf(url);
        if (scheme == QLatin1String("file"))
            return fetchFile(url, buffer, notify, maxBytes, why) || fail(why);
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return fail(QStringLiteral("not an http, https or file address"));

        const FetchLimits limits = session.limits();
        const long maxRedirects = limits.maxRedirects;
        const bool useCache = session.usesCache();
        Deadline deadline(deadlineMs > 0 ? deadlineMs : limits.deadlineMs);
        QString current = url;
        for (long hop = 0;; ++hop) {
            const std::optional<HttpCacheEntry> cached
                = reload || !useCache ? std::nullopt : HttpCache::load(current);
            Transfer t;
            t.buffer = &buffer;
            t.notify = notify;
            t.maxBytes = maxBytes;
            t.cachedAnswer = cached.has_value();
            const qsizetype start = buffer.size();
            QString location;
            const Outcome outcome = exchange(current, t, reload, cached, location, session, deadline);
            if (outcome == Outcome::Failed)
                return fail(t.failure);
            if (outcome == Outcome::Redirect) {
                if (hop + 1 > maxRedirects)
                    return fail(QStringLiteral("too many redirects"));
                if (!RedirectAllowed(current, location))
                    return fail(QStringLiteral("redirect to %1 refused").arg(location));
                current = location;
                continue;
            }
            if (t.status == 304 && cached) {
                if (cached->body.size() > maxBytes)
                    return fail(QStringLiteral("the body is over the size cap"));
                announce(t, cached->body.size());
                appendChunks(buffer, notify, cached->body.constData(), cached->body.size());
                return true;
            }
            announce(t, t.announcedLength());
            if (useCache && t.status == 200 && !t.noStore && (!t.etag.isEmpty() || !t.lastModified.isEmpty()))
                HttpCache::store(current, HttpCacheEntry { t.etag, t.lastModified, buffer.mid(start) });
            return true;
        }
    } catch (...) {
        return fail(QStringLiteral("internal error"));
    }
}

bool FetchBytes(InternetSession &session, const QString &url, QByteArray &buffer, bool reload,
                QObject *notify, qint64 maxBytes, QString *failure, long deadlineMs)
{
    buffer.clear();
    return FetchUrl(session, url, buffer, true, reload, notify, maxBytes, failure, deadlineMs);
}

QByteArray FetchText(InternetSession &session, const QString &url, bool reload, QObject *notify)
{
    QByteArray buffer;
    if (!FetchUrl(session, url, buffer, false, reload, notify))
        return {};
    const qsizetype nul = buffer.indexOf('\0');
    if (nul >= 0)
        buffer.truncate(nul);
    return buffer;
}

QByteArray FetchCompressedText(InternetSession &session, const QString &url, bool reload, QObject *notify)
{
    QByteArray buffer;
    if (!FetchUrl(session, url, buffer, true, reload, notify))
        return {};
    return ReadGzipText(buffer);
}

QString DecodeUrl(const QString &url)
{
    const QByteArray in = url.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size() && isxdigit(static_cast<unsigned char>(in[i + 1]))
            && isxdigit(static_cast<unsigned char>(in[i + 2]))) {
            out.append(static_cast<char>(QByteArray(in.constData() + i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            out.append(in[i]);
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(out);
    if (utf8.hasError())
        decoded = QString::fromLatin1(out);
    if (decoded.size() > kMaxDecodedUrlLength)
        return url;
    return decoded;
}

} // namespace tavrin
