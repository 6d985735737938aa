// mailbox_scanner.cpp - finds the messages and MIME boundary lines of a
// mailbox in one pass.
#include "message/boundary_lines.h"
#include "message/line_scanner.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

// The line [start, lf) without a carriage return before its line feed.
const char* lineEndBefore(const char* start, const char* lf) {
    return lf > start && lf[-1] == '\r' ? lf - 1 : lf;
}

}  // namespace

void scanMailbox(const char* begin, const char* end, const MailboxScanEvents& events) {
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
                if (isFromLine(scanner.mark(), lineEndBefore(scanner.mark(), p))) {
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
