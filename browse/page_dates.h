// page_dates.h - the times of the browse pages: every date in UTC, written
// "2003-02-03 09:29", and the year and month headings of the lists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

struct CivilDate {
    int64_t year = 1970;
    int month = 1;  // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// The UTC calendar moment of `seconds` since 1970 (any value, no overflow).
CivilDate civilDate(int64_t seconds);

// "2003-02-03 09:29"; years beyond four digits are written in full.
std::string dateTimeText(int64_t seconds);
// "2003-02-03"
std::string dateText(int64_t seconds);
// "2003-02-03 – 2004-05-06" (an en dash), or one day when both fall on it.
std::string dateRangeText(int64_t first, int64_t last);

// "January" .. "December"
std::string_view monthName(int month);

}  // namespace tessaly
