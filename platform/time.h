// time.h - Windows-style time records (FILETIME, SYSTEMTIME, time-zone
// information), their conversions, the clock and the millisecond tick count.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// 100-nanosecond intervals since 1601-01-01, split as Windows splits it.
struct FILETIME {
    uint32_t dwLowDateTime = 0;
    uint32_t dwHighDateTime = 0;
};

// A calendar moment; wDayOfWeek is 0 for Sunday.
struct SYSTEMTIME {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

bool operator==(const FILETIME& a, const FILETIME& b);
bool operator==(const SYSTEMTIME& a, const SYSTEMTIME& b);

// Biases are minutes to add to local time to get UTC (so negative east of
// Greenwich). The zone names are the platform's text (UTF-8).
struct TIME_ZONE_INFORMATION {
    int32_t Bias = 0;
    std::string StandardName;
    SYSTEMTIME StandardDate;
    int32_t StandardBias = 0;
    std::string DaylightName;
    SYSTEMTIME DaylightDate;
    int32_t DaylightBias = 0;
};

// What getTimeZoneInformation returns.
constexpr int TIME_ZONE_ID_UNKNOWN = 0;
constexpr int TIME_ZONE_ID_STANDARD = 1;
constexpr int TIME_ZONE_ID_DAYLIGHT = 2;

uint64_t fileTimeValue(const FILETIME& t);
FILETIME makeFileTime(uint64_t value);

// Fails (leaving `out` unchanged) on an impossible date or time: year outside
// 1601..30827, month outside 1..12, a day the month does not have, hour 24 or
// more, minute or second 60 or more, milliseconds 1000 or more. The day of
// the week is not looked at.
bool systemTimeToFileTime(const SYSTEMTIME& in, FILETIME& out);
// Fails for values of 2^63 and above; fills the day of the week.
bool fileTimeToSystemTime(const FILETIME& in, SYSTEMTIME& out);

// Seconds since 1970 (UTC) and FILETIME, both ways. unixToFileTime gives zero
// for moments before 1601 and 2^63 - 1 for moments after the last one a
// FILETIME can hold; fileTimeToUnix is exact to the second.
FILETIME unixToFileTime(int64_t seconds, uint32_t nanoseconds = 0);
int64_t fileTimeToUnix(const FILETIME& t);

// The current moment as UTC and as local clock time.
SYSTEMTIME getSystemTime();
SYSTEMTIME getLocalTime();

// The local time zone now, as GetTimeZoneInformation describes it.
int getTimeZoneInformation(TIME_ZONE_INFORMATION& zone);

// Milliseconds from a monotonic clock; wraps around every 49.7 days.
uint32_t tickCount();

}  // namespace tessaly
