// dates.cpp - the tolerant mail date reader, its From-line mode, and the
// RFC 822 and asctime date texts.
#include "message/dates.h"

#include <algorithm>
#include <cstdio>

#include "platform/ascii.h"

namespace tessaly {

namespace {

// Numbers are capped well above any field a SYSTEMTIME can hold, so that a
// forty-digit day stays an impossible day instead of overflowing.
constexpr int kNumberCap = 1'000'000'000;

// The decimal value of the leading digits of `part`; leading zeros do not
// make it octal and an empty part is 0.
int readNumber(std::string_view part) {
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') break;
        value = value >= kNumberCap / 10 ? kNumberCap : value * 10 + (c - '0');
    }
    return value;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

bool isTokenEnd(char c) { return c == ',' || isBlank(c); }

struct MonthWord {
    std::string_view word;
    int month;
};

// English words and abbreviations, and the Italian abbreviations that differ.
constexpr MonthWord kMonthWords[] = {
    {"jan", 1},      {"feb", 2},       {"mar", 3},       {"apr", 4},       {"may", 5},
    {"jun", 6},      {"jul", 7},       {"aug", 8},       {"sep", 9},       {"oct", 10},
    {"nov", 11},     {"dec", 12},      {"gen", 1},       {"mai", 5},       {"giu", 6},
    {"lug", 7},      {"set", 9},       {"ott", 10},      {"dic", 12},      {"july", 7},
    {"june", 6},     {"march", 3},     {"april", 4},     {"august", 8},    {"january", 1},
    {"october", 10}, {"february", 2},  {"november", 11}, {"december", 12}, {"september", 9},
};

// English and Italian weekday abbreviations ("mar" is read as March first).
constexpr std::string_view kWeekdayWords[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun",
                                              "lun", "mar", "mer", "gio", "ven", "sab", "dom"};

int monthOf(std::string_view token) {
    for (const MonthWord& m : kMonthWords) {
        if (equalsIgnoringCase(token, m.word)) return m.month;
    }
    return 0;
}

bool isWeekdayWord(std::string_view token) {
    for (std::string_view w : kWeekdayWords) {
        if (equalsIgnoringCase(token, w)) return true;
    }
    return false;
}

// "+0100", "-0500" or "(CET)".
bool isZoneWord(std::string_view token) {
    if (token.size() != 5) return false;
    if (token[0] == '+' || token[0] == '-') {
        return isDigit(token[1]) && isDigit(token[2]) && isDigit(token[3]) && isDigit(token[4]);
    }
    auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    return token[0] == '(' && capital(token[1]) && capital(token[2]) && capital(token[3]) &&
           token[4] == ')';
}

struct DateFields {
    int day = 0, month = 0, year = 0;
    int hour = 0, minute = 0, second = 0;
    bool haveDay = false, haveMonth = false, haveYear = false, haveTime = false;

