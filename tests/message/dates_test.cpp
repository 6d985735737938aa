// dates_test.cpp - hostile mail dates, the From-line mode and the date texts.
#include "message/dates.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

SYSTEMTIME makeTime(int year, int month, int day, int hour, int minute, int second,
                    int dayOfWeek = 1) {
    SYSTEMTIME t;
    t.wYear = static_cast<uint16_t>(year);
    t.wMonth = static_cast<uint16_t>(month);
    t.wDayOfWeek = static_cast<uint16_t>(dayOfWeek);
    t.wDay = static_cast<uint16_t>(day);
    t.wHour = static_cast<uint16_t>(hour);
    t.wMinute = static_cast<uint16_t>(minute);
    t.wSecond = static_cast<uint16_t>(second);
    return t;
}

// The clock the tests pretend it is (UTC): 4 March 2026, 05:06:07.890.
SYSTEMTIME testNow() {
    SYSTEMTIME t = makeTime(2026, 3, 4, 5, 6, 7, 3);
    t.wMilliseconds = 890;
    return t;
}

struct DateRow {
    std::string text;
    bool ok;
    int year, month, day, hour, minute, second;  // ignored when !ok
    int zoneMinutes = 0;  // the zone the text names: the file time is that much earlier
};

// clang-format off
const DateRow kDates[] = {
    // Full RFC 822 with weekday, seconds and numeric zone; the written time
    // is kept, the file time is the moment in UTC.
    {"Mon, 1 Jan 2001 10:20:30 +0100", true, 2001, 1, 1, 10, 20, 30, 60},
    // Without weekday.
    {"1 Jan 2001 10:20:30 -0500", true, 2001, 1, 1, 10, 20, 30, -300},
    // Without seconds: seconds are 0.
    {"Mon, 1 Jan 2001 10:20 +0100", true, 2001, 1, 1, 10, 20, 0, 60},
    // Without any time: noon.
    {"Mon, 1 Jan 2001", true, 2001, 1, 1, 12, 0, 0},
    // Without zone, with a zone comment after it.
    {"Fri, 13 Jul 2001 23:59:59 (CEST)", true, 2001, 7, 13, 23, 59, 59, 120},
    // 08 and 09 are decimal, not bad octal.
    {"Mon, 08 Jan 2001 08:09:09", true, 2001, 1, 8, 8, 9, 9},
    // Leading spaces and blanks of every kind between tokens.
    {"   Mon,\t1\r\n Jan 2001\t10:00:00", true, 2001, 1, 1, 10, 0, 0},
    // Month word in capitals.
    {"1 JAN 2001 10:00:00", true, 2001, 1, 1, 10, 0, 0},
    // American month/day/year.
    {"12/31/2001", true, 2001, 12, 31, 12, 0, 0},
    // month/day/year with a time after it.
    {"12/31/2001 23:00", true, 2001, 12, 31, 23, 0, 0},
    // One slash is no date: only the time and later numbers count.
    {"12/31 2001", false, 0, 0, 0, 0, 0, 0},
    // Italian abbreviations.
    {"mar, 9 ott 2001 10:00:00 +0200", true, 2001, 10, 9, 10, 0, 0, 120},
    {"17 dic 2002", true, 2002, 12, 17, 12, 0, 0},
    {"5 gen 2002", true, 2002, 1, 5, 12, 0, 0},
    {"5 lug 2002", true, 2002, 7, 5, 12, 0, 0},
    // Long English words.
    {"September 5, 2002", true, 2002, 9, 5, 12, 0, 0},
    {"5 february 2002", true, 2002, 2, 5, 12, 0, 0},
    // "Sept" is no month word and nothing else gives a month.
    {"5 Sept 2002 10:00", false, 0, 0, 0, 0, 0, 0},
    // "Sept" followed by a real month word still parses.
    {"Sept 5 Sep 2002", true, 2002, 9, 5, 12, 0, 0},
    // Only a time.
    {"10:00:00", false, 0, 0, 0, 0, 0, 0},
    // Two-digit years around the pivot of 2026 (76).
    {"1 Jan 99", true, 1999, 1, 1, 12, 0, 0},
    {"1 Jan 02", true, 2002, 1, 1, 12, 0, 0},
    {"1 Jan 76", true, 2076, 1, 1, 12, 0, 0},
    {"1 Jan 77", true, 1977, 1, 1, 12, 0, 0},
    // Three-digit years as some old clients wrote years after 1999.
    {"1 Jan 102", true, 2002, 1, 1, 12, 0, 0},
    // A later number replaces the year.
    {"1 Jan 1999 2003", true, 2003, 1, 1, 12, 0, 0},
    // Asctime order: month, day, time, year.
    {"Mon Jan  1 10:00:00 2001", true, 2001, 1, 1, 10, 0, 0},
    // Day and year swapped in an unusual order: day 2002 is impossible.
    {"2002 Jan 5", false, 0, 0, 0, 0, 0, 0},
    // 31 April does not exist.
    {"31 Apr 2001", false, 0, 0, 0, 0, 0, 0},
    // 29 February only in leap years.
    {"29 Feb 2000", true, 2000, 2, 29, 12, 0, 0},
    {"29 Feb 2001", false, 0, 0, 0, 0, 0, 0},
    // Impossible times.
    {"1 Jan 2001 24:00:00", false, 0, 0, 0, 0, 0, 0},
    {"1 Jan 2001 10:60", false, 0, 0, 0, 0, 0, 0},
    // A year past what a 16-bit field holds must not wrap into a real one.
    {"1 Jan 67537", false, 0, 0, 0, 0, 0, 0},
    // A forty-digit day, a huge year and a huge hour: no overflow.
    {"1234567890123456789012345678901234567890 Jan 2001", false, 0, 0, 0, 0, 0, 0},
    {"1 Jan 99999999999999999999999999", false, 0, 0, 0, 0, 0, 0},
    {"1 Jan 2001 99999999999999999999:00", false, 0, 0, 0, 0, 0, 0},
    // Year before 1601 cannot become a file time.
    {"1 Jan 1600", false, 0, 0, 0, 0, 0, 0},
    // Empty and blank texts.
    {"", false, 0, 0, 0, 0, 0, 0},
    {"   ", false, 0, 0, 0, 0, 0, 0},
    // Separators only, and doubled commas between real tokens.
    {",,,", false, 0, 0, 0, 0, 0, 0},
    {"Mon,, 1 Jan,, 2001", true, 2001, 1, 1, 12, 0, 0},
    // A leading tab is an empty token, not a day 0.
    {"\t1 Jan 2001", true, 2001, 1, 1, 12, 0, 0},
    // Words of ten or more letters are skipped even when numeric-looking.
    {"Wednesday, 3 March 2004", true, 2004, 3, 3, 12, 0, 0},
    // A time with three colons has no seconds.
    {"1 Jan 2001 10:20:30:40", true, 2001, 1, 1, 10, 20, 0},
    // Empty time parts count as 0.
    {"1 Jan 2001 10::", true, 2001, 1, 1, 10, 0, 0},
    // A text that is no date at all.
    {"not a date", false, 0, 0, 0, 0, 0, 0},
};
// clang-format on

