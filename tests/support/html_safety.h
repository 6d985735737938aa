// html_safety.h - what in an HTML document could run or load, found by
// parsing it as a browser would: the check the sanitizer tests and its
// fuzz target apply to the safe copies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::test {

// One line per active or loading thing in `html`: a script, frame, form or
// foreign element, an event handler, a link that is not http, https or
// mailto, an image source that is not a relative file or inline raster
// data, CSS that names a URL, imports or escapes. Empty for a safe document.
std::vector<std::string> activeParts(std::string_view html);

}  // namespace tessaly::test
