// html_nesting.h - a cheap bound on how deep an HTML text nests, taken
// before it is parsed.
#pragma once

#include <cstddef>
#include <string_view>

namespace tessaly {

// The offset of the start tag at which the elements left open in `html`
// would be more than `limit` deep, or html.size() when they never are.
// The tree builder checks the whole stack of open elements at every tag,
// so a text of 200,000 unclosed <div> takes minutes to parse; browsers cap
// the depth for the same reason. The count is an estimate from the tags
// alone: void elements do not open, an end tag closes up to the element of
// its name, and a p, li, dt, dd, tr, td, th or option closes one of its
// own name right above it, as the parser does.
size_t nestingLimitOffset(std::string_view html, size_t limit);

}  // namespace tessaly
