// page_row.cpp - reading a message page back into a catalogue row.
#include "archive/page_row.h"

#include <cstdint>

#include "message/charsets.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr size_t npos = std::string_view::npos;

// A code point of a character reference; one no text may hold is U+FFFD.
void appendCodePoint(std::string& out, uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    appendUtf8(out, code);
}

// The entity at `text[pos]` ("&...;") appended to `out`; returns its
// length, or 0 when it is none the pages write (then "&" is kept as it is).
size_t appendEntity(std::string_view text, size_t pos, std::string& out) {
    const size_t semicolon = text.find(';', pos);
    if (semicolon == npos || semicolon - pos > 10) return 0;
    const std::string_view name = text.substr(pos + 1, semicolon - pos - 1);
    const size_t length = semicolon - pos + 1;
    if (name == "lt") {
        out += '<';
    } else if (name == "gt") {
        out += '>';
    } else if (name == "amp") {
        out += '&';
    } else if (name == "quot") {
        out += '"';
    } else if (name == "nbsp") {
        out += ' ';
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        uint32_t code = 0;
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return 0;
        for (const char c : digits) {
            const int value = hex ? hexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
            if (value < 0) return 0;
            code = code * (hex ? 16 : 10) + static_cast<uint32_t>(value);
            if (code > 0x10FFFF) code = 0x110000;
        }
        appendCodePoint(out, code);
    } else {
        return 0;
    }
    return length;
}

bool tagIs(std::string_view tag, std::string_view name) {
    if (tag.size() < name.size()) return false;
    if (!equalsIgnoringCase(tag.substr(0, name.size()), name)) return false;
    return tag.size() == name.size() || tag[name.size()] == ' ' || tag[name.size()] == '>' ||
           tag[name.size()] == '/';
}

// Entities resolved in attribute or row text (no tags inside).
std::string unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            const size_t length = appendEntity(text, i, out);
            if (length) {
                i += length - 1;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// "%XX" escapes of an href resolved.
std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
            hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

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
        attachment.path = dir + percentDecoded(unescaped(block.substr(start, quote - start)));
        attachment.name = plainTextOfHtml(block.substr(nameStart + 1, nameEnd - nameStart - 1));
        row.attachments.push_back(std::move(attachment));
        pos = nameEnd;
    }
}

std::string trimmedId(const std::string& id) {
    if (id.empty()) return id;
    return id.front() == '<' ? id : "<" + id + ">";
}

}  // namespace

std::string plainTextOfHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    size_t i = 0;
    while (i < html.size()) {
        // Plain runs go across whole; only tags, entities and CRs stop them.
        size_t stop = i;
        while (stop < html.size() && html[stop] != '<' && html[stop] != '&' && html[stop] != '\r') ++stop;
        out.append(html, i, stop - i);
        if (stop == html.size()) break;
        i = stop;
        const char c = html[i];
        if (c == '\r') {
            ++i;
        } else if (c == '<') {
            const size_t close = html.find('>', i);
            if (close == npos) break;
            const std::string_view tag = html.substr(i + 1, close - i - 1);
            if (tagIs(tag, "br") && (out.empty() || out.back() != '\n')) out += '\n';
            i = close + 1;
        } else {
            const size_t length = appendEntity(html, i, out);
            if (length) {
                i += length;
            } else {
                out += '&';
                ++i;
            }
        }
    }
    if (!isValidUtf8(out)) return ensureUtf8(out);
    return out;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

CatalogueRow rowFromPage(std::string_view page, const std::string& path) {
    CatalogueRow row;
    row.path = path;
    row.dir = directoryOf(path);
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
        row.text = plainTextOfHtml(page.substr(textsAt, end - textsAt));
        // Blank lines the page's blocks leave at either end.
        const size_t first = row.text.find_first_not_of("\n ");
        const size_t last = row.text.find_last_not_of("\n ");
        row.text = first == npos ? std::string() : row.text.substr(first, last - first + 1);
    }
    return row;
}

std::string threadIdsPath(const std::string& root) { return root + "/.tessaly/thread-ids.txt"; }

std::string threadIdsLine(const CatalogueRow& row) {
    if (row.messageId.empty() && row.inReplyTo.empty() && row.references.empty() && row.threadId.empty()) return {};
    std::string line = row.path;
    for (const std::string* field : {&row.messageId, &row.inReplyTo, &row.references, &row.threadId}) {
        line += '\t';
        // Ids hold no tabs or line ends; any that did would break the line.
        for (const char c : *field) line += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
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
        std::string_view fields[5];
        size_t from = 0;
        size_t count = 0;
        for (; count < 5; ++count) {
            const size_t tab = line.find('\t', from);
            fields[count] = line.substr(from, tab == npos ? npos : tab - from);
            if (tab == npos) break;
            from = tab + 1;
        }
        if (count != 4 || fields[0].empty()) continue;
        CatalogueRow& row = byPath[std::string(fields[0])];
        row.messageId = fields[1];
        row.inReplyTo = fields[2];
        row.references = fields[3];
        row.threadId = fields[4];
    }
}

}  // namespace tessaly
