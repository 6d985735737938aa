// store_commands.h - the tessaly-cli commands over the mail stores of Linux
// mail programs (Thunderbird profiles, Maildir trees, Evolution, KMail, MH).
#pragma once

#include "cli/options.h"
#include "sources/folder_info.h"

namespace tessaly::cli {

// stores: one found store a line, "KIND<tab>NAME<tab>PATH".
int listStores(const Options& options);

// list-store STORE: the store's folders, one a line, two spaces per level.
int listStoreFolders(const Options& options);

// archive-store --to DIR STORE [--folder NAME]...: the named folders (by
// name or by their path in the tree), else those ticked by default.
int archiveStore(const Options& options);

// A Maildir or MH folder named on the command line as a folder entry, or
// an entry of storage File when `path` is neither.
TDbxFolderInfo mailFolderEntry(const std::string& path);

}  // namespace tessaly::cli
