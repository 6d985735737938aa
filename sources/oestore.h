// oestore.h - finding Outlook Express stores through the registry's
// identities, and reading a store's folder tree from its Folders.dbx.
#pragma once

#include <string>
#include <vector>

#include "sources/folder_info.h"

namespace tessaly {

struct TDbxStore {
    std::string identityKey;  // the identity's registry key name
    std::string userName;     // its "Username"
    std::string versionKey;   // the Outlook Express subkey that holds the store
    std::string storeRoot;    // the store folder, without a trailing slash
};

// The stores of the current user's identities, the preferred user's first
// (or the default identity's, when `preferredUser` is empty or unknown).
// Built once per preferred user and kept.
const std::vector<TDbxStore>& loadDbxStores(const std::string& preferredUser);

// The folder list of the store of (userName, versionKey), or of the first
// store when both are empty; empty when there is none or its Folders.dbx
// cannot be read. Kept until asked for another store.
const std::vector<TDbxFolderInfo>& loadDbxFolders(const std::string& userName,
                                                  const std::string& versionKey);

// The folder list of the store in `storeRoot` (a store folder picked by
// hand). A damaged Folders.dbx gives an empty list.
const std::vector<TDbxFolderInfo>& loadDbxFoldersFromRoot(const std::string& storeRoot);

// Whether the folder page ticks a folder when nothing was chosen before:
// every folder but the top-level nodes, Outbox, Sent Items, Deleted Items
// and Drafts (special kinds 2, 4, 5) and any folder named "outbox".
bool isTickedByDefault(const TDbxFolderInfo& folder);

// Forgets the kept lists, so the next calls read the registry and the
// files again.
void forgetDbxStores();

}  // namespace tessaly
