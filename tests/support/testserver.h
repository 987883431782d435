// An in-process HTTP server on 127.0.0.1 (free port) that tests make answer well or misbehave.
#pragma once

#include <httplib.h>

#include <QString>

#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrin::test {

// Gzip-compresses bytes (a complete gzip member).
std::string gzipCompress(const std::string &bytes);

// Usage: TestServer s; s.serve("/doc", "<x/>"); FetchText(s.url("/doc"), ...);
// Routes match the request path exactly (the query is ignored) for every method; an unknown path gets 404.
class TestServer {
public:
    using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

    TestServer();
    ~TestServer();
    TestServer(const TestServer &) = delete;
    TestServer &operator=(const TestServer &) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path.
    QString url(const std::string &path) const { return QString::fromStdString(baseUrl() + path); }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    // Any handler; replaces an earlier route of the same path.
    void route(const std::string &path, Handler handler);

    // Canned behaviours.
    void serve(const std::string &path, const std::string &body, int status = 200,
               const std::string &contentType = "text/plain");
    // A document with validators: answers 304 when If-None-Match or If-Modified-Since matches.
    // Calling it again changes the document (a new body gets a new ETag).
    void document(const std::string &path, const std::string &body);
    // Body sent without Content-Length (chunked).
    void chunked(const std::string &path, const std::string &body);
    // Body compressed with Content-Encoding: gzip when the request accepts gzip, plain otherwise.
    void gzipEncoded(const std::string &path, const std::string &body);
    // A gzip file served as it is (application/gzip, no content coding).
    void gzipFile(const std::string &path, const std::string &body);
    // Accepts the request and never answers until the server stops.
    void silence(const std::string &path);
    // Answers 200 and sends one byte every intervalMs, forever.
    void trickle(const std::string &path, int intervalMs = 300);
    // Answers 200 and sends an endless chunked body, as fast as the client takes it.
    void endless(const std::string &path);
    // Redirects to target (a path of this server or a full URL).
    void redirect(const std::string &path, const std::string &target, int status = 302);

    // Acts as an HTTP proxy that wants these credentials: every request without the matching
    // Proxy-Authorization gets 407. Point the client's proxy at baseUrl().
    void requireProxyAuth(const std::string &user, const std::string &password);

    // Requests seen for a path (routes count, 407 refusals included).
    int hits(const std::string &path) const { return seen(path).hits; }
    // Headers of the last request for a path ("" when absent).
    std::string lastHeader(const std::string &path, const std::string &name) const;
    // Client port of the last request for a path: equal ports mean one kept-alive connection.
    int lastRemotePort(const std::string &path) const { return seen(path).lastRemotePort; }
    // Statuses answered for a path, in order.
    std::vector<int> statuses(const std::string &path) const { return seen(path).statuses; }

private:
    struct Seen {
        int hits = 0;
        httplib::Headers lastHeaders;
        int lastRemotePort = 0;
        std::vector<int> statuses;
    };
    Seen seen(const std::string &path) const;
    void dispatch(const httplib::Request &request, httplib::Response &response);

    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    // Ready once the server stops: handlers that wait or stream forever give up then.
    std::promise<void> m_stopping;
    std::shared_future<void> m_stopped = m_stopping.get_future().share();

    mutable std::mutex m_mutex;
    std::map<std::string, Handler> m_routes;
    std::map<std::string, Seen> m_seen;
    std::string m_proxyAuthorization;
};

} // namespace tavrin::test
