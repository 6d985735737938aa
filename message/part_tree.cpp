// part_tree.cpp - linking MIME parts from boundary markers.
#include "message/part_tree.h"

#include <functional>
#include <memory>

#include "message/headers.h"

namespace tessaly {
namespace {

// An open multipart and its last child so far, so appending needs no walk.
struct OpenPart {
    tagMessagePart* part;
    tagMessagePart* lastChild;
};

void appendChild(OpenPart& parent, tagMessagePart* child, const char* bodyEnd) {
    child->bodyEnd = bodyEnd;
    // A part whose header block runs past the next boundary line (no blank
    // line before it) ends with an empty body rather than a reversed range.
    if (child->bodyStart > child->bodyEnd) child->bodyStart = child->bodyEnd;
    child->parent = parent.part;
    child->nextSibling = nullptr;
    if (parent.lastChild)
        parent.lastChild->nextSibling = child;
    else
        parent.part->firstChild = child;
    parent.lastChild = child;
}

// The byte after the boundary line's LF; at a NUL, or at the end, when the
// line has no LF.
const char* afterLine(const char* position, const char* end) {
    const char* p = position;
    while (p < end && *p != '\n' && *p != '\0') ++p;
    return p < end && *p == '\n' ? p + 1 : p;
}

// Links a part below `root` (its headers already read) for every boundary
// line of [text, end) that belongs to the innermost open multipart.
void linkParts(ProblemReporter& problems, Charsets& charsets, PartStore& store, tagMessagePart& root, const char* text,
               const char* end, const std::vector<TMarker>& markers, int32_t& nextNumber) {
    std::vector<OpenPart> open;
    tagMessagePart* pending = nullptr;
    if (root.boundary.empty())
        pending = &root;
    else
        open.push_back({&root, nullptr});

    // Markers before this point (or outside the text) would give reversed
    // ranges; positions may come from another buffer, hence std::less.
    const std::less<const char*> before;
    const char* floor = text;

    for (const TMarker& marker : markers) {
        if (open.empty()) continue;
        const std::string& boundary = open.back().part->boundary;
        // A boundary may itself end in "--": its delimiter line then reads as
        // a closing one of a boundary two bytes shorter.
        const bool opensLong = marker.closing && boundary.size() == marker.boundary.size() + 2 &&
                               boundary.compare(0, marker.boundary.size(), marker.boundary) == 0 &&
                               boundary.compare(marker.boundary.size(), 2, "--") == 0;
        if (marker.boundary != boundary && !opensLong) continue;
        if (!marker.position || before(marker.position, floor) || before(end, marker.position))
            continue;

        if (pending) {
            appendChild(open.back(), pending, marker.position);
            pending = nullptr;
        }
        const char* next = afterLine(marker.position, end);
        floor = next;
        if (marker.closing && !opensLong) {
            pending = open.back().part;
            open.pop_back();
            continue;
        }
        tagMessagePart* part = &store.add();
        parseHeaders(problems, charsets, nullptr, part, next, end, false);
        part->nextSibling = nullptr;
        part->firstChild = nullptr;
        part->parent = nullptr;
        part->partNumber = nextNumber++;
        // A nested multipart is open, not pending: it is linked to its parent
        // once it is closed (or at the end).
        if (part->boundary.empty())
            pending = part;
        else
            open.push_back({part, nullptr});
    }

    if (!pending && !open.empty()) {
        pending = open.back().part;
        open.pop_back();
    }
    while (!open.empty()) {
        appendChild(open.back(), pending, end);
        pending = open.back().part;
        open.pop_back();
    }
}

// The dates and headers of an embedded message are shown, not judged: its
// problems are no problems of the message that holds it.
using Unreported = SilentProblems;

// Messages inside messages inside messages: deep enough for any forwarding
// chain, and a bound for a hostile one.
constexpr int kMaxEmbeddedDepth = 8;

int embeddingDepth(const tagMessagePart& part) {
    int depth = 0;
    for (const tagMessagePart* up = &part; up; up = up->parent) depth += up->kind == PartKind::Message;
    return depth;
}

// Gives every Message part whose text is its own (not transfer-encoded) the
// root of its parts as its one child, to any depth within the bound.
void openEmbeddedMessages(ProblemReporter& problems, Charsets& charsets, TMessageInfo& info, const std::vector<TMarker>& markers,
                          int32_t& nextNumber) {
    std::vector<tagMessagePart*> work;
    TPartIterator parts(&info.rootPart);
    while (tagMessagePart* part = parts.next()) {
        if (part->kind == PartKind::Message) work.push_back(part);
    }
    Unreported quiet;
    for (size_t i = 0; i < work.size(); ++i) {
        tagMessagePart& message = *work[i];
        if (message.bodyFormat != BodyFormat::None || !message.bodyStart || message.bodyStart == message.bodyEnd ||
            message.firstChild || embeddingDepth(message) > kMaxEmbeddedDepth) {
            continue;
        }
        tagMessagePart& root = info.parts.add();
        TMessageInfo headers;
        parseHeaders(quiet, charsets, &headers, &root, message.bodyStart, message.bodyEnd, false);
        root.embedded = std::make_shared<EmbeddedHeaders>(
            EmbeddedHeaders{headers.fromHtml, headers.toHtml, headers.ccHtml, headers.subject, headers.date});
        root.partNumber = nextNumber++;
        root.parent = &message;
        message.firstChild = &root;
        linkParts(problems, charsets, info.parts, root, message.bodyStart, message.bodyEnd, markers, nextNumber);
        TPartIterator inner(&root);
        while (tagMessagePart* part = inner.next()) {
            if (part->kind == PartKind::Message && part != &message) work.push_back(part);
        }
    }
}

}  // namespace

void buildPartTree(ProblemReporter& problems, Charsets& charsets, TMessageInfo& info, const char* text,
                   size_t length, const std::vector<TMarker>& markers) {
    if (!text) length = 0;
    const char* end = text + length;
    tagMessagePart& root = info.rootPart;
    parseHeaders(problems, charsets, &info, &root, text, end, false);
    root.partNumber = 0;
    int32_t nextNumber = 1;
    linkParts(problems, charsets, info.parts, root, text, end, markers, nextNumber);
    openEmbeddedMessages(problems, charsets, info, markers, nextNumber);
}

}  // namespace tessaly
