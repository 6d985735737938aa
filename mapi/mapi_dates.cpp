// mapi_dates.cpp - formatting MAPI times as RFC 822 dates.
#include "mapi/mapi_dates.h"

#include "message/dates.h"

namespace tessaly {

namespace {

constexpr int64_t kTicksPerMinute = 60LL * 10'000'000LL;

}  // namespace

std::string utcDateText(const FILETIME& time) {
    SYSTEMTIME utc;
    if (!fileTimeToSystemTime(time, utc)) return {};
    return formatRfc822Date(&utc, nullptr, TIME_ZONE_ID_UNKNOWN);
}

std::string localDateText(const FILETIME& time) {
    TIME_ZONE_INFORMATION zone;
    const int state = getTimeZoneInformation(zone);
    const int64_t bias =
        static_cast<int64_t>(zone.Bias) + (state == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias);
    const int64_t ticks = static_cast<int64_t>(fileTimeValue(time)) - bias * kTicksPerMinute;
    SYSTEMTIME local;
    if (ticks < 0 || !fileTimeToSystemTime(makeFileTime(static_cast<uint64_t>(ticks)), local)) return {};
    return formatRfc822Date(&local, &zone, state);
}

}  // namespace tessaly
