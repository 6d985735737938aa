// text.h - small string operations shared by the parser and the writers:
// trimming, brackets, file-name-safe text, UTF-8 prefixes, paths, MIME parameters, hex text,
// Macintosh type extensions, the six-character key and HTML escaping.
//
// All are plain functions on byte strings (no character-set conversion);
// each returns a new string and leaves its argument unchanged. Paths are
// split at backslash, "/" and ":" alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// Without leading and trailing spaces, CRs, LFs and tabs.
std::string trimWhite(std::string_view text);

// Removes enclosing pairs ("" '' () <> []) while the text is at least three
// bytes long: "<id>" -> "id", "<\"x\">" -> "x", "<>" stays "<>".
std::string stripEnclosing(std::string_view text);

// Text fit for a file name: drops bytes 0..31 and " * / : < > ? \ |, folds
// runs of spaces to one, then trims.
std::string safeFileText(std::string_view text);

// The length of the longest start of `text` within `limit` bytes that does
// not end inside a UTF-8 sequence. Stray continuation bytes (text that is
// not UTF-8) are cut where the limit falls.
size_t utf8Prefix(std::string_view text, size_t limit);

// The text after the last backslash, "/" or ":"; the whole text when none.
std::string baseName(std::string_view path);
// The text before the last backslash, "/" or ":"; the whole text when none.
std::string directoryOf(std::string_view path);
// The path without one final backslash or "/".
std::string withoutTrailingSlash(std::string_view path);

// The extension with its dot when the last of ". \ / :" is a dot, else empty.
// "a.b/c" has none.
std::string extensionOf(std::string_view name);
// `name` with its extension (if any) replaced by `extension`, which carries
// its own dot; appended when the name has none.
std::string replaceExtension(std::string_view name, std::string_view extension);

// The text up to, not including, the first "+" or "-".
std::string textBeforeSign(std::string_view text);

// The value of `name`= in `value` (plain case-sensitive search; callers pass
// a lower-case header): a quoted value up to the next quote or the end, else
// the text up to the next space or the end. Empty when not found.
std::string headerParameter(std::string_view value, std::string_view name);

// The file name from a Content-disposition or Content-type value: the first
// ";"-separated piece (quotes respected) beginning, in any case, with
// "filename=" or "name="; its value without enclosing quotes. Empty if none.
std::string namedParameter(std::string_view value);

// The parameter `name` of a header value (`type/subtype; a=b; ...`) as MIME
// libraries read it: names in any case, blanks and folded line breaks
// around "=", a quoted value (backslash escapes undone) or a token up to a
// blank or ";", and the RFC 2231 forms name*=charset'lang'%XX and
// name*0=, name*1*= ... joined in order, percent escapes undone (the bytes
// are kept as they are). Null when the value has no such parameter. The
// charset an RFC 2231 value declares goes to `charset` (empty when none).
std::optional<std::string> mimeParameter(std::string_view value, std::string_view name,
                                         std::string* charset = nullptr);
// Only the RFC 2231 form of the parameter `name` (name*= or the numbered
// sections, read as mimeParameter reads them) and the charset it declares;
// null when the value has none or it comes out empty.
std::optional<std::string> extendedParameter(std::string_view value, std::string_view name, std::string& charset);

// Hexadecimal pairs to bytes (high digit first); an odd last byte is
// ignored; a pair that is not two hex digits becomes CR, LF and the pair.
std::string hexText(std::string_view text);

// Extensions for a Macintosh type and creator (four-character codes). The
// creator extension is preferred; the pair extension (which needs the type
// too) is the fall-back. Both empty for unknown codes.
struct MacExtensions {
    std::string creatorExtension;
    std::string pairExtension;
};
MacExtensions macExtension(std::string_view type, std::string_view creator);

// Six characters of "0123456789abcdefghijklmnopqrstuv", from bits 0-4,
// 5-9, ... 25-29 of `value`; bits 30 and 31 are unused.
std::string checksumKeyText(uint32_t value);

// Replaces "<", ">" and "&" by entities and nothing else (quotes stay).
// Every message or file-name text goes through it before reaching a page.
std::string htmlEscape(std::string_view text);

}  // namespace tessaly
