// page_dates.cpp - UTC calendar dates from unix seconds.
#include "browse/page_dates.h"

namespace tessaly {

namespace {

// Floor division, for times before 1970.
int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

void appendNumber(std::string& out, int64_t value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0) out += '-';
    for (int i = static_cast<int>(digits.size()); i < width; ++i) out += '0';
    out += digits;
}

}  // namespace

CivilDate civilDate(int64_t seconds) {
    // Days to year, month and day in the proleptic Gregorian calendar
    // (H. Hinnant's civil_from_days), safe for every int64 input.
    const int64_t days = floorDiv(seconds, 86400);
    const int64_t inDay = (seconds % 86400 + 86400) % 86400;
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = yoe + era * 400 + (date.month <= 2);
    date.hour = static_cast<int>(inDay / 3600);
    date.minute = static_cast<int>(inDay % 3600 / 60);
    return date;
}

std::string dateText(int64_t seconds) {
    const CivilDate date = civilDate(seconds);
    std::string out;
    appendNumber(out, date.year, 4);
    out += '-';
    appendNumber(out, date.month, 2);
    out += '-';
    appendNumber(out, date.day, 2);
    return out;
}

std::string dateTimeText(int64_t seconds) {
    const CivilDate date = civilDate(seconds);
    std::string out = dateText(seconds);
    out += ' ';
    appendNumber(out, date.hour, 2);
    out += ':';
    appendNumber(out, date.minute, 2);
    return out;
}

std::string dateRangeText(int64_t first, int64_t last) {
    const std::string a = dateText(first);
    const std::string b = dateText(last);
    return a == b ? a : a + " \xE2\x80\x93 " + b;
}

std::string_view monthName(int month) {
    static constexpr std::string_view kNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                                  "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : std::string_view("?");
}

}  // namespace tessaly
