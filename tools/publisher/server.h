// The HTTP side of the publisher: every request passes the controls, the site, then 304 and gzip.
#pragma once

#include "context.h"

#include <atomic>
#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace tavrin::publisher {

class PublisherServer {
public:
    PublisherServer();
    ~PublisherServer();
    PublisherServer(const PublisherServer &) = delete;
    PublisherServer &operator=(const PublisherServer &) = delete;

    // Binds 127.0.0.1:port (0: a free port); the bound port, or -1.
    int Bind(int port);
    // Serves `context` until Stop(); returns false when listening failed.
    bool Run(PublisherContext &context);
    void Stop();

    // How long a silent address keeps a request waiting before giving up.
    static constexpr int kLongestSilenceSeconds = 600;

private:
    std::atomic<PublisherContext *> m_context { nullptr };
    std::unique_ptr<httplib::Server> m_server;
};

} // namespace tavrin::publisher
