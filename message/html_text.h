// html_text.h - the text people read in HTML this program writes (page
// rows, page texts, problem lines): tags dropped, entities resolved.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// `html` as text: tags dropped, the named entities the program writes
// (&lt; &gt; &amp; &quot; &nbsp;) and numeric character references resolved
// (one no text may hold is U+FFFD), "<br>" a line end (a line end written
// right after it is not another), CRs dropped; the result is valid UTF-8.
std::string plainTextOfHtml(std::string_view html);

// Only the entities of `text` (an attribute value, say) resolved.
std::string htmlUnescaped(std::string_view text);

}  // namespace tessaly
