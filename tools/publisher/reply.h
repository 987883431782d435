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

// A document that changes over time, so conditional requests can be answered from its time.
inline Reply DocumentReply(std::string contentType, std::string body, std::time_t modified)
{
    Reply reply;
    reply.contentType = std::move(contentType);
    reply.body = std::move(body);
    reply.lastModified = modified;
    return reply;
}

inline Reply HtmlReply(std::string body, std::time_t modified)
{
    return DocumentReply("text/html; charset=utf-8", std::move(body), modified);
}

inline Reply XmlReply(std::string body, std::time_t modified)
{
    return DocumentReply("text/xml; charset=utf-8", std::move(body), modified);
}

} // namespace tavrin::publisher
