// dates.cpp - calendar arithmetic and mail date forms.
#include "gen_corpus/dates.h"

#include <cstdio>

namespace tessaly::bench {

namespace {

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 (Howard Hinnant's days_from_civil).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Civil {
    int64_t year;
    unsigned month, day, hour, minute, second, weekday;
};

Civil civilFrom(int64_t seconds) {
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const int64_t rest = seconds - days * 86400;
    Civil c{};
    c.hour = static_cast<unsigned>(rest / 3600);
    c.minute = static_cast<unsigned>(rest / 60 % 60);
    c.second = static_cast<unsigned>(rest % 60);
    c.weekday = static_cast<unsigned>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    c.day = doy - (153 * mp + 2) / 5 + 1;
    c.month = mp < 10 ? mp + 3 : mp - 9;
    c.year = static_cast<int64_t>(yoe) + era * 400 + (c.month <= 2);
    return c;
}

const char* zoneComment(int offsetMinutes) {
    switch (offsetMinutes) {
        case 0: return " (GMT)";
        case 60: return " (CET)";
        case 120: return " (CEST)";
        case -300: return " (EST)";
        case -240: return " (EDT)";
        case -480: return " (PST)";
        case -420: return " (PDT)";
        default: return "";
    }
}

}  // namespace

int64_t secondsAt(int year, unsigned month, unsigned day) { return daysFromCivil(year, month, day) * 86400; }

std::string headerDate(int64_t utc, int offsetMinutes, int style) {
    const Civil c = civilFrom(utc + int64_t{offsetMinutes} * 60);
    const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%s%s%0*u %s %lld %02u:%02u:%02u %c%02d%02d%s",
                  style == 1 ? "" : kWeekdays[c.weekday], style == 1 ? "" : ", ", style == 3 ? 2 : 1, c.day,
                  kMonths[c.month - 1], static_cast<long long>(c.year), c.hour, c.minute, c.second,
                  offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60,
                  style == 2 ? zoneComment(offsetMinutes) : "");
    return buffer;
}

std::string asctimeDate(int64_t utc) {
    const Civil c = civilFrom(utc);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%s %s %2u %02u:%02u:%02u %lld", kWeekdays[c.weekday],
                  kMonths[c.month - 1], c.day, c.hour, c.minute, c.second, static_cast<long long>(c.year));
    return buffer;
}

}  // namespace tessaly::bench
