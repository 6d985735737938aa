// maildir_trees.h - folder trees of Maildir folders: Maildir++ (".Sent",
// ".Lists.debian" beside the root's own cur/ and new/), nested folders
// (mbsync, offlineimap: Sent/, Lists/debian/) and roots of accounts.
#pragma once

#include <string>
#include <vector>

#include "sources/store_tree.h"

namespace tessaly {

// The folders at the root `root`, sorted: the root itself as "Inbox" when
// it is a Maildir folder, its Maildir++ folders (dot-separated names make
// a tree, with a folder of no messages where a parent is missing; a name
// beginning ".." is below the Inbox, as Evolution writes it) and its
// nested folders (a subfolder that is no Maildir folder but holds some
// gives a folder of no messages). Names are decoded from modified UTF-7
// when `imapNames` (servers' names, as synchronising tools keep them).
std::vector<StoreNode> maildirFolders(const std::string& root, bool imapNames);

// The tree of a Maildir store at `root`: its folders, or, when the root is
// no Maildir folder and its subfolders are none either (or are Maildir++
// roots of their own) but hold some, one account heading per subfolder
// (an offlineimap or mbsync root).
StoreTree maildirTree(const std::string& root);

}  // namespace tessaly
