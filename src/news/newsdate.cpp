// Local-time reading of news dates through the C library, and the times shown in alerts.
#include "news/newsdate.h"

#include "base/text.h"

#include <chrono>
#include <ctime>
#include <optional>

namespace tavrin {
namespace {

// How many numbers of "%04d-%02d-%02d %02d:%02d:%02d" the text yields, as sscanf counts them.
int scanDate(const QString &text, int (&parts)[6])
{
    static const int widths[6] = { 4, 2, 2, 2, 2, 2 };
    qsizetype pos = 0;
    for (int i = 0; i < 6; ++i) {
        if (!ScanDecimal(text, pos, parts[i], widths[i]))
            return i;
        if (i == 5)
            break;
        // The blank between date and time matches any run of blanks, also none, as the hour's own
        // reading skips them.
        if (i == 2)
            continue;
        const QChar literal = i < 2 ? QLatin1Char('-') : QLatin1Char(':');
        if (pos >= text.size() || text.at(pos) != literal)
            return i + 1;
        ++pos;
    }
    return 6;
}

bool localParts(std::int64_t time, std::tm &parts)
{
    const std::time_t t = static_cast<std::time_t>(time);
    return localtime_r(&t, &parts) != nullptr;
}

// Days from 1970-01-01 to the first of the month, proleptic Gregorian.
std::int64_t daysToMonth(std::int64_t year, int month)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::optional<long> utcOffset(std::int64_t time)
{
    std::tm parts {};
    if (!localParts(time, parts))
        return std::nullopt;
    return parts.tm_gmtoff;
}

// The local time as seconds since the epoch without mktime, which rereads the zone's file on every call and
// so dominated reading a large document. Only where the offset is the same for hours around the answer;
// near a change of offset mktime decides, as before.
std::optional<std::int64_t> quickLocalTime(const int (&parts)[6])
{
    constexpr std::int64_t kMargin = 4 * 3600;
    // Out-of-range hours, minutes and days carry over exactly as mktime normalises them.
    const std::int64_t wall = (daysToMonth(parts[0], parts[1]) + parts[2] - 1) * 86400 + parts[3] * 3600
        + parts[4] * 60 + parts[5];
    const std::optional<long> guess = utcOffset(wall);
    if (!guess)
        return std::nullopt;
    const std::int64_t time = wall - *guess;
    if (utcOffset(time) != guess || utcOffset(time - kMargin) != guess || utcOffset(time + kMargin) != guess)
        return std::nullopt;
    return time;
}

// The zone is read again at most once a second: a change of zone is seen within a second, as mktime
// would see it, without a file status per date.
void refreshZone()
{
    thread_local std::chrono::steady_clock::time_point last;
    const auto now = std::chrono::steady_clock::now();
    if (last == std::chrono::steady_clock::time_point() || now - last >= std::chrono::seconds(1)) {
        ::tzset();
        last = now;
    }
}

} // namespace

std::int64_t ParseNewsDate(const QString &text, std::int64_t now)
{
    int parts[6] = {};
    if (scanDate(text, parts) < 6 || parts[0] < 1970 || parts[0] >= 3000 || parts[1] < 1 || parts[1] > 12
        || parts[2] < 1 || parts[2] > 31)
        return now;
    refreshZone();
    if (const std::optional<std::int64_t> quick = quickLocalTime(parts))
        return *quick < 0 ? now : *quick;
    std::tm tm {};
    tm.tm_year = parts[0] - 1900;
    tm.tm_mon = parts[1] - 1;
    tm.tm_mday = parts[2];
    tm.tm_hour = parts[3];
    tm.tm_min = parts[4];
    tm.tm_sec = parts[5];
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // -1 is also mktime's failure; both it and any moment before the epoch fall back like a bad text.
    if (t < 0)
        return now;
    return static_cast<std::int64_t>(t);
}

QString FormatNewsTime(const NewsRecord &record)
{
    std::tm parts {};
    if (!localParts(record.time, parts))
        return QStringLiteral("00h00");
    return QString::asprintf("%02dh%02d", parts.tm_hour, parts.tm_min);
}

QString FormatNewsDateTime(std::int64_t time)
{
    std::tm parts {};
    if (!localParts(time, parts))
        return {};
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                             parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
}

} // namespace tavrin
