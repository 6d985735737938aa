// thunderbird_folders.h - the folder tree of a Thunderbird account's folder
// and of a whole profile.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sources/store_tree.h"
#include "sources/thunderbird_accounts.h"

namespace tessaly {

// Whether a file in an account's folder may be a mailbox: Thunderbird's
// own files (*.msf summaries, *.dat, *.json, *.sqlite, *.html, *.js ...,
// dot files, compaction leftovers) are not.
bool isThunderbirdMailboxName(std::string_view name);

// The folders of one account, sorted: mailbox files (unless the account
// keeps Maildir folders) and Maildir folders; NAME.sbd/ holds the
// subfolders of NAME, and gives a folder of its own (storage None) when
// there is no NAME.
std::vector<StoreNode> thunderbirdFolders(const ThunderbirdAccount& account);

// The tree of the profile folder `profile`: one heading per account that
// has folders, in Thunderbird's order.
StoreTree thunderbirdTree(const std::string& profile);

}  // namespace tessaly
