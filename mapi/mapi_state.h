// mapi_state.h - the Outlook source's process-wide state: the loaded MAPI
// library, the open session and store, and the lists the pages show.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "mapi/outlook.h"
#include "mapi/provider.h"

namespace tessaly {

// The temporary profile that mounts a loose .pst file, and its service.
extern const char kTemporaryProfile[];
extern const char kTemporaryStore[];

struct MapiState {
    std::string trace;
    bool librariesListed = false;
    // The loaded library and its entry points; null when none is loaded.
    std::unique_ptr<MapiLibrary> library;
    std::string loadedLibraryPath;
    std::shared_ptr<IMAPISession> session;
    std::shared_ptr<IMsgStore> store;
    std::string openProfile;
    std::string openStore;
    std::vector<mapi_TLibraryInfo> libraries;
    std::vector<mapi_TStoreInfo> stores;
    std::vector<mapi_TFolderInfo> folders;
    // The special folders of the open store, by classification code 0 to 8;
    // read once per store.
    std::array<EntryId, 9> specialIds;
    bool specialIdsRead = false;
};

MapiState& mapiState();

// Drops everything, library included, without calling into it: for tests
// that start over with another library.
void resetMapiState();

// Appends a step name or a failure message to the trace.
void traceMapi(const std::string& text);

}  // namespace tessaly
