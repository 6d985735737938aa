// fuzz_headers.cpp - header reading and the part tree of a raw message.
#include <vector>

#include "app/run.h"
#include "fuzz/targets.h"
#include "message/boundary_lines.h"
#include "message/part_tree.h"

namespace tessaly::fuzz {

void fuzzHeaders(const uint8_t* data, size_t size) {
    // A copy of exactly the input's length, so that ASan sees every read past it.
    std::vector<char> text(data, data + size);
    const char* begin = text.data();
    const char* end = begin + text.size();

    std::vector<TMarker> markers;
    scanBoundaryLines(begin, end, markers, nullptr);

    ArchiveRun run;
    TMessageInfo info;
    buildPartTree(run, run.decoder.charsets(), info, begin, text.size(), markers);
    TPartIterator parts(&info.rootPart);
    while (const tagMessagePart* part = parts.next()) {
        if (part->bodyStart && (part->bodyStart < begin || part->bodyEnd > end)) {
            propertyFailed("a part's body lies outside the message");
        }
        if (part->headerStart > part->bodyStart || part->bodyStart > part->bodyEnd) {
            propertyFailed("a part's ranges are out of order");
        }
    }
}

}  // namespace tessaly::fuzz
