// part_tree_test.cpp - building the part tree from boundary markers, the
// iterator's order over it, and every parser on truncated and corrupted text.
#include "message/part_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/run.h"
#include "message/boundary_lines.h"
#include "message/headers.h"

namespace tessaly {
namespace {

// The markers a source scanner would report: every line that begins with
// "--" and ends with LF; closing when it also ends with "--" with at least
// one byte between the pairs.
std::vector<TMarker> markersOf(const char* text, size_t length) {
    std::vector<TMarker> markers;
    size_t lineStart = 0;
    uint32_t lineNumber = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != '\n') continue;
        size_t lineEnd = i;
        if (lineEnd > lineStart && text[lineEnd - 1] == '\r') --lineEnd;
        const std::string line(text + lineStart, lineEnd - lineStart);
        if (line.size() >= 2 && line.compare(0, 2, "--") == 0) {
            TMarker marker;
            marker.position = text + lineStart;
            marker.lineNumber = lineNumber;
            marker.closing = line.size() >= 5 && line.compare(line.size() - 2, 2, "--") == 0;
            marker.boundary = marker.closing ? line.substr(2, line.size() - 4) : line.substr(2);
            markers.push_back(marker);
        }
        ++lineNumber;
        lineStart = i + 1;
    }
    return markers;
}

// Checks the tree's links and ranges; returns the parts in iterator order.
std::vector<tagMessagePart*> checkTree(tagMessagePart& root, const char* text, size_t length) {
    const std::less_equal<const char*> atMost;
    const char* end = text + length;
    std::vector<tagMessagePart*> order;
    std::set<int32_t> numbers;
    TPartIterator parts(&root);
    while (tagMessagePart* part = parts.next()) {
        order.push_back(part);
        EXPECT_TRUE(numbers.insert(part->partNumber).second) << "number used twice";
        EXPECT_TRUE(atMost(text, part->headerStart) && atMost(part->headerStart, part->bodyStart) &&
                    atMost(part->bodyStart, part->bodyEnd) && atMost(part->bodyEnd, end))
            << "part " << part->partNumber << " has a range outside the text";
        for (tagMessagePart* child = part->firstChild; child; child = child->nextSibling)
            EXPECT_EQ(child->parent, part);
        if (order.size() > length + 2) {
            ADD_FAILURE() << "the walk does not end";
            break;
        }
    }
    return order;
}

std::string body(const tagMessagePart* part) { return std::string(part->bodyStart, part->bodyEnd); }

const std::string kNested =
    "From: a@x.org\r\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
    "\r\n"
    "preamble\r\n"
    "--outer\r\n"
    "Content-Type: multipart/alternative; boundary=inner\r\n"
    "\r\n"
    "--inner\r\n"
    "Content-Type: text/plain\r\n"
    "\r\n"
    "plain\r\n"
    "--inner\r\n"
    "Content-Type: text/html\r\n"
    "\r\n"
    "<p>html</p>\r\n"
    "--inner--\r\n"
    "--outer\r\n"
    "Content-Type: image/gif; name=\"a.gif\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "R0lGOD\r\n"
    "--outer--\r\n"
    "epilogue\r\n";

struct Built {
    ArchiveRun run;
    TMessageInfo info;
    std::vector<tagMessagePart*> order;
};

void build(Built& b, const std::string& text) {
    buildPartTree(b.run, b.run.decoder.charsets(), b.info, text.data(), text.size(),
                  markersOf(text.data(), text.size()));
    b.order = checkTree(b.info.rootPart, text.data(), text.size());
}

std::vector<int32_t> numbersOf(const std::vector<tagMessagePart*>& order) {
    std::vector<int32_t> numbers;
    for (const tagMessagePart* part : order) numbers.push_back(part->partNumber);
    return numbers;
}

