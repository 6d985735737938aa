// attribute_text.h - names from a message made safe inside a double-quoted
// HTML attribute value that links to a file (href, src, mailto targets).
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Percent-encodes "%", "#", "?", the double quote and bytes below 32 (so
// the link opens the file of that name and cannot end the attribute), and
// writes "&", "<" and ">" as entities. Other bytes pass unchanged.
std::string attributeText(std::string_view text);

}  // namespace tessaly
