// Dates of news items: reading the document's date text as local time and showing a time of day.
#pragma once

#include "news/newsset.h"

#include <QString>

#include <cstdint>

namespace tavrin {

// Seconds since the epoch of "YYYY-MM-DD hh:mm:ss" read as local time (daylight saving decided by the
// C library, out-of-range parts normalised its way). Text that does not hold six numbers, a year outside
// 1970..2999, a month outside 1..12, a day outside 1..31, or a moment the C library cannot represent
// (before the epoch, for instance) gives now (seconds since the epoch, from the caller's clock).
std::int64_t ParseNewsDate(const QString &text, std::int64_t now);

// The record's time in local time as "%02dh%02d" (hour, minute).
QString FormatNewsTime(const NewsRecord &record);

// The record's time in local time as "YYYY-MM-DD hh:mm:ss".
QString FormatNewsDateTime(std::int64_t time);

} // namespace tavrin
