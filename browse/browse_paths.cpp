// browse_paths.cpp - the places of the derived files and the links between
// them.
#include "browse/browse_paths.h"

#include "platform/ascii.h"

namespace tessaly {

std::string folderPagesRelative(const std::string& dir) {
    return std::string(kDerivedFolder) + "/browse/" + dir;
}

std::string folderPagesPath(const std::string& root, const std::string& dir) {
    return root + "/" + folderPagesRelative(dir);
}

std::string searchFilesPath(const std::string& root) { return root + "/" + std::string(kDerivedFolder) + "/search/"; }

std::string urlPath(std::string_view path) { return percentEncoded(path, "/-._~!$()*,;=:@+"); }

std::string relativeLink(std::string_view fromRelative, std::string_view toRelative) {
    std::string link;
    for (const char c : fromRelative) {
        if (c == '/') link += "../";
    }
    return link + urlPath(toRelative);
}

}  // namespace tessaly
