// attachments.cpp - preparing, decoding and writing the saved parts of a
// message.
#include "archive/attachments.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "archive/file_system_names.h"
#include "archive/safe_copy.h"
#include "archive/size_limits.h"
#include "message/attribute_text.h"
#include "message/body_html.h"
#include "message/decoding.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace tessaly {

namespace {

bool isSaved(PartKind kind) {
    return kind == PartKind::Html || kind == PartKind::Attachment || kind == PartKind::Image ||
           kind == PartKind::Message;
}

// A BinHex part without a name is named after the file in its header; a
// name without extension gets one from the Macintosh type and creator.
void nameFromBinhexHeader(DecodeContext& decoder, tagMessagePart& part) {
    const char* start = part.bodyStart;
    const char* end = part.bodyEnd;
    if (!start || !decodeBinhex(decoder, start, end, true) || start == end) return;
    const size_t available = static_cast<size_t>(end - start);
    const size_t length = static_cast<unsigned char>(start[0]);
    if (length + 1 > available) return;
    // Only the last path component of a name from the message is used.
    const std::string name = baseName(std::string_view(start + 1, length));
    if (name.empty()) return;
    part.fileName = part.declaredName = name;
    if (!extensionOf(name).empty() || length + 10 > available) return;
    const MacExtensions ext = macExtension(std::string_view(start + length + 2, 4),
                                           std::string_view(start + length + 6, 4));
    part.fileName += ext.creatorExtension.empty() ? ext.pairExtension : ext.creatorExtension;
}

PartKind kindByExtension(const std::string& fileName) {
    const std::string ext = asciiLower(extensionOf(fileName));
    if (ext == ".txt") return PartKind::Text;
    if (ext == ".html" || ext == ".htm") return PartKind::Html;
    if (ext == ".gif" || ext == ".jpg" || ext == ".jpeg") return PartKind::Image;
    return PartKind::Attachment;
}

std::string numbered(const char* word, uint32_t count) {
    return count > 1 ? word + std::to_string(count) : std::string(word);
}

std::string unnamedLabel(SavedParts& saved, const tagMessagePart& part) {
    switch (part.kind) {
        case PartKind::Attachment: return numbered("attachment", ++saved.unnamedAttachments);
        case PartKind::Image: return numbered("image", ++saved.unnamedImages);
        case PartKind::Message: return numbered("forwarded message", ++saved.unnamedMessages);
        default: {
            const uint32_t count = ++saved.unnamedHtml;
            const bool alternative = part.parent && part.parent->kind == PartKind::Alternative;
            return numbered(alternative ? "alternative" : count == 1 ? "message" : "part", count);
        }
    }
}

// Decodes a saved part into the scratch space by its body format; false
// (with the range cleared) when the decoder failed.
bool decodeSavedPart(DecodeContext& decoder, const tagMessagePart& part, const char*& start, const char*& end) {
    switch (part.bodyFormat) {
        case BodyFormat::Base64: return decodeBase64(decoder, start, end);
        case BodyFormat::Uuencode: return decodeUuencode(decoder, start, end);
        case BodyFormat::BinHex: return decodeBinhex(decoder, start, end, false);
        case BodyFormat::Flowed: flowedToPlain(decoder, start, end); return true;
        case BodyFormat::QuotedPrintable: return decodeQuotedPrintable(decoder, start, end);
        case BodyFormat::Enriched: enrichedToPlain(decoder, start, end); return true;
        case BodyFormat::MacBinary: {
            // A header that is not MacBinary gives nothing: keep the raw bytes.
            const bool hadBytes = start != end;
            return extractMacBinary(decoder, start, end) && (start != end || !hadBytes);
        }
        case BodyFormat::RtfHtml: rtfToHtml(decoder, start, end); return true;
        default: return true;
    }
}

// Linux file systems refuse names longer than 255 bytes (NAME_MAX).
constexpr size_t kMaxNameBytes = 255;
// An extension up to this long is never cut; a longer one gives way to the
// name in front of it.
constexpr size_t kLongExtension = 32;

// head + tail + extension as a file name the file system takes. A name
// that fits is kept as it is. Otherwise the head (the part's own name) is
// cut, and so is an extension longer than kLongExtension as far as the
// head needs the room; the tail (stamp and number) is never cut.
std::string fittedName(std::string_view head, const std::string& tail, std::string_view extension) {
    if (head.size() + tail.size() + extension.size() > kMaxNameBytes) {
        const size_t room = kMaxNameBytes - std::min(tail.size(), kMaxNameBytes);
        const size_t afterHead = room - std::min(room, head.size());
        const size_t extensionRoom = std::min(room, std::max(kLongExtension, afterHead));
        extension = extension.substr(0, utf8Prefix(extension, extensionRoom));
        head = head.substr(0, utf8Prefix(head, room - extension.size()));
    }
    std::string fitted(head);
    fitted += tail;
    fitted += extension;
    return fitted;
}

// The first free name of head + tail + extension in `attachmentDirectory`:
// as it is, or with ";2", ";3" ... after the tail.
std::string uniqueName(ArchiveWriter& writer, SavedParts& saved, const std::string& attachmentDirectory,
                       std::string_view head, const std::string& tail, std::string_view extension) {
    // The numbers an earlier part of this name found taken are not
    // tried again.
    const std::string first = attachmentDirectory + fittedName(head, tail, extension);
    for (uint32_t n = writer.names().firstToTry(first);; ++n) {
        const std::string candidate = fittedName(head, n == 1 ? tail : tail + ";" + std::to_string(n), extension);
        const std::string lower = asciiLower(candidate);
        if (saved.usedNames.count(lower) || writer.batch().isNameTaken(attachmentDirectory + candidate)) continue;
        saved.usedNames.insert(lower);
        writer.names().took(first, n);
        return candidate;
    }
}

// Writes one file of the message, staged. A file that cannot be created or
// written whole is logged and makes the whole message fail, whatever the
// cause: a page in place counts as archived, and without its file no later
// run would write it. Returns whether it is kept.
bool saveFile(ArchiveWriter& writer, MessageFiles& files, const std::string& directory, const std::string& name,
              std::string_view bytes, const FILETIME& fileTime) {
    JobRun& run = writer.run();
    auto file = std::make_unique<OutputFile>();
    const bool created = file->createStaged(directory + name, writer.temporaries());
    if (created) {
        if (!bytes.empty()) file->write(bytes.data(), bytes.size());
        file->setTime(fileTime);
    }
    if (!created || !file->complete()) {
        const int error = lastSystemError();
        if (!isDiskFull(error)) {
            run.messageNote("Error: <a href=\"help:err_createattach.html\">unable to create</a> " +
                            htmlEscape(name) + " - " + htmlEscape(systemErrorText()));
        }
        // A later run should find the message not yet archived and write
        // it whole.
        files.markIncomplete(error);
        stopWhenDiskLost(run, error);
        return false;
    }
    files.keepAttachment(std::move(file));
    return true;
}

bool saveFile(ArchiveWriter& writer, MessageFiles& files, const std::string& directory, const std::string& name,
              const char* start, const char* end, const FILETIME& fileTime) {
    return saveFile(writer, files, directory, name,
                    start ? std::string_view(start, static_cast<size_t>(end - start)) : std::string_view(),
                    fileTime);
}

// An HTML part the page shows: the message's body or one of its
// alternatives, not a file attached by name.
bool isHtmlBody(const tagMessagePart& part) {
    return part.kind == PartKind::Html && part.declaredName.empty() &&
           asciiLower(part.disposition).find("attachment") == std::string::npos;
}

bool holdsText(const tagMessagePart& part) {
    if (part.kind == PartKind::Text) return true;
    for (const tagMessagePart* child = part.firstChild; child; child = child->nextSibling) {
        if (holdsText(*child)) return true;
    }
    return false;
}

// Whether the HTML body is the alternative of a text the page shows: it is
// below a multipart/alternative (of its own message) that holds a text, or
// beside the plain body of an Outlook message.
bool hasTextAlternative(const tagMessagePart& part) {
    for (const tagMessagePart* up = part.parent; up && up->kind != PartKind::Message; up = up->parent) {
        if (up->kind == PartKind::Alternative) return holdsText(*up);
    }
    for (const tagMessagePart* sibling = part.parent ? part.parent->firstChild : nullptr; sibling;
         sibling = sibling->nextSibling) {
        if (sibling->kind == PartKind::Text && sibling->bodyFormat == BodyFormat::OutlookText) return true;
    }
    return false;
}

}  // namespace

