// mailbox_scanner.cpp - finds the messages and MIME boundary lines of a
// mailbox in one byte-by-byte pass.
#include <algorithm>
#include <cstring>

#include "sources/boundary_line.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

// The line [start, lf) without a carriage return before its line feed.
const char* lineEndBefore(const char* start, const char* lf) {
    return lf > start && lf[-1] == '\r' ? lf - 1 : lf;
}

}  // namespace

void scanMailbox(const char* begin, const char* end, const MailboxScanEvents& events) {
    const size_t chunkSize = std::max<size_t>(static_cast<size_t>(end - begin) / 100, 51200);
    auto nextChunkEnd = [&](const char* from) {
        return static_cast<size_t>(end - from) > chunkSize ? from + chunkSize : end;
    };

    std::vector<TMarker> markers;
    markers.reserve(20);
    int state = 2;
    const char* mark = begin;
    const char* messageStart = nullptr;
    const char* messageEnd = nullptr;
    uint32_t lineFeeds = 0;
    const char* chunkEnd = nextChunkEnd(begin);

    for (const char* p = begin; p < end;) {
        // Inside a line nothing matters until its line feed: jump there,
        // but no further than the next progress report.
        if (state == 0) {
            const void* lf = std::memchr(p, '\n', static_cast<size_t>(chunkEnd - p));
            const char* stop = lf ? static_cast<const char*>(lf) : chunkEnd;
            if (stop - p > 1) p = stop - 1;
        }
        const char c = *p;
        switch (state) {
            case 0: state = c == '\n' ? 1 : 0; break;
            case 1:
            case 2:
                if (c == '\n') {
                    state = 2;
                } else if (c == '\r') {
                    state = 10;
                } else if (c == '-') {
                    mark = p;
                    state = 11;
                } else if (c == 'F' && state == 2) {
                    mark = p;
                    state = 3;
                } else {
                    state = 0;
                }
                break;
            case 3: state = c == 'r' ? 4 : 0; break;
            case 4: state = c == 'o' ? 5 : 0; break;
            case 5: state = c == 'm' ? 6 : 0; break;
            case 6: state = c == ' ' ? 7 : 0; break;
            case 7: state = c == '\r' || c == '\n' ? 0 : 8; break;
            case 8: state = c == '\n' ? 15 : c == '\r' ? 9 : 8; break;
            case 9: state = c == '\n' ? 15 : 0; break;
            case 10: state = c == '\n' ? 2 : 0; break;
            case 11: state = c == '-' ? 12 : 0; break;
            case 12: state = c == '\r' || c == '\n' || c == ' ' ? 0 : 13; break;
            case 13: state = c == '\n' ? 16 : c == '\r' ? 14 : 13; break;
            case 14: state = c == '\n' ? 16 : 0; break;
        }

        if (state == 15) {
            if (isFromLine(mark, lineEndBefore(mark, p))) {
                if (!messageStart) {
                    messageStart = mark;
                    // Boundary lines before the first message belong to no message.
                    markers.clear();
                } else {
                    messageEnd = mark;
                }
            }
            state = 0;
        } else if (state == 16) {
            markers.push_back(boundaryMarker(mark, p, lineFeeds));
            state = 1;
        }

        if (c == '\n') ++lineFeeds;
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
