// gen_corpus_encoding_test.cpp - the corpus generator's encodings and dates
// read back with the archiver's own decoders and date parser.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "gen_corpus/dates.h"
#include "gen_corpus/encoding.h"
#include "message/dates.h"
#include "message/decoding.h"
#include "platform/time.h"

namespace tessaly {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string withCrLf(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

TEST(GenCorpusEncoding, QuotedPrintableLinesStayShortAndDecodeBack) {
    struct Row {
        std::string text;
        const char* why;
    };
    const std::vector<Row> rows = {
        {"plain words\n", "nothing to encode"},
        {std::string(200, 'x') + "\n", "a long line with no blank needs soft breaks"},
        {std::string(74, 'a') + "\xE9\xE9\xE9\n", "escapes at the break may not be split"},
        {std::string(75, 'b') + "=\n", "an escaped '=' as the last token of a full line"},
        {"trailing blanks   \ntab at end\t\n", "white space before a line end is escaped"},
        {"\n\n" + std::string(300, '=') + "\n", "empty lines, then nothing but '='"},
        {"caf\xC3\xA9 na\xC3\xAFve \xE2\x82\xAC 20\n", "UTF-8 bytes"},
        {"no line end at the end", "the last line has no LF"},
    };
    for (const Row& row : rows) {
        std::string encoded;
        bench::appendQuotedPrintable(encoded, row.text);
        for (const std::string& line : linesOf(encoded)) {
            EXPECT_LE(line.size(), 76u) << row.why;
            EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << row.why;
        }
        const char* start = encoded.data();
        const char* end = start + encoded.size();
        DecodeContext decoder;
        ASSERT_TRUE(decodeQuotedPrintable(decoder, start, end));
        EXPECT_EQ(std::string(start, end), withCrLf(row.text)) << row.why;
    }
}

TEST(GenCorpusEncoding, Base64LinesAreFullAndDecodeBack) {
    // Around the 57 bytes of one 76-character line and the 3-byte groups.
    for (size_t size : {0, 1, 2, 3, 56, 57, 58, 114, 1000}) {
        std::string bytes;
        for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(i * 37 + 11);
        std::string encoded;
        bench::appendBase64Lines(encoded, bytes);
        const std::vector<std::string> lines = linesOf(encoded);
        EXPECT_EQ(lines.size(), (size + 56) / 57) << size;
        for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 76u) << size;
        const char* start = encoded.data();
        const char* end = start + encoded.size();
        DecodeContext decoder;
        ASSERT_TRUE(decodeBase64(decoder, start, end)) << size;
        EXPECT_EQ(std::string(start, end), bytes) << size;
    }
}

TEST(GenCorpusEncoding, EncodedWordsAreShortAndSplitWholeCharacters) {
    // Two- to four-byte UTF-8 characters, one long run each.
    const std::vector<std::string> texts = {
        "Gr\xC3\xBC\xC3\x9F" "e aus Z\xC3\xBCrich, " + std::string(60, 'x'),
        [] { std::string s; for (int i = 0; i < 40; ++i) s += "\xE6\x9D\xB1"; return s; }(),
        [] { std::string s; for (int i = 0; i < 30; ++i) s += "\xF0\x9F\x98\x80"; return s; }(),
        "ends with a question? and = and _ underscore",
    };
    for (const std::string& text : texts) {
        for (const bool b : {true, false}) {
            const std::string encoded = b ? bench::encodedWordsB("UTF-8", text) : bench::encodedWordsQ("UTF-8", text);
            std::string joined;
            for (const std::string& line : linesOf(encoded)) {
                const std::string word = line.starts_with(' ') ? line.substr(1) : line;
                EXPECT_LE(word.size(), 75u) << word;
                // This archiver keeps '_' in Q words; the generator writes a
                // literal '_' as "=5F", so each '_' it wrote stands for a blank.
                std::string spelled;
                for (char c : word) spelled += c == '_' && !b ? std::string("=20") : std::string(1, c);
                const std::string decoded = decodeWords(spelled);
                // No word ends inside a character: its last lead byte has
                // all its continuation bytes.
                size_t lead = decoded.size();
                while (lead > 0 && (static_cast<unsigned char>(decoded[lead - 1]) & 0xC0) == 0x80) --lead;
                if (lead > 0 && static_cast<unsigned char>(decoded[lead - 1]) >= 0xC0) {
                    const auto c = static_cast<unsigned char>(decoded[lead - 1]);
                    const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
                    EXPECT_EQ(decoded.size() - (lead - 1), length) << word;
                }
                joined += decoded;
            }
            EXPECT_EQ(joined, text) << (b ? "B" : "Q");
        }
    }
}

TEST(GenCorpusEncoding, FoldedHeadersUnfoldToTheValue) {
    const std::string words = "one two three four five six seven eight nine ten eleven twelve";
    const std::string longWord(120, 'w');
    struct Row {
        std::string value;
        const char* why;
    };
    const std::vector<Row> rows = {
        {"short", "fits on the first line"},
        {words + " " + words + " " + words, "folds at blanks"},
        {"a " + longWord + " b", "a word longer than a line goes on a line of its own"},
    };
    for (const Row& row : rows) {
        const std::string header = bench::foldedHeader("Subject", row.value);
        ASSERT_TRUE(header.ends_with("\n")) << row.why;
        std::string unfolded;
        for (const std::string& line : linesOf(header)) {
            if (line.size() > 78) {
                EXPECT_EQ(line.find(' ', 1), std::string::npos) << row.why;
            }
            if (!unfolded.empty()) {
                EXPECT_TRUE(line.starts_with(' ')) << row.why;
            }
            unfolded += line;
        }
        EXPECT_EQ(unfolded, "Subject: " + row.value) << row.why;
    }
}

TEST(GenCorpusDates, ReadBackByTheArchiver) {
    struct Row {
        int year;
        unsigned month, day, hour, minute, second;
        int offset;
        const char* asctime;
        const char* why;
    };
    const Row rows[] = {
        {2026, 12, 8, 5, 28, 44, 60, "Tue Dec  8 05:28:44 2026", "a one-digit day is padded with a blank"},
        {1995, 1, 1, 0, 0, 0, -300, "Sun Jan  1 00:00:00 1995", "west of Greenwich the wall clock is the day before"},
        {2000, 2, 29, 23, 59, 59, 120, "Tue Feb 29 23:59:59 2000", "a leap day; east, the next day"},
        {2026, 12, 31, 20, 0, 0, 780, "Thu Dec 31 20:00:00 2026", "+1300 moves into the next year"},
        {2004, 10, 31, 1, 30, 0, 330, "Sun Oct 31 01:30:00 2004", "a half-hour zone"},
    };
    const SYSTEMTIME now{2030, 1, 2, 1, 0, 0, 0, 0};
    for (const Row& row : rows) {
        const int64_t utc = bench::secondsAt(row.year, row.month, row.day) + row.hour * 3600 + row.minute * 60 + row.second;
        EXPECT_EQ(bench::asctimeDate(utc), row.asctime) << row.why;
        SYSTEMTIME time;
        ASSERT_TRUE(fileTimeToSystemTime(unixToFileTime(utc), time));
        EXPECT_EQ(bench::asctimeDate(utc), formatAsctimeDate(time)) << row.why;
        EXPECT_TRUE(isFromLineDate(bench::asctimeDate(utc))) << row.why;
        // The archiver keeps the moment itself as the file time.
        for (int style = 0; style <= 3; ++style) {
            const std::string text = bench::headerDate(utc, row.offset, style);
            FILETIME read;
            EXPECT_TRUE(parseDate(text, &read, nullptr, now)) << text;
            EXPECT_EQ(fileTimeToUnix(read), utc) << text << " (" << row.why << ")";
        }
    }
}

}  // namespace
}  // namespace tessaly