void prepareParts(ArchiveWriter& writer, SavedParts& saved, TMessageInfo& info, const ArchiveName& name,
                  const std::string& attachmentDirectory) {
    std::vector<const tagMessagePart*> bodies;
    TPartIterator parts(&info.rootPart);
    while (tagMessagePart* part = parts.next()) {
        if (part->fileName.empty() && part->bodyFormat == BodyFormat::BinHex) {
            nameFromBinhexHeader(writer.decoder(), *part);
        }
        // A file name ends at a NUL byte, as it would in any C string: the
        // rest could never reach the file system.
        part->fileName.resize(std::min(part->fileName.size(), part->fileName.find('\0')));
        part->fileName = nameForFileSystem(part->fileName, nameRulesFor(attachmentDirectory));
        if (part->kind == PartKind::Unclassified || part->kind == PartKind::Attachment) {
            part->kind = kindByExtension(part->fileName);
        }
        // A text too large to show is saved as it came, as a file of its own.
        if (part->kind == PartKind::Text && isLargeText(*part)) {
            part->kind = PartKind::Attachment;
            if (part->fileName.empty()) {
                part->fileName = "message text";
                part->declaredName = "message text.txt";
            }
        }
        if (!isSaved(part->kind)) continue;

        std::string extension = extensionOf(part->fileName);
        const std::string own = part->fileName.substr(0, part->fileName.size() - extension.size());
        if (extension.empty()) {
            if (part->kind == PartKind::Html) extension = ".html";
            if (part->kind == PartKind::Attachment) extension = ".txt";
            if (part->kind == PartKind::Message) extension = ".eml";
        }
        // Every saved file carries the message's stamp; an unnamed one is
        // named after the message and its part number.
        const std::string tail =
            own.empty() ? name.name + name.stamp + "(" + std::to_string(part->partNumber) + ")"
                        : " - " + name.stamp;

        const bool body = isHtmlBody(*part);
        part->fileName = uniqueName(writer, saved, attachmentDirectory, own, tail, extension);
        if (body) bodies.push_back(part);

        if (part->declaredName.empty()) {
            part->declaredName = unnamedLabel(saved, *part) + extensionOf(part->fileName);
        }
        if (!part->contentId.empty()) {
            saved.contentIds.emplace(part->contentId, part->fileName);
            if (part->contentId.size() < 4 || part->contentId.compare(0, 4, "cid:") != 0) {
                saved.allCid = false;
            }
        }
    }
    // Named after every saved part, so that no part's name depends on them.
    for (const tagMessagePart* body : bodies) {
        const std::string extension = extensionOf(body->fileName);
        const std::string_view head = std::string_view(body->fileName).substr(0, body->fileName.size() - extension.size());
        saved.shownHtml[body] = {uniqueName(writer, saved, attachmentDirectory, head, " (safe copy)", ".html"),
                                 hasTextAlternative(*body)};
    }
}

