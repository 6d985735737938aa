// html_page.cpp - the HTML page of one message: header rows, attachment
// links, inline texts and images, footer rows.
#include "archive/html_page.h"

#include <utility>
#include <vector>

#include "archive/attachments.h"
#include "archive/duplicates.h"
#include "archive/naming.h"
#include "message/attribute_text.h"
#include "message/body_html.h"
#include "message/decoding.h"
#include "message/text.h"
#include "platform/files.h"

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
    std::string out = "<html>\r\n<head>\r\n<title>";
    out += info.hasReceived ? info.fromName + " - " + info.subjectName
                            : info.toName + " (to) - " + info.subjectName;
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

// Converts a text body for the page; the range ends up in scratch space.
// Returns whether the block is "flowed" rather than "fixed".
bool convertText(DecodeContext& decoder, const tagMessagePart& part, const char*& start, const char*& end) {
    auto decodedOrRaw = [&](bool ok) {
        if (!ok || !start) {
            start = part.bodyStart;
            end = part.bodyEnd;
        }
    };
    switch (part.bodyFormat) {
        case BodyFormat::Flowed: flowedToHtml(decoder, start, end); return true;
        case BodyFormat::QuotedPrintable: quotedPrintableToHtml(decoder, start, end); return true;
        case BodyFormat::OutlookText: linesToParagraphs(decoder, start, end); return true;
        case BodyFormat::Base64: decodedOrRaw(decodeBase64(decoder, start, end)); break;
        case BodyFormat::Uuencode: decodedOrRaw(decodeUuencode(decoder, start, end)); break;
        case BodyFormat::Enriched: enrichedToPlain(decoder, start, end); break;
        default: break;
    }
    plainToHtml(decoder, start, end);
    return false;
}

void writeAttachmentBlock(OutputFile& file, TMessageInfo& info) {
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
    file.write(block);
}

// The text parts of the message `root` opens (the whole message, or one
// embedded in it), in the iterator's order, leaving out the messages
// embedded in it; those are appended to `embedded`, in the same order.
// The nearest Message part above `part` below `scope`'s parent, or null.
const tagMessagePart* enclosingMessage(const tagMessagePart& part, const tagMessagePart& scope) {
    for (const tagMessagePart* up = part.parent; up && up != scope.parent; up = up->parent) {
        if (up->kind == PartKind::Message) return up;
    }
    return nullptr;
}

std::vector<const tagMessagePart*> textsOf(const tagMessagePart& root, std::vector<const tagMessagePart*>& embedded) {
    std::vector<const tagMessagePart*> texts;
    TPartIterator parts(const_cast<tagMessagePart*>(&root));
    while (const tagMessagePart* part = parts.next()) {
        if (const tagMessagePart* message = enclosingMessage(*part, root)) {
            // The root of a message embedded in this one, not deeper.
            if (part->parent == message && !enclosingMessage(*message, root)) embedded.push_back(part);
            continue;
        }
        if (part->kind == PartKind::Text) texts.push_back(part);
    }
    return texts;
}

// Above the texts of an embedded message, its headers as the page's own.
void writeEmbeddedHeaders(OutputFile& file, const EmbeddedHeaders& headers) {
    std::string out = "<div class=\"headers\">\r\n";
    if (!headers.toHtml.empty()) addRow(out, "to", "To:", headers.toHtml);
    if (!headers.ccHtml.empty()) addRow(out, "cc", "Cc:", headers.ccHtml);
    addRow(out, "from", "From:", headers.fromHtml);
    addRow(out, "subject", "Subject:", htmlEscape(headers.subject));
    if (!headers.date.empty()) addRow(out, "date", "Date:", htmlEscape(headers.date));
    out += "</div>\r\n\r\n";
    file.write(out);
}

// The message's own texts, then each embedded message's headers and texts.
void writeTextBlock(DecodeContext& decoder, OutputFile& file, TMessageInfo& info) {
    bool opened = false;
    std::vector<const tagMessagePart*> roots{&info.rootPart};
    for (size_t i = 0; i < roots.size(); ++i) {
        const std::vector<const tagMessagePart*> texts = textsOf(*roots[i], roots);
        if (texts.empty()) continue;
        if (!opened) file.write("<div class=\"texts\">\r\n\r\n");
        opened = true;
        if (roots[i]->embedded) writeEmbeddedHeaders(file, *roots[i]->embedded);
        for (const tagMessagePart* part : texts) {
            const char* start = part->bodyStart;
            const char* end = part->bodyEnd;
            const bool flowed = convertText(decoder, *part, start, end);
            file.write(flowed ? "<div class=\"flowed\">\r\n" : "<div class=\"fixed\">\r\n");
            if (start) file.write(start, static_cast<size_t>(end - start));
            file.write("</div>\r\n\r\n");
        }
    }
    if (opened) file.write("</div>\r\n\r\n\r\n");
}

void writeImageBlock(OutputFile& file, TMessageInfo& info) {
    std::string block;
    TPartIterator parts(&info.rootPart);
    while (const tagMessagePart* part = parts.next()) {
        if (part->kind != PartKind::Image) continue;
        if (block.empty()) block = "<div class=\"images\">\r\n";
        block += "<img src=\"attachments/" + attributeText(part->fileName) + "\">\r\n";
    }
    if (block.empty()) return;
    block += "</div>\r\n\r\n";
    file.write(block);
}

}  // namespace

void writeHtmlMessage(TargetFolder& target, TMessageInfo& info) {
    ArchiveWriter& writer = target.writer();
    JobRun& run = writer.run();
    if (run.shouldStop()) return;
    const ArchiveName name = archiveBaseName(info);
    const std::string attachmentDirectory = target.directory() + "attachments/";
    run.setMessageText(describeMessage(info, name.name));
    const std::string pagePath = claimArchivePath(run, writer.batch(), writer.archived(),
                                                  target.directory() + name.name + name.stamp, ".html",
                                                  target.subfolderPath(), info.contentKey);
    if (pagePath.empty()) return;

    SavedParts saved;
    prepareParts(writer, saved, info, name, attachmentDirectory);

    MessageFiles files(pagePath);
    if (!files.createMain()) {
        reportCreateFailure(run, pagePath);
        return;
    }
    OutputFile& page = files.main();
    const std::string head = headBuffer(info, target.pageSubfolder());
    const std::string foot = footBuffer(info);
    page.write(head);
    writeAttachmentFiles(writer, info, saved, attachmentDirectory, files);
    writeAttachmentBlock(page, info);
    writeTextBlock(writer.decoder(), page, info);
    writeImageBlock(page, info);
    page.write(foot);
    finishArchiveFile(run, writer.batch(), std::move(files), info.fileTime, info.contentKey);
}

}  // namespace tessaly