TEST(ParseDate, HostileDates) {
    const SYSTEMTIME now = testNow();
    FILETIME nowFile;
    ASSERT_TRUE(systemTimeToFileTime(now, nowFile));
    for (const DateRow& row : kDates) {
        SCOPED_TRACE("date: \"" + row.text + "\"");
        FILETIME file = makeFileTime(0x1234);
        SYSTEMTIME sent;
        EXPECT_EQ(parseDate(row.text, &file, &sent, now), row.ok);
        if (!row.ok) {
            // Both outputs fall back to the current UTC time.
            EXPECT_EQ(sent, now);
            EXPECT_EQ(file, nowFile);
            continue;
        }
        const SYSTEMTIME expected =
            makeTime(row.year, row.month, row.day, row.hour, row.minute, row.second, 1);
        EXPECT_EQ(sent, expected);
        FILETIME expectedFile;
        ASSERT_TRUE(systemTimeToFileTime(expected, expectedFile));
        EXPECT_EQ(fileTimeToUnix(file), fileTimeToUnix(expectedFile) - row.zoneMinutes * 60);
    }
}

TEST(ParseDate, EitherOutputMayBeAbsent) {
    const SYSTEMTIME now = testNow();
    SYSTEMTIME sent;
    FILETIME file;
    EXPECT_TRUE(parseDate("1 Jan 2001", nullptr, &sent, now));
    EXPECT_EQ(sent.wYear, 2001);
    EXPECT_TRUE(parseDate("1 Jan 2001", &file, nullptr, now));
    EXPECT_FALSE(parseDate("junk", nullptr, nullptr, now));
}

