// mail_stores.cpp - finding the mail stores of Linux mail programs, telling
// what a folder a user names holds, and their folder lists.
#include "sources/mail_stores.h"

#include <set>
#include <string_view>

#include "platform/ascii.h"
#include "platform/files.h"
#include "sources/kmail_folders.h"
#include "sources/maildir_trees.h"
#include "sources/message_files.h"
#include "sources/mh_folders.h"
#include "sources/store_tree.h"
#include "sources/thunderbird_folders.h"
#include "sources/thunderbird_profiles.h"

namespace tessaly {

namespace {

// The headings Evolution and KMail give their local folders.
constexpr char kEvolutionHeading[] = "On This Computer";
constexpr char kKmailHeading[] = "Local Folders";

constexpr char kEvolutionPlace[] = "/.local/share/evolution/mail/local";
constexpr char kKmailPlace[] = "/.local/share/local-mail";
// Evolution's local folders wherever its data folder is.
constexpr std::string_view kEvolutionTail = "/evolution/mail/local";

StoreTree headed(const char* heading, std::vector<StoreNode> folders) {
    StoreTree tree;
    tree.accounts = true;
    if (folders.empty()) return tree;
    StoreNode node;
    node.name = heading;
    node.children = std::move(folders);
    tree.top.push_back(std::move(node));
    return tree;
}

StoreTree treeOf(const MailStore& store) {
    switch (store.kind) {
        case StoreKind::Thunderbird: return thunderbirdTree(store.root);
        case StoreKind::Maildir: return maildirTree(store.root);
        // Evolution writes the names as they are, not in modified UTF-7.
        case StoreKind::Evolution: return headed(kEvolutionHeading, maildirFolders(store.root, false));
        case StoreKind::KMail: return headed(kKmailHeading, kmailFolders(store.root));
        case StoreKind::MH: return {mhFolders(store.root), false};
    }
    return {};
}

bool holdsMail(const MailStore& store) { return hasMailFolder(treeOf(store).top); }

// The name profiles.ini next to (or above) a profile folder gives it.
std::string profileName(const std::string& folder) {
    const std::string parent = absolutePath(childPath(folder, ".."));
    for (const std::string& root : {parent, absolutePath(childPath(parent, ".."))}) {
        uint64_t size = 0;
        if (!readableFileSize(childPath(root, "profiles.ini"), size)) continue;
        for (const ThunderbirdProfile& profile : thunderbirdProfiles(root)) {
            if (profile.folder == folder) return profile.name;
        }
    }
    return folderDisplayName(lastPathPart(folder), false);
}

bool isProfileAt(const std::string& root) {
    uint64_t size = 0;
    if (readableFileSize(childPath(root, "prefs.js"), size)) return true;
    // A Maildir tree may hold a folder named "Mail"; a profile's Mail is none.
    return isThunderbirdProfileFolder(root) && !isMaildirFolder(root) && !isMaildirFolder(childPath(root, "Mail")) &&
           !isMaildirFolder(childPath(root, "ImapMail"));
}

// The usual names of trash, drafts, junk, templates and outbox folders in
// the mail programs whose stores are read (KMail's and Claws Mail's lower
// case ones compare the same).
bool isSetAsideName(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "Trash", "Deleted",   "Deleted Items", "Deleted Messages", "Bin",    "Drafts",          "Draft",
        "Junk",  "Spam",      "Junk E-mail",   "Junk Email",       "Bulk Mail", "Templates",    "Outbox",
        "Queue", "Unsent Messages",
    };
    for (const std::string_view set : kNames) {
        if (equalsIgnoringCase(name, set)) return true;
    }
    return false;
}

// Whether a name, or its last part after "." ("[Gmail].Trash" as
// offlineimap keeps it, "INBOX.Drafts"), is such a name.
bool isSetAsideFolderName(std::string_view name) {
    if (isSetAsideName(name)) return true;
    const size_t dot = name.rfind('.');
    return dot != std::string_view::npos && isSetAsideName(name.substr(dot + 1));
}

}  // namespace

