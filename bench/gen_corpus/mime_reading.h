// mime_reading.h - reading back the MIME the generator writes: header
// fields, parameters (RFC 2231 too), encoded words, transfer encodings and
// the two character sets it uses, all to UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::bench {

struct HeaderField {
    std::string name;   // as written
    std::string value;  // unfolded, without the line end
};

// The fields of a header block (lines ending in LF; continuation lines
// start with a blank or a tab).
std::vector<HeaderField> headerFields(std::string_view block);
// The first field named `name` (any case).
std::optional<std::string> fieldValue(const std::vector<HeaderField>& fields, std::string_view name);

// A Content-Type or Content-Disposition value: "type/subtype" (lower case)
// or the disposition, and its parameters with RFC 2231 sections joined and
// decoded.
struct MimeValue {
    std::string value;
    std::vector<std::pair<std::string, std::string>> parameters;  // names in lower case
    std::optional<std::string> parameter(std::string_view name) const;
};
MimeValue parseMimeValue(std::string_view text);

// Bytes of `charset` as UTF-8: ISO-8859-1 (and Windows-1252 alike)
// converted; UTF-8 and US-ASCII kept, or read as ISO-8859-1 when they are
// no valid UTF-8.
std::string utf8Of(std::string_view bytes, std::string_view charset);
bool isUtf8(std::string_view bytes);

// RFC 2047 encoded words decoded to UTF-8; other text as UTF-8 (or
// ISO-8859-1 when it is no UTF-8).
std::string decodeEncodedWords(std::string_view text);

std::string decodeBase64(std::string_view text);
std::string decodeQuotedPrintable(std::string_view text);

// "Tue, 8 Dec 2026 05:28:44 +0100" (weekday and zone comment optional) as
// seconds since 1970; 0 when it is not such a date.
int64_t parseHeaderDate(std::string_view text);

// One mailbox of an address field: its display name (decoded) and address.
struct Mailbox {
    std::string name;
    std::string address;
};
std::vector<Mailbox> parseMailboxes(std::string_view field);

}  // namespace tessaly::bench
