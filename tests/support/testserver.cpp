// In-process misbehaving HTTP server for the network tests.
#include "support/testserver.h"
#include "support/testfiles.h"

#include <chrono>
#include <stdexcept>

namespace tavrin::test {

namespace {

std::string base64(const std::string &in)
{
    static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = -6;
    for (unsigned char c : in) {
        value = (value << 8) + c;
        bits += 8;
        while (bits >= 0) {
            out.push_back(table[(value >> bits) & 0x3F]);
            bits -= 6;
        }
    }
    if (bits > -6)
        out.push_back(table[((value << 8) >> (bits + 8)) & 0x3F]);
    while (out.size() % 4)
        out.push_back('=');
    return out;
}

// A request to a proxy names the whole URL; routes are by path.
std::string pathOf(const std::string &target)
{
    std::string path = target;
    const auto scheme = path.find("://");
    if (scheme != std::string::npos) {
        const auto slash = path.find('/', scheme + 3);
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }
    const auto query = path.find('?');
    if (query != std::string::npos)
        path.resize(query);
    return path;
}

} // namespace

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
    m_server.Get(".*", handler);
    m_server.Post(".*", handler);
    m_server.Put(".*", handler);
    m_server.Delete(".*", handler);
    m_server.Options(".*", handler);
    m_server.set_keep_alive_max_count(1000);
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
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopCv.notify_all();
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

QString TestServer::url(const std::string &path) const
{
    return QString::fromStdString(baseUrl() + path);
}

std::string TestServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void TestServer::route(const std::string &path, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_routes[path] = std::move(handler);
}

bool TestServer::pause(int ms)
{
    std::unique_lock lock(m_mutex);
    return !m_stopCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void TestServer::dispatch(const httplib::Request &request, httplib::Response &response)
{
    const std::string path = pathOf(request.path);
    Handler handler;
    std::string wanted;
    {
        std::lock_guard lock(m_mutex);
        Seen &seen = m_seen[path];
        ++seen.hits;
        seen.lastHeaders = request.headers;
        seen.lastRemotePort = request.remote_port;
        auto it = m_routes.find(path);
        if (it != m_routes.end())
            handler = it->second;
        wanted = m_proxyAuthorization;
    }
    if (!wanted.empty() && request.get_header_value("Proxy-Authorization") != wanted) {
        response.status = 407;
        response.set_header("Proxy-Authenticate", "Basic realm=\"test proxy\"");
        response.set_content("proxy authentication required", "text/plain");
    } else if (handler) {
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
    const std::string lastModified = "Tue, 14 Nov 2023 22:13:20 GMT";
    route(path, [body, etag, lastModified](const httplib::Request &request, httplib::Response &response) {
        response.set_header("ETag", etag);
        response.set_header("Last-Modified", lastModified);
        const std::string ifNoneMatch = request.get_header_value("If-None-Match");
        const bool matches = !ifNoneMatch.empty()
            ? ifNoneMatch == etag
            : request.get_header_value("If-Modified-Since") == lastModified;
        if (matches) {
            response.status = 304;
            return;
        }
        response.status = 200;
        response.set_content(body, "text/xml");
    });
}

void TestServer::chunked(const std::string &path, const std::string &body)
{
    route(path, [body](const httplib::Request &, httplib::Response &response) {
        response.status = 200;
        response.set_chunked_content_provider("text/plain", [body](size_t, httplib::DataSink &sink) {
            // Two pieces, so the body really travels in more than one chunk.
            const size_t half = body.size() / 2;
            if (half > 0)
                sink.write(body.data(), half);
            if (body.size() > half)
                sink.write(body.data() + half, body.size() - half);
            sink.done();
            return true;
        });
    });
}

void TestServer::gzipEncoded(const std::string &path, const std::string &body)
{
    const std::string compressed = gzipCompress(body);
    route(path, [body, compressed](const httplib::Request &request, httplib::Response &response) {
        response.status = 200;
        if (request.get_header_value("Accept-Encoding").find("gzip") != std::string::npos) {
            response.set_header("Content-Encoding", "gzip");
            response.set_content(compressed, "text/xml");
        } else {
            response.set_content(body, "text/xml");
        }
    });
}

void TestServer::gzipFile(const std::string &path, const std::string &body)
{
    serve(path, gzipCompress(body), 200, "application/gzip");
}

void TestServer::silence(const std::string &path)
{
    route(path, [this](const httplib::Request &, httplib::Response &response) {
        while (pause(100)) { }
        response.status = 503;
    });
}

void TestServer::trickle(const std::string &path, int intervalMs)
{
    route(path, [this, intervalMs](const httplib::Request &, httplib::Response &response) {
        response.status = 200;
        response.set_chunked_content_provider("text/plain",
                                              [this, intervalMs](size_t, httplib::DataSink &sink) {
                                                  if (!pause(intervalMs))
                                                      return false;
                                                  return sink.write("x", 1);
                                              });
    });
}

void TestServer::endless(const std::string &path)
{
    route(path, [this](const httplib::Request &, httplib::Response &response) {
        response.status = 200;
        response.set_chunked_content_provider("application/octet-stream",
                                              [this](size_t, httplib::DataSink &sink) {
                                                  static const std::string block(64 * 1024, 'z');
                                                  {
                                                      std::lock_guard lock(m_mutex);
                                                      if (m_stopping)
                                                          return false;
                                                  }
                                                  return sink.write(block.data(), block.size());
                                              });
    });
}

void TestServer::redirect(const std::string &path, const std::string &target, int status)
{
    const std::string location = target.rfind("/", 0) == 0 ? baseUrl() + target : target;
    route(path, [location, status](const httplib::Request &, httplib::Response &response) {
        response.status = status;
        response.set_header("Location", location);
        response.set_content("moved", "text/plain");
    });
}

void TestServer::malformedXml(const std::string &path)
{
    serve(path, "<?xml version=\"1.0\"?><root><item>unclosed</root", 200, "text/xml");
}

void TestServer::requireProxyAuth(const std::string &user, const std::string &password)
{
    std::lock_guard lock(m_mutex);
    m_proxyAuthorization = "Basic " + base64(user + ":" + password);
}

int TestServer::hits(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_seen.find(path);
    return it == m_seen.end() ? 0 : it->second.hits;
}

std::string TestServer::lastHeader(const std::string &path, const std::string &name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_seen.find(path);
    if (it == m_seen.end())
        return {};
    auto header = it->second.lastHeaders.find(name);
    return header == it->second.lastHeaders.end() ? std::string() : header->second;
}

std::vector<int> TestServer::statuses(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_seen.find(path);
    return it == m_seen.end() ? std::vector<int>() : it->second.statuses;
}

int TestServer::lastRemotePort(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_seen.find(path);
    return it == m_seen.end() ? 0 : it->second.lastRemotePort;
}

} // namespace tavrin::test
