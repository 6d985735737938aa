// page_style.h - the stylesheet of the browse pages, ".tessaly/browse.css"
// in the archive root.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The archive-relative path every browse page links.
inline constexpr std::string_view kBrowseStylesheet = ".tessaly/browse.css";

// The default content: a proportional font at a comfortable size, light
// and dark colours (prefers-color-scheme), print rules.
std::string_view defaultBrowseStylesheet();

// Creates it in the archive `root` unless a file is there, so edits
// survive later runs. Failures are silent: the pages work without it.
void writeBrowseStylesheet(const std::string& root);

}  // namespace tessaly
