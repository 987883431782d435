// News dates read and shown in local time with its daylight saving, and the fallback to the current time.
#include "news/newsdate.h"

#include <gtest/gtest.h>

#include <ctime>

namespace tavrin {
namespace {

constexpr std::int64_t kNow = 1700000000;

// Central European time with its daylight-saving rule, spelled out so no zone database is needed.
class NewsDateTest : public testing::Test {
protected:
    void SetUp() override { setZone("CET-1CEST,M3.5.0,M10.5.0/3"); }
    void TearDown() override { setZone(m_old.isNull() ? nullptr : m_old.constData()); }
    static void setZone(const char *zone) // null: no TZ variable
    {
        zone ? qputenv("TZ", zone) : qunsetenv("TZ");
        ::tzset();
    }
    static std::int64_t parse(const char *text) { return ParseNewsDate(QString::fromLatin1(text), kNow); }

    const QByteArray m_old = qgetenv("TZ");
};

TEST_F(NewsDateTest, ReadsAndShowsLocalTimeOrFallsBackToNow)
{
    // The text, its time, and how that time is shown when not as the text.
    const std::tuple<const char *, std::int64_t, const char *> cases[] = {
        { "2024-01-15 10:30:00", 1705311000, nullptr }, // winter: UTC+1
        { "2024-03-31 01:30:00", 1711845000, nullptr }, // clocks go from 02:00 to 03:00
        { "2024-03-31 03:30:00", 1711848600, nullptr }, // summer: UTC+2
        { "2024-10-27 01:30:00", 1729985400, nullptr }, // clocks go from 03:00 back to 02:00
        { "2024-10-27 03:30:00", 1729996200, nullptr },
        { "1970-01-01 01:00:00", 0, nullptr }, // the epoch itself
        { "2999-12-31 23:59:59", 32503676399, nullptr },
        { "2024-1-5 3:4:5", 1704420245, "2024-01-05 03:04:05" }, // fields narrower than their width
        { "\t2024-01-15\n10:30:00", 1705311000, "2024-01-15 10:30:00" }, // any blanks between date and time
        { "2024-01-1510:30:00", 1705311000, "2024-01-15 10:30:00" }, // or none
        { "2023-04-31 12:00:00", 1682935200, "2023-05-01 12:00:00" }, // out-of-range parts normalised
    };
    for (const auto &[text, time, shown] : cases) {
        SCOPED_TRACE(text);
        const QString canonical = QString::fromLatin1(shown ? shown : text);
        EXPECT_EQ(parse(text), time);
        EXPECT_EQ(FormatNewsDateTime(time), canonical);
        EXPECT_EQ(FormatNewsTime({ {}, {}, {}, {}, {}, time }), canonical.mid(11, 5).replace(u':', u'h'));
    }
    // A time in the spring gap is one of its neighbours, never the fallback.
    EXPECT_TRUE(parse("2024-03-31 02:30:00") == 1711845000 || parse("2024-03-31 02:30:00") == 1711848600);
    // Out of range, before the epoch (in UTC), five-digit year, no-break space, too few numbers, no date.
    for (const char *text :
         { "2024-13-01 00:00:00", "2024-00-10 00:00:00", "2024-01-00 00:00:00", "2024-01-32 00:00:00",
           "1969-12-31 23:59:59", "3000-01-01 00:00:00", "1970-01-01 00:30:00", "20240-01-15 10:30:00",
           "\2402024-01-15 10:30:00", "2024-01-15\24010:30:00", "2024-01-15 10:30", "2024-01-15",
           "2024/01/15 10:30:00", "", "yesterday" })
        EXPECT_EQ(parse(text), kNow) << text;
}

// Every quarter of an hour and a few minutes over two years reads as mktime reads it, in zones whose
// offset changes by an hour, by half an hour, or never.
TEST_F(NewsDateTest, ReadsEveryTimeOfTheYearAsTheCLibraryDoes)
{
    for (const char *zone : { "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0",
                              "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "UTC0" }) {
        SCOPED_TRACE(zone);
        setZone(zone);
        int mismatches = 0;
        for (std::int64_t step = 0; step < 2 * 366 * 24 * 4; ++step) {
            const std::time_t at = 1704067200 + step * (15 * 60 + 7);
            std::tm wall {};
            ASSERT_TRUE(localtime_r(&at, &wall));
            const QString text
                = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", wall.tm_year + 1900, wall.tm_mon + 1,
                                    wall.tm_mday, wall.tm_hour, wall.tm_min, wall.tm_sec);
            std::tm request = wall;
            request.tm_isdst = -1;
            const std::int64_t expected = std::mktime(&request);
            mismatches += ParseNewsDate(text, kNow) != expected;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

} // namespace
} // namespace tavrin
