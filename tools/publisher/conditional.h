// Conditional requests (ETag, Last-Modified, 304) and gzip, as a real publisher's server answers them.
#pragma once

#include "reply.h"

#include <string>

namespace tavrin::publisher {

// Whether an Accept-Encoding value admits gzip (a q of 0 refuses it).
bool AcceptsGzip(const std::string &acceptEncoding);
// A gzip stream of `data`.
std::string Gzip(const std::string &data);
// The strong entity tag of a body, quotes included.
std::string EntityTag(const std::string &body);
// Whether the media type is worth compressing.
bool IsCompressible(const std::string &contentType);

// Bodies smaller than this are sent as they are, as most servers do.
constexpr std::size_t kSmallestGzipBody = 256;

// For a 200 reply: adds ETag, Last-Modified and Cache-Control; answers 304 with no body when the
// request's validators match; otherwise gzips the body when the client accepts it.
void FinishReply(Reply &reply, const std::string &ifNoneMatch, const std::string &ifModifiedSince, bool gzip);

} // namespace tavrin::publisher
