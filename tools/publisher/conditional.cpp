// Conditional requests (ETag, Last-Modified, 304) and gzip, as a real publisher's server answers them.
#include "conditional.h"

#include "textutil.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tavrin::publisher {

namespace {
constexpr const char *kGzipTagSuffix = "-gz";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The tag without a weak prefix and without the suffix of the compressed variant.
std::string BareTag(std::string tag)
{
    if (tag.rfind("W/", 0) == 0)
        tag.erase(0, 2);
    const std::string suffixed = std::string(kGzipTagSuffix) + "\"";
    if (tag.size() > suffixed.size()
        && tag.compare(tag.size() - suffixed.size(), suffixed.size(), suffixed) == 0)
        tag.replace(tag.size() - suffixed.size(), suffixed.size(), "\"");
    return tag;
}

bool TagListMatches(const std::string &list, const std::string &tag)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = Trim(list.substr(start, end - start));
        if (item == "*" || (!item.empty() && BareTag(item) == tag))
            return true;
        start = end + 1;
    }
    return false;
}
} // namespace

bool AcceptsGzip(const std::string &acceptEncoding)
{
    std::size_t start = 0;
    const std::string list = Lower(acceptEncoding);
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = Trim(list.substr(start, end - start));
        const std::size_t semicolon = item.find(';');
        const std::string coding = Trim(item.substr(0, semicolon));
        if (coding == "gzip" || coding == "x-gzip" || coding == "*") {
            if (semicolon == std::string::npos)
                return true;
            const std::size_t q = item.find("q=", semicolon);
            if (q == std::string::npos || std::strtod(item.c_str() + q + 2, nullptr) > 0.0)
                return true;
        }
        start = end + 1;
    }
    return false;
}

std::string Gzip(const std::string &data)
{
    z_stream stream {};
    // 15 + 16: a gzip wrapper rather than a bare zlib stream.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

std::string EntityTag(const std::string &body)
{
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(body.data()),
                            static_cast<uInt>(body.size()));
    return "\"" + Hex32(crc) + "-" + Hex32(body.size()) + "\"";
}

bool IsCompressible(const std::string &contentType)
{
    const std::string type = Lower(contentType);
    return type.rfind("text/", 0) == 0 || type.find("xml") != std::string::npos
        || type.find("javascript") != std::string::npos || type.find("json") != std::string::npos;
}

void FinishReply(Reply &reply, const std::string &ifNoneMatch, const std::string &ifModifiedSince, bool gzip)
{
    if (reply.status != 200)
        return;
    const std::string tag = EntityTag(reply.body);
    const bool compress = gzip && IsCompressible(reply.contentType) && reply.body.size() >= kSmallestGzipBody;
    const bool compressible = IsCompressible(reply.contentType);
    const std::string sentTag = compress ? tag.substr(0, tag.size() - 1) + kGzipTagSuffix + "\"" : tag;
    bool notModified = false;
    if (!ifNoneMatch.empty()) {
        notModified = TagListMatches(ifNoneMatch, tag);
    } else if (!ifModifiedSince.empty() && reply.lastModified > 0) {
        const std::optional<std::time_t> since = ParseHttpDate(ifModifiedSince);
        notModified = since && reply.lastModified <= *since;
    }
    const std::size_t tagHeader = reply.headers.size();
    reply.headers.emplace_back("ETag", sentTag);
    // A 304 repeats the validator the cache matches on and no other metadata (RFC 9110, 15.4.5): the ETag
    // is that validator, so Last-Modified would only add 46 bytes to every unchanged poll.
    if (reply.lastModified > 0 && !notModified)
        reply.headers.emplace_back("Last-Modified", HttpDate(reply.lastModified));
    reply.headers.emplace_back("Cache-Control", "no-cache");
    if (compressible)
        reply.headers.emplace_back("Vary", "Accept-Encoding");
    if (notModified) {
        reply.status = 304;
        reply.body.clear();
        return;
    }
    if (compress) {
        std::string packed = Gzip(reply.body);
        if (!packed.empty()) {
            reply.body = std::move(packed);
            reply.headers.emplace_back("Content-Encoding", "gzip");
        } else {
            reply.headers[tagHeader].second = tag;
        }
    }
}

} // namespace tavrin::publisher
