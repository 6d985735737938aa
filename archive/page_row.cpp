// page_row.cpp - reading a message page back into a catalogue row.
#include "archive/page_row.h"

#include <vector>

#include "message/html_text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr size_t npos = std::string_view::npos;

// The block that opens with `opening` at or after `from` and ends before
// the next `closing`; empty when there is none.
std::string_view blockOf(std::string_view page, std::string_view opening, std::string_view closing, size_t from = 0) {
    const size_t start = page.find(opening, from);
    if (start == npos) return {};
    const size_t body = start + opening.size();
    const size_t end = page.find(closing, body);
    return page.substr(body, (end == npos ? page.size() : end) - body);
}

struct HeaderRows {
    std::string to, cc, from, subject, messageId, folder;
    bool hasTo = false, hasCc = false;
};

// The rows "<div class="CLASS"><span class="title">..</span> <span
// class="value">VALUE</span></div>", one a line.
void readRows(std::string_view block, HeaderRows& rows) {
    constexpr std::string_view kRow = "<div class=\"";
    constexpr std::string_view kValue = "<span class=\"value\">";
    constexpr std::string_view kEnd = "</span></div>";
    size_t pos = 0;
    while ((pos = block.find(kRow, pos)) != npos) {
        const size_t classStart = pos + kRow.size();
        const size_t classEnd = block.find('"', classStart);
        size_t lineEnd = block.find('\n', classStart);
        if (lineEnd == npos) lineEnd = block.size();
        pos = lineEnd;
        if (classEnd == npos || classEnd > lineEnd) continue;
        const std::string_view line = block.substr(classStart, lineEnd - classStart);
        const size_t value = line.find(kValue);
        const size_t end = line.rfind(kEnd);
        if (value == npos || end == npos || end < value + kValue.size()) continue;
        const std::string_view cls = block.substr(classStart, classEnd - classStart);
        const std::string text =
            plainTextOfHtml(line.substr(value + kValue.size(), end - value - kValue.size()));
        if (cls == "to" || cls == "news") {
            rows.to = text;
            rows.hasTo = true;
        } else if (cls == "cc") {
            rows.cc = text;
            rows.hasCc = true;
        } else if (cls == "from") {
            rows.from = text;
        } else if (cls == "subject") {
            rows.subject = text;
        } else if (cls == "msgid") {
            rows.messageId = text;
        } else if (cls == "folder") {
            rows.folder = text;
        }
    }
}

void readAttachments(std::string_view block, const std::string& dir, CatalogueRow& row) {
    constexpr std::string_view kHref = "<a href=\"";
    size_t pos = 0;
    while ((pos = block.find(kHref, pos)) != npos) {
        const size_t start = pos + kHref.size();
        const size_t quote = block.find('"', start);
        if (quote == npos) break;
        const size_t nameStart = block.find('>', quote);
        const size_t nameEnd = nameStart == npos ? npos : block.find("</a>", nameStart);
        if (nameEnd == npos) break;
        CatalogueAttachment attachment;
        attachment.path = dir + percentDecoded(htmlUnescaped(block.substr(start, quote - start)));
        attachment.name = plainTextOfHtml(block.substr(nameStart + 1, nameEnd - nameStart - 1));
        row.attachments.push_back(std::move(attachment));
        pos = nameEnd;
    }
}

std::string trimmedId(const std::string& id) {
    if (id.empty()) return id;
    return id.front() == '<' ? id : "<" + id + ">";
}

// The page's own words on a folded frame ("Show the formatted version")
// are not the message's text.
std::string withoutSummaries(std::string_view texts) {
    std::string out;
    size_t from = 0;
    for (size_t at = texts.find("<summary>"); at != npos; at = texts.find("<summary>", from)) {
        out.append(texts.substr(from, at - from));
        const size_t close = texts.find("</summary>", at);
        from = close == npos ? texts.size() : close + 10;
    }
    out.append(texts.substr(from));
    return out;
}

}  // namespace

std::string rowDirectory(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

CatalogueRow rowFromPage(std::string_view page, const std::string& path) {
    CatalogueRow row;
    row.path = path;
    row.dir = rowDirectory(path);
    HeaderRows header;
    const size_t headersAt = page.find("<div class=\"headers\">");
    const size_t textsAt = page.find("<div class=\"texts\">");
    const size_t footersAt = page.rfind("<div class=\"footers\">");
    if (headersAt != npos && (textsAt == npos || headersAt < textsAt)) {
        readRows(blockOf(page, "<div class=\"headers\">", "</div>\r\n\r\n", headersAt), header);
    }
    HeaderRows footer;
    if (footersAt != npos && (textsAt == npos || footersAt > textsAt)) {
        readRows(page.substr(footersAt), footer);
    }
    row.from = header.from;
    row.subject = header.subject;
    row.to = footer.hasTo ? footer.to : header.to;
    row.cc = footer.hasCc ? footer.cc : header.cc;
    row.messageId = trimmedId(footer.messageId);
    row.folder = footer.folder;

    const size_t attachmentsAt = page.find("<div class=\"attachments\">");
    if (attachmentsAt != npos && (textsAt == npos || attachmentsAt < textsAt)) {
        readAttachments(blockOf(page, "<div class=\"attachments\">", "</div>", attachmentsAt), row.dir, row);
    }
    if (textsAt != npos) {
        size_t end = page.find("<div class=\"images\">", textsAt);
        if (end == npos) end = footersAt != npos && footersAt > textsAt ? footersAt : page.size();
        row.text = plainTextOfHtml(withoutSummaries(page.substr(textsAt, end - textsAt)));
        // Blank lines the page's blocks leave at either end.
        const size_t first = row.text.find_first_not_of("\n ");
        const size_t last = row.text.find_last_not_of("\n ");
        row.text = first == npos ? std::string() : row.text.substr(first, last - first + 1);
    }
    return row;
}

std::string threadIdsPath(const std::string& root) { return root + "/.tessaly/thread-ids.txt"; }

std::string threadIdsLine(const CatalogueRow& row) {
    if (row.messageId.empty() && row.inReplyTo.empty() && row.references.empty() && row.threadId.empty() &&
        row.labels.empty()) {
        return {};
    }
    std::string line = row.path;
    auto add = [&line](const std::string& field) {
        line += '\t';
        // Ids and labels hold no tabs or line ends; any that did would break the line.
        for (const char c : field) line += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    };
    for (const std::string* field : {&row.messageId, &row.inReplyTo, &row.references, &row.threadId}) add(*field);
    for (const std::string& label : row.labels) {
        if (!label.empty()) add(label);
    }
    return line + '\n';
}

void readThreadIds(std::string_view file, std::unordered_map<std::string, CatalogueRow>& byPath) {
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        if (end == npos) break;  // a line cut off by a crash
        const std::string_view line = file.substr(start, end - start);
        start = end + 1;
        std::vector<std::string_view> fields;
        for (size_t from = 0;;) {
            const size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab == npos ? npos : tab - from));
            if (tab == npos) break;
            from = tab + 1;
        }
        if (fields.size() < 5 || fields[0].empty()) continue;
        CatalogueRow& row = byPath[std::string(fields[0])];
        row.messageId = fields[1];
        row.inReplyTo = fields[2];
        row.references = fields[3];
        row.threadId = fields[4];
        row.labels.clear();
        for (size_t i = 5; i < fields.size(); ++i) {
            if (!fields[i].empty()) row.labels.emplace_back(fields[i]);
        }
    }
}

}  // namespace tessaly
