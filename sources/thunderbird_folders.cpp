// thunderbird_folders.cpp - walking a Thunderbird account's folder: mailbox
// files, Maildir folders and their .sbd subfolder folders.
#include "sources/thunderbird_folders.h"

#include <map>

#include "platform/ascii.h"
#include "platform/files.h"
#include "sources/message_files.h"

namespace tessaly {

namespace {

constexpr std::string_view kSubfolders = ".sbd";

// What one name in an account folder stands for.
struct Found {
    bool mailbox = false;
    bool maildir = false;
    std::string subfolders;  // the NAME.sbd folder
};

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && equalsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::vector<StoreNode> walk(const std::string& folder, const ThunderbirdAccount& account, int depth) {
    std::vector<StoreNode> nodes;
    std::vector<FolderEntry> entries;
    if (depth >= kMaxStoreDepth || !listFolder(folder, entries)) return nodes;
    std::map<std::string, Found> found;
    for (const FolderEntry& entry : entries) {
        const std::string& name = entry.name;
        if (name.empty() || name[0] == '.') continue;
        if (!entry.isFolder) {
            if (!account.maildirStore && isThunderbirdMailboxName(name)) found[name].mailbox = true;
        } else if (entry.isLink) {
            continue;  // never followed: a link may lead back up the tree
        } else if (name.size() > kSubfolders.size() && name.ends_with(kSubfolders)) {
            found[name.substr(0, name.size() - kSubfolders.size())].subfolders = childPath(folder, name);
        } else if (!name.ends_with(".mozmsgs") && isMaildirFolder(childPath(folder, name))) {
            found[name].maildir = true;
        }
    }
    for (const auto& [name, what] : found) {
        StoreNode node;
        node.name = folderDisplayName(name, account.imapNames);
        if (depth == 0 && equalsIgnoringCase(node.name, "Inbox")) node.name = "Inbox";
        if (what.mailbox) {
            node.storage = FolderStorage::File;
            node.directory = folder;
            node.fileName = name;
        } else if (what.maildir) {
            node.storage = FolderStorage::Maildir;
            node.directory = childPath(folder, name);
        }
        if (!what.subfolders.empty()) node.children = walk(what.subfolders, account, depth + 1);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

}  // namespace

bool isThunderbirdMailboxName(std::string_view name) {
    if (name.empty() || name[0] == '.' || startsWithIgnoringCase(name, "nstmp")) return false;
    static constexpr std::string_view kOwnFiles[] = {
        ".msf", ".dat", ".json", ".sqlite", ".sqlite-journal", ".sqlite-wal", ".sqlite-shm", ".html",
        ".js",  ".mab", ".rdf",  ".tmp",    ".bak",            ".lock",       ".log",        ".sbd",
    };
    for (const std::string_view suffix : kOwnFiles) {
        if (endsWithIgnoringCase(name, suffix)) return false;
    }
    return true;
}

std::vector<StoreNode> thunderbirdFolders(const ThunderbirdAccount& account) {
    std::vector<StoreNode> nodes = walk(account.directory, account, 0);
    sortStoreNodes(nodes);
    return nodes;
}

StoreTree thunderbirdTree(const std::string& profile) {
    StoreTree tree;
    tree.accounts = true;
    for (const ThunderbirdAccount& account : thunderbirdAccounts(profile)) {
        StoreNode heading;
        heading.name = account.name;
        heading.children = thunderbirdFolders(account);
        if (!heading.children.empty()) tree.top.push_back(std::move(heading));
    }
    return tree;
}

}  // namespace tessaly
