// mailbox_scanner.cpp - finds the messages and MIME boundary lines of a
// mailbox in one pass.
#include <cstring>

#include "message/boundary_lines.h"
#include "message/header_scanner.h"
#include "message/line_scanner.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

// The line [start, lf) without a carriage return before its line feed.
const char* lineEndBefore(const char* start, const char* lf) {
    return lf > start && lf[-1] == '\r' ? lf - 1 : lf;
}

// Whether the lines at `p` begin a header block: a field, and then another
// field, a folded line or the blank line. A "From " line not preceded by an
// empty line opens a message only when this follows it, as mail programs
// read their mailboxes; in a body such a line is followed by prose.
bool headerBlockFollows(const char* p, const char* end) {
    if (!isHeaderFieldLine(p, end)) return false;
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (!lf) return true;
    const char* next = static_cast<const char*>(lf) + 1;
    if (next == end) return true;
    return *next == ' ' || *next == '\t' || *next == '\n' || *next == '\r' || isHeaderFieldLine(next, end);
}

}  // namespace

void scanMailbox(const char* begin, const char* end, const MailboxScanEvents& events) {
    begin = afterByteOrderMark(begin, end);
    const size_t chunkSize = scanChunkSize(static_cast<size_t>(end - begin));
    auto nextChunkEnd = [&](const char* from) {
        return static_cast<size_t>(end - from) > chunkSize ? from + chunkSize : end;
    };

    std::vector<TMarker> markers;
    markers.reserve(20);
    LineScanner scanner(true, true);
    const char* messageStart = nullptr;
    const char* messageEnd = nullptr;
    uint32_t lineFeeds = 0;
    const char* chunkEnd = nextChunkEnd(begin);

    for (const char* p = begin; p < end;) {
        // No further than the next progress report.
        p = scanner.skipInLine(p, chunkEnd);
        switch (scanner.feed(p)) {
            case LineScanner::Found::FromLine:
                if (isFromLine(scanner.mark(), lineEndBefore(scanner.mark(), p)) &&
                    (scanner.fromAfterEmptyLine() || headerBlockFollows(p + 1, end))) {
                    if (!messageStart) {
                        messageStart = scanner.mark();
                        // Boundary lines before the first message belong to no message.
                        markers.clear();
                    } else {
                        messageEnd = scanner.mark();
                    }
                }
                break;
            case LineScanner::Found::BoundaryLine:
                markers.push_back(boundaryMarker(scanner.mark(), p, lineFeeds));
                break;
            case LineScanner::Found::Nothing: break;
        }

        if (*p == '\n') ++lineFeeds;
        ++p;
        if (p == end) messageEnd = end;

        if (messageEnd && messageStart) {
            if (events.message) events.message(messageStart, messageEnd, markers);
            markers.clear();
            messageStart = messageEnd;
            messageEnd = nullptr;
            chunkEnd = nextChunkEnd(p);
        } else if (p == chunkEnd) {
            if (events.chunk) events.chunk(static_cast<size_t>(p - begin));
            chunkEnd = nextChunkEnd(p);
        }
    }
}

}  // namespace tessaly
