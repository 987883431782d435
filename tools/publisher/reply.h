// One answer of the publisher before it is written to the connection.
#pragma once

#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace tavrin::publisher {

struct Reply {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::time_t lastModified = 0; // when the content last changed; 0 for none
    std::vector<std::pair<std::string, std::string>> headers;
};

inline Reply TextReply(int status, std::string text)
{
    Reply reply;
    reply.status = status;
    reply.body = std::move(text);
    return reply;
}

} // namespace tavrin::publisher