// The file time is the real moment; the written time of day stays in the
// SYSTEMTIME that names the files.
TEST(ParseDate, FileTimeIsTheMomentInUtc) {
    const struct {
        const char* text;
        int64_t unix;
        const char* why;
    } rows[] = {
        {"Thu, 1 Jan 1970 01:00:00 +0100", 0, "east of Greenwich"},
        {"Wed, 31 Dec 1969 19:00:00 -0500", 0, "west: the day before"},
        {"Thu, 1 Jan 1970 05:30:00 +05:30", 0, "a colon in the zone"},
        {"Thu, 1 Jan 1970 02:00:00 +0200 (CEST)", 0, "the number wins over the name"},
        {"Wed, 31 Dec 1969 16:00:00 PST", 0, "a zone name"},
        {"Thu, 1 Jan 1970 00:00:00 GMT", 0, "GMT"},
        {"Thu, 1 Jan 1970 00:00:00", 0, "no zone: taken as UTC"},
        {"Thu, 1 Jan 1970 00:00:00 +9999", 0, "a zone out of range is none"},
        {"Thu, 1 Jan 1970 00:00:00 -0000", 0, "an unknown zone"},
    };
    for (const auto& row : rows) {
        FILETIME file;
        SYSTEMTIME sent;
        ASSERT_TRUE(parseDate(row.text, &file, &sent, testNow())) << row.why;
        EXPECT_EQ(fileTimeToUnix(file), row.unix) << row.why;
    }
    SYSTEMTIME sent;
    ASSERT_TRUE(parseDate("Wed, 31 Dec 1969 19:00:00 -0500", nullptr, &sent, testNow()));
    EXPECT_EQ(sent.wHour, 19);
}

TEST(ParseDate, TwoDigitYearsStayWithinFiftyYearsOfNow) {
    SYSTEMTIME sent;
    // In 2090: 2041 to 2140. The current year itself stays in its century.
    const SYSTEMTIME later = makeTime(2090, 6, 1, 0, 0, 0);
    ASSERT_TRUE(parseDate("1 Jan 90", nullptr, &sent, later));
    EXPECT_EQ(sent.wYear, 2090);
    ASSERT_TRUE(parseDate("1 Jan 41", nullptr, &sent, later));
    EXPECT_EQ(sent.wYear, 2041);
    ASSERT_TRUE(parseDate("1 Jan 40", nullptr, &sent, later));
    EXPECT_EQ(sent.wYear, 2140);
    // In 1999: 1950 to 2049.
    const SYSTEMTIME earlier = makeTime(1999, 6, 1, 0, 0, 0);
    ASSERT_TRUE(parseDate("1 Jan 99", nullptr, &sent, earlier));
    EXPECT_EQ(sent.wYear, 1999);
    ASSERT_TRUE(parseDate("1 Jan 50", nullptr, &sent, earlier));
    EXPECT_EQ(sent.wYear, 1950);
    ASSERT_TRUE(parseDate("1 Jan 49", nullptr, &sent, earlier));
    EXPECT_EQ(sent.wYear, 2049);
    // In 2049, the last year of the pivot rule: 1999 to 2099.
    const SYSTEMTIME edge = makeTime(2049, 6, 1, 0, 0, 0);
    ASSERT_TRUE(parseDate("1 Jan 99", nullptr, &sent, edge));
    EXPECT_EQ(sent.wYear, 2099);
    ASSERT_TRUE(parseDate("1 Jan 00", nullptr, &sent, edge));
    EXPECT_EQ(sent.wYear, 2000);
}

TEST(ParseDate, EveryPrefixOfAFullDateIsHarmless) {
    const std::string full = "Mon, 01 Jan 2001 10:20:30 +0100 (CET)";
    for (size_t n = 0; n <= full.size(); ++n) {
        // A view into a buffer that ends exactly at the prefix, so ASan sees
        // any read past it.
        std::string copy = full.substr(0, n);
        std::string_view view(copy.data(), n);
        parseDate(view, nullptr, nullptr, testNow());
        isFromLineDate(view);
    }
}

struct FromLineRow {
    std::string text;
    bool accepted;
};

// clang-format off
const FromLineRow kFromLines[] = {
    // The usual rest of a mailbox From line.
    {"Mon Jan  1 10:00:00 2001", true},
    {"Mon Jan 01 10:00:00 2001", true},
    // Trailing spaces are fine.
    {"Mon Jan  1 10:00:00 2001   ", true},
    // Without weekday.
    {"Jan  1 10:00:00 2001", true},
    // Zone before the year, numeric or in parentheses.
    {"Mon Jan  1 10:00:00 +0100 2001", true},
    {"Mon Jan  1 10:00:00 (CET) 2001", true},
    // Italian weekday.
    {"gio Jan  1 10:00:00 2001", true},
    // The same text followed by more words.
    {"Mon Jan  1 10:00:00 2001 remote from host", false},
    // A word that is neither month, weekday nor zone, before the year.
    {"Mon Jan  1 10:00:00 CET 2001", false},
    {"Foo Jan  1 10:00:00 2001", false},
    // Lower-case zone letters do not make a zone.
    {"Mon Jan  1 10:00:00 (cet) 2001", false},
    // No time: day, month and year are not enough.
    {"Mon Jan  1 2001", false},
    // No year.
    {"Mon Jan  1 10:00:00", false},
    // Words of ten letters or more are skipped, not rejected.
    {"Wednesdays Jan  1 10:00:00 2001", true},
    // Empty rest of line.
    {"", false},
};
// clang-format on

