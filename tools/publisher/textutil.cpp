// Small text helpers of the demo publisher.
#include "textutil.h"

#include <cstdio>
#include <cstring>

namespace tavrin::publisher {

void ReplaceAll(std::string &text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

std::string EscapeMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

static std::string FormatLocal(std::time_t time, const char *format)
{
    std::tm parts {};
    localtime_r(&time, &parts);
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, n);
}

std::string NewsDateText(std::time_t time)
{
    return FormatLocal(time, "%Y-%m-%d %H:%M:%S");
}

std::string ClockText(std::time_t time)
{
    return FormatLocal(time, "%H:%M");
}

static const char *const kDays[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
static const char *const kMonths[]
    = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

std::string HttpDate(std::time_t time)
{
    std::tm parts {};
    gmtime_r(&time, &parts);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
                  parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min,
                  parts.tm_sec);
    return buffer;
}

std::optional<std::time_t> ParseHttpDate(const std::string &text)
{
    char day[4] = {};
    char month[4] = {};
    std::tm parts {};
    int year = 0;
    if (std::sscanf(text.c_str(), "%3s, %d %3s %d %d:%d:%d GMT", day, &parts.tm_mday, month, &year,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec)
        != 7)
        return std::nullopt;
    parts.tm_mon = -1;
    for (int i = 0; i < 12; ++i) {
        if (std::strcmp(month, kMonths[i]) == 0)
            parts.tm_mon = i;
    }
    if (parts.tm_mon < 0 || year < 1970)
        return std::nullopt;
    parts.tm_year = year - 1900;
    return timegm(&parts);
}

std::optional<std::string> RawQueryValue(std::string_view query, std::string_view name, bool toEnd)
{
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = toEnd ? query.size() : query.find('&', start);
        if (end == std::string_view::npos)
            end = query.size();
        const std::string_view part = query.substr(start, query.find('&', start) - start);
        if (part.size() > name.size() && part.substr(0, name.size()) == name && part[name.size()] == '=')
            return std::string(query.substr(start + name.size() + 1, end - start - name.size() - 1));
        const std::size_t next = query.find('&', start);
        if (next == std::string_view::npos)
            break;
        start = next + 1;
    }
    return std::nullopt;
}

std::string Base64(std::string_view data)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned value = static_cast<unsigned char>(data[i]) << 16
            | static_cast<unsigned char>(data[i + 1]) << 8 | static_cast<unsigned char>(data[i + 2]);
        out += alphabet[value >> 18 & 63];
        out += alphabet[value >> 12 & 63];
        out += alphabet[value >> 6 & 63];
        out += alphabet[value & 63];
    }
    if (i < data.size()) {
        unsigned value = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size())
            value |= static_cast<unsigned char>(data[i + 1]) << 8;
        out += alphabet[value >> 18 & 63];
        out += alphabet[value >> 12 & 63];
        out += i + 1 < data.size() ? alphabet[value >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string Hex32(unsigned long value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08lx", value & 0xFFFFFFFFUL);
    return buffer;
}

} // namespace tavrin::publisher
