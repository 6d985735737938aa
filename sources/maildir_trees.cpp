// maildir_trees.cpp - reading Maildir, Maildir++ and nested Maildir trees.
#include "sources/maildir_trees.h"

#include <optional>
#include <string_view>

#include "platform/ascii.h"
#include "platform/files.h"
#include "sources/message_files.h"

namespace tessaly {

namespace {

// How many folder levels without a Maildir folder the nested walk crosses
// looking for one, so a root that holds much else is not walked whole.
constexpr int kMaxEmptyLevels = 4;

bool isMaildirPart(std::string_view name) { return name == "cur" || name == "new" || name == "tmp"; }

// The subfolders a walk may enter: real folders, not hidden, not a Maildir
// folder's own cur/, new/ and tmp/.
std::vector<std::string> plainSubfolders(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder || entry.isLink || entry.name.empty() || entry.name[0] == '.') continue;
        if (!isMaildirPart(entry.name)) names.push_back(entry.name);
    }
    return names;
}

// The Maildir++ folders among a folder's entries: ".Sent", ".Lists.debian".
std::vector<std::string> plusPlusFolders(const std::string& folder, const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder || entry.isLink || entry.name.size() < 2 || entry.name[0] != '.') continue;
        if (isMaildirFolder(childPath(folder, entry.name))) names.push_back(entry.name);
    }
    return names;
}

// Puts the Maildir++ folder `dirName` (".Lists.debian") into the tree.
void addPlusPlusFolder(std::vector<StoreNode>& top, const std::string& dirName, const std::string& path,
                       bool imapNames) {
    std::string_view rest = std::string_view(dirName).substr(1);
    std::vector<StoreNode>* level = &top;
    if (!rest.empty() && rest.front() == '.') {
        level = &childNamed(top, "Inbox").children;
        rest.remove_prefix(1);
    }
    std::vector<std::string> parts;
    while (!rest.empty()) {
        const size_t dot = rest.find('.');
        const std::string_view part = rest.substr(0, dot);
        if (!part.empty()) parts.push_back(folderDisplayName(part, imapNames));
        rest.remove_prefix(dot == std::string_view::npos ? rest.size() : dot + 1);
    }
    if (parts.empty()) parts.push_back(folderDisplayName(dirName, false));
    for (size_t i = 0; i + 1 < parts.size(); ++i) level = &childNamed(*level, parts[i]).children;
    StoreNode* node = &childNamed(*level, parts.back());
    if (node->storage != FolderStorage::None) {
        // Two folders whose names read the same ("Caf&AOk-" and "Café"): both stay.
        level->push_back(StoreNode{});
        node = &level->back();
        node->name = parts.back();
    }
    node->storage = FolderStorage::Maildir;
    node->directory = path;
}

std::optional<StoreNode> nestedFolder(const std::string& path, const std::string& name, bool imapNames, int depth,
                                      int emptyLevels) {
    if (depth >= kMaxStoreDepth) return std::nullopt;
    const bool maildir = isMaildirFolder(path);
    if (!maildir && emptyLevels >= kMaxEmptyLevels) return std::nullopt;
    StoreNode node;
    std::vector<FolderEntry> entries;
    if (listFolder(path, entries)) {
        // A folder may be a Maildir++ root of its own.
        if (maildir) {
            for (const std::string& sub : plusPlusFolders(path, entries)) {
                addPlusPlusFolder(node.children, sub, childPath(path, sub), imapNames);
            }
        }
        for (const std::string& sub : plainSubfolders(entries)) {
            if (std::optional<StoreNode> child =
                    nestedFolder(childPath(path, sub), sub, imapNames, depth + 1, maildir ? 0 : emptyLevels + 1)) {
                node.children.push_back(std::move(*child));
            }
        }
    }
    if (!maildir && node.children.empty()) return std::nullopt;
    node.name = folderDisplayName(name, imapNames);
    if (maildir) {
        node.storage = FolderStorage::Maildir;
        node.directory = path;
    }
    return node;
}

// Whether `folder` has Maildir++ folders in it.
bool hasPlusPlusFolders(const std::string& folder) {
    std::vector<FolderEntry> entries;
    return listFolder(folder, entries) && !plusPlusFolders(folder, entries).empty();
}

struct Level {
    std::vector<StoreNode> nodes;
    // The root, one of its Maildir++ folders or a direct subfolder is a
    // Maildir folder (a subfolder that is a Maildir++ root of its own is
    // rather an account).
    bool mailHere = false;
};

Level readLevel(const std::string& root, bool imapNames) {
    Level level;
    if (isMaildirFolder(root)) {
        StoreNode inbox;
        inbox.name = "Inbox";
        inbox.storage = FolderStorage::Maildir;
        inbox.directory = root;
        level.nodes.push_back(std::move(inbox));
        level.mailHere = true;
    }
    std::vector<FolderEntry> entries;
    if (!listFolder(root, entries)) return level;
    for (const std::string& sub : plusPlusFolders(root, entries)) {
        addPlusPlusFolder(level.nodes, sub, childPath(root, sub), imapNames);
        level.mailHere = true;
    }
    for (const std::string& sub : plainSubfolders(entries)) {
        std::optional<StoreNode> node = nestedFolder(childPath(root, sub), sub, imapNames, 1, 0);
        if (!node) continue;
        if (node->storage != FolderStorage::None && !hasPlusPlusFolders(node->directory)) level.mailHere = true;
        // Synchronising tools keep the server's "INBOX".
        if (equalsIgnoringCase(node->name, "Inbox")) node->name = "Inbox";
        level.nodes.push_back(std::move(*node));
    }
    return level;
}

}  // namespace

std::vector<StoreNode> maildirFolders(const std::string& root, bool imapNames) {
    std::vector<StoreNode> nodes = readLevel(root, imapNames).nodes;
    sortStoreNodes(nodes);
    return nodes;
}

StoreTree maildirTree(const std::string& root) {
    StoreTree tree;
    Level level = readLevel(root, true);
    if (level.mailHere || level.nodes.empty()) {
        tree.top = std::move(level.nodes);
        sortStoreNodes(tree.top);
        return tree;
    }
    // Every subfolder holds Maildir folders without being one: accounts.
    tree.accounts = true;
    std::vector<FolderEntry> entries;
    if (!listFolder(root, entries)) return tree;
    for (const std::string& sub : plainSubfolders(entries)) {
        StoreNode heading;
        heading.name = folderDisplayName(sub, false);
        heading.children = maildirFolders(childPath(root, sub), true);
        if (!heading.children.empty()) tree.top.push_back(std::move(heading));
    }
    sortStoreNodes(tree.top, {});
    return tree;
}

}  // namespace tessaly
