// mime_writer.cpp - headers, encoded words, quoted-printable and base64 of
// a written MIME message.
#include "message/mime_writer.h"

#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

bool isPlainAscii(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32 || u > 126) return false;
    }
    return true;
}

void appendBase64(std::string& out, std::string_view bytes, size_t lineLength) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    size_t column = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
        const auto c = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0u;
        out += kAlphabet[a >> 2];
        out += kAlphabet[((a & 3) << 4) | (b >> 4)];
        out += i + 1 < bytes.size() ? kAlphabet[((b & 15) << 2) | (c >> 6)] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[c & 63] : '=';
        column += 4;
        if (lineLength && column >= lineLength && i + 3 < bytes.size()) {
            out += "\r\n";
            column = 0;
        }
    }
}

// One RFC 2047 "B" word: readers join adjacent words in different ways,
// but all read one word alike.
std::string encodedWords(std::string_view text) {
    std::string out = "=?UTF-8?B?";
    appendBase64(out, text, 0);
    out += "?=";
    return out;
}

// Line breaks and other controls have no place in one header value.
std::string oneLine(std::string_view text) {
    std::string out;
    for (const char c : text) out += static_cast<unsigned char>(c) < 32 ? ' ' : c;
    return trimWhite(out);
}

std::string headerValue(std::string_view value) {
    const std::string line = oneLine(value);
    return isPlainAscii(line) ? line : encodedWords(line);
}

// Quoted-printable with CR LF line ends and soft breaks before 76 columns.
void appendQuotedPrintable(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    size_t column = 0;
    auto put = [&](std::string_view piece) {
        if (column + piece.size() > 75) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n') {
            // A blank before a line break would be lost in transport.
            if (!out.empty() && (out.back() == ' ' || out.back() == '\t')) {
                const char blank = out.back();
                out.pop_back();
                --column;
                const char escaped[3] = {'=', kHex[static_cast<unsigned char>(blank) >> 4],
                                         kHex[static_cast<unsigned char>(blank) & 15]};
                put(std::string_view(escaped, 3));
            }
            out += "\r\n";
            column = 0;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 33 && u <= 126 && c != '=') || c == ' ' || c == '\t') {
            put(std::string_view(&c, 1));
        } else {
            const char escaped[3] = {'=', kHex[u >> 4], kHex[u & 15]};
            put(std::string_view(escaped, 3));
        }
    }
}

// A file name as a parameter value: quoted, or RFC 2231 for other than
// printable ASCII.
std::string nameParameter(std::string_view key, std::string_view name) {
    if (isPlainAscii(name) && name.find('"') == std::string_view::npos &&
        name.find('\\') == std::string_view::npos) {
        return std::string(key) + "=\"" + std::string(name) + "\"";
    }
    return std::string(key) + "*=UTF-8''" + percentEncoded(name, ".-_");
}

void appendPart(std::string& out, const MimePart& part) {
    switch (part.kind) {
        case MimePart::Kind::Text:
            out += "Content-Type: " + (part.contentType.empty() ? std::string("text/plain") : part.contentType) +
                   "; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n";
            break;
        case MimePart::Kind::Attachment:
            out += "Content-Type: " +
                   (part.contentType.empty() ? std::string("application/octet-stream") : oneLine(part.contentType));
            if (!part.fileName.empty()) out += "; " + nameParameter("name", part.fileName);
            out += "\r\nContent-Transfer-Encoding: base64\r\n";
            break;
        case MimePart::Kind::Message: out += "Content-Type: message/rfc822\r\n"; break;
    }
    if (!part.fileName.empty() && part.kind != MimePart::Kind::Text) {
        out += "Content-Disposition: attachment; " + nameParameter("filename", part.fileName) + "\r\n";
    }
    if (!part.contentId.empty()) out += "Content-ID: <" + oneLine(part.contentId) + ">\r\n";
    out += "\r\n";
    switch (part.kind) {
        case MimePart::Kind::Text: appendQuotedPrintable(out, part.bytes); break;
        case MimePart::Kind::Attachment: appendBase64(out, part.bytes, 76); break;
        case MimePart::Kind::Message: out += part.bytes; break;
    }
    if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0) out += "\r\n";
}

}  // namespace

std::string mimeAddress(std::string_view name, std::string_view address) {
    const std::string display = oneLine(name);
    const std::string where = oneLine(address);
    if (display.empty() || display == where) return where;
    std::string shown;
    if (!isPlainAscii(display)) {
        shown = encodedWords(display);
    } else if (display.find_first_of("()<>[]:;@\\,.\"") != std::string::npos) {
        shown = "\"";
        for (const char c : display) {
            if (c == '"' || c == '\\') shown += '\\';
            shown += c;
        }
        shown += '"';
    } else {
        shown = display;
    }
    return where.empty() ? shown : shown + " <" + where + ">";
}

std::string writeMimeMessage(const MimeMessage& message, std::string_view boundaryTag) {
    std::string out;
    for (const auto& [name, value] : message.headers) {
        if (value.empty()) continue;
        out += name + ": " + headerValue(value) + "\r\n";
    }
    out += "MIME-Version: 1.0\r\n";
    if (message.parts.size() <= 1) {
        appendPart(out, message.parts.empty() ? MimePart{MimePart::Kind::Text, "", "", "", ""} : message.parts.front());
        return out;
    }
    // "=_" never stands in quoted-printable or base64 text.
    const std::string boundary = "=_tessaly_" + std::string(boundaryTag);
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    for (const MimePart& part : message.parts) {
        out += "--" + boundary + "\r\n";
        appendPart(out, part);
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

}  // namespace tessaly
