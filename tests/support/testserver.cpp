// In-process misbehaving HTTP server for the network tests.
#include "support/testserver.h"
#include "support/testfiles.h"

#include <chrono>
#include <stdexcept>

namespace tavrin::test {

std::string gzipCompress(const std::string &bytes)
{
    return gzipBytes(QByteArray::fromStdString(bytes)).toStdString();
}

TestServer::TestServer()
{
    auto handler = [this](const httplib::Request &request, httplib::Response &response) {
        dispatch(request, response);
    };
    // Every method and every path reach dispatch, which routes by exact path.
    m_server.Get(".*", handler).Post(".*", handler).Put(".*", handler).Delete(".*", handler);
    m_server.Options(".*", handler).set_keep_alive_max_count(1000);
    // Stopping waits for idle kept-alive connections; keep that wait short.
    m_server.set_keep_alive_timeout(1);
    // Small answers otherwise wait for the client's delayed acknowledgement (about 40 ms each).
    m_server.set_tcp_nodelay(true);
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("TestServer: cannot bind 127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::yield();
}

TestServer::~TestServer()
{
    m_stopping.set_value();
    m_server.stop();
    m_thread.join();
}

void TestServer::route(const std::string &path, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_routes[path] = std::move(handler);
}

void TestServer::dispatch(const httplib::Request &request, httplib::Response &response)
{
    // A request to a proxy names the whole URL; routes are by path (the query is already apart).
    std::string path = request.path;
    if (const auto scheme = path.find("://"); scheme != std::string::npos)
        path.erase(0, path.find('/', scheme + 3));
    Handler handler;
    bool refused = false;
    {
        std::lock_guard lock(m_mutex);
        Seen &seen = m_seen[path];
        ++seen.hits;
        seen.lastHeaders = request.headers;
        seen.lastRemotePort = request.remote_port;
        if (auto it = m_routes.find(path); it != m_routes.end())
            handler = it->second;
        refused = !m_proxyAuthorization.empty()
            && request.get_header_value("Proxy-Authorization") != m_proxyAuthorization;
    }
    if (refused) {
        response.status = 407;
        response.set_header("Proxy-Authenticate", "Basic realm=\"test proxy\"");
        response.set_content("proxy authentication required", "text/plain");
    } else if (handler) {
        response.status = 200;
        handler(request, response);
    } else {
        response.status = 404;
        response.set_content("not found", "text/plain");
    }
    std::lock_guard lock(m_mutex);
    m_seen[path].statuses.push_back(response.status);
}

void TestServer::serve(const std::string &path, const std::string &body, int status,
                       const std::string &contentType)
{
    route(path, [body, status, contentType](const httplib::Request &, httplib::Response &response) {
        response.status = status;
        response.set_content(body, contentType.c_str());
    });
}

void TestServer::document(const std::string &path, const std::string &body)
{
    const std::string etag = "\"" + std::to_string(std::hash<std::string> {}(body)) + "\"";
    route(path, [body, etag](const httplib::Request &request, httplib::Response &response) {
        const std::string lastModified = "Tue, 14 Nov 2023 22:13:20 GMT";
        response.set_header("ETag", etag);
        response.set_header("Last-Modified", lastModified);
        const std::string ifNoneMatch = request.get_header_value("If-None-Match");
        if (ifNoneMatch.empty() ? request.get_header_value("If-Modified-Since") == lastModified
                                : ifNoneMatch == etag)
            response.status = 304;
        else
            response.set_content(body, "text/xml");
    });
}

void TestServer::chunked(const std::string &path, const std::string &body)
{
    route(path, [body](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider("text/plain", [body](size_t, httplib::DataSink &sink) {
            // Two pieces, so the body really travels in more than one chunk; an empty piece would end it.
            for (const std::string &piece : { body.substr(0, body.size() / 2), body.substr(body.size() / 2) })
                if (!piece.empty())
                    sink.write(piece.data(), piece.size());
            sink.done();
            return true;
        });
    });
}

void TestServer::gzipEncoded(const std::string &path, const std::string &body)
{
    const std::string gzip = gzipCompress(body);
    route(path, [body, gzip](const httplib::Request &request, httplib::Response &response) {
        const bool accepted = request.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
        if (accepted)
            response.set_header("Content-Encoding", "gzip");
        response.set_content(accepted ? gzip : body, "text/xml");
    });
}

void TestServer::gzipFile(const std::string &path, const std::string &body)
{
    serve(path, gzipCompress(body), 200, "application/gzip");
}

void TestServer::silence(const std::string &path)
{
    route(path, [stopped = m_stopped](const httplib::Request &, httplib::Response &response) {
        stopped.wait();
        response.status = 503;
    });
}

void TestServer::trickle(const std::string &path, int intervalMs)
{
    route(path, [stopped = m_stopped, intervalMs](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider(
            "text/plain", [stopped, intervalMs](size_t, httplib::DataSink &sink) {
                return stopped.wait_for(std::chrono::milliseconds(intervalMs)) == std::future_status::timeout
                    && sink.write("x", 1);
            });
    });
}

void TestServer::endless(const std::string &path)
{
    route(path, [stopped = m_stopped](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider(
            "application/octet-stream", [stopped](size_t, httplib::DataSink &sink) {
                static const std::string block(64 * 1024, 'z');
                return stopped.wait_for(std::chrono::seconds(0)) == std::future_status::timeout
                    && sink.write(block.data(), block.size());
            });
    });
}

void TestServer::redirect(const std::string &path, const std::string &target, int status)
{
    const std::string location = target.starts_with('/') ? baseUrl() + target : target;
    route(path, [location, status](const httplib::Request &, httplib::Response &response) {
        response.set_redirect(location, status);
    });
}

void TestServer::requireProxyAuth(const std::string &user, const std::string &password)
{
    std::lock_guard lock(m_mutex);
    m_proxyAuthorization = httplib::make_basic_authentication_header(user, password, true).second;
}

TestServer::Seen TestServer::seen(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_seen.find(path);
    return it == m_seen.end() ? Seen() : it->second;
}

std::string TestServer::lastHeader(const std::string &path, const std::string &name) const
{
    const httplib::Headers headers = seen(path).lastHeaders;
    const auto header = headers.find(name);
    return header == headers.end() ? std::string() : header->second;
}

} // namespace tavrin::test
