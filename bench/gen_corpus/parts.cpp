// parts.cpp - text parts, multiparts, attachments and inline images.
#include "gen_corpus/parts.h"

#include <algorithm>
#include <cstdio>

#include "gen_corpus/encoding.h"
#include "gen_corpus/text.h"

namespace tessaly::bench {

namespace {

struct FileType {
    const char* contentType;
    const char* extension;
    std::string_view magic;  // the first bytes of such a file
    bool text;
};

using namespace std::string_view_literals;

const FileType kFileTypes[] = {
    {"application/pdf", ".pdf", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"sv, false},
    {"application/pdf", ".pdf", "%PDF-1.3\n"sv, false},
    {"image/jpeg", ".jpg", "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01\x00\x48"sv, false},
    {"image/jpeg", ".JPG", "\xFF\xD8\xFF\xE1\x1F\xFE" "Exif\x00\x00"sv, false},
    {"image/png", ".png", "\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR"sv, false},
    {"application/zip", ".zip", "PK\x03\x04\x14\x00\x00\x00\x08\x00"sv, false},
    {"application/x-zip-compressed", ".zip", "PK\x03\x04\x0A\x00"sv, false},
    {"application/msword", ".doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv, false},
    {"application/vnd.ms-excel", ".xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv, false},
    {"application/octet-stream", ".bin", ""sv, false},
    {"application/octet-stream", ".dat", "\x00\x01\x02\x03"sv, false},
    {"text/plain", ".txt", ""sv, true},
    {"text/plain", ".log", ""sv, true},
    {"text/csv", ".csv", ""sv, true},
};

// Names that trouble file systems and pages.
const char* const kOddNames[] = {
    "a:b?c*",  "con", "..\\..\\boot", "../../etc/passwd", "  leading blanks", "trailing dot.",
    "trailing blank ", "100% sure & <ok>", "semi;colon, comma", "\"quoted\" name", "#hash",
    ".hidden", "multiple...dots", "UPPER CASE", "tab\\there", "emoji?", "NUL", "lpt1",
};

const char* const kCharsetNames[] = {"report", "Übersicht", "résumé", "Größe März", "Привет мир", "日本語の資料"};

std::string makeBoundary(Random& random) {
    char buffer[64];
    switch (random.below(4)) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "----=_NextPart_000_%04X_%08X.%08X",
                          static_cast<unsigned>(random.below(0x10000)), static_cast<unsigned>(random.next()),
                          static_cast<unsigned>(random.next()));
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, "------------%012llX%012llX",
                          static_cast<unsigned long long>(random.below(1ull << 48)),
                          static_cast<unsigned long long>(random.below(1ull << 48)));
            break;
        case 2:
            std::snprintf(buffer, sizeof buffer, "Apple-Mail=_%08X-%04X-%04X",
                          static_cast<unsigned>(random.next()), static_cast<unsigned>(random.below(0x10000)),
                          static_cast<unsigned>(random.below(0x10000)));
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "=_%llx", static_cast<unsigned long long>(random.next()));
            break;
    }
    return buffer;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool isToken(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u >= 0x7F || std::string_view("()<>@,;:\\\"/[]?=").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// A file name (UTF-8) with the given extension.
std::string makeFileName(Random& random, const char* extension) {
    const uint64_t roll = random.below(100);
    std::string base;
    char buffer[40];
    if (roll < 30) {
        base = makeWord(random) + "_" + makeWord(random);
    } else if (roll < 45) {
        std::snprintf(buffer, sizeof buffer, "IMG_%04u", static_cast<unsigned>(random.below(10000)));
        base = buffer;
    } else if (roll < 60) {
        base = makeWord(random) + " " + makeWord(random) + " " + std::to_string(random.range(1995, 2026));
    } else if (roll < 72) {
        base = random.pick(kCharsetNames);
    } else if (roll < 88) {
        base = random.pick(kOddNames);
    } else if (roll < 93) {
        // A long name, yet short enough for a file system once decoded and
        // stamped.
        while (base.size() < 100) base += makeWord(random) + " ";
        base.pop_back();
    } else if (roll < 96) {
        return makeWord(random);  // no extension
    } else {
        std::snprintf(buffer, sizeof buffer, "Scan%08u", static_cast<unsigned>(random.below(100000000)));
        base = buffer;
    }
    return base + extension;
}

// The Content-Type and Content-Disposition lines naming `name` in one of
// the ways mail programs do.
std::string namingHeaders(Random& random, const std::string& contentType, const std::string& name,
                          const char* disposition) {
    const std::string type = "Content-Type: " + contentType;
    const std::string dispositionLine = std::string("Content-Disposition: ") + disposition;
    const bool ascii = isAscii(name);
    uint64_t style = random.below(100);
    if (!ascii && style < 40) style += 40;  // raw 8-bit names are left to the few
    if (style < 30) {
        return type + ";\n\tname=" + quoted(name) + "\n" + dispositionLine + ";\n\tfilename=" + quoted(name) + "\n";
    }
    if (style < 40) {
        if (isToken(name)) return type + "; name=" + name + "\n" + dispositionLine + "; filename=" + name + "\n";
        return type + "; name=" + quoted(name) + "\n";  // no disposition: older mailers
    }
    if (style < 55) {
        const std::string words = encodedWordsB("UTF-8", name);
        return type + ";\n\tname=\"" + words + "\"\n" + dispositionLine + ";\n\tfilename=\"" + words + "\"\n";
    }
    if (style < 63) {
        const std::string latin1 = latin1FromUtf8(name);
        const std::string words = encodedWordsQ("ISO-8859-1", latin1);
        return type + ";\n name=\"" + words + "\"\n" + dispositionLine + ";\n filename=\"" + words + "\"\n";
    }
    if (style < 78) {
        // RFC 2231 beside an encoded-word name, as Thunderbird writes both.
        return type + ";\n name=\"" + encodedWordsQ("UTF-8", name) + "\"\n" + dispositionLine +
               ";\n filename*=UTF-8''" + percentEncoded(name) + "\n";
    }
    if (style < 88) {
        // RFC 2231 continuations of at most 40 characters, never inside a %XX.
        const std::string encoded = percentEncoded(name);
        std::string out = type + "\n" + dispositionLine + ";";
        size_t at = 0;
        for (unsigned section = 0; at < encoded.size(); ++section) {
            size_t end = std::min(encoded.size(), at + 40);
            if (end < encoded.size() && encoded[end - 1] == '%') end -= 1;
            if (end < encoded.size() && end >= 2 && encoded[end - 2] == '%') end -= 2;
            out += "\n filename*" + std::to_string(section) + "*=" + (section == 0 ? "UTF-8''" : "") +
                   encoded.substr(at, end - at) + (end < encoded.size() ? ";" : "");
            at = end;
        }
        return out + "\n";
    }
    if (style < 94) {
        return type + "\n" + dispositionLine + "\n";  // no name at all
    }
    // Raw bytes in the name, ISO-8859-1 or UTF-8 unannounced.
    const std::string raw = random.chance(1, 2) ? latin1FromUtf8(name) : name;
    return type + "; name=" + quoted(raw) + "\n" + dispositionLine + "; filename=" + quoted(raw) + "\n";
}

// CR LF text of about `size` bytes, as text files made on Windows.
std::string textFile(Random& random, size_t size) {
    std::string out;
    while (out.size() < size) {
        for (const char c : wrapParagraph(makeParagraph(random, Letters::Ascii), 76, "", false)) {
            if (c == '\n') out += '\r';
            out += c;
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace

std::string renderPart(const Part& part) {
    std::string out;
    out.reserve(part.headers.size() + part.body.size() + 1);
    out += part.headers;
    out += '\n';
    out += part.body;
    return out;
}

Part textPart(std::string_view subtype, std::string_view charset, std::string_view text, Transfer transfer,
              std::string_view params) {
    Part part;
    part.headers = "Content-Type: text/" + std::string(subtype) + "; charset=" +
                   (charset == "ISO-8859-1" ? "\"iso-8859-1\"" : std::string(charset)) + std::string(params) + "\n";
    const std::string bytes = charset == "ISO-8859-1" ? latin1FromUtf8(text) : std::string(text);
    switch (transfer) {
        case Transfer::SevenBit:
            part.headers += "Content-Transfer-Encoding: 7bit\n";
            part.body = bytes;
            break;
        case Transfer::EightBit:
            part.headers += "Content-Transfer-Encoding: 8bit\n";
            part.body = bytes;
            break;
        case Transfer::QuotedPrintable:
            part.headers += "Content-Transfer-Encoding: quoted-printable\n";
            appendQuotedPrintable(part.body, bytes);
            break;
        case Transfer::Base64:
            part.headers += "Content-Transfer-Encoding: base64\n";
            appendBase64Lines(part.body, bytes);
            break;
    }
    return part;
}

Part multipart(Random& random, std::string_view subtype, const std::vector<Part>& children, std::string_view params) {
    const std::string boundary = makeBoundary(random);
    Part part;
    part.headers = "Content-Type: multipart/" + std::string(subtype) + ";" + std::string(params) +
                   "\n\tboundary=\"" + boundary + "\"\n";
    if (random.chance(1, 2)) part.body = "This is a multi-part message in MIME format.\n\n";
    size_t size = part.body.size();
    for (const Part& child : children) size += child.headers.size() + child.body.size() + boundary.size() + 8;
    part.body.reserve(size + boundary.size() + 8);
    for (const Part& child : children) {
        part.body += "--" + boundary + "\n";
        part.body += child.headers;
        part.body += '\n';
        part.body += child.body;
        part.body += '\n';
    }
    part.body += "--" + boundary + "--\n";
    return part;
}

Part attachmentPart(Random& random, AttachmentSizes& sizes, uint64_t& bytes) {
    const FileType& type = random.pick(kFileTypes);
    size_t size = 0;
    if (!type.text) sizes.credit += sizes.bigPerMille;
    if (!type.text && sizes.credit >= 1000) {
        sizes.credit -= 1000;
        const size_t low = size_t{512} << (10 + random.below(3));
        size = std::min<size_t>(low + random.below(low), 4u << 20);
    } else {
        const size_t low = size_t{1024} << (type.text ? random.skewed(5) : random.below(sizes.smallOctaves));
        size = low + random.below(low);
    }
    std::string content;
    if (type.text) {
        content = textFile(random, size);
    } else {
        content.reserve(size);
        content.append(type.magic.substr(0, size));
        random.appendBytes(content, size - content.size());
    }
    bytes += content.size();

    Part part;
    part.headers = namingHeaders(random, type.contentType, makeFileName(random, type.extension), "attachment");
    part.headers += "Content-Transfer-Encoding: base64\n";
    appendBase64Lines(part.body, content);
    return part;
}

Part imagePart(Random& random, const std::string& cid, unsigned number, uint64_t& bytes) {
    static const FileType kImages[] = {
        {"image/jpeg", ".jpg", "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00"sv, false},
        {"image/png", ".png", "\x89PNG\r\n\x1A\n"sv, false},
        {"image/gif", ".gif", "GIF89a"sv, false},
    };
    const FileType& type = random.pick(kImages);
    const size_t low = size_t{2048} << random.skewed(6);
    std::string content(type.magic);
    random.appendBytes(content, low + random.below(low));
    bytes += content.size();

    char name[32];
    std::snprintf(name, sizeof name, "image%03u%s", number, type.extension);
    Part part;
    part.headers = std::string("Content-Type: ") + type.contentType + ";\n\tname=\"" + name + "\"\n" +
                   "Content-Transfer-Encoding: base64\nContent-ID: <" + cid + ">\n";
    if (random.chance(1, 2)) part.headers += std::string("Content-Disposition: inline;\n\tfilename=\"") + name + "\"\n";
    appendBase64Lines(part.body, content);
    return part;
}

}  // namespace tessaly::bench
