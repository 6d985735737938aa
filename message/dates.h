// dates.h - reading mail dates into Windows time records, and writing the
// RFC 822 and mailbox "From " line date texts.
#pragma once

#include <string>
#include <string_view>

#include "platform/time.h"

namespace tessaly {

// Reads a date tolerantly: RFC 822 with or without weekday, seconds or zone,
// asctime, month/day/year, English and Italian month words. True when a
// day, a month and a year were found and make a real moment; the time of day
// is optional (12:00:00 when absent). The SYSTEMTIME holds the moment as
// written (archive names show it so); the FILETIME is the moment itself, in
// UTC: the written time less the zone after the time of day ("+0200",
// "-05:30", "GMT", "EST" and other common names; none is UTC).
//
// Either output may be null; each present one is always written: with the
// date on success, with `nowUtc` on failure (an impossible date such as day
// 2002 or year 70000 counts as a failure). Two-digit years are placed in the
// century window around nowUtc's year.
bool parseDate(std::string_view text, FILETIME* fileTimeOut, SYSTEMTIME* sentTimeOut,
               const SYSTEMTIME& nowUtc);

// The same, with the platform's current UTC time.
bool parseDate(std::string_view text, FILETIME* fileTimeOut, SYSTEMTIME* sentTimeOut);

// Whether the rest of a mailbox "From " line (after the sender) is a date:
// day, month, year and time all present, only weekday words and a zone
// besides, and nothing after the last of them.
bool isFromLineDate(std::string_view text);

// "Mon Jan  1 10:00:00 2001": the asctime shape without the line end.
std::string formatAsctimeDate(const SYSTEMTIME& time);

// "Mon, 1 Jan 2001 10:00:00 +0100 (CET)". `time` null gives an empty text;
// `zone` null gives "+0000 (UTC)"; `zoneState` is what
// getTimeZoneInformation returned (TIME_ZONE_ID_DAYLIGHT for summer time), or
// -1 for a text without zone.
std::string formatRfc822Date(const SYSTEMTIME* time, const TIME_ZONE_INFORMATION* zone,
                             int zoneState);

}  // namespace tessaly
