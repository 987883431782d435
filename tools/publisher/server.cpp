// The HTTP side of the publisher: every request passes the controls, the site, then 304 and gzip.
#include "server.h"

#include "conditional.h"
#include "control.h"
#include "routes.h"
#include "textutil.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>

namespace tavrin::publisher {

namespace {

constexpr std::size_t kWorkerThreads = 48;
// Requests held by silent addresses; beyond this they are answered 504 at once.
constexpr int kMostSilentRequests = 32;
constexpr const char *kProxyRealm = "Belmoreta proxy";

// A request sent through a proxy names the whole address ("http://host:port/path"); the path is
// what counts here.
std::string SitePath(const std::string &path)
{
    for (const char *scheme : { "http://", "https://" }) {
        const std::string prefix = scheme;
        if (path.rfind(prefix, 0) == 0) {
            const std::size_t slash = path.find('/', prefix.size());
            return slash == std::string::npos ? std::string("/") : path.substr(slash);
        }
    }
    return path.empty() ? std::string("/") : path;
}

std::string RawQuery(const std::string &target)
{
    const std::size_t question = target.find('?');
    return question == std::string::npos ? std::string() : target.substr(question + 1);
}

bool ProxyAuthorised(const ControlSettings &settings, const httplib::Request &request)
{
    if (settings.proxyUser.empty())
        return true;
    const std::string expected = "Basic " + Base64(settings.proxyUser + ":" + settings.proxyPassword);
    return request.get_header_value("Proxy-Authorization") == expected;
}

void Write(const Reply &reply, httplib::Response &response)
{
    response.status = reply.status;
    for (const auto &[name, value] : reply.headers)
        response.set_header(name, value);
    if (reply.status == 304 || reply.status == 204)
        return;
    response.set_content(reply.body, reply.contentType);
}

// Sends the body a few bytes at a time, chunked, as a slow or hostile network would; an endless one sends
// spaces after it for ever. A reset or the server's end sends the rest at once and ends the body.
void Trickle(const Reply &reply, const PathRule &rule, ControlState &control, httplib::Response &response)
{
    const int rate = rule.trickleBytesPerSecond;
    const std::size_t perTick = static_cast<std::size_t>(std::max(1, rate / 10));
    const std::chrono::milliseconds tick(1000 * static_cast<long long>(perTick) / rate);
    auto provider = [body = reply.body, perTick, tick, endless = rule.trickleEndless, &control,
                     hurried = false](std::size_t offset, httplib::DataSink &sink) mutable {
        const std::size_t left = offset < body.size() ? body.size() - offset : 0;
        if (left == 0 && (hurried || !endless)) {
            sink.done();
            return true;
        }
        const std::string padding(left == 0 ? perTick : 0, ' ');
        const bool sent = left == 0
            ? sink.write(padding.data(), padding.size())
            : sink.write(body.data() + offset, hurried ? left : std::min(perTick, left));
        if (!sent)
            return false;
        hurried = hurried || !control.Delay(tick);
        return true;
    };
    response.body.clear();
    response.set_chunked_content_provider(reply.contentType, std::move(provider));
}

std::size_t HeaderBytes(const httplib::Response &response)
{
    // "HTTP/1.1 200 OK\r\n", each "Name: value\r\n", and the blank line.
    std::size_t bytes = 17 + 2;
    for (const auto &[name, value] : response.headers)
        bytes += name.size() + value.size() + 4;
    return bytes;
}

// The request as the client wrote it: request line, headers and the blank line. The server library adds
// the connection's addresses to the headers it hands over; those never crossed the wire.
std::size_t RequestBytes(const httplib::Request &request)
{
    std::size_t bytes = request.method.size() + request.target.size() + request.version.size() + 4 + 2;
    for (const auto &[name, value] : request.headers) {
        if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" && name != "LOCAL_PORT")
            bytes += name.size() + value.size() + 4;
    }
    return bytes;
}

} // namespace

PublisherServer::PublisherServer()
    : m_server(std::make_unique<httplib::Server>())
{
    // Silent and slow addresses hold a worker each; enough workers keep the rest answering.
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    m_server->set_keep_alive_timeout(30);
    // Small answers otherwise wait for the client's delayed acknowledgement (about 40 ms each).
    m_server->set_tcp_nodelay(true);

    auto handler = [this](const httplib::Request &request, httplib::Response &response) {
        const std::string path = SitePath(request.path);
        const std::time_t now = std::time(nullptr);
        const bool gzip = AcceptsGzip(request.get_header_value("Accept-Encoding"));
        // The library would compress on its own (and with other codings); this server decides itself.
        const_cast<httplib::Request &>(request).headers.erase("Accept-Encoding");

        if (path.rfind(kControlPrefix, 0) == 0) {
            Write(HandleControl(*m_context.load(), path.substr(std::string(kControlPrefix).size()),
                                request.params, now),
                  response);
            return;
        }

        const ControlSettings settings = m_context.load()->control.Snapshot();
        if (!ProxyAuthorised(settings, request)) {
            Reply reply = TextReply(407, "Se necesita autenticación en el proxy\n");
            reply.headers.emplace_back("Proxy-Authenticate",
                                       std::string("Basic realm=\"") + kProxyRealm + "\"");
            Write(reply, response);
            return;
        }
        const PathRule rule = m_context.load()->control.RuleFor(path);
        if (rule.silent
            && !m_context.load()->control.WaitWhileSilent(path, std::chrono::seconds(kLongestSilenceSeconds),
                                                          kMostSilentRequests)) {
            Write(TextReply(504, "Sin respuesta\n"), response);
            return;
        }
        if (rule.delayMs > 0)
            m_context.load()->control.Delay(std::chrono::milliseconds(rule.delayMs));

        Reply reply;
        if (rule.status != 0)
            reply = TextReply(rule.status,
                              "Estado " + std::to_string(rule.status) + " pedido por el control\n");
        else if (settings.offlineAll)
            reply = TextReply(503, "Servicio no disponible\n");
        else
            reply = HandleSite(*m_context.load(), path, RawQuery(request.target), now);
        if (rule.corrupt && !reply.body.empty())
            reply.body.back() = static_cast<char>(reply.body.back() ^ 0x01);
        // Padding after a gzip member would spoil it: an endless body goes uncompressed.
        FinishReply(reply, request.get_header_value("If-None-Match"),
                    request.get_header_value("If-Modified-Since"), gzip && !rule.trickleEndless);
        Write(reply, response);
        if (rule.trickleBytesPerSecond > 0 && !reply.body.empty() && reply.status != 304
            && reply.status != 204)
            Trickle(reply, rule, m_context.load()->control, response);
    };
    m_server->Get(".*", handler);
    m_server->Post(".*", handler);

    m_server->set_logger([this](const httplib::Request &request, const httplib::Response &response) {
        if (SitePath(request.path).rfind(kControlPrefix, 0) == 0)
            return;
        LogEntry entry;
        entry.time = std::time(nullptr);
        entry.method = request.method;
        entry.target = request.target;
        entry.status = response.status;
        entry.requestBytes = RequestBytes(request);
        entry.headerBytes = HeaderBytes(response);
        entry.bodyBytes = request.method == "HEAD" ? 0 : response.body.size();
        entry.gzip = response.get_header_value("Content-Encoding") == "gzip";
        m_context.load()->log.Add(entry);
    });
}

PublisherServer::~PublisherServer() = default;

int PublisherServer::Bind(int port)
{
    if (port == 0)
        return m_server->bind_to_any_port("127.0.0.1");
    return m_server->bind_to_port("127.0.0.1", port) ? port : -1;
}

bool PublisherServer::Run(PublisherContext &context)
{
    m_context = &context;
    return m_server->listen_after_bind();
}

void PublisherServer::Stop()
{
    if (PublisherContext *context = m_context.load())
        context->control.Release();
    m_server->stop();
}

} // namespace tavrin::publisher
