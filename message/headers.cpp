// headers.cpp - parseHeaders: keeps the recognised fields of a header block
// and reports a malformed one.
#include "message/headers.h"

#include <string>
#include <string_view>

#include "message/header_scanner.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {
namespace {

// Names match without regard to case, and only at exactly their length.
bool isField(std::string_view name, std::string_view wanted) { return equalsIgnoringCase(name, wanted); }

// Everything the parser fills; the caller's checksumKey, folderName and
// part tree stay.
void clearHeaderValues(TMessageInfo& info) {
    info.to.clear();
    info.toHtml.clear();
    info.toShortHtml.clear();
    info.toName.clear();
    info.isNews = false;
    info.cc.clear();
    info.ccHtml.clear();
    info.ccShortHtml.clear();
    info.ccName.clear();
    info.from.clear();
    info.fromHtml.clear();
    info.fromName.clear();
    info.fromAddress.clear();
    info.fromTitle.clear();
    info.toTitle.clear();
    info.subject.clear();
    info.subjectName.clear();
    info.date.clear();
    info.received.clear();
    info.hasReceived = false;
    info.fileTime = FILETIME{};
    info.sentTime = SYSTEMTIME{};
    info.messageId.clear();
    info.inReplyTo.clear();
    info.references.clear();
    info.threadId.clear();
}

void storeMessageField(TMessageInfo& info, std::string_view name, std::string_view value) {
    if (isField(name, "Received")) {
        if (info.received.empty()) info.received = value;  // the topmost one
    } else if (isField(name, "To")) {
        info.to = value;
    } else if (isField(name, "Cc")) {
        info.cc = value;
    } else if (isField(name, "Newsgroups")) {
        info.to = value;
        info.isNews = true;
    } else if (isField(name, "From")) {
        info.from = value;
    } else if (isField(name, "Subject")) {
        info.subject = value;
    } else if (isField(name, "Date")) {
        info.date = value;
    } else if (isField(name, "Message-id")) {
        info.messageId = value;
    } else if (isField(name, "In-reply-to")) {
        info.inReplyTo = value;
    } else if (isField(name, "References")) {
        info.references = value;
    } else if (isField(name, "X-gm-thrid")) {
        info.threadId = value;
    }
}

void storePartField(tagMessagePart& part, std::string_view name, std::string_view value) {
    if (isField(name, "Content-id"))
        part.contentId = value;
    else if (isField(name, "Content-type"))
        part.contentType = value;
    else if (isField(name, "Content-transfer-encoding"))
        part.transferEncoding = value;
    else if (isField(name, "Content-disposition"))
        part.disposition = value;
}

// The start of the block (up to 30 bytes, first line only, tabs left out),
// "...", and up to 5 bytes around the offending one with line ends and tabs
// made visible. `after` is the position right after the offending byte.
std::string malformedExcerpt(const char* text, const char* end, const char* after) {
    std::string excerpt;
    const size_t size = static_cast<size_t>(end - text);
    for (size_t i = 0; i < size && i < 30; ++i) {
        const char c = text[i];
        if (c == '\0' || c == '\r' || c == '\n') break;
        if (c != '\t') excerpt += c;
    }
    excerpt += "...";
    const size_t afterOffset = static_cast<size_t>(after - text);
    const size_t windowStart = afterOffset > 5 ? afterOffset - 5 : afterOffset;
    for (size_t i = windowStart; i < size && i < windowStart + 5; ++i) {
        const char c = text[i];
        if (c == '\0') break;
        if (c == '\r')
            excerpt += "\\r";
        else if (c == '\n')
            excerpt += "\\n";
        else if (c == '\t')
            excerpt += "\\t";
        else
            excerpt += c;
    }
    return excerpt;
}

}  // namespace

void parseHeaders(ProblemReporter& problems, Charsets& charsets, TMessageInfo* info, tagMessagePart* part,
                  const char* text, const char* end, bool quiet) {
    if (info) clearHeaderValues(*info);
    if (part) initMessagePart(*part);
    if (!text || !end || end < text) end = text;

    // The headers of a MIME part alone (no message record) may lack the
    // blank line before their body.
    std::string_view contentType;  // its charset is the fall-back of raw header text
    const HeaderBlock block = scanHeaderBlock(
        text, end,
        [&](std::string_view name, std::string_view value) {
            if (info) storeMessageField(*info, name, value);
            if (part) storePartField(*part, name, value);
            if (isField(name, "Content-type")) contentType = value;
        },
        part && !info);

    if (block.malformedAt) {
        if (quiet) return;
        problems.messageProblem("Error: <a href=\"help:err_smtpheaders.html\">incorrect headers</a> - " +
                                htmlEscape(malformedExcerpt(text, end, block.malformedAt)));
    }

    if (info) finishMessageHeaders(problems, charsets, *info, mimeParameter(contentType, "charset").value_or(""));
    if (part) {
        part->headerStart = text;
        part->bodyStart = block.bodyStart;
        part->bodyEnd = end;
        classifyPart(charsets, *part);
    }
}

}  // namespace tessaly
