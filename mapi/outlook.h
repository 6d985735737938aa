// outlook.h - the Outlook source as the wizard and the run see it: mail
// clients with a MAPI library, their profiles and stores, the folders of the
// open store, and the archiving job.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_writer.h"

namespace tessaly {

struct mapi_TLibraryInfo {
    std::string name;     // the mail client's registry key name
    std::string dllPath;  // "mapi32.dll" names this program's own provider
    bool listed = false;  // found under the registry's mail-client list
};

struct mapi_TStoreInfo {
    std::string profile;
    std::string store;  // display name; "" for the profile's own entry
    // 0 profile entry, could be opened; 1 profile entry, logon or store
    // table failed; 2 a store of that profile.
    uint8_t kind = 0;
};

// An entry identifier: an owned copy of its bytes (empty matches nothing).
struct mapi_TEntryid {
    std::string bytes;
};

struct mapi_TFolderInfo {
    int32_t depth = 0;       // 0 for children of the top folder
    std::string name;        // display name
    std::string path;        // display names from the top down, joined by "\"
    uint8_t folderClass = 11;
    mapi_TEntryid entryId;
    // The store's own Drafts folder (told by its entry id, not its name):
    // left unticked unless chosen.
    bool drafts = false;
};

// What the pages read: filled by the Ensure functions below.
const std::vector<mapi_TLibraryInfo>& mapiLibraries();
const std::vector<mapi_TStoreInfo>& mapiStores();
const std::vector<mapi_TFolderInfo>& mapiFolders();
// The diagnostic trace of every step and failure; nothing shows it.
const std::string& mapiTrace();

// Lists the libraries once per process.
void EnsureLibraries();
// Loads the library at `dllPath` (unless it is loaded) and lists its
// profiles and stores.
void EnsureStores(const std::string& dllPath);
// Opens the store and lists its folders; nothing when already open.
// `window` is the parent of any dialog the provider shows (may be null).
void EnsureFolders(void* window, const std::string& profile, const std::string& store);
// Mounts a .pst file through the temporary profile and lists its folders.
void EnsureFoldersFn(void* window, const std::string& pstPath);
// Logs off, deletes the temporary profile, unloads the library. Call it at
// exit too, so that no temporary profile is left behind.
void CloseMapi();
// Whether a store is open (the last EnsureFolders or EnsureFoldersFn got as
// far as opening it).
bool mapiStoreOpen();

// The Outlook archiving job over the open store: the ticked folders by
// display name, in the order given. Refuses EML output with a problem line.
// With `tickedIds`, the folders of those entry ids in that order instead
// (names alone cannot tell apart two folders called alike).
void RunMapiJob(ArchiveWriter& writer, const std::vector<std::string>& tickedFolders,
                const std::vector<std::string>& tickedIds = {});

}  // namespace tessaly
