// News dates read as local time, the fallback to the current time, and the times shown in alerts.
#include "news/newsdate.h"
#include "news/newsset.h"

#include <gtest/gtest.h>

#include <ctime>

namespace tavrin {
namespace {

// Central European time with its daylight-saving rule, spelled out so no zone database is needed.
constexpr const char *kMadrid = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr std::int64_t kNow = 1700000000;

void setZone(const char *zone) // null: no TZ variable
{
    zone ? qputenv("TZ", zone) : qunsetenv("TZ");
    ::tzset();
}

// The process's local time zone for the scope.
struct LocalZone {
    explicit LocalZone(const char *zone) { setZone(zone); }
    ~LocalZone() { setZone(m_had ? m_old.constData() : nullptr); }
    const bool m_had = qEnvironmentVariableIsSet("TZ");
    const QByteArray m_old = qgetenv("TZ");
};

std::int64_t parse(const char *text)
{
    return ParseNewsDate(QString::fromLatin1(text), kNow);
}

TEST(NewsDate, ReadsLocalTimeOrFallsBackToNow)
{
    LocalZone zone(kMadrid);
    const std::pair<const char *, std::int64_t> cases[] = {
        { "2024-01-15 10:30:00", 1705311000 }, // winter: UTC+1
        { "2024-07-15 10:30:00", 1721032200 }, // summer: UTC+2
        { "2024-1-5 3:4:5", 1704420245 }, // fields narrower than their width
        { "2024-01-15   10:30:00", 1705311000 }, // any blanks between date and time
        { "2024-01-1510:30:00", 1705311000 }, // or none
        { "\t2024-01-15\n10:30:00", 1705311000 }, // tabs and line breaks are blanks
        { "1970-01-01 01:00:00", 0 }, // the epoch itself, in UTC+1
        { "2999-12-31 23:59:59", 32503676399 },
        { "2023-04-31 12:00:00", 1682935200 }, // the 31st of April is the 1st of May
        { "2024-02-10 25:00:00", 1707609600 }, // hour 25 is 01:00 of the next day
        { "2024-02-10 10:61:00", 1707559260 }, // minute 61 normalised too
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(parse(text), expected) << text;
    // Out of range, before the epoch once turned into UTC, a five-character year, a no-break space (no
    // blank), too few numbers, other separators, no date at all.
    for (const char *text :
         { "2024-13-01 00:00:00", "2024-00-10 00:00:00", "2024-01-00 00:00:00", "2024-01-32 00:00:00",
           "1969-12-31 23:59:59", "3000-01-01 00:00:00", "1970-01-01 00:30:00", "20240-01-15 10:30:00",
           "\2402024-01-15 10:30:00", "2024-01-15\24010:30:00", "2024-01-15 10:30", "2024-01-15",
           "2024/01/15 10:30:00", "", "yesterday" })
        EXPECT_EQ(parse(text), kNow) << text;
}

TEST(NewsDate, DaylightSavingIsLeftToTheLibrary)
{
    LocalZone zone(kMadrid);
    // 2024-03-31: clocks go from 02:00 to 03:00; 2024-10-27: from 03:00 back to 02:00.
    const std::int64_t before = parse("2024-03-31 01:30:00");
    const std::int64_t after = parse("2024-03-31 03:30:00");
    EXPECT_EQ(after - before, 3600);
    EXPECT_EQ(parse("2024-10-27 03:30:00") - parse("2024-10-27 01:30:00"), 3 * 3600);
    // A time inside the gap still yields a time an hour from its neighbours, never the fallback.
    const std::int64_t gap = parse("2024-03-31 02:30:00");
    EXPECT_TRUE(gap == before + 3600 || gap == after - 3600) << gap;
}

TEST(NewsDate, FormatsTheLocalTimeOfDayAndReadsItBack)
{
    const struct {
        const char *zone;
        std::int64_t time;
        const char *hhmm;
        const char *full;
    } cases[] = {
        { "UTC0", 0, "00h00", "1970-01-01 00:00:00" },
        { "UTC0", 1705311000, "09h30", "2024-01-15 09:30:00" },
        { kMadrid, 1705311000, "10h30", "2024-01-15 10:30:00" },
        { kMadrid, 1721032200, "10h30", "2024-07-15 10:30:00" },
        { kMadrid, 1721080799, "23h59", "2024-07-15 23:59:59" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.time);
        LocalZone zone(c.zone);
        NewsRecord record;
        record.time = c.time;
        EXPECT_EQ(FormatNewsTime(record), QString::fromLatin1(c.hhmm));
        EXPECT_EQ(FormatNewsDateTime(c.time), QString::fromLatin1(c.full));
        EXPECT_EQ(ParseNewsDate(FormatNewsDateTime(c.time), kNow), c.time);
    }
}

} // namespace
} // namespace tavrin
