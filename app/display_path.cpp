// display_path.cpp - shown form of folder paths and its inverse.
#include "app/display_path.h"

#include <string_view>
#include <vector>

#include "message/text.h"
#include "platform/ascii.h"
#include "platform/folders.h"

namespace tessaly {

namespace {

struct SpecialFolder {
    std::string path;  // without a trailing "/"
    std::string name;  // its last component
};

// The documents folder, then the desktop folder; one whose path cannot be
// found (or is the root itself) is left out.
std::vector<SpecialFolder> specialFolders() {
    std::vector<SpecialFolder> folders;
    for (const std::string& found : {documentsFolder(), desktopFolder()}) {
        const std::string path = withoutTrailingSlash(found);
        const std::string name = baseName(path);
        if (path.empty() || name.empty()) continue;
        folders.push_back({path, name});
    }
    return folders;
}

// `prefix` followed by "/" or the end of `text`.
bool startsWithComponent(std::string_view text, std::string_view prefix, bool ignoreCase) {
    if (text.size() < prefix.size()) return false;
    if (text.size() > prefix.size() && text[prefix.size()] != '/') return false;
    const std::string_view head = text.substr(0, prefix.size());
    return ignoreCase ? equalsIgnoringCase(head, prefix) : head == prefix;
}

}  // namespace

// Linux paths are case-sensitive, so the folder's path is matched exactly;
// the shown name may be typed in any case.
std::string displayPath(const std::string& path) {
    for (const SpecialFolder& folder : specialFolders()) {
        if (startsWithComponent(path, folder.path, false)) {
            return folder.name + path.substr(folder.path.size());
        }
    }
    return path;
}

std::string pathFromDisplay(const std::string& text) {
    for (const SpecialFolder& folder : specialFolders()) {
        if (startsWithComponent(text, folder.name, true)) {
            return folder.path + text.substr(folder.name.size());
        }
    }
    return text;
}

}  // namespace tessaly
