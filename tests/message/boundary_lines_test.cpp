// boundary_lines_test.cpp - the boundary lines of a message text against a
// plain line-by-line reading of the same rules, on texts whose long lines
// cross the scanner's chunk ends.
#include "message/boundary_lines.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {
namespace {

struct Found {
    size_t offset;
    uint32_t line;
    bool closing;
    std::string boundary;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& f, std::ostream* out) {
    *out << "{at " << f.offset << ", line " << f.line << (f.closing ? ", closing " : ", ") << f.boundary << "}";
}

// The rules read line by line: never the first line, nor the line after a
// line looked at that is just "-" or "--"; "--" and a byte that is not a blank or line end;
// no carriage return inside the line but one right before its line feed.
std::vector<Found> expectedLines(std::string_view text) {
    std::vector<Found> found;
    bool previousSkipsNext = true;  // the first line is never looked at
    uint32_t number = 0;
    for (size_t start = 0; start < text.size(); ++number) {
        const size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) break;
        std::string_view line = text.substr(start, lf - start);
        const bool lookedAt = !previousSkipsNext;
        if (lookedAt && line.size() >= 3 && line.substr(0, 2) == "--" && line[2] != ' ' && line[2] != '\r') {
            const bool crEnd = line.back() == '\r';
            const std::string_view bare = crEnd ? line.substr(0, line.size() - 1) : line;
            if (bare.find('\r') == std::string_view::npos) {
                const bool closing = bare.size() >= 5 && bare.substr(bare.size() - 2) == "--";
                found.push_back({start, number, closing,
                                 std::string(bare.substr(2, bare.size() - 2 - (closing ? 2 : 0)))});
            }
        }
        previousSkipsNext = lookedAt && (line == "-" || line == "--");
        start = lf + 1;
    }
    return found;
}

std::string randomText(std::mt19937& random, size_t size, size_t longest) {
    static const char* const kPieces[] = {"--b\n", "--b--\r\n", "--\n", "-\n", "-- sig\n", "--a\rb\n",
                                          "\r\n", "\n", "text\n", "--x--\n", "--z\r\r\n", "F\n"};
    std::string text;
    while (text.size() < size) {
        if (random() % 40 == 0) {
            text.append(random() % longest, 'x');
        } else {
            text += kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
        }
    }
    return text;
}

TEST(BoundaryLines, AgreeWithTheLineByLineRulesAcrossChunkEnds) {
    std::mt19937 random(29);
    for (int round = 0; round < 40; ++round) {
        // Long lines of up to two scanner chunks in the larger texts.
        const std::string text = round < 20 ? randomText(random, 2000, 100) : randomText(random, 400000, 120000);
        std::vector<TMarker> markers;
        std::vector<size_t> chunks;
        scanBoundaryLines(text.data(), text.data() + text.size(), markers, [&](size_t n) { chunks.push_back(n); });
        std::vector<Found> got;
        for (const TMarker& m : markers) {
            got.push_back({static_cast<size_t>(m.position - text.data()), m.lineNumber, m.closing, m.boundary});
        }
        ASSERT_EQ(got, expectedLines(text)) << "round " << round;

        // A report at every chunk end, the last at the end of the text.
        const size_t chunk = scanChunkSize(text.size());
        ASSERT_FALSE(chunks.empty());
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(chunks[i], std::min(text.size(), (i + 1) * chunk)) << "round " << round;
        }
        EXPECT_EQ(chunks.back(), text.size());
    }
}

}  // namespace
}  // namespace tessaly
