// search_page.h - the search page (search.html at the archive root) and its
// script (.tessaly/search.js), which the archive carries so that it
// searches from file:// with nothing but a browser.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Where the script lies, relative to the archive root.
inline constexpr std::string_view kSearchScriptPath = ".tessaly/search.js";

std::string searchPage();
std::string searchScript();

}  // namespace tessaly
