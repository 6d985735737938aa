// boundary_lines.cpp - the marker of one MIME boundary line, and the scan of
// a single message text for them.
#include "message/boundary_lines.h"

#include <algorithm>

#include "message/line_scanner.h"

namespace tessaly {

TMarker boundaryMarker(const char* start, const char* lf, uint32_t lineNumber) {
    const char* lineEnd = lf > start && lf[-1] == '\r' ? lf - 1 : lf;
    // Blanks may follow a boundary line (RFC 2046); they are no part of it.
    while (lineEnd - start > 2 && (lineEnd[-1] == ' ' || lineEnd[-1] == '\t')) --lineEnd;
    TMarker marker;
    marker.position = start;
    marker.lineNumber = lineNumber;
    marker.closing = lineEnd - start >= 5 && lineEnd[-1] == '-' && lineEnd[-2] == '-';
    marker.boundary.assign(start + 2, marker.closing ? lineEnd - 2 : lineEnd);
    return marker;
}

size_t scanChunkSize(size_t length) { return std::max<size_t>(length / 100, 51200); }

void scanBoundaryLines(const char* begin, const char* end, std::vector<TMarker>& markers,
                       const std::function<void(size_t scanned)>& chunk) {
    const size_t chunkSize = scanChunkSize(static_cast<size_t>(end - begin));
    auto nextChunkEnd = [&](const char* from) {
        return static_cast<size_t>(end - from) > chunkSize ? from + chunkSize : end;
    };
    LineScanner scanner(false, false);
    uint32_t lineFeeds = 0;
    const char* chunkEnd = nextChunkEnd(begin);
    for (const char* p = begin; p < end;) {
        p = scanner.skipInLine(p, chunkEnd);
        if (scanner.feed(p) == LineScanner::Found::BoundaryLine) {
            markers.push_back(boundaryMarker(scanner.mark(), p, lineFeeds));
        }
        if (*p == '\n') ++lineFeeds;
        if (++p == chunkEnd) {
            if (chunk) chunk(static_cast<size_t>(chunkEnd - begin));
            chunkEnd = nextChunkEnd(p);
        }
    }
}

}  // namespace tessaly
