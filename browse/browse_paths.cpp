// browse_paths.cpp - the places of the derived files and the links between
// them.
#include "browse/browse_paths.h"

namespace tessaly {

std::string folderPagesRelative(const std::string& dir) {
    return std::string(kDerivedFolder) + "/browse/" + dir;
}

std::string folderPagesPath(const std::string& root, const std::string& dir) {
    return root + "/" + folderPagesRelative(dir);
}

std::string searchFilesPath(const std::string& root) { return root + "/" + std::string(kDerivedFolder) + "/search/"; }

std::string urlPath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || std::string_view("/-._~!$()*,;=:@+").find(c) !=
                                                                 std::string_view::npos;
        if (plain && byte != 0) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string relativeLink(std::string_view fromRelative, std::string_view toRelative) {
    std::string link;
    for (const char c : fromRelative) {
        if (c == '/') link += "../";
    }
    return link + urlPath(toRelative);
}

}  // namespace tessaly
