// News dates read as local time, the fallback to the current time, and the times shown in alerts.
#include "base/clock.h"
#include "news/newsdate.h"
#include "news/newsset.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdlib>
#include <ctime>

namespace tavrin {
namespace {

// Central European time with its daylight-saving rule, spelled out so no zone database is needed.
constexpr const char *kMadrid = "CET-1CEST,M3.5.0,M10.5.0/3";

class LocalZone {
public:
    explicit LocalZone(const char *zone)
    {
        const char *old = std::getenv("TZ");
        m_hadZone = old != nullptr;
        if (old)
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        if (m_hadZone)
            ::setenv("TZ", m_old.constData(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool m_hadZone = false;
    QByteArray m_old;
};

class NewsDate : public testing::Test {
protected:
    void SetUp() override { setClock(&m_clock); }
    void TearDown() override { setClock(nullptr); }
    static constexpr std::int64_t kNow = 1700000000;
    ManualClock m_clock { kNow };
};

TEST_F(NewsDate, ReadsLocalTimeOrFallsBackToNow)
{
    LocalZone zone(kMadrid);
    struct Case {
        const char *text;
        std::int64_t expected;
    };
    const Case cases[] = {
        { "2024-01-15 10:30:00", 1705311000 }, // winter: UTC+1
        { "2024-07-15 10:30:00", 1721032200 }, // summer: UTC+2
        { "2024-1-5 3:4:5", 1704420245 }, // fields narrower than their width
        { "2024-01-15   10:30:00", 1705311000 }, // any blanks between date and time
        { "2024-01-1510:30:00", 1705311000 }, // or none
        { "1970-01-01 01:00:00", 0 }, // the epoch itself, in UTC+1
        { "2999-12-31 23:59:59", 32503676399 },
        { "2023-04-31 12:00:00", 1682935200 }, // the 31st of April is the 1st of May
        { "2024-02-10 25:00:00", 1707609600 }, // hour 25 is 01:00 of the next day
        { "2024-02-10 10:61:00", 1707559260 }, // minute 61 normalised too
        { "2024-13-01 00:00:00", kNow }, // month 13
        { "2024-00-10 00:00:00", kNow },
        { "2024-01-00 00:00:00", kNow },
        { "2024-01-32 00:00:00", kNow },
        { "1969-12-31 23:59:59", kNow },
        { "3000-01-01 00:00:00", kNow },
        { "1970-01-01 00:30:00", kNow }, // before the epoch once turned into UTC
        { "2024-01-15 10:30", kNow }, // five numbers
        { "2024-01-15", kNow },
        { "20240-01-15 10:30:00", kNow }, // the year takes four characters, then "-" must follow
        { "2024/01/15 10:30:00", kNow },
        { "", kNow },
        { "yesterday", kNow },
        { "\t2024-01-15\n10:30:00", 1705311000 }, // tabs and line breaks are blanks
        { "\xa0"
          "2024-01-15 10:30:00",
          kNow }, // a no-break space is not
        { "2024-01-15\xa0"
          "10:30:00",
          kNow },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseNewsDate(QString::fromLatin1(c.text)), c.expected);
    }
}

TEST_F(NewsDate, DaylightSavingIsLeftToTheLibrary)
{
    LocalZone zone(kMadrid);
    // 2024-03-31: clocks go from 02:00 to 03:00; 2024-10-27: from 03:00 back to 02:00.
    const std::int64_t before = ParseNewsDate(QStringLiteral("2024-03-31 01:30:00"));
    const std::int64_t after = ParseNewsDate(QStringLiteral("2024-03-31 03:30:00"));
    EXPECT_EQ(after - before, 3600);
    const std::int64_t beforeBack = ParseNewsDate(QStringLiteral("2024-10-27 01:30:00"));
    const std::int64_t afterBack = ParseNewsDate(QStringLiteral("2024-10-27 03:30:00"));
    EXPECT_EQ(afterBack - beforeBack, 3 * 3600);
    // A time inside the gap still yields a time an hour from its neighbours, never the fallback.
    const std::int64_t gap = ParseNewsDate(QStringLiteral("2024-03-31 02:30:00"));
    EXPECT_NE(gap, kNow);
    EXPECT_TRUE(gap == before + 3600 || gap == after - 3600) << gap;
}

TEST_F(NewsDate, FormatsTheLocalTimeOfDay)
{
    struct Case {
        const char *zone;
        std::int64_t time;
        const char *hhmm;
        const char *full;
    };
    const Case cases[] = {
        { "UTC0", 0, "00h00", "1970-01-01 00:00:00" },
        { "UTC0", 1705311000, "09h30", "2024-01-15 09:30:00" },
        { kMadrid, 1705311000, "10h30", "2024-01-15 10:30:00" },
        { kMadrid, 1721032200, "10h30", "2024-07-15 10:30:00" },
        { kMadrid, 1721080799, "23h59", "2024-07-15 23:59:59" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time);
        LocalZone zone(c.zone);
        NewsRecord record;
        record.time = c.time;
        EXPECT_EQ(FormatNewsTime(record), QString::fromLatin1(c.hhmm));
        EXPECT_EQ(FormatNewsDateTime(c.time), QString::fromLatin1(c.full));
    }
    // Reading the shown text back gives the same moment.
    LocalZone zone(kMadrid);
    EXPECT_EQ(ParseNewsDate(FormatNewsDateTime(1721032200)), 1721032200);
}

} // namespace
} // namespace tavrin
