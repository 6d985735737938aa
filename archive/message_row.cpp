// message_row.cpp - catalogue rows from the message model.
#include "archive/message_row.h"

#include <optional>
#include <vector>

#include "archive/page_row.h"
#include "archive/size_limits.h"
#include "message/body_html.h"
#include "message/boundary_lines.h"
#include "message/charsets.h"
#include "message/gmail_labels.h"
#include "message/html_text.h"
#include "message/part_tree.h"
#include "message/problems.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/time.h"

namespace tessaly {

namespace {

std::string firstId(std::string_view value) {
    const std::string ids = messageIds(value);
    return ids.substr(0, ids.find(' '));
}

// A text part decoded and in UTF-8, line ends as LF.
std::string plainText(DecodeContext& decoder, const tagMessagePart& part) {
    const char* start = part.bodyStart;
    const char* end = part.bodyEnd;
    bool decoded = true;
    switch (part.bodyFormat) {
        case BodyFormat::QuotedPrintable: decoded = decodeQuotedPrintable(decoder, start, end); break;
        case BodyFormat::Base64: decoded = decodeBase64(decoder, start, end); break;
        case BodyFormat::Uuencode: decoded = decodeUuencode(decoder, start, end); break;
        case BodyFormat::Flowed: flowedToPlain(decoder, start, end); break;
        case BodyFormat::Enriched: enrichedToPlain(decoder, start, end); break;
        default: break;
    }
    if (!decoded || !start) {
        start = part.bodyStart;
        end = part.bodyEnd;
    }
    const std::string_view bytes(start, start ? static_cast<size_t>(end - start) : 0);
    const std::string label = mimeParameter(part.contentType, "charset").value_or("");
    std::string text = decoder.charsets().toUtf8(bytes, label);
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != '\r') out += c;
    }
    // The line ends an EML file may gain at its end are no text.
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ' || out.back() == '\t')) out.pop_back();
    return out;
}

// The last folder name of `dir` ("Inbox/Work/" gives "Work").
std::string folderOfDir(const std::string& dir) {
    if (dir.empty()) return {};
    const size_t slash = dir.rfind('/', dir.size() - 2);
    return dir.substr(slash == std::string::npos ? 0 : slash + 1, dir.size() - 1 - (slash == std::string::npos ? 0 : slash + 1));
}

void setIds(const TMessageInfo& info, CatalogueRow& row) {
    row.messageId = info.messageId.empty() ? std::string() : "<" + info.messageId + ">";
    row.inReplyTo = firstId(info.inReplyTo);
    row.references = messageIds(info.references);
    row.threadId = trimWhite(info.threadId);
}

// The X-Gmail-Labels field of the message's own header block.
std::optional<std::string> labelsField(const TMessageInfo& info) {
    const tagMessagePart& root = info.rootPart;
    const char* end = root.bodyStart ? root.bodyStart : root.bodyEnd;
    if (!root.headerStart || !end || end < root.headerStart) return std::nullopt;
    return gmailLabelsField(root.headerStart, end);
}

}  // namespace

std::string messageIds(std::string_view value) {
    std::string ids;
    size_t pos = 0;
    while ((pos = value.find('<', pos)) != std::string_view::npos) {
        const size_t close = value.find('>', pos);
        if (close == std::string_view::npos) break;
        const std::string_view id = value.substr(pos, close - pos + 1);
        if (id.size() > 2 && id.find_first_of(" \t\r\n<", 1) == std::string_view::npos) {
            if (!ids.empty()) ids += ' ';
            ids += id;
        }
        pos = close + 1;
    }
    return ids;
}

void setThreadIds(Charsets& charsets, const TMessageInfo& info, CatalogueRow& row) {
    setIds(info, row);
    const std::optional<std::string> field = labelsField(info);
    row.labels = field ? parseGmailLabels(charsets, *field) : std::vector<std::string>();
}

CatalogueRow rowFromMessage(DecodeContext& decoder, const TMessageInfo& info, const std::string& path) {
    CatalogueRow row;
    row.path = path;
    row.dir = rowDirectory(path);
    row.folder = folderOfDir(row.dir);
    row.date = fileTimeToUnix(info.fileTime);
    row.from = plainTextOfHtml(info.fromHtml);
    row.to = plainTextOfHtml(info.toHtml);
    row.cc = plainTextOfHtml(info.ccHtml);
    row.subject = info.subject;
    row.contentKey = info.contentKey;
    setThreadIds(decoder.charsets(), info, row);
    TPartIterator parts(const_cast<tagMessagePart*>(&info.rootPart));
    while (const tagMessagePart* part = parts.next()) {
        if (part->kind == PartKind::Text) {
            // The page leaves such a text to a file of its own; so does search.
            if (isLargeText(*part)) continue;
            if (!row.text.empty()) row.text += "\n\n";
            row.text += plainText(decoder, *part);
        } else if (part != &info.rootPart &&
                   (part->kind == PartKind::Attachment || part->kind == PartKind::Image ||
                    part->kind == PartKind::Html || part->kind == PartKind::Message)) {
            const std::string& name = part->declaredName.empty() ? part->fileName : part->declaredName;
            // Inside an EML file an attachment has no file or size of its own.
            if (!name.empty()) row.attachments.push_back({name, "", 0});
        }
    }
    return row;
}

CatalogueRow rowFromEml(DecodeContext& decoder, std::string_view eml, const std::string& path) {
    std::vector<TMarker> markers;
    scanBoundaryLines(eml.data(), eml.data() + eml.size(), markers, {});
    SilentProblems quiet;
    TMessageInfo info;
    buildPartTree(quiet, decoder.charsets(), info, eml.data(), eml.size(), markers);
    return rowFromMessage(decoder, info, path);
}

}  // namespace tessaly
