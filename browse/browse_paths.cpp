// browse_paths.cpp - the places of the derived files and the links between
// them.
#include "browse/browse_paths.h"

#include <cstdint>
#include <unordered_set>

#include "platform/ascii.h"

namespace tessaly {

std::string folderPagesRelative(const std::string& dir) {
    return std::string(kDerivedFolder) + "/browse/" + dir;
}

std::string folderPagesPath(const std::string& root, const std::string& dir) {
    return root + "/" + folderPagesRelative(dir);
}

std::unordered_map<std::string, std::string> labelPagesFolders(const std::vector<std::string>& labels) {
    std::unordered_map<std::string, std::string> folders;
    std::unordered_set<std::string> taken;
    for (const std::string& label : labels) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (const char c : label) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
        std::string key;
        for (int i = 0; i < 10; ++i, hash >>= 5) key += kDigits[hash & 31];
        std::string unique = key;
        for (int n = 2; !taken.insert(unique).second; ++n) unique = key + "-" + std::to_string(n);
        folders[label] = std::string(kDerivedFolder) + "/labels/" + unique + "/";
    }
    return folders;
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
