// pst_message.cpp - a generated message as the personal-store writer takes it.
#include "gen_corpus/pst_message.h"

#include <cctype>
#include <vector>

#include "gen_corpus/mime_reading.h"

namespace tessaly::bench {

namespace {

std::string crlfOf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 30 + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

uint32_t codepageOf(const std::string& charset) {
    std::string name;
    for (const char c : charset) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "iso-8859-1") return 28591;
    if (name == "us-ascii") return 20127;
    if (name == "windows-1252") return 1252;
    return 65001;
}

// A part's header block and body: split at the first empty line.
void splitPart(std::string_view text, std::string_view& headers, std::string_view& body) {
    if (text.starts_with("\n")) {
        headers = {};
        body = text.substr(1);
        return;
    }
    const size_t blank = text.find("\n\n");
    headers = text.substr(0, blank == std::string_view::npos ? text.size() : blank + 1);
    body = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 2);
}

// The parts of a multipart body between its delimiter lines.
std::vector<std::string_view> childrenOf(std::string_view body, const std::string& boundary) {
    std::vector<std::string_view> children;
    const std::string delimiter = "--" + boundary;
    size_t at = body.starts_with(delimiter) ? 0 : body.find("\n" + delimiter);
    if (at == std::string_view::npos) return children;
    if (!body.starts_with(delimiter)) ++at;
    while (at < body.size()) {
        if (body.compare(at + delimiter.size(), 2, "--") == 0) break;
        const size_t lineEnd = body.find('\n', at);
        if (lineEnd == std::string_view::npos) break;
        const size_t next = body.find("\n" + delimiter, lineEnd);
        const size_t end = next == std::string_view::npos ? body.size() : next;
        children.push_back(body.substr(lineEnd + 1, end > lineEnd ? end - lineEnd - 1 : 0));
        if (next == std::string_view::npos) break;
        at = next + 1;
    }
    return children;
}

void addPart(test::PstMessage& message, std::string_view headers, std::string_view body, int depth) {
    if (headers.empty() && body.empty()) return;  // an empty part holds nothing to keep
    const std::vector<HeaderField> fields = headerFields(headers);
    MimeValue type = parseMimeValue(fieldValue(fields, "Content-Type").value_or("text/plain"));
    if (type.value.starts_with("multipart/")) {
        const std::optional<std::string> boundary = type.parameter("boundary");
        if (boundary && depth < 20) {
            for (const std::string_view child : childrenOf(body, *boundary)) {
                std::string_view childHeaders;
                std::string_view childBody;
                splitPart(child, childHeaders, childBody);
                addPart(message, childHeaders, childBody, depth + 1);
            }
            return;
        }
        type.value = "text/plain";  // no boundary to split at: the text as it is
    }
    std::string encoding = fieldValue(fields, "Content-Transfer-Encoding").value_or("");
    for (char& c : encoding) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string data = encoding == "base64"             ? decodeBase64(body)
                             : encoding == "quoted-printable" ? decodeQuotedPrintable(body)
                                                              : std::string(body);
    const MimeValue disposition = parseMimeValue(fieldValue(fields, "Content-Disposition").value_or(""));
    std::string name = disposition.parameter("filename").value_or(type.parameter("name").value_or(""));
    name = decodeEncodedWords(name);
    const std::string charset = type.parameter("charset").value_or("us-ascii");
    const bool inlineText = name.empty() && disposition.value != "attachment";
    if (inlineText && type.value == "text/plain" && message.body.empty()) {
        message.body = crlfOf(utf8Of(data, charset));
    } else if (inlineText && type.value == "text/html" && message.html.empty()) {
        message.html = data;
        message.htmlCodepage = codepageOf(charset);
    } else {
        test::PstAttachment attachment;
        attachment.fileName = name;
        attachment.mimeType = type.value;
        attachment.data = data;
        std::string id = fieldValue(fields, "Content-ID").value_or("");
        if (id.starts_with("<") && id.ends_with(">")) id = id.substr(1, id.size() - 2);
        attachment.contentId = id;
        message.attachments.push_back(std::move(attachment));
    }
}

}  // namespace

test::PstMessage pstMessageOf(std::string_view text) {
    std::string_view headers;
    std::string_view body;
    splitPart(text, headers, body);
    const std::vector<HeaderField> fields = headerFields(headers);

    test::PstMessage message;
    message.headers = crlfOf(headers) + "\r\n";
    message.subject = decodeEncodedWords(fieldValue(fields, "Subject").value_or(""));
    message.messageId = fieldValue(fields, "Message-ID").value_or("");
    message.deliveryTimeUnix = parseHeaderDate(fieldValue(fields, "Date").value_or(""));
    const std::vector<Mailbox> from = parseMailboxes(fieldValue(fields, "From").value_or(""));
    if (!from.empty()) {
        message.senderEmail = from[0].address;
        message.senderName = from[0].name.empty() ? from[0].address : from[0].name;
    }
    for (const Mailbox& to : parseMailboxes(fieldValue(fields, "To").value_or(""))) {
        if (!message.toNames.empty()) message.toNames += "; ";
        message.toNames += to.name.empty() ? to.address : to.name;
        if (message.toEmail.empty()) message.toEmail = to.address;
    }
    addPart(message, headers, body, 0);
    return message;
}

}  // namespace tessaly::bench