    bool complete() const { return haveDay && haveMonth && haveYear && haveTime; }
};

// Splits `token` at its first two occurrences of `separator`.
void splitThree(std::string_view token, char separator, std::string_view parts[3]) {
    size_t first = token.find(separator);
    parts[0] = token.substr(0, first);
    parts[1] = parts[2] = {};
    if (first == std::string_view::npos) return;
    std::string_view rest = token.substr(first + 1);
    size_t second = rest.find(separator);
    parts[1] = rest.substr(0, second);
    if (second != std::string_view::npos) parts[2] = rest.substr(second + 1);
}

// Reads tokens into `fields` until the text ends or day, month, year and time
// are all known. In From-line mode a word that is neither month, weekday nor
// zone gives false at once, and the text must end after the last token read.
// Grammar of a token: bytes up to the next ",", space, tab, CR or LF; after
// it one "," and any blanks are skipped.
bool readDate(std::string_view text, bool fromLine, DateFields& f) {
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n && text[pos] == ' ') ++pos;
    while (pos < n && !f.complete()) {
        const size_t start = pos;
        int colons = 0, slashes = 0;
        bool numeric = true;
        for (; pos < n && !isTokenEnd(text[pos]); ++pos) {
            if (text[pos] == ':') {
                ++colons;
            } else if (text[pos] == '/') {
                ++slashes;
            } else if (!isDigit(text[pos])) {
                numeric = false;
            }
        }
        const std::string_view token = text.substr(start, pos - start);
        if (pos < n && text[pos] == ',') ++pos;
        while (pos < n && isBlank(text[pos])) ++pos;

        // Two separators in a row (",," or a leading tab) make no number.
        if (token.empty()) continue;
        if (numeric || token.size() < 3) {
            if (!numeric) continue;
            std::string_view parts[3];
            if (colons > 0) {
                splitThree(token, ':', parts);
                f.hour = readNumber(parts[0]);
                f.minute = readNumber(parts[1]);
                f.second = colons == 2 ? readNumber(parts[2]) : 0;
                f.haveTime = true;
            } else if (slashes == 2) {
                splitThree(token, '/', parts);
                f.month = readNumber(parts[0]);
                f.day = readNumber(parts[1]);
                f.year = readNumber(parts[2]);
                f.haveMonth = f.haveDay = f.haveYear = true;
            } else if (slashes == 0) {
                if (!f.haveDay) {
                    f.day = readNumber(token);
                    f.haveDay = true;
                } else {
                    f.year = readNumber(token);
                    f.haveYear = true;
                }
            }
            continue;
        }
        if (int month = monthOf(token)) {
            f.month = month;
            f.haveMonth = true;
            continue;
        }
        if (token.size() >= 10 || !fromLine) continue;
        const bool known = (token.size() == 3 && isWeekdayWord(token)) || isZoneWord(token);
        if (!known) return false;
    }
    if (!fromLine) return true;
    return f.complete() && text.substr(pos).find_first_not_of(' ') == std::string_view::npos;
}

// Places a year below 1000 in the hundred years from 49 back to 50 ahead of
// the current year (in 2026: 77..99 are 1977..1999, 00..76 are 2000..2076;
// 102, as old clients wrote 2002, is 2002). Up to 2049 this equals the usual
// "pivot = (current + 50) mod 100" rule; from 2050 on that rule would put the
// current year itself in the last century, so the window is kept instead.
int fullYear(int year, int currentYear) {
    if (year >= 1000) return year;
    const int century = currentYear - currentYear % 100;
    int full = century + year;
    if (full > currentYear + 50) {
        full -= 100;
    } else if (full < currentYear - 49) {
        full += 100;
    }
    return full;
}

// The read fields as a SYSTEMTIME, when they make a moment the file-time
// conversion accepts. Range checks come first so that nothing is truncated
// to 16 bits on the way.
bool toSystemTime(const DateFields& f, SYSTEMTIME& out, FILETIME& fileTime) {
    if (f.year < 1601 || f.year > 30827 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > 31 || f.hour > 23 || f.minute > 59 || f.second > 59) {
        return false;
    }
    SYSTEMTIME st;
    st.wYear = static_cast<uint16_t>(f.year);
    st.wMonth = static_cast<uint16_t>(f.month);
    st.wDayOfWeek = 1;  // not computed
    st.wDay = static_cast<uint16_t>(f.day);
    st.wHour = static_cast<uint16_t>(f.hour);
    st.wMinute = static_cast<uint16_t>(f.minute);
    st.wSecond = static_cast<uint16_t>(f.second);
    st.wMilliseconds = 0;
    if (!systemTimeToFileTime(st, fileTime)) return false;  // e.g. 31 April
    out = st;
    return true;
}

constexpr const char* kWeekdayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The first three characters of a UTF-8 zone name, or empty when it has
// fewer; a multi-byte character is never cut.
std::string zoneAbbreviation(const std::string& name) {
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(name[i]) & 0xC0) == 0x80;
        if (continuation) continue;
        if (characters == 3) return name.substr(0, i);
        ++characters;
    }
    return characters == 3 ? name : std::string();
}

struct ZoneName {
    std::string_view name;
    int minutes;
};

// The zone names mailers write instead of a number (RFC 822 and common use).
constexpr ZoneName kZoneNames[] = {
    {"UT", 0},      {"UTC", 0},     {"GMT", 0},    {"Z", 0},       {"EST", -300}, {"EDT", -240},
    {"CST", -360},  {"CDT", -300},  {"MST", -420}, {"MDT", -360},  {"PST", -480}, {"PDT", -420},
    {"CET", 60},    {"CEST", 120},  {"MET", 60},   {"MEST", 120},  {"BST", 60},   {"EET", 120},
    {"EEST", 180},  {"JST", 540},
};

// The offset from UTC in minutes of a zone token: "+0200", "-05:30" or a
// name; false for anything else.
bool readZone(std::string_view token, int& minutes) {
    if (token.size() >= 2 && token.front() == '(' && token.back() == ')') token = token.substr(1, token.size() - 2);
    if ((token.size() == 5 || token.size() == 6) && (token[0] == '+' || token[0] == '-')) {
        std::string digits;
        for (char c : token.substr(1)) {
            if (c != ':') digits += c;
        }
        if (token.size() == 6 && token[3] != ':') return false;
        if (digits.size() != 4 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
        const int hours = (digits[0] - '0') * 10 + (digits[1] - '0');
        const int mins = (digits[2] - '0') * 10 + (digits[3] - '0');
        if (hours > 14 || mins > 59) return false;
        minutes = (token[0] == '-' ? -1 : 1) * (hours * 60 + mins);
        return true;
    }
    for (const ZoneName& zone : kZoneNames) {
        if (equalsIgnoringCase(token, zone.name)) {
            minutes = zone.minutes;
            return true;
        }
    }
    return false;
}

// The zone of a date text: the first zone token after its time of day, or 0
// (taken as UTC) when it names none.
int zoneMinutesOf(std::string_view text) {
    bool afterTime = false;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isTokenEnd(text[pos])) ++pos;
        const size_t start = pos;
        while (pos < text.size() && !isTokenEnd(text[pos])) ++pos;
        const std::string_view token = text.substr(start, pos - start);
        if (token.empty()) continue;
        if (!afterTime) {
            afterTime = token.find(':') != std::string_view::npos && isDigit(token[0]);
            continue;
        }
        int minutes = 0;
        if (readZone(token, minutes)) return minutes;
    }
    return 0;
}

}  // namespace