const char* storeKindName(StoreKind kind) {
    switch (kind) {
        case StoreKind::Thunderbird: return "Thunderbird";
        case StoreKind::Maildir: return "Maildir";
        case StoreKind::Evolution: return "Evolution";
        case StoreKind::KMail: return "KMail";
        case StoreKind::MH: return "MH";
    }
    return "";
}

std::vector<MailStore> findMailStores(const std::string& home) {
    std::vector<MailStore> stores;
    if (home.empty()) return stores;
    std::set<std::string> seen;
    auto add = [&](MailStore store) {
        if (!isFolder(store.root) || seen.count(resolvedPath(store.root))) return false;
        if (!holdsMail(store)) return false;
        seen.insert(resolvedPath(store.root));
        stores.push_back(std::move(store));
        return true;
    };
    for (const std::string& root : thunderbirdRoots(home)) {
        for (const ThunderbirdProfile& profile : thunderbirdProfiles(root)) {
            add({StoreKind::Thunderbird, profile.name, profile.folder});
        }
    }
    for (const char* place : {"Maildir", "Mail", ".mail"}) {
        const std::string root = absolutePath(childPath(home, place));
        // Claws Mail and nmh keep MH folders in ~/Mail.
        if (!add({StoreKind::Maildir, place, root})) add({StoreKind::MH, place, root});
    }
    add({StoreKind::Evolution, kEvolutionHeading, absolutePath(home + kEvolutionPlace)});
    add({StoreKind::KMail, kKmailHeading, absolutePath(home + kKmailPlace)});
    const std::string mhRoot = mhProfileRoot(home);
    if (!mhRoot.empty()) add({StoreKind::MH, lastPathPart(mhRoot), mhRoot});
    return stores;
}

std::optional<MailStore> storeAt(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const std::string root = absolutePath(path);
    if (!isFolder(root)) return std::nullopt;
    uint64_t size = 0;
    if (readableFileSize(childPath(root, "profiles.ini"), size)) {
        const std::vector<ThunderbirdProfile> profiles = thunderbirdProfiles(root);
        if (!profiles.empty()) return MailStore{StoreKind::Thunderbird, profiles.front().name, profiles.front().folder};
    }
    if (isProfileAt(root)) return MailStore{StoreKind::Thunderbird, profileName(root), root};
    if (lastPathPart(root) == ".thunderbird") {
        // A Thunderbird folder that lost its profiles.ini.
        const std::vector<ThunderbirdProfile> profiles = thunderbirdProfiles(root);
        if (!profiles.empty()) return MailStore{StoreKind::Thunderbird, profiles.front().name, profiles.front().folder};
    }
    if (root.ends_with(kEvolutionTail)) {
        return MailStore{StoreKind::Evolution, kEvolutionHeading, root};
    }
    const std::string name = folderDisplayName(lastPathPart(root), false);
    if (name == "local-mail" || looksLikeKmailRoot(root)) return MailStore{StoreKind::KMail, kKmailHeading, root};
    for (const StoreKind kind : {StoreKind::Maildir, StoreKind::MH}) {
        MailStore store{kind, name, root};
        if (holdsMail(store)) return store;
    }
    return std::nullopt;
}

std::vector<StoreFolder> readStoreFolders(const MailStore& store) { return flattenStoreTree(treeOf(store)); }

bool isStoreFolderTickedByDefault(const StoreFolder& folder) {
    const TDbxFolderInfo& entry = folder.entry;
    if (entry.storage == FolderStorage::None || folder.messages == 0) return false;
    // Below a trash folder lie deleted folders.
    std::string_view ancestors = entry.parentPath;
    while (!ancestors.empty()) {
        const size_t slash = ancestors.find('/');
        if (isSetAsideFolderName(ancestors.substr(0, slash))) return false;
        ancestors.remove_prefix(slash == std::string_view::npos ? ancestors.size() : slash + 1);
    }
    return !isSetAsideFolderName(entry.name);
}

}  // namespace tessaly
