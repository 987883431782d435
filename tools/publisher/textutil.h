// Small text helpers of the demo publisher: replacing, escaping, percent coding and dates.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::publisher {

// Replaces every occurrence of `from` in `text` by `to`, scanning left to right.
void ReplaceAll(std::string &text, std::string_view from, std::string_view to);
// Escapes &, <, > and both quotes, so the text is safe in XML and HTML content and attributes.
std::string EscapeMarkup(std::string_view text);
// Percent-encodes everything except unreserved characters (letters, digits, "-._~").
std::string PercentEncode(std::string_view text);
// Decodes %XX escapes; a malformed escape is kept as written.
std::string PercentDecode(std::string_view text);
// Local time as "YYYY-MM-DD HH:MM:SS", the date format of the news documents.
std::string NewsDateText(std::time_t time);
// Local time as "HH:MM".
std::string ClockText(std::time_t time);
// An RFC 7231 date in GMT ("Sun, 06 Nov 1994 08:49:37 GMT").
std::string HttpDate(std::time_t time);
// Reads an RFC 7231 date; nothing when the text is no such date.
std::optional<std::time_t> ParseHttpDate(const std::string &text);
// The value of `name` in a raw query string, everything after "name=" up to the next "&" unless
// `toEnd` is set, in which case the value runs to the end (addresses sent unescaped keep their own "&").
std::optional<std::string> RawQueryValue(std::string_view query, std::string_view name, bool toEnd);
// Standard base64 with padding.
std::string Base64(std::string_view data);
// Lower-case hexadecimal of a 32-bit value.
std::string Hex32(unsigned long value);

} // namespace tavrin::publisher
