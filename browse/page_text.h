// page_text.h - message text as the browse pages show it: escaped for HTML
// text and attribute values, always valid UTF-8, and the short forms the
// lists use (a sender's name, a text's first words).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// `text` made UTF-8 (ensureUtf8), control characters as blanks, and "<",
// ">", "&" and the double quote as entities: safe as element text and
// inside a double-quoted attribute value. Every text from a row (which may
// hold anything a message did) goes through it before reaching a page.
std::string pageText(std::string_view text);

// The name of an address ("Alice Example <alice@example.org>" -> "Alice
// Example", quotes removed); the address when there is no name; "(unknown)"
// for an empty text. Not escaped.
std::string personName(std::string_view address);

// The address inside "<...>" (or the whole trimmed text without one), in
// lower case: what makes two From texts the same correspondent.
std::string personKey(std::string_view address);

// The first `limit` bytes or so of `text` with runs of white space folded
// to one blank, cut at a UTF-8 character boundary, "..." appended when cut.
// Not escaped.
std::string textSnippet(std::string_view text, size_t limit);

// "1,234,567"
std::string countText(uint64_t count);
// "1 message", "2,000 messages": `count` and the noun, plural unless 1.
std::string countedText(uint64_t count, std::string_view one, std::string_view many);

}  // namespace tessaly
