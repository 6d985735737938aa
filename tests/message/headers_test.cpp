// headers_test.cpp - parseHeaders at message level: recognised fields,
// To/Newsgroups, Received, the "+al" rule, the malformed-block report with
// its excerpt, and message dates with their warnings.
#include "message/headers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "platform/time.h"

namespace tessaly {
namespace {

// A run that collects its problem lines.
struct LoggingRun {
    ArchiveRun run;
    std::vector<std::string> lines;
    LoggingRun() {
        run.currentFolderName = "Inbox/";
        run.currentMessageText = "msg";
        run.logSink = [this](const std::string& line) { lines.push_back(line); };
    }
};

// Parses an exact-size copy of `text` (so ASan sees any read past the end).
void parse(LoggingRun& log, TMessageInfo& info, const std::string& text, bool quiet = false) {
    std::vector<char> bytes(text.begin(), text.end());
    parseHeaders(log.run, log.run.decoder.charsets(), &info, nullptr, bytes.data(), bytes.data() + bytes.size(), quiet);
}

TEST(ParseHeaders, RecognisedFieldsInAnyCaseAndOnlyAtTheirLength) {
    LoggingRun log;
    TMessageInfo info;
    parse(log, info,
          "SUBJECT: Hi there\r\n"
          "from: \"Ann\" <ann@x.org>\r\n"
          "To: bob@y.org\r\n"
          "cc: cy@z.org\r\n"
          "Message-ID: <id@x>\r\n"
          "Tox: not a field\r\n"
          "Cc : a space before the colon makes another name\r\n"
          "\r\n"
          "body");
    EXPECT_EQ(info.subject, "Hi there");
    EXPECT_EQ(info.subjectName, "Hi there");
    EXPECT_EQ(info.from, "\"Ann\" <ann@x.org>");
    EXPECT_EQ(info.fromName, "Ann");
    EXPECT_EQ(info.fromAddress, "ann@x.org");
    EXPECT_EQ(info.fromHtml,
              "<a href=\"mailto:ann@x.org\">Ann</a> <a href=\"mailto:ann@x.org\">&lt;ann@x.org&gt;</a>");
    EXPECT_EQ(info.to, "bob@y.org");
    EXPECT_EQ(info.cc, "cy@z.org");
    EXPECT_EQ(info.toName, "bob@y.org +al");
    EXPECT_EQ(info.ccName, "cy@z.org +al");
    EXPECT_EQ(info.toShortHtml, info.toHtml);
    EXPECT_EQ(info.messageId, "id@x");
    EXPECT_FALSE(info.isNews);
}

TEST(ParseHeaders, ToAndNewsgroupsTheLaterWins) {
    struct Row {
        const char* why;
        const char* text;
        const char* to;
    } rows[] = {
        {"To then Newsgroups: the groups", "To: a@x.org\nNewsgroups: comp.mail\n\n", "comp.mail"},
        {"Newsgroups then To: the address, still news",
         "Newsgroups: comp.mail\nTo: a@x.org\n\n", "a@x.org"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        LoggingRun log;
        TMessageInfo info;
        parse(log, info, row.text);
        EXPECT_EQ(info.to, row.to);
        EXPECT_TRUE(info.isNews);
    }
}

TEST(ParseHeaders, FirstReceivedIsKeptAndCutAfterItsLastSemicolon) {
    LoggingRun log;
    TMessageInfo info;
    parse(log, info,
          "Received: from a; by b;  Tue, 3 Sep 2002 10:00:00 +0200 \r\n"
          "Received: from c; Wed, 4 Sep 2002 11:00:00 +0200\r\n\r\n");
    EXPECT_EQ(info.received, "Tue, 3 Sep 2002 10:00:00 +0200");
    EXPECT_TRUE(info.hasReceived);

    parse(log, info, "Received: from a by b without a date\r\n\r\n");
    EXPECT_EQ(info.received, "");
    EXPECT_FALSE(info.hasReceived);
}

TEST(ParseHeaders, FoldedEncodedSubjectAndLastLineWithoutLineEnd) {
    LoggingRun log;
    TMessageInfo info;
    parse(log, info, "To: a@x.org\r\nSubject: =?utf-8?B?SGVsbG8=?= world:\r\n again?");
    EXPECT_EQ(info.subject, "Hello world:\r\n again?");
    EXPECT_EQ(info.subjectName, "Hello world again");
}

TEST(ParseHeaders, OthersMarkOnlyWhenMoreThanOneRecipient) {
    struct Row {
        const char* why;
        std::string to, cc, toName, ccName;
    } rows[] = {
        {"one To entry", "a@x.org", "", "a@x.org", ""},
        {"two To entries", "a@x.org, b@y.org", "", "a@x.org +al", ""},
        {"one each", "a@x.org", "c@z.org", "a@x.org +al", "c@z.org +al"},
        {"only Cc", "", "c@z.org", "", "c@z.org"},
        {"a name-only To counts as an entry", "Undisclosed recipients:;", "c@z.org",
         "Undisclosed recipients; +al", "c@z.org +al"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        LoggingRun log;
        TMessageInfo info;
        parse(log, info, "To: " + row.to + "\r\nCc: " + row.cc + "\r\n\r\n");
        EXPECT_EQ(info.toName, row.toName);
        EXPECT_EQ(info.ccName, row.ccName);
    }
}

TEST(ParseHeaders, ResetsItsOwnFieldsButKeepsTheCallers) {
    LoggingRun log;
    TMessageInfo info;
    info.subject = "old";
    info.isNews = true;
    info.fromAddress = "old@x";
    info.sentTime.wYear = 1999;
    info.checksumKey = "abcdef";
    info.folderName = "Inbox";
    info.rootPart.fileName = "kept";
    parse(log, info, "To: a@x.org\r\n\r\n");
    EXPECT_EQ(info.subject, "");
    EXPECT_FALSE(info.isNews);
    EXPECT_EQ(info.fromAddress, "");
    EXPECT_EQ(info.sentTime, SYSTEMTIME{});
    EXPECT_EQ(info.checksumKey, "abcdef");
    EXPECT_EQ(info.folderName, "Inbox");
    EXPECT_EQ(info.rootPart.fileName, "kept");
}

const std::string kIncorrect =
    "Error: <a href=\"help:err_smtpheaders.html\">incorrect headers</a> - ";

TEST(ParseHeaders, MalformedBlockReportQuotesStartAndOffendingBytes) {
    struct Row {
        const char* why;
        std::string text;
        std::string excerpt;
    } rows[] = {
        {"30 bytes of the first line, then the 5 bytes ending with the offending one",
         "Subject: hello world this is long\r\n\rXYZ\r\n\r\n",
         "Subject: hello world this is l...g\\r\\n\\rX"},
        {"tab left out of the start, made visible in the window; markup escaped",
         "A\tb<c>: x\r\n\r\tZ", "Ab&lt;c&gt;: x...x\\r\\n\\r\\t"},
        {"near the start the window begins after the offending byte", "\rABCDEFG",
         "...BCDEF"},
        {"the window stops at a NUL", std::string("\rAB\0CD", 6), "...B"},
        {"the window stops at the end of the text", "\rAB", "...B"},
        {"the start stops at a NUL", std::string("Sub\0ject: x\n\rX", 15), "Sub... x\\n\\rX"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        LoggingRun log;
        TMessageInfo info;
        parse(log, info, row.text);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0], kIncorrect + row.excerpt + " (Inbox/msg)");
    }
}

TEST(ParseHeaders, MalformedBlockGoesOnUnlessQuiet) {
    const std::string text = "Subject: =?utf-8?B?SGk=?=\r\n\rX\r\nTo: a@x.org\r\n\r\n";
    LoggingRun log;
    TMessageInfo info;
    parse(log, info, text);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(log.run.messageHadProblem);
    EXPECT_EQ(info.subject, "Hi");  // decoded: parsing went on
    EXPECT_EQ(info.to, "");         // nothing after the bad line is read
    EXPECT_NE(fileTimeValue(info.fileTime), 0u);

    LoggingRun quiet;
    parse(quiet, info, text, true);
    EXPECT_TRUE(quiet.lines.empty());
    EXPECT_EQ(info.subject, "=?utf-8?B?SGk=?=");  // raw, nothing more done
    EXPECT_EQ(info.subjectName, "");
    EXPECT_EQ(fileTimeValue(info.fileTime), 0u);

    // The part record is not filled either.
    tagMessagePart part;
    std::vector<char> bytes(text.begin(), text.end());
    parseHeaders(quiet.run, quiet.run.decoder.charsets(), nullptr, &part, bytes.data(), bytes.data() + bytes.size(), true);
    EXPECT_EQ(part.bodyStart, nullptr);
    EXPECT_EQ(part.kind, PartKind::Unclassified);
}

// ---- message dates ------------------------------------------------------

const std::string kMalformed = "Warning: <a href=\"help:err_date.html\">malformed date</a> \"";

SYSTEMTIME moment(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                  uint16_t second) {
    SYSTEMTIME t;
    t.wYear = year;
    t.wMonth = month;
    t.wDayOfWeek = 1;  // the date reader does not compute it
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

uint64_t fileTimeOf(const SYSTEMTIME& t) {
    FILETIME f;
    EXPECT_TRUE(systemTimeToFileTime(t, f));
    return fileTimeValue(f);
}

uint64_t utcNow() {
    FILETIME f;
    systemTimeToFileTime(getSystemTime(), f);
    return fileTimeValue(f);
}

// Two hours: the zone of the dates below.
constexpr uint64_t kTwoHours = uint64_t{2} * 3600 * 10000000;

TEST(ParseHeaders, MessageDatesAndWarnings) {
    const SYSTEMTIME sent = moment(2002, 9, 3, 14, 30, 7);
    const SYSTEMTIME arrived = moment(2002, 9, 4, 8, 0, 0);
    const std::string goodDate = "Date: Tue, 3 Sep 2002 14:30:07 +0200\r\n";
    const std::string goodReceived = "Received: from x; Wed, 4 Sep 2002 08:00 +0200\r\n";
    constexpr uint64_t kNow = ~0ull;  // fileTime is now
    struct Row {
        const char* why;
        std::string headers;
        std::vector<std::string> warned;  // the quoted texts, in order
        SYSTEMTIME sentTime;
        uint64_t fileTime;
    } rows[] = {
        {"Date alone gives the sent time as written and the moment as file time", goodDate, {}, sent,
         fileTimeOf(sent) - kTwoHours},
        {"Received decides the file time, Date the sent time", goodDate + goodReceived, {}, sent,
         fileTimeOf(arrived) - kTwoHours},
        {"bad Date without Received: one warning, fall-backs", "Date: soon\r\n", {"soon"},
         SYSTEMTIME{}, kNow},
        {"empty Date: no warning, same fall-backs", "Date:\r\n", {}, SYSTEMTIME{}, kNow},
        {"no dates at all: no warning", "Subject: x\r\n", {}, SYSTEMTIME{}, kNow},
        {"bad Date with good Received: warning, file time still from Received",
         "Date: soon\r\n" + goodReceived, {"soon"}, SYSTEMTIME{}, fileTimeOf(arrived) - kTwoHours},
        {"bad Received date with good Date: warning, now as file time",
         goodDate + "Received: from x; sometime\r\n", {"sometime"}, sent, kNow},
        {"both bad: Date is reported first", "Received: from x; later\r\nDate: soon\r\n",
         {"soon", "later"}, SYSTEMTIME{}, kNow},
        {"markup in a bad date is escaped", "Date: <soon> & later\r\n",
         {"&lt;soon&gt; &amp; later"}, SYSTEMTIME{}, kNow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        LoggingRun log;
        TMessageInfo info;
        const uint64_t before = utcNow();
        parse(log, info, row.headers + "\r\nbody");
        const uint64_t after = utcNow();

        std::vector<std::string> expected;
        for (const std::string& text : row.warned)
            expected.push_back(kMalformed + text + "\" (Inbox/msg)");
        EXPECT_EQ(log.lines, expected);
        EXPECT_EQ(log.run.messageHadProblem, !expected.empty());  // a reported message counts
        EXPECT_EQ(info.sentTime, row.sentTime);
        if (row.fileTime == kNow) {
            EXPECT_GE(fileTimeValue(info.fileTime), before);
            EXPECT_LE(fileTimeValue(info.fileTime), after);
        } else {
            EXPECT_EQ(fileTimeValue(info.fileTime), row.fileTime);
        }
    }
}

}  // namespace
}  // namespace tessaly