TEST(PartTree, NestedMultipartsAndIteratorOrder) {
    Built b;
    build(b, kNested);
    // Root holds the alternative (1, holding 2 and 3) and the image (4); the
    // iterator visits a first child before the next sibling's children.
    ASSERT_EQ(numbersOf(b.order), (std::vector<int32_t>{0, 1, 2, 4, 3}));
    tagMessagePart* root = b.order[0];
    tagMessagePart* alternative = b.order[1];
    tagMessagePart* plain = b.order[2];
    tagMessagePart* image = b.order[3];
    tagMessagePart* html = b.order[4];
    EXPECT_EQ(root->kind, PartKind::Multipart);
    EXPECT_EQ(alternative->kind, PartKind::Alternative);
    EXPECT_EQ(alternative->parent, root);
    EXPECT_EQ(image->parent, root);
    EXPECT_EQ(plain->parent, alternative);
    EXPECT_EQ(html->parent, alternative);
    EXPECT_EQ(image->kind, PartKind::Image);
    EXPECT_EQ(body(plain), "plain\r\n");
    EXPECT_EQ(body(html), "<p>html</p>\r\n");
    EXPECT_EQ(body(image), "R0lGOD\r\n");
    // The closed alternative ends at the outer boundary line that follows it.
    EXPECT_EQ(body(alternative).substr(0, 9), "--inner\r\n");
    EXPECT_EQ(body(alternative).substr(body(alternative).size() - 11), "--inner--\r\n");
    // Preamble and epilogue belong to no child, only to the root's body.
    EXPECT_EQ(body(root).substr(0, 10), "preamble\r\n");
    EXPECT_EQ(root->bodyEnd, kNested.data() + kNested.size());
    EXPECT_EQ(b.info.from, "a@x.org");
}

