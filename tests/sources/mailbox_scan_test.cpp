// mailbox_scan_test.cpp - From-line rules, the mailbox file test and the
// boundary scanner's messages and markers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/mailbox.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

bool fromLine(const std::string& line) { return isFromLine(line.data(), line.data() + line.size()); }

TEST(FromLine, AcceptsAndRejects) {
    struct Row {
        const char* line;
        bool expected;
        const char* why;
    };
    const Row rows[] = {
        {"From alice@example.com Thu Sep  5 14:30:07 2002", true, "the usual form"},
        {"From alice@example.com", true, "an address alone"},
        {"From 1844347792267117879@xxx", true, "Gmail Takeout: an id and no date"},
        {"From alice@example.com   ", true, "only blanks after the address"},
        {"From alice@example.com Thursday", false, "an address, then a word with no time of day"},
        {"From - Thu Sep  5 14:30:07 2002", true, "Netscape and Mozilla"},
        {"From - ", true, "Mozilla without a date"},
        {"From -", true, "the same without the blank"},
        {"From - hello", false, "a dash and prose"},
        {"From upi at papat.org  Wed Feb  1 19:06:04 2006", true, "Mailman: the address spelled out"},
        {"From jgb at example.org  Wed Feb  1 19:06:04 2006", true, "the same, any local part"},
        {"From andy at", false, "\"at\" with nothing after it"},
        {"From ", true, "a bare From line"},
        {"From    ", true, "bare with blanks"},
        {"From host!user Thu Sep 5 2002", false, "a bang path needs a time of day"},
        {"From host!user x 12:00", true, "any colon after the address will do"},
        {"From MAILER-DAEMON Thu Sep  5 14:30:07 2002", true, "the mail system's own messages"},
        {"From MAILER-DAEMONS", true, "only the prefix is compared"},
        {"From bob Thu Sep  5 14:30:07 2002", true, "a bare name with a date"},
        {"From bob Thu Sep  5 14:30:07 2002 extra", false, "more words after the date"},
        {"From bob hello there", false, "a bare name in ordinary prose"},
        {"From bob", false, "a bare name alone"},
        {"From the desk of Bob Smith", false, "prose that begins like a From line"},
        {"from bob@x Thu Sep 5 14:30:07 2002", false, "the comparison is case-sensitive"},
        {"From", false, "too short"},
    };
    for (const Row& row : rows) EXPECT_EQ(fromLine(row.line), row.expected) << row.why;
}

TEST(MailboxFile, ValidityTest) {
    test::TempDir dir;
    struct Row {
        std::string content;
        bool expected;
        const char* why;
    };
    const std::vector<Row> rows = {
        {"From a@b Thu Sep  5 14:30:07 2002\nSubject: x\n\nbody\n", true, "a plain mailbox"},
        {"\r\n\n  From a@b Thu Sep  5 14:30:07 2002\r\n", true, "leading blank lines and blanks"},
        {"From a@b\n", true, "a short From line"},
        {"\xEF\xBB\xBF" "From a@b Thu Sep  5 14:30:07 2002\n", true, "a byte-order mark before it"},
        {"From - \nX-Mozilla-Status: 0001\n", true, "Mozilla's dateless line"},
        {"From here on\n", false, "prose"},
        {"From a@b Thu Sep  5 14:30:07 2002", false, "no line end in what was read"},
        {"From a@b Thu 14:30 " + std::string(6000, 'x') + "\n", false,
         "no line end within the first 5000 bytes"},
        {"\n\n\n", false, "nothing but line ends"},
        {"Subject: hello there\n", false, "an .eml file, not a mailbox"},
    };
    for (const Row& row : rows) {
        test::writeFile(dir.file("box"), row.content);
        EXPECT_EQ(isMailboxFile(dir.file("box")), row.expected) << row.why;
    }
    EXPECT_FALSE(isMailboxFile(dir.file("missing")));
}

struct Scanned {
    std::vector<std::string> messages;
    std::vector<std::vector<TMarker>> markers;
    std::vector<size_t> chunks;
};

Scanned scan(const std::string& box) {
    Scanned out;
    MailboxScanEvents events;
    events.message = [&](const char* s, const char* e, std::vector<TMarker>& m) {
        out.messages.emplace_back(s, e);
        out.markers.push_back(m);
    };
    events.chunk = [&](size_t n) { out.chunks.push_back(n); };
    scanMailbox(box.data(), box.data() + box.size(), events);
    return out;
}

const char kFrom1[] = "From a@b Thu Sep  5 14:30:07 2002\n";
const char kFrom2[] = "From c@d Fri Sep  6 09:00:00 2002\n";

TEST(MailboxScanner, SplitsAtFromLinesAfterEmptyLinesOnly) {
    const std::string first = std::string(kFrom1) + "Subject: one\n\nFrom here on, text.\nmore\n\n";
    const std::string second = std::string(kFrom2) + "Subject: two\n\nlast";
    const Scanned s = scan(first + second);
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[0], first);  // the unquoted "From here" stays inside
    EXPECT_EQ(s.messages[1], second);  // the last message runs to the end of the file
}

