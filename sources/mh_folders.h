// mh_folders.h - MH folder trees (Claws Mail, Sylpheed, nmh): folders of
// numbered message files, subfolders as subdirectories.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sources/store_tree.h"

namespace tessaly {

// The folders below the MH root `root`, sorted (Inbox first); the root
// itself is a folder, with its subfolders below it, when it is an MH
// folder. A folder is MH when it holds numbered files or the marks MH
// programs keep beside them (.mh_sequences, .claws_cache, .claws_mark,
// .sylpheed_cache, .sylpheed_mark).
std::vector<StoreNode> mhFolders(const std::string& root);

// The "Path:" component of an nmh profile (~/.mh_profile), trimmed; empty
// when it has none.
std::string mhProfilePath(std::string_view profile);

// The MH root the nmh profile in `home` names (a relative Path is below
// the home folder); empty without a profile or Path.
std::string mhProfileRoot(const std::string& home);

}  // namespace tessaly
