#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

using namespace vt::text;

namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return DateTime{y, mo, d, h, mi, s, ms};
}

std::string show(const DateTime& d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second, d.millisecond);
    return buf;
}

TEST(Dates, OleDateTable) {
    struct Case { DateTime dt; double ole; int weekday; } cases[] = {
        {at(1899, 12, 30), 0, 7},
        {at(1899, 12, 30, 6), 0.25, 7},
        {at(1899, 12, 29, 6), -1.25, 6},   // the fraction counts forward before the epoch too
        {at(1899, 12, 29, 18), -1.75, 6},
        {at(1800, 1, 1), -36522, 4},
        {at(100, 1, 1), -657434, 6},
        {at(1900, 3, 1), 61, 5},
        {at(2000, 2, 29), 36585, 3},
        {at(2024, 3, 15, 12), 45366.5, 6},
        {at(9999, 12, 31), 2958465, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(show(c.dt));
        EXPECT_DOUBLE_EQ(toOleDate(c.dt), c.ole);
        EXPECT_EQ(show(fromOleDate(c.ole)), show(c.dt));
        EXPECT_EQ(weekday(c.dt), c.weekday);
    }
}

TEST(Dates, EverySecondRoundTrips) {
    for (const DateTime day : {at(100, 1, 1), at(1899, 12, 29), at(1899, 12, 30), at(2024, 2, 29), at(9999, 12, 31)}) {
        for (int s = 0; s < 86400; ++s) {
            DateTime dt = day;
            dt.hour = s / 3600;
            dt.minute = s / 60 % 60;
            dt.second = s % 60;
            dt.millisecond = s % 1000;
            const DateTime back = fromOleDate(toOleDate(dt));
            if (!(back == dt)) {
                ADD_FAILURE() << show(dt) << " came back as " << show(back);
                return;
            }
        }
    }
}

TEST(Dates, DecodingRoundsToTheMillisecond) {
    EXPECT_EQ(show(fromOleDate(0.5 + 1e-12)), "1899-12-30 12:00:00.000");
    EXPECT_EQ(show(fromOleDate(1 - 1e-12)), "1899-12-31 00:00:00.000");
    EXPECT_EQ(show(fromOleDate(-1 - (1 - 1e-12))), "1899-12-30 00:00:00.000");
    EXPECT_EQ(show(fromOleDate(-0.25)), "1899-12-30 06:00:00.000");   // same moment as 0.25
}

TEST(Dates, OutOfRangeDecodesToTheEpoch) {
    EXPECT_EQ(fromOleDate(3e6), DateTime{});
    EXPECT_EQ(fromOleDate(-700000), DateTime{});
    EXPECT_EQ(fromOleDate(std::numeric_limits<double>::quiet_NaN()), DateTime{});
}

TEST(Dates, ValidDates) {
    struct Case { int y, m, d; bool ok; } cases[] = {
        {2024, 2, 29, true},  {2023, 2, 29, false}, {2000, 2, 29, true},  {1900, 2, 29, false},
        {2100, 2, 29, false}, {2024, 4, 30, true},  {2024, 4, 31, false}, {2024, 12, 31, true},
        {2024, 13, 1, false}, {2024, 0, 1, false},  {2024, 1, 0, false},  {99, 1, 1, false},
        {100, 1, 1, true},    {9999, 12, 31, true}, {10000, 1, 1, false},
    };
    for (const auto& c : cases) EXPECT_EQ(isValidDate(c.y, c.m, c.d), c.ok) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Clock, FixedClockAndSystemClock) {
    vt::FixedClock fixed(at(2024, 3, 15, 21, 45, 12));
    EXPECT_EQ(fixed.now(), at(2024, 3, 15, 21, 45, 12));
    const DateTime now = vt::SystemClock().now();
    EXPECT_TRUE(isValidDate(now.year, now.month, now.day));
    EXPECT_GE(now.year, 2024);
}

}  // namespace
