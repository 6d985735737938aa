// time.cpp - Windows-style time records over the C library's clocks.
#include "platform/time.h"

#include <ctime>

namespace tessaly {

namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kTicksPerDay = kTicksPerSecond * 86'400;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 11'644'473'600;

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

SYSTEMTIME fromTm(const std::tm& tm, long nanoseconds) {
    SYSTEMTIME st;
    st.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
    st.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    st.wDay = static_cast<uint16_t>(tm.tm_mday);
    st.wHour = static_cast<uint16_t>(tm.tm_hour);
    st.wMinute = static_cast<uint16_t>(tm.tm_min);
    st.wSecond = static_cast<uint16_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
    st.wMilliseconds = static_cast<uint16_t>(nanoseconds / 1'000'000);
    return st;
}

}  // namespace

bool operator==(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool operator==(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek &&
           a.wDay == b.wDay && a.wHour == b.wHour && a.wMinute == b.wMinute &&
           a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

uint64_t fileTimeValue(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME makeFileTime(uint64_t value) {
    FILETIME t;
    t.dwLowDateTime = static_cast<uint32_t>(value);
    t.dwHighDateTime = static_cast<uint32_t>(value >> 32);
    return t;
}

bool systemTimeToFileTime(const SYSTEMTIME& in, FILETIME& out) {
    if (in.wYear < 1601 || in.wYear > 30827 || in.wMonth < 1 || in.wMonth > 12 || in.wDay < 1 ||
        in.wDay > daysInMonth(in.wYear, in.wMonth) || in.wHour > 23 || in.wMinute > 59 ||
        in.wSecond > 59 || in.wMilliseconds > 999) {
        return false;
    }
    const int64_t days = daysFromCivil(in.wYear, in.wMonth, in.wDay) - daysFromCivil(1601, 1, 1);
    const uint64_t seconds = static_cast<uint64_t>(in.wHour) * 3600 + in.wMinute * 60 + in.wSecond;
    out = makeFileTime(static_cast<uint64_t>(days) * kTicksPerDay + seconds * kTicksPerSecond +
                       static_cast<uint64_t>(in.wMilliseconds) * 10'000);
    return true;
}

bool fileTimeToSystemTime(const FILETIME& in, SYSTEMTIME& out) {
    const uint64_t value = fileTimeValue(in);
    if (value >= (uint64_t{1} << 63)) return false;
    const uint64_t days = value / kTicksPerDay;
    const uint64_t rest = value % kTicksPerDay;
    int64_t y;
    unsigned m, d;
    // Below 2^63 the year is at most 30828, which a SYSTEMTIME holds.
    civilFromDays(static_cast<int64_t>(days) + daysFromCivil(1601, 1, 1), y, m, d);
    SYSTEMTIME st;
    st.wYear = static_cast<uint16_t>(y);
    st.wMonth = static_cast<uint16_t>(m);
    st.wDay = static_cast<uint16_t>(d);
    st.wDayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
    const uint64_t seconds = rest / kTicksPerSecond;
    st.wHour = static_cast<uint16_t>(seconds / 3600);
    st.wMinute = static_cast<uint16_t>(seconds / 60 % 60);
    st.wSecond = static_cast<uint16_t>(seconds % 60);
    st.wMilliseconds = static_cast<uint16_t>(rest % kTicksPerSecond / 10'000);
    out = st;
    return true;
}

FILETIME unixToFileTime(int64_t seconds, uint32_t nanoseconds) {
    constexpr uint64_t kLatest = (uint64_t{1} << 63) - 1;
    if (seconds < -kEpochDifference) return FILETIME{};
    // File systems allow times far beyond what a FILETIME can count; such a
    // time becomes the latest valid one rather than wrapping around.
    if (seconds > static_cast<int64_t>(kLatest / kTicksPerSecond) - kEpochDifference) {
        return makeFileTime(kLatest);
    }
    const uint64_t value =
        static_cast<uint64_t>(seconds + kEpochDifference) * kTicksPerSecond + nanoseconds / 100;
    return makeFileTime(value < kLatest ? value : kLatest);
}

int64_t fileTimeToUnix(const FILETIME& t) {
    return static_cast<int64_t>(fileTimeValue(t) / kTicksPerSecond) - kEpochDifference;
}

SYSTEMTIME getSystemTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    gmtime_r(&now.tv_sec, &tm);
    return fromTm(tm, now.tv_nsec);
}

SYSTEMTIME getLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    localtime_r(&now.tv_sec, &tm);
    return fromTm(tm, now.tv_nsec);
}

int getTimeZoneInformation(TIME_ZONE_INFORMATION& zone) {
    tzset();
    const time_t now = time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    zone = TIME_ZONE_INFORMATION{};
    // `timezone` is the standard offset in seconds west of UTC.
    zone.Bias = static_cast<int32_t>(timezone / 60);
    zone.StandardName = tzname[0] ? tzname[0] : "";
    zone.DaylightName = daylight && tzname[1] ? tzname[1] : "";
    zone.StandardBias = 0;
    if (!daylight) return TIME_ZONE_ID_UNKNOWN;
    zone.DaylightBias = -60;
    if (tm.tm_isdst > 0) {
        zone.DaylightBias = static_cast<int32_t>(-tm.tm_gmtoff / 60) - zone.Bias;
        return TIME_ZONE_ID_DAYLIGHT;
    }
    return TIME_ZONE_ID_STANDARD;
}

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
    return static_cast<uint32_t>(ms);
}

}  // namespace tessaly