void writeAttachmentFiles(ArchiveWriter& writer, TMessageInfo& info, SavedParts& saved,
                          const std::string& attachmentDirectory, MessageFiles& files) {
    JobRun& run = writer.run();
    DecodeContext& decoder = writer.decoder();
    // Images a folded frame shows stay in the image block too.
    std::unordered_set<std::string> foldedImages;
    TPartIterator parts(&info.rootPart);
    while (tagMessagePart* part = parts.next()) {
        if (!isSaved(part->kind)) continue;
        const std::string label = part->declaredName.empty() ? baseName(part->fileName) : part->declaredName;
        run.setStepText(label);

        const char* start = part->bodyStart;
        const char* end = part->bodyEnd;
        decoder.beginDecoding([&run](double fraction) { return run.stepProgress(fraction); });
        const bool decoded = decodeSavedPart(decoder, *part, start, end);
        decoder.endDecoding();
        std::string rewritten;
        const std::string_view decodedHtml(start, start ? static_cast<size_t>(end - start) : 0);
        // A reason with a success: the part was cut short, and what it held
        // is saved.
        if (!decoder.decodeError().empty()) {
            run.messageNote("Error: <a href=\"help:err_decode.html\">unable to decode</a> " + htmlEscape(label) +
                            " - " + htmlEscape(decoder.decodeError()));
        }
        if (!decoded || !start) {
            start = part->bodyStart;
            end = part->bodyEnd;
        } else if (part->kind == PartKind::Html) {
            rewritten = rewriteReferences(start, end, saved.contentIds, saved.allCid);
            start = rewritten.data();
            end = start + rewritten.size();
        }

        const bool kept = saveFile(writer, files, attachmentDirectory, part->fileName, start, end, info.fileTime);
        const auto shown = saved.shownHtml.find(part);
        if (shown == saved.shownHtml.end()) continue;
        // A body that did not decode, or too large to parse in bounded
        // memory, is shown by its link alone.
        if (!kept || !decoded || !decodedHtml.data() || decodedHtml.size() > kLargestShownHtml ||
            !saveFile(writer, files, attachmentDirectory, shown->second.fileName,
                      safeCopyOf(decoder.charsets(), *part, decodedHtml, saved.contentIds,
                                 shown->second.folded ? foldedImages : saved.imagesInFrames),
                      info.fileTime)) {
            saved.shownHtml.erase(shown);
        }
    }
}

std::string rewriteReferences(const char* begin, const char* end, const ContentIdMap& contentIds,
                              bool allCid) {
    std::string out;
    if (!begin) return out;
    const char* p = begin;
    while (p < end && (*p == '\r' || *p == '\n' || *p == ' ')) ++p;
    out.reserve(static_cast<size_t>(end - p) + static_cast<size_t>(end - p) / 16);
    while (p < end) {
        const char c = *p;
        if (c == '=' && end - p >= 2 && p[1] == '"') {
            const char* value = p + 2;
            const char* close = value;
            while (close < end && *close != '"') ++close;
            const std::string_view quoted(value, static_cast<size_t>(close - value));
            if (!allCid || quoted.substr(0, 4) == "cid:") {
                const auto found = contentIds.find(std::string(quoted));
                out += "=\"";
                out += found != contentIds.end() ? attributeText(found->second) : std::string(quoted);
                out += '"';
                p = close < end ? close + 1 : end;
                continue;
            }
        }
        if (c == '\n') {
            out += "\r\n";
        } else if (c != '\r') {
            out += c;
        }
        ++p;
    }
    return out;
}

}  // namespace tessaly
