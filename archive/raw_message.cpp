// raw_message.cpp - the per-message step of a target folder: parse a raw
// RFC 822 message, build its part tree, key it, and write it as a page or
// EML file.
#include "archive/archive_writer.h"


#include "archive/checksum.h"
#include "archive/eml_file.h"
#include "archive/html_page.h"
#include "archive/naming.h"
#include "archive/out_of_memory.h"
#include "message/content_key.h"
#include "message/headers.h"
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

// A text that stops inside its message: without a line end at its end, or
// inside a multipart whose closing line never came. Within a mailbox a
// message ends where the next one's "From " line begins, so only the last
// one can be cut this way.
bool stopsInside(const TMessageInfo& info, const char* text, size_t length, const std::vector<TMarker>& markers) {
    if (length == 0) return false;
    if (text[length - 1] != '\n') return true;
    const std::string& boundary = info.rootPart.boundary;
    if (boundary.empty()) return false;
    for (const TMarker& marker : markers) {
        if (marker.closing && marker.boundary == boundary) return false;
    }
    return true;
}

void reportCutMessage(JobRun& run, const TMessageInfo& info) {
    run.setMessageText(describeMessage(info, archiveBaseName(info).name));
    run.messageProblem(
        "Error: <a href=\"help:err_cutmessage.html\">the mail file ends inside this message</a> - it was not "
        "archived; a run over the whole file will archive it");
}

// Scratch space grown for one very large message is given back, not kept
// for the rest of the run.
void releaseLargeScratch(DecodeContext& decoder) {
    constexpr size_t kKept = size_t{256} << 20;
    if (decoder.bufferA().capacity() > kKept || decoder.bufferB().capacity() > kKept) decoder.releaseBuffers();
}

}  // namespace

void TargetFolder::archiveRawMessage(const char* text, size_t length, const std::vector<TMarker>& markers,
                                     bool normalizeLineEnds, MessageEnd messageEnd) {
    JobRun& run = writer_.run();
    run.addBytes(length);
    DecodeContext& decoder = writer_.decoder();
    if (withinMemory(decoder, [&] { archiveConverted(text, length, markers, normalizeLineEnds, messageEnd); })) {
        return;
    }
    if (!withinMemory(decoder, [&] { archiveUnconverted(text, length, normalizeLineEnds); })) reportNotArchived(run);
}

void TargetFolder::archiveConverted(const char* text, size_t length, const std::vector<TMarker>& markers,
                                    bool normalizeLineEnds, MessageEnd messageEnd) {
    JobRun& run = writer_.run();
    TMessageInfo info;
    buildPartTree(run, writer_.decoder().charsets(), info, text, length, markers);
    if (messageEnd == MessageEnd::MayBeCut && stopsInside(info, text, length, markers)) {
        reportCutMessage(run, info);
        return;
    }

    const tagMessagePart& keyed = checksumPart(info.rootPart);
    info.checksumKey = checksumKeyText(messageChecksum(keyed.bodyStart, keyed.bodyEnd));
    info.contentKey = contentKeyText(rawContentKey(text, length));
    info.folderName = folderName_;

    if (writer_.html()) {
        writeHtmlMessage(*this, info);
    } else {
        writeEmlMessage(*this, text, text + length, info, normalizeLineEnds);
    }
    releaseLargeScratch(writer_.decoder());
}

void TargetFolder::archiveUnconverted(const char* text, size_t length, bool normalizeLineEnds) {
    JobRun& run = writer_.run();
    // Only the header block is read; its problems were reported by the
    // attempt before.
    TMessageInfo info;
    SilentProblems quiet;
    tagMessagePart& root = info.rootPart;
    parseHeaders(quiet, writer_.decoder().charsets(), &info, &root, text, text + length, false);
    info.checksumKey = checksumKeyText(messageChecksum(root.bodyStart, root.bodyEnd));
    info.contentKey = contentKeyText(rawContentKey(text, length));
    info.folderName = folderName_;
    // No part is read: the page links the whole message as it came.
    root.kind = PartKind::Multipart;
    root.boundary.clear();
    root.bodyFormat = BodyFormat::None;
    if (writer_.html()) {
        tagMessagePart& original = info.parts.add();
        original.kind = PartKind::Message;
        original.contentType = "message/rfc822";
        original.fileName = "original message";
        original.declaredName = "original message.eml";
        original.headerStart = original.bodyStart = text;
        original.bodyEnd = text + length;
        original.partNumber = 1;
        original.parent = &root;
        root.firstChild = &original;
    }
    run.setMessageText(describeMessage(info, archiveBaseName(info).name));
    reportUnconverted(run, writer_.html());
    if (writer_.html()) {
        writeHtmlMessage(*this, info);
    } else {
        writeEmlMessage(*this, text, text + length, info, normalizeLineEnds);
    }
}

void TargetFolder::archiveMessage(TMessageInfo& info) {
    info.folderName = folderName_;
    const bool converted = withinMemory(writer_.decoder(), [&] {
        writeHtmlMessage(*this, info);
        releaseLargeScratch(writer_.decoder());
    });
    if (!converted) reportNotArchived(writer_.run());
}

}  // namespace tessaly