TEST(PartTree, MarkerCases) {
    struct Row {
        const char* why;
        std::string text;
        std::vector<int32_t> order;
        std::vector<std::string> bodies;  // in iterator order, root left out
    } rows[] = {
        {"no MIME structure: boundary-like lines are ignored",
         "Subject: x\r\n\r\n--b\r\nhello\r\n--b--\r\n", {0}, {}},
        {"lines of other or differently cased boundaries are ignored",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\none\r\n--other\r\n--B\r\n"
         "--b\r\n\r\ntwo\r\n--b--\r\n",
         {0, 1, 2}, {"one\r\n--other\r\n--B\r\n", "two\r\n"}},
        {"truncated message: open parts end at the end of the text",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
         "Content-Type: multipart/alternative; boundary=c\r\n\r\n--c\r\n\r\ncut off",
         {0, 1, 2}, {"--c\r\n\r\ncut off", "cut off"}},
        {"a part whose headers run past the next boundary line gets an empty body",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n--b\r\n"
         "Content-Type: text/html\r\n\r\nx\r\n--b--\r\n",
         {0, 1, 2}, {"", "x\r\n"}},
        {"boundary lines after the closing one are ignored",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\none\r\n--b--\r\n"
         "--b\r\n\r\nlate\r\n",
         {0, 1}, {"one\r\n"}},
        {"a multipart holding no part at all",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b--\r\n", {0}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Built b;
        build(b, row.text);
        EXPECT_EQ(numbersOf(b.order), row.order);
        std::vector<std::string> bodies;
        for (size_t i = 1; i < b.order.size(); ++i) bodies.push_back(body(b.order[i]));
        EXPECT_EQ(bodies, row.bodies);
    }
}

// What real mailers write, with the markers of the sources' own scanner.
TEST(PartTree, StructuresRealMailersWrite) {
    struct Row {
        const char* why;
        std::string text;
        std::vector<std::string> bodies;  // in iterator order, root left out
    } rows[] = {
        {"an unquoted boundary followed by ';'",
         "Content-Type: multipart/mixed; boundary=b; charset=x\r\n\r\n--b\r\n\r\none\r\n--b--\r\n",
         {"one\r\n"}},
        {"a boundary that itself ends in '--'",
         "Content-Type: multipart/mixed; boundary=\"ab--\"\r\n\r\n--ab--\r\n\r\none\r\n--ab--\r\n\r\ntwo\r\n"
         "--ab----\r\nepilogue\r\n",
         {"one\r\n", "two\r\n"}},
        {"blanks after the boundary lines",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b  \r\n\r\none\r\n--b\t\r\n\r\ntwo\r\n--b-- \r\n",
         {"one\r\n", "two\r\n"}},
        {"a part header block without the blank line before its body",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: application/pdf; name=r.pdf\r\n"
         "Content-Transfer-Encoding: base64\r\nJVBERi0x\r\nMjM=\r\n--b\r\nno headers at all\r\n--b--\r\n",
         {"JVBERi0x\r\nMjM=\r\n", "no headers at all\r\n"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<TMarker> markers;
        scanBoundaryLines(row.text.data(), row.text.data() + row.text.size(), markers, nullptr);
        ArchiveRun run;
        TMessageInfo info;
        buildPartTree(run, run.decoder.charsets(), info, row.text.data(), row.text.size(), markers);
        const std::vector<tagMessagePart*> order = checkTree(info.rootPart, row.text.data(), row.text.size());
        std::vector<std::string> bodies;
        for (size_t i = 1; i < order.size(); ++i) bodies.push_back(body(order[i]));
        EXPECT_EQ(bodies, row.bodies);
    }
}

// A line of blanks alone where the empty line belongs ends the headers,
// unless a folded line or another field follows it.
TEST(PartTree, HeaderBlockEndingInALineOfBlanks) {
    struct Row {
        const char* why;
        std::string text;
        std::string subject;
        std::string body;
    } rows[] = {
        {"the first body line is kept", "Subject: x\r\n \r\nfirst line\r\nsecond\r\n", "x",
         "first line\r\nsecond\r\n"},
        {"a tab alone, LF line ends", "Subject: x\n\t\nfirst line\n", "x", "first line\n"},
        {"a folded line after it: still the header", "Subject: x\r\n \r\n y\r\n\r\nbody\r\n", "x\r\n \r\n y",
         "body\r\n"},
        {"a field after it: still the header", "Subject: x\r\n \r\nFrom: a@b\r\n\r\nbody\r\n", "x\r\n ",
         "body\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ArchiveRun run;
        TMessageInfo info;
        buildPartTree(run, run.decoder.charsets(), info, row.text.data(), row.text.size(), {});
        EXPECT_EQ(info.subject, row.subject);
        EXPECT_EQ(body(&info.rootPart), row.body);
    }
}

TEST(PartTree, MarkersOutsideTheTextOrOutOfOrderAreIgnored) {
    const std::string other = "--outer\r\n";
    std::vector<TMarker> markers = markersOf(kNested.data(), kNested.size());
    std::vector<TMarker> hostile;
    TMarker stray;
    stray.boundary = "outer";
    stray.position = other.data();  // another buffer
    hostile.push_back(stray);
    stray.position = nullptr;
    hostile.push_back(stray);
    // The real markers backwards: only the first one used can count.
    hostile.insert(hostile.end(), markers.rbegin(), markers.rend());
    ArchiveRun run;
    TMessageInfo info;
    buildPartTree(run, run.decoder.charsets(), info, kNested.data(), kNested.size(), hostile);
    checkTree(info.rootPart, kNested.data(), kNested.size());
}

TEST(PartTree, DeepNestingNeedsNoRecursion) {
    std::string text = "Content-Type: multipart/mixed; boundary=b0\r\n\r\n";
    const int depth = 3000;
    for (int i = 0; i < depth; ++i)
        text += "--b" + std::to_string(i) + "\r\nContent-Type: multipart/mixed; boundary=b" +
                std::to_string(i + 1) + "\r\n\r\n";
    Built b;
    build(b, text);
    EXPECT_EQ(b.order.size(), static_cast<size_t>(depth + 1));
}

// Every prefix of a valid message, with exact-size buffers so that a read
// past the end shows under ASan; the markers are found in the prefix.
TEST(PartTree, EveryPrefixOfAMessage) {
    for (size_t n = 0; n <= kNested.size(); ++n) {
        std::vector<char> bytes(kNested.begin(), kNested.begin() + static_cast<long>(n));
        const char* text = bytes.data();
        ArchiveRun run;
        TMessageInfo info;
        buildPartTree(run, run.decoder.charsets(), info, text, n, markersOf(text, n));
        checkTree(info.rootPart, text, n);

        tagMessagePart part;
        parseHeaders(run, run.decoder.charsets(), &info, &part, text, text + n, true);
        parseHeaders(run, run.decoder.charsets(), nullptr, &part, text, text + n, false);
    }
}

// The full message's markers over shorter lengths: markers beyond the end
// must not stretch any part past it.
TEST(PartTree, MarkersBeyondTheLengthAreIgnored) {
    const std::vector<TMarker> markers = markersOf(kNested.data(), kNested.size());
    for (size_t n = 0; n <= kNested.size(); ++n) {
        ArchiveRun run;
        TMessageInfo info;
        buildPartTree(run, run.decoder.charsets(), info, kNested.data(), n, markers);
        checkTree(info.rootPart, kNested.data(), n);
    }
}

// Corrupted copies: bytes replaced by the ones the scanners care about.
TEST(PartTree, CorruptedMessages) {
    std::mt19937 random(11);
    const std::string hot("\r\n:- \t\"=;\0x", 11);
    for (int round = 0; round < 1500; ++round) {
        std::string text = kNested;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i)
            text[random() % text.size()] = hot[random() % hot.size()];
        text.resize(random() % (text.size() + 1));
        std::vector<char> bytes(text.begin(), text.end());
        ArchiveRun run;
        TMessageInfo info;
        buildPartTree(run, run.decoder.charsets(), info, bytes.data(), bytes.size(),
                      markersOf(bytes.data(), bytes.size()));
        checkTree(info.rootPart, bytes.data(), bytes.size());
    }
}

}  // namespace
}  // namespace tessaly
