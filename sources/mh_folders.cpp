// mh_folders.cpp - reading MH folder trees and the nmh profile.
#include "sources/mh_folders.h"

#include <algorithm>
#include <optional>

#include "message/text.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessaly {

namespace {

// How many folder levels without an MH folder the walk crosses.
constexpr int kMaxEmptyLevels = 4;
// An nmh profile is a few lines.
constexpr size_t kMaxProfileBytes = 64 * 1024;

bool isMessageNumber(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           name.find_first_not_of('0') != std::string_view::npos;
}

bool isMhListing(const std::vector<FolderEntry>& entries) {
    static constexpr std::string_view kMarks[] = {".mh_sequences", ".claws_cache", ".claws_mark", ".sylpheed_cache",
                                                  ".sylpheed_mark"};
    return std::any_of(entries.begin(), entries.end(), [](const FolderEntry& e) {
        if (e.isFolder) return false;
        return isMessageNumber(e.name) || std::find(std::begin(kMarks), std::end(kMarks), e.name) != std::end(kMarks);
    });
}

std::vector<StoreNode> subfolders(const std::string& path, const std::vector<FolderEntry>& entries, int depth,
                                  int emptyLevels);

std::optional<StoreNode> readFolder(const std::string& path, const std::string& name, int depth, int emptyLevels) {
    std::vector<FolderEntry> entries;
    if (depth >= kMaxStoreDepth || !listFolder(path, entries)) return std::nullopt;
    const bool mh = isMhListing(entries);
    if (!mh && emptyLevels >= kMaxEmptyLevels) return std::nullopt;
    StoreNode node;
    node.children = subfolders(path, entries, depth, mh ? 0 : emptyLevels + 1);
    if (!mh && node.children.empty()) return std::nullopt;
    node.name = folderDisplayName(name, false);
    if (mh) {
        node.storage = FolderStorage::MH;
        node.directory = path;
    }
    return node;
}

std::vector<StoreNode> subfolders(const std::string& path, const std::vector<FolderEntry>& entries, int depth,
                                  int emptyLevels) {
    std::vector<StoreNode> nodes;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder || entry.isLink || entry.name.empty() || entry.name[0] == '.') continue;
        std::optional<StoreNode> node = readFolder(childPath(path, entry.name), entry.name, depth + 1, emptyLevels);
        if (node) nodes.push_back(std::move(*node));
    }
    return nodes;
}

}  // namespace

std::vector<StoreNode> mhFolders(const std::string& root) {
    std::vector<StoreNode> nodes;
    std::vector<FolderEntry> entries;
    if (!listFolder(root, entries)) return nodes;
    if (isMhListing(entries)) {
        std::optional<StoreNode> node = readFolder(root, lastPathPart(root), 0, 0);
        if (node) nodes.push_back(std::move(*node));
    } else {
        nodes = subfolders(root, entries, 0, 0);
    }
    for (StoreNode& node : nodes) {
        if (equalsIgnoringCase(node.name, "Inbox")) node.name = "Inbox";
    }
    sortStoreNodes(nodes);
    return nodes;
}

std::string mhProfilePath(std::string_view profile) {
    constexpr std::string_view kPath = "Path:";
    while (!profile.empty()) {
        const size_t lf = profile.find('\n');
        const std::string_view line = profile.substr(0, lf);
        profile.remove_prefix(lf == std::string_view::npos ? profile.size() : lf + 1);
        if (startsWithIgnoringCase(line, kPath)) return trimWhite(line.substr(kPath.size()));
    }
    return {};
}

std::string mhProfileRoot(const std::string& home) {
    const std::string path = childPath(home, ".mh_profile");
    std::string text;
    uint64_t size = 0;
    if (!readableFileSize(path, size)) return {};
    if (!readFileStart(path, static_cast<size_t>(std::min<uint64_t>(size, kMaxProfileBytes)), text, size)) return {};
    const std::string root = mhProfilePath(text);
    if (root.empty()) return {};
    return absolutePath(root.front() == '/' ? root : childPath(home, root));
}

}  // namespace tessaly
