// part_headers.cpp - classification of one MIME part from its header values:
// content id, boundary, body format, kind, file name and image test.
#include <string>
#include <string_view>

#include "message/decoding.h"
#include "message/header_text.h"
#include "message/headers.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {
namespace {

bool contains(const std::string& text, std::string_view what) {
    return text.find(what) != std::string::npos;
}

// The boundary parameter as MIME libraries read it (mimeParameter: quoted
// or not, blanks or a folded line around "=", RFC 2231 forms). A value the
// parameter reading cannot place ("multipart/mixed boundary=x" without the
// ";") is still found by its name. An unquoted value ends at a blank, a ";"
// or a line break; trailing blanks are no part of a boundary (RFC 2046).
std::string boundaryOf(const std::string& contentType, const std::string& lowerType) {
    std::optional<std::string> value = mimeParameter(contentType, "boundary");
    if (!value) {
        const size_t found = lowerType.find("boundary=");
        if (found == std::string::npos) return {};
        const std::string_view rest = std::string_view(contentType).substr(found + 9);
        if (!rest.empty() && rest.front() == '"') {
            const std::string_view inner = rest.substr(1);
            value = std::string(inner.substr(0, inner.find('"')));
        } else {
            value = std::string(rest.substr(0, rest.find_first_of(" \t;\r\n")));
        }
    }
    while (!value->empty() && (value->back() == ' ' || value->back() == '\t')) value->pop_back();
    return *value;
}

BodyFormat bodyFormatOf(const std::string& ct, const std::string& te) {
    if (contains(te, "base64")) return BodyFormat::Base64;
    if (contains(te, "uuencode")) return BodyFormat::Uuencode;
    if (contains(ct, "binhex")) return BodyFormat::BinHex;
    if (contains(te, "quoted-printable")) return BodyFormat::QuotedPrintable;
    if (contains(ct, "format=flowed") || contains(ct, "format=\"flowed\"")) return BodyFormat::Flowed;
    if (contains(ct, "text/enriched")) return BodyFormat::Enriched;
    return BodyFormat::None;
}

// The kind the part had before embedded messages were opened: what keys
// the checksum and what message/rfc822 parts are next to other parts.
PartKind plainKindOf(const std::string& ct, const std::string& disposition, BodyFormat format) {
    if (contains(ct, "multipart/related")) return PartKind::Related;
    if (contains(ct, "multipart/alternative")) return PartKind::Alternative;
    if (contains(ct, "multipart")) return PartKind::Multipart;
    if (contains(asciiLower(disposition), "attachment")) return PartKind::Attachment;
    if (contains(ct, "text/plain")) return PartKind::Text;
    if (contains(ct, "text/html")) return PartKind::Html;
    // Untyped and unknown types count as text unless their body is encoded.
    if (format == BodyFormat::Base64 || format == BodyFormat::Uuencode ||
        format == BodyFormat::BinHex)
        return PartKind::Attachment;
    return PartKind::Text;
}

// Macintosh senders give a name without extension and the file's type and
// creator codes in hex (x-mac-creator=4D535744 is "MSWD"); the creator decides.
std::string withMacExtension(const std::string& fileName, const std::string& ct) {
    if (fileName.empty() || !extensionOf(fileName).empty()) return fileName;
    const std::string type = hexText(headerParameter(ct, "x-mac-type"));
    const std::string creator = hexText(headerParameter(ct, "x-mac-creator"));
    const MacExtensions extensions = macExtension(type, creator);
    if (!extensions.creatorExtension.empty())
        return replaceExtension(fileName, extensions.creatorExtension);
    if (!extensions.pairExtension.empty()) return replaceExtension(fileName, extensions.pairExtension);
    return fileName;
}

// An RFC 2231 name (filename*=UTF-8''..., or filename*0*= filename*1= ...),
// as modern mailers write them, in UTF-8 when it declares another charset.
// Empty when the value has none.
std::string extendedName(Charsets& charsets, const std::string& value, std::string_view key) {
    std::string charset;
    std::string name = extendedParameter(value, key, charset).value_or("");
    const std::string charsetKnown = charsetName(charset);
    if (!name.empty() && !charsetKnown.empty() && charsetKnown != "UTF-8") name = charsets.toUtf8(name, charset, false);
    return name;
}

// The file name of one header value: its RFC 2231 form when it has one (that
// is the name a mailer gives in full; a plain one beside it is a fallback
// for old readers), else the plain "filename=" or "name=".
std::string namedParameterOf(Charsets& charsets, const std::string& value, const char* first, const char* second) {
    std::string name = extendedName(charsets, value, first);
    if (name.empty()) name = extendedName(charsets, value, second);
    if (name.empty()) name = namedParameter(value);
    return name;
}

// The file name the disposition or, failing that, the type gives.
std::string nameParameter(Charsets& charsets, const std::string& disposition, const std::string& contentType) {
    std::string name = namedParameterOf(charsets, disposition, "filename", "name");
    if (name.empty()) name = namedParameterOf(charsets, contentType, "name", "filename");
    return name;
}

}  // namespace

void classifyPart(Charsets& charsets, tagMessagePart& part) {
    const std::string rawDisposition = part.disposition;
    const std::string rawContentType = part.contentType;
    if (!part.contentId.empty()) part.contentId = "cid:" + stripEnclosing(part.contentId);
    if (!part.transferEncoding.empty()) part.transferEncoding = decodeWords(part.transferEncoding);
    if (!part.disposition.empty()) part.disposition = decodeWords(part.disposition);
    if (!part.contentType.empty()) part.contentType = decodeWords(part.contentType);

    const std::string ct = asciiLower(part.contentType);
    const std::string te = asciiLower(part.transferEncoding);

    part.boundary = boundaryOf(part.contentType, ct);
    part.bodyFormat = bodyFormatOf(ct, te);
    part.kind = plainKindOf(ct, part.disposition, part.bodyFormat);
    // A forwarded or attached message: saved whole, its parts opened.
    if (part.kind != PartKind::Multipart && part.kind != PartKind::Alternative && part.kind != PartKind::Related &&
        contains(ct, "message/rfc822")) {
        part.keysAsText = part.kind == PartKind::Text;
        part.kind = PartKind::Message;
    }

    std::string name = nameParameter(charsets, part.disposition, part.contentType);
    // A name that is not UTF-8 is read in its words' charsets, else in the
    // part's own, else as windows-1252; ASCII and UTF-8 names stay as they
    // always were.
    if (!isValidUtf8(name)) {
        const std::string charset = mimeParameter(part.contentType, "charset").value_or("");
        name = ensureUtf8(nameParameter(charsets, headerNameText(charsets, rawDisposition, charset),
                                        headerNameText(charsets, rawContentType, charset)));
    }
    part.fileName = baseName(name);
    part.declaredName = part.fileName;
    part.fileName = withMacExtension(part.fileName, ct);

    const std::string extension = asciiLower(extensionOf(part.fileName));
    if (part.kind != PartKind::Message && (extension == ".gif" || extension == ".jpg" || extension == ".jpeg")) {
        part.kind = PartKind::Image;
    }
}

}  // namespace tessaly
