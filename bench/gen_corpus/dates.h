// dates.h - calendar arithmetic and the date forms of mail headers and
// mailbox From lines.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly::bench {

// Seconds since 1970-01-01 00:00:00 UTC of a date (proleptic Gregorian).
int64_t secondsAt(int year, unsigned month, unsigned day);

// "Tue, 8 Dec 2026 05:28:44 +0100": `utc` shown at `offsetMinutes` east.
// `style` 0 is the usual form; 1 leaves out the weekday, 2 adds a zone
// comment, 3 pads the day to two digits.
std::string headerDate(int64_t utc, int offsetMinutes, int style = 0);
// "Tue Dec  8 05:28:44 2026", the asctime form of From lines, in UTC.
std::string asctimeDate(int64_t utc);

}  // namespace tessaly::bench
