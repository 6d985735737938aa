// store_tree.cpp - store folder trees: names, order and the flat folder list.
#include "sources/store_tree.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "message/charsets.h"
#include "message/imap_utf7.h"
#include "platform/ascii.h"
#include "sources/mailbox_count.h"
#include "sources/message_files.h"

namespace tessaly {

namespace {

// Byte order of the names with A-Z folded; ties broken by the bytes.
bool nameBefore(const std::string& a, const std::string& b) {
    const std::string la = asciiLower(a);
    const std::string lb = asciiLower(b);
    return la != lb ? la < lb : a < b;
}

size_t leadingRank(const std::string& name, const std::vector<std::string_view>& leading) {
    for (size_t i = 0; i < leading.size(); ++i) {
        if (equalsIgnoringCase(name, leading[i])) return i;
    }
    return leading.size();
}

uint64_t messageCount(const StoreNode& node) {
    switch (node.storage) {
        case FolderStorage::File: return countMailboxMessages(childPath(node.directory, node.fileName));
        case FolderStorage::Maildir:
        case FolderStorage::MH: {
            TDbxFolderInfo entry;
            entry.storage = node.storage;
            entry.directory = node.directory;
            // Trashed Maildir messages are deleted mail, as the job sees them.
            const std::vector<MessageFile> files = folderMessageFiles(entry);
            return static_cast<uint64_t>(
                std::count_if(files.begin(), files.end(), [](const MessageFile& f) { return !f.trashed; }));
        }
        case FolderStorage::None: break;
    }
    return 0;
}

std::string joined(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + "/" + b;
}

void appendFolders(const std::vector<StoreNode>& nodes, const std::string& storeName, const std::string& parentPath,
                   int32_t depth, std::vector<StoreFolder>& out) {
    for (const StoreNode& node : nodes) {
        StoreFolder folder;
        TDbxFolderInfo& e = folder.entry;
        e.name = node.name;
        e.storeName = storeName;
        e.parentPath = parentPath;
        e.folderPath = joined(storeName, joined(parentPath, node.name));
        e.depth = depth;
        e.storage = node.storage;
        e.kind = node.storage == FolderStorage::None ? 0 : 6;
        e.directory = node.directory;
        e.fileName = node.fileName;
        folder.messages = messageCount(node);
        out.push_back(std::move(folder));
        if (depth < kMaxStoreDepth) {
            appendFolders(node.children, storeName, joined(parentPath, node.name), depth + 1, out);
        }
    }
}

}  // namespace

std::string childPath(const std::string& folder, std::string_view name) {
    const bool slashed = !folder.empty() && folder.back() == '/';
    return folder + (slashed ? "" : "/") + std::string(name);
}

std::string lastPathPart(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string resolvedPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

std::string folderDisplayName(std::string_view fileName, bool imapNames) {
    const std::string text = ensureUtf8(fileName);
    return imapNames ? decodeImapUtf7(text) : text;
}

StoreNode& childNamed(std::vector<StoreNode>& nodes, const std::string& name) {
    for (StoreNode& node : nodes) {
        if (node.name == name) return node;
    }
    nodes.push_back(StoreNode{});
    nodes.back().name = name;
    return nodes.back();
}

void sortStoreNodes(std::vector<StoreNode>& nodes, const std::vector<std::string_view>& leading) {
    std::stable_sort(nodes.begin(), nodes.end(), [&](const StoreNode& a, const StoreNode& b) {
        const size_t ra = leadingRank(a.name, leading);
        const size_t rb = leadingRank(b.name, leading);
        if (ra != rb) return ra < rb;
        if (a.name != b.name) return nameBefore(a.name, b.name);
        // Names that read the same keep one order, whatever the listing's.
        return std::tie(a.directory, a.fileName) < std::tie(b.directory, b.fileName);
    });
    for (StoreNode& node : nodes) sortStoreNodes(node.children);
}

bool hasMailFolder(const std::vector<StoreNode>& nodes) {
    return std::any_of(nodes.begin(), nodes.end(), [](const StoreNode& node) {
        return node.storage != FolderStorage::None || hasMailFolder(node.children);
    });
}

std::vector<StoreFolder> flattenStoreTree(const StoreTree& tree) {
    std::vector<StoreFolder> out;
    if (!tree.accounts) {
        appendFolders(tree.top, "", "", 0, out);
        return out;
    }
    for (const StoreNode& account : tree.top) {
        // A heading is the top of its own path, as the Outlook Express
        // store's top-level nodes are: no storeName of its own.
        StoreFolder heading;
        heading.entry.name = heading.entry.folderPath = account.name;
        heading.entry.storage = FolderStorage::None;
        heading.entry.kind = 0;
        out.push_back(std::move(heading));
        appendFolders(account.children, account.name, "", 1, out);
    }
    return out;
}

}  // namespace tessaly
