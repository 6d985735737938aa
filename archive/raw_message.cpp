// raw_message.cpp - the per-message step of a target folder: parse a raw
// RFC 822 message, build its part tree, key it, and write it as a page or
// EML file.
#include "archive/archive_writer.h"
#include "archive/checksum.h"
#include "archive/eml_file.h"
#include "archive/html_page.h"
#include "message/content_key.h"
#include "message/part_tree.h"
#include "message/text.h"

namespace tessaly {

namespace {

// The key comes from the first text part, else from the whole body; the
// parts of embedded messages do not count, and an embedded message counts
// as the text it was read as before its parts were opened.
const tagMessagePart& checksumPart(tagMessagePart& root) {
    TPartIterator parts(&root);
    while (const tagMessagePart* part = parts.next()) {
        if ((part->kind == PartKind::Text || (part->kind == PartKind::Message && part->keysAsText)) &&
            !isInsideEmbedded(*part)) {
            return *part;
        }
    }
    return root;
}

}  // namespace

void TargetFolder::archiveRawMessage(const char* text, size_t length, const std::vector<TMarker>& markers,
                                     bool normalizeLineEnds) {
    JobRun& run = writer_.run();
    run.addBytes(length);
    TMessageInfo info;
    buildPartTree(run, writer_.decoder().charsets(), info, text, length, markers);

    const tagMessagePart& keyed = checksumPart(info.rootPart);
    info.checksumKey = checksumKeyText(messageChecksum(keyed.bodyStart, keyed.bodyEnd));
    info.contentKey = contentKeyText(rawContentKey(text, length));
    info.folderName = folderName_;

    if (writer_.html()) {
        writeHtmlMessage(*this, info);
    } else {
        writeEmlMessage(*this, text, text + length, info, normalizeLineEnds);
    }
}

void TargetFolder::archiveMessage(TMessageInfo& info) {
    info.folderName = folderName_;
    writeHtmlMessage(*this, info);
}

}  // namespace tessaly
