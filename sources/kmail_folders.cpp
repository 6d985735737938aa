// kmail_folders.cpp - reading KMail's local Maildir tree.
#include "sources/kmail_folders.h"

#include <map>
#include <set>

#include "message/charsets.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "sources/message_files.h"

namespace tessaly {

namespace {

struct SpecialName {
    std::string_view dir;
    std::string_view shown;
};

// In the order KMail lists them.
constexpr SpecialName kSpecial[] = {
    {"inbox", "Inbox"}, {"outbox", "Outbox"},       {"sent-mail", "Sent"},
    {"trash", "Trash"}, {"drafts", "Drafts"}, {"templates", "Templates"},
};

constexpr std::string_view kDirectoryEnd = ".directory";

// "NAME" for ".NAME.directory", else empty.
std::string subfolderOwner(std::string_view name) {
    if (name.size() <= kDirectoryEnd.size() + 1 || name[0] != '.' || !name.ends_with(kDirectoryEnd)) return {};
    return std::string(name.substr(1, name.size() - kDirectoryEnd.size() - 1));
}

std::vector<StoreNode> readLevel(const std::string& folder, bool top, int depth) {
    std::vector<StoreNode> nodes;
    std::vector<FolderEntry> entries;
    if (depth >= kMaxStoreDepth || !listFolder(folder, entries)) return nodes;
    std::map<std::string, std::string> subfolders;  // NAME -> .NAME.directory
    std::set<std::string> maildirs;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder || entry.isLink || entry.name.empty()) continue;
        if (entry.name[0] == '.') {
            const std::string owner = subfolderOwner(entry.name);
            if (!owner.empty()) subfolders[owner] = childPath(folder, entry.name);
        } else if (isMaildirFolder(childPath(folder, entry.name))) {
            maildirs.insert(entry.name);
        }
    }
    std::set<std::string> names = maildirs;
    for (const auto& [name, path] : subfolders) names.insert(name);
    for (const std::string& name : names) {
        StoreNode node;
        node.name = top ? kmailFolderName(name) : ensureUtf8(name);
        if (maildirs.count(name)) {
            node.storage = FolderStorage::Maildir;
            node.directory = childPath(folder, name);
        }
        const auto sub = subfolders.find(name);
        if (sub != subfolders.end()) node.children = readLevel(sub->second, false, depth + 1);
        if (node.storage == FolderStorage::None && node.children.empty()) continue;
        nodes.push_back(std::move(node));
    }
    return nodes;
}

}  // namespace

std::string kmailFolderName(std::string_view dirName) {
    for (const SpecialName& special : kSpecial) {
        if (dirName == special.dir) return std::string(special.shown);
    }
    return ensureUtf8(dirName);
}

std::vector<StoreNode> kmailFolders(const std::string& root) {
    std::vector<StoreNode> nodes = readLevel(root, true, 0);
    std::vector<std::string_view> order;
    for (const SpecialName& special : kSpecial) order.push_back(special.shown);
    sortStoreNodes(nodes, order);
    return nodes;
}

bool looksLikeKmailRoot(const std::string& root) {
    if (isMaildirFolder(root)) return false;
    std::vector<FolderEntry> entries;
    if (!listFolder(root, entries)) return false;
    bool inbox = false;
    bool outgoing = false;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder || entry.isLink) continue;
        const std::string owner = subfolderOwner(entry.name);
        if (!owner.empty() && isMaildirFolder(childPath(root, owner))) return true;
        if (!isMaildirFolder(childPath(root, entry.name))) continue;
        inbox = inbox || entry.name == "inbox";
        outgoing = outgoing || entry.name == "outbox" || entry.name == "sent-mail";
    }
    return inbox && outgoing;
}

}  // namespace tessaly