// A "From " line with no empty line before it opens a message when a header
// block follows it; before body text it stays inside the message.
TEST(MailboxScanner, FromLineWithoutEmptyLineBeforeAHeaderBlock) {
    const std::string first = std::string(kFrom1) +
                              "Content-Type: multipart/mixed; boundary=b\n\n--b\nx\n--b--\n"
                              "From c@d Fri Sep  6 09:00:00 2002 the end\n";
    const std::string second = std::string(kFrom2) + "Subject: two\nFrom: c@d\n\nbody\n";
    const std::string third = std::string(kFrom1) + "Subject: three\n\nA line\nFrom a@b Thu Sep  5 14:30:07 2002\n"
                                                    "and prose after it\n";
    const Scanned s = scan(first + second + third);
    ASSERT_EQ(s.messages.size(), 3u);
    EXPECT_EQ(s.messages[0], first);
    EXPECT_EQ(s.messages[1], second);
    EXPECT_EQ(s.messages[2], third);
    EXPECT_EQ(s.markers[0].size(), 2u);
}

TEST(MailboxScanner, ByteOrderMarkAndDatelessFromLines) {
    const std::string first = "From - \nX-Mozilla-Status: 0001\nSubject: one\n\nbody\n\n";
    const std::string second = "From 1844347792267117879@xxx\nSubject: two\n\nbody\n\n";
    const std::string third = "From \nSubject: three\n\nbody\n";
    const Scanned s = scan("\xEF\xBB\xBF" + first + second + third);
    ASSERT_EQ(s.messages.size(), 3u);
    EXPECT_EQ(s.messages[0], first);
    EXPECT_EQ(s.messages[1], second);
    EXPECT_EQ(s.messages[2], third);
}

TEST(MailboxScanner, CrLfFilesSplitTheSameWay) {
    const std::string first = "From a@b Thu Sep  5 14:30:07 2002\r\nSubject: one\r\n\r\nbody\r\n\r\n";
    const std::string second = "From c@d Fri Sep  6 09:00:00 2002\r\nSubject: two\r\n\r\nbody\r\n";
    const Scanned s = scan(first + second);
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[0], first);
    EXPECT_EQ(s.messages[1], second);
}

TEST(MailboxScanner, NothingBeforeTheFirstAcceptedFromLine) {
    EXPECT_TRUE(scan("  From a@b Thu Sep  5 14:30:07 2002\nx\n").messages.empty());
    const Scanned s = scan("junk\n--b\n\n" + std::string(kFrom1) + "x\n");
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0], std::string(kFrom1) + "x\n");
    EXPECT_TRUE(s.markers[0].empty());  // the boundary line before it belongs to no message
}

TEST(MailboxScanner, BoundaryMarkers) {
    const std::string box = std::string(kFrom1) +
                            "Content-Type: multipart/mixed; boundary=\"xyz\"\n"
                            "\n"
                            "--xyz\r\n"
                            "part\n"
                            "----\n"
                            "-- \n"
                            "--\n"
                            "text\n"
                            "--xyz--\n";
    const Scanned s = scan(box);
    ASSERT_EQ(s.markers.size(), 1u);
    const std::vector<TMarker>& m = s.markers[0];
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].boundary, "xyz");
    EXPECT_FALSE(m[0].closing);
    EXPECT_EQ(m[0].lineNumber, 3u);
    EXPECT_EQ(*m[0].position, '-');
    EXPECT_EQ(m[0].position, box.data() + box.find("--xyz\r\n"));
    EXPECT_EQ(m[1].boundary, "--");  // four hyphens: not closing
    EXPECT_FALSE(m[1].closing);
    EXPECT_EQ(m[2].boundary, "xyz");
    EXPECT_TRUE(m[2].closing);
    EXPECT_EQ(m[2].lineNumber, 9u);
}

// The line after a "From " line, accepted or not, and after a "--" line
// that is no marker, is not looked at.
TEST(MailboxScanner, LineAfterAFromLineIsNeverExamined) {
    const std::string box = std::string(kFrom1) + "--notamarker\n\n--marker\n";
    const Scanned s = scan(box);
    ASSERT_EQ(s.markers.size(), 1u);
    ASSERT_EQ(s.markers[0].size(), 1u);
    EXPECT_EQ(s.markers[0][0].boundary, "marker");
}

TEST(MailboxScanner, ReportsProgressPerChunk) {
    std::string box = kFrom1;
    box += std::string(120000, 'x');
    const Scanned s = scan(box);
    EXPECT_EQ(s.chunks, (std::vector<size_t>{51200, 102400}));
}

TEST(MailboxScanner, EveryPrefixOfAMailboxScansSafely) {
    const std::string box = std::string(kFrom1) + "Content-Type: multipart/mixed; boundary=b\n\n--b\r\nx\r\n--b--\r\n\r\n" +
                            kFrom2 + "\n--b\n";
    for (size_t n = 0; n <= box.size(); ++n) {
        const std::string prefix = box.substr(0, n);
        const Scanned s = scan(prefix);
        for (size_t i = 0; i < s.messages.size(); ++i) {
            for (const TMarker& m : s.markers[i]) {
                EXPECT_GE(m.position, prefix.data());
                EXPECT_LT(m.position, prefix.data() + prefix.size());
            }
        }
    }
}

}  // namespace
}  // namespace tessaly
