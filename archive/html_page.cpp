// html_page.cpp - the HTML page of one message: header rows, attachment
// links, inline texts and images, footer rows.
#include "archive/html_page.h"

#include <cstring>
#include <utility>
#include <vector>

#include "archive/attachments.h"
#include "archive/duplicates.h"
#include "archive/message_row.h"
#include "archive/page_row.h"
#include "archive/naming.h"
#include "message/attribute_text.h"
#include "message/body_html.h"
#include "message/charsets.h"
#include "message/decoding.h"
#include "message/text.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/time.h"

namespace tessaly {

namespace {

void addRow(std::string& out, const char* cls, const char* label, const std::string& value) {
    out += "<div class=\"";
    out += cls;
    out += "\"><span class=\"title\">";
    out += label;
    out += "</span> <span class=\"value\">";
    out += value;
    out += "</span></div>\r\n";
}

// The page imports the stylesheet of the archive root and of every folder
// between: at least two levels up, more for deeper pages.
void addImports(std::string& out, const std::string& subfolder) {
    size_t depth = 0;
    for (const char c : subfolder) depth += c == '/' || c == '\\';
    for (size_t k = std::max<size_t>(depth, 2) + 1; k-- > 0;) {
        out += "  @import url(";
        for (size_t i = 0; i < k; ++i) out += "../";
        out += "folvane.css);\r\n";
    }
}

std::string headBuffer(const TMessageInfo& info, const std::string& subfolder) {
    std::string out = "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>";
    const std::string subject = safeFileText(info.subject);
    out += info.hasReceived ? info.fromTitle + " - " + subject : info.toTitle + " (to) - " + subject;
    out += "</title>\r\n<style type=\"text/css\">\r\n";
    addImports(out, subfolder);
    out += "</style>\r\n</head>\r\n<body>\r\n\r\n<div class=\"headers\">\r\n";
    const char* toClass = info.isNews ? "news" : "to";
    const char* toLabel = info.isNews ? "News:" : "To:";
    if (!info.toShortHtml.empty()) addRow(out, toClass, toLabel, info.toShortHtml);
    if (!info.ccShortHtml.empty()) addRow(out, "cc", "Cc:", info.ccShortHtml);
    addRow(out, "from", "From:", info.fromHtml);
    addRow(out, "subject", "Subject:", htmlEscape(info.subject));
    if (!info.date.empty()) addRow(out, "date", "Date:", htmlEscape(info.date));
    out += "</div>\r\n\r\n";
    return out;
}

std::string footBuffer(const TMessageInfo& info) {
    std::string out = "<div class=\"footers\">\r\n";
    if (!info.messageId.empty()) addRow(out, "msgid", "Message-id:", htmlEscape(info.messageId));
    const char* toClass = info.isNews ? "news" : "to";
    const char* toLabel = info.isNews ? "News:" : "To:";
    if (info.toHtml != info.toShortHtml) addRow(out, toClass, toLabel, info.toHtml);
    if (info.ccHtml != info.ccShortHtml) addRow(out, "cc", "Cc:", info.ccHtml);
    if (!info.received.empty()) {
        addRow(out, "date", "Date:", htmlEscape(info.date));
        addRow(out, "received", "Received:", htmlEscape(info.received));
    }
    if (!info.folderName.empty()) addRow(out, "folder", "Folder:", htmlEscape(info.folderName));
    out += "</div>\r\n\r\n\r\n</body>\r\n</html>\r\n";
    return out;
}

// The text of a part as UTF-8: as it is when it is already (declared as
// UTF-8 or ASCII, or undeclared, and valid), else converted from its charset.
// Returns whether `bytes` was replaced.
bool alreadyUtf8(const std::string& label, std::string_view text) {
    const std::string name = charsetName(label);
    if (name.empty() || name == "UTF-8") return isValidUtf8(text);
    return isAscii(text) && asciiIsText(name);
}

// Whether quoted-printable text may decode to text that needs no
// conversion: any in a UTF-8 label, else only text without 8-bit bytes
// (raw, or encoded as "=80" to "=FF").
bool mayBeUtf8(const std::string& label, std::string_view encoded) {
    const std::string name = charsetName(label);
    if (name.empty() || name == "UTF-8") return true;
    if (!asciiIsText(name) || !isAscii(encoded)) return false;
    for (size_t at = encoded.find('='); at != std::string_view::npos; at = encoded.find('=', at + 1)) {
        if (at + 1 < encoded.size() && std::strchr("89ABCDEFabcdef", encoded[at + 1]) && encoded[at + 1]) return false;
    }
    return true;
}

bool makeUtf8(DecodeContext& decoder, const std::string& label, const char* start, const char* end,
              std::string& bytes) {
    const std::string_view text(start, static_cast<size_t>(end - start));
    if (alreadyUtf8(label, text)) return false;
    bytes = decoder.charsets().toUtf8(text, label);
    return true;
}

// Converts a text body for the page; the range ends up in scratch space.
// Returns whether the block is "flowed" rather than "fixed".
bool convertText(DecodeContext& decoder, const tagMessagePart& part, const char*& start, const char*& end) {
    // Outlook bodies come as UTF-8.
    if (part.bodyFormat == BodyFormat::OutlookText) {
        linesToParagraphs(decoder, start, end);
        return true;
    }
    const std::string label = mimeParameter(part.contentType, "charset").value_or("");
    std::string converted;
    auto inUtf8 = [&] {
        if (start && makeUtf8(decoder, label, start, end, converted)) {
            start = converted.data();
            end = start + converted.size();
        }
    };
    auto decodedOrRaw = [&](bool ok) {
        if (!ok || !start) {
            start = part.bodyStart;
            end = part.bodyEnd;
        }
    };
    switch (part.bodyFormat) {
        case BodyFormat::Flowed:
            inUtf8();
            flowedToHtml(decoder, start, end);
            return true;
        case BodyFormat::QuotedPrintable: {
            // In one pass when the text may already be UTF-8; the markup is
            // ASCII, so the page text is UTF-8 exactly when the decoded text is.
            const std::string_view encoded(start, start ? static_cast<size_t>(end - start) : 0);
            if (charsetName(label) == "CP1252") {
                windows1252QuotedPrintableToHtml(decoder, start, end);
                return true;
            }
            if (!start || mayBeUtf8(label, encoded)) {
                const char* htmlStart = start;
                const char* htmlEnd = end;
                quotedPrintableToHtml(decoder, htmlStart, htmlEnd);
                if (!htmlStart || alreadyUtf8(label, std::string_view(htmlStart, static_cast<size_t>(htmlEnd - htmlStart)))) {
                    start = htmlStart;
                    end = htmlEnd;
                    return true;
                }
            }
            // Else decoded, converted, then made into the same paragraphs.
            converted = decoder.charsets().toUtf8(
                quotedPrintableToMarkedText(std::string_view(start, static_cast<size_t>(end - start))), label);
            start = converted.data();
            end = start + converted.size();
            markedTextToHtml(decoder, start, end);
            return true;
        }
        case BodyFormat::Base64: decodedOrRaw(decodeBase64(decoder, start, end)); break;
        case BodyFormat::Uuencode: decodedOrRaw(decodeUuencode(decoder, start, end)); break;
        case BodyFormat::Enriched: enrichedToPlain(decoder, start, end); break;
        default: break;
    }
    inUtf8();
    plainToHtml(decoder, start, end);
    return false;
}

void writeAttachmentBlock(std::string& page, TMessageInfo& info) {
    std::string block;
    TPartIterator parts(&info.rootPart);
    while (const tagMessagePart* part = parts.next()) {
        if (part->kind != PartKind::Html && part->kind != PartKind::Attachment && part->kind != PartKind::Message) {
            continue;
        }
        if (block.empty()) block = "<div class=\"attachments\">\r\n";
        block += "<span class=\"attachment\"><a href=\"attachments/" + attributeText(part->fileName) +
                 "\">" + nonBreakingSpaces(htmlEscape(part->declaredName)) + "</a></span>\r\n";
    }
    if (block.empty()) return;
    block += "</div>\r\n\r\n";
    page += block;
}

// The nearest Message part above `part` below `scope`'s parent, or null.
const tagMessagePart* enclosingMessage(const tagMessagePart& part, const tagMessagePart& scope) {
    for (const tagMessagePart* up = part.parent; up && up != scope.parent; up = up->parent) {
        if (up->kind == PartKind::Message) return up;
    }
    return nullptr;
}

// The text parts and shown HTML bodies of the message `root` opens (the
// whole message, or one embedded in it), in the iterator's order, leaving
// out the messages embedded in it; those are appended to `embedded`, in the
// same order.
std::vector<const tagMessagePart*> textsOf(const tagMessagePart& root, const SavedParts& saved,
                                           std::vector<const tagMessagePart*>& embedded) {
    std::vector<const tagMessagePart*> texts;
    TPartIterator parts(const_cast<tagMessagePart*>(&root));
    while (const tagMessagePart* part = parts.next()) {
        if (const tagMessagePart* message = enclosingMessage(*part, root)) {
            // The root of a message embedded in this one, not deeper.
            if (part->parent == message && !enclosingMessage(*message, root)) embedded.push_back(part);
            continue;
        }
        if (part->kind == PartKind::Text || saved.shownHtml.count(part)) texts.push_back(part);
    }
    return texts;
}

// An HTML body in a sandboxed frame of its safe copy: nothing in it runs
// (no allow-scripts), its links open outside. Same origin only lets it show
// the saved images beside it: from file:// a frame of no origin may not.
// The size attributes give way to any stylesheet.
void writeFrame(std::string& page, const SavedParts::ShownHtml& shown) {
    const std::string frame =
        "<iframe sandbox=\"allow-same-origin allow-popups allow-popups-to-escape-sandbox\" referrerpolicy=\"no-referrer\" "
        "width=\"100%\" height=\"600\" title=\"The formatted message\" src=\"attachments/" +
        attributeText(shown.fileName) + "\"></iframe>\r\n";
    if (shown.folded) {
        page += "<details class=\"formatted\">\r\n<summary>Show the formatted version</summary>\r\n" + frame +
                "</details>\r\n\r\n";
    } else {
        page += "<div class=\"formatted\">\r\n" + frame + "</div>\r\n\r\n";
    }
}

// Above the texts of an embedded message, its headers as the page's own.
void writeEmbeddedHeaders(std::string& page, const EmbeddedHeaders& headers) {
    std::string out = "<div class=\"headers\">\r\n";
    if (!headers.toHtml.empty()) addRow(out, "to", "To:", headers.toHtml);
    if (!headers.ccHtml.empty()) addRow(out, "cc", "Cc:", headers.ccHtml);
    addRow(out, "from", "From:", headers.fromHtml);
    addRow(out, "subject", "Subject:", htmlEscape(headers.subject));
    if (!headers.date.empty()) addRow(out, "date", "Date:", htmlEscape(headers.date));
    out += "</div>\r\n\r\n";
    page += out;
}

// The message's own texts and HTML bodies, then each embedded message's
// headers, texts and HTML bodies.
void writeTextBlock(DecodeContext& decoder, std::string& page, TMessageInfo& info, const SavedParts& saved) {
    bool opened = false;
    std::vector<const tagMessagePart*> roots{&info.rootPart};
    for (size_t i = 0; i < roots.size(); ++i) {
        const std::vector<const tagMessagePart*> texts = textsOf(*roots[i], saved, roots);
        if (texts.empty()) continue;
        if (!opened) page += "<div class=\"texts\">\r\n\r\n";
        opened = true;
        if (roots[i]->embedded) writeEmbeddedHeaders(page, *roots[i]->embedded);
        for (const tagMessagePart* part : texts) {
            if (const auto shown = saved.shownHtml.find(part); shown != saved.shownHtml.end()) {
                writeFrame(page, shown->second);
                continue;
            }
            const char* start = part->bodyStart;
            const char* end = part->bodyEnd;
            const bool flowed = convertText(decoder, *part, start, end);
            page += flowed ? "<div class=\"flowed\">\r\n" : "<div class=\"fixed\">\r\n";
            if (start) page.append(start, static_cast<size_t>(end - start));
            page += "</div>\r\n\r\n";
        }
    }
    if (opened) page += "</div>\r\n\r\n\r\n";
}

// The saved images, but those a frame above already shows.
void writeImageBlock(std::string& page, TMessageInfo& info, const SavedParts& saved) {
    std::string block;
    TPartIterator parts(&info.rootPart);
    while (const tagMessagePart* part = parts.next()) {
        if (part->kind != PartKind::Image || saved.imagesInFrames.count(part->fileName)) continue;
        if (block.empty()) block = "<div class=\"images\">\r\n";
        block += "<img src=\"attachments/" + attributeText(part->fileName) + "\">\r\n";
    }
    if (block.empty()) return;
    block += "</div>\r\n\r\n";
    page += block;
}

}  // namespace

void writeHtmlMessage(TargetFolder& target, TMessageInfo& info) {
    ArchiveWriter& writer = target.writer();
    JobRun& run = writer.run();
    // A stop that came with the progress of this message: it is not archived.
    if (run.shouldStop()) {
        run.uncountMessage();
        return;
    }
    const ArchiveName name = archiveBaseName(info);
    const std::string attachmentDirectory = target.directory() + "attachments/";
    run.setMessageText(describeMessage(info, name.name));
    if (const int error = target.creationError()) {
        setLastSystemError(error);
        reportCreateFailure(run, target.directory() + name.name + name.stamp + ".html");
        return;
    }
    const std::string pagePath = claimArchivePath(run, writer.batch(), writer.archived(), writer.names(),
                                                  target.directory() + name.name + name.stamp, ".html",
                                                  target.subfolderPath(), info.contentKey);
    if (pagePath.empty()) return;

    SavedParts saved;
    prepareParts(writer, saved, info, name, attachmentDirectory);

    MessageFiles files(pagePath);
    if (!files.createMain(writer.temporaries())) {
        reportCreateFailure(run, pagePath);
        return;
    }
    // The page is made whole in memory: the catalogue reads its row from it.
    std::string page = headBuffer(info, target.pageSubfolder());
    writeAttachmentFiles(writer, info, saved, attachmentDirectory, files);
    writeAttachmentBlock(page, info);
    writeTextBlock(writer.decoder(), page, info, saved);
    writeImageBlock(page, info, saved);
    page += footBuffer(info);
    files.main().write(page);
    CatalogueRow row;
    if (writer.batch().catalogue()) {
        row = rowFromPage(page, writer.relativePath(pagePath));
        row.date = fileTimeToUnix(info.fileTime);
        row.contentKey = info.contentKey;
        setThreadIds(writer.decoder().charsets(), info, row);
    }
    finishArchiveFile(run, writer.batch(), std::move(files), info.fileTime, info.contentKey, std::move(row));
}

}  // namespace tessaly
