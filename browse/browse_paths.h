// browse_paths.h - where the files derived from an archive lie (the
// catalogue, the browse pages, the search files) and how the pages link
// to each other and to the messages.
//
// Everything derived sits in one hidden folder of the archive root, which
// no archive folder can take (folder names never start ".tessaly"), except
// the two pages a person opens first: index.html and search.html.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaly {

// The derived folder's name in the archive root.
inline constexpr std::string_view kDerivedFolder = ".tessaly";

// "<root>/.tessaly/browse/<dir>": the pages of the archive folder `dir`
// ("" for the root, else ending in "/"), ending in "/".
std::string folderPagesPath(const std::string& root, const std::string& dir);
// The same, relative to the root.
std::string folderPagesRelative(const std::string& dir);

// The folder of each label's pages, relative to the root:
// ".tessaly/labels/<key>/", the key made from the label so that its pages
// keep their place while the archive grows; among `labels` (sorted, each
// once) no two share one.
std::unordered_map<std::string, std::string> labelPagesFolders(const std::vector<std::string>& labels);

// "<root>/.tessaly/search/", ending in "/".
std::string searchFilesPath(const std::string& root);

// The link from a page at `fromRelative` to the file at `toRelative`, both
// relative to the archive root and using "/": "../" for every folder of
// `fromRelative`, then `toRelative` percent-encoded for an href.
std::string relativeLink(std::string_view fromRelative, std::string_view toRelative);

// `path` with every byte an href cannot hold as it is percent-encoded
// ("%", "#", "?", blanks, quotes, bytes above 127 ...); "/" is kept.
std::string urlPath(std::string_view path);

}  // namespace tessaly