TEST(IsFromLineDate, AcceptsOnlyDates) {
    for (const FromLineRow& row : kFromLines) {
        SCOPED_TRACE("From line rest: \"" + row.text + "\"");
        EXPECT_EQ(isFromLineDate(row.text), row.accepted);
    }
}

TEST(FormatAsctimeDate, PadsSingleDigitDays) {
    EXPECT_EQ(formatAsctimeDate(makeTime(2001, 1, 1, 10, 2, 3, 1)), "Mon Jan  1 10:02:03 2001");
    EXPECT_EQ(formatAsctimeDate(makeTime(2009, 12, 31, 0, 0, 0, 4)), "Thu Dec 31 00:00:00 2009");
    // Unknown weekday and month values leave their words out.
    EXPECT_EQ(formatAsctimeDate(makeTime(2009, 13, 10, 1, 2, 3, 7)), "10 01:02:03 2009");
}

TEST(FormatRfc822Date, ZoneForms) {
    const SYSTEMTIME t = makeTime(2001, 7, 5, 9, 8, 7, 4);
    EXPECT_EQ(formatRfc822Date(nullptr, nullptr, 0), "");
    // No zone part at all.
    EXPECT_EQ(formatRfc822Date(&t, nullptr, -1), "Thu, 5 Jul 2001 09:08:07");
    // No zone record: UTC.
    EXPECT_EQ(formatRfc822Date(&t, nullptr, TIME_ZONE_ID_STANDARD),
              "Thu, 5 Jul 2001 09:08:07 +0000 (UTC)");

    TIME_ZONE_INFORMATION london;
    london.Bias = 0;
    london.StandardName = "GMT Standard Time";
    london.DaylightName = "GMT Daylight Time";
    london.DaylightBias = -60;
    EXPECT_EQ(formatRfc822Date(&t, &london, TIME_ZONE_ID_DAYLIGHT),
              "Thu, 5 Jul 2001 09:08:07 +0100 (BST)");
    EXPECT_EQ(formatRfc822Date(&t, &london, TIME_ZONE_ID_STANDARD),
              "Thu, 5 Jul 2001 09:08:07 +0000 (GMT)");

    TIME_ZONE_INFORMATION newYork;
    newYork.Bias = 300;
    newYork.StandardName = "EST";
    newYork.DaylightName = "EDT";
    newYork.DaylightBias = -60;
    EXPECT_EQ(formatRfc822Date(&t, &newYork, TIME_ZONE_ID_DAYLIGHT),
              "Thu, 5 Jul 2001 09:08:07 -0400 (EDT)");

    // India: half-hour offset; a two-letter name gives no suffix.
    TIME_ZONE_INFORMATION india;
    india.Bias = -330;
    india.StandardName = "IS";
    EXPECT_EQ(formatRfc822Date(&t, &india, TIME_ZONE_ID_UNKNOWN),
              "Thu, 5 Jul 2001 09:08:07 +0530");
    // A name whose first characters are multi-byte is cut after three
    // characters, not three bytes.
    india.StandardName = "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";
    EXPECT_EQ(formatRfc822Date(&t, &india, TIME_ZONE_ID_UNKNOWN),
              "Thu, 5 Jul 2001 09:08:07 +0530 (\xc3\xa9\xc3\xa9\xc3\xa9)");
}

TEST(FormatRfc822Date, OddFieldsStillGiveText) {
    const SYSTEMTIME t = makeTime(2001, 0, 5, 9, 8, 7, 9);
    EXPECT_EQ(formatRfc822Date(&t, nullptr, -1), "5 ??? 2001 09:08:07");
}

TEST(FormatThenParse, RoundTrip) {
    const SYSTEMTIME t = makeTime(2004, 2, 29, 23, 59, 58, 0);
    SYSTEMTIME back;
    ASSERT_TRUE(parseDate(formatRfc822Date(&t, nullptr, 0), nullptr, &back, testNow()));
    EXPECT_EQ(back, makeTime(2004, 2, 29, 23, 59, 58, 1));
    EXPECT_TRUE(isFromLineDate(formatAsctimeDate(t)));
}

}  // namespace
}  // namespace tessaly
