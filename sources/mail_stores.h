// mail_stores.h - the mail stores Linux mail programs keep for this user:
// Thunderbird profiles, Maildir trees, Evolution's and KMail's local mail,
// MH folders (Claws Mail, nmh). Found the way the Outlook Express
// identities are found on Windows, and read as a folder tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sources/folder_info.h"

namespace tessaly {

enum class StoreKind { Thunderbird, Maildir, Evolution, KMail, MH };

// The kind as lists and pages name it: "Thunderbird", "Maildir",
// "Evolution", "KMail", "MH".
const char* storeKindName(StoreKind kind);

struct MailStore {
    StoreKind kind = StoreKind::Maildir;
    // The profile's name (Thunderbird), the heading of the local folders
    // (Evolution: "On This Computer", KMail: "Local Folders"), else the
    // root folder's own name.
    std::string name;
    // The profile folder or the tree's root: absolute, no trailing "/".
    std::string root;
};

struct StoreFolder {
    // name, parentPath, storeName, folderPath (the folder's place in the
    // archive), depth, storage; directory and fileName say where it is:
    // a mailbox file (storage File), a Maildir or MH folder (directory), or
    // nothing for a folder without messages of its own (storage None, kind
    // 0): an account heading at depth 0, or a parent a store only implies.
    // As with Outlook Express stores, an account heading has no storeName
    // (its folderPath is its name); the folders below it have its name.
    // Thunderbird's accounts, Maildir roots of accounts and the local
    // folders of Evolution and KMail have headings; other stores do not.
    TDbxFolderInfo entry;
    // Messages the folder holds; deleted ones still in a mailbox file
    // (Thunderbird's Expunged flag) are not counted.
    uint64_t messages = 0;
};

// The stores of the user whose home folder is `home`, in a fixed order:
// Thunderbird profiles (~/.thunderbird, the Flatpak and Snap places; the
// default profile first), then ~/Maildir, ~/Mail, ~/.mail, Evolution's
// local mail, KMail's local mail. Only stores that exist and hold at least
// one folder are listed.
std::vector<MailStore> findMailStores(const std::string& home);

// The store at `path` when it is one: a Thunderbird profile folder, a
// Maildir or Maildir++ root, a KMail or MH tree, or a folder of such
// folders (an mbsync or offlineimap root with one folder per account).
std::optional<MailStore> storeAt(const std::string& path);

// The folder tree of `store`, parents before their children (the order a
// mail program shows it), with message counts. Unreadable parts are left
// out; nothing here throws.
std::vector<StoreFolder> readStoreFolders(const MailStore& store);

// Whether a store's folder page ticks a folder when nothing was chosen
// before: every folder with messages but the trash, drafts, junk,
// templates and outbox folders (by their usual names in these programs).
bool isStoreFolderTickedByDefault(const StoreFolder& folder);

}  // namespace tessaly
