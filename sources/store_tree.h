// store_tree.h - the folder tree of a mail store while it is read: nodes,
// their display names and order, and the flat folder list made from them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sources/folder_info.h"
#include "sources/mail_stores.h"

namespace tessaly {

// How deep the readers go below a store's root. Symbolic links to folders
// are never followed, so this only bounds absurdly deep real trees.
constexpr int kMaxStoreDepth = 64;

struct StoreNode {
    std::string name;  // as the mail program shows it, UTF-8
    FolderStorage storage = FolderStorage::None;
    std::string directory;  // the folder (Maildir, MH) or the mailbox file's folder
    std::string fileName;   // the mailbox file (File)
    std::vector<StoreNode> children;
};

struct StoreTree {
    std::vector<StoreNode> top;
    // The top-level nodes are account headings (their children's storeName).
    bool accounts = false;
};

// folder + "/" + name.
std::string childPath(const std::string& folder, std::string_view name);
// The last "/"-separated part of a path ("" for "/").
std::string lastPathPart(std::string_view path);

// The path with links resolved, to know a place met twice under two names
// (~/Mail a link to ~/Maildir); the path itself when that fails.
std::string resolvedPath(const std::string& path);

// A folder's name from its file name: valid UTF-8 always (bytes that are
// not UTF-8 read as windows-1252), and modified UTF-7 decoded for stores
// that keep IMAP names.
std::string folderDisplayName(std::string_view fileName, bool imapNames);

// The child of `nodes` named `name`, added (storage None) when missing.
StoreNode& childNamed(std::vector<StoreNode>& nodes, const std::string& name);

// Sorts every level: the names in `leading` first, in that order (A-Z and
// a-z alike), then the others by name, ignoring ASCII case. Levels below
// the first put only "Inbox" first.
void sortStoreNodes(std::vector<StoreNode>& nodes, const std::vector<std::string_view>& leading = {"Inbox"});

// Whether the tree holds a folder with messages of its own (not only headings).
bool hasMailFolder(const std::vector<StoreNode>& nodes);

// The folder list of a tree, parents before children, with message counts.
std::vector<StoreFolder> flattenStoreTree(const StoreTree& tree);

}  // namespace tessaly