bool parseDate(std::string_view text, FILETIME* fileTimeOut, SYSTEMTIME* sentTimeOut,
               const SYSTEMTIME& nowUtc) {
    DateFields f;
    readDate(text, false, f);
    SYSTEMTIME time = nowUtc;
    FILETIME fileTime;
    bool ok = false;
    if (f.haveDay && f.haveMonth && f.haveYear) {
        f.year = fullYear(f.year, nowUtc.wYear);
        if (!f.haveTime) {
            f.hour = 12;
            f.minute = 0;
            f.second = 0;
        }
        ok = toSystemTime(f, time, fileTime);
        // The file time is the moment itself: the time as written less its
        // zone's offset.
        if (ok) {
            constexpr int64_t kTicksPerMinute = int64_t{60} * 10000000;
            const int64_t ticks =
                static_cast<int64_t>(fileTimeValue(fileTime)) - int64_t{zoneMinutesOf(text)} * kTicksPerMinute;
            fileTime = makeFileTime(static_cast<uint64_t>(std::max<int64_t>(ticks, 0)));
        }
    }
    if (!ok) {
        time = nowUtc;
        systemTimeToFileTime(time, fileTime);
    }
    if (fileTimeOut) *fileTimeOut = fileTime;
    if (sentTimeOut) *sentTimeOut = time;
    return ok;
}

bool parseDate(std::string_view text, FILETIME* fileTimeOut, SYSTEMTIME* sentTimeOut) {
    return parseDate(text, fileTimeOut, sentTimeOut, getSystemTime());
}

bool isFromLineDate(std::string_view text) {
    DateFields f;
    return readDate(text, true, f);
}

std::string formatAsctimeDate(const SYSTEMTIME& time) {
    std::string out;
    if (time.wDayOfWeek < 7) {
        out += kWeekdayNames[time.wDayOfWeek];
        out += ' ';
    }
    if (time.wMonth >= 1 && time.wMonth <= 12) {
        out += kMonthNames[time.wMonth - 1];
        out += ' ';
    }
    if (time.wDay < 10) out += ' ';
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%i %02i:%02i:%02i %i", time.wDay, time.wHour,
                  time.wMinute, time.wSecond, time.wYear);
    out += buffer;
    return out;
}

std::string formatRfc822Date(const SYSTEMTIME* time, const TIME_ZONE_INFORMATION* zone,
                             int zoneState) {
    if (!time) return {};
    std::string out;
    if (time->wDayOfWeek < 7) {
        out += kWeekdayNames[time->wDayOfWeek];
        out += ", ";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%i ", time->wDay);
    out += buffer;
    if (time->wMonth >= 1 && time->wMonth <= 12) {
        out += kMonthNames[time->wMonth - 1];
        out += ' ';
    } else {
        out += "??? ";
    }
    std::snprintf(buffer, sizeof buffer, "%i %02i:%02i:%02i", time->wYear, time->wHour,
                  time->wMinute, time->wSecond);
    out += buffer;
    if (zoneState == -1) return out;

    char sign = '+';
    long offset = 0;
    std::string suffix = " (UTC)";
    if (zone) {
        const bool daylight = zoneState == TIME_ZONE_ID_DAYLIGHT;
        const long bias =
            static_cast<long>(zone->Bias) + (daylight ? zone->DaylightBias : zone->StandardBias);
        offset = -bias;
        if (offset < 0) {
            sign = '-';
            offset = -offset;
        }
        const std::string abbreviation =
            zoneAbbreviation(daylight ? zone->DaylightName : zone->StandardName);
        suffix = abbreviation.empty() ? std::string() : " (" + abbreviation + ")";
        if (daylight && offset == 60 && suffix == " (GMT)") suffix = " (BST)";
    }
    std::snprintf(buffer, sizeof buffer, " %c%02li%02li", sign, offset / 60, offset % 60);
    out += buffer;
    out += suffix;
    return out;
}

}  // namespace tessaly
