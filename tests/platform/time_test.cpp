// time_test.cpp - FILETIME and SYSTEMTIME conversions, the clocks and the zone.
#include "platform/time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace tessaly {
namespace {

SYSTEMTIME st(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
              int ms = 0, int dayOfWeek = 0) {
    SYSTEMTIME t;
    t.wYear = static_cast<uint16_t>(year);
    t.wMonth = static_cast<uint16_t>(month);
    t.wDay = static_cast<uint16_t>(day);
    t.wHour = static_cast<uint16_t>(hour);
    t.wMinute = static_cast<uint16_t>(minute);
    t.wSecond = static_cast<uint16_t>(second);
    t.wMilliseconds = static_cast<uint16_t>(ms);
    t.wDayOfWeek = static_cast<uint16_t>(dayOfWeek);
    return t;
}

std::string show(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow %u", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    return text;
}

TEST(FileTime, KnownInstantsBothWays) {
    struct Row {
        SYSTEMTIME time;  // with the day of the week it falls on
        uint64_t value;
    };
    const Row rows[] = {
        {st(1601, 1, 1, 0, 0, 0, 0, 1), 0},                         // the epoch, a Monday
        {st(1601, 12, 31, 0, 0, 0, 0, 1), 314496000000000},         // end of the first year
        {st(1604, 2, 29, 0, 0, 0, 0, 0), 997056000000000},          // first leap day
        {st(1900, 3, 1, 0, 0, 0, 0, 4), 94405824000000000},         // 1900 had no Feb 29
        {st(1970, 1, 1, 0, 0, 0, 0, 4), 116444736000000000},        // the Unix epoch
        {st(2000, 2, 29, 12, 34, 56, 789, 2), 125963012967890000},  // 2000 did: divisible by 400
        {st(2038, 1, 19, 3, 14, 8, 0, 2), 137919572480000000},      // past 32-bit time_t
        {st(2400, 2, 29, 23, 59, 59, 999, 2), 252191231999990000},  // last moment of a leap day
        {st(30827, 12, 31, 23, 59, 59, 999, 5), 9223149887999990000u},  // last accepted moment
    };
    for (const Row& row : rows) {
        FILETIME ft;
        SYSTEMTIME in = row.time;
        in.wDayOfWeek = 6;  // not looked at
        ASSERT_TRUE(systemTimeToFileTime(in, ft)) << show(row.time);
        EXPECT_EQ(fileTimeValue(ft), row.value) << show(row.time);
        SYSTEMTIME back;
        ASSERT_TRUE(fileTimeToSystemTime(makeFileTime(row.value), back)) << show(row.time);
        EXPECT_EQ(back, row.time) << show(back) << " vs " << show(row.time);
    }
}

TEST(FileTime, ImpossibleDatesAreRefusedAndLeaveTheOutputAlone) {
    const SYSTEMTIME rows[] = {
        st(2001, 2, 29),                // no leap year
        st(1900, 2, 29),                // century, not divisible by 400
        st(2000, 2, 30),                // even a leap February ends at 29
        st(2021, 4, 31),                // April has 30 days
        st(2021, 13, 1),                // month 13
        st(2021, 0, 1),                 // month 0
        st(2021, 1, 0),                 // day 0
        st(2021, 1, 32),                // day 32
        st(2021, 1, 1, 24),             // hour 24
        st(2021, 1, 1, 0, 60),          // minute 60
        st(2021, 1, 1, 0, 0, 60),       // no leap seconds
        st(2021, 1, 1, 0, 0, 0, 1000),  // milliseconds 1000
        st(1600, 12, 31),               // before the epoch
        st(30828, 1, 1),                // after the last accepted year
        st(0, 0, 0),                    // all zero
    };
    for (const SYSTEMTIME& in : rows) {
        FILETIME out = makeFileTime(12345);
        EXPECT_FALSE(systemTimeToFileTime(in, out)) << show(in);
        EXPECT_EQ(fileTimeValue(out), 12345u) << show(in);
    }
}

TEST(FileTime, ValuesFromTwoToTheSixtyThirdAreRefused) {
    SYSTEMTIME out = st(1999, 9, 9);
    EXPECT_FALSE(fileTimeToSystemTime(makeFileTime(uint64_t{1} << 63), out));
    EXPECT_FALSE(fileTimeToSystemTime(makeFileTime(std::numeric_limits<uint64_t>::max()), out));
    EXPECT_EQ(out, st(1999, 9, 9));
    // The largest value still converts, into year 30828 (a Thursday).
    ASSERT_TRUE(fileTimeToSystemTime(makeFileTime((uint64_t{1} << 63) - 1), out));
    EXPECT_EQ(out, st(30828, 9, 14, 2, 48, 5, 477, 4)) << show(out);
    // Values between the last accepted year and 2^63 convert too.
    ASSERT_TRUE(fileTimeToSystemTime(makeFileTime(9223149888000000000u), out));
    EXPECT_EQ(out, st(30828, 1, 1, 0, 0, 0, 0, 6)) << show(out);
}

// Every day of eight centuries: the conversion is exact both ways and the
// day of the week advances by one.
TEST(FileTime, EveryDayRoundTripsAndTheWeekdayAdvances) {
    constexpr uint64_t kDay = 864000000000;
    SYSTEMTIME previous;
    ASSERT_TRUE(fileTimeToSystemTime(makeFileTime(0), previous));
    for (uint64_t day = 1; day < 800 * 366; ++day) {
        const uint64_t value = day * kDay + 43200000000 + 1234 * 10000;  // 12:00:01.234
        SYSTEMTIME t;
        ASSERT_TRUE(fileTimeToSystemTime(makeFileTime(value), t));
        ASSERT_EQ(t.wDayOfWeek, (previous.wDayOfWeek + 1) % 7) << show(t);
        FILETIME back;
        ASSERT_TRUE(systemTimeToFileTime(t, back)) << show(t);
        ASSERT_EQ(fileTimeValue(back), value) << show(t);
        previous = t;
    }
    EXPECT_EQ(previous.wYear, 2402);
}

TEST(FileTime, SplitsIntoHighAndLowWords) {
    const FILETIME t = makeFileTime(0x0123456789ABCDEFu);
    EXPECT_EQ(t.dwHighDateTime, 0x01234567u);
    EXPECT_EQ(t.dwLowDateTime, 0x89ABCDEFu);
    EXPECT_EQ(fileTimeValue(t), 0x0123456789ABCDEFu);
}

TEST(UnixTime, ConvertsBothWays) {
    EXPECT_EQ(fileTimeValue(unixToFileTime(0)), 116444736000000000u);
    EXPECT_EQ(fileTimeValue(unixToFileTime(1, 999'999'999)), 116444736000000000u + 19'999'999);
    EXPECT_EQ(fileTimeToUnix(makeFileTime(116444736000000000u + 19'999'999)), 1);
    EXPECT_EQ(fileTimeToUnix(makeFileTime(0)), -11644473600);
    // Before 1970, whole seconds still come back exactly.
    EXPECT_EQ(fileTimeToUnix(unixToFileTime(-86400)), -86400);
    EXPECT_EQ(fileTimeValue(unixToFileTime(-11644473600)), 0u);
    // Before 1601 there is no FILETIME: zero.
    EXPECT_EQ(fileTimeValue(unixToFileTime(-11644473601)), 0u);
    EXPECT_EQ(fileTimeValue(unixToFileTime(std::numeric_limits<int64_t>::min())), 0u);
    // Beyond the last FILETIME (some file systems store such times): the
    // latest valid value instead of a wrapped-around one.
    const uint64_t latest = (uint64_t{1} << 63) - 1;
    EXPECT_EQ(fileTimeValue(unixToFileTime(std::numeric_limits<int64_t>::max())), latest);
    EXPECT_EQ(fileTimeValue(unixToFileTime(int64_t{1} << 40)), latest);
    EXPECT_EQ(fileTimeValue(unixToFileTime(910692730085, 999'999'999)),
              latest);  // last whole second
}

TEST(Clock, SystemTimeIsNowAndValid) {
    const time_t before = time(nullptr);
    const SYSTEMTIME now = getSystemTime();
    const time_t after = time(nullptr);
    FILETIME ft;
    ASSERT_TRUE(systemTimeToFileTime(now, ft)) << show(now);
    EXPECT_GE(fileTimeToUnix(ft), before);
    EXPECT_LE(fileTimeToUnix(ft), after);
    SYSTEMTIME again;
    ASSERT_TRUE(fileTimeToSystemTime(ft, again));
    EXPECT_EQ(again.wDayOfWeek, now.wDayOfWeek);
}

// Sets TZ for one test and restores it.
class ZoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadTz_ = old != nullptr;
        if (old) oldTz_ = old;
    }
    void TearDown() override {
        if (hadTz_) {
            setenv("TZ", oldTz_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    void zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

TEST_F(ZoneTest, UtcHasNoBiasAndLocalTimeIsUtc) {
    zone("UTC0");
    TIME_ZONE_INFORMATION info;
    EXPECT_EQ(getTimeZoneInformation(info), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(info.Bias, 0);
    EXPECT_EQ(info.StandardName, "UTC");
    SYSTEMTIME utc = getSystemTime();
    SYSTEMTIME local = getLocalTime();
    FILETIME a, b;
    ASSERT_TRUE(systemTimeToFileTime(utc, a));
    ASSERT_TRUE(systemTimeToFileTime(local, b));
    EXPECT_LT(fileTimeValue(b) - fileTimeValue(a), 20'000'000u);  // same clock, read twice
}

TEST_F(ZoneTest, BiasIsMinutesWestOfGreenwich) {
    zone("EST5EDT,M3.2.0,M11.1.0");
    TIME_ZONE_INFORMATION info;
    const int id = getTimeZoneInformation(info);
    EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(info.Bias, 300);
    EXPECT_EQ(info.StandardName, "EST");
    EXPECT_EQ(info.DaylightName, "EDT");
    EXPECT_EQ(info.DaylightBias, -60);

    zone("CET-1CEST,M3.5.0,M10.5.0/3");
    getTimeZoneInformation(info);
    EXPECT_EQ(info.Bias, -60);

    zone("IST-5:30");
    EXPECT_EQ(getTimeZoneInformation(info), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(info.Bias, -330);
}

TEST(TickCount, FollowsTheMonotonicClockModuloTwoToThe32) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint32_t expected =
        static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000);
    const uint32_t tick = tickCount();
    // Elapsed time is the unsigned difference, right across a wrap as well.
    EXPECT_LT(static_cast<uint32_t>(tick - expected), 60'000u);
    const uint32_t beforeWrap = 0xFFFFFFF0u;
    const uint32_t afterWrap = 0x00000010u;
    EXPECT_EQ(static_cast<uint32_t>(afterWrap - beforeWrap), 0x20u);
}

}  // namespace
}  // namespace tessaly
